// The X11 window's input, driven in process on a real server: the key
// table (keysyms become the editor's keys, the rest go to the host) and the
// idle timer that paces the ticks.

// GoogleTest before Xlib, whose macros (None, Bool, Status) break it.
#include <gtest/gtest.h>

#include "X11WindowFixtures.h"

#include <X11/keysym.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace
{
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

// A control that wants drawing on every tick.
class AlwaysDirty : public ProbeControl
{
public:
  using ProbeControl::ProbeControl;
  bool IsDirty() override { return true; }
};

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

} // namespace
