// The routing of mouse and key events to the controls, with the host
// gestures they open and close, and the menus and text boxes that set a
// control's value.

#include "IInputDispatch.h"

#include "IParam.h"
#include "IPlatformWindow.h"
#include "IPlugInterface.h"
#include "IPopupMenu.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace
{
// Substituted for a missing modifier record, so that controls can always
// read one.
IMouseMod* OrNoMod(IMouseMod* mod, IMouseMod* none)
{
  return mod ? mod : none;
}
} // namespace

// ============================================================================
// Input dispatch

bool IInputDispatch::Hittable(IControl* control, bool mouseOver)
{
  return !control->IsHidden() &&
         !(control->IsGrayed() && !(mouseOver && control->GetMOWhenGrayed()));
}

int IInputDispatch::GetMouseControlIdx(int x, int y, bool mouseOver)
{
  if (mMouseCapture >= 0)
  {
    return mMouseCapture;
  }
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* control = mControls.Get(i);
    if (Hittable(control, mouseOver) && control->IsHit(x, y))
    {
      return i;
    }
  }
  return -1;
}

IInputDispatch::Hit IInputDispatch::HitAt(int px, int py, bool mouseOver)
{
  Hit hit = {-1, ToLayout(px), ToLayout(py)};
  if (mMouseCapture >= 0 || GetScale() == 1.0)
  {
    hit.control = GetMouseControlIdx(hit.x, hit.y, mouseOver);
    return hit;
  }
  // What is hit is what is drawn there: a control's pixels are its layout
  // rectangle's at the scale, and at 150 % its last pixel may lie in the
  // next layout unit, so the unit is kept inside the control it belongs to.
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* control = mControls.Get(i);
    const IRECT& target = *control->GetTargetRECT();
    if (!Hittable(control, mouseOver) || !ToPixels(target).Contains(px, py))
    {
      continue;
    }
    const int x = std::min(std::max(hit.x, target.L), target.R - 1);
    const int y = std::min(std::max(hit.y, target.T), target.B - 1);
    if (control->IsHit(x, y))
    {
      return {i, x, y};
    }
  }
  return hit;
}

void IInputDispatch::ReleaseMouseCapture()
{
  mMouseCapture = mMouseX = mMouseY = -1;
  mDblClickPending = false;
}

void IInputDispatch::PressControl(int c, int x, int y, IMouseMod* mod)
{
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  // The gesture opens before the control acts: a switch or a button changes
  // its value on the press, and a host recording automation by touch keeps
  // only the values that come between begin and end.
  IControl* control = mControls.Get(c);
  BeginGesture(control);
  control->OnMouseDown(x, y, mod);
}

void IInputDispatch::OnMouseDown(int x, int y, IMouseMod* mod)
{
  IMouseMod none;
  mod = OrNoMod(mod, &none);
  ReleaseMouseCapture();
  EndGesture(); // a release the window never saw
  const Hit hit = HitAt(x, y);
  // The background is the unbound control under all the others; a right
  // press there, or where no control is, asks for the context's menu (the
  // editor's size).
  if (mod->R && (hit.control < 0 || (hit.control == 0 && !mControls.Get(0)->IsBound())) &&
      ShowBackgroundMenu(x, y))
  {
    return;
  }
  if (hit.control >= 0)
  {
    PressControl(hit.control, hit.x, hit.y, mod);
  }
}

void IInputDispatch::OnMouseUp(int x, int y, IMouseMod* mod)
{
  IMouseMod none;
  mod = OrNoMod(mod, &none);
  const Hit hit = HitAt(x, y);
  const bool dblClick = mDblClickPending;
  const int pressX = mMouseX, pressY = mMouseY;
  IMouseMod pressMod = mDblClickMod;
  ReleaseMouseCapture();
  if (IControl* control = mControls.Get(hit.control))
  {
    if (dblClick)
    {
      // Released within the slop: a double click after all, acted on
      // where it was pressed, and a gesture of its own, so that the host
      // records the value it sets.
      MoveGesture(control->ParamIdx());
      control->OnMouseDblClick(pressX, pressY, &pressMod);
    }
    control->OnMouseUp(hit.x, hit.y, mod);
  }
  EndGesture();
}

void IInputDispatch::OnMouseDrag(int x, int y, IMouseMod* mod)
{
  IControl* control = mControls.Get(mMouseCapture);
  if (!control)
  {
    return;
  }
  // Positions rounded down to layout units: the drag's steps add up to the
  // distance moved, a unit per scale pixels.
  x = ToLayout(x);
  y = ToLayout(y);
  if (mDblClickPending)
  {
    if (std::abs(x - mMouseX) <= IControl::kClickSlop &&
        std::abs(y - mMouseY) <= IControl::kClickSlop)
    {
      return;
    }
    // Past the slop the second press is no double click but a press that
    // drags, from where it went down: a knob or a step key then follows
    // the whole movement, as after any press.
    mDblClickPending = false;
    IMouseMod pressMod = mDblClickMod;
    PressControl(mMouseCapture, mMouseX, mMouseY, &pressMod);
    control = mControls.Get(mMouseCapture); // unless the press prompted
    if (!control)
    {
      return;
    }
  }
  const int dX = x - mMouseX, dY = y - mMouseY;
  if (dX == 0 && dY == 0)
  {
    return;
  }
  IMouseMod none;
  mMouseX = x;
  mMouseY = y;
  control->OnMouseDrag(x, y, dX, dY, OrNoMod(mod, &none));
}

