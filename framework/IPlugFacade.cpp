#include "IPlugFacade.h"

#include "IDenormalGuard.h"
#include "IEditorScale.h"

#include <cmath>

// The checks of the thread tags (IPlugFacade.h); nothing in release builds.
#define IPLUG_ASSERT_UI_THREAD() assert(!OnAudioThread())
#define IPLUG_ASSERT_AUDIO_THREAD() assert(!OnMainThread())

#ifndef NDEBUG
namespace
{
// Marks the calling thread as the one processing, for the call's length.
class ProcessingScope
{
public:
  explicit ProcessingScope(std::atomic<std::thread::id>* thread) : mThread(thread)
  {
    mThread->store(std::this_thread::get_id());
  }
  ~ProcessingScope() { mThread->store(std::thread::id()); }
  ProcessingScope(const ProcessingScope&) = delete;
  ProcessingScope& operator=(const ProcessingScope&) = delete;

private:
  std::atomic<std::thread::id>* mThread;
};
} // namespace
#define IPLUG_PROCESSING_SCOPE() ProcessingScope processingScope(&mProcessingThread)
#else
#define IPLUG_PROCESSING_SCOPE() ((void)0)
#endif

IPlugFacade::IPlugFacade(std::unique_ptr<IPlugBase> plug, IFormatAdapter* format, int blockSize)
    : mPlug(std::move(plug))
{
  IPlugBase::IMutexLock lock(mPlug.get());
  IPlugChannels& channels = mPlug->Channels();
  channels.SetInputChannelConnections(0, channels.NInChannels(), true);
  channels.SetOutputChannelConnections(0, channels.NOutChannels(), true);
  channels.SetBlockSize(blockSize);
  mPlug->SetFormat(format);
}

IPlugFacade::~IPlugFacade()
{
  // A host may close the plug-in with its editor still open: the window
  // and its timer must be gone before the object they call into is.
  if (mPlug->GetGUI() && mPlug->GetGUI()->CanOpenWindow())
  {
    IPlugBase::IMutexLock lock(mPlug.get());
    mPlug->GetGUI()->CloseWindow();
  }
  mPlug.reset();
}

bool IPlugFacade::OnAudioThread() const
{
  if (mThreadCheck)
  {
    return mThreadCheck->IsAudioThread();
  }
#ifndef NDEBUG
  return mProcessingThread.load() == std::this_thread::get_id();
#else
  return false;
#endif
}

bool IPlugFacade::OnMainThread() const
{
  return mThreadCheck && mThreadCheck->IsMainThread();
}

// ============================================================================
// Lifecycle

void IPlugFacade::Open()
{
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  if (!mHostIdentified)
  {
    mHostIdentified = true;
    mPlug->GetHost();
    mPlug->OnHostIdentified();
  }
  mPlug->OnParamReset();
}

void IPlugFacade::SetSampleRate(double sampleRate)
{
  IPLUG_ASSERT_UI_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  if (std::isfinite(sampleRate) && sampleRate > 0.0)
  {
    mPlug->SetSampleRate(sampleRate);
  }
  mPlug->Reset();
}

void IPlugFacade::SetBlockSize(int blockSize)
{
  IPLUG_ASSERT_UI_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  mPlug->Channels().SetBlockSize(blockSize > 0 ? blockSize : 0);
  mPlug->Reset();
}

void IPlugFacade::SetActive(bool active)
{
  IPLUG_ASSERT_UI_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  mPlug->OnActivate(active);
  if (!active)
  {
    mPlug->Reset();
  }
}

void IPlugFacade::Idle()
{
  IPLUG_ASSERT_UI_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  mPlug->OnIdle();
}

// ============================================================================
// Parameters: host to plug-in

void IPlugFacade::ApplyParameter(IParam* param, int idx, double value, bool normalized)
{
  // The controls first: they never call back into the plug-in, and the
  // plug-in's OnParamChange may read what they show.
  if (IGraphicsInterface* graphics = mPlug->GetGUI())
  {
    graphics->SetParameterFromPlug(idx, value, normalized);
  }
  if (normalized)
  {
    param->SetNormalized(value);
  }
  else
  {
    param->Set(value);
  }
  mPlug->OnParamChange(idx);
}

