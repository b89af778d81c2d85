// Small sets of enumeration members, stored as bit masks (bit n = member with ordinal n).
#pragma once

#include <cstdint>
#include <initializer_list>

namespace fw {

template <class E> class TSet {
public:
  constexpr TSet() noexcept = default;
  constexpr TSet(std::initializer_list<E> members) noexcept {
    for (E m : members)
      FBits |= Bit(m);
  }
  static constexpr TSet FromMask(std::uint64_t mask) noexcept {
    TSet s;
    s.FBits = mask;
    return s;
  }
  constexpr std::uint64_t Mask() const noexcept { return FBits; }

  constexpr bool Contains(E m) const noexcept { return (FBits & Bit(m)) != 0; }
  constexpr bool Empty() const noexcept { return FBits == 0; }
  constexpr TSet& Include(E m) noexcept {
    FBits |= Bit(m);
    return *this;
  }
  constexpr TSet& Exclude(E m) noexcept {
    FBits &= ~Bit(m);
    return *this;
  }
  constexpr TSet& Set(E m, bool on) noexcept { return on ? Include(m) : Exclude(m); }

  friend constexpr TSet operator+(TSet a, TSet b) noexcept { return FromMask(a.FBits | b.FBits); }
  friend constexpr TSet operator-(TSet a, TSet b) noexcept { return FromMask(a.FBits & ~b.FBits); }
  friend constexpr TSet operator*(TSet a, TSet b) noexcept { return FromMask(a.FBits & b.FBits); }
  friend constexpr TSet operator+(TSet a, E m) noexcept { return a.Include(m); }
  friend constexpr TSet operator-(TSet a, E m) noexcept { return a.Exclude(m); }
  constexpr TSet& operator+=(TSet b) noexcept {
    FBits |= b.FBits;
    return *this;
  }
  constexpr TSet& operator-=(TSet b) noexcept {
    FBits &= ~b.FBits;
    return *this;
  }
  /// True when every member of `b` is in this set.
  constexpr bool ContainsAll(TSet b) const noexcept { return (FBits & b.FBits) == b.FBits; }
  friend constexpr bool operator==(TSet a, TSet b) noexcept = default;

private:
  static constexpr std::uint64_t Bit(E m) noexcept {
    return std::uint64_t{1} << static_cast<unsigned>(m);
  }
  std::uint64_t FBits = 0;
};

} // namespace fw
