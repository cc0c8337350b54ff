#pragma once

// The drawing context a control draws with (IControl::Draw): a back buffer
// of pixels at the editor's scale, the primitives that draw into it, the
// mapping from the layout units controls think in to those pixels, and the
// pictures and fonts of the scale. A control's drawing gets this type and
// nothing wider, so it sees only drawing. The graphics context (IGraphics.h)
// is one, and adds the controls, their input and the window on top; the
// drawing context knows no control.
//
// Rules of drawing:
//   - Units. Controls give rectangles and points in layout units, the
//     pixels at 100 %; the back buffer is pixels at the scale (1, 1.5 or 2).
//     A rectangle maps by its origin and its size, each times the scale and
//     rounded half up (ToPixels), so a control's pixels are exactly its
//     picture's; a point maps as a pixel centre, (v + 0.5) * scale - 0.5
//     (CentreToPixels). A pixel goes back to layout units rounded down
//     (ToLayout), so the pixels of one layout unit all land in it. At scale
//     1 every mapping is the identity.
//   - Lines and outlines stay one pixel wide at every scale. Text is drawn
//     with a font of the style's height times the scale; a measured extent
//     comes back in layout units.
//   - Clipping. Only the bitmap blits clip, to the region being drawn
//     (mDrawRECT, in pixels), which the drawing pass sets before it has
//     controls draw; every other primitive draws where it is told, and a
//     control keeps its drawing inside its own rectangle.
//   - Pictures. A record (IBitmap) keeps its picture's id, and drawing looks
//     the id up in this context's table for its current scale
//     (PicturePixels): a change of scale swaps every control's pictures at
//     once. A record without an id (ScaleBitmap, CropBitmap) is a 100 %
//     bitmap, drawn enlarged at other scales.
//   - Answers. Every primitive returns true unless given nothing to draw
//     with; colours and blends may be null where a pointer is taken.
//
// The pictures and the fonts come from two process-wide caches shared by
// every editor, each guarded by its own recursive mutex; the platform loads
// a module's picture (OSLoadBitmap) and makes a font (OSCreateFont). Loading
// pictures and the back buffer itself are the graphics context's to offer
// (IGraphics makes them public); a control's drawing sees neither.
//
// Sources: IDrawContext.cpp (the scale mapping, the back buffer, the
// primitives and text), IDrawContextPictures.cpp (the caches, the pictures
// held at the scale and the bitmaps made from them, fonts).
//
// Threads: the UI thread only; the caches alone are shared between threads.

#include "IGraphicsStructs.h"
#include "lice_text.h"

#include <string>
#include <vector>

class IDrawContext
{
public:
  IDrawContext(const IDrawContext&) = delete;
  IDrawContext& operator=(const IDrawContext&) = delete;

  // ---- Scale ----------------------------------------------------------------
  double GetScale() const { return mScale; }
  // The editor's size in layout units.
  int LayoutWidth() const { return mLayoutWidth; }
  int LayoutHeight() const { return mLayoutHeight; }
  // Layout units to pixels at the current scale: a length or an edge, a
  // rectangle (by its origin and its size), a pixel centre. The identity at
  // scale 1.
  int ToPixels(int v) const;
  IRECT ToPixels(const IRECT& rect) const;
  float CentreToPixels(float v) const;
  // A pixel position to layout units: rounded down, so the pixels of one
  // layout unit all land in it.
  int ToLayout(int px) const;

  // ---- Pictures -------------------------------------------------------------
  // The pixels drawn for the record at the context's scale: the current
  // set's picture for a record with an id, its own data otherwise.
  LICE_IBitmap* PicturePixels(const IBitmap* bitmap) const;

  // ---- Drawing primitives (into the back buffer) ------------------------------
  // In layout units, drawn at the scale.
  bool DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int srcX, int srcY,
                  const IChannelBlend* blend = nullptr);
  // state is 1-based; states beyond the frames draw the last frame.
  bool DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int state = 1,
                  const IChannelBlend* blend = nullptr);
  // angle in radians, clockwise.
  bool DrawRotatedBitmap(const IBitmap* bitmap, int destCtrX, int destCtrY, double angle,
                         int yOffsetZeroDeg = 0, const IChannelBlend* blend = nullptr);
  // angle in degrees, clockwise.
  bool DrawRotatedMask(const IBitmap* base, const IBitmap* mask, const IBitmap* top, int x, int y,
                       double angle, const IChannelBlend* blend = nullptr);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                 bool antiAlias = false);
  // Writes the colour straight into the back buffer; outside it, nothing.
  bool ForcePixel(const IColor* color, int x, int y);
  IColor GetPoint(int x, int y);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // angle in radians, 0 pointing up, clockwise.
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool FillCircle(const IColor* color, int cx, int cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool RoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                 int cornerRadius, bool antiAlias);
  bool FillRoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                     int cornerRadius, bool antiAlias);
  bool FillIRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend = nullptr);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* blend = nullptr);
  bool FillIConvexPolygon(const IColor* color, const int* x, const int* y, int npoints,
                          const IChannelBlend* blend = nullptr);
  bool DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi);
  bool DrawRect(const IColor* color, const IRECT* rect);
  // At x (0 to 1) of the way from the left.
  bool DrawVerticalLine(const IColor* color, const IRECT* rect, float x);
  // At y (0 to 1) of the way from the bottom.
  bool DrawHorizontalLine(const IColor* color, const IRECT* rect, float y);

  // ---- Text -------------------------------------------------------------------
  // Draws the string in the style inside rect, or with measure sets rect to
  // the text's extent (by the alignment) and draws nothing. At a scale the
  // font is the style's height times the scale and the extent comes back
  // in layout units. An empty string draws nothing; false when no font can
  // be made for the style.
  bool DrawIText(IText* text, const char* str, IRECT* rect, bool measure = false);
  // DrawIText with measuring on: the rectangle takes the text's extent.
  virtual bool MeasureIText(IText* text, const char* str, IRECT* rect);

