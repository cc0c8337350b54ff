// The X11 window's popups, driven in process on a real server: popup
// menus, file and colour dialogs, and message boxes. Input for these modal
// parts comes from another thread with real (XTEST) input through xdotool.

// GoogleTest before Xlib, whose macros (None, Bool, Status) break it.
#include <gtest/gtest.h>

#include "X11WindowFixtures.h"

#include <X11/keysym.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace
{
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
