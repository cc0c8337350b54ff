// What the Win32 window opens over itself on request (menus, message boxes,
// the file and colour dialogs, a link in the shell) and the module's paths.

#include "IGraphicsWin.h"

#include "Win32Private.h"

#include <commdlg.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace
{
void GetModulePath(HMODULE module, WDL_String* path)
{
  path->Set("");
  char name[256] = {};
  if (!GetModuleFileNameA(module, name, sizeof name - 1))
  {
    return;
  }
  char* slash = std::strrchr(name, '\\');
  if (slash && slash[1])
  {
    slash[1] = '\0';
    path->Set(name);
  }
}

struct MainWindowSearch
{
  DWORD pid;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND hWnd, LPARAM lParam)
{
  auto* search = reinterpret_cast<MainWindowSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hWnd, &pid);
  if (pid == search->pid)
  {
    char name[128] = {};
    GetClassNameA(hWnd, name, sizeof name);
    if (std::strcmp(name, search->className) == 0)
    {
      search->found = hWnd;
      return FALSE;
    }
  }
  return TRUE;
}
} // namespace

namespace win32
{
HMENU CreateMenu(IPopupMenu* menu, long* offset)
{
  HMENU native = CreatePopupMenu();
  if (!native)
  {
    return nullptr;
  }
  const long base = *offset;
  const int n = menu->GetNItems();
  *offset += n;
  for (int i = 0; i < n; ++i)
  {
    IPopupMenuItem* item = menu->GetItem(i);
    if (item->GetIsSeparator())
    {
      AppendMenuA(native, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    char label[1024];
    const char* text = item->GetText();
    switch (menu->GetPrefix())
    {
    case 1:
      std::snprintf(label, sizeof label, "%1d: %s", i + 1, text);
      break;
    case 2:
      std::snprintf(label, sizeof label, "%02d: %s", i + 1, text);
      break;
    case 3:
      std::snprintf(label, sizeof label, "%03d: %s", i + 1, text);
      break;
    default:
      std::snprintf(label, sizeof label, "%s", text);
      break;
    }
    if (item->GetSubmenu())
    {
      HMENU sub = CreateMenu(item->GetSubmenu(), offset);
      if (sub)
      {
        AppendMenuA(native, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), label);
      }
      continue;
    }
    UINT flags = MF_STRING;
    if (!item->GetEnabled())
      flags |= MF_GRAYED;
    if (item->GetIsTitle())
      flags |= MF_DISABLED;
    if (item->GetChecked())
      flags |= MF_CHECKED;
    AppendMenuA(native, flags, static_cast<UINT_PTR>(base + i), label);
  }
  return native;
}

IPopupMenu* GetItemMenu(long id, long& idxInMenu, long& offset, IPopupMenu* menu)
{
  const long first = offset;
  offset += menu->GetNItems();
  if (id < offset)
  {
    idxInMenu = id - first;
    return menu;
  }
  for (int i = 0; i < menu->GetNItems(); ++i)
  {
    IPopupMenu* sub = menu->GetItem(i)->GetSubmenu();
    if (sub)
    {
      if (IPopupMenu* found = GetItemMenu(id, idxInMenu, offset, sub))
      {
        return found;
      }
    }
  }
  return nullptr;
}
} // namespace win32

IPopupMenu* IGraphicsWin::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  ReleaseMouseCapture();
  if (!menu || !rect || !mW->mPlugWnd)
  {
    return nullptr;
  }
  long offset = 0;
  HMENU native = win32::CreateMenu(menu, &offset);
  if (!native)
  {
    return nullptr;
  }
  POINT p = {rect->L, rect->B};
  ClientToScreen(mW->mPlugWnd, &p);
  IPopupMenu* result = nullptr;
  if (TrackPopupMenu(native, TPM_LEFTALIGN | TPM_TOPALIGN, p.x, p.y, 0, mW->mPlugWnd, nullptr))
  {
    MSG msg;
    if (PeekMessageA(&msg, mW->mPlugWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE) &&
        HIWORD(msg.wParam) == 0)
    {
      long idx = 0, start = 0;
      result = win32::GetItemMenu(LOWORD(msg.wParam), idx, start, menu);
      if (result)
      {
        result->SetChosenItemIdx(static_cast<int>(idx));
      }
    }
  }
  DestroyMenu(native);
  return result;
}

