#include "ContentView.h"
