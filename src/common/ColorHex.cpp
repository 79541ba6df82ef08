#include "ColorHex.h"
