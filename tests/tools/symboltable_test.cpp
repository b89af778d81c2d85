#include "tools/reservedwords.h"
#include "tools/symboltable.h"

#include "basert/sysutils.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace fw;

namespace {

std::unique_ptr<TBaseSymbol> Sym(std::string_view name) {
  return std::make_unique<TBaseSymbol>(ShortString(name));
}

} // namespace

TEST(SymbolIndex, SumsBytesModulo256IgnoringCase) {
  EXPECT_EQ(SymbolIndex(""), 0);
  EXPECT_EQ(SymbolIndex("A"), 0x4A % 32);           // (0x41^0x0A)-1
  EXPECT_EQ(SymbolIndex("AB"), (0x4A + 0x47) % 32); // wraps past a byte only in longer names
  std::string longName(300, 'z');                   // (0x7A^0x0A)-1 = 0x6F per byte
  EXPECT_EQ(SymbolIndex(longName), (255 * 0x6F) % 256 % 32);
  for (std::string_view name : {"begin", "Identifier_42", "x"})
    EXPECT_EQ(SymbolIndex(name), SymbolIndex(UpperCase(name))) << name;
  EXPECT_EQ(SymbolIndex(ShortString("Begin")), SymbolIndex("BEGIN"));
  // Other names fold case through the sort key.
  EXPECT_EQ(SymbolIndex("\xC3\x84rger"), SymbolIndex("\xC3\xA4RGER")); // Ärger / äRGER
  EXPECT_EQ(SymbolIndex("\xD0\x94\xD0\xB0"), SymbolIndex("\xD0\xB4\xD0\x90"));
  for (std::string_view name : {"\xC3\xA9", "\xFF\xFE", "a\xE2\x82\xAC"})
    EXPECT_LT(static_cast<unsigned>(SymbolIndex(name)), 32u) << name;
}

TEST(SymbolTable, NewestOfEqualNamesIsFoundFirstAndDeleteHandsBackOwnership) {
  TSymbolTable t(stInsensitive);
  TBaseSymbol* older = t.Insert(Sym("Alpha"));
  TBaseSymbol* newer = t.Insert(Sym("ALPHA"));
  t.Insert(Sym("Beta"));
  EXPECT_EQ(t.Count(), 3);
  EXPECT_EQ(t.Find("alpha"), newer);
  EXPECT_EQ(t.FindNext(newer), older);
  EXPECT_EQ(t.FindNext(older), nullptr);
  EXPECT_EQ(t.Insert(nullptr), nullptr);
  EXPECT_EQ(t.Count(), 3);

  std::unique_ptr<TBaseSymbol> back = t.Delete(newer);
  EXPECT_EQ(back.get(), newer);
  EXPECT_FALSE(t.Contains(newer));
  EXPECT_EQ(t.Find("alpha"), older);
  TBaseSymbol stranger{ShortString("alpha")};
  EXPECT_EQ(t.Delete(&stranger), nullptr);
  EXPECT_EQ(t.Count(), 2);
  TBaseSymbol* beta = t.Find("beta");
  EXPECT_EQ(t.FindSymbol(SymbolIndex("Beta"), [&](const TBaseSymbol& s) { return &s == beta; }),
            beta);
  EXPECT_EQ(t.FindSymbol(40, [](const TBaseSymbol&) { return true; }), nullptr);
  t.Clear();
  EXPECT_TRUE(t.Empty());
  EXPECT_EQ(t.Find("beta"), nullptr);
}

TEST(SymbolTable, CaseSensitivityFollowsTheKind) {
  TSymbolTable sensitive(stCaseSensitive), insensitive(stInsensitive);
  TBaseSymbol* s = sensitive.Insert(Sym("Name"));
  TBaseSymbol* i = insensitive.Insert(Sym("Name"));
  insensitive.Insert(Sym("\xC3\x84rger"));
  EXPECT_EQ(sensitive.Find("Name"), s);
  EXPECT_EQ(sensitive.Find("NAME"), nullptr);
  EXPECT_EQ(insensitive.Find("nAmE"), i);
  EXPECT_NE(insensitive.Find("\xC3\xA4RGER"), nullptr);
  EXPECT_EQ(insensitive.Find("Nam"), nullptr);
  EXPECT_EQ(insensitive.Find(""), nullptr);
  EXPECT_EQ(insensitive.Find(std::string(256, 'a')), nullptr);
  // Letters whose upper and lower case alternate, with lower case on odd code points (ā)
  // and on even ones (ł, ź), and one pair outside Latin.
  const std::pair<const char*, const char*> pairs[] = {
      {"\u0100bols", "\u0101BOLS"},                   // Ābols / āBOLS
      {"\u0141\u00F3d\u017A", "\u0142\u00D3D\u0179"}, // Łódź / łÓDŹ
      {"\u0460x", "\u0461X"}};
  for (const auto& [stored, asked] : pairs) {
    TBaseSymbol* sym = insensitive.Insert(Sym(stored));
    EXPECT_EQ(insensitive.Find(asked), sym) << stored;
  }
  EXPECT_EQ(insensitive.Find("\u0103bols"), nullptr); // ă is another letter
}

