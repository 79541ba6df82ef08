#include "ModelStore.h"
