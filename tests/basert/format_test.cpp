#include "basert/format.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <limits>

using namespace fw;
using fwtest::MessageOf;

namespace {
String FormatError(std::string_view fmt) { return Format(sInvalidFormat, {fmt}); }
} // namespace

TEST(VarRec, ArgumentsGetTheFrameworkTypeCodes) {
  const String s = "x";
  const WideString w = u"w";
  const char* pc = "p";
  int local = 0;
  TObject* obj = nullptr;
  IInterface* intf = nullptr;
  enum E { e0, e1 };
  const std::pair<TVarRec, TVarRecType> cases[] = {
      {TVarRec(1), vtInteger},       {TVarRec(Byte{1}), vtInteger},
      {TVarRec(1u), vtInt64}, // unsigned 32-bit keeps its value
      {TVarRec(Int64{1}), vtInt64},  {TVarRec(true), vtBoolean},
      {TVarRec('c'), vtChar},        {TVarRec(u'c'), vtWideChar},
      {TVarRec(1.5), vtExtended},    {TVarRec(Currency{}), vtCurrency},
      {TVarRec(s), vtUnicodeString}, {TVarRec("literal"), vtUnicodeString},
      {TVarRec(pc), vtPChar},        {TVarRec(u"wide"), vtPWideChar},
      {TVarRec(w), vtWideString},    {TVarRec(&local), vtPointer},
      {TVarRec(nullptr), vtPointer}, {TVarRec(obj), vtObject},
      {TVarRec(TClass{}), vtClass},  {TVarRec(intf), vtInterface},
      {TVarRec(e1), vtInteger}};
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(cases[i].first.VType, cases[i].second) << "case " << i;
  EXPECT_EQ(TVarRec(1u).VInt64, 1);
  EXPECT_EQ(TVarRec(1.5f).VExtended, 1.5L);
  EXPECT_EQ(TVarRec("literal").VText, "literal");
  EXPECT_EQ(TVarRec(e1).VInteger, 1);
}

TEST(Format, IntegerDirectives) {
  EXPECT_EQ(Format("%d", 42), "42");
  EXPECT_EQ(Format("%d", std::numeric_limits<Int64>::min()), "-9223372036854775808");
  EXPECT_EQ(Format("%.4d|%.4d", 7, -7), "0007|-0007");
  EXPECT_EQ(Format("%5d|%-5d|", 42, 42), "   42|42   |");
  EXPECT_EQ(Format("%u|%u", -1, Int64{-1}), "4294967295|18446744073709551615");
  EXPECT_EQ(Format("%x|%X|%.4x", 255, Int64{-1}, 10), "FF|FFFFFFFFFFFFFFFF|000A");
  EXPECT_EQ(Format("%x", -1), "FFFFFFFF");
}

TEST(Format, FloatDirectives) {
  EXPECT_EQ(Format("%e", 1234.5), "1.23450000000000E+003");
  EXPECT_EQ(Format("%.3e", -0.000123), "-1.23E-004");
  EXPECT_EQ(Format("%f|%.0f|%.3f", 2.5, 2.5, -1.0 / 3), "2.50|3|-0.333");
  EXPECT_EQ(Format("%g|%g|%.3g", 0.1, 1e20, 1234.5), "0.1|1E20|1.23E3");
  EXPECT_EQ(Format("%n", 1234567.125), "1,234,567.13");
  EXPECT_EQ(Format("%m|%m", 1234.5, -1.0), "$1,234.50|($1.00)");
  EXPECT_EQ(Format("%.4m", Currency::FromScaled(-12345)), "($1.2345)");
  EXPECT_EQ(Format("%f", Currency::FromScaled(std::numeric_limits<Int64>::max())),
            "922337203685477.58");
  EXPECT_EQ(Format("%8.2f|%-8.2f|", 3.14159, 3.14159), "    3.14|3.14    |");
}

TEST(Format, SettingsAreHonoured) {
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = ' ';
  fs.CurrencyString = "kr";
  fs.CurrencyFormat = 3;
  fs.CurrencyDecimals = 1;
  EXPECT_EQ(Format("%f %n %m %g", {1.5, 12345.0, 2.25, 0.5}, fs), "1,50 12 345,00 2,3 kr 0,5");
  // The global settings serve the overloads without settings.
  TFormatSettings saved = FormatSettings;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(Format("%.1f", 0.25), "0,3");
  FormatSettings = saved;
  EXPECT_EQ(Format("%.1f", 0.25), "0.3");
}

TEST(Format, StringsAndCharacters) {
  const String s = "h\xC3\xA9llo";
  const WideString w = u"wide\u20AC";
  EXPECT_EQ(Format("[%s]", s), "[h\xC3\xA9llo]");
  EXPECT_EQ(Format("[%.2s]", s), "[h\xC3\xA9]");    // precision counts characters
  EXPECT_EQ(Format("[%6s]", s), "[ h\xC3\xA9llo]"); // so does width
  EXPECT_EQ(Format("[%-3s]", "ab"), "[ab ]");
  EXPECT_EQ(Format("%s%s%s", 'a', u'\u00E9', w), "a\xC3\xA9wide\xE2\x82\xAC");
  const char* pc = "pchar";
  const char* none = nullptr;
  EXPECT_EQ(Format("%s|%s|%s", pc, none, u"pw"), "pchar||pw");
  EXPECT_EQ(Format("100%%"), "100%");
  EXPECT_EQ(Format("no directives"), "no directives");
}

TEST(Format, IndexesAndStarArguments) {
  EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
  EXPECT_EQ(Format("%0:s-%s-%0:s-%s", "x", "y"), "x-y-x-y");
  EXPECT_EQ(Format("%*d|%-*d|", 4, 7, 3, 8), "   7|8  |");
  EXPECT_EQ(Format("%.*f", 1, 2.25), "2.3");
  EXPECT_EQ(Format("%*d", -3, 1), "1  "); // a negative width from * left-justifies
  EXPECT_EQ(Format("%*:s", 1, "a"), "a");
}

TEST(Format, PointersShowAllHexDigits) {
  int x = 0;
  const String expected = [&] {
    String h = Format("%x", static_cast<Int64>(reinterpret_cast<std::uintptr_t>(&x)));
    return String(sizeof(void*) * 2 - h.size(), '0') + h;
  }();
  EXPECT_EQ(Format("%p", static_cast<const void*>(&x)), expected);
  EXPECT_EQ(Format("%p", nullptr), String(sizeof(void*) * 2, '0'));
}

TEST(Format, BadDirectivesAndMismatchesRaise) {
  const String fw[] = {"%",  "%5",  "%-",  "%.",         "%q",    "%d %d", "%2:d",
                       "%s", "%1:", "%*d", "%.*s",       "%d",    "%f",    "%s",
                       "%p", "%x",  "%m",  "%99999999d", "%-5.3", "%5-d"};
  const std::initializer_list<TVarRec> args[] = {{},  {},    {},    {},    {1},   {1}, {1},
                                                 {1}, {1},   {"a"}, {"a"}, {1.5}, {1}, {1.5},
                                                 {1}, {"x"}, {1},   {1},   {1},   {1}};
  static_assert(std::size(fw) == std::size(args));
  for (std::size_t i = 0; i < std::size(fw); ++i)
    EXPECT_EQ(MessageOf<EConvertError>([&] { Format(fw[i], args[i]); }), FormatError(fw[i]))
        << fw[i];
  EXPECT_EQ(FormatError("%q"), "Format '%q' invalid or incompatible with argument");
  EXPECT_THROW(Format("%d", true), EConvertError); // Booleans are not integers
}
