#include "designeditors/custommodules.h"

#include "basert/classbuilder.h"
#include "basert/component.h"
#include "basert/format.h"
#include "basert/runtimeclass.h"
#include "basert/sysutils.h"
#include "designeditors/propedit.h"

namespace fw {

TClass TCustomModule::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCustomModule, TBaseCustomModule>("TCustomModule", "DesignEditors")
          .Implements<ICustomModule>()
          .Build();
  return cls;
}

TCustomModule::TCustomModule(TComponent* root, const IPtr<IDesigner>& designer)
    : TBaseCustomModule(root, designer), FRoot(root), FDesigner(designer) {}

TCustomModule::~TCustomModule() = default;

TClass TCustomModule::GetFinderClass() {
  if (!FRoot) return TPersistent::StaticClass();
  return FRoot->Owner() ? FRoot->Owner()->ClassType() : FRoot->ClassType();
}

bool TCustomModule::ValidateComponentClass(TComponentClass componentClass) {
  if (!componentClass) return false;
  TClass finderClass = GetFinderClass();
  if (!FFinder || FFinder->GroupClass() != ClassGroupOf(finderClass))
    FFinder = std::make_unique<TClassFinder>(finderClass, false);
  TClass cls = CompiledClassOf(componentClass);
  return cls && FFinder->GetClass(cls->ClassName) == cls;
}

void TCustomModule::ValidateComponent(TComponent* component) {
  if (!ValidateComponentClass(component->ClassType()))
    throw ENonAIRException(Format(sClassNotApplicable, component->ClassName()));
}

bool ClassInheritsFrom(TClass cls, std::string_view className) {
  for (TClass c = cls; c; c = c->Parent)
    if (SameText(c->ClassName, className)) return true;
  return false;
}

bool AncestorNameMatches(TClass cls, TClass ancestor) {
  if (cls && ancestor && cls->InheritsFrom(ancestor)) return true;
  if (!ancestor) return true;
  return !ClassInheritsFrom(cls, ancestor->ClassName);
}

} // namespace fw
