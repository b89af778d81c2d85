#include "componentdesigner/proxies.h"

#include "basert/ancestorlookup.h"
#include "basert/component.h"
#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/runtimeclass.h"

#include <memory>

namespace fw {

// ---- proxy records -----------------------------------------------------------------------------

namespace {

/// One proxy class: a run-time class with the bookkeeping of instances switched to it.
struct TProxyClass : TRunTimeClass {
  TClass Previous = nullptr;          // the class the first instance had before
  int RefCount = 1;                   // instances switched to it and proxies derived from it
  std::vector<std::uint32_t> Retired; // numbers of removed methods, freed with the class
};

TProxyClass* FindProxy(TClass cls) noexcept {
  return dynamic_cast<TProxyClass*>(FindRunTimeClass(cls));
}

/// UTF-8 text cut to a short string's 255 bytes, not inside a character.
String ShortString(const String& s) {
  if (s.size() <= 255) return s;
  std::size_t n = 255;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
    --n;
  return s.substr(0, n);
}

std::uint32_t CodeNumber(void* code) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(code));
}

void* CodeAddress(std::uint32_t number) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(number));
}

/// Fills the proxy's type information afresh from its record.
void DescribeType(TProxyClass& proxy) {
  const TClassRec& rec = proxy.Rec;
  TTypeData data;
  data.ClassType = &rec;
  data.ParentInfo = rec.Parent->TypeInfo;
  data.PropCount = data.ParentInfo ? data.ParentInfo->Data.PropCount : 0;
  data.UnitName = rec.UnitName;
  proxy.Type.Kind = kindClass;
  proxy.Type.Name = rec.ClassName;
  proxy.Type.Data = std::move(data);
}

void Release(TProxyClass* proxy) {
  if (--proxy->RefCount >= 1) return;
  TCodeNumberSet& codes = RunTimeMethodCodes();
  for (const auto& e : proxy->Rec.Methods.Entries())
    codes.Release(CodeNumber(e.Code));
  for (std::uint32_t n : proxy->Retired)
    codes.Release(n);
  TClass self = &proxy->Rec;
  std::unique_ptr<TRunTimeClass> owned = DisownRunTimeClass(self);
  ForEachRunTimeClass([&](TRunTimeClass& other) {
    if (other.Rec.Parent != self) return;
    other.Rec.Parent = proxy->Previous;
    if (auto* p = dynamic_cast<TProxyClass*>(&other))
      DescribeType(*p); // drops property lists cached from the old parent
  });
  if (TProxyClass* parent = FindProxy(proxy->Rec.Parent)) Release(parent);
}

// Destruction of an instance of a proxy: back to the previous class first, whose own
// destruction step (another proxy's, say) follows.
void ProxyBeforeDestroy(TObject* instance) {
  DestroySubClass(instance);
  if (auto hook = instance->ClassType()->BeforeDestroy) hook(instance);
}

bool IsSelfOrOwnedBy(TComponent* component, TComponent* instance) {
  for (TComponent* c = component; c; c = c->Owner())
    if (c == instance) return true;
  return false;
}

// Notification of an instance of a proxy: it runs with the previous class. An owned instance
// hands it to its owner, except that an inline one keeps news of outside components to itself.
void ProxyNotification(TComponent* instance, TComponent* component, TOperation op) {
  TClass proxy = instance->ClassType();
  TProxyClass* rec = FindProxy(proxy);
  if (!rec) return;
  instance->ChangeClass(rec->Previous, false);
  try {
    TComponent* owner = instance->Owner();
    if (owner &&
        (!instance->ComponentState().Contains(stateInline) || IsSelfOrOwnedBy(component, instance)))
      TComponent::SendNotification(owner, component, op);
    else
      TComponent::SendNotification(instance, component, op);
  } catch (...) {
    instance->ChangeClass(proxy, false);
    throw;
  }
  instance->ChangeClass(proxy, false);
}

} // namespace

// ---- operations --------------------------------------------------------------------------------

TClass CreateSubClass(TObject* instance, const String& className, const String& unitName,
                      TClass parent) {
  if (!instance || !parent) throw EInvalidOperation(sProxyNeedsInstance);
  TClass previous = instance->ClassType();
  if (previous->LayoutClass != parent->LayoutClass)
    throw EInvalidOperation(Format(sProxyLayoutMismatch, previous->ClassName, className));

  auto proxy = std::make_unique<TProxyClass>();
  TClassRec& rec = proxy->Rec;
  rec = *parent;
  rec.ClassName = ShortString(className);
  rec.UnitName = ShortString(unitName);
  rec.Parent = parent;
  rec.Factories.reset();
  rec.Methods.Clear();
  rec.Interfaces.clear(); // found through the parent
  rec.BeforeDestroy = &ProxyBeforeDestroy;
  rec.Notification = parent->InheritsFrom(TComponent::StaticClass()) ? &ProxyNotification : nullptr;
  rec.Tag = proxy.get();
  rec.TypeInfo = &proxy->Type;
  DescribeType(*proxy);
  proxy->Previous = previous;

  if (TProxyClass* parentProxy = FindProxy(parent)) ++parentProxy->RefCount;
  TClass cls = AdoptRunTimeClass(std::move(proxy));
  instance->ChangeClass(cls);
  return cls;
}

