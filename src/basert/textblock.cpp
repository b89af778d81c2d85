#include "basert/textblock.h"

#include <cstdlib>
#include <new>

namespace fw {

TTextBlock* TTextBlock::Create(std::size_t capacity) {
  auto* block = new TTextBlock;
  try {
    block->Resize(capacity);
  } catch (...) {
    delete block;
    throw;
  }
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
