#include "IPlugBase.h"

#include <cmath>
#include <cstdio>
#include <cstring>

IPlugBase::IPlugBase(const IPlugConfig& config)
    : mStateChunks(config.mDoesChunks), mIsInst(config.mIsInstrument), mDoesMidi(config.mDoesMidi),
      mUniqueID(config.mUniqueID), mMfrID(config.mMfrID), mVersion(config.mVendorVersion),
      mLatency(config.mLatency), mEditorConfig(config.mEditor), mPresetBank(*this, config.mNPresets)
{
  const int nParams = config.mNParams;
  const char* channelIOStr = config.mChannelIO;
  for (int i = 0; i < nParams; ++i)
  {
    mParams.Add(new IParam);
  }
  CopyBounded(mEffectName, config.mEffectName, sizeof mEffectName);
  CopyBounded(mProductName, config.mProductName, sizeof mProductName);
  CopyBounded(mMfrName, config.mMfrName, sizeof mMfrName);

  int nInputs = 0, nOutputs = 0;
  for (const char* token = channelIOStr; token;)
  {
    ChannelIO* io = mChannelIO.Add(new ChannelIO{0, 0});
    std::sscanf(token, "%d-%d", &io->mIn, &io->mOut);
    // A negative or absurd count would size the channel arrays from host-
    // independent text; keep the configuration but not the nonsense.
    io->mIn = io->mIn < 0 ? 0 : (io->mIn > 256 ? 256 : io->mIn);
    io->mOut = io->mOut < 0 ? 0 : (io->mOut > 256 ? 256 : io->mOut);
    nInputs = io->mIn > nInputs ? io->mIn : nInputs;
    nOutputs = io->mOut > nOutputs ? io->mOut : nOutputs;
    token = std::strchr(token, ' ');
    if (token)
    {
      ++token;
    }
  }

  mChannels.AddChannels(nInputs, nOutputs);
}

IPlugBase::~IPlugBase()
{
  delete mGraphics;
  mParams.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
}

// ---- Identity ---------------------------------------------------------------

