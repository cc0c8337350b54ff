// The X11 editor window's own parts, driven in process on a real server:
// frames through shared memory or through the connection, resizing and
// changing the scale, the desktop's scale, text at a scale, the
// hidden pointer, the key table, the idle timer, popup menus, file and
// colour dialogs, message boxes. Input for the modal parts comes from
// another thread with real (XTEST) input through xdotool.
//
// Every test starts an X server of its own (Xvfb); the frames are tested on
// three kinds: local, reached over TCP, and without shared memory.

// GoogleTest before Xlib, whose macros (None, Bool, Status) break it.
#include <gtest/gtest.h>

#include "EditorFixtures.h"
#include "IEditorScale.h"
#include "IGraphicsX11.h"
#include "ScaledTextCheck.h"
#include "X11Private.h"

#include <X11/Xatom.h>
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

#include <algorithm>
#include <atomic>
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

// Runs xdotool with the arguments; real input through the XTEST extension.
void Xdotool(const std::string& args)
{
  const std::string command = "xdotool " + args;
  ASSERT_EQ(0, std::system(command.c_str())) << command;
  std::this_thread::sleep_for(milliseconds(25));
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

// A control that wants drawing on every tick.
class AlwaysDirty : public ProbeControl
{
public:
  using ProbeControl::ProbeControl;
  bool IsDirty() override { return true; }
};

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

// A change of scale while the window is open: the window, its image and
// the plug-in take the size in pixels, and the window shows the back
// buffer drawn at that scale.
TEST_P(X11FramesTest, AChangeOfScaleResizesTheOpenWindowAndItsImage)
{
  X11Editor editor(300, 200);
  editor.graphics->SetScalable(true);
  editor.Add(IRECT(270, 180, 300, 200), 0xFFE0E000);
  const Window window = editor.Open(host);
  ASSERT_TRUE(window);
  for (double scale : {2.0, 1.5, 1.0})
  {
    SCOPED_TRACE(scale);
    editor.graphics->SetUserScale(scale);
    editor.Settle(1);
    const std::pair<int, int> size = {ScaledPixels(300, scale), ScaledPixels(200, scale)};
    EXPECT_TRUE(Eventually([&] { return SizeOf(window) == size; }));
    EXPECT_EQ(size, editor.plug.mResizes.back()) << "the plug-in is told";
    EXPECT_TRUE(
        Eventually([&] { return DifferenceFromBackBuffer(window, editor.graphics).empty(); }))
        << DifferenceFromBackBuffer(window, editor.graphics);
    EXPECT_EQ(0xFFE0E000,
              LICE_GetPixel(editor.graphics->GetDrawBitmap(), size.first - 1, size.second - 1))
        << "the corner control reaches the last pixel";
    if (ServerKind() == XServer::kLocal)
    {
      EXPECT_EQ(std::vector<long>{size.first * size.second * 4L}, OwnSegments());
    }
  }
}

// ---- The scale the desktop asks for and text at a scale ----------------------

class X11ScaleTest : public X11Test
{
protected:
  // What a desktop sets: Xft.dpi in the server's resource database.
  void SetDesktopDpi(const char* dpi)
  {
    const std::string resources = std::string("Xft.antialias:\t1\nXft.dpi:\t") + dpi + "\n";
    XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.c_str()),
                    static_cast<int>(resources.size()));
    XSync(display, False);
  }
};

