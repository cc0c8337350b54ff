// Preset slots and the bank form of all of them.

#include "IPlugPresetBank.h"

#include "Base64.h"
#include "IPlugBase.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
// Bool, int and enum values travel through the argument lists as ints.
bool PassedAsInt(EParamType type)
{
  return type == kTypeBool || type == kTypeInt || type == kTypeEnum;
}

// Opens what follows the last program of a bank whose states are split
// (IPlugBase::StateBytesOlderVersionsRead): the number of slots, then for
// each slot the byte count and the bytes of its state past the older part,
// none for an empty slot. A later layout takes a new mark.
const int kBankRestMark = 0x31786B62; // "bkx1"

// Where a filled slot's state lies in a bank being read: its entry, and,
// in a split bank, the rest after the last program (none yet: empty).
struct StateInBank
{
  bool read = false;
  int entryStart = 0, entryEnd = 0;
  int restStart = 0, restEnd = 0;
};

// Finds the rests of a split bank's states from pos, after its last
// program. Returns the position after them, or pos itself when the bank
// has none there (one an older version wrote, or bytes that are not ours:
// those were never read); -1, with no rest taken, when they are marked but
// cut short or damaged.
int GetStateRests(const ByteChunk* chunk, int pos, std::vector<StateInBank>* states)
{
  int mark = 0, nSlots = 0;
  int next = chunk->Get(&mark, pos);
  if (next < 0 || mark != kBankRestMark)
  {
    return pos;
  }
  next = chunk->Get(&nSlots, next);
  if (next < 0 || nSlots < 0)
  {
    return -1;
  }
  std::vector<StateInBank> found = *states;
  for (int i = 0; i < nSlots; ++i)
  {
    int size = 0;
    next = chunk->Get(&size, next);
    if (next < 0 || size < 0 || size > chunk->Size() - next)
    {
      return -1;
    }
    if (i < static_cast<int>(found.size()))
    {
      found[static_cast<size_t>(i)].restStart = next;
      found[static_cast<size_t>(i)].restEnd = next + size;
    }
    next += size;
  }
  *states = found;
  return next;
}
} // namespace

IPlugPresetBank::IPlugPresetBank(IPlugBase& plug, int nPresets) : mPlug(plug)
{
  for (int i = 0; i < nPresets; ++i)
  {
    mPresets.Add(new IPreset);
  }
}

IPlugPresetBank::~IPlugPresetBank()
{
  mPresets.Empty(true);
}

void IPlugPresetBank::MakeDefaultUserPresetName(char* buffer) const
{
  int n = 0;
  for (int i = 0; i < mPresets.GetSize(); ++i)
  {
    if (std::strstr(mPresets.Get(i)->mName, "user preset"))
    {
      ++n;
    }
  }
  std::snprintf(buffer, MAX_PRESET_NAME_LEN, "%s %d", "user preset", n + 1);
}

IPreset* IPlugPresetBank::FillNextPreset(const char* name)
{
  for (int i = 0; i < mPresets.GetSize(); ++i)
  {
    IPreset* preset = mPresets.Get(i);
    if (!preset->mInitialized)
    {
      preset->mInitialized = true;
      CopyBounded(preset->mName, name, sizeof preset->mName);
      preset->mChunk.Clear();
      return preset;
    }
  }
  return nullptr;
}

void IPlugPresetBank::MakePreset(const char* name, ...)
{
  IPreset* preset = FillNextPreset(name);
  if (!preset)
  {
    return;
  }
  va_list values;
  va_start(values, name);
  for (int i = 0; i < mPlug.NParams(); ++i)
  {
    double value = PassedAsInt(mPlug.GetParam(i)->Type()) ? static_cast<double>(va_arg(values, int))
                                                          : va_arg(values, double);
    preset->mChunk.Put(&value);
  }
  va_end(values);
}

