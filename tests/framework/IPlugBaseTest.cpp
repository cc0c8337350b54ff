#include "BarePlug.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{
typedef std::vector<double> Samples;

// A plug-in with every channel connected and the given block size, as the
// adapter leaves it after construction.
void ConnectAll(BarePlug& plug, int blockSize)
{
  plug.Channels().SetInputChannelConnections(0, plug.NInChannels(), true);
  plug.Channels().SetOutputChannelConnections(0, plug.NOutChannels(), true);
  plug.Channels().SetBlockSize(blockSize);
}
} // namespace

// ---- Channel configuration ----------------------------------------------------

TEST(IPlugBaseChannels, ParsesTheChannelIOString)
{
  struct Case
  {
    const char* io;
    std::vector<std::pair<int, int>> pairs;
    int nIn, nOut;
  };
  const Case cases[] = {
      {"1-1 2-2", {{1, 1}, {2, 2}}, 2, 2},
      {"1-1 2-2 ", {{1, 1}, {2, 2}, {0, 0}}, 2, 2}, // a trailing space is one more, empty, token
      {"", {{0, 0}}, 0, 0},
      {"stereo", {{0, 0}}, 0, 0},
      {"2-4", {{2, 4}}, 2, 4},
      {"0-2 1-1", {{0, 2}, {1, 1}}, 1, 2},
      {"-3-2", {{0, 2}}, 0, 2},
      // Counts are kept within 0..256 so the text cannot size the channel
      // arrays to something absurd.
      {"999-1 1-100000", {{256, 1}, {1, 256}}, 256, 256},
      {nullptr, {}, 0, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.io ? c.io : "(null)");
    BarePlug plug(0, c.io);
    EXPECT_EQ(static_cast<int>(c.pairs.size()), plug.NChannelIO());
    for (const auto& pair : c.pairs)
    {
      EXPECT_TRUE(plug.LegalIO(pair.first, pair.second)) << pair.first << "-" << pair.second;
    }
    EXPECT_EQ(c.nIn, plug.NInChannels());
    EXPECT_EQ(c.nOut, plug.NOutChannels());
  }
}

TEST(IPlugBaseChannels, LegalIOMatchesAPairWithNegativeAsAny)
{
  BarePlug plug(0, "1-1 2-2");
  struct Case
  {
    int nIn, nOut;
    bool legal;
  };
  const Case cases[] = {
      {1, -1, true},  {2, 2, true},  {1, 1, true},   {1, 2, false},  {-1, 2, true},
      {-1, -1, true}, {0, 0, false}, {3, -1, false}, {-5, 3, false},
  };
  for (const Case& c : cases)
  {
    EXPECT_EQ(c.legal, plug.LegalIO(c.nIn, c.nOut)) << c.nIn << "-" << c.nOut;
  }
  BarePlug none(0, nullptr);
  EXPECT_FALSE(none.LegalIO(-1, -1));
}

TEST(IPlugBaseChannels, ConnectionsAreClippedToTheChannels)
{
  BarePlug plug(0, "2-2");
  EXPECT_FALSE(plug.IsInChannelConnected(0));
  EXPECT_FALSE(plug.IsOutChannelConnected(1));
  plug.Channels().SetInputChannelConnections(1, 100, true);
  EXPECT_FALSE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  plug.Channels().SetInputChannelConnections(-3, 4, true);
  EXPECT_TRUE(plug.IsInChannelConnected(0));
  plug.Channels().SetOutputChannelConnections(0, 2, true);
  plug.Channels().SetOutputChannelConnections(1, 1, false);
  EXPECT_TRUE(plug.IsOutChannelConnected(0));
  EXPECT_FALSE(plug.IsOutChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_FALSE(plug.IsInChannelConnected(-1));
  EXPECT_FALSE(plug.IsOutChannelConnected(2));
}

TEST(IPlugBaseChannels, LimitToStereoDisconnectsTheRest)
{
  BarePlug plug(0, "4-4");
  ConnectAll(plug, 8);
  plug.LimitToStereoIO();
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(i < 2, plug.IsInChannelConnected(i)) << i;
    EXPECT_EQ(i < 2, plug.IsOutChannelConnected(i)) << i;
  }
}

