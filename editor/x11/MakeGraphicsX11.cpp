#include "IGraphicsX11.h"
#include "MakeGraphics.h"

// On Linux the editor is a child window of the host's X11 window.
IGraphics* MakeGraphics(IPlugInterface* plug, int w, int h, int fps)
{
  return new IGraphicsX11(plug, w, h, fps, gHInstance);
}

bool GraphicsHaveWindow()
{
  return true;
}
