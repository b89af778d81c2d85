// A package that listens to design notifications: its listener's code goes when the package is
// unloaded, so the listener must go first.
#include "basert/classbuilder.h"
#include "designintf/designintf.h"

namespace {

/// Marks the designer modified whenever its items are modified: what the host can observe.
class TModuleWatcher : public fw::TInterfacedObject, public fw::IDesignNotification {
  FW_CLASS(TModuleWatcher)
public:
  void ItemDeleted(const fw::IPtr<fw::IDesigner>&, fw::TPersistent*) override {}
  void ItemInserted(const fw::IPtr<fw::IDesigner>&, fw::TPersistent*) override {}
  void ItemsModified(const fw::IPtr<fw::IDesigner>& designer) override {
    if (designer) designer->Modified();
  }
  void SelectionChanged(const fw::IPtr<fw::IDesigner>&,
                        const fw::IPtr<fw::IDesignerSelections>&) override {}
  void DesignerOpened(const fw::IPtr<fw::IDesigner>&, bool) override {}
  void DesignerClosed(const fw::IPtr<fw::IDesigner>&, bool) override {}
};

} // namespace

fw::TClass TModuleWatcher::StaticClass() {
  static const fw::TClass cls =
      fw::TClassBuilder<TModuleWatcher, fw::TInterfacedObject>("TModuleWatcher", "Watcher")
          .Implements<fw::IDesignNotification>()
          .Build();
  return cls;
}

extern "C" __attribute__((visibility("default"))) void Register() {
  fw::RegisterDesignNotification(fw::IPtr<fw::IDesignNotification>(fw::New<TModuleWatcher>()));
}
