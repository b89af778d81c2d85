#include "componentdesigner/otawrappers.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/onexit.h"
#include "componentdesigner/componentroot.h"
#include "tarn/controls.h"
#include "toolsapi/toolsutils.h"

#include <algorithm>

namespace fw {

namespace detail {

/// Hears, through the framework's free notifications, when a wrapped component goes.
class TOTAWatch : public TComponent {
  FW_CLASS(TOTAWatch)
public:
  explicit TOTAWatch(TOTAFormEditor* editor) : TComponent(nullptr), FEditor(editor) {}
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == notifyRemove) FEditor->ObjectRemoved(component);
  }

private:
  TOTAFormEditor* FEditor;
};

TClass TOTAWatch::StaticClass() {
  static const TClass cls =
      TClassBuilder<TOTAWatch, TComponent>("TOTAWatch", "OTAWrappers").Build();
  return cls;
}

} // namespace detail

namespace {

/// The component an object lives and dies with: itself, or the nearest owning component.
TComponent* Holder(TPersistent* object) {
  for (TPersistent* p = object; p; p = p->GetOwner())
    if (auto* c = dynamic_cast<TComponent*>(p)) return c;
  return nullptr;
}

} // namespace

// ---- TOTAFormEditor ----------------------------------------------------------------------------

TClass TOTAFormEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<TOTAFormEditor, TInterfacedObject>("TOTAFormEditor", "OTAWrappers")
          .Implements<IOTAEditor, IOTAFormEditor, INTAFormEditor>()
          .Build();
  return cls;
}

TOTAFormEditor::TOTAFormEditor(TComponentRoot* root)
    : FRoot(root), FWatch(New<detail::TOTAWatch>(this)) {}

TOTAFormEditor::~TOTAFormEditor() = default;

TComponentRoot& TOTAFormEditor::LiveRoot() {
  if (!FRoot) throw EComponentDesignerException(String(sModuleClosed));
  return *FRoot;
}

template <class T, class F> void TOTAFormEditor::Broadcast(F&& send) {
  // Slots are read afresh on every step, so a notifier may remove itself or others meanwhile;
  // the one being told is held until its call returns.
  for (Integer i = 0; i < FNotifiers->GetCount(); ++i)
    if (auto n = QueryIntf<T>(FNotifiers->Get(i))) send(*n);
}

String TOTAFormEditor::GetFileName() { return LiveRoot().GetFileName(); }

Integer TOTAFormEditor::AddNotifier(const IPtr<IOTANotifier>& notifier) {
  LiveRoot();
  if (!notifier) return -1;
  return TOTAClass::AddToList(FNotifiers.get(), QueryIntf<IInterface>(notifier));
}

void TOTAFormEditor::RemoveNotifier(Integer index) {
  if (index >= 0 && index < FNotifiers->GetCount()) FNotifiers->Put(index, nullptr);
}

void TOTAFormEditor::MarkModified() { LiveRoot().Modified(); }

bool TOTAFormEditor::GetModified() { return LiveRoot().IsModified(); }

void TOTAFormEditor::Show() {
  TComponentRoot& root = LiveRoot();
  root.ShowWindow();
  root.Activate();
}

String TOTAFormEditor::GetRootName() { return LiveRoot().GetRootName(); }

IPtr<IOTAComponent> TOTAFormEditor::GetRootComponent() { return Wrap(LiveRoot().GetRoot()); }

IPtr<IOTAComponent> TOTAFormEditor::FindComponent(const String& name) {
  TComponent* root = LiveRoot().GetRoot();
  return root && !name.empty() ? Wrap(root->FindComponent(name)) : nullptr;
}

namespace {
IPtr<IDesignerSelections> SelectionOf(TComponentRoot& root) {
  IPtr<IDesignerSelections> list = CreateSelectionList();
  root.GetSelections(list);
  return list;
}
} // namespace

Integer TOTAFormEditor::GetSelCount() { return SelectionOf(LiveRoot())->GetCount(); }

IPtr<IOTAComponent> TOTAFormEditor::GetSelComponent(Integer index) {
  TComponentRoot& root = LiveRoot();
  IPtr<IDesignerSelections> list = SelectionOf(root);
  if (index >= 0 && index < list->GetCount()) return Wrap(list->Get(index));
  return index == 0 ? Wrap(root.GetRoot()) : nullptr;
}

IPtr<IOTAComponent> TOTAFormEditor::CreateComponent(const IPtr<IOTAComponent>& container,
                                                    const String& typeName, Integer x, Integer y,
                                                    Integer w, Integer h) {
  TComponentRoot& root = LiveRoot();
  TClass cls = GetClass(typeName);
  if (!cls || !cls->InheritsFrom(TComponent::StaticClass()) || !root.GetRoot()) return nullptr;
  TComponent* parent = nullptr;
  if (auto native = QueryIntf<INTAComponent>(container)) parent = native->GetComponent();
  if (!parent) parent = root.GetRoot();
  return Wrap(root.CreateComponent(cls, parent, x, y, w, h));
}

