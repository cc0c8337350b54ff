#include "IGraphicsWin.h"

#include "Win32Private.h"

#include "IKeyTable.h"
#include "IParam.h"
#include "IPlugInterface.h"

#include <commdlg.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
const char* const kWndClassName = "IPlugWndClass";
const UINT_PTR kTimerId = 2;
const int kParamEditId = 99;
const int kMaxEditLen = 32; // bytes read back from the box, NUL included

// Process-wide: editor windows alive, whether the class is registered, and
// the rate handed from OpenWindow to WM_CREATE. Touched only on the UI
// thread.
int sWindows = 0;
bool sClassRegistered = false;
HINSTANCE sClassInstance = nullptr;
double sFPS = 0.0;

void GetWindowSize(HWND wnd, int* w, int* h)
{
  RECT r;
  if (wnd && GetWindowRect(wnd, &r))
  {
    *w = r.right - r.left;
    *h = r.bottom - r.top;
  }
  else
  {
    *w = *h = 0;
  }
}

bool IsChildWindow(HWND wnd)
{
  if (!wnd)
  {
    return false;
  }
  const LONG_PTR style = GetWindowLongPtrA(wnd, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrA(wnd, GWL_EXSTYLE);
  return (style & WS_CHILD) && !(exStyle & WS_EX_MDICHILD);
}

void GetModulePath(HMODULE module, WDL_String* path)
{
  path->Set("");
  char name[256] = {};
  if (!GetModuleFileNameA(module, name, sizeof name - 1))
  {
    return;
  }
  char* slash = std::strrchr(name, '\\');
  if (slash && slash[1])
  {
    slash[1] = '\0';
    path->Set(name);
  }
}

// The signed 16-bit halves of a message word.
int LowWord(LPARAM v)
{
  return static_cast<short>(LOWORD(v));
}
int HighWord(LPARAM v)
{
  return static_cast<short>(HIWORD(v));
}

struct MainWindowSearch
{
  DWORD pid;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND hWnd, LPARAM lParam)
{
  auto* search = reinterpret_cast<MainWindowSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hWnd, &pid);
  if (pid == search->pid)
  {
    char name[128] = {};
    GetClassNameA(hWnd, name, sizeof name);
    if (std::strcmp(name, search->className) == 0)
    {
      search->found = hWnd;
      return FALSE;
    }
  }
  return TRUE;
}

IMouseMod GetMouseMod(WPARAM wParam)
{
  return IMouseMod((wParam & MK_LBUTTON) != 0, (wParam & MK_RBUTTON) != 0, (wParam & MK_SHIFT) != 0,
                   (wParam & MK_CONTROL) != 0, (GetKeyState(VK_MENU) & 0x8000) != 0);
}

// The window's DPI where the system tells it (GetDpiForWindow, Windows 10
// 1607 on), looked up at run time so that the module still loads, and
// imports only what every Windows has, on older systems; 0 where it
// cannot tell. 96 is 100 %.
UINT WindowDpi(HWND wnd)
{
  typedef UINT(WINAPI * GetDpiForWindowProc)(HWND);
  HMODULE user32 = GetModuleHandleA("user32.dll");
  FARPROC found = user32 ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
  if (!found || !wnd)
  {
    return 0;
  }
  GetDpiForWindowProc getDpi;
  static_assert(sizeof getDpi == sizeof found, "function pointers");
  std::memcpy(&getDpi, &found, sizeof getDpi);
  return getDpi(wnd);
}

// The messages of a DPI change, which older headers and systems lack.
const UINT kWmDpiChanged = 0x02E0;
const UINT kWmDpiChangedAfterParent = 0x02E3;

// The key table's Win32 column, row by row, in the system's names.
// clang-format off
constexpr std::uint32_t kKeyTableColumn[][2] = {
    {VK_SPACE, VK_SPACE}, {VK_UP, VK_UP}, {VK_DOWN, VK_DOWN}, {VK_LEFT, VK_LEFT},
    {VK_RIGHT, VK_RIGHT}, {'0', '9'}, {'A', 'Z'}, {0, 0}, {VK_NUMPAD1, VK_NUMPAD9},
    {VK_MULTIPLY, VK_DIVIDE}, {VK_F1, VK_F11}};
