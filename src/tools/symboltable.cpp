#include "tools/symboltable.h"

#include <utility>

namespace fw {

namespace {

// Invalid UTF-8 bytes decode to values past the Unicode range, one per byte, so that two
// different broken names never compare equal.
constexpr char32_t kInvalidBase = 0x110000;

char32_t NextCodePoint(std::string_view s, std::size_t& i) noexcept {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  std::size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
  char32_t cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
  bool ok = len != 0 && i + len <= s.size();
  for (std::size_t k = 1; ok && k < len; ++k) {
    const unsigned char cc = static_cast<unsigned char>(s[i + k]);
    ok = (cc & 0xC0) == 0x80;
    cp = (cp << 6) | (cc & 0x3F);
  }
  static constexpr char32_t minByLen[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (!ok || cp < minByLen[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kInvalidBase + c;
  }
  i += len;
  return cp;
}

struct TCaseRange {
  char32_t First, Last;
  int Delta;   // added to a lower-case letter of the range
  bool Paired; // upper and lower alternate: only every other code point is lower case
  bool OddLower;
};

// Simple upper-casing of the Latin, Greek and Cyrillic letters. Non-ASCII letters map only to
// non-ASCII ones, so an ASCII name and a non-ASCII name never compare equal: they hash by
// different paths.
constexpr TCaseRange kCaseRanges[] = {
    {U'a', U'z', -32, false, false},
    {0xE0, 0xF6, -32, false, false},
    {0xF8, 0xFE, -32, false, false},
    {0xFF, 0xFF, 0x178 - 0xFF, false, false},
    {0x100, 0x12F, -1, true, true},
    {0x132, 0x137, -1, true, true},
    {0x139, 0x148, -1, true, false},
    {0x14A, 0x177, -1, true, true},
    {0x179, 0x17E, -1, true, false},
    {0x3B1, 0x3C1, -32, false, false},
    {0x3C2, 0x3C2, 0x3A3 - 0x3C2, false, false},
    {0x3C3, 0x3CB, -32, false, false},
    {0x430, 0x44F, -32, false, false},
    {0x450, 0x45F, -80, false, false},
    {0x460, 0x481, -1, true, true},
    {0x48A, 0x4BF, -1, true, true},
};

char32_t FoldCase(char32_t cp) noexcept {
  if (cp < 0x80) return cp >= U'a' && cp <= U'z' ? cp - 32 : cp;
  for (const TCaseRange& r : kCaseRanges) {
    if (cp < r.First || cp > r.Last) continue;
    if (r.Paired && ((cp & 1) != 0) != r.OddLower) return cp;
    return static_cast<char32_t>(static_cast<int>(cp) + r.Delta);
  }
  return cp;
}

constexpr unsigned char LowerAscii(unsigned char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

bool CompareInsensitive(std::string_view x, std::string_view y) noexcept {
  std::size_t i = 0, j = 0;
  while (i < x.size() && j < y.size()) {
    const auto a = static_cast<unsigned char>(x[i]), b = static_cast<unsigned char>(y[j]);
    if ((a | b) < 0x80) {
      if (LowerAscii(a) != LowerAscii(b)) return false;
      ++i;
      ++j;
    } else if (FoldCase(NextCodePoint(x, i)) != FoldCase(NextCodePoint(y, j))) {
      return false;
    }
  }
  return i == x.size() && j == y.size();
}

bool CompareSensitive(std::string_view x, std::string_view y) noexcept { return x == y; }

constexpr std::uint8_t HashStep(std::uint8_t h, std::uint8_t b) noexcept {
  return static_cast<std::uint8_t>(h + ((b ^ 0x0A) - 1));
}

// The sort key of a name ignoring case: each folded UTF-16 unit as two big-endian bytes.
int FoldedIndex(std::string_view s) noexcept {
  std::uint8_t h = 0;
  auto unit = [&h](char16_t u) {
    h = HashStep(h, static_cast<std::uint8_t>(u >> 8));
    h = HashStep(h, static_cast<std::uint8_t>(u & 0xFF));
  };
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = FoldCase(NextCodePoint(s, i));
    if (cp >= kInvalidBase) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(static_cast<char16_t>(0xD800 + (cp >> 10)));
      unit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      unit(static_cast<char16_t>(cp));
    }
  }
  return h % TSymbolTable::BucketCount;
}

// Longest prefix of at most 255 bytes that does not split a UTF-8 sequence.
std::string_view Utf8Prefix(std::string_view s) noexcept {
  if (s.size() <= ShortString::MaxLength) return s;
  std::size_t n = ShortString::MaxLength;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
    --n;
  return s.substr(0, n);
}

} // namespace

int SymbolIndex(std::string_view name) noexcept {
  if (name.size() > ShortString::MaxLength) name = name.substr(0, ShortString::MaxLength);
  std::uint8_t h = 0;
  for (char ch : name) {
    const auto b = static_cast<std::uint8_t>(ch);
    if (b >= 0x80) return FoldedIndex(name);
    h = HashStep(h, b);
  }
  return h % TSymbolTable::BucketCount;
}

int SymbolIndex(const ShortString& name) noexcept { return SymbolIndex(name.View()); }

// --- TBaseSymbol ---

TBaseSymbol::TBaseSymbol(std::string_view name)
    : FShortIdent(Utf8Prefix(name)), FIdent(Utf8ToWide(name)), FIdentValid(true) {}

void TBaseSymbol::SetShortIdent(const ShortString& name) {
  FShortIdent = name;
  FIdent.clear();
  FIdentValid = false;
}

void TBaseSymbol::SetIdent(std::string_view name) {
  FShortIdent = ShortString(Utf8Prefix(name));
  FIdent = Utf8ToWide(name);
  FIdentValid = true;
}

const WideString& TBaseSymbol::GetIdent() const {
  if (!FIdentValid) {
    FIdent = Utf8ToWide(FShortIdent.View());
    FIdentValid = true;
  }
  return FIdent;
}

// --- TSymbolTable ---

TSymbolTable::TSymbolTable(TSymbolTableKind kind)
    : FCompare(kind == stInsensitive ? CompareInsensitive : CompareSensitive), FKind(kind) {}

TSymbolTable::~TSymbolTable() { Clear(); }

TBaseSymbol* TSymbolTable::Insert(std::unique_ptr<TBaseSymbol> symbol) {
  if (!symbol) return nullptr;
  TBaseSymbol* s = symbol.release();
  std::atomic<TBaseSymbol*>& head = FSymbolList[SymbolIndex(s->ShortIdent())];
  s->Next = head.load(std::memory_order_relaxed);
  head.store(s, std::memory_order_release);
  ++FCount;
  return s;
}

std::unique_ptr<TBaseSymbol> TSymbolTable::Delete(TBaseSymbol* symbol) {
  if (!symbol) return nullptr;
  std::atomic<TBaseSymbol*>& head = FSymbolList[SymbolIndex(symbol->ShortIdent())];
  TBaseSymbol* prev = nullptr;
  for (TBaseSymbol* s = head.load(std::memory_order_relaxed); s; prev = s, s = s->Next) {
    if (s != symbol) continue;
    if (prev)
      prev->Next = s->Next;
    else
      head.store(s->Next, std::memory_order_release);
    s->Next = nullptr;
    --FCount;
    return std::unique_ptr<TBaseSymbol>(s);
  }
  return nullptr;
}

bool TSymbolTable::Contains(const TBaseSymbol* symbol) const noexcept {
  if (!symbol) return false;
  for (TBaseSymbol* s = Head(SymbolIndex(symbol->ShortIdent())); s; s = s->Next)
    if (s == symbol) return true;
  return false;
}

TBaseSymbol* TSymbolTable::FindIndex(int bucket, std::string_view name) const noexcept {
  for (TBaseSymbol* s = Head(bucket); s; s = s->Next)
    if (FCompare(s->ShortIdent().View(), name)) return s;
  return nullptr;
}

TBaseSymbol* TSymbolTable::Find(const ShortString& name) const noexcept {
  return FindIndex(SymbolIndex(name), name.View());
}

TBaseSymbol* TSymbolTable::Find(std::string_view name) const noexcept {
  if (name.size() > ShortString::MaxLength) return nullptr;
  return FindIndex(SymbolIndex(name), name);
}

TBaseSymbol* TSymbolTable::FindNext(const TBaseSymbol* symbol) const noexcept {
  if (!symbol) return nullptr;
  for (TBaseSymbol* s = symbol->Next; s; s = s->Next)
    if (FCompare(s->ShortIdent().View(), symbol->ShortIdent().View())) return s;
  return nullptr;
}

void TSymbolTable::Clear() {
  for (std::atomic<TBaseSymbol*>& head : FSymbolList) {
    TBaseSymbol* s = head.exchange(nullptr, std::memory_order_acq_rel);
    while (s) {
      std::unique_ptr<TBaseSymbol> owned(s);
      s = s->Next;
    }
  }
  FCount = 0;
}

// --- TTableIterator ---

TBaseSymbol* TTableIterator::GetSymbol(Integer index) noexcept {
  if (index < 0 || index >= FCount) return nullptr;
  if (index < FIndex) {
    FLocation = -1;
    FIndex = -1;
    FSymbol = nullptr;
  }
  while (FIndex < index) {
    if (FSymbol && FSymbol->Next) {
      FSymbol = FSymbol->Next;
    } else {
      do {
        ++FLocation;
      } while (FLocation < TSymbolTable::BucketCount && !FTable->Head(FLocation));
      if (FLocation >= TSymbolTable::BucketCount) {
        // The table shrank since the iterator was made: stay before the first symbol.
        FLocation = -1;
        FIndex = -1;
        FSymbol = nullptr;
        return nullptr;
      }
      FSymbol = FTable->Head(FLocation);
    }
    ++FIndex;
  }
  return FSymbol;
}

// --- TSymbolList ---

void TSymbolList::Add(TBaseSymbol* symbol) {
  if (static_cast<std::size_t>(FCount) == FList.size()) FList.resize(FList.size() * 2);
  FList[static_cast<std::size_t>(FCount++)] = symbol;
}

void TSymbolList::Clear() {
  FCount = 0;
  FList.assign(1, nullptr);
}

TBaseSymbol* TSymbolList::GetSymbol(Integer index) const noexcept {
  return index >= 0 && index < FCount ? FList[static_cast<std::size_t>(index)] : nullptr;
}

} // namespace fw
