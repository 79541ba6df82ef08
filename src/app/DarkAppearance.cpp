#include "DarkAppearance.h"
