#include "lice_internal.h"
#include "lice_platform.h"

#include <cstdint>
#include <cstdlib>

namespace
{
const size_t kPixelAlign = 64;

// The row span for a width: padded to the largest power of two dividing
// lineAlign, none below 2.
int spanFor(int w, unsigned int lineAlign)
{
  if (lineAlign < 2)
    return w;
  const int64_t unit = static_cast<int64_t>(lineAlign & (~lineAlign + 1));
  const int64_t span = (static_cast<int64_t>(w) + unit - 1) / unit * unit;
  return span > INT32_MAX ? 0 : static_cast<int>(span);
}

// Bytes for span x h pixels, 0 when that does not fit in memory at all.
size_t bytesFor(int64_t span, int64_t h)
{
  if (span <= 0 || h <= 0 || h > INT64_MAX / 4 / span)
    return 0;
  const uint64_t bytes = static_cast<uint64_t>(span * h * 4);
  return bytes > SIZE_MAX / 2 ? 0 : static_cast<size_t>(bytes);
}
} // namespace

LICE_MemBitmap::LICE_MemBitmap(int w, int h, unsigned int lineAlign) : mLineAlign(lineAlign)
{
  resize(w, h);
}

LICE_MemBitmap::~LICE_MemBitmap()
{
  std::free(mAllocation);
}

bool LICE_MemBitmap::resize(int w, int h)
{
  if (w < 0 || h < 0)
    w = h = 0;
  if (w == mWidth && h == mHeight)
    return false;
  if (w == 0 || h == 0)
  {
    std::free(mAllocation);
    mAllocation = nullptr;
    mBits = nullptr;
    mAllocated = 0;
    mWidth = mHeight = mSpan = 0;
    return true;
  }
  const int span = spanFor(w, mLineAlign);
  const size_t need = span > 0 ? bytesFor(span, h) : 0;
  if (need == 0 || need > mAllocated)
  {
    std::free(mAllocation);
    mAllocation = nullptr;
    mBits = nullptr;
    mAllocated = 0;
    const size_t grown = need + need / 4;
    void* block = need != 0 ? std::malloc(grown + kPixelAlign) : nullptr;
    if (!block)
    {
      const bool changed = mWidth != 0 || mHeight != 0;
      mWidth = mHeight = mSpan = 0;
      return changed;
    }
    mAllocation = block;
    const uintptr_t at =
        (reinterpret_cast<uintptr_t>(block) + kPixelAlign - 1) & ~(kPixelAlign - 1);
    mBits = reinterpret_cast<LICE_pixel*>(at);
    mAllocated = grown;
  }
  mWidth = w;
  mHeight = h;
  mSpan = span;
  return true;
}

LICE_SysBitmap::LICE_SysBitmap(int w, int h)
{
  resize(w, h);
}

LICE_SysBitmap::~LICE_SysBitmap()
{
  lice::platform::freeSysPixels(mDC, mSection);
  lice::platform::freeSysContext(mDC);
}

bool LICE_SysBitmap::resize(int w, int h)
{
  if (w < 0 || h < 0)
    w = h = 0;
  if (w == mWidth && h == mHeight)
    return false;
  if (mBits && w > 0 && h > 0 && w <= mSpan && h <= mAllocHeight)
  {
    mWidth = w;
    mHeight = h;
    return true;
  }
  lice::platform::freeSysPixels(mDC, mSection);
  mSection = nullptr;
  mBits = nullptr;
  mWidth = mHeight = mSpan = mAllocHeight = 0;
  if (w == 0 || h == 0)
    return true;
  const int span = spanFor(w, 4);
  if (span <= 0 || bytesFor(span, h) == 0 ||
      !lice::platform::allocSysPixels(span, h, mBits, mDC, mSection))
  {
    mBits = nullptr;
    mSection = nullptr;
    return true;
  }
  mWidth = w;
  mHeight = h;
  mSpan = span;
  mAllocHeight = h;
  return true;
}

namespace lice
{
bool viewOf(LICE_IBitmap* bitmap, View& view)
{
  view = View();
  if (!bitmap)
    return false;
  LICE_pixel* bits = bitmap->getBits();
  const int w = bitmap->getWidth(), h = bitmap->getHeight(), span = bitmap->getRowSpan();
  if (!bits || w <= 0 || h <= 0 || span < w)
    return false;
  view.width = w;
  view.height = h;
  if (bitmap->isFlipped())
  {
    view.pixels = bits + static_cast<ptrdiff_t>(h - 1) * span;
    view.span = -span;
  }
  else
  {
    view.pixels = bits;
    view.span = span;
  }
  return true;
}
} // namespace lice
