// Designer events: multicast lists of method-pointer handlers and the package-wide events that
// tell the IDE which module is active, that it changed, and that components were renamed.
#pragma once

#include "basert/classbuilder.h"
#include "basert/component.h"
#include "basert/object.h"
#include "designintf/designintf.h"

#include <type_traits>
#include <vector>

namespace fw {

// ---- handler types

/// procedure(Sender: TObject) of object.
struct THandler : TMethod {
  using TFunction = void (*)(void*, TObject*);
  void operator()(TObject* sender) const {
    if (IsCallableCode(Code)) reinterpret_cast<TFunction>(Code)(Data, sender);
  }
};
using PHandler = THandler*;

/// procedure(Sender: TObject; const CustomModule: ICustomModule) of object.
struct TRootActivatedEvent : TMethod {
  using TFunction = void (*)(void*, TObject*, const IPtr<ICustomModule>&);
  void operator()(TObject* sender, const IPtr<ICustomModule>& customModule) const {
    if (IsCallableCode(Code)) reinterpret_cast<TFunction>(Code)(Data, sender, customModule);
  }
};

/// procedure(Sender: TObject; const OldName, NewName: string) of object.
struct TComponentRenamedEvent : TMethod {
  using TFunction = void (*)(void*, TObject*, const String&, const String&);
  void operator()(TObject* sender, const String& oldName, const String& newName) const {
    if (IsCallableCode(Code)) reinterpret_cast<TFunction>(Code)(Data, sender, oldName, newName);
  }
};

/// A handler of type H calling member function M of `object`:
/// `HandlerOf<THandler, &TListener::Changed>(listener)`. M must take exactly H's arguments.
template <class H, auto M, class C> H HandlerOf(C* object) {
  using Thunk = detail::TMethodThunk<decltype(M), M>;
  static_assert(std::is_same_v<decltype(&Thunk::Call), typename H::TFunction>,
                "the member function does not have the handler's signature");
  H h;
  h.Code = reinterpret_cast<void*>(&Thunk::Call);
  h.Data = static_cast<TObject*>(object);
  return h;
}

// ---- event lists

/// A list of handlers on the framework's generic list: duplicates allowed. Descendants supply
/// the typed Send through Broadcast.
template <class H> class TEventT : public TObject {
public:
  void InternalAdd(const H& handler) { FList.push_back(handler); }
  /// Removes the first handler equal to `handler` (same code and data); none: nothing.
  void InternalRemove(const H& handler);
  void Clear() noexcept { FList.clear(); }
  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }
  const H& Handlers(Integer index) const { return FList.at(static_cast<std::size_t>(index)); }

protected:
  /// Calls the handlers from the last registered to the first. The index runs downward over
  /// the live list: a handler may remove itself or later ones; handlers added meanwhile are not
  /// called. An exception ends the broadcast and reaches the caller.
  template <class... A> void Broadcast(const A&... args);
  std::vector<H> FList;
};

/// An event whose handlers are registered at most once through Add.
template <class H> class TTypedEvent : public TEventT<H> {
public:
  /// Appends the handler unless it is registered already.
  void Add(const H& handler) {
    if (IndexOf(handler) < 0) this->FList.push_back(handler);
  }
  /// Appends the handler even when it is registered already.
  void ForceAdd(const H& handler) { this->FList.push_back(handler); }
  /// Position of an equal handler: the last one is tried first (the likeliest to be asked
  /// for), then the list from the start; -1 when there is none.
  Integer IndexOf(const H& handler) const;
  /// Removes the handler IndexOf finds; nothing when there is none.
  void Remove(const H& handler);
};

/// An event of procedure(Sender: TObject) handlers.
class TEvent : public TTypedEvent<THandler> {
  FW_CLASS(TEvent)
public:
  void Send(TObject* sender) { Broadcast(sender); }
};

