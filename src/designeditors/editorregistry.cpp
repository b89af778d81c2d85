#include "designeditors/editorregistry.h"

#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "basert/sysutils.h"
#include "designeditors/stdeditors.h"

#include <algorithm>
#include <array>

namespace fw {

TGetSelectionEditorsFunc GetSelectionEditorsProc = nullptr;
TFreeGroupProc FreeComponentEditorGroupProc = nullptr;
TFreeGroupProc FreeSelectionEditorGroupProc = nullptr;
TFreeGroupProc FreeComponentGuidelinesGroupProc = nullptr;

namespace {

using TStaticClassFunc = TClass (*)();

/// Default editor by type kind, in TTypeKind order.
constexpr std::array<TStaticClassFunc, TypeKindCount> DefaultEditors = {
    nullptr,                           // kindUnknown
    &TIntegerProperty::StaticClass,    // kindInteger
    &TCharProperty::StaticClass,       // kindChar
    &TEnumProperty::StaticClass,       // kindEnumeration
    &TFloatProperty::StaticClass,      // kindFloat
    &TStringProperty::StaticClass,     // kindShortString
    &TSetProperty::StaticClass,        // kindSet
    &TClassProperty::StaticClass,      // kindClass
    &TMethodProperty::StaticClass,     // kindMethod
    &TWideCharProperty::StaticClass,   // kindWideChar
    &TStringProperty::StaticClass,     // kindAnsiString
    &TWideStringProperty::StaticClass, // kindWideString
    &TVariantProperty::StaticClass,    // kindVariant
    nullptr,                           // kindArray
    nullptr,                           // kindRecord
    &TInterfaceProperty::StaticClass,  // kindInterface
    &TInt64Property::StaticClass,      // kindInt64
    nullptr,                           // kindDynArray
    &TStringProperty::StaticClass,     // kindUnicodeString
    nullptr,                           // kindClassRef
    nullptr,                           // kindPointer
    nullptr,                           // kindProcedure
};

bool IsClassType(PTypeInfo t) { return t && t->Kind == kindClass && t->Data.ClassType; }

/// True when interface type `t` is `ancestor` or descends from it.
bool InterfaceDescends(PTypeInfo t, PTypeInfo ancestor) {
  for (; t; t = t->Data.IntfParent)
    if (t == ancestor) return true;
  return false;
}

/// The ordering of property lists: names by CompareText.
int CompareNames(PPropInfo a, PPropInfo b) { return CompareText(a->Name, b->Name); }
bool SameProperty(PPropInfo a, PPropInfo b) {
  return a->PropType() == b->PropType() && SameText(a->Name, b->Name);
}

/// Calls `match(i, j)` for every entry a[i] that b has as b[j]; both are sorted by name.
template <class F>
void MergeMatches(const std::vector<PPropInfo>& a, const std::vector<PPropInfo>& b, F match) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const int c = CompareNames(a[i], b[j]);
    if (c < 0) {
      ++i;
    } else if (c > 0) {
      ++j;
    } else {
      if (a[i]->PropType() == b[j]->PropType()) match(i, j);
      ++i;
      ++j;
    }
  }
}

const std::vector<PPropInfo>& PropListOf(const TObject* obj, TTypeKinds filter) {
  static const std::vector<PPropInfo> none;
  if (!obj || !obj->ClassType()->TypeInfo) return none;
  return GetPropList(obj, filter, true);
}

/// An editor made through its class's virtual constructor, held by a counted reference.
struct TMadeEditor {
  IPtr<IInterface> Hold;
  TBasePropertyEditor* Base = nullptr;
  IPtr<IProperty> Prop;
};

TMadeEditor MakeEditor(TPropertyEditorClass cls, const IPtr<IDesigner>& designer, Integer count) {
  TObject* o = cls->Create<IPtr<IDesigner>, Integer>(designer, count);
  auto* base = dynamic_cast<TBasePropertyEditor*>(o);
  if (!base) {
    o->Free();
    throw EPropertyError(Format("%s is not a property editor class", cls->ClassName));
  }
  TMadeEditor e;
  e.Hold = IPtr<IInterface>(static_cast<IInterface*>(base));
  e.Base = base;
  e.Prop = QueryIntf<IProperty>(e.Hold);
  if (!e.Prop) throw EPropertyError(Format("%s does not implement IProperty", cls->ClassName));
  return e;
}

} // namespace

