// Asking for memory before a walk needs it: a large module does not fit in the cache, and a walk
// that goes from object to object waits on each in turn unless the next ones are already coming.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fw {

inline constexpr std::size_t CacheLine = 64;
/// Enough for the fields an update reads of a typical component or update object; a larger
/// object's remaining lines come the ordinary way.
inline constexpr std::size_t ObjectSpan = 576;

/// Starts loading `size` bytes at `p` (null is ignored). Never faults.
inline void Prefetch(const void* p, std::size_t size = 1) noexcept {
  if (!p || !size) return;
  const auto first = reinterpret_cast<std::uintptr_t>(p) & ~(CacheLine - 1);
  const auto last = reinterpret_cast<std::uintptr_t>(p) + size - 1;
  for (std::uintptr_t line = first; line <= last; line += CacheLine)
    __builtin_prefetch(reinterpret_cast<const void*>(line), 0, 3);
}

} // namespace fw
