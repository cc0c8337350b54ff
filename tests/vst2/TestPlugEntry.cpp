// The exported entry points of the test plug-in library; the chunk-state
// variant is the same source built with KOLVANE_TEST_CHUNKS, the variant
// with an editor with KOLVANE_TEST_EDITOR.
#include "IPlugVST.h"

#if KOLVANE_TEST_EDITOR
#include "TestPlugEditor.h"
KOLVANE_VST2_ENTRY_POINTS(TestPlugEditor)
#else
#include "TestPlug.h"

#if KOLVANE_TEST_CHUNKS
KOLVANE_VST2_ENTRY_POINTS(TestPlugChunks)
#else
KOLVANE_VST2_ENTRY_POINTS(TestPlug)
#endif
#endif