bool IPlugFacade::SetParameterNormalized(int idx, double normalizedValue)
{
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  IParam* param = mPlug->GetParam(idx);
  if (!param || !std::isfinite(normalizedValue))
  {
    return false;
  }
  const double clamped =
      normalizedValue < 0.0 ? 0.0 : (normalizedValue > 1.0 ? 1.0 : normalizedValue);
  ApplyParameter(param, idx, clamped, true);
  return true;
}

bool IPlugFacade::SetParameterValue(int idx, double value)
{
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  IParam* param = mPlug->GetParam(idx);
  if (!param || !std::isfinite(value))
  {
    return false;
  }
  ApplyParameter(param, idx, value, false);
  return true;
}

bool IPlugFacade::SetParameterFromText(int idx, const char* text)
{
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  IParam* param = mPlug->GetParam(idx);
  double value = 0.0;
  if (!param || !param->ParseText(text, &value))
  {
    return false;
  }
  ApplyParameter(param, idx, value, false);
  return true;
}

double IPlugFacade::GetParameterNormalized(int idx) const
{
  const IParam* param = mPlug->GetParam(idx);
  return param ? param->GetNormalized() : 0.0;
}

void IPlugFacade::GetParameterText(int idx, char* text) const
{
  if (!text)
  {
    return;
  }
  text[0] = '\0';
  if (const IParam* param = mPlug->GetParam(idx))
  {
    param->GetDisplayForHost(text);
  }
}

void IPlugFacade::GetParameterText(int idx, double normalizedValue, char* text) const
{
  if (!text)
  {
    return;
  }
  text[0] = '\0';
  if (const IParam* param = mPlug->GetParam(idx))
  {
    param->GetDisplayForHost(normalizedValue, true, text, true);
  }
}

void IPlugFacade::GetParameterText(int idx, double normalizedValue, char* text, char* unit) const
{
  GetParameterText(idx, normalizedValue, text);
  if (!unit)
  {
    return;
  }
  unit[0] = '\0';
  if (const IParam* param = mPlug->GetParam(idx))
  {
    param->GetUnitForHost(normalizedValue, true, unit);
  }
}

// ============================================================================
// Programs

void IPlugFacade::SelectProgram(int idx)
{
  IPLUG_ASSERT_UI_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  IPlugPresetBank& presets = mPlug->Presets();
  // Until a program has been loaded (or the state stored into one) the
  // defaults belong to no slot: storing them would overwrite the first
  // factory preset, and choosing that preset first would give the defaults
  // instead of it. A plug-in whose state is one chunk keeps its slots as
  // they were made.
  if (!mPlug->DoesStateChunks() && presets.StateBelongsToCurrentPreset())
  {
    presets.ModifyCurrentPreset();
  }
  if (idx >= 0)
  {
    presets.RestorePreset(idx);
  }
}

// ============================================================================
// MIDI in

void IPlugFacade::ProcessMidi(int offset, const unsigned char* bytes, int size)
{
  IPLUG_ASSERT_AUDIO_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  if (!bytes || size < 1 || !(bytes[0] & 0x80))
  {
    return;
  }
  if (bytes[0] == 0xF0)
  {
    ProcessSysEx(offset, bytes, size);
    return;
  }
  IMidiMsg msg(offset, bytes[0], size > 1 ? bytes[1] : 0, size > 2 ? bytes[2] : 0);
  mPlug->ProcessMidiMsg(&msg);
}

void IPlugFacade::ProcessSysEx(int offset, const unsigned char* bytes, int size)
{
  IPLUG_ASSERT_AUDIO_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  ISysEx sysex(offset, bytes, size > 0 ? size : 0);
  mPlug->ProcessSysEx(&sysex);
}

// ============================================================================
// Audio

