// The library's entry points: VSTPluginMain (and main), and on Windows the
// load hook that remembers the module for the editor's artwork. The only
// file of the plug-in that knows its format.

#include "IPlugVST.h"
#include "Kolvane.h"

KOLVANE_VST2_ENTRY_POINTS(Kolvane)
