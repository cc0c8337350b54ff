#pragma once

// The platform-independent half of the editor.
//
// IGraphics owns the ordered list of controls (index 0 is the background),
// a back buffer the size of the editor into which every control draws, and
// a scratch bitmap. It loads the artwork and the fonts into two
// process-wide caches, offers the drawing primitives controls use (each a
// thin mapping onto a raster operation), routes values between the plug-in
// and the controls, decides what to redraw, dispatches mouse and key
// events, and keeps the rules of the file prompt and of opening a link. A
// platform subclass is the window beneath it (IPlatformWindow.h: it shows
// the back buffer, hands the context its input and opens the menus, text
// boxes and bare dialogs) and supplies the module's services (the pure
// operations below).
//
// Where the parts live, one source file each:
//   IGraphics.cpp          construction, controls, values between the
//                          plug-in and the controls, the text-entry commit;
//   IGraphicsCaches.cpp    the artwork and font caches, loading pictures;
//   IGraphicsDrawing.cpp   the drawing primitives and text;
//   IGraphicsDispatch.cpp  the drawing pass and input dispatch;
//   IGraphicsPrompts.cpp   the file prompt's and the link's rules, and the
//                          extension list (IFileFilter).
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
// are pixels at the scale:
//   - mouse and key positions come in as pixels: the control hit is the
//     topmost one whose pixels hold the position, and it gets the position
//     in layout units (ToLayout: pixels / scale, rounded down, kept inside
//     the control), so a drag of 256 pixels at 200 % is one of 128 units;
//   - IsDirty, Draw and DrawScreen, mDrawRECT, and the rectangles handed to
//     CreateIPopupMenu and CreateTextEntry are pixels; Width() and Height()
//     are the window's size in pixels;
//   - the drawing primitives take layout units and map them (ToPixels: a
//     rectangle by its origin and its size, each times the scale and
//     rounded half up; a pixel centre as (v + 0.5) * scale - 0.5); text is
//     drawn with a font of the scaled height;
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
// parameter thread with the plug-in mutex held; it only stores values in
// controls and marks them dirty, which the next timer tick picks up without
// locking. The two caches are shared by every instance in the process and
// each is guarded by its own recursive mutex.

#include "IControl.h"
#include "IGraphicsInterface.h"
#include "IGraphicsStructs.h"
#include "IPlatformWindow.h"
#include "IPopupMenu.h"
#include "WDL_PtrList.h"
#include "WDL_String.h"
#include "lice_text.h"

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

