#include "PluginInstance.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vsthost
{
namespace
{
// Requests the interface header leaves out because the plug-in side never
// answers them; the host still does.
const VstInt32 kAudioMasterGetInputLatency = 18;
const VstInt32 kAudioMasterGetOutputLatency = 19;
const VstInt32 kAudioMasterGetLanguage = 38;
const VstInt32 kAudioMasterGetDirectory = 41;
const VstIntPtr kLanguageEnglish = 1;

// The instance whose entry point is running on this thread: the plug-in
// may call back before its AEffect exists or before AEffect::user is set.
thread_local PluginInstance* tLoading = nullptr;

// Each thread gets its own time answer, so a plug-in reading it on the
// audio thread never races a query from another thread. It stays valid
// until the same thread asks again.
thread_local VstTimeInfo tTimeAnswer;

// Copies at most size - 1 characters and always terminates.
void copyText(void* destination, const std::string& text, size_t size)
{
  if (!destination || size == 0)
    return;
  const size_t length = std::min(text.size(), size - 1);
  std::memcpy(destination, text.data(), length);
  static_cast<char*>(destination)[length] = '\0';
}

// The event pointers follow VstEvents' head; the record declares two of
// them but carries numEvents.
VstEvent** eventSlots(VstEvents* events)
{
  return reinterpret_cast<VstEvent**>(reinterpret_cast<char*>(events) +
                                      offsetof(VstEvents, events));
}

std::string hex32(VstInt32 value)
{
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::string directoryOf(const std::string& path)
{
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}
} // namespace

bool operator==(const HostCall& a, const HostCall& b)
{
  return a.kind == b.kind && a.index == b.index && a.value == b.value;
}

std::ostream& operator<<(std::ostream& out, const HostCall& call)
{
  switch (call.kind)
  {
  case HostCall::Automate:
    return out << "automate(" << call.index << ", " << call.value << ")";
  case HostCall::BeginEdit:
    return out << "beginEdit(" << call.index << ")";
  case HostCall::EndEdit:
    return out << "endEdit(" << call.index << ")";
  case HostCall::UpdateDisplay:
    return out << "updateDisplay()";
  }
  return out << "unknown(" << static_cast<int>(call.kind) << ")";
}

// effProcessEvents' argument and the events it points to, owned by the
// host until the block they belong to has been processed.
struct PluginInstance::EventBatch
{
  std::vector<VstMidiEvent> midi;
  std::vector<VstIntPtr> storage; // VstEvents with room for every pointer

  VstEvents* Build(VstEvent* const* events, VstInt32 count)
  {
    const size_t slots = static_cast<size_t>(std::max(count, 2));
    const size_t bytes = offsetof(VstEvents, events) + slots * sizeof(VstEvent*);
    storage.assign(bytes / sizeof(VstIntPtr) + 1, 0);
    VstEvents* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = count;
    list->reserved = 0;
    VstEvent** slot = eventSlots(list);
    for (VstInt32 i = 0; i < count; ++i)
      slot[i] = events[i];
    return list;
  }
};

PluginInstance::PluginInstance(std::shared_ptr<PluginModule> module, const HostSettings& settings)
    : mModule(std::move(module)), mSettings(settings), mSampleRate(settings.sampleRate),
      mBlockSize(settings.blockSize), mDirectory(directoryOf(mModule->Path())),
      mProcessLevel(settings.processLevel), mTransport(settings.transport, settings.sampleRate)
{
  for (std::atomic<int>& count : mCallbackCounts)
    count.store(0);
}

PluginInstance::~PluginInstance()
{
  Close();
}

std::unique_ptr<PluginInstance>
PluginInstance::Open(const std::string& path, const HostSettings& settings, std::string* error)
{
  std::shared_ptr<PluginModule> module = PluginModule::Load(path, error);
  if (!module)
    return nullptr;
  return Open(std::move(module), settings, error);
}

std::unique_ptr<PluginInstance> PluginInstance::Open(std::shared_ptr<PluginModule> module,
                                                     const HostSettings& settings,
                                                     std::string* error)
{
  auto fail = [&](const std::string& text)
  {
    if (error)
      *error = text;
    return std::unique_ptr<PluginInstance>();
  };
  if (!module)
    return fail("no plug-in binary to start");

  std::unique_ptr<PluginInstance> instance(new PluginInstance(module, settings));

  PluginInstance* previous = tLoading;
  tLoading = instance.get();
  AEffect* effect = module->Entry()(&PluginInstance::HostCallback);
  tLoading = previous;

  const std::string name = "cannot start '" + module->Path() + "': ";
  if (!effect)
    return fail(name + "its entry point " + module->EntryName() + " returned no effect");
  // A record without the magic is not an effect; nothing in it can be
  // trusted, effClose included, so it is left alone.
  if (effect->magic != kEffectMagic)
    return fail(name + "bad magic " + hex32(effect->magic) + " (an effect has " +
                hex32(kEffectMagic) + ")");

  effect->user = instance.get();
  instance->mEffect = effect;

  PluginInstance& plugin = *instance;
  if (settings.openOrder == OpenOrder::OpenFirst)
    plugin.Dispatch(effOpen);
  plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(settings.sampleRate));
  plugin.Dispatch(effSetBlockSize, 0, settings.blockSize);
  if (settings.openOrder == OpenOrder::RateFirst)
    plugin.Dispatch(effOpen);
  if (settings.resume)
    plugin.Resume();
  return instance;
}

void PluginInstance::Resume()
{
  if (!mEffect || mResumed)
    return;
  Dispatch(effMainsChanged, 0, 1);
  if (mSettings.startStopProcess)
    Dispatch(effStartProcess);
  mResumed = true;
}

void PluginInstance::Suspend()
{
  if (!mEffect || !mResumed)
    return;
  if (mSettings.startStopProcess)
    Dispatch(effStopProcess);
  Dispatch(effMainsChanged, 0, 0);
  mResumed = false;
}

void PluginInstance::SetSampleRate(double sampleRate)
{
  if (!mEffect)
    return;
  const bool wasResumed = mResumed;
  Suspend();
  mSampleRate.store(sampleRate);
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  {
    std::lock_guard<std::mutex> lock(mTransportMutex);
    mTransport.SetSampleRate(sampleRate);
  }
  if (wasResumed)
    Resume();
}

void PluginInstance::SetBlockSize(int blockSize)
{
  if (!mEffect)
    return;
  const bool wasResumed = mResumed;
  Suspend();
  mBlockSize.store(blockSize);
  Dispatch(effSetBlockSize, 0, blockSize);
  if (wasResumed)
    Resume();
}

void PluginInstance::Close()
{
  if (!mEffect)
    return;
  Suspend();
  Dispatch(effClose);
  // The plug-in deleted its record.
  mEffect = nullptr;
  mPendingEvents.clear();
  mModule.reset();
}

VstIntPtr PluginInstance::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
  if (!mEffect)
    return 0;
  return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
}

