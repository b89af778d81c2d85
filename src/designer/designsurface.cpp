#include "designer/designsurface.h"

#include "basert/classbuilder.h"
#include "basert/component.h"

#include <algorithm>

namespace fw {

TClass TDesignSurface::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDesignSurface, TInterfacedObject>("TDesignSurface", "DesignSurface")
          .Implements<IDesignSurface>()
          .Build();
  return cls;
}

namespace {
void FreeObject(TObject* obj) {
  if (obj) obj->Free();
}
} // namespace

TDesignSurface::TDesignSurface(const IPtr<IDesigner>& designer, TComponent* root,
                               const IPtr<ISurfaceHost>& host)
    : FRoot(root), FDesigner(designer), FHost(host) {}

TDesignSurface::~TDesignSurface() {
  while (!FContainers.empty())
    FContainers.pop_back();
}

void TDesignSurface::AddContainer(TObject* container) {
  FContainers.emplace_back(container, &FreeObject);
}

void TDesignSurface::RemoveListener(const IPtr<IDesignSurfaceListener>& listener) {
  if (FListener == listener) FListener = nullptr;
}

IPtr<IItem> TDesignSurface::CreateItem(const IPtr<IItem>& parent, const TRect& rect) {
  if (!FDesigner) return nullptr;
  IPtr<IPersistentItem> p = QueryIntf<IPersistentItem>(parent);
  auto* parentComponent = p ? dynamic_cast<TComponent*>(p->GetItem()) : nullptr;
  if (!parentComponent) return nullptr;
  return ComponentToItem(FDesigner->CreateCurrentComponent(parentComponent, rect));
}

void TDesignSurface::DestroyItem(const IPtr<IItem>& item) {
  if (!item) return;
  item->ValidateDeletable();
  ValidateModification();
  IPtr<IPersistentItem> p = QueryIntf<IPersistentItem>(item);
  // Heard while it and what it holds are still whole, as a deleted selection is.
  if (TPersistent* instance = p ? p->GetItem() : nullptr) InstanceRemoved(instance);
  item->Delete();
  Modified();
}

Integer TDesignSurface::GetItemsCount() { return FHost ? FHost->GetComponentCount() : 0; }

IPtr<IItem> TDesignSurface::GetItems(Integer index) {
  return FHost ? ComponentToItem(FHost->GetComponent(index)) : nullptr;
}

bool TDesignSurface::ItemInSelections(const IPtr<ISelections>& selections,
                                      const IPtr<IItem>& item) {
  if (!selections) return false;
  for (IPtr<IItem> i = item; i; i = i->GetParent()) {
    if (FContainerItem && (i == FContainerItem || i->Equals(FContainerItem))) return false;
    if (selections->Selected(i)) return true;
  }
  return false;
}

void TDesignSurface::DeleteSelection() {
  if (FHost) FHost->DeleteSelection();
}

void TDesignSurface::Modified() {
  if (FHost) FHost->Modified();
}

void TDesignSurface::ValidateModification() {
  if (FHost) FHost->ValidateModification();
}

String TDesignSurface::UniqueName(const String& baseName) {
  return FHost ? FHost->UniqueName(baseName) : String();
}

void TDesignSurface::InstanceInserted(TPersistent* instance) {
  if (FHost) FHost->InstanceInserted(instance);
}

void TDesignSurface::InstanceRemoved(TPersistent* instance) {
  if (FHost) FHost->InstanceRemoved(instance);
}

void TDesignSurface::AppConvertToTessellineUI() {
  if (FHost) FHost->ConvertToTessellineUI();
}

void TDesignSurface::Dialog(TDesignDialog dialog) {
  if (FHost) FHost->Dialog(dialog);
}

void TDesignSurface::Command(TDesignCommand command) {
  if (FHost) FHost->Command(command);
}

} // namespace fw
