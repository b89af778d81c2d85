// Keyboard shortcuts: a 16-bit value (virtual key code in the low byte plus modifier bits) and
// its text, as menus show it ("Ctrl+S", "Shift+Del").
#pragma once

#include "basert/typinfo.h"
#include "tarn/uitypes.h"

#include <string_view>

namespace fw {

enum TShortCut : Word {};
inline constexpr Word scShift = 0x2000;
inline constexpr Word scCtrl = 0x4000;
inline constexpr Word scAlt = 0x8000;
inline constexpr Word scNone = 0;

// Virtual key codes used by shortcut texts.
inline constexpr Word VK_BACK = 0x08;
inline constexpr Word VK_TAB = 0x09;
inline constexpr Word VK_RETURN = 0x0D;
inline constexpr Word VK_ESCAPE = 0x1B;
inline constexpr Word VK_SPACE = 0x20;
inline constexpr Word VK_PRIOR = 0x21;
inline constexpr Word VK_NEXT = 0x22;
inline constexpr Word VK_END = 0x23;
inline constexpr Word VK_HOME = 0x24;
inline constexpr Word VK_LEFT = 0x25;
inline constexpr Word VK_UP = 0x26;
inline constexpr Word VK_RIGHT = 0x27;
inline constexpr Word VK_DOWN = 0x28;
inline constexpr Word VK_INSERT = 0x2D;
inline constexpr Word VK_DELETE = 0x2E;
inline constexpr Word VK_NUMPAD0 = 0x60;
inline constexpr Word VK_F1 = 0x70;
inline constexpr Word VK_F24 = 0x87;

/// The key names menus use for keys that are not a letter, digit or function key.
inline constexpr std::array<TIdentMapEntry, 15> MenuKeyNames = {{
    {VK_BACK, "BkSp"},
    {VK_TAB, "Tab"},
    {VK_ESCAPE, "Esc"},
    {VK_RETURN, "Enter"},
    {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"},
    {VK_NEXT, "PgDn"},
    {VK_END, "End"},
    {VK_HOME, "Home"},
    {VK_LEFT, "Left"},
    {VK_UP, "Up"},
    {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},
    {VK_INSERT, "Ins"},
    {VK_DELETE, "Del"},
}};

/// Combines a key and the Shift, Ctrl and Alt members of `shift`.
TShortCut ShortCut(Word key, TShiftState shift);
/// Splits a shortcut into its key and modifiers.
void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift);
/// "Shift+Ctrl+Alt+" (those present, in that order) and the key name; empty for 0 or for a key
/// that has no name.
String ShortCutToText(TShortCut shortCut);
/// Modifiers in any order and case, then a key name ("ctrl+shift+f1", "Alt+BkSp"); 0 when the
/// text is not a shortcut.
TShortCut TextToShortCut(std::string_view text);
PTypeInfo TypeInfoOf(std::type_identity<TShortCut>);

} // namespace fw