/// The IDE's tool palette as far as designer activation concerns it; the host supplies it
/// through SetDesignerPalette.
struct IDesignerPalette : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{5D0E3B7A-9C41-4F2E-8B6A-1E7C2D9F4A30}");
  /// Brackets a change of palette contexts.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void AddContext(const String& context) = 0;
  virtual void RemoveContext(const String& context) = 0;
};
/// The palette designer activation talks to; null (the default) leaves the palette alone.
void SetDesignerPalette(const IPtr<IDesignerPalette>& palette);
IPtr<IDesignerPalette> DesignerPalette();

inline constexpr std::string_view sNativeDesignerActiveContext = "NativeDesignerActive";
inline constexpr std::string_view sCodeEditorActiveContext = "CodeEditorActive";

/// Told when a designer and its active root become active; Sender the designer registry.
class TEvRootActivatedEvent : public TTypedEvent<TRootActivatedEvent> {
  FW_CLASS(TEvRootActivatedEvent)
public:
  /// Inside one palette update: announces sNativeDesignerActiveContext when `customModule` is
  /// given (withdraws it otherwise) and withdraws sCodeEditorActiveContext; then the handlers,
  /// last registered first. The update is closed also when a handler raises.
  void Send(TObject* sender, const IPtr<ICustomModule>& customModule);
  /// Tells the handlers (Sender nil) that a designer of another framework became active, with
  /// a custom module that has no verbs, no attributes and accepts nothing. The palette is not
  /// told.
  void ActivateNonTarnDesigner();
  /// The custom module ActivateNonTarnDesigner hands out; made on first use, kept until
  /// package end.
  static IPtr<ICustomModule> NonTarnCustomModule();
};

/// Told of every accepted rename of a component or module; Sender is the module root.
class TEvComponentRenamedEvent : public TTypedEvent<TComponentRenamedEvent> {
  FW_CLASS(TEvComponentRenamedEvent)
public:
  void Send(TObject* sender, const String& oldName, const String& newName) {
    Broadcast(sender, oldName, newName);
  }
};

// ---- package-wide events
// Created at package start in declaration order and freed at package end in the same order,
// each global cleared before its object goes; a firing place tests the global first.

/// Fired by the designer registry when a designer and its active root become active.
extern TEvRootActivatedEvent* EvRootActivatedEvent;
/// Fired by a component designer when its active root is modified; Sender the designer.
extern TEvent* EvActiveRootModifiedEvent;
/// Fired for every accepted rename; Sender the module root.
extern TEvComponentRenamedEvent* EvComponentRenamedEvent;
/// Fired by the designer registry when the active designer is dropped; Sender the registry.
extern TEvent* EvDesignerDeactivated;

void DesignerEventsStartup();
/// Frees the events and drops the stub custom module and the palette.
void DesignerEventsShutdown();

// ---- template definitions ----------------------------------------------------------------------

template <class H> void TEventT<H>::InternalRemove(const H& handler) {
  for (std::size_t i = 0; i < FList.size(); ++i)
    if (static_cast<const TMethod&>(FList[i]) == handler) {
      FList.erase(FList.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
}

template <class H> template <class... A> void TEventT<H>::Broadcast(const A&... args) {
  std::size_t i = FList.size();
  while (i > 0) {
    --i;
    if (i >= FList.size()) { // earlier handlers went too: go on from the end that is left
      i = FList.size();
      continue;
    }
    const H handler = FList[i]; // the record may go while its handler runs
    handler(args...);
  }
}

template <class H> Integer TTypedEvent<H>::IndexOf(const H& handler) const {
  const auto& list = this->FList;
  if (list.empty()) return -1;
  if (static_cast<const TMethod&>(list.back()) == handler)
    return static_cast<Integer>(list.size() - 1);
  for (std::size_t i = 0; i < list.size(); ++i)
    if (static_cast<const TMethod&>(list[i]) == handler) return static_cast<Integer>(i);
  return -1;
}

template <class H> void TTypedEvent<H>::Remove(const H& handler) {
  const Integer i = IndexOf(handler);
  if (i >= 0) this->FList.erase(this->FList.begin() + i);
}

} // namespace fw