// clang-format on
static_assert(KeyColumnIs(EKeySystem::kWin32, kKeyTableColumn),
              "the key table's Win32 codes are not the system's");

// Unregisters the window class once no editor window of the process is
// left.
void ReleaseClassIfUnused()
{
  if (sWindows == 0 && sClassRegistered)
  {
    UnregisterClassA(kWndClassName, sClassInstance);
    sClassRegistered = false;
    sClassInstance = nullptr;
  }
}
} // namespace

// The window's Win32 side: its handles, and the procedures Windows calls
// with this record in the windows' user data.
struct IGraphicsWin::Platform
{
  Platform(IGraphicsWin& graphics, HINSTANCE instance) : g(graphics), mHInstance(instance) {}

  static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ParamEditProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The editor window's messages: a short switch over the families below,
  // each handled by a function of its own that gives the message's result.
  LRESULT HandleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // While the text box has the keyboard the editor takes no input.
  LRESULT WhileTyping(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnDpiChanged(HWND hWnd, UINT msg, WPARAM wParam);
  LRESULT OnTimer(WPARAM timerId);
  LRESULT OnPaint(HWND hWnd);
  LRESULT OnMouseMove(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnButtonDown(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnButtonUp(WPARAM wParam, LPARAM lParam);
  LRESULT OnDoubleClick(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnWheel(HWND hWnd, WPARAM wParam, LPARAM lParam);
  // A key of the editor's goes to the control under the mouse; any other,
  // or one no control takes, to the host's top-level window.
  LRESULT OnKeyDown(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnEditColors(WPARAM dc);
  // The host's top-level window, which owns message boxes.
  HWND GetMainWnd();

  IGraphicsWin& g;
  HINSTANCE mHInstance;
  HWND mPlugWnd = nullptr;
  HWND mParamEditWnd = nullptr;
  WNDPROC mDefEditProc = nullptr;
  HFONT mEditFont = nullptr;
  COLORREF mCustomColors[16] = {};
  DWORD mPID = 0;
  HWND mParentWnd = nullptr;
  HWND mMainWnd = nullptr;
  WDL_String mMainWndClassName;
};

IGraphicsWin::IGraphicsWin(IPlugInterface* plug, int w, int h, int fps, LICE_HMODULE module)
    : IGraphics(plug, w, h, fps), mW(new Platform(*this, static_cast<HINSTANCE>(module)))
{
}

IGraphicsWin::~IGraphicsWin()
{
  CloseWindow();
}

bool IGraphicsWin::WindowIsOpen()
{
  return mW->mPlugWnd != nullptr;
}

void* IGraphicsWin::GetWindow()
{
  return mW->mPlugWnd;
}

namespace win32
{
int KeyCodeOf(WPARAM virtualKey)
{
  return KeyFromSystem(EKeySystem::kWin32, virtualKey);
}

int WheelNotches(WPARAM wParam)
{
  return HighWord(static_cast<LPARAM>(wParam)) / WHEEL_DELTA;
}

HMENU CreateMenu(IPopupMenu* menu, long* offset)
{
  HMENU native = CreatePopupMenu();
  if (!native)
  {
    return nullptr;
  }
  const long base = *offset;
  const int n = menu->GetNItems();
  *offset += n;
  for (int i = 0; i < n; ++i)
  {
    IPopupMenuItem* item = menu->GetItem(i);
    if (item->GetIsSeparator())
    {
      AppendMenuA(native, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    char label[1024];
    const char* text = item->GetText();
    switch (menu->GetPrefix())
    {
    case 1:
      std::snprintf(label, sizeof label, "%1d: %s", i + 1, text);
      break;
    case 2:
      std::snprintf(label, sizeof label, "%02d: %s", i + 1, text);
      break;
    case 3:
      std::snprintf(label, sizeof label, "%03d: %s", i + 1, text);
      break;
    default:
      std::snprintf(label, sizeof label, "%s", text);
      break;
    }
    if (item->GetSubmenu())
    {
      HMENU sub = CreateMenu(item->GetSubmenu(), offset);
      if (sub)
      {
        AppendMenuA(native, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), label);
      }
      continue;
    }
    UINT flags = MF_STRING;
    if (!item->GetEnabled())
      flags |= MF_GRAYED;
    if (item->GetIsTitle())
      flags |= MF_DISABLED;
    if (item->GetChecked())
      flags |= MF_CHECKED;
    AppendMenuA(native, flags, static_cast<UINT_PTR>(base + i), label);
  }
  return native;
}

IPopupMenu* GetItemMenu(long id, long& idxInMenu, long& offset, IPopupMenu* menu)
{
  const long first = offset;
  offset += menu->GetNItems();
  if (id < offset)
  {
    idxInMenu = id - first;
    return menu;
  }
  for (int i = 0; i < menu->GetNItems(); ++i)
  {
    IPopupMenu* sub = menu->GetItem(i)->GetSubmenu();
    if (sub)
    {
      if (IPopupMenu* found = GetItemMenu(id, idxInMenu, offset, sub))
      {
        return found;
      }
    }
  }
  return nullptr;
}
} // namespace win32

void* IGraphicsWin::OpenWindow(void* parent)
{
  // The scale of the screen the host's window is on, unless the user or the
  // host chose one; an open window takes the new size before it is moved.
  const UINT dpi = WindowDpi(static_cast<HWND>(parent));
  SetPlatformScale(dpi / 96.0);
  int x = 0, y = 0, w = mWidth, h = mHeight;
  mW->mParentWnd = static_cast<HWND>(parent);

  if (mW->mPlugWnd)
  {
    RECT parentRect = {}, editorRect = {};
    GetWindowRect(mW->mParentWnd, &parentRect);
    GetWindowRect(mW->mPlugWnd, &editorRect);
    CloseWindow();
    x = editorRect.left - parentRect.left;
    y = editorRect.top - parentRect.top;
    w = editorRect.right - editorRect.left;
    h = editorRect.bottom - editorRect.top;
  }

  if (!sClassRegistered)
  {
    WNDCLASSA wndClass = {};
    wndClass.style = CS_DBLCLKS;
    wndClass.lpfnWndProc = Platform::WndProc;
    wndClass.hInstance = mW->mHInstance;
    wndClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wndClass.lpszClassName = kWndClassName;
    if (!RegisterClassA(&wndClass))
    {
      return nullptr;
    }
    sClassRegistered = true;
    sClassInstance = mW->mHInstance;
  }

  sFPS = mFPS;
  mW->mPlugWnd = CreateWindowExA(0, kWndClassName, "IPlug", WS_CHILD | WS_VISIBLE, x, y, w, h,
                                 mW->mParentWnd, nullptr, mW->mHInstance, mW.get());
  if (!mW->mPlugWnd)
  {
    ReleaseClassIfUnused();
    return nullptr;
  }
  ++sWindows;
  SetAllControlsDirty();
  return mW->mPlugWnd;
}

void IGraphicsWin::CloseWindow()
{
  if (mW->mPlugWnd)
  {
    // A box still open is thrown away: what was typed is not committed.
    DestroyParamEdit();
    ReleaseMouseCapture();
    // A gesture whose release the window never saw ends with the window:
    // the host gets every end.
    EndGesture();
    HWND wnd = mW->mPlugWnd;
    // WM_NCDESTROY forgets the window; if destroying fails (the handle is
    // no longer a window) it is forgotten here.
    if (!DestroyWindow(wnd) && mW->mPlugWnd == wnd)
    {
      mW->mPlugWnd = nullptr;
      --sWindows;
    }
  }
  DestroyParamEdit();
  ReleaseClassIfUnused();
}

void IGraphicsWin::DestroyParamEdit()
{
  if (mW->mParamEditWnd)
  {
    HWND box = mW->mParamEditWnd;
    mW->mParamEditWnd = nullptr;
    if (IsWindow(box))
    {
      SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mW->mDefEditProc));
      SetWindowLongPtrA(box, GWLP_USERDATA, 0);
      DestroyWindow(box);
    }
  }
  if (mW->mEditFont)
  {
    DeleteObject(mW->mEditFont);
    mW->mEditFont = nullptr;
  }
  mEdControl = nullptr;
  mEdParam = nullptr;
  mW->mDefEditProc = nullptr;
  mParamEditMsg = kEditNone;
}

bool IGraphicsWin::DrawScreen(IRECT* rect)
{
  if (!mW->mPlugWnd || !mDrawBitmap)
  {
    return true;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(mW->mPlugWnd, &ps);
  HDC source = static_cast<HDC>(mDrawBitmap->getDC());
  if (dc && source)
  {
    BitBlt(dc, rect->L, rect->T, rect->R - rect->L, rect->B - rect->T, source, rect->L, rect->T,
           SRCCOPY);
  }
  EndPaint(mW->mPlugWnd, &ps);
  return true;
}

LRESULT CALLBACK IGraphicsWin::Platform::WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_CREATE)
  {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<Platform*>(create->lpCreateParams);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    const int fps = sFPS > 0.0 ? static_cast<int>(sFPS) : 25;
    SetTimer(hWnd, kTimerId, static_cast<UINT>(1000.0 / fps), nullptr);
    SetFocus(hWnd);
    return 0;
  }
  auto* self = reinterpret_cast<Platform*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY)
  {
    // Also reached when the host destroys its window with the editor still
    // in it: the context forgets the window so nothing touches it later.
    KillTimer(hWnd, kTimerId);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    if (self && self->mPlugWnd == hWnd)
    {
      self->mPlugWnd = nullptr;
      self->mParamEditWnd = nullptr; // a child, destroyed already
      --sWindows;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
  }
  if (!self || self->mPlugWnd != hWnd)
  {
    return DefWindowProcA(hWnd, msg, wParam, lParam);
  }
  return self->HandleMessage(hWnd, msg, wParam, lParam);
}

LRESULT IGraphicsWin::Platform::HandleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (mParamEditWnd && g.mParamEditMsg == kEditActive)
  {
    return WhileTyping(hWnd, msg, wParam, lParam);
  }
  switch (msg)
  {
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    return 0;
  case kWmDpiChanged:
  case kWmDpiChangedAfterParent:
    return OnDpiChanged(hWnd, msg, wParam);
  case WM_TIMER:
    return OnTimer(wParam);
  case WM_PAINT:
    return OnPaint(hWnd);
  case WM_CLOSE:
    g.CloseWindow();
    return 0;
  case WM_MOUSEMOVE:
    return OnMouseMove(hWnd, wParam, lParam);
  case WM_MOUSELEAVE:
    g.OnMouseOut();
    return 0;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    return OnButtonDown(hWnd, wParam, lParam);
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
    return OnButtonUp(wParam, lParam);
  case WM_LBUTTONDBLCLK:
    return OnDoubleClick(hWnd, wParam, lParam);
  case WM_MOUSEWHEEL:
    return OnWheel(hWnd, wParam, lParam);
  case WM_KEYDOWN:
    return OnKeyDown(hWnd, msg, wParam, lParam);
  case WM_CTLCOLOREDIT:
    return OnEditColors(wParam);
  default:
    return DefWindowProcA(hWnd, msg, wParam, lParam);
  }
}

LRESULT IGraphicsWin::Platform::WhileTyping(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  // While typing, a click anywhere in the editor only ends the entry.
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN)
  {
    g.mParamEditMsg = kEditCancel;
    return 0;
  }
  return DefWindowProcA(hWnd, msg, wParam, lParam);
}

// The window moved to a screen of another DPI. A top-level window is told the
// new DPI; a child, as the editor usually is, hears it after its host's frame
// and asks. The user's or the host's choice still wins.
LRESULT IGraphicsWin::Platform::OnDpiChanged(HWND hWnd, UINT msg, WPARAM wParam)
{
  const UINT dpi = msg == kWmDpiChanged ? LOWORD(wParam) : WindowDpi(hWnd);
  g.SetPlatformScale(dpi / 96.0);
  return 0;
}

LRESULT IGraphicsWin::Platform::OnTimer(WPARAM timerId)
{
  if (timerId == kTimerId)
  {
    g.Tick();
  }
  return 0;
}

LRESULT IGraphicsWin::Platform::OnPaint(HWND hWnd)
{
  RECT r;
  if (GetUpdateRect(hWnd, &r, FALSE))
  {
    IRECT region(r.left, r.top, r.right, r.bottom);
    g.Draw(&region);
  }
  else
  {
    ValidateRect(hWnd, nullptr);
  }
  return 0;
}

LRESULT IGraphicsWin::Platform::OnMouseMove(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
  IMouseMod mod = GetMouseMod(wParam);
  const int x = LowWord(lParam), y = HighWord(lParam);
  if (!(wParam & (MK_LBUTTON | MK_RBUTTON)))
  {
    if (g.OnMouseOver(x, y, &mod))
    {
      TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hWnd, HOVER_DEFAULT};
      TrackMouseEvent(&track);
    }
  }
  else if (GetCapture() == hWnd && !mParamEditWnd)
  {
    g.OnMouseDrag(x, y, &mod);
  }
  return 0;
}

