// The validator's checks of the plug-in as part of a running host: calls
// from two threads, the editor opened while audio runs, instances by the
// thousand, and how long audio waits while the UI thread makes requests.

#include "ParentWindow.h"
#include "ProcessMemory.h"
#include "ValidatorSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

namespace vsthost
{
namespace validator
{
namespace
{
// Runs `control` on this thread for `seconds` while another thread feeds
// the instance 64-frame blocks of noise; returns the first problem the
// audio thread saw, or "". `control` gets the round number and returns
// false to stop early.
std::string withAudioRunning(PluginInstance& plugin, double seconds, unsigned criteria,
                             const std::function<bool(int round)>& control, long long* blocks)
{
  std::atomic<bool> stop{false};
  std::string audioProblem;
  std::atomic<long long> processed{0};
  std::thread audio(
      [&]
      {
        Driver driver(plugin, 64);
        Source noise = Noise(7);
        driver.Note(true);
        NoiseSource choice(11);
        const int params = plugin.Effect()->numParams;
        while (!stop.load())
        {
          // Hosts also automate from the audio thread, between blocks.
          if (params > 0 && processed.load() % 8 == 0)
            plugin.SetParameter(choice.Below(params),
                                static_cast<float>(choice.Next() * 0.5 + 0.5));
          const std::string problem = driver.Block(64, noise, criteria);
          ++processed;
          if (!problem.empty())
          {
            audioProblem = Format("block %lld: %s", processed.load(), problem.c_str());
            return;
          }
        }
      });
  const double end = WallClock() + seconds;
  for (int round = 0; WallClock() < end; ++round)
    if (!control(round))
      break;
  stop.store(true);
  audio.join();
  if (blocks)
    *blocks = processed.load();
  return audioProblem;
}

// One random request of the kind a host's UI thread makes while audio
// runs: automation, program changes, state saves and restores, and the
// texts a DAW shows.
class ControlRequests
{
public:
  ControlRequests(PluginInstance& plugin, uint64_t seed)
      : mPlugin(plugin), mRandom(seed), mParams(plugin.Effect()->numParams),
        mPrograms(plugin.Effect()->numPrograms)
  {
  }

