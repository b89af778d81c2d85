// Property categories: which category a published property belongs to, which categories the
// inspector shows, and the hidden set kept by the host from one run to the next.
#pragma once

#include "basert/masks.h"
#include "basert/strings.h"
#include "designintf/designintf.h"

#include <initializer_list>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace fw {

// ---- Resource strings ------------------------------------------------------------------------

inline constexpr std::string_view sNilFilter = "A property filter must not be nil";

/// Places properties into a category by name mask. The base filter knows only names.
class TPropertyFilter {
public:
  /// An empty `filter` matches every name. Raises EMaskException (sInvalidMask) for a malformed
  /// mask such as an unclosed "[".
  TPropertyFilter(const String& filter, Integer group);
  virtual ~TPropertyFilter();
  TPropertyFilter(const TPropertyFilter&) = delete;
  TPropertyFilter& operator=(const TPropertyFilter&) = delete;

  /// The name test only: no mask, or the mask matches `propertyName` ignoring case.
  virtual bool Match(const String& propertyName, const IPtr<IDesignObject>& object,
                     const IPtr<IProperty>& property) const;
  /// The package group that registered the filter; -1 for one no group owns.
  Integer Group() const noexcept { return FGroup; }
  const String& FilterText() const noexcept { return FText; }
  bool HasMask() const noexcept { return FMask != nullptr; }

protected:
  bool NameMatches(const String& propertyName) const;

private:
  String FText;
  std::unique_ptr<TMask> FMask; ///< null for an empty text
  bool FLiteral = false;        ///< the mask has no wildcard: a case-blind comparison serves
  Integer FGroup;
};

/// A filter that can also require a class of object and a type of property.
class TComponentPropertyFilter : public TPropertyFilter {
public:
  /// Stamped with CurrentGroup. Raises EMaskException for a malformed name mask.
  TComponentPropertyFilter(const String& propertyName, TClass componentClass,
                           PTypeInfo propertyType);

  /// With an empty `propertyName` the editor's name is used. No match for an object that is not
  /// an IDesignPersistent. The type is the editor's, else that of the object's property of that
  /// name (none when it has no such property).
  bool Match(const String& propertyName, const IPtr<IDesignObject>& object,
             const IPtr<IProperty>& property) const override;
  /// Every applicable test must hold: the name mask; with a filter class, `aClass` is it or a
  /// descendant; with a filter type, `aType` is it, or both are class types and `aType`'s class
  /// descends from the filter's.
  bool Match(const String& propertyName, TClass aClass, PTypeInfo aType) const;

  TClass ComponentClass() const noexcept { return FComponentClass; }
  PTypeInfo PropertyType() const noexcept { return FPropertyType; }

private:
  TClass FComponentClass;
  PTypeInfo FPropertyType;
};

class TPropertyCategory {
public:
  /// Stamped with CurrentGroup; enabled and visible.
  explicit TPropertyCategory(const String& name);
  ~TPropertyCategory();
  TPropertyCategory(const TPropertyCategory&) = delete;
  TPropertyCategory& operator=(const TPropertyCategory&) = delete;

  /// Takes ownership and puts the filter first; answers it. Raises EArgumentException for null.
  TPropertyFilter* Add(std::unique_ptr<TPropertyFilter> filter);
  /// Removes and frees the filter; one this category does not hold is left alone.
  void Remove(TPropertyFilter* filter);
  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }
  /// Newest first; raises EListError for an index out of range.
  TPropertyFilter* GetFilter(Integer index) const;
  void ClearMatches() noexcept { FMatchCount = 0; }
  /// Removes and frees every filter of the group.
  void FreeEditorGroup(Integer group);

  /// Class-based: a missing type is taken from the property of that name on `aClass`; only
  /// TComponentPropertyFilter filters are asked. A match counts one.
  bool Match(const String& propertyName, TClass aClass, PTypeInfo aType = nullptr);
  /// Object-based: every filter is asked. A match counts one.
  bool Match(const String& propertyName, const IPtr<IDesignObject>& object,
             const IPtr<IProperty>& property);

  const String& Name() const noexcept { return FName; }
  Integer Group() const noexcept { return FGroup; }
  /// Matches counted since the last ClearMatches.
  Integer MatchCount() const noexcept { return FMatchCount; }
  bool Visible() const noexcept { return FVisible; }
  void SetVisible(bool v) noexcept { FVisible = v; }
  bool Enabled() const noexcept { return FEnabled; }
  void SetEnabled(bool v) noexcept { FEnabled = v; }
  /// Kept for the host; this unit does not use it.
  const IPtr<IProperty>& Editor() const noexcept { return FEditor; }
  void SetEditor(const IPtr<IProperty>& editor) { FEditor = editor; }

