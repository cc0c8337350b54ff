#include "IGraphicsX11.h"

#include "IControl.h"
#include "IPlugBase.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

namespace
{
using Clock = std::chrono::steady_clock;

// X reports no double clicks: a second press of the left button this soon
// and this close to the first is one.
const int kDoubleClickMs = 400;
const int kDoubleClickPixels = 4;

// ---- X errors ---------------------------------------------------------------
// Xlib has one error handler per process. While editor windows exist ours
// is installed: errors on an editor's connection are counted there, others
// go to the handler the host had.
std::mutex sErrorMutex;
std::set<Display*> sOurDisplays;
int (*sPreviousHandler)(Display*, XErrorEvent*) = nullptr;
bool sHandlerInstalled = false;
int sLastError = 0;

int OnXError(Display* display, XErrorEvent* error)
{
  {
    std::lock_guard<std::mutex> lock(sErrorMutex);
    if (sOurDisplays.count(display))
    {
      sLastError = error->error_code;
      return 0;
    }
  }
  return sPreviousHandler ? sPreviousHandler(display, error) : 0;
}

void AddDisplay(Display* display)
{
  std::lock_guard<std::mutex> lock(sErrorMutex);
  if (!sHandlerInstalled)
  {
    sPreviousHandler = XSetErrorHandler(OnXError);
    sHandlerInstalled = true;
  }
  sOurDisplays.insert(display);
}

void RemoveDisplay(Display* display)
{
  std::lock_guard<std::mutex> lock(sErrorMutex);
  sOurDisplays.erase(display);
  if (sOurDisplays.empty() && sHandlerInstalled)
  {
    // The module may be unloaded next: leave no pointer into it behind,
    // unless someone installed another handler over ours meanwhile.
    int (*current)(Display*, XErrorEvent*) = XSetErrorHandler(sPreviousHandler);
    if (current != OnXError)
    {
      XSetErrorHandler(current);
    }
    sHandlerInstalled = false;
    sPreviousHandler = nullptr;
  }
}

// Sends everything queued and tells whether the server reported an error
// since the last call.
bool SyncFailed(Display* display)
{
  XSync(display, False);
  std::lock_guard<std::mutex> lock(sErrorMutex);
  const bool failed = sLastError != 0;
  sLastError = 0;
  return failed;
}

// ---- Keys --------------------------------------------------------------------
// The keysym as the virtual-key code the key table of the input dispatch is
// defined over, or 0.
int VirtualKeyOf(KeySym sym)
{
  if (sym == XK_space)
    return 0x20;
  if (sym == XK_Left)
    return 0x25;
  if (sym == XK_Up)
    return 0x26;
  if (sym == XK_Right)
    return 0x27;
  if (sym == XK_Down)
    return 0x28;
  if (sym >= XK_0 && sym <= XK_9)
    return 0x30 + static_cast<int>(sym - XK_0);
  if (sym >= XK_a && sym <= XK_z)
    return 0x41 + static_cast<int>(sym - XK_a);
  if (sym >= XK_A && sym <= XK_Z)
    return 0x41 + static_cast<int>(sym - XK_A);
  if (sym >= XK_KP_0 && sym <= XK_KP_9)
    return 0x60 + static_cast<int>(sym - XK_KP_0);
  if (sym >= XK_KP_Multiply && sym <= XK_KP_Divide)
    return 0x6A + static_cast<int>(sym - XK_KP_Multiply);
  if (sym >= XK_F1 && sym <= XK_F11)
    return 0x70 + static_cast<int>(sym - XK_F1);
  return 0;
}

// The key code of the input dispatch for a virtual key, or -1.
int KeyCodeOf(int vk)
{
  switch (vk)
  {
  case 0x20:
    return 0;
  case 0x26:
    return 1;
  case 0x28:
    return 2;
  case 0x25:
    return 3;
  case 0x27:
    return 4;
  default:
    break;
  }
  if (vk >= 0x30 && vk <= 0x39)
    return vk - 0x2B;
  if (vk >= 0x41 && vk <= 0x5A)
    return vk - 0x32;
  if (vk >= 0x61 && vk <= 0x7A)
    return vk - 0x52;
  return -1;
}

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

bool HasPngExtension(const char* name)
{
  const char* dot = name ? std::strrchr(name, '.') : nullptr;
  if (!dot || std::strlen(dot + 1) != 3)
    return false;
  for (int i = 0; i < 3; ++i)
    if (std::tolower(static_cast<unsigned char>(dot[1 + i])) != "png"[i])
      return false;
  return true;
}
} // namespace

