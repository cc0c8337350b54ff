// Kolvane as a host sees it, driven in-process through its AEffect with a
// fake host supplying the transport.

#include "Kolvane.h"
#include "FakeHost.h"
#include "IPlugVST.h"
#include "KolvaneStates.h"
#include "Noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// Kolvane listening to its engine's gate: note events are logged by the bar
// sample they happen at. The tests play less than a bar from the song start,
// so that is the sample counted from the start.
class KolvaneProbe : public Kolvane, public GateEngine::GateListener
{
public:
  KolvaneProbe() { mEngine.setGateListener(this); }

  void gateChanged(bool open, int barSample) override
  {
    (open ? noteOns : noteOffs).push_back(barSample);
  }

  std::vector<long> noteOns;
  std::vector<long> noteOffs;
};

class KolvaneTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    effect = VST2EntryPoint<KolvaneProbe>(FakeHost::Callback);
    ASSERT_NE(nullptr, effect);
    plug = VST2PlugOf<KolvaneProbe>(effect);
  }
  void TearDown() override { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f)
  {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }

  std::string text(VstInt32 opcode, VstInt32 index)
  {
    char buffer[256] = {};
    dispatch(opcode, index, 0, buffer);
    return buffer;
  }

  // Open as a DAW does, with the transport at the song start, playing.
  void open(double tempo = 120.0, double rate = 44100.0)
  {
    host.time.sampleRate = rate;
    host.time.tempo = tempo;
    host.time.timeSigNumerator = 4;
    host.time.timeSigDenominator = 4;
    host.time.flags =
        kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid | kVstBarsValid;
    OpenLikeADaw(effect, static_cast<float>(rate), 512);
  }

  // Renders blocks of a constant input, moving the host's transport on
  // after each block; returns the left output.
  std::vector<double> render(int n, int blockSize = 512, double input = 1.0)
  {
    std::vector<double> in(static_cast<size_t>(blockSize), input), outL(static_cast<size_t>(n)),
        outR(static_cast<size_t>(blockSize));
    for (int done = 0; done < n;)
    {
      int block = std::min(blockSize, n - done);
      double* ins[] = {in.data(), in.data()};
      double* outs[] = {outL.data() + done, outR.data()};
      host.time.ppqPos = host.time.samplePos / (60.0 * host.time.sampleRate / host.time.tempo);
      host.time.barStartPos = 4.0 * std::floor(host.time.ppqPos / 4.0);
      effect->processDoubleReplacing(effect, ins, outs, block);
      done += block;
      host.time.samplePos += block;
    }
    return outL;
  }

  // Sends one MIDI event for the next block.
  void midi(unsigned char status, int note, int velocity, int offset)
  {
    VstMidiEvent event = {};
    event.type = kVstMidiType;
    event.byteSize = sizeof event;
    event.deltaFrames = offset;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(note);
    event.midiData[2] = static_cast<char>(velocity);
    VstEvents events = {};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    dispatch(effProcessEvents, 0, 0, &events);
  }

  FakeHost host;
  AEffect* effect = nullptr;
  KolvaneProbe* plug = nullptr;
};

const char* const kParamNames[kNumParams] = {"Amplitude Attack",
                                             "Amplitude Decay",
                                             "Amplitude Sustain",
                                             "Amplitude Release",
                                             "Filter Attack",
                                             "Filter Decay",
                                             "Filter Sustain",
                                             "Filter Release",
                                             "Filter Cutoff",
                                             "Filter Resonance",
                                             "LFO Depth",
                                             "LFO Rate",
                                             "LFO Triple",
                                             "LFO Filter Depth",
                                             "LFO Filter Rate",
                                             "LFO Filter Triple",
                                             "Push!!",
                                             "Filter Type",
                                             "LFO Amp Type",
                                             "LFO Filter Type",
                                             "Step Seq 1",
                                             "Step Seq 2",
                                             "Step Seq 3",
                                             "Step Seq 4",
                                             "Step Seq 5",
                                             "Step Seq 6",
                                             "Step Seq 7",
                                             "Step Seq 8",
                                             "Step Seq 9",
                                             "Step Seq 10",
                                             "Step Seq 11",
                                             "Step Seq 12",
                                             "Step Seq 13",
                                             "Step Seq 14",
                                             "Step Seq 15",
                                             "Step Seq 16",
                                             "Step On Off",
                                             "Seq Note Len",
                                             "Arp Intervall",
                                             "Arp Speed",
                                             "Filter Envelope",
                                             "Dry Wet",
                                             "Swing",
                                             "Step Level 1",
                                             "Step Level 2",
                                             "Step Level 3",
                                             "Step Level 4",
                                             "Step Level 5",
                                             "Step Level 6",
                                             "Step Level 7",
                                             "Step Level 8",
                                             "Step Level 9",
                                             "Step Level 10",
                                             "Step Level 11",
                                             "Step Level 12",
                                             "Step Level 13",
                                             "Step Level 14",
                                             "Step Level 15",
                                             "Step Level 16"};

// What a host shows for a new instance: each parameter's display and unit.
const char* const kDefaultDisplays[kNumParams][2] = {
    {"10", "ms"}, {"500", "ms"}, {"10", "%"},   {"1", "s"},    {"10", "ms"}, {"500", "ms"},
    {"10", "%"},  {"1", "s"},    {"0.990", ""}, {"0.010", ""}, {"0", "%"},   {"1/8", ""},
    {"off", ""},  {"0", "%"},    {"1/8", ""},   {"off", ""},   {"off", ""},  {"LP", ""},
    {"Sine", ""}, {"Sine", ""},  {"on", ""},    {"on", ""},    {"off", ""},  {"off", ""},
    {"off", ""},  {"on", ""},    {"off", ""},   {"off", ""},   {"off", ""},  {"off", ""},
    {"off", ""},  {"off", ""},   {"off", ""},   {"off", ""},   {"off", ""},  {"off", ""},
    {"off", ""},  {"1.000", ""}, {"16", ""},    {"5", ""},     {"100", "%"}, {"100", "% wet"},
    {"0", "%"},   {"100", "%"},  {"100", "%"},  {"100", "%"},  {"100", "%"}, {"100", "%"},
    {"100", "%"}, {"100", "%"},  {"100", "%"},  {"100", "%"},  {"100", "%"}, {"100", "%"},
    {"100", "%"}, {"100", "%"},  {"100", "%"},  {"100", "%"},  {"100", "%"}};

