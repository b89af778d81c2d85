#include "componentdesigner/proxies.h"

#include "basert/ancestorlookup.h"
#include "basert/component.h"
#include "basert/exceptions.h"
#include "basert/format.h"

#include <bit>
#include <memory>
#include <unordered_map>

namespace fw {

// ---- TCodeNumberSet ----------------------------------------------------------------------------

std::uint32_t TCodeNumberSet::Acquire() {
  std::size_t word = FBits.size();
  for (std::size_t s = 0; s < FHasFree.size(); ++s)
    if (FHasFree[s]) {
      word = s * 64 + static_cast<std::size_t>(std::countr_zero(FHasFree[s]));
      break;
    }
  if (word == FBits.size()) {
    FBits.push_back(0);
    if (word % 64 == 0) FHasFree.push_back(0);
    FHasFree[word / 64] |= std::uint64_t{1} << (word % 64);
  }
  std::uint64_t& bits = FBits[word];
  const int bit = std::countr_one(bits);
  bits |= std::uint64_t{1} << bit;
  if (bits == ~std::uint64_t{0}) FHasFree[word / 64] &= ~(std::uint64_t{1} << (word % 64));
  ++FCount;
  return static_cast<std::uint32_t>(word * 64 + static_cast<std::size_t>(bit) + 1);
}

void TCodeNumberSet::Release(std::uint32_t number) noexcept {
  if (!InUse(number)) return;
  const std::size_t index = number - 1;
  FBits[index / 64] &= ~(std::uint64_t{1} << (index % 64));
  FHasFree[index / 64 / 64] |= std::uint64_t{1} << (index / 64 % 64);
  --FCount;
}

bool TCodeNumberSet::InUse(std::uint32_t number) const noexcept {
  if (number == 0) return false;
  const std::size_t index = number - 1;
  return index / 64 < FBits.size() && (FBits[index / 64] >> (index % 64) & 1) != 0;
}

// ---- proxy records -----------------------------------------------------------------------------

namespace {

/// One proxy class: its record, its own type information and the bookkeeping, in one block.
struct TProxyClass {
  TClassRec Rec;
  TTypeInfo Type;
  TClass Previous = nullptr;          // the class the first instance had before
  int RefCount = 1;                   // instances switched to it and proxies derived from it
  std::vector<std::uint32_t> Retired; // numbers of removed methods, freed with the class
};

struct TProxyState {
  std::unique_ptr<std::unordered_map<TClass, std::unique_ptr<TProxyClass>>> Registry;
  std::unique_ptr<TCodeNumberSet> Numbers;
};

TProxyState& State() {
  static TProxyState state;
  return state;
}

TProxyClass* FindProxy(TClass cls) {
  auto& reg = State().Registry;
  if (!reg || !cls) return nullptr;
  auto it = reg->find(cls);
  return it == reg->end() ? nullptr : it->second.get();
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
  TProxyState& st = State();
  if (st.Numbers) {
    for (const auto& e : proxy->Rec.Methods.Entries())
      st.Numbers->Release(CodeNumber(e.Code));
    for (std::uint32_t n : proxy->Retired)
      st.Numbers->Release(n);
  }
  TClass self = &proxy->Rec;
  auto it = st.Registry->find(self);
  std::unique_ptr<TProxyClass> owned = std::move(it->second);
  st.Registry->erase(it);
  for (auto& [cls, other] : *st.Registry)
    if (other->Rec.Parent == self) {
      other->Rec.Parent = proxy->Previous;
      DescribeType(*other); // drops property lists cached from the old parent
    }
  if (st.Registry->empty()) st.Registry.reset();
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
  if (!instance || !parent) throw EInvalidOperation(SProxyNeedsInstance);
  TClass previous = instance->ClassType();
  if (previous->LayoutClass != parent->LayoutClass)
    throw EInvalidOperation(Format(SProxyLayoutMismatch, previous->ClassName, className));

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
  auto& reg = State().Registry;
  if (!reg) reg = std::make_unique<std::unordered_map<TClass, std::unique_ptr<TProxyClass>>>();
  TClass cls = &rec;
  reg->emplace(cls, std::move(proxy));
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
        Format(SProxyTooManyMethods, proxy->Rec.ClassName, static_cast<Integer>(MaxProxyMethods)));
  void* code = CodeAddress(ProxyCodeNumbers().Acquire());
  proxy->Rec.Methods.Add(shortName, code);
  return code;
}

void RenameSubClassMethod(TObject* instance, void* address, const String& name) {
  if (!instance) return;
  if (TProxyClass* proxy = FindProxy(instance->ClassType()))
    proxy->Rec.Methods.Rename(address, ShortString(name));
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
  const auto& reg = State().Registry;
  return reg ? reg->size() : 0;
}

TCodeNumberSet& ProxyCodeNumbers() {
  auto& numbers = State().Numbers;
  if (!numbers) numbers = std::make_unique<TCodeNumberSet>();
  return *numbers;
}

namespace {
bool IsLiveProxy(TClass cls) noexcept { return IsProxyClass(cls); }

bool IsProxyCode(const void* code) noexcept {
  const auto v = reinterpret_cast<std::uintptr_t>(code);
  return v <= 0xFFFFFFFFu && State().Numbers &&
         State().Numbers->InUse(static_cast<std::uint32_t>(v));
}
} // namespace

void InitializeProxies() {
  ProxyCodeNumbers();
  IsDesignedMethodCode = &IsProxyCode;
  IsDesignedClass = &IsLiveProxy;
}

void FinalizeProxies() {
  IsDesignedClass = nullptr;
  IsDesignedMethodCode = nullptr;
  State().Numbers.reset();
}

} // namespace fw
