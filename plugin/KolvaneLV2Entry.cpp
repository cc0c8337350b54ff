// The LV2 processing binary's entry point for the plug-in's URI (set by the
// build, which writes the bundle's description under the same URI):
// lv2_descriptor. The editor is the UI binary's (KolvaneLV2UIEntry.cpp),
// so this one links no window system. The only file of the plug-in that
// knows this format's processing side.
#include "IPlugLV2.h"
#include "Kolvane.h"

KOLVANE_LV2_ENTRY_POINTS(Kolvane, KOLVANE_LV2_URI)
