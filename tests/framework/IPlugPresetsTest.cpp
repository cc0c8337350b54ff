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

// A plug-in whose state grew: its earlier version (TypedPlug) stored the five
// typed values, this one two more doubles after them, which it reads only
// from a state that has them.
class GrownPlug : public TypedPlug
{
public:
  explicit GrownPlug(int nPresets, bool doesChunks = false)
      : TypedPlug(nPresets, doesChunks, kAdded)
  {
  }
  static constexpr int kAdded = 2;

  int StateBytesOlderVersionsRead() const override { return 8 * kNumParams; }
  int UnserializeState(const ByteChunk* chunk, int startPos) override
  {
    int pos = startPos;
    for (int i = 0; i < NParams() && pos >= 0; ++i)
    {
      double value = GetParam(i)->GetDefault();
      if (i < kNumParams || pos < chunk->Size())
      {
        pos = chunk->Get(&value, pos);
      }
      if (pos >= 0)
      {
        GetParam(i)->Set(value);
      }
    }
    OnParamReset();
    return pos;
  }
};

// Every slot filled and named, each with values of its own, the added ones
// included; slot 1 current.
template <class Plug> void FillSlots(Plug& plug)
{
  plug.Presets().EnsureDefaultPreset();
  for (int slot = plug.Presets().NPresets() - 1; slot >= 0; --slot)
  {
    plug.Presets().RestorePreset(slot);
    plug.SetNonDefaults();
    plug.GetParam(TypedPlug::kSteps)->Set(2 + slot);
    for (int i = TypedPlug::kNumParams; i < plug.NParams(); ++i)
    {
      plug.GetParam(i)->Set(10.0 * slot + i);
    }
    plug.Presets().ModifyCurrentPreset(("Slot " + std::to_string(slot)).c_str());
  }
  plug.Presets().RestorePreset(1);
}

std::vector<double> Resized(std::vector<double> values, int size)
{
  values.resize(static_cast<size_t>(size), 0.0); // 0: the added parameters' default
  return values;
}

// The two ways a bank travels: as the host's bank chunk, and inside a bank
// file of state chunks.
struct BankCarrier
{
  const char* what;
  ByteChunk (*write)(TypedPlug& plug);
  bool (*read)(TypedPlug& plug, const ByteChunk& bank); // true when it loaded
};

const BankCarrier kBankCarriers[] = {
    {"bank chunk",
     [](TypedPlug& plug)
     {
       ByteChunk bank;
       plug.Presets().SerializePresets(&bank);
       return bank;
     },
     [](TypedPlug& plug, const ByteChunk& bank)
     { return plug.Presets().UnserializePresets(&bank, 0) >= 0; }},
    {"bank file of state chunks",
     [](TypedPlug& plug)
     {
       ByteChunk fxb;
       plug.Presets().GetBankFXB(&fxb);
       return fxb;
     },
     [](TypedPlug& plug, const ByteChunk& fxb) { return plug.Presets().SetBankFXB(&fxb); }},
};
} // namespace

// ---- Making presets -----------------------------------------------------------

// Bool, int and enum values travel through the argument list as ints, the
// rest as doubles; reading one as the other garbles every value after it.
TEST(IPlugPresets, MakePresetReadsEachValueByParameterKind)
{
  TypedPlug plug;
  plug.Presets().MakePreset("First", 1.5, 2, 1, 12, 0.25);
  plug.Presets().MakePreset("Second", 0.5, 1, 0, 3, 0.75);
  EXPECT_TRUE(plug.Presets().GetPreset(0)->mInitialized);
  EXPECT_STREQ("First", plug.Presets().GetPresetName(0));
  EXPECT_EQ((std::vector<double>{1.5, 2, 1, 12, 0.25}),
            ChunkDoubles(plug.Presets().GetPreset(0)->mChunk));
  EXPECT_EQ((std::vector<double>{0.5, 1, 0, 3, 0.75}),
            ChunkDoubles(plug.Presets().GetPreset(1)->mChunk));
  EXPECT_FALSE(plug.Presets().GetPreset(2)->mInitialized);
  EXPECT_EQ(kDefaults, plug.Values()); // making a preset does not load it
}

