#include "BarePlug.h"
#include "Base64.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <future>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace
{
const uint32_t kCcnK = 0x43636E4B;
const uint32_t kFxCk = 0x4678436B;
const uint32_t kFPCh = 0x46504368;
const uint32_t kFxBk = 0x4678426B;
const uint32_t kFBCh = 0x46424368;
const uint32_t kForeign = 0x58585858;     // "XXXX"
const uint32_t kOtherPlugin = 0x4F746872; // "Othr"

const int kNParams = TypedPlug::kNumParams;
const int kNSlots = 4;
// A program of parameter values: alone in a program file, or one per slot in
// a bank file after the bank's header.
const int kRecordSize = 56 + 4 * kNParams;
const int kBankHeaderSize = 156;

uint32_t BE32(const ByteChunk& chunk, int offset)
{
  const uint8_t* b = chunk.GetBytes() + offset;
  return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
}

float BEFloat(const ByteChunk& chunk, int offset)
{
  uint32_t bits = BE32(chunk, offset);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void SetBE32(ByteChunk& chunk, int offset, uint32_t value)
{
  uint8_t* b = chunk.GetBytes() + offset;
  b[0] = static_cast<uint8_t>(value >> 24);
  b[1] = static_cast<uint8_t>(value >> 16);
  b[2] = static_cast<uint8_t>(value >> 8);
  b[3] = static_cast<uint8_t>(value);
}

void SetBEFloat(ByteChunk& chunk, int offset, float value)
{
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  SetBE32(chunk, offset, bits);
}

void SetLEDouble(ByteChunk& chunk, int offset, double value)
{
  std::memcpy(chunk.GetBytes() + offset, &value, sizeof value);
}

std::string NameField(const ByteChunk& chunk, int offset)
{
  return std::string(reinterpret_cast<const char*>(chunk.GetBytes()) + offset, 28);
}

ByteChunk Prefix(const ByteChunk& chunk, int size)
{
  ByteChunk cut;
  cut.PutBytes(chunk.GetBytes(), size);
  return cut;
}

std::string AsString(const ByteChunk& chunk)
{
  return std::string(reinterpret_cast<const char*>(chunk.GetBytes()),
                     static_cast<size_t>(chunk.Size()));
}

std::vector<double> SlotValues(const BarePlug& plug, int slot)
{
  return ChunkDoubles(plug.Presets().GetPreset(slot)->mChunk);
}

// Values that went through a single-precision normalized value need a
// tolerance; values that must not have moved at all take 0.
void ExpectNear(const std::vector<double>& expected, const std::vector<double>& actual,
                double tolerance = 1e-5)
{
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i)
  {
    EXPECT_NEAR(expected[i], actual[i], tolerance) << "parameter " << i;
  }
}

// A plug-in as the host sees it: every slot filled.
struct Plug : TypedPlug
{
  explicit Plug(bool doesChunks, int nPresets = kNSlots) : TypedPlug(nPresets, doesChunks)
  {
    Presets().EnsureDefaultPreset();
  }
};

// A source with three named presets, the third one current and edited.
void MakeSource(TypedPlug& plug)
{
  plug.Presets().MakePreset("Bright", 1.5, 2, 1, 12, 0.25);
  plug.Presets().MakePreset("Dark", 0.5, 1, 0, 3, 0.75);
  plug.Presets().MakePreset("Wide", 1.9, 1, 1, 16, 0.02);
  plug.Presets().EnsureDefaultPreset();
  plug.Presets().RestorePreset(2);
  plug.GetParam(TypedPlug::kSteps)->Set(9);
}

// ---- The four file layouts ----------------------------------------------------------
//
// A program file holds the current program, a bank file every slot; each
// holds parameter values, or the opaque state chunk of a plug-in that keeps
// its state as chunks. The operations below pick the file kind; the
// plug-in's own setting picks the contents.

struct Layout
{
  const char* name;
  bool bank;
  bool doesChunks;
  uint32_t form; // the header's form field
};

const Layout kProgramParams = {"ProgramOfParameters", false, false, kFxCk};
const Layout kProgramChunk = {"ProgramOfStateChunk", false, true, kFPCh};
const Layout kBankParams = {"BankOfParameters", true, false, kFxBk};
const Layout kBankChunk = {"BankOfStateChunks", true, true, kFBCh};

void PrintTo(const Layout& layout, std::ostream* os)
{
  *os << layout.name;
}

const char* Extension(const Layout& layout)
{
  return layout.bank ? "fxb" : "fxp";
}

std::string DotExtension(const Layout& layout)
{
  return std::string(".") + Extension(layout);
}

// The form of the other file kind with the same contents: a bank's in a
// program file, a program's in a bank file.
uint32_t OtherKindsForm(const Layout& layout)
{
  if (layout.bank)
  {
    return layout.doesChunks ? kFPCh : kFxCk;
  }
  return layout.doesChunks ? kFBCh : kFxBk;
}

void Write(TypedPlug& plug, const Layout& layout, ByteChunk* file)
{
  if (layout.bank)
  {
    plug.Presets().GetBankFXB(file);
  }
  else
  {
    plug.Presets().GetProgramFXP(file);
  }
}

bool Read(TypedPlug& plug, const Layout& layout, const ByteChunk* file)
{
  return layout.bank ? plug.Presets().SetBankFXB(file) : plug.Presets().SetProgramFXP(file);
}

bool Save(TypedPlug& plug, const Layout& layout, const char* proposedName)
{
  return layout.bank ? plug.Presets().SaveBankAsFXB(proposedName)
                     : plug.Presets().SaveProgramAsFXP(proposedName);
}

bool Load(TypedPlug& plug, const Layout& layout)
{
  return layout.bank ? plug.Presets().LoadBankFromFXB() : plug.Presets().LoadProgramFromFXP();
}

// The source's file in the layout.
ByteChunk SourceFile(const Layout& layout)
{
  TypedPlug source(kNSlots, layout.doesChunks);
  MakeSource(source);
  ByteChunk file;
  Write(source, layout, &file);
  return file;
}

// Everything a preset file can change in a plug-in.
struct PlugState
{
  std::vector<std::string> names;
  std::vector<std::vector<double>> slots;
  int current = 0;
  std::vector<double> live;
};

PlugState StateOf(const TypedPlug& plug)
{
  PlugState state;
  state.names = Names(plug);
  for (int p = 0; p < plug.Presets().NPresets(); ++p)
  {
    state.slots.push_back(SlotValues(plug, p));
  }
  state.current = plug.Presets().GetCurrentPresetIdx();
  state.live = plug.Values();
  return state;
}

void ExpectState(const PlugState& expected, const PlugState& actual, double tolerance)
{
  EXPECT_EQ(expected.names, actual.names);
  EXPECT_EQ(expected.current, actual.current) << "current slot";
  {
    SCOPED_TRACE("live values");
    ExpectNear(expected.live, actual.live, tolerance);
  }
  ASSERT_EQ(expected.slots.size(), actual.slots.size());
  for (size_t p = 0; p < expected.slots.size(); ++p)
  {
    SCOPED_TRACE("slot " + std::to_string(p));
    ExpectNear(expected.slots[p], actual.slots[p], tolerance);
  }
}

// What a fresh instance holds once it has read the source's file.
PlugState AfterReading(const TypedPlug& source, const Layout& layout)
{
  PlugState expected = StateOf(Plug(layout.doesChunks));
  const PlugState from = StateOf(source);
  if (!layout.bank)
  {
    // The program goes into the current slot, with its name and the
    // source's live (edited) values.
    expected.names[static_cast<size_t>(expected.current)] =
        from.names[static_cast<size_t>(from.current)];
    expected.slots[static_cast<size_t>(expected.current)] = from.live;
    expected.live = from.live;
    return expected;
  }
  // A bank replaces every slot with the slot as stored, not as edited. The
  // parameter layout names the current program; the bank chunk has no such
  // field, so the target keeps its own.
  expected.names = from.names;
  expected.slots = from.slots;
  if (!layout.doesChunks)
  {
    expected.current = from.current;
  }
  expected.live = from.slots[static_cast<size_t>(expected.current)];
  return expected;
}

// Offers the file to a fresh instance, which must refuse it and tell the
// host nothing; where nothing may be applied, the instance must be as it
// was. Returns what the instance holds afterwards.
PlugState ExpectRefused(const Layout& layout, bool targetDoesChunks, const ByteChunk& file,
                        bool nothingApplied)
{
  Plug target(targetDoesChunks);
  target.ClearRecorders();
  const PlugState before = StateOf(target);
  EXPECT_FALSE(Read(target, layout, &file));
  EXPECT_EQ(0, target.mProgramChangeNotices);
  const PlugState after = StateOf(target);
  if (nothingApplied)
  {
    ExpectState(before, after, 0.0);
    EXPECT_TRUE(target.mParamChanges.empty());
  }
  return after;
}

// The file dialog is modal and may stay open for minutes: the audio thread
// must go on meanwhile, so no save or load holds the plug-in's lock while
// its dialog is open. The dialog here tries the lock from another thread,
// as the audio thread would.
class LockProbeGraphics : public FakeGraphics
{
public:
  explicit LockProbeGraphics(IPlugBase* plug) : mPlug(plug) {}

  void PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir,
                     const char* extensions) override
  {
    auto locked = std::make_shared<std::promise<void>>();
    std::future<void> done = locked->get_future();
    mThreads.emplace_back(
        [this, locked]
        {
          IPlugBase::IMutexLock lock(mPlug);
          locked->set_value();
        });
    mLockFree.push_back(done.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
    FakeGraphics::PromptForFile(file, action, dir, extensions);
  }

  // The threads end once the lock is free, whoever held it.
  void Join()
  {
    for (std::thread& thread : mThreads)
    {
      thread.join();
    }
    mThreads.clear();
  }

  std::vector<bool> mLockFree;

private:
  IPlugBase* mPlug;
  std::vector<std::thread> mThreads;
};

class PresetFile : public ::testing::TestWithParam<Layout>
{
};
} // namespace