IPtr<IDesigner> TOTAFormEditor::GetFormDesigner() {
  return FRoot && FRoot->GetRoot() ? IPtr<IDesigner>(FRoot) : nullptr;
}

void TOTAFormEditor::ResetDiskAge() { LiveRoot().ResetDiskAge(); }

void TOTAFormEditor::GetContent(TStream& stream) {
  TStream* s = LiveRoot().GetRootStream();
  stream.CopyFrom(*s, s->Size());
  s->SetPosition(0);
}

void TOTAFormEditor::SetContent(TStream& stream) {
  TComponentRoot& root = LiveRoot();
  IPtr<IRoot> keep(static_cast<IInternalRoot*>(&root));
  auto content = std::make_unique<TMemoryStream>();
  content->CopyFrom(stream, stream.Size() - stream.Position());
  const bool wasDormant = root.IsDormant();
  if (!wasDormant) {
    root.FClosing = true;
    TOnExit done([&root] { root.FClosing = false; });
    root.GoDormant();
  }
  std::unique_ptr<TMemoryStream> old = std::exchange(root.FDormantStream, std::move(content));
  try {
    root.Resurrect();
  } catch (...) {
    root.FDormantStream = std::move(old);
    // Waking the old content also undoes what the failed reading set about the module's class.
    try {
      root.Resurrect();
      if (wasDormant) root.GoDormant();
    } catch (...) { // the module stays dormant with its old content: nothing is lost
    }
    throw;
  }
  root.Modified();
}

void TOTAFormEditor::FormModified() {
  Broadcast<IOTANotifier>([](IOTANotifier& n) { n.Modified(); });
}

void TOTAFormEditor::FormSaving() {
  Broadcast<IOTAFormNotifier>([](IOTAFormNotifier& n) { n.FormSaving(); });
}

void TOTAFormEditor::NotifyActivate() {
  Broadcast<IOTAFormNotifier>([](IOTAFormNotifier& n) { n.FormActivated(); });
}

void TOTAFormEditor::NotifyRenamed(TComponent* component, const String& oldName,
                                   const String& newName) {
  Broadcast<IOTAFormNotifier>(
      [&](IOTAFormNotifier& n) { n.ComponentRenamed(component, oldName, newName); });
}

void TOTAFormEditor::NotifyDestruct() {
  if (!FRoot) return;
  IPtr<IOTAFormEditor> keep(this); // a notifier may drop the last client reference
  RootDestroying();
  // Detached first: a notifier calling back meets a closed module, not one half destroyed.
  FRoot = nullptr;
  // Runs from the root's destructor too, where nothing may escape.
  Broadcast<IOTANotifier>([](IOTANotifier& n) {
    try {
      n.Destroyed();
    } catch (...) { // the module is gone whatever the listener says
    }
  });
  FNotifiers->Clear();
  FWatch.reset();
}

void TOTAFormEditor::RootDestroying() {
  for (TOTAComponent* c : FComponents)
    c->FObject = c->FHolder = nullptr;
}

void TOTAFormEditor::ObjectRemoved(TPersistent* object) {
  for (TOTAComponent* c : FComponents)
    if (c->FObject == object || c->FHolder == object) c->FObject = c->FHolder = nullptr;
}

IPtr<IOTAComponent> TOTAFormEditor::Wrap(TPersistent* object) {
  if (!object) return nullptr;
  return IPtr<IOTAComponent>(New<TOTAComponent>(IPtr<TOTAFormEditor>(this), object));
}

// ---- TOTAComponent -----------------------------------------------------------------------------

TClass TOTAComponent::StaticClass() {
  static const TClass cls =
      TClassBuilder<TOTAComponent, TInterfacedObject>("TOTAComponent", "OTAWrappers")
          .Implements<IOTAComponent, INTAComponent>()
          .Build();
  return cls;
}

TOTAComponent::TOTAComponent(const IPtr<TOTAFormEditor>& editor, TPersistent* object)
    : FEditor(editor), FObject(object), FHolder(Holder(object)) {
  FEditor->FComponents.push_back(this);
  // An object without a component to die with is only known gone with its root (or, for a
  // collection item, when its collection lets go of it).
  if (FHolder && FEditor->FWatch) FEditor->FWatch->FreeNotification(FHolder);
}

TOTAComponent::~TOTAComponent() { std::erase(FEditor->FComponents, this); }

TPersistent& TOTAComponent::Object() {
  FEditor->LiveRoot();
  if (!FObject) throw EComponentDesignerException(String(sComponentFreed));
  return *FObject;
}

