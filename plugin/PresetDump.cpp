// The preset dump file: "KolvanePresets.txt" on the user's desktop.

#include "IPlugPaths.h"
#include "Kolvane.h"

#include <cstdio>
#include <string>

const char* PresetDumpPath()
{
  static const std::string path = UserDesktopFilePath("KolvanePresets.txt");
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