INSTANTIATE_TEST_SUITE_P(AllLayouts, PresetFile,
                         ::testing::Values(kProgramParams, kProgramChunk, kBankParams, kBankChunk),
                         [](const ::testing::TestParamInfo<Layout>& info)
                         { return std::string(info.param.name); });

// ---- Every layout ---------------------------------------------------------------------

TEST_P(PresetFile, HeaderNamesTheFileKindThePluginAndTheContents)
{
  const Layout& layout = GetParam();
  const ByteChunk file = SourceFile(layout);
  ASSERT_GE(file.Size(), layout.bank ? kBankHeaderSize : 56);
  EXPECT_EQ(kCcnK, BE32(file, 0));
  // The byte size counts the whole file when it holds a chunk; a file of
  // parameter values leaves it 0.
  EXPECT_EQ(layout.doesChunks ? static_cast<uint32_t>(file.Size()) : 0u, BE32(file, 4));
  EXPECT_EQ(layout.form, BE32(file, 8));
  EXPECT_EQ(layout.bank ? 2u : 1u, BE32(file, 12)) << "format version";
  EXPECT_EQ(static_cast<uint32_t>(BarePlug::kUniqueID), BE32(file, 16));
  EXPECT_EQ(10203u, BE32(file, 20)) << "the plug-in's version";
  EXPECT_EQ(static_cast<uint32_t>(layout.bank ? kNSlots : kNParams), BE32(file, 24));
  if (layout.bank)
  {
    EXPECT_EQ(2u, BE32(file, 28)) << "the current program";
    for (int i = 32; i < kBankHeaderSize; ++i)
    {
      EXPECT_EQ(0, file.GetBytes()[i]) << "reserved byte " << i;
    }
  }
  else
  {
    EXPECT_EQ(std::string("Wide") + std::string(24, '\0'), NameField(file, 28));
  }
}

