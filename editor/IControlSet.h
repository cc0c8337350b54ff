#pragma once

// The editor's controls and the values routed between them and the plug-in:
// the part of the graphics context (IGraphics.h) above the drawing context
// its controls draw with (IDrawContext.h), and below the input dispatch
// (IInputDispatch.h).
//
// Rules of the controls and their values:
//   - Order. Controls are kept in the order they were attached; index 0 is
//     the background, which AttachBackground and AttachPanelBackground put
//     under every other control. The drawing pass draws them in that order
//     and the dispatch hits them in reverse (IControl.h).
//   - Ownership. The set owns its controls and its key catcher and deletes
//     them with itself. A control learns its graphics context when it is
//     attached (IControl::GetGraphics).
//   - From the plug-in. SetParameterFromPlug hands a parameter's value,
//     normalized, to every control bound to it, as its own parameter or as
//     an auxiliary one; SetControlFromPlug hands one control a value by its
//     index. Neither calls back into the plug-in or the host.
//   - To the plug-in. A control pushes the values the user gives it itself
//     (IControl::SetDirty); the set brackets them in the host's gesture:
//     one gesture open at a time, on one parameter, opened by BeginGesture
//     or MoveGesture and closed by EndGesture, so that every begin gets
//     exactly one end. A control bound to no parameter opens none.
//   - Dirty tracking. A control whose value changes marks itself dirty; the
//     window's timer asks IsDirty() once per tick for the pixels of every
//     dirty control, and the drawing pass (DrawControls) redraws a region
//     and cleans what it drew. Strict drawing (the default) draws every
//     visible control that touches the region, in order, and cleans them
//     all; the other mode redraws each dirty control with whatever overlaps
//     it.
//
// Threads: everything here runs on the UI thread, except
// SetParameterFromPlug, which the host may call from its audio or parameter
// thread with the plug-in mutex held; it only stores values in controls and
// marks them dirty, which the next timer tick picks up without locking.

#include "IControl.h"
#include "IDrawContext.h"
#include "WDL_PtrList.h"

class IGraphics;
class IPlugInterface;

class IControlSet : public IDrawContext
{
public:
  // ---- Values from the plug-in -----------------------------------------------
  // [any thread, plug-in mutex held] Every control bound to paramIdx (or to
  // it as an auxiliary parameter) takes the value; a real value is
  // normalized through the parameter first. An index that names no
  // parameter of the plug-in does nothing.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  // [UI thread] Out of range does nothing.
  void SetControlFromPlug(int controlIdx, double normalizedValue);

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

  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  // Bounds every control bound to paramIdx; an index that names no
  // parameter of the plug-in does nothing.
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);

  // ---- Gestures to the host ----------------------------------------------------
  // [UI thread] During a press: ends the open gesture, if any, and opens
  // one on paramIdx (none for an index that names no parameter), which the
  // release ends as any other; nothing when the open gesture is already on
  // paramIdx. For a control bound to more than one parameter
  // (IControl::GestureOnPress) once it knows which one the user changes, so
  // that the host's begin and end bracket that parameter's values.
  void MoveGesture(int paramIdx);

  // ---- Dirty tracking ---------------------------------------------------------
  // Once per timer tick with an empty rectangle, which grows to cover every
  // dirty control (in pixels). After 21 clean ticks in a row OnGUIIdle()
  // runs.
  bool IsDirty(IRECT* rect);
  void OnGUIIdle();
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);
  bool IsStrictDrawing() const { return mStrict; }

protected:
  // plug may be null (a context without a plug-in); w x h in layout units.
  IControlSet(IPlugInterface* plug, int w, int h);
  ~IControlSet() override;

  // The graphics context this set is part of, which the controls attached
  // to it serve their prompts, menus and dialogs from.
  virtual IGraphics* Graphics() = 0;
  // True when idx names one of the plug-in's parameters.
  bool IsParam(int idx) const;
  // The host's automation bracket around one user gesture: begin for the
  // control's parameter, remembered, and end for that same parameter, so
  // every begin gets exactly one end. Controls bound to no parameter open
  // none.
  void BeginGesture(IControl* control);
  void EndGesture();
  // Redraws region rect (pixels) into the back buffer by the rules of
  // strict or loose drawing (above). Nothing without controls.
  void DrawControls(const IRECT& rect);

  WDL_PtrList<IControl> mControls;
  IPlugInterface* mPlug;
  IControl* mKeyCatcher = nullptr;
  int mGestureParam = -1; // the parameter of the open gesture, or -1

private:
  int mIdleTicks = 0;
  bool mStrict = true;
};
