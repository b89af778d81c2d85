// A small hashed symbol table of 32 chains, with a positional iterator and a non-owning list.
#pragma once

#include "basert/types.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace fw {

/// A byte string of at most 255 bytes held inline, so that look-ups never allocate.
class ShortString {
public:
  static constexpr std::size_t MaxLength = 255;

  constexpr ShortString() noexcept : FData{} {}
  /// Keeps the first 255 bytes of `s`.
  constexpr explicit ShortString(std::string_view s) noexcept : FData{} { Assign(s); }

  constexpr void Assign(std::string_view s) noexcept {
    FLength = static_cast<std::uint8_t>(s.size() > MaxLength ? MaxLength : s.size());
    for (std::size_t i = 0; i < FLength; ++i)
      FData[i] = s[i];
  }
  constexpr std::size_t Length() const noexcept { return FLength; }
  constexpr bool Empty() const noexcept { return FLength == 0; }
  constexpr std::string_view View() const noexcept { return {FData.data(), FLength}; }
  constexpr char operator[](std::size_t i) const noexcept { return FData[i]; }
  /// Byte-for-byte equality of length and bytes.
  friend constexpr bool operator==(const ShortString& a, const ShortString& b) noexcept {
    return a.View() == b.View();
  }

private:
  std::uint8_t FLength = 0;
  std::array<char, MaxLength> FData; // only the first FLength bytes are meaningful
};

/// Bucket (0..31) of a name given as the bytes of a short string. Pure ASCII names hash by a
/// byte sum that ignores letter case; a name holding a byte of 0x80 or more is hashed over its
/// case-folded sort key instead (bucket 0 when it has no valid key).
int SymbolIndex(const ShortString& name) noexcept;
/// Bucket of a UTF-8 name; names longer than 255 bytes hash their first 255 bytes.
int SymbolIndex(std::string_view name) noexcept;

/// One symbol of a table. A symbol is linked into at most one table through `Next`.
class TBaseSymbol {
public:
  /// Stores the short form unchanged; the UTF-16 form is made on first `GetIdent`.
  explicit TBaseSymbol(const ShortString& name) : FShortIdent(name) {}
  /// Stores the name as UTF-16 and as UTF-8 (the UTF-8 form cut to 255 bytes at a character
  /// boundary).
  explicit TBaseSymbol(std::string_view name);
  virtual ~TBaseSymbol() = default;
  TBaseSymbol(const TBaseSymbol&) = delete;
  TBaseSymbol& operator=(const TBaseSymbol&) = delete;

  /// Sets the UTF-8 form and forgets the UTF-16 form. Do not rename a symbol while it is in a
  /// table: its bucket would no longer match.
  void SetShortIdent(const ShortString& name);
  void SetIdent(std::string_view name);
  const ShortString& ShortIdent() const noexcept { return FShortIdent; }
  /// The UTF-16 form, decoded from the UTF-8 form on first use.
  const WideString& GetIdent() const;

  TBaseSymbol* Next = nullptr;

protected:
  ShortString FShortIdent;
  mutable WideString FIdent;
  mutable bool FIdentValid = false;
};

enum TSymbolTableKind : std::uint8_t { stInsensitive, stCaseSensitive };

/// Whether the bytes of two short strings name the same symbol.
using TCompareSymbols = bool (*)(std::string_view a, std::string_view b) noexcept;

/// A table that owns its symbols, hashed into 32 singly linked chains. Used from one thread;
/// only `Clear` detaches chains atomically.
class TSymbolTable {
public:
  static constexpr int BucketCount = 32;

  explicit TSymbolTable(TSymbolTableKind kind);
  ~TSymbolTable();
  TSymbolTable(const TSymbolTable&) = delete;
  TSymbolTable& operator=(const TSymbolTable&) = delete;

  /// Takes the symbol and puts it at the head of its chain, so that the newest of several equal
  /// names is found first. Returns it; a null symbol is ignored.
  TBaseSymbol* Insert(std::unique_ptr<TBaseSymbol> symbol);
  /// Unlinks the symbol (by identity) and hands it back; null when it is not in the table.
  std::unique_ptr<TBaseSymbol> Delete(TBaseSymbol* symbol);
  bool Contains(const TBaseSymbol* symbol) const noexcept;
  /// The newest symbol of that name, or null.
  TBaseSymbol* Find(const ShortString& name) const noexcept;
  /// UTF-8 overload; a name longer than 255 bytes finds nothing.
  TBaseSymbol* Find(std::string_view name) const noexcept;
  /// `Find` with the bucket already computed; null for a bucket outside 0..31.
  TBaseSymbol* FindIndex(int bucket, const ShortString& name) const noexcept {
    return FindIndex(bucket, name.View());
  }
  TBaseSymbol* FindIndex(int bucket, std::string_view name) const noexcept;
  /// The next older symbol of the same name in the same chain, or null.
  TBaseSymbol* FindNext(const TBaseSymbol* symbol) const noexcept;
  /// The first symbol of a bucket for which `matcher(symbol)` is true, or null.
  template <class Matcher> TBaseSymbol* FindSymbol(int bucket, Matcher&& matcher) const {
    if (bucket < 0 || bucket >= BucketCount) return nullptr;
    for (TBaseSymbol* s = Head(bucket); s; s = s->Next)
      if (matcher(*s)) return s;
    return nullptr;
  }
  /// Frees every symbol.
  void Clear();
  bool Empty() const noexcept { return FCount == 0; }
  Integer Count() const noexcept { return FCount; }
  TSymbolTableKind Kind() const noexcept { return FKind; }
  /// First symbol of a chain (null when empty or out of range).
  TBaseSymbol* Head(int bucket) const noexcept {
    return bucket >= 0 && bucket < BucketCount ? FSymbolList[bucket].load(std::memory_order_relaxed)
                                               : nullptr;
  }

private:
  Integer FCount = 0;
  std::array<std::atomic<TBaseSymbol*>, BucketCount> FSymbolList{};
  TCompareSymbols FCompare;
  TSymbolTableKind FKind;
};

/// Walks a table by position. Stepping to the next position costs one step; asking for an
/// earlier position restarts from the first symbol.
class TTableIterator {
public:
  explicit TTableIterator(const TSymbolTable& table) noexcept
      : FCount(table.Count()), FTable(&table) {}
  /// The symbol at position `index`, or null when it is negative or not below the table's count
  /// when the iterator was made.
  TBaseSymbol* GetSymbol(Integer index) noexcept;

private:
  Integer FLocation = -1;
  Integer FIndex = -1;
  TBaseSymbol* FSymbol = nullptr;
  Integer FCount;
  const TSymbolTable* FTable;
};

/// An array of symbols that does not own them; grows by doubling.
class TSymbolList {
public:
  TSymbolList() : FList(1, nullptr) {}
  void Add(TBaseSymbol* symbol);
  /// Empties the list and shrinks its array to one slot.
  void Clear();
  /// The i-th added symbol, or null for an index outside 0..Count-1.
  TBaseSymbol* GetSymbol(Integer index) const noexcept;
  Integer Count() const noexcept { return FCount; }
  std::size_t Capacity() const noexcept { return FList.size(); }

private:
  std::vector<TBaseSymbol*> FList;
  Integer FCount = 0;
};

} // namespace fw
