// A minimal effect written directly against the interface header, so the
// host library is tested end to end without the plug-in framework.
//
// It passes audio through, echoes a parameter change to the host as an
// editor gesture (begin edit, automate, end edit), asks for the time in
// every process call, and echoes the MIDI events of a block back to the
// host while processing that block, reading them from the host's list at
// that point: a host that frees the list too early shows up under the
// sanitizer. Its test interface is in FixtureProtocol.h.
//
// Variants built from this file: FIXTURE_BAD_MAGIC returns a record that
// is not an effect; FIXTURE_LEGACY_ONLY exports only the legacy entry name.

#include "FixtureProtocol.h"
#include "VST2Interface.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace
{
std::mutex gLogMutex;
std::string gLog;
int gEntryCount = 0;

void logWord(const std::string& word)
{
  std::lock_guard<std::mutex> lock(gLogMutex);
  if (!gLog.empty())
    gLog += ' ';
  gLog += word;
}

// snprintf rather than std::to_string: the latter brings a unique symbol
// into the binary, and the system loader never unloads such a binary.
void logNumber(const char* name, double value)
{
  char word[64];
  std::snprintf(word, sizeof(word), "%s=%.0f", name, value);
  logWord(word);
}

void copyText(void* out, const char* text, size_t size)
{
  std::snprintf(static_cast<char*>(out), size, "%s", text);
}

const char* const kParamNames[kFixtureParams] = {"Gain", "Mix", "Mode"};
const char* const kParamLabels[kFixtureParams] = {"dB", "%", ""};
const char* const kCapabilitiesYes[] = {"receiveVstEvents", "receiveVstMidiEvent",
                                        "receiveVstTimeInfo", "sendVstEvents", "sendVstMidiEvent"};

struct Fixture
{
  AEffect effect;
  audioMasterCallback host = nullptr;
  float params[kFixtureParams] = {0.5f, 1.0f, 0.0f};
  char programNames[kFixturePrograms][kVstMaxProgNameLen] = {"Init", "Second"};
  VstIntPtr program = 0;
  VstIntPtr entryHostVersion = 0;
  char entryProduct[kVstMaxProductStrLen] = {};
  int timeState = -1; // see kFixtureLastTimeInfo
  VstTimeInfo lastTime;
  const VstEvents* pendingEvents = nullptr;
  unsigned char chunk[kFixtureBankChunkSize] = {};
  ERect rect = {0, 0, 200, 300};

  VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f)
  {
    return host(&effect, opcode, index, value, ptr, opt);
  }
};

Fixture* self(AEffect* effect)
{
  return static_cast<Fixture*>(effect->object);
}

// Before the audio of a block: what the host says about time, and the
// block's MIDI sent straight back.
void beginBlock(Fixture* fixture)
{
  const VstIntPtr time =
      fixture->callHost(audioMasterGetTime, 0, kVstPpqPosValid | kVstTempoValid | kVstBarsValid);
  if (time)
    std::memcpy(&fixture->lastTime, reinterpret_cast<const void*>(time), sizeof(VstTimeInfo));
  fixture->timeState = time ? 1 : 0;
  if (fixture->pendingEvents)
    fixture->callHost(audioMasterProcessEvents, 0, 0,
                      const_cast<VstEvents*>(fixture->pendingEvents));
  fixture->pendingEvents = nullptr;
}

template <typename T>
void pass(Fixture* fixture, T** inputs, T** outputs, VstInt32 frames, bool accumulate)
{
  beginBlock(fixture);
  for (int c = 0; c < kFixtureChannels; ++c)
    for (VstInt32 i = 0; i < frames; ++i)
      outputs[c][i] = accumulate ? outputs[c][i] + inputs[c][i] : inputs[c][i];
}

void VSTCALLBACK processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
  pass(self(effect), inputs, outputs, frames, false);
}

void VSTCALLBACK processAccumulating(AEffect* effect, float** inputs, float** outputs,
                                     VstInt32 frames)
{
  pass(self(effect), inputs, outputs, frames, true);
}

void VSTCALLBACK processDouble(AEffect* effect, double** inputs, double** outputs, VstInt32 frames)
{
  pass(self(effect), inputs, outputs, frames, false);
}

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value)
{
  Fixture* fixture = self(effect);
  if (index < 0 || index >= kFixtureParams)
    return;
  fixture->params[index] = value;
  fixture->callHost(audioMasterBeginEdit, index);
  fixture->callHost(audioMasterAutomate, index, 0, nullptr, value);
  fixture->callHost(audioMasterEndEdit, index);
}

