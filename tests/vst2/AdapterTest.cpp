// The VST2 adapter driven in-process, through the AEffect a host would get,
// with a fake host on the other side of the callback.

#include "FakeHost.h"
#include "IPlugVST.h"
#include "TestPlug.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace
{
class AdapterTest : public ::testing::Test
{
protected:
  void SetUp() override { effect = VST2EntryPoint<TestPlug>(FakeHost::Callback); }

  void TearDown() override
  {
    if (effect)
    {
      dispatch(effClose);
    }
  }

  TestPlug* plug() { return VST2PlugOf<TestPlug>(effect); }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f)
  {
    VstIntPtr result = effect->dispatcher(effect, opcode, index, value, ptr, opt);
    if (opcode == effClose)
    {
      effect = nullptr;
    }
    return result;
  }

  // A text request into a large buffer filled with a marker, as hosts do.
  std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr* result = nullptr)
  {
    char buffer[512];
    std::memset(buffer, '#', sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    VstIntPtr r = dispatch(opcode, index, 0, buffer);
    if (result)
    {
      *result = r;
    }
    return buffer;
  }

  void open(double sampleRate = 44100.0, int blockSize = 512)
  {
    OpenLikeADaw(effect, static_cast<float>(sampleRate), blockSize);
  }

  std::vector<uint8_t> getChunk(bool bank)
  {
    void* data = nullptr;
    VstIntPtr size = dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return size > 0 ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
  }

  VstIntPtr setChunk(bool bank, const std::vector<uint8_t>& bytes)
  {
    return dispatch(effSetChunk, bank ? 0 : 1, static_cast<VstIntPtr>(bytes.size()),
                    const_cast<uint8_t*>(bytes.data()));
  }

  FakeHost host;
  AEffect* effect = nullptr;
};

std::vector<double> values(AEffect* effect)
{
  std::vector<double> out;
  for (int i = 0; i < effect->numParams; ++i)
  {
    out.push_back(effect->getParameter(effect, i));
  }
  return out;
}
} // namespace

TEST_F(AdapterTest, DescribesItselfToTheHost)
{
  ASSERT_NE(nullptr, effect);
  EXPECT_EQ(kEffectMagic, effect->magic);
  EXPECT_EQ(TestPlug::kNumParams, effect->numParams);
  EXPECT_EQ(TestPlug::kNumPresets, effect->numPrograms);
  EXPECT_EQ(2, effect->numInputs);
  EXPECT_EQ(2, effect->numOutputs);
  EXPECT_EQ(0x1018, effect->flags) << "replacing, double replacing, mono; no editor, no chunks";
  EXPECT_EQ(10203, effect->version);
  EXPECT_EQ(TestPlug::kUniqueID, effect->uniqueID);
  EXPECT_EQ(1.0f, effect->ioRatio);
  EXPECT_EQ(IPlugVST::FromAEffect(effect)->GetPlug(), plug());
  EXPECT_STREQ("VST2", plug()->GetAPIString());

  AEffect* chunky = VST2EntryPoint<TestPlugChunks>(FakeHost::Callback);
  EXPECT_EQ(0x1038, chunky->flags) << "plus program chunks";
  chunky->dispatcher(chunky, effClose, 0, 0, nullptr, 0.0f);
}

TEST_F(AdapterTest, EntryPointFillsTheRemainingPresetsWithTheDefaultState)
{
  const char* expected[] = {"Unity", "Loud Hard", "Empty", "Empty"};
  for (int i = 0; i < TestPlug::kNumPresets; ++i)
  {
    VstIntPtr result = 0;
    EXPECT_EQ(expected[i], text(effGetProgramNameIndexed, i, &result));
    EXPECT_EQ(1, result);
  }
  VstIntPtr result = 1;
  EXPECT_EQ("", text(effGetProgramNameIndexed, TestPlug::kNumPresets, &result));
  EXPECT_EQ(0, result);
  EXPECT_EQ("", text(effGetProgramNameIndexed, -1, &result));
}

TEST_F(AdapterTest, AnswersTheFixedRequests)
{
  struct Case
  {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr expected;
  };
  const Case cases[] = {
      {effIdentify, 0, kEffectIdentify},
      {effGetVstVersion, 0, 2400},
      {effGetPlugCategory, 0, kPlugCategEffect},
      {effCanBeAutomated, 0, 1},
      {effCanBeAutomated, 99, 1},
      {effGetProgram, 0, 0},
      {effEditGetRect, 0, 0}, // no editor attached
      {effEditOpen, 0, 0},
      {effEditClose, 0, 0},
      {effGetTailSize, 0, 0},
      {effGetVendorVersion, 0, 0},
      {effSetBypass, 0, 0},
      {effStartProcess, 0, 0},
      {effProcessVarIo, 0, 0},
      {1000, 0, 0}, // unknown opcodes
  };
  for (const Case& c : cases)
  {
    ERect* rect = nullptr;
    EXPECT_EQ(c.expected, dispatch(c.opcode, c.index, 0, &rect)) << "opcode " << c.opcode;
  }
}

TEST_F(AdapterTest, NamesAreBoundedAndTerminated)
{
  VstIntPtr result = 0;
  EXPECT_EQ("Kolvane Test", text(effGetEffectName, 0, &result));
  EXPECT_EQ(1, result);
  EXPECT_EQ("Kolvane Tests", text(effGetVendorString, 0, &result));
  EXPECT_EQ("Test Product", text(effGetProductString, 0, &result));
  EXPECT_EQ(0, dispatch(effGetEffectName, 0, 0, nullptr)) << "no buffer";

  // A preset name longer than a program-name field arrives cut, not spilled.
  dispatch(effSetProgramName, 0, 0, const_cast<char*>("A very long program name indeed"));
  std::string name = text(effGetProgramName);
  EXPECT_EQ(23u, name.size());
  EXPECT_EQ("A very long program nam", name);
}

