#pragma once

#include "PluginModule.h"

#include <string>

// The fixture binaries are built next to the test executable; their file
// names come from the build as FIXTURE_* definitions.
inline std::string fixturePath(const char* fileName)
{
  return vsthost::ExecutableDirectory() + "/" + fileName;
}
