// The host's menu items, headless: a tree of items kept in memory that the package fills
// through IMenuItem and that the command-line host and tests read back.
#pragma once

#include "basert/object.h"
#include "designintf/designmenus.h"

#include <vector>

namespace fw {

class THostMenuItem : public TInterfacedObject, public IMenuItem2 {
  FW_CLASS(THostMenuItem)
public:
  explicit THostMenuItem(THostMenuItem* parent = nullptr) : FParent(parent) {}

  // What an item is.
  String Caption;
  String Name;
  String Hint;
  Integer ShortCut = 0;
  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
  bool IsLine = false;
  bool Default = false;
  TComponent* ActionComponent = nullptr; ///< the action an action item executes
  TMenuClickProc OnClick;
  /// The submenu as text, one line per item ("-" for a line, "[Action]" for action items),
  /// indented two spaces per level.
  String Describe(int indent = 0) const;

  // IMenuItems
  bool SameAs(const IPtr<IInterface>& item) override;
  IPtr<IMenuItem> Find(const String& caption) override;
  IPtr<IMenuItem> FindByName(const String& name) override;
  Integer Count() override { return static_cast<Integer>(FItems.size()); }
  /// Raises EListError for an index out of range.
  IPtr<IMenuItem> Items(Integer index) override;
  void Clear() override { FItems.clear(); }
  IPtr<IMenuItem> AddItem(const String& caption, Integer shortCut, bool checked, bool enabled,
                          const TMenuClickProc& onClick, const String& hint,
                          const String& name) override;
  IPtr<IMenuItem> AddActionItem(TComponent* action, const String& name) override;
  IPtr<IMenuItem> InsertItem(Integer index, const String& caption, Integer shortCut, bool checked,
                             bool enabled, const TMenuClickProc& onClick, const String& hint,
                             const String& name) override;
  IPtr<IMenuItem> InsertActionItem(Integer index, TComponent* action, const String& name) override;
  IPtr<IMenuItem> AddLine(const String& name) override;
  IPtr<IMenuItem> InsertLine(Integer index, const String& name) override;
  void Remove(const IPtr<IMenuItem>& item) override;
  Integer IndexOf(const IPtr<IMenuItem>& item) override;
  IPtr<IMenuItem> Parent() override;

  // IMenuItem
  void Click() override;
  bool GetAutoHotkeys() override { return FAutoHotkeys; }
  void SetAutoHotkeys(bool value) override { FAutoHotkeys = value; }
  bool GetAutoLineReduction() override { return FAutoLineReduction; }
  void SetAutoLineReduction(bool value) override { FAutoLineReduction = value; }
  String GetCaption() override { return Caption; }
  void SetCaption(const String& value) override { Caption = value; }
  bool GetChecked() override { return Checked; }
  void SetChecked(bool value) override { Checked = value; }
  bool GetEnabled() override { return Enabled; }
  void SetEnabled(bool value) override { Enabled = value; }
  Integer GetGroupIndex() override { return FGroupIndex; }
  void SetGroupIndex(Integer value) override { FGroupIndex = value; }
  Integer GetHelpContext() override { return FHelpContext; }
  void SetHelpContext(Integer value) override { FHelpContext = value; }
  String GetHint() override { return Hint; }
  void SetHint(const String& value) override { Hint = value; }
  bool GetRadioItem() override { return FRadioItem; }
  void SetRadioItem(bool value) override { FRadioItem = value; }
  Integer GetShortCut() override { return ShortCut; }
  void SetShortCut(Integer value) override { ShortCut = value; }
  Integer GetTag() override { return FTag; }
  void SetTag(Integer value) override { FTag = value; }
  bool GetVisible() override { return Visible; }
  void SetVisible(bool value) override { Visible = value; }
  // IMenuItem2
  void SetDefault(bool value) override { Default = value; }

private:
  IPtr<IMenuItem> Insert(Integer index, IPtr<THostMenuItem> item);
  THostMenuItem* FParent;
  std::vector<IPtr<THostMenuItem>> FItems;
  bool FAutoHotkeys = true;
  bool FAutoLineReduction = true;
  bool FRadioItem = false;
  Integer FGroupIndex = 0;
  Integer FHelpContext = 0;
  Integer FTag = 0;
};

} // namespace fw