const char* const kFactoryNames[27] = {"Falling Drops",
                                       "Tranceizer",
                                       "Shortage",
                                       "Normal",
                                       "Electro Resonance",
                                       "Flamenco",
                                       "Gargara",
                                       "Free Tongue",
                                       "Syncopated",
                                       "Pompedazz",
                                       "Running Horse",
                                       "FMinazer",
                                       "Navel Air",
                                       "Tekchopat",
                                       "Alienz",
                                       "Dravik",
                                       "Echo and Vell",
                                       "Step Dancer",
                                       "Frying",
                                       "Little Kick",
                                       "Boring in the you essay",
                                       "Chill",
                                       "Softer",
                                       "Jungle",
                                       "Spastics",
                                       "Omberly",
                                       "xox"};
} // namespace

TEST_F(KolvaneTest, Identity)
{
  EXPECT_EQ(kEffectMagic, effect->magic);
  EXPECT_EQ(0x56616469, effect->uniqueID) << "\"Vadi\"";
  EXPECT_EQ(kNumParams, effect->numParams);
  EXPECT_EQ(30, effect->numPrograms);
  EXPECT_EQ(2, effect->numInputs);
  EXPECT_EQ(2, effect->numOutputs);
  EXPECT_EQ(0x1019, effect->flags) << "an editor, no chunks, not a synth";
  EXPECT_EQ(10001, effect->version);
  EXPECT_EQ(0, effect->initialDelay);
  EXPECT_EQ("Kolvane", text(effGetEffectName, 0));
  EXPECT_EQ("Vexmoor", text(effGetVendorString, 0));
  EXPECT_EQ("", text(effGetProductString, 0));
  EXPECT_EQ(kPlugCategEffect, dispatch(effGetPlugCategory));
  EXPECT_EQ(1, dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")));
  EXPECT_EQ(0x5A69766F, plug->GetMfrID()) << "\"Zivo\"";
}

TEST_F(KolvaneTest, ThirtyProgramsInOrder)
{
  for (int i = 0; i < 30; ++i)
  {
    EXPECT_EQ(i < 27 ? kFactoryNames[i] : "Empty", text(effGetProgramNameIndexed, i)) << i;
  }
}

TEST_F(KolvaneTest, ParameterNamesAndDefaultDisplays)
{
  for (int i = 0; i < kNumParams; ++i)
  {
    EXPECT_EQ(kParamNames[i], text(effGetParamName, i)) << i;
    EXPECT_EQ(kDefaultDisplays[i][0], text(effGetParamDisplay, i)) << kParamNames[i];
    EXPECT_EQ(kDefaultDisplays[i][1], text(effGetParamLabel, i)) << kParamNames[i];
  }
}

// The texts a host shows, and reads back from a person: each display and
// unit for a value, and the value the two read back as, covering every kind
// of text and the ends of the ranges.
TEST_F(KolvaneTest, HostTextsForValues)
{
  struct Case
  {
    int idx;
    double value;
    const char* display;
    const char* unit;
  };
  const Case cases[] = {
      {kAmplitudeAttack, 0.01, "10", "ms"}, {kAmplitudeAttack, 10.0, "10", "s"},
      {kFilterRelease, 0.001, "1", "ms"},   {kFilterRelease, 0.0456, "45.6", "ms"},
      {kAmplitudeDecay, 0.9996, "1", "s"},  {kAmplitudeRelease, 1.919, "1.92", "s"},
      {kAmplitudeRelease, 15.0, "15", "s"}, {kAmplitudeSustain, 0.001, "0.1", "%"},
      {kFilterSustain, 0.123, "12.3", "%"}, {kLFODepth, 1.0, "100", "%"},
      {kFilterEnvelope, 0.5, "50", "%"},    {kDryWet, 0.0, "0", "% wet"},
      {kDryWet, 0.75, "75", "% wet"},       {kLFORate, 0.0, "1/2", ""},
      {kLFOFilterRate, 7.0, "1/256", ""},   {kFilterType, 1.0, "HP", ""},
      {kFilterType, 2.0, "BP", ""},         {kLFOAmpType, 0.0, "Saw", ""},
      {kLFOFilterType, 1.0, "Square", ""},  {kStepSeq1 + 7, 1.0, "on", ""},
      {kStepOnOff, 0.0, "off", ""},         {kFilterCutoff, 0.5, "0.500", ""},
      {kSeqNoteLen, 0.01, "0.010", ""},     {kArpSpeed, 9.0, "9", ""},
      {kSwing, 2.0 / 3.0, "66.7", "%"},     {kStepLevel1 + 4, 0.5, "50", "%"},
  };
  for (const Case& c : cases)
  {
    plug->GetParam(c.idx)->Set(c.value);
    EXPECT_EQ(c.display, text(effGetParamDisplay, c.idx)) << kParamNames[c.idx] << " " << c.value;
    EXPECT_EQ(c.unit, text(effGetParamLabel, c.idx)) << kParamNames[c.idx] << " " << c.value;
  }
}

// Every parameter, across its range: the text a host shows, with its unit,
// typed back in sets a value that shows the same text again.
TEST_F(KolvaneTest, EveryHostTextReadsBackAsItsValue)
{
  for (int i = 0; i < kNumParams; ++i)
  {
    for (int k = 0; k <= 20; ++k)
    {
      effect->setParameter(effect, i, static_cast<float>(k / 20.0));
      const std::string display = text(effGetParamDisplay, i);
      const std::string unit = text(effGetParamLabel, i);
      const double value = plug->GetParam(i)->Value();
      plug->GetParam(i)->Set(plug->GetParam(i)->GetMin() == value ? plug->GetParam(i)->GetMax()
                                                                  : plug->GetParam(i)->GetMin());
      std::string typed = unit.empty() ? display : display + " " + unit;
      ASSERT_EQ(1, dispatch(effString2Parameter, i, 0, const_cast<char*>(typed.c_str())))
          << kParamNames[i] << ": \"" << typed << "\"";
      EXPECT_EQ(display, text(effGetParamDisplay, i)) << kParamNames[i] << ": " << typed;
      EXPECT_EQ(unit, text(effGetParamLabel, i)) << kParamNames[i] << ": " << typed;
      // Three significant digits, or three decimals for a plain number:
      // within half a unit of the last one.
      EXPECT_NEAR(value, plug->GetParam(i)->Value(), std::max(0.005 * std::fabs(value), 0.0005))
          << kParamNames[i] << ": " << typed;
    }
  }
}

// What a person may type: the forms the host shows, with or without the
// unit and in any case, and plain numbers in the parameter's own units, as
// before; anything else is refused and leaves the value alone.
TEST_F(KolvaneTest, HostTextEntryForms)
{
  struct Case
  {
    int idx;
    const char* typed;
    double value; // NaN: refused
  };
  const double kRefused = std::nan("");
  const Case cases[] = {
      {kAmplitudeDecay, "500 ms", 0.5},
      {kAmplitudeDecay, "250ms", 0.25},
      {kAmplitudeDecay, "1.5 s", 1.5},
      {kAmplitudeDecay, "2 S", 2.0},
      {kAmplitudeDecay, "0.75", 0.75},
      {kAmplitudeDecay, " 3 sec ", 3.0},
      {kAmplitudeDecay, "5 kg", kRefused},
      {kAmplitudeDecay, "ms", kRefused},
      {kAmplitudeSustain, "50 %", 0.5},
      {kAmplitudeSustain, "25%", 0.25},
      {kAmplitudeSustain, "0.3", 0.3},
      {kSwing, "66.7 %", 0.667},
      {kDryWet, "75 % wet", 0.75},
      {kDryWet, "40 %", 0.4},
      {kDryWet, "25 % dry", 0.75},
      {kDryWet, "10 wet", 0.1},
      {kDryWet, "0.2", 0.2},
      {kLFORate, "1/16", 3.0},
      {kLFORate, "3", 3.0},
      {kLFORate, "1/3", kRefused},
      {kFilterType, "hp", 1.0},
      {kFilterType, "BP", 2.0},
      {kFilterType, "1", 1.0},
      {kFilterType, "Filter Type", kRefused},
      {kLFOAmpType, "saw", 0.0},
      {kLFOAmpType, "SQUARE", 1.0},
      {kStepSeq1, "ON", 1.0},
      {kStepSeq1, "0", 0.0},
      {kStepSeq1, "maybe", kRefused},
      {kFilterCutoff, "0.25", 0.25},
      {kArpSpeed, "7", 7.0},
      {kSwing, "nan", kRefused},
      {kSwing, "", kRefused},
      {kStepLevel1, "inf %", kRefused},
  };
  for (const Case& c : cases)
  {
    plug->GetParam(c.idx)->Set(plug->GetParam(c.idx)->GetMax() == 0.0 ? 1.0 : 0.0);
    const double before = plug->GetParam(c.idx)->Value();
    const VstIntPtr taken = dispatch(effString2Parameter, c.idx, 0, const_cast<char*>(c.typed));
    if (std::isnan(c.value))
    {
      EXPECT_EQ(0, taken) << kParamNames[c.idx] << ": \"" << c.typed << "\"";
      EXPECT_EQ(before, plug->GetParam(c.idx)->Value()) << kParamNames[c.idx] << ": " << c.typed;
    }
    else
    {
      EXPECT_EQ(1, taken) << kParamNames[c.idx] << ": \"" << c.typed << "\"";
      EXPECT_NEAR(c.value, plug->GetParam(c.idx)->Value(), 1e-9)
          << kParamNames[c.idx] << ": " << c.typed;
    }
  }
}

TEST_F(KolvaneTest, ParameterRangesAndShapes)
{
  struct Case
  {
    int idx;
    double min, max, shape;
  };
  const Case cases[] = {
      {kFilterCutoff, 0.01, 0.99, 1.0},   {kAmplitudeRelease, 0.1, 15.0, 3.0},
      {kFilterRelease, 0.001, 15.0, 3.0}, {kAmplitudeSustain, 0.001, 1.0, 2.0},
      {kFilterType, 0.0, 2.0, 1.0},       {kLFORate, 0.0, 7.0, 1.0},
      {kArpIntervall, 2.0, 16.0, 1.0},    {kDryWet, 0.0, 1.0, 0.5},
      {kFilterEnvelope, 0.001, 1.0, 2.0}, {kFilterResonance, 0.01, 1.0, 2.0},
  };
  for (const Case& c : cases)
  {
    const IParam* param = plug->GetParam(c.idx);
    EXPECT_EQ(c.min, param->GetMin()) << kParamNames[c.idx];
    EXPECT_EQ(c.max, param->GetMax()) << kParamNames[c.idx];
    EXPECT_EQ(c.shape, param->GetShape()) << kParamNames[c.idx];
  }
  EXPECT_EQ(kTypeBool, plug->GetParam(kStepSeq1)->Type());
  EXPECT_EQ(kTypeEnum, plug->GetParam(kLFOAmpType)->Type());
  EXPECT_EQ(kTypeInt, plug->GetParam(kArpSpeed)->Type());
  EXPECT_EQ(kTypeDouble, plug->GetParam(kSeqNoteLen)->Type());
}

TEST_F(KolvaneTest, OpenPushesEveryParameterIntoTheEngine)
{
  open();
  EXPECT_EQ(44100, plug->engine().sampleRateInt());
  EXPECT_EQ(120.0, plug->engine().tempo());
  EXPECT_EQ(16, plug->engine().numSteps());
  EXPECT_EQ(4.0, plug->engine().stepLength());
  EXPECT_EQ(1.0, plug->engine().noteLength());
  EXPECT_EQ(0.99, plug->engine().filterLeft().getCutoff());
  EXPECT_EQ(0.01, plug->engine().filterRight().getResonance());
  EXPECT_DOUBLE_EQ(4.0, plug->engine().ampLFO().getFrequency()) << "rate 2 at 120 BPM";
  EXPECT_EQ(Sine, plug->engine().filterLFO().getMode());
  EXPECT_EQ(1.0, plug->engine().ampEnvelope().getStageValue(EnvelopeGenerator::Release));
  EXPECT_TRUE(plug->engine().stepOn(0) && plug->engine().stepOn(1) && plug->engine().stepOn(5));
  EXPECT_FALSE(plug->engine().stepOn(2));
}

// An LFO's rate knob is an exponent: value v makes 2 to the v cycles per
// half note, for both LFOs, so at 120 BPM 0 gives 1 Hz and 7 gives 128 Hz,
// and the triplet switch makes it half as fast again.
TEST_F(KolvaneTest, LfoRatesAreTwoToThePowerOfTheirValue)
{
  open();
  struct Case
  {
    int rate, triplet, value;
    bool on;
    double hz;
  };
  const Case cases[] = {{kLFORate, kLFOTriple, 0, false, 1.0},
                        {kLFORate, kLFOTriple, 3, false, 8.0},
                        {kLFORate, kLFOTriple, 7, false, 128.0},
                        {kLFORate, kLFOTriple, 7, true, 192.0},
                        {kLFOFilterRate, kLFOFilterTriple, 0, false, 1.0},
                        {kLFOFilterRate, kLFOFilterTriple, 5, false, 32.0},
                        {kLFOFilterRate, kLFOFilterTriple, 7, true, 192.0}};
  for (const Case& c : cases)
  {
    effect->setParameter(effect, c.triplet, c.on ? 1.0f : 0.0f);
    effect->setParameter(effect, c.rate, static_cast<float>(c.value) / 7.0f);
    const Oscillator& lfo =
        c.rate == kLFORate ? plug->engine().ampLFO() : plug->engine().filterLFO();
    EXPECT_DOUBLE_EQ(c.hz, lfo.getFrequency())
        << parameterProperties[c.rate].name << " " << c.value << (c.on ? " triplet" : "");
  }
}

TEST_F(KolvaneTest, HostIdentificationTakesTheIntegerRateAndTheTempo)
{
  host.hasTime = false;
  plug->SetSampleRate(47999.9);
  dispatch(effOpen);
  EXPECT_EQ(47999, plug->engine().sampleRateInt());
  EXPECT_EQ(120.0, plug->engine().tempo()) << "no time information: the record's own tempo";
}

// Hosts commonly open the plug-in before telling it the rate: the steps
// must still be timed at the rate the audio runs at.
TEST_F(KolvaneTest, RateSetAfterOpeningTimesTheSteps)
{
  open(); // opens at the base's 44.1 kHz, then sets 44.1 kHz
  dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  EXPECT_EQ(48000, plug->engine().sampleRateInt());
  host.time.sampleRate = 48000.0;
  // 120 BPM at 48 kHz: 1500 samples per 64th, 6000 per step.
  std::vector<double> in(96000, 1.0), outL(96000), outR(96000);
  double* ins[] = {in.data(), in.data()};
  double* outs[] = {outL.data(), outR.data()};
  effect->processDoubleReplacing(effect, ins, outs, 96000);
  EXPECT_EQ((std::vector<long>{19, 6000 + 19, 5 * 6000 + 19}), plug->noteOns);

  // A rate no int can hold leaves the timing as it was.
  dispatch(effSetSampleRate, 0, 0, nullptr, 1e10f);
  EXPECT_EQ(48000, plug->engine().sampleRateInt());
}

// Peak of |output| over seconds of full-scale noise through both channels,
// in the float or the double callback; NaN when any output was not finite.
template <class Sample>
double noisePeak(AEffect* effect, FakeHost& host, Noise& noise, int frames, double badInput = 0.0)
{
  const int kBlock = 512;
  std::vector<Sample> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
  Sample* ins[] = {inL.data(), inR.data()};
  Sample* outs[] = {outL.data(), outR.data()};
  double peak = 0.0;
  for (int done = 0; done < frames; done += kBlock)
  {
    for (int s = 0; s < kBlock; ++s)
    {
      inL[static_cast<size_t>(s)] = static_cast<Sample>(noise.next());
      inR[static_cast<size_t>(s)] = static_cast<Sample>(noise.next());
    }
    if (badInput != 0.0)
    {
      inL[100] = inR[200] = static_cast<Sample>(badInput);
    }
    host.time.ppqPos = host.time.samplePos / (60.0 * 44100.0 / host.time.tempo);
    if constexpr (sizeof(Sample) == sizeof(double))
    {
      effect->processDoubleReplacing(effect, ins, outs, kBlock);
    }
    else
    {
      effect->processReplacing(effect, ins, outs, kBlock);
    }
    host.time.samplePos += kBlock;
    for (int s = 0; s < kBlock; ++s)
    {
      const double v = std::fmax(std::fabs(static_cast<double>(outL[static_cast<size_t>(s)])),
                                 std::fabs(static_cast<double>(outR[static_cast<size_t>(s)])));
      if (!std::isfinite(static_cast<double>(outL[static_cast<size_t>(s)])) ||
          !std::isfinite(static_cast<double>(outR[static_cast<size_t>(s)])))
      {
        return NAN;
      }
      peak = v > peak ? v : peak;
    }
  }
  return peak;
}

// A block carrying NaN or an infinity used to leave NaN in the filters for
// good: every later sample was NaN, in every program, until the plug-in was
// reloaded. The next block's output must be finite again.
TEST_F(KolvaneTest, OutputIsFiniteAgainInTheBlockAfterNonFiniteInput)
{
  open();
  Noise noise(3);
  for (int program = 0; program < 30; ++program)
  {
    dispatch(effSetProgram, 0, program);
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL})
    {
      noisePeak<double>(effect, host, noise, 512, bad);
      EXPECT_FALSE(std::isnan(noisePeak<double>(effect, host, noise, 4096)))
          << "program " << program << ", double, after " << bad;
      noisePeak<float>(effect, host, noise, 512, bad);
      EXPECT_FALSE(std::isnan(noisePeak<float>(effect, host, noise, 4096)))
          << "program " << program << ", float, after " << bad;
    }
  }
}

