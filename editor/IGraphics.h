#pragma once

// The platform-independent half of the editor.
//
// IGraphics is built in three parts, each a base class of the next and each
// seeing only the parts beneath it, with the rules of each part in its own
// header:
//   IDrawContext.h    the drawing context handed to controls (IControl::Draw):
//                     a back buffer at the editor's scale, the drawing
//                     primitives, the scale mapping and the pictures and
//                     fonts of the scale;
//   IControlSet.h     the controls and the values routed between them and
//                     the plug-in: attaching, values from the plug-in,
//                     gestures to the host, dirty tracking and the drawing
//                     pass;
//   IInputDispatch.h  the window's mouse, wheel and keys, and the menus and
//                     text entry the controls ask for, turned into calls on
//                     the controls.
// IGraphics itself adds the editor's life, the choice of its scale and the
// rules of the file prompt and of opening a link, and implements what the
// plug-in base calls (IGraphicsInterface). A platform subclass is the window
// beneath it (IPlatformWindow.h: it shows the back buffer, hands the context
// its input and opens the menus, text boxes and bare dialogs) and supplies
// the module's services (its paths, pictures and fonts).
//
// Where the parts live:
//   IGraphics.cpp             construction, resizing, the scale chosen;
//   IGraphicsPrompts.cpp      the file prompt's and the link's rules, and the
//                             extension list (IFileFilter);
//   IDrawContext.cpp          the scale mapping, the back buffer, the
//                             drawing primitives and text;
//   IDrawContextPictures.cpp  the artwork and font caches, loading pictures;
//   IControlSet.cpp           controls, values, gestures, the drawing pass;
//   IInputDispatch.cpp        input dispatch, menus and the text-entry
//                             commit.
// The windows live in editor/win (Win32) and editor/x11 (X11), each with its
// system's types behind one private header of its folder; a context
// without a window in IGraphicsMemory. Nothing here sees a system header.
//
// Life of an editor:
//   1. the plug-in's editor code constructs the context and attaches its
//      background and controls;
//   2. the plug-in base takes it (AttachGraphics): every parameter's value is
//      pushed into its controls, then PrepDraw() makes the bitmaps;
//   3. the host opens the window (OpenWindow); its timer calls IsDirty() on
//      every tick and Draw() for the region that came back dirty; mouse and
//      key events arrive through the On... operations (the window's side of
//      it, step by step: IPlatformWindow.h);
//   4. the host closes the window (CloseWindow); the context and its
//      controls stay until the plug-in is deleted.
//
// Scale: the editor draws at 1, 1.5 or 2 (100, 150 or 200 %). Controls,
// hit testing, drags and the layout are in layout units, the pixels at
// 100 %; the back buffer, the pictures and everything the platform sees
// are pixels at the scale (the mapping: IDrawContext.h):
//   - mouse and key positions come in as pixels, and the control hit gets
//     them in layout units (IInputDispatch.h);
//   - IsDirty, Draw and DrawScreen, mDrawRECT, and the rectangles handed to
//     CreateIPopupMenu and CreateTextEntry are pixels; Width() and Height()
//     are the window's size in pixels;
//   - LoadIBitmap loads the picture's set for the scale (its id +
//     1000 at 1.5, + 2000 at 2, IEditorScale.h) and gives its size in
//     layout units; the record keeps the id, and drawing takes the pixels
//     of the context's current set for that id, so a change of scale swaps
//     every control's pictures at once. Without a set for the scale, the
//     100 % picture is enlarged once, filtered, when it is loaded.
// At scale 1 every mapping is the identity and the output is what it was
// before scaling existed. The scale chosen is the user's (the menu of a
// right click on the background, or the stored state), else the host's,
// else the platform's, else 1, always the nearest of the three; it only
// moves when the plug-in has made the context scalable (SetScalable).
//
// Threads: everything here runs on the UI thread, except
// SetParameterFromPlug, which the host may call from its audio or
// parameter thread with the plug-in mutex held (IControlSet.h). The two
// caches are shared by every instance in the process and each is guarded
// by its own recursive mutex.

#include "IControl.h"
#include "IGraphicsInterface.h"
#include "IGraphicsStructs.h"
#include "IInputDispatch.h"
#include "IPlatformWindow.h"
#include "IPopupMenu.h"
#include "WDL_String.h"

#include <string>
#include <vector>

class IParam;
class IPlugInterface;

// The space-separated extension list a file prompt is given ("fxp fxb"),
// taken apart once for every platform's dialog.
class IFileFilter
{
public:
  // Runs of spaces separate the extensions; a null or blank list has none.
  explicit IFileFilter(const char* extensions);

  const std::vector<std::string>& Extensions() const { return mExtensions; }
  bool Empty() const { return mExtensions.empty(); }
  // Every extension as a pattern, in order, joined by separator: "*.fxp;*.fxb"
  // with ";". Empty without extensions.
  std::string Patterns(const char* separator) const;
  // The first extension, which a name typed without one gets; "" without
  // extensions.
  const char* DefaultExtension() const;

private:
  std::vector<std::string> mExtensions;
};

