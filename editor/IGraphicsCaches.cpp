// The artwork and the fonts: two process-wide caches shared by every
// editor instance, the bitmaps made from their pictures, and the loading of
// pictures from a module's resources that every platform uses.

#include "IGraphics.h"

#include "WDL_Mutex.h"

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

// The artwork of the whole process, loaded once and shared by every
// editor instance until the library unloads. Bitmaps made by scaling or
// cropping are kept under kRetainedId so that they are freed with it.
class BitmapStorage
{
public:
  static const int kRetainedId = -1;

  ~BitmapStorage()
  {
    for (int i = 0; i < mBitmaps.GetSize(); ++i)
    {
      delete mBitmaps.Get(i)->bitmap;
    }
    mBitmaps.Empty(true);
  }

  LICE_IBitmap* Find(int id)
  {
    WDL_MutexLock lock(&mMutex);
    for (int i = 0; i < mBitmaps.GetSize(); ++i)
    {
      if (mBitmaps.Get(i)->id == id)
      {
        return mBitmaps.Get(i)->bitmap;
      }
    }
    return nullptr;
  }

  void Add(LICE_IBitmap* bitmap, int id)
  {
    WDL_MutexLock lock(&mMutex);
    mBitmaps.Add(new BitmapKey{id, bitmap});
  }

  bool Holds(const LICE_IBitmap* bitmap)
  {
    WDL_MutexLock lock(&mMutex);
    return IndexOf(bitmap) >= 0;
  }

  // Deletes a retained bitmap; false (and nothing deleted) for the shared
  // artwork or a bitmap the cache does not hold.
  bool RemoveRetained(LICE_IBitmap* bitmap)
  {
    WDL_MutexLock lock(&mMutex);
    const int i = IndexOf(bitmap);
    if (i < 0 || mBitmaps.Get(i)->id != kRetainedId)
    {
      return false;
    }
    delete bitmap;
    mBitmaps.Delete(i, true);
    return true;
  }

  WDL_Mutex mMutex;

private:
  struct BitmapKey
  {
    int id;
    LICE_IBitmap* bitmap;
  };

  int IndexOf(const LICE_IBitmap* bitmap) const
  {
    for (int i = 0; i < mBitmaps.GetSize(); ++i)
    {
      if (mBitmaps.Get(i)->bitmap == bitmap)
      {
        return i;
      }
    }
    return -1;
  }

  WDL_PtrList<BitmapKey> mBitmaps;
};

// The raster fonts of the whole process, one per face, size, style and
// angle; colour and quality are not part of the key, so styles differing
// only there share the first one's font.
class FontStorage
{
public:
  ~FontStorage()
  {
    for (int i = 0; i < mFonts.GetSize(); ++i)
    {
      delete mFonts.Get(i)->font;
    }
    mFonts.Empty(true);
  }

  LICE_IFont* Find(const IText* text)
  {
    WDL_MutexLock lock(&mMutex);
    for (int i = 0; i < mFonts.GetSize(); ++i)
    {
      const FontKey* key = mFonts.Get(i);
      if (key->size == text->mSize && key->orientation == text->mOrientation &&
          key->style == text->mStyle && std::strcmp(key->face, text->mFont) == 0)
      {
        return key->font;
      }
    }
    return nullptr;
  }

  void Add(LICE_IFont* font, const IText* text)
  {
    WDL_MutexLock lock(&mMutex);
    FontKey* key = new FontKey;
    key->size = text->mSize;
    key->orientation = text->mOrientation;
    key->style = text->mStyle;
    std::memcpy(key->face, text->mFont, FONT_LEN);
    key->face[FONT_LEN - 1] = '\0';
    key->font = font;
    mFonts.Add(key);
  }

  WDL_Mutex mMutex;

private:
  struct FontKey
  {
    int size;
    int orientation;
    int style;
    char face[FONT_LEN];
    LICE_IFont* font;
  };

  WDL_PtrList<FontKey> mFonts;
};

BitmapStorage s_bitmapCache;
FontStorage s_fontCache;
} // namespace

