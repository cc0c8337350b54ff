// The Win32 window's input: mouse, wheel and key messages become the
// context's input events (IPlatformWindow.h, step 4), and the pointer hides
// and shows.

#include "IGraphicsWin.h"

#include "Win32Private.h"

#include "IKeyTable.h"

namespace
{
// The signed 16-bit halves of a message word.
int LowWord(LPARAM v)
{
  return static_cast<short>(LOWORD(v));
}

int HighWord(LPARAM v)
{
  return static_cast<short>(HIWORD(v));
}

IMouseMod GetMouseMod(WPARAM wParam)
{
  return IMouseMod((wParam & MK_LBUTTON) != 0, (wParam & MK_RBUTTON) != 0, (wParam & MK_SHIFT) != 0,
                   (wParam & MK_CONTROL) != 0, (GetKeyState(VK_MENU) & 0x8000) != 0);
}

// The key table's Win32 column, row by row, in the system's names.
// clang-format off
constexpr std::uint32_t kKeyTableColumn[][2] = {
    {VK_SPACE, VK_SPACE}, {VK_UP, VK_UP}, {VK_DOWN, VK_DOWN}, {VK_LEFT, VK_LEFT},
    {VK_RIGHT, VK_RIGHT}, {'0', '9'}, {'A', 'Z'}, {0, 0}, {VK_NUMPAD1, VK_NUMPAD9},
    {VK_MULTIPLY, VK_DIVIDE}, {VK_F1, VK_F11}};
// clang-format on
static_assert(KeyColumnIs(EKeySystem::kWin32, kKeyTableColumn),
              "the key table's Win32 codes are not the system's");
} // namespace

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
} // namespace win32

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