// "Filter Resonance" at 1.0 is a legal setting: the output used to grow
// without bound (380 after 2 s of noise, 1e21 after 100 s), and with every
// parameter at 1.0 the float output reached infinity within 2 s. A hundred
// seconds of full-scale noise stay within ±64.
TEST_F(KolvaneTest, FullResonanceStaysWithinBoundsForAHundredSeconds)
{
  open();
  struct Case
  {
    const char* what;
    bool everyParameterAtOne;
  };
  for (const Case& c :
       {Case{"\"Falling Drops\" at resonance 1", false}, Case{"every parameter at 1", true}})
  {
    dispatch(effSetProgram, 0, 0);
    for (int i = 0; i < kNumParams; ++i)
    {
      if (c.everyParameterAtOne || i == kFilterResonance)
      {
        effect->setParameter(effect, i, 1.0f);
      }
    }
    Noise noise(11);
    const double peak = noisePeak<float>(effect, host, noise, 100 * 44100);
    EXPECT_LE(peak, 64.0) << c.what;
  }
}

TEST_F(KolvaneTest, FactoryPresetsLoadTheirValuesClamped)
{
  struct Case
  {
    int program;
    double values[kNumOriginalParams];
  };
  const Case cases[] = {
      {0, // "Falling Drops"
       {0.01, 0.5, 0.1,      0.693829, 0.01, 0.101899, 0.1, 0.943344, 0.285625, 0.310326, 0.604263,
        2,    0,   0.366592, 1,        0,    0,        0,   0,        2,        1,        0,
        0,    1,   0,        0,        0,    0,        1,   0,        1,        0,        1,
        0,    1,   0,        0,        1,    16,       5,   1,        1}},
      {14, // "Alienz": its release 0.088019 is below the minimum
       {0.01, 0.01, 0.299773, 0.1, 0.01, 4.556394, 0.308371, 0.022804, 0.01, 0.277214, 1,
        5,    1,    0,        3,   0,    0,        0,        2,        2,    1,        0,
        0,    0,    0,        1,   1,    1,        0,        1,        0,    0,        1,
        0,    0,    1,        0,   1,    16,       5,        1,        1}},
      {19, // "Little Kick": its release 0.001 likewise
       {0.01, 0.01, 0.001,    0.1, 0.010001, 0.01, 0.001, 0.001001, 0.01, 0.902006, 0,
        3,    0,    0.085831, 4,   0,        0,    0,     0,        2,    1,        0,
        0,    0,    1,        0,   0,        0,    1,     0,        0,    0,        1,
        0,    1,    0,        0,   0.46,     16,   5,     0.270643, 1}},
  };
  open();
  for (const Case& c : cases)
  {
    dispatch(effSetProgram, 0, c.program);
    EXPECT_EQ(c.program, dispatch(effGetProgram));
    for (int i = 0; i < kNumParams; ++i)
    {
      // The parameters added since the presets were made play at their
      // defaults.
      EXPECT_DOUBLE_EQ(i < kNumOriginalParams ? c.values[i] : parameterProperties[i].defaultVal,
                       plug->GetParam(i)->Value())
          << kFactoryNames[c.program] << ", " << kParamNames[i];
    }
    // And in the engine.
    EXPECT_DOUBLE_EQ(c.values[kAmplitudeRelease],
                     plug->engine().ampEnvelope().getStageValue(EnvelopeGenerator::Release));
    EXPECT_DOUBLE_EQ(c.values[kFilterDecay],
                     plug->engine().filterEnvelope().getStageValue(EnvelopeGenerator::Decay));
    EXPECT_DOUBLE_EQ(c.values[kFilterCutoff], plug->engine().filterLeft().getCutoff());
    EXPECT_DOUBLE_EQ(c.values[kFilterCutoff], plug->engine().filterRight().getCutoff());
    EXPECT_EQ(GateEngine::stepLengthFor(static_cast<int>(c.values[kArpSpeed])),
              plug->engine().stepLength());
    EXPECT_EQ(c.values[kSeqNoteLen], plug->engine().noteLength());
    for (int k = 0; k < 16; ++k)
    {
      EXPECT_EQ(c.values[kStepSeq1 + k] != 0.0, plug->engine().stepOn(k)) << "step " << k + 1;
    }
  }
}

