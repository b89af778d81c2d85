#include "designeditors/propcategories.h"

#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/object.h"
#include "basert/sysutils.h"
#include "basert/typinfo.h"
#include "designeditors/editorregistry.h"

#include <algorithm>

namespace fw {

TGetHiddenCategoriesProc GetHiddenCategoriesProc = nullptr;
TSetHiddenCategoriesProc SetHiddenCategoriesProc = nullptr;

namespace {

constexpr bool IsWildcard(char c) { return c == '*' || c == '?' || c == '['; }

/// The type of a class's property of that name; null when the class has none.
PTypeInfo PropertyTypeOf(TClass cls, const String& name) {
  if (!cls || !cls->TypeInfo) return nullptr;
  PPropInfo p = GetPropInfo(cls->TypeInfo, name);
  return p ? p->PropType() : nullptr;
}

/// Index i of a list kept oldest first, counted newest first.
template <class T> T* AtFromBack(const std::vector<std::unique_ptr<T>>& v, Integer index) {
  if (index < 0 || static_cast<std::size_t>(index) >= v.size())
    throw EListError(Format(sListIndexError, {index}));
  return v[v.size() - 1 - static_cast<std::size_t>(index)].get();
}

} // namespace

// ---- Filters -------------------------------------------------------------------------------

TPropertyFilter::TPropertyFilter(const String& filter, Integer group)
    : FText(filter), FGroup(group) {
  if (FText.empty()) return;
  FMask = std::make_unique<TMask>(FText); // raises before the filter exists
  FLiteral = std::none_of(FText.begin(), FText.end(), IsWildcard);
}

TPropertyFilter::~TPropertyFilter() = default;

bool TPropertyFilter::NameMatches(const String& propertyName) const {
  if (!FMask) return true;
  if (FLiteral) return SameText(propertyName, FText);
  return FMask->Matches(propertyName);
}

bool TPropertyFilter::Match(const String& propertyName, const IPtr<IDesignObject>&,
                            const IPtr<IProperty>&) const {
  return NameMatches(propertyName);
}

TComponentPropertyFilter::TComponentPropertyFilter(const String& propertyName,
                                                   TClass componentClass, PTypeInfo propertyType)
    : TPropertyFilter(propertyName, CurrentGroup), FComponentClass(componentClass),
      FPropertyType(propertyType) {}

bool TComponentPropertyFilter::Match(const String& propertyName, TClass aClass,
                                     PTypeInfo aType) const {
  if (FComponentClass && (!aClass || !aClass->InheritsFrom(FComponentClass))) return false;
  if (FPropertyType && aType != FPropertyType) {
    if (!aType || aType->Kind != kindClass || FPropertyType->Kind != kindClass) return false;
    TClass have = aType->Data.ClassType;
    TClass want = FPropertyType->Data.ClassType;
    if (!have || !want || !have->InheritsFrom(want)) return false;
  }
  return NameMatches(propertyName);
}

bool TComponentPropertyFilter::Match(const String& propertyName, const IPtr<IDesignObject>& object,
                                     const IPtr<IProperty>& property) const {
  const String name = propertyName.empty() && property ? property->GetName() : propertyName;
  // The name test first: it is what rejects nearly every filter, and it costs no lookups.
  if (!NameMatches(name)) return false;
  IPtr<IDesignPersistent> persistent;
  if (!object || !Supports(object, &persistent)) return false;
  TPersistent* instance = persistent->GetPersistent();
  TClass cls = instance ? instance->ClassType() : nullptr;
  PTypeInfo type = property ? property->GetPropType() : PropertyTypeOf(cls, name);
  return Match(name, cls, type);
}

// ---- Categories ----------------------------------------------------------------------------

TPropertyCategory::TPropertyCategory(const String& name) : FGroup(CurrentGroup), FName(name) {}

TPropertyCategory::~TPropertyCategory() = default;

TPropertyFilter* TPropertyCategory::Add(std::unique_ptr<TPropertyFilter> filter) {
  if (!filter) throw EArgumentException(sNilFilter);
  FList.push_back(std::move(filter));
  return FList.back().get();
}

void TPropertyCategory::Remove(TPropertyFilter* filter) {
  auto it =
      std::find_if(FList.begin(), FList.end(), [&](const auto& f) { return f.get() == filter; });
  if (it != FList.end()) FList.erase(it);
}

TPropertyFilter* TPropertyCategory::GetFilter(Integer index) const {
  return AtFromBack(FList, index);
}

void TPropertyCategory::FreeEditorGroup(Integer group) {
  std::erase_if(FList, [&](const auto& f) { return f->Group() == group; });
}

bool TPropertyCategory::MatchResolved(const String& propertyName, TClass aClass, PTypeInfo aType) {
  for (auto it = FList.rbegin(); it != FList.rend(); ++it) {
    // Only filters that know about classes can judge a class; plain ones wait for an object.
    auto* f = dynamic_cast<const TComponentPropertyFilter*>(it->get());
    if (f && f->Match(propertyName, aClass, aType)) {
      ++FMatchCount;
      return true;
    }
  }
  return false;
}

bool TPropertyCategory::Match(const String& propertyName, TClass aClass, PTypeInfo aType) {
  if (!aType && aClass) aType = PropertyTypeOf(aClass, propertyName);
  return MatchResolved(propertyName, aClass, aType);
}

bool TPropertyCategory::Match(const String& propertyName, const IPtr<IDesignObject>& object,
                              const IPtr<IProperty>& property) {
  for (auto it = FList.rbegin(); it != FList.rend(); ++it)
    if ((*it)->Match(propertyName, object, property)) {
      ++FMatchCount;
      return true;
    }
  return false;
}

// ---- The list ------------------------------------------------------------------------------

TPropertyCategoryList::TPropertyCategoryList() {
  FHiddenCategories.SetCaseSensitive(true);
  FMiscCategory = FindCategory(String(sMiscellaneousCategoryName));
  FMiscNameFilter = FMiscCategory->Add(std::make_unique<TPropertyFilter>("", -1));
  FMiscComponentFilter =
      FMiscCategory->Add(std::make_unique<TComponentPropertyFilter>("", nullptr, nullptr));
  LoadHiddenCategories();
}

TPropertyCategoryList::~TPropertyCategoryList() = default;

TPropertyCategory* TPropertyCategoryList::GetCategory(Integer index) const {
  return AtFromBack(FList, index);
}

Integer TPropertyCategoryList::IndexOf(const String& name) const {
  auto found = FByName.find(name);
  if (found == FByName.end()) return -1;
  for (std::size_t i = FList.size(); i-- > 0;)
    if (FList[i].get() == found->second) return static_cast<Integer>(FList.size() - 1 - i);
  return -1;
}

bool TPropertyCategoryList::IsHidden(const String& name) const {
  return FHiddenCategories.IndexOf(name) >= 0;
}

TPropertyCategory* TPropertyCategoryList::FindCategory(const String& name) {
  if (auto found = FByName.find(name); found != FByName.end()) return found->second;
  auto category = std::make_unique<TPropertyCategory>(name);
  category->SetVisible(!IsHidden(name));
  TPropertyCategory* result = category.get();
  FList.push_back(std::move(category));
  FByName.emplace(name, result);
  return result;
}

void TPropertyCategoryList::ClearMatches() noexcept {
  for (auto& c : FList)
    c->ClearMatches();
}

bool TPropertyCategoryList::ChangeVisibility(TPropertyCategoryVisibleMode mode) {
  return ChangeVisibility(mode, std::span<const String>{});
}

bool TPropertyCategoryList::ChangeVisibility(TPropertyCategoryVisibleMode mode,
                                             std::initializer_list<String> names) {
  return ChangeVisibility(mode, std::span<const String>(names.begin(), names.size()));
}

bool TPropertyCategoryList::ChangeVisibility(TPropertyCategoryVisibleMode mode,
                                             std::span<const String> names) {
  auto listed = [&](const String& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  bool changed = false;
  for (auto it = FList.rbegin(); it != FList.rend(); ++it) {
    TPropertyCategory& c = **it;
    bool wanted = c.Visible();
    switch (mode) {
    case pcvAll:
      wanted = true;
      break;
    case pcvToggle:
      wanted = !c.Visible();
      break;
    case pcvNone:
      wanted = false;
      break;
    case pcvNotListed:
      wanted = !listed(c.Name());
      break;
    case pcvOnlyListed:
      wanted = listed(c.Name());
      break;
    }
    // Categories the inspector has not met in its current set of properties keep their state.
    if (wanted != c.Visible() && c.MatchCount() > 0) {
      c.SetVisible(wanted);
      changed = true;
    }
  }
  return changed;
}

void TPropertyCategoryList::FreeEditorGroup(Integer group) {
  // One pass that compacts the list: erasing one by one would move the tail once per category.
  std::erase_if(FList, [&](const std::unique_ptr<TPropertyCategory>& c) {
    if (c.get() == FMiscCategory) {
      // Filters of an unloaded package would point at its classes; the catch-alls stay.
      std::erase_if(c->FList, [&](const auto& f) {
        return f->Group() == group && f.get() != FMiscNameFilter && f.get() != FMiscComponentFilter;
      });
      return false;
    }
    if (c->Group() == group) {
      FByName.erase(c->Name());
      return true;
    }
    c->FreeEditorGroup(group);
    return false;
  });
}

void TPropertyCategoryList::LoadHiddenCategories() {
  if (GetHiddenCategoriesProc) FHiddenCategories.SetCommaText(GetHiddenCategoriesProc());
  for (auto& c : FList)
    c->SetVisible(!IsHidden(c->Name()));
}

void TPropertyCategoryList::SaveHiddenCategories() {
  FHiddenCategories.BeginUpdate();
  FHiddenCategories.Clear();
  for (auto it = FList.rbegin(); it != FList.rend(); ++it)
    if (!(*it)->Visible()) FHiddenCategories.Add((*it)->Name());
  FHiddenCategories.EndUpdate();
  if (SetHiddenCategoriesProc) SetHiddenCategoriesProc(FHiddenCategories.CommaText());
}

template <class Ask> bool TPropertyCategoryList::MatchWith(Ask&& ask) {
  bool matched = false;
  for (auto it = FList.rbegin(); it != FList.rend(); ++it) {
    TPropertyCategory& c = **it;
    if (&c == FMiscCategory || !ask(c)) continue;
    if (c.Visible()) return true;
    matched = true;
  }
  if (matched) return false;
  return FMiscCategory && ask(*FMiscCategory) && FMiscCategory->Visible();
}

bool TPropertyCategoryList::Match(const String& propertyName, TClass aClass, PTypeInfo aType) {
  if (!aType && aClass) aType = PropertyTypeOf(aClass, propertyName);
  return MatchWith(
      [&](TPropertyCategory& c) { return c.MatchResolved(propertyName, aClass, aType); });
}

bool TPropertyCategoryList::Match(const String& propertyName, const IPtr<IDesignObject>& object,
                                  const IPtr<IProperty>& property) {
  return MatchWith([&](TPropertyCategory& c) { return c.Match(propertyName, object, property); });
}

// ---- The package's list and hooks ----------------------------------------------------------

namespace {

std::unique_ptr<TPropertyCategoryList>& ListPtr() {
  static std::unique_ptr<TPropertyCategoryList> list;
  return list;
}

void WithdrawGroup(Integer group) {
  if (auto& list = ListPtr()) list->FreeEditorGroup(group);
}

} // namespace

TPropertyCategoryList& PropertyCategoryList() {
  auto& list = ListPtr();
  if (!list) list = std::make_unique<TPropertyCategoryList>();
  return *list;
}

void RegisterPropertyInCategoryImpl(const String& categoryName, TClass componentClass,
                                    PTypeInfo propertyType, const String& propertyName) {
  // The filter first: a malformed mask must not leave an empty category behind.
  auto filter =
      std::make_unique<TComponentPropertyFilter>(propertyName, componentClass, propertyType);
  PropertyCategoryList().FindCategory(categoryName)->Add(std::move(filter));
}

bool IsPropertyInCategory(const String& categoryName, TClass aClass, const String& propertyName) {
  return PropertyCategoryList().FindCategory(categoryName)->Match(propertyName, aClass);
}

bool IsPropertyInCategory(const String& categoryName, const String& className,
                          const String& propertyName) {
  TClass cls = FindClass(className);
  return IsPropertyInCategory(categoryName, cls, propertyName);
}

void PropertyCategoriesStartup() {
  RegisterPropertyInCategoryProc = &RegisterPropertyInCategoryImpl;
  NotifyGroupChange(&WithdrawGroup);
}

void PropertyCategoriesShutdown() {
  RegisterPropertyInCategoryProc = nullptr;
  UnnotifyGroupChange(&WithdrawGroup);
  ListPtr().reset();
}

} // namespace fw