TextAnswer PluginInstance::QueryText(VstInt32 opcode, VstInt32 index, VstIntPtr value)
{
  unsigned char buffer[TextAnswer::kTextBufferSize];
  std::memset(buffer, TextAnswer::kTextFill, sizeof(buffer));

  TextAnswer answer;
  answer.result = Dispatch(opcode, index, value, buffer);
  for (size_t i = sizeof(buffer); i > 0; --i)
    if (buffer[i - 1] != TextAnswer::kTextFill)
    {
      answer.extent = i;
      break;
    }
  const void* nul = std::memchr(buffer, 0, sizeof(buffer));
  answer.terminated = nul != nullptr;
  const size_t length =
      nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - buffer) : answer.extent;
  answer.text.assign(reinterpret_cast<const char*>(buffer), length);
  return answer;
}

bool PluginInstance::String2Parameter(VstInt32 index, const std::string& text)
{
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return Dispatch(effString2Parameter, index, 0, buffer.data()) != 0;
}

void PluginInstance::SetProgramName(const std::string& name)
{
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  Dispatch(effSetProgramName, 0, 0, buffer.data());
}

std::optional<std::string> PluginInstance::ProgramNameIndexed(VstInt32 program)
{
  TextAnswer answer = QueryText(effGetProgramNameIndexed, program);
  if (answer.result == 0)
    return std::nullopt;
  return answer.text;
}

