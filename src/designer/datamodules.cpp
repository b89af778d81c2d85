#include "designer/datamodules.h"

#include "basert/classbuilder.h"
#include "componentdesigner/designers.h"

namespace fw {

TClass TDataModuleCustomModule::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDataModuleCustomModule, TCustomModule>("TDataModuleCustomModule", "Designer")
          .Build();
  return cls;
}

bool TDataModuleCustomModule::ValidateComponentClass(TComponentClass componentClass) {
  if (!TCustomModule::ValidateComponentClass(componentClass)) return false;
  IPtr<IComponentDesigners> designers = Designers();
  if (!designers) return true;
  for (TClass invalid : designers->InvalidDataModuleClasses())
    if (invalid && componentClass->InheritsFrom(invalid)) return false;
  return true;
}

} // namespace fw
