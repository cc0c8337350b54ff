#include "MakeGraphics.h"

#include "IGraphicsMemory.h"

LICE_HMODULE gHInstance = nullptr;

// No platform has its editor window yet: the editor draws into memory, its
// LEDs and controls follow the plug-in, and the host sees no editor.
IGraphics* MakeGraphics(IPlugBase* plug, int w, int h, int fps)
{
  return new IGraphicsMemory(plug, w, h, fps, gHInstance);
}
