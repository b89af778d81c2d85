// Custom modules: what kind of components a designed module may hold, and its verbs.
#pragma once

#include "basert/classreg.h"
#include "designintf/designintf.h"

#include <memory>

namespace fw {

inline constexpr std::string_view sClassNotApplicable = "Class %s is not applicable to this module";

class TCustomModule : public TBaseCustomModule, public ICustomModule {
  FW_CLASS(TCustomModule)
public:
  TCustomModule(TComponent* root, const IPtr<IDesigner>& designer);
  ~TCustomModule() override;

  /// The class whose class group decides which components fit: the root owner's class when the
  /// root has an owner, else the root's own.
  virtual TClass GetFinderClass();
  TCustomModuleAttributes GetAttributes() override { return {}; }
  void ExecuteVerb(Integer) override {}
  String GetVerb(Integer) override { return {}; }
  Integer GetVerbCount() override { return 0; }
  void PrepareItem(Integer, const IPtr<IMenuItem>&) override {}
  void Saving() override {}
  /// Raises ENonAIRException (sClassNotApplicable) for a component whose class does not fit.
  void ValidateComponent(TComponent* component) override;
  /// True when the finder class's group resolves the class's name (proxies stripped) to it.
  bool ValidateComponentClass(TComponentClass componentClass) override;
  bool Nestable() override { return false; }
  TComponent* Root() const noexcept { return FRoot; }

protected:
  TComponent* FRoot;
  IPtr<IDesigner> FDesigner;

private:
  std::unique_ptr<TClassFinder> FFinder;
};

/// True when `cls` or an ancestor is called `className` (ignoring case); false for no class.
bool ClassInheritsFrom(TClass cls, std::string_view className);
/// True when `cls` inherits from `ancestor`; else false when a class of `cls`'s ancestry bears
/// the ancestor's name (another class of that name), true when none does.
bool AncestorNameMatches(TClass cls, TClass ancestor);

} // namespace fw