TPropertyEditorClass DefaultEditorClass(TTypeKind kind) {
  const auto f =
      static_cast<std::size_t>(kind) < DefaultEditors.size() ? DefaultEditors[kind] : nullptr;
  return f ? f() : nullptr;
}

// ---- TPropInfoList -----------------------------------------------------------------------------

TPropInfoList::TPropInfoList(const TObject* instance, TTypeKinds filter)
    : FList(PropListOf(instance, filter)) {}

void TPropInfoList::Delete(Integer index) {
  if (index < 0 || index >= Count()) throw EListError(Format(sListIndexError, index));
  FList.erase(FList.begin() + index);
}

bool TPropInfoList::Contains(PPropInfo prop) const {
  auto it = std::lower_bound(FList.begin(), FList.end(), prop,
                             [](PPropInfo a, PPropInfo b) { return CompareNames(a, b) < 0; });
  for (; it != FList.end() && CompareNames(*it, prop) == 0; ++it)
    if (SameProperty(*it, prop)) return true;
  return false;
}

void TPropInfoList::Intersect(const TPropInfoList& other) {
  std::vector<PPropInfo> kept;
  kept.reserve(FList.size());
  MergeMatches(FList, other.FList, [&](std::size_t i, std::size_t) { kept.push_back(FList[i]); });
  FList = std::move(kept);
}

// ---- The registry ------------------------------------------------------------------------------

struct TPropertyEditorRegistry::TEntry {
  TPropertyClassRec Rec;
  std::uint64_t Seq = 0; // larger: more recent
};

/// The buckets that can hold candidates for one type, merged newest first.
struct TPropertyEditorRegistry::TCandidates {
  struct TRun {
    const std::vector<TEntry*>* Bucket;
    std::size_t Left; // entries not yet taken, from the bucket's front
  };
  std::vector<TRun> Runs;
  /// The most recent entry not yet taken, or null.
  TEntry* Next() {
    TRun* best = nullptr;
    for (TRun& r : Runs)
      if (r.Left && (!best || (*r.Bucket)[r.Left - 1]->Seq > (*best->Bucket)[best->Left - 1]->Seq))
        best = &r;
    if (!best) return nullptr;
    return (*best->Bucket)[--best->Left];
  }
};

TPropertyEditorRegistry::TPropertyEditorRegistry() = default;
TPropertyEditorRegistry::~TPropertyEditorRegistry() = default;

const void* TPropertyEditorRegistry::KeyOf(PTypeInfo type) {
  return IsClassType(type) ? static_cast<const void*>(type->Data.ClassType)
                           : static_cast<const void*>(type);
}

void TPropertyEditorRegistry::Candidates(PTypeInfo type, TCandidates& out) const {
  auto add = [&](const void* key) {
    auto it = FByKey.find(key);
    if (it != FByKey.end()) out.Runs.push_back({&it->second, it->second.size()});
  };
  if (IsClassType(type)) {
    for (TClass c = type->Data.ClassType; c; c = c->Parent)
      add(c);
  } else if (type && type->Kind == kindInterface) {
    for (PTypeInfo t = type; t; t = t->Data.IntfParent)
      add(t);
  } else {
    add(type);
  }
}

void TPropertyEditorRegistry::RegisterPropertyEditor(PTypeInfo propertyType, TClass componentClass,
                                                     const String& propertyName,
                                                     TPropertyEditorClass editorClass) {
  auto e = std::make_unique<TEntry>();
  e->Rec.Group = CurrentGroup;
  e->Rec.PropertyType = propertyType;
  if (componentClass) e->Rec.PropertyName = propertyName;
  e->Rec.ComponentClass = componentClass;
  e->Rec.EditorClass = editorClass;
  e->Seq = ++FNextSeq;
  FByKey[KeyOf(propertyType)].push_back(e.get());
  FEntries.push_back(std::move(e));
}

void TPropertyEditorRegistry::SetPropertyEditorGroup(TPropertyEditorClass editorClass,
                                                     TPersistentClass groupClass) {
  for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it)
    if ((*it)->Rec.EditorClass == editorClass) {
      (*it)->Rec.ClassGroup = ClassGroupOf(groupClass);
      return;
    }
}

void TPropertyEditorRegistry::RegisterPropertyMapper(TPropertyMapperFunc mapper) {
  FMappers.push_back({CurrentGroup, mapper});
}

