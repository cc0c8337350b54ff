// The X11 editor window's own parts, driven in process on a real server:
// frames through shared memory or through the connection, resizing, the
// hidden pointer.
//
// Every test starts an X server of its own (Xvfb); the frames are tested on
// three kinds: local, reached over TCP, and without shared memory.

// GoogleTest before Xlib, whose macros (None, Bool, Status) break it.
#include <gtest/gtest.h>

#include "EditorFixtures.h"
#include "IGraphicsX11.h"
#include "X11Private.h"

#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The test looks at windows of other connections (the editor's window,
// its text box, menus, message boxes) that may go at any moment; Xlib's
// default handler would end the test on the BadWindow that follows.
int IgnoreXError(Display*, XErrorEvent*)
{
  return 0;
}
const auto kPreviousXErrorHandler = XSetErrorHandler(IgnoreXError);

extern "C" char** environ;

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

// The sizes of the System V shared-memory segments this process made that
// still exist.
std::vector<long> OwnSegments()
{
  std::vector<long> sizes;
  std::ifstream table("/proc/sysvipc/shm");
  std::string line;
  std::getline(table, line); // the header
  while (std::getline(table, line))
  {
    std::istringstream fields(line);
    long key = 0, id = 0, size = 0, creator = 0;
    std::string perms;
    fields >> key >> id >> perms >> size >> creator;
    if (creator == getpid())
      sizes.push_back(size);
  }
  return sizes;
}

// Waits up to two seconds for the condition, which may ask the server:
// what the editor asked for on its own connection reaches the server in
// its own time.
bool Eventually(const std::function<bool()>& condition)
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

// ---- Frames: shared memory on a local server, the connection otherwise ------

class X11FramesTest : public X11Test, public ::testing::WithParamInterface<XServer::Kind>
{
protected:
  XServer::Kind ServerKind() const override { return GetParam(); }
};

std::string ServerName(const ::testing::TestParamInfo<XServer::Kind>& info)
{
  const char* names[] = {"Local", "OverTcp", "WithoutSharedMemory"};
  return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Servers, X11FramesTest,
                         ::testing::Values(XServer::kLocal, XServer::kTcp, XServer::kNoShm),
                         ServerName);

TEST_P(X11FramesTest, WindowShowsTheBackBufferAfterFullAndPartialRedraws)
{
  X11Editor editor;
  ProbeControl* left = editor.Add(IRECT(10, 10, 200, 150), 0xFFC02010);
  editor.Add(IRECT(150, 100, 400, 300), 0xFF10C020);
  ProbeControl* corner = editor.Add(IRECT(600, 420, 664, 472), 0xFF2010C0);
  const Window window = editor.Open(host);
  ASSERT_TRUE(window);
  editor.Settle();
  EXPECT_TRUE(Eventually([&] { return DifferenceFromBackBuffer(window, editor.graphics).empty(); }))
      << DifferenceFromBackBuffer(window, editor.graphics);

  // Only the changed controls' region is sent again.
  left->mColor = 0xFFF0F000;
  left->SetDirty(false);
  corner->mColor = 0xFF00F0F0;
  corner->SetDirty(false);
  editor.Settle(1);
  EXPECT_TRUE(Eventually([&] { return DifferenceFromBackBuffer(window, editor.graphics).empty(); }))
      << DifferenceFromBackBuffer(window, editor.graphics);
}

TEST_P(X11FramesTest, SharedMemoryOnlyOnALocalServerWithTheExtensionAndFreedOnClose)
{
  ASSERT_TRUE(OwnSegments().empty());
  X11Editor editor;
  ASSERT_TRUE(editor.Open(host));
  editor.Settle(1);
  if (ServerKind() == XServer::kLocal)
  {
    EXPECT_EQ(std::vector<long>{664 * 472 * 4}, OwnSegments()) << "one image of the editor's size";
  }
  else
  {
    EXPECT_TRUE(OwnSegments().empty());
  }
  editor.graphics->CloseWindow();
  EXPECT_TRUE(OwnSegments().empty()) << "the segment goes with the window";

  for (int i = 0; i < 20; ++i)
  {
    ASSERT_TRUE(editor.Open(host));
    editor.graphics->Idle();
    ASSERT_LE(OwnSegments().size(), 1u) << "open " << i;
  }
  editor.graphics->CloseWindow();
  EXPECT_TRUE(OwnSegments().empty());
}

// A server that cannot attach the segment (another IPC namespace, say)
// answers with an X error; Xlib's default handler would end the host.
TEST_P(X11FramesTest, SegmentTheServerCannotAttachIsReportedNotFatal)
{
  if (!XShmQueryExtension(display))
    GTEST_SKIP() << "no shared-memory extension on this server";
  XShmSegmentInfo gone{};
  gone.shmid = shmget(IPC_PRIVATE, 4096, IPC_CREAT | 0600);
  ASSERT_GE(gone.shmid, 0);
  shmctl(gone.shmid, IPC_RMID, nullptr); // nobody attached it: it is gone now
  x11::WatchErrors(display);
  EXPECT_FALSE(x11::AttachSegment(display, &gone));
  EXPECT_FALSE(x11::SyncFailed(display)) << "the error was taken by the attach";
  x11::UnwatchErrors(display);
}

