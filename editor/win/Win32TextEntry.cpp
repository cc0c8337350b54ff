// The Win32 window's text box: a system edit control over the edited
// control, whose typing reaches the context at the next tick.

#include "IGraphicsWin.h"

#include "Win32Private.h"

#include "IParam.h"

namespace
{
const int kParamEditId = 99;
const int kMaxEditLen = 32; // bytes read back from the box, NUL included
} // namespace

void IGraphicsWin::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                                   IParam* param)
{
  if (!control || !text || !rect || mW->mParamEditWnd || !mW->mPlugWnd)
  {
    return;
  }
  DWORD align = ES_LEFT;
  if (text->mAlign == IText::kAlignCenter)
    align = ES_CENTER;
  else if (text->mAlign == IText::kAlignFar)
    align = ES_RIGHT;

  mW->mParamEditWnd = CreateWindowExA(
      0, "EDIT", str ? str : "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | align, rect->L, rect->T,
      rect->R - rect->L + 1, rect->B - rect->T + 1, mW->mPlugWnd,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kParamEditId)), mW->mHInstance, nullptr);
  if (!mW->mParamEditWnd)
  {
    return;
  }
  mW->mEditFont = CreateFontA(
      text->mSize, 0, 0, 0, (text->mStyle & IText::kStyleBold) ? FW_BOLD : 0,
      (text->mStyle & IText::kStyleItalic) ? TRUE : FALSE, 0, 0, 0, 0, 0, 0, 0, text->mFont);
  SendMessageA(mW->mParamEditWnd, WM_SETFONT, reinterpret_cast<WPARAM>(mW->mEditFont), 0);
  SendMessageA(mW->mParamEditWnd, EM_SETSEL, 0, -1);
  SendMessageA(mW->mParamEditWnd, EM_LIMITTEXT, control->GetTextEntryLength(), 0);

  mEdControl = control;
  mEdParam = param;
  mW->mDefEditProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      mW->mParamEditWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Platform::ParamEditProc)));
  SetWindowLongPtrA(mW->mParamEditWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(mW.get()));
  SetFocus(mW->mParamEditWnd);
}

LRESULT CALLBACK IGraphicsWin::Platform::ParamEditProc(HWND hWnd, UINT msg, WPARAM wParam,
                                                       LPARAM lParam)
{
  auto* self = reinterpret_cast<Platform*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (!self || self->mParamEditWnd != hWnd)
  {
    return DefWindowProcA(hWnd, msg, wParam, lParam);
  }
  WNDPROC previous = self->mDefEditProc;
  switch (msg)
  {
  case WM_SETFOCUS:
    self->g.mParamEditMsg = kEditActive;
    break;
  case WM_KILLFOCUS:
    self->g.mParamEditMsg = kEditCancel;
    break;
  case WM_GETDLGCODE:
    if (!self->g.mEdParam)
    {
      LRESULT code = CallWindowProcA(previous, hWnd, msg, wParam, lParam);
      const MSG* asked = reinterpret_cast<const MSG*>(lParam);
      if (asked && asked->message == WM_KEYDOWN && asked->wParam == VK_RETURN)
      {
        code |= DLGC_WANTALLKEYS;
      }
      return code;
    }
    break;
  case WM_KEYDOWN:
    if (wParam == VK_RETURN)
    {
      self->g.mParamEditMsg = kEditCommit;
      return 0;
    }
    break;
  case WM_CHAR:
    if (self->g.mEdParam && wParam != VK_BACK)
    {
      const int c = static_cast<int>(wParam);
      const bool digitOrSign = (c >= '0' && c <= '9') || c == '-' || c == '+';
      switch (self->g.mEdParam->Type())
      {
      case kTypeBool:
      case kTypeInt:
      case kTypeEnum:
        if (!digitOrSign)
          return 0;
        break;
      case kTypeDouble:
        if (!digitOrSign && c != '.')
          return 0;
        break;
      default:
        break;
      }
    }
    // Enter in a multi-line box would add a line: it commits instead.
    if (wParam == '\r' || wParam == '\n')
    {
      return 0;
    }
    break;
  case WM_COMMAND:
    if (HIWORD(wParam) == 1)
    {
      self->g.mParamEditMsg = kEditCommit;
      return 0;
    }
    break;
  default:
    break;
  }
  return CallWindowProcA(previous, hWnd, msg, wParam, lParam);
}

void IGraphicsWin::DestroyParamEdit()
{
  if (mW->mParamEditWnd)
  {
    HWND box = mW->mParamEditWnd;
    mW->mParamEditWnd = nullptr;
    if (IsWindow(box))
    {
      SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mW->mDefEditProc));
      SetWindowLongPtrA(box, GWLP_USERDATA, 0);
      DestroyWindow(box);
    }
  }
  if (mW->mEditFont)
  {
    DeleteObject(mW->mEditFont);
    mW->mEditFont = nullptr;
  }
  mEdControl = nullptr;
  mEdParam = nullptr;
  mW->mDefEditProc = nullptr;
  mParamEditMsg = kEditNone;
}

// The text box's colours: the edited control's text-entry colours.
LRESULT IGraphicsWin::Platform::OnEditColors(WPARAM wParam)
{
  if (!g.mEdControl)
  {
    return 0;
  }
  const IText* text = g.mEdControl->GetText();
  const COLORREF back =
      RGB(text->mTextEntryBGColor.R, text->mTextEntryBGColor.G, text->mTextEntryBGColor.B);
  HDC dc = reinterpret_cast<HDC>(wParam);
  SetBkColor(dc, back);
  SetTextColor(
      dc, RGB(text->mTextEntryFGColor.R, text->mTextEntryFGColor.G, text->mTextEntryFGColor.B));
  SetBkMode(dc, OPAQUE);
  SetDCBrushColor(dc, back);
  return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

bool IGraphicsWin::Platform::TickTextEntry()
{
  if (!mParamEditWnd || g.mParamEditMsg == kEditNone)
  {
    return false;
  }
  if (g.mParamEditMsg == kEditCommit)
  {
    char text[kMaxEditLen] = {};
    SendMessageA(mParamEditWnd, WM_GETTEXT, kMaxEditLen, reinterpret_cast<LPARAM>(text));
    IControl* control = g.mEdControl;
    IParam* param = g.mEdParam;
    // The box goes first: committing may redraw or prompt again.
    g.DestroyParamEdit();
    g.CommitTextEntry(control, param, text);
  }
  else if (g.mParamEditMsg == kEditCancel)
  {
    g.DestroyParamEdit();
  }
  g.mParamEditMsg = kEditNone;
  return true;
}
