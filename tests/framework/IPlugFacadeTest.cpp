// The façade every format adapter stands on, driven with no format at all:
// what a host's parameter, text, state, MIDI and lifecycle calls do to the
// plug-in, so that each adapter's own tests need check only its translation.

#include "IPlugFacade.h"
#include "BarePlug.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{
// Records, at each OnParamChange, how many values its editor had been
// given by then, so that the order of the parameter rule shows.
class OrderPlug : public TypedPlug
{
public:
  // As every format's entry point makes it: the empty slots hold the
  // defaults.
  OrderPlug() : TypedPlug(4, true) { Presets().EnsureDefaultPreset(); }

  void OnParamChange(int paramIdx) override
  {
    mEditorCallsAtChange.push_back(mGraphics ? static_cast<int>(mGraphics->mFromPlug.size()) : -1);
    TypedPlug::OnParamChange(paramIdx);
  }
  void ProcessMidiMsg(IMidiMsg* msg) override { mMidi.push_back(*msg); }
  void ProcessSysEx(ISysEx* msg) override { mSysExSizes.push_back(msg->size); }
  void Reset() override { ++mResets; }
  void OnHostIdentified() override { ++mHostIdentified; }
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override
  {
    // The smallest normal float halved is subnormal: 0 with flush-to-zero on.
    volatile float smallest = FLT_MIN;
    mFlushedDenormals.push_back(smallest * 0.5f == 0.0f);
    TypedPlug::ProcessDoubleReplacing(inputs, outputs, nFrames);
    if (mDuringProcess)
    {
      mDuringProcess();
    }
  }

  std::function<void()> mDuringProcess;

  FakeGraphics* mGraphics = nullptr;
  std::vector<int> mEditorCallsAtChange;
  std::vector<IMidiMsg> mMidi;
  std::vector<int> mSysExSizes;
  int mResets = 0;
  int mHostIdentified = 0;
  std::vector<bool> mFlushedDenormals; // flush-to-zero was on, per block
};

class IPlugFacadeTest : public ::testing::Test
{
protected:
  IPlugFacadeTest()
      : facade(std::unique_ptr<IPlugBase>(new OrderPlug()), nullptr, 64),
        plug(static_cast<OrderPlug*>(facade.GetPlug())), lock(plug)
  {
  }

  // Gives the plug-in an editor that records what it is told.
  FakeGraphics* AttachEditor()
  {
    auto* graphics = new FakeGraphics();
    plug->AttachGraphics(graphics);
    graphics->mFromPlug.clear();
    plug->mGraphics = graphics;
    return graphics;
  }

  IPlugFacade facade;
  OrderPlug* plug;
  IPlugBase::IMutexLock lock; // as an adapter holds it around every host call
};

TEST_F(IPlugFacadeTest, HostValuesReachTheEditorThenTheParameterThenThePlugin)
{
  FakeGraphics* graphics = AttachEditor();
  plug->ClearRecorders();

  ASSERT_TRUE(facade.SetParameterNormalized(TypedPlug::kGain, 0.25));
  ASSERT_TRUE(facade.SetParameterValue(TypedPlug::kSteps, 12.0));
  ASSERT_TRUE(facade.SetParameterFromText(TypedPlug::kMode, "Auto"));

  EXPECT_DOUBLE_EQ(0.25, plug->GetParam(TypedPlug::kGain)->GetNormalized());
  EXPECT_EQ(12, plug->GetParam(TypedPlug::kSteps)->Int());
  EXPECT_EQ(2, plug->GetParam(TypedPlug::kMode)->Int());
  // The plug-in is told of each, once, after its editor took the value.
  EXPECT_EQ((std::vector<int>{TypedPlug::kGain, TypedPlug::kSteps, TypedPlug::kMode}),
            plug->mParamChanges);
  EXPECT_EQ((std::vector<int>{1, 2, 3}), plug->mEditorCallsAtChange);
  ASSERT_EQ(3u, graphics->mFromPlug.size());
  EXPECT_TRUE(graphics->mFromPlug[0].normalized);
  EXPECT_FALSE(graphics->mFromPlug[1].normalized);
  EXPECT_DOUBLE_EQ(12.0, graphics->mFromPlug[1].value);
  // The value came from the host: nothing goes back to it.
  EXPECT_TRUE(plug->mAutomation.empty());
  EXPECT_TRUE(plug->mBeginEdits.empty());
}