template <class Sample> bool IPlugFacade::Attach(Sample** inputs, Sample** outputs, int nFrames)
{
  IPLUG_ASSERT_AUDIO_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  IPlugChannels& channels = mPlug->Channels();
  if (nFrames <= 0 || (!inputs && channels.NInChannels() > 0) ||
      (!outputs && channels.NOutChannels() > 0) || !channels.EnsureScratchFrames(nFrames))
  {
    return false;
  }
  channels.AttachInputBuffers(0, channels.NInChannels(), inputs, nFrames);
  channels.AttachOutputBuffers(0, channels.NOutChannels(), outputs);
  return true;
}

template <class Sample, class Render>
bool IPlugFacade::RunBlock(Sample** inputs, Sample** outputs, int nFrames, Render render)
{
  IPLUG_PROCESSING_SCOPE();
  if (!Attach(inputs, outputs, nFrames))
  {
    return false;
  }
  IDenormalGuard denormals;
  render(mPlug->Channels());
  return true;
}

bool IPlugFacade::Process(float** inputs, float** outputs, int nFrames)
{
  return RunBlock(inputs, outputs, nFrames,
                  [&](IPlugChannels& channels) { channels.ProcessBuffers(*mPlug, 0.0f, nFrames); });
}

bool IPlugFacade::Process(double** inputs, double** outputs, int nFrames)
{
  return RunBlock(inputs, outputs, nFrames,
                  [&](IPlugChannels& channels) { channels.ProcessBuffers(*mPlug, 0.0, nFrames); });
}

bool IPlugFacade::ProcessAccumulating(float** inputs, float** outputs, int nFrames)
{
  return RunBlock(inputs, outputs, nFrames,
                  [&](IPlugChannels& channels)
                  { channels.ProcessBuffersAccumulating(*mPlug, 0.0f, nFrames); });
}

// ============================================================================
// State

bool IPlugFacade::SaveState(ByteChunk* chunk, EStateKind kind, bool withEditor)
{
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  if (!chunk)
  {
    return false;
  }
  InitChunkWithIPlugVer(chunk);
  bool serialized;
  if (kind == kStateBank)
  {
    mPlug->Presets().ModifyCurrentPreset();
    serialized = mPlug->Presets().SerializePresets(chunk);
  }
  else
  {
    serialized = mPlug->SerializeState(chunk);
  }
  if (serialized && withEditor)
  {
    SaveEditorState(chunk);
  }
  return serialized && chunk->Size() > 0;
}

bool IPlugFacade::LoadState(const ByteChunk& chunk, EStateKind kind)
{
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  int pos = 0;
  const int version = GetIPlugVerFromChunk(&chunk, &pos);
  // Banks of the oldest chunk version held one program's state only.
  if (kind == kStateBank && version > 0xFFFF)
  {
    pos = mPlug->Presets().UnserializePresets(&chunk, pos);
  }
  else
  {
    pos = mPlug->UnserializeState(&chunk, pos);
    mPlug->Presets().ModifyCurrentPreset();
  }
  if (pos < 0)
  {
    return false;
  }
  LoadEditorState(chunk, pos);
  mPlug->RedrawParamControls();
  return true;
}

void IPlugFacade::SaveEditorState(ByteChunk* chunk) const
{
  const IGraphicsInterface* graphics = mPlug->GetGUI();
  const int percent = graphics ? graphics->GetUserScalePercent() : mUserScalePercent;
  if (percent <= 0)
  {
    return;
  }
  int magic = IPLUG_EDITOR_STATE_MAGIC, version = IPLUG_EDITOR_STATE_VERSION;
  int bytes = static_cast<int>(sizeof percent);
  chunk->Put(&magic);
  chunk->Put(&version);
  chunk->Put(&bytes);
  chunk->Put(&percent);
}

void IPlugFacade::LoadEditorState(const ByteChunk& chunk, int startPos)
{
  int magic = 0, version = 0, bytes = 0, percent = 0;
  int pos = chunk.Get(&magic, startPos);
  if (pos < 0 || magic != IPLUG_EDITOR_STATE_MAGIC)
  {
    return;
  }
  pos = chunk.Get(&version, pos);
  pos = chunk.Get(&bytes, pos);
  // What the trailer says it holds must be there, and version 1 holds the
  // size.
  if (pos < 0 || version < 1 || bytes < static_cast<int>(sizeof percent) ||
      bytes > chunk.Size() - pos || chunk.Get(&percent, pos) < 0)
  {
    return;
  }
  mUserScalePercent = percent > 0 ? EditorScalePercent(percent / 100.0) : 0;
  if (IGraphicsInterface* graphics = mPlug->GetGUI())
  {
    graphics->SetUserScalePercent(percent);
  }
}