VstIntPtr PluginInstance::GetChunk(ChunkType type, std::vector<unsigned char>* data)
{
  void* chunk = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, static_cast<VstInt32>(type), 0, &chunk);
  if (data)
  {
    data->clear();
    if (size > 0 && chunk)
    {
      const unsigned char* bytes = static_cast<const unsigned char*>(chunk);
      data->assign(bytes, bytes + size);
    }
  }
  return size;
}

VstIntPtr PluginInstance::SetChunk(ChunkType type, const void* data, VstIntPtr size)
{
  return Dispatch(effSetChunk, static_cast<VstInt32>(type), size, const_cast<void*>(data));
}

VstIntPtr PluginInstance::CanDo(const std::string& capability)
{
  std::vector<char> buffer(capability.begin(), capability.end());
  buffer.push_back('\0');
  return Dispatch(effCanDo, 0, 0, buffer.data());
}

std::optional<VstPinProperties> PluginInstance::PinProperties(VstInt32 opcode, VstInt32 pin)
{
  VstPinProperties properties;
  std::memset(&properties, 0, sizeof(properties));
  if (Dispatch(opcode, pin, 0, &properties) == 0)
    return std::nullopt;
  return properties;
}

std::optional<VstPinProperties> PluginInstance::InputProperties(VstInt32 pin)
{
  return PinProperties(effGetInputProperties, pin);
}

std::optional<VstPinProperties> PluginInstance::OutputProperties(VstInt32 pin)
{
  return PinProperties(effGetOutputProperties, pin);
}

std::optional<ERect> PluginInstance::EditRect()
{
  // Judged by the pointer: plug-ins disagree on what they return.
  ERect* rect = nullptr;
  Dispatch(effEditGetRect, 0, 0, &rect);
  if (!rect)
    return std::nullopt;
  return *rect;
}

float PluginInstance::GetParameter(VstInt32 index)
{
  if (!mEffect || !mEffect->getParameter)
    return 0.0f;
  return mEffect->getParameter(mEffect, index);
}

void PluginInstance::SetParameter(VstInt32 index, float value)
{
  if (mEffect && mEffect->setParameter)
    mEffect->setParameter(mEffect, index, value);
}

bool PluginInstance::ProcessReplacing(float** inputs, float** outputs, VstInt32 frames)
{
  if (!mEffect || !mEffect->processReplacing)
    return false;
  mEffect->processReplacing(mEffect, inputs, outputs, frames);
  FinishBlock(frames);
  return true;
}

bool PluginInstance::ProcessAccumulating(float** inputs, float** outputs, VstInt32 frames)
{
  if (!mEffect || !mEffect->process)
    return false;
  mEffect->process(mEffect, inputs, outputs, frames);
  FinishBlock(frames);
  return true;
}

bool PluginInstance::ProcessDoubleReplacing(double** inputs, double** outputs, VstInt32 frames)
{
  if (!mEffect || !mEffect->processDoubleReplacing)
    return false;
  mEffect->processDoubleReplacing(mEffect, inputs, outputs, frames);
  FinishBlock(frames);
  return true;
}

void PluginInstance::FinishBlock(VstInt32 frames)
{
  {
    std::lock_guard<std::mutex> lock(mTransportMutex);
    mTransport.Advance(frames);
  }
  mPendingEvents.clear();
}

VstMidiEvent PluginInstance::MidiEvent(VstInt32 deltaFrames, unsigned char status,
                                       unsigned char data1, unsigned char data2)
{
  VstMidiEvent event;
  std::memset(&event, 0, sizeof(event));
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = deltaFrames;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);
  return event;
}

