// The exported entry points of the test plug-in library; the chunk-state
// variant is the same source built with KOLVANE_TEST_CHUNKS, the variant
// with an editor with KOLVANE_TEST_EDITOR.
#if KOLVANE_TEST_EDITOR
#include "MakeGraphics.h"
#include "TestPlugEditor.h"
KOLVANE_VST2_ENTRY_POINTS(TestPlugEditor)

#if defined(_WIN32)
#include <windows.h>

// The editor window's class belongs to this module.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID)
{
  gHInstance = instance;
  return TRUE;
}
#endif
#else
#include "TestPlug.h"

#if KOLVANE_TEST_CHUNKS
KOLVANE_VST2_ENTRY_POINTS(TestPlugChunks)
#else
KOLVANE_VST2_ENTRY_POINTS(TestPlug)
#endif
#endif
