#include "ShortcutMessage.h"