int IPlugBase::GetEffectVersion(bool decimal) const
{
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IPlugBase::GetEffectVersionStr(char* str) const
{
  GetVersionStr(mVersion, str);
}

const char* IPlugBase::GetAPIString() const
{
  switch (GetAPI())
  {
  case kAPIVST2:
    return "VST2";
  case kAPILV2:
    return "LV2";
  case kAPINone:
    break;
  }
  return "";
}

const char* IPlugBase::GetArchString()
{
#if defined(__x86_64__) || defined(_M_X64)
  return "x64";
#elif defined(__i386__) || defined(_M_IX86)
  return "x86";
#elif defined(__aarch64__) || defined(_M_ARM64)
  return "arm64";
#else
  return "";
#endif
}

int IPlugBase::GetHostVersion(bool decimal)
{
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IPlugBase::GetHostVersionStr(char* str)
{
  GetHost();
  GetVersionStr(mHostVersion, str);
}

void IPlugBase::SetHost(const char* productString, int version)
{
  mHost = LookUpHost(productString);
  mHostVersion = version;
}

// ---- Channels -------------------------------------------------------------

bool IPlugBase::LegalIO(int nIn, int nOut) const
{
  for (int i = 0; i < mChannelIO.GetSize(); ++i)
  {
    ChannelIO* io = mChannelIO.Get(i);
    if ((nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut))
    {
      return true;
    }
  }
  return false;
}

void IPlugBase::LimitToStereoIO()
{
  if (NInChannels() > 2)
  {
    mChannels.SetInputChannelConnections(2, NInChannels() - 2, false);
  }
  if (NOutChannels() > 2)
  {
    mChannels.SetOutputChannelConnections(2, NOutChannels() - 2, false);
  }
}

void IPlugBase::SetInputLabel(int idx, const char* label)
{
  if (WDL_String* channelLabel = mChannels.InputLabel(idx))
  {
    channelLabel->Set(label);
  }
}

void IPlugBase::SetOutputLabel(int idx, const char* label)
{
  if (WDL_String* channelLabel = mChannels.OutputLabel(idx))
  {
    channelLabel->Set(label);
  }
}

const char* IPlugBase::GetInputLabel(int idx) const
{
  const WDL_String* label = mChannels.InputLabel(idx);
  return label ? label->Get() : "";
}

const char* IPlugBase::GetOutputLabel(int idx) const
{
  const WDL_String* label = mChannels.OutputLabel(idx);
  return label ? label->Get() : "";
}

namespace
{
void SetBusLabel(WDL_PtrList<WDL_String>& labels, int idx, const char* label)
{
  if (idx < labels.GetSize())
  {
    labels.Set(idx, new WDL_String(label), true);
  }
  else
  {
    labels.Insert(idx, new WDL_String(label));
  }
}
} // namespace

void IPlugBase::SetInputBusLabel(int idx, const char* label)
{
  if (idx == 0 || idx == 1)
  {
    SetBusLabel(mInputBusLabels, idx, label);
  }
}

void IPlugBase::SetOutputBusLabel(int idx, const char* label)
{
  if (idx >= 0)
  {
    SetBusLabel(mOutputBusLabels, idx, label);
  }
}

// ---- Host-facing operations ------------------------------------------------

void IPlugBase::BeginInformHostOfParamChange(int idx)
{
  if (mFormat)
  {
    mFormat->BeginInformHostOfParamChange(idx);
  }
}

void IPlugBase::InformHostOfParamChange(int idx, double normalizedValue)
{
  if (mFormat)
  {
    mFormat->InformHostOfParamChange(idx, normalizedValue);
  }
}

void IPlugBase::EndInformHostOfParamChange(int idx)
{
  if (mFormat)
  {
    mFormat->EndInformHostOfParamChange(idx);
  }
}

void IPlugBase::InformHostOfProgramChange()
{
  if (mFormat)
  {
    mFormat->InformHostOfProgramChange();
  }
}

bool IPlugBase::IsRenderingOffline()
{
  return mFormat && mFormat->IsRenderingOffline();
}

int IPlugBase::GetSamplePos()
{
  return mFormat ? mFormat->GetSamplePos() : 0;
}

double IPlugBase::GetTempo()
{
  return mFormat ? mFormat->GetTempo() : 0.0;
}

void IPlugBase::GetTimeSig(int* pNum, int* pDenom)
{
  if (mFormat)
  {
    mFormat->GetTimeSig(pNum, pDenom);
    return;
  }
  *pNum = *pDenom = 0;
}

void IPlugBase::GetTime(ITimeInfo* pTimeInfo)
{
  if (mFormat)
  {
    mFormat->GetTime(pTimeInfo);
  }
}

EHost IPlugBase::GetHost()
{
  if (mHost == kHostUninit && mFormat)
  {
    mFormat->IdentifyHost();
  }
  return mHost;
}

void IPlugBase::ResizeGraphics(int w, int h)
{
  if (mFormat)
  {
    mFormat->ResizeGraphics(w, h);
  }
}

void IPlugBase::SetLatency(int samples)
{
  mLatency = samples;
  if (mFormat)
  {
    mFormat->SetLatency(samples);
  }
}

bool IPlugBase::SendMidiMsg(IMidiMsg* msg)
{
  return mFormat && mFormat->SendMidiMsg(msg);
}

bool IPlugBase::SendSysEx(ISysEx* pSysEx)
{
  return mFormat && mFormat->SendSysEx(pSysEx);
}

double IPlugBase::GetSamplesPerBeat()
{
  double tempo = GetTempo();
  return tempo > 0.0 ? 60.0 * mSampleRate / tempo : 0.0;
}

bool IPlugBase::SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* msgs)
{
  bool allSent = true;
  for (int i = 0; i < msgs->GetSize(); ++i)
  {
    allSent &= SendMidiMsg(msgs->Get() + i);
  }
  return allSent;
}

// ---- Hooks ----------------------------------------------------------------

void IPlugBase::Reset()
{
  IMutexLock lock(this);
}

void IPlugBase::OnParamChange(int)
{
  IMutexLock lock(this);
}

void IPlugBase::OnActivate(bool)
{
  IMutexLock lock(this);
}

void IPlugBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  int nIn = NInChannels(), nOut = NOutChannels();
  int i = 0;
  for (; i < nIn && i < nOut; ++i)
  {
    if (outputs[i] != inputs[i])
    {
      std::memmove(outputs[i], inputs[i], static_cast<size_t>(nFrames) * sizeof(double));
    }
  }
  for (; i < nOut; ++i)
  {
    std::memset(outputs[i], 0, static_cast<size_t>(nFrames) * sizeof(double));
  }
}

void IPlugBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames)
{
  int nIn = NInChannels(), nOut = NOutChannels();
  int i = 0;
  for (; i < nIn && i < nOut; ++i)
  {
    if (outputs[i] != inputs[i])
    {
      std::memmove(outputs[i], inputs[i], static_cast<size_t>(nFrames) * sizeof(float));
    }
  }
  for (; i < nOut; ++i)
  {
    std::memset(outputs[i], 0, static_cast<size_t>(nFrames) * sizeof(float));
  }
}

void IPlugBase::ProcessMidiMsg(IMidiMsg* msg)
{
  SendMidiMsg(msg);
}

bool IPlugBase::MidiNoteName(int, char* name)
{
  if (name)
  {
    name[0] = '\0';
  }
  return false;
}

bool IPlugBase::SerializeState(ByteChunk* chunk)
{
  return SerializeParams(chunk);
}

int IPlugBase::UnserializeState(const ByteChunk* chunk, int startPos)
{
  return UnserializeParams(chunk, startPos);
}

bool IPlugBase::CompareState(const unsigned char* data, int startPos)
{
  const double* stored = reinterpret_cast<const double*>(data) + startPos;
  for (int i = 0; i < NParams(); ++i)
  {
    double storedValue;
    std::memcpy(&storedValue, stored + i, sizeof storedValue);
    float difference = static_cast<float>(GetParam(i)->Value()) - static_cast<float>(storedValue);
    if (!(std::fabs(difference) < 0.00001f))
    {
      return false;
    }
  }
  return true;
}

void IPlugBase::SetParameterFromGUI(int idx, double normalizedValue)
{
  IMutexLock lock(this);
  IParam* param = GetParam(idx);
  if (!param)
  {
    return;
  }
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(idx, normalizedValue);
  OnParamChange(idx);
}

void IPlugBase::AttachGraphics(IGraphicsInterface* pGraphics)
{
  if (!pGraphics)
  {
    return;
  }
  IMutexLock lock(this);
  for (int i = 0; i < NParams(); ++i)
  {
    pGraphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  }
  pGraphics->PrepDraw();
  mGraphics = pGraphics;
  if (mFormat)
  {
    mFormat->AttachGraphics(pGraphics);
  }
}

void IPlugBase::DeleteGraphics()
{
  IMutexLock lock(this);
  delete mGraphics;
  mGraphics = nullptr;
}

void IPlugBase::RedrawParamControls()
{
  if (!mGraphics)
  {
    return;
  }
  for (int i = 0; i < NParams(); ++i)
  {
    mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
  }
}

// ---- State ----------------------------------------------------------------

bool IPlugBase::SerializeParams(ByteChunk* chunk)
{
  IMutexLock lock(this);
  bool ok = true;
  for (int i = 0; i < NParams(); ++i)
  {
    double value = GetParam(i)->Value();
    ok &= chunk->Put(&value) > 0;
  }
  return ok;
}

int IPlugBase::UnserializeParams(const ByteChunk* chunk, int startPos)
{
  IMutexLock lock(this);
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i)
  {
    double value = 0.0;
    pos = chunk->Get(&value, pos);
    if (pos >= 0)
    {
      GetParam(i)->Set(value);
    }
  }
  OnParamReset();
  return pos;
}

void IPlugBase::OnParamReset()
{
  for (int i = 0; i < NParams(); ++i)
  {
    OnParamChange(i);
  }
}

void IPlugBase::DirtyParameters()
{
  IMutexLock lock(this);
  for (int i = 0; i < NParams(); ++i)
  {
    InformHostOfParamChange(i, GetParam(i)->GetNormalized());
  }
}

void InitChunkWithIPlugVer(ByteChunk* chunk)
{
  chunk->Clear();
  int magic = IPLUG_VERSION_MAGIC, version = IPLUG_CHUNK_VERSION;
  chunk->Put(&magic);
  chunk->Put(&version);
}

int GetIPlugVerFromChunk(const ByteChunk* chunk, int* pPos)
{
  int magic = 0, version = 0;
  int pos = chunk->Get(&magic, *pPos);
  if (pos > *pPos && magic == IPLUG_VERSION_MAGIC)
  {
    *pPos = chunk->Get(&version, pos);
    return version;
  }
  return 0;
}