// The window opens at the scale of the desktop's Xft.dpi (96 being 100 %,
// the nearest of the three sizes), unless the user or the host chose one;
// a desktop without the resource gets 100 %.
TEST_F(X11ScaleTest, TheDesktopsXftDpiChoosesTheSizeTheWindowOpensAt)
{
  struct Case
  {
    const char* dpi; // null: no resource database at all
    double user, host;
    double expected;
  };
  const Case cases[] = {
      {nullptr, 0, 0, 1.0}, {"96", 0, 0, 1.0},    {"192", 0, 0, 2.0},   {"144", 0, 0, 1.5},
      {"120", 0, 0, 1.0},   {"192", 0, 1.5, 1.5}, {"192", 1.0, 0, 1.0}, {"200.5", 0, 0, 2.0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.dpi ? c.dpi : "none");
    if (c.dpi)
      SetDesktopDpi(c.dpi);
    else
      XDeleteProperty(display, root, XA_RESOURCE_MANAGER);
    XSync(display, False);
    X11Editor editor(300, 200);
    editor.graphics->SetScalable(true);
    editor.graphics->SetHostScale(c.host);
    editor.graphics->SetUserScale(c.user);
    const Window window = editor.Open(host);
    ASSERT_TRUE(window);
    EXPECT_EQ(c.expected, editor.graphics->GetScale());
    const std::pair<int, int> size = {ScaledPixels(300, c.expected), ScaledPixels(200, c.expected)};
    EXPECT_EQ(size, SizeOf(window)) << "made at that size, not resized after";
  }
}

