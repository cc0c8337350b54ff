#include "lice_win.h"

#include "lice_internal.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

namespace
{
bool gSkipNativeUnderCompat = true;

// The shared 256 x 256 bitmap glyphs are rendered into, made on first use.
LICE_SysBitmap* glyphScratch()
{
  static LICE_SysBitmap scratch(256, 256);
  return scratch.getDC() ? &scratch : nullptr;
}

// The bitmap native text is drawn into when the target has no DC.
LICE_SysBitmap& nativeScratch()
{
  static LICE_SysBitmap scratch;
  return scratch;
}

// UTF-8 as UTF-16; bytes that are not UTF-8 are read in the system code page.
std::vector<wchar_t> widen(const char* text, int length)
{
  std::vector<wchar_t> out;
  if (length <= 0)
    return out;
  UINT page = CP_UTF8;
  int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
  if (n <= 0)
  {
    page = CP_ACP;
    n = MultiByteToWideChar(page, 0, text, length, nullptr, 0);
  }
  if (n <= 0)
    return out;
  out.resize(static_cast<size_t>(n));
  MultiByteToWideChar(page, page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, text, length, out.data(),
                      n);
  return out;
}

UINT gdiFormat(int format)
{
  return static_cast<UINT>(format & ~LICE_DT_USEFGALPHA) | DT_NOPREFIX;
}
} // namespace

