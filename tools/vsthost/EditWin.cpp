// kolvane-host edit's window on Windows: a borderless top-level window at
// (0, 0) whose 20 ms timer idles the editor.

#include "Edit.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace vsthost
{
namespace
{
const char* const kHostClass = "KolvaneHostWindow";
const UINT_PTR kIdleTimer = 1;
const UINT kIdleMs = 20;

class WinEditWindow : public EditWindow
{
public:
  WinEditWindow(HWND window, int w, int h) : mWindow(window), mWidth(w), mHeight(h)
  {
    SetWindowLongPtrA(mWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetTimer(mWindow, kIdleTimer, kIdleMs, nullptr);
  }

  // The window itself goes with the process: destroying or hiding it under
  // Wine without a window manager waits two seconds for the window
  // manager's answer.
  ~WinEditWindow() override
  {
    KillTimer(mWindow, kIdleTimer);
    SetWindowLongPtrA(mWindow, GWLP_USERDATA, 0);
  }

  void* Handle() const override { return mWindow; }
  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }

  bool Resize(int w, int h) override
  {
    if (mClosed ||
        !SetWindowPos(mWindow, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
      return false;
    mWidth = w;
    mHeight = h;
    return true;
  }

  // The timer idles the editor, inside modal loops (menus, dialogs) too,
  // as a DAW's does.
  bool Run(int ms, const std::function<void()>& idle) override
  {
    mIdle = &idle;
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    for (;;)
    {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      {
        if (msg.message == WM_QUIT)
          mClosed = true;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      const DWORD now = GetTickCount();
      if (mClosed || static_cast<LONG>(end - now) <= 0)
        break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
    mIdle = nullptr;
    return !mClosed;
  }

  bool Capture(std::vector<unsigned int>& pixels) override
  {
    HDC screen = GetDC(nullptr);
    if (!screen)
      return false;
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, mWidth, mHeight);
    HGDIOBJ old = SelectObject(dc, bitmap);
    bool copied = BitBlt(dc, 0, 0, mWidth, mHeight, screen, 0, 0, SRCCOPY) != 0;
    SelectObject(dc, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = mWidth;
    info.bmiHeader.biHeight = -mHeight; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.assign(static_cast<size_t>(mWidth) * mHeight, 0);
    copied = copied && GetDIBits(dc, bitmap, 0, static_cast<UINT>(mHeight), pixels.data(), &info,
                                 DIB_RGB_COLORS) == mHeight;
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    for (unsigned int& pixel : pixels)
      pixel |= 0xFF000000u; // the screen has no alpha
    return copied;
  }

  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
  {
    auto* self = reinterpret_cast<WinEditWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self && msg == WM_TIMER && wParam == kIdleTimer)
    {
      if (self->mIdle)
        (*self->mIdle)();
      return 0;
    }
    if (self && msg == WM_CLOSE)
    {
      self->mClosed = true;
      return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
  }

private:
  HWND mWindow;
  int mWidth, mHeight;
  const std::function<void()>* mIdle = nullptr;
  bool mClosed = false;
};
} // namespace

std::unique_ptr<EditWindow> EditWindow::Create(int w, int h, const std::string& title,
                                               std::ostream& err)
{
  WNDCLASSA wndClass = {};
  wndClass.lpfnWndProc = WinEditWindow::Proc;
  wndClass.hInstance = GetModuleHandleA(nullptr);
  wndClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wndClass.lpszClassName = kHostClass;
  RegisterClassA(&wndClass);
  HWND wnd = CreateWindowExA(0, kHostClass, title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0, w, h,
                             nullptr, nullptr, wndClass.hInstance, nullptr);
  if (!wnd)
  {
    err << "kolvane-host: the host's window could not be made (error " << GetLastError() << ")\n";
    return nullptr;
  }
  return std::make_unique<WinEditWindow>(wnd, w, h);
}

} // namespace vsthost
