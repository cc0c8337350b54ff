// Kolvane through its façade with no format in between, a test transport
// standing in for the host: the texts of every parameter both ways, the
// state, the rule for a value the host sets, MIDI in. What holds here holds
// in every format, so that an adapter's own tests need check only its
// translation; the last test checks the VST2 adapter's, by rendering the
// same through both.

#include "FakeHost.h"
#include "IPlugFacade.h"
#include "IPlugVST.h"
#include "Kolvane.h"
#include "KolvaneStates.h"
#include "Noise.h"
#include "TestTransport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
// Kolvane as every format's entry point makes it (the preset slots it
// leaves empty hold the defaults), behind a façade whose host is a test
// transport; the plug-in mutex is held for the instance's life, as an
// adapter holds it around each host call.
class FacadeKolvane
{
public:
  explicit FacadeKolvane(int blockSize = 512)
      : facade(MakePlug(), &transport, blockSize), plug(static_cast<Kolvane*>(facade.GetPlug())),
        lock(plug)
  {
  }

  // As a DAW opens it, the transport playing from the song start.
  void OpenLikeADaw(double rate = 44100.0, int blockSize = 512, double tempo = 120.0)
  {
    transport.Play(tempo, rate);
    facade.Open();
    facade.SetSampleRate(rate);
    facade.SetBlockSize(blockSize);
    facade.SetActive(true);
  }

  // A value as a host shows it on its own: the text, then its unit.
  std::string Shown(int idx, double normalized) const
  {
    char text[MAX_PARAM_DISPLAY_LEN], unit[MAX_PARAM_LABEL_LEN];
    facade.GetParameterText(idx, normalized, text, unit);
    return unit[0] ? std::string(text) + " " + unit : std::string(text);
  }
  std::string Shown(int idx) const { return Shown(idx, facade.GetParameterNormalized(idx)); }

  double Value(int idx) const { return plug->GetParam(idx)->Value(); }
  std::vector<double> Values() const
  {
    std::vector<double> values;
    for (int i = 0; i < kNumParams; ++i)
    {
      values.push_back(Value(i));
    }
    return values;
  }
  // Every program as the host chooses it, ending on the first.
  std::vector<ProgramValues> Programs()
  {
    std::vector<ProgramValues> programs;
    for (int p = 0; p < plug->Presets().NPresets(); ++p)
    {
      facade.SelectProgram(p);
      programs.push_back({plug->Presets().GetPresetName(p), Values()});
    }
    facade.SelectProgram(0);
    return programs;
  }

  // Blocks of 512 frames (the last one shorter) of a constant input, the
  // transport moving on after each; the left output.
  std::vector<double> Render(int frames)
  {
    const int blockSize = 512;
    std::vector<double> in(static_cast<size_t>(blockSize), 1.0), outL(static_cast<size_t>(frames)),
        outR(static_cast<size_t>(blockSize));
    for (int done = 0; done < frames; done += blockSize)
    {
      const int block = std::min(blockSize, frames - done);
      double* ins[] = {in.data(), in.data()};
      double* outs[] = {outL.data() + done, outR.data()};
      EXPECT_TRUE(facade.Process(ins, outs, block));
      transport.Advance(block);
    }
    return outL;
  }

  TestTransport transport;
  IPlugFacade facade;
  Kolvane* plug;

private:
  static std::unique_ptr<IPlugBase> MakePlug()
  {
    auto kolvane = std::make_unique<Kolvane>();
    kolvane->Presets().EnsureDefaultPreset();
    return kolvane;
  }

  IPlugBase::IMutexLock lock;
};

double Peak(const std::vector<double>& samples, size_t from, size_t to)
{
  double peak = 0.0;
  for (size_t s = from; s < to && s < samples.size(); ++s)
  {
    peak = std::max(peak, std::fabs(samples[s]));
  }
  return peak;
}