TEST(IPlugPresets, MakePresetWithEverySlotTakenChangesNothing)
{
  TypedPlug plug(1);
  plug.Presets().MakePreset("Only", 1.5, 2, 1, 12, 0.25);
  plug.Presets().MakePreset("Extra", 0.5, 1, 0, 3, 0.75);
  EXPECT_EQ(1, plug.Presets().NPresets());
  EXPECT_STREQ("Only", plug.Presets().GetPresetName(0));
  EXPECT_EQ((std::vector<double>{1.5, 2, 1, 12, 0.25}),
            ChunkDoubles(plug.Presets().GetPreset(0)->mChunk));
}

TEST(IPlugPresets, NamedParamsOverrideOnlyTheirParameters)
{
  TypedPlug plug;
  plug.GetParam(TypedPlug::kSteps)->Set(5);
  plug.Presets().MakePresetFromNamedParams("x", 1, TypedPlug::kCutoff, 0.25);
  EXPECT_EQ((std::vector<double>{1.0, 0, 0, 5, 0.25}),
            ChunkDoubles(plug.Presets().GetPreset(0)->mChunk));

  plug.Presets().MakePresetFromNamedParams("y", 3, TypedPlug::kSteps, 12, TypedPlug::kGain, 1.75,
                                           TypedPlug::kBypass, 1);
  EXPECT_EQ((std::vector<double>{1.75, 0, 1, 12, 0.5}),
            ChunkDoubles(plug.Presets().GetPreset(1)->mChunk));
  EXPECT_STREQ("y", plug.Presets().GetPresetName(1));
}

TEST(IPlugPresets, NamedParamWithAnUnknownIndexIsSkipped)
{
  TypedPlug plug;
  plug.Presets().MakePresetFromNamedParams("x", 3, 99, 0.5, -1, 0.5, TypedPlug::kGain, 1.25);
  EXPECT_EQ((std::vector<double>{1.25, 0, 0, 8, 0.5}),
            ChunkDoubles(plug.Presets().GetPreset(0)->mChunk));
}

TEST(IPlugPresets, PresetFromChunkAndFromBlob)
{
  TypedPlug plug;
  plug.SetNonDefaults();
  ByteChunk state;
  plug.SerializeState(&state);
  plug.Presets().MakePresetFromChunk("Chunk", &state);

  std::string blob(static_cast<size_t>(4 * ((state.Size() + 2) / 3) + 1), '\0');
  base64encode(state.GetBytes(), &blob[0], state.Size());
  plug.Presets().MakePresetFromBlob("Blob", blob.c_str(), state.Size());
  // A declared size beyond the blob's bytes leaves zeros after them; one
  // below it takes only that many bytes.
  plug.Presets().MakePresetFromBlob("Longer", blob.c_str(), state.Size() + 8);
  plug.Presets().MakePresetFromBlob("Shorter", blob.c_str(), 8);

  const std::vector<double> values = plug.Values();
  EXPECT_EQ(values, ChunkDoubles(plug.Presets().GetPreset(0)->mChunk));
  EXPECT_EQ(values, ChunkDoubles(plug.Presets().GetPreset(1)->mChunk));
  std::vector<double> longer = values;
  longer.push_back(0.0);
  EXPECT_EQ(longer, ChunkDoubles(plug.Presets().GetPreset(2)->mChunk));
  EXPECT_EQ(std::vector<double>{values[0]}, ChunkDoubles(plug.Presets().GetPreset(3)->mChunk));
  EXPECT_EQ((std::vector<std::string>{"Chunk", "Blob", "Longer", "Shorter"}), Names(plug));
}

TEST(IPlugPresets, DefaultPresetsHoldTheCurrentState)
{
  TypedPlug plug(5);
  plug.Presets().MakePreset("Factory", 1.5, 2, 1, 12, 0.25);
  plug.Presets().MakeDefaultPreset(); // one, named "Empty"
  plug.Presets().MakeDefaultPreset("Init", 2);
  plug.GetParam(TypedPlug::kSteps)->Set(3);
  plug.Presets().EnsureDefaultPreset(); // only the last slot is left
  plug.Presets().EnsureDefaultPreset(); // nothing left
  EXPECT_EQ((std::vector<std::string>{"Factory", "Empty", "Init", "Init", "Empty"}), Names(plug));
  for (int i = 1; i < 4; ++i)
  {
    EXPECT_EQ(kDefaults, ChunkDoubles(plug.Presets().GetPreset(i)->mChunk)) << i;
  }
  EXPECT_EQ((std::vector<double>{1.0, 0, 0, 3, 0.5}),
            ChunkDoubles(plug.Presets().GetPreset(4)->mChunk));
  EXPECT_TRUE(plug.Presets().GetPreset(4)->mInitialized);
}

