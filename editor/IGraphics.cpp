#include "IGraphics.h"

#include "IParam.h"
#include "IPlugBase.h"
#include "WDL_Mutex.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{
// Clean timer ticks in a row after which the controls get OnGUIIdle().
const int kIdleTicks = 20;

const double kPi = 3.141592653589793;

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

// Substituted for a missing modifier record, so that controls can always
// read one.
IMouseMod* OrNoMod(IMouseMod* mod, IMouseMod* none)
{
  return mod ? mod : none;
}
} // namespace

// ============================================================================
// Construction and controls

IGraphics::IGraphics(IPlugBase* plug, int w, int h, int fps)
    : mPlug(plug), mWidth(w < 0 ? 0 : w), mHeight(h < 0 ? 0 : h), mFPS(fps < 1 ? 25 : fps)
{
}

IGraphics::~IGraphics()
{
  delete mKeyCatcher;
  mControls.Empty(true);
  DeleteBitmaps();
}

void IGraphics::DeleteBitmaps()
{
  delete mDrawBitmap;
  mDrawBitmap = nullptr;
  delete mTmpBitmap;
  mTmpBitmap = nullptr;
}

void IGraphics::PrepDraw()
{
  DeleteBitmaps();
  mDrawBitmap = new LICE_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
}

void IGraphics::Resize(int w, int h)
{
  // The host may be pushing a value into the controls about to go.
  IPlugBase::IMutexLock lock(mPlug);
  mWidth = w < 0 ? 0 : w;
  mHeight = h < 0 ? 0 : h;
  ReleaseMouseCapture();
  EndGesture(); // its control is about to go
  mMouseOver = -1;
  mControls.Empty(true);
  PrepDraw();
  if (mPlug)
  {
    mPlug->ResizeGraphics(mWidth, mHeight);
  }
}

bool IGraphics::MeasureIText(IText* text, const char* str, IRECT* rect)
{
  return DrawIText(text, str, rect, true);
}

void* IGraphics::OpenWindow(void*, void*, short, short)
{
  return nullptr;
}

void IGraphics::AttachBackground(int id, const char* name)
{
  const IBitmap background = LoadIBitmap(id, name, 1);
  IControl* control = new IBitmapControl(mPlug, 0, 0, -1, &background, IChannelBlend::kBlendOpaque);
  control->SetGraphics(this);
  mControls.Insert(0, control);
}

void IGraphics::AttachPanelBackground(const IColor* color)
{
  IControl* control = new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color);
  control->SetGraphics(this);
  mControls.Insert(0, control);
}

int IGraphics::AttachControl(IControl* control)
{
  if (!control)
  {
    return -1;
  }
  control->SetGraphics(this);
  mControls.Add(control);
  return mControls.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* control)
{
  if (control != mKeyCatcher)
  {
    delete mKeyCatcher;
  }
  mKeyCatcher = control;
  if (control)
  {
    control->SetGraphics(this);
  }
}

bool IGraphics::IsParam(int idx) const
{
  return mPlug && mPlug->GetParam(idx);
}

// ============================================================================
// Values between the plug-in and the controls

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  if (!param)
  {
    return;
  }
  if (!normalized)
  {
    value = param->GetNormalized(value);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* control = mControls.Get(i);
    if (control->ParamIdx() == paramIdx)
    {
      control->SetValueFromPlug(value);
    }
    const int auxIdx = control->AuxParamIdx(paramIdx);
    if (auxIdx >= 0)
    {
      control->SetAuxParamValueFromPlug(auxIdx, value);
    }
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  if (IControl* control = mControls.Get(controlIdx))
  {
    control->SetValueFromPlug(normalizedValue);
  }
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    if (mControls.Get(i)->ParamIdx() == paramIdx)
    {
      mControls.Get(i)->Hide(hide);
    }
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    if (mControls.Get(i)->ParamIdx() == paramIdx)
    {
      mControls.Get(i)->GrayOut(gray);
    }
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  if (!param)
  {
    return;
  }
  if (!normalized)
  {
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    if (mControls.Get(i)->ParamIdx() == paramIdx)
    {
      mControls.Get(i)->Clamp(lo, hi);
    }
  }
}

