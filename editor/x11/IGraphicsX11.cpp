// The X11 window's life (IPlatformWindow.h, steps 1, 2, 3, 5 and 6): the
// connection and the window, the idle calls and their ticks, presenting
// frames, sizes and the pointer; what it opens over itself on request
// (menus, message boxes, the desktop's dialogs, links); the module's paths,
// fonts and pictures.

#include "IGraphicsX11.h"

#include "IControl.h"
#include "IParam.h"
#include "IPlugInterface.h"
#include "X11Private.h"

#include <X11/Xresource.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace
{
using Clock = std::chrono::steady_clock;

// The desktop's scale: the Xft.dpi resource of the server's resource
// database, 96 being 100 %; 0 when the desktop sets none.
double DesktopScale(Display* display)
{
  const char* resources = XResourceManagerString(display);
  if (!resources)
    return 0.0;
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  if (!database)
    return 0.0;
  char* type = nullptr;
  XrmValue value;
  double dpi = 0.0;
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
    dpi = std::atof(value.addr);
  XrmDestroyDatabase(database);
  return dpi > 0.0 ? dpi / 96.0 : 0.0;
}

} // namespace

IGraphicsX11::IGraphicsX11(IPlugInterface* plug, int w, int h, int fps, LICE_HMODULE module)
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
  x11::WatchErrors(display);
  x11::SyncFailed(display);
  const int screen = DefaultScreen(display);
  XVisualInfo info;
  if (!XMatchVisualInfo(display, screen, 24, TrueColor, &info))
  {
    x11::UnwatchErrors(display);
    XCloseDisplay(display);
    return nullptr;
  }
  // The window is made at the size of the scale the desktop asks for,
  // unless the user or the host chose one.
  SetPlatformScale(DesktopScale(display));
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
  if (!window || x11::SyncFailed(display))
  {
    // The parent does not exist (BadWindow): no editor.
    if (window)
      XDestroyWindow(display, window);
    XFreeColormap(display, attributes.colormap);
    x11::SyncFailed(display);
    x11::UnwatchErrors(display);
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
  mX->shared = x11::SharedImage::Create(display, info.visual, info.depth, mWidth, mHeight);
  mX->redrawAll = false;
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
  // A gesture whose release the window never saw (a menu or a text box
  // took it) ends with the window: the host gets every end.
  EndGesture();
  Display* display = mX->display;
  // The segment is detached and freed while the connection still exists.
  mX->shared.reset();
  // The cursor goes with the window; the next window starts with it shown.
  if (mX->invisibleCursor)
    XFreeCursor(display, mX->invisibleCursor);
  mX->invisibleCursor = 0;
  mCursorHidden = false;
  XFreeGC(display, mX->gc);
  // Gone already when the host destroyed the parent first: the error is
  // recorded and ignored.
  XDestroyWindow(display, mX->window);
  x11::SyncFailed(display);
  x11::UnwatchErrors(display);
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
  if (mX->shared)
  {
    mX->shared->Put(mX->window, mX->gc, bitmap, l, t, r, b);
    return true;
  }
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
  // While the text box has the keyboard the editor only waits for it.
  const bool boxActive = mX->editBox && mParamEditMsg == kEditActive;
  if (!boxActive && now - mX->lastTick >= interval)
  {
    // From now, not from the last due time: a late host gets no catch-up.
    mX->lastTick = now;
    Tick();
  }
}

void IGraphicsX11::Tick()
{
  if (mX->editBox && mParamEditMsg != kEditNone)
  {
    if (mParamEditMsg == kEditCommit)
    {
      // What the box holds, at most 31 bytes, as the Windows box gives it.
      const std::string text = mX->editText.substr(0, 31);
      IControl* control = mEdControl;
      IParam* param = mEdParam;
      // The box goes first: committing may redraw or prompt again.
      DropTextEntry();
      CommitTextEntry(control, param, text.c_str());
    }
    else if (mParamEditMsg == kEditCancel)
      DropTextEntry();
    mParamEditMsg = kEditNone;
    return;
  }
  IRECT dirty;
  bool redraw = IsDirty(&dirty);
  if (mX->redrawAll)
  {
    mX->redrawAll = false;
    dirty = IRECT(0, 0, mWidth, mHeight);
    redraw = true;
  }
  if (redraw)
  {
    // The box is a child window: drawing its parent leaves it alone.
    Draw(&dirty);
    if (mX->editBox)
      mParamEditMsg = kEditUpdate;
  }
}

void IGraphicsX11::Resize(int w, int h)
{
  if (w == LayoutWidth() && h == LayoutHeight())
    return;
  // The box edits a control the base is about to delete.
  DropTextEntry();
  IGraphics::Resize(w, h);
  WindowSizeChanged();
}

void IGraphicsX11::WindowSizeChanged()
{
  // The box sits over where its control was at the old size.
  DropTextEntry();
  if (!mX->display)
    return;
  // X has no empty windows: a 0 x 0 editor keeps one pixel and shows
  // nothing.
  XResizeWindow(mX->display, mX->window, static_cast<unsigned>(std::max(mWidth, 1)),
                static_cast<unsigned>(std::max(mHeight, 1)));
  mX->shared.reset();
  mX->shared = x11::SharedImage::Create(mX->display, mX->visual, mX->depth, mWidth, mHeight);
  mX->redrawAll = true;
  XFlush(mX->display);
}

