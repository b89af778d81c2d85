#include "basert/classreg.h"

#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/object.h"
#include "basert/persistent.h"
#include "basert/sysutils.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

namespace fw {

Integer CurrentGroup = 0;

namespace {

// A registered name and the package group that registered it, so that unloading the package
// withdraws exactly its names.
struct TEntry {
  TClass Class;
  Integer Group;
};

struct TClassGroup {
  TClass GroupClass = nullptr;
  std::vector<TClass> Members; // classes whose descendants belong here, GroupClass first
  std::unordered_map<String, TEntry, TextHash, TextEqual> Classes;
};

struct TRegistry {
  std::vector<std::unique_ptr<TClassGroup>> Groups; // [0] is TPersistent's
  TClassGroup* Active = nullptr;

  TRegistry() {
    auto g = std::make_unique<TClassGroup>();
    g->GroupClass = TPersistent::StaticClass();
    g->Members.push_back(g->GroupClass);
    Active = g.get();
    Groups.push_back(std::move(g));
  }

  // The group one of whose member classes is the nearest ancestor of `cls`.
  TClassGroup* GroupOf(TClass cls) {
    TClassGroup* best = Groups.front().get();
    int bestDepth = 1 << 30;
    for (auto& g : Groups)
      for (TClass m : g->Members) {
        int depth = 0;
        TClass c = cls;
        for (; c && c != m; c = c->Parent)
          ++depth;
        if (c && depth < bestDepth) {
          bestDepth = depth;
          best = g.get();
        }
      }
    return best;
  }

  TClassGroup* FindGroup(TClass groupClass) {
    for (auto& g : Groups)
      if (g->GroupClass == groupClass) return g.get();
    return nullptr;
  }
};

TRegistry& Registry() {
  static TRegistry r;
  return r;
}

void AddTo(TClassGroup* g, TClass cls, const String& name) {
  auto [it, inserted] = g->Classes.emplace(name, TEntry{cls, CurrentGroup});
  if (!inserted && it->second.Class != cls) throw EFilerError(Format(sDuplicateClass, name));
}

} // namespace

void RegisterClass(TClass cls) {
  TClass persistent = TPersistent::StaticClass();
  auto& r = Registry();
  // Ancestors too, so that a stream naming any of them can be read.
  for (TClass c = cls; c && c != persistent && c->InheritsFrom(persistent); c = c->Parent) {
    TClassGroup* g = r.GroupOf(c);
    auto it = g->Classes.find(c->ClassName);
    if (it != g->Classes.end()) {
      if (it->second.Class == c) break;
      throw EFilerError(Format(sDuplicateClass, c->ClassName));
    }
    AddTo(g, c, c->ClassName);
  }
}

void RegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass c : classes)
    RegisterClass(c);
}

void RegisterClassAlias(TClass cls, const String& alias) {
  AddTo(Registry().GroupOf(cls), cls, alias);
}

void UnRegisterClass(TClass cls) {
  for (auto& g : Registry().Groups)
    for (auto it = g->Classes.begin(); it != g->Classes.end();)
      it = it->second.Class == cls ? g->Classes.erase(it) : std::next(it);
}

void UnRegisterGroupClasses(Integer group) {
  for (auto& g : Registry().Groups)
    std::erase_if(g->Classes, [group](const auto& entry) { return entry.second.Group == group; });
}

TRegisterComponentsProc RegisterComponentsProc = nullptr;

void RegisterComponents(const String& page, std::span<const TClass> classes) {
  for (TClass c : classes)
    RegisterClass(c);
  if (RegisterComponentsProc) RegisterComponentsProc(page, classes);
}

void RegisterComponents(const String& page, std::initializer_list<TClass> classes) {
  RegisterComponents(page, std::span<const TClass>(classes.begin(), classes.size()));
}

TRegisterNoIconProc RegisterNoIconProc = nullptr;

void RegisterNoIcon(std::span<const TClass> classes) {
  if (RegisterNoIconProc) RegisterNoIconProc(classes);
}

void RegisterNoIcon(std::initializer_list<TClass> classes) {
  RegisterNoIcon(std::span<const TClass>(classes.begin(), classes.size()));
}

void UnRegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass c : classes)
    UnRegisterClass(c);
}

TClass GetClass(std::string_view name) {
  auto& r = Registry();
  auto it = r.Active->Classes.find(name);
  if (it != r.Active->Classes.end()) return it->second.Class;
  auto& base = r.Groups.front()->Classes;
  it = base.find(name);
  return it == base.end() ? nullptr : it->second.Class;
}

TClass FindClass(std::string_view name) {
  TClass c = GetClass(name);
  if (!c) throw EClassNotFound(Format(sClassNotFound, name));
  return c;
}

void StartClassGroup(TClass groupClass) {
  auto& r = Registry();
  if (r.FindGroup(groupClass)) return;
  auto g = std::make_unique<TClassGroup>();
  g->GroupClass = groupClass;
  g->Members.push_back(groupClass);
  r.Groups.push_back(std::move(g));
}

void GroupDescendentsWith(TClass cls, TClass groupClass) {
  auto& r = Registry();
  TClassGroup* g = r.GroupOf(groupClass);
  if (std::find(g->Members.begin(), g->Members.end(), cls) == g->Members.end())
    g->Members.push_back(cls);
}

TClass ClassGroupOf(TClass cls) { return cls ? Registry().GroupOf(cls)->GroupClass : nullptr; }

TClass ClassGroupOf(const TObject* instance) {
  return instance ? ClassGroupOf(instance->ClassType()) : nullptr;
}

TClass ActivateClassGroup(TClass groupClass) {
  auto& r = Registry();
  TClass previous = r.Active->GroupClass;
  r.Active = r.GroupOf(groupClass);
  return previous;
}

TClass ActiveClassGroup() { return Registry().Active->GroupClass; }

TClassFinder::TClassFinder(TClass cls, bool includeActiveGroup)
    : FGroupClass(ClassGroupOf(cls ? cls : TPersistent::StaticClass())),
      FIncludeActive(includeActiveGroup) {}

TClass TClassFinder::GetClass(std::string_view name) const {
  auto& r = Registry();
  auto lookIn = [&](TClassGroup* g) -> TClass {
    if (!g) return nullptr;
    auto it = g->Classes.find(name);
    return it == g->Classes.end() ? nullptr : it->second.Class;
  };
  if (TClass c = lookIn(r.FindGroup(FGroupClass))) return c;
  if (FIncludeActive)
    if (TClass c = lookIn(r.Active)) return c;
  return lookIn(r.Groups.front().get());
}

TClass TClassFinder::FindClass(std::string_view name) const {
  TClass c = GetClass(name);
  if (!c) throw EClassNotFound(Format(sClassNotFound, name));
  return c;
}

} // namespace fw