class IGraphics : public IGraphicsInterface, public IPlatformWindow
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
  // DrawIText with measuring on: the rectangle takes the text's extent.
  virtual bool MeasureIText(IText* text, const char* str, IRECT* rect);
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
  // A new raster bitmap of the module's picture with that id, or null. The
  // caller (the bitmap cache) owns it.
  virtual LICE_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
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
  // [any thread, plug-in mutex held] Every control bound to paramIdx (or to
  // it as an auxiliary parameter) takes the value; a real value is
  // normalized through the parameter first. An index that names no
  // parameter of the plug-in does nothing.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
  // [UI thread] Out of range does nothing.
  void SetControlFromPlug(int controlIdx, double normalizedValue) override;
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
  double GetScale() const { return mScale; }
  // The editor's size in layout units.
  int LayoutWidth() const { return mLayoutWidth; }
  int LayoutHeight() const { return mLayoutHeight; }
  // Layout units to pixels at the current scale: a length or an edge, a
  // rectangle (by its origin and its size), a pixel centre. The identity at
  // scale 1.
  int ToPixels(int v) const;
  IRECT ToPixels(const IRECT& rect) const;
  float CentreToPixels(float v) const;
  // A pixel position to layout units: rounded down, so the pixels of one
  // layout unit all land in it.
  int ToLayout(int px) const;

  // ---- Controls -------------------------------------------------------------
  // Loads the picture with one frame and puts an opaque bitmap control with
  // no parameter under every other control.
  void AttachBackground(int id, const char* name);
  void AttachPanelBackground(const IColor* color);
  // Takes ownership; returns the control's index.
  int AttachControl(IControl* control);
  // Takes ownership of the control that gets the keys no other control
  // takes (replacing and deleting an earlier one).
  void AttachKeyCatcher(IControl* control);
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  int NControls() const { return mControls.GetSize(); }
  IPlugInterface* GetPlug() const { return mPlug; }
  int FPS() const { return mFPS; }

  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  // Bounds every control bound to paramIdx; an index that names no
  // parameter of the plug-in does nothing.
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);
  // Opens a menu of the parameter's display texts (enumerations, and
  // switches that have them) with the current one checked, or else a text
  // entry holding the value. Needs all three.
  void PromptUserInput(IControl* control, IParam* param, IRECT* textRect);
  // The state of a platform's text box, which the window's next tick carries
  // out: none open; open with the keyboard; redrawn around; to be dropped;
  // to be committed.
  enum EParamEditState
  {
    kEditNone = 0,
    kEditActive = 1,
    kEditUpdate = 2,
    kEditCancel = 3,
    kEditCommit = 4,
  };
  // [UI thread] What a platform's text box commits: the typed text as the
  // parameter's value (a display text for enums and bools, the negated
  // number where the display is negated), or the text itself for a control
  // without a parameter. The commit is a gesture of its own.
  void CommitTextEntry(IControl* control, IParam* param, const char* text);
  // [UI thread] During a press: ends the open gesture, if any, and opens
  // one on paramIdx (none for an index that names no parameter), which the
  // release ends as any other; nothing when the open gesture is already on
  // paramIdx. For a control bound to more than one parameter
  // (IControl::GestureOnPress) once it knows which one the user changes, so
  // that the host's begin and end bracket that parameter's values.
  void MoveGesture(int paramIdx);

  // ---- Bitmaps ----------------------------------------------------------------
  // The picture with this id at the context's scale, loaded once per
  // process and shared by every editor at that scale; its size in the
  // record is in layout units. The record keeps the id: drawing it takes
  // the pixels of the context's scale of the moment, so mData is only the
  // pixels of the scale it was loaded at, and only while the context keeps
  // that scale. A picture that cannot be loaded gives a record with no data
  // and no size, which draws nothing; the next load of the id tries again.
  IBitmap LoadIBitmap(int id, const char* name, int nStates = 1, bool framesAreHorizontal = false);
  // New 100 % bitmaps (no id: drawn enlarged at other scales), kept by the
  // cache until the library unloads (or ReleaseBitmap).
  IBitmap ScaleBitmap(const IBitmap* bitmap, int w, int h);
  IBitmap CropBitmap(const IBitmap* bitmap, const IRECT* rect);
  void RetainBitmap(const IBitmap* bitmap);
  // Deletes a bitmap made by ScaleBitmap, CropBitmap or handed to
  // RetainBitmap, and clears the record; the shared artwork stays.
  void ReleaseBitmap(IBitmap* bitmap);
  LICE_pixel* GetBits();
  // The pixels drawn for the record at the context's scale: the current
  // set's picture for a record with an id, its own data otherwise.
  LICE_IBitmap* PicturePixels(const IBitmap* bitmap) const;
  // The back buffer the platform copies to the screen (null before
  // PrepDraw()), in pixels.
  LICE_IBitmap* GetDrawBitmap() const { return mDrawBitmap; }

  // ---- Drawing primitives (into the back buffer) ------------------------------
  // In layout units, drawn at the scale. Only the bitmap blits clip to the
  // region being drawn; colours and blends may be null where a pointer is
  // taken. All return true unless given nothing to draw with. Lines and
  // outlines stay one pixel wide at every scale.
  bool DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int srcX, int srcY,
                  const IChannelBlend* blend = nullptr);
  // state is 1-based; states beyond the frames draw the last frame.
  bool DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int state = 1,
                  const IChannelBlend* blend = nullptr);
  // angle in radians, clockwise.
  bool DrawRotatedBitmap(const IBitmap* bitmap, int destCtrX, int destCtrY, double angle,
                         int yOffsetZeroDeg = 0, const IChannelBlend* blend = nullptr);
  // angle in degrees, clockwise.
  bool DrawRotatedMask(const IBitmap* base, const IBitmap* mask, const IBitmap* top, int x, int y,
                       double angle, const IChannelBlend* blend = nullptr);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                 bool antiAlias = false);
  // Writes the colour straight into the back buffer; outside it, nothing.
  bool ForcePixel(const IColor* color, int x, int y);
  IColor GetPoint(int x, int y);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // angle in radians, 0 pointing up, clockwise.
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool FillCircle(const IColor* color, int cx, int cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool RoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                 int cornerRadius, bool antiAlias);
  bool FillRoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                     int cornerRadius, bool antiAlias);
  bool FillIRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend = nullptr);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* blend = nullptr);
  bool FillIConvexPolygon(const IColor* color, const int* x, const int* y, int npoints,
                          const IChannelBlend* blend = nullptr);
  bool DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi);
  bool DrawRect(const IColor* color, const IRECT* rect);
  // At x (0 to 1) of the way from the left.
  bool DrawVerticalLine(const IColor* color, const IRECT* rect, float x);
  // At y (0 to 1) of the way from the bottom.
  bool DrawHorizontalLine(const IColor* color, const IRECT* rect, float y);
  // Draws the string in the style inside rect, or with measure sets rect to
  // the text's extent (by the alignment) and draws nothing. At a scale the
  // font is the style's height times the scale and the extent comes back
  // in layout units. An empty string draws nothing; false when no font can
  // be made for the style.
  bool DrawIText(IText* text, const char* str, IRECT* rect, bool measure = false);

  // ---- Drawing pass and input dispatch (the window calls these) ---------------
  // Rectangles in pixels, mouse and key positions in pixels.
  // Once per timer tick with an empty rectangle, which grows to cover every
  // dirty control. After 21 clean ticks in a row OnGUIIdle() runs.
  bool IsDirty(IRECT* rect);
  // Redraws region rect into the back buffer and copies it to the screen.
  // Strict mode (the default) draws every visible control that touches the
  // region, in order, and cleans them all; the other mode redraws each dirty
  // control with whatever overlaps it.
  bool Draw(IRECT* rect);
  void OnGUIIdle();
  // A press captures the control under the mouse: later drags, the release,
  // wheel and keys go to it wherever the mouse is, until the release. Each
  // press on a bound control opens a host gesture (begin) and its release
  // closes it (end). On a scalable editor a right press on the background
  // (or on no control) opens the size menu instead. Every value a press, a
  // drag, a release or a double click sets reaches the host inside a
  // gesture on its parameter; wheel notches come without one.
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  // The press of a double click (the window's second press, in place of
  // OnMouseDown). It captures the control hit and is held: released without
  // moving more than IControl::kClickSlop layout units it is the control's
  // double click, acted on at the release where it was pressed; moved
  // further it is a press at that point that drags. A control that takes a
  // double click as a single click is pressed at once. True when a control
  // took it; the window then captures the mouse, so that the drags and the
  // release that decide it arrive.
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  // Mouse-over events go out only after HandleMouseOver(true).
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  // (x, y) is where the mouse is. The control under it takes the key, else
  // (over the background or nothing) the key catcher; false passes it on.
  bool OnKeyDown(int x, int y, int key);
  void ReleaseMouseCapture();
  // The control that gets an event at (x, y) in layout units: the one
  // holding the capture, else the topmost visible, ungrayed one hit; -1 for
  // none.
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  bool CanHandleMouseOver() const { return mHandleMouseOver; }
  bool IsStrictDrawing() const { return mStrict; }

