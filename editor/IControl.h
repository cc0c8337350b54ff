#pragma once

// The control library. A control is one rectangular element of the editor:
// it draws itself from a normalized value (0 to 1) and turns mouse input
// into a new value. A control bound to a parameter pushes the values the
// user gives it to the plug-in (SetParameterFromGUI), and takes the values
// the plug-in hands the graphics context (SetValueFromPlug).
//
// Draw order and event routing: the graphics context draws its controls in
// the order they were attached (index 0, the background, first) and hits
// them in reverse, so a later control lies on top, draws over the ones
// below and takes the mouse where they overlap. Hidden controls neither
// draw nor take the mouse; grayed ones draw faded and take no clicks. A
// control draws only through the drawing context it is handed
// (IDrawContext.h); the drawing pass (IControlSet.h) decides when, and the
// input dispatch (IInputDispatch.h) which control an event reaches.
//
// A control is bound only when its parameter index names a parameter the
// plug-in holds. Any other index (-1, or a tag such as a step LED's that is
// no parameter) keeps every input on the control itself: its value may
// change, but nothing reaches the parameter store or the host.
//
// The kinds live one group to a source: the base class, the panel and the
// bitmap in IControl.cpp; switches and buttons in IControlSwitches.cpp;
// faders and knobs in IControlKnobs.cpp; text, links and file selectors in
// IControlText.cpp.
//
// Threads: the host may hand values in from its audio or parameter thread
// (SetValueFromPlug, through the graphics context) while the editor's timer
// draws on the UI thread. The value, the default value, the clamp bounds,
// the hidden and grayed states and the drawing flags are atomics for that;
// everything else belongs to the UI thread.

#include "IGraphicsInterface.h"
#include "IGraphicsStructs.h"
#include "WDL_String.h"

#include <atomic>
#include <vector>

class IDrawContext;
class IGraphics;
class IParam;
class IPlugInterface;

enum EDirection
{
  kVertical = 0,
  kHorizontal = 1,
};

// The gearing a knob gets when none is named: a drag over the knob's height
// times four spans the whole range.
const double DEFAULT_GEARING = 4.0;

class IControl
{
public:
  // How far a press may move, in layout units along either axis (so alike
  // at every scale), and still be a click: past it, a level switch's press
  // and the second press of a double click are drags.
  static const int kClickSlop = 3;

  // A further parameter the control is bound to, beside its own.
  struct AuxParam
  {
    std::atomic<double> mValue{0.0};
    int mParamIdx;

    explicit AuxParam(int paramIdx) : mParamIdx(paramIdx) {}
    AuxParam(const AuxParam& other)
        : mValue(other.mValue.load(std::memory_order_relaxed)), mParamIdx(other.mParamIdx)
    {
    }
  };