// What the engine holds for parameter idx, in the parameter's own units;
// NaN for the few it does not show (the LFO depths, the triplet switches,
// the button and the filter envelope's amount).
double EngineValue(const GateEngine& engine, int idx)
{
  if (idx >= kStepSeq1 && idx <= kStepSeq16)
  {
    return engine.stepOn(idx - kStepSeq1) ? 1.0 : 0.0;
  }
  if (idx >= kStepLevel1 && idx <= kStepLevel16)
  {
    return engine.stepLevel(idx - kStepLevel1);
  }
  switch (idx)
  {
  case kAmplitudeAttack:
    return engine.ampEnvelope().getStageValue(EnvelopeGenerator::Attack);
  case kAmplitudeDecay:
    return engine.ampEnvelope().getStageValue(EnvelopeGenerator::Decay);
  case kAmplitudeSustain:
    return engine.ampEnvelope().getStageValue(EnvelopeGenerator::Sustain);
  case kAmplitudeRelease:
    return engine.ampEnvelope().getStageValue(EnvelopeGenerator::Release);
  case kFilterAttack:
    return engine.filterEnvelope().getStageValue(EnvelopeGenerator::Attack);
  case kFilterDecay:
    return engine.filterEnvelope().getStageValue(EnvelopeGenerator::Decay);
  case kFilterSustain:
    return engine.filterEnvelope().getStageValue(EnvelopeGenerator::Sustain);
  case kFilterRelease:
    return engine.filterEnvelope().getStageValue(EnvelopeGenerator::Release);
  case kFilterCutoff:
    return engine.filterLeft().getCutoff();
  case kFilterResonance:
    return engine.filterLeft().getResonance();
  case kLFORate:
    return std::log2(engine.ampLFORate());
  case kLFOFilterRate:
    return std::log2(engine.filterLFORate());
  case kFilterType:
    return engine.filterLeft().getFilterMode();
  case kLFOAmpType:
    return engine.ampLFO().getMode();
  case kLFOFilterType:
    return engine.filterLFO().getMode();
  case kStepOnOff:
    return engine.gateMode() == GateEngine::kMidiGateMode ? 1.0 : 0.0;
  case kSeqNoteLen:
    return engine.noteLength();
  case kArpIntervall:
    return engine.numSteps();
  case kArpSpeed:
    for (int speed = 1; speed <= 9; ++speed)
    {
      if (GateEngine::stepLengthFor(speed) == engine.stepLength())
      {
        return speed;
      }
    }
    return -1.0;
  case kDryWet:
    return engine.dryWet();
  case kSwing:
    return engine.swing();
  default:
    return std::nan("");
  }
}

// The parameters whose value the engine does not hold.
std::vector<std::string> EngineMismatches(const Kolvane& plug)
{
  std::vector<std::string> mismatches;
  for (int i = 0; i < kNumParams; ++i)
  {
    const double engine = EngineValue(plug.engine(), i);
    if (!std::isnan(engine) && engine != plug.GetParam(i)->Value())
    {
      mismatches.push_back(std::string(parameterProperties[i].name) + " " +
                           std::to_string(plug.GetParam(i)->Value()) + " in the engine " +
                           std::to_string(engine));
    }
  }
  return mismatches;
}

// A value of parameter idx away from its default and from every step and
// preset value, so that a state that lost or rounded it shows.
double NonDefaultValue(int idx)
{
  const ParameterProperties& p = parameterProperties[idx];
  if (p.kind == kTypeDouble)
  {
    // Spread over the range by the golden ratio, never on a step.
    const double fraction = 0.05 + 0.9 * std::fmod(0.6180339887498949 * (idx + 1), 1.0);
    return p.minVal + (p.maxVal - p.minVal) * (fraction + 1e-7 * std::sqrt(2.0));
  }
  const int values = static_cast<int>(p.maxVal - p.minVal) + 1;
  const int fromMin = static_cast<int>(p.defaultVal - p.minVal);
  return p.minVal + (fromMin + 1 + idx % (values - 1)) % values;
}

