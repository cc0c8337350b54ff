// Kolvane's editor window opened, closed and abused by a host in process,
// on a real display: the window class, the child window, and the handles
// and memory they hold; how the window numbers native menus and turns keys
// and wheel turns into editor events; and text drawn with GDI fonts at a
// scale.

#include "IGraphicsWin.h"
#include "PluginInstance.h"
#include "PluginModule.h"
#include "ScaledTextCheck.h"
#include "Win32Private.h"

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <psapi.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

using vsthost::PluginInstance;

namespace
{
const char* const kEditorClass = "IPlugWndClass";

std::unique_ptr<PluginInstance> OpenKolvane()
{
  std::string error;
  auto plug = PluginInstance::Open(vsthost::ExecutableDirectory() + "/" + KOLVANE_PATH,
                                   vsthost::HostSettings(), &error);
  EXPECT_TRUE(plug) << error;
  return plug;
}

void Pump(DWORD ms)
{
  const DWORD end = GetTickCount() + ms;
  do
  {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

// A top-level window standing in for the host's editor frame. Tests leave
// them to the process's exit unless destroying one is the point: under
// Wine without a window manager each destruction waits two seconds.
HWND MakeParent()
{
  static bool registered = false;
  if (!registered)
  {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "EditorWindowTestParent";
    registered = RegisterClassA(&wc) != 0;
  }
  return CreateWindowExA(0, "EditorWindowTestParent", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 700,
                         500, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

HINSTANCE KolvaneModule()
{
  return GetModuleHandleA("Kolvane.dll");
}

bool ClassRegistered(HINSTANCE module)
{
  WNDCLASSA wc;
  return GetClassInfoA(module, kEditorClass, &wc) != 0;
}

int EditorWindowsIn(HWND parent)
{
  int n = 0;
  for (HWND child = FindWindowExA(parent, nullptr, kEditorClass, nullptr); child;
       child = FindWindowExA(parent, child, kEditorClass, nullptr))
  {
    ++n;
  }
  return n;
}
} // namespace

TEST(EditorWindow, TheClassIsRegisteredWhileAnyEditorWindowExists)
{
  auto a = OpenKolvane();
  auto b = OpenKolvane();
  ASSERT_TRUE(a && b);
  HWND pa = MakeParent(), pb = MakeParent();
  const HINSTANCE module = KolvaneModule();
  ASSERT_TRUE(module);
  EXPECT_FALSE(ClassRegistered(module));
  EXPECT_EQ(1, a->Dispatch(effEditOpen, 0, 0, pa));
  EXPECT_EQ(1, b->Dispatch(effEditOpen, 0, 0, pb));
  EXPECT_TRUE(ClassRegistered(module));
  EXPECT_EQ(1, EditorWindowsIn(pa));
  EXPECT_EQ(1, EditorWindowsIn(pb));
  a->Dispatch(effEditClose);
  EXPECT_TRUE(ClassRegistered(module)) << "the other editor still uses it";
  b->Dispatch(effEditClose);
  EXPECT_FALSE(ClassRegistered(module));
}

// Hosts do all of these; none may crash, and the class must not outlive the
// last window.
TEST(EditorWindow, OddHostSequencesLeaveNoWindowBehind)
{
  struct Case
  {
    const char* name;
    std::function<void(PluginInstance&, HWND&)> run;
  };
  const Case cases[] = {
      {"close without open", [](PluginInstance& p, HWND&) { p.Dispatch(effEditClose); }},
      {"open twice reopens in a fresh window",
       [](PluginInstance& p, HWND& parent)
       {
         EXPECT_EQ(1, p.Dispatch(effEditOpen, 0, 0, parent));
         HWND first = FindWindowExA(parent, nullptr, kEditorClass, nullptr);
         Pump(60);
         EXPECT_EQ(1, p.Dispatch(effEditOpen, 0, 0, parent));
         EXPECT_EQ(1, EditorWindowsIn(parent));
         EXPECT_FALSE(IsWindow(first)) << "the first window is gone";
         Pump(60);
         p.Dispatch(effEditClose);
         EXPECT_EQ(0, EditorWindowsIn(parent));
       }},
      {"the host's window destroyed before close",
       [](PluginInstance& p, HWND& parent)
       {
         EXPECT_EQ(1, p.Dispatch(effEditOpen, 0, 0, parent));
         Pump(60);
         DestroyWindow(parent);
         parent = nullptr;
         Pump(60);
         p.Dispatch(effEditClose);
         p.Dispatch(effEditIdle);
       }},
      {"plug-in closed with the editor open",
       [](PluginInstance& p, HWND& parent)
       {
         EXPECT_EQ(1, p.Dispatch(effEditOpen, 0, 0, parent));
         Pump(60);
         p.Close();
         EXPECT_EQ(0, EditorWindowsIn(parent));
         Pump(100); // a timer left behind would call into the deleted plug-in
       }},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    auto plug = OpenKolvane();
    ASSERT_TRUE(plug);
    const HINSTANCE module = KolvaneModule();
    HWND parent = MakeParent();
    c.run(*plug, parent);
    EXPECT_FALSE(ClassRegistered(module));
  }
}

// A screen of another DPI: the open window takes the size of its new scale
// when told (a top-level window gets the DPI in the message, a child asks
// the system after its parent moved), unless the host chose a scale.
TEST(EditorWindow, ADpiChangeResizesTheOpenEditorUnlessTheHostChose)
{
  auto plug = OpenKolvane();
  ASSERT_TRUE(plug);
  HWND parent = MakeParent();
  ASSERT_EQ(1, plug->Dispatch(effEditOpen, 0, 0, parent));
  HWND editor = FindWindowExA(parent, nullptr, kEditorClass, nullptr);
  ASSERT_TRUE(editor);
  auto clientSize = [editor]
  {
    RECT r = {};
    GetClientRect(editor, &r);
    return std::make_pair(static_cast<int>(r.right), static_cast<int>(r.bottom));
  };
  const UINT wmDpiChanged = 0x02E0, wmDpiChangedAfterParent = 0x02E3;
  RECT suggested = {0, 0, 1328, 944};
  SendMessageA(editor, wmDpiChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(std::make_pair(1328, 944), clientSize());
  EXPECT_EQ(1328, plug->EditRect()->right);
  SendMessageA(editor, wmDpiChanged, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(std::make_pair(996, 708), clientSize());
  // The system's own answer for this window (96 here, or none on an older
  // system) takes it back to 100 %.
  SendMessageA(editor, wmDpiChangedAfterParent, 0, 0);
  EXPECT_EQ(std::make_pair(664, 472), clientSize());

  const VstInt32 kPreS = 0x50726553;
  const VstIntPtr kAeCs = 0x41654373;
  plug->VendorSpecific(kPreS, kAeCs, nullptr, 1.5f);
  SendMessageA(editor, wmDpiChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(std::make_pair(996, 708), clientSize()) << "the host's scale wins";
  plug->Dispatch(effEditClose);
}

TEST(EditorWindow, OpeningAndClosingTwoHundredTimesLeavesNoHandlesOrMemory)
{
  auto plug = OpenKolvane();
  ASSERT_TRUE(plug);
  HWND parent = MakeParent();
  auto cycle = [&]
  {
    ASSERT_EQ(1, plug->Dispatch(effEditOpen, 0, 0, parent));
    Pump(2);
    plug->Dispatch(effEditIdle);
    plug->Dispatch(effEditClose);
  };
  for (int i = 0; i < 20; ++i)
  {
    cycle(); // caches and first-use allocations settle
  }
  PROCESS_MEMORY_COUNTERS before = {}, after = {};
  const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  for (int i = 0; i < 200; ++i)
  {
    cycle();
  }
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  EXPECT_EQ(userBefore, GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  EXPECT_EQ(gdiBefore, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  EXPECT_EQ(0, EditorWindowsIn(parent));
  // An editor's back buffer alone is over 1 MB: a leaked one per cycle
  // would show as hundreds of megabytes.
  EXPECT_LT(static_cast<long long>(after.PagefileUsage) -
                static_cast<long long>(before.PagefileUsage),
            4ll << 20);
}

TEST(EditorWindow, MenuLabelsAndIdsFollowTheMenuStructure)
{
  IPopupMenu sub;
  sub.AddItem("Sub One");
  sub.AddItem("Sub Two");
  IPopupMenu menu(2);
  for (const char* name : {"One", "Two", "", "Four", "Five", "Six", "Seven"})
  {
    if (name[0])
      menu.AddItem(name);
    else
      menu.AddItem("Three", &sub);
  }
  long offset = 0;
  HMENU native = win32::CreateMenu(&menu, &offset);
  ASSERT_TRUE(native);
  char label[64] = {};
  GetMenuStringA(native, 6, label, sizeof label, MF_BYPOSITION);
  EXPECT_STREQ("07: Seven", label);
  // The submenu's ids continue after the seven of the top menu.
  HMENU nativeSub = GetSubMenu(native, 2);
  ASSERT_TRUE(nativeSub);
  EXPECT_EQ(8u, GetMenuItemID(nativeSub, 1));
  long index = -1, start = 0;
  EXPECT_EQ(&sub, win32::GetItemMenu(8, index, start, &menu));
  EXPECT_EQ(1, index);
  start = 0;
  EXPECT_EQ(&menu, win32::GetItemMenu(6, index, start, &menu));
  EXPECT_EQ(6, index);
  start = 0;
  EXPECT_EQ(nullptr, win32::GetItemMenu(9, index, start, &menu));
  DestroyMenu(native);
}

TEST(EditorWindow, KeysAndWheelBecomeEditorEvents)
{
  struct Key
  {
    WPARAM virtualKey;
    int code;
  };
  const Key keys[] = {{VK_SPACE, 0}, {VK_UP, 1},   {VK_DOWN, 2},   {VK_LEFT, 3}, {VK_RIGHT, 4},
                      {'0', 5},      {'7', 12},    {'A', 15},      {'Q', 31},    {'Z', 40},
                      {VK_F1, 30},   {VK_TAB, -1}, {VK_RETURN, -1}};
  for (const Key& k : keys)
  {
    EXPECT_EQ(k.code, win32::KeyCodeOf(k.virtualKey)) << "virtual key " << k.virtualKey;
  }
  struct Wheel
  {
    short delta;
    int notches;
  };
  const Wheel wheels[] = {{120, 1}, {-120, -1}, {-240, -2}, {60, 0}, {-359, -2}};
  for (const Wheel& w : wheels)
  {
    EXPECT_EQ(w.notches, win32::WheelNotches(MAKEWPARAM(MK_CONTROL, w.delta)))
        << "delta " << w.delta;
  }
}

// Text at a scale is drawn with a GDI font of the scaled height.
TEST(EditorWindow, TextIsDrawnWithAFontOfTheScaledHeight)
{
  IGraphicsWin graphics(nullptr, 300, 80);
  ExpectTextDrawnAtTheScaledHeight(graphics);
}
