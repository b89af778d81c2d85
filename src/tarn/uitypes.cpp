#include "tarn/uitypes.h"

#include "basert/filer.h"
#include "basert/sysutils.h"

#include <cstdlib>

namespace fw {

Integer MulDiv(Integer a, Integer b, Integer c) noexcept {
  if (c == 0) return -1;
  const Int64 p = static_cast<Int64>(a) * b;
  const Int64 q = (std::abs(p) + std::abs(static_cast<Int64>(c)) / 2) / std::abs(Int64{c});
  return static_cast<Integer>(((p < 0) != (c < 0)) ? -q : q);
}

using detail::ToIdent;
using detail::ToInt;

std::optional<String> IntToIdentIn(const TIdentMapEntry* map, std::size_t count, Integer value) {
  for (std::size_t i = 0; i < count; ++i)
    if (map[i].Value == value) return String(map[i].Name);
  return std::nullopt;
}

std::optional<Integer> IdentToIntIn(const TIdentMapEntry* map, std::size_t count,
                                    std::string_view ident) {
  for (std::size_t i = 0; i < count; ++i)
    if (SameText(map[i].Name, ident)) return map[i].Value;
  return std::nullopt;
}

bool ModalResultToIdent(Integer value, String& ident) {
  return ToIdent(ModalResults, value, ident);
}
bool IdentToModalResult(const String& ident, Integer& value) {
  return ToInt(ModalResults, ident, value);
}

PTypeInfo TypeInfoOf(std::type_identity<TModalResult>) {
  static PTypeInfo t =
      MakeOrdinalType("TModalResult", kindInteger, otSLong, std::numeric_limits<Integer>::min(),
                      std::numeric_limits<Integer>::max());
  return t;
}

bool CursorToIdent(Integer cursor, String& ident) { return ToIdent(Cursors, cursor, ident); }
bool IdentToCursor(const String& ident, Integer& cursor) { return ToInt(Cursors, ident, cursor); }

void GetCursorValues(const std::function<void(const String&)>& proc) {
  for (const auto& e : Cursors)
    proc(String(e.Name));
}

String CursorToString(TCursor cursor) {
  String s;
  if (CursorToIdent(cursor, s)) return s;
  return IntToStr(static_cast<Integer>(cursor));
}

TCursor StringToCursor(std::string_view text) {
  Integer v = 0;
  if (!IdentToCursor(String(text), v)) v = StrToInt(text);
  return TCursor(static_cast<std::int16_t>(v));
}

PTypeInfo TypeInfoOf(std::type_identity<TCursor>) {
  static PTypeInfo t = [] {
    PTypeInfo type = MakeOrdinalType("TCursor", kindInteger, otSWord, -32768, 32767);
    RegisterIntegerConsts(type, &IdentToCursor, &CursorToIdent);
    return type;
  }();
  return t;
}

PTypeInfo TypeInfoOf(std::type_identity<TAlign>) {
  static PTypeInfo t = MakeEnumType(
      "TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"},
      "Controls");
  return t;
}

PTypeInfo TypeInfoOf(std::type_identity<TAnchorKind>) {
  static PTypeInfo t =
      MakeEnumType("TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"}, "Controls");
  return t;
}

PTypeInfo TypeInfoOf(std::type_identity<TAnchors>) {
  static PTypeInfo t = MakeSetType("TAnchors", TypeInfo<TAnchorKind>());
  return t;
}

} // namespace fw
