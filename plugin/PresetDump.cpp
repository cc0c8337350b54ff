// The preset dump file: "KolvanePresets.txt" in a per-user folder that
// exists on each platform, found without reading any environment variable.

#include "Kolvane.h"

#include <cstdio>
#include <string>

#if defined(_WIN32)
#include <shlobj.h>
#include <windows.h>
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
bool IsFolder(const std::string& path)
{
#if defined(_WIN32)
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
#endif
}

std::string DumpFolder()
{
#if defined(_WIN32)
  char path[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path)) &&
      IsFolder(path))
  {
    return path;
  }
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, 0, path)) && IsFolder(path))
  {
    return path;
  }
  return "";
#else
  const struct passwd* user = getpwuid(getuid());
  if (!user || !user->pw_dir || !user->pw_dir[0])
  {
    return "";
  }
  std::string home = user->pw_dir;
  return IsFolder(home + "/Desktop") ? home + "/Desktop" : (IsFolder(home) ? home : "");
#endif
}
} // namespace

const char* PresetDumpPath()
{
  static const std::string path = []
  {
    std::string folder = DumpFolder();
#if defined(_WIN32)
    const char* separator = "\\";
#else
    const char* separator = "/";
#endif
    return folder.empty() ? folder : folder + separator + "KolvanePresets.txt";
  }();
  return path.c_str();
}

bool WriteLogFile(const char* text)
{
  const char* path = PresetDumpPath();
  FILE* file = path[0] ? std::fopen(path, "a") : nullptr;
  if (!file)
  {
    return false;
  }
  std::fputs(text, file);
  return std::fclose(file) == 0;
}
