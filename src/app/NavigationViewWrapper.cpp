#include "NavigationViewWrapper.h"
