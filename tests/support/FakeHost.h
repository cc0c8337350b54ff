#pragma once

#include "VST2Interface.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

// An in-process stand-in for a VST2 host: answers the audio-master requests
// the adapter makes and records the ones tests look at. One at a time.
struct FakeHost
{
  struct Call
  {
    VstInt32 opcode;
    VstInt32 index;
    float opt;
  };

  FakeHost() { sCurrent = this; }
  ~FakeHost() { sCurrent = nullptr; }

  static VstIntPtr VSTCALLBACK Callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                        void* ptr, float opt)
  {
    return sCurrent ? sCurrent->Answer(opcode, index, value, ptr, opt) : 0;
  }

  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
  {
    switch (opcode)
    {
    case audioMasterVersion:
      return kVstVersion;
    case audioMasterGetProductString:
      ++productQueries;
      std::strcpy(static_cast<char*>(ptr), product.c_str());
      return 1;
    case audioMasterGetVendorVersion:
      return vendorVersion;
    case audioMasterGetTime:
      lastTimeFilter = static_cast<VstInt32>(value);
      return hasTime ? reinterpret_cast<VstIntPtr>(&time) : 0;
    case audioMasterGetCurrentProcessLevel:
      return processLevel;
    case audioMasterProcessEvents:
    {
      const VstEvents* events = static_cast<const VstEvents*>(ptr);
      for (int i = 0; i < events->numEvents; ++i)
      {
        VstMidiEvent event;
        std::memcpy(&event, events->events[i], sizeof event);
        sentEvents.push_back(event);
      }
      return acceptEvents ? 1 : 0;
    }
    case audioMasterWantMidi:
      ++wantMidi;
      return 1;
    case audioMasterSizeWindow:
      sizeWindows.emplace_back(index, static_cast<int>(value));
      return acceptSize ? 1 : 0;
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterUpdateDisplay:
      calls.push_back({opcode, index, opt});
      return 1;
    default:
      return 0;
    }
  }

  std::string product = "Fake Host";
  VstIntPtr vendorVersion = 10203;
  VstIntPtr processLevel = kVstProcessLevelRealtime;
  bool hasTime = true;
  bool acceptEvents = true;
  bool acceptSize = true; // audioMasterSizeWindow answers 1
  VstTimeInfo time = {};
  VstInt32 lastTimeFilter = -1;
  int productQueries = 0;
  int wantMidi = 0;
  std::vector<Call> calls;
  std::vector<VstMidiEvent> sentEvents;
  std::vector<std::pair<int, int>> sizeWindows; // each audioMasterSizeWindow asked for

  static inline FakeHost* sCurrent = nullptr;
};

// Opens an instance as a DAW does before it plays: open, sample rate, block
// size, then resume.
inline void OpenLikeADaw(AEffect* effect, float sampleRate, int blockSize)
{
  effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, sampleRate);
  effect->dispatcher(effect, effSetBlockSize, 0, blockSize, nullptr, 0.0f);
  effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
}
