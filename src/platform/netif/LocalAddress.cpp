#include "LocalAddress.h"
