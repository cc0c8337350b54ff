// A small effect with one deliberate fault at a time, written directly
// against the interface header: the validator's checks must catch each
// fault, and must pass the plug-in when no fault is chosen.
//
// The effect: a stereo one-pole low-pass with gain ("Gain", "Tone",
// "Mode"), four programs, program and bank chunks, and a stand-in editor.
// Without a fault it does everything a validator asks for: it locks its
// state against concurrent calls, resets a filter that went non-finite,
// flushes tiny numbers to zero, bounds every string and checks every chunk.
//
// The fault is chosen by name (BrokenProtocol.h) through the exported
// KolvaneBrokenSelectFault, or at the first entry point call from the
// environment variable KOLVANE_BROKEN_FAULT, for command-line runs. Every
// fault stays within the plug-in's own memory and the host's buffers as
// the host sized them: a fault shows in what the plug-in answers, never as
// undefined behaviour.

#include "BrokenProtocol.h"
#include "VST2Interface.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define BROKEN_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BROKEN_SANITIZED 1
#endif
#endif
#ifdef BROKEN_SANITIZED
#include <sanitizer/lsan_interface.h>
#endif

namespace
{
std::atomic<int> gFault{-1};

bool faulty(BrokenFault fault)
{
  return gFault.load() == fault;
}

const int kParams = 3;
const int kPrograms = 4;
const int kChannels = 2;
const int kNameBytes = 24;
const int kStates = 16; // the tiny-signal states that turn subnormal
const char kProgramMagic[4] = {'K', 'v', 'B', 'r'};
const char kBankMagic[4] = {'K', 'v', 'B', 'B'};

struct Program
{
  char name[kNameBytes];
  float values[kParams];
};

const Program kFactory[kPrograms] = {
    {"Init", {0.5f, 0.5f, 0.0f}},
    {"Loud", {1.0f, 0.5f, 0.0f}},
    {"Bright", {0.5f, 0.9f, 0.5f}},
    {"Dark", {0.5f, 0.1f, 1.0f}},
};

// Holds without allocating: a standard mutex on MinGW leaves a block on
// the heap per instance, which the validator would rightly call a leak.
class SpinLock
{
public:
  void lock()
  {
    while (mFlag.test_and_set(std::memory_order_acquire))
      std::this_thread::yield();
  }
  void unlock() { mFlag.clear(std::memory_order_release); }

private:
  std::atomic_flag mFlag = ATOMIC_FLAG_INIT;
};

struct Broken;

// Takes the plug-in's lock, except for the fault that forgets to.
class Guard
{
public:
  explicit Guard(Broken* plugin);
  ~Guard();

private:
  Broken* mPlugin;
};

struct Broken
{
  AEffect effect;
  audioMasterCallback host = nullptr;
  SpinLock lock;
  float params[kParams] = {0.5f, 0.5f, 0.0f};
  Program programs[kPrograms];
  int program = 0;
  float sampleRate = 44100.0f;
  int blockSize = 1024;
  double lowpass[kChannels] = {0.0, 0.0};
  double growth = 1.0;
  float tiny[kChannels][kStates] = {};
  std::atomic<bool> torn{false}; // a call came in while a block was processing
  std::atomic<bool> inBlock{false};
  bool eventOutsideBlock = false;
  bool editorOpen = false;
  ERect rect = {0, 0, 120, 200};
  char chunk[4 + kPrograms * sizeof(Program) + 4] = {};
  char* leaked = nullptr;

  Broken() { std::memcpy(programs, kFactory, sizeof(programs)); }
  ~Broken()
  {
    if (!faulty(kFaultLeak))
      std::free(leaked);
  }

  // Marks a call that changes state while a block is being processed: only
  // the fault that takes no lock lets one through.
  void Touch()
  {
    if (inBlock.load())
      torn.store(true);
  }