TEST_F(KolvaneTest, StepModeOpensTheGateOnItsStepsOnly)
{
  // Defaults: steps 1, 2 and 6 at 120 BPM, 5512 samples per step; each
  // fired step restarts the envelopes on its 20th sample.
  open();
  std::vector<double> out = render(88200);
  EXPECT_EQ((std::vector<long>{19, 5512 + 19, 5 * 5512 + 19}), plug->noteOns);
  for (int k : {0, 1, 5})
  {
    size_t start = static_cast<size_t>(k * 5512 + 19);
    EXPECT_LT(out[start], 1e-3) << "step " << k + 1 << " restarts from the floor";
    EXPECT_GT(out[start + 441], 0.4) << "step " << k + 1 << " opens within its attack";
  }
  for (int k : {2, 3, 4, 6, 10, 15})
  {
    size_t start = static_cast<size_t>(k * 5512 + 19);
    EXPECT_NEAR(out[start - 30], out[start + 30], 0.01 + 0.02 * out[start - 30])
        << "step " << k + 1 << " is off: the release just continues";
  }
}

TEST_F(KolvaneTest, MidiGateModeFollowsNotesInLaterBlocks)
{
  open();
  effect->setParameter(effect, kStepOnOff, 1.0f);
  plug->noteOffs.clear();
  render(3 * 64, 64);
  midi(0x90, 60, 100, 10);
  render(64, 64);
  render(640, 64);
  midi(0x90, 67, 100, 33); // legato: a new note restarts the envelopes
  render(64, 64);
  midi(0x80, 60, 0, 5); // the older note: nothing
  render(64, 64);
  midi(0x80, 67, 0, 40);
  render(64, 64);
  EXPECT_EQ((std::vector<long>{3 * 64 + 10, 14 * 64 + 33}), plug->noteOns);
  EXPECT_EQ((std::vector<long>{16 * 64 + 40}), plug->noteOffs);
}

