#include "BarePlug.h"
#include "Base64.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{

const std::vector<double> kDefaults = {1.0, 0, 0, 8, 0.5};
} // namespace

// ---- Making presets -----------------------------------------------------------

// Bool, int and enum values travel through the argument list as ints, the
// rest as doubles; reading one as the other garbles every value after it.
TEST(IPlugPresets, MakePresetReadsEachValueByParameterKind)
{
  TypedPlug plug;
  plug.MakePreset("First", 1.5, 2, 1, 12, 0.25);
  plug.MakePreset("Second", 0.5, 1, 0, 3, 0.75);
  EXPECT_TRUE(plug.GetPreset(0)->mInitialized);
  EXPECT_STREQ("First", plug.GetPresetName(0));
  EXPECT_EQ((std::vector<double>{1.5, 2, 1, 12, 0.25}), ChunkDoubles(plug.GetPreset(0)->mChunk));
  EXPECT_EQ((std::vector<double>{0.5, 1, 0, 3, 0.75}), ChunkDoubles(plug.GetPreset(1)->mChunk));
  EXPECT_FALSE(plug.GetPreset(2)->mInitialized);
  EXPECT_EQ(kDefaults, plug.Values()); // making a preset does not load it
}

TEST(IPlugPresets, MakePresetWithEverySlotTakenChangesNothing)
{
  TypedPlug plug(1);
  plug.MakePreset("Only", 1.5, 2, 1, 12, 0.25);
  plug.MakePreset("Extra", 0.5, 1, 0, 3, 0.75);
  EXPECT_EQ(1, plug.NPresets());
  EXPECT_STREQ("Only", plug.GetPresetName(0));
  EXPECT_EQ((std::vector<double>{1.5, 2, 1, 12, 0.25}), ChunkDoubles(plug.GetPreset(0)->mChunk));
}

TEST(IPlugPresets, NamedParamsOverrideOnlyTheirParameters)
{
  TypedPlug plug;
  plug.GetParam(TypedPlug::kSteps)->Set(5);
  plug.MakePresetFromNamedParams("x", 1, TypedPlug::kCutoff, 0.25);
  EXPECT_EQ((std::vector<double>{1.0, 0, 0, 5, 0.25}), ChunkDoubles(plug.GetPreset(0)->mChunk));

  plug.MakePresetFromNamedParams("y", 3, TypedPlug::kSteps, 12, TypedPlug::kGain, 1.75,
                                 TypedPlug::kBypass, 1);
  EXPECT_EQ((std::vector<double>{1.75, 0, 1, 12, 0.5}), ChunkDoubles(plug.GetPreset(1)->mChunk));
  EXPECT_STREQ("y", plug.GetPresetName(1));
}

TEST(IPlugPresets, NamedParamWithAnUnknownIndexIsSkipped)
{
  TypedPlug plug;
  plug.MakePresetFromNamedParams("x", 3, 99, 0.5, -1, 0.5, TypedPlug::kGain, 1.25);
  EXPECT_EQ((std::vector<double>{1.25, 0, 0, 8, 0.5}), ChunkDoubles(plug.GetPreset(0)->mChunk));
}

TEST(IPlugPresets, PresetFromChunkAndFromBlob)
{
  TypedPlug plug;
  plug.SetNonDefaults();
  ByteChunk state;
  plug.SerializeState(&state);
  plug.MakePresetFromChunk("Chunk", &state);

  std::string blob(static_cast<size_t>(4 * ((state.Size() + 2) / 3) + 1), '\0');
  base64encode(state.GetBytes(), &blob[0], state.Size());
  plug.MakePresetFromBlob("Blob", blob.c_str(), state.Size());
  // A declared size beyond the blob's bytes leaves zeros after them; one
  // below it takes only that many bytes.
  plug.MakePresetFromBlob("Longer", blob.c_str(), state.Size() + 8);
  plug.MakePresetFromBlob("Shorter", blob.c_str(), 8);

  const std::vector<double> values = plug.Values();
  EXPECT_EQ(values, ChunkDoubles(plug.GetPreset(0)->mChunk));
  EXPECT_EQ(values, ChunkDoubles(plug.GetPreset(1)->mChunk));
  std::vector<double> longer = values;
  longer.push_back(0.0);
  EXPECT_EQ(longer, ChunkDoubles(plug.GetPreset(2)->mChunk));
  EXPECT_EQ(std::vector<double>{values[0]}, ChunkDoubles(plug.GetPreset(3)->mChunk));
  EXPECT_EQ((std::vector<std::string>{"Chunk", "Blob", "Longer", "Shorter"}), Names(plug));
}

