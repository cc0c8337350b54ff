// The X11 window's input: its events become the context's input events
// (IPlatformWindow.h, step 4), expose events are presented again, and keys
// no control takes go on to the host's top-level window.

#include "IGraphicsX11.h"

#include "IKeyTable.h"
#include "X11Private.h"

#include <X11/keysym.h>

#include <cstdlib>

namespace
{
// X reports no double clicks: a second press of the left button this soon
// and this close to the first is one.
const int kDoubleClickMs = 400;
const int kDoubleClickPixels = 4;

// The key table's X11 column, row by row, in the system's names.
// clang-format off
constexpr std::uint32_t kKeyTableColumn[][2] = {
    {XK_space, XK_space}, {XK_Up, XK_Up}, {XK_Down, XK_Down}, {XK_Left, XK_Left},
    {XK_Right, XK_Right}, {XK_0, XK_9}, {XK_a, XK_z}, {XK_A, XK_Z}, {XK_KP_1, XK_KP_9},
    {XK_KP_Multiply, XK_KP_Divide}, {XK_F1, XK_F11}};
// clang-format on
static_assert(KeyColumnIs(EKeySystem::kX11, kKeyTableColumn),
              "the key table's X11 keysyms are not the system's");

IMouseMod ModOf(unsigned int state, unsigned int button, bool pressed)
{
  bool left = (state & Button1Mask) != 0;
  bool right = (state & Button3Mask) != 0;
  // The state X reports is the one before the event.
  if (button == Button1)
    left = pressed;
  if (button == Button3)
    right = pressed;
  return IMouseMod(left, right, (state & ShiftMask) != 0, (state & ControlMask) != 0,
                   (state & Mod1Mask) != 0);
}
} // namespace

void IGraphicsX11::HandleEvent(void* raw)
{
  XEvent& event = *static_cast<XEvent*>(raw);
  if (mX->editBox && event.xany.window == mX->editBox)
  {
    switch (event.type)
    {
    case Expose:
      DrawTextEntry();
      break;
    case FocusIn:
      if (event.xfocus.detail != NotifyPointer)
        mParamEditMsg = kEditActive;
      break;
    case FocusOut:
      if (event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior &&
          event.xfocus.detail != NotifyPointer)
        mParamEditMsg = kEditCancel;
      break;
    case KeyPress:
      HandleTextEntryKey(&event.xkey);
      break;
    default:
      break;
    }
    return;
  }
  if (event.xany.window != mX->window)
    return;
  // While the box is active the editor takes no input: a left or right
  // press only cancels the entry.
  if (mX->editBox && mParamEditMsg == kEditActive)
  {
    if (event.type == ButtonPress &&
        (event.xbutton.button == Button1 || event.xbutton.button == Button3))
      mParamEditMsg = kEditCancel;
    if (event.type != Expose)
      return;
  }

  switch (event.type)
  {
  case Expose:
  {
    IRECT r(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
            event.xexpose.y + event.xexpose.height);
    DrawScreen(&r);
    break;
  }
  case ButtonPress:
  {
    const XButtonEvent& b = event.xbutton;
    IMouseMod mod = ModOf(b.state, b.button, true);
    if (b.button == Button4 || b.button == Button5)
    {
      if (mX->editBox)
      {
        mParamEditMsg = kEditCancel;
        break;
      }
      OnMouseWheel(b.x, b.y, &mod, b.button == Button4 ? 1 : -1);
      break;
    }
    if (b.button != Button1 && b.button != Button2 && b.button != Button3)
      break;
    if (mX->editBox)
    {
      // Thrown away, nothing committed; the press then counts.
      DropTextEntry();
      IRECT all(0, 0, mWidth, mHeight);
      Draw(&all);
    }
    XSetInputFocus(mX->display, mX->window, RevertToParent, CurrentTime);
    if (b.button == Button1)
    {
      const bool isDouble = mX->lastPressValid &&
                            b.time - mX->lastPress <= static_cast<Time>(kDoubleClickMs) &&
                            std::abs(b.x - mX->lastPressX) <= kDoubleClickPixels &&
                            std::abs(b.y - mX->lastPressY) <= kDoubleClickPixels;
      if (isDouble)
      {
        mX->lastPressValid = false;
        OnMouseDblClick(b.x, b.y, &mod);
        break;
      }
      mX->lastPressValid = true;
      mX->lastPress = b.time;
      mX->lastPressX = b.x;
      mX->lastPressY = b.y;
    }
    OnMouseDown(b.x, b.y, &mod);
    break;
  }
  case ButtonRelease:
  {
    const XButtonEvent& b = event.xbutton;
    if (b.button != Button1 && b.button != Button3)
      break;
    IMouseMod mod = ModOf(b.state, b.button, false);
    OnMouseUp(b.x, b.y, &mod);
    break;
  }
  case MotionNotify:
  {
    const XMotionEvent& m = event.xmotion;
    IMouseMod mod = ModOf(m.state, 0, false);
    if (mod.L || mod.R)
    {
      if (!mX->editBox)
        OnMouseDrag(m.x, m.y, &mod);
    }
    else if (OnMouseOver(m.x, m.y, &mod))
    {
      mX->trackingLeave = true;
    }
    break;
  }
  case LeaveNotify:
    if (mX->trackingLeave && event.xcrossing.mode == NotifyNormal)
    {
      mX->trackingLeave = false;
      OnMouseOut();
    }
    break;
  case KeyPress:
  {
    XKeyEvent& k = event.xkey;
    const int code = KeyFromSystem(EKeySystem::kX11, XLookupKeysym(&k, 0));
    if (code >= 0 && OnKeyDown(k.x, k.y, code))
      break;
    // Not ours: the host's top-level window gets the key.
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    Window top = mX->window;
    while (XQueryTree(mX->display, top, &root, &parent, &children, &count))
    {
      if (children)
        XFree(children);
      if (parent == root || parent == 0)
        break;
      top = parent;
    }
    if (top != mX->window)
    {
      k.window = top;
      XSendEvent(mX->display, top, False, KeyPressMask, &event);
      XFlush(mX->display);
    }
    break;
  }
  default:
    break;
  }
}