TEST(IPlugBaseChannels, ChannelLabels)
{
  BarePlug plug(0, "2-2");
  plug.SetInputLabel(0, "Left in");
  plug.SetOutputLabel(1, "Right out");
  plug.SetInputLabel(2, "nowhere");
  plug.SetOutputLabel(-1, "nowhere");
  EXPECT_STREQ("Left in", plug.GetInputLabel(0));
  EXPECT_STREQ("", plug.GetInputLabel(1));
  EXPECT_STREQ("Right out", plug.GetOutputLabel(1));
  EXPECT_STREQ("", plug.GetInputLabel(2));
  EXPECT_STREQ("", plug.GetOutputLabel(-1));
}

// Replaced bus labels are deleted; the leak checker of the sanitizer build
// is what watches this.
TEST(IPlugBaseChannels, ReplacingBusLabelsKeepsNoOldCopies)
{
  BarePlug plug(0, "2-2");
  for (int round = 0; round < 3; ++round)
  {
    plug.SetInputBusLabel(0, "main");
    plug.SetInputBusLabel(1, "side");
    plug.SetInputBusLabel(2, "ignored");
    plug.SetInputBusLabel(-1, "ignored");
    plug.SetOutputBusLabel(0, "out");
    plug.SetOutputBusLabel(3, "far");
    plug.SetOutputBusLabel(-1, "ignored");
  }
}

// ---- Attaching host buffers -----------------------------------------------------

// Host pointers are handed to connected channels only: with channel 0 off,
// the host's single buffer belongs to channel 1, and channel 0 reads its own
// silent scratch buffer.
TEST(IPlugBaseBuffers, DisconnectedChannelsConsumeNoHostPointer)
{
  BarePlug plug(0, "2-2");
  ConnectAll(plug, 4);
  plug.Channels().SetInputChannelConnections(0, 1, false);
  plug.Channels().SetOutputChannelConnections(0, 1, false);

  double in[4] = {1, 2, 3, 4};
  double out[4] = {9, 9, 9, 9};
  double* hostIn[1] = {in}; // exactly as many pointers as connected channels
  double* hostOut[1] = {out};
  plug.Channels().AttachInputBuffers(0, 2, hostIn, 4);
  plug.Channels().AttachOutputBuffers(0, 2, hostOut);
  plug.Channels().ProcessBuffers(plug, 0.0, 4);

  ASSERT_EQ(2u, plug.mSeenInputPtrs.size());
  EXPECT_EQ(in, plug.mSeenInputPtrs[1]);
  EXPECT_NE(in, plug.mSeenInputPtrs[0]);
  EXPECT_EQ(Samples(4, 0.0), plug.mSeenInputs[0]);
  EXPECT_EQ(out, plug.mSeenOutputPtrs[1]);
  EXPECT_NE(out, plug.mSeenOutputPtrs[0]);
  EXPECT_EQ((Samples{1, 2, 3, 4}), Samples(out, out + 4));
}

TEST(IPlugBaseBuffers, NullHostChannelReadsSilence)
{
  BarePlug plug(0, "2-2");
  ConnectAll(plug, 4);
  double right[4] = {1, 2, 3, 4};
  double* hostIn[2] = {nullptr, right};
  double out0[4] = {9, 9, 9, 9}, out1[4] = {9, 9, 9, 9};
  double* hostOut[2] = {out0, out1};
  plug.Channels().AttachInputBuffers(0, 2, hostIn, 4);
  plug.Channels().AttachOutputBuffers(0, 2, hostOut);
  plug.Channels().ProcessBuffers(plug, 0.0, 4);
  EXPECT_EQ(Samples(4, 0.0), Samples(out0, out0 + 4));
  EXPECT_EQ((Samples{1, 2, 3, 4}), Samples(out1, out1 + 4));

  float fRight[4] = {1, 2, 3, 4};
  float* fHostIn[2] = {nullptr, fRight};
  plug.Channels().AttachInputBuffers(0, 2, fHostIn, 4);
  plug.Channels().ProcessBuffers(plug, 0.0, 4);
  EXPECT_EQ(Samples(4, 0.0), plug.mSeenInputs[0]);
  EXPECT_EQ((Samples{1, 2, 3, 4}), plug.mSeenInputs[1]);
}

