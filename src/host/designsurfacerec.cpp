#include "host/designsurfacerec.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"
#include "designer/guides.h"

namespace fw {

TClass TControlItem::StaticClass() {
  static const TClass cls =
      TClassBuilder<TControlItem, TPersistentItem>("TControlItem", "DesignSurfaceRec")
          .Implements<IItem, IItemEx, IPersistentItem>()
          .Build();
  return cls;
}

TClass TRecordingGrabHandles::StaticClass() {
  static const TClass cls = TClassBuilder<TRecordingGrabHandles, TInterfacedObject>(
                                "TRecordingGrabHandles", "DesignSurfaceRec")
                                .Implements<IGrabHandles>()
                                .Build();
  return cls;
}

TClass TRecordingDragBoxes::StaticClass() {
  static const TClass cls =
      TClassBuilder<TRecordingDragBoxes, TXorDragBoxes>("TRecordingDragBoxes", "DesignSurfaceRec")
          .Build();
  return cls;
}

TClass TRecordingSurface::StaticClass() {
  static const TClass cls =
      TClassBuilder<TRecordingSurface, TDesignSurface>("TRecordingSurface", "DesignSurfaceRec")
          .Build();
  return cls;
}

TClass TRecordingSurfaceHost::StaticClass() {
  static const TClass cls = TClassBuilder<TRecordingSurfaceHost, TInterfacedObject>(
                                "TRecordingSurfaceHost", "DesignSurfaceRec")
                                .Implements<ISurfaceHost>()
                                .Build();
  return cls;
}

// ---- TControlItem ----------------------------------------------------------------------------

TControlItem::TControlItem(TRecordingSurface* surface, TComponent* component)
    : TPersistentItem(component), FSurface(surface), FControl(dynamic_cast<TControl*>(component)) {}

bool TControlItem::Contains(const IPtr<IItem>& item) {
  TControl* self = Control();
  IPtr<IPersistentItem> other = QueryIntf<IPersistentItem>(item);
  auto* c = other ? dynamic_cast<TControl*>(other->GetItem()) : nullptr;
  for (; self && c; c = c->Parent())
    if (c == self) return true;
  return false;
}

TPoint TControlItem::GlobalToLocal(const TPoint& point) {
  TControl* c = Control();
  return c ? c->ScreenToClient(point) : point;
}

TPoint TControlItem::LocalToGlobal(const TPoint& point) {
  TControl* c = Control();
  return c ? c->ClientToScreen(point) : point;
}

TRect TControlItem::GetBoundsRect() {
  TControl* c = Control();
  return c ? c->BoundsRect() : TRect{};
}

TRect TControlItem::GetClientRect() {
  TControl* c = Control();
  return c ? c->ClientRect() : TRect{};
}

IPtr<IItem> TControlItem::GetParent() {
  TControl* c = Control();
  if (!c || !c->Parent() || !FSurface) return nullptr;
  return FSurface->ComponentToItem(c->Parent());
}

bool TControlItem::IsContainer() {
  TControl* c = Control();
  return c && dynamic_cast<TWinControl*>(c) && c->ControlStyle().Contains(controlAcceptsControls);
}

bool TControlItem::HasSelectableChildren() {
  auto* w = dynamic_cast<TWinControl*>(Control());
  return w && w->ControlCount() > 0;
}

void TControlItem::SetBoundsRect(const TRect& rect) {
  if (TControl* c = Control()) c->SetBoundsRect(rect);
}

void TControlItem::ValidateDeletable() {
  if (FSurface && FInstance == FSurface->Root()) TPersistentItem::ValidateDeletable();
}

IPtr<IItemGuidelines> TControlItem::GetGuidelines() {
  TControl* c = Control();
  if (!c || !FSurface) return nullptr;
  const TRect b = FSurface->SurfaceBounds(IPtr<IItem>(this));
  const TMargins* m = c->Margins();
  std::vector<TGuide> guides = {
      {b.Left, gtAlignLeft},
      {b.Top, gtAlignTop},
      {b.Right, gtAlignRight},
      {b.Bottom, gtAlignBottom},
      {b.Left - m->Left(), gtMarginLeft},
      {b.Top - m->Top(), gtMarginTop},
      {b.Right + m->Right(), gtMarginRight},
      {b.Bottom + m->Bottom(), gtMarginBottom},
  };
  if (const Integer baseline = c->GetTextBaseline(); baseline >= 0)
    guides.push_back({b.Top + baseline, gtBaseline});
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    const TPadding* pad = w->Padding();
    const TPoint origin = FSurface->MapToSurface(c->ClientToScreen({0, 0}));
    const TRect client = c->ClientRect();
    guides.push_back({origin.X + pad->Left(), gtPaddingLeft});
    guides.push_back({origin.Y + pad->Top(), gtPaddingTop});
    guides.push_back({origin.X + client.Right - pad->Right(), gtPaddingRight});
    guides.push_back({origin.Y + client.Bottom - pad->Bottom(), gtPaddingBottom});
  }
  return IPtr<IItemGuidelines>(new TItemGuidelines(std::move(guides)));
}