TEST_F(IPlugFacadeTest, HostValuesAreClampedAndWithoutAnEditorStillReachThePlugin)
{
  plug->ClearRecorders();
  EXPECT_TRUE(facade.SetParameterNormalized(TypedPlug::kCutoff, 7.0));
  EXPECT_DOUBLE_EQ(0.99, plug->GetParam(TypedPlug::kCutoff)->Value());
  EXPECT_TRUE(facade.SetParameterValue(TypedPlug::kSteps, -40.0));
  EXPECT_EQ(1, plug->GetParam(TypedPlug::kSteps)->Int());
  EXPECT_EQ((std::vector<int>{TypedPlug::kCutoff, TypedPlug::kSteps}), plug->mParamChanges);
}

TEST_F(IPlugFacadeTest, WhatIsNoValueChangesNothingAndSaysSo)
{
  FakeGraphics* graphics = AttachEditor();
  plug->SetNonDefaults();
  const std::vector<double> before = plug->Values();
  plug->ClearRecorders();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();

  EXPECT_FALSE(facade.SetParameterNormalized(-1, 0.5));
  EXPECT_FALSE(facade.SetParameterNormalized(plug->NParams(), 0.5));
  EXPECT_FALSE(facade.SetParameterNormalized(TypedPlug::kGain, nan));
  EXPECT_FALSE(facade.SetParameterValue(TypedPlug::kGain, -inf));
  EXPECT_FALSE(facade.SetParameterFromText(plug->NParams(), "1"));
  const struct
  {
    int param;
    const char* text;
  } refused[] = {
      {TypedPlug::kCutoff, "abc"},
      {TypedPlug::kCutoff, ""},
      {TypedPlug::kCutoff, nullptr},
      {TypedPlug::kCutoff, "nan"},
      {TypedPlug::kCutoff, "inf"},
      {TypedPlug::kCutoff, "0.5 Hz"},
      {TypedPlug::kGain, "1.5 y"},
      {TypedPlug::kSteps, "12 apples"},
      {TypedPlug::kMode, "Hardly"},
      {TypedPlug::kMode, "hard"},
      {TypedPlug::kBypass, "maybe"},
      // A value a display text shows is taken by that text only.
      {TypedPlug::kMode, "2"},
      {TypedPlug::kBypass, "1"},
  };
  for (const auto& c : refused)
  {
    EXPECT_FALSE(facade.SetParameterFromText(c.param, c.text))
        << "param " << c.param << " text " << (c.text ? c.text : "(null)");
  }
  EXPECT_EQ(before, plug->Values());
  EXPECT_TRUE(plug->mParamChanges.empty());
  EXPECT_TRUE(graphics->mFromPlug.empty());
}

TEST_F(IPlugFacadeTest, TextsTakeNumbersLabelsAndDisplayTexts)
{
  const struct
  {
    int param;
    const char* text;
    double value;
  } cases[] = {
      {TypedPlug::kCutoff, "0.5", 0.5},    {TypedPlug::kCutoff, " 0.25 ", 0.25},
      {TypedPlug::kGain, "1.5 x", 1.5},    {TypedPlug::kGain, "1.25x", 1.25},
      {TypedPlug::kSteps, "12 steps", 12}, {TypedPlug::kMode, "Hard", 1},
      {TypedPlug::kBypass, "on", 1},
  };
  for (const auto& c : cases)
  {
    EXPECT_TRUE(facade.SetParameterFromText(c.param, c.text)) << c.text;
    EXPECT_DOUBLE_EQ(c.value, plug->GetParam(c.param)->Value()) << c.text;
  }
}

TEST_F(IPlugFacadeTest, EveryTextTheHostShowsReadsBackAsItsValue)
{
  for (int idx = 0; idx < plug->NParams(); ++idx)
  {
    for (double normalized : {0.0, 0.1, 0.37, 0.5, 0.83, 1.0})
    {
      char shown[MAX_PARAM_DISPLAY_LEN];
      facade.GetParameterText(idx, normalized, shown);
      ASSERT_TRUE(facade.SetParameterFromText(idx, shown)) << idx << " " << shown;
      char again[MAX_PARAM_DISPLAY_LEN];
      facade.GetParameterText(idx, again);
      EXPECT_STREQ(shown, again) << "param " << idx;
    }
  }
}

