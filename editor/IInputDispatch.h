#pragma once

// Input dispatch: the window's mouse, wheel and key events, and the menus
// and text boxes the controls ask for, turned into calls on the controls.
// The part of the graphics context (IGraphics.h) above its controls
// (IControlSet.h); the window beneath (IPlatformWindow.h) calls the On...
// operations, and opens the menus and text boxes asked of it here.
//
// Rules of routing (positions come in as pixels):
//   - Hitting. The control an event reaches is the one holding the mouse
//     capture, else the topmost visible, ungrayed control whose pixels hold
//     the position, searched in reverse attach order (IControl.h); it gets
//     the position in layout units (ToLayout, kept inside the control), so
//     a drag of 256 pixels at 200 % is one of 128 units.
//   - Capture. A press captures the control under the mouse: the drags,
//     the release, the wheel and the keys go to it wherever the mouse is,
//     until the release.
//   - Gestures. Each press on a bound control opens a host gesture and its
//     release closes it; every value a press, a drag, a release or a double
//     click sets reaches the host inside a gesture on its parameter, and so
//     does each wheel notch, a gesture of its own unless a press holds one
//     open. A press that finds a gesture still open (a release the window
//     never saw) closes it first.
//   - Double clicks. The second press is held until a drag past
//     IControl::kClickSlop or the release tells whether it is a double
//     click or a press that drags.
//   - The background. A right press on the background (the unbound control
//     under all others) or where no control is asks the context for its
//     background menu first (a scalable editor's sizes).
//   - Keys. The control under the mouse takes the key, else (over the
//     background or nothing) the key catcher; false passes it on.
//   - Menus and text entry. A prompt for a value opens a menu of the
//     parameter's display texts, or a text box holding its value, over the
//     control in pixels; the choice, or the committed text, becomes the
//     control's value inside a gesture of its own.

#include "IControlSet.h"

class IParam;
class IPlatformWindow;

class IInputDispatch : public IControlSet
{
public:
  // ---- Mouse and keys (the window calls these) -----------------------------------
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  // The press of a double click (the window's second press, in place of
  // OnMouseDown). It captures the control hit and is held: released without
  // moving more than IControl::kClickSlop layout units it is the control's
  // double click, acted on at the release where it was pressed; moved
  // further it is a press at that point that drags. A control that takes a
  // double click as a single click is pressed at once. True when a control
  // took it; the window then captures the mouse, so that the drags and the
  // release that decide it arrive.
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  // Mouse-over events go out only after HandleMouseOver(true).
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  // (x, y) is where the mouse is.
  bool OnKeyDown(int x, int y, int key);
  void ReleaseMouseCapture();
  // The control that gets an event at (x, y) in layout units: the one
  // holding the capture, else the topmost visible, ungrayed one hit; -1 for
  // none.
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  bool CanHandleMouseOver() const { return mHandleMouseOver; }

  // ---- Menus and text entry -----------------------------------------------------
  // Opens a menu of the parameter's display texts (enumerations, and
  // switches that have them) with the current one checked, or else a text
  // entry holding the value. Needs all three.
  void PromptUserInput(IControl* control, IParam* param, IRECT* textRect);
  // The state of a platform's text box, which the window's next tick carries
  // out: none open; open with the keyboard; redrawn around; to be dropped;
  // to be committed.
  enum EParamEditState
  {
    kEditNone = 0,
    kEditActive = 1,
    kEditUpdate = 2,
    kEditCancel = 3,
    kEditCommit = 4,
  };
  // [UI thread] What a platform's text box commits: the typed text as the
  // parameter's value (a display text for enums and bools, the negated
  // number where the display is negated), or the text itself for a control
  // without a parameter. The commit is a gesture of its own.
  void CommitTextEntry(IControl* control, IParam* param, const char* text);

protected:
  IInputDispatch(IPlugInterface* plug, int w, int h) : IControlSet(plug, w, h) {}

  // The window the events come from, which shows the menus and text boxes.
  virtual IPlatformWindow& PlatformWindow() = 0;
  // A right press at (x, y) in pixels on the background or where no control
  // is: true when the context took it for a menu of its own.
  virtual bool ShowBackgroundMenu(int x, int y) = 0;
  // Captures the mouse for control c and presses it, inside a gesture.
  void PressControl(int c, int x, int y, IMouseMod* mod);

  int mMouseCapture = -1, mMouseOver = -1;

private:
  // The control an event at a pixel reaches (-1 for none) and the point in
  // layout units it gets: the captured control, else the topmost one whose
  // pixels hold the pixel.
  struct Hit
  {
    int control;
    int x, y;
  };
  Hit HitAt(int px, int py, bool mouseOver = false);
  // Neither hidden nor grayed (unless mouse-over reaches it grayed).
  static bool Hittable(IControl* control, bool mouseOver);

  // The last position handed to the captured control, in layout units; for
  // a held double click, where it was pressed.
  int mMouseX = -1, mMouseY = -1;
  // A double click's press held until a drag or the release tells what it
  // is (OnMouseDblClick), with the modifiers it came with.
  bool mDblClickPending = false;
  IMouseMod mDblClickMod;
  bool mHandleMouseOver = false;
};