void IGraphics::SetAllControlsDirty()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    mControls.Get(i)->SetDirty(false);
  }
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* textRect)
{
  if (!control || !param || !textRect)
  {
    return;
  }
  const int nTexts = param->GetNDisplayTexts();
  if (param->Type() == kTypeEnum || (param->Type() == kTypeBool && nTexts > 0))
  {
    char current[MAX_PARAM_DISPLAY_LEN];
    param->GetDisplayForHost(current);
    IPopupMenu menu(0, false);
    for (int i = 0; i < nTexts; ++i)
    {
      const char* text = param->GetDisplayTextAtIdx(i);
      menu.AddItem(text)->SetChecked(std::strcmp(text, current) == 0);
    }
    if (CreateIPopupMenu(&menu, textRect) == &menu)
    {
      const int chosen = menu.GetChosenItemIdx();
      if (chosen >= 0 && chosen < nTexts)
      {
        // The entry's own value, which is its position when the texts were
        // given in value order, as they usually are.
        int value = 0;
        param->GetDisplayTextAtIdx(chosen, &value);
        control->SetValueFromUserInput(param->GetNormalized(value));
      }
    }
    // The modal menu took the release: the press's gesture ends with the
    // choice, not when the window next sees a button.
    EndGesture();
    return;
  }
  char current[MAX_PARAM_DISPLAY_LEN];
  param->GetDisplayForHostNoDisplayText(current);
  // The box may take the release away from the window; the press's gesture
  // ends here, and the commit brackets itself.
  EndGesture();
  CreateTextEntry(control, control->GetText(), textRect, current, param);
}

void IGraphics::CommitTextEntry(IControl* control, IParam* param, const char* text)
{
  if (!control || !text)
  {
    return;
  }
  if (!param)
  {
    control->TextFromTextEntry(text);
    return;
  }
  double value = 0.0;
  if (param->Type() == kTypeEnum || param->Type() == kTypeBool)
  {
    int index = 0;
    value = param->MapDisplayText(text, &index) ? index : 0;
  }
  else
  {
    value = std::atof(text);
    if (param->DisplayIsNegated())
    {
      value = -value;
    }
  }
  BeginGesture(control);
  control->SetValueFromUserInput(param->GetNormalized(value));
  EndGesture();
}

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

LICE_pixel* IGraphics::GetBits()
{
  return mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
}

// ============================================================================
// Drawing primitives

bool IGraphics::DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend)
{
  if (!bitmap || !dest)
  {
    return false;
  }
  const IRECT r = dest->Intersect(mDrawRECT);
  if (r.W() <= 0 || r.H() <= 0)
  {
    return true;
  }
  LICE_Blit(mDrawBitmap, bitmap->mData, r.L, r.T, srcX + r.L - dest->L, srcY + r.T - dest->T, r.W(),
            r.H(), LiceWeight(blend), LiceBlendMode(blend));
  return true;
}