  IControl(IPlugInterface* plug, IRECT rect, int paramIdx = -1,
           IChannelBlend blend = IChannelBlend(IChannelBlend::kBlendNone));
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- Input [UI thread], in editor coordinates ---------------------------
  // The right button prompts for a value (when prompting is enabled).
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int x, int y, IMouseMod* mod);
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod);
  // Restores the default value, once the plug-in has handed the control one.
  // Comes at the release of the double click's second press, inside a
  // gesture on the control's parameter, then OnMouseUp.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  // d in notches: 0.01 of the range each, 0.001 with control or shift held.
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  // key: 0 space, 1-4 arrows up, down, left, right, 5-14 digits, 15-40
  // letters A to Z. False lets the window pass the key on.
  virtual bool OnKeyDown(int x, int y, int key);
  virtual void OnMouseOver(int x, int y, IMouseMod* mod);
  virtual void OnMouseOut();

  // [UI thread] Draws into the drawing context's back buffer, in layout
  // units (IDrawContext.h); the result of the drawing call, or true when
  // nothing is drawn.
  virtual bool Draw(IDrawContext* context) = 0;

  // [any thread] The plug-in changed the bound parameter: a value that
  // differs from the control's marks it for drawing. The first value ever
  // handed in also becomes the value a double click restores.
  virtual void SetValueFromPlug(double value);
  // [UI thread] Text typed into the control's text entry.
  virtual void TextFromTextEntry(const char* text);
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y);
  // Clamps the value into the clamp bounds and marks the control for the
  // next drawing pass; with pushParamToPlug, a bound control then sets its
  // parameter (which informs the host and the plug-in).
  virtual void SetDirty(bool pushParamToPlug = true);
  // After drawing: stays dirty for one more pass if a redraw was asked for
  // meanwhile.
  virtual void SetClean();
  virtual bool IsDirty();
  // [UI thread] Called after a number of drawing ticks with nothing dirty.
  virtual void OnGUIIdle() {}
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);
  // Whether a press opens the host's gesture on the bound parameter at
  // once. A control bound to more than one parameter that learns only from
  // the movement which one the user changes says no, and opens it later
  // with IGraphics::MoveGesture.
  virtual bool GestureOnPress() const { return true; }

  // ---- Accessors ----------------------------------------------------------
  const IRECT* GetRECT() const { return &mRECT; }
  const IRECT* GetTargetRECT() const { return &mTargetRECT; }
  int ParamIdx() const { return mParamIdx; }
  // True when the parameter index names one of the plug-in's parameters.
  bool IsBound() const;
  double GetValue() const { return mValue.load(std::memory_order_relaxed); }
  bool IsHidden() const { return mHide.load(std::memory_order_relaxed); }
  bool IsGrayed() const { return mGrayed.load(std::memory_order_relaxed); }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool allow) { mMOWhenGrayed = allow; }
  bool MouseDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMouseDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int length) { mTextEntryLength = length; }
  IText* GetText() { return &mText; }
  void SetText(const IText* text) { mText = *text; }
  // The blend the control draws with: its method, and GRAYED_ALPHA as the
  // weight while grayed.
  IChannelBlend GetBlend() const
  {
    return IChannelBlend(mBlendMethod, mBlendWeight.load(std::memory_order_relaxed));
  }

  // The graphics context the control is attached to (null before), which
  // serves its prompts, menus and dialogs.
  IGraphics* GetGraphics() const { return mGraphics; }
  void SetGraphics(IGraphics* graphics) { mGraphics = graphics; }

  // ---- Value changes ------------------------------------------------------
  void Clamp(double lo, double hi);
  // Asks for one more drawing pass after the next one.
  void Redraw();
  // [UI thread] A value the user chose: stored and pushed when it differs.
  void SetValueFromUserInput(double value);
  // [UI thread] Opens a text entry or a menu for the bound parameter, over
  // a small box in the control's middle, or over the control when the
  // parameter has display texts. Nothing happens while prompting is
  // disabled (it is at construction) or when the control is not bound.
  void PromptUserInput();
  void PromptUserInput(IRECT* textRect);

  void AddAuxParam(int paramIdx);
  // The position of the first auxiliary parameter with that index, or -1.
  int AuxParamIdx(int paramIdx) const;
  // Null out of range.
  AuxParam* GetAuxParam(int idx);
  int NAuxParams() const { return static_cast<int>(mAuxParams.size()); }
  // Pushes every bound auxiliary parameter's value to the plug-in.
  void SetAllAuxParamsFromGUI();

protected:
  // The bound parameter, null when the control is not bound.
  IParam* GetParam() const;
  // Steps the value as a mouse gesture does, then SetDirty(true).
  void SetValueFromGesture(double value);

  int mTextEntryLength = 7;
  IText mText;
  IPlugInterface* mPlug;
  IGraphics* mGraphics = nullptr;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  std::vector<AuxParam> mAuxParams;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mDefaultValue{-1.0};
  std::atomic<double> mClampLo{0.0};
  std::atomic<double> mClampHi{1.0};
  std::atomic<bool> mHide{false};
  std::atomic<bool> mGrayed{false};
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  IChannelBlend::EBlendMethod mBlendMethod;
  std::atomic<float> mBlendWeight;

private:
  // Dirty and redraw-requested live in one word so that cleaning after a
  // draw (dirty becomes redraw-requested, which is then cleared) cannot
  // swallow a value the host stores between the two steps.
  static constexpr unsigned kDirtyFlag = 1;
  static constexpr unsigned kRedrawFlag = 2;
  std::atomic<unsigned> mDrawFlags{kDirtyFlag};
};

// Fills its rectangle with a colour; no parameter.
class IPanelControl : public IControl
{
public:
  IPanelControl(IPlugInterface* plug, IRECT rect, const IColor* color);
  bool Draw(IDrawContext* context) override;

protected:
  IColor mColor;
};

