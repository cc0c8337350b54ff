// Text, links and files: a text in a style, a parameter's caption, a link
// and a file selector.

#include "IControl.h"

#include "IGraphics.h"
#include "IParam.h"
#include "IPlugInterface.h"

#include <cstring>

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

bool ITextControl::Draw(IDrawContext* context)
{
  if (!mStr.Get()[0])
  {
    return true;
  }
  IRECT rect = mRECT;
  return context->DrawIText(&mText, mStr.Get(), &rect);
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

bool ICaptionControl::Draw(IDrawContext* context)
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
  return ITextControl::Draw(context);
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

bool IFileSelectorControl::Draw(IDrawContext* context)
{
  if (mState != kFSSelecting)
  {
    return true;
  }
  const IChannelBlend blend = GetBlend();
  return context->DrawBitmap(&mBitmap, &mRECT, 1, &blend);
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