VstIntPtr PluginInstance::SendMidi(const std::vector<VstMidiEvent>& events)
{
  std::unique_ptr<EventBatch> batch(new EventBatch());
  batch->midi = events;
  std::vector<VstEvent*> pointers;
  for (VstMidiEvent& event : batch->midi)
    pointers.push_back(reinterpret_cast<VstEvent*>(&event));
  VstEvents* list = batch->Build(pointers.data(), static_cast<VstInt32>(pointers.size()));
  mPendingEvents.push_back(std::move(batch));
  return Dispatch(effProcessEvents, 0, 0, list);
}

VstIntPtr PluginInstance::SendEvents(VstEvent* const* events, VstInt32 count)
{
  std::unique_ptr<EventBatch> batch(new EventBatch());
  VstEvents* list = batch->Build(events, std::max(count, 0));
  mPendingEvents.push_back(std::move(batch));
  return Dispatch(effProcessEvents, 0, 0, list);
}

std::vector<HostCall> PluginInstance::HostCalls() const
{
  std::lock_guard<std::mutex> lock(mRecordMutex);
  return mHostCalls;
}

std::vector<HostCall> PluginInstance::TakeHostCalls()
{
  std::lock_guard<std::mutex> lock(mRecordMutex);
  std::vector<HostCall> calls;
  calls.swap(mHostCalls);
  return calls;
}

void PluginInstance::ClearHostCalls()
{
  std::lock_guard<std::mutex> lock(mRecordMutex);
  mHostCalls.clear();
}

std::vector<PluginEvent> PluginInstance::TakePluginEvents()
{
  std::lock_guard<std::mutex> lock(mRecordMutex);
  std::vector<PluginEvent> events;
  events.swap(mPluginEvents);
  return events;
}

int PluginInstance::CallbackCount(VstInt32 opcode) const
{
  if (opcode < 0 || opcode >= kCountedOpcodes)
    return 0;
  return mCallbackCounts[opcode].load();
}

void PluginInstance::EditTransport(const std::function<void(Transport&)>& edit)
{
  std::lock_guard<std::mutex> lock(mTransportMutex);
  edit(mTransport);
}

Transport PluginInstance::TransportState() const
{
  std::lock_guard<std::mutex> lock(mTransportMutex);
  return mTransport;
}

void PluginInstance::SetTimeInfoNull(bool null)
{
  std::lock_guard<std::mutex> lock(mTransportMutex);
  mTimeNull = null;
}

void PluginInstance::SetSizeWindowHandler(std::function<bool(int w, int h)> handler)
{
  std::lock_guard<std::mutex> lock(mSizeWindowMutex);
  mSizeWindow = std::move(handler);
}

void PluginInstance::SetTimeInfoEdit(std::function<void(VstTimeInfo&)> edit)
{
  std::lock_guard<std::mutex> lock(mTransportMutex);
  mTimeEdit = std::move(edit);
}

// [any thread] The plug-in calls the host from its entry point, from
// dispatcher requests, from processing and from its own threads.
VstIntPtr VSTCALLBACK PluginInstance::HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                   VstIntPtr value, void* ptr, float opt)
{
  PluginInstance* host =
      effect && effect->user ? static_cast<PluginInstance*>(effect->user) : tLoading;
  if (!host)
    return opcode == audioMasterVersion ? kVstVersion : 0;
  return host->Answer(opcode, index, value, ptr, opt);
}

