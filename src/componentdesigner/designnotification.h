// The design-notification list: every listener registered through RegisterDesignNotification,
// and the broadcasts that tell them about changes of designed modules.
#pragma once

#include "designintf/designintf.h"

#include <unordered_map>
#include <vector>

namespace fw {

/// Listeners in registration order. Broadcasts run on the live list from the last entry to the
/// first (nil entries skipped), so a listener may unregister itself or later-registered ones
/// while it is told; DesignerClosed works on a snapshot instead (see there). A listener that
/// raises ends the broadcast; the exception reaches the caller.
class TDesignNotificationList {
public:
  /// Appends the listener, stamped with CurrentGroup; registering it again makes a second
  /// entry.
  void Register(const IPtr<IDesignNotification>& listener);
  /// Removes every entry of the listener, from the last to the first.
  void Unregister(const IPtr<IDesignNotification>& listener);
  /// Removes every entry registered under `group` (a package being unloaded: its listeners'
  /// code goes with it), from the last to the first.
  void FreeGroup(Integer group);
  bool IsRegistered(IDesignNotification* listener) const;
  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }
  /// The listeners now registered, in registration order (a listener registered twice twice).
  std::vector<IPtr<IDesignNotification>> Snapshot() const;

  void ItemInserted(const IPtr<IDesigner>& designer, TPersistent* item);
  void ItemDeleted(const IPtr<IDesigner>& designer, TPersistent* item);
  void ItemsModified(const IPtr<IDesigner>& designer);
  void SelectionChanged(const IPtr<IDesigner>& designer,
                        const IPtr<IDesignerSelections>& selection);
  void DesignerOpened(const IPtr<IDesigner>& designer, bool resurrecting);
  /// Tells the listeners registered when it starts, from the first to the last, each only if
  /// still registered when its turn comes; the snapshot's reference to a listener goes right
  /// after its turn.
  void DesignerClosed(const IPtr<IDesigner>& designer, bool goingDormant);

private:
  template <class F> void Walk(F&& tell);
  /// Drops the entry at `index`; its reference goes into `dropped`.
  void RemoveAt(std::size_t index, std::vector<IPtr<IDesignNotification>>& dropped);
  std::vector<IPtr<IDesignNotification>> FList;
  std::vector<Integer> FGroups; // the package group of each entry of FList
  std::unordered_map<IDesignNotification*, Integer> FEntries; // entries per listener
};

/// The package-wide list: null before start-up and after shut-down.
TDesignNotificationList* DesignNotificationList() noexcept;

// Broadcasts to the package-wide list; nothing happens without one.
void DesignNotificationItemInserted(const IPtr<IDesigner>& designer, TPersistent* item);
void DesignNotificationItemDeleted(const IPtr<IDesigner>& designer, TPersistent* item);
void DesignNotificationItemsModified(const IPtr<IDesigner>& designer);
void DesignNotificationSelectionChanged(const IPtr<IDesigner>& designer,
                                        const IPtr<IDesignerSelections>& selection);
void DesignNotificationDesignerOpened(const IPtr<IDesigner>& designer, bool resurrecting);
void DesignNotificationDesignerClosed(const IPtr<IDesigner>& designer, bool goingDormant);

/// Package start-up: makes the list, fills RegisterDesignNotificationProc and
/// UnregisterDesignNotificationProc, and withdraws a package group's listeners when the group
/// is freed. Registering makes the list again if it is missing.
void DesignNotificationsStartup();
/// Package shut-down: empties the two hooks, then frees the list and its references.
void DesignNotificationsShutdown();

} // namespace fw
