#include "lice_linux.h"

#include <cstdlib>
#include <cstring>

namespace lice
{
namespace linuxlayer
{
const LICE_EmbeddedResource* findEmbedded(int id, const char* type)
{
  if (!LICE_GetEmbeddedResources || !type)
    return nullptr;
  int count = 0;
  const LICE_EmbeddedResource* table = LICE_GetEmbeddedResources(&count);
  for (int i = 0; table && i < count; ++i)
    if (table[i].id == id && table[i].type && std::strcmp(table[i].type, type) == 0)
      return &table[i];
  return nullptr;
}
} // namespace linuxlayer

namespace platform
{
bool allocSysPixels(int spanWidth, int height, LICE_pixel*& bits, LICE_HDC& dc, void*& section)
{
  // 64-byte aligned like the memory bitmaps; aligned_alloc wants the size
  // in whole multiples of the alignment.
  const size_t bytes = static_cast<size_t>(spanWidth) * static_cast<size_t>(height) * 4;
  void* block = std::aligned_alloc(64, (bytes + 63) / 64 * 64);
  if (!block)
    return false;
  bits = static_cast<LICE_pixel*>(block);
  section = block;
  dc = nullptr;
  return true;
}

void freeSysPixels(LICE_HDC, void* section)
{
  std::free(section);
}

void freeSysContext(LICE_HDC) {}

bool findResource(LICE_HMODULE, int id, const char* type, const unsigned char*& data, size_t& size)
{
  const LICE_EmbeddedResource* found = linuxlayer::findEmbedded(id, type);
  if (!found || !found->data)
    return false;
  data = found->data;
  size = found->size;
  return true;
}

FILE* openFile(const char* utf8Name, const char* mode)
{
  return std::fopen(utf8Name, mode);
}

bool nativeTextAvailable()
{
  return false;
}

int drawNativeText(LICE_HFONT, LICE_IBitmap*, const char*, int, LICE_Rect*, int, LICE_pixel,
                   LICE_pixel, int)
{
  return 0;
}
} // namespace platform
} // namespace lice
