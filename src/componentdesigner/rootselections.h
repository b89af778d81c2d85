// A module's selection as the visual designer keeps it: a listener over the designer's item
// selection that tells the module root when it changes and reads the selected objects.
#pragma once

#include "designintf/surfaceintf.h"

#include <functional>

namespace fw {

class TSelectionsRelay;

/// Wraps one item selection; hears its changes without the selection keeping the wrapper (or
/// whoever the handler belongs to) alive, and stops hearing them when it is freed.
class TSelections : public TInterfacedObject, public ISelectionsListener {
  FW_CLASS(TSelections)
public:
  TSelections(IPtr<ISelections> selections, std::function<void(TObject* sender)> onChanged);
  ~TSelections() override;

  /// Calls the change handler, when there is one.
  void SelectionChanged(const IPtr<ISelections>& selections) override;
  Integer GetCount();
  /// The object wrapped by the item at `index` (null for an item wrapping none); raises
  /// EListError out of range.
  TPersistent* GetPersistents(Integer index);
  /// The first item wrapping `instance`; null when none.
  IPtr<IItem> FindItemFor(TPersistent* instance);
  const IPtr<ISelections>& Selections() const noexcept { return FSelections; }

private:
  IPtr<ISelections> FSelections;
  std::function<void(TObject* sender)> FOnChanged;
  IPtr<TSelectionsRelay> FRelay;
};

} // namespace fw
