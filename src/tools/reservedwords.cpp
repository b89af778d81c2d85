#include "tools/reservedwords.h"

namespace fw {

namespace {

// Token 4 marks a plain reserved word; the others are the parser's token codes. A token of 0
// ends each table.
constexpr TReservedWord kPascalWords[] = {
    {4, "AND"},          {5, "ARRAY"},       {4, "AS"},
    {135, "ASM"},        {33, "AUTOMATED"},  {20, "BEGIN"},
    {27, "CASE"},        {31, "CLASS"},      {15, "CONST"},
    {21, "CONSTRUCTOR"}, {22, "DESTRUCTOR"}, {131, "DISPINTERFACE"},
    {4, "DIV"},          {4, "DO"},          {4, "DOWNTO"},
    {4, "ELSE"},         {13, "END"},        {4, "EXCEPT"},
    {137, "EXPORTS"},    {17, "FILE"},       {139, "FINALIZATION"},
    {4, "FINALLY"},      {140, "FOR"},       {8, "FUNCTION"},
    {4, "GOTO"},         {4, "IF"},          {30, "IMPLEMENTATION"},
    {138, "IN"},         {29, "INHERITED"},  {24, "INITIALIZATION"},
    {4, "INLINE"},       {128, "INTERFACE"}, {4, "IS"},
    {136, "LABEL"},      {4, "LIBRARY"},     {4, "MOD"},
    {4, "NIL"},          {4, "NOT"},         {130, "OBJECT"},
    {6, "OF"},           {4, "ON"},          {141, "OPERATOR"},
    {4, "OR"},           {132, "PACKED"},    {9, "PRIVATE"},
    {10, "PROTECTED"},   {7, "PROCEDURE"},   {4, "PROGRAM"},
    {32, "PROPERTY"},    {11, "PUBLIC"},     {12, "PUBLISHED"},
    {4, "RAISE"},        {25, "RECORD"},     {133, "RESOURCESTRING"},
    {142, "REPEAT"},     {34, "SET"},        {4, "SHL"},
    {4, "SHR"},          {16, "STRING"},     {4, "THEN"},
    {26, "THREADVAR"},   {4, "TO"},          {28, "TRY"},
    {23, "TYPE"},        {4, "UNIT"},        {143, "UNTIL"},
    {129, "USES"},       {14, "VAR"},        {4, "WHILE"},
    {4, "WITH"},         {4, "XOR"},         {0, ""}};

constexpr TReservedWord kCppWords[] = {{4, "alignas"},
                                       {4, "alignof"},
                                       {4, "__array_rank"},
                                       {4, "__array_extent"},
                                       {4, "__asm"},
                                       {4, "_asm"},
                                       {4, "asm"},
                                       {4, "auto"},
                                       {11, "__automated"},
                                       {4, "axiom"},
                                       {4, "_Bool"},
                                       {4, "bool"},
                                       {4, "break"},
                                       {4, "case"},
                                       {4, "catch"},
                                       {4, "__cdecl"},
                                       {4, "_cdecl"},
                                       {4, "cdecl"},
                                       {4, "char"},
                                       {4, "char16_t"},
                                       {4, "char32_t"},
                                       {4, "class"},
                                       {4, "__classid"},
                                       {4, "__classmethod"},
                                       {4, "__closure"},
                                       {4, "_Complex"},
                                       {4, "concept"},
                                       {4, "concept_map"},
                                       {4, "const"},
                                       {4, "constexpr"},
                                       {4, "const_cast"},
                                       {4, "continue"},
                                       {4, "__cs"},
                                       {4, "_cs"},
                                       {4, "__declspec"},
                                       {4, "decltype"},
                                       {4, "default"},
                                       {4, "delete"},
                                       {4, "deleted"},
                                       {4, "dispid"},
                                       {4, "__dispid"},
                                       {4, "do"},
                                       {4, "double"},
                                       {4, "__ds"},
                                       {4, "_ds"},
                                       {4, "dynamic_cast"},
                                       {4, "else"},
                                       {4, "enum"},
                                       {4, "__es"},
                                       {4, "_es"},
                                       {4, "__except"},
                                       {4, "explicit"},
                                       {4, "__export"},
                                       {4, "_export"},
                                       {4, "export"},
                                       {4, "extern"},
                                       {4, "false"},
                                       {4, "__far"},
                                       {4, "_far"},
                                       {4, "far"},
                                       {4, "__fastcall"},
                                       {4, "_fastcall"},
                                       {4, "__fastthis"},
                                       {4, "__finally"},
                                       {4, "float"},
                                       {4, "for"},
                                       {4, "__fortran"},
                                       {4, "_fortran"},
                                       {4, "friend"},
                                       {4, "goto"},
                                       {4, "__has_nothrow_assign"},
                                       {4, "__has_nothrow_copy_constructor"},
                                       {4, "__has_nothrow_default_constructor"},
                                       {4, "__has_trivial_assign"},
                                       {4, "__has_trivial_copy_constructor"},
                                       {4, "__has_trivial_default_constructor"},
                                       {4, "__has_trivial_destructor"},
                                       {4, "__has_virtual_destructor"},
                                       {4, "__huge"},
                                       {4, "_huge"},
                                       {4, "huge"},
                                       {4, "if"},
                                       {4, "_Imaginary"},
                                       {4, "__import"},
                                       {4, "_import"},
                                       {4, "__inline"},
                                       {4, "inline"},
                                       {4, "int"},
                                       {4, "__int8"},
                                       {4, "__int16"},
                                       {4, "__int32"},
                                       {4, "__int64"},
                                       {4, "__interrupt"},
                                       {4, "_interrupt"},
                                       {4, "interrupt"},
                                       {4, "__is_abstract"},
                                       {4, "__is_arithmetic"},
                                       {4, "__is_array"},
                                       {4, "__is_base_of"},
                                       {4, "__is_class"},
                                       {4, "__is_complete_type"},
                                       {4, "__is_compound"},
                                       {4, "__is_const"},
                                       {4, "__is_convertible"},
                                       {4, "__is_empty"},
                                       {4, "__is_enum"},
                                       {4, "__is_floating_point"},
                                       {4, "__is_function"},
                                       {4, "__is_fundamental"},
                                       {4, "__is_integral"},
                                       {4, "__is_lvalue_expr"},
                                       {4, "__is_lvalue_reference"},
                                       {4, "__is_member_function_pointer"},
                                       {4, "__is_member_object_pointer"},
                                       {4, "__is_member_pointer"},
                                       {4, "__is_object"},
                                       {4, "__is_pod"},
                                       {4, "__is_pointer"},
                                       {4, "__is_polymorphic"},
                                       {4, "__is_reference"},
                                       {4, "__is_rvalue_expr"},
                                       {4, "__is_rvalue_reference"},
                                       {4, "__is_same"},
                                       {4, "__is_scalar"},
                                       {4, "__is_signed"},
                                       {4, "__is_standard_layout"},
                                       {4, "__is_trivial"},
                                       {4, "__is_union"},
                                       {4, "__is_unsigned"},
                                       {4, "__is_void"},
                                       {4, "__is_volatile"},
                                       {4, "latecheck"},
                                       {4, "__loadds"},
                                       {4, "_loadds"},
                                       {4, "long"},
                                       {4, "__msfastcall"},
                                       {4, "__msreturn"},
                                       {4, "mutable"},
                                       {4, "namespace"},
                                       {4, "_near"},
                                       {4, "__near"},
                                       {4, "near"},
                                       {4, "new"},
                                       {4, "nullptr"},
                                       {4, "operator"},
                                       {4, "__pascal"},
                                       {4, "_pascal"},
                                       {4, "pascal"},
                                       {7, "private"},
                                       {4, "__property"},
                                       {4, "__protDLL"},
                                       {8, "protected"},
                                       {9, "public"},
                                       {10, "__published"},
                                       {4, "register"},
                                       {4, "reinterpret_cast"},
                                       {4, "requires"},
                                       {4, "restrict"},
                                       {4, "return"},
                                       {4, "__rtti"},
                                       {4, "__saveregs"},
                                       {4, "_saveregs"},
                                       {4, "__seg"},
                                       {4, "_seg"},
                                       {4, "short"},
                                       {4, "signed"},
                                       {4, "sizeof"},
                                       {4, "__ss"},
                                       {4, "_ss"},
                                       {4, "static"},
                                       {4, "static_assert"},
                                       {4, "static_cast"},
                                       {4, "__stdcall"},
                                       {4, "_stdcall"},
                                       {4, "struct"},
                                       {4, "switch"},
                                       {4, "__syscall"},
                                       {4, "template"},
                                       {4, "this"},
                                       {4, "__thread"},
                                       {4, "thread_local"},
                                       {4, "throw"},
                                       {4, "true"},
                                       {4, "__try"},
                                       {4, "try"},
                                       {4, "typedef"},
                                       {4, "typeid"},
                                       {4, "typename"},
                                       {4, "union"},
                                       {4, "unsigned"},
                                       {4, "using"},
                                       {4, "__uuidof"},
                                       {4, "virtual"},
                                       {4, "void"},
                                       {4, "volatile"},
                                       {4, "wchar_t"},
                                       {4, "while"},
                                       {0, ""}};

} // namespace

TReservedWordTable::TReservedWordTable(std::span<const TReservedWord> words, TSymbolTableKind kind,
                                       TSymbolFactory factory)
    : FTable(kind) {
  for (const TReservedWord& w : words) {
    if (w.Token == 0) break;
    FTable.Insert(factory(ShortString(w.Ident), w.Token));
    if (w.Ident.size() > FMaxLength) FMaxLength = w.Ident.size();
  }
}

bool TReservedWordTable::IsReservedWord(const ShortString& name) const noexcept {
  return FTable.Find(name) != nullptr;
}

bool TReservedWordTable::IsReservedWord(std::u16string_view name) const noexcept {
  if (name.size() > FMaxLength) return false;
  char bytes[ShortString::MaxLength];
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] >= 0x20AC) return false;
    bytes[i] = static_cast<char>(name[i] & 0xFF);
  }
  return FTable.Find(std::string_view(bytes, name.size())) != nullptr;
}

