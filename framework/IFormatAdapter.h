#pragma once

#include "IGraphicsInterface.h"
#include "IMidiMsg.h"
#include "IPlugStructs.h"

// The plug-in formats this framework presents plug-ins in. Each has one
// adapter library under framework/ that implements IFormatAdapter.
enum EAPI
{
  kAPINone = -1, // not presented to a host: tools and tests
  kAPIVST2 = 0,
  kAPILV2 = 1,
};

// The host-facing half of a plug-in format adapter: what a plug-in asks of
// the host it is presented to. The plug-in class knows only this interface,
// so one plug-in builds once and runs in every format; the adapter owns the
// plug-in, turns the host's requests into calls on it, and connects itself
// with IPlugBase::SetFormat before the host's first request.
//
// Every operation carries the thread tag of the IPlugBase operation of the
// same name, which forwards to it.
class IFormatAdapter
{
public:
  virtual ~IFormatAdapter() = default;

  // [any thread] Which format presents the plug-in.
  virtual EAPI GetAPI() const = 0;

  // [UI thread] The editor's gesture on a parameter, as the host records
  // automation: begin, any number of values, end.
  virtual void BeginInformHostOfParamChange(int idx) = 0;
  virtual void InformHostOfParamChange(int idx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int idx) = 0;
  // [UI thread] The current program or its name changed.
  virtual void InformHostOfProgramChange() = 0;

  // [any thread] The host's transport; on the audio thread it describes the
  // block being rendered.
  virtual bool IsRenderingOffline() = 0;
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* pNum, int* pDenom) = 0;
  // Fills what the host knows and leaves the rest of pTimeInfo as it is.
  virtual void GetTime(ITimeInfo* pTimeInfo) = 0;

  // [any thread] Asks the host for its product string and version and
  // records them with IPlugBase::SetHost.
  virtual void IdentifyHost() = 0;

  // [construction or UI thread] The plug-in's editor was attached: the host
  // learns that there is one and its size.
  virtual void AttachGraphics(IGraphicsInterface* pGraphics) = 0;
  // [UI thread] The editor's size changed: the host's window follows.
  virtual void ResizeGraphics(int w, int h) = 0;
  // [UI thread, mutex held] Samples of delay the plug-in now adds.
  virtual void SetLatency(int samples) = 0;
  // [audio thread, mutex held] MIDI out to the host; false when it refused.
  virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
  virtual bool SendSysEx(ISysEx* pSysEx) = 0;
};
