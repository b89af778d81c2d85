#include "basert/object.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"
#include "basert/sysutils.h"

#include <algorithm>
#include <deque>
#include <mutex>

namespace fw {

namespace {

constexpr std::string_view sAbstractClass = "Cannot create an instance of abstract class %s";

String LowerKey(std::string_view s) { return LowerCase(s); }

} // namespace

// ---- TMethodTable ------------------------------------------------------------------------------

// Small tables are searched directly; the hashed index pays off only for designed classes with
// many handlers.
constexpr std::size_t IndexThreshold = 16;

void TMethodTable::BuildIndex() const {
  FByLowerName.clear();
  FByCode.clear();
  FMayHaveDuplicates = false;
  // Earlier entries win a name or code that occurs twice.
  for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it) {
    auto [byName, newName] = FByLowerName.insert_or_assign(LowerKey(it->Name), it->Code);
    auto [byCode, newCode] = FByCode.insert_or_assign(it->Code, it->Name);
    if (!newName || !newCode) FMayHaveDuplicates = true;
  }
  FIndexed = true;
}

void TMethodTable::Add(String name, void* code) {
  FEntries.push_back(TEntry{std::move(name), code});
  if (FIndexed) {
    const bool newName = FByLowerName.emplace(LowerKey(FEntries.back().Name), code).second;
    const bool newCode = FByCode.emplace(code, FEntries.back().Name).second;
    if (!newName || !newCode) FMayHaveDuplicates = true;
  }
}

bool TMethodTable::Remove(void* code) {
  auto same = [code](const TEntry& e) { return e.Code == code; };
  auto it = FEntries.end();
  if (FIndexed && !FMayHaveDuplicates) {
    // The code is unique: look from the end, where the entries removed or renamed mostly are.
    auto rit = std::find_if(FEntries.rbegin(), FEntries.rend(), same);
    if (rit != FEntries.rend()) it = std::prev(rit.base());
  } else {
    it = std::find_if(FEntries.begin(), FEntries.end(), same);
  }
  if (it == FEntries.end()) return false;
  String name = std::move(it->Name);
  FEntries.erase(it);
  if (FIndexed) {
    auto byName = FByLowerName.find(LowerKey(name));
    if (byName != FByLowerName.end() && byName->second == code) FByLowerName.erase(byName);
    FByCode.erase(code);
    // Another entry of the same name or code (rare) becomes visible again.
    if (FMayHaveDuplicates)
      for (const auto& e : FEntries) {
        if (e.Code == code) FByCode.emplace(code, e.Name);
        if (SameText(e.Name, name)) FByLowerName.emplace(LowerKey(name), e.Code);
      }
  }
  return true;
}

bool TMethodTable::Rename(void* code, String name) {
  if (!Remove(code)) return false;
  Add(std::move(name), code);
  return true;
}

void TMethodTable::RenameAll(const std::vector<std::pair<void*, String>>& renames) {
  if (!FIndexed && FEntries.size() >= IndexThreshold) BuildIndex();
  // Small tables, and codes or names that occur twice, take the plain way.
  if (!FIndexed || FMayHaveDuplicates || renames.size() < 2) {
    for (const auto& [code, name] : renames)
      Rename(code, name);
    return;
  }
  // Each code ends where its last rename puts it.
  std::unordered_map<void*, std::size_t> last;
  for (std::size_t i = 0; i < renames.size(); ++i)
    last[renames[i].first] = i;
  std::unordered_map<void*, String> oldNames;
  std::erase_if(FEntries, [&](TEntry& e) {
    if (!last.count(e.Code)) return false;
    oldNames.emplace(e.Code, std::move(e.Name));
    return true;
  });
  for (const auto& [code, name] : oldNames) {
    const auto byName = FByLowerName.find(LowerKey(name));
    if (byName != FByLowerName.end() && byName->second == code) FByLowerName.erase(byName);
    FByCode.erase(code);
  }
  for (std::size_t i = 0; i < renames.size(); ++i) {
    void* code = renames[i].first;
    if (last[code] == i && oldNames.count(code)) Add(renames[i].second, code);
  }
}

