#pragma once

// The module the plug-in was loaded from: on Windows the plug-in's DLL,
// whose resources hold the editor's pictures. A format's entry points set it
// when the module loads; null means the running program (and, where modules
// carry no resources, the binary's embedded pictures).
extern void* gHInstance;