TEST(IPlugPresets, DefaultPresetsHoldTheCurrentState)
{
  TypedPlug plug(5);
  plug.MakePreset("Factory", 1.5, 2, 1, 12, 0.25);
  plug.MakeDefaultPreset(); // one, named "Empty"
  plug.MakeDefaultPreset("Init", 2);
  plug.GetParam(TypedPlug::kSteps)->Set(3);
  plug.EnsureDefaultPreset(); // only the last slot is left
  plug.EnsureDefaultPreset(); // nothing left
  EXPECT_EQ((std::vector<std::string>{"Factory", "Empty", "Init", "Init", "Empty"}), Names(plug));
  for (int i = 1; i < 4; ++i)
  {
    EXPECT_EQ(kDefaults, ChunkDoubles(plug.GetPreset(i)->mChunk)) << i;
  }
  EXPECT_EQ((std::vector<double>{1.0, 0, 0, 3, 0.5}), ChunkDoubles(plug.GetPreset(4)->mChunk));
  EXPECT_TRUE(plug.GetPreset(4)->mInitialized);
}

TEST(IPlugPresets, PruneDeletesOnlyUnfilledSlots)
{
  TypedPlug plug(5);
  plug.MakePreset("A", 1.5, 2, 1, 12, 0.25);
  plug.RestorePreset(2); // fills slot 2 as a user preset
  plug.GetPreset(4)->mInitialized = true;
  std::strcpy(plug.GetPreset(4)->mName, "E");
  plug.PruneUninitializedPresets();
  EXPECT_EQ((std::vector<std::string>{"A", "user preset 1", "E"}), Names(plug));
}

// ---- Restoring and modifying ------------------------------------------------------

TEST(IPlugPresets, RestoreByIndexLoadsAndAnnounces)
{
  TypedPlug plug;
  FakeGraphics* gui = new FakeGraphics;
  plug.AttachGraphics(gui);
  plug.MakePreset("A", 1.5, 2, 1, 12, 0.25);
  plug.MakePreset("B", 0.5, 1, 0, 3, 0.75);
  gui->mFromPlug.clear();

  EXPECT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(1, plug.GetCurrentPresetIdx());
  EXPECT_EQ((std::vector<double>{0.5, 1, 0, 3, 0.75}), plug.Values());
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), plug.mParamChanges);
  EXPECT_EQ(1, plug.mPresetsChangedNotices);
  ASSERT_EQ(5u, gui->mFromPlug.size()); // the editor follows
  EXPECT_EQ(3.0, gui->mFromPlug[TypedPlug::kSteps].value);
  EXPECT_FALSE(gui->mFromPlug[TypedPlug::kSteps].normalized);

  plug.ClearRecorders();
  EXPECT_FALSE(plug.RestorePreset(4));
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_EQ(1, plug.GetCurrentPresetIdx());
  EXPECT_EQ(0, plug.mPresetsChangedNotices);
  EXPECT_TRUE(plug.mParamChanges.empty());
}

// An unfilled slot cannot be loaded: restoring it makes it a user preset
// holding the current state, numbered after the user presets already there.
TEST(IPlugPresets, RestoringAnUnfilledSlotStoresTheCurrentState)
{
  TypedPlug plug;
  plug.MakePreset("A", 1.5, 2, 1, 12, 0.25);
  plug.GetParam(TypedPlug::kSteps)->Set(4);
  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ("user preset 1", plug.GetPresetName(2));
  EXPECT_TRUE(plug.GetPreset(2)->mInitialized);
  EXPECT_EQ((std::vector<double>{1.0, 0, 0, 4, 0.5}), ChunkDoubles(plug.GetPreset(2)->mChunk));
  EXPECT_EQ(2, plug.GetCurrentPresetIdx());
  EXPECT_EQ(4.0, plug.GetParam(TypedPlug::kSteps)->Value());

  EXPECT_TRUE(plug.RestorePreset(1));
  EXPECT_STREQ("user preset 2", plug.GetPresetName(1));
}

