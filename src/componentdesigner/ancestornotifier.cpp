#include "componentdesigner/ancestornotifier.h"

#include "basert/classbuilder.h"
#include "componentdesigner/componentroot.h"

namespace fw {

TClass TAncestorNotifier::StaticClass() {
  static const TClass cls = TClassBuilder<TAncestorNotifier, TModuleNotifierObject>(
                                "TAncestorNotifier", "ComponentDesigner")
                                .Build();
  return cls;
}

void TAncestorNotifier::Attach(const IPtr<IOTAModule>& module) {
  Leave();
  if (!module) return;
  FIndex = module->AddNotifier(IPtr<IOTAModuleNotifier>(this));
  FModule = module;
}

void TAncestorNotifier::Detach() {
  FRoot = nullptr;
  Leave();
}

void TAncestorNotifier::Leave() {
  if (!FModule) return;
  IPtr<IOTAModule> module = std::move(FModule);
  module->RemoveNotifier(std::exchange(FIndex, -1));
}

void TAncestorNotifier::Destroyed() {
  IPtr<IOTAModuleNotifier> keep(this); // the module may hold the last reference
  TComponentRoot* root = FRoot;
  Detach();
  if (root) root->AncestorModuleDestroyed();
}

} // namespace fw
