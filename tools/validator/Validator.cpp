#include "Validator.h"

#include "ValidatorSupport.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define KOLVANE_VALIDATOR_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOLVANE_VALIDATOR_SANITIZED 1
#endif
#endif

namespace vsthost
{
namespace
{
using namespace validator;

const char* tag(Outcome outcome)
{
  switch (outcome)
  {
  case Outcome::Passed:
    return "pass";
  case Outcome::Failed:
    return "FAIL";
  case Outcome::Skipped:
    break;
  }
  return "skip";
}

std::string line(const CheckResult& result)
{
  return std::string(tag(result.outcome)) + "  " + result.name +
         (result.detail.empty() ? "" : ": " + result.detail);
}

std::string summary(int passed, int failed, int skipped)
{
  return Format("validate: %d passed, %d failed, %d skipped", passed, failed, skipped);
}

// The run in progress, as the watchdog and the crash handlers see it: a
// plug-in that hangs or crashes ends the process, and the last words name
// the case that was running.
struct Run
{
  std::mutex mutex;
  std::string current; // empty between cases
  double started = 0.0;
  double timeout = 0.0;
  int passed = 0;
  int failed = 0;
  int skipped = 0;
};
Run* gRun = nullptr;

// Not async-signal-safe, and need not be: the process ends right after.
[[noreturn]] void endRun(const std::string& why)
{
  std::string name = "(between cases)";
  int passed = 0, failed = 0, skipped = 0;
  if (gRun)
  {
    name = gRun->current.empty() ? name : gRun->current;
    passed = gRun->passed;
    failed = gRun->failed;
    skipped = gRun->skipped;
  }
  std::fprintf(stdout, "FAIL  %s: %s\n%s\n", name.c_str(), why.c_str(),
               summary(passed, failed + 1, skipped).c_str());
  std::fflush(stdout);
  std::_Exit(1);
}

#ifndef KOLVANE_VALIDATOR_SANITIZED
void onSignal(int signal)
{
  endRun(Format("the plug-in crashed (signal %d)", signal));
}
#endif

#ifdef _WIN32
LONG WINAPI onException(EXCEPTION_POINTERS* info)
{
  endRun(Format("the plug-in crashed (exception 0x%08lX)",
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode)));
}
#endif

// The crash handlers for the length of a run; the process's own come back
// after it, so that a crash elsewhere is not blamed on a case. Under a
// sanitizer there are none: its own report says far more.
class CrashHandlers
{
public:
#ifdef KOLVANE_VALIDATOR_SANITIZED
  CrashHandlers() {}
#else
  CrashHandlers()
  {
    for (size_t i = 0; i < kCount; ++i)
      mPrevious[i] = std::signal(kSignals[i], onSignal);
#ifdef _WIN32
    mPreviousFilter = SetUnhandledExceptionFilter(onException);
#endif
  }
  ~CrashHandlers()
  {
    for (size_t i = 0; i < kCount; ++i)
      std::signal(kSignals[i], mPrevious[i]);
#ifdef _WIN32
    SetUnhandledExceptionFilter(mPreviousFilter);
#endif
  }
#endif
  CrashHandlers(const CrashHandlers&) = delete;
  CrashHandlers& operator=(const CrashHandlers&) = delete;

#ifndef KOLVANE_VALIDATOR_SANITIZED
private:
  static constexpr size_t kCount = 4;
  const int kSignals[kCount] = {SIGSEGV, SIGFPE, SIGILL, SIGABRT};
  void (*mPrevious[kCount])(int) = {};
#ifdef _WIN32
  LPTOP_LEVEL_EXCEPTION_FILTER mPreviousFilter = nullptr;
#endif
#endif
};

// Ends the run when one case takes longer than the time-out: a deadlock
// would otherwise hang it for good.
class Watchdog
{
public:
  explicit Watchdog(Run& run) : mRun(run), mThread([this] { Watch(); }) {}
  ~Watchdog()
  {
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mStop = true;
    }
    mWake.notify_all();
    mThread.join();
  }

private:
  void Watch()
  {
    std::unique_lock<std::mutex> lock(mMutex);
    while (!mWake.wait_for(lock, std::chrono::milliseconds(100), [this] { return mStop; }))
    {
      std::lock_guard<std::mutex> runLock(mRun.mutex);
      if (!mRun.current.empty() && WallClock() - mRun.started > mRun.timeout)
        endRun(
            Format("did not finish within %.0f s: the plug-in hangs or deadlocks", mRun.timeout));
    }
  }

