#pragma once

// The editor's window on X11: a child of the host's window with its own
// display connection, the window beneath the graphics context
// (IPlatformWindow.h) on Linux. X11 types stay in the sources of editor/x11
// and X11Private.h; here the window is an opaque handle. The window supplies the
// platform's calls only: what the prompts and links follow everywhere (no
// dialog without a window, the extension list, asking before opening a
// link) is IGraphics's.
//
// Life of the window (IPlatformWindow.h's steps, as X11 takes them):
//   1. OpenWindow(parent): the host passes its X11 Window id; the desktop's
//      scale (Xft.dpi, 96 for 100 %) is read, then a child window of the
//      editor's size is made on a fresh connection and every control is
//      marked dirty. Opening again moves the editor to a new window.
//      On a local server the frames go through a shared-memory image.
//   2. Idle(): on every effEditIdle the window's pending X events are
//      handled (expose, mouse, keys, the text box), then, when the frame
//      interval trunc(1000 / fps) ms has passed on a monotonic clock, one
//      tick runs: the text box's state, else the dirty check and a redraw of
//      the dirty region. A host idling less often gets fewer ticks.
//   3. CloseWindow() (also effEditClose, the destructor): a text box is
//      dropped without committing; the shared-memory segment, the window
//      and the connection go.
//
// X errors on the editor's connections (a parent destroyed by the host
// before effEditClose gives BadWindow) are recorded, never fatal; errors on
// other connections go to the handler that was installed before.

#include "IGraphics.h"

class IGraphicsX11 : public IGraphics
{
public:
  IGraphicsX11(IPlugInterface* plug, int w, int h, int fps = 0, LICE_HMODULE module = nullptr);
  ~IGraphicsX11() override;

  // ---- Opened, idled and closed by the plug-in (IGraphicsInterface) ------------
  bool CanOpenWindow() const override { return true; }
  void* OpenWindow(void* parent) override;
  using IGraphics::OpenWindow;
  void CloseWindow() override;
  void Idle() override;

  // ---- The window beneath the context (IPlatformWindow) ------------------------
  void* GetWindow() override;
  bool DrawScreen(IRECT* rect) override;
  // While hidden, the pointer shows nothing over the window (and over the
  // screen during a drag that started in it); shown again, it goes back to
  // where it was hidden. Closing the window shows it without moving it.
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                       IParam* param) override;
  void ForceEndUserEdit() override;
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  bool PromptForColor(IColor* color, const char* prompt = "") override;

  // ---- The platform's other parts (IGraphics) -------------------------------------
  // Also resizes the open window; the host's window is the host's to size.
  void Resize(int w, int h) override;
  void HostPath(WDL_String* path) override;
  void PluginPath(WDL_String* path) override;
  void DesktopPath(WDL_String* path) override;
  // Only names ending in ".png" (any case) are loaded, from the embedded
  // resource of type "PNG" with that id.
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override;

protected:
  // A FreeType font of the style's family (DejaVu Sans when it is not
  // installed), height and weight.
  LICE_HFONT OSCreateFont(const IText* text) override;
  // The open window takes the new size and is drawn again whole.
  void WindowSizeChanged() override;
  // zenity's file selection, when it is installed; without it, cancelled.
  bool OSPromptForFile(WDL_String* chosen, EFileAction action, const char* file, const char* dir,
                       const IFileFilter& filter) override;
  // xdg-open.
  bool OSOpenURL(const char* url) override;

private:
  struct Platform;

  void Tick();
  void HandleEvent(void* event);
  // The text box: drawn from its bitmap, fed keys, or thrown away without
  // applying anything.
  void DrawTextEntry();
  void HandleTextEntryKey(void* keyEvent);
  void DropTextEntry();

  Platform* mX;
  LICE_HMODULE mModule;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  EParamEditState mParamEditMsg = kEditNone;
};
