// Reserved words of the Pascal dialect (case-insensitive) and of the C++ dialect (case-sensitive).
#pragma once

#include "tools/symboltable.h"

#include <span>
#include <string_view>

namespace fw {

/// One record of a dialect's word table. A token of 0 ends the table.
struct TReservedWord {
  Byte Token;
  std::string_view Ident;
};

class TPascalSymbol : public TBaseSymbol {
public:
  TPascalSymbol(const ShortString& name, Byte token) : TBaseSymbol(name), Token(token) {}
  Byte Token;
};

class TCppSymbol : public TBaseSymbol {
public:
  TCppSymbol(const ShortString& name, Byte token) : TBaseSymbol(name), Token(token) {}
  Byte Token;
};

/// The symbol table of one dialect, built once from its word table and never changed after.
class TReservedWordTable {
public:
  using TSymbolFactory = std::unique_ptr<TBaseSymbol> (*)(const ShortString& name, Byte token);

  /// Reads `words` up to the first record with token 0.
  TReservedWordTable(std::span<const TReservedWord> words, TSymbolTableKind kind,
                     TSymbolFactory factory);

  /// The look-up alone.
  bool IsReservedWord(const ShortString& name) const noexcept;
  /// False for a name longer than the longest word or holding a character at or above U+20AC;
  /// otherwise the low 8 bits of each character are looked up. Allocates nothing.
  bool IsReservedWord(std::u16string_view name) const noexcept;
  /// UTF-8 overload of the above; invalid UTF-8 is never reserved.
  bool IsReservedWord(std::string_view name) const noexcept;

  const TSymbolTable& Table() const noexcept { return FTable; }
  /// Length of the longest word, in characters.
  std::size_t MaxLength() const noexcept { return FMaxLength; }

private:
  TSymbolTable FTable;
  std::size_t FMaxLength = 0;
};

namespace pascal {
/// The word table, terminator included.
std::span<const TReservedWord> ReservedWords() noexcept;
/// The table built from it when the package is loaded; symbols are `TPascalSymbol`.
const TReservedWordTable& ReservedWordTable();
bool IsReservedWord(const ShortString& name) noexcept;
bool IsReservedWord(std::string_view name) noexcept;
bool IsReservedWord(std::u16string_view name) noexcept;
} // namespace pascal

namespace cpp {
/// The word table, terminator included.
std::span<const TReservedWord> ReservedWords() noexcept;
/// The table built from it when the package is loaded; symbols are `TCppSymbol`.
const TReservedWordTable& ReservedWordTable();
bool IsReservedWord(const ShortString& name) noexcept;
bool IsReservedWord(std::string_view name) noexcept;
bool IsReservedWord(std::u16string_view name) noexcept;
} // namespace cpp

} // namespace fw
