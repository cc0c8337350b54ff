// PNG decoding and encoding through libpng.
//
// libpng reports errors by long jump. The jump lands in readImage() or
// writeImage(), which hold no objects with destructors; everything they make
// lives in a Job record owned by the caller, which frees it on every path.

#include "lice_internal.h"
#include "lice_platform.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
// Images wider or taller than this are refused before any pixel memory is
// asked for.
const png_uint_32 kMaxDimension = 16384;

struct MemoryInput
{
  const unsigned char* data;
  size_t length;
  size_t position;
};

// Hands libpng the next bytes of the buffer. Asking past the end means the
// data is truncated: that is an error, not zeros.
void readFromMemory(png_structp png, png_bytep out, png_size_t count)
{
  MemoryInput* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
  const size_t left = in->length - in->position;
  if (count > left)
  {
    std::memset(out, 0, count);
    png_error(png, "PNG data is truncated");
  }
  std::memcpy(out, in->data + in->position, count);
  in->position += count;
}

// Quiet handlers: a bad picture is a result (null), not console output.
void onError(png_structp png, png_const_charp)
{
  png_longjmp(png, 1);
}
void onWarning(png_structp, png_const_charp) {}

struct Job
{
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_bytep* rows = nullptr;
  LICE_IBitmap* target = nullptr; // the caller's bitmap, or the one made here
  bool made = false;              // target was made here and goes if the load fails
};

// Reads the whole image into job->target. False on any libpng error.
bool readImage(Job* job)
{
  if (setjmp(png_jmpbuf(job->png)))
    return false;
  png_structp png = job->png;
  png_infop info = job->info;
  png_set_user_limits(png, kMaxDimension, kMaxDimension);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);

  bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  if (colorType == PNG_COLOR_TYPE_PALETTE)
    png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8)
    png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS))
  {
    png_set_tRNS_to_alpha(png);
    hasAlpha = true;
  }
  if (depth == 16)
    png_set_strip_16(png);
  if (depth < 8)
    png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  if (hasAlpha)
    png_set_swap_alpha(png);
  else
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4)
    png_error(png, "unexpected row layout");

  const int w = static_cast<int>(width), h = static_cast<int>(height);
  if (!job->target)
  {
    job->target = new (std::nothrow) LICE_MemBitmap(w, h, 4);
    job->made = job->target != nullptr;
    if (!job->target)
      return false;
  }
  else
    job->target->resize(w, h);
  lice::View view;
  if (!lice::viewOf(job->target, view) || view.width != w || view.height != h)
    return false;

  job->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
  if (!job->rows)
    return false;
  for (int y = 0; y < h; ++y)
    job->rows[y] = reinterpret_cast<png_bytep>(view.row(y));
  png_read_image(png, job->rows);

  // libpng delivered the bytes A, R, G, B; the bitmap wants the word
  // 0xAARRGGBB, which is B, G, R, A in memory.
  for (int y = 0; y < h; ++y)
  {
    LICE_pixel* p = view.row(y);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(p);
    for (int x = 0; x < w; ++x, b += 4)
      p[x] = LICE_RGBA(b[1], b[2], b[3], b[0]);
  }
  return true;
}

// Sets up libpng around readImage; `setInput` attaches the source.
template <class SetInput> LICE_IBitmap* load(LICE_IBitmap* bitmap, SetInput setInput)
{
  Job job;
  job.target = bitmap;
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (job.png)
    job.info = png_create_info_struct(job.png);
  bool ok = false;
  if (job.png && job.info)
  {
    setInput(job.png);
    ok = readImage(&job);
  }
  png_destroy_read_struct(job.png ? &job.png : nullptr, job.info ? &job.info : nullptr, nullptr);
  std::free(job.rows);
  if (ok)
    return job.target;
  if (job.made)
    delete job.target;
  return nullptr;
}
} // namespace

LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, size_t length, LICE_IBitmap* bitmap)
{
  if (!data || length < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0)
    return nullptr;
  MemoryInput in{static_cast<const unsigned char*>(data), length, 0};
  return load(bitmap, [&in](png_structp png) { png_set_read_fn(png, &in, readFromMemory); });
}

LICE_IBitmap* LICE_LoadPNGFromResource(LICE_HMODULE module, int id, LICE_IBitmap* bitmap)
{
  const unsigned char* data = nullptr;
  size_t size = 0;
  if (!lice::platform::findResource(module, id, "PNG", data, size) || size < 8)
    return nullptr;
  return LICE_LoadPNGFromMemory(data, size, bitmap);
}

LICE_IBitmap* LICE_LoadPNG(const char* fileName, LICE_IBitmap* bitmap)
{
  if (!fileName)
    return nullptr;
  FILE* file = lice::platform::openFile(fileName, "rb");
  if (!file)
    return nullptr;
  LICE_IBitmap* out = load(bitmap, [file](png_structp png) { png_init_io(png, file); });
  std::fclose(file);
  return out;
}

namespace
{
struct WriteJob
{
  png_structp png = nullptr;
  png_infop info = nullptr;
  unsigned char* row = nullptr;
};

bool writeImage(WriteJob* job, FILE* file, const lice::View& view, int compressionLevel)
{
  if (setjmp(png_jmpbuf(job->png)))
    return false;
  png_init_io(job->png, file);
  png_set_IHDR(job->png, job->info, static_cast<png_uint_32>(view.width),
               static_cast<png_uint_32>(view.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(job->png, std::clamp(compressionLevel, 0, 9));
  png_write_info(job->png, job->info);
  for (int y = 0; y < view.height; ++y)
  {
    const LICE_pixel* p = view.row(y);
    for (int x = 0; x < view.width; ++x)
    {
      job->row[x * 4 + 0] = static_cast<unsigned char>(LICE_GETR(p[x]));
      job->row[x * 4 + 1] = static_cast<unsigned char>(LICE_GETG(p[x]));
      job->row[x * 4 + 2] = static_cast<unsigned char>(LICE_GETB(p[x]));
      job->row[x * 4 + 3] = static_cast<unsigned char>(LICE_GETA(p[x]));
    }
    png_write_row(job->png, job->row);
  }
  png_write_end(job->png, job->info);
  return true;
}
} // namespace

bool LICE_WritePNG(const char* fileName, LICE_IBitmap* bitmap, int compressionLevel)
{
  lice::View view;
  if (!fileName || !lice::viewOf(bitmap, view))
    return false;
  FILE* file = lice::platform::openFile(fileName, "wb");
  if (!file)
    return false;
  WriteJob job;
  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (job.png)
    job.info = png_create_info_struct(job.png);
  job.row = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(view.width) * 4));
  const bool ok = job.png && job.info && job.row && writeImage(&job, file, view, compressionLevel);
  png_destroy_write_struct(job.png ? &job.png : nullptr, job.info ? &job.info : nullptr);
  std::free(job.row);
  return std::fclose(file) == 0 && ok;
}
