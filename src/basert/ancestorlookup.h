// The ancestor walk: which object of an ancestor module a component of an inheriting module
// takes its values from, found by pairing components the way the writer pairs them.
//
//   TAncestorLookup at = FindAncestorLookup(form, baseForm, button, findRoot);
//   // at.Ancestor is the ancestor's button (or null), at.Root / at.RootAncestor the roots
//   // that component references on each side are named under.
#pragma once

#include "basert/component.h"

#include <functional>
#include <vector>

namespace fw {

/// Where a component's inherited values come from.
struct TAncestorLookup {
  /// The counterpart in the ancestor module, or null: then declared defaults apply.
  TPersistent* Ancestor = nullptr;
  /// The root whose components the descendant side's references name (a nested module
  /// instance starts its own).
  TComponent* Root = nullptr;
  /// The same on the ancestor side.
  TComponent* RootAncestor = nullptr;
};

/// The root of the module a designed class was made for, by class name; null when none is open.
using TFindAncestorRoot = std::function<TComponent*(const String& className)>;

/// Set by whoever makes classes for designed modules at run time: true for such a class.
extern bool (*IsDesignedClass)(TClass cls) noexcept;

/// The entry of `ancestorChildren` paired with `component`: the first with the same name,
/// ignoring case (an unnamed component pairs with an unnamed one only); null when none.
TComponent* FindAncestorChild(const std::vector<TComponent*>& ancestorChildren,
                              const TComponent* component);
/// The same, trying the entry at `hint` first (where the ancestor's order puts the counterpart),
/// so that pairing children in order stays linear. A named entry there with the same name is
/// taken: names are unique among siblings.
TComponent* FindAncestorChild(const std::vector<TComponent*>& ancestorChildren,
                              const TComponent* component, std::size_t hint);

/// A component without a counterpart whose class was made for another designed module (an
/// instance of a designed frame) inherits from that module's root: when `findRoot` knows it,
/// it becomes both ancestor and root ancestor of `lookup`. The module's own root (`moduleRoot`)
/// is never looked up. True when the lookup changed.
bool FindDesignedAncestor(TAncestorLookup& lookup, TComponent* component, TComponent* moduleRoot,
                          const TFindAncestorRoot& findRoot);

/// The lookup that `component`'s children are walked under, given `component`'s own: an inline
/// ancestor or component starts its side's naming scope. `ancestorChildren` receives the
/// ancestor's children to pair them with; the answer is false (and the list untouched) when the
/// ancestor is not a component, so the children have no counterparts.
bool EnterChildren(TAncestorLookup& lookup, TComponent* component,
                   std::vector<TComponent*>& ancestorChildren);

/// The whole walk from module `root` (inheriting from `rootAncestor`, which may be null) down to
/// `target`: the lookup the writer would use for `target`. The walk stops at `target` or at the
/// first component of the same name (both unnamed counts as the same). When the walk never
/// meets it, the answer is the root's own lookup.
TAncestorLookup FindAncestorLookup(TComponent* root, TComponent* rootAncestor, TComponent* target,
                                   const TFindAncestorRoot& findRoot = {});

} // namespace fw
