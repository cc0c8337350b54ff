// The editor's pixels in a shared-memory segment (the MIT-SHM extension of
// libXext): a local server reads them where they are instead of receiving
// every frame through the connection's socket.

#include "X11Private.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace x11
{
namespace
{
bool NativeByteOrderIsLSBFirst()
{
  const std::uint32_t one = 1;
  unsigned char first = 0;
  std::memcpy(&first, &one, 1);
  return first == 1;
}
} // namespace

bool IsLocal(Display* display)
{
  // Only a server on this machine sees this machine's segments; over TCP,
  // even to the loopback address, the connection is treated as remote.
  sockaddr_storage address;
  socklen_t length = sizeof(address);
  std::memset(&address, 0, sizeof(address));
  if (getsockname(ConnectionNumber(display), reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return false;
  return address.ss_family == AF_UNIX;
}

bool AttachSegment(Display* display, XShmSegmentInfo* info)
{
  // A server that cannot reach the segment (another IPC namespace, another
  // user's limits) answers with an X error, asynchronously: wait for it
  // here, while the error is known to be this request's.
  SyncFailed(display);
  if (!XShmAttach(display, info))
    return false;
  if (SyncFailed(display))
    return false;
  return true;
}

SharedImage::~SharedImage()
{
  if (mImage)
  {
    XShmDetach(mDisplay, &mInfo);
    // The server has let go before the segment is unmapped here.
    XSync(mDisplay, False);
    mImage->data = nullptr;
    XDestroyImage(mImage);
  }
  if (mInfo.shmaddr && mInfo.shmaddr != reinterpret_cast<char*>(-1))
    shmdt(mInfo.shmaddr);
}

std::unique_ptr<SharedImage> SharedImage::Create(Display* display, Visual* visual, int depth, int w,
                                                 int h)
{
  if (!display || !visual || w <= 0 || h <= 0 || !XShmQueryExtension(display) || !IsLocal(display))
    return nullptr;
  // The back buffer's rows are copied as they are: 32-bit 0xAARRGGBB pixels
  // in this machine's byte order, which is what the server must read.
  if (visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF)
    return nullptr;
  std::unique_ptr<SharedImage> shared(new SharedImage);
  shared->mDisplay = display;
  XImage* image =
      XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                      &shared->mInfo, static_cast<unsigned>(w), static_cast<unsigned>(h));
  if (!image)
    return nullptr;
  const bool lsbFirst = image->byte_order == LSBFirst;
  if (image->bits_per_pixel != 32 || lsbFirst != NativeByteOrderIsLSBFirst())
  {
    XDestroyImage(image);
    return nullptr;
  }
  const size_t size = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(h);
  shared->mInfo.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
  if (shared->mInfo.shmid < 0)
  {
    XDestroyImage(image);
    return nullptr;
  }
  shared->mInfo.shmaddr = static_cast<char*>(shmat(shared->mInfo.shmid, nullptr, 0));
  shared->mInfo.readOnly = True;
  const bool mapped = shared->mInfo.shmaddr != reinterpret_cast<char*>(-1);
  const bool attached = mapped && AttachSegment(display, &shared->mInfo);
  // Marked for removal at once: the segment lives while this process or
  // the server has it attached and goes with the last of them, even when
  // the process ends without closing the editor.
  shmctl(shared->mInfo.shmid, IPC_RMID, nullptr);
  if (!attached)
  {
    XDestroyImage(image);
    return nullptr; // the destructor unmaps the segment
  }
  image->data = shared->mInfo.shmaddr;
  shared->mImage = image;
  shared->mWidth = w;
  shared->mHeight = h;
  return shared;
}

void SharedImage::Put(Window window, GC gc, LICE_IBitmap* bitmap, int l, int t, int r, int b)
{
  l = std::max(l, 0);
  t = std::max(t, 0);
  r = std::min({r, mWidth, bitmap->getWidth()});
  b = std::min({b, mHeight, bitmap->getHeight()});
  if (r <= l || b <= t)
    return;
  // The server may not have read an earlier region yet; what this copy
  // changes under it is newer pixels of the same frame, and this request
  // shows them all once it runs.
  const LICE_pixel* bits = bitmap->getBits();
  const size_t span = static_cast<size_t>(bitmap->getRowSpan());
  const size_t bytes = static_cast<size_t>(r - l) * sizeof(LICE_pixel);
  for (int y = t; y < b; ++y)
  {
    char* row = mImage->data + static_cast<size_t>(y) * static_cast<size_t>(mImage->bytes_per_line);
    std::memcpy(row + static_cast<size_t>(l) * sizeof(LICE_pixel),
                bits + static_cast<size_t>(y) * span + static_cast<size_t>(l), bytes);
  }
  XShmPutImage(mDisplay, window, gc, mImage, l, t, l, t, static_cast<unsigned>(r - l),
               static_cast<unsigned>(b - t), False);
  XFlush(mDisplay);
}
} // namespace x11
