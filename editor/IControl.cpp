#include "IControl.h"

#include "IGraphics.h"
#include "IParam.h"
#include "IPlugInterface.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{
// The 1-based frame of an n-frame picture that shows value: the range is cut
// into n bands centred on k / (n - 1). Values outside 0..1 (a plug-in may
// hand any number in) pick the nearest end.
int StateForValue(double value, int nFrames)
{
  if (nFrames <= 1)
  {
    return 1;
  }
  const double s = value * (nFrames - 1) + 0.5;
  if (!(s >= 1.0))
  {
    return 1;
  }
  if (s >= nFrames - 1)
  {
    return nFrames;
  }
  return 1 + static_cast<int>(s);
}

bool IsRightClick(const IMouseMod* mod)
{
  return mod && mod->R;
}

bool FineAdjust(const IMouseMod* mod)
{
  return mod && (mod->C || mod->S);
}
} // namespace

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
// Panels, bitmaps and switches

IPanelControl::IPanelControl(IPlugInterface* plug, IRECT rect, const IColor* color)
    : IControl(plug, rect), mColor(color ? *color : COLOR_BLACK)
{
}

bool IPanelControl::Draw(IGraphics* graphics)
{
  const IChannelBlend blend = GetBlend();
  return graphics->FillIRect(&mColor, &mRECT, &blend);
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

bool IBitmapControl::Draw(IGraphics* graphics)
{
  const IChannelBlend blend = GetBlend();
  return graphics->DrawBitmap(&mBitmap, &mRECT, StateForValue(GetValue(), mBitmap.Frames()),
                              &blend);
}

ISwitchControl::ISwitchControl(IPlugInterface* plug, int x, int y, int paramIdx,
                               const IBitmap* bitmap, IChannelBlend::EBlendMethod blendMethod)
    : IBitmapControl(plug, x, y, paramIdx, bitmap, blendMethod)
{
}

void ISwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  const int n = mBitmap.Frames();
  double value = GetValue() + (n > 1 ? 1.0 / (n - 1) : 1.0);
  // The margin absorbs rounding, so that the last frame is reached before
  // the switch wraps to 0.
  if (value > 1.001)
  {
    value = 0.0;
  }
  SetValueFromGesture(value);
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  OnMouseDown(x, y, mod);
}

ILevelSwitchControl::ILevelSwitchControl(IPlugInterface* plug, int x, int y, int paramIdx,
                                         int levelParamIdx, const IBitmap* bitmap, int levelSpan)
    : ISwitchControl(plug, x, y, paramIdx, bitmap, IChannelBlend::kBlendNone), mLevelSpan(levelSpan)
{
  AddAuxParam(levelParamIdx);
  mAuxParams[0].mValue.store(1.0, std::memory_order_relaxed);
}

double ILevelSwitchControl::GetLevel() const
{
  return mAuxParams[0].mValue.load(std::memory_order_relaxed);
}

void ILevelSwitchControl::OnMouseDown(int x, int y, IMouseMod*)
{
  // Nothing changes yet: a click and a drag part only as the mouse moves.
  mPressed = true;
  mDragging = false;
  mPressX = x;
  mPressY = y;
}

void ILevelSwitchControl::OnMouseDrag(int x, int y, int, int dY, IMouseMod* mod)
{
  if (!mPressed || mLevelSpan <= 0)
  {
    return;
  }
  if (!mDragging)
  {
    if (std::abs(x - mPressX) <= kClickSlop && std::abs(y - mPressY) <= kClickSlop)
    {
      return;
    }
    mDragging = true;
    if (mGraphics)
    {
      mGraphics->MoveGesture(mAuxParams[0].mParamIdx);
    }
    dY = y - mPressY;
  }
  const double span = FineAdjust(mod) ? mLevelSpan * 10.0 : mLevelSpan;
  double level = GetLevel() - dY / span;
  level = level < 0.0 ? 0.0 : (level > 1.0 ? 1.0 : level);
  if (level != GetLevel())
  {
    mAuxParams[0].mValue.store(level, std::memory_order_relaxed);
    SetDirty(false);
    SetAllAuxParamsFromGUI();
  }
}

void ILevelSwitchControl::OnMouseUp(int x, int y, IMouseMod* mod)
{
  if (mPressed && !mDragging)
  {
    if (mGraphics)
    {
      mGraphics->MoveGesture(mParamIdx);
    }
    ISwitchControl::OnMouseDown(x, y, mod);
  }
  mPressed = mDragging = false;
}

void ILevelSwitchControl::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  mPressed = mDragging = false;
  ISwitchControl::OnMouseDown(x, y, mod);
}

