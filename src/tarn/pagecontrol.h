// Page controls and their tab sheets: sheets stream as the page control's children in page order
// with the active one as a reference; as dock sites, a control docked into a page control gets a
// sheet of its own and leaves it again when undocked.
#pragma once

#include "tarn/controls.h"

#include <functional>
#include <vector>

namespace fw {

class TPageControl;

enum TTabPosition : std::uint8_t { tpTop, tpBottom, tpLeft, tpRight };

/// Depth of the tab strip, and of the border around the sheets.
inline constexpr Integer TabStripExtent = 20;
inline constexpr Integer PageBorder = 4;
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
  /// Moves the sheet to `value` (clamped); nothing without a page control.
  void SetPageIndex(Integer value);
  bool TabVisible() const noexcept { return FTabVisible; }
  void SetTabVisible(bool value) { FTabVisible = value; }
  Integer ImageIndex() const noexcept { return FImageIndex; }
  void SetImageIndex(Integer value) { FImageIndex = value; }
  /// The control docked on this sheet, or null.
  TControl* DockedControl() const;
  /// A sheet read inside a page control becomes one of its pages.
  void ReadState(TReader* reader) override;

private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  Integer FImageIndex = 0;
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
  /// The active page's position among the sheets whose tab shows, or -1.
  Integer TabIndex() const;
  /// Activates the sheet of the `value`th shown tab; a value out of range leaves the active page
  /// as it is. While loading, waits until the sheets are read.
  void SetTabIndex(Integer value);
  TTabPosition TabPosition() const noexcept { return FTabPosition; }
  void SetTabPosition(TTabPosition value);
  /// The sheets whose tab shows.
  Integer VisibleTabCount() const;
  /// The sheet a docked control sits on, or null.
  TTabSheet* PageForClient(const TControl* client) const;
  /// Moves a sheet to `index` (clamped).
  void MovePage(TTabSheet* page, Integer index);
  /// The area sheets fill: inside the border, beside the tab strip.
  TRect AdjustClientRect() const override;
  /// The sheets in page order, then any other child controls.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void Loaded() override;

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
  Integer FPendingTabIndex = -1; // read before the sheets
};

} // namespace fw