std::vector<ProgramValues> EveryProgramThroughVst2(const std::vector<uint8_t>& chunk, bool bank,
                                                   VstIntPtr* loaded)
{
  AEffect* effect = VST2EntryPoint<Kolvane>(FakeHost::Callback);
  *loaded =
      effect->dispatcher(effect, effSetChunk, bank ? 0 : 1, static_cast<VstIntPtr>(chunk.size()),
                         const_cast<uint8_t*>(chunk.data()), 0.0f);
  std::vector<ProgramValues> programs = EveryProgram(effect);
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  return programs;
}

void ExpectSamePrograms(const std::vector<ProgramValues>& expected,
                        const std::vector<ProgramValues>& actual, const std::string& what)
{
  ASSERT_EQ(expected.size(), actual.size()) << what;
  for (size_t p = 0; p < expected.size(); ++p)
  {
    EXPECT_EQ(expected[p].name, actual[p].name) << what << ", program " << p;
    for (int i = 0; i < kNumParams; ++i)
    {
      EXPECT_EQ(expected[p].values[static_cast<size_t>(i)],
                actual[p].values[static_cast<size_t>(i)])
          << what << ", program " << p << ", " << parameterProperties[i].name;
    }
  }
}
} // namespace

// ---- Texts both ways ----------------------------------------------------------

// Every parameter across its range: the text a host is shown for a
// normalized value is what that value plays as, and typed back it sets
// that value, which shows the same text again.
TEST(KolvaneFacade, EveryValuesTextReadsBackAsThatValue)
{
  FacadeKolvane k;
  for (int i = 0; i < kNumParams; ++i)
  {
    const IParam* param = k.plug->GetParam(i);
    const char* name = param->GetNameForHost();
    for (int step = 0; step <= 20; ++step)
    {
      const double normalized = step / 20.0;
      const std::string shown = k.Shown(i, normalized);
      ASSERT_TRUE(k.facade.SetParameterNormalized(i, normalized));
      EXPECT_EQ(shown, k.Shown(i)) << name << " set to " << normalized;
      const double value = k.Value(i);

      k.facade.SetParameterValue(i, value == param->GetMin() ? param->GetMax() : param->GetMin());
      ASSERT_TRUE(k.facade.SetParameterFromText(i, shown.c_str()))
          << name << ": \"" << shown << "\"";
      EXPECT_EQ(shown, k.Shown(i)) << name << " typed as \"" << shown << "\"";
      // Three significant digits, or three decimals for a plain number:
      // within half a unit of the last one.
      EXPECT_NEAR(value, k.Value(i), std::max(0.005 * std::fabs(value), 0.0005))
          << name << " typed as \"" << shown << "\"";
    }
  }
}

