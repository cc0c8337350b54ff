#pragma once

#include <string>

// Where a plug-in writes files for its user, found without reading any
// environment variable: one implementation per platform (IPlugPathsWin.cpp,
// IPlugPathsPosix.cpp), so that no other file needs the platform's headers.

// fileName in the user's desktop folder, or in their home folder where there
// is no desktop; empty when neither is known.
std::string UserDesktopFilePath(const char* fileName);
