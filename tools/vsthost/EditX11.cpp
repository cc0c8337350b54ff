// `kolvane-host edit` on X11: a top-level window holds the plug-in's editor.

#include "Edit.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace vsthost
{
namespace
{
const auto kIdleInterval = std::chrono::milliseconds(20);

// SIGTERM and SIGINT close the editor the way the user would, so the log
// and the screenshot are complete.
volatile std::sig_atomic_t sQuit = 0;

void OnQuitSignal(int)
{
  sQuit = 1;
}

// Saves the screen region (x, y, w, h) as an RGBA PNG: what the user sees,
// not what the plug-in believes it drew.
bool SaveScreen(Display* display, int x, int y, int w, int h, const std::string& path)
{
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), AllPlanes, ZPixmap);
  if (!image)
    return false;
  std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col)
    {
      const unsigned long pixel = XGetPixel(image, col, row);
      unsigned char* out = &rgba[(static_cast<size_t>(row) * w + col) * 4];
      out[0] = static_cast<unsigned char>((pixel & image->red_mask) >> 16);
      out[1] = static_cast<unsigned char>((pixel & image->green_mask) >> 8);
      out[2] = static_cast<unsigned char>(pixel & image->blue_mask);
      out[3] = 255;
    }
  XDestroyImage(image);
  png_image png;
  std::memset(&png, 0, sizeof(png));
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(w);
  png.height = static_cast<png_uint_32>(h);
  png.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&png, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

void WriteLog(std::FILE* log, const std::vector<HostCall>& calls)
{
  if (!log)
    return;
  for (const HostCall& call : calls)
  {
    switch (call.kind)
    {
    case HostCall::BeginEdit:
      std::fprintf(log, "beginEdit %d\n", call.index);
      break;
    case HostCall::Automate:
      std::fprintf(log, "automate %d %.9g\n", call.index, static_cast<double>(call.value));
      break;
    case HostCall::EndEdit:
      std::fprintf(log, "endEdit %d\n", call.index);
      break;
    default:
      break;
    }
  }
  std::fflush(log);
}
} // namespace

int RunEdit(const EditOptions& options, const HostSettings& settings, std::ostream& error)
{
  std::string why;
  std::unique_ptr<PluginInstance> plug = PluginInstance::Open(options.plugin, settings, &why);
  if (!plug)
  {
    error << "kolvane-host: cannot open " << options.plugin << ": " << why << '\n';
    return 1;
  }
  if (!(plug->Effect()->flags & effFlagsHasEditor))
  {
    error << "kolvane-host: " << options.plugin << " has no editor\n";
    return 1;
  }
  const std::optional<ERect> rect = plug->EditRect();
  if (!rect)
  {
    error << "kolvane-host: " << options.plugin << " gives no editor size\n";
    return 1;
  }
  const int w = rect->right - rect->left, h = rect->bottom - rect->top;
  Display* display = XOpenDisplay(nullptr);
  if (!display)
  {
    error << "kolvane-host: cannot open the X display\n";
    return 1;
  }
  std::FILE* log = nullptr;
  if (!options.log.empty() && !(log = std::fopen(options.log.c_str(), "w")))
  {
    error << "kolvane-host: cannot write " << options.log << '\n';
    XCloseDisplay(display);
    return 1;
  }

  const Window window =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(w),
                          static_cast<unsigned>(h), 0, 0, 0);
  const std::string title = "kolvane-host: " + plug->EffectName();
  XStoreName(display, window, title.c_str());
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &deleteWindow, 1);
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  // The plug-in makes its window on its own connection: ours must exist on
  // the server first.
  XSync(display, False);
  plug->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(window));

  std::atomic<bool> playing{options.play};
  std::thread audio;
  if (options.play)
  {
    audio = std::thread(
        [&]
        {
          const int frames = plug->BlockSize();
          std::vector<float> in0(static_cast<size_t>(frames)), in1(in0), out0(in0), out1(in0);
          float* inputs[2] = {in0.data(), in1.data()};
          float* outputs[2] = {out0.data(), out1.data()};
          const auto block = std::chrono::duration<double>(frames / plug->SampleRate());
          auto due = std::chrono::steady_clock::now();
          while (playing.load())
          {
            plug->ProcessReplacing(inputs, outputs, frames);
            due += std::chrono::duration_cast<std::chrono::steady_clock::duration>(block);
            std::this_thread::sleep_until(due);
          }
        });
  }

  sQuit = 0;
  std::signal(SIGTERM, OnQuitSignal);
  std::signal(SIGINT, OnQuitSignal);
  const auto start = std::chrono::steady_clock::now();
  bool open = true;
  while (open && !sQuit)
  {
    plug->Dispatch(effEditIdle);
    WriteLog(log, plug->TakeHostCalls());
    while (XPending(display) > 0)
    {
      XEvent event;
      XNextEvent(display, &event);
      if ((event.type == ClientMessage &&
           static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) ||
          event.type == DestroyNotify)
        open = false;
    }
    if (options.seconds > 0 &&
        std::chrono::steady_clock::now() - start >= std::chrono::duration<double>(options.seconds))
      break;
    std::this_thread::sleep_for(kIdleInterval);
  }

  int status = 0;
  if (!options.screenshot.empty())
  {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    if (!SaveScreen(display, x, y, w, h, options.screenshot))
    {
      error << "kolvane-host: cannot write " << options.screenshot << '\n';
      status = 1;
    }
  }
  plug->Dispatch(effEditClose);
  playing = false;
  if (audio.joinable())
    audio.join();
  WriteLog(log, plug->TakeHostCalls());
  if (log)
    std::fclose(log);
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  plug->Close();
  return status;
}
} // namespace vsthost
