#pragma once

// kolvane-host edit: the plug-in's editor in a window of its own, driven
// the way a DAW drives it, for people and for the GUI tests.
//
//   kolvane-host edit [--play] [--seconds N] [--screenshot FILE.png]
//                     [--screenshot-every-ms MS] [--log FILE]
//                     [--param "NAME=VALUE"]... [--automate-every-ms MS]
//                     [--content-scale SCALE] [--stop-file FILE] <plugin>
//
// RunEdit (EditCommon.cpp) is the same everywhere: the instance, the audio
// and automation threads, the log and the pictures. Each system with a
// window gives it an EditWindow in a file of its own.

#include "PluginInstance.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vsthost
{

struct EditOptions
{
  std::string plugin;
  HostSettings settings;
  // Process audio on a second thread in real time, transport running.
  bool play = false;
  // How long the window stays open at most; 0: until the user closes it.
  double seconds = 0.0;
  // The run ends sooner once this file exists (a test's input is done).
  std::string stopFile;
  // The window's pixels read back from the screen when the run ends; with
  // screenshotEveryMs > 0 also FILE-000.png, FILE-001.png, ... meanwhile.
  std::string screenshot;
  int screenshotEveryMs = 0;
  // One line per host call as it arrives ("begin I", "automate I V",
  // "end I"), after "initial I V" for every parameter when the editor opens
  // and before "param I V" for every parameter when the run ends; with
  // screenshotEveryMs, "shot N PPQ": the transport's position at picture N.
  std::string log;
  // Normalized values set before the editor opens, by parameter name.
  std::vector<std::pair<std::string, double>> params;
  // A third thread sets every parameter to a new value each period; at the
  // end it puts every parameter back to the value it had when it started.
  int automateEveryMs = 0;
  // Above 0: the host tells the plug-in its content scale (effVendorSpecific
  // 'PreS' 'AeCs' with the scale in opt) before it asks for the editor's
  // size and opens it, as hosts on a high-DPI screen do.
  double contentScale = 0.0;
};

// The host's top-level window on one window system, holding the editor.
//
// [control thread] Made, run and destroyed on the thread that opens and
// closes the editor.
class EditWindow
{
public:
  // Null, with the reason on err, when this system has no window to give
  // (no display, or no window system the host knows).
  static std::unique_ptr<EditWindow> Create(int width, int height, const std::string& title,
                                            std::ostream& err);
  virtual ~EditWindow() = default;

  // What effEditOpen takes: an HWND on Windows, an X11 Window on Linux.
  virtual void* Handle() const = 0;
  // The plug-in asked for another size (audioMasterSizeWindow): the window
  // takes it; false when it cannot.
  virtual bool Resize(int width, int height) = 0;
  // The window's size now.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Handles the window's events for about ms milliseconds and calls idle
  // about every 20 ms meanwhile, as a DAW's UI thread does; false once the
  // user closed the window.
  virtual bool Run(int ms, const std::function<void()>& idle) = 0;
  // The window's pixels as the screen shows them (what the user sees, not
  // what the plug-in believes it drew), as opaque 0xAARRGGBB rows.
  virtual bool Capture(std::vector<unsigned int>& pixels) = 0;
};

// [control thread] Runs the editor; 0 on success, 1 when the plug-in or
// its window could not be opened (the reason on err).
int RunEdit(const EditOptions& options, std::ostream& out, std::ostream& err);

} // namespace vsthost