bool TReservedWordTable::IsReservedWord(std::string_view name) const noexcept {
  // Every character below U+20AC takes at most three UTF-8 bytes.
  if (name.size() > 3 * FMaxLength) return false;
  char bytes[ShortString::MaxLength];
  std::size_t n = 0;
  for (std::size_t i = 0; i < name.size(); ++n) {
    if (n == FMaxLength) return false;
    const auto c = static_cast<unsigned char>(name[i]);
    char32_t cp;
    if (c < 0x80) {
      cp = c;
      i += 1;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < name.size()) {
      cp = (char32_t(c & 0x1F) << 6) | (name[i + 1] & 0x3F);
      if ((name[i + 1] & 0xC0) != 0x80 || cp < 0x80) return false;
      i += 2;
    } else if ((c & 0xF0) == 0xE0 && i + 2 < name.size()) {
      cp = (char32_t(c & 0x0F) << 12) | (char32_t(name[i + 1] & 0x3F) << 6) | (name[i + 2] & 0x3F);
      if ((name[i + 1] & 0xC0) != 0x80 || (name[i + 2] & 0xC0) != 0x80 || cp < 0x800) return false;
      i += 3;
    } else {
      return false; // invalid, or a character past U+FFFF
    }
    if (cp >= 0x20AC) return false;
    bytes[n] = static_cast<char>(cp & 0xFF);
  }
  return FTable.Find(std::string_view(bytes, n)) != nullptr;
}