TEST_F(AdapterTest, ProgramNamesFromTheHostAreReadUpToTheirBound)
{
  // An unterminated buffer: the adapter must stop at the field's size.
  char unterminated[24];
  std::memset(unterminated, 'x', sizeof unterminated);
  dispatch(effSetProgramName, 0, 0, unterminated);
  EXPECT_EQ(std::string(23, 'x'), text(effGetProgramName));
}

TEST_F(AdapterTest, ParameterTexts)
{
  struct Case
  {
    int idx;
    const char* name;
    const char* label;
    const char* display;
  };
  const Case cases[] = {
      {TestPlug::kGain, "Gain", "x", "1.00"},
      {TestPlug::kMode, "Mode", "", "Soft"},
      {TestPlug::kBypass, "Bypass", "", "off"},
      {TestPlug::kSteps, "Steps", "steps", "4"},
  };
  for (const Case& c : cases)
  {
    EXPECT_EQ(c.name, text(effGetParamName, c.idx));
    EXPECT_EQ(c.label, text(effGetParamLabel, c.idx));
    EXPECT_EQ(c.display, text(effGetParamDisplay, c.idx));
  }
  for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
  {
    std::string untouched(511, '#');
    EXPECT_EQ(untouched, text(opcode, -1));
    EXPECT_EQ(untouched, text(opcode, TestPlug::kNumParams));
  }
}

TEST_F(AdapterTest, VendorSpecificDisplayOfANormalizedValue)
{
  char buffer[64] = "untouched";
  EXPECT_EQ(0xBEEF, dispatch(effVendorSpecific, 7, TestPlug::kMode, buffer, 1.0f));
  EXPECT_STREQ("Auto", buffer);
  EXPECT_EQ(0xBEEF, dispatch(effVendorSpecific, 7, TestPlug::kGain, buffer, 0.5f));
  EXPECT_STREQ("0.50", buffer) << "shape 2: 0.5^2 * 2";
  std::strcpy(buffer, "untouched");
  EXPECT_EQ(0xBEEF, dispatch(effVendorSpecific, 7, 99, buffer, 0.5f));
  EXPECT_STREQ("untouched", buffer);
  EXPECT_EQ(0xBEEF, dispatch(effVendorSpecific, 7, TestPlug::kGain, buffer, NAN));
  EXPECT_STREQ("0.00", buffer) << "a non-number shows the bottom of the range";

  EXPECT_EQ(0xBEEF, dispatch(effVendorSpecific, 8, TestPlug::kSteps));
  EXPECT_EQ(0, dispatch(effVendorSpecific, 8, TestPlug::kGain)) << "continuous";
  EXPECT_EQ(0, dispatch(effVendorSpecific, 3, TestPlug::kSteps));
}

TEST_F(AdapterTest, CapabilityAnswers)
{
  const std::pair<const char*, VstIntPtr> cases[] = {
      {"receiveVstTimeInfo", 1},
      {"sendVstEvents", 1},
      {"sendVstMidiEvent", 1},
      {"receiveVstEvents", 1},
      {"receiveVstMidiEvent", 1},
      {"hasCockosExtensions", 0xBEEF0000},
      {"hasCockosViewAsConfig", 0xBEEF0000},
      {"bypass", 0},
      {"ReceiveVstTimeInfo", 0},
      {"", 0},
  };
  for (const auto& c : cases)
  {
    EXPECT_EQ(c.second, dispatch(effCanDo, 0, 0, const_cast<char*>(c.first))) << c.first;
  }
  EXPECT_EQ(0, dispatch(effCanDo, 0, 0, nullptr));
}

TEST_F(AdapterTest, PinProperties)
{
  struct Case
  {
    VstInt32 opcode;
    int index;
    VstIntPtr result;
    VstInt32 flags;
    const char* label;
  };
  const Case cases[] = {
      {effGetInputProperties, 0, 1, kVstPinIsActive | kVstPinIsStereo, "Input 1"},
      {effGetInputProperties, 1, 1, kVstPinIsActive, "Input 2"},
      {effGetOutputProperties, 0, 1, kVstPinIsActive | kVstPinIsStereo, "Output 1"},
      {effGetOutputProperties, 1, 1, kVstPinIsActive, "Output 2"},
      {effGetInputProperties, 2, 0, -7, "host's"},
      {effGetOutputProperties, -1, 0, -7, "host's"},
  };
  for (const Case& c : cases)
  {
    VstPinProperties pin = {};
    std::strcpy(pin.label, "host's");
    pin.flags = -7;
    pin.arrangementType = 42;
    EXPECT_EQ(c.result, dispatch(c.opcode, c.index, 0, &pin));
    EXPECT_EQ(c.flags, pin.flags);
    EXPECT_STREQ(c.label, pin.label);
    EXPECT_EQ(42, pin.arrangementType) << "fields the plug-in does not own stay the host's";
  }
  EXPECT_EQ(0, dispatch(effGetInputProperties, 0, 0, nullptr));
}

TEST_F(AdapterTest, OpenIdentifiesTheHostOnceAndPushesEveryParameter)
{
  dispatch(effOpen);
  EXPECT_EQ(1, plug()->mHostIdentifiedCount);
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), plug()->mParamChanges);
  EXPECT_EQ(1, host.productQueries);
  EXPECT_EQ(0x10203, plug()->GetHostVersion(false));
  char version[32];
  plug()->GetHostVersionStr(version);
  EXPECT_STREQ("v1.2.3", version);

  plug()->mParamChanges.clear();
  dispatch(effOpen);
  EXPECT_EQ(1, plug()->mHostIdentifiedCount) << "host-specific set-up runs once";
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), plug()->mParamChanges);
  EXPECT_EQ(1, host.productQueries);
}