  double Coefficient() const
  {
    // Per-sample smoothing for a 1 kHz corner at most: a rate that is not
    // a positive number leaves it at the top of its range.
    const double hertz = 50.0 + 950.0 * params[1];
    if (faulty(kFaultOddRate))
      return 2.0 * 3.14159265 * hertz / sampleRate;
    if (!(sampleRate > 1000.0f) || !std::isfinite(sampleRate))
      return 0.5;
    return 1.0 - std::exp(-2.0 * 3.14159265 * hertz / sampleRate);
  }
};

Guard::Guard(Broken* plugin) : mPlugin(faulty(kFaultRace) ? nullptr : plugin)
{
  if (mPlugin)
    mPlugin->lock.lock();
}

Guard::~Guard()
{
  if (mPlugin)
    mPlugin->lock.unlock();
}

Broken* self(AEffect* effect)
{
  return static_cast<Broken*>(effect->object);
}

float clamp01(float value)
{
  return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
}

// The tempo-synced wobble: a bar-long sine from the host's position.
double wobble(Broken* plugin)
{
  const VstIntPtr answer = plugin->host(&plugin->effect, audioMasterGetTime, 0,
                                        kVstTempoValid | kVstTimeSigValid, nullptr, 0.0f);
  const VstTimeInfo* time = reinterpret_cast<const VstTimeInfo*>(answer);
  if (faulty(kFaultTimeInfo))
  {
    // Trusts whatever comes: no record reads as tempo 0, and the depth
    // follows tempo and bar length by dividing by them.
    const double tempo = time ? time->tempo : 0.0;
    const double numerator = time ? time->timeSigNumerator : 0.0;
    const double samplePos = time ? time->samplePos : 0.0;
    return 1.0 + 0.1 * std::sin(samplePos / 44100.0) * (120.0 / tempo) / numerator;
  }
  if (!time || !(time->flags & kVstTempoValid) || !(time->tempo > 0.0) ||
      !(time->flags & kVstTimeSigValid) || time->timeSigNumerator <= 0 ||
      !std::isfinite(time->samplePos))
    return 1.0;
  const double barSamples = 60.0 / time->tempo * 44100.0 * time->timeSigNumerator;
  return 1.0 + 0.1 * std::sin(std::fmod(time->samplePos, barSamples) / barSamples * 6.2831853);
}

// What an operation on a subnormal number costs where the processor
// handles it in microcode, about a hundred cycles: some processors take it
// in their stride, and the fault must be slow on every one of them.
void subnormalCost()
{
  volatile float spin = 0.0f;
  for (int i = 0; i < 100; ++i)
    spin = spin + 1.0f;
}

template <typename T> void render(Broken* plugin, T** inputs, T** outputs, VstInt32 frames)
{
  Guard guard(plugin);
  if (frames <= 0)
  {
    if (faulty(kFaultUnwrittenFrames) && frames == 0)
      outputs[0][0] = 0;
    return;
  }
  plugin->inBlock.store(true);
  // A block takes a while: without a lock, other calls land inside it,
  // however the system shares its cores.
  if (faulty(kFaultRace))
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  // The fault that sizes its work by the announced block and not by the
  // host's call leaves the rest of a longer block unwritten.
  const VstInt32 written =
      faulty(kFaultUnwrittenFrames) && frames > plugin->blockSize ? plugin->blockSize : frames;
  const double c = plugin->Coefficient();
  const double gain = 2.0 * plugin->params[0] * wobble(plugin);
  // Ramps the gain over the block as if it were longer than a slice: a
  // block of exactly 32 frames divides by zero.
  const double ramp = faulty(kFaultAutomation) ? 1.0 / (frames - 32) : 0.0;
  // A call that came in during the previous block tore its state.
  const bool poisoned = plugin->torn.exchange(false) || plugin->eventOutsideBlock;
  // At the top of its gain range (the "Loud" program) the faulty build
  // feeds its output back with a gain above one: it grows until it is
  // infinite.
  const bool runaway = faulty(kFaultUnbounded) && plugin->params[0] >= 1.0f;
  for (int ch = 0; ch < kChannels; ++ch)
  {
    double y = plugin->lowpass[ch];
    float* tiny = plugin->tiny[ch];
    for (VstInt32 i = 0; i < written; ++i)
    {
      const double x = static_cast<double>(inputs[ch][i]);
      y += c * (x - y);
      // Too small to hear, and slow to compute once subnormal.
      if (!faulty(kFaultDenormals) && std::fabs(y) < 1e-15)
        y = 0.0;
      if (runaway)
        y = y * 1.5 + x;
      // A whisper of the input decaying in float states: flushed to zero
      // here unless the fault forgets, when it lingers as subnormals.
      float whisper = 0.0f;
      for (int k = 0; k < kStates; ++k)
      {
        tiny[k] = tiny[k] * 0.999f + static_cast<float>(x) * 1e-33f;
        if (!faulty(kFaultDenormals) && std::fabs(tiny[k]) < 1e-30f)
          tiny[k] = 0.0f;
        else if (tiny[k] != 0.0f && std::fabs(tiny[k]) < std::numeric_limits<float>::min())
          subnormalCost();
        whisper += tiny[k];
      }
      double out = y * gain * (1.0 + ramp * i) + whisper;
      if (poisoned)
        out = std::numeric_limits<double>::quiet_NaN();
      outputs[ch][i] = static_cast<T>(out);
    }
    // A filter that went non-finite starts again from silence, unless the
    // fault keeps it.
    if (!faulty(kFaultStickyNan))
    {
      if (!std::isfinite(y))
        y = 0.0;
      for (int k = 0; k < kStates; ++k)
        if (!std::isfinite(tiny[k]))
          tiny[k] = 0.0f;
    }
    plugin->lowpass[ch] = y;
  }
  plugin->eventOutsideBlock = false;
  plugin->inBlock.store(false);
}

void VSTCALLBACK processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
  render(self(effect), inputs, outputs, frames);
}

