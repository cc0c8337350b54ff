#include "IGraphicsWin.h"
#include "MakeGraphics.h"

IGraphics* MakeGraphics(IPlugBase* plug, int w, int h, int fps)
{
  IGraphicsWin* graphics = new IGraphicsWin(plug, w, h, fps);
  graphics->SetHInstance(static_cast<HINSTANCE>(gHInstance));
  return graphics;
}
