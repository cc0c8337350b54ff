// Program (.fxp) and bank (.fxb) files, and the two source-line dumps.
//
// The files keep their header fields and parameter values big-endian, unlike
// the chunks. Everything read from a file is bounds-checked before it is
// applied: a truncated, foreign or malformed file is refused with false.

#include "IPlugPresetBank.h"

#include "Base64.h"
#include "IPlugBase.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const int32_t kChunkMagic = 0x43636E4B;    // "CcnK"
const int32_t kProgramParams = 0x4678436B; // "FxCk"
const int32_t kProgramChunk = 0x46504368;  // "FPCh"
const int32_t kBankParams = 0x4678426B;    // "FxBk"
const int32_t kBankChunk = 0x46424368;     // "FBCh"

const int kNameBytes = 28;
// A chunk file's byte-size field holds the chunk's size plus the header
// before the chunk, the chunk-size field included: 60 for a program, 160 for
// a bank. Hosts read files written this way, so the values stay.
const int kProgramChunkSizeExtra = 60;
const int kBankChunkSizeExtra = 160;
// Bytes a bank header reserves after the current program's index.
const int kBankReservedBytes = 124;

void PutBE32(ByteChunk* out, uint32_t value)
{
  uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                      static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  out->PutBytes(bytes, 4);
}

void PutBEFloat(ByteChunk* out, float value)
{
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutBE32(out, bits);
}

int GetBE32(const ByteChunk* in, int32_t* value, int pos)
{
  uint8_t bytes[4];
  pos = in->GetBytes(bytes, 4, pos);
  if (pos >= 0)
  {
    *value = static_cast<int32_t>((uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) |
                                  (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]));
  }
  return pos;
}

int GetBEFloat(const ByteChunk* in, float* value, int pos)
{
  int32_t bits = 0;
  pos = GetBE32(in, &bits, pos);
  if (pos >= 0)
  {
    std::memcpy(value, &bits, sizeof *value);
  }
  return pos;
}

void PutName(ByteChunk* out, const char* name)
{
  char field[kNameBytes] = {};
  CopyBounded(field, name, kNameBytes);
  out->PutBytes(field, kNameBytes);
}

// The header of a program, alone in a file or inside a bank: everything up
// to its values or its chunk size.
void PutProgramHeader(ByteChunk* out, uint32_t byteSize, int32_t form, int uniqueID, int version,
                      int nParams, const char* name)
{
  PutBE32(out, static_cast<uint32_t>(kChunkMagic));
  PutBE32(out, byteSize);
  PutBE32(out, static_cast<uint32_t>(form));
  PutBE32(out, 1); // format version
  PutBE32(out, static_cast<uint32_t>(uniqueID));
  PutBE32(out, static_cast<uint32_t>(version));
  PutBE32(out, static_cast<uint32_t>(nParams));
  PutName(out, name);
}

int GetName(const ByteChunk* in, char* name, int pos)
{
  char field[kNameBytes + 1] = {};
  pos = in->GetBytes(field, kNameBytes, pos);
  CopyBounded(name, field, kNameBytes + 1);
  return pos;
}

// The seven fields that open a program record (and, with an eighth, a bank).
struct FileHeader
{
  int32_t magic = 0, byteSize = 0, form = 0, version = 0, pluginID = 0, pluginVersion = 0,
          count = 0;
};

int GetHeader(const ByteChunk* in, FileHeader* header, int pos)
{
  int32_t* fields[] = {&header->magic,    &header->byteSize,      &header->form, &header->version,
                       &header->pluginID, &header->pluginVersion, &header->count};
  for (int32_t* field : fields)
  {
    pos = GetBE32(in, field, pos);
  }
  return pos;
}

// Where a chunk file's state starts: past the chunk's size field and its
// version header, when it has one; -1 when the file ends first.
int GetChunkStart(const ByteChunk* in, int pos)
{
  int32_t chunkSize = 0;
  pos = GetBE32(in, &chunkSize, pos);
  if (pos >= 0)
  {
    GetIPlugVerFromChunk(in, &pos);
  }
  return pos;
}

