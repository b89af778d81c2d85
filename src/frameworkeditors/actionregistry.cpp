#include "frameworkeditors/actionregistry.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/format.h"
#include "basert/sysutils.h"
#include "designeditors/editorregistry.h"
#include "toolsapi/toolsapi.h"

#include <algorithm>

namespace fw {

void (*NotifyActionListChange)() = nullptr;

// ---- TIDEActions -------------------------------------------------------------------------------

TClass TIDEActions::StaticClass() {
  static const TClass cls = TClassBuilder<TIDEActions, TObject>("TIDEActions", "ActnRes").Build();
  return cls;
}

void TIDEActions::AssignAction(TBasicAction* source, TBasicAction* dest) const {
  auto* from = dynamic_cast<TContainedAction*>(source);
  auto* to = dynamic_cast<TContainedAction*>(dest);
  if (from && to) to->SetCategory(from->GetCategory());
}

TCustomImageList* TIDEActions::CreateImageList(TCustomActionList*) const { return nullptr; }
void TIDEActions::CopyImageIfAvailable(TContainedAction*, TCustomActionList*) const {}
void TIDEActions::RegisterImageLink(TCustomActionList*, TChangeLink*) const {}
void TIDEActions::UnregisterImageLink(TCustomActionList*, TChangeLink*) const {}

// ---- TActionRegistry ---------------------------------------------------------------------------

namespace {

String FrameworkKey(const String& frameworkType) { return UpperCase(Trim(frameworkType)); }

bool IsContainedActionClass(TClass cls) {
  return cls && cls->InheritsFrom(TContainedAction::StaticClass());
}

String WithoutSpaces(std::string_view s) {
  String r;
  for (char c : s)
    if (c != ' ') r += c;
  return r;
}

// A prefix goes only when more than two characters would remain.
void StripPrefix(String& text, std::string_view prefix) {
  const String p = WithoutSpaces(prefix);
  if (text.size() > p.size() + 2 && SameText(std::string_view(text).substr(0, p.size()), p))
    text.erase(0, p.size());
}

void CopyPrototype(TBasicAction* source, TBasicAction* dest) {
  auto* from = dynamic_cast<TCustomAction*>(source);
  auto* to = dynamic_cast<TCustomAction*>(dest);
  if (!from || !to) return;
  to->SetCaption(from->Caption());
  to->SetChecked(from->Checked());
  to->SetEnabled(from->Enabled());
  to->SetHelpContext(from->HelpContext());
  to->SetHint(from->Hint());
  to->SetImageIndex(from->ImageIndex());
  to->SetShortCut(from->ShortCut());
  to->SetVisible(from->Visible());
}

} // namespace

void TActionRegistry::TFreeDeleter::operator()(TComponent* c) const {
  if (c) c->Free();
}

TActionRegistry::TActionRegistry() = default;
TActionRegistry::~TActionRegistry() = default;

void TActionRegistry::Changed() const {
  if (NotifyActionListChange) NotifyActionListChange();
}

void TActionRegistry::RegActions(const String& category, const std::vector<TClass>& classes,
                                 TClass resource) {
  std::vector<TClass> kept;
  for (TClass cls : classes)
    if (IsContainedActionClass(cls)) kept.push_back(cls);
  if (resource) FResources.erase(resource);

  auto cat = std::find_if(FCategories.begin(), FCategories.end(),
                          [&](const TActionCategory& c) { return SameText(c.Name, category); });
  std::vector<TClass> added;
  for (TClass cls : kept) {
    const bool present =
        (cat != FCategories.end() &&
         std::any_of(cat->Entries.begin(), cat->Entries.end(),
                     [&](const TActionEntry& e) { return e.ActionClass == cls; })) ||
        std::find(added.begin(), added.end(), cls) != added.end();
    if (!present) added.push_back(cls);
  }
  // Streaming registration first: a clash of class names raises before the table changes.
  for (TClass cls : added)
    RegisterClass(cls);
  if (cat == FCategories.end()) cat = FCategories.insert(FCategories.end(), TActionCategory{});
  cat->Name = category;
  for (TClass cls : added)
    cat->Entries.push_back({cls, CurrentGroup, resource});
}

void TActionRegistry::UnRegActions(const std::vector<TClass>& classes) {
  FResources.clear();
  for (TClass cls : classes)
    for (TActionCategory& cat : FCategories)
      for (TActionEntry& e : cat.Entries)
        if (cls && e.ActionClass == cls) e = {nullptr, -1, e.Resource};
  Changed();
}

void TActionRegistry::FreeGroup(Integer group) {
  for (TActionCategory& cat : FCategories)
    for (TActionEntry& e : cat.Entries)
      if (e.Group == group) e = {nullptr, -1, e.Resource};
  Changed();
}

void TActionRegistry::EnumActions(const TEnumActionProc& proc, void* info,
                                  const String& frameworkType) {
  const TIDEActionsClass ide = GetIDEActions(frameworkType);
  if (FCategories.empty() || !ide) return;
  const TClass base = ide->BaseActionClass();
  if (!base) return;
  // Indexed, and copies handed out: `proc` may register more actions.
  for (std::size_t c = 0; c < FCategories.size(); ++c) {
    std::size_t live = 0;
    for (std::size_t i = 0; i < FCategories[c].Entries.size(); ++i) {
      const TClass cls = FCategories[c].Entries[i].ActionClass;
      if (!cls) continue;
      ++live;
      if (cls->InheritsFrom(base)) {
        const String name = FCategories[c].Name;
        proc(name, cls, info);
      }
    }
    if (live == 0) FCategories[c].Entries.clear();
  }
}

TComponent* TActionRegistry::CachedResource(TClass resource) const {
  auto it = FResources.find(resource);
  return it == FResources.end() ? nullptr : it->second.get();
}

void TActionRegistry::ClearResources() { FResources.clear(); }

void TActionRegistry::Clear() {
  FResources.clear();
  FFrameworks.reset();
  FCategories.clear();
}

TComponent* TActionRegistry::ResourceInstance(TClass resource) {
  if (TComponent* cached = CachedResource(resource)) return cached;
  std::unique_ptr<TComponent, TFreeDeleter> made(CreateComponent(resource, nullptr));
  return FResources.emplace(resource, std::move(made)).first->second.get();
}

TBasicAction* TActionRegistry::CreateAction(TComponent* owner, TClass actionClass,
                                            const String& frameworkType) {
  if (!IsContainedActionClass(actionClass))
    throw EActionError(Format(sActionBaseClassError, {TContainedAction::StaticClass()->ClassName}));
  auto* action = static_cast<TBasicAction*>(CreateComponent(actionClass, owner));

  TClass resource = nullptr;
  for (const TActionCategory& cat : FCategories) {
    auto e = std::find_if(cat.Entries.begin(), cat.Entries.end(),
                          [&](const TActionEntry& x) { return x.ActionClass == actionClass; });
    if (e != cat.Entries.end()) {
      resource = e->Resource;
      break;
    }
  }
  if (!resource) return action;

  TComponent* holder = nullptr;
  try {
    holder = ResourceInstance(resource);
  } catch (...) {
    if (!owner) action->Free(); // nobody else would
    throw;
  }
  TBasicAction* prototype = nullptr;
  for (TComponent* c : holder->ComponentList())
    if (SameText(c->ClassName(), actionClass->ClassName)) {
      prototype = dynamic_cast<TBasicAction*>(c);
      break;
    }
  if (!prototype) return action;

  if (const TIDEActionsClass ide = GetIDEActions(frameworkType))
    ide->AssignAction(prototype, action);
  else
    CopyPrototype(prototype, action);
  return action;
}

void TActionRegistry::RegisterActionsInFramework(const String& frameworkType,
                                                 TIDEActionsClass ideActions) {
  const String key = FrameworkKey(frameworkType);
  if (key.empty()) throw EActionError(sInvalidStringConstant);
  if (!ideActions) throw EActionError(Format(sParamIsNil, {String("AIDEActions")}));
  if (FFrameworks) {
    Integer index = 0;
    if (FFrameworks->Find(key, index)) {
      if (FFrameworks->Objects(index) != ideActions)
        throw EActionError(Format(sFrameworkAlreadyRegistered, {key}));
      return;
    }
  } else {
    FFrameworks = std::make_unique<TStringList>();
    FFrameworks->SetSorted(true);
    FFrameworks->SetDuplicates(dupError);
  }
  FFrameworks->AddObject(key, const_cast<TIDEActions*>(ideActions));
}

void TActionRegistry::UnregisterActionsInFramework(const String& frameworkType) {
  if (!FFrameworks) return;
  Integer index = 0;
  if (FFrameworks->Find(FrameworkKey(frameworkType), index)) FFrameworks->Delete(index);
  if (FFrameworks->Count() == 0) FFrameworks.reset();
}

TIDEActionsClass TActionRegistry::GetIDEActions(const String& frameworkType) const {
  const String key = FrameworkKey(frameworkType);
  Integer index = 0;
  if (key.empty() || !FFrameworks || !FFrameworks->Find(key, index)) return nullptr;
  return static_cast<TIDEActionsClass>(FFrameworks->Objects(index));
}

TIDEActionsClass TActionRegistry::GetIDEActions(TCustomActionList* actionList,
                                                String& frameworkType) const {
  if (!actionList || !FFrameworks) {
    frameworkType = GetFrameworkType();
    return GetIDEActions(frameworkType);
  }
  frameworkType.clear();
  TIDEActionsClass result = nullptr;
  for (Integer i = 0; i < FFrameworks->Count(); ++i) {
    auto ide = static_cast<TIDEActionsClass>(FFrameworks->Objects(i));
    const TClass listClass = ide->BaseActionListClass();
    if (listClass && actionList->InheritsFrom(listClass)) {
      frameworkType = FFrameworks->Get(i);
      result = ide;
    }
  }
  return result;
}

Integer TActionRegistry::GetIDEActionsList(TStrings* list) const {
  if (!list) throw EActionError(Format(sParamIsNil, {String("List")}));
  list->Clear();
  if (!FFrameworks) return 0;
  for (Integer i = 0; i < FFrameworks->Count(); ++i)
    list->AddObject(FFrameworks->Get(i), FFrameworks->Objects(i));
  return FFrameworks->Count();
}

Integer TActionRegistry::FrameworkCount() const { return FFrameworks ? FFrameworks->Count() : 0; }

// ---- Free functions ----------------------------------------------------------------------------

TActionRegistry& ActionRegistry() {
  static TActionRegistry registry;
  return registry;
}

String GetNewActionName(TBasicAction* action, const String& category) {
  String name = action->ClassName();
  auto* contained = dynamic_cast<TContainedAction*>(action);
  if (!contained) return name;
  const String own = WithoutSpaces(contained->GetCategory());
  StripPrefix(name, "t");
  StripPrefix(name, category);
  StripPrefix(name, own);
  return "T" + own + name;
}

String GetFrameworkType() {
  const auto services = QueryIntf<IOTAModuleServices>(MarrickIDEServices);
  const IPtr<IOTAProject> project = services ? services->GetActiveProject() : nullptr;
  return project ? project->GetFrameworkType() : String();
}

void RegisterActionsInFramework(const String& frameworkType, TIDEActionsClass ideActions) {
  ActionRegistry().RegisterActionsInFramework(frameworkType, ideActions);
}

void UnregisterActionsInFramework(const String& frameworkType) {
  ActionRegistry().UnregisterActionsInFramework(frameworkType);
}

TIDEActionsClass GetIDEActions(const String& frameworkType) {
  return ActionRegistry().GetIDEActions(frameworkType);
}

TIDEActionsClass GetIDEActions(TCustomActionList* actionList, String& frameworkType) {
  return ActionRegistry().GetIDEActions(actionList, frameworkType);
}

Integer GetIDEActionsList(TStrings* list) { return ActionRegistry().GetIDEActionsList(list); }

namespace {

void RegActionsHook(const String& category, const std::vector<TClass>& classes, TClass resource) {
  ActionRegistry().RegActions(category, classes, resource);
}

void UnRegActionsHook(const std::vector<TClass>& classes) {
  ActionRegistry().UnRegActions(classes);
}

void EnumActionsHook(const TEnumActionProc& proc, void* info, const String& frameworkType) {
  ActionRegistry().EnumActions(proc, info, frameworkType);
}

TBasicAction* CreateActionHook(TComponent* owner, TClass actionClass, const String& frameworkType) {
  return ActionRegistry().CreateAction(owner, actionClass, frameworkType);
}

void WithdrawGroup(Integer group) { ActionRegistry().FreeGroup(group); }

} // namespace

void ActionRegistryStartup() {
  RegisterActionsProc = &RegActionsHook;
  UnRegisterActionsProc = &UnRegActionsHook;
  EnumRegisteredActionsProc = &EnumActionsHook;
  CreateActionProc = &CreateActionHook;
  NotifyGroupChange(&WithdrawGroup);
}

void ActionRegistryShutdown() {
  UnnotifyGroupChange(&WithdrawGroup);
  RegisterActionsProc = nullptr;
  UnRegisterActionsProc = nullptr;
  EnumRegisteredActionsProc = nullptr;
  CreateActionProc = nullptr;
  ActionRegistry().Clear();
}

} // namespace fw
