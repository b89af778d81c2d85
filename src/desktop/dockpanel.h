// The dock panels around the editor area, the dock tree that keeps their panes in proportion,
// and the tab sets at the window edges that hold auto-hidden tool windows; with the state each
// keeps in the desktop.
#pragma once

#include "desktop/dockforms.h"
#include "tarn/docktabset.h"
#include "tarn/docktree.h"
#include "tarn/extctrls.h"

namespace fw {

// Resource strings.
inline constexpr std::string_view sNextControlNotConfigured =
    "NextControl is not configured correctly";
inline constexpr std::string_view sSplitterNotConfigured =
    "Splitter control is not configured correctly";
inline constexpr std::string_view sAlignNotSetCorrectly = "Align property is not set correctly";
inline constexpr std::string_view sUntitledDockCaption = "Untitled";

/// What a horizontal caption adds to a top or bottom panel's height.
inline constexpr Integer DockCaptionHeight = 16;

enum TDockCaptionOrientation : std::uint8_t { dcoHorizontal, dcoVertical };

/// A dock tree that draws a caption on each pane, across or along it.
class TCaptionedDockTree : public TDockTree {
  FW_CLASS(TCaptionedDockTree)
public:
  TCaptionedDockTree(TWinControl* site, TDockCaptionOrientation orientation,
                     bool proportional = false);
  TDockCaptionOrientation Orientation() const noexcept { return FOrientation; }

private:
  TDockCaptionOrientation FOrientation;
};

/// A captioned dock tree whose panes keep their share when the site is resized.
class TPercentageDockTree : public TCaptionedDockTree {
  FW_CLASS(TPercentageDockTree)
public:
  TPercentageDockTree(TWinControl* site, TDockCaptionOrientation orientation);
};

/// A panel beside the editor area that tool windows dock into. It collapses to nothing when its
/// last visible window leaves, hiding its splitter, and takes a window's dock size when one
/// docks into it empty.
class TEditorDockPanel : public TPanel, public TDockSiteResizing {
  FW_CLASS(TEditorDockPanel)
public:
  explicit TEditorDockPanel(TComponent* owner);

  /// The splitter on the panel's inner side: right of a left panel, left of a right one, below
  /// a top one, above a bottom one. Raises EInvalidOperation with sSplitterNotConfigured when it
  /// is elsewhere or aligned otherwise, sAlignNotSetCorrectly when the panel is not aligned to
  /// an edge.
  TSplitter* Splitter() const noexcept { return FSplitter; }
  void SetSplitter(TSplitter* value);
  /// The control on the panel's far side (toward the window edge), aligned as the panel; the
  /// panel is placed just beyond it. Raises as SetSplitter, with sNextControlNotConfigured.
  TControl* NextControl() const noexcept { return FNextControl; }
  void SetNextControl(TControl* value);
  TDockCaptionOrientation DockCaptionOrientation() const noexcept { return FOrientation; }
  /// A new captioned dock tree with that orientation takes over the clients.
  void SetDockCaptionOrientation(TDockCaptionOrientation value);
  bool DoubleBuffered() const noexcept { return true; }

  bool ResizeSuspended() const noexcept { return FSuspended > 0; }
  /// Clearing it lets the dock tree lay the panes out again.
  void SetResizeSuspended(bool value);
  void SuspendResize() override;
  void ResumeResize() override;

  /// Places the panel one pixel beyond its next control and the splitter one pixel beyond the
  /// panel, and shows the splitter.
  void AdjustPosition();
  /// Limits a window dragged over the panel to half of the parent's width (left, right) or
  /// height (top, bottom).
  void DockOver(TDragDockObject* source);
  /// An empty panel takes the drop rectangle's size, or the window's dock size.
  void DockDrop(TDragDockObject* source, Integer x, Integer y) override;
  void DoAddDockClient(TControl* client, const TRect& rect) override;
  void DoRemoveDockClient(TControl* client) override;
  /// Whether any docked window is visible.
  bool HasVisibleClient() const;

  /// Writes, in `DeskForm`'s section, the size relative to the primary monitor's full width or
  /// height under `SizeKey`, the clients under `ClientsKey` and the layout under `StreamKey`.
  void SaveState(TCustomIniFile* Desktop, bool IsProject, const String& SizeKey,
                 const String& ClientsKey, const String& StreamKey, TDesktopForm* DeskForm);
  /// Only when `DeskForm`'s section exists: the size, then the clients and their layout; a
  /// panel left without a visible client collapses (its hidden clients stay docked).
  void LoadState(TCustomIniFile* Desktop, const String& SizeKey, const String& ClientsKey,
                 const String& StreamKey, TDesktopForm* DeskForm);

  void Notification(TComponent* component, TOperation operation) override;

private:
  bool Horizontal() const { return Align() == alTop || Align() == alBottom; }
  Integer Extent() const { return Horizontal() ? Height() : Width(); }
  void SetExtent(Integer value);
  void Collapse();
  void CheckEdgeAlign() const;
  TSplitter* FSplitter = nullptr;
  TControl* FNextControl = nullptr;
  TDockCaptionOrientation FOrientation = dcoHorizontal;
  Integer FSuspended = 0;
};

/// The tab set at a window edge that holds auto-hidden tool windows.
class TIDEDockTabSet : public TDockTabSet {
  FW_CLASS(TIDEDockTabSet)
public:
  explicit TIDEDockTabSet(TComponent* owner);
  /// A tab host shows its visible clients' captions joined with ", "; an empty caption is
  /// "Untitled".
  String GetDockCaption(TControl* client) const override;
  /// A window that is not a desktop form always auto-hides; a desktop form is asked.
  bool AutoHide(TControl* client) const;
  /// "section=tab index" of every window in dock order, "," separated, under `Key` in
  /// `DeskForm`'s section (nothing when there is none).
  void SaveState(TCustomIniFile* Desktop, bool IsProject, const String& Key,
                 TDesktopForm* DeskForm);
  /// Only when `DeskForm`'s section exists: replaces the windows by the loaded ones the list
  /// names, each hidden with its saved tab index, then makes the indices dense.
  void LoadState(TCustomIniFile* Desktop, const String& Key, TDesktopForm* DeskForm);
  /// Gives every window whose index is negative, not below the number of windows or taken by an
  /// earlier one the first free index.
  void RemoveDeadTabs();
};

} // namespace fw