// Shows the frame of its bitmap that matches its value: with N frames the
// range is cut into N bands centred on k / (N - 1), frame 1 at value 0.
class IBitmapControl : public IControl
{
public:
  IBitmapControl(IPlugInterface* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  // No parameter.
  IBitmapControl(IPlugInterface* plug, int x, int y, const IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  bool Draw(IDrawContext* context) override;

protected:
  IBitmap mBitmap;
};

// Steps to the next frame on every click (any button) and wraps to 0 after
// the last; a double click counts as one more click.
class ISwitchControl : public IBitmapControl
{
public:
  ISwitchControl(IPlugInterface* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
};

// A two-frame switch with a level: its first auxiliary parameter, shown
// while the switch is on as how much of the key, from the bottom up, wears
// the on frame (all of it at 1, the off frame above the rest, in steps of
// two layout rows); off, the off frame whole. A click toggles the switch on its release. A press
// that moves more than kClickSlop layout units is a drag instead, and sets the level: up raises it,
// levelSpan units cross its range (ten times that with control or shift held), the movement since
// the press counting from the moment it leaves the slop. The press opens no gesture: the click's
// release opens one on the switch, the drag one on the level. A double
// click toggles as on any switch.
class ILevelSwitchControl : public ISwitchControl
{
public:
  ILevelSwitchControl(IPlugInterface* plug, int x, int y, int paramIdx, int levelParamIdx,
                      const IBitmap* bitmap, int levelSpan);
  bool GestureOnPress() const override { return false; }
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IDrawContext* context) override;
  // The level, normalized; 1 until the plug-in hands one in.
  double GetLevel() const;
  // How many layout rows from the top show the off frame: all of them while
  // the switch is off, none at level 1.
  int UnfilledRows() const;

protected:
  int mLevelSpan;
  bool mPressed = false, mDragging = false;
  int mPressX = 0, mPressY = 0;
};

// Toggles between 0 and 1 on each press and draws nothing.
class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IPlugInterface* plug, IRECT rect, int paramIdx);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IDrawContext*) override { return true; }
};

// A momentary button: on while the mouse button is held, off at release.
class IContactControl : public ISwitchControl
{
public:
  IContactControl(IPlugInterface* plug, int x, int y, int paramIdx, const IBitmap* bitmap);
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

// n buttons laid out along the direction with equal gaps over the rectangle,
// each the size of one frame; the chosen one shows frame 2, the others
// frame 1. With reverse, the first button is the last along the direction.
class IRadioButtonsControl : public IControl
{
public:
  IRadioButtonsControl(IPlugInterface* plug, IRECT rect, int paramIdx, int nButtons,
                       const IBitmap* bitmap, EDirection direction = kVertical,
                       bool reverse = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IDrawContext* context) override;
  int NButtons() const { return static_cast<int>(mButtons.size()); }
  const IRECT* GetButtonRECT(int i) const;

protected:
  std::vector<IRECT> mButtons;
  IBitmap mBitmap;
};

// A handle sliding along a track of the given length: from the bottom
// (vertical) or the left (horizontal) by the value. Clicks and drags put the
// handle's centre under the pointer. With onlyHandle, only the handle takes
// the mouse.
class IFaderControl : public IControl
{
public:
  IFaderControl(IPlugInterface* plug, int x, int y, int len, int paramIdx, const IBitmap* handle,
                EDirection direction = kVertical, bool onlyHandle = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool Draw(IDrawContext* context) override;
  bool IsHit(int x, int y) override;
  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }
  IRECT GetHandleRECT(double value) const;

protected:
  void SnapToMouse(int x, int y);

