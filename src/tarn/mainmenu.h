// Menus: the tree of menu items under a main or pop-up menu, streamed as children of their
// menu and parent item.
#pragma once

#include "basert/component.h"
#include "basert/exceptions.h"
#include "tarn/actions.h"
#include "tarn/shortcuts.h"
#include "tarn/uitypes.h"

#include <memory>
#include <vector>

namespace fw {

class TMenu;

inline constexpr std::string_view sMenuIndexError = "Menu index out of range";
inline constexpr std::string_view sMenuReinserted = "Menu inserted twice";
inline constexpr std::string_view sMenuNotFound = "Sub-menu is not in menu";

/// The caption without its accelerator marks ("&&" stays one "&").
String StripHotkey(std::string_view caption);

class EMenuError : public Exception {
public:
  using Exception::Exception;
};

class TMenuItem : public TComponent {
  FW_CLASS(TMenuItem)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*>;
  explicit TMenuItem(TComponent* owner);
  /// Frees the sub-items (last first) and leaves the parent item.
  ~TMenuItem() override;
  void BeforeDestruction() override;

  // ---- tree
  Integer Count() const noexcept { return static_cast<Integer>(FItems.size()); }
  /// Raises EMenuError for an index out of range.
  TMenuItem* Items(Integer index) const;
  /// Appends; raises EMenuError when `item` already has a parent.
  void Add(TMenuItem* item);
  /// Raises EMenuError when `item` already has a parent or `index` is out of range.
  void Insert(Integer index, TMenuItem* item);
  /// Raises EMenuError when `item` is not a sub-item.
  void Remove(TMenuItem* item);
  Integer IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const noexcept { return FParent; }
  /// Position under the parent item, -1 without one.
  Integer MenuIndex() const;
  /// Moves the item under its parent (clamped).
  void SetMenuIndex(Integer value);
  /// The menu the item tree hangs from, or null.
  TMenu* GetParentMenu() const;
  /// A sub-item by caption (ignoring case and the "&" accelerator mark), or null.
  TMenuItem* Find(std::string_view caption) const;

  // ---- streaming
  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  /// A menu takes the item at its top level; an item takes it as a sub-item.
  void SetParentComponent(TComponent* value) override;
  TComponent* GetChildParent() override { return this; }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, Integer order) override;
  void ReadState(TReader* reader) override;

  // ---- properties
  const String& Caption() const noexcept { return FCaption; }
  void SetCaption(const String& value) { FCaption = value; }
  /// A caption of "-" makes a separator line.
  bool IsLine() const { return FCaption == "-"; }
  bool Checked() const noexcept { return FChecked; }
  void SetChecked(bool value);
  bool Enabled() const noexcept { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  bool Visible() const noexcept { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  bool Default() const noexcept { return FDefault; }
  void SetDefault(bool value) { FDefault = value; }
  bool RadioItem() const noexcept { return FRadioItem; }
  void SetRadioItem(bool value) { FRadioItem = value; }
  bool AutoCheck() const noexcept { return FAutoCheck; }
  void SetAutoCheck(bool value) { FAutoCheck = value; }
  Byte GroupIndex() const noexcept { return FGroupIndex; }
  void SetGroupIndex(Byte value) { FGroupIndex = value; }
  Integer ImageIndex() const noexcept { return FImageIndex; }
  void SetImageIndex(Integer value) { FImageIndex = value; }
  const String& Hint() const noexcept { return FHint; }
  void SetHint(const String& value) { FHint = value; }
  TShortCut ShortCut() const noexcept { return FShortCut; }
  void SetShortCut(TShortCut value) { FShortCut = value; }

  /// The action whose caption, check mark, enabled state, hint, image, shortcut and
  /// visibility the item takes and which Click runs; null when none. Freeing the action
  /// clears it.
  TBasicAction* Action() const noexcept { return FActionLink ? FActionLink->Action() : nullptr; }
  void SetAction(TBasicAction* value);
  // What equals the action's value is the action's: stored with the action, not the item.
  bool IsCaptionStored() const;
  bool IsCheckedStored() const;
  bool IsEnabledStored() const;
  bool IsHintStored() const;
  bool IsImageIndexStored() const;
  bool IsShortCutStored() const;
  bool IsVisibleStored() const;

  TNotifyEvent OnClick;
  /// Checks an auto-check item, then fires OnClick, or runs the action when OnClick is not
  /// set or is the action's own handler (never while designing).
  virtual void Click();

private:
  friend class TMenu;
  void Detach();
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr; // set on a menu's root item only
  String FCaption;
  String FHint;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  bool FRadioItem = false;
  bool FAutoCheck = false;
  Byte FGroupIndex = 0;
  Integer FImageIndex = -1;
  TShortCut FShortCut = TShortCut(0);
  std::unique_ptr<TBasicActionLink> FActionLink;
};

class TMenu : public TComponent {
  FW_CLASS(TMenu)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*>;
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  /// The root item; its sub-items are the menu's top level.
  TMenuItem* Items() const noexcept { return FItems.get(); }
  /// The top-level items owned by `root`.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  TComponent* GetChildParent() override { return this; }
  void SetChildOrder(TComponent* child, Integer order) override;
  /// The item anywhere in the tree whose path of captions is `path` ("File|Open"), or null.
  TMenuItem* FindItem(std::string_view path) const;

private:
  TOwned<TMenuItem> FItems;
};

class TMainMenu : public TMenu {
  FW_CLASS(TMainMenu)
public:
  explicit TMainMenu(TComponent* owner);
  bool AutoMerge() const noexcept { return FAutoMerge; }
  void SetAutoMerge(bool value) { FAutoMerge = value; }

private:
  bool FAutoMerge = false;
};

class TPopupMenu : public TMenu {
  FW_CLASS(TPopupMenu)
public:
  explicit TPopupMenu(TComponent* owner);
  bool AutoPopup() const noexcept { return FAutoPopup; }
  void SetAutoPopup(bool value) { FAutoPopup = value; }

private:
  bool FAutoPopup = true;
};

} // namespace fw