// ============================================================================
// The editor

bool IPlugFacade::HasEditorWindow() const
{
  // A plug-in may also attach an editor of its own making, at any time.
  const IGraphicsInterface* graphics = mPlug->GetGUI();
  const IPlugConfig::Editor& editor = mPlug->GetEditorConfig();
  return graphics ? graphics->CanOpenWindow()
                  : editor.mHasWindow && editor.mWidth > 0 && editor.mHeight > 0;
}

double IPlugFacade::EditorScale() const
{
  if (!mPlug->GetEditorConfig().mScalable)
  {
    return 1.0;
  }
  if (mUserScalePercent > 0)
  {
    return NearestEditorScale(mUserScalePercent / 100.0);
  }
  return mHostScale > 0.0 ? NearestEditorScale(mHostScale) : 1.0;
}

int IPlugFacade::EditorWidth() const
{
  const IGraphicsInterface* graphics = mPlug->GetGUI();
  return graphics ? graphics->Width()
                  : ScaledPixels(mPlug->GetEditorConfig().mWidth, EditorScale());
}

int IPlugFacade::EditorHeight() const
{
  const IGraphicsInterface* graphics = mPlug->GetGUI();
  return graphics ? graphics->Height()
                  : ScaledPixels(mPlug->GetEditorConfig().mHeight, EditorScale());
}

IGraphicsInterface* IPlugFacade::BuildEditor()
{
  IPLUG_ASSERT_UI_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  if (IGraphicsInterface* graphics = mPlug->GetGUI())
  {
    return graphics;
  }
  IGraphicsInterface* graphics = mPlug->MakeEditor();
  if (!graphics)
  {
    return nullptr;
  }
  // The sizes chosen while there was no editor, before its surfaces are
  // made at the size they give.
  if (mHostScale > 0.0)
  {
    graphics->SetHostScale(mHostScale);
  }
  if (mUserScalePercent > 0)
  {
    graphics->SetUserScalePercent(mUserScalePercent);
  }
  mPlug->AttachGraphics(graphics);
  mEditorBuilt = true;
  return graphics;
}

void* IPlugFacade::OpenEditor(void* parentWindow)
{
  IPLUG_ASSERT_UI_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  IGraphicsInterface* graphics = HasEditorWindow() ? BuildEditor() : nullptr;
  void* window = graphics ? graphics->OpenWindow(parentWindow) : nullptr;
  if (window)
  {
    mEditorOpen = true;
    mPlug->OnGUIOpen();
  }
  return window;
}

bool IPlugFacade::CloseEditor()
{
  IPLUG_ASSERT_UI_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  IGraphicsInterface* graphics = mPlug->GetGUI();
  if (!graphics || !graphics->CanOpenWindow())
  {
    return false;
  }
  mEditorOpen = false;
  mPlug->OnGUIClose();
  graphics->CloseWindow();
  if (mEditorBuilt)
  {
    mUserScalePercent = graphics->GetUserScalePercent();
    mEditorBuilt = false;
    mPlug->DeleteGraphics();
  }
  return true;
}

void IPlugFacade::EditorIdle()
{
  if (IGraphicsInterface* graphics = mPlug->GetGUI())
  {
    graphics->Idle();
  }
}

bool IPlugFacade::SetEditorHostScale(double scale)
{
  IPLUG_ASSERT_UI_THREAD();
  IPLUG_ASSERT_MUTEX_HELD(mPlug);
  if (!std::isfinite(scale))
  {
    return false;
  }
  mHostScale = scale > 0.0 ? scale : 0.0;
  IGraphicsInterface* graphics = mPlug->GetGUI();
  return graphics ? graphics->SetHostScale(scale)
                  : mPlug->GetEditorConfig().mScalable && mPlug->GetEditorConfig().mWidth > 0;
}
