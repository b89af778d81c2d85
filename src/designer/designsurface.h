// Design surface base: the part of a host's design window that does not depend on the window
// itself. It keeps the single listener, wraps the host's components into items, creates the
// palette's component through the module's designer and forwards the rest to the root.
#pragma once

#include "designintf/surfaceintf.h"

#include <memory>
#include <vector>

namespace fw {

class TDesignSurface : public TInterfacedObject, public IDesignSurface {
  FW_CLASS(TDesignSurface)
public:
  /// Any argument may be null; a surface without host has no items and forwards nothing.
  TDesignSurface(const IPtr<IDesigner>& designer, TComponent* root, const IPtr<ISurfaceHost>& host);
  /// Frees the owned container objects, last first.
  ~TDesignSurface() override;

  /// The item of a component of this surface; null for null.
  virtual IPtr<IItem> ComponentToItem(TComponent* component) = 0;

  // IDesignSurface: the operations the base answers.
  /// Replaces the listener.
  void AddListener(const IPtr<IDesignSurfaceListener>& listener) override { FListener = listener; }
  /// Drops the listener when it is that one.
  void RemoveListener(const IPtr<IDesignSurfaceListener>& listener) override;
  /// Creates the designer's current component in the parent item's component with `rect`;
  /// null when the designer makes none or the parent wraps no component.
  IPtr<IItem> CreateItem(const IPtr<IItem>& parent, const TRect& rect) override;
  void DeleteSelection() override;
  /// Deletes the item once it and the host allow it (raising what ValidateDeletable and
  /// ValidateModification raise): the host hears InstanceRemoved before the instance is freed,
  /// then Modified.
  void DestroyItem(const IPtr<IItem>& item) override;
  IPtr<IGrabHandles> GetGrabHandles() override { return FGrabHandles; }
  /// Null when the host paints no guides.
  IPtr<IGuidelinePainter> GetGuidelinePainter() override { return FGuidelinePainter; }
  void SetGuidelinePainter(const IPtr<IGuidelinePainter>& painter) { FGuidelinePainter = painter; }
  IPtr<IItem> GetItems(Integer index) override;
  Integer GetItemsCount() override;
  IPtr<IItem> GetRoot() override { return FRootItem; }
  IPtr<IItem> GetContainerItem() override { return FContainerItem; }
  bool GridSnapDisabled() override { return false; }
  void Modified() override;
  void ValidateModification() override;
  /// Climbs from `item` through its parents; stops without success at null or at the
  /// container item (which therefore never counts as selected).
  bool ItemInSelections(const IPtr<ISelections>& selections, const IPtr<IItem>& item) override;

  // Forwarded to the host.
  String UniqueName(const String& baseName);
  void InstanceInserted(TPersistent* instance);
  void InstanceRemoved(TPersistent* instance);

  // Menu handlers.
  void AppAlignDialog() { Dialog(ddAlign); }
  void AppSizeDialog() { Dialog(ddSize); }
  void AppScaleDialog() { Dialog(ddScale); }
  void AppTabOrderDialog() { Dialog(ddTabOrder); }
  void AppCreationOrderDialog() { Dialog(ddCreationOrder); }
  void AppSaveTemplateDialog() { Dialog(ddSaveTemplate); }
  void AlignToGrid() { Command(dmAlignToGrid); }
  void AppFlipChildrenAll() { Command(dmFlipAllChildren); }
  void AppFlipChildrenSelected() { Command(dmFlipSelectedChildren); }
  void AppTextLYT() { Command(dmTextLYT); }
  void AppViewAsText() { Command(dmViewAsText); }
  void RevertComponent() { Command(dmRevert); }
  void AppConvertToTessellineUI();

  void SelectionVerb() {}
  void SetIsControl(bool) {}
  bool GetIsControl() const { return false; }
  bool IsMobile() const { return false; }
  bool GetInitializing() const { return FInitializing; }
  void SetInitializing(bool value) { FInitializing = value; }
  /// Takes ownership; freed with the surface, last first.
  void AddContainer(TObject* container);
  TComponent* Root() const noexcept { return FRoot; }
  const IPtr<IDesignSurfaceListener>& Listener() const noexcept { return FListener; }

protected:
  void Dialog(TDesignDialog dialog);
  void Command(TDesignCommand command);

  IPtr<IDesignSurfaceListener> FListener;
  TComponent* FRoot;
  IPtr<IItem> FRootItem;
  IPtr<IItem> FContainerItem;
  IPtr<IGrabHandles> FGrabHandles;
  IPtr<IDesigner> FDesigner;
  IPtr<ISurfaceHost> FHost;
  std::vector<std::unique_ptr<TObject, void (*)(TObject*)>> FContainers;
  TPoint FGridSize{8, 8};
  bool FDisplayGrid = true;
  bool FShowCaptions = false;
  bool FShowNonVisualComponents = true;
  bool FInitializing = false;
  IPtr<IGuidelinePainter> FGuidelinePainter;
};

} // namespace fw
