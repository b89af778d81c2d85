#include "host/hostroot.h"

#include "basert/classbuilder.h"
#include "basert/datamodule.h"
#include "basert/filer.h"
#include "componentdesigner/designers.h"
#include "tarn/controls.h"
#include "treeintf/sprigs.h"

#include <algorithm>

namespace fw {

void PlugStructureTree() { StructureTreeUnit = {&TreeIntfStartup, &TreeIntfShutdown}; }

TClass THostComponentDesigner::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostComponentDesigner, TComponentDesigner>("THostComponentDesigner", "Host")
          .Build();
  return cls;
}

THostComponentDesigner::THostComponentDesigner(IPtr<IDesignEnvironment> environment,
                                               String extension)
    : TComponentDesigner(std::move(environment), std::move(extension)) {}

bool THostComponentDesigner::OwnsRootClass(TClass rootClass) {
  return !Accepts || Accepts(rootClass);
}

void THostComponentDesigner::CloseRoots() {
  while (!FRootList.empty()) {
    IPtr<IRoot> root = FRootList.back();
    const std::size_t before = FRootList.size();
    root->Close();
    if (FRootList.size() == before) FRootList.pop_back(); // a root that was not ours
  }
}

TClass THostComponentRoot::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostComponentRoot, TComponentRoot>("THostComponentRoot", "Host").Build();
  return cls;
}

IPtr<THostComponentRoot> THostComponentRoot::Make(const IPtr<IComponentDesigner>& designer,
                                                  const IPtr<IDesignerModule>& module,
                                                  const String& fileName, TStream* formStream,
                                                  const String& rootName, const String& ancestor) {
  IPtr<THostComponentRoot> root(New<THostComponentRoot>(designer, module, fileName));
  root->Open(formStream, rootName, ancestor);
  return root;
}

bool THostComponentRoot::Called(const String& call) const {
  return std::find(FCalls.begin(), FCalls.end(), call) != FCalls.end();
}

void THostComponentRoot::ComponentCreated(TComponent* component) {
  FCalls.push_back("ComponentCreated " + component->Name());
  ComponentInserted(component);
}

bool THostComponentRoot::AcceptsBlankName(TComponent*) { return AcceptBlankNames; }

void THostComponentRoot::DestroyRootInstance(TComponent* root) {
  FCalls.push_back("DestroyRootInstance");
  root->Free();
}

void THostComponentRoot::InitializeNewRoot(TComponent* root, const String& ancestorName) {
  FCalls.push_back("InitializeNewRoot " + root->Name() + " " + ancestorName);
  // Its file gives the window it is designed in; a new one opens as large as a new form.
  if (auto* dataModule = dynamic_cast<TDataModule*>(root))
    dataModule->SetDesignSize(CNewDataModuleSize);
}

void THostComponentRoot::NewRootCreated(TComponent* root, const String& ancestorName) {
  FCalls.push_back("NewRootCreated " + root->Name() + " " + ancestorName);
}

TQueryRedirectLinksResult THostComponentRoot::QueryRedirectLinks(const String& moduleName,
                                                                 const String& missingModule) {
  FCalls.push_back("QueryRedirectLinks " + moduleName + " " + missingModule);
  return RedirectAnswer;
}

void THostComponentRoot::RedirectLinks(TComponent* root, const String& missingModule) {
  FCalls.push_back("RedirectLinks " + missingModule);
  RemoveFixupReferences(root, missingModule);
}

TRootReadErrorResult THostComponentRoot::ReadError(const String& message) {
  FCalls.push_back("ReadError " + message);
  return ReadErrorAnswer;
}

void THostComponentRoot::AdjustPastedComponent(TComponent* component, const TRect& pasteRect,
                                               const TRect& streamRect) {
  auto* control = dynamic_cast<TControl*>(component);
  auto empty = [](const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; };
  if (!control || empty(pasteRect) || empty(streamRect)) return;
  control->SetBounds(control->Left() + pasteRect.Left - streamRect.Left,
                     control->Top() + pasteRect.Top - streamRect.Top, control->Width(),
                     control->Height());
}

TRecoveryResult THostComponentRoot::QueryInheritanceRecovery(const String& rootName,
                                                             const String& ancestorName,
                                                             String& componentName,
                                                             const String& candidates,
                                                             bool nested) {
  FCalls.push_back("QueryInheritanceRecovery " + rootName + " " + ancestorName + " " +
                   componentName + " [" + candidates + "]" + (nested ? " nested" : ""));
  if (RecoveryAnswer == rrRename) componentName = RecoveryName;
  return RecoveryAnswer;
}

void THostComponentRoot::PrepareReader(TReader& reader) {
  reader.UsePlaceholders = UsePlaceholders;
}

String THostComponentRoot::GetSourceAncestorName(const String& className) {
  for (const auto& [name, ancestor] : SourceAncestors)
    if (SameText(name, className)) return ancestor;
  return {};
}

} // namespace fw