  int mLen;
  int mHandleHeadroom; // the handle's extent along the track
  IBitmap mHandleBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};

// A knob turned by dragging: moving up (vertical) or right (horizontal)
// raises the value; a drag over the control's extent times the gearing
// spans the whole range, ten times that with control or shift held. A drag
// past either end loses the excess, so reversing moves the value at once.
class IKnobControl : public IControl
{
public:
  IKnobControl(IPlugInterface* plug, IRECT rect, int paramIdx, EDirection direction = kVertical,
               double gearing = DEFAULT_GEARING);
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;

protected:
  EDirection mDirection;
  double mGearing;
};

// A line from the inner to the outer radius around the centre, at
// minAngle + value * (maxAngle - minAngle) radians clockwise from straight
// up. An outer radius of 0 means half the width.
class IKnobLineControl : public IKnobControl
{
public:
  IKnobLineControl(IPlugInterface* plug, IRECT rect, int paramIdx, const IColor* color,
                   double innerRadius = 0.0, double outerRadius = 0.0,
                   double minAngle = -0.75 * 3.141592653589793,
                   double maxAngle = 0.75 * 3.141592653589793, EDirection direction = kVertical,
                   double gearing = DEFAULT_GEARING);
  bool Draw(IDrawContext* context) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// Its bitmap turned about the rectangle's centre by minAngle + value *
// (maxAngle - minAngle) radians clockwise.
class IKnobRotaterControl : public IKnobControl
{
public:
  IKnobRotaterControl(IPlugInterface* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                      double minAngle = -0.75 * 3.141592653589793,
                      double maxAngle = 0.75 * 3.141592653589793, int yOffsetZeroDeg = 0,
                      EDirection direction = kVertical, double gearing = DEFAULT_GEARING);
  bool Draw(IDrawContext* context) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A knob composed of three same-sized pictures: a base, a mask turned by
// minAngle + value * (maxAngle - minAngle) degrees and added onto the base's
// alpha, and a top picture turned with it.
class IKnobRotatingMaskControl : public IKnobControl
{
public:
  IKnobRotatingMaskControl(IPlugInterface* plug, int x, int y, int paramIdx, const IBitmap* base,
                           const IBitmap* mask, const IBitmap* top, double minAngle = -135.0,
                           double maxAngle = 135.0, EDirection direction = kVertical,
                           double gearing = DEFAULT_GEARING);
  bool Draw(IDrawContext* context) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

// A knob drawn as the frame of its bitmap nearest to the value.
class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IPlugInterface* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                    EDirection direction = kVertical, double gearing = DEFAULT_GEARING);
  bool Draw(IDrawContext* context) override;

protected:
  IBitmap mBitmap;
};

// A switch that shows its bitmap over the control's rectangle while on
// (value 0.5 or more) and is then hit there; while off it draws nothing and
// is hit over its target area instead.
class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IPlugInterface* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                        IRECT targetArea);
  bool Draw(IDrawContext* context) override;

protected:
  IRECT mTargetArea;
};

// A text in its style; no parameter.
class ITextControl : public IControl
{
public:
  ITextControl(IPlugInterface* plug, IRECT rect, const IText* text, const char* str = "");
  // [UI thread] Replaces the text, marking the control dirty when it differs.
  void SetTextFromPlug(const char* str);
  const char* GetTextForPlug() const { return mStr.Get(); }
  bool Draw(IDrawContext* context) override;

protected:
  WDL_String mStr;
};

// The bound parameter's display text for the control's value, with its
// label after a space when showParamLabel is set. Clicks and double clicks
// prompt for a value.
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IPlugInterface* plug, IRECT rect, int paramIdx, const IText* text,
                  bool showParamLabel = true);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IDrawContext* context) override;

protected:
  bool mShowParamLabel;
};

// Opens an address when clicked, and the backup address when that fails.
class IURLControl : public IControl
{
public:
  IURLControl(IPlugInterface* plug, IRECT rect, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IDrawContext*) override { return true; }

protected:
  WDL_String mURL, mBackupURL, mErrMsg;
};

// Asks for a file when clicked and remembers the choice; its value toggles
// with every selection. Shows its bitmap while the selection is under way
// and reports dirty once more after it.
class IFileSelectorControl : public IControl
{
public:
  IFileSelectorControl(IPlugInterface* plug, IRECT rect, int paramIdx, const IBitmap* bitmap,
                       IGraphicsInterface::EFileAction action, const char* dir = "",
                       const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IDrawContext* context) override;
  bool IsDirty() override;
  void GetLastSelectedFileForPlug(WDL_String* file) const { file->Set(mFile.Get()); }
  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }

protected:
  enum EFileSelectorState
  {
    kFSNone,
    kFSSelecting,
    kFSDone,
  };

  IBitmap mBitmap;
  WDL_String mFile, mDir, mExtensions;
  IGraphicsInterface::EFileAction mFileAction;
  EFileSelectorState mState = kFSNone;
};
