// kolvane-host edit's window on X11: a top-level window holding the
// plug-in's editor, idled from the event loop.

#include "Edit.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace vsthost
{
namespace
{
const auto kIdleInterval = std::chrono::milliseconds(20);

class X11EditWindow : public EditWindow
{
public:
  X11EditWindow(Display* display, int w, int h, const std::string& title)
      : mDisplay(display), mWidth(w), mHeight(h)
  {
    mWindow = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0,
                                  static_cast<unsigned>(w), static_cast<unsigned>(h), 0, 0, 0);
    XStoreName(mDisplay, mWindow, title.c_str());
    mDeleteWindow = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(mDisplay, mWindow, &mDeleteWindow, 1);
    XSelectInput(mDisplay, mWindow, StructureNotifyMask);
    XMapWindow(mDisplay, mWindow);
    // The plug-in makes its window on its own connection: ours must exist
    // on the server first.
    XSync(mDisplay, False);
  }

  ~X11EditWindow() override
  {
    if (!mClosed)
      XDestroyWindow(mDisplay, mWindow);
    XCloseDisplay(mDisplay);
  }

  void* Handle() const override { return reinterpret_cast<void*>(mWindow); }
  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }

  bool Resize(int w, int h) override
  {
    if (mClosed)
      return false;
    XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(w), static_cast<unsigned>(h));
    // The plug-in resizes its own window on its connection: ours must have
    // the size on the server first.
    XSync(mDisplay, False);
    mWidth = w;
    mHeight = h;
    return true;
  }

  bool Run(int ms, const std::function<void()>& idle) override
  {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do
    {
      const auto next = std::chrono::steady_clock::now() + kIdleInterval;
      idle();
      while (!mClosed && XPending(mDisplay) > 0)
      {
        XEvent event;
        XNextEvent(mDisplay, &event);
        if ((event.type == ClientMessage &&
             static_cast<Atom>(event.xclient.data.l[0]) == mDeleteWindow) ||
            event.type == DestroyNotify)
          mClosed = true;
      }
      std::this_thread::sleep_until(next < end ? next : end);
    } while (!mClosed && std::chrono::steady_clock::now() < end);
    return !mClosed;
  }

  bool Capture(std::vector<unsigned int>& pixels) override
  {
    if (mClosed)
      return false;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(mDisplay, mWindow, DefaultRootWindow(mDisplay), 0, 0, &x, &y, &child);
    XImage* image =
        XGetImage(mDisplay, DefaultRootWindow(mDisplay), x, y, static_cast<unsigned>(mWidth),
                  static_cast<unsigned>(mHeight), AllPlanes, ZPixmap);
    if (!image)
      return false;
    pixels.resize(static_cast<size_t>(mWidth) * mHeight);
    for (int row = 0; row < mHeight; ++row)
    {
      for (int col = 0; col < mWidth; ++col)
      {
        const unsigned long pixel = XGetPixel(image, col, row);
        pixels[static_cast<size_t>(row) * mWidth + col] =
            0xFF000000u | static_cast<unsigned int>(pixel & 0xFFFFFFu);
      }
    }
    XDestroyImage(image);
    return true;
  }

private:
  Display* mDisplay;
  Window mWindow = 0;
  Atom mDeleteWindow = 0;
  int mWidth, mHeight;
  bool mClosed = false;
};
} // namespace

std::unique_ptr<EditWindow> EditWindow::Create(int w, int h, const std::string& title,
                                               std::ostream& err)
{
  Display* display = XOpenDisplay(nullptr);
  if (!display)
  {
    err << "kolvane-host: cannot open the X display\n";
    return nullptr;
  }
  return std::make_unique<X11EditWindow>(display, w, h, title);
}

} // namespace vsthost