bool IGraphics::DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int state,
                           const IChannelBlend* blend)
{
  if (!bitmap)
  {
    return false;
  }
  int srcX = 0, srcY = 0;
  if (bitmap->N > 1 && state > 1)
  {
    // A state beyond the frames shows the last one rather than whatever
    // lies below the picture.
    if (state > bitmap->N)
    {
      state = bitmap->N;
    }
    const double extent = bitmap->mFramesAreHorizontal ? bitmap->W : bitmap->H;
    const int offset = static_cast<int>(0.5 + extent * (state - 1) / bitmap->N);
    (bitmap->mFramesAreHorizontal ? srcX : srcY) = offset;
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(const IBitmap* bitmap, int destCtrX, int destCtrY, double angle,
                                  int yOffsetZeroDeg, const IChannelBlend* blend)
{
  if (!bitmap)
  {
    return false;
  }
  const int w = bitmap->W, h = bitmap->H;
  LICE_RotatedBlit(mDrawBitmap, bitmap->mData, destCtrX - w / 2, destCtrY - h / 2, w, h, 0.0f, 0.0f,
                   static_cast<float>(w), static_cast<float>(h), static_cast<float>(angle), false,
                   LiceWeight(blend), LiceBlendMode(blend) | LICE_FLAG_BILINEAR, 0.0f,
                   static_cast<float>(yOffsetZeroDeg));
  return true;
}

bool IGraphics::DrawRotatedMask(const IBitmap* base, const IBitmap* mask, const IBitmap* top, int x,
                                int y, double angle, const IChannelBlend* blend)
{
  if (!base || !mask || !top)
  {
    return false;
  }
  // Without a base the scratch would still hold the previous knob.
  if (!base->mData)
  {
    return true;
  }
  const float a = static_cast<float>(angle * kPi / 180.0);
  const int w = base->W, h = base->H;
  const float xOffset = (w % 2) ? -0.5f : 0.0f;
  if (!mTmpBitmap)
  {
    mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
  }
  LICE_Copy(mTmpBitmap, base->mData);
  // The base keeps its colours but loses its alpha: the turned mask gives
  // the knob its outline and light.
  LICE_ClearRect(mTmpBitmap, 0, 0, w, h, 0xFFFFFF, 0);
  LICE_RotatedBlit(mTmpBitmap, mask->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w),
                   static_cast<float>(h), a, true, 1.0f,
                   LICE_MODE_ADD | LICE_FLAG_BILINEAR | LICE_FLAG_USE_ALPHA, xOffset, 0.0f);
  LICE_RotatedBlit(mTmpBitmap, top->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w),
                   static_cast<float>(h), a, true, 1.0f,
                   LICE_MODE_COPY | LICE_FLAG_BILINEAR | LICE_FLAG_USE_ALPHA, xOffset, 0.0f);
  const IRECT r = IRECT(x, y, x + w, y + h).Intersect(mDrawRECT);
  if (r.W() > 0 && r.H() > 0)
  {
    LICE_Blit(mDrawBitmap, mTmpBitmap, r.L, r.T, r.L - x, r.T - y, r.W(), r.H(), LiceWeight(blend),
              LiceBlendMode(blend));
  }
  return true;
}

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool)
{
  if (!color)
  {
    return false;
  }
  LICE_PutPixel(mDrawBitmap, static_cast<int>(x + 0.5f), static_cast<int>(y + 0.5f),
                LiceColor(color), LiceWeight(blend), LiceBlendMode(blend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  if (!color || !mDrawBitmap || x < 0 || y < 0 || x >= mDrawBitmap->getWidth() ||
      y >= mDrawBitmap->getHeight())
  {
    return false;
  }
  LICE_pixel* row = mDrawBitmap->getBits() + static_cast<size_t>(y) * mDrawBitmap->getRowSpan();
  row[x] = LiceColor(color);
  return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
  const LICE_pixel p = LICE_GetPixel(mDrawBitmap, x, y);
  return IColor(LICE_GETA(p), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p));
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_Line(mDrawBitmap, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
            static_cast<int>(y2), LiceColor(color), LiceWeight(blend), LiceBlendMode(blend),
            antiAlias);
  return true;
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                               float rMax, const IChannelBlend* blend, bool antiAlias)
{
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(color, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, blend,
                  antiAlias);
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* blend, bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, LiceColor(color), LiceWeight(blend),
           LiceBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r,
                           const IChannelBlend* blend, bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_Circle(mDrawBitmap, cx, cy, r, LiceColor(color), LiceWeight(blend), LiceBlendMode(blend),
              antiAlias);
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_FillCircle(mDrawBitmap, static_cast<float>(cx), static_cast<float>(cy), r, LiceColor(color),
                  LiceWeight(blend), LiceBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                          int cornerRadius, bool antiAlias)
{
  if (!color || !rect)
  {
    return false;
  }
  LICE_RoundRect(mDrawBitmap, static_cast<float>(rect->L), static_cast<float>(rect->T),
                 static_cast<float>(rect->W()), static_cast<float>(rect->H()), cornerRadius,
                 LiceColor(color), LiceWeight(blend), LiceBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                              int cornerRadius, bool antiAlias)
{
  if (!color || !rect)
  {
    return false;
  }
  const int x = rect->L, y = rect->T, w = rect->W(), h = rect->H(), cr = cornerRadius;
  const LICE_pixel pixel = LiceColor(color);
  const float weight = LiceWeight(blend);
  const int mode = LiceBlendMode(blend);
  LICE_FillRect(mDrawBitmap, x + cr, y, w - 2 * cr, h, pixel, weight, mode);
  LICE_FillRect(mDrawBitmap, x, y + cr, cr, h - 2 * cr, pixel, weight, mode);
  LICE_FillRect(mDrawBitmap, x + w - cr, y + cr, cr, h - 2 * cr, pixel, weight, mode);
  const float r = static_cast<float>(cr);
  LICE_FillCircle(mDrawBitmap, static_cast<float>(x + cr), static_cast<float>(y + cr), r, pixel,
                  weight, mode, antiAlias);
  LICE_FillCircle(mDrawBitmap, static_cast<float>(x + w - cr - 1),
                  static_cast<float>(y + h - cr - 1), r, pixel, weight, mode, antiAlias);
  LICE_FillCircle(mDrawBitmap, static_cast<float>(x + w - cr - 1), static_cast<float>(y + cr), r,
                  pixel, weight, mode, antiAlias);
  LICE_FillCircle(mDrawBitmap, static_cast<float>(x + cr), static_cast<float>(y + h - cr - 1), r,
                  pixel, weight, mode, antiAlias);
  return true;
}

bool IGraphics::FillIRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend)
{
  if (!color || !rect)
  {
    return false;
  }
  LICE_FillRect(mDrawBitmap, rect->L, rect->T, rect->W(), rect->H(), LiceColor(color),
                LiceWeight(blend), LiceBlendMode(blend));
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend)
{
  if (!color)
  {
    return false;
  }
  LICE_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, LiceColor(color), LiceWeight(blend),
                    LiceBlendMode(blend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, const int* x, const int* y, int npoints,
                                   const IChannelBlend* blend)
{
  if (!color || !x || !y || npoints < 1)
  {
    return false;
  }
  LICE_FillConvexPolygon(mDrawBitmap, x, y, npoints, LiceColor(color), LiceWeight(blend),
                         LiceBlendMode(blend));
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi)
{
  if (!color)
  {
    return false;
  }
  LICE_Line(mDrawBitmap, xi, yLo, xi, yHi, LiceColor(color), 1.0f, LICE_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi)
{
  if (!color)
  {
    return false;
  }
  LICE_Line(mDrawBitmap, xLo, yi, xHi, yi, LiceColor(color), 1.0f, LICE_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawRect(const IColor* color, const IRECT* rect)
{
  if (!color || !rect)
  {
    return false;
  }
  DrawHorizontalLine(color, rect->T, rect->L, rect->R);
  DrawHorizontalLine(color, rect->B, rect->L, rect->R);
  DrawVerticalLine(color, rect->L, rect->T, rect->B);
  DrawVerticalLine(color, rect->R, rect->T, rect->B);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, const IRECT* rect, float x)
{
  if (!rect)
  {
    return false;
  }
  x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
  return DrawVerticalLine(color, rect->L + static_cast<int>((rect->R - rect->L) * x), rect->T,
                          rect->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, const IRECT* rect, float y)
{
  if (!rect)
  {
    return false;
  }
  y = y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y);
  return DrawHorizontalLine(color, rect->B - static_cast<int>((rect->B - rect->T) * y), rect->L,
                            rect->R);
}

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

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* rect, bool measure)
{
  if (!str || !str[0])
  {
    return true;
  }
  if (!text || !rect)
  {
    return false;
  }
  LICE_IFont* font = text->mCached ? text->mCached : CacheFont(text);
  if (!font)
  {
    return false;
  }
  font->SetTextColor(LiceColor(&text->mColor));
  int format = LICE_DT_NOCLIP;
  if (text->mColor.A < 255)
  {
    format |= LICE_DT_USEFGALPHA;
  }
  if (text->mAlign == IText::kAlignCenter)
  {
    format |= LICE_DT_CENTER;
  }
  else if (text->mAlign == IText::kAlignFar)
  {
    format |= LICE_DT_RIGHT;
  }

  if (measure)
  {
    LICE_Rect extent = {0, 0, 0, 0};
    font->DrawTextA(mDrawBitmap, str, -1, &extent, format | LICE_DT_CALCRECT);
    const int w = extent.right - extent.left, h = extent.bottom - extent.top;
    switch (text->mAlign)
    {
    case IText::kAlignNear:
      rect->R = rect->L + w;
      break;
    case IText::kAlignCenter:
      rect->L = static_cast<int>(rect->MW()) - w / 2;
      rect->R = rect->L + w;
      break;
    case IText::kAlignFar:
      rect->L = rect->R - w;
      rect->R = rect->L + w;
      break;
    }
    rect->B = rect->T + h;
    return true;
  }

  LICE_Rect r = {rect->L, rect->T, rect->R, rect->B};
  font->DrawTextA(mDrawBitmap, str, -1, &r, format);
  return true;
}

// ============================================================================
// Drawing pass

bool IGraphics::IsDirty(IRECT* rect)
{
  bool dirty = false;
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* control = mControls.Get(i);
    if (control->IsDirty())
    {
      if (rect)
      {
        *rect = rect->Union(*control->GetRECT());
      }
      dirty = true;
    }
  }
  if (dirty)
  {
    mIdleTicks = 0;
  }
  else if (++mIdleTicks > kIdleTicks)
  {
    OnGUIIdle();
    mIdleTicks = 0;
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* rect)
{
  if (!rect)
  {
    return false;
  }
  const int n = mControls.GetSize();
  if (n == 0)
  {
    return true;
  }
  if (mStrict)
  {
    mDrawRECT = *rect;
    for (int i = 0; i < n; ++i)
    {
      IControl* control = mControls.Get(i);
      if (!control->IsHidden() && rect->Intersects(*control->GetRECT()))
      {
        control->Draw(this);
      }
      control->SetClean();
    }
  }
  else
  {
    IControl* background = mControls.Get(0);
    if (background->IsDirty())
    {
      mDrawRECT = *background->GetRECT();
      for (int j = 0; j < n; ++j)
      {
        IControl* control = mControls.Get(j);
        if (j == 0 || !control->IsHidden())
        {
          control->Draw(this);
          control->SetClean();
        }
      }
    }
    else
    {
      for (int i = 1; i < n; ++i)
      {
        IControl* dirty = mControls.Get(i);
        if (!dirty->IsDirty())
        {
          continue;
        }
        mDrawRECT = *dirty->GetRECT();
        for (int j = 0; j < n; ++j)
        {
          IControl* control = mControls.Get(j);
          if (!control->IsHidden() && (j == i || control->GetRECT()->Intersects(mDrawRECT)))
          {
            control->Draw(this);
          }
        }
        dirty->SetClean();
      }
    }
  }
  return DrawScreen(rect);
}

void IGraphics::OnGUIIdle()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    mControls.Get(i)->OnGUIIdle();
  }
}

// ============================================================================
// Input dispatch

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver)
{
  if (mMouseCapture >= 0)
  {
    return mMouseCapture;
  }
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* control = mControls.Get(i);
    if (control->IsHidden())
    {
      continue;
    }
    if (control->IsGrayed() && !(mouseOver && control->GetMOWhenGrayed()))
    {
      continue;
    }
    if (control->IsHit(x, y))
    {
      return i;
    }
  }
  return -1;
}

void IGraphics::ReleaseMouseCapture()
{
  mMouseCapture = mMouseX = mMouseY = -1;
}

void IGraphics::BeginGesture(IControl* control)
{
  EndGesture();
  const int paramIdx = control ? control->ParamIdx() : -1;
  if (IsParam(paramIdx))
  {
    mGestureParam = paramIdx;
    mPlug->BeginInformHostOfParamChange(paramIdx);
  }
}

void IGraphics::EndGesture()
{
  if (mGestureParam >= 0)
  {
    const int paramIdx = mGestureParam;
    mGestureParam = -1;
    mPlug->EndInformHostOfParamChange(paramIdx);
  }
}

void IGraphics::PressControl(int c, int x, int y, IMouseMod* mod)
{
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  // The gesture opens before the control acts: a switch or a button changes
  // its value on the press, and a host recording automation by touch keeps
  // only the values that come between begin and end.
  IControl* control = mControls.Get(c);
  BeginGesture(control);
  control->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod)
{
  IMouseMod none;
  mod = OrNoMod(mod, &none);
  ReleaseMouseCapture();
  EndGesture(); // a release the window never saw
  const int c = GetMouseControlIdx(x, y);
  if (c >= 0)
  {
    PressControl(c, x, y, mod);
  }
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod)
{
  IMouseMod none;
  mod = OrNoMod(mod, &none);
  const int c = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  if (IControl* control = mControls.Get(c))
  {
    control->OnMouseUp(x, y, mod);
  }
  EndGesture();
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod)
{
  IControl* control = mControls.Get(mMouseCapture);
  if (!control)
  {
    return;
  }
  const int dX = x - mMouseX, dY = y - mMouseY;
  if (dX == 0 && dY == 0)
  {
    return;
  }
  IMouseMod none;
  mMouseX = x;
  mMouseY = y;
  control->OnMouseDrag(x, y, dX, dY, OrNoMod(mod, &none));
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  IMouseMod none;
  mod = OrNoMod(mod, &none);
  ReleaseMouseCapture();
  const int c = GetMouseControlIdx(x, y);
  IControl* control = mControls.Get(c);
  if (!control)
  {
    return false;
  }
  if (control->MouseDblAsSingleClick())
  {
    PressControl(c, x, y, mod);
    return true;
  }
  control->OnMouseDblClick(x, y, mod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d)
{
  IMouseMod none;
  if (IControl* control = mControls.Get(GetMouseControlIdx(x, y)))
  {
    control->OnMouseWheel(x, y, OrNoMod(mod, &none), d);
  }
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod)
{
  if (!mHandleMouseOver)
  {
    return false;
  }
  IMouseMod none;
  const int c = GetMouseControlIdx(x, y, true);
  if (c >= 0)
  {
    mMouseX = x;
    mMouseY = y;
    mControls.Get(c)->OnMouseOver(x, y, OrNoMod(mod, &none));
    if (mMouseOver >= 0 && mMouseOver != c)
    {
      if (IControl* previous = mControls.Get(mMouseOver))
      {
        previous->OnMouseOut();
      }
    }
    mMouseOver = c;
  }
  return mHandleMouseOver;
}

void IGraphics::OnMouseOut()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    mControls.Get(i)->OnMouseOut();
  }
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  const int c = GetMouseControlIdx(x, y);
  if (c > 0)
  {
    return mControls.Get(c)->OnKeyDown(x, y, key);
  }
  if (mKeyCatcher)
  {
    return mKeyCatcher->OnKeyDown(x, y, key);
  }
  return false;
}
