// A dock tab set: a strip at a window edge holding one tab per docked (auto-hidden) window; the
// windows stay hidden until their tab is used.
#pragma once

#include "tarn/controls.h"

#include <vector>

namespace fw {

class TDockTabSet : public TWinControl {
  FW_CLASS(TDockTabSet)
public:
  explicit TDockTabSet(TComponent* owner);

  /// The docked windows in dock order.
  Integer TabCount() const noexcept { return static_cast<Integer>(FTabs.size()); }
  /// Raises EListError for an index out of range.
  TControl* TabClient(Integer index) const;
  /// The tab index of a docked window (its place in the strip), -1 for one not docked here.
  Integer TabIndexOf(const TControl* client) const;
  /// Nothing for a window not docked here.
  void SetTabIndexOf(const TControl* client, Integer index);
  /// The windows ordered by tab index (dock order among equal ones).
  std::vector<TControl*> TabOrder() const;
  /// The text on a window's tab; its caption here.
  virtual String GetDockCaption(TControl* client) const { return client->Caption(); }

  /// Adds a tab (at the next index) and hides the window.
  void DockDrop(TDragDockObject* source, Integer x, Integer y) override;
  void DoRemoveDockClient(TControl* client) override;

private:
  struct TTab {
    TControl* Client;
    Integer Index;
  };
  std::vector<TTab> FTabs;
};

} // namespace fw
