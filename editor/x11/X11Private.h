#pragma once

// What the X11 editor's parts share: Xlib types stay behind this header and
// the files of editor/x11.
//
// The window's sources, by responsibility:
//   IGraphicsX11.cpp    the connection and the window, idling and ticks,
//                       frames, sizes, the pointer; the menus, boxes and
//                       dialogs it opens on request; the module's paths,
//                       fonts and pictures;
//   X11Input.cpp        events to the context's input, keys to the host;
//   X11TextEntry.cpp    the text box;
//   X11Popups.cpp       the menus and message boxes drawn here, and
//                       running the desktop's programs;
//   X11SharedImage.cpp  frames through shared memory;
//   X11Errors.cpp       X errors on the editor's connections.

#include "IGraphicsX11.h"
#include "IPopupMenu.h"
#include "lice.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace x11
{
// ---- X errors ----------------------------------------------------------------
// Xlib has one error handler per process. While a watched connection exists
// ours is installed: errors on watched connections are recorded, never
// fatal; errors on others go to the handler that was installed before.
void WatchErrors(Display* display);
void UnwatchErrors(Display* display);
// Sends everything queued and tells whether the server reported an error
// on a watched connection since the last call.
bool SyncFailed(Display* display);

// ---- Shared-memory images ------------------------------------------------------
// True when the connection is to a server on this machine (a local socket),
// the only kind that can attach this process's memory segments.
bool IsLocal(Display* display);
// Has the server attach the segment; false, with the X error swallowed, when
// it cannot. The connection must be watched.
bool AttachSegment(Display* display, XShmSegmentInfo* info);

// A w x h image whose pixels live in a segment the server reads directly.
// Freed, segment and all, with the object.
class SharedImage
{
public:
  // Null when the server lacks the extension, the connection is not local,
  // the visual's pixels are not 32-bit 0xAARRGGBB in this machine's byte
  // order, or the server cannot attach the segment: the caller then sends
  // its pixels through the connection. The connection must be watched.
  static std::unique_ptr<SharedImage> Create(Display* display, Visual* visual, int depth, int w,
                                             int h);
  ~SharedImage();
  SharedImage(const SharedImage&) = delete;
  SharedImage& operator=(const SharedImage&) = delete;

  // Copies the region (l, t)-(r, b) of the top-down 32-bit bitmap into the
  // image and has the server draw it at the same place in the window.
  void Put(Window window, GC gc, LICE_IBitmap* bitmap, int l, int t, int r, int b);

private:
  SharedImage() = default;

  Display* mDisplay = nullptr;
  XShmSegmentInfo mInfo{};
  XImage* mImage = nullptr;
  int mWidth = 0, mHeight = 0;
};

// ---- Windows and modal parts ---------------------------------------------------
// A window of size w x h at (x, y) in parent, on a 24-bit TrueColor
// visual; override-redirect (no window manager decorations or placement)
// when asked. 0 when it cannot be made.
Window CreateWindow(Display* display, Window parent, int x, int y, int w, int h, long eventMask,
                    bool overrideRedirect);
// Copies the region (l, t)-(r, b) of a top-down 32-bit bitmap to the same
// place in the window.
void PutBitmap(Display* display, Window window, LICE_IBitmap* bitmap, int l, int t, int r, int b);

// Shows the menu with its top-left corner at (rootX, rootY) on the screen
// and waits for a choice: the (sub)menu holding the chosen entry, with that
// entry's index set, or null when dismissed (a press outside, Escape).
// Drawn at the scale given, the editor's.
IPopupMenu* RunPopupMenu(Display* display, int rootX, int rootY, IPopupMenu* menu,
                         double scale = 1.0);

// A message box in a small window of its own: the text, a caption as its
// title, and OK (type 0), OK and Cancel (1), Yes, No and Cancel (3) or Yes
// and No (4). Returns 1 OK, 2 Cancel, 6 Yes, 7 No; closing it is Cancel
// (No without a Cancel button). It has the keyboard while it is open and
// gives it back to the window that had it. Drawn at the scale given.
int RunMessageBox(const char* text, const char* caption, int type, double scale = 1.0);

// Runs the program (searched in PATH) and waits; true when it exited with
// 0. Its standard output, when asked for, without the final newline.
bool RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr);
} // namespace x11

// The window's X11 side: the connection, the window, and the state its
// events and ticks keep.
struct IGraphicsX11::Platform
{
  Display* display = nullptr;
  Window window = 0;
  Window parent = 0;
  GC gc = nullptr;
  Visual* visual = nullptr;
  int depth = 0;
  // The back buffer's copy the server reads directly; null when frames go
  // through the connection instead.
  std::unique_ptr<x11::SharedImage> shared;
  // After a resize the whole window is drawn on the next tick.
  bool redrawAll = false;
  // Defined on the window while the editor hides the pointer; made on first
  // use.
  Cursor invisibleCursor = 0;
  std::chrono::steady_clock::time_point lastTick;
  bool trackingLeave = false;
  // The last left press, for double clicks: the server's time of it, so
  // that a host idling late does not stretch or shrink the interval.
  Time lastPress = 0;
  int lastPressX = 0, lastPressY = 0;
  bool lastPressValid = false;
  // The text box: a child window drawn from its own bitmap.
  Window editBox = 0;
  std::string editText;
  bool editAllSelected = false;
  int editMaxLength = 0;
  IText editStyle;
  std::unique_ptr<LICE_MemBitmap> editBitmap;
};
