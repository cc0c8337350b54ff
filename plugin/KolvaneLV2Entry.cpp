// The LV2 binary's entry points for the plug-in's URI (set by the build,
// which writes the bundle's description under the same URI): lv2_descriptor
// for the processing instance, lv2ui_descriptor for its editor as an X11 UI.
// The only file of the plug-in that knows this format.

#include "IPlugLV2.h"
#include "IPlugLV2UI.h"
#include "Kolvane.h"

KOLVANE_LV2_ENTRY_POINTS(Kolvane, KOLVANE_LV2_URI)
KOLVANE_LV2_UI_ENTRY_POINTS(Kolvane, KOLVANE_LV2_URI "#ui")
