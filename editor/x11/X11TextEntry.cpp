// The X11 window's text box: a child window drawn from its own bitmap,
// which takes the keys while it has the keyboard; what it holds reaches the
// context at the next tick.

#include "IGraphicsX11.h"

#include "IParam.h"
#include "X11Private.h"

#include <X11/keysym.h>

void IGraphicsX11::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                                   IParam* param)
{
  if (!control || !rect || mX->editBox || !mX->display)
    return;
  const int w = rect->W() + 1, h = rect->H() + 1;
  const Window box =
      x11::CreateWindow(mX->display, mX->window, rect->L, rect->T, w, h,
                        ExposureMask | KeyPressMask | FocusChangeMask | ButtonPressMask, false);
  if (!box)
    return;
  mX->editBox = box;
  mX->editBitmap.reset(new LICE_MemBitmap(w, h));
  mX->editText = str ? str : "";
  mX->editAllSelected = true;
  mX->editMaxLength = control->GetTextEntryLength();
  if (text)
    mX->editStyle = *text;
  mX->editStyle.mCached = nullptr;
  mEdControl = control;
  mEdParam = param;
  XMapRaised(mX->display, box);
  // The box takes the keyboard; its focus-in event makes the entry active.
  XSetInputFocus(mX->display, box, RevertToParent, CurrentTime);
  XFlush(mX->display);
}

void IGraphicsX11::ForceEndUserEdit()
{
  mParamEditMsg = kEditCancel;
}

void IGraphicsX11::DropTextEntry()
{
  if (mX->editBox && mX->display)
    XDestroyWindow(mX->display, mX->editBox);
  mX->editBox = 0;
  mX->editBitmap.reset();
  mX->editText.clear();
  mEdControl = nullptr;
  mEdParam = nullptr;
  mParamEditMsg = kEditNone;
}

void IGraphicsX11::DrawTextEntry()
{
  LICE_MemBitmap* bm = mX->editBitmap.get();
  if (!mX->editBox || !bm)
    return;
  IText& style = mX->editStyle;
  const IColor& bg = style.mTextEntryBGColor;
  const IColor& fg = style.mTextEntryFGColor;
  const LICE_pixel back = LICE_RGBA(bg.R, bg.G, bg.B, 255);
  const LICE_pixel front = LICE_RGBA(fg.R, fg.G, fg.B, 255);
  LICE_Clear(bm, back);
  int align = 0;
  if (style.mAlign == IText::kAlignCenter)
    align = LICE_DT_CENTER;
  else if (style.mAlign == IText::kAlignFar)
    align = LICE_DT_RIGHT;
  const int format = LICE_DT_SINGLELINE | LICE_DT_NOCLIP | align;
  LICE_IFont* font = CacheFont(&style);
  LICE_Rect extent = {1, 1, 1, 1};
  if (font)
    font->DrawTextA(nullptr, mX->editText.c_str(), -1, &extent, LICE_DT_CALCRECT | format);
  const int textW = extent.right - extent.left;
  const int w = bm->getWidth(), h = bm->getHeight();
  int left = 1;
  if (style.mAlign == IText::kAlignCenter)
    left = (w - textW) / 2;
  else if (style.mAlign == IText::kAlignFar)
    left = w - 1 - textW;
  LICE_pixel ink = front;
  if (mX->editAllSelected && !mX->editText.empty())
  {
    // Selected text shows inverted, as a new box's whole text does.
    LICE_FillRect(bm, left, 1, textW, h - 2, front, 1.0f, LICE_MODE_COPY);
    ink = back;
  }
  if (font)
  {
    font->SetTextColor(ink);
    LICE_Rect r = {1, 1, w - 1, h - 1};
    font->DrawTextA(bm, mX->editText.c_str(), -1, &r, format);
  }
  if (!mX->editAllSelected)
    LICE_Line(bm, left + textW, 2, left + textW, h - 3, front, 1.0f, LICE_MODE_COPY, false);
  x11::PutBitmap(mX->display, mX->editBox, bm, 0, 0, w, h);
}

void IGraphicsX11::HandleTextEntryKey(void* raw)
{
  XKeyEvent& key = *static_cast<XKeyEvent*>(raw);
  const KeySym sym = XLookupKeysym(&key, 0);
  if (sym == XK_Return || sym == XK_KP_Enter)
  {
    mParamEditMsg = kEditCommit;
    return;
  }
  if (sym == XK_BackSpace)
  {
    if (mX->editAllSelected)
      mX->editText.clear();
    else if (!mX->editText.empty())
      mX->editText.pop_back();
    mX->editAllSelected = false;
    DrawTextEntry();
    return;
  }
  char typed[16];
  KeySym ignored;
  const int n = XLookupString(&key, typed, sizeof(typed), &ignored, nullptr);
  for (int i = 0; i < n; ++i)
  {
    const char c = typed[i];
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      continue;
    if (mEdParam)
    {
      // Only what can make a number of the parameter's kind.
      const bool numeric = (c >= '0' && c <= '9') || c == '-' || c == '+';
      const EParamType type = mEdParam->Type();
      if ((type == kTypeBool || type == kTypeInt || type == kTypeEnum) && !numeric)
        continue;
      if (type == kTypeDouble && !numeric && c != '.')
        continue;
    }
    if (mX->editAllSelected)
      mX->editText.clear();
    mX->editAllSelected = false;
    if (static_cast<int>(mX->editText.size()) < mX->editMaxLength)
      mX->editText.push_back(c);
  }
  DrawTextEntry();
}