// A value's text and its unit apart, as a format with no unit call of its
// own needs them: together they read back as the value, which a text alone
// may not say.
TEST_F(IPlugFacadeTest, TheTextOfANormalizedValueComesWithItsUnit)
{
  const struct
  {
    int param;
    double normalized;
    const char* text;
    const char* unit;
  } cases[] = {
      {TypedPlug::kGain, 0.5, "0.50", "x"}, {TypedPlug::kSteps, 0.5, "9", "steps"},
      {TypedPlug::kMode, 0.6, "Hard", ""},  {TypedPlug::kBypass, 0.5, "on", ""},
      {plug->NParams(), 0.5, "", ""},       {-1, 0.5, "", ""},
  };
  for (const auto& c : cases)
  {
    char text[MAX_PARAM_DISPLAY_LEN] = "untouched", unit[MAX_PARAM_LABEL_LEN] = "untouched";
    facade.GetParameterText(c.param, c.normalized, text, unit);
    EXPECT_STREQ(c.text, text) << "param " << c.param;
    EXPECT_STREQ(c.unit, unit) << "param " << c.param;
    if (c.text[0])
    {
      const std::string typed = c.unit[0] ? std::string(text) + " " + unit : text;
      ASSERT_TRUE(facade.SetParameterFromText(c.param, typed.c_str())) << typed;
      facade.GetParameterText(c.param, facade.GetParameterNormalized(c.param), text, unit);
      EXPECT_STREQ(c.text, text) << typed;
    }
  }
  char text[MAX_PARAM_DISPLAY_LEN];
  facade.GetParameterText(TypedPlug::kGain, 0.5, text, nullptr);
  EXPECT_STREQ("0.50", text);
}

TEST_F(IPlugFacadeTest, StateRoundTripsIntoAFreshInstanceAndADamagedOneKeepsWhatItRead)
{
  plug->SetNonDefaults();
  ByteChunk program, bank;
  ASSERT_TRUE(facade.SaveState(&program, IPlugFacade::kStateProgram, true));
  ASSERT_TRUE(facade.SaveState(&bank, IPlugFacade::kStateBank, true));

  for (IPlugFacade::EStateKind kind : {IPlugFacade::kStateProgram, IPlugFacade::kStateBank})
  {
    IPlugFacade fresh(std::unique_ptr<IPlugBase>(new OrderPlug()), nullptr, 64);
    auto* other = static_cast<OrderPlug*>(fresh.GetPlug());
    IPlugBase::IMutexLock freshLock(other);
    EXPECT_TRUE(fresh.LoadState(kind == IPlugFacade::kStateBank ? bank : program, kind));
    EXPECT_EQ(plug->Values(), other->Values()) << "kind " << kind;
  }

  // Cut inside the third value: the first two load, the load fails.
  IPlugFacade fresh(std::unique_ptr<IPlugBase>(new OrderPlug()), nullptr, 64);
  auto* other = static_cast<OrderPlug*>(fresh.GetPlug());
  IPlugBase::IMutexLock freshLock(other);
  ByteChunk cut;
  cut.PutBytes(program.GetBytes(), 8 + 2 * 8 + 3);
  EXPECT_FALSE(fresh.LoadState(cut, IPlugFacade::kStateProgram));
  EXPECT_DOUBLE_EQ(1.5, other->GetParam(TypedPlug::kGain)->Value());
  EXPECT_EQ(2, other->GetParam(TypedPlug::kMode)->Int());
  EXPECT_FALSE(other->GetParam(TypedPlug::kBypass)->Bool());
}

TEST_F(IPlugFacadeTest, OpenIdentifiesTheHostOnceAndPushesEveryParameterEachTime)
{
  plug->ClearRecorders();
  facade.Open();
  facade.Open();
  EXPECT_EQ(1, plug->mHostIdentified);
  EXPECT_EQ(static_cast<size_t>(2 * plug->NParams()), plug->mParamChanges.size());
}

TEST_F(IPlugFacadeTest, RatesThatAreNoRateKeepTheOneThereIsAndStillReset)
{
  facade.SetSampleRate(48000.0);
  const int resets = plug->mResets;
  for (double rate : {0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity()})
  {
    facade.SetSampleRate(rate);
  }
  EXPECT_DOUBLE_EQ(48000.0, plug->GetSampleRate());
  EXPECT_EQ(resets + 4, plug->mResets);
  facade.SetActive(true);
  EXPECT_EQ(resets + 4, plug->mResets);
  facade.SetActive(false);
  EXPECT_EQ(resets + 5, plug->mResets);
}

TEST_F(IPlugFacadeTest, MidiReachesThePluginByKindAndDataBytesAloneAreIgnored)
{
  const unsigned char noteOn[] = {0x90, 60, 100};
  const unsigned char twoBytes[] = {0xC0, 5};
  const unsigned char sysex[] = {0xF0, 0x7E, 0x01, 0xF7};
  const unsigned char data[] = {0x3C, 0x40, 0x00};
  facade.ProcessMidi(7, noteOn, 3);
  facade.ProcessMidi(9, twoBytes, 2);
  facade.ProcessMidi(11, sysex, 4);
  facade.ProcessMidi(12, data, 3);
  facade.ProcessMidi(13, nullptr, 3);
  facade.ProcessMidi(14, noteOn, 0);

  ASSERT_EQ(2u, plug->mMidi.size());
  EXPECT_EQ(7, plug->mMidi[0].offset);
  EXPECT_EQ(0x90, plug->mMidi[0].status);
  EXPECT_EQ(60, plug->mMidi[0].data1);
  EXPECT_EQ(100, plug->mMidi[0].data2);
  EXPECT_EQ(0xC0, plug->mMidi[1].status);
  EXPECT_EQ(0, plug->mMidi[1].data2);
  EXPECT_EQ((std::vector<int>{4}), plug->mSysExSizes);
}