// What a person types: the text of each kind of parameter with its unit, as
// hosts show it, or a plain number in the parameter's own units, is taken;
// anything else is refused and the value stays.
TEST(KolvaneFacade, TypedTextsWithTheirUnitsOrPlainNumbersAreTakenAndTheRestRefused)
{
  const double kRefused = std::nan("");
  struct Case
  {
    int idx;
    const char* typed;
    double value;
  };
  const Case cases[] = {
      {kAmplitudeAttack, "250 ms", 0.25},
      {kFilterDecay, "250ms", 0.25},
      {kAmplitudeRelease, "1.5 s", 1.5},
      {kFilterRelease, "0.75", 0.75},
      {kAmplitudeSustain, "35 %", 0.35},
      {kLFOFilterDepth, "0.35", 0.35},
      {kStepLevel1 + 9, "12.5%", 0.125},
      {kDryWet, "75 % wet", 0.75},
      {kDryWet, "25 % dry", 0.75},
      {kLFORate, "1/16", 3.0},
      {kLFOFilterRate, "1/256", 7.0},
      {kLFORate, "5", 5.0},
      {kFilterType, "LP", 0.0},
      {kFilterType, "bp", 2.0},
      {kLFOAmpType, "Square", 1.0},
      {kLFOFilterType, "0", 0.0},
      {kStepSeq1 + 4, "on", 1.0},
      {kStepOnOff, "OFF", 0.0},
      {kLFOTriple, "1", 1.0},
      {kFilterCutoff, "0.5", 0.5},
      {kSeqNoteLen, " 0.25 ", 0.25},
      {kArpIntervall, "12", 12.0},
      {kArpSpeed, "7", 7.0},

      {kAmplitudeAttack, "abc", kRefused},
      {kAmplitudeAttack, "", kRefused},
      {kAmplitudeAttack, "  ", kRefused},
      {kAmplitudeAttack, nullptr, kRefused},
      {kAmplitudeDecay, "ms", kRefused},
      {kAmplitudeDecay, "5 kg", kRefused},
      {kAmplitudeDecay, "1/0", kRefused},
      {kAmplitudeSustain, "nan", kRefused},
      {kAmplitudeSustain, "nan %", kRefused},
      {kSwing, "inf", kRefused},
      {kSwing, "1e999 %", kRefused},
      {kDryWet, "50 % damp", kRefused},
      {kLFORate, "1/0", kRefused},
      {kLFORate, "1/3", kRefused},
      {kLFORate, "1/16 ms", kRefused},
      {kFilterType, "Notch", kRefused},
      {kStepSeq1, "maybe", kRefused},
      {kFilterCutoff, "1/0", kRefused},
      {kFilterCutoff, "0.5 %", kRefused},
      {kArpIntervall, "twelve", kRefused},
  };
  FacadeKolvane k;
  k.OpenLikeADaw();
  for (const Case& c : cases)
  {
    const IParam* param = k.plug->GetParam(c.idx);
    const std::string what =
        std::string(param->GetNameForHost()) + ": \"" + (c.typed ? c.typed : "(null)") + "\"";
    // From the end of the range the text does not name, so that taking it
    // shows.
    k.facade.SetParameterValue(c.idx,
                               c.value == param->GetMin() ? param->GetMax() : param->GetMin());
    const double before = k.Value(c.idx);
    const bool taken = k.facade.SetParameterFromText(c.idx, c.typed);
    if (std::isnan(c.value))
    {
      EXPECT_FALSE(taken) << what;
      EXPECT_EQ(before, k.Value(c.idx)) << what;
    }
    else
    {
      EXPECT_TRUE(taken) << what;
      EXPECT_NEAR(c.value, k.Value(c.idx), 1e-12) << what;
    }
    EXPECT_TRUE(EngineMismatches(*k.plug).empty()) << what;
  }
}

// ---- State ----------------------------------------------------------------------

