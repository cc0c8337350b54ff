#pragma once

#include "IGraphicsInterface.h"
#include "IPlugStructs.h"
#include "WDL_PtrList.h"
#include "WDL_String.h"

class IPlugBase;

// A plug-in's programs: its preset slots and which one is current, the bank
// form of all of them (for bank chunks), program (.fxp) and bank (.fxb)
// files, and the two source-line dumps of the current state. The tags are
// IPlugBase.h's.
//
// The plug-in base owns one, built with it and reached as Presets(). The
// bank keeps the slots, which one is current and the file prompt's folder;
// everything else it reaches through the base: the state (SerializeState,
// UnserializeState, StateBytesOlderVersionsRead), the parameters and their
// types, the plug-in mutex, the identity a file header names, the editor
// that prompts for files, and the notices that follow a load
// (RedrawParamControls, PresetsChangedByHost, InformHostOfProgramChange).
class IPlugPresetBank
{
public:
  // [construction] nPresets empty slots. The plug-in is still being built:
  // nothing of it is used until a maker or a request comes.
  IPlugPresetBank(IPlugBase& plug, int nPresets);
  ~IPlugPresetBank();

  IPlugPresetBank(const IPlugPresetBank&) = delete;
  IPlugPresetBank& operator=(const IPlugPresetBank&) = delete;

  // ---- Slots [any thread] -----------------------------------------------
  // Lookups only; a value read without the mutex may be a block old.
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  // True once the live parameters came from the current preset slot (or were
  // stored into it): only then are edits to them that slot's to keep. A new
  // plug-in plays its defaults, which belong to no slot.
  bool StateBelongsToCurrentPreset() const { return mStateFromCurrentPreset; }
  // "" for an index out of range.
  const char* GetPresetName(int idx) const;
  // The slot itself, for the framework and tests; null for an index out of
  // range.
  IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }

  // ---- Making presets [construction] --------------------------------------
  // Each maker fills the first free slot, and does nothing once every slot
  // is filled. From values: one per parameter, an int for bool, int and enum
  // parameters, a double otherwise (and for every untyped parameter).
  void MakePreset(const char* name, ...);
  // Pairs of (parameter index as int, value as for MakePreset); parameters
  // not named keep their current value.
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, const ByteChunk* chunk);
  void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  // Fills every slot still empty with the current state.
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();

  // ---- The host's program requests ----------------------------------------
  // [UI thread, mutex held] Loads a slot's state and makes it current; a
  // slot never filled takes the current state as a new user preset. False
  // for an index out of range or a state that would not load.
  bool RestorePreset(int idx);
  // [UI thread, mutex held] The first slot of exactly that name; false for
  // null, "" or no such slot.
  bool RestorePreset(const char* name);
  // [UI thread, mutex held] The current state into the current slot, renamed
  // when a name other than "" is given.
  void ModifyCurrentPreset(const char* name = nullptr);
  // [any thread, mutex held] Every slot, for bank chunks and files: name,
  // filled flag and, when filled, state. For a plug-in whose state grew
  // since older versions (IPlugBase::StateBytesOlderVersionsRead), a
  // slot's state there is only the part those versions read, so that they
  // read the bank as one of theirs; after the last slot come the mark
  // "bkx1", the number of slots and, for each slot, a byte count and the
  // rest of its state (none for an empty slot).
  bool SerializePresets(ByteChunk* chunk);
  // [any thread, mutex held] Reads either form back: each slot's state is
  // its part in the slot and its rest after the last slot, and a bank
  // without the rests (an older version's) loads every state as its older
  // part alone. Returns the position after the last slot read, or after the
  // rests, or -1 when the data ran out or the rests are damaged (every
  // state then loads without its rest); the current slot is restored
  // either way.
  int UnserializePresets(const ByteChunk* chunk, int startPos);

  // ---- Preset files and source dumps ------------------------------------
  // [UI thread] Text dumps of the current state as a preset-making source
  // line; write nothing when the file cannot be opened. Return whether it
  // was written.
  bool DumpPresetSrcCode(const char* path, const char* const* paramEnumNames);
  bool DumpPresetBlob(const char* path);
  // [UI thread, takes the plug-in mutex] Program (.fxp) and bank (.fxb)
  // files through the editor's file prompt; false without an editor, on
  // cancel, and for a file that is unreadable, truncated or not ours. A
  // program's values in the parameter form load whatever version of the
  // plug-in wrote them: parameters the file has no value for take their
  // defaults, values past the last parameter are skipped.
  bool SaveProgramAsFXP(const char* defaultFileName = "");
  bool SaveBankAsFXB(const char* defaultFileName = "");
  bool LoadProgramFromFXP();
  bool LoadBankFromFXB();
  // [any thread, takes the plug-in mutex] The same formats as bytes, for the
  // file operations above and for tests.
  void GetProgramFXP(ByteChunk* fxp);
  void GetBankFXB(ByteChunk* fxb);
  bool SetProgramFXP(const ByteChunk* fxp);
  bool SetBankFXB(const ByteChunk* fxb);

private:
  // The first slot not yet filled, now marked filled, named and emptied for
  // its state; null when every slot is filled.
  IPreset* FillNextPreset(const char* name);
  // Writes "user preset N", N one more than the slots already so named.
  void MakeDefaultUserPresetName(char* buffer) const;
  bool PromptForPresetFile(WDL_String* file, IGraphicsInterface::EFileAction action,
                           const char* extension, const char* defaultFileName);

  IPlugBase& mPlug;
  WDL_PtrList<IPreset> mPresets;
  int mCurrentPresetIdx = 0;
  bool mStateFromCurrentPreset = false;
  WDL_String mPreviousPath; // where the file prompt opens next
};