// Text at a scale is drawn with a FreeType font of the scaled height.
TEST_F(X11ScaleTest, TextIsDrawnWithAFontOfTheScaledHeight)
{
  X11Editor editor(300, 80);
  ExpectTextDrawnAtTheScaledHeight(*editor.graphics);
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

// ---- Keys -------------------------------------------------------------------

class X11KeysTest : public X11Test
{
protected:
  // The host's windows: a top-level window with a panel in it, the editor
  // in the panel. Both watch for keys.
  void SetUp() override
  {
    X11Test::SetUp();
    top = NewWindow(root, 0, 0, 800, 600, KeyPressMask);
    panel = NewWindow(top, 10, 10, 700, 500, KeyPressMask);
    window = editor.Open(panel);
    ASSERT_TRUE(window);
    probe = editor.Add(IRECT(0, 0, 200, 200), 0xFF808080);
    probe->mKeyAnswer = true;
  }

  // A key pressed with the pointer at (x, y) in the editor, handled by the
  // editor's idle.
  void Press(KeySym sym, unsigned int state, int x = 50, int y = 50)
  {
    XEvent event;
    std::memset(&event, 0, sizeof(event));
    event.xkey.type = KeyPress;
    event.xkey.window = window;
    event.xkey.root = root;
    event.xkey.x = x;
    event.xkey.y = y;
    event.xkey.state = state;
    event.xkey.keycode = XKeysymToKeycode(display, sym);
    event.xkey.same_screen = True;
    XSendEvent(display, window, False, KeyPressMask, &event);
    XSync(display, False);
    editor.graphics->Idle();
  }

  // The next key the host's windows got, or a KeyPress with keycode 0.
  // The editor idles meanwhile: a key may reach it after an idle call.
  XKeyEvent NextHostKey()
  {
    XEvent event;
    std::memset(&event, 0, sizeof(event));
    Eventually(
        [&]
        {
          editor.graphics->Idle();
          XSync(display, False);
          return XCheckTypedEvent(display, KeyPress, &event);
        });
    return event.xkey;
  }

  // Whether the key under test was passed on: a key that is always passed
  // on follows it, and whichever arrives first tells.
  bool PassedOn(KeySym sym, unsigned int state, int x = 50, int y = 50)
  {
    Press(sym, state, x, y);
    Press(XK_Tab, Mod4Mask, x, y);
    const XKeyEvent first = NextHostKey();
    EXPECT_EQ(top, first.window) << "to the host's top-level window";
    if (first.keycode == XKeysymToKeycode(display, XK_Tab) && first.state == Mod4Mask)
      return false;
    EXPECT_EQ(XKeysymToKeycode(display, sym), first.keycode);
    EXPECT_EQ(state, first.state);
    NextHostKey(); // the Tab
    return true;
  }

  X11Editor editor;
  Window top = 0, panel = 0, window = 0;
  ProbeControl* probe = nullptr;
};

TEST_F(X11KeysTest, KeysymsBecomeTheKeyCodesAndOtherKeysGoToTheHost)
{
  struct Case
  {
    KeySym sym;
    unsigned int state;
    int code; // -1: not one of the editor's keys
  };
  const Case cases[] = {
      {XK_space, 0, 0},      {XK_Up, 0, 1},
      {XK_Down, 0, 2},       {XK_Left, 0, 3},
      {XK_Right, 0, 4},      {XK_0, 0, 5},
      {XK_7, 0, 12},         {XK_9, 0, 14},
      {XK_a, 0, 15},         {XK_a, ShiftMask, 15}, // A
      {XK_q, 0, 31},         {XK_z, ControlMask, 40},
      {XK_F1, 0, 30}, // the virtual-key code of F1 lies in the letters' range
      {XK_Escape, 0, -1},    {XK_Return, 0, -1},
      {XK_BackSpace, 0, -1}, {XK_F12, 0, -1},
      {XK_comma, 0, -1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(XKeysymToString(c.sym) + std::string(c.state ? " with a modifier" : ""));
    probe->mEvents.clear();
    const bool passedOn = PassedOn(c.sym, c.state);
    if (c.code < 0)
    {
      EXPECT_TRUE(passedOn);
      EXPECT_TRUE(probe->mEvents.empty());
    }
    else
    {
      EXPECT_FALSE(passedOn);
      ASSERT_FALSE(probe->mEvents.empty());
      EXPECT_EQ("key " + std::to_string(c.code) + ",0", probe->mEvents.front());
    }
  }
}

TEST_F(X11KeysTest, KeysNoControlTakesGoToTheHost)
{
  probe->mKeyAnswer = false;
  EXPECT_TRUE(PassedOn(XK_a, 0)) << "the control under the pointer declines";
  ASSERT_EQ(1u, probe->mEvents.size());
  probe->mKeyAnswer = true;
  EXPECT_TRUE(PassedOn(XK_a, 0, 400, 300)) << "over the background, with no key catcher";
  EXPECT_EQ(1u, probe->mEvents.size());
}

// ---- The idle timer ---------------------------------------------------------

using X11IdleTest = X11Test;

// Each idle call runs at most one tick, and ticks are a frame interval
// apart: a host idling late gets fewer ticks, never a burst to catch up.
TEST_F(X11IdleTest, AtMostOneTickPerIdleAndNoneSoonerThanTheInterval)
{
  struct Case
  {
    const char* name;
    int fps;
    std::vector<int> pausesMs; // before each idle call
  };
  const Case cases[] = {
      {"every 200 ms at 30 fps", 30, std::vector<int>(8, 200)},
      {"every 10 ms at 25 fps", 25, std::vector<int>(40, 10)},
      {"back to back at 30 fps", 30, std::vector<int>(3000, 0)},
      {"a stall, then back to back", 30, {500, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    X11Editor editor(200, 100, c.fps);
    AlwaysDirty* probe = editor.Add<AlwaysDirty>(IRECT(0, 0, 50, 50), 0xFF808080);
    ASSERT_TRUE(editor.Open(host));
    const auto interval = milliseconds(1000 / c.fps);
    struct Call
    {
      Clock::time_point start, end;
      int ticks;
    };
    std::vector<Call> calls;
    for (int pause : c.pausesMs)
    {
      if (pause > 0)
        std::this_thread::sleep_for(milliseconds(pause));
      const int before = probe->mDraws;
      const auto start = Clock::now();
      editor.graphics->Idle();
      calls.push_back({start, Clock::now(), probe->mDraws - before});
    }
    const Call* lastTicking = nullptr;
    for (size_t i = 0; i < calls.size(); ++i)
    {
      EXPECT_LE(calls[i].ticks, 1) << "call " << i;
      if (c.pausesMs[i] >= interval.count())
      {
        EXPECT_EQ(1, calls[i].ticks) << "call " << i << " comes a whole interval after the last";
      }
      if (calls[i].ticks == 0)
        continue;
      if (lastTicking)
      {
        EXPECT_GE(calls[i].end - lastTicking->start, interval) << "call " << i;
      }
      lastTicking = &calls[i];
    }
  }
}

// ---- Popup menus ------------------------------------------------------------

class X11MenuTest : public X11Test
{
protected:
  // What the user does: point at a row of an open level (0 is the top
  // menu), click there, click outside every menu, or press Escape.
  struct Step
  {
    enum Kind
    {
      kPoint,
      kClick,
      kClickOutside,
      kEscape
    } kind;
    int level, row;
  };

  // The menus' windows on the screen, top level first.
  std::vector<XWindowAttributes> OpenLevels(Display* d)
  {
    std::vector<XWindowAttributes> levels;
    Window r = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &r, &up, &children, &count))
      return levels;
    for (unsigned int i = 0; i < count; ++i) // bottom to top
    {
      XWindowAttributes a;
      if (XGetWindowAttributes(d, children[i], &a) && a.override_redirect &&
          a.map_state == IsViewable)
        levels.push_back(a);
    }
    if (children)
      XFree(children);
    return levels;
  }

  // The middle of a row: rows are 20 pixels, separators 7, under a 2-pixel
  // edge, at 100 %; at the editor's scale they are that many times taller.
  int RowMiddle(IPopupMenu* menu, int row) const
  {
    auto px = [this](int v) { return static_cast<int>(v * scale + 0.5); };
    int top = 2;
    for (int i = 0; i < row; ++i)
      top += menu->GetItem(i)->GetIsSeparator() ? px(7) : px(20);
    return top + (menu->GetItem(row)->GetIsSeparator() ? px(3) : px(10));
  }

  double scale = 1.0;     // the editor's, which its menus take
  int topLevelHeight = 0; // of the last menu shown, as the screen has it

  // Shows the menu under the editor's rectangle and takes the steps from
  // another thread; the menu at each level is menus[level]. Returns what
  // the window returned. An Escape ends the menu should the steps fail.
  IPopupMenu* Run(X11Editor& editor, IPopupMenu* menu, const std::vector<IPopupMenu*>& menus,
                  const std::vector<Step>& steps)
  {
    std::atomic<bool> done{false};
    std::string failure;
    std::thread user(
        [&]
        {
          Display* d = XOpenDisplay(nullptr);
          for (const Step& step : steps)
          {
            if (step.kind == Step::kEscape)
            {
              Xdotool("key Escape");
              continue;
            }
            if (step.kind == Step::kClickOutside)
            {
              Xdotool("mousemove 1000 750 click 1");
              continue;
            }
            std::vector<XWindowAttributes> levels;
            const bool shown = Eventually(
                [&]
                {
                  levels = OpenLevels(d);
                  return static_cast<int>(levels.size()) > step.level;
                });
            if (!shown)
            {
              failure = "level " + std::to_string(step.level) + " never opened";
              break;
            }
            const XWindowAttributes& level = levels[static_cast<size_t>(step.level)];
            if (step.level == 0)
              topLevelHeight = level.height;
            const int x = level.x + 30;
            const int y = level.y + RowMiddle(menus[static_cast<size_t>(step.level)], step.row);
            Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) +
                    (step.kind == Step::kClick ? " click 1" : ""));
          }
          // Whatever happened, the menu ends.
          while (!done.load())
          {
            if (!OpenLevels(d).empty())
              Xdotool("key Escape");
            std::this_thread::sleep_for(milliseconds(50));
          }
          XCloseDisplay(d);
        });
    IRECT under(20, 10, 120, 30);
    IPopupMenu* chosen = editor.graphics->CreateIPopupMenu(menu, &under);
    done = true;
    user.join();
    EXPECT_EQ("", failure);
    return chosen;
  }
};