struct IGraphicsX11::Platform
{
  Display* display = nullptr;
  Window window = 0;
  Window parent = 0;
  GC gc = nullptr;
  Visual* visual = nullptr;
  int depth = 0;
  Clock::time_point lastTick;
  bool trackingLeave = false;
  // The last left press, for double clicks.
  Clock::time_point lastPress;
  int lastPressX = 0, lastPressY = 0;
  bool lastPressValid = false;
};

IGraphicsX11::IGraphicsX11(IPlugBase* plug, int w, int h, int fps, LICE_HMODULE module)
    : IGraphics(plug, w, h, fps), mX(new Platform), mModule(module)
{
}

IGraphicsX11::~IGraphicsX11()
{
  CloseWindow();
  delete mX;
}

void* IGraphicsX11::GetWindow()
{
  return mX->window ? reinterpret_cast<void*>(mX->window) : nullptr;
}

void* IGraphicsX11::OpenWindow(void* parent)
{
  CloseWindow();
  Display* display = XOpenDisplay(nullptr);
  if (!display)
    return nullptr;
  AddDisplay(display);
  SyncFailed(display);
  const int screen = DefaultScreen(display);
  XVisualInfo info;
  if (!XMatchVisualInfo(display, screen, 24, TrueColor, &info))
  {
    RemoveDisplay(display);
    XCloseDisplay(display);
    return nullptr;
  }
  const Window parentWindow =
      parent ? reinterpret_cast<Window>(parent) : RootWindow(display, screen);
  XSetWindowAttributes attributes;
  std::memset(&attributes, 0, sizeof(attributes));
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                          KeyPressMask | LeaveWindowMask | FocusChangeMask;
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = XCreateColormap(display, parentWindow, info.visual, AllocNone);
  const Window window =
      XCreateWindow(display, parentWindow, 0, 0, static_cast<unsigned>(mWidth),
                    static_cast<unsigned>(mHeight), 0, info.depth, InputOutput, info.visual,
                    CWEventMask | CWBackPixmap | CWBorderPixel | CWColormap, &attributes);
  if (window)
  {
    XMapWindow(display, window);
  }
  if (!window || SyncFailed(display))
  {
    // The parent does not exist (BadWindow): no editor.
    if (window)
      XDestroyWindow(display, window);
    XFreeColormap(display, attributes.colormap);
    SyncFailed(display);
    RemoveDisplay(display);
    XCloseDisplay(display);
    return nullptr;
  }
  XFreeColormap(display, attributes.colormap);
  mX->display = display;
  mX->window = window;
  mX->parent = parentWindow;
  mX->visual = info.visual;
  mX->depth = info.depth;
  mX->gc = XCreateGC(display, window, 0, nullptr);
  mX->lastTick = Clock::now();
  mX->lastPressValid = false;
  mX->trackingLeave = false;
  SetAllControlsDirty();
  return GetWindow();
}

void IGraphicsX11::CloseWindow()
{
  if (!mX->display)
    return;
  DropTextEntry();
  ReleaseMouseCapture();
  Display* display = mX->display;
  XFreeGC(display, mX->gc);
  // Gone already when the host destroyed the parent first: the error is
  // recorded and ignored.
  XDestroyWindow(display, mX->window);
  SyncFailed(display);
  RemoveDisplay(display);
  XCloseDisplay(display);
  mX->display = nullptr;
  mX->window = 0;
  mX->gc = nullptr;
}

bool IGraphicsX11::DrawScreen(IRECT* rect)
{
  LICE_IBitmap* bitmap = GetDrawBitmap();
  if (!mX->display || !bitmap || !rect)
    return false;
  const int l = std::max(rect->L, 0), t = std::max(rect->T, 0);
  const int r = std::min(rect->R, bitmap->getWidth()), b = std::min(rect->B, bitmap->getHeight());
  if (r <= l || b <= t)
    return true;
  // The image borrows the back buffer's rows: 32-bit pixels 0xAARRGGBB are
  // what a 24-bit TrueColor visual takes.
  XImage* image = XCreateImage(
      mX->display, mX->visual, static_cast<unsigned>(mX->depth), ZPixmap, 0,
      reinterpret_cast<char*>(bitmap->getBits()), static_cast<unsigned>(bitmap->getWidth()),
      static_cast<unsigned>(bitmap->getHeight()), 32, bitmap->getRowSpan() * 4);
  if (!image)
    return false;
  XPutImage(mX->display, mX->window, mX->gc, image, l, t, l, t, static_cast<unsigned>(r - l),
            static_cast<unsigned>(b - t));
  image->data = nullptr;
  XDestroyImage(image);
  XFlush(mX->display);
  return true;
}

