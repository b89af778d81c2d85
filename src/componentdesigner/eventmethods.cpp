#include "componentdesigner/eventmethods.h"

#include "basert/strings.h"
#include "componentdesigner/proxies.h"

#include <cctype>
#include <set>
#include <unordered_set>

namespace fw {

TEventItem& TEvents::Add(void* address, const String& name) {
  auto item = std::make_unique<TEventItem>(TEventItem{address, name, name, address});
  TEventItem& r = *item;
  FList.push_back(std::move(item));
  FByName.try_emplace(name, &r);
  return r;
}

TEventItem* TEvents::Find(const String& name) {
  const auto it = FByName.find(name);
  return it == FByName.end() ? nullptr : it->second;
}

namespace {

inline constexpr TTypeKinds kMethodAndClass = {kindMethod, kindClass};

void VisitProperties(TPersistent* instance, const TMethodPropProc& proc) {
  for (PPropInfo prop : GetPropList(instance, kMethodAndClass)) {
    if (prop->PropType()->Kind == kindMethod) {
      proc(instance, prop);
      continue;
    }
    auto* value = dynamic_cast<TPersistent*>(GetObjectProp(instance, prop));
    if (value && !dynamic_cast<TComponent*>(value)) VisitProperties(value, proc);
  }
}

} // namespace

void IterateMethods(TComponent* start, TComponent* root, const TMethodPropProc& proc) {
  VisitProperties(start, proc);
  // A placed frame lists its contents only to itself, as the writer asks for them.
  TComponent* listing = start->ComponentState().Contains(stateInline) ? start : root;
  start->GetChildren([&](TComponent* child) { IterateMethods(child, listing, proc); }, listing);
}

std::vector<String> HandlerNamesOf(TComponent* root, const std::vector<TComponent*>& components) {
  std::set<String, TextLess> names;
  for (TComponent* c : components)
    IterateMethods(c, c != root && c->Owner() ? c->Owner() : root,
                   [&](TPersistent* instance, PPropInfo prop) {
                     const TMethod m = GetMethodProp(instance, prop);
                     if (!m.Code || m.Data != root) return;
                     String name = root->MethodName(m.Code);
                     if (!name.empty()) names.insert(std::move(name));
                   });
  return {names.begin(), names.end()};
}

String NextPlaceholderName() {
  static Integer counter = 0;
  return String("@").append(std::to_string(++counter));
}

String FollowComponentRename(const String& handler, const TRenames& renames) {
  // Each prefix of the handler is looked up, so a paste of n components stays linear.
  Integer first = -1;
  std::size_t length = 0;
  for (std::size_t k = 1; k < handler.size(); ++k) {
    if (std::isdigit(static_cast<unsigned char>(handler[k]))) continue;
    const Integer i = renames.IndexOfExact(std::string_view(handler).substr(0, k));
    if (i >= 0 && (first < 0 || i < first)) {
      first = i;
      length = k;
    }
  }
  return first < 0 ? handler : renames.Items(first).NewName + handler.substr(length);
}

void RenameEvents(TComponent* root, TEvents& events, TRenames& renames) {
  // Handler renames are added while walking; only the component renames made before count.
  TRenames components;
  for (Integer i = 0; i < renames.Count(); ++i)
    components.Add(renames.Items(i).OldName, renames.Items(i).NewName);
  // The names first, as if each entry were renamed at once ...
  std::unordered_set<String, TextHash, TextEqual> given;
  auto taken = [&](const String& name) { return given.count(name) || root->MethodAddress(name); };
  for (Integer i = 0; i < events.Count(); ++i) {
    TEventItem& e = events.Items(i);
    const String base = FollowComponentRename(e.AName, components);
    String name = base;
    for (Integer n = 2; taken(name); ++n)
      name = base + std::to_string(n);
    if (name != e.AName) renames.Add(e.AName, name);
    given.insert(name);
    e.FinalName = name;
  }
  // ... then the entries, in one pass over the class's table.
  std::vector<std::pair<void*, String>> entries;
  entries.reserve(static_cast<std::size_t>(events.Count()));
  for (Integer i = events.Count() - 1; i >= 0; --i)
    entries.emplace_back(events.Items(i).Address, events.Items(i).FinalName);
  RenameSubClassMethods(root, entries);
}

void VerifyEvents(TComponent* root, TEvents& events, const TStrings* present) {
  std::unordered_set<String, TextHash, TextEqual> names;
  if (present)
    for (Integer i = 0; i < present->Count(); ++i)
      names.insert(present->Get(i));
  for (Integer i = 0; i < events.Count(); ++i) {
    TEventItem& e = events.Items(i);
    if (names.count(e.FinalName)) continue;
    DestroySubClassMethod(root, e.Address);
    e.FinalAddress = root->MethodAddress(e.AName);
  }
}

void UpdateEvents(TComponent* root, TEvents& events) {
  std::unordered_map<void*, void*> moved;
  for (Integer i = 0; i < events.Count(); ++i) {
    const TEventItem& e = events.Items(i);
    if (e.FinalAddress != e.Address) moved.emplace(e.Address, e.FinalAddress);
  }
  if (moved.empty()) return;
  IterateMethods(root, root, [&](TPersistent* instance, PPropInfo prop) {
    const TMethod m = GetMethodProp(instance, prop);
    const auto it = moved.find(m.Code);
    if (it == moved.end()) return;
    SetMethodProp(instance, prop, it->second ? TMethod{it->second, m.Data} : TMethod{});
  });
}

void DropPlaceholders(TComponent* root, TEvents& events) {
  for (Integer i = 0; i < events.Count(); ++i)
    DestroySubClassMethod(root, events.Items(i).Address);
}

} // namespace fw