TEST_F(X11MenuTest, ChoicesAreReportedAgainstTheMenuThatHoldsThem)
{
  using S = Step;
  struct Case
  {
    const char* name;
    std::vector<Step> steps;
    int chosenLevel; // -1: dismissed
    int chosenIndex;
  };
  const Case cases[] = {
      {"an entry of the top menu", {{S::kClick, 0, 1}}, 0, 1},
      {"a checked entry", {{S::kClick, 0, 5}}, 0, 5},
      {"the second entry of the submenu that is the third entry",
       {{S::kPoint, 0, 2}, {S::kClick, 1, 1}},
       1,
       1},
      {"an entry two submenus deep",
       {{S::kPoint, 0, 2}, {S::kPoint, 1, 3}, {S::kClick, 2, 0}},
       2,
       0},
      {"a press outside every menu", {{S::kPoint, 0, 2}, {S::kClickOutside, 0, 0}}, -1, -1},
      {"Escape", {{S::kPoint, 0, 1}, {S::kEscape, 0, 0}}, -1, -1},
      {"a title, a separator, a disabled entry and a submenu's own entry are no choice",
       {{S::kClick, 0, 0},
        {S::kClick, 0, 3},
        {S::kClick, 0, 4},
        {S::kClick, 0, 2},
        {S::kEscape, 0, 0}},
       -1,
       -1},
  };
  X11Editor editor;
  ASSERT_TRUE(editor.Open(host));
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IPopupMenu deeper, sub, top;
    deeper.AddItem("Deep one");
    deeper.AddItem("Deep two");
    sub.AddItem("Alpha");
    sub.AddItem("Beta");
    sub.AddItem("Gamma");
    sub.AddItem("Deeper", &deeper);
    top.AddItem("Title", -1, IPopupMenuItem::kTitle);
    top.AddItem("One");
    top.AddItem("More", &sub);
    top.AddSeparator();
    top.AddItem("Disabled", -1, IPopupMenuItem::kDisabled);
    top.AddItem("Five", -1, IPopupMenuItem::kChecked);
    const std::vector<IPopupMenu*> levels = {&top, &sub, &deeper};

    IPopupMenu* chosen = Run(editor, &top, levels, c.steps);
    for (int level = 0; level < 3; ++level)
    {
      const bool holds = level == c.chosenLevel;
      EXPECT_EQ(holds ? c.chosenIndex : -1, levels[static_cast<size_t>(level)]->GetChosenItemIdx())
          << "level " << level;
      if (holds)
      {
        EXPECT_EQ(levels[static_cast<size_t>(level)], chosen);
      }
    }
    if (c.chosenLevel < 0)
    {
      EXPECT_EQ(nullptr, chosen);
    }
    XSync(display, False);
    EXPECT_TRUE(Eventually([&] { return OpenLevels(display).empty(); })) << "every level closed";
  }
}