TEST(IPlugPresets, PruneDeletesOnlyUnfilledSlots)
{
  TypedPlug plug(5);
  plug.Presets().MakePreset("A", 1.5, 2, 1, 12, 0.25);
  plug.Presets().RestorePreset(2); // fills slot 2 as a user preset
  plug.Presets().GetPreset(4)->mInitialized = true;
  std::strcpy(plug.Presets().GetPreset(4)->mName, "E");
  plug.Presets().PruneUninitializedPresets();
  EXPECT_EQ((std::vector<std::string>{"A", "user preset 1", "E"}), Names(plug));
}

// ---- Restoring and modifying ------------------------------------------------------

TEST(IPlugPresets, RestoreByIndexLoadsAndAnnounces)
{
  TypedPlug plug;
  FakeGraphics* gui = new FakeGraphics;
  plug.AttachGraphics(gui);
  plug.Presets().MakePreset("A", 1.5, 2, 1, 12, 0.25);
  plug.Presets().MakePreset("B", 0.5, 1, 0, 3, 0.75);
  gui->mFromPlug.clear();

  EXPECT_TRUE(plug.Presets().RestorePreset(1));
  EXPECT_EQ(1, plug.Presets().GetCurrentPresetIdx());
  EXPECT_EQ((std::vector<double>{0.5, 1, 0, 3, 0.75}), plug.Values());
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), plug.mParamChanges);
  EXPECT_EQ(1, plug.mPresetsChangedNotices);
  ASSERT_EQ(5u, gui->mFromPlug.size()); // the editor follows
  EXPECT_EQ(3.0, gui->mFromPlug[TypedPlug::kSteps].value);
  EXPECT_FALSE(gui->mFromPlug[TypedPlug::kSteps].normalized);

  plug.ClearRecorders();
  EXPECT_FALSE(plug.Presets().RestorePreset(4));
  EXPECT_FALSE(plug.Presets().RestorePreset(-1));
  EXPECT_EQ(1, plug.Presets().GetCurrentPresetIdx());
  EXPECT_EQ(0, plug.mPresetsChangedNotices);
  EXPECT_TRUE(plug.mParamChanges.empty());
}

// An unfilled slot cannot be loaded: restoring it makes it a user preset
// holding the current state, numbered after the user presets already there.
TEST(IPlugPresets, RestoringAnUnfilledSlotStoresTheCurrentState)
{
  TypedPlug plug;
  plug.Presets().MakePreset("A", 1.5, 2, 1, 12, 0.25);
  plug.GetParam(TypedPlug::kSteps)->Set(4);
  EXPECT_TRUE(plug.Presets().RestorePreset(2));
  EXPECT_STREQ("user preset 1", plug.Presets().GetPresetName(2));
  EXPECT_TRUE(plug.Presets().GetPreset(2)->mInitialized);
  EXPECT_EQ((std::vector<double>{1.0, 0, 0, 4, 0.5}),
            ChunkDoubles(plug.Presets().GetPreset(2)->mChunk));
  EXPECT_EQ(2, plug.Presets().GetCurrentPresetIdx());
  EXPECT_EQ(4.0, plug.GetParam(TypedPlug::kSteps)->Value());

  EXPECT_TRUE(plug.Presets().RestorePreset(1));
  EXPECT_STREQ("user preset 2", plug.Presets().GetPresetName(1));
}

TEST(IPlugPresets, RestoreByExactName)
{
  TypedPlug plug;
  plug.Presets().MakePreset("Bright", 1.5, 2, 1, 12, 0.25);
  plug.Presets().MakePreset("Dark", 0.5, 1, 0, 3, 0.75);
  plug.Presets().MakePreset("Dark", 0.1, 0, 0, 1, 0.1);

  EXPECT_TRUE(plug.Presets().RestorePreset("Dark"));
  EXPECT_EQ(1, plug.Presets().GetCurrentPresetIdx()); // the first slot of that name
  EXPECT_EQ(3.0, plug.GetParam(TypedPlug::kSteps)->Value());

  const char* misses[] = {"dark", "Dar", "Dark ", "", nullptr, "Nowhere"};
  for (const char* name : misses)
  {
    EXPECT_FALSE(plug.Presets().RestorePreset(name)) << (name ? name : "(null)");
  }
  EXPECT_EQ(1, plug.Presets().GetCurrentPresetIdx());
}