TPropertyEditorClass TPropertyEditorRegistry::GetEditorClass(PPropInfo propInfo,
                                                             TPersistent* obj) const {
  if (!propInfo) return nullptr;
  for (auto it = FMappers.rbegin(); it != FMappers.rend(); ++it)
    if (it->Mapper)
      if (TPropertyEditorClass c = it->Mapper(obj, propInfo)) return c;

  PTypeInfo type = propInfo->PropType();
  TCandidates candidates;
  Candidates(type, candidates);
  const TPropertyClassRec* best = nullptr;
  TClass objGroup = nullptr;
  bool objGroupKnown = false;
  while (TEntry* e = candidates.Next()) {
    const TPropertyClassRec& r = e->Rec;
    if (r.ComponentClass && !(obj && obj->InheritsFrom(r.ComponentClass))) continue;
    if (r.ClassGroup) {
      if (!objGroupKnown) {
        objGroup = obj ? ClassGroupOf(obj) : nullptr;
        objGroupKnown = true;
      }
      if (r.ClassGroup != objGroup) continue;
    }
    if (!r.PropertyName.empty() && !SameText(r.PropertyName, propInfo->Name)) continue;
    if (!best) {
      best = &r;
      continue;
    }
    const TPropertyClassRec& b = *best;
    bool replace;
    if (!b.ComponentClass && r.ComponentClass)
      replace = true;
    else if (b.PropertyName.empty() && !r.PropertyName.empty())
      replace = true;
    else if (b.PropertyType != type && r.PropertyType == type)
      replace = true;
    else if (b.PropertyType != r.PropertyType && IsClassType(b.PropertyType) &&
             IsClassType(r.PropertyType) &&
             r.PropertyType->Data.ClassType->InheritsFrom(b.PropertyType->Data.ClassType))
      replace = true;
    else if (b.PropertyType != r.PropertyType && b.PropertyType->Kind == kindInterface &&
             r.PropertyType->Kind == kindInterface &&
             InterfaceDescends(r.PropertyType, b.PropertyType))
      replace = true;
    else if (!b.ComponentClass || !r.ComponentClass || b.ComponentClass == r.ComponentClass)
      replace = false;
    else
      replace = r.ComponentClass->InheritsFrom(b.ComponentClass);
    if (replace) best = &r;
  }
  if (best) return best->EditorClass;
  return type ? DefaultEditorClass(type->Kind) : nullptr;
}

void TPropertyEditorRegistry::FreeGroup(Integer group) {
  FreeEditors(group);
  FreeMappers(group);
}

void TPropertyEditorRegistry::FreeEditors(Integer group) {
  for (auto it = FByKey.begin(); it != FByKey.end();) {
    std::erase_if(it->second, [group](const TEntry* e) { return e->Rec.Group == group; });
    it = it->second.empty() ? FByKey.erase(it) : std::next(it);
  }
  std::erase_if(FEntries,
                [group](const std::unique_ptr<TEntry>& e) { return e->Rec.Group == group; });
}

void TPropertyEditorRegistry::FreeMappers(Integer group) {
  std::erase_if(FMappers, [group](const TPropertyMapperRec& m) { return m.Group == group; });
}

std::vector<const TPropertyClassRec*> TPropertyEditorRegistry::Records() const {
  std::vector<const TPropertyClassRec*> r;
  r.reserve(FEntries.size());
  for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it)
    r.push_back(&(*it)->Rec);
  return r;
}

std::vector<TPropertyMapperRec> TPropertyEditorRegistry::Mappers() const {
  return {FMappers.rbegin(), FMappers.rend()};
}

