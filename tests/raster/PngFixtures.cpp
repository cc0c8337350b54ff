#include "PngFixtures.h"

#include <png.h>
#include <zlib.h>

#include <cstring>

namespace fixtures
{
namespace
{
void append(png_structp png, png_bytep data, png_size_t length)
{
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flush(png_structp) {}

int channelsOf(int colorType)
{
  switch (colorType)
  {
  case PNG_COLOR_TYPE_GRAY:
  case PNG_COLOR_TYPE_PALETTE:
    return 1;
  case PNG_COLOR_TYPE_GRAY_ALPHA:
    return 2;
  case PNG_COLOR_TYPE_RGB:
    return 3;
  default:
    return 4;
  }
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
  for (int s = 24; s >= 0; s -= 8)
    out.push_back(static_cast<uint8_t>(v >> s));
}
} // namespace

std::vector<uint8_t> encode(const PngRecipe& recipe)
{
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, append, flush);
  png_set_IHDR(png, info, recipe.width, recipe.height, recipe.bitDepth, recipe.colorType,
               recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (size_t i = 0; i + 2 < recipe.palette.size(); i += 3)
    palette.push_back(png_color{recipe.palette[i], recipe.palette[i + 1], recipe.palette[i + 2]});
  if (!palette.empty())
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!recipe.paletteAlpha.empty())
    png_set_tRNS(png, info, recipe.paletteAlpha.data(),
                 static_cast<int>(recipe.paletteAlpha.size()), nullptr);
  if (recipe.hasTransparentColor)
  {
    png_color_16 c = {};
    c.gray = recipe.transparent[0];
    c.red = recipe.transparent[0];
    c.green = recipe.transparent[1];
    c.blue = recipe.transparent[2];
    png_set_tRNS(png, info, nullptr, 0, &c);
  }
  png_write_info(png, info);

  // Pack the samples into rows of the declared depth.
  const int channels = channelsOf(recipe.colorType);
  const size_t rowBytes = (static_cast<size_t>(recipe.width) * channels * recipe.bitDepth + 7) / 8;
  std::vector<std::vector<uint8_t>> rows(recipe.height, std::vector<uint8_t>(rowBytes, 0));
  for (int y = 0; y < recipe.height; ++y)
    for (int i = 0; i < recipe.width * channels; ++i)
    {
      const uint16_t v = recipe.samples[static_cast<size_t>(y) * recipe.width * channels + i];
      if (recipe.bitDepth == 16)
      {
        rows[y][2 * i] = static_cast<uint8_t>(v >> 8);
        rows[y][2 * i + 1] = static_cast<uint8_t>(v);
      }
      else if (recipe.bitDepth == 8)
        rows[y][i] = static_cast<uint8_t>(v);
      else
      {
        const int bit = i * recipe.bitDepth;
        rows[y][bit / 8] |= static_cast<uint8_t>(v << (8 - recipe.bitDepth - bit % 8));
      }
    }
  std::vector<png_bytep> pointers;
  for (auto& r : rows)
    pointers.push_back(r.data());
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

long findChunk(const std::vector<uint8_t>& png, const char* type)
{
  size_t at = 8;
  while (at + 8 <= png.size())
  {
    const uint32_t length = (uint32_t(png[at]) << 24) | (uint32_t(png[at + 1]) << 16) |
                            (uint32_t(png[at + 2]) << 8) | png[at + 3];
    if (std::memcmp(&png[at + 4], type, 4) == 0)
      return static_cast<long>(at);
    at += 12 + length;
  }
  return -1;
}

std::vector<uint8_t> headerOnly(uint32_t width, uint32_t height)
{
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> chunk = {'I', 'H', 'D', 'R'};
  put32(chunk, width);
  put32(chunk, height);
  chunk.insert(chunk.end(), {8, 6, 0, 0, 0});
  put32(out, 13);
  out.insert(out.end(), chunk.begin(), chunk.end());
  put32(out, static_cast<uint32_t>(crc32(0, chunk.data(), static_cast<uInt>(chunk.size()))));
  return out;
}
} // namespace fixtures