TClass CreateSubClass(TObject* instance, const String& className, TClass parent) {
  return CreateSubClass(instance, className, String(), parent);
}

bool ChangeToProxyClass(TObject* instance, TClass proxyClass) {
  TProxyClass* proxy = FindProxy(proxyClass);
  if (!instance || !proxy || !proxyClass->InheritsFrom(instance->ClassType()) ||
      !instance->ChangeClass(proxyClass))
    return false;
  ++proxy->RefCount;
  return true;
}

void DestroySubClass(TObject* instance) {
  if (!instance) return;
  TProxyClass* proxy = FindProxy(instance->ClassType());
  if (!proxy) return;
  instance->ChangeClass(proxy->Previous);
  Release(proxy);
}

void RenameSubClass(TObject* instance, const String& className, const String& unitName) {
  if (!instance) return;
  TProxyClass* proxy = FindProxy(instance->ClassType());
  if (!proxy) return;
  proxy->Rec.ClassName = ShortString(className);
  proxy->Type.Name = proxy->Rec.ClassName;
  if (!unitName.empty()) {
    proxy->Rec.UnitName = ShortString(unitName);
    proxy->Type.Data.UnitName = proxy->Rec.UnitName;
  }
}

void* CreateSubClassMethod(TObject* instance, const String& name) {
  if (!instance) return nullptr;
  const String shortName = ShortString(name);
  if (void* code = instance->MethodAddress(shortName)) return code;
  TProxyClass* proxy = FindProxy(instance->ClassType());
  if (!proxy) return nullptr;
  if (proxy->Rec.Methods.Count() >= MaxProxyMethods)
    throw EInvalidOperation(
        Format(sProxyTooManyMethods, proxy->Rec.ClassName, static_cast<Integer>(MaxProxyMethods)));
  void* code = CodeAddress(RunTimeMethodCodes().Acquire());
  proxy->Rec.Methods.Add(shortName, code);
  return code;
}

void RenameSubClassMethod(TObject* instance, void* address, const String& name) {
  if (!instance) return;
  if (TProxyClass* proxy = FindProxy(instance->ClassType()))
    proxy->Rec.Methods.Rename(address, ShortString(name));
}

void RenameSubClassMethods(TObject* instance,
                           const std::vector<std::pair<void*, String>>& renames) {
  if (!instance) return;
  TProxyClass* proxy = FindProxy(instance->ClassType());
  if (!proxy) return;
  std::vector<std::pair<void*, String>> shortened;
  shortened.reserve(renames.size());
  for (const auto& [address, name] : renames)
    shortened.emplace_back(address, ShortString(name));
  proxy->Rec.Methods.RenameAll(shortened);
}

void DestroySubClassMethod(TObject* instance, void* address) {
  if (!instance) return;
  TProxyClass* proxy = FindProxy(instance->ClassType());
  if (proxy && proxy->Rec.Methods.Remove(address)) proxy->Retired.push_back(CodeNumber(address));
}

bool IsProxyClass(TClass cls) {
  // Only the registry is asked: a released proxy's record must not be touched.
  return FindProxy(cls) != nullptr;
}

std::vector<Byte> ProxyMethodTable(TClass cls) {
  TProxyClass* proxy = FindProxy(cls);
  if (!proxy) return {};
  const auto& entries = proxy->Rec.Methods.Entries();
  std::vector<Byte> out;
  auto put = [&out](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
      out.push_back(static_cast<Byte>(v >> (8 * i)));
  };
  put(static_cast<std::uint32_t>(entries.size()), 2);
  for (const auto& e : entries) {
    put(static_cast<std::uint32_t>(e.Name.size() + 7), 2);
    put(CodeNumber(e.Code), 4);
    put(static_cast<std::uint32_t>(e.Name.size()), 1);
    out.insert(out.end(), e.Name.begin(), e.Name.end());
  }
  return out;
}

std::size_t ProxyClassCount() noexcept {
  std::size_t n = 0;
  ForEachRunTimeClass(
      [&n](TRunTimeClass& cls) { n += dynamic_cast<TProxyClass*>(&cls) != nullptr; });
  return n;
}

TCodeNumberSet& ProxyCodeNumbers() { return RunTimeMethodCodes(); }

namespace {
bool IsLiveProxy(TClass cls) noexcept { return IsProxyClass(cls); }
} // namespace

// The ancestor walk asks through a hook: a designed frame's class is only known here.
void ProxiesStartup() {
  RunTimeMethodCodes();
  IsDesignedClass = &IsLiveProxy;
}

void ProxiesShutdown() {
  IsDesignedClass = nullptr;
  ForgetRunTimeMethodCodes();
}

} // namespace fw