// A first channel index below 0 is clipped like the end is, as the
// connection setters already do.
TEST(IPlugBaseBuffers, NegativeFirstChannelIsClipped)
{
  BarePlug plug(0, "2-2");
  ConnectAll(plug, 4);
  double in0[4] = {1, 1, 1, 1}, in1[4] = {2, 2, 2, 2};
  double* hostIn[2] = {in0, in1};
  double out0[4] = {}, out1[4] = {};
  double* hostOut[2] = {out0, out1};
  plug.Channels().AttachInputBuffers(-1, 3, hostIn, 4);
  plug.Channels().AttachOutputBuffers(-1, 3, hostOut);
  plug.Channels().ProcessBuffers(plug, 0.0, 4);
  EXPECT_EQ(Samples(4, 1.0), Samples(out0, out0 + 4));
  EXPECT_EQ(Samples(4, 2.0), Samples(out1, out1 + 4));
}

// A disconnected channel reads and writes its scratch buffer. An unchanged
// block size leaves that buffer alone; a new one resizes it to zeros, and
// the channel must follow it to the new memory.
TEST(IPlugBaseBuffers, SetBlockSizeZeroesScratchOnlyWhenTheSizeChanges)
{
  BarePlug plug(0, "1-1");
  ConnectAll(plug, 4);
  float fin[4] = {1, 2, 3, 4};
  float* hostIn[1] = {fin};
  plug.Channels().AttachInputBuffers(0, 1, hostIn, 4); // converts into the input scratch
  plug.Channels().SetInputChannelConnections(0, 1, false);
  plug.Channels().SetOutputChannelConnections(0, 1, false);

  plug.Channels().ProcessBuffers(plug, 0.0, 4); // copies the input scratch into the output scratch
  EXPECT_EQ((Samples{1, 2, 3, 4}), plug.mSeenInputs[0]);

  plug.Channels().SetBlockSize(4);
  plug.Channels().ProcessBuffers(plug, 0.0, 4);
  EXPECT_EQ((Samples{1, 2, 3, 4}), plug.mSeenInputs[0]);
  EXPECT_EQ((Samples{1, 2, 3, 4}), plug.mSeenOutputs[0]);

  plug.Channels().SetBlockSize(64);
  EXPECT_EQ(64, plug.GetBlockSize());
  plug.Channels().ProcessBuffers(plug, 0.0, 64);
  EXPECT_EQ(Samples(64, 0.0), plug.mSeenInputs[0]);
  EXPECT_EQ(Samples(64, 0.0), plug.mSeenOutputs[0]);
}

TEST(IPlugBaseBuffers, ZeroScratchBuffersSilencesThem)
{
  BarePlug plug(0, "1-1");
  ConnectAll(plug, 4);
  float fin[4] = {1, 2, 3, 4};
  float* hostIn[1] = {fin};
  plug.Channels().AttachInputBuffers(0, 1, hostIn, 4);
  plug.Channels().SetInputChannelConnections(0, 1, false);
  plug.Channels().SetOutputChannelConnections(0, 1, false);
  plug.Channels().ZeroScratchBuffers();
  plug.Channels().ProcessBuffers(plug, 0.0, 4);
  EXPECT_EQ(Samples(4, 0.0), plug.mSeenInputs[0]);
}

// Hosts send more frames than they announced: the scratch buffers grow for
// that call, and disconnected channels follow them to the new memory.
TEST(IPlugBaseBuffers, OversizedBlockGrowsTheScratchBuffers)
{
  BarePlug plug(0, "2-2");
  ConnectAll(plug, 4);
  plug.Channels().SetInputChannelConnections(0, 1, false);
  const int nFrames = 300;
  ASSERT_TRUE(plug.Channels().EnsureScratchFrames(nFrames));
  EXPECT_TRUE(plug.Channels().EnsureScratchFrames(8));
  EXPECT_TRUE(plug.Channels().EnsureScratchFrames(0));

  std::vector<float> in(nFrames, 0.5f), out0(nFrames, 9.0f), out1(nFrames, 9.0f);
  float* hostIn[1] = {in.data()};
  float* hostOut[2] = {out0.data(), out1.data()};
  plug.Channels().AttachInputBuffers(0, 2, hostIn, nFrames);
  plug.Channels().AttachOutputBuffers(0, 2, hostOut);
  plug.Channels().ProcessBuffers(plug, 0.0f, nFrames);
  EXPECT_EQ(std::vector<float>(nFrames, 0.0f), out0);
  EXPECT_EQ(std::vector<float>(nFrames, 0.5f), out1);
}

// ---- Processing -----------------------------------------------------------------