TEST(AdapterHostIdentification, VersionsAndUnknownHosts)
{
  struct Case
  {
    const char* product;
    VstIntPtr vendorVersion;
    EHost host;
    int packed;
  };
  const Case cases[] = {
      {"REAPER", 10203, kHostReaper, 0x10203},
      {"Some DAW", 2400, kHostUnknown, 0x1800},
      {"", 777, kHostUnknown, 0}, // no product: the version is not even asked
      {"Cubase 12", -5, kHostCubase, 0},
  };
  for (const Case& c : cases)
  {
    FakeHost host;
    host.product = c.product;
    host.vendorVersion = c.vendorVersion;
    AEffect* effect = VST2EntryPoint<TestPlug>(FakeHost::Callback);
    TestPlug* plug = VST2PlugOf<TestPlug>(effect);
    EXPECT_EQ(c.host, plug->GetHost()) << c.product;
    EXPECT_EQ(c.packed, plug->GetHostVersion(false)) << c.product;
    plug->GetHost();
    EXPECT_EQ(1, host.productQueries) << "asked once, even when the answer is empty";
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  }
}

TEST_F(AdapterTest, RateBlockSizeAndSuspendEachReset)
{
  dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  EXPECT_EQ(48000.0, plug()->GetSampleRate());
  dispatch(effSetSampleRate, 0, 0, nullptr, NAN);
  dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(48000.0, plug()->GetSampleRate()) << "no usable rate: keep the last one";
  dispatch(effSetBlockSize, 0, 256);
  EXPECT_EQ(256, plug()->GetBlockSize());
  dispatch(effMainsChanged, 0, 1);
  dispatch(effMainsChanged, 0, 0);
  EXPECT_EQ(5, plug()->mResetCount);
}

TEST_F(AdapterTest, IdleReachesThePlugInWithoutAnEditor)
{
  EXPECT_EQ(0, dispatch(effEditIdle));
  EXPECT_EQ(0, dispatch(effIdle));
  EXPECT_EQ(2, plug()->mIdleCount);
}

TEST_F(AdapterTest, HostAutomationIsStoredAndNotEchoed)
{
  struct Case
  {
    int idx;
    float value;
    double expected;
  };
  const Case cases[] = {
      {TestPlug::kMode, 0.5f, 1.0}, // three choices: the middle one
      {TestPlug::kMode, 0.9f, 2.0},
      {TestPlug::kSteps, 0.0f, 1.0},
      {TestPlug::kGain, 0.5f, 0.5}, // shape 2 over 0..2
      {TestPlug::kGain, 1.5f, 2.0}, // beyond the range: clamped
      {TestPlug::kGain, -3.0f, 0.0},
      {TestPlug::kGain, NAN, 0.0}, // ignored: keeps the value before
      {TestPlug::kGain, INFINITY, 0.0},
  };
  for (const Case& c : cases)
  {
    plug()->mParamChanges.clear();
    effect->setParameter(effect, c.idx, c.value);
    EXPECT_DOUBLE_EQ(c.expected, plug()->GetParam(c.idx)->Value()) << c.idx << " " << c.value;
    if (std::isfinite(c.value))
    {
      EXPECT_EQ(std::vector<int>{c.idx}, plug()->mParamChanges);
    }
    else
    {
      EXPECT_TRUE(plug()->mParamChanges.empty());
    }
  }
  EXPECT_TRUE(host.calls.empty()) << "host changes are not reported back to the host";

  const std::vector<double> before = values(effect);
  effect->setParameter(effect, -1, 0.3f);
  effect->setParameter(effect, TestPlug::kNumParams, 0.3f);
  EXPECT_EQ(before, values(effect));
  EXPECT_EQ(0.0f, effect->getParameter(effect, -1));
  EXPECT_EQ(0.0f, effect->getParameter(effect, TestPlug::kNumParams));
}

TEST_F(AdapterTest, EditorGesturesReachTheHostInOrder)
{
  plug()->BeginInformHostOfParamChange(TestPlug::kGain);
  plug()->SetParameterFromGUI(TestPlug::kGain, 0.25);
  plug()->EndInformHostOfParamChange(TestPlug::kGain);
  ASSERT_EQ(3u, host.calls.size());
  EXPECT_EQ(audioMasterBeginEdit, host.calls[0].opcode);
  EXPECT_EQ(audioMasterAutomate, host.calls[1].opcode);
  EXPECT_EQ(TestPlug::kGain, host.calls[1].index);
  EXPECT_EQ(0.25f, host.calls[1].opt);
  EXPECT_EQ(audioMasterEndEdit, host.calls[2].opcode);
  EXPECT_DOUBLE_EQ(0.125, plug()->GetParam(TestPlug::kGain)->Value());
}

TEST_F(AdapterTest, TypedValues)
{
  struct Case
  {
    int idx;
    const char* text;
    VstIntPtr result;
    double value; // after the request
  };
  const Case cases[] = {
      {TestPlug::kBypass, "on", 1, 1.0},
      {TestPlug::kBypass, "ON", 0, 1.0}, // display texts match exactly
      {TestPlug::kBypass, "off", 1, 0.0},
      {TestPlug::kMode, "Auto", 1, 2.0},
      {TestPlug::kMode, "2", 0, 2.0}, // a parameter with texts takes only its texts
      {TestPlug::kGain, "1.25", 1, 1.25},
      {TestPlug::kGain, "7", 1, 2.0}, // clamped into the range
      {TestPlug::kGain, "nan", 0, 2.0},
      {TestPlug::kGain, "inf", 0, 2.0},
      {TestPlug::kGain, "loud", 0, 2.0}, // not a number: refused, not read as 0
      {TestPlug::kGain, "", 0, 2.0},
      {TestPlug::kGain, " 0.5x", 1, 0.5},
      {TestPlug::kSteps, "12", 1, 12.0},
  };
  for (const Case& c : cases)
  {
    EXPECT_EQ(c.result, dispatch(effString2Parameter, c.idx, 0, const_cast<char*>(c.text)))
        << c.text;
    EXPECT_EQ(c.value, plug()->GetParam(c.idx)->Value()) << c.text;
  }
  EXPECT_EQ(1, dispatch(effString2Parameter, TestPlug::kGain, 0, nullptr));
  EXPECT_EQ(0, dispatch(effString2Parameter, 99, 0, const_cast<char*>("1")));
  EXPECT_TRUE(host.calls.empty()) << "typed values are not reported back to the host";

  // Text longer than the read bound, unterminated within it.
  std::vector<char> longText(4096, '1');
  EXPECT_EQ(1, dispatch(effString2Parameter, TestPlug::kSteps, 0, longText.data()));
  EXPECT_EQ(16.0, plug()->GetParam(TestPlug::kSteps)->Value());
}