void IGraphicsX11::Idle()
{
  if (!mX->display)
    return;
  while (mX->display && XPending(mX->display) > 0)
  {
    XEvent event;
    XNextEvent(mX->display, &event);
    HandleEvent(&event);
  }
  if (!mX->display)
    return;
  const int fps = FPS() > 0 ? FPS() : 25;
  const auto interval = std::chrono::milliseconds(static_cast<int>(1000.0 / fps));
  const Clock::time_point now = Clock::now();
  if (now - mX->lastTick >= interval)
  {
    // From now, not from the last due time: a late host gets no catch-up.
    mX->lastTick = now;
    Tick();
  }
}

void IGraphicsX11::Tick()
{
  if (mParamEditMsg != kEditNone && mEdControl)
  {
    DropTextEntry();
    return;
  }
  mParamEditMsg = kEditNone;
  IRECT dirty;
  if (IsDirty(&dirty))
  {
    Draw(&dirty);
  }
}

void IGraphicsX11::HandleEvent(void* raw)
{
  XEvent& event = *static_cast<XEvent*>(raw);
  if (event.xany.window != mX->window)
    return;
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
      if (mEdControl)
      {
        mParamEditMsg = kEditCancel;
        break;
      }
      OnMouseWheel(b.x, b.y, &mod, b.button == Button4 ? 1 : -1);
      break;
    }
    if (b.button != Button1 && b.button != Button2 && b.button != Button3)
      break;
    if (mEdControl && mParamEditMsg == kEditActive)
    {
      mParamEditMsg = kEditCancel;
      break;
    }
    if (mEdControl)
    {
      DropTextEntry();
      IRECT all(0, 0, mWidth, mHeight);
      Draw(&all);
    }
    XSetInputFocus(mX->display, mX->window, RevertToParent, CurrentTime);
    if (b.button == Button1)
    {
      const Clock::time_point now = Clock::now();
      const bool isDouble = mX->lastPressValid &&
                            now - mX->lastPress <= std::chrono::milliseconds(kDoubleClickMs) &&
                            std::abs(b.x - mX->lastPressX) <= kDoubleClickPixels &&
                            std::abs(b.y - mX->lastPressY) <= kDoubleClickPixels;
      if (isDouble)
      {
        mX->lastPressValid = false;
        OnMouseDblClick(b.x, b.y, &mod);
        break;
      }
      mX->lastPressValid = true;
      mX->lastPress = now;
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
      if (!mEdControl)
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
    const int code = KeyCodeOf(VirtualKeyOf(XLookupKeysym(&k, 0)));
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

void IGraphicsX11::ForceEndUserEdit()
{
  mParamEditMsg = kEditCancel;
}

void IGraphicsX11::DropTextEntry()
{
  mEdControl = nullptr;
  mEdParam = nullptr;
  mParamEditMsg = kEditNone;
}

void IGraphicsX11::CreateTextEntry(IControl*, IText*, IRECT*, const char*, IParam*) {}

IPopupMenu* IGraphicsX11::CreateIPopupMenu(IPopupMenu*, IRECT*)
{
  ReleaseMouseCapture();
  return nullptr;
}

int IGraphicsX11::ShowMessageBox(const char*, const char*, int)
{
  return 0;
}

void IGraphicsX11::HostPath(WDL_String* path)
{
  if (path)
    path->Set("");
}

void IGraphicsX11::PluginPath(WDL_String* path)
{
  if (path)
    path->Set("");
}

void IGraphicsX11::DesktopPath(WDL_String*) {}

void IGraphicsX11::PromptForFile(WDL_String* file, EFileAction, WDL_String*, const char*)
{
  if (file && !WindowIsOpen())
    file->Set("");
}

bool IGraphicsX11::PromptForColor(IColor*, const char*)
{
  return false;
}

bool IGraphicsX11::OpenURL(const char*, const char*, const char*, const char*)
{
  return false;
}

LICE_HFONT IGraphicsX11::OSCreateFont(const IText* text)
{
  if (!text)
    return nullptr;
  return LICE_CreateFont(text->mFont, text->mSize, (text->mStyle & IText::kStyleBold) != 0,
                         (text->mStyle & IText::kStyleItalic) != 0,
                         text->mQuality != IText::kQualityNonAntiAliased);
}

LICE_IBitmap* IGraphicsX11::OSLoadBitmap(int id, const char* name)
{
  if (!HasPngExtension(name))
    return nullptr;
  return LICE_LoadPNGFromResource(mModule, id);
}
