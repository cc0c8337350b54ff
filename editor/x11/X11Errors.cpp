#include "X11Private.h"

#include <map>
#include <mutex>

// ---- X errors ---------------------------------------------------------------
// The handler is the process's, shared by every editor instance: its state
// has a lock of its own.
namespace
{
std::mutex sErrorMutex;
// Each watched connection with the code of its last unread error (0: none).
std::map<Display*, int> sWatched;
int (*sPreviousHandler)(Display*, XErrorEvent*) = nullptr;
bool sHandlerInstalled = false;

int OnXError(Display* display, XErrorEvent* error)
{
  {
    std::lock_guard<std::mutex> lock(sErrorMutex);
    auto watched = sWatched.find(display);
    if (watched != sWatched.end())
    {
      watched->second = error->error_code;
      return 0;
    }
  }
  return sPreviousHandler ? sPreviousHandler(display, error) : 0;
}
} // namespace

namespace x11
{
void WatchErrors(Display* display)
{
  std::lock_guard<std::mutex> lock(sErrorMutex);
  if (!sHandlerInstalled)
  {
    sPreviousHandler = XSetErrorHandler(OnXError);
    sHandlerInstalled = true;
  }
  sWatched[display] = 0;
}

void UnwatchErrors(Display* display)
{
  std::lock_guard<std::mutex> lock(sErrorMutex);
  sWatched.erase(display);
  if (sWatched.empty() && sHandlerInstalled)
  {
    // The module may be unloaded next: leave no pointer into it behind,
    // unless someone installed another handler over ours meanwhile.
    int (*current)(Display*, XErrorEvent*) = XSetErrorHandler(sPreviousHandler);
    if (current != OnXError)
    {
      XSetErrorHandler(current);
    }
    sHandlerInstalled = false;
    sPreviousHandler = nullptr;
  }
}

bool SyncFailed(Display* display)
{
  XSync(display, False);
  std::lock_guard<std::mutex> lock(sErrorMutex);
  auto watched = sWatched.find(display);
  if (watched == sWatched.end())
    return false;
  const bool failed = watched->second != 0;
  watched->second = 0;
  return failed;
}
} // namespace x11