void IPlugPresetBank::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  IPreset* preset = FillNextPreset(name);
  if (!preset)
  {
    return;
  }

  const double kUnset = 9.999e-8;
  std::vector<double> values(static_cast<size_t>(mPlug.NParams()), kUnset);
  va_list pairs;
  va_start(pairs, nParamsNamed);
  for (int n = 0; n < nParamsNamed; ++n)
  {
    int idx = va_arg(pairs, int);
    IParam* param = mPlug.GetParam(idx);
    double value = param && PassedAsInt(param->Type()) ? static_cast<double>(va_arg(pairs, int))
                                                       : va_arg(pairs, double);
    if (param)
    {
      values[static_cast<size_t>(idx)] = value;
    }
  }
  va_end(pairs);

  for (int i = 0; i < mPlug.NParams(); ++i)
  {
    double value = values[static_cast<size_t>(i)] == kUnset ? mPlug.GetParam(i)->Value()
                                                            : values[static_cast<size_t>(i)];
    preset->mChunk.Put(&value);
  }
}

void IPlugPresetBank::MakePresetFromChunk(const char* name, const ByteChunk* chunk)
{
  IPreset* preset = FillNextPreset(name);
  if (!preset)
  {
    return;
  }
  preset->mChunk.PutChunk(chunk);
}

void IPlugPresetBank::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
  ByteChunk chunk;
  chunk.Resize(sizeOfChunk);
  base64decode(blob, chunk.GetBytes(), chunk.Size());
  MakePresetFromChunk(name, &chunk);
}

void IPlugPresetBank::MakeDefaultPreset(const char* name, int nPresets)
{
  for (int i = 0; i < nPresets; ++i)
  {
    IPreset* preset = FillNextPreset(name ? name : "Empty");
    if (!preset)
    {
      return;
    }
    mPlug.SerializeState(&preset->mChunk);
  }
}

void IPlugPresetBank::EnsureDefaultPreset()
{
  MakeDefaultPreset("Empty", mPresets.GetSize());
}

void IPlugPresetBank::PruneUninitializedPresets()
{
  for (int i = 0; i < mPresets.GetSize();)
  {
    if (mPresets.Get(i)->mInitialized)
    {
      ++i;
    }
    else
    {
      mPresets.Delete(i, true);
    }
  }
}

bool IPlugPresetBank::RestorePreset(int idx)
{
  IPreset* preset = mPresets.Get(idx);
  if (!preset)
  {
    return false;
  }
  bool restored;
  if (!preset->mInitialized)
  {
    // A slot a bank marked empty may still hold an older state: the slot
    // takes the current state in its place, not after it.
    preset->mInitialized = true;
    MakeDefaultUserPresetName(preset->mName);
    preset->mChunk.Clear();
    restored = mPlug.SerializeState(&preset->mChunk);
  }
  else
  {
    restored = mPlug.UnserializeState(&preset->mChunk, 0) > 0;
  }
  if (restored)
  {
    mCurrentPresetIdx = idx;
    mStateFromCurrentPreset = true;
    mPlug.PresetsChangedByHost();
    mPlug.RedrawParamControls();
  }
  return restored;
}

bool IPlugPresetBank::RestorePreset(const char* name)
{
  if (!name || !name[0])
  {
    return false;
  }
  for (int i = 0; i < mPresets.GetSize(); ++i)
  {
    if (std::strcmp(mPresets.Get(i)->mName, name) == 0)
    {
      return RestorePreset(i);
    }
  }
  return false;
}

const char* IPlugPresetBank::GetPresetName(int idx) const
{
  IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void IPlugPresetBank::ModifyCurrentPreset(const char* name)
{
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset)
  {
    return;
  }
  preset->mChunk.Clear();
  mPlug.SerializeState(&preset->mChunk);
  mStateFromCurrentPreset = true;
  if (name && name[0])
  {
    CopyBounded(preset->mName, name, sizeof preset->mName);
  }
}

