#include "PairingCode.h"
