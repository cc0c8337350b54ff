#pragma once

// The window beneath the editor: the few operations the graphics context asks
// of the platform's window it is shown in, and, the other way, the events the
// window hands the context. Each platform's window (editor/win for Win32,
// editor/x11 for X11) implements it, and so does the window-less context
// (IGraphicsMemory), whose window shows nothing and whose dialogs answer as
// if cancelled. Nothing here names a system type: a window is an opaque
// handle.
//
// IGraphics derives from this interface and leaves its operations to the
// platform's subclass; the subclass hands the context its events by calling
// the context's drawing pass (IGraphics.h) and input dispatch
// (IInputDispatch.h), which opens its menus and text boxes over the window. A window is
// opened, idled and closed through the plug-in's calls
// (IGraphicsInterface::OpenWindow, Idle and CloseWindow), which every window
// implements as well. What a window does not decide stays with the context:
// the rules of the prompts and links, the key table (IKeyTable.h), where
// input goes, what is dirty. Loading the module's pictures and fonts and its
// paths are the platform's too, but they need no window (IGraphics.h).
//
// Life of a window, everything on the UI thread, positions in pixels:
//   1. open with the host's window as parent (OpenWindow): the window tells
//      the context the platform's scale (SetPlatformScale), makes itself a
//      child of the parent at the editor's size (Width() x Height()) and
//      marks every control dirty; GetWindow() is its native handle from now
//      on;
//   2. timer, once per frame interval (trunc(1000 / FPS()) ms; the system's
//      timer on Windows, the host's idle calls on X11): when the text box
//      has asked for something the window carries it out (CommitTextEntry
//      for a commit, dropping the box for a cancel) and draws nothing that
//      tick; otherwise it asks IsDirty() and has the dirty region painted;
//   3. paint: Draw(region) redraws the region into the back buffer and
//      presents it through DrawScreen(region); where the system only asks
//      for pixels the back buffer already holds, DrawScreen alone;
//   4. input: the window's mouse and key events become the context's
//      OnMouseDown, OnMouseUp, OnMouseDrag, OnMouseDblClick, OnMouseWheel
//      (whole notches), OnMouseOver, OnMouseOut and OnKeyDown (a key of the
//      key table; one that is none of the editor's, or that no control
//      takes, goes on to the host's top-level window). While a text box has
//      the keyboard the editor takes no input, and a press only ends the
//      entry. Menus, text boxes, message boxes and dialogs open over the
//      window when asked (below) and run on this same thread;
//   5. a change of scale: the context remakes its back buffer at the new
//      size and calls WindowSizeChanged(); the window takes Width() x
//      Height() and is painted again whole;
//   6. close (CloseWindow, also from the context's destructor): a text box
//      is dropped without committing, the mouse capture released
//      (ReleaseMouseCapture), an open gesture ended (EndGesture), and the
//      window goes; GetWindow() is null again. A window whose parent the
//      host destroys first goes with it, and the context only forgets it.
//      The context and its controls stay, and may open another window.

#include "IGraphicsInterface.h"
#include "IGraphicsStructs.h"

class IControl;
class IFileFilter;
class IParam;
class IPopupMenu;

class IPlatformWindow
{
public:
  virtual ~IPlatformWindow() = default;

  // ---- The window -------------------------------------------------------------
  // The native window (an HWND, an X11 Window id); null while none is open.
  virtual void* GetWindow() = 0;
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  // Presents the region of the back buffer (pixels) at the same place in the
  // window.
  virtual bool DrawScreen(IRECT* rect) = 0;
  // Hides the pointer over the window (a control dragging), and shows it
  // again where it was hidden.
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}

  // ---- Over the window, on request ----------------------------------------------
  // Shows the menu at the bottom-left corner of rect (pixels); returns the
  // (sub)menu holding the chosen entry, with that entry's index set, or
  // null when the menu was dismissed.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) = 0;
  // Opens a text entry over rect (pixels) holding str, in the style given
  // (its size already scaled); the typed text comes back through the
  // control's TextFromTextEntry.
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                               IParam* param) = 0;
  // Ends a text entry in progress, dropping what was typed.
  virtual void ForceEndUserEdit() = 0;
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // False when the user cancelled.
  virtual bool PromptForColor(IColor* color, const char* prompt = "") = 0;

protected:
  // The window follows a change of Width() and Height() made by a change of
  // scale: it resizes itself and is painted again whole. A context without
  // a window has nothing to follow.
  virtual void WindowSizeChanged() {}
  // The platform's file dialog (IGraphics::PromptForFile has applied its
  // rules): to open or save a file, starting at file in dir (either may be
  // empty), offering the filter's extensions. True with the chosen path in
  // chosen when the user confirmed; false when cancelled or no dialog could
  // show.
  virtual bool OSPromptForFile(WDL_String* chosen, IGraphicsInterface::EFileAction action,
                               const char* file, const char* dir, const IFileFilter& filter) = 0;
  // Has the system open url (never null); false when it could not.
  virtual bool OSOpenURL(const char* url) = 0;
};
