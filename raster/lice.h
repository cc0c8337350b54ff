#pragma once

// Software drawing on 32-bit ARGB bitmaps.
//
// Pixels are 32-bit words 0xAARRGGBB, not premultiplied; in memory byte 0 is
// blue, 1 green, 2 red, 3 alpha. A bitmap is a plain view: a pointer to the
// first pixel of the top row, a width, a height and a row span (the distance
// between rows, in pixels). Every operation reads its bitmaps through that
// view, so it honours row span and bottom-up storage alike.
//
// Every operation clips to the destination bitmap and, for blits, to the
// source; a null bitmap, an alpha of exactly 0 or an empty rectangle makes it
// do nothing (or return 0). Nothing here throws: running out of memory leaves
// a 0 x 0 bitmap, and a PNG that cannot be decoded gives null.
//
// Platform handles (drawing contexts, fonts, modules) are opaque here; only
// the library's platform layers know their types. The operations keep no
// shared state except the font scratch bitmaps, and are meant for one thread
// (the editor's).

#include <cstddef>
#include <cstdint>

typedef uint32_t LICE_pixel;
typedef void* LICE_HDC;     // HDC on Windows, null elsewhere
typedef void* LICE_HMODULE; // HINSTANCE on Windows; null means the running program

// Packs a colour the way the bitmaps store it.
inline LICE_pixel LICE_RGBA(int r, int g, int b, int a)
{
  return (static_cast<LICE_pixel>(a & 255) << 24) | (static_cast<LICE_pixel>(r & 255) << 16) |
         (static_cast<LICE_pixel>(g & 255) << 8) | static_cast<LICE_pixel>(b & 255);
}
inline int LICE_GETA(LICE_pixel p)
{
  return static_cast<int>(p >> 24);
}
inline int LICE_GETR(LICE_pixel p)
{
  return static_cast<int>((p >> 16) & 255);
}
inline int LICE_GETG(LICE_pixel p)
{
  return static_cast<int>((p >> 8) & 255);
}
inline int LICE_GETB(LICE_pixel p)
{
  return static_cast<int>(p & 255);
}

// Blit mode word: the low byte selects how pixels combine, the flags above
// it change how the source is read.
enum
{
  LICE_MODE_COPY = 0,
  LICE_MODE_ADD = 1,
  LICE_MODE_DODGE = 2,
  LICE_MODE_MUL = 3,
  LICE_MODE_OVERLAY = 4,
  LICE_MODE_HSVADJ = 5,
  // Low byte 0xF0 to 0xFF: bits 0-1 name the source byte, bits 2-3 the
  // destination byte (0 blue, 1 green, 2 red, 3 alpha); only that byte is copied.
  LICE_MODE_CHANCOPY = 0xF0,
  LICE_BLIT_MODE_MASK = 0xFF,
  LICE_FLAG_BILINEAR = 0x100,
  LICE_FLAG_USE_ALPHA = 0x10000,
};

// A rectangle by its edges; right and bottom are exclusive.
struct LICE_Rect
{
  int left, top, right, bottom;
};

// The abstract bitmap. The slot order of the virtual operations is fixed.
class LICE_IBitmap
{
public:
  virtual ~LICE_IBitmap() {}
  virtual LICE_pixel* getBits() = 0; // the first pixel of the top row
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  virtual int getRowSpan() = 0;              // in pixels
  virtual bool isFlipped() { return false; } // rows stored bottom-up
  virtual bool resize(int w, int h) = 0;     // true when the size changed
  virtual LICE_HDC getDC() { return nullptr; }
  virtual int Extended(int id, void* data)
  {
    (void)id;
    (void)data;
    return 0;
  }
};

// Pixels in ordinary memory. lineAlign below 2 means no row padding;
// otherwise the row span is a multiple of the largest power of two dividing
// lineAlign (4 pixels for 4). The first pixel is aligned to 64 bytes.
class LICE_MemBitmap : public LICE_IBitmap
{
public:
  LICE_MemBitmap(int w = 0, int h = 0, unsigned int lineAlign = 4);
  ~LICE_MemBitmap() override;
  LICE_MemBitmap(const LICE_MemBitmap&) = delete;
  LICE_MemBitmap& operator=(const LICE_MemBitmap&) = delete;

  LICE_pixel* getBits() override { return mBits; }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mSpan; }
  // An unchanged size returns false. Growing beyond the allocation
  // reallocates 1.25 times what is needed; 0 in either dimension frees the
  // pixels; when memory runs out the bitmap becomes 0 x 0 (and this returns
  // true if that is a change). Contents are not kept.
  bool resize(int w, int h) override;

private:
  LICE_pixel* mBits = nullptr;
  void* mAllocation = nullptr;
  size_t mAllocated = 0; // bytes usable from mBits
  int mWidth = 0, mHeight = 0, mSpan = 0;
  unsigned int mLineAlign;
};

// Pixels the window system can copy to the screen directly: on Windows a
// top-down 32-bit DIB section selected into the bitmap's own memory drawing
// context (getDC()); elsewhere a plain top-down pixel buffer and no context.
// The row span is the allocated width rounded up to a multiple of 4 pixels;
// shrinking keeps the allocation, so the row span stays.
class LICE_SysBitmap : public LICE_IBitmap
{
public:
  LICE_SysBitmap(int w = 0, int h = 0);
  ~LICE_SysBitmap() override;
  LICE_SysBitmap(const LICE_SysBitmap&) = delete;
  LICE_SysBitmap& operator=(const LICE_SysBitmap&) = delete;

