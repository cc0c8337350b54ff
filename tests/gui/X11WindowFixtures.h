#pragma once

// What the X11 window's tests share: an X server of each test's own
// (Xvfb), real input through xdotool, waiting for the server, a plug-in
// whose editor is the X11 window, and the fixture that starts the server
// and looks at windows on it. The tests, one source per theme:
// X11FramesTest.cpp (frames, resizing and the scale, the hidden pointer),
// X11InputTest.cpp (keys, the idle timer) and X11PopupsTest.cpp (menus,
// dialogs, message boxes).

// GoogleTest before Xlib, whose macros (None, Bool, Status) break it.
#include <gtest/gtest.h>

#include "EditorFixtures.h"
#include "IGraphicsX11.h"
#include "X11Private.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern "C" char** environ;

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The test looks at windows of other connections (the editor's window,
// its text box, menus, message boxes) that may go at any moment; Xlib's
// default handler would end the test on the BadWindow that follows.
inline int IgnoreXError(Display*, XErrorEvent*)
{
  return 0;
}
inline const auto kPreviousXErrorHandler = XSetErrorHandler(IgnoreXError);

// An X server of the test's own on a free display number, named by DISPLAY
// while it runs (for the editor, which connects where DISPLAY says, and for
// xdotool).
class XServer
{
public:
  enum Kind
  {
    kLocal, // a local socket: shared memory can be used
    kTcp,   // reached over TCP, even on this machine: not local
    kNoShm, // local, without the shared-memory extension
  };

  explicit XServer(Kind kind)
  {
    // Numbers from a random place in a high range: other test runs on the
    // machine pick theirs at the same time.
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 20 && !mReady; ++attempt)
    {
      mNumber = 500 + static_cast<int>(random() % 400);
      if (Exists("/tmp/.X11-unix/X" + std::to_string(mNumber)) || Exists(LockFile()))
        continue;
      // Without -noreset the server resets when its last client leaves,
      // and a connection made during the reset fails.
      std::vector<std::string> args = {
          "Xvfb", ":" + std::to_string(mNumber), "-screen", "0", "1024x768x24", "-noreset"};
      if (kind == kTcp)
        args.insert(args.end(), {"-listen", "tcp", "-nopn"}); // no port, no server
      else
        args.insert(args.end(), {"-nolisten", "tcp"});
      if (kind == kNoShm)
        args.insert(args.end(), {"-extension", "MIT-SHM"});
      mName = (kind == kTcp ? "127.0.0.1:" : ":") + std::to_string(mNumber);
      Start(args);
    }
    if (mReady)
      setenv("DISPLAY", mName.c_str(), 1);
  }

  ~XServer() { Stop(); }

  bool Ready() const { return mReady; }

private:
  static bool Exists(const std::string& path)
  {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
  }

  std::string LockFile() const { return "/tmp/.X" + std::to_string(mNumber) + "-lock"; }

  // The server is ours once its lock file holds our child's process id;
  // another one may have taken the number first.
  bool OwnsLock() const
  {
    std::ifstream lock(LockFile());
    long pid = 0;
    return lock >> pid && pid == mPid;
  }

  void Start(const std::vector<std::string>& args)
  {
    std::vector<char*> argv;
    for (const std::string& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawnp(&mPid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (failed)
    {
      mPid = 0;
      return;
    }
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end && waitpid(mPid, nullptr, WNOHANG) == 0)
    {
      if (OwnsLock())
      {
        if (Display* d = XOpenDisplay(mName.c_str()))
        {
          XCloseDisplay(d);
          mReady = true;
          return;
        }
      }
      std::this_thread::sleep_for(milliseconds(20));
    }
    Stop();
  }

  void Stop()
  {
    if (!mPid)
      return;
    const bool owned = OwnsLock();
    kill(mPid, SIGTERM);
    waitpid(mPid, nullptr, 0);
    if (owned)
      std::remove(LockFile().c_str());
    mPid = 0;
    mReady = false;
  }

  int mNumber = 0;
  std::string mName;
  pid_t mPid = 0;
  bool mReady = false;
};

// Runs xdotool with the arguments; real input through the XTEST extension.
inline void Xdotool(const std::string& args)
{
  const std::string command = "xdotool " + args;
  ASSERT_EQ(0, std::system(command.c_str())) << command;
  std::this_thread::sleep_for(milliseconds(25));
}

// Waits up to two seconds for the condition, which may ask the server:
// what the editor asked for on its own connection reaches the server in
// its own time.
inline bool Eventually(const std::function<bool()>& condition)
{
  const auto end = Clock::now() + std::chrono::seconds(2);
  while (Clock::now() < end)
  {
    if (condition())
      return true;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return condition();
}

// A plug-in whose editor is the X11 window: a panel background, then the
// probes a test adds. The plug-in owns the context.
struct X11Editor
{
  explicit X11Editor(int w = 664, int h = 472, int fps = 0)
      : graphics(new IGraphicsX11(&plug, w, h, fps))
  {
    AddBackground();
    plug.AttachGraphics(graphics);
    plug.Forget();
  }

  void AddBackground()
  {
    const IColor panel(255, 30, 60, 90);
    graphics->AttachPanelBackground(&panel);
  }
  template <class Control = ProbeControl>
  Control* Add(IRECT rect, LICE_pixel color, int paramIdx = -1)
  {
    Control* control = new Control(&plug, rect, paramIdx, color);
    graphics->AttachControl(control);
    return control;
  }
  Window Open(Window parent)
  {
    return reinterpret_cast<Window>(graphics->OpenWindow(reinterpret_cast<void*>(parent)));
  }
  // Idle calls a frame interval apart, so that each one ticks.
  void Settle(int calls = 3)
  {
    for (int i = 0; i < calls; ++i)
    {
      std::this_thread::sleep_for(milliseconds(1000 / graphics->FPS() + 5));
      graphics->Idle();
    }
  }

  EditorPlug plug;
  IGraphicsX11* graphics;
};

class X11Test : public ::testing::Test
{
protected:
  // The server outlives every window of the test, the test's own members'
  // included.
  void SetUp() override
  {
    server = std::make_unique<XServer>(ServerKind());
    ASSERT_TRUE(server->Ready()) << "Xvfb did not start";
    display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display);
    root = DefaultRootWindow(display);
    host = NewWindow(root, 0, 0, 900, 700);
  }

  void TearDown() override
  {
    if (display)
      XCloseDisplay(display);
  }

  Window NewWindow(Window parent, int x, int y, int w, int h, long eventMask = 0)
  {
    const Window w2 = XCreateSimpleWindow(display, parent, x, y, static_cast<unsigned>(w),
                                          static_cast<unsigned>(h), 0, 0, 0x404040);
    XSelectInput(display, w2, eventMask);
    XMapWindow(display, w2);
    XSync(display, False);
    return w2;
  }

  // The window's size as the server has it.
  std::pair<int, int> SizeOf(Window w)
  {
    XWindowAttributes a;
    XSync(display, False);
    XGetWindowAttributes(display, w, &a);
    return {a.width, a.height};
  }

  std::vector<Window> Children(Window of)
  {
    Window r = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    XSync(display, False);
    std::vector<Window> result;
    if (XQueryTree(display, of, &r, &up, &children, &count) && children)
    {
      result.assign(children, children + count);
      XFree(children);
    }
    return result;
  }

  // The first pixel where the window differs from the editor's back
  // buffer, as text, or "" when the whole window shows it.
  std::string DifferenceFromBackBuffer(Window w, IGraphicsX11* graphics)
  {
    LICE_IBitmap* back = graphics->GetDrawBitmap();
    const int width = back->getWidth(), height = back->getHeight();
    if (SizeOf(w) != std::make_pair(width, height))
      return "the window is not the back buffer's size";
    XImage* image = XGetImage(display, w, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
      return "no image";
    std::string difference;
    for (int y = 0; y < height && difference.empty(); ++y)
    {
      for (int x = 0; x < width; ++x)
      {
        const unsigned long shown = XGetPixel(image, x, y) & 0xFFFFFF;
        const unsigned long drawn = LICE_GetPixel(back, x, y) & 0xFFFFFF;
        if (shown != drawn)
        {
          std::ostringstream text;
          text << std::hex << "at " << std::dec << x << "," << y << std::hex << " shown " << shown
               << ", drawn " << drawn;
          difference = text.str();
          break;
        }
      }
    }
    XDestroyImage(image);
    return difference;
  }

  void WarpPointer(int x, int y)
  {
    XWarpPointer(display, None, root, 0, 0, 0, 0, x, y);
    XSync(display, False);
  }

  std::pair<int, int> PointerPosition()
  {
    Window r = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display, root, &r, &child, &rootX, &rootY, &x, &y, &mask);
    return {rootX, rootY};
  }

  virtual XServer::Kind ServerKind() const { return XServer::kLocal; }

  std::unique_ptr<XServer> server;
  Display* display = nullptr;
  Window root = 0;
  Window host = 0;
};
