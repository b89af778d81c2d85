// The host session with nestable frames, for tests that create components in related modules.
#pragma once

#include "support/hostsession.h"
#include "tarn/stdctrls.h"

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

class DesignedModules : public HostSession {
protected:
  void SetUp() override {
    HostSession::SetUp();
    RegisterCustomModule(TFrame::StaticClass(), TNestableModule::StaticClass());
    Env = IPtr<THostDesignEnvironment>(
        static_cast<THostDesignEnvironment*>(Designer->GetEnvironment().get()));
  }
  void TearDown() override {
    Env = nullptr;
    HostSession::TearDown();
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
};

} // namespace fwtest
