#include "BarePlug.h"
#include "Base64.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <future>
#include <limits>
#include <memory>
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

const int kNParams = TypedPlug::kNumParams;
const int kProgramParamsSize = 56 + 4 * kNParams;
const int kProgramChunkSize = 60 + 8 + 8 * kNParams;

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
  return ChunkDoubles(plug.GetPreset(slot)->mChunk);
}

// Values that went through a single-precision normalized value.
void ExpectNear(const std::vector<double>& expected, const std::vector<double>& actual)
{
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i)
  {
    EXPECT_NEAR(expected[i], actual[i], 1e-5) << "parameter " << i;
  }
}

// A plug-in as the host sees it: every slot filled.
struct Plug : TypedPlug
{
  explicit Plug(bool doesChunks, int nPresets = 4) : TypedPlug(nPresets, doesChunks)
  {
    EnsureDefaultPreset();
  }
};

// A source with three named presets, the third one current and edited.
void MakeSource(TypedPlug& plug)
{
  plug.MakePreset("Bright", 1.5, 2, 1, 12, 0.25);
  plug.MakePreset("Dark", 0.5, 1, 0, 3, 0.75);
  plug.MakePreset("Wide", 1.9, 1, 1, 16, 0.02);
  plug.EnsureDefaultPreset();
  plug.RestorePreset(2);
  plug.GetParam(TypedPlug::kSteps)->Set(9);
}

const char* FormName(bool doesChunks)
{
  return doesChunks ? "chunk form" : "parameter form";
}
} // namespace

// ---- Program files ----------------------------------------------------------------

TEST(ProgramFile, ParameterFormLayout)
{
  Plug plug(false);
  plug.SetNonDefaults();
  plug.ModifyCurrentPreset("Bright");
  ByteChunk fxp;
  plug.GetProgramFXP(&fxp);
  ASSERT_EQ(kProgramParamsSize, fxp.Size());
  EXPECT_EQ(kCcnK, BE32(fxp, 0));
  EXPECT_EQ(0u, BE32(fxp, 4));
  EXPECT_EQ(kFxCk, BE32(fxp, 8));
  EXPECT_EQ(1u, BE32(fxp, 12));
  EXPECT_EQ(static_cast<uint32_t>(BarePlug::kUniqueID), BE32(fxp, 16));
  EXPECT_EQ(10203u, BE32(fxp, 20));
  EXPECT_EQ(static_cast<uint32_t>(kNParams), BE32(fxp, 24));
  EXPECT_EQ(std::string("Bright") + std::string(22, '\0'), NameField(fxp, 28));
  for (int i = 0; i < kNParams; ++i)
  {
    EXPECT_EQ(static_cast<float>(plug.GetParam(i)->GetNormalized()), BEFloat(fxp, 56 + 4 * i)) << i;
  }
}

TEST(ProgramFile, ChunkFormLayout)
{
  Plug plug(true);
  plug.SetNonDefaults();
  ByteChunk fxp;
  plug.GetProgramFXP(&fxp);
  ASSERT_EQ(kProgramChunkSize, fxp.Size());
  EXPECT_EQ(kCcnK, BE32(fxp, 0));
  EXPECT_EQ(static_cast<uint32_t>(fxp.Size()), BE32(fxp, 4));
  EXPECT_EQ(kFPCh, BE32(fxp, 8));
  EXPECT_EQ(1u, BE32(fxp, 12));
  EXPECT_EQ(static_cast<uint32_t>(kNParams), BE32(fxp, 24));
  EXPECT_EQ(std::string("Empty") + std::string(23, '\0'), NameField(fxp, 28));
  EXPECT_EQ(static_cast<uint32_t>(8 + 8 * kNParams), BE32(fxp, 56));
  EXPECT_EQ(0, std::memcmp("tffp\0\0\1\0", fxp.GetBytes() + 60, 8));
  double gain = 0;
  std::memcpy(&gain, fxp.GetBytes() + 68, sizeof gain);
  EXPECT_EQ(1.5, gain);
}