LRESULT IGraphicsWin::Platform::OnButtonDown(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
  if (mParamEditWnd)
  {
    g.DestroyParamEdit();
    RECT all = {0, 0, g.mWidth, g.mHeight};
    InvalidateRect(hWnd, &all, FALSE);
    UpdateWindow(hWnd);
  }
  SetFocus(hWnd);
  SetCapture(hWnd);
  IMouseMod mod = GetMouseMod(wParam);
  g.OnMouseDown(LowWord(lParam), HighWord(lParam), &mod);
  return 0;
}

LRESULT IGraphicsWin::Platform::OnButtonUp(WPARAM wParam, LPARAM lParam)
{
  ReleaseCapture();
  IMouseMod mod = GetMouseMod(wParam);
  g.OnMouseUp(LowWord(lParam), HighWord(lParam), &mod);
  return 0;
}

LRESULT IGraphicsWin::Platform::OnDoubleClick(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
  IMouseMod mod = GetMouseMod(wParam);
  if (g.OnMouseDblClick(LowWord(lParam), HighWord(lParam), &mod))
  {
    SetCapture(hWnd);
  }
  return 0;
}

LRESULT IGraphicsWin::Platform::OnWheel(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
  if (mParamEditWnd)
  {
    g.mParamEditMsg = kEditCancel;
    return 0;
  }
  // The wheel message gives the position on the screen.
  RECT r;
  GetWindowRect(hWnd, &r);
  IMouseMod mod = GetMouseMod(wParam);
  g.OnMouseWheel(LowWord(lParam) - r.left, HighWord(lParam) - r.top, &mod,
                 win32::WheelNotches(wParam));
  return 0;
}

