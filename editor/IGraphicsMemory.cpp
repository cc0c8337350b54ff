#include "IGraphicsMemory.h"

IGraphicsMemory::IGraphicsMemory(IPlugInterface* plug, int w, int h, int fps, LICE_HMODULE module)
    : IGraphics(plug, w, h, fps), mModule(module)
{
}

void IGraphicsMemory::HostPath(WDL_String* path)
{
  if (path)
  {
    path->Set("");
  }
}

void IGraphicsMemory::PluginPath(WDL_String* path)
{
  if (path)
  {
    path->Set("");
  }
}

void IGraphicsMemory::DesktopPath(WDL_String* path)
{
  if (path)
  {
    path->Set("");
  }
}

LICE_IBitmap* IGraphicsMemory::OSLoadBitmap(int id, const char* name)
{
  return LoadPNGResource(mModule, id, name);
}
