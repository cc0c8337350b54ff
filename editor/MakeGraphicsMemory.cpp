#include "IGraphicsMemory.h"
#include "MakeGraphics.h"

// Systems whose editor window is not written yet: the editor draws into
// memory, its LEDs and controls follow the plug-in, and the host sees no
// editor.
IGraphics* MakeGraphics(IPlugInterface* plug, int w, int h, int fps)
{
  return new IGraphicsMemory(plug, w, h, fps, gHInstance);
}

bool GraphicsHaveWindow()
{
  return false;
}