TEST_F(AdapterTest, ProgramChunkRoundTripsIntoAFreshInstance)
{
  effect->setParameter(effect, TestPlug::kGain, 0.7f);
  effect->setParameter(effect, TestPlug::kMode, 1.0f);
  effect->setParameter(effect, TestPlug::kBypass, 1.0f);
  effect->setParameter(effect, TestPlug::kSteps, 0.4f);
  const std::vector<double> saved = values(effect);
  const std::vector<uint8_t> chunk = getChunk(false);
  ASSERT_EQ(8u + 8u * TestPlug::kNumParams, chunk.size());
  EXPECT_EQ(0, std::memcmp(chunk.data(), "tffp", 4)) << "the magic's bytes, little-endian";
  int32_t magic, version;
  std::memcpy(&magic, chunk.data(), 4);
  std::memcpy(&version, chunk.data() + 4, 4);
  EXPECT_EQ(0x70666674, magic);
  EXPECT_EQ(0x00010000, version);

  AEffect* fresh = VST2EntryPoint<TestPlug>(FakeHost::Callback);
  EXPECT_NE(saved, values(fresh));
  EXPECT_EQ(1, fresh->dispatcher(fresh, effSetChunk, 1, static_cast<VstIntPtr>(chunk.size()),
                                 const_cast<uint8_t*>(chunk.data()), 0.0f));
  EXPECT_EQ(saved, values(fresh));
  fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
}

TEST_F(AdapterTest, BankChunkRoundTripsPresetsNamesAndTheCurrentState)
{
  dispatch(effSetProgram, 0, 1);
  effect->setParameter(effect, TestPlug::kSteps, 1.0f);
  dispatch(effSetProgramName, 0, 0, const_cast<char*>("Edited"));
  const std::vector<double> saved = values(effect);
  const std::vector<uint8_t> bank = getChunk(true);
  ASSERT_GT(bank.size(), 8u);

  AEffect* fresh = VST2EntryPoint<TestPlug>(FakeHost::Callback);
  EXPECT_EQ(1, fresh->dispatcher(fresh, effSetChunk, 0, static_cast<VstIntPtr>(bank.size()),
                                 const_cast<uint8_t*>(bank.data()), 0.0f));
  char name[64];
  fresh->dispatcher(fresh, effGetProgramNameIndexed, 1, 0, name, 0.0f);
  EXPECT_STREQ("Edited", name);
  fresh->dispatcher(fresh, effGetProgramNameIndexed, 0, 0, name, 0.0f);
  EXPECT_STREQ("Unity", name);
  // The bank restores the preset that was current when it was read: slot 0
  // of the fresh instance, now holding the bank's first preset.
  fresh->dispatcher(fresh, effSetProgram, 0, 1, nullptr, 0.0f);
  EXPECT_EQ(saved, values(fresh));
  fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
}

TEST_F(AdapterTest, BankRequestWithAnOldHeaderIsReadAsOneState)
{
  effect->setParameter(effect, TestPlug::kGain, 0.9f);
  std::vector<uint8_t> program = getChunk(false);
  int32_t oldVersion = 0xFFFF;
  std::memcpy(program.data() + 4, &oldVersion, 4);
  const std::vector<double> saved = values(effect);
  effect->setParameter(effect, TestPlug::kGain, 0.1f);
  EXPECT_EQ(1, setChunk(true, program));
  EXPECT_EQ(saved, values(effect));
}

// Damaged or foreign state from a host must never crash the plug-in; a read
// that fails answers 0 and keeps what was read before it.
TEST_F(AdapterTest, DamagedChunksAreRefusedSafely)
{
  const std::vector<uint8_t> good = getChunk(false);
  const std::vector<uint8_t> goodBank = getChunk(true);

  // Every truncation of a valid program or bank chunk.
  for (size_t n = 0; n < good.size(); ++n)
  {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
    EXPECT_EQ(0, setChunk(false, cut)) << n << " bytes";
  }
  for (size_t n = 0; n < goodBank.size(); n += 7)
  {
    std::vector<uint8_t> cut(goodBank.begin(), goodBank.begin() + static_cast<long>(n));
    setChunk(true, cut);
  }

  // Random bytes, and oversized data.
  uint32_t seed = 12345;
  for (int trial = 0; trial < 200; ++trial)
  {
    std::vector<uint8_t> noise(static_cast<size_t>(trial * 3));
    for (uint8_t& b : noise)
    {
      seed = seed * 1664525u + 1013904223u;
      b = static_cast<uint8_t>(seed >> 24);
    }
    if (trial % 2 == 0 && noise.size() >= 8)
    {
      std::memcpy(noise.data(), goodBank.data(), 8); // a valid header over garbage
    }
    setChunk(trial % 3 == 0, noise);
  }
  std::vector<uint8_t> oversized = good;
  oversized.resize(good.size() + 10000, 0xAB);
  EXPECT_EQ(1, setChunk(false, oversized));

  // A state cut in the middle of a value: the values before it are kept.
  effect->setParameter(effect, TestPlug::kGain, 1.0f);
  effect->setParameter(effect, TestPlug::kMode, 1.0f);
  std::vector<uint8_t> state = getChunk(false);
  effect->setParameter(effect, TestPlug::kGain, 0.0f);
  effect->setParameter(effect, TestPlug::kMode, 0.0f);
  state.resize(8 + 8 + 4); // gain, then half of mode
  EXPECT_EQ(0, setChunk(false, state));
  EXPECT_EQ(2.0, plug()->GetParam(TestPlug::kGain)->Value());
  EXPECT_EQ(0.0, plug()->GetParam(TestPlug::kMode)->Value()) << "not set from half a value";

  // Non-numbers in a state leave those parameters alone.
  std::vector<uint8_t> poisoned = getChunk(false);
  const double nan = NAN;
  std::memcpy(poisoned.data() + 8, &nan, 8);
  EXPECT_EQ(1, setChunk(false, poisoned));
  EXPECT_EQ(2.0, plug()->GetParam(TestPlug::kGain)->Value());

  EXPECT_EQ(0, dispatch(effSetChunk, 1, 16, nullptr));
  EXPECT_EQ(0, dispatch(effSetChunk, 1, -5, const_cast<uint8_t*>(good.data())));
  EXPECT_EQ(0, dispatch(effGetChunk, 1, 0, nullptr));
}

