// The LV2 UI binary's entry point: lv2ui_descriptor, the editor as an X11
// UI of the plug-in's URI, on Kolvane's mirror. The only file of the
// plug-in that knows this format's UI.
#include "IPlugLV2UI.h"
#include "KolvaneMirror.h"

KOLVANE_LV2_UI_ENTRY_POINTS(KolvaneMirror, KOLVANE_LV2_URI "#ui")