TRect TControlItem::GetPaddedBoundsRect() {
  TControl* c = Control();
  if (!c) return {};
  const TRect b = c->BoundsRect();
  const TMargins* m = c->Margins();
  return {b.Left - m->Left(), b.Top - m->Top(), b.Right + m->Right(), b.Bottom + m->Bottom()};
}

std::array<TGrabHandle, 8> GrabHandlesAround(const TRect& r) {
  const Integer midX = r.Left + r.Width() / 2;
  const Integer midY = r.Top + r.Height() / 2;
  auto at = [](Integer x, Integer y, TMoveAffects affects) {
    return TGrabHandle{{x - 2, y - 2, x + 3, y + 3}, affects};
  };
  return {at(r.Left, r.Top, {gaLeft, gaTop}),
          at(r.Right, r.Top, {gaRight, gaTop}),
          at(r.Right, r.Bottom, {gaRight, gaBottom}),
          at(r.Left, r.Bottom, {gaLeft, gaBottom}),
          at(midX, r.Top, {gaTop}),
          at(r.Right, midY, {gaRight}),
          at(midX, r.Bottom, {gaBottom}),
          at(r.Left, midY, {gaLeft})};
}

// ---- TRecordingGrabHandles -------------------------------------------------------------------

void TRecordingGrabHandles::SetItem(const IPtr<IItem>& item) {
  ++SetItemCount;
  FItem = item;
}

TMoveAffects TRecordingGrabHandles::HitTest(const TPoint& point) {
  if (!FItem || !FSurface) return {};
  for (const TGrabHandle& h : GrabHandlesAround(FSurface->SurfaceBounds(FItem)))
    if (point.X >= h.Rect.Left && point.X < h.Rect.Right && point.Y >= h.Rect.Top &&
        point.Y < h.Rect.Bottom)
      return h.Affects;
  return {};
}

// ---- TRecordingSurface -----------------------------------------------------------------------

class TRecordingSurface::TWatcher : public TComponent {
public:
  explicit TWatcher(TRecordingSurface* surface) : TComponent(nullptr), FSurface(surface) {}
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == notifyRemove) FSurface->ComponentGone(component);
  }

private:
  TRecordingSurface* FSurface;
};

TRecordingSurface::TRecordingSurface(const IPtr<IDesigner>& designer, TWinControl* root,
                                     const IPtr<ISurfaceHost>& host)
    : TDesignSurface(designer, root, host), FRootControl(root),
      FHandles(new TRecordingGrabHandles(this)), FWatcher(new TWatcher(this)) {
  FGrabHandles = FHandles.get();
  FRootItem = ComponentToItem(root);
  FContainerItem = FRootItem;
}

