#include "IGraphicsMemory.h"

#include <cctype>
#include <cstring>

namespace
{
// True when the text after the last dot is "png", in any case.
bool HasPngExtension(const char* name)
{
  const char* dot = name ? std::strrchr(name, '.') : nullptr;
  if (!dot || std::strlen(dot + 1) != 3)
  {
    return false;
  }
  const char* png = "png";
  for (int i = 0; i < 3; ++i)
  {
    if (std::tolower(static_cast<unsigned char>(dot[1 + i])) != png[i])
    {
      return false;
    }
  }
  return true;
}
} // namespace

IGraphicsMemory::IGraphicsMemory(IPlugBase* plug, int w, int h, int fps, LICE_HMODULE module)
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

void IGraphicsMemory::PromptForFile(WDL_String* file, EFileAction, WDL_String*, const char*)
{
  if (file)
  {
    file->Set("");
  }
}

LICE_IBitmap* IGraphicsMemory::OSLoadBitmap(int id, const char* name)
{
  if (!HasPngExtension(name))
  {
    return nullptr;
  }
  return LICE_LoadPNGFromResource(mModule, id);
}
