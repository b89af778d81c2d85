// Reference-counted interfaces identified by GUIDs, and the smart pointer that holds them.
#pragma once

#include "basert/types.h"

#include <cstdint>
#include <string_view>
#include <utility>

namespace fw {

/// A 128-bit interface identifier in the framework's field layout.
struct TGUID {
  std::uint32_t D1 = 0;
  std::uint16_t D2 = 0;
  std::uint16_t D3 = 0;
  std::uint8_t D4[8] = {};

  /// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" at compile time; a malformed literal fails
  /// to compile when used in a constant expression.
  static constexpr TGUID Parse(std::string_view s);
  /// The braced upper-case text form.
  String ToString() const;
  friend constexpr bool operator==(const TGUID& a, const TGUID& b) {
    if (a.D1 != b.D1 || a.D2 != b.D2 || a.D3 != b.D3) return false;
    for (int i = 0; i < 8; ++i)
      if (a.D4[i] != b.D4[i]) return false;
    return true;
  }
};

namespace detail {
constexpr int HexDigit(char c) {
  return (c >= '0' && c <= '9')   ? c - '0'
         : (c >= 'a' && c <= 'f') ? c - 'a' + 10
         : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                  : throw "invalid GUID digit";
}
constexpr std::uint64_t HexRun(std::string_view s, std::size_t at, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i)
    v = v * 16 + static_cast<std::uint64_t>(HexDigit(s[at + i]));
  return v;
}
} // namespace detail

constexpr TGUID TGUID::Parse(std::string_view s) {
  if (s.size() != 38 || s[0] != '{' || s[9] != '-' || s[14] != '-' || s[19] != '-' ||
      s[24] != '-' || s[37] != '}')
    throw "invalid GUID text";
  TGUID g;
  g.D1 = static_cast<std::uint32_t>(detail::HexRun(s, 1, 8));
  g.D2 = static_cast<std::uint16_t>(detail::HexRun(s, 10, 4));
  g.D3 = static_cast<std::uint16_t>(detail::HexRun(s, 15, 4));
  g.D4[0] = static_cast<std::uint8_t>(detail::HexRun(s, 20, 2));
  g.D4[1] = static_cast<std::uint8_t>(detail::HexRun(s, 22, 2));
  for (int i = 0; i < 6; ++i)
    g.D4[2 + i] = static_cast<std::uint8_t>(detail::HexRun(s, 25 + 2 * i, 2));
  return g;
}

using HResult = std::int32_t;
inline constexpr HResult S_OK = 0;
inline constexpr HResult E_NOINTERFACE = static_cast<HResult>(0x80004002u);

/// Base of every interface. Interfaces derive from it virtually, so that one object
/// implementing several interfaces has one reference count and one QueryInterface.
struct IInterface {
  static constexpr TGUID IID = TGUID::Parse("{00000000-0000-0000-C000-000000000046}");
  /// Stores the interface with that identifier in `obj` (adding a reference) or answers
  /// E_NOINTERFACE and stores null.
  virtual HResult QueryInterface(const TGUID& iid, void** obj) = 0;
  virtual int _AddRef() = 0;
  virtual int _Release() = 0;

protected:
  ~IInterface() = default;
};

/// Intrusive counted reference to an interface. Adds a reference when it takes a raw pointer.
template <class T> class IPtr {
public:
  IPtr() noexcept = default;
  IPtr(std::nullptr_t) noexcept {}
  IPtr(T* p) noexcept : FPtr(p) {
    if (FPtr) FPtr->_AddRef();
  }
  IPtr(const IPtr& o) noexcept : IPtr(o.FPtr) {}
  IPtr(IPtr&& o) noexcept : FPtr(std::exchange(o.FPtr, nullptr)) {}
  template <class U>
  requires std::is_convertible_v<U*, T*> IPtr(const IPtr<U>& o)
  noexcept : IPtr(static_cast<T*>(o.get())) {}
  ~IPtr() { reset(); }

  IPtr& operator=(IPtr o) noexcept {
    std::swap(FPtr, o.FPtr);
    return *this;
  }
  void reset() noexcept {
    if (T* p = std::exchange(FPtr, nullptr)) p->_Release();
  }
  /// Takes over a pointer that already carries a reference (as QueryInterface returns it).
  static IPtr Adopt(T* p) noexcept {
    IPtr r;
    r.FPtr = p;
    return r;
  }

  T* get() const noexcept { return FPtr; }
  T* operator->() const noexcept { return FPtr; }
  T& operator*() const noexcept { return *FPtr; }
  explicit operator bool() const noexcept { return FPtr != nullptr; }
  friend bool operator==(const IPtr& a, const IPtr& b) noexcept { return a.FPtr == b.FPtr; }
  friend bool operator==(const IPtr& a, std::nullptr_t) noexcept { return a.FPtr == nullptr; }

private:
  T* FPtr = nullptr;
};

/// Asks `intf` for interface T; null when it is null or lacks T.
template <class T, class U> IPtr<T> QueryIntf(U* intf) {
  if (!intf) return nullptr;
  void* out = nullptr;
  if (intf->QueryInterface(T::IID, &out) != S_OK) return nullptr;
  return IPtr<T>::Adopt(static_cast<T*>(out));
}
template <class T, class U> IPtr<T> QueryIntf(const IPtr<U>& intf) {
  return QueryIntf<T>(intf.get());
}

/// True when `intf` supports the interface; `out` (optional) receives it.
template <class T, class U> bool Supports(const IPtr<U>& intf, IPtr<T>* out = nullptr) {
  IPtr<T> r = QueryIntf<T>(intf.get());
  bool ok = static_cast<bool>(r);
  if (out) *out = std::move(r);
  return ok;
}

} // namespace fw