LRESULT IGraphicsWin::Platform::OnKeyDown(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  const int key = win32::KeyCodeOf(wParam);
  if (key != kKeyNone)
  {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hWnd, &p);
    if (g.OnKeyDown(p.x, p.y, key))
    {
      return 0;
    }
  }
  // Not ours: the host's top-level window gets the key.
  HWND root = GetAncestor(hWnd, GA_ROOT);
  if (root && root != hWnd)
  {
    SendMessageA(root, msg, wParam, lParam);
  }
  return DefWindowProcA(hWnd, msg, wParam, lParam);
}

// The text box's colours: the edited control's text-entry colours.
LRESULT IGraphicsWin::Platform::OnEditColors(WPARAM wParam)
{
  if (!g.mEdControl)
  {
    return 0;
  }
  const IText* text = g.mEdControl->GetText();
  const COLORREF back =
      RGB(text->mTextEntryBGColor.R, text->mTextEntryBGColor.G, text->mTextEntryBGColor.B);
  HDC dc = reinterpret_cast<HDC>(wParam);
  SetBkColor(dc, back);
  SetTextColor(
      dc, RGB(text->mTextEntryFGColor.R, text->mTextEntryFGColor.G, text->mTextEntryFGColor.B));
  SetBkMode(dc, OPAQUE);
  SetDCBrushColor(dc, back);
  return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

void IGraphicsWin::Tick()
{
  if (mW->mParamEditWnd && mParamEditMsg != kEditNone)
  {
    if (mParamEditMsg == kEditCommit)
    {
      char text[kMaxEditLen] = {};
      SendMessageA(mW->mParamEditWnd, WM_GETTEXT, kMaxEditLen, reinterpret_cast<LPARAM>(text));
      IControl* control = mEdControl;
      IParam* param = mEdParam;
      // The box goes first: committing may redraw or prompt again.
      DestroyParamEdit();
      CommitTextEntry(control, param, text);
    }
    else if (mParamEditMsg == kEditCancel)
    {
      DestroyParamEdit();
    }
    mParamEditMsg = kEditNone;
    return;
  }

  IRECT dirty;
  if (IsDirty(&dirty))
  {
    RECT r = {dirty.L, dirty.T, dirty.R, dirty.B};
    InvalidateRect(mW->mPlugWnd, &r, FALSE);
    if (mW->mParamEditWnd && mEdControl)
    {
      const IRECT c = ToPixels(*mEdControl->GetRECT());
      RECT keep = {c.L, c.T, c.R, c.B};
      ValidateRect(mW->mPlugWnd, &keep);
      UpdateWindow(mW->mPlugWnd);
      mParamEditMsg = kEditUpdate;
    }
    else
    {
      UpdateWindow(mW->mPlugWnd);
    }
  }
}

void IGraphicsWin::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                                   IParam* param)
{
  if (!control || !text || !rect || mW->mParamEditWnd || !mW->mPlugWnd)
  {
    return;
  }
  DWORD align = ES_LEFT;
  if (text->mAlign == IText::kAlignCenter)
    align = ES_CENTER;
  else if (text->mAlign == IText::kAlignFar)
    align = ES_RIGHT;

  mW->mParamEditWnd = CreateWindowExA(
      0, "EDIT", str ? str : "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | align, rect->L, rect->T,
      rect->R - rect->L + 1, rect->B - rect->T + 1, mW->mPlugWnd,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kParamEditId)), mW->mHInstance, nullptr);
  if (!mW->mParamEditWnd)
  {
    return;
  }
  mW->mEditFont = CreateFontA(
      text->mSize, 0, 0, 0, (text->mStyle & IText::kStyleBold) ? FW_BOLD : 0,
      (text->mStyle & IText::kStyleItalic) ? TRUE : FALSE, 0, 0, 0, 0, 0, 0, 0, text->mFont);
  SendMessageA(mW->mParamEditWnd, WM_SETFONT, reinterpret_cast<WPARAM>(mW->mEditFont), 0);
  SendMessageA(mW->mParamEditWnd, EM_SETSEL, 0, -1);
  SendMessageA(mW->mParamEditWnd, EM_LIMITTEXT, control->GetTextEntryLength(), 0);

  mEdControl = control;
  mEdParam = param;
  mW->mDefEditProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      mW->mParamEditWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Platform::ParamEditProc)));
  SetWindowLongPtrA(mW->mParamEditWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(mW.get()));
  SetFocus(mW->mParamEditWnd);
}

