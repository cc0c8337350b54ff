#pragma once

#include "IFormatAdapter.h"
#include "ITimeInfo.h"

#include <climits>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

// A format adapter with no format behind it, for driving a plug-in through
// its façade (IPlugFacade) as any format would, with no translation in
// between: the host's transport is a record the test sets, and what the
// plug-in tells its host is recorded. Connect it by handing it to the
// façade's constructor; it must outlive the façade.
//
// Its answers follow the IFormatAdapter contract as the real adapters keep
// it: without a transport (hasTime false) the plug-in hears no tempo, no
// position and no time signature, and GetTime leaves its record alone.
class TestTransport final : public IFormatAdapter
{
public:
  EAPI GetAPI() const override { return kAPINone; }

  // ---- What the plug-in tells the host, recorded ------------------------
  // In order, as the project's host logs them: "begin 8", "automate 8
  // 0.500000", "end 8", and "program" for a program change.
  void BeginInformHostOfParamChange(int idx) override { Tell("begin", idx); }
  void InformHostOfParamChange(int idx, double normalizedValue) override
  {
    Tell("automate", idx, std::to_string(normalizedValue));
  }
  void EndInformHostOfParamChange(int idx) override { Tell("end", idx); }
  void InformHostOfProgramChange() override { told.emplace_back("program"); }
  void IdentifyHost() override { ++identifyCalls; }
  void AttachGraphics(IGraphicsInterface*) override { ++editorsAttached; }
  void ResizeGraphics(int w, int h) override { editorSizes.emplace_back(w, h); }
  void SetLatency(int samples) override { latency = samples; }
  bool SendMidiMsg(IMidiMsg* msg) override
  {
    sentMidi.push_back(*msg);
    return true;
  }
  bool SendSysEx(ISysEx* sysex) override
  {
    sentSysExSizes.push_back(sysex->size);
    return true;
  }

  // ---- The host's transport ---------------------------------------------
  bool IsRenderingOffline() override { return offline; }
  int GetSamplePos() override
  {
    if (!hasTime || !(time.mSamplePos >= 0.0))
    {
      return 0;
    }
    const double rounded = time.mSamplePos + 0.5;
    return rounded < static_cast<double>(INT_MAX) ? static_cast<int>(rounded) : INT_MAX;
  }
  double GetTempo() override { return hasTime ? time.mTempo : 0.0; }
  void GetTimeSig(int* pNum, int* pDenom) override
  {
    *pNum = hasTime ? time.mNumerator : 0;
    *pDenom = hasTime ? time.mDenominator : 0;
  }
  void GetTime(ITimeInfo* pTimeInfo) override
  {
    if (hasTime)
    {
      *pTimeInfo = time;
    }
  }

  // Playing from the song start at tempo, in 4/4, at sampleRate frames a
  // second.
  void Play(double tempo, double rate)
  {
    time = ITimeInfo();
    time.mTempo = tempo;
    time.mTransportIsRunning = true;
    sampleRate = rate;
    MoveTo(0.0);
  }
  // The position frames from the song start: quarter notes and the last
  // bar's start follow from the tempo and the time signature.
  void MoveTo(double frames)
  {
    time.mSamplePos = frames;
    time.mPPQPos = frames * time.mTempo / (60.0 * sampleRate);
    const double quartersPerBar = 4.0 * time.mNumerator / time.mDenominator;
    time.mLastBar = quartersPerBar * std::floor(time.mPPQPos / quartersPerBar);
  }
  // After a block of nFrames has played.
  void Advance(int nFrames) { MoveTo(time.mSamplePos + nFrames); }

  ITimeInfo time;
  double sampleRate = 44100.0; // what Play and MoveTo count frames in
  bool hasTime = true;
  bool offline = false;

  std::vector<std::string> told;
  std::vector<IMidiMsg> sentMidi;
  std::vector<int> sentSysExSizes;
  std::vector<std::pair<int, int>> editorSizes;
  int latency = 0;
  int identifyCalls = 0;
  int editorsAttached = 0;

private:
  void Tell(const char* what, int idx, const std::string& value = "")
  {
    told.push_back(std::string(what) + " " + std::to_string(idx) +
                   (value.empty() ? "" : " " + value));
  }
};
