// The control base class, the panel, and the bitmap that shows a frame per
// value. Switches and buttons live in IControlSwitches.cpp, faders and
// knobs in IControlKnobs.cpp, text, links and file selectors in
// IControlText.cpp.

#include "IControl.h"

#include "IControlPrivate.h"
#include "IGraphics.h"
#include "IParam.h"
#include "IPlugInterface.h"

#include <cmath>

using controls::FineAdjust;
using controls::IsRightClick;
using controls::StateForValue;

// ============================================================================
// IControl

// ============================================================================
// IControl

IControl::IControl(IPlugInterface* plug, IRECT rect, int paramIdx, IChannelBlend blend)
    : mText(DEFAULT_TEXT_SIZE, nullptr, nullptr, IText::kStyleNormal, IText::kAlignCenter),
      mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlendMethod(blend.mMethod),
      mBlendWeight(blend.mWeight)
{
}

void IControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (IsRightClick(mod))
  {
    PromptUserInput();
  }
}

void IControl::OnMouseUp(int, int, IMouseMod*) {}

void IControl::OnMouseDrag(int, int, int, int, IMouseMod*) {}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
  const double defaultValue = mDefaultValue.load(std::memory_order_relaxed);
  if (defaultValue >= 0.0)
  {
    SetValueFromGesture(defaultValue);
  }
}

void IControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  const double step = FineAdjust(mod) ? 0.001 : 0.01;
  SetValueFromGesture(GetValue() + d * step);
}

bool IControl::OnKeyDown(int, int, int)
{
  return false;
}

void IControl::OnMouseOver(int, int, IMouseMod*) {}

void IControl::OnMouseOut() {}

void IControl::SetValueFromPlug(double value)
{
  if (!std::isfinite(value))
  {
    return;
  }
  if (mDefaultValue.load(std::memory_order_relaxed) < 0.0)
  {
    mDefaultValue.store(value, std::memory_order_relaxed);
  }
  // Compared with what the control showed so far even for the first value:
  // a control drawn before the plug-in first speaks (a step LED lit for the
  // first time) must be drawn again.
  if (value != GetValue())
  {
    mValue.store(value, std::memory_order_relaxed);
    // Redraw first: a drawing pass that cleans the control between the two
    // steps then leaves it dirty, so the new value is always drawn.
    Redraw();
    SetDirty(false);
  }
}

void IControl::TextFromTextEntry(const char*) {}

void IControl::Hide(bool hide)
{
  mHide.store(hide, std::memory_order_relaxed);
  Redraw();
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed.store(gray, std::memory_order_relaxed);
  mBlendWeight.store(gray ? GRAYED_ALPHA : 1.0f, std::memory_order_relaxed);
  SetDirty(false);
}

bool IControl::IsHit(int x, int y)
{
  return mTargetRECT.Contains(x, y);
}

void IControl::SetDirty(bool pushParamToPlug)
{
  double value = GetValue();
  const double lo = mClampLo.load(std::memory_order_relaxed);
  const double hi = mClampHi.load(std::memory_order_relaxed);
  // Written so that a value that is not a number ends at the low bound.
  if (!(value >= lo))
  {
    value = lo;
  }
  if (value > hi)
  {
    value = hi;
  }
  mValue.store(value, std::memory_order_relaxed);
  mDrawFlags.fetch_or(kDirtyFlag, std::memory_order_release);
  if (pushParamToPlug && IsBound())
  {
    mPlug->SetParameterFromGUI(mParamIdx, value);
  }
}

void IControl::SetClean()
{
  unsigned flags = mDrawFlags.load(std::memory_order_relaxed);
  while (!mDrawFlags.compare_exchange_weak(flags, (flags & kRedrawFlag) ? kDirtyFlag : 0u,
                                           std::memory_order_acq_rel, std::memory_order_relaxed))
  {
  }
}

bool IControl::IsDirty()
{
  return (mDrawFlags.load(std::memory_order_acquire) & kDirtyFlag) != 0;
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value)
{
  AuxParam* aux = GetAuxParam(auxParamIdx);
  if (!aux || !std::isfinite(value))
  {
    return;
  }
  if (value != aux->mValue.load(std::memory_order_relaxed))
  {
    aux->mValue.store(value, std::memory_order_relaxed);
    Redraw();
    SetDirty(false);
  }
}