// A menu opened from an editor at 150 or 200 % is drawn at that size: its
// rows are that much taller, and a click in the middle of a scaled row
// chooses that row.
TEST_F(X11MenuTest, MenusTakeTheEditorsScale)
{
  struct Case
  {
    double scale;
    int height; // three rows of 20 under and over a 2-pixel edge, scaled
  };
  const Case cases[] = {{1.0, 64}, {1.5, 94}, {2.0, 124}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.scale);
    X11Editor editor;
    editor.graphics->SetScalable(true);
    editor.graphics->SetUserScale(c.scale);
    ASSERT_EQ(c.scale, editor.graphics->GetScale());
    ASSERT_TRUE(editor.Open(host));
    scale = c.scale;
    IPopupMenu menu;
    menu.AddItem("One");
    menu.AddItem("Two");
    menu.AddItem("Three");
    EXPECT_EQ(&menu, Run(editor, &menu, {&menu}, {{Step::kClick, 0, 2}}));
    EXPECT_EQ(2, menu.GetChosenItemIdx());
    EXPECT_EQ(c.height, topLevelHeight);
  }
}

// ---- File and colour dialogs ------------------------------------------------

// The dialogs run `zenity` from PATH: none at all, or the fake one of
// fake-zenity, told through its environment what the user does.
class X11DialogTest : public X11Test
{
protected:
  void SetUp() override
  {
    X11Test::SetUp();
    savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    argsFile = "/tmp/kolvane-fake-zenity-" + std::to_string(getpid());
  }
  void TearDown() override
  {
    setenv("PATH", savedPath.c_str(), 1);
    for (const char* name : {"FAKE_ZENITY_ANSWER", "FAKE_ZENITY_STATUS", "FAKE_ZENITY_ARGS"})
      unsetenv(name);
    std::remove(argsFile.c_str());
    X11Test::TearDown();
  }