LRESULT CALLBACK IGraphicsWin::Platform::ParamEditProc(HWND hWnd, UINT msg, WPARAM wParam,
                                                       LPARAM lParam)
{
  auto* self = reinterpret_cast<Platform*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (!self || self->mParamEditWnd != hWnd)
  {
    return DefWindowProcA(hWnd, msg, wParam, lParam);
  }
  WNDPROC previous = self->mDefEditProc;
  switch (msg)
  {
  case WM_SETFOCUS:
    self->g.mParamEditMsg = kEditActive;
    break;
  case WM_KILLFOCUS:
    self->g.mParamEditMsg = kEditCancel;
    break;
  case WM_GETDLGCODE:
    if (!self->g.mEdParam)
    {
      LRESULT code = CallWindowProcA(previous, hWnd, msg, wParam, lParam);
      const MSG* asked = reinterpret_cast<const MSG*>(lParam);
      if (asked && asked->message == WM_KEYDOWN && asked->wParam == VK_RETURN)
      {
        code |= DLGC_WANTALLKEYS;
      }
      return code;
    }
    break;
  case WM_KEYDOWN:
    if (wParam == VK_RETURN)
    {
      self->g.mParamEditMsg = kEditCommit;
      return 0;
    }
    break;
  case WM_CHAR:
    if (self->g.mEdParam && wParam != VK_BACK)
    {
      const int c = static_cast<int>(wParam);
      const bool digitOrSign = (c >= '0' && c <= '9') || c == '-' || c == '+';
      switch (self->g.mEdParam->Type())
      {
      case kTypeBool:
      case kTypeInt:
      case kTypeEnum:
        if (!digitOrSign)
          return 0;
        break;
      case kTypeDouble:
        if (!digitOrSign && c != '.')
          return 0;
        break;
      default:
        break;
      }
    }
    // Enter in a multi-line box would add a line: it commits instead.
    if (wParam == '\r' || wParam == '\n')
    {
      return 0;
    }
    break;
  case WM_COMMAND:
    if (HIWORD(wParam) == 1)
    {
      self->g.mParamEditMsg = kEditCommit;
      return 0;
    }
    break;
  default:
    break;
  }
  return CallWindowProcA(previous, hWnd, msg, wParam, lParam);
}