bool IInputDispatch::OnMouseDblClick(int px, int py, IMouseMod* mod)
{
  IMouseMod none;
  mod = OrNoMod(mod, &none);
  ReleaseMouseCapture();
  EndGesture(); // a release the window never saw
  const Hit hit = HitAt(px, py);
  const int c = hit.control, x = hit.x, y = hit.y;
  IControl* control = mControls.Get(c);
  if (!control)
  {
    return false;
  }
  if (control->MouseDblAsSingleClick())
  {
    PressControl(c, x, y, mod);
    return true;
  }
  // Which it is shows only later: released within the slop it is a double
  // click (OnMouseUp), moved past it a drag (OnMouseDrag). A second press
  // soon after a click that drags a knob or a step's level must not first
  // restore the default or toggle the step. The capture brings the window's
  // drags and release here.
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  mDblClickPending = true;
  mDblClickMod = *mod;
  return true;
}

void IInputDispatch::OnMouseWheel(int x, int y, IMouseMod* mod, int d)
{
  IMouseMod none;
  const Hit hit = HitAt(x, y);
  if (IControl* control = mControls.Get(hit.control))
  {
    // Each notch is a gesture of its own, so that a host recording by touch
    // keeps it; one a press holds open already brackets it.
    const bool held = mGestureParam >= 0;
    if (!held)
    {
      MoveGesture(control->ParamIdx());
    }
    control->OnMouseWheel(hit.x, hit.y, OrNoMod(mod, &none), d);
    if (!held)
    {
      EndGesture();
    }
  }
}

bool IInputDispatch::OnMouseOver(int x, int y, IMouseMod* mod)
{
  if (!mHandleMouseOver)
  {
    return false;
  }
  IMouseMod none;
  const Hit hit = HitAt(x, y, true);
  const int c = hit.control;
  if (c >= 0)
  {
    mMouseX = hit.x;
    mMouseY = hit.y;
    mControls.Get(c)->OnMouseOver(hit.x, hit.y, OrNoMod(mod, &none));
    if (mMouseOver >= 0 && mMouseOver != c)
    {
      if (IControl* previous = mControls.Get(mMouseOver))
      {
        previous->OnMouseOut();
      }
    }
    mMouseOver = c;
  }
  return mHandleMouseOver;
}

void IInputDispatch::OnMouseOut()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    mControls.Get(i)->OnMouseOut();
  }
  mMouseOver = -1;
}

bool IInputDispatch::OnKeyDown(int x, int y, int key)
{
  const Hit hit = HitAt(x, y);
  if (hit.control > 0)
  {
    return mControls.Get(hit.control)->OnKeyDown(hit.x, hit.y, key);
  }
  if (mKeyCatcher)
  {
    return mKeyCatcher->OnKeyDown(hit.x, hit.y, key);
  }
  return false;
}

// ============================================================================
// Menus and text entry

void IInputDispatch::PromptUserInput(IControl* control, IParam* param, IRECT* textRect)
{
  if (!control || !param || !textRect)
  {
    return;
  }
  // The platform's menu and box go where the control is on the screen.
  IRECT pixels = ToPixels(*textRect);
  const int nTexts = param->GetNDisplayTexts();
  if (param->Type() == kTypeEnum || (param->Type() == kTypeBool && nTexts > 0))
  {
    char current[MAX_PARAM_DISPLAY_LEN];
    param->GetDisplayForHost(current);
    IPopupMenu menu(0, false);
    for (int i = 0; i < nTexts; ++i)
    {
      const char* text = param->GetDisplayTextAtIdx(i);
      menu.AddItem(text)->SetChecked(std::strcmp(text, current) == 0);
    }
    if (PlatformWindow().CreateIPopupMenu(&menu, &pixels) == &menu)
    {
      const int chosen = menu.GetChosenItemIdx();
      if (chosen >= 0 && chosen < nTexts)
      {
        // The entry's own value, which is its position when the texts were
        // given in value order, as they usually are.
        int value = 0;
        param->GetDisplayTextAtIdx(chosen, &value);
        control->SetValueFromUserInput(param->GetNormalized(value));
      }
    }
    // The modal menu took the release: the press's gesture ends with the
    // choice, not when the window next sees a button.
    EndGesture();
    return;
  }
  char current[MAX_PARAM_DISPLAY_LEN + MAX_PARAM_LABEL_LEN];
  param->GetDisplayForHostNoDisplayText(current);
  if (param->GetFormat() && param->GetLabelForHost()[0])
  {
    // The unit goes into the box too: "500 ms" reads back as it shows,
    // where "500" alone would be taken as seconds.
    std::strcat(current, " ");
    std::strcat(current, param->GetLabelForHost());
  }
  // The box may take the release away from the window; the press's gesture
  // ends here, and the commit brackets itself.
  EndGesture();
  IText text = ScaledText(*control->GetText());
  PlatformWindow().CreateTextEntry(control, &text, &pixels, current, param);
}

void IInputDispatch::CommitTextEntry(IControl* control, IParam* param, const char* text)
{
  if (!control || !text)
  {
    return;
  }
  if (!param)
  {
    control->TextFromTextEntry(text);
    return;
  }
  double value = 0.0;
  if (!param->ParseText(text, &value))
  {
    return; // not a text this parameter takes: it keeps its value
  }
  // The text sets the control's own parameter, whether or not a press on
  // the control opens its gesture.
  MoveGesture(control->ParamIdx());
  control->SetValueFromUserInput(param->GetNormalized(value));
  EndGesture();
}
