#include "tarn/actions.h"

#include "basert/classbuilder.h"
#include "basert/filer.h"
#include "basert/format.h"
#include "tarn/imglist.h"

#include <algorithm>

namespace fw {

TRegisterActionsProc RegisterActionsProc = nullptr;
TUnRegisterActionsProc UnRegisterActionsProc = nullptr;
TEnumRegisteredActionsProc EnumRegisteredActionsProc = nullptr;
TCreateActionProc CreateActionProc = nullptr;

// ---- TBasicAction --------------------------------------------------------------------------

TClass TBasicAction::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBasicAction, TComponent>("TBasicAction", "Classes").Build();
  return cls;
}

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() { DetachClients(); }

void TBasicAction::BeforeDestruction() {
  DetachClients();
  TComponent::BeforeDestruction();
}

void TBasicAction::DetachClients() noexcept {
  for (TBasicActionLink* link : FClients)
    link->FAction = nullptr;
  FClients.clear();
}

bool TBasicAction::Execute() {
  if (!OnExecute.Code) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate.Code) return false;
  OnUpdate(this);
  return true;
}

// ---- TBasicActionLink ---------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() { SetAction(nullptr); }

void TBasicActionLink::SetAction(TBasicAction* value) {
  if (value == FAction) return;
  if (FAction) std::erase(FAction->FClients, this);
  FAction = value;
  if (FAction) FAction->FClients.push_back(this);
}

bool TBasicActionLink::Execute(TComponent* component) {
  if (!FAction) return false;
  FAction->ActionComponent = component;
  // The handler may free the action; only touch it again while this link still holds it.
  const bool done = FAction->Execute();
  if (FAction) FAction->ActionComponent = nullptr;
  return done;
}

// ---- TContainedAction ----------------------------------------------------------------------

TClass TContainedAction::StaticClass() {
  static const TClass cls =
      TClassBuilder<TContainedAction, TBasicAction>("TContainedAction", "ActnList")
          .Property("Category", &TContainedAction::GetCategory, &TContainedAction::SetCategory)
          .Build();
  return cls;
}

TContainedAction::TContainedAction(TComponent* owner) : TBasicAction(owner) {}

TContainedAction::~TContainedAction() {
  if (FActionList) FActionList->RemoveAction(this);
}

void TContainedAction::SetActionList(TCustomActionList* list) {
  if (list == FActionList) return;
  if (FActionList) FActionList->RemoveAction(this);
  if (list) list->AddAction(this);
}

void TContainedAction::SetCategory(const String& value) {
  if (value == FCategory) return;
  FCategory = value;
  if (FActionList) FActionList->Change();
}

Integer TContainedAction::GetIndex() const {
  if (!FActionList) return -1;
  const auto& v = FActionList->FActions;
  return static_cast<Integer>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TContainedAction::SetIndex(Integer value) {
  if (!FActionList) return;
  auto& v = FActionList->FActions;
  const Integer cur = GetIndex();
  value = std::clamp<Integer>(value, 0, static_cast<Integer>(v.size()) - 1);
  if (cur == value) return;
  v.erase(v.begin() + cur);
  v.insert(v.begin() + value, this);
  FActionList->Change();
}

TComponent* TContainedAction::GetParentComponent() { return FActionList; }

void TContainedAction::SetParentComponent(TComponent* value) {
  if (auto* list = dynamic_cast<TCustomActionList*>(value)) SetActionList(list);
}

void TContainedAction::ReadState(TReader* reader) {
  TBasicAction::ReadState(reader);
  SetParentComponent(reader->Parent());
}

// ---- TCustomAction, TAction ----------------------------------------------------------------

TClass TCustomAction::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCustomAction, TContainedAction>("TCustomAction", "ActnList").Build();
  return cls;
}

TCustomAction::TCustomAction(TComponent* owner) : TContainedAction(owner) {}

template <class V, class F> void TCustomAction::Push(V& field, const V& value, F toLink) {
  if (field == value) return;
  field = value;
  // A client may drop its link while it takes the value.
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(Clients()))
    toLink(link, value);
}

void TCustomAction::SetCaption(const String& value) {
  Push(FCaption, value, [](TBasicActionLink* l, const String& v) { l->SetCaption(v); });
}
void TCustomAction::SetChecked(bool value) {
  Push(FChecked, value, [](TBasicActionLink* l, bool v) { l->SetChecked(v); });
}
void TCustomAction::SetEnabled(bool value) {
  Push(FEnabled, value, [](TBasicActionLink* l, bool v) { l->SetEnabled(v); });
}
void TCustomAction::SetHint(const String& value) {
  Push(FHint, value, [](TBasicActionLink* l, const String& v) { l->SetHint(v); });
}
void TCustomAction::SetImageIndex(Integer value) {
  Push(FImageIndex, value, [](TBasicActionLink* l, Integer v) { l->SetImageIndex(v); });
}
void TCustomAction::SetShortCut(TShortCut value) {
  Push(FShortCut, value, [](TBasicActionLink* l, TShortCut v) { l->SetShortCut(v); });
}
void TCustomAction::SetVisible(bool value) {
  Push(FVisible, value, [](TBasicActionLink* l, bool v) { l->SetVisible(v); });
}

