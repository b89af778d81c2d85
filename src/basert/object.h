// The object model: TObject, class records ("classes are data"), virtual constructors,
// published method tables, interface tables, and reference-counted objects.
#pragma once

#include "basert/fwd.h"
#include "basert/interfaces.h"
#include "basert/types.h"
#include "basert/typinfo.h"

#include <functional>
#include <memory>
#include <string_view>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

namespace fw {

/// Declares a class's record accessor and its self type; put it first in the body of every
/// TObject descendant. It leaves the body private, so say `public:` after it. The builder and
/// New<T> refuse to compile for a class that left it out (and so would report its parent's record).
// clang-format off
#define FW_CLASS(T) public: using TSelf = T; static ::fw::TClass StaticClass(); ::fw::TClass DeclaredClass() const override { return T::StaticClass(); } private:
// clang-format on

enum TOperation : std::uint8_t { notifyInsert, notifyRemove };

/// A class's published methods: name <-> code address. Lookups are hashed once a table grows.
class TMethodTable {
public:
  struct TEntry {
    String Name;
    void* Code = nullptr;
  };
  const std::vector<TEntry>& Entries() const noexcept { return FEntries; }
  std::size_t Count() const noexcept { return FEntries.size(); }
  void Add(String name, void* code);
  /// Removes the entry with that code; false when there is none.
  bool Remove(void* code);
  /// Renames the entry with that code, moving it to the end; false when there is none.
  bool Rename(void* code, String name);
  /// The same as Rename for each pair in order, in one pass over the table: renaming the n
  /// newest entries is linear, not quadratic. Codes the table does not hold are skipped.
  void RenameAll(const std::vector<std::pair<void*, String>>& renames);
  /// Code of a method (name compared ignoring case), or null.
  void* AddressOf(std::string_view name) const;
  /// Name of the method with that code, or null.
  const String* NameOf(void* code) const;
  void Clear();

private:
  void BuildIndex() const;
  std::vector<TEntry> FEntries;
  mutable bool FIndexed = false;
  /// Set once a name or code occurs twice; until then a removal need not look for another.
  mutable bool FMayHaveDuplicates = false;
  // Kept up to date by every change once built, so that large tables stay fast to edit.
  mutable std::unordered_map<String, void*> FByLowerName;
  mutable std::unordered_map<void*, String> FByCode;
};

/// One interface a class implements: its identifier and how to reach it from an instance.
struct TInterfaceEntry {
  TGUID IID;
  /// The interface pointer of `instance` with one reference added.
  void* (*Get)(TObject* instance) = nullptr;
};

/// A virtual constructor of some signature, stored without its type.
struct TFactory {
  const std::type_info* Signature = nullptr; ///< typeid(TObject* (*)(Args...))
  void (*Fn)() = nullptr;
};

struct TCreationContext;

/// The class record: everything the system knows about a class at run time. Records of
/// compiled classes live for the whole program; records made at run time (designed-class
/// proxies) are owned by whoever made them and copy their parent's record cheaply.
struct TClassRec {
  String ClassName;
  String UnitName;
  TClass Parent = nullptr;
  /// The compiled class whose instance layout instances of this class have (itself for a
  /// compiled class); an instance may switch only between records of the same layout.
  TClass LayoutClass = nullptr;
  PTypeInfo TypeInfo = nullptr;
  std::shared_ptr<const std::vector<TFactory>> Factories;
  TMethodTable Methods;                    ///< published methods of this class only
  std::vector<TInterfaceEntry> Interfaces; ///< interfaces this class adds
  /// Class-level replacements of two virtual operations, for records made at run time.
  /// `BeforeDestroy` runs first in the destruction of an instance; `Notification` replaces
  /// the component notification (see TComponent).
  void (*BeforeDestroy)(TObject* instance) = nullptr;
  void (*Notification)(TComponent* instance, TComponent* component, TOperation op) = nullptr;
  /// True when the class or an ancestor overrides TComponent::Notification or has the hook.
  bool WantsNotification = false;
  /// Data of whoever made a run-time record (for example its proxy bookkeeping).
  void* Tag = nullptr;