TEST(ProgramFile, RoundTripIntoAFreshInstance)
{
  for (bool doesChunks : {false, true})
  {
    SCOPED_TRACE(FormName(doesChunks));
    Plug source(doesChunks);
    source.SetNonDefaults();
    source.ModifyCurrentPreset("Bright");
    ByteChunk fxp;
    source.GetProgramFXP(&fxp);

    Plug fresh(doesChunks);
    fresh.ClearRecorders();
    EXPECT_TRUE(fresh.SetProgramFXP(&fxp));
    ExpectNear(source.Values(), fresh.Values());
    EXPECT_EQ(source.GetParam(TypedPlug::kSteps)->Value(),
              fresh.GetParam(TypedPlug::kSteps)->Value());
    EXPECT_STREQ("Bright", fresh.GetPresetName(0));
    ExpectNear(fresh.Values(), SlotValues(fresh, 0)); // the current slot holds it
    EXPECT_EQ(1, fresh.mProgramChangeNotices);
    ASSERT_GE(fresh.mParamChanges.size(), static_cast<size_t>(kNParams));
  }
}

// The name field holds 28 bytes with its terminator.
TEST(ProgramFile, LongPresetNameIsStoredAsItsFirst27Characters)
{
  const std::string name = "abcdefghijklmnopqrstuvwxyz0123"; // 30 characters
  Plug source(false);
  source.ModifyCurrentPreset(name.c_str());
  ByteChunk fxp;
  source.GetProgramFXP(&fxp);
  EXPECT_EQ(name.substr(0, 27) + '\0', NameField(fxp, 28));

  Plug fresh(false);
  ASSERT_TRUE(fresh.SetProgramFXP(&fxp));
  EXPECT_EQ(name.substr(0, 27), fresh.GetPresetName(0));
}

// A name field without a terminator is read up to its end, not beyond.
TEST(ProgramFile, UnterminatedNameFieldIsReadWithinIt)
{
  Plug source(false);
  ByteChunk fxp;
  source.GetProgramFXP(&fxp);
  std::memset(fxp.GetBytes() + 28, 'N', 28);
  Plug fresh(false);
  ASSERT_TRUE(fresh.SetProgramFXP(&fxp));
  EXPECT_EQ(std::string(28, 'N'), fresh.GetPresetName(0));
}

TEST(ProgramFile, NonFiniteValuesLeaveTheirParameters)
{
  const float nanF = std::numeric_limits<float>::quiet_NaN();
  const float infF = std::numeric_limits<float>::infinity();
  for (bool doesChunks : {false, true})
  {
    SCOPED_TRACE(FormName(doesChunks));
    Plug source(doesChunks);
    source.SetNonDefaults();
    ByteChunk fxp;
    source.GetProgramFXP(&fxp);
    if (doesChunks)
    {
      SetLEDouble(fxp, 68 + 8 * TypedPlug::kGain, std::nan(""));
      SetLEDouble(fxp, 68 + 8 * TypedPlug::kCutoff, -std::numeric_limits<double>::infinity());
    }
    else
    {
      SetBEFloat(fxp, 56 + 4 * TypedPlug::kGain, nanF);
      SetBEFloat(fxp, 56 + 4 * TypedPlug::kCutoff, -infF);
    }
    Plug fresh(doesChunks);
    EXPECT_TRUE(fresh.SetProgramFXP(&fxp));
    ExpectNear({1.0, 2, 1, 12, 0.5}, fresh.Values());
  }
}

// Every prefix of a valid file is refused, without reading past its end;
// a refused parameter-form file changes nothing.
TEST(ProgramFile, EveryTruncationIsRefused)
{
  for (bool doesChunks : {false, true})
  {
    SCOPED_TRACE(FormName(doesChunks));
    Plug source(doesChunks);
    source.SetNonDefaults();
    source.ModifyCurrentPreset("Source");
    ByteChunk fxp;
    source.GetProgramFXP(&fxp);
    for (int size = 0; size < fxp.Size(); ++size)
    {
      SCOPED_TRACE(size);
      Plug target(doesChunks);
      target.ClearRecorders();
      const std::vector<double> before = target.Values();
      ByteChunk cut = Prefix(fxp, size);
      EXPECT_FALSE(target.SetProgramFXP(&cut));
      EXPECT_EQ(0, target.mProgramChangeNotices);
      EXPECT_STREQ("Empty", target.GetPresetName(0));
      if (!doesChunks)
      {
        EXPECT_EQ(before, target.Values());
        EXPECT_TRUE(target.mParamChanges.empty());
      }
    }
  }
}