void TPropertyEditorRegistry::GetComponentProperties(
    const IPtr<IDesignerSelections>& objects, TTypeKinds filter, const IPtr<IDesigner>& designer,
    const TGetPropProc& proc, const TPropertyEditorFilterFunc& editorFilter) const {
  if (!objects) return;
  const Integer count = objects->GetCount();
  if (count == 0) return;

  // Selection editors that want to trim the list.
  std::vector<IPtr<ISelectionPropertyFilter>> filters;
  if (designer && GetSelectionEditorsProc) {
    IPtr<IDesignerSelections> current = CreateSelectionList();
    designer->GetSelections(current);
    if (IPtr<ISelectionEditorList> editors = GetSelectionEditorsProc(designer, current))
      for (Integer i = 0, n = editors->GetCount(); i < n; ++i) {
        IPtr<ISelectionPropertyFilter> f;
        if (Supports(editors->Get(i), &f)) filters.push_back(std::move(f));
      }
  }

  std::vector<TPersistent*> objs(static_cast<std::size_t>(count));
  for (Integer j = 0; j < count; ++j) {
    objs[static_cast<std::size_t>(j)] = objects->Get(j);
    if (!objs[static_cast<std::size_t>(j)])
      throw EArgumentException("A selection passed to GetComponentProperties holds nil");
  }
  TPersistent* const first = objs[0];
  const TClass firstClass = first->ClassType();

  // The first object's properties that an editor would show.
  std::vector<PPropInfo> list = PropListOf(first, filter);
  for (std::size_t k = list.size(); k-- > 0;) {
    PPropInfo p = list[k];
    bool keep = false;
    if (TPropertyEditorClass cls = GetEditorClass(p, first)) {
      TMadeEditor e = MakeEditor(cls, designer, 1);
      e.Base->SetPropEntry(0, first, p);
      e.Base->Initialize();
      keep = p->HasRead() &&
             (GShowReadOnlyProps || p->PropType()->Kind == kindClass || p->HasWrite()) &&
             (count == 1 || e.Prop->GetAttributes().Contains(paMultiSelect)) &&
             e.Prop->ValueAvailable() && (!editorFilter || editorFilter(e.Prop));
    }
    if (!keep) list.erase(list.begin() + static_cast<std::ptrdiff_t>(k));
  }

  // Keep what every class of the selection has; objects of one class share their lists.
  std::unordered_map<TClass, std::vector<PPropInfo>> aligned;
  for (TPersistent* o : objs) {
    const TClass cls = o->ClassType();
    if (cls == firstClass || aligned.contains(cls)) continue;
    const std::vector<PPropInfo>& theirs = PropListOf(o, filter);
    std::vector<PPropInfo> kept;
    kept.reserve(list.size());
    MergeMatches(list, theirs, [&](std::size_t i, std::size_t) { kept.push_back(list[i]); });
    list = std::move(kept);
    aligned.emplace(cls, std::vector<PPropInfo>());
  }
  for (auto& item : aligned) {
    const TClass cls = item.first;
    std::vector<PPropInfo>& entries = item.second;
    TPersistent* sample = *std::find_if(
        objs.begin(), objs.end(), [cls](TPersistent* o) { return o->ClassType() == cls; });
    const std::vector<PPropInfo>& theirs = PropListOf(sample, filter);
    entries.resize(list.size());
    MergeMatches(list, theirs, [&](std::size_t i, std::size_t j) { entries[i] = theirs[j]; });
  }

  // Without mappers the editor class depends on the object's class only.
  const bool byClass = FMappers.empty();
  IPtr<IInterfaceList> gathered;
  if (!filters.empty()) gathered = IPtr<IInterfaceList>(New<TInterfaceList>());

  std::unordered_map<TClass, TPropertyEditorClass> classEditors;
  for (std::size_t i = 0; i < list.size(); ++i) {
    PPropInfo p = list[i];
    TPropertyEditorClass cls = GetEditorClass(p, first);
    if (!cls) continue;
    TMadeEditor e = MakeEditor(cls, designer, count);
    bool dropped = false;
    classEditors.clear();
    for (Integer j = 0; j < count && !dropped; ++j) {
      TPersistent* o = objs[static_cast<std::size_t>(j)];
      const TClass oc = o->ClassType();
      PPropInfo entry = p;
      if (oc != firstClass) {
        entry = aligned[oc][i];
        TPropertyEditorClass theirs;
        if (auto it = classEditors.find(oc); byClass && it != classEditors.end()) {
          theirs = it->second;
        } else {
          theirs = GetEditorClass(entry, o);
          if (byClass) classEditors.emplace(oc, theirs);
        }
        if (theirs != cls) {
          dropped = true;
          break;
        }
      }
      e.Base->SetPropEntry(j, o, entry);
    }
    if (dropped) continue;
    e.Base->Initialize();
    if (!e.Prop->ValueAvailable()) continue;
    if (gathered)
      gathered->Add(IPtr<IInterface>(e.Prop.get()));
    else
      proc(e.Prop);
  }

  if (gathered) {
    for (const auto& f : filters)
      f->FilterProperties(objects, gathered);
    for (Integer i = 0; i < gathered->GetCount(); ++i)
      if (IPtr<IProperty> prop = QueryIntf<IProperty>(gathered->Get(i))) proc(prop);
  }
}

