// kolvane-host edit on every system: the plug-in, its editor in the
// platform's EditWindow, audio and automation threads, the log and the
// pictures.

#include "Edit.h"
#include "lice.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <thread>

namespace vsthost
{
namespace
{
const int kIdleMs = 20;
// The content-scale call: effVendorSpecific with 'PreS' and 'AeCs'.
const VstInt32 kContentScaleIndex = 0x50726553;
const VstIntPtr kContentScaleValue = 0x41654373;

// SIGTERM and SIGINT end the run the way closing the window does, so the
// log and the picture are complete.
volatile std::sig_atomic_t sQuit = 0;

void OnQuitSignal(int)
{
  sQuit = 1;
}

int FindParameter(PluginInstance& instance, const std::string& name)
{
  const int n = instance.Effect() ? instance.Effect()->numParams : 0;
  for (int i = 0; i < n; ++i)
  {
    if (instance.ParamName(i) == name)
      return i;
  }
  return -1;
}

std::string LogLine(const HostCall& call)
{
  char line[64];
  switch (call.kind)
  {
  case HostCall::Automate:
    std::snprintf(line, sizeof line, "automate %d %.6f\n", call.index, call.value);
    break;
  case HostCall::BeginEdit:
    std::snprintf(line, sizeof line, "begin %d\n", call.index);
    break;
  case HostCall::EndEdit:
    std::snprintf(line, sizeof line, "end %d\n", call.index);
    break;
  default:
    return std::string();
  }
  return line;
}

// "KIND I V" for every parameter, as the log opens and closes.
void LogParameters(std::ofstream& log, PluginInstance& instance, const char* kind)
{
  for (int i = 0; i < instance.Effect()->numParams; ++i)
  {
    char line[64];
    std::snprintf(line, sizeof line, "%s %d %.6f\n", kind, i, instance.GetParameter(i));
    log << line;
  }
  log.flush();
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

bool WriteScreenshot(EditWindow& window, const std::string& file)
{
  const int w = window.Width(), h = window.Height();
  std::vector<unsigned int> pixels;
  if (!window.Capture(pixels) || pixels.size() != static_cast<size_t>(w) * h)
    return false;
  LICE_MemBitmap bitmap(w, h);
  for (int y = 0; y < h; ++y)
  {
    for (int x = 0; x < w; ++x)
      bitmap.getBits()[y * bitmap.getRowSpan() + x] = pixels[static_cast<size_t>(y) * w + x];
  }
  // The fastest compression: pictures are taken while the editor runs, and
  // a slow one (seconds at 200 % on an emulated machine) leaves the editor
  // no time to draw between them.
  return LICE_WritePNG(file.c_str(), &bitmap, 1);
}

bool FileExists(const std::string& path)
{
  if (path.empty())
    return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f)
    std::fclose(f);
  return f != nullptr;
}

// Real-time audio with the transport running: a quiet sine in, the output
// dropped. Paced by the clock, so the steps and the LEDs move as in a DAW.
void PlayUntil(PluginInstance& instance, const std::atomic<bool>& stop)
{
  const int n = instance.BlockSize();
  const double rate = instance.SampleRate();
  std::vector<float> in[2], out[2];
  float* inputs[2];
  float* outputs[2];
  for (int c = 0; c < 2; ++c)
  {
    in[c].assign(static_cast<size_t>(n), 0.0f);
    out[c].assign(static_cast<size_t>(n), 0.0f);
    inputs[c] = in[c].data();
    outputs[c] = out[c].data();
  }
  long long frame = 0;
  const auto start = std::chrono::steady_clock::now();
  while (!stop.load())
  {
    for (int i = 0; i < n; ++i, ++frame)
      in[0][i] = in[1][i] = 0.25f * static_cast<float>(std::sin(frame * 0.0627));
    instance.ProcessReplacing(inputs, outputs, n);
    std::this_thread::sleep_until(
        start + std::chrono::microseconds(static_cast<long long>(frame * 1e6 / rate)));
  }
}

// Every parameter to a new value each period; back to where they started
// at the end.
void AutomateUntil(PluginInstance& instance, int periodMs, const std::atomic<bool>& stop)
{
  const int n = instance.Effect()->numParams;
  std::vector<float> initial(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    initial[i] = instance.GetParameter(i);
  unsigned int seed = 12345;
  while (!stop.load())
  {
    for (int i = 0; i < n; ++i)
    {
      seed = seed * 1664525u + 1013904223u;
      instance.SetParameter(i, static_cast<float>((seed >> 8) & 0xFFFF) / 65535.0f);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(periodMs));
  }
  for (int i = 0; i < n; ++i)
    instance.SetParameter(i, initial[i]);
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
  if (options.contentScale > 0)
  {
    const VstIntPtr answer = instance->VendorSpecific(
        kContentScaleIndex, kContentScaleValue, nullptr, static_cast<float>(options.contentScale));
    out << "content scale " << options.contentScale << ": " << (answer ? "taken" : "not taken")
        << '\n';
  }
  const std::optional<ERect> rect = instance->EditRect();
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
  std::unique_ptr<EditWindow> window =
      EditWindow::Create(w, h, "kolvane-host: " + instance->EffectName(), err);
  if (!window)
    return 1;
  // The editor may ask for another size: when it learns its scale on
  // opening, or when the user or the host changes it.
  instance->SetSizeWindowHandler(
      [&](int width, int height)
      {
        if (!window->Resize(width, height))
          return false;
        out << "editor resized: " << width << "x" << height << '\n';
        out.flush();
        return true;
      });
  instance->ClearHostCalls();
  if (log.is_open())
    LogParameters(log, *instance, "initial");
  if (!instance->Dispatch(effEditOpen, 0, 0, window->Handle()))
  {
    err << "kolvane-host: the plug-in did not open its editor\n";
    return 1;
  }
  out << "editor open: " << window->Width() << "x" << window->Height() << '\n';
  out.flush();

  // What the plug-in told the host, in the order it did.
  auto flushLog = [&]
  {
    for (const HostCall& call : instance->TakeHostCalls())
    {
      if (log.is_open())
        log << LogLine(call);
    }
    if (log.is_open())
      log.flush();
  };
  auto idle = [&]
  {
    instance->Dispatch(effEditIdle);
    flushLog();
  };

  std::atomic<bool> stopAudio{false}, stopAutomation{false};
  std::thread audio, automation;
  if (options.play)
    audio = std::thread([&] { PlayUntil(*instance, stopAudio); });
  if (options.automateEveryMs > 0)
    automation =
        std::thread([&] { AutomateUntil(*instance, options.automateEveryMs, stopAutomation); });

  sQuit = 0;
  std::signal(SIGTERM, OnQuitSignal);
  std::signal(SIGINT, OnQuitSignal);
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  // The automation stops a little before the end, so that the editor has
  // time to show the values it ends with.
  const double settle = options.automateEveryMs > 0 ? 0.5 : 0.0;
  const bool numbered = options.screenshotEveryMs > 0 && !options.screenshot.empty();
  auto nextShot = start + std::chrono::milliseconds(options.screenshotEveryMs);
  int shots = 0;
  bool open = true;
  while (open && !sQuit && !FileExists(options.stopFile))
  {
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (options.seconds > 0 && elapsed >= options.seconds - settle)
      break;
    open = window->Run(kIdleMs, idle);
    if (numbered && Clock::now() >= nextShot)
    {
      // Where the transport stood when the picture was taken, so that a
      // test can tell which step should be lit.
      const double ppq = instance->TransportState().PpqPos();
      WriteScreenshot(*window, NumberedName(options.screenshot, shots));
      if (log.is_open())
      {
        char line[64];
        std::snprintf(line, sizeof line, "shot %d %.6f\n", shots, ppq);
        log << line;
        log.flush();
      }
      ++shots;
      // A picture that took longer than the interval (writing it can, on a
      // slow machine) brings the next one no closer: taken back to back,
      // they would leave the editor one idle tick between them, and each
      // would show what the editor drew before the previous one.
      const auto interval = std::chrono::milliseconds(options.screenshotEveryMs);
      nextShot = std::max(nextShot + interval, Clock::now() + interval);
    }
  }
  stopAutomation = true;
  if (automation.joinable())
    automation.join();
  if (open && settle > 0)
    open = window->Run(static_cast<int>(settle * 1000), idle);

  int result = 0;
  if (!options.screenshot.empty() && !WriteScreenshot(*window, options.screenshot))
  {
    err << "kolvane-host: cannot write " << options.screenshot << '\n';
    result = 1;
  }
  stopAudio = true;
  if (audio.joinable())
    audio.join();
  instance->Dispatch(effEditClose);
  instance->SetSizeWindowHandler(nullptr);
  flushLog();
  if (log.is_open())
    LogParameters(log, *instance, "param");
  instance->Close();
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGINT, SIG_DFL);
  return result;
}

} // namespace vsthost
