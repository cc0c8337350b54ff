// kolvane-host edit on Windows: a borderless top-level window at (0, 0)
// holding the plug-in's editor, a 20 ms idle timer, and optional audio and
// automation threads.

#include "Edit.h"
#include "lice.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <thread>
#include <vector>

namespace vsthost
{
namespace
{
const char* const kHostClass = "KolvaneHostWindow";
const char* const kHostTitle = "Kolvane Host";
const UINT_PTR kIdleTimer = 1;
const UINT kIdleMs = 20;

struct EditRun
{
  PluginInstance* instance;
  std::ofstream* log;
};

EditRun* gRun = nullptr;

// Appends what the plug-in told the host since the last call.
void FlushLog()
{
  if (!gRun || !gRun->log)
    return;
  for (const HostCall& call : gRun->instance->TakeHostCalls())
  {
    if (call.kind != HostCall::UpdateDisplay)
      *gRun->log << LogLine(call);
  }
  gRun->log->flush();
}

LRESULT CALLBACK HostWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_TIMER && wParam == kIdleTimer && gRun)
  {
    gRun->instance->Dispatch(effEditIdle);
    FlushLog();
    return 0;
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

// The pixels of (0, 0, w, h) as the screen shows them.
bool WriteScreenshot(const std::string& file, int w, int h)
{
  LICE_SysBitmap bitmap(w, h);
  HDC screen = GetDC(nullptr);
  HDC dc = static_cast<HDC>(bitmap.getDC());
  const bool copied = screen && dc && BitBlt(dc, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  if (screen)
    ReleaseDC(nullptr, screen);
  if (!copied)
    return false;
  GdiFlush();
  LICE_pixel* bits = bitmap.getBits();
  for (int y = 0; y < h; ++y)
  {
    for (int x = 0; x < w; ++x)
      bits[y * bitmap.getRowSpan() + x] |= 0xFF000000u; // the screen has no alpha
  }
  return LICE_WritePNG(file.c_str(), &bitmap);
}

std::string NumberedName(const std::string& file, int n)
{
  const size_t dot = file.rfind('.');
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "-%03d", n);
  if (dot == std::string::npos)
    return file + suffix;
  return file.substr(0, dot) + suffix + file.substr(dot);
}

// Runs the message loop for ms milliseconds, or until the stop file
// appears (checked every 20 ms); false when it did.
bool PumpFor(DWORD ms, const std::string& stopFile)
{
  const DWORD end = GetTickCount() + ms;
  for (;;)
  {
    if (!stopFile.empty() && GetFileAttributesA(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES)
      return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0)
      return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now < 20 ? end - now : 20, QS_ALLINPUT);
  }
}
} // namespace