VstIntPtr PluginInstance::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt)
{
  if (opcode >= 0 && opcode < kCountedOpcodes)
    mCallbackCounts[opcode].fetch_add(1);

  switch (opcode)
  {
  case audioMasterAutomate:
    Record(HostCall::automate(index, opt));
    return 1;
  case audioMasterBeginEdit:
    Record(HostCall::beginEdit(index));
    return 1;
  case audioMasterEndEdit:
    Record(HostCall::endEdit(index));
    return 1;
  case audioMasterUpdateDisplay:
    Record(HostCall::updateDisplay());
    return 1;
  case audioMasterVersion:
    return mSettings.vstVersion;
  case audioMasterWantMidi:
    mWantsMidi.store(true);
    return 1;
  case audioMasterGetTime:
    return AnswerTime(value);
  case audioMasterProcessEvents:
    RecordEvents(static_cast<const VstEvents*>(ptr));
    return 1;
  case audioMasterGetSampleRate:
    return static_cast<VstIntPtr>(mSampleRate.load());
  case audioMasterGetBlockSize:
    return mBlockSize.load();
  case audioMasterGetCurrentProcessLevel:
    return mProcessLevel.load();
  case audioMasterGetVendorString:
    copyText(ptr, mSettings.vendorString, kVstMaxVendorStrLen);
    return 1;
  case audioMasterGetProductString:
    copyText(ptr, mSettings.productString, kVstMaxProductStrLen);
    return 1;
  case audioMasterGetVendorVersion:
    return mSettings.vendorVersion;
  case audioMasterCanDo:
    return ptr ? HostCanDo(static_cast<const char*>(ptr)) : 0;
  case kAudioMasterGetLanguage:
    return kLanguageEnglish;
  case kAudioMasterGetDirectory:
    return reinterpret_cast<VstIntPtr>(mDirectory.c_str());
  case audioMasterSizeWindow:
  {
    std::lock_guard<std::mutex> lock(mSizeWindowMutex);
    return mSizeWindow && index > 0 && index <= 1 << 15 && value > 0 && value <= 1 << 15 &&
                   mSizeWindow(index, static_cast<int>(value))
               ? 1
               : 0;
  }
  case kAudioMasterGetInputLatency:
  case kAudioMasterGetOutputLatency:
  default:
    // IO changes, shells, offline processing: not offered.
    return 0;
  }
}

VstIntPtr PluginInstance::AnswerTime(VstIntPtr mask)
{
  mLastTimeMask.store(mask);
  std::lock_guard<std::mutex> lock(mTransportMutex);
  if (mTimeNull)
    return 0;
  // The transport knows everything it fills in; like many hosts, this one
  // fills it all whatever the mask asks for.
  tTimeAnswer = mTransport.TimeInfo();
  if (mTimeEdit)
    mTimeEdit(tTimeAnswer);
  return reinterpret_cast<VstIntPtr>(&tTimeAnswer);
}

VstIntPtr PluginInstance::HostCanDo(const char* capability) const
{
  const std::string name(capability);
  auto answer = mSettings.canDo.find(name);
  if (answer != mSettings.canDo.end())
    return answer->second;
  if (name == "startStopProcess")
    return mSettings.startStopProcess ? 1 : 0;
  return 0;
}

void PluginInstance::Record(const HostCall& call)
{
  std::lock_guard<std::mutex> lock(mRecordMutex);
  mHostCalls.push_back(call);
}

void PluginInstance::RecordEvents(const VstEvents* events)
{
  if (!events)
    return;
  VstEvent* const* slots = eventSlots(const_cast<VstEvents*>(events));
  std::lock_guard<std::mutex> lock(mRecordMutex);
  for (VstInt32 i = 0; i < events->numEvents; ++i)
  {
    const VstEvent* event = slots[i];
    if (!event)
      continue;
    PluginEvent copy{event->type, event->deltaFrames, {}};
    if (event->type == kVstMidiType)
    {
      const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(event);
      copy.bytes.assign(midi->midiData, midi->midiData + 3);
    }
    else if (event->type == kVstSysExType)
    {
      const VstMidiSysexEvent* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
      if (sysex->sysexDump && sysex->dumpBytes > 0)
        copy.bytes.assign(sysex->sysexDump, sysex->sysexDump + sysex->dumpBytes);
    }
    mPluginEvents.push_back(std::move(copy));
  }
}

} // namespace vsthost
