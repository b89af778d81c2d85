// The watch a descendant module keeps on its ancestor module: when the ancestor's module goes,
// the descendant forgets it instead of keeping a reference to what is freed.
#pragma once

#include "toolsapi/toolsutils.h"

namespace fw {

class TComponentRoot;

class TAncestorNotifier : public TModuleNotifierObject {
  FW_CLASS(TAncestorNotifier)
public:
  explicit TAncestorNotifier(TComponentRoot* root) : FRoot(root) {}
  /// Registers with `module` (leaving any earlier one); a null module leaves it unattached.
  void Attach(const IPtr<IOTAModule>& module);
  /// Leaves the module and forgets the root; later notifications do nothing.
  void Detach();
  bool Attached() const noexcept { return FModule != nullptr; }

  bool CheckOverwrite() override { return true; }
  void ModuleRenamed(const String&) override {}
  /// The ancestor module is closing: leaves it and makes the root drop its ancestor.
  void Destroyed() override;

private:
  void Leave();
  TComponentRoot* FRoot;
  IPtr<IOTAModule> FModule;
  Integer FIndex = -1;
};

} // namespace fw