int RunEdit(const EditOptions& options, std::ostream& out, std::ostream& err)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance =
      PluginInstance::Open(options.plugin, options.settings, &error);
  if (!instance)
  {
    err << "kolvane-host: " << options.plugin << ": " << error << '\n';
    return 1;
  }
  for (const auto& param : options.params)
  {
    const int index = FindParameter(*instance, param.first);
    if (index < 0)
    {
      err << "kolvane-host: no parameter '" << param.first << "'\n";
      return 1;
    }
    instance->SetParameter(index, static_cast<float>(param.second));
  }
  if (!(instance->Effect()->flags & effFlagsHasEditor))
  {
    err << "kolvane-host: " << options.plugin << " has no editor\n";
    return 1;
  }
  std::optional<ERect> rect = instance->EditRect();
  if (!rect)
  {
    err << "kolvane-host: the plug-in gave no editor size\n";
    return 1;
  }
  const int w = rect->right - rect->left, h = rect->bottom - rect->top;

  std::ofstream log;
  if (!options.log.empty())
  {
    log.open(options.log);
    if (!log)
    {
      err << "kolvane-host: cannot write " << options.log << '\n';
      return 1;
    }
  }
  instance->ClearHostCalls();
  if (log.is_open())
  {
    for (int i = 0; i < instance->Effect()->numParams; ++i)
    {
      char line[64];
      std::snprintf(line, sizeof line, "initial %d %.6f\n", i, instance->GetParameter(i));
      log << line;
    }
    log.flush();
  }
  EditRun run{instance.get(), options.log.empty() ? nullptr : &log};
  gRun = &run;

  WNDCLASSA wndClass = {};
  wndClass.lpfnWndProc = HostWndProc;
  wndClass.hInstance = GetModuleHandleA(nullptr);
  wndClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wndClass.lpszClassName = kHostClass;
  RegisterClassA(&wndClass);
  HWND wnd = CreateWindowExA(0, kHostClass, kHostTitle, WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr,
                             nullptr, wndClass.hInstance, nullptr);
  if (!wnd)
  {
    err << "kolvane-host: the host's window could not be made (error " << GetLastError() << ")\n";
    gRun = nullptr;
    return 1;
  }
  if (!instance->Dispatch(effEditOpen, 0, 0, wnd))
  {
    err << "kolvane-host: the plug-in did not open its editor (error " << GetLastError() << ")\n";
    DestroyWindow(wnd);
    gRun = nullptr;
    return 1;
  }
  SetTimer(wnd, kIdleTimer, kIdleMs, nullptr);
  out << "editor open: " << w << "x" << h << '\n';
  out.flush();

  std::atomic<bool> stop{false};
  std::thread audio, automation;
  if (options.play)
  {
    audio = std::thread(
        [&]
        {
          const int n = instance->BlockSize();
          const double rate = instance->SampleRate();
          std::vector<float> in[2], outBuf[2];
          float* inputs[2];
          float* outputs[2];
          for (int c = 0; c < 2; ++c)
          {
            in[c].assign(n, 0.0f);
            outBuf[c].assign(n, 0.0f);
            inputs[c] = in[c].data();
            outputs[c] = outBuf[c].data();
          }
          long long frame = 0;
          const auto start = std::chrono::steady_clock::now();
          while (!stop.load())
          {
            for (int i = 0; i < n; ++i, ++frame)
              in[0][i] = in[1][i] = 0.25f * static_cast<float>(std::sin(frame * 0.0627));
            instance->ProcessReplacing(inputs, outputs, n);
            std::this_thread::sleep_until(
                start + std::chrono::microseconds(static_cast<long long>(frame * 1e6 / rate)));
          }
        });
  }
  if (options.automateEveryMs > 0)
  {
    automation = std::thread(
        [&]
        {
          const int n = instance->Effect()->numParams;
          std::vector<float> initial(n);
          for (int i = 0; i < n; ++i)
            initial[i] = instance->GetParameter(i);
          unsigned int seed = 12345;
          while (!stop.load())
          {
            for (int i = 0; i < n; ++i)
            {
              seed = seed * 1664525u + 1013904223u;
              instance->SetParameter(i, static_cast<float>((seed >> 8) & 0xFFFF) / 65535.0f);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(options.automateEveryMs));
          }
          for (int i = 0; i < n; ++i)
            instance->SetParameter(i, initial[i]);
        });
  }

  const DWORD totalMs = static_cast<DWORD>(options.seconds * 1000.0);
  int shots = 0;
  if (options.screenshotEveryMs > 0 && !options.screenshot.empty())
  {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < totalMs)
    {
      if (!PumpFor(options.screenshotEveryMs, options.stopFile))
        break;
      // Where the transport stood when the picture was taken, so that a
      // test can tell which step should be lit.
      const double ppq = instance->TransportState().PpqPos();
      WriteScreenshot(NumberedName(options.screenshot, shots), w, h);
      if (log.is_open())
      {
        char line[64];
        std::snprintf(line, sizeof line, "shot %d %.6f\n", shots, ppq);
        log << line;
        log.flush();
      }
      ++shots;
    }
  }
  else
  {
    // The automation stops a little before the end, so the editor has
    // time to show the values it ends with.
    const DWORD settle = options.automateEveryMs > 0 ? 500 : 0;
    PumpFor(totalMs > settle ? totalMs - settle : 0, options.stopFile);
    stop.store(true);
    if (automation.joinable())
      automation.join();
    PumpFor(settle, std::string());
  }
  stop.store(true);
  if (automation.joinable())
    automation.join();

  int result = 0;
  if (!options.screenshot.empty() && !WriteScreenshot(options.screenshot, w, h))
  {
    err << "kolvane-host: cannot write " << options.screenshot << '\n';
    result = 1;
  }
  if (audio.joinable())
    audio.join();
  KillTimer(wnd, kIdleTimer);
  instance->Dispatch(effEditClose);
  // The top-level window goes with the process: destroying or hiding it
  // under Wine without a window manager waits two seconds for the
  // window manager's answer.
  FlushLog();
  if (log.is_open())
  {
    for (int i = 0; i < instance->Effect()->numParams; ++i)
    {
      char line[64];
      std::snprintf(line, sizeof line, "param %d %.6f\n", i, instance->GetParameter(i));
      log << line;
    }
  }
  gRun = nullptr;
  instance->Close();
  UnregisterClassA(kHostClass, wndClass.hInstance);
  return result;
}

} // namespace vsthost