namespace {
template <class Symbol>
std::unique_ptr<TBaseSymbol> MakeSymbol(const ShortString& name, Byte token) {
  return std::make_unique<Symbol>(name, token);
}
} // namespace

namespace pascal {
std::span<const TReservedWord> ReservedWords() noexcept { return kPascalWords; }
const TReservedWordTable& ReservedWordTable() {
  static const TReservedWordTable table(kPascalWords, stInsensitive, MakeSymbol<TPascalSymbol>);
  return table;
}
bool IsReservedWord(const ShortString& name) noexcept {
  return ReservedWordTable().IsReservedWord(name);
}
bool IsReservedWord(std::string_view name) noexcept {
  return ReservedWordTable().IsReservedWord(name);
}
bool IsReservedWord(std::u16string_view name) noexcept {
  return ReservedWordTable().IsReservedWord(name);
}
} // namespace pascal

namespace cpp {
std::span<const TReservedWord> ReservedWords() noexcept { return kCppWords; }
const TReservedWordTable& ReservedWordTable() {
  static const TReservedWordTable table(kCppWords, stCaseSensitive, MakeSymbol<TCppSymbol>);
  return table;
}
bool IsReservedWord(const ShortString& name) noexcept {
  return ReservedWordTable().IsReservedWord(name);
}
bool IsReservedWord(std::string_view name) noexcept {
  return ReservedWordTable().IsReservedWord(name);
}
bool IsReservedWord(std::u16string_view name) noexcept {
  return ReservedWordTable().IsReservedWord(name);
}
} // namespace cpp

namespace {
// Both tables are built when the package loads and freed when it unloads.
[[maybe_unused]] const bool kTablesBuilt =
    (pascal::ReservedWordTable(), cpp::ReservedWordTable(), true);
} // namespace

} // namespace fw