void* TMethodTable::AddressOf(std::string_view name) const {
  if (FEntries.size() < IndexThreshold) {
    for (const auto& e : FEntries)
      if (SameText(e.Name, name)) return e.Code;
    return nullptr;
  }
  if (!FIndexed) BuildIndex();
  auto it = FByLowerName.find(LowerKey(name));
  return it == FByLowerName.end() ? nullptr : it->second;
}

const String* TMethodTable::NameOf(void* code) const {
  if (FEntries.size() < IndexThreshold) {
    for (const auto& e : FEntries)
      if (e.Code == code) return &e.Name;
    return nullptr;
  }
  if (!FIndexed) BuildIndex();
  auto it = FByCode.find(code);
  return it == FByCode.end() ? nullptr : &it->second;
}

void TMethodTable::Clear() {
  FMayHaveDuplicates = false;
  FEntries.clear();
  FByLowerName.clear();
  FByCode.clear();
  FIndexed = false;
}

// ---- TClassRec ---------------------------------------------------------------------------------

bool TClassRec::InheritsFrom(TClass ancestor) const noexcept {
  for (TClass c = this; c; c = c->Parent)
    if (c == ancestor) return true;
  return false;
}

bool TClassRec::ClassNameIs(std::string_view name) const noexcept {
  return SameText(ClassName, name);
}

void* TClassRec::MethodAddress(std::string_view name) const {
  for (TClass c = this; c; c = c->Parent)
    if (void* code = c->Methods.AddressOf(name)) return code;
  return nullptr;
}

String TClassRec::MethodName(void* code) const {
  if (!code) return {};
  for (TClass c = this; c; c = c->Parent)
    if (const String* n = c->Methods.NameOf(code)) return *n;
  return {};
}

namespace detail {

TCreationContext*& PendingCreation() noexcept {
  thread_local TCreationContext* pending = nullptr;
  return pending;
}

void RaiseAbstract(TClass cls) {
  String msg(sAbstractClass);
  msg.replace(msg.find("%s"), 2, cls ? cls->ClassName : String("nil"));
  throw EInvalidOperation(msg);
}

TClassRec* KeepClassRecord(std::unique_ptr<TClassRec> rec) {
  static std::mutex lock;
  static auto* records = new std::deque<std::unique_ptr<TClassRec>>(); // lives to the end
  std::lock_guard guard(lock);
  records->push_back(std::move(rec));
  return records->back().get();
}

} // namespace detail

// ---- TObject -----------------------------------------------------------------------------------

TObject::TObject() noexcept {
  TCreationContext* ctx = detail::PendingCreation();
  if (ctx && !ctx->Target) {
    ctx->Target = this;
    FClass = ctx->Class;
  }
}

TObject::~TObject() = default;

TClass TObject::StaticClass() {
  static const TClass cls = TClassBuilder<TObject>("TObject", "System").Build();
  return cls;
}

bool TObject::GetInterface(const TGUID& iid, void** out) {
  *out = nullptr;
  for (TClass c = ClassType(); c; c = c->Parent)
    for (const auto& e : c->Interfaces)
      if (e.IID == iid) {
        *out = e.Get(this);
        return true;
      }
  return false;
}

bool TObject::ChangeClass(TClass cls, bool announce) noexcept {
  if (!cls || cls->LayoutClass != ClassType()->LayoutClass) return false;
  FClass = cls;
  if (announce) ClassChanged();
  return true;
}

void TObject::Free() {
  if (auto hook = ClassType()->BeforeDestroy) hook(this);
  BeforeDestruction();
  delete this;
}

// ---- TInterfacedObject -------------------------------------------------------------------------

TClass TInterfacedObject::StaticClass() {
  static const TClass cls = TClassBuilder<TInterfacedObject, TObject>("TInterfacedObject", "System")
                                .Implements<IInterface>()
                                .Build();
  return cls;
}

HResult TInterfacedObject::QueryInterface(const TGUID& iid, void** obj) {
  return GetInterface(iid, obj) ? S_OK : E_NOINTERFACE;
}

int TInterfacedObject::_AddRef() { return ++FRefCount; }

int TInterfacedObject::_Release() {
  int r = --FRefCount;
  if (r == 0) Free();
  return r;
}

} // namespace fw
