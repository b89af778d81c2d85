#include "componentdesigner/componentcreation.h"

#include "basert/classbuilder.h"
#include "basert/filer.h"
#include "basert/format.h"
#include "basert/onexit.h"
#include "componentdesigner/componentroot.h"
#include "componentdesigner/designnotification.h"
#include "componentdesigner/environmenttools.h"
#include "componentdesigner/layoutcommands.h"
#include "componentdesigner/proxies.h"
#include "tarn/controls.h"
#include "toolsapi/toolsapi.h"

#include <algorithm>
#include <unordered_set>

namespace fw {

namespace {

/// What a dynamic_cast answers, read from the class records: creating a component asks it a
/// dozen times, and the cast costs more than the rest of the question.
template <class T> T* As(TPersistent* p) { return p && p->Is<T>() ? static_cast<T*>(p) : nullptr; }

bool IsContainer(TComponent* c) {
  auto* w = As<TWinControl>(c);
  return w && w->ControlStyle().Contains(controlAcceptsControls);
}

/// The component owned by `root` whose control is `c` or holds it; `c` for a non-control.
TComponent* ParentOf(TComponent* c, TComponent* root) {
  auto* control = As<TControl>(c);
  if (!control || c == root) return nullptr;
  return control->Parent() ? static_cast<TComponent*>(control->Parent()) : root;
}

/// The component's top-left corner on its parent: a control's position, or the position a
/// non-visual component keeps in its design information.
TRect DesignBounds(TComponent* c) {
  if (auto* control = As<TControl>(c)) return control->BoundsRect();
  const Integer info = c->DesignInfo();
  const Integer left = static_cast<std::int16_t>(info & 0xFFFF);
  const Integer top = static_cast<std::int16_t>((info >> 16) & 0xFFFF);
  return {left, top, left, top};
}

void SetDesignBounds(TComponent* c, const TRect& r) {
  if (auto* control = As<TControl>(c))
    control->SetBoundsRect(r);
  else
    c->SetDesignInfo(static_cast<Integer>((static_cast<std::uint32_t>(r.Left) & 0xFFFFu) |
                                          (static_cast<std::uint32_t>(r.Top) << 16)));
}

/// Appends what `c` holds: its child controls and what it owns (a frame's components), in their
/// order. With `outerFirst` each container comes before its contents, as additions are heard;
/// without, after them, so that removals are heard before any pointer to them dangles.
void AppendContents(TComponent* c, std::vector<TComponent*>& out,
                    std::unordered_set<TComponent*>& seen, bool outerFirst) {
  auto take = [&](TComponent* inner) {
    if (!seen.insert(inner).second) return;
    if (outerFirst) out.push_back(inner);
    AppendContents(inner, out, seen, outerFirst);
    if (!outerFirst) out.push_back(inner);
  };
  if (auto* w = As<TWinControl>(c))
    for (Integer i = 0, n = w->ControlCount(); i < n; ++i)
      take(w->Controls(i));
  for (TComponent* owned : c->ComponentList())
    take(owned);
}

} // namespace

// ---- TClassPaletteItem -------------------------------------------------------------------------

TClass TClassPaletteItem::StaticClass() {
  static const TClass cls =
      TClassBuilder<TClassPaletteItem, TInterfacedObject>("TClassPaletteItem", "ComponentDesigner")
          .Implements<IInternalPaletteItem>()
          .Build();
  return cls;
}

TComponent* TClassPaletteItem::CreateComponent(TComponent* owner) {
  return FComponentClass ? fw::CreateComponent(FComponentClass, owner) : nullptr;
}

// ---- placement ---------------------------------------------------------------------------------

TPoint SnapPointToGrid(const TPoint& point, const TPoint& gridSize) {
  auto snap = [](Integer value, Integer grid) {
    if (grid < 1) return value;
    Integer t = value + grid / 2;
    if (t < 0) t -= grid - 1;
    return t - t % grid;
  };
  return {snap(point.X, gridSize.X), snap(point.Y, gridSize.Y)};
}

TRect PlaceCreatedItem(const TRect& rect, const TRect& itemBounds,
                       const TPlacementContext& context) {
  const Integer width = itemBounds.Width(), height = itemBounds.Height();
  if (rect.Width() <= 0 || rect.Height() <= 0) {
    auto snap = [&](TPoint p) {
      return context.SnapToGrid ? SnapPointToGrid(p, context.GridSize) : p;
    };
    TPoint p = snap({context.ParentSize.X / 2 - width / 2, context.ParentSize.Y / 2 - height / 2});
    const Integer dx = std::max(context.GridSize.X / 2 + 1, 10);
    const Integer dy = std::max(context.GridSize.Y / 2 + 1, 10);
    while (context.Occupied && context.Occupied(p)) {
      const TPoint next = snap({p.X + dx, p.Y + dy});
      // A grid coarser than the step would snap back onto the same point.
      p = next == p ? TPoint{p.X + dx, p.Y + dy} : next;
    }
    return {p.X, p.Y, p.X + width, p.Y + height};
  }
  if (rect.Width() <= 9 && rect.Height() <= 9) {
    if (width <= 9 && height <= 9) return {rect.Left, rect.Top, rect.Left + 100, rect.Bottom + 40};
    return {rect.Left, rect.Top, rect.Left + width, rect.Top + height};
  }
  return rect;
}

// ---- the root's creation operations ------------------------------------------------------------

TComponent* TComponentRoot::FindItemParent(TComponent* item) {
  if (!FRoot) return nullptr;
  if (!item) return FRoot;
  if (!IsContainer(item))
    if (auto* w = As<TWinControl>(item))
      for (Integer i = 0, n = w->ControlCount(); i < n; ++i)
        if (IsContainer(w->Controls(i))) return w->Controls(i);
  for (TComponent* c = item; c; c = ParentOf(c, FRoot))
    if (IsContainer(c)) return c;
  return FRoot;
}

TComponent* TComponentRoot::FindCurrentParent() {
  const std::vector<TPersistent*> selected = SelectedObjects(*this);
  if (selected.size() == 1)
    if (auto* c = dynamic_cast<TComponent*>(selected[0])) return FindItemParent(c);
  return FRoot;
}

TComponent* TComponentRoot::OwnerForChildOf(TComponent* parent) {
  if (!parent || parent == FRoot) return FRoot;
  if (TComponent* owner = parent->GetChildOwner()) return owner;
  for (TComponent* c = parent; c && c != FRoot; c = c->GetParentComponent())
    if (c->ComponentState().Contains(stateInline)) return c;
  return FRoot;
}

void TComponentRoot::ValidateComponent(TComponent* component) {
  if (FCustomModule) FCustomModule->ValidateComponent(component);
}

TComponent* TComponentRoot::DoCreateComponent(const IPtr<IInternalPaletteItem>& item,
                                              TComponent* parent, TRect& rect,
                                              TComponentClass checkedClass) {
  if (FModule) FModule->ValidateModification();
  if ((!item && !checkedClass) || !FRoot) return nullptr;
  if (item)
    if (auto palette = QueryIntf<IOTABasePaletteItem>(item.get()))
      if (!palette->GetEnabled()) return nullptr;
  const bool empty = rect.Width() <= 0 || rect.Height() <= 0;
  // A caller that names the parent keeps it; only a bare request follows the selection.
  if (empty && !parent) parent = FindCurrentParent();
  FCreateContainers = false;
  TOnExit restore([this] { FCreateContainers = true; });

  TComponent* c = nullptr;
  const TComponentClass cls = item ? item->GetComponentClass() : checkedClass;
  TComponent* container = FindItemParent(parent);
  TComponent* owner = OwnerForChildOf(container);
  if (cls) c = FrameCreateComponent(cls, owner);
  if (!c) c = item ? item->CreateComponent(owner) : fw::CreateComponent(cls, owner);
  if (!c) return nullptr;
  try {
    c->SetDesigning(true);
    ValidateComponent(c);
    if (!c->ComponentStyle().Contains(styleInheritable) && FRootUpdateManager &&
        FRootUpdateManager->GetHasDescendents())
      throw EComponentDesignerException(Format(sCannotInherit, c->ClassName()));
    if (container && c->HasParent() && IsContainer(container)) c->SetParentComponent(container);
    c->SetName(UniqueNameIn(c->Owner(), c->ClassName()));
    if (FNameIndex && c->Owner() == FRoot) FNameIndex->Given(c->Name());

    TPlacementContext context;
    if (auto provider = QueryIntf<IDesignerOptionsProvider>(GetEnvironment().get())) {
      const TDesignerOptions options = provider->GetDesignerOptions();
      context.GridSize = {options.GridSizeX, options.GridSizeY};
      context.SnapToGrid = options.SnapToGrid;
    }
    if (auto* w = As<TControl>(container))
      context.ParentSize = {w->ClientWidth(), w->ClientHeight()};
    // The walk for a free corner only goes right and down from where it starts, so only the
    // corners (of the items beside it: a placed frame's when it went into one) in that quadrant
    // are kept, sorted, on its first step.
    std::vector<TPoint> corners;
    bool scanned = false;
    auto before = [](const TPoint& a, const TPoint& b) {
      return a.X < b.X || (a.X == b.X && a.Y < b.Y);
    };
    if (empty)
      context.Occupied = [&](const TPoint& p) {
        if (!scanned) {
          scanned = true;
          for (TComponent* other : c->Owner()->ComponentList())
            if (other != c) {
              const TRect b = DesignBounds(other);
              if (b.Left >= p.X && b.Top >= p.Y) corners.push_back({b.Left, b.Top});
            }
          std::sort(corners.begin(), corners.end(), before);
        }
        return std::binary_search(corners.begin(), corners.end(), p, before);
      };
    SetDesignBounds(c, PlaceCreatedItem(rect, DesignBounds(c), context));
  } catch (...) {
    c->Free();
    throw;
  }
  // The host's ComponentCreated announces it.
  ComponentCreated(c);
  SelectComponent(c);
  Modified();
  return c;
}

TComponent* TComponentRoot::CreateComponent(const IPtr<IInternalPaletteItem>& item) {
  TRect rect;
  return DoCreateComponent(item, nullptr, rect);
}

TComponent* TComponentRoot::CreateComponent(TComponentClass componentClass, TComponent* parent,
                                            Integer left, Integer top, Integer width,
                                            Integer height) {
  if (!FRoot || !componentClass) return nullptr;
  if (FCustomModule && !FCustomModule->ValidateComponentClass(componentClass)) return nullptr;
  TRect rect;
  if (parent) {
    TComponent* container = FindItemParent(parent);
    TPoint p{left, top};
    auto* from = As<TControl>(parent);
    auto* to = As<TControl>(container);
    if (container != parent && from && to) p = to->ScreenToClient(from->ClientToScreen(p));
    if (auto provider = QueryIntf<IDesignerOptionsProvider>(GetEnvironment().get())) {
      const TDesignerOptions o = provider->GetDesignerOptions();
      if (o.SnapToGrid) p = SnapPointToGrid(p, {o.GridSizeX, o.GridSizeY});
    }
    rect = {p.X, p.Y, p.X + width, p.Y + height};
  }
  return DoCreateComponent(nullptr, parent, rect, componentClass);
}

TComponent* TComponentRoot::CreateCurrentComponent(TComponent* parent, const TRect& rect) {
  auto palette = QueryIntf<IDesignPaletteState>(GetEnvironment().get());
  IPtr<IInternalPaletteItem> item = palette ? palette->GetCurrentPaletteItem() : nullptr;
  if (!item) return nullptr;
  TRect r = rect;
  TComponent* c = DoCreateComponent(item, parent, r);
  palette->PaletteItemUsed();
  return c;
}

TComponent* TComponentRoot::CreateComponentPos(const IPtr<IInternalPaletteItem>& item, Integer x,
                                               Integer y) {
  if (!FRoot) return nullptr;
  // Down through the containers under the point, each step into the child's coordinates.
  TComponent* container = FRoot;
  for (bool found = true; found;) {
    found = false;
    auto* w = As<TWinControl>(container);
    for (Integer i = w ? w->ControlCount() - 1 : -1; i >= 0; --i) {
      TControl* child = w->Controls(i);
      const TRect b = child->BoundsRect();
      if (IsContainer(child) && x >= b.Left && x < b.Right && y >= b.Top && y < b.Bottom) {
        x -= b.Left;
        y -= b.Top;
        container = child;
        found = true;
        break;
      }
    }
  }
  if (auto provider = QueryIntf<IDesignerOptionsProvider>(GetEnvironment().get())) {
    const TDesignerOptions o = provider->GetDesignerOptions();
    if (o.SnapToGrid && o.GridSizeX > 0 && o.GridSizeY > 0) {
      x -= ((x % o.GridSizeX) + o.GridSizeX) % o.GridSizeX;
      y -= ((y % o.GridSizeY) + o.GridSizeY) % o.GridSizeY;
    }
  }
  TRect rect{x, y, x + 1, y + 1};
  return DoCreateComponent(item, container, rect);
}

// ---- nested modules ----------------------------------------------------------------------------

TComponent* TComponentRoot::FrameCreateComponent(TComponentClass componentClass,
                                                 TComponent* owner) {
  if (!componentClass || !IsProxyClass(componentClass)) return nullptr;
  IPtr<IRoot> module = FDesigner->OpenRootClass(componentClass->ClassName);
  TComponent* moduleRoot = module ? module->GetRoot() : nullptr;
  if (!moduleRoot) return nullptr;
  IPtr<ICustomModule> custom = module->GetCustomModule();
  if (!custom || !custom->Nestable()) throw EComponentDesignerException(String(sCannotPasteForm));
  for (TComponent* o = owner; o; o = o->Owner())
    if (o == moduleRoot) throw EComponentDesignerException(String(sNestedInsertedInSelf));
  ValidateInheritence(moduleRoot);

  TClass compiled = componentClass;
  while (compiled && IsProxyClass(compiled))
    compiled = compiled->Parent;
  TComponent* instance = CreateComponentWithState(
      compiled, owner, TComponentState{stateDesigning, stateInline, stateDesignInstance},
      [this](TComponent* i) { FModifiableFrames.push_back(i); });
  try {
    instance->SetDesigning(true);
    ChangeToProxyClass(instance, componentClass);
    const bool createManagers = FCreateFrameManagers;
    ReadAncestorCopy(moduleRoot, instance);
    // The instance itself is this module's own (it can be renamed and is written inline);
    // what it holds comes from the nested module.
    InlineComponentAdded(instance);
    std::function<void(TComponent*)> mark = [&](TComponent* c) {
      for (TComponent* child : c->ComponentList()) {
        child->SetAncestor(true);
        InlineComponentAdded(child);
        mark(child);
      }
    };
    mark(instance);
    if (createManagers && CreateUpdateManagerProc) {
      auto internal = QueryIntf<IInternalRoot>(module.get());
      AddUpdateManager(CreateUpdateManagerProc(instance, moduleRoot,
                                               internal ? internal->GetUpdateManager() : nullptr,
                                               IPtr<IUpdateManagerCallback>(this)));
    }
  } catch (...) {
    std::erase(FModifiableFrames, instance);
    instance->Free();
    throw;
  }
  return instance;
}

bool TComponentRoot::IsFrame(TPersistent* instance) {
  return instance && std::find(FModifiableFrames.begin(), FModifiableFrames.end(), instance) !=
                         FModifiableFrames.end();
}

bool TComponentRoot::ModifiableFrame(TComponent* component) { return IsFrame(component); }

void TComponentRoot::InstanceInserted(TPersistent* instance) {
  DesignNotificationItemInserted(IPtr<IDesigner>(this), instance);
}

void TComponentRoot::ComponentInserted(TComponent* component) { ComponentsInserted({component}); }

void TComponentRoot::ComponentsInserted(const std::vector<TComponent*>& components) {
  std::vector<TComponent*> heard;
  std::unordered_set<TComponent*> seen;
  for (TComponent* c : components)
    if (seen.insert(c).second) {
      heard.push_back(c);
      AppendContents(c, heard, seen, true);
    }
  for (TComponent* c : heard)
    InstanceInserted(c);
}

void TComponentRoot::InstanceRemoved(TPersistent* instance) {
  if (!instance) return;
  std::vector<TComponent*> leaving;
  if (auto* c = As<TComponent>(instance)) {
    std::unordered_set<TComponent*> seen{c};
    AppendContents(c, leaving, seen, false);
  }
  for (TComponent* inner : leaving)
    InstanceLeaving(inner);
  InstanceLeaving(instance);
}

void TComponentRoot::InstanceLeaving(TPersistent* instance) {
  Deselect(instance);
  if (auto* c = As<TComponent>(instance)) {
    std::erase_if(FUpdateManagers,
                  [&](const IPtr<IUpdateManager>& m) { return m->GetComponent() == c; });
    std::erase(FModifiableFrames, c);
  }
  DesignNotificationItemDeleted(IPtr<IDesigner>(this), instance);
}

// ---- deletion ----------------------------------------------------------------------------------

void TComponentRoot::ValidateDeletable(TPersistent* instance) {
  auto* c = dynamic_cast<TComponent*>(instance);
  if (c && c->ComponentState().Contains(stateAncestor) &&
      !c->ComponentState().Contains(stateDestroying))
    throw EComponentDesignerException(Format(sCantDeleteAncestor, c->Name()));
  if (!c) throw ECannotDeleteNonComponentException(String(sCannotDeleteNonComponent));
}

void TComponentRoot::DeleteSelection(bool) {
  std::vector<TPersistent*> selected = SelectedObjects(*this);
  if (!FRoot || selected.empty() ||
      std::find(selected.begin(), selected.end(), FRoot) != selected.end())
    return;
  if (IsSourceReadOnly()) throw EComponentDesignerException(String(sCantDeleteComponent));
  for (TPersistent* p : selected)
    ValidateDeletable(p);
  if (FModule) FModule->ValidateModification();

  // Siblings only: what does not share the first one's parent leaves the selection and stays.
  ForceCommonParent();
  selected = SelectedObjects(*this);
  auto undo = std::make_unique<TMemoryStream>();
  StreamSelection(*undo, false, false, nullptr);
  FUndoStream = std::move(undo);
  TComponent* parent = ParentOf(static_cast<TComponent*>(selected[0]), FRoot);
  FUndoParent = parent ? parent : FRoot;

  std::vector<TComponent*> doomed;
  for (TPersistent* p : selected)
    doomed.push_back(static_cast<TComponent*>(p));
  {
    // Each freed component leaves the selection; its listeners hear the end result once.
    BeginSelectionUpdate();
    TOnExit end([this] { EndSelectionUpdate(); });
    // Only the doomed are selected now: clearing at once spares each its own removal.
    FSelections->Selections()->Clear();
    for (TComponent* c : doomed) {
      InstanceRemoved(c);
      c->Free();
    }
  }
  Modified();
}

bool TComponentRoot::CanUndelete() { return FUndoStream != nullptr; }

void TComponentRoot::DoUndelete() {
  if (!FUndoStream || !FRoot) return;
  FInUndo = true;
  TOnExit done([this] { FInUndo = false; });
  std::unique_ptr<TMemoryStream> undo = std::move(FUndoStream);
  TComponent* parent = FUndoParent ? FUndoParent : FRoot;
  FUndoParent = nullptr;
  undo->SetPosition(0);
  SelectReadStream(*undo, parent, false, TRect{});
  Modified();
}

} // namespace fw
