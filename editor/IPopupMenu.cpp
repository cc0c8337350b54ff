#include "IPopupMenu.h"

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index)
{
  if (!item)
  {
    return nullptr;
  }
  if (index == -1)
  {
    return mMenuItems.Add(item);
  }
  return mMenuItems.Insert(index, item);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int flags)
{
  return AddItem(new IPopupMenuItem(text, flags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* submenu)
{
  return AddItem(new IPopupMenuItem(text, submenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* submenu)
{
  return AddItem(text, -1, submenu);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index)
{
  return AddItem("", index, IPopupMenuItem::kSeparator);
}

const char* IPopupMenu::GetItemText(int index) const
{
  const IPopupMenuItem* item = GetItem(index);
  return item ? item->GetText() : "";
}

void IPopupMenu::SetPrefix(int prefix)
{
  if (prefix >= 0 && prefix <= 3)
  {
    mPrefix = prefix;
  }
}

bool IPopupMenu::CheckItem(int index, bool checked)
{
  IPopupMenuItem* item = GetItem(index);
  if (!item)
  {
    return false;
  }
  item->SetChecked(checked);
  return true;
}

void IPopupMenu::CheckItemAlone(int index)
{
  for (int i = 0; i < GetNItems(); ++i)
  {
    GetItem(i)->SetChecked(i == index);
  }
}

bool IPopupMenu::IsItemChecked(int index) const
{
  const IPopupMenuItem* item = GetItem(index);
  return item && item->GetChecked();
}