TEST(IPlugBaseProcessing, BaseCopiesInputsAndSilencesTheRest)
{
  struct Case
  {
    const char* io;
    std::vector<Samples> expected;
  };
  const Case cases[] = {
      {"2-2", {{1, 2}, {3, 4}}},
      {"1-2", {{1, 2}, {0, 0}}},
      {"2-1", {{1, 2}}},
      {"0-1", {{0, 0}}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.io);
    BarePlug plug(0, c.io);
    double in0[2] = {1, 2}, in1[2] = {3, 4};
    double out0[2] = {9, 9}, out1[2] = {9, 9};
    double* inputs[2] = {in0, in1};
    double* outputs[2] = {out0, out1};
    plug.IPlugBase::ProcessDoubleReplacing(inputs, outputs, 2);
    std::vector<Samples> got;
    for (int c2 = 0; c2 < plug.NOutChannels(); ++c2)
    {
      got.emplace_back(outputs[c2], outputs[c2] + 2);
    }
    EXPECT_EQ(c.expected, got);
  }
}

TEST(IPlugBaseProcessing, BaseProcessingInPlaceKeepsTheSamples)
{
  BarePlug plug(0, "2-2");
  double ch0[3] = {1, 2, 3}, ch1[3] = {4, 5, 6};
  double* buffers[2] = {ch0, ch1};
  plug.IPlugBase::ProcessDoubleReplacing(buffers, buffers, 3);
  EXPECT_EQ((Samples{1, 2, 3}), Samples(ch0, ch0 + 3));
  EXPECT_EQ((Samples{4, 5, 6}), Samples(ch1, ch1 + 3));
}

TEST(IPlugBaseProcessing, BaseSingleReplacingMatchesTheDoubleOne)
{
  BarePlug plug(0, "1-2");
  float in0[2] = {1, 2};
  float out0[2] = {9, 9}, out1[2] = {9, 9};
  float* inputs[1] = {in0};
  float* outputs[2] = {out0, out1};
  plug.ProcessSingleReplacing(inputs, outputs, 2);
  EXPECT_EQ((std::vector<float>{1, 2}), std::vector<float>(out0, out0 + 2));
  EXPECT_EQ((std::vector<float>{0, 0}), std::vector<float>(out1, out1 + 2));
}

