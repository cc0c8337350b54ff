#include "ParentWindow.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#endif

namespace vsthost
{
namespace
{
#ifdef _WIN32

const char kClassName[] = "KolvaneHostParent";

class Win32Parent : public ParentWindow
{
public:
  explicit Win32Parent(HWND window) : mWindow(window) {}
  ~Win32Parent() override
  {
    DestroyWindow(mWindow);
    PumpEvents();
  }
  void* Handle() const override { return mWindow; }
  void PumpEvents() override
  {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }

private:
  HWND mWindow;
};

#else

// libX11 is loaded when a window is asked for, so that the host runs on
// machines without it; only these calls are needed.
typedef void* (*XOpenDisplayProc)(const char*);
typedef int (*XCloseDisplayProc)(void*);
typedef unsigned long (*XDefaultRootWindowProc)(void*);
typedef unsigned long (*XCreateSimpleWindowProc)(void*, unsigned long, int, int, unsigned, unsigned,
                                                 unsigned, unsigned long, unsigned long);
typedef int (*XDestroyWindowProc)(void*, unsigned long);
typedef int (*XSyncProc)(void*, int);
typedef int (*XPendingProc)(void*);
typedef int (*XNextEventProc)(void*, void*);

class X11Parent : public ParentWindow
{
public:
  ~X11Parent() override
  {
    if (mWindow)
      mDestroyWindow(mDisplay, mWindow);
    if (mDisplay)
      mCloseDisplay(mDisplay);
    if (mLibrary)
      dlclose(mLibrary);
  }
  void* Handle() const override { return reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)); }
  void PumpEvents() override
  {
    mSync(mDisplay, 0);
    // An XEvent is a union of 24 longs.
    long event[24];
    while (mPending(mDisplay) > 0)
      mNextEvent(mDisplay, event);
  }

  bool Open(int width, int height, std::string* whyNot)
  {
    const char* display = std::getenv("DISPLAY");
    if (!display || !display[0])
    {
      *whyNot = "no X display to open a parent window on (DISPLAY is not set)";
      return false;
    }
    mLibrary = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!mLibrary)
    {
      *whyNot = "no X library (libX11.so.6) to open a parent window with";
      return false;
    }
    auto openDisplay = reinterpret_cast<XOpenDisplayProc>(dlsym(mLibrary, "XOpenDisplay"));
    auto rootWindow =
        reinterpret_cast<XDefaultRootWindowProc>(dlsym(mLibrary, "XDefaultRootWindow"));
    auto createWindow =
        reinterpret_cast<XCreateSimpleWindowProc>(dlsym(mLibrary, "XCreateSimpleWindow"));
    mCloseDisplay = reinterpret_cast<XCloseDisplayProc>(dlsym(mLibrary, "XCloseDisplay"));
    mDestroyWindow = reinterpret_cast<XDestroyWindowProc>(dlsym(mLibrary, "XDestroyWindow"));
    mSync = reinterpret_cast<XSyncProc>(dlsym(mLibrary, "XSync"));
    mPending = reinterpret_cast<XPendingProc>(dlsym(mLibrary, "XPending"));
    mNextEvent = reinterpret_cast<XNextEventProc>(dlsym(mLibrary, "XNextEvent"));
    if (!openDisplay || !rootWindow || !createWindow || !mCloseDisplay || !mDestroyWindow ||
        !mSync || !mPending || !mNextEvent)
    {
      *whyNot = "the X library lacks the calls a parent window needs";
      return false;
    }
    mDisplay = openDisplay(nullptr);
    if (!mDisplay)
    {
      *whyNot = std::string("cannot connect to the X display ") + display;
      return false;
    }
    mWindow = createWindow(mDisplay, rootWindow(mDisplay), 0, 0, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), 0, 0, 0);
    if (!mWindow)
    {
      *whyNot = "the X server refused a window";
      return false;
    }
    mSync(mDisplay, 0);
    return true;
  }

private:
  void* mLibrary = nullptr;
  void* mDisplay = nullptr;
  unsigned long mWindow = 0;
  XCloseDisplayProc mCloseDisplay = nullptr;
  XDestroyWindowProc mDestroyWindow = nullptr;
  XSyncProc mSync = nullptr;
  XPendingProc mPending = nullptr;
  XNextEventProc mNextEvent = nullptr;
};

#endif
} // namespace

std::unique_ptr<ParentWindow> ParentWindow::Create(int width, int height, std::string* whyNot)
{
#ifdef _WIN32
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClassName;
  // Registered once per process; a second registration fails harmlessly.
  RegisterClassExA(&windowClass);
  HWND window = CreateWindowExA(0, kClassName, "kolvane-host", WS_OVERLAPPEDWINDOW, 0, 0, width,
                                height, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window)
  {
    // Wine without a display makes no windows at all.
    *whyNot = "the system makes no window to open an editor in (no display)";
    return nullptr;
  }
  return std::unique_ptr<ParentWindow>(new Win32Parent(window));
#else
  std::unique_ptr<X11Parent> parent(new X11Parent());
  if (!parent->Open(width, height, whyNot))
    return nullptr;
  return parent;
#endif
}

} // namespace vsthost
