// The context's life and its controls, and the values that travel between
// the plug-in and the controls. The other parts of IGraphics live beside
// this file: IGraphicsCaches.cpp (the artwork and font caches, loading),
// IGraphicsDrawing.cpp (the drawing primitives), IGraphicsDispatch.cpp (the
// drawing pass and input dispatch) and IGraphicsPrompts.cpp (the file
// prompt and opening a link).

#include "IGraphics.h"

#include "IEditorScale.h"
#include "IParam.h"
#include "IPlugInterface.h"
#include "WDL_Mutex.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ============================================================================
// Construction and controls

IGraphics::IGraphics(IPlugInterface* plug, int w, int h, int fps)
    : mPlug(plug), mWidth(w < 0 ? 0 : w), mHeight(h < 0 ? 0 : h), mFPS(fps < 1 ? 25 : fps),
      mLayoutWidth(mWidth), mLayoutHeight(mHeight)
{
}

IGraphics::~IGraphics()
{
  delete mKeyCatcher;
  mControls.Empty(true);
  DeleteBitmaps();
  ReleasePictures();
}

void IGraphics::DeleteBitmaps()
{
  delete mDrawBitmap;
  mDrawBitmap = nullptr;
  delete mTmpBitmap;
  mTmpBitmap = nullptr;
}

void IGraphics::PrepDraw()
{
  DeleteBitmaps();
  mDrawBitmap = new LICE_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
}

void IGraphics::Resize(int w, int h)
{
  // The host may be pushing a value into the controls about to go.
  WDL_MutexLock lock(mPlug ? mPlug->GetMutex() : nullptr);
  mLayoutWidth = w < 0 ? 0 : w;
  mLayoutHeight = h < 0 ? 0 : h;
  mWidth = ToPixels(mLayoutWidth);
  mHeight = ToPixels(mLayoutHeight);
  ReleaseMouseCapture();
  EndGesture(); // its control is about to go
  mMouseOver = -1;
  mControls.Empty(true);
  PrepDraw();
  if (mPlug)
  {
    mPlug->ResizeGraphics(mWidth, mHeight);
  }
}

void* IGraphics::OpenWindow(void*, void*, short, short)
{
  return nullptr;
}

void IGraphics::AttachBackground(int id, const char* name)
{
  const IBitmap background = LoadIBitmap(id, name, 1);
  IControl* control = new IBitmapControl(mPlug, 0, 0, -1, &background, IChannelBlend::kBlendOpaque);
  control->SetGraphics(this);
  mControls.Insert(0, control);
}

void IGraphics::AttachPanelBackground(const IColor* color)
{
  IControl* control = new IPanelControl(mPlug, IRECT(0, 0, mLayoutWidth, mLayoutHeight), color);
  control->SetGraphics(this);
  mControls.Insert(0, control);
}

int IGraphics::AttachControl(IControl* control)
{
  if (!control)
  {
    return -1;
  }
  control->SetGraphics(this);
  mControls.Add(control);
  return mControls.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* control)
{
  if (control != mKeyCatcher)
  {
    delete mKeyCatcher;
  }
  mKeyCatcher = control;
  if (control)
  {
    control->SetGraphics(this);
  }
}

bool IGraphics::IsParam(int idx) const
{
  return mPlug && mPlug->GetParam(idx);
}

// ============================================================================
// Values between the plug-in and the controls

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
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

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  if (IControl* control = mControls.Get(controlIdx))
  {
    control->SetValueFromPlug(normalizedValue);
  }
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    if (mControls.Get(i)->ParamIdx() == paramIdx)
    {
      mControls.Get(i)->Hide(hide);
    }
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    if (mControls.Get(i)->ParamIdx() == paramIdx)
    {
      mControls.Get(i)->GrayOut(gray);
    }
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
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

void IGraphics::SetAllControlsDirty()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    mControls.Get(i)->SetDirty(false);
  }
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* textRect)
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
    if (CreateIPopupMenu(&menu, &pixels) == &menu)
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
  CreateTextEntry(control, &text, &pixels, current, param);
}

void IGraphics::CommitTextEntry(IControl* control, IParam* param, const char* text)
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

// ============================================================================
// Scale

int IGraphics::ToPixels(int v) const
{
  return mScale == 1.0 ? v : ScaledPixels(v, mScale);
}

IRECT IGraphics::ToPixels(const IRECT& rect) const
{
  if (mScale == 1.0 || rect.Empty())
  {
    return rect;
  }
  const int l = ToPixels(rect.L), t = ToPixels(rect.T);
  return IRECT(l, t, l + ToPixels(rect.W()), t + ToPixels(rect.H()));
}

float IGraphics::CentreToPixels(float v) const
{
  return mScale == 1.0 ? v : (v + 0.5f) * static_cast<float>(mScale) - 0.5f;
}

int IGraphics::ToLayout(int px) const
{
  return mScale == 1.0 ? px : static_cast<int>(std::floor(px / mScale));
}

IText IGraphics::ScaledText(const IText& text) const
{
  IText scaled = text;
  if (mScale != 1.0)
  {
    scaled.mSize = ToPixels(text.mSize);
    scaled.mCached = nullptr;
  }
  return scaled;
}

double IGraphics::ChoiceOf(double scale)
{
  return scale > 0.0 && std::isfinite(scale) ? NearestEditorScale(scale) : 0.0;
}

void IGraphics::SetScalable(bool scalable)
{
  mScalable = scalable;
  ApplyScale();
}

void IGraphics::SetUserScale(double scale)
{
  mUserScale = ChoiceOf(scale);
  ApplyScale();
}

bool IGraphics::SetHostScale(double scale)
{
  mHostScale = ChoiceOf(scale);
  ApplyScale();
  return mScalable;
}

void IGraphics::SetPlatformScale(double scale)
{
  mPlatformScale = ChoiceOf(scale);
  ApplyScale();
}

int IGraphics::GetUserScalePercent() const
{
  return mUserScale > 0.0 ? EditorScalePercent(mUserScale) : 0;
}

void IGraphics::SetUserScalePercent(int percent)
{
  SetUserScale(percent > 0 ? percent / 100.0 : 0.0);
}

void IGraphics::ApplyScale()
{
  double scale = 1.0;
  if (mScalable)
  {
    for (double choice : {mUserScale, mHostScale, mPlatformScale})
    {
      if (choice > 0.0)
      {
        scale = choice;
        break;
      }
    }
  }
  if (scale == mScale)
  {
    return;
  }
  mScale = scale;
  SwapPictures();
  mWidth = ToPixels(mLayoutWidth);
  mHeight = ToPixels(mLayoutHeight);
  // Surfaces exist once the plug-in attached the context; before that the
  // attach makes them at the new size.
  if (mDrawBitmap)
  {
    PrepDraw();
  }
  SetAllControlsDirty();
  WindowSizeChanged();
  if (mPlug)
  {
    mPlug->ResizeGraphics(mWidth, mHeight);
  }
}

void IGraphics::ShowScaleMenu(int x, int y)
{
  IPopupMenu menu(0, false);
  for (double scale : kEditorScales)
  {
    char label[32];
    std::snprintf(label, sizeof label, "Size: %d %%", EditorScalePercent(scale));
    menu.AddItem(label)->SetChecked(scale == mScale);
  }
  IRECT at(x, y, x, y);
  if (CreateIPopupMenu(&menu, &at) == &menu)
  {
    const int chosen = menu.GetChosenItemIdx();
    if (chosen >= 0 && chosen < kNumEditorScales)
    {
      SetUserScale(kEditorScales[chosen]);
    }
  }
}