void VSTCALLBACK processAccumulating(AEffect* effect, float** inputs, float** outputs,
                                     VstInt32 frames)
{
  // Not used by the validator when the replacing callback exists.
  render(self(effect), inputs, outputs, frames);
}

void VSTCALLBACK processDouble(AEffect* effect, double** inputs, double** outputs, VstInt32 frames)
{
  render(self(effect), inputs, outputs, frames);
}

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value)
{
  Broken* plugin = self(effect);
  Guard guard(plugin);
  plugin->Touch();
  if (index >= 0 && index < kParams && std::isfinite(value))
    plugin->params[index] = clamp01(value);
}

float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index)
{
  Broken* plugin = self(effect);
  Guard guard(plugin);
  return index >= 0 && index < kParams ? plugin->params[index] : 0.0f;
}

// Copies at most size - 1 characters and terminates, unless the fault
// writes the whole text wherever it goes.
void copyText(void* out, const char* text, size_t size)
{
  if (faulty(kFaultStringOverrun))
    std::memcpy(out, text, std::strlen(text) + 1);
  else
    std::snprintf(static_cast<char*>(out), size, "%s", text);
}

const char* const kParamNames[kParams] = {"Gain", "Tone", "Mode"};
const char* const kLongNames[kParams] = {"Gain of the whole signal path, linear",
                                         "Tone of the low-pass filter, dark to bright",
                                         "Mode of operation, one of three"};