  Run& mRun;
  std::mutex mMutex;
  std::condition_variable mWake;
  bool mStop = false;
  std::thread mThread;
};

class RunReporter : public Reporter
{
public:
  RunReporter(Run& run, const ValidatorOptions& options, ValidationReport& report,
              std::ostream* progress)
      : mRun(run), mOptions(options), mReport(report), mProgress(progress)
  {
  }

  void Case(const std::string& name, const std::function<Verdict()>& run) override
  {
    if (!Selected(name))
      return;
    {
      std::lock_guard<std::mutex> lock(mRun.mutex);
      mRun.current = name;
      mRun.started = WallClock();
    }
    Verdict verdict;
    try
    {
      verdict = run();
    }
    catch (const std::exception& error)
    {
      verdict = Verdict::Fail(std::string("an exception escaped: ") + error.what());
    }
    catch (...)
    {
      verdict = Verdict::Fail("an exception escaped");
    }

    CheckResult result;
    result.name = name;
    result.outcome = verdict.outcome;
    result.detail = verdict.detail;
    {
      std::lock_guard<std::mutex> lock(mRun.mutex);
      mRun.current.clear();
      int& count = result.outcome == Outcome::Passed   ? mRun.passed
                   : result.outcome == Outcome::Failed ? mRun.failed
                                                       : mRun.skipped;
      ++count;
      mReport.passed = mRun.passed;
      mReport.failed = mRun.failed;
      mReport.skipped = mRun.skipped;
    }
    mReport.results.push_back(result);
    if (mProgress)
      *mProgress << line(result) << std::endl;
  }

private:
  bool Selected(const std::string& name) const
  {
    if (mOptions.only.empty())
      return true;
    for (const std::string& part : mOptions.only)
      if (name.find(part) != std::string::npos)
        return true;
    return false;
  }

  Run& mRun;
  const ValidatorOptions& mOptions;
  ValidationReport& mReport;
  std::ostream* mProgress;
};
} // namespace

const CheckResult* ValidationReport::Find(const std::string& name) const
{
  for (const CheckResult& result : results)
    if (result.name == name)
      return &result;
  return nullptr;
}

ValidationReport Validate(const std::string& path, const ValidatorOptions& options,
                          std::ostream* progress)
{
  ValidationReport report;
  std::shared_ptr<PluginModule> module = PluginModule::Load(path, &report.loadError);
  if (!module)
    return report;
  {
    std::unique_ptr<PluginInstance> first =
        PluginInstance::Open(module, options.settings, &report.loadError);
    if (!first)
      return report;
    report.loadError.clear();
  }

  Run run;
  run.timeout = options.timeoutSeconds;
  Run* previous = gRun;
  gRun = &run;
  {
    CrashHandlers handlers;
    Watchdog watchdog(run);
    validator::Session session(module, options);
    RunReporter reporter(run, options, report, progress);
    for (const Check& check : Checks())
      check.run(session, reporter);
  }
  gRun = previous;
  return report;
}

int RunValidation(const std::string& path, const ValidatorOptions& options, std::ostream& out,
                  std::ostream& err)
{
  out << "validating " << path << " at level " << PlanFor(options.level).level << std::endl;
  const ValidationReport report = Validate(path, options, &out);
  if (!report.loadError.empty())
  {
    err << "kolvane-host: " << report.loadError << '\n';
    return 2;
  }
  out << summary(report.passed, report.failed, report.skipped) << std::endl;
  return report.failed > 0 ? 1 : 0;
}

} // namespace vsthost