protected:
  // The font for the style from the process-wide cache, made on first use;
  // null when the platform cannot make it.
  LICE_IFont* CacheFont(IText* text);
  // The platform font for the style (face, height, weight, italic, angle,
  // quality), or null; the raster font made from it owns it. The base has
  // no platform fonts.
  virtual LICE_HFONT OSCreateFont(const IText* text);
  // The module's picture with that id from its "PNG" resources, for names
  // ending in ".png" (any case) only; the name opens no file. Null for other
  // names and for pictures that cannot be loaded. What every platform's
  // OSLoadBitmap does with its module.
  static LICE_IBitmap* LoadPNGResource(LICE_HMODULE module, int id, const char* name);
  // True when idx names one of the plug-in's parameters.
  bool IsParam(int idx) const;
  // The host's automation bracket around one user gesture: begin for the
  // control's parameter, remembered, and end for that same parameter, so
  // every begin gets exactly one end. Controls bound to no parameter open
  // none.
  void BeginGesture(IControl* control);
  void EndGesture();
  // Captures the mouse for control c and presses it, inside a gesture.
  void PressControl(int c, int x, int y, IMouseMod* mod);
  // Deletes the back buffer and the scratch bitmap.
  void DeleteBitmaps();
  // The platform's own idea of the scale (a window's DPI), 0 for none;
  // the window calls it when it learns it, before it makes its window.
  void SetPlatformScale(double scale);
  // The text style as drawn at the scale: its height times the scale and
  // no cached font (the cached one is the 100 % font).
  IText ScaledText(const IText& text) const;

  WDL_PtrList<IControl> mControls;
  IPlugInterface* mPlug;
  IRECT mDrawRECT;
  bool mCursorHidden = false;
  int mHiddenMousePointX = -1, mHiddenMousePointY = -1;
  LICE_IBitmap* mDrawBitmap = nullptr;
  LICE_IBitmap* mTmpBitmap = nullptr;
  int mWidth, mHeight; // pixels: the layout size at the scale
  int mFPS;
  int mIdleTicks = 0;
  int mMouseCapture = -1, mMouseOver = -1;
  int mGestureParam = -1; // the parameter of the open gesture, or -1
  // The last position handed to the captured control, in layout units; for
  // a held double click, where it was pressed.
  int mMouseX = -1, mMouseY = -1;
  // A double click's press held until a drag or the release tells what it
  // is (OnMouseDblClick), with the modifiers it came with.
  bool mDblClickPending = false;
  IMouseMod mDblClickMod;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  IControl* mKeyCatcher = nullptr;

