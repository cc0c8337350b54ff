// The exported entry points of the test plug-in library; the chunk-state
// variant is the same source built with KOLVANE_TEST_CHUNKS.
#include "TestPlug.h"

#if KOLVANE_TEST_CHUNKS
KOLVANE_VST2_ENTRY_POINTS(TestPlugChunks)
#else
KOLVANE_VST2_ENTRY_POINTS(TestPlug)
#endif