TEST_F(AdapterTest, SelectingAProgramStoresTheEditedOneFirst)
{
  dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(1, dispatch(effGetProgram));
  EXPECT_DOUBLE_EQ(1.5, plug()->GetParam(TestPlug::kGain)->Value());
  EXPECT_EQ(1.0, plug()->GetParam(TestPlug::kMode)->Value());
  effect->setParameter(effect, TestPlug::kSteps, 1.0f);
  dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(4.0, plug()->GetParam(TestPlug::kSteps)->Value());
  dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(16.0, plug()->GetParam(TestPlug::kSteps)->Value()) << "the edit was kept in slot 1";

  dispatch(effSetProgram, 0, 99);
  dispatch(effSetProgram, 0, -1);
  EXPECT_EQ(1, dispatch(effGetProgram)) << "no such program: nothing changes";
}

// A new instance plays its defaults, which belong to no program: choosing
// the first program must load it, not overwrite it with the defaults.
TEST_F(AdapterTest, FirstSelectionOfTheFirstProgramLoadsIt)
{
  plug()->GetParam(TestPlug::kGain)->Set(0.3);
  plug()->GetParam(TestPlug::kSteps)->Set(11.0);
  dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(1.0, plug()->GetParam(TestPlug::kGain)->Value());
  EXPECT_EQ(4.0, plug()->GetParam(TestPlug::kSteps)->Value());

  // From now on edits belong to program 0 and are kept there.
  plug()->GetParam(TestPlug::kSteps)->Set(11.0);
  dispatch(effSetProgram, 0, 1);
  dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(11.0, plug()->GetParam(TestPlug::kSteps)->Value());
}

TEST_F(AdapterTest, ProcessingInAllThreeForms)
{
  open(44100.0, 64);
  effect->setParameter(effect, TestPlug::kGain, std::sqrt(0.25f)); // gain 0.5

  const int n = 64;
  std::vector<double> inL(n), inR(n), outL(n, 9.0), outR(n, 9.0);
  for (int i = 0; i < n; ++i)
  {
    inL[i] = i;
    inR[i] = -i;
  }
  double* inD[] = {inL.data(), inR.data()};
  double* outD[] = {outL.data(), outR.data()};
  effect->processDoubleReplacing(effect, inD, outD, n);
  EXPECT_EQ(31.5, outL[63]);
  EXPECT_EQ(-31.5, outR[63]);

  std::vector<float> fInL(inL.begin(), inL.end()), fInR(inR.begin(), inR.end());
  std::vector<float> fOutL(n, 100.0f), fOutR(n, 100.0f);
  float* inF[] = {fInL.data(), fInR.data()};
  float* outF[] = {fOutL.data(), fOutR.data()};
  effect->processReplacing(effect, inF, outF, n);
  EXPECT_EQ(31.5f, fOutL[63]);
  EXPECT_EQ(-31.5f, fOutR[63]);

  effect->process(effect, inF, outF, n);
  EXPECT_EQ(63.0f, fOutL[63]) << "accumulating adds to what the host had";
  EXPECT_EQ(-63.0f, fOutR[63]);
  EXPECT_EQ(3, host.wantMidi) << "each callback announces MIDI input";
}

TEST_F(AdapterTest, AccumulatingSilenceLeavesTheOutputs)
{
  open(44100.0, 32);
  std::vector<float> zeros(32, 0.0f), outL(32, 0.25f), outR(32, -0.5f);
  float* in[] = {zeros.data(), zeros.data()};
  float* out[] = {outL.data(), outR.data()};
  effect->process(effect, in, out, 32);
  EXPECT_EQ(std::vector<float>(32, 0.25f), outL);
  EXPECT_EQ(std::vector<float>(32, -0.5f), outR);
}

// Hosts send blocks larger than they announced; the scratch buffers must
// grow for that call instead of being overrun (the sanitizer build checks).
TEST_F(AdapterTest, BlocksLargerThanAnnouncedAreProcessedWhole)
{
  open(44100.0, 16);
  for (int n : {17, 1000, 4096, 5})
  {
    std::vector<float> inL(n, 1.0f), inR(n, 2.0f), outL(n, 0.0f), outR(n, 0.0f);
    float* in[] = {inL.data(), inR.data()};
    float* out[] = {outL.data(), outR.data()};
    effect->processReplacing(effect, in, out, n);
    EXPECT_EQ(n, plug()->mLastBlockFrames);
    EXPECT_EQ(1.0f, outL[n - 1]) << n;
    EXPECT_EQ(2.0f, outR[n - 1]) << n;
  }
}

TEST_F(AdapterTest, EmptyOrMissingBuffersProcessNothing)
{
  open(44100.0, 16);
  plug()->mLastBlockFrames = -1;
  float sentinel = 5.0f;
  float* buffers[] = {&sentinel, &sentinel};
  for (int n : {0, -1, -100000})
  {
    effect->processReplacing(effect, buffers, buffers, n);
    effect->process(effect, buffers, buffers, n);
  }
  effect->processReplacing(effect, nullptr, buffers, 1);
  effect->processDoubleReplacing(effect, nullptr, nullptr, 8);
  EXPECT_EQ(5.0f, sentinel);
  EXPECT_EQ(-1, plug()->mLastBlockFrames);

  // A null channel inside the arrays reads as silence.
  std::vector<float> outL(8, 3.0f), outR(8, 3.0f), inR(8, 1.0f);
  float* in[] = {nullptr, inR.data()};
  float* out[] = {outL.data(), outR.data()};
  effect->processReplacing(effect, in, out, 8);
  EXPECT_EQ(std::vector<float>(8, 0.0f), outL);
  EXPECT_EQ(std::vector<float>(8, 1.0f), outR);
}