private:
  // A picture this context holds in the process-wide cache: the pixels of
  // its current scale, and what it takes to load another scale's.
  struct HeldPicture
  {
    int id;
    std::string name;
    int frames;
    bool framesAreHorizontal;
    LICE_IBitmap* pixels;
  };
  // Held for this context: the cached picture of id's set at the scale,
  // loaded (or enlarged from the 100 % picture) when no editor has it yet.
  LICE_IBitmap* HoldPicture(int id, const char* name, double scale, int frames,
                            bool framesAreHorizontal);
  // The record of a held picture, its size in layout units.
  IBitmap RecordOf(const HeldPicture& held) const;
  // Every held picture's set at the new scale in place of the old one's,
  // then the cache frees what no editor holds any more.
  void SwapPictures();
  // Lets go of every held picture (the cache keeps them for the next
  // editor).
  void ReleasePictures();
  // The control an event at a pixel reaches (-1 for none) and the point in
  // layout units it gets: the captured control, else the topmost one whose
  // pixels hold the pixel.
  struct Hit
  {
    int control;
    int x, y;
  };
  Hit HitAt(int px, int py, bool mouseOver = false);
  // Neither hidden nor grayed (unless mouse-over reaches it grayed).
  static bool Hittable(IControl* control, bool mouseOver);
  // Chooses the scale (user, host, platform, 1) and, when it changed,
  // swaps the pictures, remakes the back buffer at the new size and tells
  // the window and the plug-in.
  void ApplyScale();
  // Scales the three choices may take; 0 is no choice.
  static double ChoiceOf(double scale);
  // The right click's menu of sizes, at (x, y) in pixels.
  void ShowScaleMenu(int x, int y);
  // A pixel centre given in whole layout units, as a whole pixel.
  int CentrePixel(int v) const;
  // Draws the pixels' rectangle (srcX, srcY, w, h) of dest's size (pixels)
  // into the back buffer at dest, clipped to the region being drawn.
  void BlitPixels(LICE_IBitmap* pixels, const IRECT& dest, int srcX, int srcY,
                  const IChannelBlend* blend);

  int mLayoutWidth, mLayoutHeight;
  double mScale = 1.0;
  bool mScalable = false;
  double mUserScale = 0.0, mHostScale = 0.0, mPlatformScale = 0.0;
  std::vector<HeldPicture> mPictures;
};
