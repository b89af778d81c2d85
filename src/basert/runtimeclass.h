// Classes made while the program runs: their registry, and the code numbers their methods carry
// in place of addresses. What a run-time class means to a designer lives above; this unit only
// owns the records and answers "was this made at run time?".
#pragma once

#include "basert/object.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace fw {

/// Numbers 1, 2, 3, ... handed out lowest free first. Finding the lowest free number costs
/// a scan of one summary word per 4096 numbers in use.
class TCodeNumberSet {
public:
  /// The lowest number not in use, now marked in use.
  std::uint32_t Acquire();
  /// Marks a number free again; numbers not in use (0 included) are ignored.
  void Release(std::uint32_t number) noexcept;
  bool InUse(std::uint32_t number) const noexcept;
  std::size_t Count() const noexcept { return FCount; }

private:
  std::vector<std::uint64_t> FBits;    // bit (n - 1) set: number n in use
  std::vector<std::uint64_t> FHasFree; // bit w set: FBits[w] has a free bit
  std::size_t FCount = 0;
};

/// A class record made at run time with its own type information. Makers of such classes
/// derive from it for their bookkeeping; the registry owns it while it is live.
struct TRunTimeClass {
  TClassRec Rec;
  TTypeInfo Type;
  virtual ~TRunTimeClass() = default;
};

/// Takes a run-time class into the registry and returns its record. Null in, null out.
TClass AdoptRunTimeClass(std::unique_ptr<TRunTimeClass> cls);
/// Takes a class out of the registry and hands it back; null for a class not in it. The record
/// stays valid for as long as the caller keeps the returned object.
std::unique_ptr<TRunTimeClass> DisownRunTimeClass(TClass cls);
/// The live run-time class behind `cls`; null for a compiled class, nil or a disowned record
/// (which is never read, so a dangling pointer may be asked about).
TRunTimeClass* FindRunTimeClass(TClass cls) noexcept;
inline bool IsRunTimeClass(TClass cls) noexcept { return FindRunTimeClass(cls) != nullptr; }
/// `cls` or its nearest ancestor that was compiled; nil for nil.
TClass CompiledClassOf(TClass cls) noexcept;
std::size_t RunTimeClassCount() noexcept;
/// Visits every live run-time class; `visit` must not adopt or disown.
void ForEachRunTimeClass(const std::function<void(TRunTimeClass&)>& visit);

/// The code numbers that run-time classes hand out for their methods, made on first use.
TCodeNumberSet& RunTimeMethodCodes();
/// True for a code that is a live run-time method number rather than an address.
bool IsRunTimeMethodCode(const void* code) noexcept;
/// Drops every number in use: codes still held by live classes are no longer recognised.
void ForgetRunTimeMethodCodes() noexcept;

} // namespace fw