// Every parameter away from its default, at values no step or preset
// holds, and two other programs edited: the program and the bank a host
// saves load into a fresh instance with every value exactly, every program
// of the bank included, and the engine follows.
TEST(KolvaneFacade, StateRoundTripsIntoAFreshInstanceExactly)
{
  FacadeKolvane k;
  k.OpenLikeADaw();
  for (int program : {3, 28, 0})
  {
    k.facade.SelectProgram(program);
    for (int i = 0; i < kNumParams; ++i)
    {
      if (program == 0 || i % 7 == program % 7)
      {
        const bool other = program != 0 && parameterProperties[i].kind == kTypeDouble;
        ASSERT_TRUE(k.facade.SetParameterValue(i, NonDefaultValue(i) * (other ? 0.999 : 1.0)));
      }
    }
  }
  for (int i = 0; i < kNumParams; ++i)
  {
    ASSERT_NE(parameterProperties[i].defaultVal, k.Value(i)) << parameterProperties[i].name;
  }
  const std::vector<double> live = k.Values();
  ByteChunk program, bank;
  ASSERT_TRUE(k.facade.SaveState(&program, IPlugFacade::kStateProgram, true));
  ASSERT_TRUE(k.facade.SaveState(&bank, IPlugFacade::kStateBank, true));
  const std::vector<ProgramValues> programs = k.Programs();

  for (IPlugFacade::EStateKind kind : {IPlugFacade::kStateProgram, IPlugFacade::kStateBank})
  {
    const std::string what = kind == IPlugFacade::kStateBank ? "bank" : "program";
    FacadeKolvane fresh;
    fresh.OpenLikeADaw();
    ASSERT_TRUE(fresh.facade.LoadState(kind == IPlugFacade::kStateBank ? bank : program, kind))
        << what;
    EXPECT_EQ(live, fresh.Values()) << what;
    EXPECT_EQ(std::vector<std::string>(), EngineMismatches(*fresh.plug)) << what;
    if (kind == IPlugFacade::kStateBank)
    {
      ExpectSamePrograms(programs, fresh.Programs(), what);
    }
    else
    {
      EXPECT_EQ(live, fresh.Programs()[0].values) << "the current program's values now";
    }
  }
}

// The size the user chose for the editor travels in the state's trailer,
// and an instance whose editor is never built (a project opened, played
// and saved with the editor closed) saves it back, after the state and
// only where the format keeps it.
TEST(KolvaneFacade, TheEditorsSizeSurvivesAnInstanceThatNeverBuiltIt)
{
  const int trailer[] = {IPLUG_EDITOR_STATE_MAGIC, IPLUG_EDITOR_STATE_VERSION, 4, 150};
  auto bytes = [](const ByteChunk& chunk)
  { return std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size()); };
  for (IPlugFacade::EStateKind kind : {IPlugFacade::kStateProgram, IPlugFacade::kStateBank})
  {
    const std::string what = kind == IPlugFacade::kStateBank ? "bank" : "program";
    ByteChunk withSize;
    {
      FacadeKolvane first;
      ASSERT_TRUE(first.facade.SaveState(&withSize, kind, true));
      EXPECT_EQ(kEditorWidth, first.facade.EditorWidth()) << what;
    }
    for (int word : trailer)
    {
      withSize.Put(&word);
    }

    FacadeKolvane second;
    ASSERT_TRUE(second.facade.LoadState(withSize, kind)) << what;
    EXPECT_EQ(kEditorWidth * 3 / 2, second.facade.EditorWidth()) << what;
    EXPECT_EQ(kEditorHeight * 3 / 2, second.facade.EditorHeight()) << what;
    ByteChunk saved, savedPlain;
    ASSERT_TRUE(second.facade.SaveState(&saved, kind, true));
    ASSERT_TRUE(second.facade.SaveState(&savedPlain, kind, false));
    std::vector<uint8_t> expected = bytes(savedPlain);
    expected.insert(expected.end(), reinterpret_cast<const uint8_t*>(trailer),
                    reinterpret_cast<const uint8_t*>(trailer) + sizeof trailer);
    EXPECT_EQ(expected, bytes(saved)) << what;

    FacadeKolvane third;
    ASSERT_TRUE(third.facade.LoadState(saved, kind)) << what;
    EXPECT_EQ(kEditorWidth * 3 / 2, third.facade.EditorWidth()) << what;
  }
}