bool IPlugPresetBank::SerializePresets(ByteChunk* chunk)
{
  const int olderBytes = mPlug.StateBytesOlderVersionsRead();
  // The live state makes up what a slot's state lacks of the older part, as
  // the live values do in the parameter-form bank file.
  ByteChunk live;
  for (int i = 0; i < mPresets.GetSize(); ++i)
  {
    IPreset* preset = mPresets.Get(i);
    chunk->PutStr(preset->mName);
    chunk->PutBool(preset->mInitialized);
    if (!preset->mInitialized)
    {
      continue;
    }
    if (olderBytes <= 0)
    {
      chunk->PutChunk(&preset->mChunk);
      continue;
    }
    // Exactly the older part, or an older version reads the next program
    // from the middle of this one.
    const int kept = std::min(olderBytes, preset->mChunk.Size());
    chunk->PutBytes(preset->mChunk.GetBytes(), kept);
    if (kept < olderBytes)
    {
      if (live.Size() == 0)
      {
        mPlug.SerializeState(&live);
      }
      ByteChunk filler;
      filler.Resize(olderBytes - kept);
      live.GetBytes(filler.GetBytes(), std::min(filler.Size(), live.Size() - kept), kept);
      chunk->PutChunk(&filler);
    }
  }
  if (olderBytes > 0)
  {
    int mark = kBankRestMark, nSlots = mPresets.GetSize();
    chunk->Put(&mark);
    chunk->Put(&nSlots);
    for (int i = 0; i < mPresets.GetSize(); ++i)
    {
      IPreset* preset = mPresets.Get(i);
      int rest = preset->mInitialized ? std::max(0, preset->mChunk.Size() - olderBytes) : 0;
      chunk->Put(&rest);
      if (rest > 0)
      {
        chunk->PutBytes(preset->mChunk.GetBytes() + olderBytes, rest);
      }
    }
  }
  return true;
}

int IPlugPresetBank::UnserializePresets(const ByteChunk* chunk, int startPos)
{
  const int olderBytes = mPlug.StateBytesOlderVersionsRead();
  std::vector<StateInBank> states(static_cast<size_t>(mPresets.GetSize()));
  WDL_String name;
  int pos = startPos;
  for (int i = 0; i < mPresets.GetSize() && pos >= 0; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    pos = chunk->GetStr(&name, pos);
    if (pos < 0)
    {
      break;
    }
    bool initialized = false;
    pos = chunk->GetBool(&initialized, pos);
    if (pos < 0)
    {
      break;
    }
    CopyBounded(preset->mName, name.Get(), sizeof preset->mName);
    preset->mInitialized = initialized;
    if (initialized)
    {
      // A whole state ends where the plug-in stops reading it; the older
      // part of a split one is of a fixed size.
      StateInBank& state = states[static_cast<size_t>(i)];
      state.entryStart = pos;
      if (olderBytes > 0)
      {
        pos = olderBytes <= chunk->Size() - pos ? pos + olderBytes : -1;
      }
      else
      {
        pos = mPlug.UnserializeState(chunk, pos);
      }
      state.read = pos > 0;
      state.entryEnd = pos;
    }
  }
  if (olderBytes > 0 && pos >= 0)
  {
    pos = GetStateRests(chunk, pos, &states);
  }

  for (size_t i = 0; i < states.size(); ++i)
  {
    const StateInBank& part = states[i];
    if (!part.read)
    {
      continue;
    }
    ByteChunk state;
    state.PutBytes(chunk->GetBytes() + part.entryStart, part.entryEnd - part.entryStart);
    state.PutBytes(chunk->GetBytes() + part.restStart, part.restEnd - part.restStart);
    if (mPlug.UnserializeState(&state, 0) >= 0)
    {
      IPreset* preset = mPresets.Get(static_cast<int>(i));
      preset->mChunk.Clear();
      mPlug.SerializeState(&preset->mChunk);
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}
