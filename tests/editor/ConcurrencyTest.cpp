// The host automates parameters on its own thread while the editor's timer
// draws on the UI thread. Every value the host hands in must end up drawn:
// after both stop and the editor settles, its picture must equal that of an
// editor that was handed the final values alone. The sanitizer builds watch
// the shared control state for races.

#include "FakeHost.h"
#include "IGraphicsMemory.h"
#include "IPlugVST.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace
{
// A plug-in shaped like the product: 42 parameters of four kinds, each with
// a control drawn from the artwork, and 16 LEDs whose tags name no
// parameter, over the background.
class AutomatedPlug : public IPlugBase
{
public:
  static constexpr int kNumParams = 42;
  static constexpr int kNumLeds = 16;

  AutomatedPlug() : IPlugBase(Config())
  {
    for (int p = 0; p < kNumParams; ++p)
    {
      switch (p % 4)
      {
      case 0:
        GetParam(p)->InitDouble("Knob", 0.5, 0.0, 1.0, 0.001);
        break;
      case 1:
        GetParam(p)->InitInt("Nine", 5, 1, 9);
        break;
      case 2:
        GetParam(p)->InitBool("Switch", false);
        break;
      default:
        GetParam(p)->InitEnum("Choice", 1, 3);
        break;
      }
    }

    IGraphics* graphics = new IGraphicsMemory(this, 664, 472);
    graphics->AttachBackground(105, "KolvaneGUI10.png");
    const IBitmap knob = graphics->LoadIBitmap(101, "knob_64_white1.png", 30);
    const IBitmap nine = graphics->LoadIBitmap(118, "mixer_blue_9_steps.png", 9);
    const IBitmap toggle = graphics->LoadIBitmap(109, "S_Button-1.png", 2);
    const IBitmap fader = graphics->LoadIBitmap(106, "XV VFader.png", 3);
    const IBitmap led = graphics->LoadIBitmap(112, "Green LED.png", 2);
    for (int k = 0; k < kNumLeds; ++k)
    {
      mLedControlIdx[k] =
          graphics->AttachControl(new IBitmapControl(this, 23 + 32 * k, 402, kNumParams + k, &led));
    }
    for (int p = 0; p < kNumParams; ++p)
    {
      const int x = 10 + 80 * (p % 8), y = 10 + 75 * (p / 8);
      switch (p % 4)
      {
      case 0:
        graphics->AttachControl(new IKnobMultiControl(this, x, y, p, &knob));
        break;
      case 1:
        graphics->AttachControl(new IKnobMultiControl(this, x, y, p, &nine));
        break;
      case 2:
        graphics->AttachControl(new ISwitchControl(this, x, y, p, &toggle));
        break;
      default:
        graphics->AttachControl(new IKnobMultiControl(this, x, y, p, &fader, kVertical, 1.0));
        break;
      }
    }
    AttachGraphics(graphics);
  }

  IGraphics* Graphics() { return static_cast<IGraphics*>(GetGUI()); }
  // The LED of one step lit, the others dark, as the idle hook shows them.
  void LightStep(int step)
  {
    for (int k = 0; k < kNumLeds; ++k)
    {
      Graphics()->SetControlFromPlug(mLedControlIdx[k], k == step ? 1.0 : 0.0);
    }
  }

  int mLedControlIdx[kNumLeds] = {};

private:
  static IPlugConfig Config()
  {
    IPlugConfig config;
    config.mNParams = kNumParams;
    config.mChannelIO = "1-1 2-2";
    config.mNPresets = 1;
    config.mEffectName = "Automated";
    config.mMfrName = "Kolvane Tests";
    config.mVendorVersion = 0x010000;
    config.mUniqueID = 0x4175746F;
    config.mMfrID = 0x4B6F6C76;
    return config;
  }
};

float Automation(int round, int param)
{
  return static_cast<float>((round * 7 + param * 3) % 13) / 12.0f;
}

void Settle(IGraphics* graphics)
{
  for (int i = 0; i < 10; ++i)
  {
    IRECT dirty;
    if (!graphics->IsDirty(&dirty))
    {
      return;
    }
    graphics->Draw(&dirty);
  }
  ADD_FAILURE() << "the editor did not settle";
}

// Rows that change when the whole editor is drawn again from the
// controls' values: what a lost redraw left stale.
int StalePixels(IGraphics* graphics)
{
  LICE_IBitmap* drawn = graphics->GetDrawBitmap();
  LICE_MemBitmap before;
  LICE_Copy(&before, drawn);
  graphics->SetAllControlsDirty();
  Settle(graphics);
  int stale = 0;
  const size_t rowBytes = sizeof(LICE_pixel) * static_cast<size_t>(drawn->getWidth());
  for (int y = 0; y < drawn->getHeight(); ++y)
  {
    stale +=
        std::memcmp(drawn->getBits() + static_cast<size_t>(y) * drawn->getRowSpan(),
                    before.getBits() + static_cast<size_t>(y) * before.getRowSpan(), rowBytes) != 0;
  }
  return stale;
}
} // namespace

// In each trial the host sets every parameter once while the timer draws;
// once it stops and the editor settles, the picture must show every value
// the host left.
TEST(EditorThreads, EveryValueTheHostAutomatesWhileTheEditorDrawsIsDrawn)
{
  FakeHost host;
  AEffect* effect = VST2EntryPoint<AutomatedPlug>(FakeHost::Callback);
  effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
  auto* plug = VST2PlugOf<AutomatedPlug>(effect);
  IGraphics* graphics = plug->Graphics();

  const int trials = 150;
  std::atomic<int> uiReady(-1), hostDone(-1);
  std::thread automation(
      [&]
      {
        for (int trial = 0; trial < trials; ++trial)
        {
          while (uiReady.load() < trial)
          {
            std::this_thread::yield();
          }
          for (int p = 0; p < AutomatedPlug::kNumParams; ++p)
          {
            effect->setParameter(effect, p, Automation(trial, p));
          }
          hostDone = trial;
        }
      });

  int staleTrials = 0;
  for (int trial = 0; trial < trials; ++trial)
  {
    uiReady = trial;
    // The editor's timer, and the idle hook walking the step LEDs.
    for (int tick = 0; hostDone.load() < trial; ++tick)
    {
      IRECT dirty;
      if (graphics->IsDirty(&dirty))
      {
        graphics->Draw(&dirty);
      }
      plug->LightStep(tick % AutomatedPlug::kNumLeds);
    }
    Settle(graphics);
    staleTrials += StalePixels(graphics) > 0;
  }
  automation.join();
  EXPECT_EQ(0, staleTrials) << "trials whose picture kept a value the host had replaced";
  // Each control holds what the host handed it last, unrounded.
  for (int p = 0; p < AutomatedPlug::kNumParams; ++p)
  {
    const IControl* control = graphics->GetControl(1 + AutomatedPlug::kNumLeds + p);
    EXPECT_EQ(static_cast<double>(Automation(trials - 1, p)), control->GetValue()) << p;
  }
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