private:
  friend class TPropertyCategoryList;
  /// The class-based match once the type has been resolved (it may stay null).
  bool MatchResolved(const String& propertyName, TClass aClass, PTypeInfo aType);

  std::vector<std::unique_ptr<TPropertyFilter>> FList; // oldest first: index from the back
  Integer FMatchCount = 0;
  IPtr<IProperty> FEditor;
  bool FEnabled = true;
  Integer FGroup;
  String FName;
  bool FVisible = true;
};

enum TPropertyCategoryVisibleMode { pcvAll, pcvToggle, pcvNone, pcvNotListed, pcvOnlyListed };

/// The categories, newest first, with the miscellaneous catch-all.
class TPropertyCategoryList {
public:
  /// Makes the miscellaneous category with its two catch-all filters, then loads the hidden set.
  TPropertyCategoryList();
  ~TPropertyCategoryList();
  TPropertyCategoryList(const TPropertyCategoryList&) = delete;
  TPropertyCategoryList& operator=(const TPropertyCategoryList&) = delete;

  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }
  /// Newest first; raises EListError for an index out of range.
  TPropertyCategory* GetCategory(Integer index) const;
  /// Exact, case-sensitive; -1 when absent.
  Integer IndexOf(const String& name) const;
  /// The category of that name, made (first in the list, hidden when the hidden set names it)
  /// when absent.
  TPropertyCategory* FindCategory(const String& name);
  TPropertyCategory* MiscCategory() const noexcept { return FMiscCategory; }
  void ClearMatches() noexcept;

  /// Sets each category's visibility by the mode (names compare exactly). A category changes
  /// only when it has matches counted since the last ClearMatches. True when any changed.
  bool ChangeVisibility(TPropertyCategoryVisibleMode mode);
  bool ChangeVisibility(TPropertyCategoryVisibleMode mode, std::span<const String> names);
  bool ChangeVisibility(TPropertyCategoryVisibleMode mode, std::initializer_list<String> names);

  /// Removes the categories the group made and the group's filters from the others. The
  /// miscellaneous category stays and keeps its catch-alls, but loses the group's other filters.
  void FreeEditorGroup(Integer group);

  /// Reads the hidden set from GetHiddenCategoriesProc when it is set, then shows exactly the
  /// categories it does not name.
  void LoadHiddenCategories();
  /// Rebuilds the hidden set from the hidden categories (in list order) and hands its comma
  /// text to SetHiddenCategoriesProc when it is set. Names with blanks, commas or quotes are
  /// quoted, so they come back whole.
  void SaveHiddenCategories();
  const TStringList& HiddenCategories() const noexcept { return FHiddenCategories; }

  /// Whether the inspector shows the property: asks the categories newest first (each one asked
  /// counts a match); true at the first visible one that matches, false when only hidden ones
  /// match; when none does, the miscellaneous category decides.
  bool Match(const String& propertyName, TClass aClass, PTypeInfo aType = nullptr);
  bool Match(const String& propertyName, const IPtr<IDesignObject>& object,
             const IPtr<IProperty>& property);

private:
  bool IsHidden(const String& name) const;
  template <class Ask> bool MatchWith(Ask&& ask);

  std::vector<std::unique_ptr<TPropertyCategory>> FList; // oldest first: index from the back
  std::unordered_map<String, TPropertyCategory*> FByName;
  TPropertyCategory* FMiscCategory = nullptr;
  TPropertyFilter* FMiscNameFilter = nullptr; // the two catch-alls withdrawal must keep
  TPropertyFilter* FMiscComponentFilter = nullptr;
  TStringList FHiddenCategories;
};

/// The process-wide list, made on first use.
TPropertyCategoryList& PropertyCategoryList();

/// The RegisterPropertyInCategoryProc hook: a TComponentPropertyFilter in the named category.
/// A malformed name mask raises EMaskException and changes nothing.
void RegisterPropertyInCategoryImpl(const String& categoryName, TClass componentClass,
                                    PTypeInfo propertyType, const String& propertyName);

/// The class-based match of the named category (made when absent).
bool IsPropertyInCategory(const String& categoryName, TClass aClass, const String& propertyName);
/// As above with the class found by name; raises EClassNotFound, before anything changes, for
/// a class that is not registered.
bool IsPropertyInCategory(const String& categoryName, const String& className,
                          const String& propertyName);

/// Host procedures behind the hidden set: one comma-separated string of category names.
using TGetHiddenCategoriesProc = String (*)();
using TSetHiddenCategoriesProc = void (*)(const String& value);
extern TGetHiddenCategoriesProc GetHiddenCategoriesProc;
extern TSetHiddenCategoriesProc SetHiddenCategoriesProc;

/// Start-up: fills RegisterPropertyInCategoryProc and joins the group-change list. Shut-down
/// empties the hook, leaves the list and frees the category list.
void PropertyCategoriesStartup();
void PropertyCategoriesShutdown();

} // namespace fw
