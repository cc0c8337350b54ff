// The editor's heaviest frame: the whole background copied opaque into the
// back buffer, then every control's picture blended over it by its alpha
// at its place, 59 blits in all, the way a full redraw composes the editor.
// "per_frame" is the time for one such frame (the counter is inverted, so
// 250u reads 250 microseconds).

#include "KolvaneParams.h"
#include "lice.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
void BM_FullEditorFrame(benchmark::State& state)
{
  std::unique_ptr<LICE_IBitmap> pictures[kNumPictures];
  for (int i = 0; i < kNumPictures; ++i)
  {
    pictures[i].reset(LICE_LoadPNGFromResource(nullptr, pictureProperties[i].id));
    if (!pictures[i])
    {
      state.SkipWithError("artwork missing from the binary");
      return;
    }
  }
  LICE_SysBitmap backBuffer(kEditorWidth, kEditorHeight);
  int blits = 0;
  for (auto _ : state)
  {
    blits = 1;
    LICE_Blit(&backBuffer, pictures[0].get(), 0, 0, 0, 0, kEditorWidth, kEditorHeight, 1.0f,
              LICE_MODE_COPY);
    for (int k = 0; k < kNumEditorControls; ++k)
    {
      const EditorControl c = GetEditorControl(k);
      for (int i = 1; i < kNumPictures; ++i)
      {
        const PictureProperties& p = pictureProperties[i];
        if (p.id != c.picture)
          continue;
        const int h = p.FrameHeight();
        LICE_Blit(&backBuffer, pictures[i].get(), c.x, c.y, 0, DefaultFrame(c) * h, p.width, h,
                  1.0f, LICE_MODE_COPY | LICE_FLAG_USE_ALPHA);
        ++blits;
      }
    }
    benchmark::DoNotOptimize(backBuffer.getBits());
    benchmark::ClobberMemory();
  }
  state.counters["blits"] = blits;
  state.counters["per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FullEditorFrame)->Unit(benchmark::kMicrosecond);

// The two pieces: the opaque background alone, and one 64 x 64 knob frame
// blended by its alpha.
void BM_BackgroundCopy(benchmark::State& state)
{
  std::unique_ptr<LICE_IBitmap> background(LICE_LoadPNGFromResource(nullptr, kPictureBackground));
  LICE_SysBitmap backBuffer(kEditorWidth, kEditorHeight);
  for (auto _ : state)
  {
    LICE_Blit(&backBuffer, background.get(), 0, 0, 0, 0, kEditorWidth, kEditorHeight, 1.0f,
              LICE_MODE_COPY);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BackgroundCopy)->Unit(benchmark::kMicrosecond);

void BM_KnobFrameBlend(benchmark::State& state)
{
  std::unique_ptr<LICE_IBitmap> knob(LICE_LoadPNGFromResource(nullptr, kPictureKnob));
  LICE_SysBitmap backBuffer(kEditorWidth, kEditorHeight);
  LICE_Clear(&backBuffer, 0xFF202020);
  for (auto _ : state)
  {
    LICE_Blit(&backBuffer, knob.get(), 58, 177, 0, 64 * 9, 64, 64, 1.0f,
              LICE_MODE_COPY | LICE_FLAG_USE_ALPHA);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_KnobFrameBlend)->Unit(benchmark::kMicrosecond);
} // namespace
