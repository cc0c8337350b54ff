// The drawing context's artwork and fonts: two process-wide caches shared
// by every editor instance, the pictures each editor holds at its scale,
// the bitmaps made from them, and the loading of pictures from a module's
// resources that every platform uses.

#include "IDrawContext.h"

#include "IEditorScale.h"
#include "WDL_Mutex.h"
#include "WDL_PtrList.h"

#include <cctype>
#include <cstring>
#include <memory>

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
// editor instance. Each picture counts the editors holding it; a change of
// scale frees the pictures no editor holds (Prune), so that only the sets
// of the scales in use stay, and the rest go when the library unloads.
// Bitmaps made by scaling or cropping are kept under kRetainedId so that
// they are freed with it.
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
    mBitmaps.Add(new BitmapKey{id, bitmap, 0});
  }

  // One more or one fewer editor holds the picture.
  void Hold(const LICE_IBitmap* bitmap, int change)
  {
    WDL_MutexLock lock(&mMutex);
    const int i = IndexOf(bitmap);
    if (i >= 0)
    {
      mBitmaps.Get(i)->holders += change;
    }
  }

  // Deletes every picture of the resources that no editor holds.
  void Prune()
  {
    WDL_MutexLock lock(&mMutex);
    for (int i = mBitmaps.GetSize() - 1; i >= 0; --i)
    {
      BitmapKey* key = mBitmaps.Get(i);
      if (key->id != kRetainedId && key->holders <= 0)
      {
        delete key->bitmap;
        mBitmaps.Delete(i, true);
      }
    }
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
    int holders; // editors holding a picture of the resources
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

IBitmap IDrawContext::LoadIBitmap(int id, const char* name, int nStates, bool framesAreHorizontal)
{
  // Negative ids name no picture; the cache keeps its own bitmaps there.
  if (id < 0)
  {
    return IBitmap(nullptr, 0, 0, nStates, framesAreHorizontal);
  }
  HeldPicture* held = nullptr;
  for (HeldPicture& h : mPictures)
  {
    if (h.id == id)
    {
      held = &h;
    }
  }
  if (!held || !held->pixels)
  {
    LICE_IBitmap* pixels = HoldPicture(id, name, mScale, nStates, framesAreHorizontal);
    if (!pixels)
    {
      return IBitmap(nullptr, 0, 0, nStates, framesAreHorizontal);
    }
    if (!held)
    {
      mPictures.push_back(HeldPicture{id, name ? name : "", nStates, framesAreHorizontal, nullptr});
      held = &mPictures.back();
    }
    held->pixels = pixels;
  }
  // Each caller's frames: the same picture may be cut differently.
  return RecordOf(HeldPicture{id, held->name, nStates, framesAreHorizontal, held->pixels});
}

IBitmap IDrawContext::RecordOf(const HeldPicture& held) const
{
  LICE_IBitmap* pixels = held.pixels;
  int w = pixels->getWidth(), h = pixels->getHeight();
  if (mScale != 1.0)
  {
    // Each frame's layout size, so that the frames of the record are whole.
    const int n = held.frames < 1 ? 1 : held.frames;
    if (held.framesAreHorizontal)
    {
      w = LayoutLength(w / n, mScale) * n;
      h = LayoutLength(h, mScale);
    }
    else
    {
      w = LayoutLength(w, mScale);
      h = LayoutLength(h / n, mScale) * n;
    }
  }
  return IBitmap(pixels, w, h, held.frames, held.framesAreHorizontal, held.id);
}

LICE_IBitmap* IDrawContext::HoldPicture(int id, const char* name, double scale, int frames,
                                        bool framesAreHorizontal)
{
  WDL_MutexLock lock(&s_bitmapCache.mMutex);
  const int key = ScaledPictureId(id, scale);
  LICE_IBitmap* bitmap = s_bitmapCache.Find(key);
  if (!bitmap)
  {
    bitmap = OSLoadBitmap(key, name);
    if (!bitmap && key != id)
    {
      // No set drawn for this scale: the 100 % picture, enlarged frame by
      // frame so that no frame bleeds into the next.
      LICE_IBitmap* original = s_bitmapCache.Find(id);
      std::unique_ptr<LICE_IBitmap> loaded;
      if (!original)
      {
        loaded.reset(OSLoadBitmap(id, name));
        original = loaded.get();
      }
      if (original)
      {
        const int n = frames < 1 ? 1 : frames;
        const int w = original->getWidth(), h = original->getHeight();
        const int fw = framesAreHorizontal ? w / n : w, fh = framesAreHorizontal ? h : h / n;
        const int sw = ScaledPixels(fw, scale), sh = ScaledPixels(fh, scale);
        LICE_MemBitmap* enlarged = new LICE_MemBitmap(framesAreHorizontal ? sw * n : sw,
                                                      framesAreHorizontal ? sh : sh * n);
        LICE_Clear(enlarged, 0);
        for (int f = 0; f < n; ++f)
        {
          const int sx = framesAreHorizontal ? f * fw : 0, sy = framesAreHorizontal ? 0 : f * fh;
          const int dx = framesAreHorizontal ? f * sw : 0, dy = framesAreHorizontal ? 0 : f * sh;
          LICE_ScaledBlit(enlarged, original, dx, dy, sw, sh, static_cast<float>(sx),
                          static_cast<float>(sy), static_cast<float>(fw), static_cast<float>(fh),
                          1.0f, LICE_MODE_COPY | LICE_FLAG_BILINEAR);
        }
        bitmap = enlarged;
      }
    }
    if (!bitmap)
    {
      return nullptr;
    }
    s_bitmapCache.Add(bitmap, key);
  }
  s_bitmapCache.Hold(bitmap, 1);
  return bitmap;
}

void IDrawContext::SwapPictures()
{
  for (HeldPicture& held : mPictures)
  {
    // The new set first: where both scales share a picture it stays held.
    LICE_IBitmap* pixels =
        HoldPicture(held.id, held.name.c_str(), mScale, held.frames, held.framesAreHorizontal);
    if (held.pixels)
    {
      s_bitmapCache.Hold(held.pixels, -1);
    }
    // Null when the scale's picture cannot be had: the controls showing it
    // draw nothing rather than the old scale's pixels.
    held.pixels = pixels;
  }
  s_bitmapCache.Prune();
}

void IDrawContext::ReleasePictures()
{
  for (const HeldPicture& held : mPictures)
  {
    if (held.pixels)
    {
      s_bitmapCache.Hold(held.pixels, -1);
    }
  }
  mPictures.clear();
}

LICE_IBitmap* IDrawContext::PicturePixels(const IBitmap* bitmap) const
{
  if (!bitmap)
  {
    return nullptr;
  }
  if (bitmap->mId >= 0)
  {
    for (const HeldPicture& held : mPictures)
    {
      if (held.id == bitmap->mId)
      {
        return held.pixels;
      }
    }
    // Not loaded through this context: its pixels are right only at 100 %.
    return mScale == 1.0 ? bitmap->mData : nullptr;
  }
  return bitmap->mData;
}

IBitmap IDrawContext::ScaleBitmap(const IBitmap* bitmap, int w, int h)
{
  if (!bitmap || !bitmap->mData || w <= 0 || h <= 0)
  {
    return IBitmap(nullptr, 0, 0, bitmap ? bitmap->N : 1);
  }
  LICE_MemBitmap* scaled = new LICE_MemBitmap(w, h, 4);
  // A picture of the resources is in pixels at the scale, the whole of it.
  LICE_IBitmap* pixels = PicturePixels(bitmap);
  const bool atScale = bitmap->mId >= 0 && mScale != 1.0 && pixels;
  const int srcW = atScale ? pixels->getWidth() : bitmap->W;
  const int srcH = atScale ? pixels->getHeight() : bitmap->H;
  LICE_ScaledBlit(scaled, pixels, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(srcW),
                  static_cast<float>(srcH), 1.0f, LICE_MODE_COPY | LICE_FLAG_BILINEAR);
  IBitmap result(scaled, w, h, bitmap->N);
  RetainBitmap(&result);
  return result;
}

IBitmap IDrawContext::CropBitmap(const IBitmap* bitmap, const IRECT* rect)
{
  if (!bitmap || !bitmap->mData || !rect || rect->W() <= 0 || rect->H() <= 0)
  {
    return IBitmap(nullptr, 0, 0, bitmap ? bitmap->N : 1);
  }
  LICE_MemBitmap* cropped = new LICE_MemBitmap(rect->W(), rect->H(), 4);
  // A rectangle reaching past the source leaves transparency there.
  LICE_Clear(cropped, 0);
  LICE_IBitmap* pixels = PicturePixels(bitmap);
  if (bitmap->mId >= 0 && mScale != 1.0)
  {
    // The result is a 100 % bitmap: the rectangle's pixels at the scale,
    // brought down to its layout size.
    const IRECT from = ToPixels(*rect);
    LICE_ScaledBlit(cropped, pixels, 0, 0, rect->W(), rect->H(), static_cast<float>(from.L),
                    static_cast<float>(from.T), static_cast<float>(from.W()),
                    static_cast<float>(from.H()), 1.0f, LICE_MODE_COPY | LICE_FLAG_BILINEAR);
  }
  else
  {
    LICE_Blit(cropped, pixels, 0, 0, rect->L, rect->T, rect->W(), rect->H(), 1.0f, LICE_MODE_COPY);
  }
  IBitmap result(cropped, rect->W(), rect->H(), bitmap->N);
  RetainBitmap(&result);
  return result;
}

void IDrawContext::RetainBitmap(const IBitmap* bitmap)
{
  if (bitmap && bitmap->mData && !s_bitmapCache.Holds(bitmap->mData))
  {
    s_bitmapCache.Add(bitmap->mData, BitmapStorage::kRetainedId);
  }
}

void IDrawContext::ReleaseBitmap(IBitmap* bitmap)
{
  if (bitmap && bitmap->mData && s_bitmapCache.RemoveRetained(bitmap->mData))
  {
    bitmap->mData = nullptr;
    bitmap->W = bitmap->H = 0;
  }
}

LICE_IBitmap* IDrawContext::LoadPNGResource(LICE_HMODULE module, int id, const char* name)
{
  if (!HasPngExtension(name))
  {
    return nullptr;
  }
  return LICE_LoadPNGFromResource(module, id);
}

// ============================================================================
// Fonts

LICE_HFONT IDrawContext::OSCreateFont(const IText*)
{
  return nullptr;
}

LICE_IFont* IDrawContext::CacheFont(IText* text)
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