  void Next()
  {
    switch (mRandom.Below(7))
    {
    case 0:
      if (mParams > 0)
        mPlugin.SetParameter(mRandom.Below(mParams),
                             static_cast<float>(mRandom.Next() * 0.5 + 0.5));
      break;
    case 1:
      if (mPrograms > 0)
        mPlugin.SetProgram(mRandom.Below(mPrograms));
      break;
    case 2:
    case 3:
    {
      const ChunkType type = mRandom.Below(2) ? ChunkType::Program : ChunkType::Bank;
      if (mPlugin.GetChunk(type, &mChunk) > 0 && !mChunk.empty())
        mPlugin.SetChunk(type, mChunk);
      break;
    }
    case 4:
      if (mParams > 0)
        mPlugin.GetParameter(mRandom.Below(mParams));
      break;
    case 5:
      if (mParams > 0)
        mPlugin.ParamDisplay(mRandom.Below(mParams));
      break;
    default:
      mPlugin.ProgramName();
      break;
    }
    ++mCount;
  }
  long long Count() const { return mCount; }

private:
  PluginInstance& mPlugin;
  NoiseSource mRandom;
  int mParams;
  int mPrograms;
  std::vector<unsigned char> mChunk;
  long long mCount = 0;
};

// ---- Two threads --------------------------------------------------------------

void threads(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  InstanceCase(reporter, session, "threads parameters, programs and chunks while audio runs",
               [&plan](PluginInstance& plugin)
               {
                 ControlRequests requests(plugin, 29);
                 long long blocks = 0;
                 const std::string problem = withAudioRunning(
                     plugin, plan.threadSeconds, kFinite,
                     [&](int)
                     {
                       requests.Next();
                       return true;
                     },
                     &blocks);
                 return Verdict::FailIf(problem, Format("%lld blocks against %lld requests", blocks,
                                                        requests.Count()));
               });
}

// ---- The editor ---------------------------------------------------------------

void editor(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  const std::string name = "editor opened and closed while audio and parameters run";
  if (!(session.Flags() & effFlagsHasEditor))
  {
    reporter.Case(
        name,
        [] { return Verdict::Skip("the plug-in has no editor (effFlagsHasEditor is not set)"); });
    return;
  }
  InstanceCase(reporter, session, name,
               [&plan](PluginInstance& plugin)
               {
                 std::optional<ERect> rect = plugin.EditRect();
                 const int width = rect ? rect->right - rect->left : 0;
                 const int height = rect ? rect->bottom - rect->top : 0;
                 std::string whyNot;
                 std::unique_ptr<ParentWindow> parent =
                     ParentWindow::Create(std::max(width, 100), std::max(height, 100), &whyNot);
                 if (!parent)
                   return Verdict::Skip(whyNot);

                 // Parameters, programs and chunks from a thread of their own, as
                 // a host's automation and preset browser would.
                 std::atomic<bool> stop{false};
                 std::thread others(
                     [&]
                     {
                       ControlRequests requests(plugin, 31);
                       while (!stop.load())
                         requests.Next();
                     });
                 int opened = 0;
                 std::string problem;
                 const std::string audioProblem = withAudioRunning(
                     plugin, plan.threadSeconds, kFinite,
                     [&](int)
                     {
                       // The answer is not judged: some plug-ins answer 0 and still
                       // open. The rectangle tells.
                       plugin.Dispatch(effEditOpen, 0, 0, parent->Handle());
                       ++opened;
                       const std::optional<ERect> open = plugin.EditRect();
                       if (!open || open->right - open->left <= 0 || open->bottom - open->top <= 0)
                       {
                         problem = "the editor is open but effEditGetRect gives no size";
                         plugin.Dispatch(effEditClose);
                         return false;
                       }
                       for (int tick = 0; tick < 5; ++tick)
                       {
                         plugin.Dispatch(effEditIdle);
                         parent->PumpEvents();
                         std::this_thread::sleep_for(std::chrono::milliseconds(10));
                       }
                       plugin.Dispatch(effEditClose);
                       parent->PumpEvents();
                       return true;
                     },
                     nullptr);
                 stop.store(true);
                 others.join();
                 if (!problem.empty())
                   return Verdict::Fail(problem);
                 return Verdict::FailIf(audioProblem, Format("opened and closed %d times", opened));
               });
}

// ---- Instances ----------------------------------------------------------------

// A 20-byte block lost per instance is a leak all the same; the C library's
// allocator filling its caches stays below this once warmed up.
const double kLeakBytesPerInstance = 8.0;

std::string bytes(double value)
{
  if (std::fabs(value) >= 1024.0 * 1024.0)
    return Format("%.1f MiB", value / (1024.0 * 1024.0));
  if (std::fabs(value) >= 1024.0)
    return Format("%.1f KiB", value / 1024.0);
  return Format("%.1f B", value);
}

void instances(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  reporter.Case(Format("instances created and closed %d times", plan.instanceCycles),
                [&session, &plan]
                {
                  const int n = plan.instanceCycles;
                  // The first half warms the allocator up; each later quarter is
                  // measured, and a leak shows in both.
                  long long heap[3] = {0, 0, 0};
                  long long resident = 0;
                  const double start = WallClock();
                  for (int i = 0; i < n; ++i)
                  {
                    if (i == n / 2)
                    {
                      heap[0] = HeapBytesInUse();
                      resident = ResidentBytes();
                    }
                    if (i == 3 * n / 4)
                      heap[1] = HeapBytesInUse();
                    Verdict verdict;
                    std::unique_ptr<PluginInstance> plugin = OpenInstance(session, &verdict);
                    if (!plugin)
                      return Verdict::Fail(Format("instance %d: %s", i, verdict.detail.c_str()));
                  }
                  const double seconds = WallClock() - start;
                  heap[2] = HeapBytesInUse();
                  resident = ResidentBytes() - resident;
                  const int quarter = n - 3 * n / 4;
                  const double leak =
                      static_cast<double>(std::min(heap[1] - heap[0], heap[2] - heap[1])) / quarter;
                  const std::string figures = Format(
                      "%.3f ms per instance; heap %s and resident %s per instance after warming up",
                      seconds * 1e3 / n, bytes(leak).c_str(),
                      bytes(static_cast<double>(resident) / (n - n / 2)).c_str());
                  if (heap[0] < 0)
                    return Verdict::Pass(figures + " (heap not measurable here)");
                  return leak >= kLeakBytesPerInstance ? Verdict::Fail(figures + ": a leak")
                                                       : Verdict::Pass(figures);
                });

  reporter.Case(Format("instances %d alive at once", plan.instancesAlive),
                [&session, &plan]
                {
                  const int n = plan.instancesAlive;
                  const long long heap = HeapBytesInUse();
                  const long long resident = ResidentBytes();
                  std::vector<std::unique_ptr<PluginInstance>> alive;
                  const double start = WallClock();
                  for (int i = 0; i < n; ++i)
                  {
                    Verdict verdict;
                    alive.push_back(OpenInstance(session, &verdict));
                    if (!alive.back())
                      return Verdict::Fail(Format("instance %d: %s", i, verdict.detail.c_str()));
                  }
                  const double seconds = WallClock() - start;
                  // Each plays a block, so that what it allocates for
                  // processing counts.
                  for (std::unique_ptr<PluginInstance>& plugin : alive)
                  {
                    Driver driver(*plugin, kBlock);
                    const std::string problem = driver.Block(kBlock, Noise(), kRobust);
                    if (!problem.empty())
                      return Verdict::Fail(problem);
                  }
                  const double heapEach = static_cast<double>(HeapBytesInUse() - heap) / n;
                  const double residentEach = static_cast<double>(ResidentBytes() - resident) / n;
                  return Verdict::Pass(Format("%.3f ms to open each; heap %s and resident %s per "
                                              "instance",
                                              seconds * 1e3 / n, bytes(heapEach).c_str(),
                                              bytes(residentEach).c_str()));
                });
}

// ---- Audio latency under dispatcher load ----------------------------------------

// Far more than a 64-frame block lasts, and more than the system's
// scheduler delays a thread on a busy machine: a request that holds the
// plug-in's lock this long does file, dialog or other slow work under it.
const double kLongestWaitAllowed = 0.050;

void latency(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  InstanceCase(
      reporter, session, "dispatcher-latency 64-frame blocks against dispatcher calls",
      [&plan](PluginInstance& plugin)
      {
        const int params = plugin.Effect()->numParams;
        const int programs = plugin.Effect()->numPrograms;
        struct Request
        {
          const char* name;
          VstInt32 opcode;
        };
        const Request requests[] = {
            {"effGetChunk bank", effGetChunk},
            {"effGetChunk program", effGetChunk},
            {"effSetChunk program", effSetChunk},
            {"effSetProgram", effSetProgram},
            {"effGetParamDisplay", effGetParamDisplay},
            {"effGetProgramNameIndexed", effGetProgramNameIndexed},
            {"effEditIdle", effEditIdle},
            {"effCanDo", effCanDo},
        };
        const int kinds = sizeof(requests) / sizeof(requests[0]);
        std::atomic<int> current{-1};
        std::atomic<bool> stop{false};
        double longest = 0.0;
        int longestDuring = -1;
        std::vector<double> waits;
        std::string problem;

        std::thread audio(
            [&]
            {
              Driver driver(plugin, 64);
              Source noise = Noise(59);
              const auto period = std::chrono::duration<double>(64.0 / kRate);
              auto next = std::chrono::steady_clock::now();
              while (!stop.load())
              {
                const double begin = WallClock();
                const std::string p = driver.Block(64, noise, kFinite);
                const double wait = WallClock() - begin;
                const int during = current.load();
                waits.push_back(wait);
                if (wait > longest)
                {
                  longest = wait;
                  longestDuring = during;
                }
                if (!p.empty() && problem.empty())
                  problem = p;
                // Paced like a sound card: the next block is due one block
                // later, not as soon as this one is done.
                next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
                const auto now = std::chrono::steady_clock::now();
                if (next > now)
                  std::this_thread::sleep_until(next);
                else
                  next = now;
              }
            });

        std::vector<unsigned char> chunk;
        NoiseSource random(61);
        long long calls = 0;
        const double end = WallClock() + plan.latencySeconds;
        char text[1024];
        while (WallClock() < end)
        {
          const int kind = random.Below(kinds);
          current.store(kind);
          switch (kind)
          {
          case 0:
            plugin.GetChunk(ChunkType::Bank, &chunk);
            break;
          case 1:
            plugin.GetChunk(ChunkType::Program, &chunk);
            break;
          case 2:
            if (!chunk.empty())
              plugin.SetChunk(ChunkType::Program, chunk);
            break;
          case 3:
            if (programs > 0)
              plugin.SetProgram(random.Below(programs));
            break;
          case 4:
            if (params > 0)
              plugin.Dispatch(effGetParamDisplay, random.Below(params), 0, text);
            break;
          case 5:
            if (programs > 0)
              plugin.Dispatch(effGetProgramNameIndexed, random.Below(programs), 0, text);
            break;
          case 6:
            plugin.Dispatch(effEditIdle);
            break;
          default:
            plugin.CanDo("receiveVstTimeInfo");
            break;
          }
          current.store(-1);
          ++calls;
          // A busy UI thread, not a loop that never lets go: every lock is
          // unfair somewhere, and a thread that takes it back at once
          // starves the other on any of them. A millisecond, because
          // shorter sleeps do not sleep on Windows.
          if (calls % 4 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        stop.store(true);
        audio.join();

        if (!problem.empty())
          return Verdict::Fail(problem);
        std::sort(waits.begin(), waits.end());
        const double p99 = waits.empty() ? 0.0 : waits[waits.size() * 99 / 100];
        const std::string figures =
            Format("longest wait %.3f ms%s%s for a block of %.2f ms, 99%% within %.3f ms, over %d "
                   "blocks and %lld dispatcher calls",
                   longest * 1e3, longestDuring >= 0 ? " during " : "",
                   longestDuring >= 0 ? requests[longestDuring].name : "", 64.0 / kRate * 1e3,
                   p99 * 1e3, static_cast<int>(waits.size()), calls);
        return longest > kLongestWaitAllowed
                   ? Verdict::Fail(figures +
                                   Format(", more than %.0f ms", kLongestWaitAllowed * 1e3))
                   : Verdict::Pass(figures);
      });
}

} // namespace

std::vector<Check> RuntimeChecks()
{
  return {
      {"threads", threads},
      {"editor", editor},
      {"instances", instances},
      {"dispatcher-latency", latency},
  };
}

} // namespace validator
} // namespace vsthost
