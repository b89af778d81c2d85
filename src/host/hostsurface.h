// The host's design windows for live module roots: each root whose component is a windowed
// control gets a recording design surface over it, driven by a visual designer with its own
// selection; the surface forwards what the designer does to the root, and the root's options,
// locks, activation and window state reach the surface and its designer.
#pragma once

#include "componentdesigner/componentroot.h"
#include "designer/designer.h"
#include "designintf/selections.h"
#include "host/designsurfacerec.h"

namespace fw {

/// The recording surface of a root, with the options the root gives it.
class THostDesignSurface : public TRecordingSurface {
  FW_CLASS(THostDesignSurface)
public:
  THostDesignSurface(TWinControl* root, const IPtr<ISurfaceHost>& host);
  void SetOptions(const TDesignSurfaceOptions& options);
  const TDesignSurfaceOptions& Options() const noexcept { return FOptions; }
  /// Asks the root for the palette's current component.
  IPtr<IItem> CreateItem(const IPtr<IItem>& parent, const TRect& rect) override;
  /// Also under the root's deletion rules (an inherited component stays).
  void DestroyItem(const IPtr<IItem>& item) override;
  /// Also lets go of the root.
  void Close() override;

private:
  TDesignSurfaceOptions FOptions;
};

/// The design window of one live root: its surface, the surface's designer and selection. They
/// hold one another until Close, which the root calls when it lets the window go.
class THostRootSurface : public TInterfacedObject,
                         public IRootSurface,
                         public ISelectionsListener,
                         public IDesignNotification {
  FW_CLASS(THostRootSurface)
public:
  /// Null when the root component is not a windowed control (those modules have no window
  /// here).
  static IPtr<IRootSurface> Make(TComponentRoot& root);
  /// The host surface of `root`, or null.
  static THostRootSurface* Of(TComponentRoot& root);

  const IPtr<THostDesignSurface>& Surface() const noexcept { return FSurface; }
  const IPtr<TDesigner>& Designer() const noexcept { return FDesigner; }
  bool Active() const noexcept { return FActive; }
  bool Visible() const noexcept { return FVisible; }
  bool Closed() const noexcept { return !FRoot; }
  /// Also answers ISurfaceDesigner, through its designer: the root's layout commands take the
  /// window's grid and snapping from it.
  HResult QueryInterface(const TGUID& iid, void** obj) override;

  // IRootSurface
  void NotificationsStarting() override;
  void NotificationsDone() override;
  void SetActive(bool active) override { FActive = active; }
  void SetOptions(const TDesignSurfaceOptions& options) override;
  void SetGrid(TPoint gridSize, bool snapToGrid, bool useGuidelines) override;
  void SetControlsLocked(bool locked) override;
  /// Repaints; the root already knows.
  void Modified() override;
  /// Ends any drag.
  void GoingDormant() override;
  void Hide() override { FVisible = false; }
  void Show() override { FVisible = true; }
  /// Closes designer and surface and forgets the root; later calls do nothing.
  void Close() override;
  IPtr<ISurfaceDesigner> GetSurfaceDesigner() override { return IPtr<ISurfaceDesigner>(FDesigner); }

  // ISelectionsListener: the root's selection follows the designer's.
  void SelectionChanged(const IPtr<ISelections>& selections) override;

  // IDesignNotification: the designer's selection follows the root's.
  void SelectionChanged(const IPtr<IDesigner>& designer,
                        const IPtr<IDesignerSelections>& selection) override;
  void ItemDeleted(const IPtr<IDesigner>&, TPersistent*) override {}
  void ItemInserted(const IPtr<IDesigner>&, TPersistent*) override {}
  void ItemsModified(const IPtr<IDesigner>&) override {}
  void DesignerOpened(const IPtr<IDesigner>&, bool) override {}
  void DesignerClosed(const IPtr<IDesigner>&, bool) override {}

private:
  THostRootSurface(TComponentRoot& root, TWinControl* control);
  TComponentRoot* FRoot;
  IPtr<TSimpleSelections> FSelections;
  IPtr<THostDesignSurface> FSurface;
  IPtr<TDesigner> FDesigner;
  bool FActive = false;
  bool FVisible = true;
  /// One selection is being made to follow the other.
  bool FSyncing = false;
};

/// Fills CreateRootSurfaceProc with THostRootSurface::Make; the shut-down empties it again
/// when it is still ours.
void HostSurfaceStartup();
void HostSurfaceShutdown();

} // namespace fw