namespace lice
{
namespace win
{
void setSkipNativeTextUnderCompatibilityLayer(bool skip)
{
  gSkipNativeUnderCompat = skip;
}
} // namespace win

namespace platform
{
bool allocSysPixels(int spanWidth, int height, LICE_pixel*& bits, LICE_HDC& dc, void*& section)
{
  if (!dc)
    dc = CreateCompatibleDC(nullptr);
  if (!dc)
    return false;
  BITMAPINFO info;
  std::memset(&info, 0, sizeof(info));
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = spanWidth;
  info.bmiHeader.biHeight = -height; // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap =
      CreateDIBSection(static_cast<HDC>(dc), &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (!bitmap || !pixels)
  {
    if (bitmap)
      DeleteObject(bitmap);
    return false;
  }
  win::Section* s = new (std::nothrow) win::Section{bitmap, nullptr};
  if (!s)
  {
    DeleteObject(bitmap);
    return false;
  }
  s->previous = SelectObject(static_cast<HDC>(dc), bitmap);
  bits = static_cast<LICE_pixel*>(pixels);
  section = s;
  return true;
}

void freeSysPixels(LICE_HDC dc, void* section)
{
  win::Section* s = static_cast<win::Section*>(section);
  if (!s)
    return;
  if (dc)
    SelectObject(static_cast<HDC>(dc), s->previous);
  DeleteObject(s->bitmap);
  delete s;
}

void freeSysContext(LICE_HDC dc)
{
  if (dc)
    DeleteDC(static_cast<HDC>(dc));
}

bool findResource(LICE_HMODULE module, int id, const char* type, const unsigned char*& data,
                  size_t& size)
{
  HMODULE m = static_cast<HMODULE>(module);
  HRSRC found = FindResourceA(m, MAKEINTRESOURCEA(id), type);
  if (!found)
    return false;
  const DWORD bytes = SizeofResource(m, found);
  HGLOBAL loaded = LoadResource(m, found);
  const void* locked = loaded ? LockResource(loaded) : nullptr;
  if (!locked)
    return false;
  data = static_cast<const unsigned char*>(locked);
  size = bytes;
  return true;
}

FILE* openFile(const char* utf8Name, const char* mode)
{
  bool plain = true;
  for (const char* c = utf8Name; *c; ++c)
    if (static_cast<unsigned char>(*c) >= 0x80)
      plain = false;
  if (!plain)
  {
    std::vector<wchar_t> name = widen(utf8Name, static_cast<int>(std::strlen(utf8Name)));
    std::vector<wchar_t> wmode = widen(mode, static_cast<int>(std::strlen(mode)));
    if (!name.empty() && !wmode.empty())
    {
      name.push_back(0);
      wmode.push_back(0);
      return _wfopen(name.data(), wmode.data());
    }
  }
  return std::fopen(utf8Name, mode);
}

int fontLineHeight(LICE_HFONT font)
{
  LICE_SysBitmap* scratch = glyphScratch();
  if (!scratch || !font)
    return 0;
  HDC dc = static_cast<HDC>(scratch->getDC());
  HGDIOBJ old = SelectObject(dc, static_cast<HFONT>(font));
  TEXTMETRICW tm;
  const int height = GetTextMetricsW(dc, &tm) ? tm.tmHeight : 0;
  SelectObject(dc, old);
  return height;
}

bool renderGlyph(LICE_HFONT font, unsigned int codepoint, GlyphImage& out)
{
  LICE_SysBitmap* scratch = glyphScratch();
  if (!scratch || !font)
    return false;
  wchar_t chars[2];
  int n = 1;
  if (codepoint >= 0x10000 && codepoint <= 0x10FFFF)
  {
    chars[0] = static_cast<wchar_t>(0xD800 + ((codepoint - 0x10000) >> 10));
    chars[1] = static_cast<wchar_t>(0xDC00 + ((codepoint - 0x10000) & 0x3FF));
    n = 2;
  }
  else
    chars[0] = static_cast<wchar_t>(codepoint <= 0xFFFF ? codepoint : 0xFFFD);

  HDC dc = static_cast<HDC>(scratch->getDC());
  HGDIOBJ old = SelectObject(dc, static_cast<HFONT>(font));
  TEXTMETRICW tm;
  SIZE extent;
  bool ok = GetTextMetricsW(dc, &tm) && GetTextExtentPoint32W(dc, chars, n, &extent);
  if (ok)
  {
    LICE_Clear(scratch, 0);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    ok = TextOutW(dc, 0, 0, chars, n) != 0;
    GdiFlush();
  }
  SelectObject(dc, old);
  if (!ok)
    return false;
  out.width = extent.cx < 0 ? 0 : (extent.cx > 256 ? 256 : extent.cx);
  out.height = tm.tmHeight < 0 ? 0 : (tm.tmHeight > 256 ? 256 : tm.tmHeight);
  out.coverage = static_cast<unsigned char*>(
      std::malloc(static_cast<size_t>(out.width) * static_cast<size_t>(out.height) + 1));
  if (!out.coverage)
    return false;
  lice::View view;
  lice::viewOf(scratch, view);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
    {
      // Sub-pixel rendering colours the edges; the brightest channel is the
      // glyph's coverage.
      const LICE_pixel p = view.row(y)[x];
      int c = LICE_GETR(p);
      c = LICE_GETG(p) > c ? LICE_GETG(p) : c;
      c = LICE_GETB(p) > c ? LICE_GETB(p) : c;
      out.coverage[y * out.width + x] = static_cast<unsigned char>(c);
    }
  return true;
}

void deleteFont(LICE_HFONT font)
{
  if (font)
    DeleteObject(static_cast<HFONT>(font));
}

bool nativeTextAvailable()
{
  static const bool underWine =
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  return !(underWine && gSkipNativeUnderCompat);
}

int drawNativeText(LICE_HFONT font, LICE_IBitmap* bitmap, const char* text, int length,
                   LICE_Rect* rect, int format, LICE_pixel color, LICE_pixel bkColor, int bkMode)
{
  std::vector<wchar_t> wide;
  try
  {
    wide = widen(text, length);
  }
  catch (const std::bad_alloc&)
  {
    return 0;
  }
  if (wide.empty())
  {
    if (format & LICE_DT_CALCRECT)
    {
      rect->right = rect->left;
      rect->bottom = rect->top;
    }
    return 0;
  }
  const bool measure = !bitmap || (format & LICE_DT_CALCRECT);

  // Where GDI draws: the target's own DC, or a scratch section holding a
  // copy of the affected region.
  HDC dc = nullptr;
  int offsetX = 0, offsetY = 0;
  lice::Block region{0, 0, 0, 0, 0, 0};
  lice::View targetView;
  LICE_SysBitmap* scratch = nullptr;
  if (measure)
  {
    LICE_SysBitmap* g = glyphScratch();
    dc = g ? static_cast<HDC>(g->getDC()) : nullptr;
  }
  else if (bitmap->getDC())
    dc = static_cast<HDC>(bitmap->getDC());
  else
  {
    if (!lice::viewOf(bitmap, targetView))
      return 0;
    region = lice::Block{0, 0, 0, 0, targetView.width, targetView.height};
    if (!(format & LICE_DT_NOCLIP))
    {
      region = lice::Block{rect->left,
                           rect->top,
                           rect->left,
                           rect->top,
                           rect->right - rect->left,
                           rect->bottom - rect->top};
      if (!lice::clipBlock(region, targetView.width, targetView.height, targetView.width,
                           targetView.height))
        return 0;
    }
    scratch = &nativeScratch();
    scratch->resize(region.w, region.h);
    if (scratch->getWidth() != region.w || scratch->getHeight() != region.h || !scratch->getDC())
      return 0;
    LICE_Blit(scratch, bitmap, 0, 0, region.dx, region.dy, region.w, region.h, 1.0f,
              LICE_MODE_COPY);
    dc = static_cast<HDC>(scratch->getDC());
    offsetX = region.dx;
    offsetY = region.dy;
  }
  if (!dc)
    return 0;

  HGDIOBJ oldFont = SelectObject(dc, static_cast<HFONT>(font));
  RECT r = {rect->left - offsetX, rect->top - offsetY, rect->right - offsetX,
            rect->bottom - offsetY};
  int height = 0;
  if (measure)
  {
    height = DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &r,
                       gdiFormat(format) | DT_CALCRECT);
    rect->left = r.left;
    rect->top = r.top;
    rect->right = r.right;
    rect->bottom = r.bottom;
  }
  else
  {
    const COLORREF oldColor = SetTextColor(dc, lice::win::colorRef(color));
    const COLORREF oldBk = SetBkColor(dc, lice::win::colorRef(bkColor));
    const int oldMode = SetBkMode(dc, bkMode == LICE_BKMODE_OPAQUE ? OPAQUE : TRANSPARENT);
    height = DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &r, gdiFormat(format));
    SetTextColor(dc, oldColor);
    SetBkColor(dc, oldBk);
    SetBkMode(dc, oldMode);
    GdiFlush();
  }
  SelectObject(dc, oldFont);

  if (scratch)
  {
    // GDI leaves the alpha byte of the pixels it touched at 0; the target
    // keeps its own alpha.
    lice::View sv;
    lice::viewOf(scratch, sv);
    for (int y = 0; y < region.h; ++y)
    {
      LICE_pixel* d = targetView.row(region.dy + y) + region.dx;
      const LICE_pixel* s = sv.row(y);
      for (int x = 0; x < region.w; ++x)
        d[x] = (s[x] & 0x00FFFFFF) | (d[x] & 0xFF000000);
    }
  }
  return height;
}
} // namespace platform
} // namespace lice
