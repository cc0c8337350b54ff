#pragma once

#include "IGraphics.h"
#include "IPlugModule.h" // gHInstance: the module whose "PNG" resources hold the pictures

// The platform's editor context for plug, w x h pixels at fps frames per
// second (0: the default rate): a window on platforms that have one, a
// context drawing into memory elsewhere, which the plug-in does not offer to
// the host as an editor.
IGraphics* MakeGraphics(IPlugInterface* plug, int w, int h, int fps = 0);
// Whether MakeGraphics gives a window on this platform: what a plug-in
// tells its host before any editor is built.
bool GraphicsHaveWindow();
