// Kolvane's editor at work on its timer, in the window-less graphics
// context: the background, 16 step LEDs and a control for every parameter
// the table places (60 controls in all), drawn from the artwork in the
// binary, built by the plug-in itself.
//
// BM_IdleTick: one timer tick with nothing dirty (the dirty check over every
// control). BM_KnobChange: the host moves the cutoff knob; the tick that
// follows checks what is dirty and redraws that region in strict mode (the
// background under the knob, then the knob). BM_KnobChangeSettled: the same,
// plus the extra pass the change asks for, until nothing is dirty.
// BM_FullFrame: the whole editor redrawn, as when its window is first shown
// ("per_frame" reads in microseconds). The idle tick, the knob change and
// the full frame run at 100, 150 and 200 % ("percent"), where the same
// controls draw from that scale's pictures into a back buffer of that size.

#include "IGraphics.h"
#include "IPlugVST.h"
#include "Kolvane.h"

#include <benchmark/benchmark.h>

namespace
{
VstIntPtr VSTCALLBACK SilentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
  return opcode == audioMasterVersion ? kVstVersion : 0;
}

// One Kolvane instance with its editor, closed when the benchmark ends.
class Editor
{
public:
  explicit Editor(int percent = 100) : mEffect(VST2EntryPoint<Kolvane>(SilentHost))
  {
    mEffect->dispatcher(mEffect, effOpen, 0, 0, nullptr, 0.0f);
    mGraphics = static_cast<IGraphics*>(VST2EditorOf(mEffect));
    mGraphics->SetUserScalePercent(percent);
    Settle();
  }
  ~Editor() { mEffect->dispatcher(mEffect, effClose, 0, 0, nullptr, 0.0f); }

  IGraphics* Graphics() const { return mGraphics; }
  // The artwork is in the binary: the background was loaded, and every
  // control the table places is attached.
  bool Complete() const
  {
    int placed = 1; // the background
    for (int k = 0; k < kNumEditorControls; ++k)
    {
      placed += GetEditorControl(k).kind != kControlNone;
    }
    return mGraphics->GetDrawBitmap() && mGraphics->NControls() == placed;
  }

  // One timer tick; true when something was drawn.
  bool Tick()
  {
    IRECT dirty;
    if (!mGraphics->IsDirty(&dirty))
    {
      return false;
    }
    mGraphics->Draw(&dirty);
    return true;
  }
  void Settle()
  {
    while (Tick())
    {
    }
  }

private:
  AEffect* mEffect;
  IGraphics* mGraphics;
};

void BM_IdleTick(benchmark::State& state)
{
  Editor editor(static_cast<int>(state.range(0)));
  IGraphics* g = editor.Graphics();
  for (auto _ : state)
  {
    IRECT dirty;
    benchmark::DoNotOptimize(g->IsDirty(&dirty));
  }
  state.counters["controls"] = g->NControls();
}
BENCHMARK(BM_IdleTick)->ArgName("percent")->Arg(100)->Arg(200);

void BM_KnobChange(benchmark::State& state)
{
  Editor editor(static_cast<int>(state.range(0)));
  IGraphics* g = editor.Graphics();
  int i = 0;
  for (auto _ : state)
  {
    // Alternate between two frames so that every change is drawn.
    g->SetParameterFromPlug(kFilterCutoff, (++i & 1) ? 0.2 : 0.8, true);
    IRECT dirty;
    g->IsDirty(&dirty);
    g->Draw(&dirty);
    benchmark::ClobberMemory();
  }
  IRECT dirty;
  g->IsDirty(&dirty);
  state.counters["region_px"] = dirty.W() * dirty.H();
}
BENCHMARK(BM_KnobChange)->ArgName("percent")->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_KnobChangeSettled(benchmark::State& state)
{
  Editor editor;
  IGraphics* g = editor.Graphics();
  int i = 0;
  for (auto _ : state)
  {
    g->SetParameterFromPlug(kFilterCutoff, (++i & 1) ? 0.2 : 0.8, true);
    editor.Settle();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_KnobChangeSettled)->Unit(benchmark::kMicrosecond);

void BM_FullFrame(benchmark::State& state)
{
  Editor editor(static_cast<int>(state.range(0)));
  if (!editor.Complete())
  {
    state.SkipWithError("artwork missing from the binary");
    return;
  }
  IGraphics* g = editor.Graphics();
  IRECT all(0, 0, g->Width(), g->Height());
  for (auto _ : state)
  {
    g->Draw(&all);
    benchmark::ClobberMemory();
  }
  state.counters["per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FullFrame)
    ->ArgName("percent")
    ->Arg(100)
    ->Arg(150)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
} // namespace
