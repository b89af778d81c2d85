// The host's component palette, headless: the classes component packages register on pages,
// each entry stamped with the package group that registered it so that unloading the package
// takes its entries away.
#pragma once

#include "basert/object.h"
#include "componentdesigner/componentcreation.h"
#include "toolsapi/toolsapi.h"

#include <span>
#include <vector>

namespace fw {

/// One component class on a palette page. Disabled items create nothing.
class THostPaletteItem : public TInterfacedObject,
                         public IOTABasePaletteItem,
                         public IInternalPaletteItem {
  FW_CLASS(THostPaletteItem)
public:
  THostPaletteItem(String page, TClass cls, Integer group)
      : Page(std::move(page)), Class(cls), Group(group) {}
  const String Page;
  const TClass Class;
  const Integer Group;
  bool Enabled = true;
  String GetName() override { return Class->ClassName; }
  bool GetEnabled() override { return Enabled; }
  /// A component of the class owned by `owner`.
  TComponent* CreateComponent(TComponent* owner) override;
  TComponentClass GetComponentClass() override { return Class; }
};

class THostPalette : public TInterfacedObject, public IOTAPaletteServices {
  FW_CLASS(THostPalette)
public:
  /// Adds the classes to the page, stamped with CurrentGroup; a class already on that page
  /// stays where it is.
  void AddComponents(const String& page, std::span<const TClass> classes);
  /// Withdraws the entries of a package group.
  void RemoveGroup(Integer group);
  const std::vector<IPtr<THostPaletteItem>>& Items() const noexcept { return FItems; }

  Integer GetItemCount() override { return static_cast<Integer>(FItems.size()); }
  IPtr<IOTABasePaletteItem> GetItem(Integer index) override;
  IPtr<IOTABasePaletteItem> FindItem(const String& className) override;

private:
  std::vector<IPtr<THostPaletteItem>> FItems;
};

} // namespace fw