TEST_P(PresetFile, RoundTripIntoAFreshInstance)
{
  const Layout& layout = GetParam();
  TypedPlug source(kNSlots, layout.doesChunks);
  MakeSource(source);
  ByteChunk file;
  Write(source, layout, &file);

  Plug fresh(layout.doesChunks);
  fresh.ClearRecorders();
  EXPECT_TRUE(Read(fresh, layout, &file));
  const PlugState expected = AfterReading(source, layout);
  ExpectState(expected, StateOf(fresh), 1e-5);
  EXPECT_EQ(expected.live[TypedPlug::kSteps], fresh.GetParam(TypedPlug::kSteps)->Value());
  EXPECT_EQ(1, fresh.mProgramChangeNotices);
  // The plug-in hears of every parameter's new value.
  for (int i = 0; i < kNParams; ++i)
  {
    EXPECT_NE(fresh.mParamChanges.end(),
              std::find(fresh.mParamChanges.begin(), fresh.mParamChanges.end(), i))
        << "parameter " << i;
  }
}

// Every prefix of a valid file is refused, without reading past its end. A
// file of parameter values is checked whole before any of it is applied, so
// a refused one changes nothing.
TEST_P(PresetFile, EveryTruncationIsRefused)
{
  const Layout& layout = GetParam();
  const ByteChunk file = SourceFile(layout);
  for (int size = 0; size < file.Size(); ++size)
  {
    SCOPED_TRACE(size);
    const PlugState after =
        ExpectRefused(layout, layout.doesChunks, Prefix(file, size), !layout.doesChunks);
    if (!layout.bank)
    {
      EXPECT_EQ("Empty", after.names[0]);
    }
  }
}

// A header that is not this plug-in's file of this kind is refused before
// anything is applied.
TEST_P(PresetFile, ForeignHeaderIsRefused)
{
  const Layout& layout = GetParam();
  struct Case
  {
    const char* what;
    int offset;
    uint32_t value;
  };
  const Case cases[] = {
      {"chunk magic", 0, kForeign},
      {"unknown form", 8, kForeign},
      {"the other file kind's form", 8, OtherKindsForm(layout)},
      {"another plug-in's ID", 16, kOtherPlugin},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    ByteChunk file = SourceFile(layout);
    SetBE32(file, c.offset, c.value);
    ExpectRefused(layout, layout.doesChunks, file, true);
  }
}

