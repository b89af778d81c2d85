// The update manager of one designed module: it carries the changes of the module's ancestor
// into it, and its own changes into every open module that inherits from it.
//
//   IPtr<IUpdateManager> base = NewUpdateManager(baseForm, nullptr, nullptr, baseRoot);
//   IPtr<IUpdateManager> form = NewUpdateManager(form2, baseForm, base, form2Root);
//   SetStrProp(baseButton, "Caption", "OK");
//   base->Modified();   // form2's button shows "OK" unless form2 changed its caption
//
// A module root owns one manager (through IUpdateManager, see componentdesigner/updateintf.h)
// and calls: Modified after every change of its module; Notification when one of its components
// goes; NameExists before accepting a component name; RenameComponent after renaming one;
// Revert/CanRevert for the inspector's revert command. The manager calls the root back through
// IUpdateManagerCallback. Everything runs on the GUI thread; a manager must be held through a
// counted reference while it is used.
#pragma once

#include "basert/component.h"
#include "componentdesigner/updateintf.h"
#include "designintf/designintf.h"
#include "update/updateobject.h"

#include <memory>
#include <string_view>
#include <vector>

namespace fw {

class TPairing;
class TPairingArena;

inline constexpr std::string_view sInvalidCast = "Invalid class typecast";

/// What a manager is doing; a manager that is busy ignores further Update and Filter calls.
enum TUpdateMode : std::uint8_t { umNone, umUpdate, umFilter };

class TUpdateManager : public TInterfacedObject, public IImplementation, public IUpdateManager {
  FW_CLASS(TUpdateManager)
public:
  /// A manager for the module whose root is `component`. With `ancestorManager` it registers as
  /// that manager's descendant (raises EInvalidCast when it is not a TUpdateManager). With
  /// `ancestor` it pairs the whole module with the ancestor's at once and records what follows
  /// it. `notifier` (the module root) may be null.
  TUpdateManager(TComponent* component, TComponent* ancestor,
                 const IPtr<IUpdateManager>& ancestorManager,
                 const IPtr<IUpdateManagerCallback>& notifier);
  /// Unlinks itself from its ancestor's manager and its descendants' managers.
  ~TUpdateManager() override;

  // IUpdateManager
  bool CanRevert(TPersistent* instance, PPropInfo propInfo) override;
  TComponent* GetComponent() override { return FComponent; }
  TComponent* GetAncestor() override { return FAncestor; }
  bool GetHasDescendents() override { return !FChildList.empty(); }
  bool GetIsDescendent() override { return FAncestor != nullptr; }
  void Modified() override;
  /// False for an empty name.
  bool NameExists(const String& name) override;
  void Notification(TPersistent* component, TOperation operation) override;
  /// Renames only a component that came from the ancestor; a descendant's own component of
  /// that name is left alone. Raises what SetName raises (the rename then stops there).
  void RenameComponent(const String& currentName, const String& newName) override;
  void RenameDescendents(const String& currentName, const String& newName) override;
  void Revert(TPersistent* instance, PPropInfo propInfo) override;
  /// One run, in this order: pair the module's inherited components with the ancestor's by
  /// name; delete those the ancestor lost (Deleting first); stream in those it gained; re-apply
  /// the followed values, child orders and unedited collections; update every descendant
  /// manager. Does nothing while a run or filter is in progress or a root is being destroyed.
  /// Whatever fails, the notifier's Updated follows and every component put into the updating
  /// state gets Updated (all of them, even when some raise); the first exception passes on,
  /// or else the first message an Updated raised, as an Exception.
  void Update() override;

  // IImplementation
  TObject* GetInstance() override { return this; }

  TComponent* Component() const noexcept { return FComponent; }
  TComponent* Ancestor() const noexcept { return FAncestor; }
  TUpdateManager* Parent() const noexcept { return FParent; }
  const std::vector<TUpdateManager*>& Descendents() const noexcept { return FChildList; }
  TUpdateMode Mode() const noexcept { return FMode; }
  /// The root of the module's update objects; null without an ancestor.
  TUpdateObject* ComponentUpdate() const noexcept { return FComponentUpdate.get(); }

  /// Re-records what still follows the ancestor (nothing while busy).
  void Filter();
  /// Update on each descendant manager in order.
  void UpdateChildren();
  /// Puts `component` into the updating state for the rest of the run (once).
  void Updating(TComponent* component);
  /// Marks `child` and everything below it as inherited.
  void SetChildAncestor(TComponent* child);
  /// While a run whose pairing found nothing lost or gained applies values: the children each
  /// side listed then, still valid. Null otherwise.
  const TPairingArena* Listing() const noexcept { return FListing; }
  /// Lists the child-order comparisons of a run borrow, so that each need not allocate its own.
  TChildOrderLists& OrderLists() noexcept { return FOrderLists; }

  TNotifyEvent OnUpdating;
  TNotifyEvent OnUpdate;

private:
  void BeginUpdate();
  void EndUpdate();
  void Run();
  void CreateGained(TPairing* pairing, TComponent* parent);
  TComponent* CreateFromAncestor(TComponent* ancestor, TComponent* parent);
  void NotifyUpdated(String& firstMessage, bool& failed);
  bool Destroying() const;
  IPtr<IUpdateManager> Self();

  std::unique_ptr<TUpdateObject> FComponentUpdate;
  std::vector<TUpdateManager*> FChildList;
  TComponent* FComponent;
  TComponent* FAncestor;
  TUpdateManager* FParent = nullptr;
  TUpdateMode FMode = umNone;
  std::vector<TComponent*> FUpdateList;
  const TPairingArena* FListing = nullptr;
  // The pairings of the current run; kept, so that each run reuses the last one's memory.
  std::unique_ptr<TPairingArena> FPairings;
  TChildOrderLists FOrderLists;
  IPtr<IUpdateManagerCallback> FNotifier;
  // The streaming objects shared by the components created in one run.
  std::unique_ptr<TMemoryStream> FStream;
  std::unique_ptr<TReader> FReader;
  std::unique_ptr<TWriter> FWriter;
};

/// A new manager, as CreateUpdateManagerProc makes it.
IPtr<IUpdateManager> NewUpdateManager(TComponent* component, TComponent* ancestor,
                                      const IPtr<IUpdateManager>& ancestorManager,
                                      const IPtr<IUpdateManagerCallback>& notifier);

/// Fills CreateUpdateManagerProc; the shut-down empties it.
void UpdateManagerStartup();
void UpdateManagerShutdown();

} // namespace fw
