#pragma once

// What the shared code asks of a platform layer (raster/win on Windows,
// raster/linux elsewhere). Each layer keeps its window-system types in its
// own private header; this interface speaks only in opaque handles.

#include "lice.h"
#include "lice_text.h"

#include <cstdio>

namespace lice
{
namespace platform
{
// --- System bitmap pixels -----------------------------------------------------
// A top-down 32-bit pixel buffer of spanWidth x height that the window system
// can show. On success fills bits, and the drawing context and allocation
// handles (either may stay null), and returns true.
bool allocSysPixels(int spanWidth, int height, LICE_pixel*& bits, LICE_HDC& dc, void*& section);
// Frees what allocSysPixels handed out; the context survives (it is made
// once per bitmap and freed by freeSysContext).
void freeSysPixels(LICE_HDC dc, void* section);
void freeSysContext(LICE_HDC dc);

// --- Resources and files ---------------------------------------------------------
// The bytes of the resource of this type and integer id in the module, or
// false when it does not exist or cannot be locked.
bool findResource(LICE_HMODULE module, int id, const char* type, const unsigned char*& data,
                  size_t& size);
// fopen for a UTF-8 file name.
FILE* openFile(const char* utf8Name, const char* mode);

// --- Text --------------------------------------------------------------------------
// One glyph rendered white on black: coverage 0..255 per pixel, `width`
// (the advance) by `height` (the line height).
struct GlyphImage
{
  int width = 0;
  int height = 0;
  unsigned char* coverage = nullptr; // width * height bytes, malloc'd, caller frees
};

// The platform font's line height (its text-metrics height), 0 without one.
int fontLineHeight(LICE_HFONT font);
// Renders one character through the platform's shared glyph scratch bitmap.
bool renderGlyph(LICE_HFONT font, unsigned int codepoint, GlyphImage& out);
void deleteFont(LICE_HFONT font);
// The platform's own text drawing is wanted only on the system it was made
// for, not under a compatibility layer.
bool nativeTextAvailable();
// Draws (or with DT_CALCRECT measures) through the platform's text drawing;
// returns the text height, 0 when it could not.
int drawNativeText(LICE_HFONT font, LICE_IBitmap* bitmap, const char* text, int length,
                   LICE_Rect* rect, int format, LICE_pixel color, LICE_pixel bkColor, int bkMode);
} // namespace platform
} // namespace lice