TClass TAction::StaticClass() {
  using A = TAction;
  static const TClass cls = TClassBuilder<TAction, TCustomAction>("TAction", "ActnList")
                                .Property("Caption", &A::Caption, &A::SetCaption)
                                .Property("Checked", &A::Checked, &A::SetChecked)
                                .Default(0)
                                .Property("Enabled", &A::Enabled, &A::SetEnabled)
                                .Default(1)
                                .Property("HelpContext", &A::HelpContext, &A::SetHelpContext)
                                .Default(0)
                                .Property("Hint", &A::Hint, &A::SetHint)
                                .Property("ImageIndex", &A::ImageIndex, &A::SetImageIndex)
                                .Default(-1)
                                .Property("ShortCut", &A::ShortCut, &A::SetShortCut)
                                .Default(0)
                                .Property("Visible", &A::Visible, &A::SetVisible)
                                .Default(1)
                                .Property("OnExecute", &A::OnExecute, &A::OnExecute)
                                .Property("OnUpdate", &A::OnUpdate, &A::OnUpdate)
                                .Build();
  return cls;
}

TAction::TAction(TComponent* owner) : TCustomAction(owner) {}

// ---- TCustomActionList ---------------------------------------------------------------------

TClass TCustomActionList::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCustomActionList, TComponent>("TCustomActionList", "ActnList").Build();
  return cls;
}

TCustomActionList::TCustomActionList(TComponent* owner) : TComponent(owner) {}

TCustomActionList::~TCustomActionList() {
  SetImages(nullptr);
  while (!FActions.empty())
    FActions.back()->Free(); // its destructor takes it out of the list
}

TContainedAction* TCustomActionList::Actions(Integer index) const {
  if (index < 0 || index >= ActionCount()) throw EListError(Format(sListIndexError, {index}));
  return FActions[static_cast<std::size_t>(index)];
}

void TCustomActionList::SetImages(TCustomImageList* value) {
  if (value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = value;
  if (FImages) FImages->FreeNotification(this);
}

void TCustomActionList::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TContainedAction* a : std::vector<TContainedAction*>(FActions))
    if (a->Owner() == root) proc(a);
}

void TCustomActionList::SetChildOrder(TComponent* child, Integer order) {
  if (auto* a = dynamic_cast<TContainedAction*>(child); a && a->FActionList == this)
    a->SetIndex(order);
}

void TCustomActionList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != notifyRemove) return;
  if (component == FImages) FImages = nullptr;
}

void TCustomActionList::AddAction(TContainedAction* action) {
  FActions.push_back(action);
  action->FActionList = this;
  Change();
}

void TCustomActionList::RemoveAction(TContainedAction* action) {
  auto it = std::find(FActions.begin(), FActions.end(), action);
  if (it == FActions.end()) return;
  FActions.erase(it);
  action->FActionList = nullptr;
  Change();
}

void TCustomActionList::Change() {
  if (OnChange && !ComponentState().Contains(stateDestroying)) OnChange(this);
}

TClass TActionList::StaticClass() {
  static const TClass cls =
      TClassBuilder<TActionList, TCustomActionList>("TActionList", "ActnList")
          .Property("Images", &TActionList::GetImages, &TActionList::SetImages)
          .Build();
  return cls;
}

TActionList::TActionList(TComponent* owner) : TCustomActionList(owner) {}

// ---- Registration hooks --------------------------------------------------------------------

void RegisterActions(const String& category, const std::vector<TClass>& classes, TClass resource) {
  if (!RegisterActionsProc) throw EActionError(sInvalidActionRegistration);
  RegisterActionsProc(category, classes, resource);
}

void UnRegisterActions(const std::vector<TClass>& classes) {
  if (!UnRegisterActionsProc) throw EActionError(sInvalidActionUnregistration);
  UnRegisterActionsProc(classes);
}

void EnumRegisteredActions(const TEnumActionProc& proc, void* info, const String& frameworkType) {
  if (!EnumRegisteredActionsProc) throw EActionError(sInvalidActionEnumeration);
  EnumRegisteredActionsProc(proc, info, frameworkType);
}

TBasicAction* CreateAction(TComponent* owner, TClass actionClass, const String& frameworkType) {
  if (!CreateActionProc) throw EActionError(sInvalidActionCreation);
  return CreateActionProc(owner, actionClass, frameworkType);
}

} // namespace fw