  bool InheritsFrom(TClass ancestor) const noexcept;
  bool ClassNameIs(std::string_view name) const noexcept;
  /// Published method code by name, searching ancestors too; null when none.
  void* MethodAddress(std::string_view name) const;
  /// Published method name by code, searching ancestors too; empty when none.
  String MethodName(void* code) const;
  /// Whether a virtual constructor taking `Args` exists.
  template <class... Args> bool CanCreate() const noexcept {
    return FindFactory<Args...>() != nullptr;
  }
  /// Creates an instance through the virtual constructor taking exactly `Args` (name the
  /// template arguments explicitly). The new instance has this record as its class from the
  /// start of its construction. Raises EInvalidOperation for an abstract class.
  template <class... Args> TObject* Create(Args... args) const;
  /// Create with a prepared creation context (its Class is set to this record).
  template <class... Args> TObject* CreateWith(TCreationContext& ctx, Args... args) const;
  template <class... Args> auto FindFactory() const noexcept -> TObject* (*)(Args...);
};

/// What an instance created through a class record knows before its own construction runs.
struct TCreationContext {
  TClass Class = nullptr;
  TObject* Target = nullptr;        ///< set by TObject's constructor when it takes the context
  std::uint32_t ComponentState = 0; ///< initial TComponent state bits
  std::function<void(TObject*)> BeforeConstruction; ///< called by TComponent's constructor
};
namespace detail {
/// True when T declared its own class record with FW_CLASS(T) rather than inheriting one.
template <class T> inline constexpr bool DeclaresOwnClass = std::is_same_v<typename T::TSelf, T>;
/// The context for the next object constructed on this thread (taken by its TObject part).
TCreationContext*& PendingCreation() noexcept;
[[noreturn]] void RaiseAbstract(TClass cls);
/// Constructs with `make()` while `ctx` is the pending context, restoring the one before on
/// every way out, then runs AfterConstruction.
template <class Make> auto ConstructWith(TCreationContext& ctx, Make make) {
  TCreationContext* saved = PendingCreation();
  PendingCreation() = &ctx;
  decltype(make()) obj;
  try {
    obj = make();
  } catch (...) {
    PendingCreation() = saved;
    throw;
  }
  PendingCreation() = saved;
  obj->AfterConstruction();
  return obj;
}
} // namespace detail

class TObject {
public:
  using TSelf = TObject;
  TObject() noexcept;
  virtual ~TObject();
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  static TClass StaticClass();
  /// The record of the compiled class; every class overrides it through FW_CLASS.
  virtual TClass DeclaredClass() const { return StaticClass(); }
  /// The object's class: the record it was created with or switched to.
  TClass ClassType() const noexcept { return FClass ? FClass : DeclaredClass(); }
  const String& ClassName() const { return ClassType()->ClassName; }
  bool ClassNameIs(std::string_view name) const { return ClassType()->ClassNameIs(name); }
  TClass ClassParent() const { return ClassType()->Parent; }
  bool InheritsFrom(TClass ancestor) const { return ClassType()->InheritsFrom(ancestor); }
  template <class T> bool Is() const { return InheritsFrom(T::StaticClass()); }
  void* MethodAddress(std::string_view name) const { return ClassType()->MethodAddress(name); }
  String MethodName(void* code) const { return ClassType()->MethodName(code); }
  /// The interface `iid` from the class's interface tables, with a reference added.
  bool GetInterface(const TGUID& iid, void** out);

  /// Switches this object to another record of the same instance layout; false (and no
  /// change) when the layouts differ. Without `announce`, ClassChanged is not called (for a
  /// switch that is undone at once).
  bool ChangeClass(TClass cls, bool announce = true) noexcept;

  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}
  /// Destroys the object the framework's way: BeforeDestruction while it is intact, then the
  /// destructors. Prefer it to `delete` for components.
  void Free();

protected:
  /// Called after ChangeClass switched the record.
  virtual void ClassChanged() {}

private:
  TClass FClass = nullptr;
};

/// Frees an object (null is fine) and clears the pointer first.
template <class T> void FreeAndNil(T*& obj) {
  T* p = obj;
  obj = nullptr;
  if (p) p->Free();
}

/// unique_ptr deleter that frees the framework's way.
struct TFreeDeleter {
  void operator()(TObject* p) const {
    if (p) p->Free();
  }
};
template <class T> using TOwned = std::unique_ptr<T, TFreeDeleter>;

/// Creates an object of a compiled class the framework's way: its class is known from the start
/// of construction, and AfterConstruction runs.
template <class T, class... Args> T* New(Args&&... args) {
  static_assert(detail::DeclaresOwnClass<T>, "the class lacks FW_CLASS(T) in its body");
  TCreationContext ctx;
  ctx.Class = T::StaticClass();
  return detail::ConstructWith(ctx, [&] { return new T(std::forward<Args>(args)...); });
}

/// A reference-counted object: freed when its last interface reference goes.
class TInterfacedObject : public TObject, public virtual IInterface {
  FW_CLASS(TInterfacedObject)
public:
  HResult QueryInterface(const TGUID& iid, void** obj) override;
  int _AddRef() override;
  int _Release() override;
  int RefCount() const noexcept { return FRefCount; }

private:
  int FRefCount = 0;
};

/// True when the object implements the interface; `out` (optional) receives it.
template <class T> bool Supports(TObject* obj, IPtr<T>* out = nullptr) {
  void* p = nullptr;
  if (!obj || !obj->GetInterface(T::IID, &p)) {
    if (out) *out = nullptr;
    return false;
  }
  auto ref = IPtr<T>::Adopt(static_cast<T*>(p));
  if (out) *out = std::move(ref);
  return true;
}

/// The type information of a pointer to a class: the class's own.
template <class T>
requires std::is_base_of_v<TObject, T> PTypeInfo TypeInfoOf(std::type_identity<T*>) {
  return T::StaticClass()->TypeInfo;
}

// ---- template definitions ----------------------------------------------------------------------

template <class... Args> auto TClassRec::FindFactory() const noexcept -> TObject* (*)(Args...) {
  if (!Factories) return nullptr;
  const std::type_info& sig = typeid(TObject * (*)(Args...));
  for (const TFactory& f : *Factories)
    if (*f.Signature == sig) return reinterpret_cast<TObject* (*)(Args...)>(f.Fn);
  return nullptr;
}

template <class... Args> TObject* TClassRec::Create(Args... args) const {
  TCreationContext ctx;
  return CreateWith<Args...>(ctx, args...);
}

template <class... Args> TObject* TClassRec::CreateWith(TCreationContext& ctx, Args... args) const {
  auto fn = FindFactory<Args...>();
  if (!fn) detail::RaiseAbstract(this);
  ctx.Class = this;
  ctx.Target = nullptr;
  return detail::ConstructWith(ctx, [&] { return fn(args...); });
}

} // namespace fw