TEST_F(KolvaneTest, PushButtonGatesOnlyInMidiGateMode)
{
  open();
  effect->setParameter(effect, kPush, 1.0f);
  EXPECT_TRUE(plug->noteOns.empty()) << "step mode ignores the button";
  effect->setParameter(effect, kStepOnOff, 1.0f);
  EXPECT_TRUE(plug->noteOns.empty()) << "only a change of the button's value acts";
  effect->setParameter(effect, kPush, 0.0f);
  EXPECT_EQ(1u, plug->noteOffs.size());
  effect->setParameter(effect, kPush, 1.0f);
  EXPECT_EQ(1u, plug->noteOns.size());
  std::vector<double> out = render(2000, 512);
  EXPECT_GT(out[1000], 0.3) << "the gate is open while the button is held";
}

TEST_F(KolvaneTest, StateRoundTripsIntoAFreshInstance)
{
  open();
  const std::pair<int, float> edits[] = {
      {kFilterCutoff, 0.3f}, {kStepSeq1 + 3, 1.0f}, {kArpSpeed, 0.75f},
      {kDryWet, 0.6f},       {kLFOAmpType, 0.0f},   {kStepOnOff, 1.0f},
      {kSwing, 0.625f},      {kStepLevel1, 0.0f},   {kStepLevel16, 0.25f}};
  for (const auto& e : edits)
  {
    effect->setParameter(effect, e.first, e.second);
  }
  std::vector<float> saved;
  for (int i = 0; i < kNumParams; ++i)
  {
    saved.push_back(effect->getParameter(effect, i));
  }
  for (int bank : {1, 0})
  {
    void* data = nullptr;
    VstIntPtr size = dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
    ASSERT_EQ(bank ? size : 8 + 8 * kNumParams + 12, size) << "header, values, mark";
    std::vector<uint8_t> chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);

    AEffect* fresh = VST2EntryPoint<KolvaneProbe>(FakeHost::Callback);
    EXPECT_EQ(1, fresh->dispatcher(fresh, effSetChunk, bank ? 0 : 1, size, chunk.data(), 0.0f));
    for (int i = 0; i < kNumParams; ++i)
    {
      EXPECT_EQ(saved[static_cast<size_t>(i)], fresh->getParameter(fresh, i)) << kParamNames[i];
    }
    KolvaneProbe* other = VST2PlugOf<KolvaneProbe>(fresh);
    EXPECT_EQ(GateEngine::kMidiGateMode, other->engine().gateMode());
    EXPECT_TRUE(other->engine().stepOn(3));
    EXPECT_EQ(0.625, other->engine().swing());
    EXPECT_EQ(0.0, other->engine().stepLevel(0));
    EXPECT_EQ(0.25, other->engine().stepLevel(15));
    fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
  }
}

