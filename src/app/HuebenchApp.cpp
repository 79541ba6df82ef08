#include "HuebenchApp.h"