// The chunks earlier releases and this one wrote (state/) load through the
// façade exactly as through the VST2 adapter: the same answer and the same
// values in every program. Cut short, they fail the same way and keep the
// same values.
TEST(KolvaneFacade, StoredStatesLoadAsThroughTheVst2Adapter)
{
  struct Case
  {
    const char* file;
    bool bank;
  };
  const Case cases[] = {{"first-release-program.bin", false},
                        {"first-release-bank.bin", true},
                        {"feel-program.bin", false},
                        {"feel-bank.bin", true},
                        {"feel-bank-in-first-release.bin", true}};
  FakeHost host;
  for (const Case& c : cases)
  {
    const std::vector<uint8_t> whole = stateFile(c.file);
    ASSERT_FALSE(whole.empty()) << c.file;
    for (size_t size : {whole.size(), whole.size() / 2, size_t{13}})
    {
      const std::string what = std::string(c.file) + ", " + std::to_string(size) + " bytes";
      const std::vector<uint8_t> bytes(whole.begin(),
                                       whole.begin() + static_cast<std::ptrdiff_t>(size));
      VstIntPtr loadedByVst2 = 0;
      const std::vector<ProgramValues> expected =
          EveryProgramThroughVst2(bytes, c.bank, &loadedByVst2);

      FacadeKolvane k;
      ByteChunk chunk;
      chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
      const bool loaded =
          k.facade.LoadState(chunk, c.bank ? IPlugFacade::kStateBank : IPlugFacade::kStateProgram);
      EXPECT_EQ(loadedByVst2 == 1, loaded) << what;
      if (size == whole.size())
      {
        EXPECT_TRUE(loaded) << what;
      }
      ExpectSamePrograms(expected, k.Programs(), what);
    }
  }
}

// ---- The parameter rule ------------------------------------------------------------

// A value the host sets in any of the three ways reaches the engine at
// once, for every parameter, and is not told back to the host.
TEST(KolvaneFacade, EveryValueTheHostSetsReachesTheEngine)
{
  FacadeKolvane k;
  k.OpenLikeADaw();
  for (int i = 0; i < kNumParams; ++i)
  {
    const double value = NonDefaultValue(i);
    const std::string name = parameterProperties[i].name;
    ASSERT_TRUE(k.facade.SetParameterValue(i, value)) << name;
    EXPECT_EQ(std::vector<std::string>(), EngineMismatches(*k.plug)) << name << ", real value";
    ASSERT_TRUE(k.facade.SetParameterNormalized(i, 0.0)) << name;
    EXPECT_EQ(std::vector<std::string>(), EngineMismatches(*k.plug)) << name << ", normalized";
    const std::string text = k.Shown(i, k.plug->GetParam(i)->GetNormalized(value));
    ASSERT_TRUE(k.facade.SetParameterFromText(i, text.c_str())) << name << ": " << text;
    EXPECT_EQ(std::vector<std::string>(), EngineMismatches(*k.plug)) << name << ": " << text;
  }
  EXPECT_EQ(std::vector<std::string>(), k.transport.told);
}

// The other way, a change the editor makes reaches the engine and is told
// to the host as a gesture: begin, the value, end.
TEST(KolvaneFacade, TheEditorsChangeReachesTheEngineAndTheHost)
{
  FacadeKolvane k;
  k.OpenLikeADaw();
  k.plug->BeginInformHostOfParamChange(kSwing);
  k.plug->SetParameterFromGUI(kSwing, 0.25);
  k.plug->EndInformHostOfParamChange(kSwing);
  EXPECT_EQ(0.25, k.plug->engine().swing());
  EXPECT_EQ((std::vector<std::string>{"begin 42", "automate 42 0.250000", "end 42"}),
            k.transport.told);
}

// Open pushes every parameter into the engine, whatever it held, and gives
// it the host's tempo; the rate the host sets after opening times it.
TEST(KolvaneFacade, OpenPushesEveryParameterAndTheHostsTempo)
{
  FacadeKolvane k;
  for (int i = 0; i < kNumParams; ++i)
  {
    k.plug->GetParam(i)->Set(NonDefaultValue(i)); // past the rule: the engine does not know
  }
  EXPECT_FALSE(EngineMismatches(*k.plug).empty());
  k.OpenLikeADaw(48000.0, 256, 90.0);
  EXPECT_EQ(std::vector<std::string>(), EngineMismatches(*k.plug));
  EXPECT_EQ(90.0, k.plug->engine().tempo());
  EXPECT_EQ(48000, k.plug->engine().sampleRateInt());
  EXPECT_EQ(1, k.transport.identifyCalls) << "the host is asked once";
}