// ---- Through the editor's file prompt -------------------------------------------------

TEST_P(PresetFile, SavedAndLoadedThroughThePrompt)
{
  const Layout& layout = GetParam();
  TempFile file(DotExtension(layout).c_str());
  TypedPlug source(kNSlots, layout.doesChunks);
  MakeSource(source);
  FakeGraphics* gui = new FakeGraphics;
  source.AttachGraphics(gui);
  gui->mAnswer = file.path();
  const std::string proposed = "Preset" + DotExtension(layout);
  ASSERT_TRUE(Save(source, layout, proposed.c_str()));
  ASSERT_EQ(1u, gui->mPrompts.size());
  EXPECT_EQ(proposed, gui->mPrompts[0].file);
  EXPECT_EQ(IGraphicsInterface::kFileSave, gui->mPrompts[0].action);
  EXPECT_EQ(Extension(layout), gui->mPrompts[0].extensions);
  ByteChunk expected;
  Write(source, layout, &expected);
  EXPECT_EQ(AsString(expected), ReadWholeFile(file.path()));

  Plug target(layout.doesChunks);
  FakeGraphics* targetGui = new FakeGraphics;
  target.AttachGraphics(targetGui);
  targetGui->mAnswer = file.path();
  EXPECT_TRUE(Load(target, layout));
  ASSERT_EQ(1u, targetGui->mPrompts.size());
  EXPECT_EQ(IGraphicsInterface::kFileOpen, targetGui->mPrompts[0].action);
  EXPECT_EQ(Extension(layout), targetGui->mPrompts[0].extensions);
  ExpectState(AfterReading(source, layout), StateOf(target), 1e-5);
}

TEST_P(PresetFile, WithoutAnEditorNothingIsAskedOrWritten)
{
  const Layout& layout = GetParam();
  TempFile proposed(DotExtension(layout).c_str());
  Plug plug(layout.doesChunks);
  EXPECT_FALSE(Save(plug, layout, proposed.c_str()));
  EXPECT_FALSE(proposed.Exists());
  EXPECT_FALSE(Load(plug, layout));
}

TEST_P(PresetFile, MissingBrokenOrUnnamedFilesAreRefused)
{
  const Layout& layout = GetParam();
  TempFile missing(DotExtension(layout).c_str());
  TempFile broken(DotExtension(layout).c_str());
  const ByteChunk file = SourceFile(layout);
  WriteWholeFile(broken.path(), AsString(file).substr(0, static_cast<size_t>(file.Size() / 2)));

  Plug plug(layout.doesChunks);
  FakeGraphics* gui = new FakeGraphics;
  plug.AttachGraphics(gui);
  plug.ClearRecorders();
  gui->mAnswer = missing.path();
  EXPECT_FALSE(Load(plug, layout));
  gui->mAnswer = broken.path();
  EXPECT_FALSE(Load(plug, layout));
  gui->mAnswer = "";
  EXPECT_FALSE(Load(plug, layout));
  EXPECT_FALSE(Save(plug, layout, ""));
  EXPECT_EQ(4u, gui->mPrompts.size());
  EXPECT_EQ(0, plug.mProgramChangeNotices);
}

TEST_P(PresetFile, CancelledLoadReadsNothing)
{
  const Layout& layout = GetParam();
  Plug plug(layout.doesChunks);
  FakeGraphics* gui = new FakeGraphics;
  plug.AttachGraphics(gui);
  gui->mCancel = true;
  plug.ClearRecorders();
  const PlugState before = StateOf(plug);
  EXPECT_FALSE(Load(plug, layout));
  EXPECT_EQ(1u, gui->mPrompts.size());
  ExpectState(before, StateOf(plug), 0.0);
  EXPECT_EQ(0, plug.mProgramChangeNotices);
}

// A cancelled save dialog leaves the file argument as it was, which for a
// save is the proposed name; the save must still not happen.
TEST_P(PresetFile, CancelledSaveWritesNothing)
{
  const Layout& layout = GetParam();
  TempFile proposed(DotExtension(layout).c_str());
  Plug plug(layout.doesChunks);
  FakeGraphics* gui = new FakeGraphics;
  plug.AttachGraphics(gui);
  gui->mCancel = true;
  EXPECT_FALSE(Save(plug, layout, proposed.c_str()));
  EXPECT_FALSE(proposed.Exists());
}

