#include "host/hostmodules.h"

#include "basert/classbuilder.h"
#include "basert/format.h"
#include "basert/sysutils.h"
#include "componentdesigner/componentroot.h"
#include "toolsapi/toolsutils.h"

#include <algorithm>

namespace fw {

namespace {

Integer UsedSlots(IInterfaceList* list) {
  Integer n = 0;
  for (Integer i = 0; i < list->GetCount(); ++i)
    if (list->Get(i)) ++n;
  return n;
}

void EmptySlot(IInterfaceList* list, Integer index) {
  if (index >= 0 && index < list->GetCount()) list->Put(index, nullptr);
}

// Each notifier that offers T; a notifier removed by one of the calls is not called after.
template <class T, class F> void NotifyEach(IInterfaceList* list, F&& send) {
  for (Integer i = 0; i < list->GetCount(); ++i)
    if (auto n = QueryIntf<T>(list->Get(i))) send(*n);
}

String FormFileName(const String& fileName) {
  const std::size_t dot = fileName.rfind('.');
  const std::size_t slash = fileName.find_last_of("/\\");
  const bool hasExt = dot != String::npos && (slash == String::npos || dot > slash);
  return (hasExt ? fileName.substr(0, dot) : fileName) + ".fwf";
}

} // namespace

// ---- Editors -----------------------------------------------------------------------------------

TClass THostEditor::StaticClass() {
  static const TClass cls = TClassBuilder<THostEditor, TInterfacedObject>("THostEditor", "Host")
                                .Implements<IOTAEditor>()
                                .Build();
  return cls;
}

THostEditor::THostEditor(String fileName)
    : FFileName(std::move(fileName)), FNotifiers(New<TInterfaceList>()) {}

Integer THostEditor::AddNotifier(const IPtr<IOTANotifier>& notifier) {
  return TOTAClass::AddToList(FNotifiers.get(), QueryIntf<IInterface>(notifier));
}

void THostEditor::RemoveNotifier(Integer index) { EmptySlot(FNotifiers.get(), index); }

void THostEditor::MarkModified() {
  FModified = true;
  NotifyEach<IOTANotifier>(FNotifiers.get(), [](IOTANotifier& n) { n.Modified(); });
}

Integer THostEditor::NotifierCount() const { return UsedSlots(FNotifiers.get()); }

TClass THostFormEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostFormEditor, THostEditor>("THostFormEditor", "Host")
          .Implements<IOTAFormEditor, INTAFormEditor, IOTAFormDesignerEditor>()
          .Build();
  return cls;
}

THostFormEditor::THostFormEditor(String fileName, String rootName)
    : THostEditor(std::move(fileName)), FRootName(std::move(rootName)) {}

namespace {
/// What `ask` answers of the form editor of the root behind `designer`; `none` without one.
template <class R, class F> R AskRootForm(const IPtr<IDesigner>& designer, R none, F&& ask) {
  auto root = QueryIntf<IInternalRoot>(designer);
  IPtr<TOTAFormEditor> form = root ? root->Implementor()->GetFormEditor() : nullptr;
  return form ? ask(*form) : none;
}
} // namespace

IPtr<IOTAComponent> THostFormEditor::GetRootComponent() {
  return AskRootForm<IPtr<IOTAComponent>>(Designer, nullptr,
                                          [](IOTAFormEditor& f) { return f.GetRootComponent(); });
}

IPtr<IOTAComponent> THostFormEditor::FindComponent(const String& name) {
  return AskRootForm<IPtr<IOTAComponent>>(Designer, nullptr,
                                          [&](IOTAFormEditor& f) { return f.FindComponent(name); });
}

Integer THostFormEditor::GetSelCount() {
  return AskRootForm<Integer>(Designer, 0, [](IOTAFormEditor& f) { return f.GetSelCount(); });
}

IPtr<IOTAComponent> THostFormEditor::GetSelComponent(Integer index) {
  return AskRootForm<IPtr<IOTAComponent>>(
      Designer, nullptr, [&](IOTAFormEditor& f) { return f.GetSelComponent(index); });
}

IPtr<IOTAComponent> THostFormEditor::CreateComponent(const IPtr<IOTAComponent>& container,
                                                     const String& typeName, Integer x, Integer y,
                                                     Integer w, Integer h) {
  return AskRootForm<IPtr<IOTAComponent>>(Designer, nullptr, [&](IOTAFormEditor& f) {
    return f.CreateComponent(container, typeName, x, y, w, h);
  });
}

void THostFormEditor::FormActivated() {
  NotifyEach<IOTAFormNotifier>(FNotifiers.get(), [](IOTAFormNotifier& n) { n.FormActivated(); });
}

void THostFormEditor::FormSaving() {
  NotifyEach<IOTAFormNotifier>(FNotifiers.get(), [](IOTAFormNotifier& n) { n.FormSaving(); });
}

void THostFormEditor::ComponentRenamed(TComponent* component, const String& oldName,
                                       const String& newName) {
  NotifyEach<IOTAFormNotifier>(FNotifiers.get(), [&](IOTAFormNotifier& n) {
    n.ComponentRenamed(component, oldName, newName);
  });
}

// ---- Modules -----------------------------------------------------------------------------------

TClass THostModule::StaticClass() {
  static const TClass cls = TClassBuilder<THostModule, TInterfacedObject>("THostModule", "Host")
                                .Implements<IOTAModule, IOTAEmbeddedDesignerQuery>()
                                .Build();
  return cls;
}

