#include "IconLibrary.h"