TRecordingSurface::~TRecordingSurface() {
  // Nothing watches the components any more: items still held elsewhere must not reach them.
  for (auto& [component, item] : FItems)
    item->Detach();
  FHandles->Detach();
  FWatcher->Free();
}

IPtr<IItem> TRecordingSurface::ComponentToItem(TComponent* component) {
  if (!component) return nullptr;
  auto it = FItems.find(component);
  if (it != FItems.end()) return it->second.get();
  IPtr<TControlItem> item(new TControlItem(this, component));
  component->FreeNotification(FWatcher);
  FItems.emplace(component, item);
  return item.get();
}

void TRecordingSurface::ComponentGone(TComponent* component) {
  auto it = FItems.find(component);
  if (it == FItems.end()) return;
  IPtr<TControlItem> item = it->second;
  FItems.erase(it);
  item->Detach();
  if (component == FRoot) {
    FRoot = nullptr;
    FRootControl = nullptr;
  }
  IPtr<ISurfaceDesigner> designer = QueryIntf<ISurfaceDesigner>(FListener);
  if (!designer) return;
  designer->CancelDragging();
  if (IPtr<ISelections> selections = designer->GetSelections())
    selections->Remove(IPtr<IItem>(item.get()));
  if (FHandles->GetItem() == IPtr<IItem>(item.get())) FHandles->SetItem(nullptr);
}

TRect TRecordingSurface::SurfaceBounds(const IPtr<IItem>& item) {
  if (!item) return {};
  const TRect b = item->GetBoundsRect();
  IPtr<IItem> parent = item->GetParent();
  if (!parent) {
    const TPoint tl = MapToSurface({b.Left, b.Top});
    return {tl.X, tl.Y, tl.X + b.Width(), tl.Y + b.Height()};
  }
  const TPoint tl = MapToSurface(parent->LocalToGlobal({b.Left, b.Top}));
  return {tl.X, tl.Y, tl.X + b.Width(), tl.Y + b.Height()};
}

IPtr<IItem> TRecordingSurface::ItemAt(const TPoint& point) {
  if (!FRootControl) return nullptr;
  TControl* hit = FRootControl;
  TPoint p = point; // in `hit`'s client coordinates
  for (;;) {
    auto* w = dynamic_cast<TWinControl*>(hit);
    TControl* child = nullptr;
    for (Integer i = w ? w->ControlCount() - 1 : -1; i >= 0; --i) {
      TControl* c = w->Controls(i);
      const TRect b = c->BoundsRect();
      if (c->Visible() && p.X >= b.Left && p.X < b.Right && p.Y >= b.Top && p.Y < b.Bottom) {
        child = c;
        break;
      }
    }
    if (!child) break;
    p = child->ParentToClient(p);
    hit = child;
  }
  return ComponentToItem(hit);
}

void TRecordingSurface::MouseDown(Integer x, Integer y, TShiftState shift, bool doubleClick,
                                  bool noDrag) {
  FMouse = {x, y};
  const TMoveAffects affects = FHandles->HitTest(FMouse);
  IPtr<IItem> item = affects.Empty() ? ItemAt(FMouse) : FHandles->GetItem();
  if (IPtr<IDesignSurfaceListener> l = FListener)
    l->MouseDown(item, shift, x, y, doubleClick, affects, noDrag);
}

void TRecordingSurface::MouseMove(Integer x, Integer y) {
  FMouse = {x, y};
  if (IPtr<IDesignSurfaceListener> l = FListener) l->MouseMove(x, y);
}

void TRecordingSurface::MouseUp(Integer x, Integer y) {
  FMouse = {x, y};
  if (IPtr<IDesignSurfaceListener> l = FListener) l->MouseUp(x, y);
}

void TRecordingSurface::Drag(TPoint from, std::initializer_list<TPoint> path, TShiftState shift) {
  MouseDown(from.X, from.Y, shift);
  TPoint last = from;
  for (const TPoint& p : path) {
    MouseMove(p.X, p.Y);
    last = p;
  }
  MouseUp(last.X, last.Y);
}