const std::pair<int, float> kFirstReleaseEdits[] = {{kFilterCutoff, 0.3f},
                                                    {kStepSeq1 + 3, 1.0f},
                                                    {kArpSpeed, 0.75f},
                                                    {kDryWet, 0.6f},
                                                    {kLFOAmpType, 0.0f}};

// What a host holds from the first release loads with the first release's
// values, every program of a bank included, and with the parameters added
// since at their defaults, whatever they were before.
TEST_F(KolvaneTest, FirstReleaseStatesLoadWithTheNewParametersAtTheirDefaults)
{
  // The defaults, which the files were saved from, and the factory programs
  // as this version makes them, to compare the bank's programs with.
  open();
  std::vector<float> edited;
  for (int i = 0; i < kNumParams; ++i)
  {
    edited.push_back(effect->getParameter(effect, i));
  }
  for (const auto& e : kFirstReleaseEdits)
  {
    edited[static_cast<size_t>(e.first)] = e.second;
  }
  std::vector<std::vector<float>> factory;
  for (int program = 0; program < 30; ++program)
  {
    dispatch(effSetProgram, 0, program);
    std::vector<float> values;
    for (int i = 0; i < kNumParams; ++i)
    {
      values.push_back(effect->getParameter(effect, i));
    }
    factory.push_back(values);
  }

  for (bool bank : {false, true})
  {
    std::vector<uint8_t> chunk =
        stateFile(bank ? "first-release-bank.bin" : "first-release-program.bin");
    ASSERT_EQ(bank ? 10502u : 8u + 8 * 42, chunk.size());
    AEffect* fresh = VST2EntryPoint<KolvaneProbe>(FakeHost::Callback);
    if (bank)
    {
      // A program of the bank being replaced with added values of its own.
      fresh->dispatcher(fresh, effSetProgram, 0, 3, nullptr, 0.0f);
      fresh->setParameter(fresh, kSwing, 0.5f);
      fresh->dispatcher(fresh, effSetProgram, 0, 0, nullptr, 0.0f);
    }
    fresh->setParameter(fresh, kSwing, 0.5f);
    fresh->setParameter(fresh, kStepLevel1 + 2, 0.2f);
    ASSERT_EQ(1, fresh->dispatcher(fresh, effSetChunk, bank ? 0 : 1,
                                   static_cast<VstIntPtr>(chunk.size()), chunk.data(), 0.0f));
    for (int program = 0; program < (bank ? 30 : 1); ++program)
    {
      if (bank)
      {
        fresh->dispatcher(fresh, effSetProgram, 0, program, nullptr, 0.0f);
      }
      const std::vector<float>& expected = program == 0 ? edited : factory[program];
      for (int i = 0; i < kNumParams; ++i)
      {
        EXPECT_EQ(expected[static_cast<size_t>(i)], fresh->getParameter(fresh, i))
            << (bank ? "bank, program " : "program ") << program << ", " << kParamNames[i];
      }
    }
    KolvaneProbe* other = VST2PlugOf<KolvaneProbe>(fresh);
    EXPECT_EQ(0.0, other->engine().swing());
    EXPECT_EQ(1.0, other->engine().stepLevel(2));
    fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
  }
}

// The first release reads a state's first 42 values and ignores what
// follows, so this version's state must begin exactly as the first
// release's did for the same settings: header and 42 values, byte for byte.
// (A state of this version, state/feel-program.bin, was loaded into the
// first release's binary when the format was made: its 42 values load.)
TEST_F(KolvaneTest, StatesBeginAsTheFirstReleasesDid)
{
  open();
  for (const auto& e : kFirstReleaseEdits)
  {
    effect->setParameter(effect, e.first, e.second);
  }
  effect->setParameter(effect, kSwing, 0.4f);
  effect->setParameter(effect, kStepLevel1 + 5, 0.3f);
  const std::vector<uint8_t> firstRelease = stateFile("first-release-program.bin");
  void* data = nullptr;
  VstIntPtr size = dispatch(effGetChunk, 1, 0, &data);
  ASSERT_EQ(static_cast<VstIntPtr>(firstRelease.size() + 8 * 17 + 12), size);
  EXPECT_EQ(0, std::memcmp(firstRelease.data(), data, firstRelease.size()));
}

// A state of this version loads its added parameters; a state whose 42
// values are followed by anything but this version's mark (the next program
// of a bank of the first release, or bytes of unknown meaning) loads them
// at their defaults.
TEST_F(KolvaneTest, AddedValuesLoadOnlyBehindTheirMark)
{
  const std::vector<uint8_t> feel = stateFile("feel-program.bin");
  ASSERT_EQ(8u + 8 * 59 + 12, feel.size());
  struct Case
  {
    const char* what;
    std::vector<uint8_t> chunk;
    bool added;
  };
  std::vector<uint8_t> badMark = feel, later = feel, shortMark = feel;
  badMark[8 + 8 * 59] ^= 1;
  later[8 + 8 * 59 + 8] = 16; // a later version's 16 bytes after the mark
  later.resize(later.size() + 16, 0xAB);
  shortMark.resize(shortMark.size() - 1);
  const Case cases[] = {{"this version's state", feel, true},
                        {"a later version's state", later, true},
                        {"a broken mark", badMark, false},
                        {"a cut mark", shortMark, false}};
  for (const Case& c : cases)
  {
    AEffect* fresh = VST2EntryPoint<KolvaneProbe>(FakeHost::Callback);
    EXPECT_EQ(1, fresh->dispatcher(fresh, effSetChunk, 1, static_cast<VstIntPtr>(c.chunk.size()),
                                   const_cast<uint8_t*>(c.chunk.data()), 0.0f))
        << c.what;
    const GateEngine& engine = VST2PlugOf<KolvaneProbe>(fresh)->engine();
    EXPECT_EQ(c.added ? 0.75 : 0.0, engine.swing()) << c.what;
    EXPECT_EQ(c.added ? 0.5 : 1.0, engine.stepLevel(1)) << c.what;
    EXPECT_EQ(c.added ? 0.0 : 1.0, engine.stepLevel(15)) << c.what;
    EXPECT_NEAR(0.3, fresh->getParameter(fresh, kFilterCutoff), 1e-6) << c.what;
    fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
  }
}

// The bank chunk state/feel-bank.bin: what this version's bank chunk holds
// after these edits (normalized, through the host) from a new instance, with
// program 0 current again. The first release loaded it (effSetChunk
// answered 1) and gave back the bank chunk state/feel-bank-in-first-release.bin.
struct ProgramEdit
{
  int program, param;
  float value;
};
const ProgramEdit kFeelBankEdits[] = {{1, kStepSeq1 + 3, 1.0f}, {1, kArpSpeed, 0.75f},
                                      {1, kSwing, 0.5f},        {1, kStepLevel1 + 2, 0.25f},
                                      {5, kStepLevel1, 0.0f},   {5, kStepLevel16, 0.75f},
                                      {5, kStepOnOff, 1.0f},    {28, kSwing, 0.25f}};