class IGraphics : public IGraphicsInterface, public IPlatformWindow, public IInputDispatch
{
public:
  // w x h in layout units, drawn at scale 1 until a scale is chosen. A rate
  // below 1 selects 25 frames per second. No bitmaps are made until
  // PrepDraw().
  IGraphics(IPlugInterface* plug, int w, int h, int fps = 0);
  ~IGraphics() override;
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- The platform's other parts -----------------------------------------------
  // The window's operations are IPlatformWindow's. These are the context's
  // own that a platform may extend, and the module's services (its paths
  // and pictures), which need no window.
  // Deletes every control and makes new bitmaps of the new size (in layout
  // units); the caller attaches the controls again. The plug-in base is
  // told.
  virtual void Resize(int w, int h);
  virtual const char* GetGUIAPI() { return nullptr; }
  virtual void HostPath(WDL_String* path) = 0;
  virtual void PluginPath(WDL_String* path) = 0;
  virtual void DesktopPath(WDL_String* path) = 0;
  virtual void* OpenWindow(void* window, void* control, short w = 0, short h = 0);
  virtual void AttachSubWindow(void*) {}
  virtual void RemoveSubWindow() {}
  // A new raster bitmap of the module's picture with that id, or null
  // (IDrawContext.h).
  using IDrawContext::OSLoadBitmap;
  using IGraphicsInterface::OpenWindow;

  // ---- Prompts: the rules here, the dialogs in the platform -------------------
  // [UI thread] No file: nothing. No window open: the file becomes empty and
  // no dialog shows. An empty dir is first filled in by DesktopPath (which
  // may leave it empty). Then the platform's dialog starts at the file and
  // the dir with the extensions of the list; on confirmation with a path
  // the file holds that path (its first 255 characters), on cancel, or a
  // confirmation without a path, the file stays as it was.
  void PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir,
                     const char* extensions) final;
  // [UI thread] With confirmMsg, asks first in a Yes/No box captioned
  // windowTitle; anything but Yes opens nothing and gives false. Then the
  // platform opens url; when that fails, or there is no url, errMsgOnFailure
  // (when given) shows in an OK box and the answer is false.
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr);

  // ---- What the plug-in base calls ------------------------------------------
  // The values go to the controls (IControlSet.h).
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override
  {
    IControlSet::SetParameterFromPlug(paramIdx, value, normalized);
  }
  void SetControlFromPlug(int controlIdx, double normalizedValue) override
  {
    IControlSet::SetControlFromPlug(controlIdx, normalizedValue);
  }
  void PrepDraw() override;
  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }
  bool SetHostScale(double scale) override;
  int GetUserScalePercent() const override;
  void SetUserScalePercent(int percent) override;

  // ---- Scale ----------------------------------------------------------------
  // Until this is called with true the editor stays at 1 whatever is asked,
  // and a right click on the background opens no menu.
  void SetScalable(bool scalable);
  bool IsScalable() const { return mScalable; }
  // [UI thread] The user's choice (nearest supported; 0 or less: none).
  void SetUserScale(double scale);
  double GetUserScale() const { return mUserScale; }

  // ---- Pictures and the back buffer (IDrawContext.h) ----------------------------
  // Loading and making pictures, which a control's drawing does not see.
  using IDrawContext::CropBitmap;
  using IDrawContext::LoadIBitmap;
  using IDrawContext::ReleaseBitmap;
  using IDrawContext::RetainBitmap;
  using IDrawContext::ScaleBitmap;
  // The back buffer the platform copies to the screen (null before
  // PrepDraw()), in pixels.
  using IDrawContext::GetBits;
  using IDrawContext::GetDrawBitmap;

  // ---- Drawing pass (the window calls these) ---------------------------------
  // The frames per second the window's timer runs at.
  int FPS() const { return mFPS; }
  // Once per timer tick: IsDirty() (IControlSet.h), then this for the dirty
  // region (pixels), which is redrawn into the back buffer by the rules of
  // the drawing pass and copied to the screen.
  bool Draw(IRECT* rect);

protected:
  // The platform's own idea of the scale (a window's DPI), 0 for none;
  // the window calls it when it learns it, before it makes its window.
  void SetPlatformScale(double scale);

  IGraphics* Graphics() override { return this; }
  IPlatformWindow& PlatformWindow() override { return *this; }
  // The size menu, on a scalable editor.
  bool ShowBackgroundMenu(int x, int y) override;

  bool mCursorHidden = false;
  int mHiddenMousePointX = -1, mHiddenMousePointY = -1;
  int mFPS;

private:
  // Chooses the scale (user, host, platform, 1) and, when it changed,
  // swaps the pictures, remakes the back buffer at the new size and tells
  // the window and the plug-in.
  void ApplyScale();
  // Scales the three choices may take; 0 is no choice.
  static double ChoiceOf(double scale);
  // The right click's menu of sizes, at (x, y) in pixels.
  void ShowScaleMenu(int x, int y);

  bool mScalable = false;
  double mUserScale = 0.0, mHostScale = 0.0, mPlatformScale = 0.0;
};