// True when a program record's count values lie whole in the file from
// pos on.
bool HoldsParamValues(const ByteChunk* in, int pos, int count)
{
  return pos >= 0 && count >= 0 && count <= (in->Size() - pos) / 4;
}

// One program's count values (HoldsParamValues), normalized, into the
// parameters in index order. A file from a version with fewer parameters
// leaves the later ones at their defaults, the values that play as that
// version did; values for parameters this version does not have are
// skipped.
void ReadParamValues(IPlugBase& plug, const ByteChunk* in, int pos, int count)
{
  for (int i = 0; i < plug.NParams(); ++i)
  {
    IParam* param = plug.GetParam(i);
    float value = 0.0f;
    if (i < count)
    {
      pos = GetBEFloat(in, &value, pos);
      param->SetNormalized(value);
    }
    else
    {
      param->Set(param->GetDefault());
    }
  }
}

bool WriteFile(const char* path, const ByteChunk* bytes)
{
  FILE* file = std::fopen(path, "wb");
  if (!file)
  {
    return false;
  }
  size_t n = static_cast<size_t>(bytes->Size());
  bool written = std::fwrite(bytes->GetBytes(), 1, n, file) == n;
  return std::fclose(file) == 0 && written;
}

bool ReadFile(const char* path, ByteChunk* bytes)
{
  FILE* file = std::fopen(path, "rb");
  if (!file)
  {
    return false;
  }
  uint8_t block[4096];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0)
  {
    bytes->PutBytes(block, static_cast<int>(n));
  }
  std::fclose(file);
  return true;
}
} // namespace

// ---- Source-line dumps ------------------------------------------------------

bool IPlugPresetBank::DumpPresetSrcCode(const char* path, const char* const* paramEnumNames)
{
  FILE* file = path ? std::fopen(path, "w") : nullptr;
  if (!file)
  {
    return false;
  }
  std::fprintf(file, "  MakePresetFromNamedParams(\"name\", %d", mPlug.NParams());
  for (int i = 0; i < mPlug.NParams(); ++i)
  {
    IParam* param = mPlug.GetParam(i);
    const char* enumName = paramEnumNames && paramEnumNames[i] ? paramEnumNames[i] : "";
    switch (param->Type())
    {
    case kTypeBool:
      std::fprintf(file, ",\n    %s, %s", enumName, param->Bool() ? "true" : "false");
      break;
    case kTypeInt:
    case kTypeEnum:
      std::fprintf(file, ",\n    %s, %d", enumName, param->Int());
      break;
    default:
      std::fprintf(file, ",\n    %s, %.6f", enumName, param->Value());
      break;
    }
  }
  std::fprintf(file, ");\n");
  return std::fclose(file) == 0;
}

bool IPlugPresetBank::DumpPresetBlob(const char* path)
{
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  FILE* file = path && preset ? std::fopen(path, "w") : nullptr;
  if (!file)
  {
    return false;
  }
  // Sized for the chunk: any state size is written whole.
  const ByteChunk& chunk = preset->mChunk;
  std::string text(static_cast<size_t>(4 * ((chunk.Size() + 2) / 3) + 1), '\0');
  base64encode(chunk.GetBytes(), &text[0], chunk.Size());
  std::fprintf(file, "MakePresetFromBlob(\"name\", \"%s\", %i);\n", text.c_str(), chunk.Size());
  return std::fclose(file) == 0;
}

// ---- Program files ------------------------------------------------------------

void IPlugPresetBank::GetProgramFXP(ByteChunk* fxp)
{
  IPlugBase::IMutexLock lock(&mPlug);
  fxp->Clear();
  ByteChunk state;
  if (mPlug.DoesStateChunks())
  {
    InitChunkWithIPlugVer(&state);
    mPlug.SerializeState(&state);
  }
  PutProgramHeader(
      fxp,
      mPlug.DoesStateChunks() ? static_cast<uint32_t>(state.Size() + kProgramChunkSizeExtra) : 0,
      mPlug.DoesStateChunks() ? kProgramChunk : kProgramParams, mPlug.GetUniqueID(),
      mPlug.GetEffectVersion(true), mPlug.NParams(), GetPresetName(mCurrentPresetIdx));
  if (mPlug.DoesStateChunks())
  {
    PutBE32(fxp, static_cast<uint32_t>(state.Size()));
    fxp->PutChunk(&state);
  }
  else
  {
    for (int i = 0; i < mPlug.NParams(); ++i)
    {
      PutBEFloat(fxp, static_cast<float>(mPlug.GetParam(i)->GetNormalized()));
    }
  }
}

