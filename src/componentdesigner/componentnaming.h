// Naming of designed components: the numbered names given to new components and the component
// information (TCompInfo) the source module gets when a component or the module is renamed. The
// rename rules themselves are TComponentRoot::ValidateRename (defined in componentnaming.cpp).
#pragma once

#include "basert/component.h"
#include "basert/sysutils.h"
#include "designintf/designhost.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fw {

struct IInternalRoot;

inline constexpr std::string_view sRenamingAncestor =
    "Cannot rename component %s, component was introduced in an ancestor form";
inline constexpr std::string_view sComponentAlreadyExists =
    "A component named %s already exists in a descendant module";
inline constexpr std::string_view sRootMustHaveName = "Root component must have a name";
inline constexpr std::string_view sAncestorClassName =
    "Cannot rename a module to the same name as one of its ancestors (%s)";

/// The part of a class name that numbered names start with: "TButton" gives "Button"; a name
/// that does not begin with an upper-case "T", or is one character long, is kept ("tButton",
/// "T"). At most 255 characters are kept.
String UniqueNameStem(std::string_view baseName);

/// A name in a designed module stopped being used (a component was removed or renamed, a
/// module closed): every module's remembered numbering starts over. Package-wide, because a
/// name freed in a descendant module frees it for its ancestors too.
void NamesReleased() noexcept;

/// Finds the smallest free numbered name of a stem. Remembers, per stem, the number below which
/// every name was taken, so a run of creations costs one look-up each instead of one per
/// component already there; what it remembers is dropped when NamesReleased is called.
class TUniqueNameIndex {
public:
  using TTakenFunc = std::function<bool(const String& name)>;
  /// stem + n for the smallest n >= 1 for which `taken` answers false.
  String UniqueName(std::string_view baseName, const TTakenFunc& taken);
  /// Told that a component now has `name`: when it is the last name answered, the next request
  /// for its stem need not ask whether it is taken.
  void Given(std::string_view name);
  void Clear() noexcept { FNext.clear(); }

private:
  std::unordered_map<String, Integer, TextHash, TextEqual> FNext;
  std::uint64_t FGeneration = 0;
  String FAnswered; // the last name answered, until it is given
  std::size_t FAnsweredStem = 0;
  Integer FAnsweredNumber = 0;
};

/// A designed persistent as the source module sees it: its class, its event properties (sorted
/// by name) with the handlers they name, and its sub-objects (persistent properties that are
/// not references to other components, and the items of a collection).
class TCompInfo : public TInterfacedObject, public ICompInfo {
  FW_CLASS(TCompInfo)
public:
  /// `root` may be null: then no event counts as naming a handler and ClearEvent only clears.
  TCompInfo(const IPtr<IInternalRoot>& root, TPersistent* instance);

  String GetClassName() override;
  /// "Unit.TClass", or the class name alone when the class has no unit.
  String GetQualifiedClassName() override;
  IPtr<IDesignObject> GetComponentHandle() override;
  String GetNamePath() override;
  Integer GetEventCount() override;
  /// Null out of range, as are the other event accessors' empty answers.
  PPropInfo GetEventInfo(Integer index) override;
  String GetEventName(Integer index) override;
  IPtr<IEventInfo> GetIEventInfo(Integer index) override;
  /// The handler's name when the event holds a method of the module's root component.
  String GetEventValue(Integer index) override;
  /// Back to the inherited handler when the module can revert it, else none; then Modified.
  void ClearEvent(Integer index) override;
  Integer GetSubInfoCount() override;
  /// Null for a sub-object whose property holds nothing.
  IPtr<ICompInfo> GetSubInfo(Integer index) override;

private:
  const std::vector<PPropInfo>& Events();
  void LoadSubObjects();
  IPtr<IInternalRoot> FRoot;
  TPersistent* FInstance;
  std::vector<PPropInfo> FList;
  std::vector<TPersistent*> FSubList;
  bool FEventsLoaded = false;
  bool FSubLoaded = false;
};

} // namespace fw