// What Kolvane renders follows the host's values and notes: step mode plays
// its steps; switched by text to MIDI gate mode it is silent until a note
// arrives, on the note's frame.
TEST(KolvaneFacade, HostValuesAndNotesChangeWhatKolvaneRenders)
{
  FacadeKolvane steps, notes;
  steps.OpenLikeADaw();
  notes.OpenLikeADaw();
  ASSERT_TRUE(notes.facade.SetParameterFromText(kStepOnOff, "on"));
  ASSERT_TRUE(notes.facade.SetParameterFromText(kAmplitudeSustain, "100 %"));

  // Steps 1, 2 and 6 of 5512 samples at 120 BPM.
  const std::vector<double> stepped = steps.Render(4 * 5512);
  EXPECT_GT(Peak(stepped, 0, 5512), 0.4);
  const std::vector<double> silent = notes.Render(4 * 5512);
  EXPECT_LT(Peak(silent, 0, silent.size()), 1e-3) << "no note, no sound";

  const unsigned char noteOn[] = {0x90, 60, 100};
  notes.facade.ProcessMidi(100, noteOn, 3);
  const std::vector<double> played = notes.Render(2048);
  EXPECT_LT(Peak(played, 0, 100), 1e-3) << "nothing before the note's frame";
  EXPECT_GT(Peak(played, 100 + 441, 2048), 0.3) << "open within its attack";
}

// ---- The VST2 adapter only translates -------------------------------------------------

