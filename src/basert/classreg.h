// The class registry (classes found by name when streams are read) and class groups, which keep
// the classes of different GUI frameworks apart.
#pragma once

#include "basert/fwd.h"
#include "basert/types.h"

#include <initializer_list>
#include <span>
#include <string_view>

namespace fw {

/// Registers a persistent class (and its ancestors up to TPersistent) in the class group it
/// belongs to. Registering the same class again does nothing; another class of the same name in
/// that group raises EFilerError ("A class named %s already exists").
void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
/// Registers a class under another name (aliases are looked up like class names).
void RegisterClassAlias(TClass cls, const String& alias);
void UnRegisterClass(TClass cls);
void UnRegisterClasses(std::initializer_list<TClass> classes);
/// Withdraws every name (classes, their ancestors and aliases) registered while `group` was
/// CurrentGroup; the host calls it when it unloads that package.
void UnRegisterGroupClasses(Integer group);

/// The IDE's palette hook: given the page and the classes of each RegisterComponents call.
using TRegisterComponentsProc = void (*)(const String& page, std::span<const TClass> classes);
extern TRegisterComponentsProc RegisterComponentsProc;
/// Registers the classes for streaming and hands them to RegisterComponentsProc for the
/// palette page; without a hook only the streaming registration happens.
void RegisterComponents(const String& page, std::span<const TClass> classes);
void RegisterComponents(const String& page, std::initializer_list<TClass> classes);
/// The design-time hook of RegisterNoIcon: the classes are components without a palette icon.
using TRegisterNoIconProc = void (*)(std::span<const TClass> classes);
extern TRegisterNoIconProc RegisterNoIconProc;
/// Hands the classes to RegisterNoIconProc (nothing without a hook): at design time their
/// instances are not shown on a designed module.
void RegisterNoIcon(std::span<const TClass> classes);
void RegisterNoIcon(std::initializer_list<TClass> classes);
/// The registered class of that name (ignoring case), looked up in the active group and then in
/// the TPersistent group; null when none.
TClass GetClass(std::string_view name);
/// As GetClass, but raises EClassNotFound ("Class %s not found").
TClass FindClass(std::string_view name);

/// Makes a new class group whose group class is `groupClass`; classes descending from it
/// register into it from now on. Does nothing when that group exists.
void StartClassGroup(TClass groupClass);
/// Puts the descendants of `cls` into the group that `groupClass` belongs to.
void GroupDescendentsWith(TClass cls, TClass groupClass);
/// The group class of the group `cls` belongs to (TPersistent's group for ordinary classes).
TClass ClassGroupOf(TClass cls);
TClass ClassGroupOf(const TObject* instance);
/// Makes the group of `groupClass` the active one for lookups; answers the previously active
/// group's class.
TClass ActivateClassGroup(TClass groupClass);
/// The active group's class.
TClass ActiveClassGroup();

/// Looks classes up by name in one class group (the group of the class it is made for) and the
/// TPersistent group, independently of which group is active.
class TClassFinder {
public:
  /// With `includeActiveGroup`, the active group is searched as well.
  explicit TClassFinder(TClass cls = nullptr, bool includeActiveGroup = false);
  /// The registered class of that name, or null.
  TClass GetClass(std::string_view name) const;
  /// As GetClass, but raises EClassNotFound.
  TClass FindClass(std::string_view name) const;
  TClass GroupClass() const noexcept { return FGroupClass; }

private:
  TClass FGroupClass;
  bool FIncludeActive;
};

/// The package group registrations are stamped with; design packages get a fresh number while
/// they load. 0 is the environment's own.
extern Integer CurrentGroup;

inline constexpr std::string_view sDuplicateClass = "A class named %s already exists";
inline constexpr std::string_view sClassNotFound = "Class %s not found";

} // namespace fw
