#include "tarn/shortcuts.h"

#include "basert/sysutils.h"

namespace fw {

namespace {

// Longer names some people type; read but never written.
constexpr std::array<TIdentMapEntry, 8> KeyAliases = {{
    {VK_BACK, "Backspace"},
    {VK_ESCAPE, "Escape"},
    {VK_RETURN, "Return"},
    {VK_PRIOR, "PageUp"},
    {VK_NEXT, "PageDown"},
    {VK_INSERT, "Insert"},
    {VK_DELETE, "Delete"},
    {VK_BACK, "Back"},
}};

String KeyName(Word key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return String(1, char(key));
  // Prefixes are appended to: inserting in front of a temporary trips GCC's -Wrestrict.
  if (key >= VK_F1 && key <= VK_F24) return String("F").append(IntToStr(key - VK_F1 + 1));
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9)
    return String("Num ").append(IntToStr(key - VK_NUMPAD0));
  if (auto n = IntToIdentIn(MenuKeyNames.data(), MenuKeyNames.size(), key)) return *n;
  return {};
}

Integer KeyOfName(std::string_view name) {
  if (name.size() == 1) {
    const char c = name[0];
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    return -1;
  }
  if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3) {
    Integer n = 0;
    for (char c : name.substr(1))
      n = (c >= '0' && c <= '9') ? n * 10 + (c - '0') : -1000;
    if (n >= 1 && n <= 24) return VK_F1 + n - 1;
  }
  if (name.size() == 5 && SameText(name.substr(0, 4), "Num ") && name[4] >= '0' && name[4] <= '9')
    return VK_NUMPAD0 + (name[4] - '0');
  if (auto v = IdentToIntIn(MenuKeyNames.data(), MenuKeyNames.size(), name)) return *v;
  if (auto v = IdentToIntIn(KeyAliases.data(), KeyAliases.size(), name)) return *v;
  return -1;
}

} // namespace

TShortCut ShortCut(Word key, TShiftState shift) {
  if ((key & 0xFF00) != 0) return TShortCut(0);
  Word v = key;
  if (shift.Contains(ssShift)) v |= scShift;
  if (shift.Contains(ssCtrl)) v |= scCtrl;
  if (shift.Contains(ssAlt)) v |= scAlt;
  return TShortCut(v);
}

void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift) {
  key = shortCut & 0xFF;
  shift = {};
  if (shortCut & scShift) shift.Include(ssShift);
  if (shortCut & scCtrl) shift.Include(ssCtrl);
  if (shortCut & scAlt) shift.Include(ssAlt);
}

String ShortCutToText(TShortCut shortCut) {
  const String name = KeyName(shortCut & 0xFF);
  if (name.empty()) return {};
  String s;
  if (shortCut & scShift) s += "Shift+";
  if (shortCut & scCtrl) s += "Ctrl+";
  if (shortCut & scAlt) s += "Alt+";
  return s + name;
}

TShortCut TextToShortCut(std::string_view text) {
  Word mods = 0;
  for (;;) {
    const std::size_t plus = text.find('+');
    // A lone "+" at the end is not a modifier separator but nothing we can name either.
    if (plus == std::string_view::npos || plus + 1 >= text.size()) break;
    const std::string_view mod = text.substr(0, plus);
    Word bit = 0;
    if (SameText(mod, "Shift"))
      bit = scShift;
    else if (SameText(mod, "Ctrl"))
      bit = scCtrl;
    else if (SameText(mod, "Alt"))
      bit = scAlt;
    else
      return TShortCut(0);
    mods |= bit;
    text.remove_prefix(plus + 1);
  }
  if (text.empty()) return TShortCut(0);
  const Integer key = KeyOfName(text);
  if (key < 0) return TShortCut(0);
  return TShortCut(mods | key);
}

PTypeInfo TypeInfoOf(std::type_identity<TShortCut>) {
  static PTypeInfo t = MakeOrdinalType("TShortCut", kindInteger, otUWord, 0, 65535);
  return t;
}

} // namespace fw
