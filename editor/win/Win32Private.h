#pragma once

// What the Win32 editor window's parts and its tests share: Win32 types stay
// behind this header and the files of editor/win. Nothing outside
// editor/win and the window's own tests includes it.
//
// The window's sources, by responsibility:
//   IGraphicsWin.cpp    opening and closing, the message switch, the timer,
//                       painting and sizes, the fonts and pictures;
//   Win32Input.cpp      mouse, wheel and keys, the pointer;
//   Win32TextEntry.cpp  the text box;
//   Win32Dialogs.cpp    menus, message boxes, the file and colour dialogs,
//                       links, the module's paths.

#include "IGraphicsWin.h"
#include "IPopupMenu.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// The window's Win32 side: its handles, and the procedures Windows calls
// with this record in the windows' user data.
struct IGraphicsWin::Platform
{
  Platform(IGraphicsWin& graphics, HINSTANCE instance) : g(graphics), mHInstance(instance) {}

  // ---- IGraphicsWin.cpp ----------------------------------------------------------
  static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The editor window's messages: a short switch over the families below,
  // each handled by a function of its own that gives the message's result.
  LRESULT HandleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnDpiChanged(HWND hWnd, UINT msg, WPARAM wParam);
  LRESULT OnTimer(WPARAM timerId);
  LRESULT OnPaint(HWND hWnd);

  // ---- Win32Input.cpp --------------------------------------------------------------
  // While the text box has the keyboard the editor takes no input.
  LRESULT WhileTyping(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMove(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnButtonDown(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnButtonUp(WPARAM wParam, LPARAM lParam);
  LRESULT OnDoubleClick(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnWheel(HWND hWnd, WPARAM wParam, LPARAM lParam);
  // A key of the editor's goes to the control under the mouse; any other,
  // or one no control takes, to the host's top-level window.
  LRESULT OnKeyDown(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

  // ---- Win32TextEntry.cpp ----------------------------------------------------------
  static LRESULT CALLBACK ParamEditProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnEditColors(WPARAM dc);
  // The text box's part of a tick: true while the box is in any state but
  // kEditNone, and then the tick draws nothing; a commit or a cancel is
  // carried out, and the state goes back to none.
  bool TickTextEntry();

  // ---- Win32Dialogs.cpp ------------------------------------------------------------
  // The host's top-level window, which owns message boxes.
  HWND GetMainWnd();

  IGraphicsWin& g;
  HINSTANCE mHInstance;
  HWND mPlugWnd = nullptr;
  HWND mParamEditWnd = nullptr;
  WNDPROC mDefEditProc = nullptr;
  HFONT mEditFont = nullptr;
  COLORREF mCustomColors[16] = {};
  DWORD mPID = 0;
  HWND mParentWnd = nullptr;
  HWND mMainWnd = nullptr;
  WDL_String mMainWndClassName;
};

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
