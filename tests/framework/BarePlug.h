#pragma once

// Test doubles for the plug-in base: a concrete plug-in whose host-facing
// operations record what the base asks of the host, a variant with one
// parameter of each kind, and an editor graphics context that records the
// calls it receives and answers file prompts with a chosen path.

#include "IGraphicsInterface.h"
#include "IPlugBase.h"

#include <string>
#include <utility>
#include <vector>

class BarePlug : public IPlugBase
{
public:
  static constexpr int kUniqueID = 0x42617265; // "Bare"
  static constexpr int kMfrID = 0x4B6F6C76;    // "Kolv"
  static constexpr int kVersion = 0x010203;    // v1.2.3

  explicit BarePlug(int nParams = 0, const char* channelIO = "1-1 2-2", int nPresets = 0,
                    bool doesChunks = false, const char* effectName = "Bare")
      : IPlugBase(Config(nParams, channelIO, nPresets, doesChunks, effectName))
  {
  }

  static IPlugConfig Config(int nParams, const char* channelIO, int nPresets, bool doesChunks,
                            const char* effectName)
  {
    IPlugConfig config;
    config.mNParams = nParams;
    config.mChannelIO = channelIO;
    config.mNPresets = nPresets;
    config.mEffectName = effectName;
    config.mProductName = "Bare Product";
    config.mMfrName = "Kolvane Tests";
    config.mVendorVersion = kVersion;
    config.mUniqueID = kUniqueID;
    config.mMfrID = kMfrID;
    config.mDoesChunks = doesChunks;
    return config;
  }

  // ---- What the base tells the host -------------------------------------
  void BeginInformHostOfParamChange(int idx) override { mBeginEdits.push_back(idx); }
  void InformHostOfParamChange(int idx, double normalizedValue) override
  {
    mAutomation.emplace_back(idx, normalizedValue);
    IParam* param = GetParam(idx);
    mValueWhenInformed.push_back(param ? param->Value() : 0.0);
  }
  void EndInformHostOfParamChange(int idx) override { mEndEdits.push_back(idx); }
  void InformHostOfProgramChange() override { ++mProgramChangeNotices; }
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return mTempo; }
  void GetTimeSig(int* pNum, int* pDenom) override
  {
    *pNum = 4;
    *pDenom = 4;
  }
  void GetTime(ITimeInfo* pTimeInfo) override { pTimeInfo->mTempo = mTempo; }
  void ResizeGraphics(int w, int h) override { mResizes.emplace_back(w, h); }
  bool SendMidiMsg(IMidiMsg* msg) override
  {
    mSentMidi.push_back(*msg);
    return mSendMidiSucceeds;
  }

  // Like an adapter, identifies the host on first use when a product string
  // has been set up for it.
  EHost GetHost() override
  {
    if (IPlugBase::GetHost() == kHostUninit && !mLazyProduct.empty())
    {
      SetHost(mLazyProduct.c_str(), mLazyVersion);
    }
    return IPlugBase::GetHost();
  }

  // ---- Hooks --------------------------------------------------------------
  void OnParamChange(int paramIdx) override
  {
    mParamChanges.push_back(paramIdx);
    IPlugBase::OnParamChange(paramIdx);
  }
  void PresetsChangedByHost() override { ++mPresetsChangedNotices; }

  // Records what it was handed, lets the base copy inputs to outputs, then
  // scales the outputs so a test can tell this override from the base's.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override
  {
    ++mProcessCalls;
    mSeenInputPtrs.assign(inputs, inputs + NInChannels());
    mSeenOutputPtrs.assign(outputs, outputs + NOutChannels());
    mSeenInputs.clear();
    for (int c = 0; c < NInChannels(); ++c)
    {
      mSeenInputs.emplace_back(inputs[c], inputs[c] + nFrames);
    }
    mSeenOutputs.clear();
    for (int c = 0; c < NOutChannels(); ++c)
    {
      mSeenOutputs.emplace_back(outputs[c], outputs[c] + nFrames);
    }
    IPlugBase::ProcessDoubleReplacing(inputs, outputs, nFrames);
    for (int c = 0; c < NOutChannels(); ++c)
    {
      for (int s = 0; s < nFrames; ++s)
      {
        outputs[c][s] *= mOutputGain;
      }
    }
  }

  // ---- Recorders and settings ---------------------------------------------
  std::vector<std::pair<int, double>> mAutomation;
  std::vector<double> mValueWhenInformed; // the parameter's value at each automation call
  std::vector<int> mBeginEdits;
  std::vector<int> mEndEdits;
  std::vector<int> mParamChanges;
  std::vector<std::pair<int, int>> mResizes;
  std::vector<IMidiMsg> mSentMidi;
  int mProgramChangeNotices = 0;
  int mPresetsChangedNotices = 0;
  double mTempo = 120.0;
  bool mSendMidiSucceeds = true;
  std::string mLazyProduct;
  int mLazyVersion = 0;

  int mProcessCalls = 0;
  double mOutputGain = 1.0;
  std::vector<double*> mSeenInputPtrs;
  std::vector<double*> mSeenOutputPtrs;
  std::vector<std::vector<double>> mSeenInputs;  // contents on entry
  std::vector<std::vector<double>> mSeenOutputs; // contents on entry
};