float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index)
{
  if (index < 0 || index >= kFixtureParams)
    return 0.0f;
  return self(effect)->params[index];
}

void pinProperties(VstInt32 pin, const char* side, void* ptr)
{
  VstPinProperties* properties = static_cast<VstPinProperties*>(ptr);
  char label[kVstMaxLabelLen];
  std::snprintf(label, sizeof(label), "Fixture %s %d", side, pin + 1);
  copyText(properties->label, label, sizeof(properties->label));
  const char shortLabel[] = {'F', side[0], side[1], static_cast<char>('1' + pin), '\0'};
  copyText(properties->shortLabel, shortLabel, sizeof(properties->shortLabel));
  properties->flags = kVstPinIsActive | (pin == 0 ? kVstPinIsStereo : 0);
  properties->arrangementType = kSpeakerArrStereo;
}

VstIntPtr vendorSpecific(Fixture* fixture, VstInt32 request, VstIntPtr value, void* ptr, float opt)
{
  switch (request)
  {
  case kFixtureAskHost:
    return fixture->callHost(static_cast<VstInt32>(value), 0, 0, ptr, opt);
  case kFixtureLastTimeInfo:
    if (fixture->timeState == 1)
      std::memcpy(ptr, &fixture->lastTime, sizeof(VstTimeInfo));
    return fixture->timeState;
  case kFixtureEntryCount:
    return gEntryCount;
  case kFixtureEntryHostVersion:
    return fixture->entryHostVersion;
  case kFixtureEntryProduct:
    copyText(ptr, fixture->entryProduct, kVstMaxProductStrLen);
    return 1;
  default:
    return 0;
  }
}

VstIntPtr VSTCALLBACK dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt)
{
  Fixture* fixture = self(effect);
  switch (opcode)
  {
  case effOpen:
    logWord("open");
    return 0;
  case effClose:
    logWord("close");
    delete fixture;
    return 0;
  case effSetSampleRate:
    logNumber("rate", opt);
    return 0;
  case effSetBlockSize:
    logNumber("block", static_cast<double>(value));
    return 0;
  case effMainsChanged:
    logNumber("mains", static_cast<double>(value));
    return 0;
  case effStartProcess:
    logWord("start");
    return 0;
  case effStopProcess:
    logWord("stop");
    return 0;

  case effSetProgram:
    if (value >= 0 && value < kFixturePrograms)
      fixture->program = value;
    return 0;
  case effGetProgram:
    return fixture->program;
  case effSetProgramName:
    std::snprintf(fixture->programNames[fixture->program], kVstMaxProgNameLen, "%s",
                  static_cast<const char*>(ptr));
    return 0;
  case effGetProgramName:
    copyText(ptr, fixture->programNames[fixture->program], kVstMaxProgNameLen);
    return 0;
  case effGetProgramNameIndexed:
    if (index < 0 || index >= kFixturePrograms)
      return 0;
    copyText(ptr, fixture->programNames[index], kVstMaxProgNameLen);
    return 1;

  case effGetParamName:
  case effGetParamLabel:
  case effGetParamDisplay:
    if (index < 0 || index >= kFixtureParams)
      return 0;
    if (opcode == effGetParamDisplay)
      std::snprintf(static_cast<char*>(ptr), 32, "%.2f",
                    static_cast<double>(fixture->params[index]));
    else
      copyText(ptr, (opcode == effGetParamName ? kParamNames : kParamLabels)[index], 32);
    return 1;
  case effCanBeAutomated:
    return index >= 0 && index < 2 ? 1 : 0;
  case effString2Parameter:
    if (!ptr || index < 0 || index >= kFixtureParams)
      return 0;
    fixture->params[index] = std::strtof(static_cast<const char*>(ptr), nullptr);
    return 1;

  case effGetChunk:
    if (index == 0)
    {
      std::memcpy(fixture->chunk, "KvBk", 4);
      std::memcpy(fixture->chunk + 4, fixture->params, sizeof(fixture->params));
      *static_cast<void**>(ptr) = fixture->chunk;
      return kFixtureBankChunkSize;
    }
    std::memcpy(fixture->chunk, fixture->params, sizeof(fixture->params));
    *static_cast<void**>(ptr) = fixture->chunk;
    return kFixtureProgramChunkSize;
  case effSetChunk:
  {
    const unsigned char* data = static_cast<const unsigned char*>(ptr);
    if (index == 0 && value == kFixtureBankChunkSize && std::memcmp(data, "KvBk", 4) == 0)
      data += 4;
    else if (index != 1 || value != kFixtureProgramChunkSize)
      return 0;
    std::memcpy(fixture->params, data, sizeof(fixture->params));
    return 1;
  }

  case effProcessEvents:
    fixture->pendingEvents = static_cast<const VstEvents*>(ptr);
    return 1;

  case effGetInputProperties:
  case effGetOutputProperties:
    if (index < 0 || index >= kFixtureChannels)
      return 0;
    pinProperties(index, opcode == effGetInputProperties ? "In" : "Out", ptr);
    return 1;
  case effEditGetRect:
    *static_cast<ERect**>(ptr) = &fixture->rect;
    return 1;

  case effGetPlugCategory:
    return kPlugCategEffect;
  case effGetEffectName:
    copyText(ptr, "Fixture Echo", kVstMaxEffectNameLen);
    return 1;
  case effGetVendorString:
    copyText(ptr, "Kolvane Tests", kVstMaxVendorStrLen);
    return 1;
  case effGetProductString:
    copyText(ptr, "Host Fixture", kVstMaxProductStrLen);
    return 1;
  case effGetVendorVersion:
    return 1000;
  case effGetVstVersion:
    return kVstVersion;
  case effCanDo:
    for (const char* capability : kCapabilitiesYes)
      if (std::strcmp(static_cast<const char*>(ptr), capability) == 0)
        return 1;
    return std::strcmp(static_cast<const char*>(ptr), "offline") == 0 ? -1 : 0;
  case effVendorSpecific:
    return vendorSpecific(fixture, index, value, ptr, opt);
  default:
    return 0;
  }
}