IPopupMenu* IGraphicsWin::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  ReleaseMouseCapture();
  if (!menu || !rect || !mW->mPlugWnd)
  {
    return nullptr;
  }
  long offset = 0;
  HMENU native = win32::CreateMenu(menu, &offset);
  if (!native)
  {
    return nullptr;
  }
  POINT p = {rect->L, rect->B};
  ClientToScreen(mW->mPlugWnd, &p);
  IPopupMenu* result = nullptr;
  if (TrackPopupMenu(native, TPM_LEFTALIGN | TPM_TOPALIGN, p.x, p.y, 0, mW->mPlugWnd, nullptr))
  {
    MSG msg;
    if (PeekMessageA(&msg, mW->mPlugWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE) &&
        HIWORD(msg.wParam) == 0)
    {
      long idx = 0, start = 0;
      result = win32::GetItemMenu(LOWORD(msg.wParam), idx, start, menu);
      if (result)
      {
        result->SetChosenItemIdx(static_cast<int>(idx));
      }
    }
  }
  DestroyMenu(native);
  return result;
}

HWND IGraphicsWin::Platform::GetMainWnd()
{
  if (!mMainWnd)
  {
    if (mParentWnd)
    {
      HWND wnd = mParentWnd;
      while (HWND up = GetParent(wnd))
      {
        wnd = up;
      }
      mMainWnd = wnd;
      char name[128] = {};
      GetClassNameA(wnd, name, sizeof name);
      mMainWndClassName.Set(name);
    }
    else if (mMainWndClassName.GetLength())
    {
      mPID = GetCurrentProcessId();
      MainWindowSearch search = {mPID, mMainWndClassName.Get(), nullptr};
      EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
      mMainWnd = search.found;
    }
  }
  return mMainWnd;
}

