// PNG data as the editor's artwork loader decodes it: any input either
// decodes to a bitmap of the size it declares or gives null, leaking
// nothing either way.

#include "lice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  LICE_IBitmap* bitmap = LICE_LoadPNGFromMemory(data, size);
  if (bitmap)
  {
    // Every pixel is there to be read.
    const int width = bitmap->getWidth(), height = bitmap->getHeight();
    const LICE_pixel* bits = bitmap->getBits();
    unsigned sum = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        sum += bits[y * bitmap->getRowSpan() + x];
    volatile unsigned sink = sum;
    (void)sink;
    delete bitmap;
  }
  return 0;
}
