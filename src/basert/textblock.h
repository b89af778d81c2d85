// Shared text blocks: bytes that several string lists can point into instead of copying.
#pragma once

#include <atomic>
#include <cstddef>

namespace fw {

/// A fixed block of bytes with a reference count. A writer fills it (a child's output is read
/// straight into one); string lists then keep lines that lie inside it by reference. The block
/// is freed with its last reference, whichever thread drops it.
class TTextBlock {
public:
  /// A block of `capacity` bytes holding one reference, the caller's. Raises std::bad_alloc.
  static TTextBlock* Create(std::size_t capacity);

  TTextBlock(const TTextBlock&) = delete;
  TTextBlock& operator=(const TTextBlock&) = delete;

  char* Data() noexcept { return FData; }
  const char* Data() const noexcept { return FData; }
  std::size_t Capacity() const noexcept { return FCapacity; }
  /// True while the caller holds the only reference.
  bool Unshared() const noexcept { return FRefs.load(std::memory_order_acquire) == 1; }
  /// Resizes the bytes of a block nobody else refers to (Unshared); they are kept but may move,
  /// so Data changes. A large block moves by remapping its pages, not by copying them. Raises
  /// std::bad_alloc and then leaves the block as it was.
  void Resize(std::size_t capacity);

  void AddRef() noexcept { FRefs.fetch_add(1, std::memory_order_relaxed); }
  void Release() noexcept;

private:
  TTextBlock() = default;
  ~TTextBlock();
  std::atomic<std::size_t> FRefs{1};
  char* FData = nullptr;
  std::size_t FCapacity = 0;
};

} // namespace fw
