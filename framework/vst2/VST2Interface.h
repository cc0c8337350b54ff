#pragma once

// The VST2 binary interface as this project uses it, on both sides: the
// plug-in adapter (IPlugVST) and the project's own test host. Written from
// the interface's published facts: record layouts, constants, opcodes and
// calling convention. Only what the project needs is declared; unknown
// opcodes are answered with 0 on both sides.
//
// Layout rules: every record is packed to 8 bytes, which on x86 and x86_64
// equals natural alignment; pointer-sized integers are intptr_t (4 bytes on
// 32-bit, 8 on 64-bit, Windows included). Every function pointer uses the C
// calling convention (cdecl on 32-bit Windows).

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

typedef int32_t VstInt32;
typedef int16_t VstInt16;
typedef intptr_t VstIntPtr;

#pragma pack(push, 8)

struct AEffect;

typedef VstIntPtr(VSTCALLBACK* audioMasterCallback)(AEffect* effect, VstInt32 opcode,
                                                    VstInt32 index, VstIntPtr value, void* ptr,
                                                    float opt);
typedef VstIntPtr(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode,
                                                      VstInt32 index, VstIntPtr value, void* ptr,
                                                      float opt);
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectProcessDoubleProc)(AEffect* effect, double** inputs,
                                                    double** outputs, VstInt32 sampleFrames);
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, VstInt32 index,
                                                   float parameter);
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

// "VstP": the first field of every effect record.
const VstInt32 kEffectMagic = 0x56737450;
const VstInt32 kVstVersion = 2400;

