#pragma once

// The editor's Win32 window, a child of the host's window: the window
// beneath the graphics context (IPlatformWindow.h) on Windows. Win32 types
// stay in editor/win: this header shows none (the window is an opaque
// handle and its Win32 state a record), so whatever includes it gets no
// <windows.h>; Win32Private.h declares the record and the Win32 parts the
// window's sources and its tests share. The window supplies the platform's
// calls only: what the prompts and links follow everywhere (no dialog
// without a window, the extension list, asking before opening a link) is
// IGraphics's.
//
// Life of the window (IPlatformWindow.h's steps, as Win32 takes them):
//   1. the host calls effEditOpen with its window: OpenWindow takes the
//      scale of the host window's DPI (96 for 100 %, where the system can
//      tell), registers the window class if no other editor of the process
//      holds it, and creates the "IPlug" child window at (0, 0) with the
//      editor's size;
//   2. WM_CREATE stores the window's record in the window and starts timer 2
//      at trunc(1000 / fps) ms; each tick runs the dirty check, invalidates
//      what came back dirty and paints it at once from the back buffer;
//   3. mouse, wheel and key messages become the editor's input events;
//      a text-entry box, menus and dialogs run on this same thread;
//   4. effEditClose (or effClose, or the destructor) destroys the window,
//      which takes its timer and any text box with it; the class is
//      unregistered when the last editor window of the process is gone. If
//      the host destroys its own window first, the child goes with it and
//      the context only forgets it.
// Opening while open reopens in a fresh window with the old geometry.

#include "IGraphics.h"

#include <memory>

class IGraphicsWin : public IGraphics
{
public:
  // module: the module whose "PNG" resources hold the pictures and which
  // registers the window class (the plug-in's, from its load hook); null
  // for the running program.
  IGraphicsWin(IPlugInterface* plug, int w, int h, int fps = 0, LICE_HMODULE module = nullptr);
  ~IGraphicsWin() override;

  // ---- Opened and closed by the plug-in (IGraphicsInterface) ------------------
  bool CanOpenWindow() const override { return true; }
  // parent is the host's HWND; returns the editor's HWND.
  void* OpenWindow(void* parent) override;
  using IGraphics::OpenWindow;
  void CloseWindow() override;

  // ---- The window beneath the context (IPlatformWindow) ------------------------
  void* GetWindow() override;
  bool WindowIsOpen() override;
  bool DrawScreen(IRECT* rect) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                       IParam* param) override;
  void ForceEndUserEdit() override { mParamEditMsg = kEditCancel; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  bool PromptForColor(IColor* color, const char* prompt = "") override;

  // ---- The platform's other parts (IGraphics) -------------------------------------
  // The open window grows by the change, and so do the host's windows around
  // it (its parent and the parent's parent) where they are child windows.
  void Resize(int w, int h) override;
  void HostPath(WDL_String* path) override;
  void PluginPath(WDL_String* path) override;
  // Left unchanged: the dialog then opens wherever the system chooses.
  void DesktopPath(WDL_String*) override {}
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override;

  // The state of the text entry, for tests and the tick.
  EParamEditState ParamEditState() const { return mParamEditMsg; }

protected:
  // A GDI font of the style's face, height, weight, slant, angle and
  // quality; the raster font made from it owns it and draws through GDI.
  LICE_HFONT OSCreateFont(const IText* text) override;
  // The common open or save dialog, owned by the editor window.
  bool OSPromptForFile(WDL_String* chosen, EFileAction action, const char* file, const char* dir,
                       const IFileFilter& filter) override;
  // The shell's "open", when the system reports an internet connection.
  bool OSOpenURL(const char* url) override;
  // The open window takes the new size (the host's window is the host's
  // to size) and is drawn again whole.
  void WindowSizeChanged() override;

private:
  // The window's handles and the procedures Windows calls.
  struct Platform;

  void Tick();
  // Restores the box's procedure, destroys it and forgets the edit.
  void DestroyParamEdit();

  std::unique_ptr<Platform> mW;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  EParamEditState mParamEditMsg = kEditNone;
};
