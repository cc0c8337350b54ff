// The context's life and its controls, and the values that travel between
// the plug-in and the controls. The other parts of IGraphics live beside
// this file: IGraphicsCaches.cpp (the artwork and font caches, loading),
// IGraphicsDrawing.cpp (the drawing primitives), IGraphicsDispatch.cpp (the
// drawing pass and input dispatch) and IGraphicsPrompts.cpp (the file
// prompt and opening a link).

#include "IGraphics.h"

#include "IParam.h"
#include "IPlugInterface.h"
#include "WDL_Mutex.h"

#include <cstdlib>
#include <cstring>

// ============================================================================
// Construction and controls

IGraphics::IGraphics(IPlugInterface* plug, int w, int h, int fps)
    : mPlug(plug), mWidth(w < 0 ? 0 : w), mHeight(h < 0 ? 0 : h), mFPS(fps < 1 ? 25 : fps)
{
}

IGraphics::~IGraphics()
{
  delete mKeyCatcher;
  mControls.Empty(true);
  DeleteBitmaps();
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
  mWidth = w < 0 ? 0 : w;
  mHeight = h < 0 ? 0 : h;
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
  IControl* control = new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color);
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
    if (CreateIPopupMenu(&menu, textRect) == &menu)
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
  CreateTextEntry(control, control->GetText(), textRect, current, param);
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
  if (const IParamFormat* format = param->GetFormat())
  {
    if (!format->Parse(text, &value))
    {
      return; // not a text this parameter takes: it keeps its value
    }
  }
  else if (param->Type() == kTypeEnum || param->Type() == kTypeBool)
  {
    int index = 0;
    value = param->MapDisplayText(text, &index) ? index : 0;
  }
  else
  {
    value = std::atof(text);
    if (param->DisplayIsNegated())
    {
      value = -value;
    }
  }
  BeginGesture(control);
  control->SetValueFromUserInput(param->GetNormalized(value));
  EndGesture();
}