int ILevelSwitchControl::UnfilledRows() const
{
  const int h = mRECT.H();
  if (StateForValue(GetValue(), mBitmap.Frames()) < 2)
  {
    return h;
  }
  // Written so that a level outside 0 to 1 draws as the nearer end.
  const double level = GetLevel() >= 1.0 ? 1.0 : (GetLevel() > 0.0 ? GetLevel() : 0.0);
  const int rows = 2 * static_cast<int>((1.0 - level) * h / 2.0 + 0.5);
  return rows < h ? rows : h;
}

bool ILevelSwitchControl::Draw(IGraphics* graphics)
{
  const IChannelBlend blend = GetBlend();
  const int h = mRECT.H();
  const int unfilled = mBitmap.Frames() < 2 ? 0 : UnfilledRows();
  if (unfilled == 0)
  {
    return IBitmapControl::Draw(graphics);
  }
  if (unfilled >= h)
  {
    return graphics->DrawBitmap(&mBitmap, &mRECT, 1, &blend);
  }
  // The off frame's rows above the split and the on frame's below, each
  // drawn once over what lies beneath, so each part is exactly that
  // frame's. The split is an even number of layout rows down, a whole
  // pixel row at every scale the editor draws at (1, 1.5 and 2), and so
  // the same row of both frames' pixels.
  const IRECT upper(mRECT.L, mRECT.T, mRECT.R, mRECT.T + unfilled);
  const IRECT lower(mRECT.L, mRECT.T + unfilled, mRECT.R, mRECT.B);
  const bool drawn = graphics->DrawBitmap(&mBitmap, &upper, 0, 0, &blend);
  return graphics->DrawBitmap(&mBitmap, &lower, 0, h + unfilled, &blend) && drawn;
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IPlugInterface* plug, IRECT rect, int paramIdx)
    : IControl(plug, rect, paramIdx, IChannelBlend(IChannelBlend::kBlendOpaque))
{
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  SetValueFromGesture(GetValue() >= 0.5 ? 0.0 : 1.0);
}

IContactControl::IContactControl(IPlugInterface* plug, int x, int y, int paramIdx,
                                 const IBitmap* bitmap)
    : ISwitchControl(plug, x, y, paramIdx, bitmap, IChannelBlend::kBlendNone)
{
}

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
  SetValueFromGesture(0.0);
}

// ============================================================================
// Radio buttons and faders

IRadioButtonsControl::IRadioButtonsControl(IPlugInterface* plug, IRECT rect, int paramIdx,
                                           int nButtons, const IBitmap* bitmap,
                                           EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), mBitmap(bitmap ? *bitmap : IBitmap())
{
  const int n = nButtons < 1 ? 1 : nButtons;
  const int w = mBitmap.FrameWidth(), h = mBitmap.FrameHeight();
  const int along = direction == kHorizontal ? w : h;
  const int extent = direction == kHorizontal ? rect.W() : rect.H();
  const double gap = n > 1 ? static_cast<double>(extent - n * along) / (n - 1) : 0.0;
  mButtons.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
  {
    const int slot = reverse ? n - 1 - i : i;
    const int offset = static_cast<int>(slot * (along + gap));
    mButtons[static_cast<size_t>(i)] =
        direction == kHorizontal ? IRECT(rect.L + offset, rect.T, rect.L + offset + w, rect.T + h)
                                 : IRECT(rect.L, rect.T + offset, rect.L + w, rect.T + offset + h);
  }
}

const IRECT* IRadioButtonsControl::GetButtonRECT(int i) const
{
  return i >= 0 && i < NButtons() ? &mButtons[static_cast<size_t>(i)] : nullptr;
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (IsRightClick(mod))
  {
    PromptUserInput();
    return;
  }
  const int n = NButtons();
  for (int i = 0; i < n; ++i)
  {
    if (mButtons[static_cast<size_t>(i)].Contains(x, y))
    {
      SetValueFromGesture(n > 1 ? static_cast<double>(i) / (n - 1) : 0.0);
      return;
    }
  }
}

bool IRadioButtonsControl::Draw(IGraphics* graphics)
{
  const IChannelBlend blend = GetBlend();
  const int active = StateForValue(GetValue(), NButtons()) - 1;
  for (int i = 0; i < NButtons(); ++i)
  {
    graphics->DrawBitmap(&mBitmap, &mButtons[static_cast<size_t>(i)], i == active ? 2 : 1, &blend);
  }
  return true;
}

IFaderControl::IFaderControl(IPlugInterface* plug, int x, int y, int len, int paramIdx,
                             const IBitmap* handle, EDirection direction, bool onlyHandle)
    : IControl(plug, IRECT(), paramIdx), mLen(len), mHandleBitmap(handle ? *handle : IBitmap()),
      mDirection(direction), mOnlyHandle(onlyHandle)
{
  const int w = mHandleBitmap.FrameWidth(), h = mHandleBitmap.FrameHeight();
  if (direction == kVertical)
  {
    mHandleHeadroom = h;
    mRECT = mTargetRECT = IRECT(x, y, x + w, y + len);
  }
  else
  {
    mHandleHeadroom = w;
    mRECT = mTargetRECT = IRECT(x, y, x + len, y + h);
  }
}