// The plug-in's rendering (here: twice the input) reaches float hosts
// replacing or added to what the host's buffer held; passing through skips
// the plug-in's rendering.
TEST(IPlugBaseProcessing, FloatResultsReplaceOrAccumulate)
{
  enum EPath
  {
    kReplacing,
    kAccumulating,
    kPassThrough
  };
  struct Case
  {
    const char* what;
    EPath path;
    float in, prefill, expected;
    int renders;
  };
  const Case cases[] = {
      {"replacing overwrites", kReplacing, 0.5f, 5.0f, 1.0f, 1},
      {"replacing zeros silences", kReplacing, 0.0f, 5.0f, 0.0f, 1},
      {"accumulating adds", kAccumulating, 0.5f, 5.0f, 6.0f, 1},
      {"accumulating zeros leaves the host's samples", kAccumulating, 0.0f, 5.0f, 5.0f, 1},
      {"pass-through copies", kPassThrough, 0.5f, 5.0f, 0.5f, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    BarePlug plug(0, "1-1");
    plug.mOutputGain = 2.0;
    ConnectAll(plug, 8);
    std::vector<float> in(8, c.in), out(8, c.prefill);
    float* hostIn[1] = {in.data()};
    float* hostOut[1] = {out.data()};
    plug.Channels().AttachInputBuffers(0, 1, hostIn, 8);
    plug.Channels().AttachOutputBuffers(0, 1, hostOut);
    switch (c.path)
    {
    case kReplacing:
      plug.Channels().ProcessBuffers(plug, 0.0f, 8);
      break;
    case kAccumulating:
      plug.Channels().ProcessBuffersAccumulating(plug, 0.0f, 8);
      break;
    case kPassThrough:
      plug.Channels().PassThroughBuffers(plug, 0.0f, 8);
      break;
    }
    EXPECT_EQ(std::vector<float>(8, c.expected), out);
    EXPECT_EQ(c.renders, plug.mProcessCalls);
  }
}

TEST(IPlugBaseProcessing, DoublePassThroughSkipsThePlugInsRendering)
{
  BarePlug plug(0, "1-1");
  plug.mOutputGain = 2.0;
  ConnectAll(plug, 4);
  double in[4] = {1, 2, 3, 4}, out[4] = {};
  double* hostIn[1] = {in};
  double* hostOut[1] = {out};
  plug.Channels().AttachInputBuffers(0, 1, hostIn, 4);
  plug.Channels().AttachOutputBuffers(0, 1, hostOut);
  plug.Channels().PassThroughBuffers(plug, 0.0, 4);
  EXPECT_EQ((Samples{1, 2, 3, 4}), Samples(out, out + 4));
  EXPECT_EQ(0, plug.mProcessCalls);
  plug.Channels().ProcessBuffers(plug, 0.0, 4);
  EXPECT_EQ((Samples{2, 4, 6, 8}), Samples(out, out + 4));
}

TEST(IPlugBaseProcessing, DisconnectedFloatOutputIsNotWritten)
{
  BarePlug plug(0, "1-2");
  ConnectAll(plug, 4);
  plug.Channels().SetOutputChannelConnections(1, 1, false);
  float in[4] = {1, 2, 3, 4};
  float out0[4] = {9, 9, 9, 9}, spare[4] = {9, 9, 9, 9};
  float* hostIn[1] = {in};
  float* hostOut[1] = {out0};
  plug.Channels().AttachInputBuffers(0, 1, hostIn, 4);
  plug.Channels().AttachOutputBuffers(0, 2, hostOut);
  plug.Channels().ProcessBuffers(plug, 0.0f, 4);
  EXPECT_EQ((std::vector<float>{1, 2, 3, 4}), std::vector<float>(out0, out0 + 4));
  EXPECT_EQ((std::vector<float>{9, 9, 9, 9}), std::vector<float>(spare, spare + 4));
}

// ---- Identity and timing ----------------------------------------------------------

// The architecture is the one this test binary was built for: a 32-bit
// build must not call itself 64-bit, nor the other way round.
TEST(IPlugBaseIdentity, ArchitectureIsThisBuilds)
{
  const char* expected = sizeof(void*) == 8 ? "x64" : "x86";
#if defined(__aarch64__)
  expected = "arm64";
#endif
  EXPECT_STREQ(expected, IPlugBase::GetArchString());
}

TEST(IPlugBaseIdentity, NamesAndCodes)
{
  BarePlug plug;
  EXPECT_STREQ("Bare", plug.GetEffectName());
  EXPECT_STREQ("Bare Product", plug.GetProductName());
  EXPECT_STREQ("Kolvane Tests", plug.GetMfrName());
  EXPECT_EQ(BarePlug::kUniqueID, plug.GetUniqueID());
  EXPECT_EQ(BarePlug::kMfrID, plug.GetMfrID());
  EXPECT_EQ(44100.0, plug.GetSampleRate());
  EXPECT_EQ(0, plug.GetBlockSize());
  EXPECT_EQ(nullptr, plug.GetGUI());
  EXPECT_EQ(nullptr, plug.GetParam(0));
}

TEST(IPlugBaseIdentity, LongEffectNameIsCutToItsField)
{
  std::string longName(300, 'k');
  BarePlug plug(0, "1-1", 0, false, longName.c_str());
  EXPECT_EQ(std::string(127, 'k'), plug.GetEffectName());
}

TEST(IPlugBaseTiming, SamplesPerBeat)
{
  struct Case
  {
    double rate, tempo, expected;
  };
  const Case cases[] = {
      {48000, 120, 24000}, {44100, 60, 44100}, {96000, 90, 64000}, {44100, 0, 0}, {44100, -10, 0},
  };
  for (const Case& c : cases)
  {
    BarePlug plug;
    plug.SetSampleRate(c.rate);
    plug.mTempo = c.tempo;
    EXPECT_DOUBLE_EQ(c.expected, plug.GetSamplesPerBeat()) << c.rate << " Hz, " << c.tempo;
  }
}

// ---- Parameters, editor and host ------------------------------------------------

// The editor's change is stored before the host hears of it, so the host
// reading the parameter back sees the new value; the plug-in hears last.
TEST(IPlugBaseParams, SetParameterFromGUIStoresInformsThenNotifies)
{
  TypedPlug plug;
  plug.SetParameterFromGUI(TypedPlug::kGain, 0.5);
  EXPECT_NEAR(0.5, plug.GetParam(TypedPlug::kGain)->Value(), 1e-12); // 0.5^2 of 0..2
  ASSERT_EQ(1u, plug.mAutomation.size());
  EXPECT_EQ(TypedPlug::kGain, plug.mAutomation[0].first);
  EXPECT_EQ(0.5, plug.mAutomation[0].second);
  EXPECT_NEAR(0.5, plug.mValueWhenInformed[0], 1e-12);
  EXPECT_EQ((std::vector<int>{TypedPlug::kGain}), plug.mParamChanges);

  plug.SetParameterFromGUI(99, 0.5);
  plug.SetParameterFromGUI(-1, 0.5);
  EXPECT_EQ(1u, plug.mAutomation.size());
  EXPECT_EQ(1u, plug.mParamChanges.size());
}

TEST(IPlugBaseParams, DirtyParametersReportsEveryNormalizedValue)
{
  TypedPlug plug;
  plug.SetNonDefaults();
  plug.DirtyParameters();
  ASSERT_EQ(static_cast<size_t>(plug.NParams()), plug.mAutomation.size());
  for (int i = 0; i < plug.NParams(); ++i)
  {
    EXPECT_EQ(i, plug.mAutomation[i].first);
    EXPECT_EQ(plug.GetParam(i)->GetNormalized(), plug.mAutomation[i].second);
  }
}

TEST(IPlugBaseParams, OnParamResetNotifiesEveryParameterInOrder)
{
  TypedPlug plug;
  plug.OnParamReset();
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), plug.mParamChanges);
}