// ============================================================================
// Bitmaps

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int nStates, bool framesAreHorizontal)
{
  // Negative ids name no picture; the cache keeps its own bitmaps there.
  if (id < 0)
  {
    return IBitmap(nullptr, 0, 0, nStates, framesAreHorizontal);
  }
  WDL_MutexLock lock(&s_bitmapCache.mMutex);
  LICE_IBitmap* bitmap = s_bitmapCache.Find(id);
  if (!bitmap)
  {
    bitmap = OSLoadBitmap(id, name);
    if (!bitmap)
    {
      return IBitmap(nullptr, 0, 0, nStates, framesAreHorizontal);
    }
    s_bitmapCache.Add(bitmap, id);
  }
  return IBitmap(bitmap, bitmap->getWidth(), bitmap->getHeight(), nStates, framesAreHorizontal);
}

IBitmap IGraphics::ScaleBitmap(const IBitmap* bitmap, int w, int h)
{
  if (!bitmap || !bitmap->mData || w <= 0 || h <= 0)
  {
    return IBitmap(nullptr, 0, 0, bitmap ? bitmap->N : 1);
  }
  LICE_MemBitmap* scaled = new LICE_MemBitmap(w, h, 4);
  LICE_ScaledBlit(scaled, bitmap->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(bitmap->W),
                  static_cast<float>(bitmap->H), 1.0f, LICE_MODE_COPY | LICE_FLAG_BILINEAR);
  IBitmap result(scaled, w, h, bitmap->N);
  RetainBitmap(&result);
  return result;
}

IBitmap IGraphics::CropBitmap(const IBitmap* bitmap, const IRECT* rect)
{
  if (!bitmap || !bitmap->mData || !rect || rect->W() <= 0 || rect->H() <= 0)
  {
    return IBitmap(nullptr, 0, 0, bitmap ? bitmap->N : 1);
  }
  LICE_MemBitmap* cropped = new LICE_MemBitmap(rect->W(), rect->H(), 4);
  // A rectangle reaching past the source leaves transparency there.
  LICE_Clear(cropped, 0);
  LICE_Blit(cropped, bitmap->mData, 0, 0, rect->L, rect->T, rect->W(), rect->H(), 1.0f,
            LICE_MODE_COPY);
  IBitmap result(cropped, rect->W(), rect->H(), bitmap->N);
  RetainBitmap(&result);
  return result;
}

void IGraphics::RetainBitmap(const IBitmap* bitmap)
{
  if (bitmap && bitmap->mData && !s_bitmapCache.Holds(bitmap->mData))
  {
    s_bitmapCache.Add(bitmap->mData, BitmapStorage::kRetainedId);
  }
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap)
{
  if (bitmap && bitmap->mData && s_bitmapCache.RemoveRetained(bitmap->mData))
  {
    bitmap->mData = nullptr;
    bitmap->W = bitmap->H = 0;
  }
}

LICE_IBitmap* IGraphics::LoadPNGResource(LICE_HMODULE module, int id, const char* name)
{
  if (!HasPngExtension(name))
  {
    return nullptr;
  }
  return LICE_LoadPNGFromResource(module, id);
}

LICE_pixel* IGraphics::GetBits()
{
  return mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
}

// ============================================================================
// Fonts

LICE_HFONT IGraphics::OSCreateFont(const IText*)
{
  return nullptr;
}

LICE_IFont* IGraphics::CacheFont(IText* text)
{
  WDL_MutexLock lock(&s_fontCache.mMutex);
  LICE_IFont* font = s_fontCache.Find(text);
  if (!font)
  {
    LICE_HFONT platformFont = OSCreateFont(text);
    if (!platformFont)
    {
      return nullptr;
    }
    LICE_CachedFont* cached = new LICE_CachedFont;
    cached->SetFromHFont(platformFont, LICE_FONT_OWNS_HFONT | LICE_FONT_FORCE_NATIVE);
    s_fontCache.Add(cached, text);
    font = cached;
  }
  text->mCached = font;
  return font;
}