THostModule::THostModule(String fileName, const String& rootName)
    : FFileName(std::move(fileName)), FNotifiers(New<TInterfaceList>()) {
  FEditors.push_back(QueryIntf<IOTAEditor>(New<THostEditor>(FFileName)));
  if (!rootName.empty()) {
    FFormEditor = New<THostFormEditor>(FormFileName(FFileName), rootName);
    FEditors.push_back(QueryIntf<IOTAEditor>(FFormEditor));
  }
}

void THostModule::SetFileName(const String& fileName) {
  FFileName = fileName;
  NotifyEach<IOTAModuleNotifier>(FNotifiers.get(),
                                 [&](IOTAModuleNotifier& n) { n.ModuleRenamed(fileName); });
}

IPtr<IOTAEditor> THostModule::GetModuleFileEditor(Integer index) {
  if (index < 0 || index >= GetModuleFileCount()) throw EListError(Format(sListIndexError, index));
  return FEditors[static_cast<std::size_t>(index)];
}

Integer THostModule::AddNotifier(const IPtr<IOTAModuleNotifier>& notifier) {
  return TOTAClass::AddToList(FNotifiers.get(), QueryIntf<IInterface>(notifier));
}

void THostModule::RemoveNotifier(Integer index) { EmptySlot(FNotifiers.get(), index); }

Integer THostModule::NotifierCount() const { return UsedSlots(FNotifiers.get()); }

bool THostModule::Save(bool, bool forceSave) {
  if (!FModified && !forceSave) return true;
  NotifyEach<IOTANotifier>(FNotifiers.get(), [](IOTANotifier& n) { n.BeforeSave(); });
  bool allowed = true;
  NotifyEach<IOTAModuleNotifier80>(FNotifiers.get(), [&](IOTAModuleNotifier80& n) {
    if (allowed && !n.AllowSave()) allowed = false;
  });
  if (!allowed) return false;
  if (FFormEditor) FFormEditor->FormSaving();
  ++FSaveCount;
  FModified = false;
  NotifyEach<IOTANotifier>(FNotifiers.get(), [](IOTANotifier& n) { n.AfterSave(); });
  return true;
}

bool THostModule::Close() {
  IPtr<IOTAModule> keep(this); // the services may hold the last reference
  NotifyEach<IOTANotifier>(FNotifiers.get(), [](IOTANotifier& n) { n.Destroyed(); });
  FNotifiers->Clear();
  if (OnClose) OnClose(this);
  return true;
}

TClass THostProject::StaticClass() {
  static const TClass cls = TClassBuilder<THostProject, THostModule>("THostProject", "Host")
                                .Implements<IOTAProject>()
                                .Build();
  return cls;
}

// ---- Module services ---------------------------------------------------------------------------

TClass THostModuleServices::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostModuleServices, TInterfacedObject>("THostModuleServices", "Host")
          .Implements<IOTAModuleServices>()
          .Build();
  return cls;
}

THostModuleServices::~THostModuleServices() {
  for (auto& m : FModules)
    m->OnClose = nullptr;
}

IPtr<THostModule> THostModuleServices::OpenModule(const String& fileName, const String& rootName) {
  for (auto& m : FModules)
    if (SameText(m->GetFileName(), fileName)) return m;
  IPtr<THostModule> module(New<THostModule>(fileName, rootName));
  module->OnClose = [this](THostModule* m) { Forget(m); };
  FModules.push_back(module);
  return module;
}

IPtr<THostProject> THostModuleServices::OpenProject(const String& fileName,
                                                    const String& platform) {
  IPtr<THostProject> project(New<THostProject>(fileName, platform));
  project->OnClose = [this](THostModule* m) { Forget(m); };
  FModules.push_back(IPtr<THostModule>(project.get()));
  FActiveProject = QueryIntf<IOTAProject>(project);
  return project;
}

void THostModuleServices::Forget(THostModule* module) {
  if (FActiveProject &&
      QueryIntf<IOTAModule>(FActiveProject).get() == static_cast<IOTAModule*>(module))
    FActiveProject = nullptr;
  std::erase_if(FModules, [module](const IPtr<THostModule>& m) { return m.get() == module; });
}

IPtr<IOTAModule> THostModuleServices::GetModule(Integer index) {
  if (index < 0 || index >= GetModuleCount()) throw EListError(Format(sListIndexError, index));
  return QueryIntf<IOTAModule>(FModules[static_cast<std::size_t>(index)]);
}

IPtr<IOTAModule> THostModuleServices::FindModule(const String& fileName) {
  for (auto& m : FModules)
    if (SameText(m->GetFileName(), fileName)) return QueryIntf<IOTAModule>(m);
  return nullptr;
}

Integer THostModuleServices::AddFileSystem(const IPtr<IOTAFileSystem>& fileSystem) {
  if (!fileSystem || FindFileSystem(fileSystem->GetIDString())) return -1;
  for (std::size_t i = 0; i < FFileSystems.size(); ++i)
    if (!FFileSystems[i]) {
      FFileSystems[i] = fileSystem;
      return static_cast<Integer>(i);
    }
  FFileSystems.push_back(fileSystem);
  return static_cast<Integer>(FFileSystems.size() - 1);
}

void THostModuleServices::RemoveFileSystem(Integer index) {
  if (index >= 0 && static_cast<std::size_t>(index) < FFileSystems.size())
    FFileSystems[static_cast<std::size_t>(index)] = nullptr;
}

IPtr<IOTAFileSystem> THostModuleServices::FindFileSystem(const String& name) {
  for (auto& fs : FFileSystems)
    if (fs && SameText(fs->GetIDString(), name)) return fs;
  return nullptr;
}

} // namespace fw
