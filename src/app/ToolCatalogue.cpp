#include "ToolCatalogue.h"