// ---- Global registry, hooks and groups ----------------------------------------------------------

namespace {

std::unique_ptr<TPropertyEditorRegistry>& RegistryPtr() {
  static std::unique_ptr<TPropertyEditorRegistry> r;
  return r;
}

/// One bit per group number; 0 is the environment's own and starts taken.
std::vector<bool>& GroupSet() {
  static std::vector<bool> groups{true};
  return groups;
}

std::vector<TGroupChangeProc>& GroupChangeList() {
  static std::vector<TGroupChangeProc> procs;
  return procs;
}

void HookRegisterPropertyEditor(PTypeInfo type, TClass cls, const String& name,
                                TPropertyEditorClass editor) {
  PropertyEditorRegistry().RegisterPropertyEditor(type, cls, name, editor);
}
void HookSetPropertyEditorGroup(TPropertyEditorClass editor, TPersistentClass group) {
  PropertyEditorRegistry().SetPropertyEditorGroup(editor, group);
}
void HookRegisterPropertyMapper(TPropertyMapperFunc mapper) {
  PropertyEditorRegistry().RegisterPropertyMapper(mapper);
}

} // namespace

TPropertyEditorRegistry& PropertyEditorRegistry() {
  auto& r = RegistryPtr();
  if (!r) r = std::make_unique<TPropertyEditorRegistry>();
  return *r;
}

TPropertyEditorClass GetEditorClass(PPropInfo propInfo, TPersistent* obj) {
  return PropertyEditorRegistry().GetEditorClass(propInfo, obj);
}

void GetComponentProperties(const IPtr<IDesignerSelections>& objects, TTypeKinds filter,
                            const IPtr<IDesigner>& designer, const TGetPropProc& proc,
                            const TPropertyEditorFilterFunc& editorFilter) {
  PropertyEditorRegistry().GetComponentProperties(objects, filter, designer, proc, editorFilter);
}

Integer NewEditorGroup() {
  auto& groups = GroupSet();
  auto it = std::find(groups.begin(), groups.end(), false);
  const auto group = static_cast<Integer>(it - groups.begin());
  if (it == groups.end())
    groups.push_back(true);
  else
    *it = true;
  CurrentGroup = group;
  return group;
}

void FreeEditorGroup(Integer group) {
  auto& r = RegistryPtr();
  if (r) r->FreeEditors(group);
  if (FreeComponentEditorGroupProc) FreeComponentEditorGroupProc(group);
  if (r) r->FreeMappers(group);
  if (FreeSelectionEditorGroupProc) FreeSelectionEditorGroupProc(group);
  if (FreeComponentGuidelinesGroupProc) FreeComponentGuidelinesGroupProc(group);
  const std::vector<TGroupChangeProc> procs = GroupChangeList();
  for (auto it = procs.rbegin(); it != procs.rend(); ++it)
    (*it)(group);
  auto& groups = GroupSet();
  if (group >= 0 && static_cast<std::size_t>(group) < groups.size())
    groups[static_cast<std::size_t>(group)] = false;
}

void NotifyGroupChange(TGroupChangeProc proc) {
  if (!proc) return;
  UnnotifyGroupChange(proc);
  GroupChangeList().push_back(proc);
}

void UnnotifyGroupChange(TGroupChangeProc proc) { std::erase(GroupChangeList(), proc); }

bool EditorGroupInUse(Integer group) {
  const auto& groups = GroupSet();
  return group >= 0 && static_cast<std::size_t>(group) < groups.size() &&
         groups[static_cast<std::size_t>(group)];
}

void DesignEditorsStartup() {
  RegisterPropertyEditorProc = &HookRegisterPropertyEditor;
  SetPropertyEditorGroupProc = &HookSetPropertyEditorGroup;
  RegisterPropertyMapperProc = &HookRegisterPropertyMapper;
}

void DesignEditorsShutdown() {
  RegisterPropertyEditorProc = nullptr;
  SetPropertyEditorGroupProc = nullptr;
  RegisterPropertyMapperProc = nullptr;
}

} // namespace fw