TEST(IPlugBaseEditor, AttachGraphicsPushesNormalizedValuesThenPrepares)
{
  bool deleted = false;
  {
    TypedPlug plug;
    plug.SetNonDefaults();
    plug.AttachGraphics(nullptr);
    EXPECT_EQ(nullptr, plug.GetGUI());

    FakeGraphics* gui = new FakeGraphics(&deleted);
    plug.AttachGraphics(gui);
    EXPECT_EQ(gui, plug.GetGUI());
    ASSERT_EQ(static_cast<size_t>(plug.NParams()), gui->mFromPlug.size());
    for (int i = 0; i < plug.NParams(); ++i)
    {
      EXPECT_EQ(i, gui->mFromPlug[i].paramIdx);
      EXPECT_EQ(plug.GetParam(i)->GetNormalized(), gui->mFromPlug[i].value);
      EXPECT_TRUE(gui->mFromPlug[i].normalized);
    }
    EXPECT_EQ((std::vector<int>{plug.NParams()}), gui->mPrepDrawsAfter);

    gui->mFromPlug.clear();
    plug.RedrawParamControls();
    ASSERT_EQ(static_cast<size_t>(plug.NParams()), gui->mFromPlug.size());
    for (int i = 0; i < plug.NParams(); ++i)
    {
      EXPECT_EQ(plug.GetParam(i)->Value(), gui->mFromPlug[i].value);
      EXPECT_FALSE(gui->mFromPlug[i].normalized);
    }
    EXPECT_FALSE(deleted);
  }
  EXPECT_TRUE(deleted); // the plug-in owns the attached editor
}

TEST(IPlugBaseMidi, MessagesPassThroughToTheHost)
{
  BarePlug plug;
  IMidiMsg note(3, 0x90, 60, 100);
  plug.ProcessMidiMsg(&note);
  ASSERT_EQ(1u, plug.mSentMidi.size());
  EXPECT_EQ(3, plug.mSentMidi[0].offset);
  EXPECT_EQ(60, plug.mSentMidi[0].data1);

  WDL_TypedBuf<IMidiMsg> list;
  IMidiMsg* msgs = list.Resize(3);
  for (int i = 0; i < 3; ++i)
  {
    msgs[i] = IMidiMsg(i, 0x80, static_cast<unsigned char>(60 + i), 0);
  }
  EXPECT_TRUE(plug.SendMidiMsgs(&list));
  plug.mSendMidiSucceeds = false;
  plug.mSentMidi.clear();
  EXPECT_FALSE(plug.SendMidiMsgs(&list));
  EXPECT_EQ(3u, plug.mSentMidi.size()); // a refusal does not stop the rest

  char name[8] = "junk";
  EXPECT_FALSE(plug.MidiNoteName(60, name));
  EXPECT_STREQ("", name);
}
