#pragma once

// The platform-independent description of a popup menu: an ordered list of
// entries (text, flags, optional submenu), a numbering style for the
// labels, and, once the window has shown it, the index of the chosen entry.
// The menu draws nothing; the window turns it into a native menu and writes
// the choice back with SetChosenItemIdx on the (sub)menu that holds it, so
// a dismissed menu leaves every chosen index at -1.

#include "WDL_PtrList.h"
#include "WDL_String.h"

class IPopupMenu;

class IPopupMenuItem
{
public:
  enum Flags
  {
    kNoFlags = 0,
    kDisabled = 1,
    kTitle = 2,
    kChecked = 4,
    kSeparator = 8,
  };

  IPopupMenuItem(const char* text, int flags = kNoFlags) : mText(text), mFlags(flags) {}
  // The submenu is not owned: deleting the item leaves it alone.
  IPopupMenuItem(const char* text, IPopupMenu* submenu) : mText(text), mSubmenu(submenu) {}

  const char* GetText() const { return mText.Get(); }
  void SetText(const char* text) { mText.Set(text); }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  int GetFlags() const { return mFlags; }

  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetChecked() const { return (mFlags & kChecked) != 0; }
  bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
  bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }
  // Leaves the other flags as they are.
  void SetChecked(bool checked) { mFlags = checked ? (mFlags | kChecked) : (mFlags & ~kChecked); }

private:
  WDL_String mText;
  IPopupMenu* mSubmenu = nullptr;
  int mFlags = kNoFlags;
};

class IPopupMenu
{
public:
  // prefix: how the window numbers the labels: 0 none, 1 "%1d: %s",
  // 2 "%02d: %s", 3 "%03d: %s", with the 1-based position of the item in
  // its own menu. multiCheck is kept for the caller; nothing reads it.
  explicit IPopupMenu(int prefix = 0, bool multiCheck = false)
      : mPrefix(prefix), mCanMultiCheck(multiCheck)
  {
  }
  ~IPopupMenu() { mMenuItems.Empty(true); }
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // index -1 appends; any other index inserts before that position (one
  // beyond the end appends, one below 0 inserts first). The menu owns the
  // item from then on. A null item adds nothing.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  int GetNItems() const { return mMenuItems.GetSize(); }
  // Null outside 0 .. count - 1.
  IPopupMenuItem* GetItem(int index) const { return mMenuItems.Get(index); }
  // "" outside 0 .. count - 1.
  const char* GetItemText(int index) const;

  // Only 0 to 3 are accepted; other values keep the prefix.
  void SetPrefix(int prefix);
  int GetPrefix() const { return mPrefix; }
  bool GetCanMultiCheck() const { return mCanMultiCheck; }

  // False when there is no such item.
  bool CheckItem(int index, bool checked);
  // Every item is checked exactly when it is item index; an index outside
  // the list unchecks them all.
  void CheckItemAlone(int index);
  // False when there is no such item.
  bool IsItemChecked(int index) const;

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

private:
  int mPrefix;
  int mChosenItemIdx = -1;
  bool mCanMultiCheck;
  WDL_PtrList<IPopupMenuItem> mMenuItems;
};
