#include "IPlugPaths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool IsFolder(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
} // namespace

std::string UserDesktopFilePath(const char* fileName)
{
  const struct passwd* user = getpwuid(getuid());
  if (!user || !user->pw_dir || !user->pw_dir[0])
  {
    return "";
  }
  const std::string home = user->pw_dir;
  for (const std::string& folder : {home + "/Desktop", home})
  {
    if (IsFolder(folder))
    {
      return folder + "/" + fileName;
    }
  }
  return "";
}
