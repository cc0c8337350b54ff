#include "MakeGraphics.h"

LICE_HMODULE gHInstance = nullptr;