TEST_F(AdapterTest, SpeakerArrangementsConnectChannels)
{
  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(1, dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out));
  ASSERT_NE(nullptr, in);
  EXPECT_EQ(kSpeakerArrStereo, in->type);
  EXPECT_EQ(2, out->numChannels);

  VstSpeakerArrangement mono = {};
  mono.type = kSpeakerArrMono;
  mono.numChannels = 1;
  EXPECT_EQ(1, dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono));
  EXPECT_TRUE(plug()->IsInChannelConnected(0));
  EXPECT_FALSE(plug()->IsInChannelConnected(1));
  EXPECT_FALSE(plug()->IsOutChannelConnected(1));

  // Counts no host could mean are clamped, not overflowed.
  VstSpeakerArrangement absurd = {};
  absurd.numChannels = -2147483647 - 1;
  EXPECT_EQ(1,
            dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&absurd), &absurd));
  EXPECT_FALSE(plug()->IsInChannelConnected(0));
  absurd.numChannels = 2147483647;
  EXPECT_EQ(1,
            dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&absurd), &absurd));
  EXPECT_TRUE(plug()->IsOutChannelConnected(1));
  EXPECT_EQ(1, dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono));

  // Mono processing: one host buffer each way.
  open(44100.0, 8);
  std::vector<double> inM(8, 0.5), outM(8, 0.0);
  double* inP[] = {inM.data()};
  double* outP[] = {outM.data()};
  effect->processDoubleReplacing(effect, inP, outP, 8);
  EXPECT_EQ(0.5, outM[7]);
}

TEST_F(AdapterTest, MidiEventsReachThePlugInInOrder)
{
  VstMidiEvent noteOn = {};
  noteOn.type = kVstMidiType;
  noteOn.byteSize = sizeof noteOn;
  noteOn.deltaFrames = 17;
  noteOn.midiData[0] = static_cast<char>(0x90);
  noteOn.midiData[1] = 60;
  noteOn.midiData[2] = 100;
  VstMidiEvent noteOff = noteOn;
  noteOff.deltaFrames = 40;
  noteOff.midiData[0] = static_cast<char>(0x80);
  VstMidiSysexEvent sysex = {};
  sysex.type = kVstSysExType;

  struct
  {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[4];
  } events = {4,
              0,
              {reinterpret_cast<VstEvent*>(&noteOn), nullptr, reinterpret_cast<VstEvent*>(&sysex),
               reinterpret_cast<VstEvent*>(&noteOff)}};
  EXPECT_EQ(1, dispatch(effProcessEvents, 0, 0, &events));
  EXPECT_EQ(0, dispatch(effProcessEvents, 0, 0, nullptr));

  // The base passes MIDI through to the host: the same two notes come back.
  ASSERT_EQ(2u, host.sentEvents.size());
  EXPECT_EQ(17, host.sentEvents[0].deltaFrames);
  EXPECT_EQ(static_cast<char>(0x90), host.sentEvents[0].midiData[0]);
  EXPECT_EQ(60, host.sentEvents[0].midiData[1]);
  EXPECT_EQ(100, host.sentEvents[0].midiData[2]);
  EXPECT_EQ(40, host.sentEvents[1].deltaFrames);
  EXPECT_EQ(static_cast<VstInt32>(sizeof(VstMidiEvent)), host.sentEvents[1].byteSize);

  IMidiMsg msg(3, 0x90, 1, 2);
  host.acceptEvents = false;
  EXPECT_FALSE(plug()->SendMidiMsg(&msg)) << "only an answer of exactly 1 is success";
}

TEST_F(AdapterTest, TransportQueries)
{
  host.time.samplePos = 1234.5;
  host.time.sampleRate = 44100.0;
  host.time.ppqPos = 8.25;
  host.time.tempo = 128.0;
  host.time.barStartPos = 8.0;
  host.time.cycleStartPos = 4.0;
  host.time.cycleEndPos = 12.0;
  host.time.timeSigNumerator = 7;
  host.time.timeSigDenominator = 8;
  host.time.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                    kVstCyclePosValid | kVstTimeSigValid;

  EXPECT_EQ(1235, plug()->GetSamplePos());
  EXPECT_EQ(128.0, plug()->GetTempo());
  EXPECT_EQ(kVstTempoValid, host.lastTimeFilter);
  int num = -1, denom = -1;
  plug()->GetTimeSig(&num, &denom);
  EXPECT_EQ(7, num);
  EXPECT_EQ(8, denom);

  ITimeInfo info;
  plug()->GetTime(&info);
  EXPECT_EQ(0x3E00, host.lastTimeFilter);
  EXPECT_EQ(1234.5, info.mSamplePos);
  EXPECT_EQ(8.25, info.mPPQPos);
  EXPECT_EQ(128.0, info.mTempo);
  EXPECT_EQ(8.0, info.mLastBar);
  EXPECT_EQ(4.0, info.mCycleStart);
  EXPECT_EQ(12.0, info.mCycleEnd);
  EXPECT_EQ(7, info.mNumerator);
  EXPECT_EQ(8, info.mDenominator);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_FALSE(info.mTransportLoopEnabled);
  EXPECT_NEAR(60.0 * 44100.0 / 128.0, plug()->GetSamplesPerBeat(), 1e-9);
}