  // No zenity anywhere on PATH.
  void WithoutZenity() { setenv("PATH", "/nonexistent", 1); }

  // The fake zenity first on PATH: it prints answer (nothing when null)
  // and exits with status.
  void WithZenity(const char* answer, int status)
  {
    setenv("PATH", (std::string(KOLVANE_FAKE_ZENITY_DIR) + ":" + savedPath).c_str(), 1);
    if (answer)
      setenv("FAKE_ZENITY_ANSWER", answer, 1);
    else
      unsetenv("FAKE_ZENITY_ANSWER");
    setenv("FAKE_ZENITY_STATUS", std::to_string(status).c_str(), 1);
    setenv("FAKE_ZENITY_ARGS", argsFile.c_str(), 1);
    std::remove(argsFile.c_str());
  }

  // zenity or none, and the editor's window open or not.
  void Prepare(X11Editor& editor, bool zenity, const char* answer, int status, bool windowOpen)
  {
    if (zenity)
      WithZenity(answer, status);
    else
      WithoutZenity();
    if (windowOpen && !editor.graphics->WindowIsOpen())
      editor.Open(host);
    if (!windowOpen)
      editor.graphics->CloseWindow();
    ASSERT_EQ(windowOpen, editor.graphics->WindowIsOpen());
  }

  // The arguments the fake zenity was last run with; empty when it was not.
  std::vector<std::string> ZenityArgs()
  {
    std::vector<std::string> args;
    std::ifstream file(argsFile);
    std::string line;
    while (std::getline(file, line))
      args.push_back(line);
    return args;
  }

  static bool Has(const std::vector<std::string>& args, const std::string& arg)
  {
    for (const std::string& a : args)
      if (a == arg)
        return true;
    return false;
  }

  std::string savedPath, argsFile;
};

TEST_F(X11DialogTest, FilePromptTakesTheChosenPathAndLeavesTheFileOnCancel)
{
  const std::string longPath = "/tmp/" + std::string(300, 'x') + ".fxp";
  struct Case
  {
    const char* name;
    bool zenity;
    const char* answer;
    int status;
    bool windowOpen;
    IGraphics::EFileAction action;
    const char* file;
    std::string expected;
  };
  const Case cases[] = {
      {"no zenity", false, nullptr, 0, true, IGraphics::kFileOpen, "old.fxp", "old.fxp"},
      {"no zenity, no window", false, nullptr, 0, false, IGraphics::kFileOpen, "old.fxp", ""},
      {"no window", true, "/tmp/new.fxp", 0, false, IGraphics::kFileSave, "old.fxp", ""},
      {"a path chosen", true, "/tmp/chosen one.fxp", 0, true, IGraphics::kFileOpen, "old.fxp",
       "/tmp/chosen one.fxp"},
      {"a path to save to", true, "/tmp/new.fxb", 0, true, IGraphics::kFileSave, "old.fxp",
       "/tmp/new.fxb"},
      {"cancelled", true, nullptr, 1, true, IGraphics::kFileOpen, "old.fxp", "old.fxp"},
      {"confirmed without a path", true, "", 0, true, IGraphics::kFileOpen, "old.fxp", "old.fxp"},
      {"failed with output", true, "/tmp/oops.fxp", 5, true, IGraphics::kFileOpen, "old.fxp",
       "old.fxp"},
      {"a path longer than 255 characters", true, longPath.c_str(), 0, true, IGraphics::kFileOpen,
       "old.fxp", longPath.substr(0, 255)},
  };
  X11Editor editor;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Prepare(editor, c.zenity, c.answer, c.status, c.windowOpen);
    WDL_String file(c.file), dir("/tmp/presets");
    editor.graphics->PromptForFile(&file, c.action, &dir, "fxp fxb");
    EXPECT_EQ(c.expected, file.Get());
    if (!c.windowOpen)
    {
      EXPECT_TRUE(ZenityArgs().empty()) << "no dialog without a window";
    }
  }
}

