// The editor's timer work, on an editor shaped like the product's: the
// background, 16 step LEDs and 42 parameter controls drawn from the artwork
// in the binary, 59 controls in all, in the window-less graphics context.
// Parameter 0 is a 64 x 64 knob of 30 frames at (10, 10).
//
// BM_IdleTick: one timer tick with nothing dirty (the dirty check over every
// control). BM_KnobChange: the host moves one knob; the tick that follows
// checks what is dirty and redraws that region in strict mode (the
// background under the knob, then the knob). BM_KnobChangeSettled: the same,
// plus the extra pass the change asks for, until nothing is dirty.

#include "IGraphicsMemory.h"
#include "IPlugBase.h"

#include <benchmark/benchmark.h>

namespace
{
// The pictures in the module's resources, with their frame counts.
const int kBackground = 105;
const int kKnob = 101, kKnobFrames = 30;
const int kKnob8 = 113, kKnob8Frames = 8;
const int kSmallKnob9 = 118, kSmallKnob9Frames = 9;
const int kSmallKnob15 = 119, kSmallKnob15Frames = 15;
const int kSmallKnob64 = 120, kSmallKnob64Frames = 64;
const int kFader = 106, kFaderFrames = 3;
const int kSwitch = 109, kStepButton = 111, kLed = 112, kBigButton = 104;

const int kNumParams = 42;
const int kNumLeds = 16;

// A plug-in base that answers the host-facing operations with nothing.
class BenchPlug : public IPlugBase
{
public:
  BenchPlug()
      : IPlugBase(kNumParams, "1-1 2-2", 1, "Bench", "", "Kolvane", 0x010000, 0x42656E63,
                  0x4B6F6C76, 0, false, false, false, kAPIVST2)
  {
    for (int p = 0; p < kNumParams; ++p)
    {
      GetParam(p)->InitDouble("Param", 0.5, 0.0, 1.0, 0.001);
    }
    IGraphics* g = new IGraphicsMemory(this, 664, 472);
    g->AttachBackground(kBackground, "KolvaneGUI10.png");
    const IBitmap knob = g->LoadIBitmap(kKnob, "knob_64_white1.png", kKnobFrames);
    const IBitmap knob8 = g->LoadIBitmap(kKnob8, "knob_64_white1 8 step.png", kKnob8Frames);
    const IBitmap small9 = g->LoadIBitmap(kSmallKnob9, "mixer_blue_9_steps.png", kSmallKnob9Frames);
    const IBitmap small15 =
        g->LoadIBitmap(kSmallKnob15, "mixer_blue_15_steps.png", kSmallKnob15Frames);
    const IBitmap small64 =
        g->LoadIBitmap(kSmallKnob64, "mixer_blue_cont_steps.png", kSmallKnob64Frames);
    const IBitmap fader = g->LoadIBitmap(kFader, "XV VFader.png", kFaderFrames);
    const IBitmap toggle = g->LoadIBitmap(kSwitch, "S_Button-1.png", 2);
    const IBitmap step = g->LoadIBitmap(kStepButton, "Prophet 5 Button mini .png", 2);
    const IBitmap led = g->LoadIBitmap(kLed, "Green LED.png", 2);
    const IBitmap push = g->LoadIBitmap(kBigButton, "big_button.png", 2);
    mComplete = knob.mData && knob8.mData && small9.mData && small15.mData && small64.mData &&
                fader.mData && toggle.mData && step.mData && led.mData && push.mData;

    for (int k = 0; k < kNumLeds; ++k)
    {
      g->AttachControl(new IBitmapControl(this, 23 + 32 * k, 402, kNumParams + k, &led));
    }
    // Knobs in rows over the upper part, the 16 step buttons under the LEDs.
    for (int p = 0; p < kNumParams; ++p)
    {
      const int x = 10 + 72 * (p % 9), y = 10 + 76 * (p / 9 % 5);
      if (p >= 20 && p <= 35)
      {
        g->AttachControl(new ISwitchControl(this, 23 + 32 * (p - 20), 420, p, &step));
        continue;
      }
      if (p == 16)
      {
        g->AttachControl(new IContactControl(this, 520, 250, p, &push));
        continue;
      }
      switch (p % 7)
      {
      case 0:
        g->AttachControl(new IKnobMultiControl(this, x, y, p, &knob));
        break;
      case 1:
        g->AttachControl(new IKnobMultiControl(this, x, y, p, &knob8));
        break;
      case 2:
        g->AttachControl(new IKnobMultiControl(this, x, y, p, &small9));
        break;
      case 3:
        g->AttachControl(new IKnobMultiControl(this, x, y, p, &fader, kVertical, 1.0));
        break;
      case 4:
        g->AttachControl(new ISwitchControl(this, x, y, p, &toggle));
        break;
      case 5:
        g->AttachControl(new IKnobMultiControl(this, x, y, p, &small15));
        break;
      default:
        g->AttachControl(new IKnobMultiControl(this, x, y, p, &small64));
        break;
      }
    }
    AttachGraphics(g);
    Settle();
  }

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* pNum, int* pDenom) override { *pNum = *pDenom = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return true; }

  IGraphics* Graphics() const { return static_cast<IGraphics*>(GetGUI()); }

  // One timer tick; true when something was drawn.
  bool Tick()
  {
    IRECT dirty;
    if (!Graphics()->IsDirty(&dirty))
    {
      return false;
    }
    Graphics()->Draw(&dirty);
    return true;
  }
  void Settle()
  {
    while (Tick())
    {
    }
  }

  bool mComplete = false;
};

void BM_IdleTick(benchmark::State& state)
{
  BenchPlug plug;
  if (!plug.mComplete)
  {
    state.SkipWithError("artwork missing from the binary");
    return;
  }
  IGraphics* g = plug.Graphics();
  for (auto _ : state)
  {
    IRECT dirty;
    benchmark::DoNotOptimize(g->IsDirty(&dirty));
  }
  state.counters["controls"] = g->NControls();
}
BENCHMARK(BM_IdleTick);

void BM_KnobChange(benchmark::State& state)
{
  BenchPlug plug;
  if (!plug.mComplete)
  {
    state.SkipWithError("artwork missing from the binary");
    return;
  }
  IGraphics* g = plug.Graphics();
  int i = 0;
  for (auto _ : state)
  {
    // Alternate between two frames so that every change is drawn.
    g->SetParameterFromPlug(0, (++i & 1) ? 0.2 : 0.8, true);
    IRECT dirty;
    g->IsDirty(&dirty);
    g->Draw(&dirty);
    benchmark::ClobberMemory();
  }
  IRECT dirty;
  g->IsDirty(&dirty);
  state.counters["region_px"] = dirty.W() * dirty.H();
}
BENCHMARK(BM_KnobChange)->Unit(benchmark::kMicrosecond);

void BM_KnobChangeSettled(benchmark::State& state)
{
  BenchPlug plug;
  if (!plug.mComplete)
  {
    state.SkipWithError("artwork missing from the binary");
    return;
  }
  IGraphics* g = plug.Graphics();
  int i = 0;
  for (auto _ : state)
  {
    g->SetParameterFromPlug(0, (++i & 1) ? 0.2 : 0.8, true);
    plug.Settle();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_KnobChangeSettled)->Unit(benchmark::kMicrosecond);
} // namespace
