#include "TextHelpers.h"