TEST_P(PresetFile, ThePluginLockIsFreeWhileTheDialogIsOpen)
{
  const Layout& layout = GetParam();
  TempFile file(DotExtension(layout).c_str());
  Plug plug(layout.doesChunks);
  LockProbeGraphics* gui = new LockProbeGraphics(&plug);
  plug.AttachGraphics(gui);
  gui->mAnswer = file.path();
  const std::string proposed = "a" + DotExtension(layout);
  EXPECT_TRUE(Save(plug, layout, proposed.c_str()));
  EXPECT_TRUE(Load(plug, layout));
  gui->Join();
  EXPECT_EQ((std::vector<bool>{true, true}), gui->mLockFree) << "save, load";
}

// ---- What each layout holds -----------------------------------------------------------

namespace
{
// One program of parameter values, as a program file holds it and a bank
// file holds one per slot: header, name, then every value normalized, as a
// big-endian float.
void ExpectProgramRecord(const TypedPlug& plug, const ByteChunk& file, int offset,
                         const std::string& name, const std::vector<double>& values)
{
  ASSERT_LE(offset + kRecordSize, file.Size());
  EXPECT_EQ(kCcnK, BE32(file, offset));
  EXPECT_EQ(0u, BE32(file, offset + 4));
  EXPECT_EQ(kFxCk, BE32(file, offset + 8));
  EXPECT_EQ(1u, BE32(file, offset + 12));
  EXPECT_EQ(static_cast<uint32_t>(BarePlug::kUniqueID), BE32(file, offset + 16));
  EXPECT_EQ(10203u, BE32(file, offset + 20));
  EXPECT_EQ(static_cast<uint32_t>(kNParams), BE32(file, offset + 24));
  EXPECT_EQ(name + std::string(28 - name.size(), '\0'), NameField(file, offset + 28));
  for (int i = 0; i < kNParams; ++i)
  {
    EXPECT_EQ(static_cast<float>(plug.GetParam(i)->GetNormalized(values[static_cast<size_t>(i)])),
              BEFloat(file, offset + 56 + 4 * i))
        << "parameter " << i;
  }
}
} // namespace

TEST(ProgramFile, ParameterLayoutIsOneRecordOfTheLiveValues)
{
  TypedPlug plug(kNSlots);
  MakeSource(plug);
  ByteChunk fxp;
  plug.Presets().GetProgramFXP(&fxp);
  ASSERT_EQ(kRecordSize, fxp.Size());
  ExpectProgramRecord(plug, fxp, 0, "Wide", plug.Values());
}

TEST(BankFile, ParameterLayoutHoldsARecordPerSlotAsStored)
{
  TypedPlug plug(kNSlots);
  MakeSource(plug);
  ByteChunk fxb;
  plug.Presets().GetBankFXB(&fxb);
  ASSERT_EQ(kBankHeaderSize + kNSlots * kRecordSize, fxb.Size());
  for (int p = 0; p < kNSlots; ++p)
  {
    SCOPED_TRACE(p);
    // The slot's stored values, not the live (edited) ones.
    ExpectProgramRecord(plug, fxb, kBankHeaderSize + p * kRecordSize,
                        plug.Presets().GetPresetName(p), SlotValues(plug, p));
  }
}

// After the header a chunk file holds the chunk's size and the chunk: the
// framework's version header, then the plug-in's state (a program) or every
// slot (a bank).
TEST(StateChunkFile, ChunkFollowsTheHeader)
{
  for (const Layout& layout : {kProgramChunk, kBankChunk})
  {
    SCOPED_TRACE(layout.name);
    TypedPlug plug(kNSlots, true);
    MakeSource(plug);
    ByteChunk file;
    Write(plug, layout, &file);
    ByteChunk chunk;
    InitChunkWithIPlugVer(&chunk);
    if (layout.bank)
    {
      plug.Presets().SerializePresets(&chunk);
    }
    else
    {
      plug.SerializeState(&chunk);
    }
    const int sizeField = layout.bank ? kBankHeaderSize : 56;
    const int chunkStart = sizeField + 4;
    ASSERT_EQ(chunkStart + chunk.Size(), file.Size());
    EXPECT_EQ(static_cast<uint32_t>(chunk.Size()), BE32(file, sizeField));
    EXPECT_EQ(0, std::memcmp("tffp\0\0\1\0", file.GetBytes() + chunkStart, 8));
    EXPECT_EQ(0, std::memcmp(chunk.GetBytes(), file.GetBytes() + chunkStart, chunk.Size()));
    if (!layout.bank)
    {
      EXPECT_EQ(static_cast<uint32_t>(8 + 8 * kNParams), BE32(file, sizeField))
          << "the version header and a double per parameter";
      double gain = 0;
      std::memcpy(&gain, file.GetBytes() + chunkStart + 8, sizeof gain);
      EXPECT_EQ(1.9, gain) << "the live gain, first of the state";
    }
  }
}

