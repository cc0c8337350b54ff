#pragma once

class IParam;
class WDL_Mutex;

// The plug-in operations the editor calls: the mirror of IGraphicsInterface,
// so that the editor sees this much of the plug-in and not its base.
// IPlugBase implements it.
class IPlugInterface
{
public:
  // [any thread] Parameter idx; null for an index out of range.
  virtual IParam* GetParam(int idx) const = 0;
  // [UI thread, takes the plug-in mutex] The editor changed a parameter:
  // store it, tell the host, tell the plug-in.
  virtual void SetParameterFromGUI(int idx, double normalizedValue) = 0;
  // [UI thread] The editor's gesture on a parameter, as the host records
  // automation: begin, any number of values (SetParameterFromGUI), end.
  virtual void BeginInformHostOfParamChange(int idx) = 0;
  virtual void EndInformHostOfParamChange(int idx) = 0;
  // [UI thread] The editor's size changed: asks the host to resize its
  // window.
  virtual void ResizeGraphics(int w, int h) = 0;
  // [any thread] The plug-in mutex, for the editor to hold while it changes
  // what a host call may be reading.
  virtual WDL_Mutex* GetMutex() = 0;

protected:
  ~IPlugInterface() = default; // the editor never deletes the plug-in
};
