// The action registry: the action classes component packages register by category, the GUI
// frameworks that tell which actions belong to them, and the prototypes new actions copy.
#pragma once

#include "basert/strings.h"
#include "tarn/actions.h"

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fw {

class TChangeLink;

inline constexpr std::string_view sActionBaseClassError =
    "The created action, must inherit from %s";
inline constexpr std::string_view sFrameworkAlreadyRegistered =
    "The %s framework is already registered";
inline constexpr std::string_view sInvalidStringConstant = "Invalid string constant";
inline constexpr std::string_view sParamIsNil = "Parameter %s cannot be nil";

/// What one GUI framework tells the IDE about its actions. Frameworks derive from it and
/// register one instance, which stands for the class: every operation is a class-level one.
class TIDEActions : public TObject {
  FW_CLASS(TIDEActions)
public:
  /// Copies a prototype's settings into a new action; the base copies Category between
  /// contained actions.
  virtual void AssignAction(TBasicAction* source, TBasicAction* dest) const;
  /// The base makes none.
  virtual TCustomImageList* CreateImageList(TCustomActionList* actionList) const;
  /// The class of a plain new action; the base has none.
  virtual TClass DefaultActionClass() const { return nullptr; }
  /// The common ancestor of the framework's actions; without one nothing is enumerated.
  virtual TClass BaseActionClass() const { return nullptr; }
  virtual TClass BaseActionListClass() const { return nullptr; }
  virtual void CopyImageIfAvailable(TContainedAction* action, TCustomActionList* list) const;
  virtual void RegisterImageLink(TCustomActionList* list, TChangeLink* link) const;
  virtual void UnregisterImageLink(TCustomActionList* list, TChangeLink* link) const;
};
using TIDEActionsClass = const TIDEActions*;

/// Set by the host to hear that the set of registered actions changed.
extern void (*NotifyActionListChange)();

/// One registered action class. Withdrawn entries stay in place with no class and group -1, so
/// indices a caller holds during an enumeration stay valid.
struct TActionEntry {
  TClass ActionClass = nullptr;
  Integer Group = -1;
  TClass Resource = nullptr; ///< component class whose instance owns the prototypes
};

struct TActionCategory {
  String Name; ///< the form of the last registration into it
  std::vector<TActionEntry> Entries;
};

/// The registry behind the action unit's hooks. The global one serves them; tests may make
/// their own.
class TActionRegistry {
public:
  TActionRegistry();
  ~TActionRegistry();
  TActionRegistry(const TActionRegistry&) = delete;
  TActionRegistry& operator=(const TActionRegistry&) = delete;

  /// Adds the classes descending from TContainedAction (others are skipped) to the category,
  /// once each, stamped with CurrentGroup, and registers them for streaming. Drops the cached
  /// prototypes of `resource` so they are read afresh.
  void RegActions(const String& category, const std::vector<TClass>& classes, TClass resource);
  /// Empties every entry of the classes; drops every cached prototype instance.
  void UnRegActions(const std::vector<TClass>& classes);
  /// Empties every entry stamped with `group`.
  void FreeGroup(Integer group);
  /// Calls `proc` for each registered class of the framework (its BaseActionClass or a
  /// descendant), in category and registration order. Nothing without such a framework.
  /// Categories left with no live entry lose their entries.
  void EnumActions(const TEnumActionProc& proc, void* info, const String& frameworkType);
  /// A new action owned by `owner` with the settings of its class's prototype, when the class
  /// was registered with a resource that has one (matched by class name, ignoring case).
  /// Raises EActionError (sActionBaseClassError) for a class that is not a TContainedAction;
  /// an exception of the resource's constructor passes after the action was made.
  TBasicAction* CreateAction(TComponent* owner, TClass actionClass, const String& frameworkType);

  /// The name is trimmed and upper-cased. Raises EActionError for an empty name
  /// (sInvalidStringConstant), no class (sParamIsNil) or a name taken by another class
  /// (sFrameworkAlreadyRegistered); the same class again changes nothing.
  void RegisterActionsInFramework(const String& frameworkType, TIDEActionsClass ideActions);
  void UnregisterActionsInFramework(const String& frameworkType);
  /// Null for an empty or unknown name.
  TIDEActionsClass GetIDEActions(const String& frameworkType) const;
  /// The framework whose BaseActionListClass the list's class descends from (the last in name
  /// order); `frameworkType` becomes its name. Without a list or frameworks, the active
  /// project's framework.
  TIDEActionsClass GetIDEActions(TCustomActionList* actionList, String& frameworkType) const;
  /// Fills `list` with the framework names and their classes; raises EActionError
  /// (sParamIsNil) for a null list.
  Integer GetIDEActionsList(TStrings* list) const;

  const std::vector<TActionCategory>& Categories() const noexcept { return FCategories; }
  Integer FrameworkCount() const;
  /// The cached prototype holder of a resource class, or null.
  TComponent* CachedResource(TClass resource) const;
  /// Frees the cached prototype holders.
  void ClearResources();
  /// Back to empty: no prototypes, frameworks or categories.
  void Clear();

private:
  struct TFreeDeleter {
    void operator()(TComponent* c) const;
  };
  TComponent* ResourceInstance(TClass resource);
  void Changed() const;

  std::vector<TActionCategory> FCategories;
  std::unique_ptr<TStringList> FFrameworks; // exists while a framework is registered
  std::unordered_map<TClass, std::unique_ptr<TComponent, TFreeDeleter>> FResources;
};

/// The package's registry, made on first use.
TActionRegistry& ActionRegistry();

/// The base from which the designer makes a unique name for a new action: for a contained
/// action, "T" + its category without spaces + its class name less the leading "T", `category`
/// and its own category, each stripped only when more than two characters would remain.
String GetNewActionName(TBasicAction* action, const String& category);
/// The framework type of the host's active project; empty without one.
String GetFrameworkType();

void RegisterActionsInFramework(const String& frameworkType, TIDEActionsClass ideActions);
void UnregisterActionsInFramework(const String& frameworkType);
TIDEActionsClass GetIDEActions(const String& frameworkType);
TIDEActionsClass GetIDEActions(TCustomActionList* actionList, String& frameworkType);
Integer GetIDEActionsList(TStrings* list);

/// Start-up fills the action unit's hooks and follows package unloading; shut-down empties
/// them, drops the cached prototypes, the frameworks and the categories.
void ActionRegistryStartup();
void ActionRegistryShutdown();

} // namespace fw