  LICE_pixel* getBits() override { return mBits; }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mSpan; }
  // Reallocates only when the width exceeds the row span, the height exceeds
  // the allocated height, either is 0, or nothing is allocated. If the
  // pixels cannot be had the bitmap becomes 0 x 0.
  bool resize(int w, int h) override;
  LICE_HDC getDC() override { return mDC; }

private:
  LICE_pixel* mBits = nullptr;
  int mWidth = 0, mHeight = 0, mSpan = 0, mAllocHeight = 0;
  LICE_HDC mDC = nullptr;   // the platform layer's drawing context, if any
  void* mSection = nullptr; // the platform layer's pixel allocation
};

// --- Blits ----------------------------------------------------------------
// alpha is a weight, trunc(alpha * 256) with 1.0 as 256 and clamped to
// 0..256; 0 draws nothing. mode is the blit mode word above.

// Copies the source rectangle (srcx, srcy, w, h) so that its top-left lands
// at (dstx, dsty). Whatever falls outside either bitmap is cut, and the other
// side is shifted by the same amount.
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int w,
               int h, float alpha, int mode);
// The same with the source rectangle by its edges; null for the whole source.
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const LICE_Rect* srcrect,
               float alpha, int mode);

// Maps the source rectangle (float) onto the destination rectangle. A
// negative dstw or dsth mirrors the image. Equal sizes (within 0.001) blit
// from the rounded source origin. Without LICE_FLAG_BILINEAR each destination
// pixel takes the nearest source pixel; with it, bilinear interpolation, and
// when shrinking by 1.7 or more in both directions a 3 x 3 average (5 x 5
// beyond 3). Filtering never reads outside the source rectangle, so a frame
// of a stacked picture does not bleed into its neighbour.
void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float alpha, int mode);

// Draws the source rectangle into the destination rectangle rotated by angle
// radians (clockwise on screen) about the destination's centre, which maps to
// the source rectangle's centre shifted by (rotxcent, rotycent) source
// pixels. With clipToSourceRect, destination pixels whose source position
// falls outside the source rectangle are left untouched; without it, only
// positions outside the source bitmap are skipped.
void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      float srcx, float srcy, float srcw, float srch, float angle,
                      bool clipToSourceRect, float alpha, int mode, float rotxcent = 0.0f,
                      float rotycent = 0.0f);

// Resizes dest to the source's size and copies every pixel.
void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src);

// --- Solid drawing ----------------------------------------------------------
// The colour is the source pixel. Only LICE_FillRect reads
// LICE_FLAG_USE_ALPHA: it scales the weight by the colour's alpha byte.

// Every pixel of the clipped rectangle becomes (pixel & mask) | orbits.
void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel mask = 0,
                    LICE_pixel orbits = 0);
void LICE_Clear(LICE_IBitmap* dest, LICE_pixel color);
void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha,
                   int mode);
void LICE_PutPixel(LICE_IBitmap* dest, int x, int y, LICE_pixel color, float alpha, int mode);
// The pixel, or 0 outside the bitmap.
LICE_pixel LICE_GetPixel(LICE_IBitmap* dest, int x, int y);

// --- Shapes -------------------------------------------------------------------
// Coordinates name pixel centres: the pixel (x, y) covers x - 0.5 to x + 0.5.
// Angles are in radians, 0 pointing up and growing clockwise, the way a knob
// turns. aa draws with anti-aliased edges; the weight of each pixel is then
// its coverage times alpha. Shapes ignore LICE_FLAG_USE_ALPHA.

// A one-pixel-wide line including both end points.
void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel color, float alpha,
               int mode, bool aa);
// The part of the circle between minAngle and maxAngle (a span of 2 pi or
// more is the whole circle).
void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
              LICE_pixel color, float alpha, int mode, bool aa);
void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha,
                 int mode, bool aa);
void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha,
                     int mode, bool aa);
// Outline from (x, y) to (x + w, y + h) with quarter-circle corners.
void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerRadius,
                    LICE_pixel color, float alpha, int mode, bool aa);
// Filled by horizontal spans; a pixel is drawn when its centre lies inside or
// on an edge.
void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                       LICE_pixel color, float alpha, int mode);
void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints,
                            LICE_pixel color, float alpha, int mode);

// --- PNG --------------------------------------------------------------------
// Every pixel arrives as 0xAARRGGBB, not premultiplied: palettes, grey
// levels, 16-bit channels and transparency chunks are converted; images
// without alpha are opaque. With a null bitmap a new LICE_MemBitmap (row
// alignment 4) is returned and the caller owns it; otherwise the given bitmap
// is resized and must then have exactly the image's size, else the load
// fails. Any failure (not a PNG, truncated or corrupt data, a bad checksum,
// an image wider or taller than 16384 pixels, no memory) returns null and
// leaks nothing; a bitmap passed in is never deleted.
LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, size_t length,
                                     LICE_IBitmap* bitmap = nullptr);
// The resource of type "PNG" with this id in the module: on Windows the
// module's own resources, elsewhere the PNG bytes embedded in the binary
// (see lice_embedded.h), where module is not looked at.
LICE_IBitmap* LICE_LoadPNGFromResource(LICE_HMODULE module, int id, LICE_IBitmap* bitmap = nullptr);
// fileName is UTF-8.
LICE_IBitmap* LICE_LoadPNG(const char* fileName, LICE_IBitmap* bitmap = nullptr);

// Writes the bitmap as an 8-bit RGBA PNG (the artwork generator and the
// image tests use it). False when the file cannot be written. The zlib
// level trades time for size: 9, the smallest, suits files that are kept;
// a screenshot taken while something runs wants 1, the fastest.
bool LICE_WritePNG(const char* fileName, LICE_IBitmap* bitmap, int compressionLevel = 9);
