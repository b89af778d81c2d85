// A test fixture with the package started, the update engine, the standard controls and one
// host designer, for tests that open designed modules.
#pragma once

#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hostroot.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "update/updatemanager.h"

#include <gtest/gtest.h>

#include <map>

namespace fwtest {

class HostSession : public ::testing::Test {
protected:
  void SetUp() override {
    fw::DesignPackageStartup();
    fw::UpdateManagerStartup();
    fw::RegisterStandardControls();
    fw::RegisterCustomModule(fw::TForm::StaticClass(), fw::TCustomModule::StaticClass());
    Designer = fw::New<fw::THostComponentDesigner>(
        fw::IPtr<fw::IDesignEnvironment>(fw::New<fw::THostDesignEnvironment>()));
    Registry()->RegisterDesigner(fw::IPtr<fw::IComponentDesigner>(Designer));
  }
  void TearDown() override {
    Designer->CloseRoots();
    Registry()->UnregisterDesigner(fw::IPtr<fw::IComponentDesigner>(Designer));
    fw::UnregisterStandardControls();
    fw::UpdateManagerShutdown();
    fw::DesignPackageShutdown();
  }
  static fw::IPtr<fw::IInternalComponentDesigners> Registry() {
    return fw::QueryIntf<fw::IInternalComponentDesigners>(fw::Designers().get());
  }
  /// A new module "name" of class "T" + name (inheriting from module `ancestor` when given);
  /// its source module is kept in Modules.
  fw::IPtr<fw::THostComponentRoot> NewRoot(const fw::String& name,
                                           const fw::String& ancestor = {}) {
    auto module = fw::New<fw::THostDesignerModule>("Unit" + name, name, "TForm");
    Modules[name] = fw::IPtr<fw::THostDesignerModule>(module);
    return fw::THostComponentRoot::Make(fw::IPtr<fw::IComponentDesigner>(Designer),
                                        fw::IPtr<fw::IDesignerModule>(module), name + ".lyt",
                                        nullptr, name, ancestor);
  }

  fw::IPtr<fw::THostComponentDesigner> Designer;
  std::map<fw::String, fw::IPtr<fw::THostDesignerModule>> Modules;
};

} // namespace fwtest