VstIntPtr getChunk(Broken* plugin, bool bank, void** data)
{
  char* out = plugin->chunk;
  if (bank)
  {
    std::memcpy(out, kBankMagic, 4);
    std::memcpy(plugin->programs[plugin->program].values, plugin->params, sizeof(plugin->params));
    std::memcpy(out + 4, plugin->programs, sizeof(plugin->programs));
    if (faulty(kFaultChunkLossy))
      for (int p = 0; p < kPrograms; ++p)
        std::memset(out + 4 + p * sizeof(Program), 0, kNameBytes);
    const VstInt32 current = plugin->program;
    std::memcpy(out + 4 + sizeof(plugin->programs), &current, 4);
    *data = out;
    return 4 + sizeof(plugin->programs) + 4;
  }
  std::memcpy(out, kProgramMagic, 4);
  float values[kParams];
  std::memcpy(values, plugin->params, sizeof(values));
  if (faulty(kFaultChunkLossy))
    values[2] = 0.0f;
  std::memcpy(out + 4, values, sizeof(values));
  *data = out;
  return 4 + sizeof(values);
}

// Reads `count` floats from `data` (of `size` bytes) at `at`. The clean
// plug-in refuses a short or non-finite state; the trusting fault reads
// what there is, and a value that is missing comes out as garbage.
bool readValues(const unsigned char* data, VstIntPtr size, VstIntPtr at, float* values, int count)
{
  if (faulty(kFaultChunkTrust))
  {
    for (int i = 0; i < count; ++i)
    {
      if (at + 4 * (i + 1) <= size)
        std::memcpy(&values[i], data + at + 4 * i, 4);
      else
        values[i] = std::numeric_limits<float>::quiet_NaN();
    }
    return true;
  }
  if (at + 4 * count > size)
    return false;
  float read[kParams];
  std::memcpy(read, data + at, 4 * static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    if (!std::isfinite(read[i]))
      return false;
  for (int i = 0; i < count; ++i)
    values[i] = clamp01(read[i]);
  return true;
}

VstIntPtr setChunk(Broken* plugin, bool bank, VstIntPtr size, const void* ptr)
{
  const unsigned char* data = static_cast<const unsigned char*>(ptr);
  const bool trusting = faulty(kFaultChunkTrust);
  if (!data || size < 0)
    return 0;
  if (!bank)
  {
    if (!trusting && (size < 4 || std::memcmp(data, kProgramMagic, 4) != 0))
      return 0;
    float values[kParams];
    if (!readValues(data, size, 4, values, kParams))
      return 0;
    std::memcpy(plugin->params, values, sizeof(values));
    return 1;
  }
  const VstIntPtr expected = 4 + static_cast<VstIntPtr>(sizeof(plugin->programs)) + 4;
  if (!trusting && (size != expected || std::memcmp(data, kBankMagic, 4) != 0))
    return 0;
  Program programs[kPrograms];
  for (int p = 0; p < kPrograms; ++p)
  {
    const VstIntPtr at = 4 + p * static_cast<VstIntPtr>(sizeof(Program));
    std::memset(programs[p].name, 0, kNameBytes);
    if (at + kNameBytes <= size)
      std::memcpy(programs[p].name, data + at, kNameBytes - 1);
    if (!readValues(data, size, at + kNameBytes, programs[p].values, kParams))
      return 0;
  }
  VstInt32 current = 0;
  if (expected <= size)
    std::memcpy(&current, data + expected - 4, 4);
  if (current < 0 || current >= kPrograms)
    current = 0;
  std::memcpy(plugin->programs, programs, sizeof(programs));
  plugin->program = current;
  std::memcpy(plugin->params, programs[current].values, sizeof(plugin->params));
  return 1;
}

VstIntPtr processEvents(Broken* plugin, const VstEvents* events, int frames)
{
  if (!events)
    return 0;
  // Two slots are declared, numEvents are there: reached from their address.
  const VstEvent* const* slots = reinterpret_cast<const VstEvent* const*>(
      reinterpret_cast<const char*>(events) + offsetof(VstEvents, events));
  for (VstInt32 i = 0; i < events->numEvents; ++i)
  {
    const VstEvent* event = slots[i];
    // An offset outside the coming block would index past the fault's
    // per-block note table: it poisons the block instead.
    if (event && faulty(kFaultEventOffsets) &&
        (event->deltaFrames < 0 || event->deltaFrames >= frames))
      plugin->eventOutsideBlock = true;
  }
  return 1;
}

VstIntPtr VSTCALLBACK dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                 void* ptr, float opt)
{
  Broken* plugin = self(effect);
  if (opcode == effClose)
  {
    delete plugin;
    return 0;
  }
  Guard guard(plugin);
  switch (opcode)
  {
  case effSetSampleRate:
    plugin->sampleRate = opt;
    return 0;
  case effSetBlockSize:
    plugin->blockSize = static_cast<int>(value);
    return 0;
  case effSetProgram:
    plugin->Touch();
    if (value >= 0 && value < kPrograms)
    {
      plugin->program = static_cast<int>(value);
      std::memcpy(plugin->params, plugin->programs[value].values, sizeof(plugin->params));
    }
    return 0;
  case effGetProgram:
    return plugin->program;
  case effSetProgramName:
    if (ptr)
      std::snprintf(plugin->programs[plugin->program].name, kNameBytes, "%s",
                    static_cast<const char*>(ptr));
    return 0;
  case effGetProgramName:
  case effGetProgramNameIndexed:
  {
    const int p = opcode == effGetProgramName ? plugin->program : index;
    if (!ptr || p < 0 || p >= kPrograms)
      return 0;
    char name[64];
    std::snprintf(name, sizeof(name),
                  faulty(kFaultStringOverrun) ? "%s program with a long name" : "%s",
                  plugin->programs[p].name);
    copyText(ptr, name, kNameBytes);
    return 1;
  }
  case effGetParamName:
  case effGetParamLabel:
  case effGetParamDisplay:
  {
    if (!ptr || index < 0 || index >= kParams)
      return 0;
    if (opcode == effGetParamName && faulty(kFaultCrash))
      std::raise(SIGSEGV);
    char text[64];
    if (opcode == effGetParamName)
      std::snprintf(text, sizeof(text), "%s",
                    (faulty(kFaultStringOverrun) ? kLongNames : kParamNames)[index]);
    else if (opcode == effGetParamLabel)
      std::snprintf(text, sizeof(text), "%s", index == 0 ? "x" : "");
    else
      std::snprintf(text, sizeof(text), "%.3f", static_cast<double>(plugin->params[index]));
    copyText(ptr, text, 32);
    return 1;
  }
  case effString2Parameter:
  {
    if (!ptr || index < 0 || index >= kParams)
      return 0;
    char* end = nullptr;
    const double value = std::strtod(static_cast<const char*>(ptr), &end);
    if (end == ptr || !std::isfinite(value))
      return 0;
    plugin->Touch();
    plugin->params[index] = clamp01(static_cast<float>(value));
    return 1;
  }
  case effCanBeAutomated:
    return index >= 0 && index < kParams ? 1 : 0;
  case effGetChunk:
    if (!ptr)
      return 0;
    if (faulty(kFaultSlowDispatch))
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    return getChunk(plugin, index == 0, static_cast<void**>(ptr));
  case effSetChunk:
    plugin->Touch();
    return setChunk(plugin, index == 0, value, ptr);
  case effProcessEvents:
    return processEvents(plugin, static_cast<const VstEvents*>(ptr), plugin->blockSize);
  case effEditGetRect:
    if (!ptr)
      return 0;
    *static_cast<ERect**>(ptr) =
        faulty(kFaultEditorNoRect) && plugin->editorOpen ? nullptr : &plugin->rect;
    return 1;
  case effEditOpen:
    plugin->editorOpen = ptr != nullptr;
    return plugin->editorOpen ? 1 : 0;
  case effEditClose:
    plugin->editorOpen = false;
    return 1;
  case effGetInputProperties:
  case effGetOutputProperties:
  {
    if (!ptr || index < 0 || index >= kChannels)
      return 0;
    VstPinProperties* pin = static_cast<VstPinProperties*>(ptr);
    char label[64];
    std::snprintf(label, sizeof(label), "%s %d", opcode == effGetInputProperties ? "In" : "Out",
                  index + 1);
    copyText(pin->label, label, sizeof(pin->label));
    copyText(pin->shortLabel, faulty(kFaultStringOverrun) ? "Channel-1" : "Ch", 8);
    pin->flags = kVstPinIsActive | (index == 0 ? kVstPinIsStereo : 0);
    return 1;
  }
  case effGetPlugCategory:
    return kPlugCategEffect;
  case effGetEffectName:
    if (!ptr)
      return 0;
    copyText(ptr,
             faulty(kFaultStringOverrun) ? "Broken Effect That Names Itself Too Long"
                                         : "Broken Effect",
             32);
    return 1;
  case effGetVendorString:
    if (!ptr)
      return 0;
    while (faulty(kFaultHang))
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    copyText(ptr, "Kolvane Tests", 64);
    return 1;
  case effGetProductString:
    if (!ptr)
      return 0;
    copyText(ptr, "Validator Fixture", 64);
    return 1;
  case effGetVstVersion:
    return kVstVersion;
  case effCanDo:
    return ptr && std::strcmp(static_cast<const char*>(ptr), "receiveVstMidiEvent") == 0 ? 1 : 0;
  default:
    return 0;
  }
}