int IGraphicsWin::ShowMessageBox(const char* text, const char* caption, int type)
{
  return MessageBoxA(mW->GetMainWnd(), text, caption, static_cast<UINT>(type));
}

void IGraphicsWin::HostPath(WDL_String* path)
{
  if (path)
  {
    GetModulePath(nullptr, path);
  }
}

void IGraphicsWin::PluginPath(WDL_String* path)
{
  if (path)
  {
    GetModulePath(mW->mHInstance, path);
  }
}

bool IGraphicsWin::OSPromptForFile(WDL_String* chosen, EFileAction action, const char* file,
                                   const char* dir, const IFileFilter& filter)
{
  char fileName[256] = {};
  char initialDir[256] = {};
  std::snprintf(fileName, sizeof fileName, "%s", file);
  std::snprintf(initialDir, sizeof initialDir, "%s", dir);

  // "fxp fxb" becomes "*.fxp;*.fxb", used as description and pattern:
  // description NUL pattern NUL NUL.
  const std::string patterns = filter.Patterns(";");
  const std::string filterText = patterns + '\0' + patterns + '\0';

  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = mW->mPlugWnd;
  ofn.lpstrFilter = filter.Empty() ? nullptr : filterText.c_str();
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = sizeof fileName - 1;
  ofn.lpstrInitialDir = initialDir[0] ? initialDir : nullptr;
  ofn.lpstrDefExt = filter.Empty() ? nullptr : filter.DefaultExtension();
  ofn.Flags = OFN_PATHMUSTEXIST;
  BOOL confirmed;
  if (action == kFileSave)
  {
    ofn.Flags |= OFN_OVERWRITEPROMPT;
    confirmed = GetSaveFileNameA(&ofn);
  }
  else
  {
    ofn.Flags |= OFN_FILEMUSTEXIST;
    confirmed = GetOpenFileNameA(&ofn);
  }
  if (!confirmed)
  {
    return false;
  }
  chosen->Set(fileName);
  return true;
}

namespace
{
UINT_PTR CALLBACK ColorHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam)
{
  if (msg == WM_INITDIALOG)
  {
    auto* cc = reinterpret_cast<CHOOSECOLORA*>(lParam);
    const char* prompt = cc ? reinterpret_cast<const char*>(cc->lCustData) : nullptr;
    if (prompt && prompt[0])
    {
      SetWindowTextA(dialog, prompt);
    }
  }
  return 0;
}
} // namespace