TEST(ProgramFile, ForeignOrMalformedHeaderIsRefused)
{
  struct Case
  {
    const char* what;
    bool doesChunks;
    int offset;
    uint32_t value;
  };
  const Case cases[] = {
      {"chunk magic", false, 0, 0x58585858},
      {"unknown form", false, 8, 0x58585858},
      {"bank form", false, 8, kFxBk},
      {"chunk form for a plug-in without chunks", false, 8, kFPCh},
      {"format version 2", false, 12, 2},
      {"format version 0", false, 12, 0},
      {"another plug-in's ID", false, 16, 0x4F746872},
      {"one parameter more", false, 24, kNParams + 1},
      {"one parameter less", false, 24, kNParams - 1},
      {"negative parameter count", false, 24, 0xFFFFFFFF},
      {"chunk form: chunk magic", true, 0, 0x58585858},
      {"chunk form: unknown form", true, 8, 0x58585858},
      {"chunk form: format version", true, 12, 2},
      {"chunk form: another plug-in's ID", true, 16, 0x4F746872},
      {"chunk form: parameter count", true, 24, kNParams + 1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    Plug source(c.doesChunks);
    source.SetNonDefaults();
    ByteChunk fxp;
    source.GetProgramFXP(&fxp);
    if (c.offset == 8 && c.value == kFPCh)
    {
      // A real chunk-form file, offered to a plug-in that has no chunks.
      Plug chunks(true);
      chunks.SetNonDefaults();
      chunks.GetProgramFXP(&fxp);
    }
    else
    {
      SetBE32(fxp, c.offset, c.value);
    }
    Plug target(c.doesChunks);
    target.ClearRecorders();
    const std::vector<double> before = target.Values();
    EXPECT_FALSE(target.SetProgramFXP(&fxp));
    EXPECT_EQ(before, target.Values());
    EXPECT_EQ(0, target.mProgramChangeNotices);
  }
}

// ---- Bank files -------------------------------------------------------------------

TEST(BankFile, ParameterFormLayout)
{
  TypedPlug plug(4);
  MakeSource(plug);
  ByteChunk fxb;
  plug.GetBankFXB(&fxb);
  ASSERT_EQ(156 + 4 * kProgramParamsSize, fxb.Size());
  EXPECT_EQ(kCcnK, BE32(fxb, 0));
  EXPECT_EQ(0u, BE32(fxb, 4));
  EXPECT_EQ(kFxBk, BE32(fxb, 8));
  EXPECT_EQ(2u, BE32(fxb, 12));
  EXPECT_EQ(static_cast<uint32_t>(BarePlug::kUniqueID), BE32(fxb, 16));
  EXPECT_EQ(10203u, BE32(fxb, 20));
  EXPECT_EQ(4u, BE32(fxb, 24));
  EXPECT_EQ(2u, BE32(fxb, 28));
  for (int i = 32; i < 156; ++i)
  {
    EXPECT_EQ(0, fxb.GetBytes()[i]) << "reserved byte " << i;
  }
  for (int p = 0; p < 4; ++p)
  {
    SCOPED_TRACE(p);
    const int record = 156 + p * kProgramParamsSize;
    EXPECT_EQ(kCcnK, BE32(fxb, record));
    EXPECT_EQ(0u, BE32(fxb, record + 4));
    EXPECT_EQ(kFxCk, BE32(fxb, record + 8));
    EXPECT_EQ(1u, BE32(fxb, record + 12));
    EXPECT_EQ(static_cast<uint32_t>(kNParams), BE32(fxb, record + 24));
    EXPECT_STREQ(plug.GetPresetName(p), NameField(fxb, record + 28).c_str());
    // The slot's stored values, not the live (edited) ones.
    const std::vector<double> stored = SlotValues(plug, p);
    for (int i = 0; i < kNParams; ++i)
    {
      EXPECT_EQ(static_cast<float>(plug.GetParam(i)->GetNormalized(stored[i])),
                BEFloat(fxb, record + 56 + 4 * i))
          << i;
    }
  }
}

TEST(BankFile, ChunkFormLayout)
{
  TypedPlug plug(4, true);
  MakeSource(plug);
  ByteChunk fxb;
  plug.GetBankFXB(&fxb);
  EXPECT_EQ(kCcnK, BE32(fxb, 0));
  EXPECT_EQ(static_cast<uint32_t>(fxb.Size()), BE32(fxb, 4));
  EXPECT_EQ(kFBCh, BE32(fxb, 8));
  EXPECT_EQ(2u, BE32(fxb, 12));
  EXPECT_EQ(2u, BE32(fxb, 28));
  ByteChunk bank;
  InitChunkWithIPlugVer(&bank);
  plug.SerializePresets(&bank);
  EXPECT_EQ(static_cast<uint32_t>(bank.Size()), BE32(fxb, 156));
  ASSERT_EQ(160 + bank.Size(), fxb.Size());
  EXPECT_EQ(0, std::memcmp(bank.GetBytes(), fxb.GetBytes() + 160, bank.Size()));
}

TEST(BankFile, RoundTripIntoAFreshInstance)
{
  for (bool doesChunks : {false, true})
  {
    SCOPED_TRACE(FormName(doesChunks));
    TypedPlug source(4, doesChunks);
    MakeSource(source);
    ByteChunk fxb;
    source.GetBankFXB(&fxb);

    Plug fresh(doesChunks);
    fresh.ClearRecorders();
    EXPECT_TRUE(fresh.SetBankFXB(&fxb));
    EXPECT_EQ(Names(source), Names(fresh));
    for (int p = 0; p < 4; ++p)
    {
      SCOPED_TRACE(p);
      ExpectNear(SlotValues(source, p), SlotValues(fresh, p));
    }
    // The parameter form names the current program; the bank chunk has no
    // such field, so the target keeps its own.
    const int current = doesChunks ? 0 : 2;
    EXPECT_EQ(current, fresh.GetCurrentPresetIdx());
    ExpectNear(SlotValues(source, current), fresh.Values()); // as stored, not as edited
    EXPECT_EQ(1, fresh.mProgramChangeNotices);
  }
}

TEST(BankFile, SmallerBankFillsTheFirstSlots)
{
  TypedPlug source(2);
  source.MakePreset("Bright", 1.5, 2, 1, 12, 0.25);
  source.MakePreset("Dark", 0.5, 1, 0, 3, 0.75);
  ByteChunk fxb;
  source.GetBankFXB(&fxb);
  Plug target(false, 4);
  EXPECT_TRUE(target.SetBankFXB(&fxb));
  EXPECT_EQ((std::vector<std::string>{"Bright", "Dark", "Empty", "Empty"}), Names(target));
  ExpectNear({0.5, 1, 0, 3, 0.75}, SlotValues(target, 1));
  ExpectNear({1.0, 0, 0, 8, 0.5}, SlotValues(target, 2));
}

TEST(BankFile, MoreProgramsThanSlotsIsRefusedBeforeAnythingIsApplied)
{
  TypedPlug source(5);
  source.MakePreset("Bright", 1.5, 2, 1, 12, 0.25);
  source.EnsureDefaultPreset();
  ByteChunk fxb;
  source.GetBankFXB(&fxb);
  Plug target(false, 4);
  target.ClearRecorders();
  EXPECT_FALSE(target.SetBankFXB(&fxb));
  EXPECT_EQ((std::vector<std::string>(4, "Empty")), Names(target));
  ExpectNear({1.0, 0, 0, 8, 0.5}, SlotValues(target, 0));
  EXPECT_TRUE(target.mParamChanges.empty());
  EXPECT_EQ(0, target.mProgramChangeNotices);
}

TEST(BankFile, NonFiniteValueKeepsTheSlotsValue)
{
  TypedPlug source(4);
  MakeSource(source);
  ByteChunk fxb;
  source.GetBankFXB(&fxb);
  SetBEFloat(fxb, 156 + 56 + 4 * TypedPlug::kGain, std::numeric_limits<float>::quiet_NaN());
  Plug target(false);
  EXPECT_TRUE(target.SetBankFXB(&fxb));
  ExpectNear({1.0, 2, 1, 12, 0.25}, SlotValues(target, 0)); // the gain of "Empty"
}

TEST(BankFile, EveryTruncationIsRefused)
{
  for (bool doesChunks : {false, true})
  {
    SCOPED_TRACE(FormName(doesChunks));
    TypedPlug source(4, doesChunks);
    MakeSource(source);
    ByteChunk fxb;
    source.GetBankFXB(&fxb);
    for (int size = 0; size < fxb.Size(); ++size)
    {
      SCOPED_TRACE(size);
      Plug target(doesChunks);
      target.ClearRecorders();
      const std::vector<double> before = target.Values();
      ByteChunk cut = Prefix(fxb, size);
      EXPECT_FALSE(target.SetBankFXB(&cut));
      EXPECT_EQ(0, target.mProgramChangeNotices);
      if (!doesChunks)
      {
        EXPECT_EQ((std::vector<std::string>(4, "Empty")), Names(target));
        EXPECT_EQ(before, target.Values());
      }
    }
  }
}

TEST(BankFile, ForeignOrMalformedIsRefused)
{
  const int record0 = 156;
  const int record1 = 156 + kProgramParamsSize;
  struct Case
  {
    const char* what;
    bool doesChunks;
    int offset;
    uint32_t value;
    bool nothingApplied;
  };
  const Case cases[] = {
      {"chunk magic", false, 0, 0x58585858, true},
      {"unknown form", false, 8, 0x58585858, true},
      {"program form", false, 8, kFxCk, true},
      {"chunk form for a plug-in without chunks", false, 8, kFBCh, true},
      {"another plug-in's ID", false, 16, 0x4F746872, true},
      {"more programs than slots", false, 24, 5, true},
      {"negative program count", false, 24, 0xFFFFFFFF, true},
      {"absurd program count", false, 24, 0x7FFFFFFF, true},
      {"first record's magic", false, record0, 0x58585858, true},
      {"first record's form", false, record0 + 8, kFPCh, true},
      {"first record's version", false, record0 + 12, 2, true},
      {"first record's parameter count", false, record0 + 24, kNParams + 1, true},
      // A broken record further in is found after the records before it.
      {"second record's magic", false, record1, 0x58585858, false},
      {"second record's parameter count", false, record1 + 24, kNParams - 1, false},
      {"chunk form: chunk magic", true, 0, 0x58585858, true},
      {"chunk form: unknown form", true, 8, 0x58585858, true},
      {"chunk form: another plug-in's ID", true, 16, 0x4F746872, true},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    TypedPlug source(4, c.doesChunks);
    MakeSource(source);
    ByteChunk fxb;
    source.GetBankFXB(&fxb);
    SetBE32(fxb, c.offset, c.value);
    Plug target(c.doesChunks);
    target.ClearRecorders();
    const std::vector<double> before = target.Values();
    EXPECT_FALSE(target.SetBankFXB(&fxb));
    EXPECT_EQ(0, target.mProgramChangeNotices);
    if (c.nothingApplied)
    {
      EXPECT_EQ((std::vector<std::string>(4, "Empty")), Names(target));
      EXPECT_EQ(before, target.Values());
    }
  }
}

// ---- Through the editor's file prompt ---------------------------------------------

TEST(PresetFileDialogs, WithoutAnEditorNothingIsAsked)
{
  Plug plug(false);
  EXPECT_FALSE(plug.SaveProgramAsFXP("x.fxp"));
  EXPECT_FALSE(plug.SaveBankAsFXB("x.fxb"));
  EXPECT_FALSE(plug.LoadProgramFromFXP());
  EXPECT_FALSE(plug.LoadBankFromFXB());
}

TEST(PresetFileDialogs, ProgramSavedAndLoadedThroughThePrompt)
{
  TempFile file(".fxp");
  Plug source(false);
  FakeGraphics* gui = new FakeGraphics;
  source.AttachGraphics(gui);
  source.SetNonDefaults();
  gui->mAnswer = file.path();
  ASSERT_TRUE(source.SaveProgramAsFXP("Bright.fxp"));
  ASSERT_EQ(1u, gui->mPrompts.size());
  EXPECT_EQ("Bright.fxp", gui->mPrompts[0].file);
  EXPECT_EQ(IGraphicsInterface::kFileSave, gui->mPrompts[0].action);
  EXPECT_EQ("fxp", gui->mPrompts[0].extensions);
  ByteChunk expected;
  source.GetProgramFXP(&expected);
  EXPECT_EQ(AsString(expected), ReadWholeFile(file.path()));

  Plug target(false);
  FakeGraphics* targetGui = new FakeGraphics;
  target.AttachGraphics(targetGui);
  targetGui->mAnswer = file.path();
  EXPECT_TRUE(target.LoadProgramFromFXP());
  ASSERT_EQ(1u, targetGui->mPrompts.size());
  EXPECT_EQ(IGraphicsInterface::kFileOpen, targetGui->mPrompts[0].action);
  EXPECT_EQ("fxp", targetGui->mPrompts[0].extensions);
  ExpectNear(source.Values(), target.Values());
}

TEST(PresetFileDialogs, BankSavedAndLoadedThroughThePrompt)
{
  for (bool doesChunks : {false, true})
  {
    SCOPED_TRACE(FormName(doesChunks));
    TempFile file(".fxb");
    TypedPlug source(4, doesChunks);
    MakeSource(source);
    FakeGraphics* gui = new FakeGraphics;
    source.AttachGraphics(gui);
    gui->mAnswer = file.path();
    ASSERT_TRUE(source.SaveBankAsFXB("Bank.fxb"));
    EXPECT_EQ("fxb", gui->mPrompts[0].extensions);
    EXPECT_EQ(IGraphicsInterface::kFileSave, gui->mPrompts[0].action);

    Plug target(doesChunks);
    FakeGraphics* targetGui = new FakeGraphics;
    target.AttachGraphics(targetGui);
    targetGui->mAnswer = file.path();
    EXPECT_TRUE(target.LoadBankFromFXB());
    EXPECT_EQ("fxb", targetGui->mPrompts[0].extensions);
    EXPECT_EQ(Names(source), Names(target));
  }
}

TEST(PresetFileDialogs, MissingOrBrokenFilesAreRefused)
{
  TempFile missing(".fxp");
  TempFile broken(".fxb");
  Plug source(false);
  ByteChunk fxb;
  source.GetBankFXB(&fxb);
  WriteWholeFile(broken.path(), AsString(fxb).substr(0, 200));

  Plug plug(false);
  FakeGraphics* gui = new FakeGraphics;
  plug.AttachGraphics(gui);
  gui->mAnswer = missing.path();
  EXPECT_FALSE(plug.LoadProgramFromFXP());
  gui->mAnswer = broken.path();
  EXPECT_FALSE(plug.LoadBankFromFXB());
  gui->mAnswer = "";
  EXPECT_FALSE(plug.LoadProgramFromFXP());
  EXPECT_FALSE(plug.SaveBankAsFXB(""));
  EXPECT_EQ(4u, gui->mPrompts.size());
}

// The folder a prompt ends in is where the next one starts.
TEST(PresetFileDialogs, PreviousFolderIsRemembered)
{
  TempFile file(".fxp");
  Plug plug(false);
  FakeGraphics* gui = new FakeGraphics;
  plug.AttachGraphics(gui);
  gui->mAnswer = file.path();
  gui->mNewDir = "chosen-folder";
  ASSERT_TRUE(plug.SaveProgramAsFXP("a.fxp"));
  gui->mNewDir.clear();
  ASSERT_TRUE(plug.LoadProgramFromFXP());
  ASSERT_EQ(2u, gui->mPrompts.size());
  EXPECT_EQ("", gui->mPrompts[0].dir);
  EXPECT_EQ("chosen-folder", gui->mPrompts[1].dir);
}

TEST(PresetFileDialogs, CancelledLoadReadsNothing)
{
  Plug plug(false);
  FakeGraphics* gui = new FakeGraphics;
  plug.AttachGraphics(gui);
  gui->mCancel = true;
  EXPECT_FALSE(plug.LoadProgramFromFXP());
  EXPECT_FALSE(plug.LoadBankFromFXB());
  EXPECT_EQ(2u, gui->mPrompts.size());
}

// A cancelled save dialog leaves the file argument as it was, which for a
// save is the proposed name; the save must still not happen.
TEST(PresetFileDialogs, CancelledSaveWritesNothing)
{
  TempFile proposed(".fxp");
  TempFile proposedBank(".fxb");
  Plug plug(false);
  FakeGraphics* gui = new FakeGraphics;
  plug.AttachGraphics(gui);
  gui->mCancel = true;
  EXPECT_FALSE(plug.SaveProgramAsFXP(proposed.c_str()));
  EXPECT_FALSE(proposed.Exists());
  EXPECT_FALSE(plug.SaveBankAsFXB(proposedBank.c_str()));
  EXPECT_FALSE(proposedBank.Exists());
}

// The file dialog is modal and may stay open for minutes: the audio thread
// must go on meanwhile, so none of the four operations holds the plug-in's
// lock while its dialog is open. The dialog here tries the lock from
// another thread, as the audio thread would.
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

TEST(PresetFileDialogs, ThePluginLockIsFreeWhileTheDialogIsOpen)
{
  TempFile fxp(".fxp");
  TempFile fxb(".fxb");
  for (bool doesChunks : {false, true})
  {
    Plug plug(doesChunks);
    LockProbeGraphics* gui = new LockProbeGraphics(&plug);
    plug.AttachGraphics(gui);
    gui->mAnswer = fxp.path();
    EXPECT_TRUE(plug.SaveProgramAsFXP("a.fxp"));
    EXPECT_TRUE(plug.LoadProgramFromFXP());
    gui->mAnswer = fxb.path();
    EXPECT_TRUE(plug.SaveBankAsFXB("a.fxb"));
    EXPECT_TRUE(plug.LoadBankFromFXB());
    gui->Join();
    EXPECT_EQ((std::vector<bool>{true, true, true, true}), gui->mLockFree)
        << FormName(doesChunks) << ": save program, load program, save bank, load bank";
  }
}

// ---- Source dumps -----------------------------------------------------------------

TEST(PresetDumps, SourceCodeLineOfTheCurrentState)
{
  TempFile file(".txt");
  TypedPlug plug;
  plug.SetNonDefaults();
  const char* const names[] = {"kGain", "kMode", "kBypass", "kSteps", "kCutoff"};
  ASSERT_TRUE(plug.DumpPresetSrcCode(file.c_str(), names));
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
  plug.MakePreset("Bright", 1.5, 2, 1, 12, 0.25);
  const ByteChunk& chunk = plug.GetPreset(0)->mChunk;
  std::string text(static_cast<size_t>(4 * ((chunk.Size() + 2) / 3) + 1), '\0');
  base64encode(chunk.GetBytes(), &text[0], chunk.Size());
  text.resize(std::strlen(text.c_str()));
  ASSERT_TRUE(plug.DumpPresetBlob(file.c_str()));
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
  plug.MakeDefaultPreset("Big", 1);
  ASSERT_TRUE(plug.DumpPresetBlob(file.c_str()));

  const std::string line = ReadTextFile(file.path());
  const std::string head = "MakePresetFromBlob(\"name\", \"";
  ASSERT_EQ(0u, line.find(head));
  const size_t blobEnd = line.find('"', head.size());
  ASSERT_NE(std::string::npos, blobEnd);
  const std::string blob = line.substr(head.size(), blobEnd - head.size());
  EXPECT_EQ("\", 2440);\n", line.substr(blobEnd));

  TypedPlug fresh(2, false, extra);
  fresh.MakePresetFromBlob("Big", blob.c_str(), 2440);
  ASSERT_TRUE(fresh.RestorePreset(0));
  EXPECT_EQ(plug.Values(), fresh.Values());
}

TEST(PresetDumps, UnwritablePathIsReported)
{
  TempFile dir(".d");
  const std::string path = dir.path() + "/no-such-folder/dump.txt";
  TypedPlug plug;
  plug.MakeDefaultPreset();
  EXPECT_FALSE(plug.DumpPresetSrcCode(path.c_str(), nullptr));
  EXPECT_FALSE(plug.DumpPresetBlob(path.c_str()));
  EXPECT_FALSE(plug.DumpPresetBlob(nullptr));
}