bool IPlugPresetBank::SetProgramFXP(const ByteChunk* fxp)
{
  IPlugBase::IMutexLock lock(&mPlug);
  FileHeader header;
  char name[kNameBytes + 1] = {};
  int pos = GetName(fxp, name, GetHeader(fxp, &header, 0));
  // The count is the writing version's: it may have had fewer parameters
  // than this one, or more.
  if (pos < 0 || header.magic != kChunkMagic || header.version != 1 ||
      header.pluginID != mPlug.GetUniqueID() || header.count < 0)
  {
    return false;
  }

  if (header.form == kProgramChunk && mPlug.DoesStateChunks())
  {
    pos = GetChunkStart(fxp, pos);
    if (pos < 0 || mPlug.UnserializeState(fxp, pos) < 0)
    {
      return false;
    }
    ModifyCurrentPreset(name);
    mPlug.InformHostOfProgramChange();
    return true;
  }

  if (header.form == kProgramParams)
  {
    // Every value must be there before any is applied.
    if (!HoldsParamValues(fxp, pos, header.count))
    {
      return false;
    }
    ReadParamValues(mPlug, fxp, pos, header.count);
    ModifyCurrentPreset(name);
    RestorePreset(mCurrentPresetIdx);
    mPlug.InformHostOfProgramChange();
    return true;
  }
  return false;
}

// ---- Bank files ---------------------------------------------------------------

void IPlugPresetBank::GetBankFXB(ByteChunk* fxb)
{
  IPlugBase::IMutexLock lock(&mPlug);
  fxb->Clear();
  ByteChunk bank;
  if (mPlug.DoesStateChunks())
  {
    InitChunkWithIPlugVer(&bank);
    SerializePresets(&bank);
  }
  PutBE32(fxb, static_cast<uint32_t>(kChunkMagic));
  PutBE32(fxb,
          mPlug.DoesStateChunks() ? static_cast<uint32_t>(bank.Size() + kBankChunkSizeExtra) : 0);
  PutBE32(fxb, static_cast<uint32_t>(mPlug.DoesStateChunks() ? kBankChunk : kBankParams));
  PutBE32(fxb, 2);
  PutBE32(fxb, static_cast<uint32_t>(mPlug.GetUniqueID()));
  PutBE32(fxb, static_cast<uint32_t>(mPlug.GetEffectVersion(true)));
  PutBE32(fxb, static_cast<uint32_t>(NPresets()));
  PutBE32(fxb, static_cast<uint32_t>(mCurrentPresetIdx));
  uint8_t reserved[kBankReservedBytes] = {};
  fxb->PutBytes(reserved, sizeof reserved);

  if (mPlug.DoesStateChunks())
  {
    PutBE32(fxb, static_cast<uint32_t>(bank.Size()));
    fxb->PutChunk(&bank);
    return;
  }
  for (int p = 0; p < NPresets(); ++p)
  {
    IPreset* preset = mPresets.Get(p);
    PutProgramHeader(fxb, 0, kProgramParams, mPlug.GetUniqueID(), mPlug.GetEffectVersion(true),
                     mPlug.NParams(), preset->mName);
    int pos = 0;
    for (int i = 0; i < mPlug.NParams(); ++i)
    {
      IParam* param = mPlug.GetParam(i);
      // A slot that holds no value for this parameter stores the live one.
      double value = param->Value();
      if (pos >= 0)
      {
        double stored = 0.0;
        pos = preset->mChunk.Get(&stored, pos);
        value = pos >= 0 ? stored : value;
      }
      PutBEFloat(fxb, static_cast<float>(param->GetNormalized(value)));
    }
  }
}

