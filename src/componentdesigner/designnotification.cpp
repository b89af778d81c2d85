#include "componentdesigner/designnotification.h"

#include "basert/classreg.h"
#include "designeditors/editorregistry.h"

#include <memory>

namespace fw {

// ---- TDesignNotificationList -------------------------------------------------------------------

void TDesignNotificationList::Register(const IPtr<IDesignNotification>& listener) {
  FList.push_back(listener);
  FGroups.push_back(CurrentGroup);
  ++FEntries[listener.get()];
}

void TDesignNotificationList::RemoveAt(std::size_t index,
                                       std::vector<IPtr<IDesignNotification>>& dropped) {
  dropped.push_back(std::move(FList[index]));
  FList.erase(FList.begin() + static_cast<std::ptrdiff_t>(index));
  FGroups.erase(FGroups.begin() + static_cast<std::ptrdiff_t>(index));
}

void TDesignNotificationList::Unregister(const IPtr<IDesignNotification>& listener) {
  auto it = FEntries.find(listener.get());
  if (it == FEntries.end()) return;
  FEntries.erase(it);
  // The references go after the list is consistent: dropping one may free a listener that
  // unregisters something in its destructor.
  std::vector<IPtr<IDesignNotification>> dropped;
  for (std::size_t i = FList.size(); i > 0; --i)
    if (FList[i - 1].get() == listener.get()) RemoveAt(i - 1, dropped);
}

void TDesignNotificationList::FreeGroup(Integer group) {
  std::vector<IPtr<IDesignNotification>> dropped;
  for (std::size_t i = FList.size(); i > 0; --i) {
    if (FGroups[i - 1] != group) continue;
    auto it = FEntries.find(FList[i - 1].get());
    if (it != FEntries.end() && --it->second == 0) FEntries.erase(it);
    RemoveAt(i - 1, dropped);
  }
}

std::vector<IPtr<IDesignNotification>> TDesignNotificationList::Snapshot() const {
  std::vector<IPtr<IDesignNotification>> r;
  r.reserve(FList.size());
  for (const auto& l : FList)
    if (l) r.push_back(l);
  return r;
}

bool TDesignNotificationList::IsRegistered(IDesignNotification* listener) const {
  return FEntries.contains(listener);
}

template <class F> void TDesignNotificationList::Walk(F&& tell) {
  std::size_t i = FList.size();
  while (i > 0) {
    --i;
    if (i >= FList.size()) { // earlier entries went too: go on from what is left
      i = FList.size();
      continue;
    }
    if (IPtr<IDesignNotification> listener = FList[i]) tell(*listener);
  }
}

void TDesignNotificationList::ItemInserted(const IPtr<IDesigner>& designer, TPersistent* item) {
  Walk([&](IDesignNotification& l) { l.ItemInserted(designer, item); });
}

void TDesignNotificationList::ItemDeleted(const IPtr<IDesigner>& designer, TPersistent* item) {
  Walk([&](IDesignNotification& l) { l.ItemDeleted(designer, item); });
}

void TDesignNotificationList::ItemsModified(const IPtr<IDesigner>& designer) {
  Walk([&](IDesignNotification& l) { l.ItemsModified(designer); });
}

void TDesignNotificationList::SelectionChanged(const IPtr<IDesigner>& designer,
                                               const IPtr<IDesignerSelections>& selection) {
  Walk([&](IDesignNotification& l) { l.SelectionChanged(designer, selection); });
}

void TDesignNotificationList::DesignerOpened(const IPtr<IDesigner>& designer, bool resurrecting) {
  Walk([&](IDesignNotification& l) { l.DesignerOpened(designer, resurrecting); });
}

void TDesignNotificationList::DesignerClosed(const IPtr<IDesigner>& designer, bool goingDormant) {
  std::vector<IPtr<IDesignNotification>> snapshot = FList;
  for (auto& listener : snapshot) {
    if (listener && IsRegistered(listener.get())) listener->DesignerClosed(designer, goingDormant);
    listener = nullptr;
  }
}

// ---- the package-wide list ---------------------------------------------------------------------

namespace {

std::unique_ptr<TDesignNotificationList>& List() {
  static std::unique_ptr<TDesignNotificationList> list;
  return list;
}

void RegisterListener(const IPtr<IDesignNotification>& listener) {
  auto& list = List();
  if (!list) list = std::make_unique<TDesignNotificationList>();
  list->Register(listener);
}

void UnregisterListener(const IPtr<IDesignNotification>& listener) {
  if (auto& list = List()) list->Unregister(listener);
}

void WithdrawGroup(Integer group) {
  if (auto& list = List()) list->FreeGroup(group);
}

} // namespace

TDesignNotificationList* DesignNotificationList() noexcept { return List().get(); }

void DesignNotificationItemInserted(const IPtr<IDesigner>& designer, TPersistent* item) {
  if (auto* list = DesignNotificationList()) list->ItemInserted(designer, item);
}

void DesignNotificationItemDeleted(const IPtr<IDesigner>& designer, TPersistent* item) {
  if (auto* list = DesignNotificationList()) list->ItemDeleted(designer, item);
}

void DesignNotificationItemsModified(const IPtr<IDesigner>& designer) {
  if (auto* list = DesignNotificationList()) list->ItemsModified(designer);
}

void DesignNotificationSelectionChanged(const IPtr<IDesigner>& designer,
                                        const IPtr<IDesignerSelections>& selection) {
  if (auto* list = DesignNotificationList()) list->SelectionChanged(designer, selection);
}

void DesignNotificationDesignerOpened(const IPtr<IDesigner>& designer, bool resurrecting) {
  if (auto* list = DesignNotificationList()) list->DesignerOpened(designer, resurrecting);
}

void DesignNotificationDesignerClosed(const IPtr<IDesigner>& designer, bool goingDormant) {
  if (auto* list = DesignNotificationList()) list->DesignerClosed(designer, goingDormant);
}

void DesignNotificationsStartup() {
  if (!List()) List() = std::make_unique<TDesignNotificationList>();
  RegisterDesignNotificationProc = &RegisterListener;
  UnregisterDesignNotificationProc = &UnregisterListener;
  NotifyGroupChange(&WithdrawGroup);
}

void DesignNotificationsShutdown() {
  UnnotifyGroupChange(&WithdrawGroup);
  RegisterDesignNotificationProc = nullptr;
  UnregisterDesignNotificationProc = nullptr;
  // Taken out first: a listener freed with the list finds no list to unregister from.
  std::unique_ptr<TDesignNotificationList> list = std::move(List());
}

} // namespace fw
