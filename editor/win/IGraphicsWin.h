#pragma once

// The editor's Win32 window: the only header of the editor that sees Win32
// types. The window supplies the platform's calls only: what the prompts
// and links follow everywhere (no dialog without a window, the extension
// list, asking before opening a link) is IGraphics's.
//
// Life of the window:
//   1. the host calls effEditOpen with its window: OpenWindow registers the
//      window class if no other editor of the process holds it, and creates
//      the "IPlug" child window at (0, 0) with the editor's size;
//   2. WM_CREATE stores this context in the window and starts timer 2 at
//      trunc(1000 / fps) ms; each tick runs the dirty check, invalidates what
//      came back dirty and paints it at once from the back buffer;
//   3. mouse, wheel and key messages become the editor's input events;
//      a text-entry box, menus and dialogs run on this same thread;
//   4. effEditClose (or effClose, or the destructor) destroys the window,
//      which takes its timer and any text box with it; the class is
//      unregistered when the last editor window of the process is gone. If
//      the host destroys its own window first, the child goes with it and
//      the context only forgets it.
// Opening while open reopens in a fresh window with the old geometry.

#include "IGraphics.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

class IGraphicsWin : public IGraphics
{
public:
  IGraphicsWin(IPlugBase* plug, int w, int h, int fps = 0);
  ~IGraphicsWin() override;

  void SetHInstance(HINSTANCE instance) { mHInstance = instance; }

  bool DrawScreen(IRECT* rect) override;
  void ForceEndUserEdit() override { mParamEditMsg = kEditCancel; }
  void Resize(int w, int h) override;
  bool CanOpenWindow() const override { return true; }
  void* OpenWindow(void* parent) override;
  using IGraphics::OpenWindow;
  void CloseWindow() override;
  bool WindowIsOpen() override { return mPlugWnd != nullptr; }
  void* GetWindow() override { return mPlugWnd; }

  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                       IParam* param) override;
  void HostPath(WDL_String* path) override;
  void PluginPath(WDL_String* path) override;
  // Left unchanged: the dialog then opens wherever the system chooses.
  void DesktopPath(WDL_String*) override {}
  bool PromptForColor(IColor* color, const char* prompt = "") override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override;

  // The state of the text entry, for tests and the tick.
  EParamEditState ParamEditState() const { return mParamEditMsg; }
  HWND ParamEditWindow() const { return mParamEditWnd; }

  // The native menu for menu, its command ids numbered from *offset on
  // (every item uses up one id, submenus continue depth-first).
  static HMENU CreateMenu(IPopupMenu* menu, long* offset);
  // The (sub)menu holding the item with that id, and the item's index in
  // it; null when no item has the id.
  static IPopupMenu* GetItemMenu(long id, long& idxInMenu, long& offset, IPopupMenu* menu);
  // The key code of the editor for a virtual key, or -1 when not handled.
  static int KeyCodeOf(WPARAM virtualKey);
  // Whole wheel notches from the message's key-state word.
  static int WheelNotches(WPARAM wParam);

protected:
  // The common open or save dialog, owned by the editor window.
  bool OSPromptForFile(WDL_String* chosen, EFileAction action, const char* file, const char* dir,
                       const IFileFilter& filter) override;
  // The shell's "open", when the system reports an internet connection.
  bool OSOpenURL(const char* url) override;

private:
  static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ParamEditProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static BOOL CALLBACK FindMainWindow(HWND hWnd, LPARAM lParam);
  LRESULT HandleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Tick();
  // Restores the box's procedure, destroys it and forgets the edit.
  void DestroyParamEdit();
  // Unregisters the window class once no editor window of the process is
  // left.
  static void ReleaseClassIfUnused();
  HWND GetMainWnd();
  IMouseMod GetMouseMod(WPARAM wParam);

  HINSTANCE mHInstance = nullptr;
  HWND mPlugWnd = nullptr;
  HWND mParamEditWnd = nullptr;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  WNDPROC mDefEditProc = nullptr;
  EParamEditState mParamEditMsg = kEditNone;
  COLORREF* mCustomColorStorage = nullptr;
  DWORD mPID = 0;
  HWND mParentWnd = nullptr;
  HWND mMainWnd = nullptr;
  WDL_String mMainWndClassName;
  HFONT mEditFont = nullptr;
};
