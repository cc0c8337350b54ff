// The controls and the values between them and the plug-in: attaching,
// values from the plug-in, the host's gestures, and the dirty tracking and
// drawing pass the window's timer runs.

#include "IControlSet.h"

#include "IParam.h"
#include "IPlugInterface.h"

namespace
{
// Clean timer ticks in a row after which the controls get OnGUIIdle().
const int kIdleTicks = 20;
} // namespace

// ============================================================================
// Controls

IControlSet::IControlSet(IPlugInterface* plug, int w, int h) : IDrawContext(w, h), mPlug(plug) {}

IControlSet::~IControlSet()
{
  delete mKeyCatcher;
  mControls.Empty(true);
}

void IControlSet::AttachBackground(int id, const char* name)
{
  const IBitmap background = LoadIBitmap(id, name, 1);
  IControl* control = new IBitmapControl(mPlug, 0, 0, -1, &background, IChannelBlend::kBlendOpaque);
  control->SetGraphics(Graphics());
  mControls.Insert(0, control);
}

void IControlSet::AttachPanelBackground(const IColor* color)
{
  IControl* control = new IPanelControl(mPlug, IRECT(0, 0, LayoutWidth(), LayoutHeight()), color);
  control->SetGraphics(Graphics());
  mControls.Insert(0, control);
}

int IControlSet::AttachControl(IControl* control)
{
  if (!control)
  {
    return -1;
  }
  control->SetGraphics(Graphics());
  mControls.Add(control);
  return mControls.GetSize() - 1;
}

void IControlSet::AttachKeyCatcher(IControl* control)
{
  if (control != mKeyCatcher)
  {
    delete mKeyCatcher;
  }
  mKeyCatcher = control;
  if (control)
  {
    control->SetGraphics(Graphics());
  }
}

bool IControlSet::IsParam(int idx) const
{
  return mPlug && mPlug->GetParam(idx);
}

// ============================================================================
// Values between the plug-in and the controls

void IControlSet::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  if (!param)
  {
    return;
  }
  if (!normalized)
  {
    value = param->GetNormalized(value);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* control = mControls.Get(i);
    if (control->ParamIdx() == paramIdx)
    {
      control->SetValueFromPlug(value);
    }
    const int auxIdx = control->AuxParamIdx(paramIdx);
    if (auxIdx >= 0)
    {
      control->SetAuxParamValueFromPlug(auxIdx, value);
    }
  }
}

void IControlSet::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  if (IControl* control = mControls.Get(controlIdx))
  {
    control->SetValueFromPlug(normalizedValue);
  }
}

void IControlSet::HideControl(int paramIdx, bool hide)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    if (mControls.Get(i)->ParamIdx() == paramIdx)
    {
      mControls.Get(i)->Hide(hide);
    }
  }
}

void IControlSet::GrayOutControl(int paramIdx, bool gray)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    if (mControls.Get(i)->ParamIdx() == paramIdx)
    {
      mControls.Get(i)->GrayOut(gray);
    }
  }
}

void IControlSet::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  if (!param)
  {
    return;
  }
  if (!normalized)
  {
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    if (mControls.Get(i)->ParamIdx() == paramIdx)
    {
      mControls.Get(i)->Clamp(lo, hi);
    }
  }
}

void IControlSet::SetAllControlsDirty()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    mControls.Get(i)->SetDirty(false);
  }
}

void IControlSet::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

// ============================================================================
// Gestures to the host

void IControlSet::BeginGesture(IControl* control)
{
  MoveGesture(control && control->GestureOnPress() ? control->ParamIdx() : -1);
}

void IControlSet::MoveGesture(int paramIdx)
{
  if (paramIdx >= 0 && paramIdx == mGestureParam)
  {
    return; // already open: a second begin would split what the host records
  }
  EndGesture();
  if (IsParam(paramIdx))
  {
    mGestureParam = paramIdx;
    mPlug->BeginInformHostOfParamChange(paramIdx);
  }
}

void IControlSet::EndGesture()
{
  if (mGestureParam >= 0)
  {
    const int paramIdx = mGestureParam;
    mGestureParam = -1;
    mPlug->EndInformHostOfParamChange(paramIdx);
  }
}

// ============================================================================
// Dirty tracking and the drawing pass

bool IControlSet::IsDirty(IRECT* rect)
{
  bool dirty = false;
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* control = mControls.Get(i);
    if (control->IsDirty())
    {
      if (rect)
      {
        *rect = rect->Union(ToPixels(*control->GetRECT()));
      }
      dirty = true;
    }
  }
  if (dirty)
  {
    mIdleTicks = 0;
  }
  else if (++mIdleTicks > kIdleTicks)
  {
    OnGUIIdle();
    mIdleTicks = 0;
  }
  return dirty;
}

void IControlSet::DrawControls(const IRECT& rect)
{
  const int n = mControls.GetSize();
  if (n == 0)
  {
    return;
  }
  if (mStrict)
  {
    mDrawRECT = rect;
    for (int i = 0; i < n; ++i)
    {
      IControl* control = mControls.Get(i);
      if (!control->IsHidden() && rect.Intersects(ToPixels(*control->GetRECT())))
      {
        control->Draw(this);
      }
      control->SetClean();
    }
  }
  else
  {
    IControl* background = mControls.Get(0);
    if (background->IsDirty())
    {
      mDrawRECT = ToPixels(*background->GetRECT());
      for (int j = 0; j < n; ++j)
      {
        IControl* control = mControls.Get(j);
        if (j == 0 || !control->IsHidden())
        {
          control->Draw(this);
          control->SetClean();
        }
      }
    }
    else
    {
      for (int i = 1; i < n; ++i)
      {
        IControl* dirty = mControls.Get(i);
        if (!dirty->IsDirty())
        {
          continue;
        }
        mDrawRECT = ToPixels(*dirty->GetRECT());
        for (int j = 0; j < n; ++j)
        {
          IControl* control = mControls.Get(j);
          if (!control->IsHidden() &&
              (j == i || ToPixels(*control->GetRECT()).Intersects(mDrawRECT)))
          {
            control->Draw(this);
          }
        }
        dirty->SetClean();
      }
    }
  }
}

void IControlSet::OnGUIIdle()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    mControls.Get(i)->OnGUIIdle();
  }
}
