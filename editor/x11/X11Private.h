#pragma once

// What the X11 editor's parts share: Xlib types stay behind this header and
// the files of editor/x11.

#include "IPopupMenu.h"
#include "lice.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>
#include <vector>

namespace x11
{
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
IPopupMenu* RunPopupMenu(Display* display, int rootX, int rootY, IPopupMenu* menu);

// A message box in a small window of its own: the text, a caption as its
// title, and OK (type 0), OK and Cancel (1), Yes, No and Cancel (3) or Yes
// and No (4). Returns 1 OK, 2 Cancel, 6 Yes, 7 No; closing it is Cancel
// (No without a Cancel button).
int RunMessageBox(const char* text, const char* caption, int type);

// Runs the program (searched in PATH) and waits; true when it exited with
// 0. Its standard output, when asked for, without the final newline.
bool RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr);
} // namespace x11
