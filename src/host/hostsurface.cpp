#include "host/hostsurface.h"

#include "basert/classbuilder.h"
#include "basert/onexit.h"
#include "componentdesigner/environmenttools.h"

namespace fw {

namespace {

/// What the surface forwards, passed to the root while it is there.
class TRootSurfaceHost : public TInterfacedObject, public ISurfaceHost {
  FW_CLASS(TRootSurfaceHost)
public:
  explicit TRootSurfaceHost(TComponentRoot* root) : Root(root) {}
  Integer GetComponentCount() override { return Component() ? Component()->ComponentCount() : 0; }
  TComponent* GetComponent(Integer index) override {
    return Component() ? Component()->Components(index) : nullptr;
  }
  void DeleteSelection() override {
    if (Root) Root->DeleteSelection(false);
  }
  void Modified() override {
    if (Root) Root->Modified();
  }
  void ValidateModification() override {
    if (Root) Root->ValidateModification();
  }
  String UniqueName(const String& baseName) override {
    return Root ? Root->UniqueName(baseName) : String();
  }
  // Only what the surface adds or removes itself arrives here; the root announces its own.
  void InstanceInserted(TPersistent* instance) override {
    auto* c = dynamic_cast<TComponent*>(instance);
    if (Root && c) Root->ComponentInserted(c);
  }
  void InstanceRemoved(TPersistent* instance) override {
    if (Root) Root->InstanceRemoved(instance);
  }
  void Dialog(TDesignDialog dialog) override {
    if (Root) Root->Dialog(dialog);
  }
  void Command(TDesignCommand command) override {
    if (Root) Root->Command(command);
  }
  void ConvertToTessellineUI() override {}

  TComponentRoot* Root;

private:
  TComponent* Component() const { return Root ? Root->GetRoot() : nullptr; }
};

} // namespace

TClass TRootSurfaceHost::StaticClass() {
  static const TClass cls =
      TClassBuilder<TRootSurfaceHost, TInterfacedObject>("TRootSurfaceHost", "HostSurface")
          .Implements<ISurfaceHost>()
          .Build();
  return cls;
}

TClass THostDesignSurface::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostDesignSurface, TRecordingSurface>("THostDesignSurface", "HostSurface")
          .Build();
  return cls;
}

TClass THostRootSurface::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostRootSurface, TInterfacedObject>("THostRootSurface", "HostSurface")
          .Implements<IRootSurface, ISelectionsListener, IDesignNotification>()
          .Build();
  return cls;
}

// ---- THostDesignSurface ------------------------------------------------------------------------

THostDesignSurface::THostDesignSurface(TWinControl* root, const IPtr<ISurfaceHost>& host)
    : TRecordingSurface(nullptr, root, host) {}

void THostDesignSurface::SetOptions(const TDesignSurfaceOptions& options) {
  FOptions = options;
  FGridSize = options.GridSize;
  FDisplayGrid = options.DisplayGrid;
  FShowCaptions = options.ShowComponentCaptions;
  FShowNonVisualComponents = options.ShowNonVisualComponents;
}

IPtr<IItem> THostDesignSurface::CreateItem(const IPtr<IItem>& parent, const TRect& rect) {
  auto* host = dynamic_cast<TRootSurfaceHost*>(FHost.get());
  IPtr<IPersistentItem> p = QueryIntf<IPersistentItem>(parent);
  auto* parentComponent = p ? dynamic_cast<TComponent*>(p->GetItem()) : nullptr;
  if (!host || !host->Root || !parentComponent) return nullptr;
  return ComponentToItem(host->Root->CreateCurrentComponent(parentComponent, rect));
}

void THostDesignSurface::DestroyItem(const IPtr<IItem>& item) {
  auto* host = dynamic_cast<TRootSurfaceHost*>(FHost.get());
  IPtr<IPersistentItem> p = QueryIntf<IPersistentItem>(item);
  if (host && host->Root && p && p->GetItem() != Root())
    host->Root->ValidateDeletable(p->GetItem());
  TRecordingSurface::DestroyItem(item);
}

void THostDesignSurface::Close() {
  TRecordingSurface::Close();
  if (auto* host = dynamic_cast<TRootSurfaceHost*>(FHost.get())) host->Root = nullptr;
  FHost = nullptr;
}

// ---- THostRootSurface --------------------------------------------------------------------------

IPtr<IRootSurface> THostRootSurface::Make(TComponentRoot& root) {
  auto* control = dynamic_cast<TWinControl*>(root.GetRoot());
  if (!control) return nullptr;
  IPtr<THostRootSurface> surface(new THostRootSurface(root, control));
  RegisterDesignNotification(IPtr<IDesignNotification>(surface.get()));
  return IPtr<IRootSurface>(surface.get());
}

