// Asking for memory before a walk needs it: a large module does not fit in the cache, and a walk
// that goes from object to object waits on each in turn unless the next ones are already coming.
#pragma once

#include <cstddef>

namespace fw {

inline constexpr std::size_t CacheLine = 64;
/// Enough for the fields an update reads of a typical component or update object; a larger
/// object's remaining lines come the ordinary way.
inline constexpr std::size_t ObjectSpan = 576;

/// Starts loading `size` bytes at `p` (null is ignored). Never faults.
inline void Prefetch(const void* p, std::size_t size = CacheLine) noexcept {
  if (!p) return;
  const char* at = static_cast<const char*>(p);
  for (std::size_t offset = 0; offset < size; offset += CacheLine)
    __builtin_prefetch(at + offset, 0, 3);
}

} // namespace fw
