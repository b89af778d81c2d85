#include "basert/ancestorlookup.h"

#include "basert/sysutils.h"

namespace fw {

bool (*IsDesignedClass)(TClass cls) noexcept = nullptr;

namespace {

/// Unnamed pairs with unnamed only; names compare ignoring case.
bool SameName(const String& a, const String& b) {
  if (a.empty() || b.empty()) return a.empty() && b.empty();
  return SameText(a, b);
}

struct TWalk {
  TComponent* Target;
  TComponent* ModuleRoot;
  const TFindAncestorRoot& FindRoot;
  TAncestorLookup Found;

  bool Visit(TComponent* component, TAncestorLookup lookup,
             const std::vector<TComponent*>* ancestorChildren) {
    if (ancestorChildren) lookup.Ancestor = FindAncestorChild(*ancestorChildren, component);
    if (Target && (component == Target || SameName(component->Name(), Target->Name()))) {
      Found = lookup;
      return true;
    }
    FindDesignedAncestor(lookup, component, ModuleRoot, FindRoot);
    std::vector<TComponent*> children;
    const bool paired = EnterChildren(lookup, component, children);
    bool found = false;
    component->GetChildren(
        [&](TComponent* child) {
          if (!found && child) found = Visit(child, lookup, paired ? &children : nullptr);
        },
        lookup.Root);
    return found;
  }
};

} // namespace

TComponent* FindAncestorChild(const std::vector<TComponent*>& ancestorChildren,
                              const TComponent* component) {
  for (TComponent* a : ancestorChildren)
    if (a && SameName(a->Name(), component->Name())) return a;
  return nullptr;
}

TComponent* FindAncestorChild(const std::vector<TComponent*>& ancestorChildren,
                              const TComponent* component, std::size_t hint) {
  if (hint < ancestorChildren.size()) {
    TComponent* a = ancestorChildren[hint];
    if (a && !component->Name().empty() && SameName(a->Name(), component->Name())) return a;
  }
  return FindAncestorChild(ancestorChildren, component);
}

bool FindDesignedAncestor(TAncestorLookup& lookup, TComponent* component, TComponent* moduleRoot,
                          const TFindAncestorRoot& findRoot) {
  if (lookup.Ancestor || !findRoot || component == moduleRoot || !IsDesignedClass ||
      !IsDesignedClass(component->ClassType()))
    return false;
  TComponent* root = findRoot(component->ClassName());
  if (!root) return false;
  lookup.Ancestor = root;
  lookup.RootAncestor = root;
  return true;
}

bool EnterChildren(TAncestorLookup& lookup, TComponent* component,
                   std::vector<TComponent*>& ancestorChildren) {
  auto* ancestor = dynamic_cast<TComponent*>(lookup.Ancestor);
  if (ancestor) {
    if (ancestor->ComponentState().Contains(stateInline)) lookup.RootAncestor = ancestor;
    ancestor->GetChildren([&](TComponent* c) { ancestorChildren.push_back(c); },
                          lookup.RootAncestor);
  }
  if (component->ComponentState().Contains(stateInline)) lookup.Root = component;
  return ancestor != nullptr;
}

TAncestorLookup FindAncestorLookup(TComponent* root, TComponent* rootAncestor, TComponent* target,
                                   const TFindAncestorRoot& findRoot) {
  const TAncestorLookup start{rootAncestor, root, rootAncestor};
  if (!root) return start;
  TWalk walk{target, root, findRoot, {}};
  return walk.Visit(root, start, nullptr) ? walk.Found : start;
}

} // namespace fw