TEST_F(AdapterTest, TransportWithoutUsableInformation)
{
  // A record lacking every requested bit, or no record at all, leaves the
  // snapshot as it was and answers neutral values.
  for (bool hasTime : {true, false})
  {
    host.hasTime = hasTime;
    host.time = {};
    host.time.samplePos = -1.0;
    host.time.tempo = 140.0;
    host.time.flags = kVstTransportPlaying;
    EXPECT_EQ(0, plug()->GetSamplePos());
    EXPECT_EQ(0.0, plug()->GetTempo());
    EXPECT_EQ(0.0, plug()->GetSamplesPerBeat());
    int num = -1, denom = -1;
    plug()->GetTimeSig(&num, &denom);
    EXPECT_EQ(0, num);
    EXPECT_EQ(0, denom);
    ITimeInfo info;
    plug()->GetTime(&info);
    EXPECT_EQ(120.0, info.mTempo);
    EXPECT_EQ(-1.0, info.mPPQPos);
    EXPECT_FALSE(info.mTransportIsRunning);
  }

  // Tempo 0 and a 0/0 signature flagged valid are not taken.
  host.hasTime = true;
  host.time = {};
  host.time.flags = kVstTempoValid | kVstTimeSigValid;
  ITimeInfo info;
  plug()->GetTime(&info);
  EXPECT_EQ(120.0, info.mTempo);
  EXPECT_EQ(4, info.mNumerator);
  EXPECT_EQ(0.0, info.mSamplePos) << "the sample position is always taken";

  host.time.samplePos = 1e300; // past any int: saturate, not overflow
  EXPECT_EQ(2147483647, plug()->GetSamplePos());
}

TEST_F(AdapterTest, OfflineRendering)
{
  EXPECT_FALSE(plug()->IsRenderingOffline());
  host.processLevel = kVstProcessLevelOffline;
  EXPECT_TRUE(plug()->IsRenderingOffline());
}

namespace
{
// The editor as the plug-in side sees it, recording what reaches it. It is
// 300 x 200 at 100 % and scales as it is told, telling the plug-in of each
// new size as an editor does; opening the window may change the scale, as
// a screen's DPI does.
class FakeGraphics : public IGraphicsInterface
{
public:
  explicit FakeGraphics(IPlugInterface* plug = nullptr) : plug(plug) {}

  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override
  {
    fromPlug.push_back({paramIdx, value, normalized});
  }
  void SetControlFromPlug(int, double) override {}
  void PrepDraw() override { ++prepDraws; }
  int Width() const override { return static_cast<int>(300 * scale); }
  int Height() const override { return static_cast<int>(200 * scale); }
  bool CanOpenWindow() const override { return windowed; }
  void* OpenWindow(void* parent) override
  {
    if (parent && openScale > 0)
    {
      Rescale(openScale);
    }
    return parent;
  }
  void CloseWindow() override { ++closes; }
  void PromptForFile(WDL_String*, EFileAction, WDL_String*, const char*) override {}
  bool SetHostScale(double s) override
  {
    hostScales.push_back(s);
    if (scalable)
    {
      Rescale(s);
    }
    return scalable;
  }
  int GetUserScalePercent() const override { return userPercent; }
  void SetUserScalePercent(int percent) override { userPercent = percent; }

  void Rescale(double s)
  {
    scale = s;
    if (plug)
    {
      plug->ResizeGraphics(Width(), Height());
    }
  }

  struct Update
  {
    int idx;
    double value;
    bool normalized;
  };
  std::vector<Update> fromPlug;
  int prepDraws = 0;
  int closes = 0;
  bool windowed = true;
  IPlugInterface* plug;
  bool scalable = true;
  double scale = 1.0;
  double openScale = 0.0;
  std::vector<double> hostScales;
  int userPercent = 0;
};

const VstInt32 kPreS = 0x50726553;
const VstIntPtr kAeCs = 0x41654373;
} // namespace

// Where the platform gives the editor no window, the host must not see one:
// a host shows an empty frame for an editor flag with nothing behind it.
TEST_F(AdapterTest, EditorWithoutAWindowIsNotOffered)
{
  FakeGraphics* graphics = new FakeGraphics; // owned by the plug-in once attached
  graphics->windowed = false;
  plug()->AttachGraphics(graphics);
  EXPECT_EQ(0, effect->flags & effFlagsHasEditor);
  EXPECT_EQ(1, graphics->prepDraws) << "the editor itself is there, drawing into memory";
  ERect* rect = nullptr;
  int parent = 0;
  EXPECT_EQ(0, dispatch(effEditGetRect, 0, 0, &rect));
  EXPECT_EQ(nullptr, rect);
  EXPECT_EQ(0, dispatch(effEditOpen, 0, 0, &parent));
  EXPECT_EQ(0, dispatch(effEditClose));
  EXPECT_EQ(0, graphics->closes);
}

TEST_F(AdapterTest, AttachedEditorFollowsTheHost)
{
  FakeGraphics* graphics = new FakeGraphics; // owned by the plug-in once attached
  plug()->AttachGraphics(graphics);
  EXPECT_EQ(0x1019, effect->flags);
  EXPECT_EQ(1, graphics->prepDraws);
  ASSERT_EQ(4u, graphics->fromPlug.size()) << "every parameter pushed on attach";
  EXPECT_TRUE(graphics->fromPlug[0].normalized);

  ERect* rect = nullptr;
  EXPECT_EQ(1, dispatch(effEditGetRect, 0, 0, &rect));
  ASSERT_NE(nullptr, rect);
  EXPECT_EQ(300, rect->right);
  EXPECT_EQ(200, rect->bottom);
  int parent = 0;
  EXPECT_EQ(1, dispatch(effEditOpen, 0, 0, &parent));
  EXPECT_EQ(0, dispatch(effEditOpen, 0, 0, nullptr)) << "no window made";
  EXPECT_EQ(1, dispatch(effEditClose));
  EXPECT_EQ(1, graphics->closes);

  graphics->fromPlug.clear();
  effect->setParameter(effect, TestPlug::kMode, 1.0f);
  dispatch(effString2Parameter, TestPlug::kSteps, 0, const_cast<char*>("9"));
  ASSERT_EQ(2u, graphics->fromPlug.size());
  EXPECT_EQ(TestPlug::kMode, graphics->fromPlug[0].idx);
  EXPECT_TRUE(graphics->fromPlug[0].normalized);
  EXPECT_EQ(9.0, graphics->fromPlug[1].value);
  EXPECT_FALSE(graphics->fromPlug[1].normalized);

  graphics->fromPlug.clear();
  setChunk(false, getChunk(false));
  EXPECT_EQ(4u, graphics->fromPlug.size()) << "a loaded state redraws every control";
}

