#include "basert/component.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"
#include "basert/filer.h"
#include "basert/format.h"
#include "basert/placeholder.h"
#include "basert/runtimeclass.h"

#include <algorithm>
#include <cassert>

namespace fw {

namespace {

constexpr std::size_t npos = static_cast<std::size_t>(-1);

template <class T> void EraseLast(std::vector<T*>& v, T* item) {
  auto it = std::find(v.rbegin(), v.rend(), item);
  if (it != v.rend()) v.erase(std::next(it).base());
}

} // namespace

bool IsCallableCode(const void* code) noexcept {
  if (reinterpret_cast<std::uintptr_t>(code) <= 0xFFFF) return false; // null and small numbers
  return !IsRunTimeMethodCode(code);
}

void TNotifyEvent::operator()(TObject* sender) const {
  if (IsCallableCode(Code)) reinterpret_cast<void (*)(void*, TObject*)>(Code)(Data, sender);
}

PTypeInfo TypeInfoOf(std::type_identity<TNotifyEvent>) { return TypeInfoNotifyEvent(); }

TClass TComponent::StaticClass() {
  static const TClass cls = TClassBuilder<TComponent, TPersistent>("TComponent", "Classes")
                                .Property("Name", &TComponent::Name, &TComponent::SetName)
                                .Stored(false)
                                .Property("Tag", &TComponent::Tag, &TComponent::SetTag)
                                .Default(0)
                                .Implements<IInterface, IInterfaceComponentReference>()
                                .Build();
  return cls;
}

TComponent::TComponent(TComponent* owner) {
  TCreationContext* ctx = detail::PendingCreation();
  if (ctx && ctx->Target == static_cast<TObject*>(this)) {
    FComponentState = TComponentState::FromMask(ctx->ComponentState);
    if (ctx->BeforeConstruction) ctx->BeforeConstruction(this);
  }
  if (owner) owner->InsertComponent(this);
}

void TComponent::BeforeDestruction() {
  if (!FComponentState.Contains(stateDestroying)) Destroying();
  RemoveFreeNotifications();
  // Owner and listeners hear of the removal while the component is still whole.
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent::~TComponent() {
  detail::ForgetFixupsOf(this);
  detail::ForgetKept(this);
  if (!FComponentState.Contains(stateDestroying)) Destroying();
  RemoveFreeNotifications();
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

HResult TComponent::QueryInterface(const TGUID& iid, void** obj) {
  return GetInterface(iid, obj) ? S_OK : E_NOINTERFACE;
}

// ---- ownership ---------------------------------------------------------------------------------

TComponent* TComponent::Components(Integer index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError(Format(sListIndexError, index));
  Pack();
  return FComponents[static_cast<std::size_t>(index)];
}

void TComponent::Pack() const noexcept {
  if (FHoles == 0) return;
  // Only the part behind the first hole moves, as an erase there would have moved it.
  std::size_t to = FFirstHole;
  for (std::size_t i = FFirstHole; i < FComponents.size(); ++i) {
    TComponent* c = FComponents[i];
    if (!c) continue;
    c->FSlot = to;
    FComponents[to++] = c;
  }
  FComponents.resize(to);
  FHoles = 0;
}

std::size_t TComponent::SlotOf(const TComponent* component) const noexcept {
  const std::size_t hint = component->FSlot;
  if (hint < FComponents.size() && FComponents[hint] == component) return hint;
  // Every move keeps the hint right, so the search only confirms that the component is not
  // here; it stays as a safety net for release builds.
  auto it = std::find(FComponents.rbegin(), FComponents.rend(), component);
  assert(it == FComponents.rend() && "stale position hint");
  return it == FComponents.rend() ? npos : static_cast<std::size_t>(FComponents.rend() - it - 1);
}

Integer TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  FOwner->Pack();
  const std::size_t slot = FOwner->SlotOf(this);
  return slot == npos ? -1 : static_cast<Integer>(slot);
}

void TComponent::SetComponentIndex(Integer value) {
  if (!FOwner) return;
  Integer i = ComponentIndex();
  if (i < 0) return;
  auto& list = FOwner->FComponents;
  const Integer count = static_cast<Integer>(list.size());
  value = std::clamp(value, 0, count - 1);
  if (value == i) return;
  list.erase(list.begin() + i);
  list.insert(list.begin() + value, this);
  for (Integer k = std::min(i, value), last = std::max(i, value); k <= last; ++k)
    list[static_cast<std::size_t>(k)]->FSlot = static_cast<std::size_t>(k);
  if (FListed) FOwner->RebuildListeners();
}

void TComponent::InsertComponent(TComponent* component) {
  component->ValidateContainer(this);
  if (!component->FName.empty() && FindComponent(component->FName))
    throw EComponentError(Format(sDuplicateName, component->FName));
  ValidateRename(component, {}, component->FName);
  Insert(component);
  if (FComponentState.Contains(stateDesigning)) component->SetDesigning(true);
  SendNotification(this, component, notifyInsert);
  if (FDesigner) FDesigner->Notification(component, notifyInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  ValidateRename(component, component->FName, {});
  SendNotification(this, component, notifyRemove);
  if (FDesigner) FDesigner->Notification(component, notifyRemove);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  component->FSlot = FComponents.size();
  FComponents.push_back(component);
  component->FOwner = this;
  if (!component->FName.empty()) FNameIndex.emplace(component->FName, component);
  if (component->NeedsNotification()) {
    const bool wasEmpty = FListeners.empty();
    FListeners.push_back(component);
    component->FListed = true;
    if (wasEmpty) ListenerStateChanged();
  }
}

void TComponent::Remove(TComponent* component) {
  if (const std::size_t slot = SlotOf(component); slot != npos) {
    FComponents[slot] = nullptr;
    FFirstHole = FHoles == 0 ? slot : std::min(FFirstHole, slot);
    ++FHoles;
    while (!FComponents.empty() && !FComponents.back()) {
      FComponents.pop_back();
      --FHoles;
    }
    // Holes never outnumber the components, so that an owner that keeps losing old components
    // and gaining new ones does not grow without end; packing then is paid for by the removals.
    if (FHoles * 2 > FComponents.size()) Pack();
  }
  if (!component->FName.empty()) {
    auto it = FNameIndex.find(component->FName);
    if (it != FNameIndex.end() && it->second == component) FNameIndex.erase(it);
  }
  if (component->FListed) {
    EraseLast(FListeners, component);
    component->FListed = false;
    if (FListeners.empty()) ListenerStateChanged();
  }
  component->FOwner = nullptr;
}

bool TComponent::NeedsNotification() const {
  TClass cls = ClassType();
  return cls->WantsNotification || cls->Notification || !FListeners.empty();
}

void TComponent::RebuildListeners() {
  FListeners.clear();
  for (TComponent* c : ComponentList())
    if (c->FListed) FListeners.push_back(c);
}

void TComponent::ListenerStateChanged() {
  // Walks up while a component's need to hear notifications changes.
  TComponent* c = this;
  while (TComponent* owner = c->FOwner) {
    const bool need = c->NeedsNotification();
    if (need == c->FListed) return;
    const bool ownerHadListeners = !owner->FListeners.empty();
    c->FListed = need;
    if (need)
      owner->RebuildListeners();
    else
      EraseLast(owner->FListeners, c);
    if (ownerHadListeners == !owner->FListeners.empty()) return;
    c = owner;
  }
}

void TComponent::ClassChanged() { ListenerStateChanged(); }

void TComponent::DestroyComponents() {
  // Everything goes, so the indexes are dropped at once rather than entry by entry.
  FNameIndex.clear();
  const bool hadListeners = !FListeners.empty();
  FListeners.clear();
  // A component's destructor may free a sibling, which then leaves a hole.
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    FComponents.pop_back();
    if (!c) {
      --FHoles;
      continue;
    }
    c->FOwner = nullptr;
    c->FListed = false;
    c->Free();
  }
  if (hadListeners) ListenerStateChanged();
}

void TComponent::Destroying() {
  if (FComponentState.Contains(stateDestroying)) return;
  FComponentState.Include(stateDestroying);
  for (TComponent* c : ComponentList())
    c->Destroying();
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  auto it = FNameIndex.find(name);
  return it == FNameIndex.end() ? nullptr : it->second;
}

// ---- name --------------------------------------------------------------------------------------

void TComponent::SetName(const String& newName) {
  if (FName == newName) return;
  if (!newName.empty() && !IsValidIdent(newName))
    throw EComponentError(Format(sInvalidName, newName));
  if (FOwner)
    FOwner->ValidateRename(this, FName, newName);
  else
    ValidateRename(nullptr, FName, newName);
  ChangeName(newName);
}

void TComponent::ValidateRename(TComponent* component, const String& curName,
                                const String& newName) {
  if (component && !SameText(curName, newName) && component->FOwner == this) {
    TComponent* existing = FindComponent(newName);
    if (existing && existing != component) throw EComponentError(Format(sDuplicateName, newName));
  }
  if (FDesigner) FDesigner->ValidateRename(component, curName, newName);
  if (FComponentState.Contains(stateDesigning) && FOwner)
    FOwner->ValidateRename(component, curName, newName);
}

void TComponent::ChangeName(const String& newName) {
  if (FOwner && !FName.empty()) {
    auto it = FOwner->FNameIndex.find(FName);
    if (it != FOwner->FNameIndex.end() && it->second == this) FOwner->FNameIndex.erase(it);
  }
  FName = newName;
  if (FOwner && !FName.empty()) FOwner->FNameIndex.emplace(FName, this);
}

String TComponent::GetNamePath() { return FName; }

// ---- state -------------------------------------------------------------------------------------

void TComponent::SetAncestor(bool value) {
  FComponentState.Set(stateAncestor, value);
  for (TComponent* c : ComponentList())
    c->SetAncestor(value);
}

void TComponent::SetDesigning(bool value, bool setChildren) {
  FComponentState.Set(stateDesigning, value);
  if (setChildren)
    for (TComponent* c : ComponentList())
      c->SetDesigning(value);
}

void TComponent::SetInline(bool value) { FComponentState.Set(stateInline, value); }

void TComponent::SetDesignInstance(bool value) { FComponentState.Set(stateDesignInstance, value); }

void TComponent::SetSubComponent(bool isSubComponent) {
  FComponentStyle.Set(styleSubComponent, isSubComponent);
}

void TComponent::Loaded() { FComponentState.Exclude(stateLoading); }

// ---- notifications -----------------------------------------------------------------------------

void TComponent::SendNotification(TComponent* target, TComponent* component, TOperation op) {
  if (auto hook = target->ClassType()->Notification)
    hook(target, component, op);
  else
    target->Notification(component, op);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == notifyRemove && component) RemoveFreeNotification(component);
  // Last to first; a listener may remove others while being told.
  std::size_t i = FListeners.size();
  while (i > 0) {
    --i;
    SendNotification(FListeners[i], component, operation);
    if (i > FListeners.size()) i = FListeners.size();
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (!FOwner || component->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(component);
      component->FreeNotification(this);
    }
  }
  FComponentState.Include(stateFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  EraseLast(FFreeNotifies, component);
  EraseLast(component->FFreeNotifies, this);
}

void TComponent::RemoveFreeNotifications() {
  while (!FFreeNotifies.empty()) {
    TComponent* c = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    EraseLast(c->FFreeNotifies, this);
    SendNotification(c, this, notifyRemove);
  }
}

// ---- children, streaming, designer -------------------------------------------------------------

void TComponent::ReadState(TReader* reader) { reader->ReadData(this); }

void TComponent::WriteState(TWriter* writer) { writer->WriteData(this); }

void TComponent::DefineProperties(TFiler* filer) {
  // Asked of every component on every comparison with an ancestor: the class record answers
  // without a cross-library type lookup, and the names are made once.
  static const String left = "Left";
  static const String top = "Top";
  TPersistent* ancestorObject = filer->Ancestor();
  const Integer info = ancestorObject && ancestorObject->Is<TComponent>()
                           ? static_cast<TComponent*>(ancestorObject)->FDesignInfo
                           : 0;
  // Left in the low 16 bits, top in the high 16 bits, each signed.
  auto low = [](Integer v) { return static_cast<std::int16_t>(v & 0xFFFF); };
  auto high = [](Integer v) { return static_cast<std::int16_t>((v >> 16) & 0xFFFF); };
  filer->DefineProperty(
      left,
      [this](TReader* r) {
        FDesignInfo = static_cast<Integer>((FDesignInfo & 0xFFFF0000u) |
                                           (static_cast<std::uint16_t>(r->ReadInteger())));
      },
      [this, low](TWriter* w) { w->WriteInteger(low(FDesignInfo)); },
      low(FDesignInfo) != low(info));
  filer->DefineProperty(
      top,
      [this](TReader* r) {
        FDesignInfo = static_cast<Integer>(
            (FDesignInfo & 0x0000FFFFu) |
            (static_cast<std::uint32_t>(static_cast<std::uint16_t>(r->ReadInteger())) << 16));
      },
      [this, high](TWriter* w) { w->WriteInteger(high(FDesignInfo)); },
      high(FDesignInfo) != high(info));
}

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}
void TComponent::SetChildOrder(TComponent*, Integer) {}
void TComponent::SetParentComponent(TComponent*) {}
void TComponent::ValidateContainer(TComponent* container) { container->ValidateInsert(this); }
void TComponent::ValidateInsert(TComponent*) {}

IPtr<IDesignerHook> TComponent::FindRootDesigner() {
  for (TComponent* c = this; c; c = c->FOwner)
    if (c->FDesigner) return c->FDesigner;
  return nullptr;
}

bool TComponent::IsImplementorOf(const IPtr<IInterface>& value) {
  auto ref = QueryIntf<IInterfaceComponentReference>(value);
  return ref && ref->GetComponent() == this;
}

void TComponent::ReferenceInterface(const IPtr<IInterface>& value, TOperation operation) {
  auto ref = QueryIntf<IInterfaceComponentReference>(value);
  if (!ref) return;
  TComponent* c = ref->GetComponent();
  if (!c) return;
  if (operation == notifyInsert)
    FreeNotification(c);
  else
    RemoveFreeNotification(c);
}

TComponent* CreateComponentWithState(TClass cls, TComponent* owner, TComponentState state,
                                     std::function<void(TComponent*)> beforeConstruction) {
  TCreationContext ctx;
  ctx.ComponentState = static_cast<std::uint32_t>(state.Mask());
  if (beforeConstruction)
    ctx.BeforeConstruction = [fn = std::move(beforeConstruction)](TObject* o) {
      fn(static_cast<TComponent*>(o));
    };
  return static_cast<TComponent*>(cls->CreateWith<TComponent*>(ctx, owner));
}

} // namespace fw