TEST_F(IPlugFacadeTest, ProcessRefusesWhatIsNoBlockAndGrowsForALongOne)
{
  std::vector<float> in(4096, 0.5f), out(4096, 0.0f), outR(4096, 0.0f);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out.data(), outR.data()};
  EXPECT_FALSE(facade.Process(ins, outs, 0));
  EXPECT_FALSE(facade.Process(static_cast<float**>(nullptr), outs, 16));
  EXPECT_FALSE(facade.Process(ins, static_cast<float**>(nullptr), 16));
  EXPECT_EQ(0, plug->mProcessCalls);

  // 64 frames announced, 4096 sent.
  EXPECT_TRUE(facade.Process(ins, outs, 4096));
  EXPECT_EQ(0.5f, out[4095]);
  EXPECT_TRUE(facade.ProcessAccumulating(ins, outs, 4096));
  EXPECT_EQ(1.0f, out[0]);
}

// Tails decaying on silence turn subnormal, which x86 processes many times
// slower and which a format that left them alone would render differently
// from the others: every block renders with flush-to-zero on, and the host
// gets its own floating-point state back.
TEST_F(IPlugFacadeTest, BlocksRenderWithSubnormalsFlushedAndTheHostsStateBack)
{
  std::vector<float> in(16, 0.0f), out(16);
  std::vector<double> dIn(16, 0.0), dOut(16);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out.data(), out.data()};
  double* dIns[] = {dIn.data(), dIn.data()};
  double* dOuts[] = {dOut.data(), dOut.data()};
  ASSERT_TRUE(facade.Process(ins, outs, 16));
  ASSERT_TRUE(facade.Process(dIns, dOuts, 16));
  ASSERT_TRUE(facade.ProcessAccumulating(ins, outs, 16));
  EXPECT_EQ((std::vector<bool>{true, true, true}), plug->mFlushedDenormals);
  volatile float smallest = FLT_MIN;
  EXPECT_NE(0.0f, smallest * 0.5f) << "the host's own state is back after the block";
}

#ifndef NDEBUG
TEST(IPlugFacadeDeathTest, AnEntryPointCalledWithoutThePluginMutexStopsADebugBuild)
{
  IPlugFacade facade(std::unique_ptr<IPlugBase>(new TypedPlug()), nullptr, 64);
  EXPECT_DEATH(facade.SetParameterValue(TypedPlug::kGain, 1.0), "HeldByThisThread");
}

// A host's answer, as a CLAP host's thread check gives it.
struct FixedThreads : IThreadCheck
{
  bool audio = false;
  bool main = false;
  bool IsAudioThread() const override { return audio; }
  bool IsMainThread() const override { return main; }
};

TEST(IPlugFacadeDeathTest, ThreadTagsAreCheckedInADebugBuild)
{
  IPlugFacade facade(std::unique_ptr<IPlugBase>(new OrderPlug()), nullptr, 64);
  auto* plug = static_cast<OrderPlug*>(facade.GetPlug());
  IPlugBase::IMutexLock lock(plug);
  std::vector<double> in(16, 0.0), out(16, 0.0);
  double* ins[] = {in.data(), in.data()};
  double* outs[] = {out.data(), out.data()};

  // Without a host's word: the thread inside a processing call is the
  // audio thread, and the UI's entry points refuse it.
  plug->mDuringProcess = [&] { facade.SetSampleRate(48000.0); };
  EXPECT_DEATH(facade.Process(ins, outs, 16), "OnAudioThread");
  plug->mDuringProcess = nullptr;
  EXPECT_TRUE(facade.Process(ins, outs, 16));
  facade.SetSampleRate(48000.0); // outside processing: the UI's

  FixedThreads threads;
  facade.SetThreadCheck(&threads);
  threads.main = true;
  EXPECT_DEATH(facade.Process(ins, outs, 16), "OnMainThread");
  threads.main = false;
  threads.audio = true;
  EXPECT_DEATH(facade.SelectProgram(0), "OnAudioThread");
  EXPECT_TRUE(facade.Process(ins, outs, 16));
}
#endif

} // namespace
