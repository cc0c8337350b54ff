#pragma once

// What the Win32 editor window's parts and its tests share: Win32 types stay
// behind this header and the files of editor/win. Nothing outside
// editor/win and the window's own tests includes it.

#include "IPopupMenu.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace win32
{
// The native menu for menu, its command ids numbered from *offset on
// (every item uses up one id, submenus continue depth-first).
HMENU CreateMenu(IPopupMenu* menu, long* offset);
// The (sub)menu holding the item with that id, and the item's index in
// it; null when no item has the id.
IPopupMenu* GetItemMenu(long id, long& idxInMenu, long& offset, IPopupMenu* menu);
// The editor's key for a virtual key (IKeyTable.h), or kKeyNone (-1).
int KeyCodeOf(WPARAM virtualKey);
// Whole wheel notches from the message's key-state word.
int WheelNotches(WPARAM wParam);
} // namespace win32