BrokenFault faultFromEnvironment()
{
  const char* name = std::getenv("KOLVANE_BROKEN_FAULT");
  return name ? BrokenFaultNamed(name) : kFaultNone;
}
} // namespace

extern "C"
{
  AEffect* VSTCALLBACK brokenEntry(audioMasterCallback host)
  {
    int unset = -1;
    gFault.compare_exchange_strong(unset, faultFromEnvironment());
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
      return nullptr;
    Broken* plugin = new Broken();
    plugin->host = host;
    if (faulty(kFaultLeak))
    {
      plugin->leaked = static_cast<char*>(std::malloc(4096));
      if (plugin->leaked)
        std::memset(plugin->leaked, 1, 4096);
#ifdef BROKEN_SANITIZED
      // Deliberate: the heap count must see it, the leak checker need not.
      __lsan_ignore_object(plugin->leaked);
#endif
    }
    AEffect& effect = plugin->effect;
    std::memset(&effect, 0, sizeof(effect));
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatcher;
    effect.process = processAccumulating;
    effect.setParameter = setParameter;
    effect.getParameter = getParameter;
    effect.numPrograms = kPrograms;
    effect.numParams = kParams;
    effect.numInputs = kChannels;
    effect.numOutputs = kChannels;
    effect.flags = effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks |
                   effFlagsCanDoubleReplacing;
    effect.ioRatio = 1.0f;
    effect.object = plugin;
    effect.uniqueID = 0x4B764272; // 'KvBr'
    effect.version = 1;
    effect.processReplacing = processReplacing;
    effect.processDoubleReplacing = processDouble;
    return &effect;
  }

#ifdef _WIN32
#define BROKEN_EXPORT
#else
#define BROKEN_EXPORT __attribute__((visibility("default")))
#endif

  // Chooses the fault of every instance made from now on; 0 for an
  // unknown name.
  BROKEN_EXPORT int KolvaneBrokenSelectFault(const char* name)
  {
    const BrokenFault fault = BrokenFaultNamed(name);
    gFault.store(fault);
    return fault != kFaultUnknown;
  }

#ifndef _WIN32
  AEffect* VSTPluginMain(audioMasterCallback host)
      __attribute__((alias("brokenEntry"), visibility("default")));
  AEffect* brokenLegacyMain(audioMasterCallback host) __asm__("main")
      __attribute__((alias("brokenEntry"), visibility("default")));
#endif
}