// Contents that do not fit the plug-in, past a header that does, are
// refused, and nothing of them is applied: a bank of parameter values checks
// every record before it applies the first. (A parameter count other than
// the plug-in's own is a file of another version, not a fault: see
// ParameterFormFilesOfOtherVersions.)
TEST(PresetFileContents, MalformedContentsAreRefused)
{
  const int record0 = kBankHeaderSize;
  const int record1 = kBankHeaderSize + kRecordSize;
  struct Case
  {
    Layout layout;
    const char* what;
    int offset;
    uint32_t value;
  };
  const Case cases[] = {
      {kProgramParams, "chunk form for a plug-in without chunks", 8, kFPCh},
      {kProgramParams, "format version 2", 12, 2},
      {kProgramParams, "format version 0", 12, 0},
      {kProgramParams, "one value more than the file holds", 24, kNParams + 1},
      {kProgramParams, "negative parameter count", 24, 0xFFFFFFFF},
      {kProgramParams, "absurd parameter count", 24, 0x7FFFFFFF},
      {kProgramChunk, "format version 2", 12, 2},
      {kProgramChunk, "negative parameter count", 24, 0xFFFFFFFF},
      {kBankParams, "chunk form for a plug-in without chunks", 8, kFBCh},
      {kBankParams, "more programs than slots", 24, kNSlots + 1},
      {kBankParams, "negative program count", 24, 0xFFFFFFFF},
      {kBankParams, "absurd program count", 24, 0x7FFFFFFF},
      {kBankParams, "first record's magic", record0, kForeign},
      {kBankParams, "first record's form", record0 + 8, kFPCh},
      {kBankParams, "first record's version", record0 + 12, 2},
      {kBankParams, "first record's parameter count", record0 + 24, kNParams + 1},
      {kBankParams, "first record's negative parameter count", record0 + 24, 0xFFFFFFFF},
      {kBankParams, "second record's magic", record1, kForeign},
      {kBankParams, "second record's parameter count", record1 + 24, kNParams - 1},
      {kBankParams, "last record's values past the end", kBankHeaderSize + 3 * kRecordSize + 24,
       kNParams + 1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::string(c.layout.name) + ": " + c.what);
    ByteChunk file = SourceFile(c.layout);
    SetBE32(file, c.offset, c.value);
    ExpectRefused(c.layout, c.layout.doesChunks, file, true);
  }
}

// A parameter-form file holds as many values as its writer had parameters:
// a version with fewer wrote fewer, one with more wrote more. Either loads.
// A parameter the file has no value for takes its default, whatever it was
// set to, so that the program plays as it did in the version that wrote
// it; values past the last parameter are skipped.
TEST(PresetFileContents, ParameterFormFilesOfOtherVersions)
{
  struct Case
  {
    const char* what;
    int sourceExtras, targetExtras; // doubles after the five typed parameters
  };
  const Case cases[] = {{"a version with two parameters less", 0, 2},
                        {"a version with two parameters more", 2, 0}};
  for (const Layout& layout : {kProgramParams, kBankParams})
  {
    for (const Case& c : cases)
    {
      SCOPED_TRACE(std::string(layout.name) + " of " + c.what);
      TypedPlug source(kNSlots, false, c.sourceExtras);
      source.Presets().EnsureDefaultPreset();
      for (int slot : {1, 2})
      {
        source.Presets().RestorePreset(slot);
        source.SetNonDefaults();
        source.GetParam(TypedPlug::kSteps)->Set(3 + slot);
        source.Presets().ModifyCurrentPreset(slot == 1 ? "One" : "Two");
      }
      ByteChunk file;
      Write(source, layout, &file);

      // Every slot, and the live state, away from the defaults first.
      TypedPlug target(kNSlots, false, c.targetExtras);
      target.Presets().EnsureDefaultPreset();
      for (int slot = kNSlots - 1; slot >= 0; --slot)
      {
        target.Presets().RestorePreset(slot);
        target.SetNonDefaults();
        target.Presets().ModifyCurrentPreset();
      }
      ASSERT_TRUE(Read(target, layout, &file));

      // The source's values of the five parameters both versions have,
      // the target's extras at their defaults.
      auto expectedOf = [&](std::vector<double> values)
      {
        values.resize(TypedPlug::kNumParams);
        values.resize(static_cast<size_t>(target.NParams()), 0.0);
        return values;
      };
      if (layout.bank)
      {
        EXPECT_EQ(Names(source), Names(target));
        EXPECT_EQ(2, target.Presets().GetCurrentPresetIdx());
        for (int slot = 0; slot < kNSlots; ++slot)
        {
          SCOPED_TRACE("slot " + std::to_string(slot));
          ExpectNear(expectedOf(SlotValues(source, slot)), SlotValues(target, slot));
        }
      }
      EXPECT_STREQ("Two", target.Presets().GetPresetName(target.Presets().GetCurrentPresetIdx()));
      ExpectNear(expectedOf(source.Values()), target.Values());
    }
  }
}

