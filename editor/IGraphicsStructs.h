#pragma once

// The small records the editor shares: rectangles, colours, text styles,
// multi-frame bitmaps, blend methods and mouse modifiers, and the
// conversions from them to what the raster library takes.
//
// Geometry is in layout units from the top left: editor client pixels at
// 100 %, times the editor's scale on the screen (IDrawContext.h). Multi-frame
// bitmaps have their frames stacked vertically (or side by side when
// flagged), and frame states are numbered from 1.

#include "lice.h"

class LICE_IFont;

struct IBitmap;

// A rectangle by its edges; right and bottom are exclusive.
struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
  // One frame of the bitmap with its top-left corner at (x, y). A null
  // bitmap gives a rectangle of no size; a frame count below 1 counts as 1.
  IRECT(int x, int y, const IBitmap* bitmap);

  // Only the all-zero rectangle is empty; (5, 5, 5, 5) has no area but is
  // not empty.
  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  double MW() const { return 0.5 * (L + R); }
  double MH() const { return 0.5 * (T + B); }

  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  // This rectangle's right and bottom edges count as touching, the other's
  // do not: a control whose right edge meets the next one's left edge is
  // redrawn with it, not the other way round.
  bool Intersects(const IRECT& other) const
  {
    return !Empty() && !other.Empty() && R >= other.L && L < other.R && B >= other.T && T < other.B;
  }
  // The overlap, or the empty rectangle when they do not intersect.
  IRECT Intersect(const IRECT& other) const;
  // The smallest rectangle holding both; an empty one adds nothing.
  IRECT Union(const IRECT& other) const;

  bool operator==(const IRECT& other) const
  {
    return L == other.L && T == other.T && R == other.R && B == other.B;
  }
  bool operator!=(const IRECT& other) const { return !(*this == other); }
};

// Alpha, red, green, blue, each 0 to 255.
struct IColor
{
  int A = 255, R = 0, G = 0, B = 0;

  IColor() = default;
  IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  bool operator==(const IColor& other) const
  {
    return A == other.A && R == other.R && G == other.G && B == other.B;
  }
  bool operator!=(const IColor& other) const { return !(*this == other); }
};

const IColor COLOR_TRANSPARENT(0, 0, 0, 0);
const IColor COLOR_BLACK(255, 0, 0, 0);
const IColor COLOR_GRAY(255, 127, 127, 127);
const IColor COLOR_WHITE(255, 255, 255, 255);
const IColor COLOR_RED(255, 255, 0, 0);
const IColor COLOR_GREEN(255, 0, 255, 0);
const IColor COLOR_BLUE(255, 0, 0, 255);
const IColor COLOR_YELLOW(255, 255, 255, 0);
const IColor COLOR_ORANGE(255, 255, 127, 0);

const IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
const IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
const IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

// The colour as a raster pixel, 0xAARRGGBB.
inline LICE_pixel LiceColor(const IColor* color)
{
  return (static_cast<LICE_pixel>(color->A) << 24) |
         (static_cast<LICE_pixel>(color->R & 255) << 16) |
         ((static_cast<LICE_pixel>(color->G) << 8) & 0xFFFF) |
         static_cast<LICE_pixel>(color->B & 255);
}

const int FONT_LEN = 32;
extern const char* const DEFAULT_FONT;
const int DEFAULT_TEXT_SIZE = 12;

// A text style. mCached points at the raster font made for the style the
// first time it draws (the process-wide font cache owns it), so that
// drawing text does not search the cache.
struct IText
{
  enum EStyle
  {
    kStyleNormal = 0,
    kStyleBold = 1,
    kStyleItalic = 2,
  };
  enum EAlign
  {
    kAlignNear = 0,
    kAlignCenter = 1,
    kAlignFar = 2,
  };
  enum EQuality
  {
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3,
  };

  char mFont[FONT_LEN];
  int mSize;
  IColor mColor;
  IColor mTextEntryBGColor;
  IColor mTextEntryFGColor;
  EStyle mStyle;
  EAlign mAlign;
  int mOrientation; // degrees counter-clockwise
  EQuality mQuality;
  LICE_IFont* mCached = nullptr;

  // A null colour or face name takes the default; a face name longer than
  // FONT_LEN - 1 characters is cut.
  explicit IText(int size = DEFAULT_TEXT_SIZE, const IColor* color = nullptr,
                 const char* font = nullptr, EStyle style = kStyleNormal,
                 EAlign align = kAlignCenter, int orientation = 0,
                 EQuality quality = kQualityDefault, const IColor* textEntryBGColor = nullptr,
                 const IColor* textEntryFGColor = nullptr);
};

// A handle on a raster bitmap holding one or more frames. The bitmap
// belongs to the process-wide cache, not to the record, which is copied
// freely. A bitmap that could not be loaded has no data and no size and
// draws nothing. Sizes are in layout units (a picture's 100 % pixels); a
// picture loaded from the module's resources keeps its id, by which the
// drawing context draws the pixels of its current scale (IDrawContext.h).
struct IBitmap
{
  LICE_IBitmap* mData = nullptr;
  int W = 0; // full width
  int H = 0; // full height of all frames
  int N = 1; // number of frames
  bool mFramesAreHorizontal = false;
  int mId = -1; // the resource's id at 100 %, -1 for a bitmap made in memory

  IBitmap() = default;
  IBitmap(LICE_IBitmap* data, int w, int h, int n = 1, bool framesAreHorizontal = false,
          int id = -1)
      : mData(data), W(w), H(h), N(n), mFramesAreHorizontal(framesAreHorizontal), mId(id)
  {
  }

  // The frame count a drawing may rely on: at least 1.
  int Frames() const { return N < 1 ? 1 : N; }
  int FrameWidth() const { return mFramesAreHorizontal ? W / Frames() : W; }
  int FrameHeight() const { return mFramesAreHorizontal ? H : H / Frames(); }
};

// How a picture or a shape combines with what is already drawn, and how
// strongly (0 to 1). A null blend pointer is allowed wherever one is taken.
struct IChannelBlend
{
  // Any int is a valid method; values beyond these blend as kBlendNone.
  enum EBlendMethod : int
  {
    kBlendNone = 0,
    kBlendOpaque = 1,
    kBlendAdd = 2,
    kBlendDodge = 3,
  };

  EBlendMethod mMethod;
  float mWeight;

  IChannelBlend(EBlendMethod method = kBlendNone, float weight = 1.0f)
      : mMethod(method), mWeight(weight)
  {
  }
};

// The weight with which a grayed-out control draws itself.
const float GRAYED_ALPHA = 0.25f;

// The blend's weight; 1 for no blend.
inline float LiceWeight(const IChannelBlend* blend)
{
  return blend ? blend->mWeight : 1.0f;
}
// The raster blit mode of a blend: copy by the source's alpha unless the
// blend asks for opaque copy, addition or colour dodge.
int LiceBlendMode(const IChannelBlend* blend);

// Mouse buttons and modifier keys held during a mouse event: left, right,
// shift, control, alt.
struct IMouseMod
{
  bool L, R, S, C, A;
  IMouseMod(bool l = false, bool r = false, bool s = false, bool c = false, bool a = false)
      : L(l), R(r), S(s), C(c), A(a)
  {
  }
};
