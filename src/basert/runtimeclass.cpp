#include "basert/runtimeclass.h"

#include <bit>
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

// ---- registry ----------------------------------------------------------------------------------

namespace {

using TRegistry = std::unordered_map<TClass, std::unique_ptr<TRunTimeClass>>;

struct TState {
  std::unique_ptr<TRegistry> Registry; // made on first adoption, dropped when empty
  std::unique_ptr<TCodeNumberSet> Codes;
};

TState& State() {
  static TState state;
  return state;
}

} // namespace

TClass AdoptRunTimeClass(std::unique_ptr<TRunTimeClass> cls) {
  if (!cls) return nullptr;
  auto& reg = State().Registry;
  if (!reg) reg = std::make_unique<TRegistry>();
  TClass rec = &cls->Rec;
  reg->emplace(rec, std::move(cls));
  return rec;
}

std::unique_ptr<TRunTimeClass> DisownRunTimeClass(TClass cls) {
  auto& reg = State().Registry;
  if (!reg) return nullptr;
  auto it = reg->find(cls);
  if (it == reg->end()) return nullptr;
  std::unique_ptr<TRunTimeClass> owned = std::move(it->second);
  reg->erase(it);
  if (reg->empty()) reg.reset();
  return owned;
}

TRunTimeClass* FindRunTimeClass(TClass cls) noexcept {
  const auto& reg = State().Registry;
  if (!reg || !cls) return nullptr;
  auto it = reg->find(cls);
  return it == reg->end() ? nullptr : it->second.get();
}

TClass CompiledClassOf(TClass cls) noexcept {
  while (cls && IsRunTimeClass(cls))
    cls = cls->Parent;
  return cls;
}

std::size_t RunTimeClassCount() noexcept {
  const auto& reg = State().Registry;
  return reg ? reg->size() : 0;
}

void ForEachRunTimeClass(const std::function<void(TRunTimeClass&)>& visit) {
  if (const auto& reg = State().Registry)
    for (auto& [rec, cls] : *reg)
      visit(*cls);
}

// ---- method code numbers -----------------------------------------------------------------------

TCodeNumberSet& RunTimeMethodCodes() {
  auto& codes = State().Codes;
  if (!codes) codes = std::make_unique<TCodeNumberSet>();
  return *codes;
}

bool IsRunTimeMethodCode(const void* code) noexcept {
  const auto v = reinterpret_cast<std::uintptr_t>(code);
  const auto& codes = State().Codes;
  return v <= 0xFFFFFFFFu && codes && codes->InUse(static_cast<std::uint32_t>(v));
}

void ForgetRunTimeMethodCodes() noexcept { State().Codes.reset(); }

} // namespace fw