TEST_F(X11DialogTest, FilePromptAsksForWhatTheCallerWants)
{
  X11Editor editor;
  ASSERT_TRUE(editor.Open(host));
  WithZenity("/tmp/x.fxp", 0);
  WDL_String file("old.fxp"), dir("/tmp/presets");
  editor.graphics->PromptForFile(&file, IGraphics::kFileOpen, &dir, "fxp fxb");
  std::vector<std::string> args = ZenityArgs();
  EXPECT_TRUE(Has(args, "--file-selection"));
  EXPECT_TRUE(Has(args, "--filename=/tmp/presets/old.fxp"));
  EXPECT_TRUE(Has(args, "--file-filter=*.fxp;*.fxb | *.fxp *.fxb"));
  EXPECT_FALSE(Has(args, "--save"));

  // Saving asks before writing over a file, as the Windows dialog does.
  file.Set("/elsewhere/mine.fxb"); // a full path is where the dialog starts
  editor.graphics->PromptForFile(&file, IGraphics::kFileSave, &dir, "fxb");
  args = ZenityArgs();
  EXPECT_TRUE(Has(args, "--save"));
  EXPECT_TRUE(Has(args, "--confirm-overwrite"));
  EXPECT_TRUE(Has(args, "--filename=/elsewhere/mine.fxb"));
  EXPECT_TRUE(Has(args, "--file-filter=*.fxb | *.fxb"));
}

TEST_F(X11DialogTest, ColourPromptTakesTheChosenColourAndKeepsAlpha)
{
  struct Case
  {
    const char* name;
    bool zenity;
    const char* answer;
    int status;
    bool windowOpen;
    bool confirmed;
    IColor expected;
  };
  const IColor start(128, 1, 2, 3);
  const Case cases[] = {
      {"no zenity", false, nullptr, 0, true, false, start},
      {"no window", true, "rgb(10,20,30)", 0, false, false, start},
      {"rgb", true, "rgb(10,20,30)", 0, true, true, IColor(128, 10, 20, 30)},
      {"rgba", true, "rgba(40,50,60,0.5)", 0, true, true, IColor(128, 40, 50, 60)},
      {"hexadecimal", true, "#0a141e", 0, true, true, IColor(128, 10, 20, 30)},
      {"cancelled", true, nullptr, 1, true, false, start},
      {"not a colour", true, "blue", 0, true, false, start},
      {"out of range", true, "rgb(300,-5,20)", 0, true, true, IColor(128, 255, 0, 20)},
  };
  X11Editor editor;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Prepare(editor, c.zenity, c.answer, c.status, c.windowOpen);
    IColor color = start;
    EXPECT_EQ(c.confirmed, editor.graphics->PromptForColor(&color, "Pick one"));
    EXPECT_EQ(c.expected.A, color.A);
    EXPECT_EQ(c.expected.R, color.R);
    EXPECT_EQ(c.expected.G, color.G);
    EXPECT_EQ(c.expected.B, color.B);
    if (!c.windowOpen)
    {
      EXPECT_TRUE(ZenityArgs().empty()) << "no dialog without a window";
    }
  }
  WithZenity(nullptr, 1);
  IColor color = start;
  editor.graphics->PromptForColor(&color, "Pick one");
  const std::vector<std::string> args = ZenityArgs();
  EXPECT_TRUE(Has(args, "--color-selection"));
  EXPECT_TRUE(Has(args, "--color=rgb(1,2,3)")) << "starts from the colour";
  EXPECT_TRUE(Has(args, "--title=Pick one"));
}

// ---- Message boxes ----------------------------------------------------------

class X11MessageBoxTest : public X11Test
{
protected:
  // What a window manager sends when the user closes a window.
  static void Close(Display* d, Window id)
  {
    XEvent close;
    std::memset(&close, 0, sizeof(close));
    close.xclient.type = ClientMessage;
    close.xclient.window = id;
    close.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    XSendEvent(d, id, False, NoEventMask, &close);
    XSync(d, False);
  }

