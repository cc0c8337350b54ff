#pragma once

// The flags Kolvane shows a host: replacing, double replacing and mono,
// plus the editor where the platform has its editor window.
#if defined(__linux__)
const int kEditorFlags = 0x1019;
#else
const int kEditorFlags = 0x1018;
#endif
