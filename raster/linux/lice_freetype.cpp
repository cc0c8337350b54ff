// Text on systems without GDI: a platform font is a FreeType face chosen by
// family name through fontconfig (DejaVu Sans when the family is not
// installed), sized so that ascent plus descent is the requested height, as
// a GDI font of positive height is.

#include "lice_linux.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace
{
struct FreeTypeFont
{
  FT_Face face = nullptr;
  int height = 0;
  int ascent = 0;
  bool antiAlias = true;
};

// FreeType faces are not safe for concurrent use; every font shares one
// library, made with the first font and freed with the last. So is the
// fontconfig configuration: a private one, not the process's default, so
// that nothing stays behind in fontconfig when the plug-in unloads and the
// host's own use of fontconfig is not touched.
std::mutex sMutex;
FT_Library sLibrary = nullptr;
FcConfig* sConfig = nullptr;
int sFonts = 0;

// With the mutex held: frees the shared state once no font uses it.
void ReleaseUnused()
{
  if (sFonts > 0)
    return;
  if (sLibrary)
    FT_Done_FreeType(sLibrary);
  sLibrary = nullptr;
  if (sConfig)
    FcConfigDestroy(sConfig);
  sConfig = nullptr;
}

// With the mutex held: the font file (and face index) fontconfig matches
// to the request, or "".
std::string MatchFont(const char* family, bool bold, bool italic, int& index)
{
  std::string file;
  if (!sConfig)
  {
    // fontconfig keeps a few process-wide strings of its own once used.
    // Kept loaded, the library keeps them reachable when a host unloads
    // this plug-in (and with it the last reference to fontconfig).
    static void* const pinned = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_NODELETE);
    (void)pinned;
    sConfig = FcInitLoadConfigAndFonts();
  }
  if (!sConfig)
    return file;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern)
    return file;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(sConfig, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(sConfig, pattern, &result);
  if (match)
  {
    // fontconfig always answers with some font; take it only when it is
    // the family asked for, so that a missing family means DejaVu Sans
    // here and not whatever the machine's configuration prefers.
    FcChar8* matchedFamily = nullptr;
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
        FcStrCmpIgnoreCase(matchedFamily, reinterpret_cast<const FcChar8*>(family)) == 0 &&
        FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
    {
      file = reinterpret_cast<const char*>(path);
      if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch)
        index = 0;
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return file;
}
} // namespace

LICE_HFONT LICE_CreateFont(const char* family, int height, bool bold, bool italic, bool antiAlias)
{
  if (height <= 0)
    return nullptr;
  std::lock_guard<std::mutex> lock(sMutex);
  int index = 0;
  std::string file = family && family[0] ? MatchFont(family, bold, italic, index) : "";
  if (file.empty())
    file = MatchFont("DejaVu Sans", bold, italic, index);
  FT_Face face = nullptr;
  if (!file.empty() && !sLibrary && FT_Init_FreeType(&sLibrary) != 0)
    sLibrary = nullptr;
  if (file.empty() || !sLibrary || FT_New_Face(sLibrary, file.c_str(), index, &face) != 0)
  {
    ReleaseUnused();
    return nullptr;
  }
  const int units = face->ascender - face->descender;
  const int pixels =
      units > 0 ? std::max(1, (height * face->units_per_EM + units / 2) / units) : height;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));
  FreeTypeFont* font = new FreeTypeFont;
  font->face = face;
  font->height = height;
  font->ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
  font->antiAlias = antiAlias;
  ++sFonts;
  return font;
}

namespace lice
{
namespace platform
{
int fontLineHeight(LICE_HFONT font)
{
  return font ? static_cast<FreeTypeFont*>(font)->height : 0;
}

bool renderGlyph(LICE_HFONT handle, unsigned int codepoint, GlyphImage& out)
{
  FreeTypeFont* font = static_cast<FreeTypeFont*>(handle);
  if (!font)
    return false;
  std::lock_guard<std::mutex> lock(sMutex);
  const FT_Int32 flags =
      FT_LOAD_RENDER |
      (font->antiAlias ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME);
  if (FT_Load_Char(font->face, codepoint, flags) != 0)
    return false;
  const FT_GlyphSlot slot = font->face->glyph;
  const int width = static_cast<int>((slot->advance.x + 32) >> 6);
  const int height = font->height;
  if (width <= 0)
    return false;
  out.width = width;
  out.height = height;
  out.coverage = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(width) * height, 1));
  if (!out.coverage)
    return false;
  // The glyph's ink, clipped to its cell (advance by line height) with the
  // baseline at the font's ascent.
  const FT_Bitmap& bitmap = slot->bitmap;
  const int left = slot->bitmap_left, top = font->ascent - slot->bitmap_top;
  for (int row = 0; row < static_cast<int>(bitmap.rows); ++row)
  {
    const int y = top + row;
    if (y < 0 || y >= height)
      continue;
    const unsigned char* src = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    for (int col = 0; col < static_cast<int>(bitmap.width); ++col)
    {
      const int x = left + col;
      if (x < 0 || x >= width)
        continue;
      const unsigned char value = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                                      ? ((src[col >> 3] >> (7 - (col & 7))) & 1 ? 255 : 0)
                                      : src[col];
      out.coverage[static_cast<size_t>(y) * width + x] = value;
    }
  }
  return true;
}

void deleteFont(LICE_HFONT handle)
{
  FreeTypeFont* font = static_cast<FreeTypeFont*>(handle);
  if (!font)
    return;
  std::lock_guard<std::mutex> lock(sMutex);
  FT_Done_Face(font->face);
  delete font;
  --sFonts;
  ReleaseUnused();
}
} // namespace platform
} // namespace lice