// A real file of state chunks, offered to a plug-in that has no chunks.
TEST(PresetFileContents, StateChunkFileIsRefusedByAPluginWithoutChunks)
{
  for (const Layout& layout : {kProgramChunk, kBankChunk})
  {
    SCOPED_TRACE(layout.name);
    ExpectRefused(layout, false, SourceFile(layout), true);
  }
}

// A value that is not finite leaves what it would replace as it was: the
// live parameter for a program, the slot's own value for a bank.
TEST(PresetFileContents, NonFiniteValuesAreSkipped)
{
  struct Case
  {
    Layout layout;
    int firstValue;
    bool doubles; // little-endian doubles of a state chunk, else big-endian floats
  };
  const Case cases[] = {
      {kProgramParams, 56, false},
      {kProgramChunk, 68, true},                  // past the chunk size and the version header
      {kBankParams, kBankHeaderSize + 56, false}, // the first slot's values
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.layout.name);
    TypedPlug source(kNSlots, c.layout.doesChunks);
    MakeSource(source);
    ByteChunk file;
    Write(source, c.layout, &file);
    const int gainAt = c.firstValue + (c.doubles ? 8 : 4) * TypedPlug::kGain;
    const int cutoffAt = c.firstValue + (c.doubles ? 8 : 4) * TypedPlug::kCutoff;
    if (c.doubles)
    {
      SetLEDouble(file, gainAt, std::nan(""));
      SetLEDouble(file, cutoffAt, -std::numeric_limits<double>::infinity());
    }
    else
    {
      SetBEFloat(file, gainAt, std::numeric_limits<float>::quiet_NaN());
      SetBEFloat(file, cutoffAt, -std::numeric_limits<float>::infinity());
    }
    Plug target(c.layout.doesChunks);
    EXPECT_TRUE(Read(target, c.layout, &file));
    std::vector<double> expected = c.layout.bank ? SlotValues(source, 0) : source.Values();
    expected[TypedPlug::kGain] = 1.0; // the defaults of the target's "Empty" slot
    expected[TypedPlug::kCutoff] = 0.5;
    ExpectNear(expected, c.layout.bank ? SlotValues(target, 0) : target.Values());
  }
}

// ---- Program names --------------------------------------------------------------------

// The name field holds 28 bytes with its terminator.
TEST(ProgramFile, LongPresetNameIsStoredAsItsFirst27Characters)
{
  const std::string name = "abcdefghijklmnopqrstuvwxyz0123"; // 30 characters
  for (const Layout& layout : {kProgramParams, kProgramChunk})
  {
    SCOPED_TRACE(layout.name);
    Plug source(layout.doesChunks);
    source.Presets().ModifyCurrentPreset(name.c_str());
    ByteChunk fxp;
    source.Presets().GetProgramFXP(&fxp);
    EXPECT_EQ(name.substr(0, 27) + '\0', NameField(fxp, 28));

    Plug fresh(layout.doesChunks);
    ASSERT_TRUE(fresh.Presets().SetProgramFXP(&fxp));
    EXPECT_EQ(name.substr(0, 27), fresh.Presets().GetPresetName(0));
  }
}

// A name field without a terminator is read up to its end, not beyond.
TEST(ProgramFile, UnterminatedNameFieldIsReadWithinIt)
{
  for (const Layout& layout : {kProgramParams, kProgramChunk})
  {
    SCOPED_TRACE(layout.name);
    Plug source(layout.doesChunks);
    ByteChunk fxp;
    source.Presets().GetProgramFXP(&fxp);
    std::memset(fxp.GetBytes() + 28, 'N', 28);
    Plug fresh(layout.doesChunks);
    ASSERT_TRUE(fresh.Presets().SetProgramFXP(&fxp));
    EXPECT_EQ(std::string(28, 'N'), fresh.Presets().GetPresetName(0));
  }
}

// ---- Banks of another size ------------------------------------------------------------

TEST(BankFile, SmallerBankFillsTheFirstSlots)
{
  TypedPlug source(2);
  source.Presets().MakePreset("Bright", 1.5, 2, 1, 12, 0.25);
  source.Presets().MakePreset("Dark", 0.5, 1, 0, 3, 0.75);
  ByteChunk fxb;
  source.Presets().GetBankFXB(&fxb);
  Plug target(false, 4);
  EXPECT_TRUE(target.Presets().SetBankFXB(&fxb));
  EXPECT_EQ((std::vector<std::string>{"Bright", "Dark", "Empty", "Empty"}), Names(target));
  ExpectNear({0.5, 1, 0, 3, 0.75}, SlotValues(target, 1));
  ExpectNear({1.0, 0, 0, 8, 0.5}, SlotValues(target, 2));
}

