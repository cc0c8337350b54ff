// The library's entry points: VSTPluginMain (and main), and on Windows the
// load hook that remembers the module for the editor's artwork.

#include "Kolvane.h"
#include "MakeGraphics.h"

KOLVANE_VST2_ENTRY_POINTS(Kolvane)

#if defined(_WIN32)
#include <windows.h>

// Remembers the module this plug-in was loaded from: the editor finds its
// pictures in it.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
  gHInstance = instance;
  return TRUE;
}
#endif
