// The X11 window's frames and size, driven in process on a real server:
// frames through shared memory or through the connection, resizing and
// changing the scale, the desktop's scale, text at a scale, and the hidden
// pointer. The frames are tested on three kinds of server: local, reached
// over TCP, and without shared memory.

// GoogleTest before Xlib, whose macros (None, Bool, Status) break it.
#include <gtest/gtest.h>

#include "X11WindowFixtures.h"

#include "IEditorScale.h"
#include "ScaledTextCheck.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
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

} // namespace
