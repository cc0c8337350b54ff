#include "IPlugPaths.h"

#include <shlobj.h>
#include <windows.h>

namespace
{
bool IsFolder(const char* path)
{
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace

std::string UserDesktopFilePath(const char* fileName)
{
  for (int folder : {CSIDL_DESKTOPDIRECTORY, CSIDL_PROFILE})
  {
    char path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, folder, nullptr, 0, path)) && IsFolder(path))
    {
      return std::string(path) + "\\" + fileName;
    }
  }
  return "";
}
