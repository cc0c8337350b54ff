#pragma once

#include <memory>
#include <string>

namespace vsthost
{

// A top-level window, never shown, for a plug-in's editor to open inside:
// effEditOpen takes the host's window, an HWND on Windows and an X11 Window
// on Linux.
//
// [control thread] Created, pumped and destroyed on the thread that opens
// and closes the editor, as a DAW's UI thread does.
class ParentWindow
{
public:
  // Null with `whyNot` set when the system has no display to make one on
  // (no X server; Wine without one).
  static std::unique_ptr<ParentWindow> Create(int width, int height, std::string* whyNot);
  virtual ~ParentWindow() = default;

  // What effEditOpen takes as its pointer argument.
  virtual void* Handle() const = 0;
  // Handles the window messages (Windows) or events (X11) waiting for this
  // thread, as a host's message loop would between editor requests.
  virtual void PumpEvents() = 0;
};

} // namespace vsthost
