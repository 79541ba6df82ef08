#include "Backdrop.h"
