#pragma once

// The files (and sockets: display connections among them) the process holds
// open, for tests that open and close something many times. Linux.

#include <dirent.h>

inline int OpenFileCount()
{
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd"))
  {
    while (readdir(dir))
    {
      ++count;
    }
    closedir(dir);
  }
  return count;
}