IRECT IFaderControl::GetHandleRECT(double value) const
{
  if (!(value >= 0.0))
  {
    value = 0.0;
  }
  if (value > 1.0)
  {
    value = 1.0;
  }
  const int travel = mLen > mHandleHeadroom ? mLen - mHandleHeadroom : 0;
  const int offset = static_cast<int>(value * travel);
  if (mDirection == kVertical)
  {
    const int top = mRECT.B - mHandleHeadroom - offset;
    return IRECT(mRECT.L, top, mRECT.R, top + mHandleHeadroom);
  }
  const int left = mRECT.L + offset;
  return IRECT(left, mRECT.T, left + mHandleHeadroom, mRECT.B);
}

void IFaderControl::SnapToMouse(int x, int y)
{
  const int travel = mLen - mHandleHeadroom;
  if (travel <= 0)
  {
    return;
  }
  const double half = 0.5 * mHandleHeadroom;
  double value =
      mDirection == kVertical ? (mRECT.B - half - y) / travel : (x - mRECT.L - half) / travel;
  value = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
  SetValueFromGesture(value);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (IsRightClick(mod))
  {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod* mod)
{
  if (!IsRightClick(mod))
  {
    SnapToMouse(x, y);
  }
}

bool IFaderControl::Draw(IGraphics* graphics)
{
  const IChannelBlend blend = GetBlend();
  const IRECT handle = GetHandleRECT(GetValue());
  return graphics->DrawBitmap(&mHandleBitmap, &handle, 1, &blend);
}

bool IFaderControl::IsHit(int x, int y)
{
  if (mOnlyHandle)
  {
    return GetHandleRECT(GetValue()).Contains(x, y);
  }
  return IControl::IsHit(x, y);
}

// ============================================================================
// Knobs

IKnobControl::IKnobControl(IPlugInterface* plug, IRECT rect, int paramIdx, EDirection direction,
                           double gearing)
    : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing)
{
}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod)
{
  const double gearing = FineAdjust(mod) ? mGearing * 10.0 : mGearing;
  // Up is towards smaller y, so dividing by minus the height makes moving
  // up raise the value.
  const double span = (mDirection == kVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L) * gearing;
  if (span == 0.0 || !std::isfinite(span))
  {
    return;
  }
  const int delta = mDirection == kVertical ? dY : dX;
  SetValueFromGesture(GetValue() + delta / span);
}

IKnobLineControl::IKnobLineControl(IPlugInterface* plug, IRECT rect, int paramIdx,
                                   const IColor* color, double innerRadius, double outerRadius,
                                   double minAngle, double maxAngle, EDirection direction,
                                   double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing), mColor(color ? *color : COLOR_BLACK),
      mMinAngle(static_cast<float>(minAngle)), mMaxAngle(static_cast<float>(maxAngle)),
      mInnerRadius(static_cast<float>(innerRadius)),
      mOuterRadius(static_cast<float>(outerRadius == 0.0 ? 0.5 * rect.W() : outerRadius))
{
  mBlendMethod = IChannelBlend::kBlendOpaque;
}

bool IKnobLineControl::Draw(IGraphics* graphics)
{
  const IChannelBlend blend = GetBlend();
  const float angle = mMinAngle + static_cast<float>(GetValue()) * (mMaxAngle - mMinAngle);
  return graphics->DrawRadialLine(&mColor, static_cast<float>(mRECT.MW()),
                                  static_cast<float>(mRECT.MH()), angle, mInnerRadius, mOuterRadius,
                                  &blend, true);
}

IKnobRotaterControl::IKnobRotaterControl(IPlugInterface* plug, int x, int y, int paramIdx,
                                         const IBitmap* bitmap, double minAngle, double maxAngle,
                                         int yOffsetZeroDeg, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing),
      mBitmap(bitmap ? *bitmap : IBitmap()), mMinAngle(minAngle), mMaxAngle(maxAngle),
      mYOffset(yOffsetZeroDeg)
{
}

bool IKnobRotaterControl::Draw(IGraphics* graphics)
{
  const IChannelBlend blend = GetBlend();
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedBitmap(&mBitmap, static_cast<int>(mRECT.MW()),
                                     static_cast<int>(mRECT.MH()), angle, mYOffset, &blend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IPlugInterface* plug, int x, int y, int paramIdx,
                                                   const IBitmap* base, const IBitmap* mask,
                                                   const IBitmap* top, double minAngle,
                                                   double maxAngle, EDirection direction,
                                                   double gearing)
    : IKnobControl(plug, IRECT(x, y, base), paramIdx, direction, gearing),
      mBase(base ? *base : IBitmap()), mMask(mask ? *mask : IBitmap()),
      mTop(top ? *top : IBitmap()), mMinAngle(minAngle), mMaxAngle(maxAngle)
{
}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics)
{
  const IChannelBlend blend = GetBlend();
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &blend);
}

