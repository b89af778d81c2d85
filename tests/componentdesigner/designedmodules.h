// A package with the update engine, the standard controls, forms and nestable frames, and one
// host designer, for tests that open several related modules.
#pragma once

#include "componentdesigner/componentroot.h"
#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hostroot.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"
#include "update/updatemanager.h"

#include <gtest/gtest.h>

namespace fwtest {

using namespace fw;

/// Frames may be placed inside other modules.
class TNestableModule : public TCustomModule {
  FW_CLASS(TNestableModule)
public:
  using TCustomModule::TCustomModule;
  bool Nestable() override { return true; }
};

inline TClass TNestableModule::StaticClass() {
  static const TClass cls =
      TClassBuilder<TNestableModule, TCustomModule>("TNestableModule", "DesignedModulesTest")
          .Build();
  return cls;
}

class DesignedModules : public ::testing::Test {
protected:
  void SetUp() override {
    DesignPackageStartup();
    UpdateManagerStartup();
    RegisterStandardControls();
    RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
    RegisterCustomModule(TFrame::StaticClass(), TNestableModule::StaticClass());
    Env = New<THostDesignEnvironment>();
    Designer = New<THostComponentDesigner>(IPtr<IDesignEnvironment>(Env));
    Registry()->RegisterDesigner(IPtr<IComponentDesigner>(Designer));
  }
  void TearDown() override {
    Designer->CloseRoots();
    Registry()->UnregisterDesigner(IPtr<IComponentDesigner>(Designer));
    UnregisterStandardControls();
    UpdateManagerShutdown();
    DesignPackageShutdown();
  }
  static IPtr<IInternalComponentDesigners> Registry() {
    return QueryIntf<IInternalComponentDesigners>(Designers().get());
  }
  /// A new module `name`; `ancestor` names an open module or a base class without its "T".
  IPtr<THostComponentRoot> NewRoot(const String& name, const String& ancestor = {}) {
    auto module = New<THostDesignerModule>("Unit" + name, name, "T" + ancestor);
    Modules[name] = IPtr<THostDesignerModule>(module);
    return THostComponentRoot::Make(IPtr<IComponentDesigner>(Designer),
                                    IPtr<IDesignerModule>(module), name + ".lyt", nullptr, name,
                                    ancestor);
  }
  static TComponent* Add(THostComponentRoot& root, TClass cls, TComponent* parent = nullptr,
                         Integer left = 8, Integer top = 8) {
    return root.CreateComponent(cls, parent ? parent : root.GetRoot(), left, top, 75, 25);
  }
  static std::vector<String> Names(TComponent* owner) {
    std::vector<String> names;
    for (TComponent* c : owner->ComponentList())
      names.push_back(c->Name());
    return names;
  }

  IPtr<THostDesignEnvironment> Env;
  IPtr<THostComponentDesigner> Designer;
  std::map<String, IPtr<THostDesignerModule>> Modules;
};

} // namespace fwtest