TComponent* TOTAComponent::GetComponent() { return dynamic_cast<TComponent*>(FObject); }

String TOTAComponent::GetComponentType() { return Object().ClassName(); }

IPtr<IOTAComponent> TOTAComponent::GetParent() {
  TPersistent& object = Object();
  if (auto* c = dynamic_cast<TComponent*>(&object))
    return c == FEditor->FRoot->GetRoot() ? nullptr : FEditor->Wrap(c->GetParentComponent());
  return FEditor->Wrap(Holder(object.GetOwner()));
}

bool TOTAComponent::IsTControl() { return Object().InheritsFrom(TControl::StaticClass()); }

PPropInfo TOTAComponent::PropAt(Integer index) {
  const auto& props = GetPropList(&Object(), tkAny, false);
  return index >= 0 && static_cast<std::size_t>(index) < props.size()
             ? props[static_cast<std::size_t>(index)]
             : nullptr;
}

Integer TOTAComponent::GetPropCount() {
  return static_cast<Integer>(GetPropList(&Object(), tkAny, false).size());
}

String TOTAComponent::GetPropName(Integer index) {
  PPropInfo prop = PropAt(index);
  return prop ? prop->Name : String();
}

TTypeKind TOTAComponent::GetPropType(Integer index) {
  PPropInfo prop = PropAt(index);
  return prop ? prop->PropType()->Kind : kindUnknown;
}

TTypeKind TOTAComponent::GetPropTypeByName(const String& name) {
  PPropInfo prop = GetPropInfo(&Object(), name);
  return prop ? prop->PropType()->Kind : kindUnknown;
}

bool TOTAComponent::GetPropValue(Integer index, TPropValue& value) {
  PPropInfo prop = PropAt(index);
  if (!prop) return false;
  value = PropValueOps(prop).Get(FObject, prop);
  return true;
}

bool TOTAComponent::GetPropValueByName(const String& name, TPropValue& value) {
  PPropInfo prop = GetPropInfo(&Object(), name);
  if (!prop) return false;
  value = PropValueOps(prop).Get(FObject, prop);
  return true;
}

bool TOTAComponent::SetValue(PPropInfo prop, const TPropValue& value) {
  if (!prop) return false;
  PropValueOps(prop).Set(FObject, prop, value);
  FEditor->FRoot->Modified();
  return true;
}

bool TOTAComponent::SetProp(Integer index, const TPropValue& value) {
  return SetValue(PropAt(index), value);
}

bool TOTAComponent::SetPropByName(const String& name, const TPropValue& value) {
  return SetValue(GetPropInfo(&Object(), name), value);
}

Integer TOTAComponent::GetComponentCount() {
  auto* c = dynamic_cast<TComponent*>(&Object());
  return c ? c->ComponentCount() : 0;
}

IPtr<IOTAComponent> TOTAComponent::GetComponent(Integer index) {
  auto* c = dynamic_cast<TComponent*>(&Object());
  return c && index >= 0 && index < c->ComponentCount() ? FEditor->Wrap(c->Components(index))
                                                        : nullptr;
}

Integer TOTAComponent::GetControlCount() {
  auto* c = dynamic_cast<TWinControl*>(&Object());
  return c ? c->ControlCount() : 0;
}

IPtr<IOTAComponent> TOTAComponent::GetControl(Integer index) {
  auto* c = dynamic_cast<TWinControl*>(&Object());
  return c && index >= 0 && index < c->ControlCount() ? FEditor->Wrap(c->Controls(index)) : nullptr;
}

bool TOTAComponent::Select(bool addToSelection) {
  auto* c = dynamic_cast<TComponent*>(&Object());
  if (!c) return false;
  TComponentRoot& root = *FEditor->FRoot;
  if (c == root.GetRoot()) {
    root.ClearSelection();
  } else if (addToSelection) {
    IPtr<IDesignerSelections> list = CreateSelectionList();
    root.GetSelections(list);
    bool present = false;
    for (Integer i = 0; i < list->GetCount() && !present; ++i)
      present = list->Get(i) == c;
    if (!present) list->Add(c);
    root.SetSelections(list);
  } else {
    root.SelectComponent(c);
  }
  return true;
}

bool TOTAComponent::Focus(bool addToSelection) {
  if (&Object() != FEditor->FRoot->GetRoot()) return Select(addToSelection);
  FEditor->Show();
  return true;
}

bool TOTAComponent::Delete() {
  auto* c = dynamic_cast<TComponent*>(&Object());
  TComponentRoot& root = *FEditor->FRoot;
  if (!c || !root.GetRoot() || (c->Owner() != root.GetRoot() && !root.IsFrame(c->Owner())) ||
      c->ComponentState().Contains(stateAncestor))
    return false;
  root.InstanceRemoved(c);
  c->Free();
  root.Modified();
  return true;
}

} // namespace fw
