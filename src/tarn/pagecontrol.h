// Page controls and their tab sheets, as dock sites: a control docked into a page control gets
// a sheet of its own and leaves it again when undocked.
#pragma once

#include "tarn/controls.h"

#include <functional>
#include <vector>

namespace fw {

class TPageControl;

enum TTabPosition : std::uint8_t { tpTop, tpBottom, tpLeft, tpRight };
PTypeInfo TypeInfoOf(std::type_identity<TTabPosition>);

class TTabSheet : public TWinControl {
  FW_CLASS(TTabSheet)
public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const noexcept { return FPageControl; }
  /// Moves the sheet to `value`'s end (null: no page control).
  void SetPageControl(TPageControl* value);
  /// Position among the page control's sheets, -1 without one.
  Integer PageIndex() const;
  bool TabVisible() const noexcept { return FTabVisible; }
  void SetTabVisible(bool value) { FTabVisible = value; }
  Integer ImageIndex() const noexcept { return FImageIndex; }
  void SetImageIndex(Integer value) { FImageIndex = value; }
  /// The control docked on this sheet, or null.
  TControl* DockedControl() const;

private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  Integer FImageIndex = -1;
};

class TPageControl : public TWinControl {
  FW_CLASS(TPageControl)
public:
  using TDockClientEvent = std::function<void(TPageControl* sender, TControl* client)>;

  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;

  Integer PageCount() const noexcept { return static_cast<Integer>(FPages.size()); }
  /// Raises EListError for an index out of range.
  TTabSheet* Pages(Integer index) const;
  TTabSheet* ActivePage() const noexcept { return FActivePage; }
  /// Shows `value` (one of the sheets, or null) and hides the others.
  void SetActivePage(TTabSheet* value);
  Integer ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
  TTabPosition TabPosition() const noexcept { return FTabPosition; }
  void SetTabPosition(TTabPosition value) { FTabPosition = value; }
  /// The sheets whose tab shows.
  Integer VisibleTabCount() const;
  /// The sheet a docked control sits on, or null.
  TTabSheet* PageForClient(const TControl* client) const;
  /// Moves a sheet to `index` (clamped).
  void MovePage(TTabSheet* page, Integer index);

  /// Docks the control on a new sheet captioned with its caption, which becomes the active one.
  void DockDrop(TDragDockObject* source, Integer x, Integer y) override;
  /// Told after a client joined (its sheet exists) or left (its sheet is gone).
  TDockClientEvent OnDockClientAdded;
  TDockClientEvent OnDockClientRemoved;
  void DoRemoveDockClient(TControl* client) override;

private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  TTabPosition FTabPosition = tpTop;
};

} // namespace fw
