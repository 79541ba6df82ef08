#include "KeyCombo.h"