void EditAsTheFeelBank(AEffect* effect)
{
  for (const ProgramEdit& edit : kFeelBankEdits)
  {
    effect->dispatcher(effect, effSetProgram, 0, edit.program, nullptr, 0.0f);
    effect->setParameter(effect, edit.param, edit.value);
  }
  effect->dispatcher(effect, effSetProgram, 0, 0, nullptr, 0.0f);
}

// A bank chunk holds every program one after another, read back with
// nothing to tell where one ends: the first release reads 42 values for
// each. A program of 59 values and a mark derailed it from the second
// program on (the load answered 0, the programs after the first were lost
// or garbled). The bank this version writes has each program's first 42
// values where the first release reads them and the rest after the last
// program, so the first release loads every program's name and 42 values.
TEST_F(KolvaneTest, BankChunksOfThisVersionLoadInTheFirstRelease)
{
  open();
  EditAsTheFeelBank(effect);
  void* data = nullptr;
  const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
  const std::vector<uint8_t> feelBank = stateFile("feel-bank.bin");
  ASSERT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size),
            feelBank)
      << "the bank the first release was shown to read";
  const std::vector<ProgramValues> programs = EveryProgram(effect);
  EXPECT_EQ(0.5, programs[1].values[kSwing]);
  EXPECT_EQ(0.75, programs[5].values[kStepLevel16]);

  // What the first release kept: every program in its own bank form, each
  // with this version's name and first 42 values, and nothing else.
  const std::vector<uint8_t> kept = stateFile("feel-bank-in-first-release.bin");
  ByteChunk firstRelease;
  firstRelease.PutBytes(kept.data(), static_cast<int>(kept.size()));
  int pos = 8; // the version header
  ASSERT_EQ(0, std::memcmp("tffp", kept.data(), 4));
  for (const ProgramValues& expected : programs)
  {
    SCOPED_TRACE(expected.name);
    WDL_String name;
    bool initialized = false;
    pos = firstRelease.GetBool(&initialized, firstRelease.GetStr(&name, pos));
    EXPECT_EQ(expected.name, name.Get());
    EXPECT_TRUE(initialized);
    for (int i = 0; i < kNumOriginalParams; ++i)
    {
      double value = 0.0;
      pos = firstRelease.Get(&value, pos);
      EXPECT_EQ(expected.values[static_cast<size_t>(i)], value) << kParamNames[i];
    }
  }
  EXPECT_EQ(firstRelease.Size(), pos);
}

