#include "basert/textblock.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#include <sys/mman.h>

namespace fw {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// A large block is filled once, front to back: on large pages that costs a few hundred page
// faults instead of a few hundred thousand. Asked for the whole pages inside [from, to).
void AdviseLargePages([[maybe_unused]] char* from, [[maybe_unused]] char* to) noexcept {
#ifdef MADV_HUGEPAGE
  const auto first = (reinterpret_cast<std::uintptr_t>(from) + kHugePage - 1) & ~(kHugePage - 1);
  const auto last = reinterpret_cast<std::uintptr_t>(to) & ~(kHugePage - 1);
  if (first < last) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

} // namespace

TTextBlock* TTextBlock::Create(std::size_t capacity) {
  auto* block = new TTextBlock;
  if (capacity < LargeBlock) {
    try {
      block->Resize(capacity);
    } catch (...) {
      delete block;
      throw;
    }
    return block;
  }
  const std::size_t rounded = (capacity + kHugePage - 1) & ~(kHugePage - 1);
  void* data = std::aligned_alloc(kHugePage, rounded);
  if (!data) {
    delete block;
    throw std::bad_alloc();
  }
  block->FData = static_cast<char*>(data);
  block->FCapacity = rounded;
  AdviseLargePages(block->FData, block->FData + rounded);
  return block;
}

TTextBlock::~TTextBlock() { std::free(FData); }

void TTextBlock::Resize(std::size_t capacity) {
  // realloc, so that the pages of a large block are remapped rather than copied.
  void* data = std::realloc(FData, capacity == 0 ? 1 : capacity);
  if (!data) throw std::bad_alloc();
  FData = static_cast<char*>(data);
  FCapacity = capacity;
}

void TTextBlock::Release() noexcept {
  if (FRefs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

} // namespace fw