HWND IGraphicsWin::Platform::GetMainWnd()
{
  if (!mMainWnd)
  {
    if (mParentWnd)
    {
      HWND wnd = mParentWnd;
      while (HWND up = GetParent(wnd))
      {
        wnd = up;
      }
      mMainWnd = wnd;
      char name[128] = {};
      GetClassNameA(wnd, name, sizeof name);
      mMainWndClassName.Set(name);
    }
    else if (mMainWndClassName.GetLength())
    {
      mPID = GetCurrentProcessId();
      MainWindowSearch search = {mPID, mMainWndClassName.Get(), nullptr};
      EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
      mMainWnd = search.found;
    }
  }
  return mMainWnd;
}

int IGraphicsWin::ShowMessageBox(const char* text, const char* caption, int type)
{
  return MessageBoxA(mW->GetMainWnd(), text, caption, static_cast<UINT>(type));
}

bool IGraphicsWin::OSPromptForFile(WDL_String* chosen, EFileAction action, const char* file,
                                   const char* dir, const IFileFilter& filter)
{
  char fileName[256] = {};
  char initialDir[256] = {};
  std::snprintf(fileName, sizeof fileName, "%s", file);
  std::snprintf(initialDir, sizeof initialDir, "%s", dir);

  // "fxp fxb" becomes "*.fxp;*.fxb", used as description and pattern:
  // description NUL pattern NUL NUL.
  const std::string patterns = filter.Patterns(";");
  const std::string filterText = patterns + '\0' + patterns + '\0';

  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = mW->mPlugWnd;
  ofn.lpstrFilter = filter.Empty() ? nullptr : filterText.c_str();
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = sizeof fileName - 1;
  ofn.lpstrInitialDir = initialDir[0] ? initialDir : nullptr;
  ofn.lpstrDefExt = filter.Empty() ? nullptr : filter.DefaultExtension();
  ofn.Flags = OFN_PATHMUSTEXIST;
  BOOL confirmed;
  if (action == kFileSave)
  {
    ofn.Flags |= OFN_OVERWRITEPROMPT;
    confirmed = GetSaveFileNameA(&ofn);
  }
  else
  {
    ofn.Flags |= OFN_FILEMUSTEXIST;
    confirmed = GetOpenFileNameA(&ofn);
  }
  if (!confirmed)
  {
    return false;
  }
  chosen->Set(fileName);
  return true;
}

namespace
{
UINT_PTR CALLBACK ColorHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam)
{
  if (msg == WM_INITDIALOG)
  {
    auto* cc = reinterpret_cast<CHOOSECOLORA*>(lParam);
    const char* prompt = cc ? reinterpret_cast<const char*>(cc->lCustData) : nullptr;
    if (prompt && prompt[0])
    {
      SetWindowTextA(dialog, prompt);
    }
  }
  return 0;
}
} // namespace

bool IGraphicsWin::PromptForColor(IColor* color, const char* prompt)
{
  if (!mW->mPlugWnd || !color)
  {
    return false;
  }
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = mW->mPlugWnd;
  cc.rgbResult = RGB(color->R, color->G, color->B);
  cc.lpCustColors = mW->mCustomColors;
  cc.lCustData = reinterpret_cast<LPARAM>(prompt);
  cc.lpfnHook = ColorHook;
  cc.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_SOLIDCOLOR | CC_RGBINIT | CC_ENABLEHOOK;
  if (!ChooseColorA(&cc))
  {
    return false;
  }
  color->R = GetRValue(cc.rgbResult);
  color->G = GetGValue(cc.rgbResult);
  color->B = GetBValue(cc.rgbResult);
  return true;
}

bool IGraphicsWin::OSOpenURL(const char* url)
{
  DWORD state = 0;
  if (!InternetGetConnectedState(&state, 0))
  {
    return false;
  }
  const INT_PTR result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(mW->mPlugWnd, "open", url, nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

void IGraphicsWin::HostPath(WDL_String* path)
{
  if (path)
  {
    GetModulePath(nullptr, path);
  }
}

void IGraphicsWin::PluginPath(WDL_String* path)
{
  if (path)
  {
    GetModulePath(mW->mHInstance, path);
  }
}