IKnobMultiControl::IKnobMultiControl(IPlugInterface* plug, int x, int y, int paramIdx,
                                     const IBitmap* bitmap, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing),
      mBitmap(bitmap ? *bitmap : IBitmap())
{
}

bool IKnobMultiControl::Draw(IGraphics* graphics)
{
  const IChannelBlend blend = GetBlend();
  return graphics->DrawBitmap(&mBitmap, &mRECT, StateForValue(GetValue(), mBitmap.Frames()),
                              &blend);
}

IBitmapOverlayControl::IBitmapOverlayControl(IPlugInterface* plug, int x, int y, int paramIdx,
                                             const IBitmap* bitmap, IRECT targetArea)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mTargetArea(targetArea)
{
  mTargetRECT = mTargetArea;
}

bool IBitmapOverlayControl::Draw(IGraphics* graphics)
{
  if (GetValue() < 0.5)
  {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(graphics);
}

// ============================================================================
// Text, links and files

ITextControl::ITextControl(IPlugInterface* plug, IRECT rect, const IText* text, const char* str)
    : IControl(plug, rect), mStr(str)
{
  if (text)
  {
    mText = *text;
  }
}

void ITextControl::SetTextFromPlug(const char* str)
{
  if (std::strcmp(mStr.Get(), str ? str : "") != 0)
  {
    mStr.Set(str);
    SetDirty(false);
  }
}

bool ITextControl::Draw(IGraphics* graphics)
{
  if (!mStr.Get()[0])
  {
    return true;
  }
  IRECT rect = mRECT;
  return graphics->DrawIText(&mText, mStr.Get(), &rect);
}

ICaptionControl::ICaptionControl(IPlugInterface* plug, IRECT rect, int paramIdx, const IText* text,
                                 bool showParamLabel)
    : ITextControl(plug, rect, text), mShowParamLabel(showParamLabel)
{
  mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && (mod->L || mod->R))
  {
    PromptUserInput();
  }
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*)
{
  PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* graphics)
{
  if (const IParam* param = GetParam())
  {
    char display[MAX_PARAM_DISPLAY_LEN];
    param->GetDisplayForHost(GetValue(), true, display);
    mStr.Set(display);
    const char* label = param->GetLabelForHost();
    if (mShowParamLabel && label[0])
    {
      mStr.Append(" ");
      mStr.Append(label);
    }
  }
  return ITextControl::Draw(graphics);
}

IURLControl::IURLControl(IPlugInterface* plug, IRECT rect, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
    : IControl(plug, rect), mURL(url), mBackupURL(backupURL), mErrMsg(errMsgOnFailure)
{
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  if (!mGraphics)
  {
    return;
  }
  const char* errMsg = mErrMsg.Get()[0] ? mErrMsg.Get() : nullptr;
  bool opened = false;
  if (mURL.Get()[0])
  {
    opened = mGraphics->OpenURL(mURL.Get(), nullptr, nullptr, errMsg);
  }
  if (!opened && mBackupURL.Get()[0])
  {
    mGraphics->OpenURL(mBackupURL.Get(), nullptr, nullptr, errMsg);
  }
}

IFileSelectorControl::IFileSelectorControl(IPlugInterface* plug, IRECT rect, int paramIdx,
                                           const IBitmap* bitmap,
                                           IGraphicsInterface::EFileAction action, const char* dir,
                                           const char* extensions)
    : IControl(plug, rect, paramIdx), mBitmap(bitmap ? *bitmap : IBitmap()), mDir(dir),
      mExtensions(extensions), mFileAction(action)
{
}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*)
{
  if (!mGraphics)
  {
    return;
  }
  mState = kFSSelecting;
  SetDirty(false);
  mGraphics->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.Get());
  mState = kFSDone;
  SetValueFromGesture(GetValue() >= 0.5 ? 0.0 : 1.0);
}

bool IFileSelectorControl::Draw(IGraphics* graphics)
{
  if (mState != kFSSelecting)
  {
    return true;
  }
  const IChannelBlend blend = GetBlend();
  return graphics->DrawBitmap(&mBitmap, &mRECT, 1, &blend);
}

bool IFileSelectorControl::IsDirty()
{
  if (mState == kFSDone)
  {
    mState = kFSNone;
    return true;
  }
  return IControl::IsDirty();
}
