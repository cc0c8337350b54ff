// The LV2 binary's one entry point, lv2_descriptor, for the plug-in's URI
// (set by the build, which writes the bundle's description under the same
// URI). The only file of the plug-in that knows this format.

#include "IPlugLV2.h"
#include "Kolvane.h"

KOLVANE_LV2_ENTRY_POINTS(Kolvane, KOLVANE_LV2_URI)