namespace
{
struct Note
{
  int frame;
  unsigned char status, key, velocity;
};

// Renders input through process in blocks, each block's notes handed to
// midi (frames from its start) first; the transport moves after each
// block. Both outputs, left then right.
template <class Sample, class Midi, class Process>
std::vector<Sample> RenderBlocks(TestTransport& transport, const std::vector<Sample>& input,
                                 int blockSize, const std::vector<Note>& notes, Midi midi,
                                 Process process)
{
  const int frames = static_cast<int>(input.size());
  std::vector<Sample> out(2 * input.size());
  for (int done = 0; done < frames; done += blockSize)
  {
    const int block = std::min(blockSize, frames - done);
    for (const Note& note : notes)
    {
      if (note.frame >= done && note.frame < done + block)
      {
        midi(note.frame - done, note);
      }
    }
    Sample* in = const_cast<Sample*>(input.data()) + done;
    Sample* ins[] = {in, in};
    Sample* outs[] = {out.data() + done, out.data() + frames + done};
    process(ins, outs, block);
    transport.Advance(block);
  }
  return out;
}

template <class Sample> struct Vst2Process;
template <> struct Vst2Process<double>
{
  static void Run(AEffect* e, double** in, double** out, int n)
  {
    e->processDoubleReplacing(e, in, out, n);
  }
};
template <> struct Vst2Process<float>
{
  static void Run(AEffect* e, float** in, float** out, int n)
  {
    e->processReplacing(e, in, out, n);
  }
};

// A factory program rendered through the façade and through the VST2
// adapter's AEffect, with the same transport, notes and input, in doubles
// and in floats, at a block size that divides a step and one that does not:
// the same samples, bit for bit. Into the silence after the input they
// differed while only the adapter flushed subnormals to zero.
template <class Sample>
void ExpectTheSameRenderThroughBoth(int program, bool midiGate, int blockSize)
{
  const double kRate = 44100.0;
  const std::string what = "program " + std::to_string(program) + (midiGate ? ", MIDI gate" : "") +
                           ", blocks of " + std::to_string(blockSize) +
                           (sizeof(Sample) == sizeof(double) ? ", double" : ", float");
  // A second and a half of noise, then a second of silence, where the tails
  // decay into subnormal numbers.
  Noise noise(7);
  std::vector<Sample> input = noise.block<Sample>(3 * 22050, 0.5);
  input.resize(input.size() + 44100, Sample(0));
  const std::vector<Note> notes = {
      {1000, 0x90, 60, 100}, {20000, 0x80, 60, 0}, {30001, 0x90, 64, 90}, {52000, 0x80, 64, 0}};

  FacadeKolvane k(blockSize);
  k.OpenLikeADaw(kRate, blockSize);
  k.facade.SelectProgram(program);
  if (midiGate)
  {
    k.facade.SetParameterNormalized(kStepOnOff, 1.0);
  }
  const std::vector<Sample> throughFacade = RenderBlocks(
      k.transport, input, blockSize, notes,
      [&](int offset, const Note& note)
      {
        const unsigned char bytes[] = {note.status, note.key, note.velocity};
        k.facade.ProcessMidi(offset, bytes, 3);
      },
      [&](Sample** in, Sample** out, int n) { k.facade.Process(in, out, n); });

  FakeHost host;
  TestTransport transport;
  transport.Play(120.0, kRate);
  AEffect* effect = VST2EntryPoint<Kolvane>(FakeHost::Callback);
  // The host's record of the same transport.
  auto showTransport = [&]
  {
    host.time.sampleRate = kRate;
    host.time.samplePos = transport.time.mSamplePos;
    host.time.ppqPos = transport.time.mPPQPos;
    host.time.tempo = transport.time.mTempo;
    host.time.barStartPos = transport.time.mLastBar;
    host.time.timeSigNumerator = transport.time.mNumerator;
    host.time.timeSigDenominator = transport.time.mDenominator;
    host.time.flags =
        kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
  };
  showTransport();
  OpenLikeADaw(effect, static_cast<float>(kRate), blockSize);
  effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.0f);
  if (midiGate)
  {
    effect->setParameter(effect, kStepOnOff, 1.0f);
  }
  const std::vector<Sample> throughVst2 = RenderBlocks(
      transport, input, blockSize, notes,
      [&](int offset, const Note& note)
      {
        VstMidiEvent event = {};
        event.type = kVstMidiType;
        event.byteSize = sizeof event;
        event.deltaFrames = offset;
        event.midiData[0] = static_cast<char>(note.status);
        event.midiData[1] = static_cast<char>(note.key);
        event.midiData[2] = static_cast<char>(note.velocity);
        VstEvents events = {};
        events.numEvents = 1;
        events.events[0] = reinterpret_cast<VstEvent*>(&event);
        effect->dispatcher(effect, effProcessEvents, 0, 0, &events, 0.0f);
      },
      [&](Sample** in, Sample** out, int n)
      {
        showTransport();
        Vst2Process<Sample>::Run(effect, in, out, n);
      });
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

  ASSERT_GT(
      Peak(std::vector<double>(throughVst2.begin(), throughVst2.end()), 0, throughVst2.size()),
      0.01)
      << what << ": something to compare";
  size_t differing = 0, first = 0;
  for (size_t s = 0; s < throughVst2.size(); ++s)
  {
    if (std::memcmp(&throughVst2[s], &throughFacade[s], sizeof(Sample)) != 0 && differing++ == 0)
    {
      first = s;
    }
  }
  EXPECT_EQ(0u, differing) << what << ", first at sample " << first;
}
} // namespace

TEST(KolvaneFacade, RendersAsTheVst2AdapterBitForBit)
{
  struct Case
  {
    int program;
    bool midiGate;
  };
  const Case cases[] = {{1, false}, {5, false}, {10, true}};
  for (const Case& c : cases)
  {
    for (int blockSize : {64, 441})
    {
      ExpectTheSameRenderThroughBoth<double>(c.program, c.midiGate, blockSize);
      ExpectTheSameRenderThroughBoth<float>(c.program, c.midiGate, blockSize);
    }
  }
}