bool IGraphicsWin::PromptForColor(IColor* color, const char* prompt)
{
  if (!mW->mPlugWnd || !color)
  {
    return false;
  }
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = mW->mPlugWnd;
  cc.rgbResult = RGB(color->R, color->G, color->B);
  cc.lpCustColors = mW->mCustomColors;
  cc.lCustData = reinterpret_cast<LPARAM>(prompt);
  cc.lpfnHook = ColorHook;
  cc.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_SOLIDCOLOR | CC_RGBINIT | CC_ENABLEHOOK;
  if (!ChooseColorA(&cc))
  {
    return false;
  }
  color->R = GetRValue(cc.rgbResult);
  color->G = GetGValue(cc.rgbResult);
  color->B = GetBValue(cc.rgbResult);
  return true;
}

bool IGraphicsWin::OSOpenURL(const char* url)
{
  DWORD state = 0;
  if (!InternetGetConnectedState(&state, 0))
  {
    return false;
  }
  const INT_PTR result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(mW->mPlugWnd, "open", url, nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

void IGraphicsWin::HideMouseCursor()
{
  if (!mCursorHidden)
  {
    POINT p;
    GetCursorPos(&p);
    mHiddenMousePointX = p.x;
    mHiddenMousePointY = p.y;
    ShowCursor(FALSE);
    mCursorHidden = true;
  }
}

void IGraphicsWin::ShowMouseCursor()
{
  if (mCursorHidden)
  {
    SetCursorPos(mHiddenMousePointX, mHiddenMousePointY);
    ShowCursor(TRUE);
    mCursorHidden = false;
  }
}

LICE_IBitmap* IGraphicsWin::OSLoadBitmap(int id, const char* name)
{
  return LoadPNGResource(mW->mHInstance, id, name);
}

LICE_HFONT IGraphicsWin::OSCreateFont(const IText* text)
{
  if (!text)
  {
    return nullptr;
  }
  DWORD quality = NONANTIALIASED_QUALITY;
  switch (text->mQuality)
  {
  case IText::kQualityDefault:
    quality = DEFAULT_QUALITY;
    break;
  case IText::kQualityAntiAliased:
    quality = ANTIALIASED_QUALITY;
    break;
  case IText::kQualityClearType:
    quality = CLEARTYPE_QUALITY;
    break;
  default:
    break;
  }
  const int angle = 10 * text->mOrientation; // tenths of a degree
  return CreateFontA(
      text->mSize, 0, angle, angle, text->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL,
      text->mStyle == IText::kStyleItalic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH, text->mFont);
}

void IGraphicsWin::Resize(int w, int h)
{
  if (w == LayoutWidth() && h == LayoutHeight())
  {
    return;
  }
  const int dw = ToPixels(w) - mWidth, dh = ToPixels(h) - mHeight;
  IGraphics::Resize(w, h);
  if (!mW->mPlugWnd)
  {
    return;
  }
  HWND parent = IsChildWindow(mW->mPlugWnd) ? GetParent(mW->mPlugWnd) : nullptr;
  HWND grandparent = IsChildWindow(parent) ? GetParent(parent) : nullptr;
  const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  for (HWND wnd : {mW->mPlugWnd, parent, grandparent})
  {
    int ww = 0, wh = 0;
    GetWindowSize(wnd, &ww, &wh);
    if (wnd)
    {
      SetWindowPos(wnd, nullptr, 0, 0, ww + dw, wh + dh, flags);
    }
  }
  RECT r = {0, 0, mWidth, mHeight};
  InvalidateRect(mW->mPlugWnd, &r, FALSE);
}

void IGraphicsWin::WindowSizeChanged()
{
  if (!mW->mPlugWnd)
  {
    return;
  }
  // The box sits over where its control was at the old size.
  DestroyParamEdit();
  mParamEditMsg = kEditNone;
  SetWindowPos(mW->mPlugWnd, nullptr, 0, 0, mWidth, mHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r = {0, 0, mWidth, mHeight};
  InvalidateRect(mW->mPlugWnd, &r, FALSE);
}