// The host's content scale (effVendorSpecific 'PreS' 'AeCs', the scale as
// a float in opt) reaches the editor; the rectangle the host reads follows
// its size, and while the editor is open the host is asked to resize its
// window. A host that refuses leaves the editor at its size all the same.
TEST_F(AdapterTest, TheContentScaleReachesTheEditorAndAnOpenEditorAsksForItsSize)
{
  FakeGraphics* graphics = new FakeGraphics(plug());
  plug()->AttachGraphics(graphics);
  ERect* rect = nullptr;
  EXPECT_EQ(1, dispatch(effVendorSpecific, kPreS, kAeCs, nullptr, 2.0f));
  EXPECT_EQ(std::vector<double>{2.0}, graphics->hostScales);
  ASSERT_EQ(1, dispatch(effEditGetRect, 0, 0, &rect));
  EXPECT_EQ(600, rect->right);
  EXPECT_EQ(400, rect->bottom);
  EXPECT_TRUE(host.sizeWindows.empty()) << "no window to resize yet";

  int parent = 0;
  ASSERT_EQ(1, dispatch(effEditOpen, 0, 0, &parent));
  EXPECT_TRUE(host.sizeWindows.empty()) << "opened at the size the host read";
  dispatch(effVendorSpecific, kPreS, kAeCs, nullptr, 1.5f);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{450, 300}}), host.sizeWindows);
  host.acceptSize = false;
  dispatch(effVendorSpecific, kPreS, kAeCs, nullptr, 1.0f);
  EXPECT_EQ(300, rect->right) << "refused: the editor keeps its new size";
  dispatch(effEditClose);
  host.sizeWindows.clear();
  dispatch(effVendorSpecific, kPreS, kAeCs, nullptr, 2.0f);
  EXPECT_TRUE(host.sizeWindows.empty()) << "closed";

  // Other codes, a scale that is no number, an editor that does not scale.
  EXPECT_EQ(0, dispatch(effVendorSpecific, kPreS, 0, nullptr, 2.0f));
  EXPECT_EQ(0, dispatch(effVendorSpecific, kPreS, kAeCs, nullptr, std::nanf("")));
  graphics->scalable = false;
  EXPECT_EQ(0, dispatch(effVendorSpecific, kPreS, kAeCs, nullptr, 1.5f));
}

// An editor whose size changes while it opens (it learnt the screen's
// scale) asks the host for the new size at once: the host sized its
// window from the rectangle it read before.
TEST_F(AdapterTest, AnEditorThatOpensAtAnotherSizeAsksTheHostForIt)
{
  FakeGraphics* graphics = new FakeGraphics(plug());
  graphics->openScale = 2.0;
  plug()->AttachGraphics(graphics);
  int parent = 0;
  ASSERT_EQ(1, dispatch(effEditOpen, 0, 0, &parent));
  EXPECT_EQ((std::vector<std::pair<int, int>>{{600, 400}}), host.sizeWindows);
}

namespace
{
// The editor's trailer: tag, version, byte count, then the bytes.
std::vector<uint8_t> Trailer(int magic, int version, int bytes, std::vector<int> words)
{
  std::vector<int> all = {magic, version, bytes};
  all.insert(all.end(), words.begin(), words.end());
  std::vector<uint8_t> out(all.size() * 4);
  std::memcpy(out.data(), all.data(), out.size());
  return out;
}
} // namespace

// The size the user chose travels after the state in the chunks handed to
// the host, as a tagged, versioned trailer: a state without it is the
// chunk it always was, and a reader takes the trailer only when it is
// whole and its own.
TEST_F(AdapterTest, TheUsersSizeFollowsTheStateInTheChunks)
{
  FakeGraphics* graphics = new FakeGraphics(plug());
  plug()->AttachGraphics(graphics);
  const std::vector<uint8_t> plain = getChunk(false);
  ASSERT_EQ(8u + 8 * TestPlug::kNumParams, plain.size()) << "no size chosen: no trailer";
  graphics->userPercent = 150;
  const std::vector<uint8_t> program = getChunk(false);
  ASSERT_EQ(plain.size() + 16, program.size());
  EXPECT_EQ(Trailer(IPLUG_EDITOR_STATE_MAGIC, 1, 4, {150}),
            std::vector<uint8_t>(program.begin() + static_cast<long>(plain.size()), program.end()));
  const std::vector<uint8_t> bank = getChunk(true);

  struct Case
  {
    const char* what;
    std::vector<uint8_t> trailer;
    int expected; // the editor's percent after loading, from 100
  };
  const Case cases[] = {
      {"none: the size stays", {}, 100},
      {"version 1", Trailer(IPLUG_EDITOR_STATE_MAGIC, 1, 4, {200}), 200},
      {"a later version's extra bytes are skipped",
       Trailer(IPLUG_EDITOR_STATE_MAGIC, 2, 12, {150, 7, 8}), 150},
      {"another tag", Trailer(0x12345678, 1, 4, {200}), 100},
      {"version 0", Trailer(IPLUG_EDITOR_STATE_MAGIC, 0, 4, {200}), 100},
      {"fewer bytes than a size", Trailer(IPLUG_EDITOR_STATE_MAGIC, 1, 2, {200}), 100},
      {"more bytes promised than there are", Trailer(IPLUG_EDITOR_STATE_MAGIC, 1, 8, {200}), 100},
      {"cut inside the header", std::vector<uint8_t>{0x45, 0x64, 0x53, 0x74, 1}, 100},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    graphics->userPercent = 100;
    std::vector<uint8_t> chunk = plain;
    chunk.insert(chunk.end(), c.trailer.begin(), c.trailer.end());
    EXPECT_EQ(1, setChunk(false, chunk)) << "the parameters load whatever the trailer";
    EXPECT_EQ(c.expected, graphics->userPercent);
  }
  graphics->userPercent = 100;
  EXPECT_EQ(1, setChunk(true, bank));
  EXPECT_EQ(150, graphics->userPercent) << "the bank's trailer";
}