  // The top-level window with this name, once it is on the screen.
  bool FindBox(Display* d, const std::string& name, XWindowAttributes* box, Window* id)
  {
    Window r = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    bool found = false;
    if (!XQueryTree(d, DefaultRootWindow(d), &r, &up, &children, &count))
      return false;
    for (unsigned int i = 0; i < count && !found; ++i)
    {
      char* title = nullptr;
      if (XFetchName(d, children[i], &title) && title)
      {
        found = name == title && XGetWindowAttributes(d, children[i], box) &&
                box->map_state == IsViewable;
        XFree(title);
        if (found)
          *id = children[i];
      }
    }
    if (children)
      XFree(children);
    return found;
  }
};

TEST_F(X11MessageBoxTest, ReturnsTheAnswerOfTheButtonClickedOrTheKeyPressed)
{
  enum Action
  {
    kClickFirst,
    kClickSecond,
    kClickThird,
    kEnter,
    kEscape,
    kCloseByWindowManager,
  };
  struct Case
  {
    const char* name;
    int type;
    Action action;
    int expected;
    double scale = 1.0; // the editor's, which the box takes
  };
  const Case cases[] = {
      {"OK clicked", 0, kClickFirst, 1},
      {"Cancel clicked", 1, kClickSecond, 2},
      {"No clicked of Yes, No, Cancel", 3, kClickSecond, 7},
      {"Cancel clicked of Yes, No, Cancel", 3, kClickThird, 2},
      {"Enter is the first button", 4, kEnter, 6},
      {"Escape cancels", 1, kEscape, 2},
      {"Escape without Cancel is No", 4, kEscape, 7},
      {"closed by the window manager", 1, kCloseByWindowManager, 2},
      {"Cancel clicked at 200 %", 1, kClickSecond, 2, 2.0},
      {"No clicked of Yes, No, Cancel at 150 %", 3, kClickSecond, 7, 1.5},
  };
  int n = 0;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    X11Editor editor;
    editor.graphics->SetScalable(true);
    editor.graphics->SetUserScale(c.scale);
    const Window window = editor.Open(host);
    ASSERT_TRUE(window);
    auto px = [&c](int v) { return static_cast<int>(v * c.scale + 0.5); };
    const std::string caption = "Kolvane test box " + std::to_string(++n);
    // The editor has the keyboard, as after a click in it; the pointer is
    // away from where the box appears.
    WarpPointer(800, 650);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    std::string failure;
    int height = 0;
    std::thread user(
        [&]
        {
          Display* d = XOpenDisplay(nullptr);
          XWindowAttributes box;
          Window id = 0;
          const bool shown = Eventually([&] { return FindBox(d, caption, &box, &id); });
          height = shown ? box.height : 0;
          if (!shown)
          {
            failure = "no box";
          }
          else if (c.action == kEnter)
          {
            Xdotool("key Return");
          }
          else if (c.action == kEscape)
          {
            Xdotool("key Escape");
          }
          else if (c.action == kCloseByWindowManager)
          {
            Close(d, id);
          }
          else
          {
            // Buttons of 80 x 26, 10 apart, centred, 14 above the bottom,
            // at 100 %.
            const int buttons = c.type == 3 ? 3 : (c.type == 0 ? 1 : 2);
            const int row = buttons * (px(80) + px(10)) - px(10);
            const int i = static_cast<int>(c.action);
            const int x = box.x + (box.width - row) / 2 + i * (px(80) + px(10)) + px(40);
            const int y = box.y + box.height - px(14) - px(13);
            Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
          }
          // A box that missed the action is closed, so that the test ends.
          if (id && !Eventually([&] { return !FindBox(d, caption, &box, &id); }))
          {
            failure = "the box stayed open";
            Close(d, id);
          }
          XCloseDisplay(d);
        });
    const int answer =
        editor.graphics->ShowMessageBox("Something happened", caption.c_str(), c.type);
    user.join();
    EXPECT_EQ("", failure);
    EXPECT_EQ(px(100), height);
    EXPECT_EQ(c.expected, answer);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    EXPECT_EQ(window, focus) << "the keyboard goes back to the editor";
  }
}

} // namespace