TEST(BankFile, MoreProgramsThanSlotsIsRefusedBeforeAnythingIsApplied)
{
  TypedPlug source(5);
  source.Presets().MakePreset("Bright", 1.5, 2, 1, 12, 0.25);
  source.Presets().EnsureDefaultPreset();
  ByteChunk fxb;
  source.Presets().GetBankFXB(&fxb);
  const PlugState after = ExpectRefused(kBankParams, false, fxb, true);
  EXPECT_EQ((std::vector<std::string>(kNSlots, "Empty")), after.names);
}

// ---- The prompt's folder --------------------------------------------------------------

// The folder a prompt ends in is where the next one starts.
TEST(PresetFileDialogs, PreviousFolderIsRemembered)
{
  TempFile file(".fxp");
  Plug plug(false);
  FakeGraphics* gui = new FakeGraphics;
  plug.AttachGraphics(gui);
  gui->mAnswer = file.path();
  gui->mNewDir = "chosen-folder";
  ASSERT_TRUE(plug.Presets().SaveProgramAsFXP("a.fxp"));
  gui->mNewDir.clear();
  ASSERT_TRUE(plug.Presets().LoadProgramFromFXP());
  ASSERT_EQ(2u, gui->mPrompts.size());
  EXPECT_EQ("", gui->mPrompts[0].dir);
  EXPECT_EQ("chosen-folder", gui->mPrompts[1].dir);
}

// ---- Source dumps -----------------------------------------------------------------

TEST(PresetDumps, SourceCodeLineOfTheCurrentState)
{
  TempFile file(".txt");
  TypedPlug plug;
  plug.SetNonDefaults();
  const char* const names[] = {"kGain", "kMode", "kBypass", "kSteps", "kCutoff"};
  ASSERT_TRUE(plug.Presets().DumpPresetSrcCode(file.c_str(), names));
  EXPECT_EQ("  MakePresetFromNamedParams(\"name\", 5,\n"
            "    kGain, 1.500000,\n"
            "    kMode, 2,\n"
            "    kBypass, true,\n"
            "    kSteps, 12,\n"
            "    kCutoff, 0.250000);\n",
            ReadTextFile(file.path()));
}

TEST(PresetDumps, BlobLineOfTheCurrentPreset)
{
  TempFile file(".txt");
  TypedPlug plug;
  plug.Presets().MakePreset("Bright", 1.5, 2, 1, 12, 0.25);
  const ByteChunk& chunk = plug.Presets().GetPreset(0)->mChunk;
  std::string text(static_cast<size_t>(4 * ((chunk.Size() + 2) / 3) + 1), '\0');
  base64encode(chunk.GetBytes(), &text[0], chunk.Size());
  text.resize(std::strlen(text.c_str()));
  ASSERT_TRUE(plug.Presets().DumpPresetBlob(file.c_str()));
  EXPECT_EQ("MakePresetFromBlob(\"name\", \"" + text + "\", 40);\n", ReadTextFile(file.path()));
}

// A state far beyond a kilobyte is dumped whole and makes the same preset
// again.
TEST(PresetDumps, LargeBlobRoundTripsIntoAPreset)
{
  TempFile file(".txt");
  const int extra = 300; // 305 doubles: 2440 bytes of state
  TypedPlug plug(2, false, extra);
  plug.SetNonDefaults();
  plug.Presets().MakeDefaultPreset("Big", 1);
  ASSERT_TRUE(plug.Presets().DumpPresetBlob(file.c_str()));

  const std::string line = ReadTextFile(file.path());
  const std::string head = "MakePresetFromBlob(\"name\", \"";
  ASSERT_EQ(0u, line.find(head));
  const size_t blobEnd = line.find('"', head.size());
  ASSERT_NE(std::string::npos, blobEnd);
  const std::string blob = line.substr(head.size(), blobEnd - head.size());
  EXPECT_EQ("\", 2440);\n", line.substr(blobEnd));

  TypedPlug fresh(2, false, extra);
  fresh.Presets().MakePresetFromBlob("Big", blob.c_str(), 2440);
  ASSERT_TRUE(fresh.Presets().RestorePreset(0));
  EXPECT_EQ(plug.Values(), fresh.Values());
}

TEST(PresetDumps, UnwritablePathIsReported)
{
  TempFile dir(".d");
  const std::string path = dir.path() + "/no-such-folder/dump.txt";
  TypedPlug plug;
  plug.Presets().MakeDefaultPreset();
  EXPECT_FALSE(plug.Presets().DumpPresetSrcCode(path.c_str(), nullptr));
  EXPECT_FALSE(plug.Presets().DumpPresetBlob(path.c_str()));
  EXPECT_FALSE(plug.Presets().DumpPresetBlob(nullptr));
}
