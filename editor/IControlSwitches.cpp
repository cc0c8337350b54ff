// Switches and buttons: the frame-stepping switch, the level switch of the
// step keys, the invisible switch, the momentary contact, radio buttons and
// the bitmap overlay.

#include "IControl.h"

#include "IControlPrivate.h"
#include "IGraphics.h"

#include <cstdlib>

using controls::FineAdjust;
using controls::IsRightClick;
using controls::StateForValue;

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

bool ILevelSwitchControl::Draw(IDrawContext* context)
{
  const IChannelBlend blend = GetBlend();
  const int h = mRECT.H();
  const int unfilled = mBitmap.Frames() < 2 ? 0 : UnfilledRows();
  if (unfilled == 0)
  {
    return IBitmapControl::Draw(context);
  }
  if (unfilled >= h)
  {
    return context->DrawBitmap(&mBitmap, &mRECT, 1, &blend);
  }
  // The off frame's rows above the split and the on frame's below, each
  // drawn once over what lies beneath, so each part is exactly that
  // frame's. The split is an even number of layout rows down, a whole
  // pixel row at every scale the editor draws at (1, 1.5 and 2), and so
  // the same row of both frames' pixels.
  const IRECT upper(mRECT.L, mRECT.T, mRECT.R, mRECT.T + unfilled);
  const IRECT lower(mRECT.L, mRECT.T + unfilled, mRECT.R, mRECT.B);
  const bool drawn = context->DrawBitmap(&mBitmap, &upper, 0, 0, &blend);
  return context->DrawBitmap(&mBitmap, &lower, 0, h + unfilled, &blend) && drawn;
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
// Radio buttons and the overlay

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

bool IRadioButtonsControl::Draw(IDrawContext* context)
{
  const IChannelBlend blend = GetBlend();
  const int active = StateForValue(GetValue(), NButtons()) - 1;
  for (int i = 0; i < NButtons(); ++i)
  {
    context->DrawBitmap(&mBitmap, &mButtons[static_cast<size_t>(i)], i == active ? 2 : 1, &blend);
  }
  return true;
}

IBitmapOverlayControl::IBitmapOverlayControl(IPlugInterface* plug, int x, int y, int paramIdx,
                                             const IBitmap* bitmap, IRECT targetArea)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mTargetArea(targetArea)
{
  mTargetRECT = mTargetArea;
}

bool IBitmapOverlayControl::Draw(IDrawContext* context)
{
  if (GetValue() < 0.5)
  {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(context);
}