TEST(IPlugPresets, PresetNameOutOfRangeIsEmpty)
{
  TypedPlug plug(2);
  EXPECT_STREQ("empty", plug.Presets().GetPresetName(1));
  EXPECT_STREQ("", plug.Presets().GetPresetName(2));
  EXPECT_STREQ("", plug.Presets().GetPresetName(-1));
}

TEST(IPlugPresets, ModifyCurrentPresetStoresTheStateAndOptionallyRenames)
{
  TypedPlug plug;
  plug.Presets().MakePreset("A", 1.5, 2, 1, 12, 0.25);
  plug.Presets().MakePreset("B", 0.5, 1, 0, 3, 0.75);
  plug.Presets().RestorePreset(1);
  plug.GetParam(TypedPlug::kSteps)->Set(7);

  plug.Presets().ModifyCurrentPreset();
  EXPECT_STREQ("B", plug.Presets().GetPresetName(1));
  EXPECT_EQ((std::vector<double>{0.5, 1, 0, 7, 0.75}),
            ChunkDoubles(plug.Presets().GetPreset(1)->mChunk));
  plug.Presets().ModifyCurrentPreset("");
  EXPECT_STREQ("B", plug.Presets().GetPresetName(1));
  plug.Presets().ModifyCurrentPreset("Renamed");
  EXPECT_STREQ("Renamed", plug.Presets().GetPresetName(1));
  EXPECT_EQ((std::vector<double>{1.5, 2, 1, 12, 0.25}),
            ChunkDoubles(plug.Presets().GetPreset(0)->mChunk));

  const std::string longName(400, 'n');
  plug.Presets().ModifyCurrentPreset(longName.c_str());
  EXPECT_EQ(std::string(MAX_PRESET_NAME_LEN - 1, 'n'), plug.Presets().GetPresetName(1));
}

TEST(IPlugPresets, ModifyingAnUnfilledSlotLeavesItUnfilled)
{
  TypedPlug plug;
  plug.Presets().ModifyCurrentPreset("Scratch");
  EXPECT_FALSE(plug.Presets().GetPreset(0)->mInitialized);
  EXPECT_STREQ("Scratch", plug.Presets().GetPresetName(0));
  EXPECT_EQ(kDefaults, ChunkDoubles(plug.Presets().GetPreset(0)->mChunk));
}

// ---- Bank form --------------------------------------------------------------------

TEST(IPlugPresets, BankFormIsNameFlagAndStatePerSlot)
{
  TypedPlug plug(3);
  plug.Presets().MakePreset("A", 1.5, 2, 1, 12, 0.25);
  ByteChunk bank;
  EXPECT_TRUE(plug.Presets().SerializePresets(&bank));
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
  source.Presets().MakePreset("A", 1.5, 2, 1, 12, 0.25);
  source.Presets().MakePreset("B", 0.5, 1, 0, 3, 0.75);
  source.Presets().MakePreset("C", 0.1, 0, 1, 16, 0.9);
  ByteChunk bank;
  source.Presets().SerializePresets(&bank);

  TypedPlug fresh(4);
  EXPECT_EQ(bank.Size(), fresh.Presets().UnserializePresets(&bank, 0));
  EXPECT_EQ((std::vector<std::string>{"A", "B", "C", "empty"}), Names(fresh));
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(source.Presets().GetPreset(i)->mInitialized,
              fresh.Presets().GetPreset(i)->mInitialized)
        << i;
    EXPECT_EQ(ChunkDoubles(source.Presets().GetPreset(i)->mChunk),
              ChunkDoubles(fresh.Presets().GetPreset(i)->mChunk))
        << i;
  }
  // The live parameters end as the current preset, not the last one read.
  EXPECT_EQ(0, fresh.Presets().GetCurrentPresetIdx());
  EXPECT_EQ((std::vector<double>{1.5, 2, 1, 12, 0.25}), fresh.Values());
}

TEST(IPlugPresets, TruncatedBankFailsAtEveryLength)
{
  TypedPlug source(3);
  source.Presets().MakePreset("A", 1.5, 2, 1, 12, 0.25);
  source.Presets().MakePreset("B", 0.5, 1, 0, 3, 0.75);
  ByteChunk bank;
  source.Presets().SerializePresets(&bank);
  for (int size = 0; size < bank.Size(); ++size)
  {
    ByteChunk cut;
    cut.PutBytes(bank.GetBytes(), size);
    TypedPlug fresh(3);
    EXPECT_EQ(-1, fresh.Presets().UnserializePresets(&cut, 0)) << size;
  }
}

