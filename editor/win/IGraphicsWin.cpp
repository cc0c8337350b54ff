// The Win32 window's life (IPlatformWindow.h, steps 1, 2, 3, 5 and 6): the
// window class, opening and closing, the message switch, the timer's tick,
// painting and sizes; and the GDI fonts and the module's pictures.

#include "IGraphicsWin.h"

#include "Win32Private.h"

#include "IPlugInterface.h"

#include <cstring>

namespace
{
const char* const kWndClassName = "IPlugWndClass";
const UINT_PTR kTimerId = 2;

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

void IGraphicsWin::Tick()
{
  if (mW->TickTextEntry())
  {
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