bool IPlugPresetBank::SetBankFXB(const ByteChunk* fxb)
{
  IPlugBase::IMutexLock lock(&mPlug);
  FileHeader header;
  int32_t currentProgram = 0;
  int pos = GetBE32(fxb, &currentProgram, GetHeader(fxb, &header, 0));
  pos = pos >= 0 ? pos + kBankReservedBytes : pos;
  if (pos < 0 || pos > fxb->Size() || header.magic != kChunkMagic ||
      header.pluginID != mPlug.GetUniqueID())
  {
    return false;
  }

  if (header.form == kBankChunk && mPlug.DoesStateChunks())
  {
    pos = GetChunkStart(fxb, pos);
    if (pos < 0 || UnserializePresets(fxb, pos) < 0)
    {
      return false;
    }
    mPlug.InformHostOfProgramChange();
    return true;
  }

  if (header.form == kBankParams)
  {
    // A bank with more programs than slots is not one of ours; a short or
    // foreign program record is refused before anything is applied.
    if (header.count < 0 || header.count > NPresets())
    {
      return false;
    }
    struct ProgramRecord
    {
      char name[kNameBytes + 1];
      int valuesPos, count;
    };
    std::vector<ProgramRecord> programs(static_cast<size_t>(header.count));
    for (ProgramRecord& record : programs)
    {
      FileHeader program;
      pos = GetName(fxb, record.name, GetHeader(fxb, &program, pos));
      if (program.magic != kChunkMagic || program.form != kProgramParams || program.version != 1 ||
          !HoldsParamValues(fxb, pos, program.count))
      {
        return false;
      }
      record.valuesPos = pos;
      record.count = program.count;
      pos += 4 * program.count;
    }
    for (int p = 0; p < header.count; ++p)
    {
      const ProgramRecord& record = programs[static_cast<size_t>(p)];
      RestorePreset(p);
      ReadParamValues(mPlug, fxb, record.valuesPos, record.count);
      ModifyCurrentPreset(record.name);
    }
    RestorePreset(currentProgram);
    mPlug.InformHostOfProgramChange();
    return true;
  }
  return false;
}

// ---- Through the editor's file prompt -----------------------------------------

bool IPlugPresetBank::PromptForPresetFile(WDL_String* file, IGraphicsInterface::EFileAction action,
                                          const char* extension, const char* defaultFileName)
{
  IGraphicsInterface* graphics = mPlug.GetGUI();
  if (!graphics)
  {
    return false;
  }
  // The prompt leaves the proposed name as it is when the user cancels, and
  // hands back a full path when the user confirms: an unchanged answer is a
  // cancel, not a file to write.
  file->Set(defaultFileName);
  graphics->PromptForFile(file, action, &mPreviousPath, extension);
  const char* proposed = defaultFileName ? defaultFileName : "";
  return file->GetLength() > 0 && std::strcmp(file->Get(), proposed) != 0;
}

bool IPlugPresetBank::SaveProgramAsFXP(const char* defaultFileName)
{
  WDL_String file;
  if (!PromptForPresetFile(&file, IGraphicsInterface::kFileSave, "fxp", defaultFileName))
  {
    return false;
  }
  ByteChunk fxp;
  GetProgramFXP(&fxp);
  return WriteFile(file.Get(), &fxp);
}

bool IPlugPresetBank::SaveBankAsFXB(const char* defaultFileName)
{
  WDL_String file;
  if (!PromptForPresetFile(&file, IGraphicsInterface::kFileSave, "fxb", defaultFileName))
  {
    return false;
  }
  ByteChunk fxb;
  GetBankFXB(&fxb);
  return WriteFile(file.Get(), &fxb);
}

bool IPlugPresetBank::LoadProgramFromFXP()
{
  WDL_String file;
  ByteChunk fxp;
  return PromptForPresetFile(&file, IGraphicsInterface::kFileOpen, "fxp", "") &&
         ReadFile(file.Get(), &fxp) && SetProgramFXP(&fxp);
}

bool IPlugPresetBank::LoadBankFromFXB()
{
  WDL_String file;
  ByteChunk fxb;
  return PromptForPresetFile(&file, IGraphicsInterface::kFileOpen, "fxb", "") &&
         ReadFile(file.Get(), &fxb) && SetBankFXB(&fxb);
}