TEST(SymbolTable, IteratorVisitsEverySymbolOnceAndRestartsWhenGoingBack) {
  TSymbolTable t(stCaseSensitive);
  std::set<TBaseSymbol*> inserted;
  for (int i = 0; i < 100; ++i)
    inserted.insert(t.Insert(Sym("s" + std::to_string(i))));
  TTableIterator it(t);
  std::set<TBaseSymbol*> seen;
  for (int i = 0; i < 100; ++i)
    seen.insert(it.GetSymbol(i));
  EXPECT_EQ(seen, inserted);
  EXPECT_EQ(it.GetSymbol(100), nullptr);
  EXPECT_EQ(it.GetSymbol(-1), nullptr);

  TTableIterator again(t);
  TBaseSymbol* first = again.GetSymbol(0);
  again.GetSymbol(1);
  again.GetSymbol(2);
  EXPECT_EQ(again.GetSymbol(0), first);
  EXPECT_NE(again.GetSymbol(1), first);

  TTableIterator stale(t);
  t.Clear();
  EXPECT_EQ(stale.GetSymbol(5), nullptr);
}

TEST(SymbolList, AnswersNullOutsideWhatWasAdded) {
  TSymbolList list;
  TBaseSymbol a{ShortString("a")}, b{ShortString("b")}, c{ShortString("c")};
  for (TBaseSymbol* s : {&a, &b, &c})
    list.Add(s);
  EXPECT_EQ(list.GetSymbol(2), &c);
  EXPECT_EQ(list.GetSymbol(3), nullptr);
  EXPECT_EQ(list.GetSymbol(-1), nullptr);
  list.Clear();
  EXPECT_EQ(list.GetSymbol(0), nullptr);
}

TEST(Symbol, WideFormIsMadeLazilyAndForgottenOnRename) {
  TBaseSymbol s{ShortString("caf\xC3\xA9")};
  EXPECT_EQ(s.GetIdent(), u"caf\u00E9");
  s.SetShortIdent(ShortString("x"));
  EXPECT_EQ(s.GetIdent(), u"x");
  s.SetIdent("\xE2\x82\xAC");
  EXPECT_EQ(s.GetIdent(), u"\u20AC");
  EXPECT_EQ(s.ShortIdent().View(), "\xE2\x82\xAC");

  // 254 ASCII bytes and a two-byte character: the short form stops before the character.
  std::string name(254, 'a');
  name += "\xC3\xA9";
  TBaseSymbol longOne{std::string_view(name)};
  EXPECT_EQ(longOne.ShortIdent().Length(), 254u);
  EXPECT_EQ(longOne.GetIdent().size(), 255u);
}

TEST(ReservedWords, TablesHoldTheDialectsWords) {
  EXPECT_EQ(pascal::ReservedWordTable().MaxLength(), 14u);
  EXPECT_EQ(pascal::ReservedWordTable().Table().Count(), 71);
  EXPECT_EQ(cpp::ReservedWordTable().Table().Count(), 197);

  for (const TReservedWord& w : pascal::ReservedWords()) {
    if (w.Token == 0) break;
    EXPECT_TRUE(pascal::IsReservedWord(LowerCase(w.Ident))) << w.Ident;
  }
  for (const TReservedWord& w : cpp::ReservedWords()) {
    if (w.Token == 0) break;
    EXPECT_TRUE(cpp::IsReservedWord(w.Ident)) << w.Ident;
    if (UpperCase(w.Ident) != w.Ident) {
      EXPECT_FALSE(cpp::IsReservedWord(UpperCase(w.Ident))) << w.Ident;
    }
  }
}

TEST(ReservedWords, PascalIgnoresCaseAndCppDoesNotAndOddNamesAreNot) {
  EXPECT_TRUE(pascal::IsReservedWord("begin"));
  EXPECT_TRUE(pascal::IsReservedWord("Begin"));
  EXPECT_TRUE(pascal::IsReservedWord(u"BEGIN"));
  EXPECT_TRUE(pascal::IsReservedWord(ShortString("resourcestring")));
  EXPECT_FALSE(pascal::IsReservedWord("beginning"));
  EXPECT_TRUE(cpp::IsReservedWord("class"));
  EXPECT_FALSE(cpp::IsReservedWord("Class"));
  EXPECT_FALSE(cpp::IsReservedWord(u"Class"));

  auto token = [](const TReservedWordTable& t, std::string_view w) {
    return static_cast<const TPascalSymbol*>(t.Table().Find(w))->Token;
  };
  EXPECT_EQ(token(pascal::ReservedWordTable(), "begin"), 20);
  EXPECT_EQ(token(pascal::ReservedWordTable(), "xor"), 4);
  EXPECT_EQ(
      static_cast<const TCppSymbol*>(cpp::ReservedWordTable().Table().Find("__published"))->Token,
      10);

  // Odd names.
  EXPECT_FALSE(pascal::IsReservedWord(""));
  EXPECT_FALSE(pascal::IsReservedWord(u"BEGIN\u20AC"));
  EXPECT_FALSE(pascal::IsReservedWord("BEGIN\xE2\x82\xAC"));
  EXPECT_FALSE(pascal::IsReservedWord("\xE2\x82\xAC"));
  EXPECT_FALSE(pascal::IsReservedWord("resourcestrings")); // 15 characters
  EXPECT_FALSE(pascal::IsReservedWord(std::string(1000, 'a')));
  EXPECT_FALSE(pascal::IsReservedWord("AN\xC4")); // truncated UTF-8
  EXPECT_FALSE(cpp::IsReservedWord("\xF0\x9F\x98\x80"));
  // The documented quirk: below U+20AC only the low 8 bits of a character count, so U+0141
  // reads as 'A'.
  EXPECT_TRUE(pascal::IsReservedWord(u"\u0141ND"));
  EXPECT_TRUE(pascal::IsReservedWord("\xC5\x81ND"));
  EXPECT_TRUE(cpp::IsReservedWord(u"\u0175nion")); // U+0175 reads as 'u'
}