void describe(AEffect& effect, Fixture* fixture)
{
  std::memset(&effect, 0, sizeof(effect));
  effect.magic = kEffectMagic;
  effect.dispatcher = dispatcher;
  effect.process = processAccumulating;
  effect.setParameter = setParameter;
  effect.getParameter = getParameter;
  effect.numPrograms = kFixturePrograms;
  effect.numParams = kFixtureParams;
  effect.numInputs = kFixtureChannels;
  effect.numOutputs = kFixtureChannels;
  effect.flags =
      effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks | effFlagsCanDoubleReplacing;
  effect.ioRatio = 1.0f;
  effect.object = fixture;
  effect.uniqueID = kFixtureUniqueId;
  effect.version = kFixtureVersion;
  effect.processReplacing = processReplacing;
  effect.processDoubleReplacing = processDouble;
}
} // namespace

extern "C"
{
  // On Windows the .def file names the exports; on Linux everything else is
  // hidden and the entry names are aliases of this function.
  AEffect* VSTCALLBACK fixtureEntry(audioMasterCallback host)
  {
    ++gEntryCount;
    logWord("entry");
    // Asked before any effect exists, as plug-ins commonly do; a host that
    // answers 0 gets no instance.
    const VstIntPtr hostVersion = host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f);
    if (hostVersion == 0)
      return nullptr;

#ifdef FIXTURE_BAD_MAGIC
    // Everything but the magic; static, so the refusing host leaks nothing.
    static AEffect notAnEffect;
    describe(notAnEffect, nullptr);
    notAnEffect.magic = kFixtureBadMagic;
    return &notAnEffect;
#else
    Fixture* fixture = new Fixture();
    describe(fixture->effect, fixture);
    fixture->host = host;
    fixture->entryHostVersion = hostVersion;
    // With its own record before the host has set AEffect::user.
    fixture->callHost(audioMasterGetProductString, 0, 0, fixture->entryProduct);
    return &fixture->effect;
#endif
  }

#ifdef _WIN32
#define FIXTURE_EXPORT
#else
#define FIXTURE_EXPORT __attribute__((visibility("default")))
#endif

  FIXTURE_EXPORT void KolvaneFixtureTakeLog(char* out, int size)
  {
    std::lock_guard<std::mutex> lock(gLogMutex);
    std::snprintf(out, static_cast<size_t>(size), "%s", gLog.c_str());
    gLog.clear();
  }

#ifndef _WIN32
#ifndef FIXTURE_LEGACY_ONLY
  AEffect* VSTPluginMain(audioMasterCallback host)
      __attribute__((alias("fixtureEntry"), visibility("default")));
#endif
  AEffect* fixtureLegacyMain(audioMasterCallback host) __asm__("main")
      __attribute__((alias("fixtureEntry"), visibility("default")));
#endif
}