bool IControl::IsBound() const
{
  return GetParam() != nullptr;
}

IParam* IControl::GetParam() const
{
  return mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr;
}

void IControl::Clamp(double lo, double hi)
{
  mClampLo.store(lo, std::memory_order_relaxed);
  mClampHi.store(hi, std::memory_order_relaxed);
}

void IControl::Redraw()
{
  mDrawFlags.fetch_or(kRedrawFlag, std::memory_order_release);
}

void IControl::SetValueFromUserInput(double value)
{
  if (std::isfinite(value) && value != GetValue())
  {
    mValue.store(value, std::memory_order_relaxed);
    SetDirty(true);
    Redraw();
  }
}

void IControl::SetValueFromGesture(double value)
{
  mValue.store(value, std::memory_order_relaxed);
  SetDirty(true);
}

void IControl::PromptUserInput()
{
  IParam* param = GetParam();
  if (mDisablePrompt || !param || !mGraphics)
  {
    return;
  }
  IRECT rect = mRECT;
  if (param->GetNDisplayTexts() == 0)
  {
    // A box for a short number in the control's middle.
    const int cx = static_cast<int>(mRECT.MW());
    const int cy = static_cast<int>(mRECT.MH());
    rect = IRECT(cx - 15, cy - 8, cx + 15, cy + 8);
  }
  mGraphics->PromptUserInput(this, param, &rect);
  Redraw();
}

void IControl::PromptUserInput(IRECT* textRect)
{
  IParam* param = GetParam();
  if (mDisablePrompt || !param || !mGraphics)
  {
    return;
  }
  mGraphics->PromptUserInput(this, param, textRect);
  Redraw();
}

void IControl::AddAuxParam(int paramIdx)
{
  mAuxParams.emplace_back(paramIdx);
}

int IControl::AuxParamIdx(int paramIdx) const
{
  for (size_t i = 0; i < mAuxParams.size(); ++i)
  {
    if (mAuxParams[i].mParamIdx == paramIdx)
    {
      return static_cast<int>(i);
    }
  }
  return -1;
}

IControl::AuxParam* IControl::GetAuxParam(int idx)
{
  return idx >= 0 && idx < NAuxParams() ? &mAuxParams[static_cast<size_t>(idx)] : nullptr;
}

void IControl::SetAllAuxParamsFromGUI()
{
  for (const AuxParam& aux : mAuxParams)
  {
    if (mPlug && mPlug->GetParam(aux.mParamIdx))
    {
      mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue.load(std::memory_order_relaxed));
    }
  }
}
// ============================================================================
// Panels and bitmaps

IPanelControl::IPanelControl(IPlugInterface* plug, IRECT rect, const IColor* color)
    : IControl(plug, rect), mColor(color ? *color : COLOR_BLACK)
{
}

bool IPanelControl::Draw(IDrawContext* context)
{
  const IChannelBlend blend = GetBlend();
  return context->FillIRect(&mColor, &mRECT, &blend);
}

IBitmapControl::IBitmapControl(IPlugInterface* plug, int x, int y, int paramIdx,
                               const IBitmap* bitmap, IChannelBlend::EBlendMethod blendMethod)
    : IControl(plug, IRECT(x, y, bitmap), paramIdx, IChannelBlend(blendMethod)),
      mBitmap(bitmap ? *bitmap : IBitmap())
{
}

IBitmapControl::IBitmapControl(IPlugInterface* plug, int x, int y, const IBitmap* bitmap,
                               IChannelBlend::EBlendMethod blendMethod)
    : IBitmapControl(plug, x, y, -1, bitmap, blendMethod)
{
}

bool IBitmapControl::Draw(IDrawContext* context)
{
  const IChannelBlend blend = GetBlend();
  return context->DrawBitmap(&mBitmap, &mRECT, StateForValue(GetValue(), mBitmap.Frames()), &blend);
}
