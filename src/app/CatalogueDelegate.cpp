#include "CatalogueDelegate.h"