TEST(IPlugPresets, BankWithABrokenNameLengthFails)
{
  ByteChunk bank;
  int32_t hugeLength = 0x7FFFFFF0;
  bank.Put(&hugeLength);
  bank.PutBytes("abc", 3);
  TypedPlug fresh(2);
  fresh.Presets().EnsureDefaultPreset();
  fresh.SetNonDefaults();
  EXPECT_EQ(-1, fresh.Presets().UnserializePresets(&bank, 0));
  EXPECT_EQ((std::vector<std::string>{"Empty", "Empty"}), Names(fresh));
}

// ---- A bank of a plug-in whose state grew ------------------------------------------

// The earlier version reads a slot's state where the bank form puts it and
// knows nothing of its length: a slot holding more derailed every slot
// after it. It reads this version's bank as one of its own, every slot's
// name and values intact.
TEST(IPlugPresets, GrownBankReadsInTheEarlierVersion)
{
  for (const BankCarrier& carrier : kBankCarriers)
  {
    SCOPED_TRACE(carrier.what);
    GrownPlug grown(4, true);
    FillSlots(grown);
    TypedPlug earlier(4, true);
    ASSERT_TRUE(carrier.read(earlier, carrier.write(grown)));
    EXPECT_EQ(Names(grown), Names(earlier));
    for (int slot = 0; slot < 4; ++slot)
    {
      std::vector<double> expected = ChunkDoubles(grown.Presets().GetPreset(slot)->mChunk);
      EXPECT_EQ(Resized(expected, TypedPlug::kNumParams),
                ChunkDoubles(earlier.Presets().GetPreset(slot)->mChunk))
          << "slot " << slot;
    }
  }
}

// Both ways this version reads: its own bank keeps every slot's added
// values; the earlier version's bank loads every slot with them at their
// defaults, whatever the slots held before.
TEST(IPlugPresets, GrownPlugReadsBothVersionsBanks)
{
  for (const BankCarrier& carrier : kBankCarriers)
  {
    for (bool fromGrown : {true, false})
    {
      SCOPED_TRACE(std::string(carrier.what) +
                   (fromGrown ? " of this version" : " of the earlier"));
      GrownPlug grownSource(4, true);
      TypedPlug earlierSource(4, true);
      TypedPlug& source = fromGrown ? static_cast<TypedPlug&>(grownSource) : earlierSource;
      FillSlots(source);
      GrownPlug target(4, true);
      FillSlots(target);
      target.Presets().RestorePreset(0);
      target.GetParam(TypedPlug::kNumParams)->Set(-7.0);

      ASSERT_TRUE(carrier.read(target, carrier.write(source)));
      EXPECT_EQ(Names(source), Names(target));
      for (int slot = 0; slot < 4; ++slot)
      {
        EXPECT_EQ(Resized(ChunkDoubles(source.Presets().GetPreset(slot)->mChunk), target.NParams()),
                  ChunkDoubles(target.Presets().GetPreset(slot)->mChunk))
            << "slot " << slot;
      }
      EXPECT_EQ(ChunkDoubles(target.Presets().GetPreset(0)->mChunk), target.Values())
          << "the live values are the current slot's";
    }
  }
}