TEST(IPlugPresets, RestoreByExactName)
{
  TypedPlug plug;
  plug.MakePreset("Bright", 1.5, 2, 1, 12, 0.25);
  plug.MakePreset("Dark", 0.5, 1, 0, 3, 0.75);
  plug.MakePreset("Dark", 0.1, 0, 0, 1, 0.1);

  EXPECT_TRUE(plug.RestorePreset("Dark"));
  EXPECT_EQ(1, plug.GetCurrentPresetIdx()); // the first slot of that name
  EXPECT_EQ(3.0, plug.GetParam(TypedPlug::kSteps)->Value());

  const char* misses[] = {"dark", "Dar", "Dark ", "", nullptr, "Nowhere"};
  for (const char* name : misses)
  {
    EXPECT_FALSE(plug.RestorePreset(name)) << (name ? name : "(null)");
  }
  EXPECT_EQ(1, plug.GetCurrentPresetIdx());
}

TEST(IPlugPresets, PresetNameOutOfRangeIsEmpty)
{
  TypedPlug plug(2);
  EXPECT_STREQ("empty", plug.GetPresetName(1));
  EXPECT_STREQ("", plug.GetPresetName(2));
  EXPECT_STREQ("", plug.GetPresetName(-1));
}

TEST(IPlugPresets, ModifyCurrentPresetStoresTheStateAndOptionallyRenames)
{
  TypedPlug plug;
  plug.MakePreset("A", 1.5, 2, 1, 12, 0.25);
  plug.MakePreset("B", 0.5, 1, 0, 3, 0.75);
  plug.RestorePreset(1);
  plug.GetParam(TypedPlug::kSteps)->Set(7);

  plug.ModifyCurrentPreset();
  EXPECT_STREQ("B", plug.GetPresetName(1));
  EXPECT_EQ((std::vector<double>{0.5, 1, 0, 7, 0.75}), ChunkDoubles(plug.GetPreset(1)->mChunk));
  plug.ModifyCurrentPreset("");
  EXPECT_STREQ("B", plug.GetPresetName(1));
  plug.ModifyCurrentPreset("Renamed");
  EXPECT_STREQ("Renamed", plug.GetPresetName(1));
  EXPECT_EQ((std::vector<double>{1.5, 2, 1, 12, 0.25}), ChunkDoubles(plug.GetPreset(0)->mChunk));

  const std::string longName(400, 'n');
  plug.ModifyCurrentPreset(longName.c_str());
  EXPECT_EQ(std::string(MAX_PRESET_NAME_LEN - 1, 'n'), plug.GetPresetName(1));
}

TEST(IPlugPresets, ModifyingAnUnfilledSlotLeavesItUnfilled)
{
  TypedPlug plug;
  plug.ModifyCurrentPreset("Scratch");
  EXPECT_FALSE(plug.GetPreset(0)->mInitialized);
  EXPECT_STREQ("Scratch", plug.GetPresetName(0));
  EXPECT_EQ(kDefaults, ChunkDoubles(plug.GetPreset(0)->mChunk));
}

// ---- Bank form --------------------------------------------------------------------

TEST(IPlugPresets, BankFormIsNameFlagAndStatePerSlot)
{
  TypedPlug plug(3);
  plug.MakePreset("A", 1.5, 2, 1, 12, 0.25);
  ByteChunk bank;
  EXPECT_TRUE(plug.SerializePresets(&bank));
  // "A": 4 + 1 + 1 + 40; "empty" twice: 4 + 5 + 1, no state.
  ASSERT_EQ(46 + 10 + 10, bank.Size());
  WDL_String name;
  bool initialized = false;
  int pos = bank.GetStr(&name, 0);
  pos = bank.GetBool(&initialized, pos);
  EXPECT_STREQ("A", name.Get());
  EXPECT_TRUE(initialized);
  double gain = 0;
  pos = bank.Get(&gain, pos);
  EXPECT_EQ(1.5, gain);
  pos = bank.GetStr(&name, pos + 32);
  pos = bank.GetBool(&initialized, pos);
  EXPECT_STREQ("empty", name.Get());
  EXPECT_FALSE(initialized);
}

