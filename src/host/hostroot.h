// The host's concrete module root and component designer, headless: the root records what the
// package asks of it and answers its questions as the test or command line set them; the
// designer accepts the framework's form, frame and data-module classes.
#pragma once

#include "componentdesigner/compdesigner.h"
#include "componentdesigner/componentroot.h"

#include <functional>
#include <map>
#include <vector>

namespace fw {

/// Makes the package's start-up bring up the structure tree (its stock sprig types) and its
/// shut-down take it down; call before the package starts.
void PlugStructureTree();

class THostComponentDesigner : public TComponentDesigner {
  FW_CLASS(THostComponentDesigner)
public:
  explicit THostComponentDesigner(IPtr<IDesignEnvironment> environment, String extension = ".lyt");
  /// Which root base classes this designer owns; every class when empty.
  std::function<bool(TClass)> Accepts;
  bool OwnsRootClass(TClass rootClass) override;
  /// Closes every root, last first (the designer is finished with them).
  void CloseRoots();
};

/// Design size of a new data module: the size of a new form.
inline constexpr TPoint CNewDataModuleSize{320, 240};

class THostComponentRoot : public TComponentRoot {
  FW_CLASS(THostComponentRoot)
public:
  using TComponentRoot::TComponentRoot;

  /// Makes and opens a root; nothing stays registered when opening fails.
  static IPtr<THostComponentRoot> Make(const IPtr<IComponentDesigner>& designer,
                                       const IPtr<IDesignerModule>& module, const String& fileName,
                                       TStream* formStream, const String& rootName,
                                       const String& ancestor = {});

  // The answers.
  TQueryRedirectLinksResult RedirectAnswer = qrCancel;
  TRootReadErrorResult ReadErrorAnswer = rerCancel;
  /// Blank-named ancestor components accepted.
  bool AcceptBlankNames = false;
  /// Components of classes no loaded package registers are read as placeholders that write
  /// back what they read.
  bool UsePlaceholders = false;
  /// Ancestor class by class name, as the source module declares it.
  std::map<String, String> SourceAncestors;
  /// The module's tools-API module, when the test or command line opened one for it.
  IPtr<IOTAModule> ToolsModule;
  IPtr<IOTAModule> GetToolsModule() override {
    return ToolsModule ? ToolsModule : TComponentRoot::GetToolsModule();
  }
  /// The answer to a missing inherited component, and the name a rename answer takes.
  TRecoveryResult RecoveryAnswer = rrCancel;
  String RecoveryName;
  /// Whether designed modules may be placed inside this one.
  bool AcceptNested = true;

  /// Every call of the package, one line each ("NewRootCreated Form1", "ReadError ...").
  const std::vector<String>& Calls() const noexcept { return FCalls; }
  /// True when the list of calls has one equal to `call`.
  bool Called(const String& call) const;

  /// The source renames the method, then the module's class follows it.
  void RenameMethod(const String& curName, const String& newName) override {
    TComponentRoot::RenameMethod(curName, newName);
    RenameRootMethod(curName, newName);
  }

protected:
  void ComponentCreated(TComponent* component) override;
  bool AcceptsBlankName(TComponent* component) override;
  void BeginReadStream() override { FCalls.push_back("BeginReadStream"); }
  void EndReadStream() override { FCalls.push_back("EndReadStream"); }
  void BeforeReadRoot(TComponent*) override { FCalls.push_back("BeforeReadRoot"); }
  void DesignerInitialized() override { FCalls.push_back("DesignerInitialized"); }
  void DesignerDeinitializing() override { FCalls.push_back("DesignerDeinitializing"); }
  void DestroyRootInstance(TComponent* root) override;
  void RootInstanceCreated(TComponent*) override { FCalls.push_back("RootInstanceCreated"); }
  void RootInstanceReady() override { FCalls.push_back("RootInstanceReady"); }
  /// A data module gets CNewDataModuleSize.
  void InitializeNewRoot(TComponent* root, const String& ancestorName) override;
  void NewRootCreated(TComponent* root, const String& ancestorName) override;
  TQueryRedirectLinksResult QueryRedirectLinks(const String& moduleName,
                                               const String& missingModule) override;
  /// Forgets the links (the components' references stay nil).
  void RedirectLinks(TComponent* root, const String& missingModule) override;
  TRootReadErrorResult ReadError(const String& message) override;
  /// Moves pasted controls by the offset from the stream's bounds to the paste rectangle, when
  /// both are given.
  void AdjustPastedComponent(TComponent* component, const TRect& pasteRect,
                             const TRect& streamRect) override;
  bool AcceptsNestedClass(TClass) override { return AcceptNested; }
  /// Records "QueryInheritanceRecovery root ancestor component [candidates] nested".
  TRecoveryResult QueryInheritanceRecovery(const String& rootName, const String& ancestorName,
                                           String& componentName, const String& candidates,
                                           bool nested) override;
  String GetSourceAncestorName(const String& className) override;
  void PrepareReader(TReader& reader) override;
  void InlineComponentAdded(TComponent* component) override {
    FCalls.push_back("InlineComponentAdded " + component->Name());
  }

private:
  std::vector<String> FCalls;
};

} // namespace fw