void IGraphicsX11::HideMouseCursor()
{
  if (mCursorHidden || !mX->display)
    return;
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned int mask = 0;
  // False when the pointer is on another screen: nothing to hide here.
  if (!XQueryPointer(mX->display, mX->window, &root, &child, &rootX, &rootY, &x, &y, &mask))
    return;
  if (!mX->invisibleCursor)
  {
    // A cursor whose one pixel is masked out everywhere.
    static const char kEmpty[1] = {0};
    const Pixmap blank = XCreateBitmapFromData(mX->display, mX->window, kEmpty, 1, 1);
    XColor black;
    std::memset(&black, 0, sizeof(black));
    mX->invisibleCursor = XCreatePixmapCursor(mX->display, blank, blank, &black, &black, 0, 0);
    XFreePixmap(mX->display, blank);
  }
  mHiddenMousePointX = rootX;
  mHiddenMousePointY = rootY;
  // Also while a drag's implicit grab takes the pointer outside the window:
  // the grab shows the cursor of the window that was pressed.
  XDefineCursor(mX->display, mX->window, mX->invisibleCursor);
  XFlush(mX->display);
  mCursorHidden = true;
}

void IGraphicsX11::ShowMouseCursor()
{
  if (!mCursorHidden)
    return;
  mCursorHidden = false;
  if (!mX->display)
    return;
  XWarpPointer(mX->display, None, DefaultRootWindow(mX->display), 0, 0, 0, 0, mHiddenMousePointX,
               mHiddenMousePointY);
  XUndefineCursor(mX->display, mX->window);
  XFlush(mX->display);
}

IPopupMenu* IGraphicsX11::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  ReleaseMouseCapture();
  if (!mX->display || !menu || !rect)
    return nullptr;
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(mX->display, mX->window, DefaultRootWindow(mX->display), rect->L, rect->B,
                        &x, &y, &child);
  IPopupMenu* chosen = x11::RunPopupMenu(mX->display, x, y, menu, GetScale());
  // The menu's loop took the editor's expose events: show it all again.
  IRECT all(0, 0, mWidth, mHeight);
  DrawScreen(&all);
  return chosen;
}

int IGraphicsX11::ShowMessageBox(const char* text, const char* caption, int type)
{
  return x11::RunMessageBox(text, caption, type, GetScale());
}

void IGraphicsX11::HostPath(WDL_String* path)
{
  if (!path)
    return;
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  std::string dir = n > 0 ? std::string(exe, static_cast<size_t>(n)) : "";
  dir = dir.substr(0, dir.rfind('/') + 1);
  path->Set(dir.c_str());
}

void IGraphicsX11::PluginPath(WDL_String* path)
{
  if (!path)
    return;
  // Any code of this file names the module the editor was loaded from.
  Dl_info info;
  std::string dir;
  if (dladdr(reinterpret_cast<void*>(&DesktopScale), &info) && info.dli_fname)
  {
    dir = info.dli_fname;
    dir = dir.substr(0, dir.rfind('/') + 1);
  }
  path->Set(dir.c_str());
}

void IGraphicsX11::DesktopPath(WDL_String*) {}

bool IGraphicsX11::OSPromptForFile(WDL_String* chosen, EFileAction action, const char* file,
                                   const char* dir, const IFileFilter& filter)
{
  // The dialog starts at the file in dir; a file given with its full path
  // starts where it is.
  std::string start = file[0] == '/' ? "" : dir;
  if (!start.empty() && start.back() != '/')
    start += '/';
  start += file;
  std::vector<std::string> argv = {"zenity", "--file-selection", "--filename=" + start};
  // A save asks before replacing a file, as the Windows dialog does.
  if (action == kFileSave)
  {
    argv.push_back("--save");
    argv.push_back("--confirm-overwrite");
  }
  // "*.fxp;*.fxb" names the filter, as on Windows; zenity wants the
  // patterns apart.
  if (!filter.Empty())
    argv.push_back("--file-filter=" + filter.Patterns(";") + " | " + filter.Patterns(" "));
  std::string path;
  if (!x11::RunProgram(argv, &path))
    return false;
  chosen->Set(path.c_str());
  return true;
}

bool IGraphicsX11::PromptForColor(IColor* color, const char* prompt)
{
  if (!color || !WindowIsOpen())
    return false;
  char initial[64];
  std::snprintf(initial, sizeof(initial), "--color=rgb(%d,%d,%d)", color->R, color->G, color->B);
  std::vector<std::string> argv = {"zenity", "--color-selection", initial};
  if (prompt && prompt[0])
    argv.push_back(std::string("--title=") + prompt);
  std::string answer;
  if (!x11::RunProgram(argv, &answer))
    return false;
  int r = 0, g = 0, b = 0;
  unsigned int hr = 0, hg = 0, hb = 0;
  const bool decimal = std::sscanf(answer.c_str(), "rgb(%d,%d,%d", &r, &g, &b) == 3 ||
                       std::sscanf(answer.c_str(), "rgba(%d,%d,%d", &r, &g, &b) == 3;
  if (!decimal)
  {
    if (std::sscanf(answer.c_str(), "#%2x%2x%2x", &hr, &hg, &hb) != 3)
      return false;
    r = static_cast<int>(hr);
    g = static_cast<int>(hg);
    b = static_cast<int>(hb);
  }
  // Colour channels are 0 to 255 wherever they are used: whatever the
  // program printed is held to that.
  color->R = std::clamp(r, 0, 255);
  color->G = std::clamp(g, 0, 255);
  color->B = std::clamp(b, 0, 255);
  return true;
}

bool IGraphicsX11::OSOpenURL(const char* url)
{
  return x11::RunProgram({"xdg-open", url});
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
  return LoadPNGResource(mModule, id, name);
}
