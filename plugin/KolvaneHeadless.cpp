// The editor's half of the class for binaries that only process (the LV2
// bundle's processing side): no editor, so nothing of the editor, its
// artwork or the platform's window system is linked.
#include "Kolvane.h"

IGraphicsInterface* MakeKolvaneEditor(IPlugInterface*, int[kNumStepLeds])
{
  return nullptr;
}

bool KolvaneEditorHasWindow()
{
  return false;
}