THostRootSurface* THostRootSurface::Of(TComponentRoot& root) {
  return dynamic_cast<THostRootSurface*>(root.Surface().get());
}

THostRootSurface::THostRootSurface(TComponentRoot& root, TWinControl* control)
    : FRoot(&root), FSelections(New<TSimpleSelections>()),
      FSurface(new THostDesignSurface(control, IPtr<ISurfaceHost>(New<TRootSurfaceHost>(&root)))),
      FDesigner(new TDesigner(IPtr<IDesignSurface>(FSurface.get()),
                              IPtr<ISelections>(FSelections.get()),
                              IPtr<ITools>(New<TEnvironmentTools>(root.GetEnvironment())))) {
  FSelections->AddListener(IPtr<ISelectionsListener>(this));
}

HResult THostRootSurface::QueryInterface(const TGUID& iid, void** obj) {
  if (iid == ISurfaceDesigner::IID && FDesigner) return FDesigner->QueryInterface(iid, obj);
  return TInterfacedObject::QueryInterface(iid, obj);
}

void THostRootSurface::NotificationsStarting() {
  if (FSurface) FSurface->SetInitializing(true);
}

void THostRootSurface::NotificationsDone() {
  if (FSurface) FSurface->SetInitializing(false);
}

void THostRootSurface::SetOptions(const TDesignSurfaceOptions& options) {
  if (FSurface) FSurface->SetOptions(options);
}

void THostRootSurface::SetGrid(TPoint gridSize, bool snapToGrid, bool useGuidelines) {
  if (!FDesigner) return;
  FDesigner->SetGridSize(gridSize);
  FDesigner->SetGridAligned(snapToGrid);
  FDesigner->SetGuidelines(useGuidelines);
}

void THostRootSurface::SetControlsLocked(bool locked) {
  if (!FDesigner) return;
  if (locked)
    FDesigner->Lock();
  else
    FDesigner->Unlock();
}

void THostRootSurface::Modified() {
  if (!FSurface) return;
  if (IPtr<IGrabHandles> handles = FSurface->GetGrabHandles()) handles->Update();
  FSurface->Refresh();
}

void THostRootSurface::GoingDormant() {
  if (FDesigner) FDesigner->CancelDragging();
}

void THostRootSurface::Close() {
  if (!FRoot) return;
  FRoot = nullptr;
  // The selection, the designer, the surface and the notification list hold one another until
  // they are closed.
  UnregisterDesignNotification(IPtr<IDesignNotification>(this));
  FSelections->RemoveListener(IPtr<ISelectionsListener>(this));
  if (IPtr<TDesigner> designer = std::move(FDesigner)) designer->Close();
  if (IPtr<THostDesignSurface> surface = std::move(FSurface)) surface->Close();
}

void THostRootSurface::SelectionChanged(const IPtr<ISelections>& selections) {
  if (!FRoot || FRoot->IsUnavailable() || FSyncing) return;
  IPtr<IDesignerSelections> list = CreateSelectionList();
  for (Integer i = 0, n = selections->GetCount(); i < n; ++i)
    if (auto p = QueryIntf<IPersistentItem>(selections->GetItems(i)))
      if (TPersistent* instance = p->GetItem()) list->Add(instance);
  FSyncing = true;
  TOnExit done([this] { FSyncing = false; });
  FRoot->SetSelections(list);
}

void THostRootSurface::SelectionChanged(const IPtr<IDesigner>& designer,
                                        const IPtr<IDesignerSelections>& selection) {
  if (!FRoot || FSyncing || designer.get() != static_cast<IDesigner*>(FRoot) || !selection) return;
  FSyncing = true;
  TOnExit done([this] { FSyncing = false; });
  FSelections->BeginSelections();
  FSelections->Clear();
  for (Integer i = 0, n = selection->GetCount(); i < n; ++i)
    if (auto* c = dynamic_cast<TComponent*>(selection->Get(i)))
      FSelections->Add(FSurface->ComponentToItem(c));
  FSelections->EndSelections();
  if (IPtr<IGrabHandles> handles = FSurface->GetGrabHandles())
    handles->SetItem(FSelections->GetCount() == 1 ? FSelections->GetItems(0) : nullptr);
}

// ---- start-up ----------------------------------------------------------------------------------

void HostSurfaceStartup() { CreateRootSurfaceProc = &THostRootSurface::Make; }

void HostSurfaceShutdown() {
  if (CreateRootSurfaceProc == &THostRootSurface::Make) CreateRootSurfaceProc = nullptr;
}

} // namespace fw
