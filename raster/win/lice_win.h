#pragma once

// The raster library's Windows layer: the only place outside editor/win
// where Win32 types appear. System bitmaps are top-down 32-bit DIB sections
// selected into their own memory DC, resources come from the module, and text
// goes through GDI.

#include "lice_platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace lice
{
namespace win
{
// A DIB section and the bitmap it replaced in its memory DC.
struct Section
{
  HBITMAP bitmap;
  HGDIOBJ previous;
};

// GDI's own text drawing is skipped under Wine, whose GDI text differs from
// the system the editor was drawn for; the glyph cache is used instead.
// Tests turn this off to reach the GDI route under Wine as well.
void setSkipNativeTextUnderCompatibilityLayer(bool skip);

// The colour as a COLORREF (0x00BBGGRR).
inline COLORREF colorRef(LICE_pixel c)
{
  return RGB(LICE_GETR(c), LICE_GETG(c), LICE_GETB(c));
}
} // namespace win
} // namespace lice
