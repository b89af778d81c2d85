// Small value types every control and the designer share: shift state, modal results, cursors,
// alignment and anchors, each published type with its identifier map.
#pragma once

#include "basert/sets.h"
#include "basert/types.h"
#include "basert/typinfo.h"

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>

namespace fw {

/// a * b / c rounded to the nearest, halves away from zero, without overflow in between; -1
/// when c is 0.
Integer MulDiv(Integer a, Integer b, Integer c) noexcept;

// ---- Shift state ---------------------------------------------------------------------------

/// Keyboard and mouse state, as the designer and controls report it.
enum TShiftStateFlag : std::uint8_t {
  ssShift,
  ssAlt,
  ssCtrl,
  ssLeft,
  ssRight,
  ssMiddle,
  ssDouble,
};
using TShiftState = TSet<TShiftStateFlag>;

// ---- Identifier maps -----------------------------------------------------------------------

/// One entry of an integer identifier table (colours, cursors, charsets, modal results).
struct TIdentMapEntry {
  Integer Value;
  std::string_view Name;
};

/// The identifier of `value` in `map`, or nothing.
std::optional<String> IntToIdentIn(const TIdentMapEntry* map, std::size_t count, Integer value);
/// The value of `ident` (ASCII case ignored) in `map`, or nothing.
std::optional<Integer> IdentToIntIn(const TIdentMapEntry* map, std::size_t count,
                                    std::string_view ident);

namespace detail {
/// The identifier-map callbacks' shape over a fixed table: true and the answer when found.
template <std::size_t N>
bool ToIdent(const std::array<TIdentMapEntry, N>& map, Integer value, String& ident) {
  auto r = IntToIdentIn(map.data(), N, value);
  if (r) ident = std::move(*r);
  return r.has_value();
}
template <std::size_t N>
bool ToInt(const std::array<TIdentMapEntry, N>& map, const String& ident, Integer& value) {
  auto r = IdentToIntIn(map.data(), N, ident);
  if (r) value = *r;
  return r.has_value();
}
} // namespace detail

// ---- Modal results -------------------------------------------------------------------------

/// The result a modal form or dialog closes with; any integer, the named ones below.
enum TModalResult : Integer {};
inline constexpr TModalResult mrNone = TModalResult(0);
inline constexpr TModalResult mrOk = TModalResult(1);
inline constexpr TModalResult mrCancel = TModalResult(2);
inline constexpr TModalResult mrAbort = TModalResult(3);
inline constexpr TModalResult mrRetry = TModalResult(4);
inline constexpr TModalResult mrIgnore = TModalResult(5);
inline constexpr TModalResult mrYes = TModalResult(6);
inline constexpr TModalResult mrNo = TModalResult(7);
inline constexpr TModalResult mrClose = TModalResult(8);
inline constexpr TModalResult mrHelp = TModalResult(9);
inline constexpr TModalResult mrTryAgain = TModalResult(10);
inline constexpr TModalResult mrContinue = TModalResult(11);
inline constexpr TModalResult mrAll = TModalResult(12);
inline constexpr TModalResult mrNoToAll = TModalResult(13);
inline constexpr TModalResult mrYesToAll = TModalResult(14);

/// mrNone..mrYesToAll by value.
inline constexpr std::array<TIdentMapEntry, 15> ModalResults = {{
    {0, "mrNone"},
    {1, "mrOk"},
    {2, "mrCancel"},
    {3, "mrAbort"},
    {4, "mrRetry"},
    {5, "mrIgnore"},
    {6, "mrYes"},
    {7, "mrNo"},
    {8, "mrClose"},
    {9, "mrHelp"},
    {10, "mrTryAgain"},
    {11, "mrContinue"},
    {12, "mrAll"},
    {13, "mrNoToAll"},
    {14, "mrYesToAll"},
}};
bool ModalResultToIdent(Integer value, String& ident);
bool IdentToModalResult(const String& ident, Integer& value);
PTypeInfo TypeInfoOf(std::type_identity<TModalResult>);

// ---- Cursors -------------------------------------------------------------------------------

/// A cursor: built-in ones are negative, zero is the parent's default, positive ones are added.
enum TCursor : std::int16_t {};
inline constexpr TCursor crDefault = TCursor(0);
inline constexpr TCursor crNone = TCursor(-1);
inline constexpr TCursor crArrow = TCursor(-2);
inline constexpr TCursor crCross = TCursor(-3);
inline constexpr TCursor crIBeam = TCursor(-4);
inline constexpr TCursor crSizeNESW = TCursor(-6);
inline constexpr TCursor crSizeNS = TCursor(-7);
inline constexpr TCursor crSizeNWSE = TCursor(-8);
inline constexpr TCursor crSizeWE = TCursor(-9);
inline constexpr TCursor crUpArrow = TCursor(-10);
inline constexpr TCursor crHourGlass = TCursor(-11);
inline constexpr TCursor crDrag = TCursor(-12);
inline constexpr TCursor crNoDrop = TCursor(-13);
inline constexpr TCursor crHSplit = TCursor(-14);
inline constexpr TCursor crVSplit = TCursor(-15);
inline constexpr TCursor crMultiDrag = TCursor(-16);
inline constexpr TCursor crSQLWait = TCursor(-17);
inline constexpr TCursor crNo = TCursor(-18);
inline constexpr TCursor crAppStart = TCursor(-19);
inline constexpr TCursor crHelp = TCursor(-20);
inline constexpr TCursor crHandPoint = TCursor(-21);
inline constexpr TCursor crSizeAll = TCursor(-22);
inline constexpr TCursor crSize = crSizeAll;

/// The cursor identifiers, in the order a value list offers them.
inline constexpr std::array<TIdentMapEntry, 22> Cursors = {{
    {0, "crDefault"},   {-2, "crArrow"},      {-3, "crCross"},      {-4, "crIBeam"},
    {-6, "crSizeNESW"}, {-7, "crSizeNS"},     {-8, "crSizeNWSE"},   {-9, "crSizeWE"},
    {-10, "crUpArrow"}, {-11, "crHourGlass"}, {-12, "crDrag"},      {-13, "crNoDrop"},
    {-14, "crHSplit"},  {-15, "crVSplit"},    {-16, "crMultiDrag"}, {-17, "crSQLWait"},
    {-18, "crNo"},      {-19, "crAppStart"},  {-20, "crHelp"},      {-21, "crHandPoint"},
    {-22, "crSizeAll"}, {-1, "crNone"},
}};
bool CursorToIdent(Integer cursor, String& ident);
bool IdentToCursor(const String& ident, Integer& cursor);
/// Calls `proc` with every cursor identifier in table order.
void GetCursorValues(const std::function<void(const String&)>& proc);
/// The identifier, or the number in decimal.
String CursorToString(TCursor cursor);
/// An identifier or a decimal number; raises EConvertError otherwise.
TCursor StringToCursor(std::string_view text);
PTypeInfo TypeInfoOf(std::type_identity<TCursor>);

// ---- Alignment and anchors -----------------------------------------------------------------

enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
PTypeInfo TypeInfoOf(std::type_identity<TAlign>);

enum TAnchorKind : std::uint8_t { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
inline constexpr TAnchors AnchorsDefault = {akLeft, akTop};
PTypeInfo TypeInfoOf(std::type_identity<TAnchorKind>);
PTypeInfo TypeInfoOf(std::type_identity<TAnchors>);

} // namespace fw
