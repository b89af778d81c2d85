#include "host/hostpalette.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/format.h"
#include "basert/sysutils.h"

#include <algorithm>

namespace fw {

TClass THostPaletteItem::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostPaletteItem, TInterfacedObject>("THostPaletteItem", "Host")
          .Implements<IOTABasePaletteItem, IInternalPaletteItem>()
          .Build();
  return cls;
}

TComponent* THostPaletteItem::CreateComponent(TComponent* owner) {
  return fw::CreateComponent(Class, owner);
}

TClass THostPalette::StaticClass() {
  static const TClass cls = TClassBuilder<THostPalette, TInterfacedObject>("THostPalette", "Host")
                                .Implements<IOTAPaletteServices>()
                                .Build();
  return cls;
}

void THostPalette::AddComponents(const String& page, std::span<const TClass> classes) {
  for (TClass cls : classes) {
    const bool present = std::any_of(FItems.begin(), FItems.end(), [&](const auto& item) {
      return item->Class == cls && SameText(item->Page, page);
    });
    if (!present) FItems.emplace_back(New<THostPaletteItem>(page, cls, CurrentGroup));
  }
}

void THostPalette::RemoveGroup(Integer group) {
  std::erase_if(FItems, [group](const auto& item) { return item->Group == group; });
}

IPtr<IOTABasePaletteItem> THostPalette::GetItem(Integer index) {
  if (index < 0 || index >= GetItemCount()) throw EListError(Format(sListIndexError, index));
  return QueryIntf<IOTABasePaletteItem>(FItems[static_cast<std::size_t>(index)]);
}

IPtr<IOTABasePaletteItem> THostPalette::FindItem(const String& className) {
  for (auto& item : FItems)
    if (SameText(item->Class->ClassName, className)) return QueryIntf<IOTABasePaletteItem>(item);
  return nullptr;
}

} // namespace fw