// This version reads its own bank back with every program's added values,
// whatever the programs held before.
TEST_F(KolvaneTest, BankChunksOfThisVersionKeepEveryProgramsAddedValues)
{
  open();
  EditAsTheFeelBank(effect);
  const std::vector<ProgramValues> expected = EveryProgram(effect);

  const std::vector<uint8_t> feelBank = stateFile("feel-bank.bin");
  AEffect* fresh = VST2EntryPoint<KolvaneProbe>(FakeHost::Callback);
  for (int program : {1, 3, 5, 28})
  {
    fresh->dispatcher(fresh, effSetProgram, 0, program, nullptr, 0.0f);
    fresh->setParameter(fresh, kSwing, 0.9f);
    fresh->setParameter(fresh, kStepLevel1 + 2, 0.1f);
  }
  fresh->dispatcher(fresh, effSetProgram, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(1, fresh->dispatcher(fresh, effSetChunk, 0, static_cast<VstIntPtr>(feelBank.size()),
                                 const_cast<uint8_t*>(feelBank.data()), 0.0f));
  const std::vector<ProgramValues> loaded = EveryProgram(fresh);
  for (size_t p = 0; p < expected.size(); ++p)
  {
    EXPECT_EQ(expected[p].name, loaded[p].name);
    for (int i = 0; i < kNumParams; ++i)
    {
      EXPECT_EQ(expected[p].values[static_cast<size_t>(i)],
                loaded[p].values[static_cast<size_t>(i)])
          << expected[p].name << ", " << kParamNames[i];
    }
  }
  fresh->dispatcher(fresh, effClose, 0, 0, nullptr, 0.0f);
}

// Program and bank files of parameter values saved by the first release
// (state/first-release-program.fxp and first-release-bank.fxb: a new
// instance with the first-release edits above, the program file of them,
// the bank with program 2 edited so and program 0 current) hold 42 values
// a program. They load, the added parameters at their defaults, which play
// as the first release did, whatever they were set to.
TEST_F(KolvaneTest, FirstReleaseParameterFilesLoadWithTheAddedParametersAtTheirDefaults)
{
  open();
  for (bool bank : {false, true})
  {
    SCOPED_TRACE(bank ? "bank" : "program");
    AEffect* reference = VST2EntryPoint<KolvaneProbe>(FakeHost::Callback);
    if (bank)
    {
      reference->dispatcher(reference, effSetProgram, 0, 2, nullptr, 0.0f);
    }
    for (const auto& e : kFirstReleaseEdits)
    {
      reference->setParameter(reference, e.first, e.second);
    }
    std::vector<ProgramValues> expected;
    if (bank)
    {
      reference->dispatcher(reference, effSetProgram, 0, 0, nullptr, 0.0f);
      expected = EveryProgram(reference);
    }
    else
    {
      // The live values, under the current program's name.
      expected.push_back({"Falling Drops", {}});
      for (int i = 0; i < kNumParams; ++i)
      {
        expected[0].values.push_back(VST2PlugOf<Kolvane>(reference)->GetParam(i)->Value());
      }
    }
    reference->dispatcher(reference, effClose, 0, 0, nullptr, 0.0f);

    const std::vector<uint8_t> bytes =
        stateFile(bank ? "first-release-bank.fxb" : "first-release-program.fxp");
    ASSERT_FALSE(bytes.empty());
    ByteChunk file;
    file.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    for (int program : {0, 2, 3})
    {
      dispatch(effSetProgram, 0, program);
      effect->setParameter(effect, kSwing, 0.9f);
      effect->setParameter(effect, kStepLevel1 + 4, 0.1f);
    }
    dispatch(effSetProgram, 0, 0);
    ASSERT_TRUE(bank ? plug->Presets().SetBankFXB(&file) : plug->Presets().SetProgramFXP(&file));
    const std::vector<ProgramValues> loaded = EveryProgram(effect);
    for (size_t p = 0; p < (bank ? loaded.size() : 1); ++p)
    {
      EXPECT_EQ(expected[p].name, loaded[p].name);
      for (int i = 0; i < kNumParams; ++i)
      {
        // The files hold values normalized to single precision.
        const IParam* param = plug->GetParam(i);
        EXPECT_NEAR(param->GetNormalized(expected[p].values[static_cast<size_t>(i)]),
                    param->GetNormalized(loaded[p].values[static_cast<size_t>(i)]), 1e-6)
            << expected[p].name << ", " << kParamNames[i];
      }
    }
  }
}

// Swing as a host sets it, heard in the output: every "on" step restarts
// the amplitude envelope from its floor, so with a held level between steps
// each gate opening is where the output drops below -60 dB. The 2nd, 4th
// ... steps of the bar open d = round(swing * L / 2) samples late.
TEST_F(KolvaneTest, SwungStepsOpenTheGateLate)
{
  for (double rate : {44100.0, 48000.0})
  {
    for (double swing : {0.0, 1.0 / 3.0, 2.0 / 3.0, 1.0})
    {
      for (int arpSpeed : {3, 5, 7}) // dotted sixteenths, sixteenths, 32nds
      {
        TearDown();
        SetUp();
        host.time.samplePos = 0.0;
        open(120.0, rate);
        for (int k = 0; k < 16; ++k)
        {
          effect->setParameter(effect, kStepSeq1 + k, 1.0f);
        }
        effect->setParameter(effect, kAmplitudeSustain, 1.0f);
        effect->setParameter(effect, kArpSpeed, static_cast<float>(arpSpeed - 1) / 8.0f);
        effect->setParameter(effect, kSwing, static_cast<float>(swing));
        const int samples = static_cast<int>(rate);
        std::vector<double> out = render(samples);

        const int step =
            static_cast<int>(GateEngine::stepLengthFor(arpSpeed)) * (static_cast<int>(rate) / 32);
        const long d = std::lround(static_cast<float>(swing) * step / 2.0);
        std::vector<long> opened, expected;
        for (int n = 1; n < samples; ++n)
        {
          if (out[static_cast<size_t>(n)] < 1e-3 && out[static_cast<size_t>(n - 1)] >= 1e-3)
          {
            opened.push_back(n);
          }
        }
        // The first step opens from silence, with no drop to see.
        for (int k = 1; k * step + 19 < samples; ++k)
        {
          const long at = k * step + (k % 2 ? d : 0) + 19;
          if (at < samples)
          {
            expected.push_back(at);
          }
        }
        const std::string what = std::to_string(static_cast<int>(rate)) + " Hz, swing " +
                                 std::to_string(swing) + ", Arp Speed " + std::to_string(arpSpeed);
        ASSERT_EQ(expected.size(), opened.size()) << what;
        for (size_t k = 0; k < expected.size(); ++k)
        {
          EXPECT_NEAR(expected[k], opened[k], 1) << what << ", step " << k + 2;
        }
      }
    }
  }
}

// A step level as a host sets it: with steps 1 and 2 on, the same point of
// step 2's note is half as loud as step 1's at level 0.5.
TEST_F(KolvaneTest, StepLevelScalesItsStep)
{
  open();
  effect->setParameter(effect, kStepSeq1 + 1, 1.0f);
  effect->setParameter(effect, kStepSeq1 + 5, 0.0f);
  effect->setParameter(effect, kAmplitudeSustain, 1.0f);
  effect->setParameter(effect, kStepLevel1 + 1, 0.5f);
  std::vector<double> out = render(2 * 5512);
  EXPECT_NEAR(0.5, out[2 * 5512 - 200] / out[5512 - 200], 1e-6);
}

// The samples a stage of a copy of env lasts, entered now.
int samplesInStage(EnvelopeGenerator env, EnvelopeGenerator::EnvelopeStage stage)
{
  env.enterStage(stage);
  int samples = 0;
  while (env.getCurrentStage() == stage && samples < 1000000)
  {
    env.nextSample();
    ++samples;
  }
  return samples - 1; // the last sample already belongs to the next stage
}

// The samples one cycle of a copy of lfo lasts, from phase 0.
int samplesPerCycle(Oscillator lfo)
{
  lfo.setStartPosition();
  double last = -1.0;
  int samples = 0;
  while (lfo.getPhase() > last && samples < 1000000)
  {
    last = lfo.getPhase();
    lfo.nextSample();
    ++samples;
  }
  return samples;
}

// A preset must sound the same at 48 kHz as at 44.1 kHz: the envelopes' and
// the LFOs' lengths in samples scale with the host's rate, including when
// the host sets the rate after opening, as most do.
TEST_F(KolvaneTest, EnvelopesAndLfosFollowTheHostsSampleRate)
{
  open();
  dispatch(effSetProgram, 0, 5); // "Flamenco": triplet amplitude LFO, rate 2 on both
  for (double rate : {44100.0, 48000.0, 96000.0})
  {
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    const GateEngine& engine = plug->engine();
    EXPECT_NEAR(rate * 0.010038, samplesInStage(engine.filterEnvelope(), EnvelopeGenerator::Attack),
                1.0)
        << rate;
    EXPECT_NEAR(rate * 0.26687, samplesInStage(engine.filterEnvelope(), EnvelopeGenerator::Decay),
                1.0)
        << rate;
    EXPECT_NEAR(rate * 0.01, samplesInStage(engine.ampEnvelope(), EnvelopeGenerator::Attack), 1.0)
        << rate;
    // At 120 BPM: 6 Hz with triplets, 4 Hz without.
    EXPECT_NEAR(rate / 6.0, samplesPerCycle(engine.ampLFO()), 1.0) << rate;
    EXPECT_NEAR(rate / 4.0, samplesPerCycle(engine.filterLFO()), 1.0) << rate;
  }
}

TEST_F(KolvaneTest, PresetDumpLine)
{
  std::string line = plug->PresetDumpLine();
  EXPECT_EQ(0u, line.find("MakePreset(\"Bu 0\",0.010000,0.500000,0.100000,1.000000,"));
  EXPECT_NE(std::string::npos, line.find(",1.000000,1.000000,0.000000,0.000000,0.000000,1.000000,"))
      << "steps 1, 2 and 6";
  EXPECT_NE(std::string::npos, line.find(",16.000000,5.000000,"));
  EXPECT_EQ(",1.000000);\n", line.substr(line.size() - 12));
  int commas = 0;
  for (char c : line)
  {
    commas += c == ',';
  }
  EXPECT_EQ(kNumParams, commas) << "a name and every parameter's value";
}

TEST(PresetDump, GoesToAnExistingPerUserFolder)
{
  std::string path = PresetDumpPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ("KolvanePresets.txt", path.substr(path.size() - 18));
}
