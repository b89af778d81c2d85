// Event handlers of a designed module while form streams are written and read: the walk over
// every event property, the handlers met while a stream is read (placeholder methods until the
// stream is finished), and the rules that rename, verify and connect them afterwards.
#pragma once

#include "basert/component.h"
#include "basert/typinfo.h"
#include "componentdesigner/renames.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace fw {

class TStrings;

/// One handler met while a stream is read.
struct TEventItem {
  void* Address = nullptr; ///< the placeholder method entry made for it
  String AName;            ///< the name the stream gave
  String FinalName;        ///< the name it ends with
  void* FinalAddress = nullptr;
};

/// The handlers of one read, in the order met.
class TEvents {
public:
  TEventItem& Add(void* address, const String& name);
  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }
  TEventItem& Items(Integer index) { return *FList.at(static_cast<std::size_t>(index)); }
  /// The handler read under `name` (ignoring case); null when none.
  TEventItem* Find(const String& name);

private:
  std::vector<std::unique_ptr<TEventItem>> FList;
  std::unordered_map<String, TEventItem*, TextHash, TextEqual> FByName;
};

using TMethodPropProc = std::function<void(TPersistent* instance, PPropInfo prop)>;

/// Calls `proc` for every event property of `start`, then depth first of every child it
/// reports (GetChildren with `root` as root; inside a placed frame, `stateInline`, with the frame
/// as root); class-valued properties holding a persistent that is no component are walked too
/// (their own properties only). Properties by name.
void IterateMethods(TComponent* start, TComponent* root, const TMethodPropProc& proc);

/// The names of the handlers of `root`'s class that event properties of `components` (and
/// their children) refer to: sorted ignoring case, each once.
std::vector<String> HandlerNamesOf(TComponent* root, const std::vector<TComponent*>& components);

/// "@1", "@2", ...: the name of a new placeholder method; the counter is package-wide and only
/// grows.
String NextPlaceholderName();

/// `handler` with the first component rename whose old name it begins with (case-sensitive,
/// longer, and not followed by a digit) replaced by the new name: Button1Click follows
/// Button1 -> Button3, Button10Click does not. Unchanged when none applies.
String FollowComponentRename(const String& handler, const TRenames& renames);

/// After a read: each handler follows its component's rename, is made unique in `root`'s class
/// ("%s%d" from 2), records a changed name in `renames`, and its placeholder entry takes the
/// final name.
void RenameEvents(TComponent* root, TEvents& events, TRenames& renames);

/// Handlers whose final name is not in `present` get the address of the root class's method
/// of the name read (nil when none); their placeholder entries are removed.
void VerifyEvents(TComponent* root, TEvents& events, const TStrings* present);

/// Event properties of the module holding a placeholder get the handler's final address (nil
/// clears the event). Nothing when no handler moved.
void UpdateEvents(TComponent* root, TEvents& events);

/// Removes every placeholder entry of the read from `root`'s class (a read that failed).
void DropPlaceholders(TComponent* root, TEvents& events);

} // namespace fw