protected:
  // w x h in layout units, at scale 1; no back buffer until MakeBitmaps().
  IDrawContext(int w, int h);
  // Deletes the back buffer and the scratch bitmap, and lets go of the
  // pictures held.
  virtual ~IDrawContext();

  // ---- What the platform supplies ---------------------------------------------
  // A new raster bitmap of the module's picture with that id, or null. The
  // caller (the bitmap cache) owns it.
  virtual LICE_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
  // The platform font for the style (face, height, weight, italic, angle,
  // quality), or null; the raster font made from it owns it. The base has
  // no platform fonts.
  virtual LICE_HFONT OSCreateFont(const IText* text);
  // The module's picture with that id from its "PNG" resources, for names
  // ending in ".png" (any case) only; the name opens no file. Null for other
  // names and for pictures that cannot be loaded. What every platform's
  // OSLoadBitmap does with its module.
  static LICE_IBitmap* LoadPNGResource(LICE_HMODULE module, int id, const char* name);

  // ---- Loading pictures (offered publicly by IGraphics) ------------------------
  // The picture with this id at the context's scale, loaded once per
  // process and shared by every editor at that scale; its size in the
  // record is in layout units. The record keeps the id: drawing it takes
  // the pixels of the context's scale of the moment, so mData is only the
  // pixels of the scale it was loaded at, and only while the context keeps
  // that scale. A picture that cannot be loaded gives a record with no data
  // and no size, which draws nothing; the next load of the id tries again.
  IBitmap LoadIBitmap(int id, const char* name, int nStates = 1, bool framesAreHorizontal = false);
  // New 100 % bitmaps (no id: drawn enlarged at other scales), kept by the
  // cache until the library unloads (or ReleaseBitmap).
  IBitmap ScaleBitmap(const IBitmap* bitmap, int w, int h);
  IBitmap CropBitmap(const IBitmap* bitmap, const IRECT* rect);
  void RetainBitmap(const IBitmap* bitmap);
  // Deletes a bitmap made by ScaleBitmap, CropBitmap or handed to
  // RetainBitmap, and clears the record; the shared artwork stays.
  void ReleaseBitmap(IBitmap* bitmap);

  // ---- The back buffer (offered publicly by IGraphics) -------------------------
  // The back buffer the platform copies to the screen (null before
  // MakeBitmaps()), in pixels.
  LICE_IBitmap* GetDrawBitmap() const { return mDrawBitmap; }
  LICE_pixel* GetBits();
  // A back buffer of the editor's size in pixels, and an empty scratch
  // bitmap, in place of any before.
  void MakeBitmaps();
  void DeleteBitmaps();

  // ---- Size and scale -----------------------------------------------------------
  // The editor's new size in layout units (negative counts as 0); its size
  // in pixels follows. The back buffer stays as it is until MakeBitmaps().
  void SetLayoutSize(int w, int h);
  // Draws at scale from now on: every held picture's set at the new scale
  // in place of the old one's, the size in pixels at the new scale, and a
  // back buffer of that size where there was one.
  void SetScale(double scale);

  // The font for the style from the process-wide cache, made on first use;
  // null when the platform cannot make it.
  LICE_IFont* CacheFont(IText* text);
  // The text style as drawn at the scale: its height times the scale and
  // no cached font (the cached one is the 100 % font).
  IText ScaledText(const IText& text) const;

  // The region being drawn, in pixels: the bitmap blits clip to it.
  IRECT mDrawRECT;
  LICE_IBitmap* mDrawBitmap = nullptr;
  LICE_IBitmap* mTmpBitmap = nullptr;
  int mWidth, mHeight; // pixels: the layout size at the scale

private:
  // A picture this context holds in the process-wide cache: the pixels of
  // its current scale, and what it takes to load another scale's.
  struct HeldPicture
  {
    int id;
    std::string name;
    int frames;
    bool framesAreHorizontal;
    LICE_IBitmap* pixels;
  };
  // Held for this context: the cached picture of id's set at the scale,
  // loaded (or enlarged from the 100 % picture) when no editor has it yet.
  LICE_IBitmap* HoldPicture(int id, const char* name, double scale, int frames,
                            bool framesAreHorizontal);
  // The record of a held picture, its size in layout units.
  IBitmap RecordOf(const HeldPicture& held) const;
  // Every held picture's set at the new scale in place of the old one's,
  // then the cache frees what no editor holds any more.
  void SwapPictures();
  // Lets go of every held picture (the cache keeps them for the next
  // editor).
  void ReleasePictures();
  // A pixel centre given in whole layout units, as a whole pixel.
  int CentrePixel(int v) const;
  // Draws the pixels' rectangle (srcX, srcY, w, h) of dest's size (pixels)
  // into the back buffer at dest, clipped to the region being drawn.
  void BlitPixels(LICE_IBitmap* pixels, const IRECT& dest, int srcX, int srcY,
                  const IChannelBlend* blend);

  int mLayoutWidth, mLayoutHeight;
  double mScale = 1.0;
  std::vector<HeldPicture> mPictures;
};
