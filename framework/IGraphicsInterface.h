#pragma once

class WDL_String;

// The editor operations the plug-in side calls, so that the framework and
// the adapter build and run before, and without, an editor. The editor's
// graphics context implements them. The plug-in base owns the attached
// context and deletes it through the virtual destructor.
class IGraphicsInterface
{
public:
  enum EFileAction
  {
    kFileOpen = 0,
    kFileSave = 1,
  };

  virtual ~IGraphicsInterface() = default;

  // [any thread, plug-in mutex held] Every control bound to paramIdx takes
  // the value (a real value is normalized through the parameter first) and
  // is marked for redrawing. Never calls back into the plug-in or the host.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // [UI thread] The control at controlIdx takes the value; out of range
  // does nothing.
  virtual void SetControlFromPlug(int controlIdx, double normalizedValue) = 0;
  // Creates the drawing surfaces; called once when attached.
  virtual void PrepDraw() = 0;
  // The editor's size in pixels at its scale: the size of its window.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // [any thread] Whether this platform gives the editor a window at all. A
  // plug-in whose editor cannot open a window does not offer one to the host.
  virtual bool CanOpenWindow() const = 0;
  // [UI thread] Opens the editor as a child of the host's window; null when
  // no window could be made.
  virtual void* OpenWindow(void* parentWindow) = 0;
  // [UI thread] Closes the window if open; the context and controls stay.
  virtual void CloseWindow() = 0;
  // [UI thread] The host's idle call while the editor is open: windows
  // without a timer of their own handle their events and redraw here.
  virtual void Idle() {}
  // ---- Scale -----------------------------------------------------------
  // An editor may draw at several scales (1 is 100 %). The user's choice
  // comes first, then the host's, then the platform's. A change of scale
  // changes Width() and Height() and reaches the format through
  // IPlugInterface::ResizeGraphics.

  // [UI thread] The host's content scale: the editor takes the nearest
  // scale it draws at unless the user chose one. False when the editor
  // does not scale (the host should not expect it to).
  virtual bool SetHostScale(double scale)
  {
    (void)scale;
    return false;
  }
  // [UI thread] The scale the user chose, in percent (100, 150 or 200), or
  // 0 when the user has not chosen: what the plug-in's state keeps.
  virtual int GetUserScalePercent() const { return 0; }
  // [UI thread] The stored choice back; 0 forgets it.
  virtual void SetUserScalePercent(int percent) { (void)percent; }

  // [UI thread] Asks the user for a file with one of the space-separated
  // extensions, starting at file and dir. On confirmation file holds the
  // path; on cancel it is unchanged; with no window open it becomes empty.
  virtual void PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir,
                             const char* extensions) = 0;
};