// The record the plug-in hands to the host; the host reaches everything
// else through its function pointers.
struct AEffect
{
  VstInt32 magic;
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process; // accumulating: adds to the outputs
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 numInputs;
  VstInt32 numOutputs;
  VstInt32 flags;
  VstIntPtr resvd1; // the host's; the plug-in leaves it 0
  VstIntPtr resvd2;
  VstInt32 initialDelay;
  VstInt32 realQualities;
  VstInt32 offQualities;
  float ioRatio;
  void* object; // the plug-in's own object
  void* user;   // free for the host
  VstInt32 uniqueID;
  VstInt32 version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

enum VstAEffectFlags
{
  effFlagsHasEditor = 1 << 0,
  effFlagsCanMono = 1 << 3,
  effFlagsCanReplacing = 1 << 4,
  effFlagsProgramChunks = 1 << 5,
  effFlagsIsSynth = 1 << 8,
  effFlagsNoSoundInStop = 1 << 9,
  effFlagsCanDoubleReplacing = 1 << 12,
};

// Host to plug-in requests (AEffect::dispatcher).
enum AEffectOpcodes
{
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effGetVu = 9,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditIdle = 19,
  effIdentify = 22,
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetProgramNameIndexed = 29,
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effProcessVarIo = 41,
  effSetSpeakerArrangement = 42,
  effSetBypass = 44,
  effGetEffectName = 45,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effGetTailSize = 52,
  effIdle = 53,
  effGetParameterProperties = 56,
  effGetVstVersion = 58,
  effGetMidiKeyName = 66,
  effGetSpeakerArrangement = 69,
  effStartProcess = 71,
  effStopProcess = 72,
  effSetProcessPrecision = 77,
};

// Plug-in to host requests (audioMasterCallback).
enum AudioMasterOpcodes
{
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterIdle = 3,
  audioMasterWantMidi = 6,
  audioMasterGetTime = 7,
  audioMasterProcessEvents = 8,
  audioMasterIOChanged = 13,
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetVendorString = 32,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterCanDo = 37,
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,
  audioMasterEndEdit = 44,
};

// "NvEf": the answer to effIdentify.
const VstInt32 kEffectIdentify = 0x4E764566;

// String field sizes the interface names. Hosts pass larger buffers in
// practice; see the adapter for the bounds it writes within.
enum VstStringConstants
{
  kVstMaxProgNameLen = 24,
  kVstMaxParamStrLen = 8,
  kVstMaxVendorStrLen = 64,
  kVstMaxProductStrLen = 64,
  kVstMaxEffectNameLen = 32,
  kVstMaxNameLen = 64,
  kVstMaxLabelLen = 64,
  kVstMaxShortLabelLen = 8,
};

enum VstPlugCategory
{
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
};

enum VstProcessLevels
{
  kVstProcessLevelUnknown = 0,
  kVstProcessLevelUser = 1,
  kVstProcessLevelRealtime = 2,
  kVstProcessLevelPrefetch = 3,
  kVstProcessLevelOffline = 4,
};

// The editor's size (effEditGetRect).
struct ERect
{
  VstInt16 top;
  VstInt16 left;
  VstInt16 bottom;
  VstInt16 right;
};

// Transport (audioMasterGetTime). Same layout on 32 and 64 bits.
struct VstTimeInfo
{
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;
  double tempo;
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  VstInt32 timeSigNumerator;
  VstInt32 timeSigDenominator;
  VstInt32 smpteOffset;
  VstInt32 smpteFrameRate;
  VstInt32 samplesToNextClock;
  VstInt32 flags;
};

enum VstTimeInfoFlags
{
  kVstTransportChanged = 1 << 0,
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstCyclePosValid = 1 << 12,
  kVstTimeSigValid = 1 << 13,
  kVstSmpteValid = 1 << 14,
  kVstClockValid = 1 << 15,
};

enum VstEventTypes
{
  kVstMidiType = 1,
  kVstSysExType = 6,
};

// The common head of every event.
struct VstEvent
{
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames; // sample offset in the coming block
  VstInt32 flags;
  char data[16];
};

// effProcessEvents / audioMasterProcessEvents. Declared with two entries;
// really numEvents of them.
struct VstEvents
{
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[2];
};

struct VstMidiEvent
{
  VstInt32 type; // kVstMidiType
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 noteLength;
  VstInt32 noteOffset;
  char midiData[4]; // status, data1, data2, 0
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

struct VstMidiSysexEvent
{
  VstInt32 type; // kVstSysExType
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 dumpBytes;
  VstIntPtr resvd1;
  char* sysexDump;
  VstIntPtr resvd2;
};

// effGetInputProperties / effGetOutputProperties.
struct VstPinProperties
{
  char label[kVstMaxLabelLen];
  VstInt32 flags;
  VstInt32 arrangementType;
  char shortLabel[kVstMaxShortLabelLen];
  char future[48];
};

enum VstPinPropertiesFlags
{
  kVstPinIsActive = 1 << 0,
  kVstPinIsStereo = 1 << 1,
  kVstPinUseSpeaker = 1 << 2,
};

enum VstSpeakerArrangementType
{
  kSpeakerArrUserDefined = -2,
  kSpeakerArrEmpty = -1,
  kSpeakerArrMono = 0,
  kSpeakerArrStereo = 1,
};

struct VstSpeakerProperties
{
  float azimuth;
  float elevation;
  float radius;
  float reserved;
  char name[kVstMaxNameLen];
  VstInt32 type;
  char future[28];
};

// Declared with eight speakers; really numChannels of them.
struct VstSpeakerArrangement
{
  VstInt32 type;
  VstInt32 numChannels;
  VstSpeakerProperties speakers[8];
};

// effGetMidiKeyName.
struct MidiKeyName
{
  VstInt32 thisProgramIndex;
  VstInt32 thisKeyNumber;
  char keyName[kVstMaxNameLen];
  VstInt32 reserved;
  VstInt32 flags;
};

#pragma pack(pop)

// The layout facts, checked wherever this header is compiled.
static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "32- or 64-bit targets only");
static_assert(sizeof(AEffect) == (sizeof(void*) == 4 ? 144 : 192), "AEffect size");
static_assert(offsetof(AEffect, flags) == (sizeof(void*) == 4 ? 36 : 56), "AEffect::flags");
static_assert(offsetof(AEffect, object) == (sizeof(void*) == 4 ? 64 : 96), "AEffect::object");
static_assert(offsetof(AEffect, uniqueID) == (sizeof(void*) == 4 ? 72 : 112), "AEffect::uniqueID");
static_assert(offsetof(AEffect, processDoubleReplacing) == (sizeof(void*) == 4 ? 84 : 128),
              "AEffect::processDoubleReplacing");
static_assert(sizeof(VstTimeInfo) == 88, "VstTimeInfo size");
static_assert(offsetof(VstTimeInfo, flags) == 84, "VstTimeInfo::flags");
static_assert(sizeof(VstEvents) == (sizeof(void*) == 4 ? 16 : 32), "VstEvents size");
static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent size");
static_assert(offsetof(VstMidiEvent, midiData) == 24, "VstMidiEvent::midiData");
static_assert(sizeof(VstMidiSysexEvent) == (sizeof(void*) == 4 ? 32 : 48), "sysex event size");
static_assert(offsetof(VstMidiSysexEvent, sysexDump) == (sizeof(void*) == 4 ? 24 : 32),
              "VstMidiSysexEvent::sysexDump");
static_assert(sizeof(ERect) == 8, "ERect size");
static_assert(sizeof(VstPinProperties) == 128, "VstPinProperties size");
static_assert(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties size");
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8, "speaker entries");
static_assert(sizeof(MidiKeyName) == 80, "MidiKeyName size");