// One parameter of each kind, with a curve on the gain, as a plug-in class
// types them in its constructor.
class TypedPlug : public BarePlug
{
public:
  enum EParams
  {
    kGain = 0, // double 0..2, step 0.01, shape 2
    kMode,     // enum "Soft", "Hard", "Auto"
    kBypass,   // bool
    kSteps,    // int 1..16
    kCutoff,   // double 0.01..0.99, step 0.001
    kNumParams
  };

  explicit TypedPlug(int nPresets = 4, bool doesChunks = false, int extraDoubles = 0)
      : BarePlug(kNumParams + extraDoubles, "1-1 2-2", nPresets, doesChunks)
  {
    GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01, "x");
    GetParam(kGain)->SetShape(2.0);
    GetParam(kMode)->InitEnum("Mode", 0, 3);
    GetParam(kMode)->SetDisplayText(0, "Soft");
    GetParam(kMode)->SetDisplayText(1, "Hard");
    GetParam(kMode)->SetDisplayText(2, "Auto");
    GetParam(kBypass)->InitBool("Bypass", false);
    GetParam(kSteps)->InitInt("Steps", 8, 1, 16, "steps");
    GetParam(kCutoff)->InitDouble("Cutoff", 0.5, 0.01, 0.99, 0.001);
    for (int i = kNumParams; i < NParams(); ++i)
    {
      GetParam(i)->InitDouble("Extra", 0.0, -1000.0, 1000.0, 0.001);
    }
  }

  // Every parameter away from its default.
  void SetNonDefaults()
  {
    GetParam(kGain)->Set(1.5);
    GetParam(kMode)->Set(2);
    GetParam(kBypass)->Set(1);
    GetParam(kSteps)->Set(12);
    GetParam(kCutoff)->Set(0.25);
    for (int i = kNumParams; i < NParams(); ++i)
    {
      GetParam(i)->Set(i * 1.25 - 300.0);
    }
  }

  std::vector<double> Values() const
  {
    std::vector<double> values;
    for (int i = 0; i < NParams(); ++i)
    {
      values.push_back(GetParam(i)->Value());
    }
    return values;
  }

  void ClearRecorders()
  {
    mAutomation.clear();
    mValueWhenInformed.clear();
    mParamChanges.clear();
    mProgramChangeNotices = 0;
    mPresetsChangedNotices = 0;
  }
};

class FakeGraphics : public IGraphicsInterface
{
public:
  struct FromPlug
  {
    int paramIdx;
    double value;
    bool normalized;
  };

  explicit FakeGraphics(bool* pDeleted = nullptr) : mDeleted(pDeleted) {}
  ~FakeGraphics() override
  {
    if (mDeleted)
    {
      *mDeleted = true;
    }
  }

  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override
  {
    mFromPlug.push_back({paramIdx, value, normalized});
  }
  void SetControlFromPlug(int, double) override {}
  void PrepDraw() override { mPrepDrawsAfter.push_back(static_cast<int>(mFromPlug.size())); }
  int Width() const override { return 100; }
  int Height() const override { return 50; }
  bool CanOpenWindow() const override { return false; }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseWindow() override {}

  // Answers with mAnswer, or leaves file as it is (a cancelled dialog) when
  // mCancel is set; moves the starting folder to mNewDir when that is set.
  void PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir,
                     const char* extensions) override
  {
    mPrompts.push_back({file->Get(), action, dir->Get(), extensions ? extensions : ""});
    if (!mCancel)
    {
      file->Set(mAnswer.c_str());
    }
    if (!mNewDir.empty())
    {
      dir->Set(mNewDir.c_str());
    }
  }

  struct Prompt
  {
    std::string file;
    EFileAction action;
    std::string dir;
    std::string extensions;
  };

  std::vector<FromPlug> mFromPlug;
  std::vector<int> mPrepDrawsAfter; // how many SetParameterFromPlug calls preceded each PrepDraw
  std::vector<Prompt> mPrompts;
  std::string mAnswer;
  std::string mNewDir;
  bool mCancel = false;

private:
  bool* mDeleted;
};

// Every double a chunk holds, in order.
inline std::vector<double> ChunkDoubles(const ByteChunk& chunk)
{
  std::vector<double> values;
  double value = 0;
  for (int pos = 0; (pos = chunk.Get(&value, pos)) >= 0;)
  {
    values.push_back(value);
  }
  return values;
}

// The names of all preset slots, in order.
inline std::vector<std::string> Names(const BarePlug& plug)
{
  std::vector<std::string> names;
  for (int i = 0; i < plug.Presets().NPresets(); ++i)
  {
    names.push_back(plug.Presets().GetPresetName(i));
  }
  return names;
}
