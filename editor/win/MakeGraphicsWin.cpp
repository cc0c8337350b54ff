#include "IGraphicsWin.h"
#include "MakeGraphics.h"

// This file sees the window only through its public header, which keeps
// Win32's headers to editor/win: were <windows.h> to come along, everything
// including the header would get it too.
#ifdef WINAPI
#error "IGraphicsWin.h must not bring in <windows.h>"
#endif

IGraphics* MakeGraphics(IPlugInterface* plug, int w, int h, int fps)
{
  return new IGraphicsWin(plug, w, h, fps, gHInstance);
}

bool GraphicsHaveWindow()
{
  return true;
}