// The rests follow the last slot. Without them (an earlier version's bank,
// or bytes after the last slot that are not ours) every slot loads with its
// added values at their defaults; rests that are cut or damaged do the
// same and fail the load, and are never read past the bank's end.
TEST(IPlugPresets, GrownBankWithoutWholeRests)
{
  GrownPlug source(3);
  FillSlots(source);
  ByteChunk bank;
  source.Presets().SerializePresets(&bank);
  // Three slots of 4 + 6 name bytes, a flag and 40 bytes each.
  const int restsAt = 3 * 51;
  ASSERT_EQ(0, std::memcmp("bkx1", bank.GetBytes() + restsAt, 4));
  ASSERT_EQ(restsAt + 8 + 3 * (4 + 8 * GrownPlug::kAdded), bank.Size());

  struct Case
  {
    const char* what;
    int size;  // the bank cut to this many bytes
    int field; // a 4-byte field of the rests set to value, or -1
    int32_t value;
    int expectedPos; // what the read returns
  };
  const int firstCount = restsAt + 8;
  const std::vector<Case> cases = {
      {"no rests", restsAt, -1, 0, restsAt},
      {"foreign bytes after the last slot", bank.Size(), restsAt, 0x58585858, restsAt},
      {"a negative slot count", bank.Size(), restsAt + 4, -1, -1},
      {"a negative byte count", bank.Size(), firstCount, -1, -1},
      {"a byte count past the end", bank.Size(), firstCount, 10000, -1},
      {"cut in the slot count", restsAt + 6, -1, 0, -1},
      {"cut in the first rest", firstCount + 9, -1, 0, -1},
      {"cut in the last rest", bank.Size() - 1, -1, 0, -1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    ByteChunk damaged;
    damaged.PutBytes(bank.GetBytes(), c.size);
    if (c.field >= 0)
    {
      std::memcpy(damaged.GetBytes() + c.field, &c.value, 4);
    }
    GrownPlug target(3);
    FillSlots(target);
    EXPECT_EQ(c.expectedPos, target.Presets().UnserializePresets(&damaged, 0));
    EXPECT_EQ(Names(source), Names(target));
    for (int slot = 0; slot < 3; ++slot)
    {
      std::vector<double> older = ChunkDoubles(source.Presets().GetPreset(slot)->mChunk);
      EXPECT_EQ(Resized(Resized(older, TypedPlug::kNumParams), target.NParams()),
                ChunkDoubles(target.Presets().GetPreset(slot)->mChunk))
          << "slot " << slot;
    }
  }
}

// A slot's state shorter than what the earlier version reads (a preset made
// from a short chunk) is made up with the live values, so that the earlier
// version still finds every slot after it where it looks.
TEST(IPlugPresets, ShortSlotStateKeepsTheGrownBankReadable)
{
  GrownPlug grown(3);
  ByteChunk shortState;
  double gain = 1.75;
  shortState.Put(&gain);
  grown.Presets().MakePresetFromChunk("Short", &shortState);
  grown.Presets().MakePresetFromChunk("Also short", &shortState);
  grown.SetNonDefaults();
  grown.Presets().EnsureDefaultPreset();
  ByteChunk bank;
  grown.Presets().SerializePresets(&bank);

  TypedPlug earlier(3);
  EXPECT_EQ(bank.Size() - (8 + 3 * 4 + 8 * GrownPlug::kAdded),
            earlier.Presets().UnserializePresets(&bank, 0))
      << "every slot read, the rests left alone";
  EXPECT_EQ((std::vector<std::string>{"Short", "Also short", "Empty"}), Names(earlier));
  std::vector<double> live = Resized(grown.Values(), TypedPlug::kNumParams);
  EXPECT_EQ(live, ChunkDoubles(earlier.Presets().GetPreset(2)->mChunk));
  live[TypedPlug::kGain] = 1.75;
  EXPECT_EQ(live, ChunkDoubles(earlier.Presets().GetPreset(0)->mChunk));
}

// A bank may mark a slot empty that still holds an older state; choosing it
// stores the current state in its place. Appending after the old one made
// the slot reload the old state and broke the bank form written from it.
TEST(IPlugPresets, EmptiedSlotTakesTheCurrentStateInPlaceOfItsOldOne)
{
  TypedPlug plug(2);
  plug.Presets().EnsureDefaultPreset();
  ByteChunk bank;
  bank.PutStr("First");
  bank.PutBool(true);
  plug.SerializeState(&bank);
  bank.PutStr("Second");
  bank.PutBool(false);
  EXPECT_EQ(bank.Size(), plug.Presets().UnserializePresets(&bank, 0));

  plug.GetParam(TypedPlug::kSteps)->Set(3.0);
  ASSERT_TRUE(plug.Presets().RestorePreset(1));
  EXPECT_EQ(static_cast<size_t>(plug.NParams()),
            ChunkDoubles(plug.Presets().GetPreset(1)->mChunk).size());
  plug.GetParam(TypedPlug::kSteps)->Set(9.0);
  ASSERT_TRUE(plug.Presets().RestorePreset(1));
  EXPECT_EQ(3.0, plug.GetParam(TypedPlug::kSteps)->Value());

  ByteChunk written;
  plug.Presets().SerializePresets(&written);
  TypedPlug fresh(2);
  EXPECT_EQ(written.Size(), fresh.Presets().UnserializePresets(&written, 0));
}
