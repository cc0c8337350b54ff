#pragma once

// Small PNG files made at test time with libpng, in the formats the loader
// must convert, and ways to damage them.

#include <cstdint>
#include <string>
#include <vector>

namespace fixtures
{
struct PngRecipe
{
  int width = 2;
  int height = 2;
  int colorType = 6; // PNG_COLOR_TYPE_*
  int bitDepth = 8;
  bool interlaced = false;
  // Samples row by row, one value per channel (palette images: indices).
  std::vector<uint16_t> samples;
  // Palette as RGB triples, and the tRNS chunk: alpha per palette entry, or
  // for grey and RGB images the one transparent colour.
  std::vector<uint8_t> palette;
  std::vector<uint8_t> paletteAlpha;
  bool hasTransparentColor = false;
  uint16_t transparent[3] = {0, 0, 0};
};

std::vector<uint8_t> encode(const PngRecipe& recipe);

// Offset of the first chunk of this type ("IDAT"), or -1.
long findChunk(const std::vector<uint8_t>& png, const char* type);

// A PNG signature and a header declaring width x height, then nothing.
std::vector<uint8_t> headerOnly(uint32_t width, uint32_t height);
} // namespace fixtures