void TRecordingSurface::KeyDown(TDesignKeyCode code, TShiftState shift) {
  if (IPtr<IDesignSurfaceListener> l = FListener) l->Key(code, shift, false);
}

void TRecordingSurface::KeyUp(TDesignKeyCode code, TShiftState shift) {
  if (IPtr<IDesignSurfaceListener> l = FListener) l->Key(code, shift, true);
}

IPtr<IDragBoxes> TRecordingSurface::CreateDragBoxes(const IPtr<IItem>&, const TPoint&) {
  LastBoxes = new TRecordingDragBoxes();
  return LastBoxes.get();
}

void TRecordingSurface::Close() {
  Closed = true;
  if (IPtr<ISurfaceDesigner> designer = QueryIntf<ISurfaceDesigner>(FListener)) designer->Close();
  FListener = nullptr;
}

TPoint TRecordingSurface::MapFromSurface(const TPoint& point) {
  return FRootControl ? FRootControl->ClientToScreen(point) : point;
}

TPoint TRecordingSurface::MapToSurface(const TPoint& point) {
  return FRootControl ? FRootControl->ScreenToClient(point) : point;
}

IPtr<IItem> TRecordingSurface::NextItem(const IPtr<IItem>& item, bool goForward) {
  if (!FRootControl) return nullptr;
  IPtr<IPersistentItem> p = QueryIntf<IPersistentItem>(item);
  auto* control = p ? dynamic_cast<TWinControl*>(p->GetItem()) : nullptr;
  const TWinControl* parent = control && control->Parent() ? control->Parent() : FRootControl;
  const auto& tabs = parent->TabList();
  if (tabs.empty()) return nullptr;
  const auto n = static_cast<Integer>(tabs.size());
  Integer at = -1;
  for (Integer i = 0; i < n; ++i)
    if (tabs[static_cast<std::size_t>(i)] == control) at = i;
  Integer next;
  if (at < 0)
    next = goForward ? 0 : n - 1;
  else
    next = ((goForward ? at + 1 : at - 1) % n + n) % n;
  return ComponentToItem(tabs[static_cast<std::size_t>(next)]);
}

// ---- TRecordingSurfaceHost -------------------------------------------------------------------

Integer TRecordingSurfaceHost::GetComponentCount() { return FRoot ? FRoot->ComponentCount() : 0; }

TComponent* TRecordingSurfaceHost::GetComponent(Integer index) {
  return FRoot ? FRoot->Components(index) : nullptr;
}

void TRecordingSurfaceHost::DeleteSelection() {
  if (!Selections) return;
  std::vector<IPtr<IPersistentItem>> doomed;
  for (Integer i = 0; i < Selections->GetCount(); ++i)
    if (IPtr<IPersistentItem> p = QueryIntf<IPersistentItem>(Selections->GetItems(i)))
      if (p->GetItem() && p->GetItem() != FRoot) doomed.push_back(p);
  Selections->Clear();
  // A control frees its children: items of a surface that watches its components lose their
  // object then, and are skipped.
  for (const auto& p : doomed)
    if (TPersistent* c = p->GetItem()) c->Free();
  if (!doomed.empty()) Modified();
}

void TRecordingSurfaceHost::ValidateModification() {
  if (ReadOnly) throw EInvalidOperation(sReadOnlyModule);
}

String TRecordingSurfaceHost::UniqueName(const String& baseName) {
  String base = baseName.size() > 1 && (baseName[0] == 'T' || baseName[0] == 't')
                    ? baseName.substr(1)
                    : baseName;
  for (Integer i = 1;; ++i) {
    String name = base + std::to_string(i);
    if (!FRoot || !FRoot->FindComponent(name)) return name;
  }
}

} // namespace fw
