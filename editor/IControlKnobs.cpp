// Controls dragged to a value: the fader, and the knob with its ways of
// drawing (a line, a turned bitmap, a turned mask, a frame per value).

#include "IControl.h"

#include "IControlPrivate.h"
#include "IDrawContext.h"

#include <cmath>

using controls::FineAdjust;
using controls::IsRightClick;
using controls::StateForValue;

// ============================================================================
// Faders

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

bool IFaderControl::Draw(IDrawContext* context)
{
  const IChannelBlend blend = GetBlend();
  const IRECT handle = GetHandleRECT(GetValue());
  return context->DrawBitmap(&mHandleBitmap, &handle, 1, &blend);
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

bool IKnobLineControl::Draw(IDrawContext* context)
{
  const IChannelBlend blend = GetBlend();
  const float angle = mMinAngle + static_cast<float>(GetValue()) * (mMaxAngle - mMinAngle);
  return context->DrawRadialLine(&mColor, static_cast<float>(mRECT.MW()),
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

bool IKnobRotaterControl::Draw(IDrawContext* context)
{
  const IChannelBlend blend = GetBlend();
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  return context->DrawRotatedBitmap(&mBitmap, static_cast<int>(mRECT.MW()),
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

bool IKnobRotatingMaskControl::Draw(IDrawContext* context)
{
  const IChannelBlend blend = GetBlend();
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  return context->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &blend);
}

IKnobMultiControl::IKnobMultiControl(IPlugInterface* plug, int x, int y, int paramIdx,
                                     const IBitmap* bitmap, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing),
      mBitmap(bitmap ? *bitmap : IBitmap())
{
}

bool IKnobMultiControl::Draw(IDrawContext* context)
{
  const IChannelBlend blend = GetBlend();
  return context->DrawBitmap(&mBitmap, &mRECT, StateForValue(GetValue(), mBitmap.Frames()), &blend);
}