TEST_P(X11FramesTest, ResizeResizesTheWindowAndItsImage)
{
  X11Editor editor(300, 200);
  const Window window = editor.Open(host);
  ASSERT_TRUE(window);
  const std::pair<int, int> sizes[] = {{800, 600}, {120, 60}, {664, 472}};
  for (const auto& size : sizes)
  {
    const int w = size.first, h = size.second;
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    editor.graphics->Resize(w, h);
    // The caller attaches the controls again.
    editor.AddBackground();
    editor.Add(IRECT(w - 30, h - 20, w, h), 0xFFE0E000);
    editor.Settle(1);
    EXPECT_TRUE(Eventually([&] { return SizeOf(window) == size; }));
    EXPECT_EQ(size, editor.plug.mResizes.back()) << "the plug-in is told";
    EXPECT_TRUE(
        Eventually([&] { return DifferenceFromBackBuffer(window, editor.graphics).empty(); }))
        << DifferenceFromBackBuffer(window, editor.graphics);
    if (ServerKind() == XServer::kLocal)
    {
      EXPECT_EQ(std::vector<long>{w * h * 4L}, OwnSegments());
    }
  }
}

// The box edits a control that the resize deletes: an Enter already on its
// way must not reach the deleted control.
TEST_P(X11FramesTest, ResizeDropsAnOpenTextBox)
{
  X11Editor editor;
  ProbeControl* gain = editor.Add(IRECT(10, 10, 110, 40), 0xFF808080, EditorPlug::kGain);
  const Window window = editor.Open(host);
  ASSERT_TRUE(window);
  editor.Settle(1);
  IRECT box(10, 10, 110, 40);
  editor.graphics->CreateTextEntry(gain, nullptr, &box, "1.5",
                                   editor.plug.GetParam(EditorPlug::kGain));
  std::vector<Window> boxes;
  ASSERT_TRUE(Eventually(
      [&]
      {
        boxes = Children(window);
        return boxes.size() == 1;
      }));
  XEvent enter;
  std::memset(&enter, 0, sizeof(enter));
  enter.xkey.type = KeyPress;
  enter.xkey.window = boxes[0];
  enter.xkey.root = root;
  enter.xkey.keycode = XKeysymToKeycode(display, XK_Return);
  enter.xkey.same_screen = True;
  XSendEvent(display, boxes[0], False, KeyPressMask, &enter);
  XSync(display, False);

  editor.graphics->Resize(400, 300);
  editor.AddBackground();
  editor.Settle();
  EXPECT_TRUE(editor.plug.mAutomation.empty());
  EXPECT_TRUE(Eventually([&] { return Children(window).empty(); })) << "the box is gone";
}

// ---- The hidden pointer -----------------------------------------------------

class X11CursorTest : public X11Test
{
protected:
  // Whether the pointer shows any pixel now.
  bool CursorVisible()
  {
    XSync(display, False);
    XFixesCursorImage* cursor = XFixesGetCursorImage(display);
    if (!cursor)
      return false;
    bool visible = false;
    for (int i = 0; i < cursor->width * cursor->height; ++i)
      visible = visible || (cursor->pixels[i] >> 24) != 0;
    XFree(cursor);
    return visible;
  }
};

TEST_F(X11CursorTest, HiddenOverTheWindowAndBackWhereItWasWhenShown)
{
  int event = 0, error = 0;
  ASSERT_TRUE(XFixesQueryExtension(display, &event, &error));
  X11Editor editor;
  ASSERT_TRUE(editor.Open(host));
  WarpPointer(50, 40);
  ASSERT_TRUE(CursorVisible());

  editor.graphics->HideMouseCursor();
  EXPECT_TRUE(Eventually([&] { return !CursorVisible(); }));
  WarpPointer(300, 200); // a drag moves it
  EXPECT_FALSE(CursorVisible());
  editor.graphics->ShowMouseCursor();
  EXPECT_TRUE(Eventually([&] { return CursorVisible(); }));
  EXPECT_TRUE(Eventually([&] { return PointerPosition() == std::make_pair(50, 40); }));

  // Hiding is a state, not a count: one show undoes two hides.
  editor.graphics->HideMouseCursor();
  editor.graphics->HideMouseCursor();
  editor.graphics->ShowMouseCursor();
  EXPECT_TRUE(Eventually([&] { return CursorVisible(); }));
  editor.graphics->ShowMouseCursor();
  EXPECT_TRUE(CursorVisible());

  // Closing shows it; the next window hides it again.
  editor.graphics->HideMouseCursor();
  EXPECT_TRUE(Eventually([&] { return !CursorVisible(); }));
  editor.graphics->CloseWindow();
  EXPECT_TRUE(Eventually([&] { return CursorVisible(); }));
  ASSERT_TRUE(editor.Open(host));
  editor.graphics->HideMouseCursor();
  EXPECT_TRUE(Eventually([&] { return !CursorVisible(); }));
}

} // namespace