TEST(IPlugPresets, BankRoundTripIntoAFreshInstance)
{
  TypedPlug source(4);
  source.MakePreset("A", 1.5, 2, 1, 12, 0.25);
  source.MakePreset("B", 0.5, 1, 0, 3, 0.75);
  source.MakePreset("C", 0.1, 0, 1, 16, 0.9);
  ByteChunk bank;
  source.SerializePresets(&bank);

  TypedPlug fresh(4);
  EXPECT_EQ(bank.Size(), fresh.UnserializePresets(&bank, 0));
  EXPECT_EQ((std::vector<std::string>{"A", "B", "C", "empty"}), Names(fresh));
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(source.GetPreset(i)->mInitialized, fresh.GetPreset(i)->mInitialized) << i;
    EXPECT_EQ(ChunkDoubles(source.GetPreset(i)->mChunk), ChunkDoubles(fresh.GetPreset(i)->mChunk))
        << i;
  }
  // The live parameters end as the current preset, not the last one read.
  EXPECT_EQ(0, fresh.GetCurrentPresetIdx());
  EXPECT_EQ((std::vector<double>{1.5, 2, 1, 12, 0.25}), fresh.Values());
}

TEST(IPlugPresets, TruncatedBankFailsAtEveryLength)
{
  TypedPlug source(3);
  source.MakePreset("A", 1.5, 2, 1, 12, 0.25);
  source.MakePreset("B", 0.5, 1, 0, 3, 0.75);
  ByteChunk bank;
  source.SerializePresets(&bank);
  for (int size = 0; size < bank.Size(); ++size)
  {
    ByteChunk cut;
    cut.PutBytes(bank.GetBytes(), size);
    TypedPlug fresh(3);
    EXPECT_EQ(-1, fresh.UnserializePresets(&cut, 0)) << size;
  }
}

TEST(IPlugPresets, BankWithABrokenNameLengthFails)
{
  ByteChunk bank;
  int32_t hugeLength = 0x7FFFFFF0;
  bank.Put(&hugeLength);
  bank.PutBytes("abc", 3);
  TypedPlug fresh(2);
  fresh.EnsureDefaultPreset();
  fresh.SetNonDefaults();
  EXPECT_EQ(-1, fresh.UnserializePresets(&bank, 0));
  EXPECT_EQ((std::vector<std::string>{"Empty", "Empty"}), Names(fresh));
}

// A bank may mark a slot empty that still holds an older state; choosing it
// stores the current state in its place. Appending after the old one made
// the slot reload the old state and broke the bank form written from it.
TEST(IPlugPresets, EmptiedSlotTakesTheCurrentStateInPlaceOfItsOldOne)
{
  TypedPlug plug(2);
  plug.EnsureDefaultPreset();
  ByteChunk bank;
  bank.PutStr("First");
  bank.PutBool(true);
  plug.SerializeState(&bank);
  bank.PutStr("Second");
  bank.PutBool(false);
  EXPECT_EQ(bank.Size(), plug.UnserializePresets(&bank, 0));

  plug.GetParam(TypedPlug::kSteps)->Set(3.0);
  ASSERT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(static_cast<size_t>(plug.NParams()), ChunkDoubles(plug.GetPreset(1)->mChunk).size());
  plug.GetParam(TypedPlug::kSteps)->Set(9.0);
  ASSERT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(3.0, plug.GetParam(TypedPlug::kSteps)->Value());

  ByteChunk written;
  plug.SerializePresets(&written);
  TypedPlug fresh(2);
  EXPECT_EQ(written.Size(), fresh.UnserializePresets(&written, 0));
}
