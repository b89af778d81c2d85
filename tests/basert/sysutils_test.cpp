#include "basert/sysutils.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace fw;

namespace {
template <class F> String MessageOf(F&& f) { return fwtest::MessageOf<EConvertError>(f); }
} // namespace

TEST(Unicode, RoundTripsEveryPlaneAndReplacesInvalidInput) {
  const String s = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  WideString w = Utf8ToWide(s);
  ASSERT_EQ(w.size(), 5u);
  EXPECT_EQ(w[2], u'\u20AC');
  EXPECT_EQ(WideToUtf8(w), s);

  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), WideString(u"\uFFFD\uFFFD")); // overlong
  EXPECT_EQ(Utf8ToWide("\xE2\x82"), WideString(u"\uFFFD\uFFFD")); // truncated
  EXPECT_EQ(WideToUtf8(WideString(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(StringHelpers, TrimRemovesBlanksAndPosIsOneBased) {
  EXPECT_EQ(Trim(" \t\r\nab c\x01 "), "ab c");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a \n"), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("h\xC3\xA9 "), "h\xC3\xA9"); // UTF-8 bytes are not blanks

  EXPECT_EQ(Pos("b", "abcb"), 2u);
  EXPECT_EQ(Pos("b", "abcb", 3), 4u);
  EXPECT_EQ(Pos("x", "abc"), 0u);
  EXPECT_EQ(Pos("", "abc"), 0u);
  EXPECT_EQ(Pos("c", "abc", 9), 0u);
}

TEST(StringHelpers, ReplaceFlagsAndQuoting) {
  EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfNone), "aXb-c");
  EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfIgnoreCase), "a-bxc");
  EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfReplaceAll | rfIgnoreCase), "a-b-c");
  // Replacement text is not searched again and matches do not overlap.
  EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");
  EXPECT_EQ(StringReplace("aaaa", "aa", "b", rfReplaceAll), "bb");
  EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");

  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");
  EXPECT_EQ(AnsiDequotedStr("'it''s' tail", '\''), "it's");
  EXPECT_EQ(AnsiDequotedStr("plain", '\''), "plain");
  EXPECT_EQ(AnsiDequotedStr("'open", '\''), "open");
  EXPECT_EQ(AnsiDequotedStr(QuotedStr("''x''"), '\''), "''x''");
}

TEST(StringHelpers, IdentifiersAreLettersDigitsAndUnderscoresWithDotsOnlyBetweenParts) {
  for (const char* good : {"a", "_", "A1_b", "Font.Name", "x.y.z"})
    EXPECT_TRUE(IsValidIdent(good, true)) << good;
  for (const char* bad : {"", "1a", "a b", ".a", "a.", "a..b", "caf\xC3\xA9", "a.1"})
    EXPECT_FALSE(IsValidIdent(bad, true)) << bad;
  EXPECT_FALSE(IsValidIdent("Font.Name"));
  EXPECT_TRUE(IsValidIdent("Font_Name"));
}

TEST(IntegerText, FormatsEveryWidth) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToStr(4000000000u), "4000000000");
  EXPECT_EQ(UIntToStr(~UInt64{0}), "18446744073709551615");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(Integer{-1}, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(Int64{-1}, 0), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(Byte{0xAB}, 1), "AB");
}

TEST(IntegerText, ParsesDecimalAndHexForms) {
  const std::pair<const char*, Integer> ints[] = {
      {"42", 42},   {"  -42", -42}, {"+7", 7},     {"$1F", 31}, // hex in every spelling
      {"0x1f", 31}, {"X10", 16},    {"-$10", -16}, {"$FFFFFFFF", -1}};
  for (const auto& [text, value] : ints)
    EXPECT_EQ(StrToInt(text), value) << text;
  EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<Integer>::min());
  EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<Int64>::max());
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<Int64>::min());
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("4294967296"), 4294967296);
}

TEST(IntegerText, RejectsMalformedAndOverflowingText) {
  for (const char* bad : {"", " ", "-", "$", "0x", "12a", "1 ", "1.0", "--1", "2147483648",
                          "-2147483649", "$100000000", "1e3"}) {
    Integer v = 99;
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
    EXPECT_EQ(v, 99) << "failed parse must not touch the value: " << bad;
  }
  Int64 w;
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", w));
  EXPECT_FALSE(TryStrToInt64("$10000000000000000", w));
  EXPECT_EQ(StrToIntDef("x", 5), 5);
  EXPECT_EQ(StrToInt64Def("", -1), -1);
  EXPECT_EQ(MessageOf([] { StrToInt("abc"); }), "'abc' is not a valid integer value");
  EXPECT_EQ(MessageOf([] { StrToInt64("99999999999999999999"); }),
            "'99999999999999999999' is not a valid integer value");
}

TEST(FloatText, GeneralFormatUsesShortestForm) {
  const std::pair<double, const char*> cases[] = {
      {0.1, "0.1"},         {9.9999999999999999, "10"}, // rounding carries into a new digit
      {100, "100"},         {-2.5, "-2.5"},
      {1e15, "1E15"},       {1e20, "1E20"},
      {0.0001, "0.0001"},   {1e-5, "1E-5"},
      {1.5e-10, "1.5E-10"}, {-1.25e100, "-1.25E100"}};
  for (const auto& [v, text] : cases)
    EXPECT_EQ(FloatToStr(v), text) << text;
  EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FloatToStr(2.0 / 3), "0.666666666666667");
}

TEST(FloatText, PrecisionFollowsFloatType) {
  // 123456789012345678 needs 18 digits; as a double it is already 123456789012345680.
  EXPECT_EQ(FloatToStrF(123456789012345678.0L, ffGeneral, ExtendedPrecision, 0),
            "123456789012345678");
  EXPECT_EQ(FloatToStrF(123456789012345678.0, ffGeneral, DoublePrecision, 0),
            "1.23456789012346E17");
  EXPECT_EQ(FloatToStrF(0.1f, ffGeneral, SinglePrecision, 0), "0.1");
  EXPECT_EQ(FloatToStrF(0.1L, ffGeneral, ExtendedPrecision, 0), "0.1");
  EXPECT_EQ(FloatToStrF(0.1, ffGeneral, ExtendedPrecision, 0), "0.100000000000000006");
  EXPECT_EQ(FloatToStrF(1e20, ffGeneral, 15, 3), "1E020");
}

TEST(FloatText, SpecialValuesAndSignOfZero) {
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(FloatToStrF(std::numeric_limits<double>::quiet_NaN(), ffFixed, 15, 2), "NAN");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  EXPECT_EQ(FloatToStrF(-0.0, ffFixed, 15, 2), "0.00");
  EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00"); // rounds to zero: no sign
}

TEST(FloatText, FixedNumberAndExponentFormats) {
  EXPECT_EQ(FloatToStrF(0.125, ffFixed, 15, 2), "0.13"); // halves round away from zero
  EXPECT_EQ(FloatToStrF(-0.125, ffFixed, 15, 2), "-0.13");
  EXPECT_EQ(FloatToStrF(2.675, ffFixed, 15, 2), "2.67"); // the double is below 2.675
  EXPECT_EQ(FloatToStrF(0.5, ffFixed, 15, 0), "1");
  EXPECT_EQ(FloatToStrF(999.996, ffFixed, 15, 2), "1000.00");
  EXPECT_EQ(FloatToStrF(0.004, ffFixed, 15, 4), "0.0040");
  EXPECT_EQ(FloatToStrF(1e20, ffFixed, 15, 2), "1E20"); // too wide for the precision
  EXPECT_EQ(FloatToStrF(-1234567.891, ffNumber, 15, 2), "-1,234,567.89");
  EXPECT_EQ(FloatToStrF(123, ffNumber, 15, 0), "123");
  EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
  EXPECT_EQ(FloatToStrF(-1.5e-7, ffExponent, 3, 0), "-1.50E-7");
  EXPECT_EQ(FloatToStrF(0, ffExponent, 3, 1), "0.00E+0");
}

TEST(FloatText, SettingsSeparatorsAndCurrencyLayouts) {
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = '.';
  EXPECT_EQ(FloatToStr(1.5, fs), "1,5");
  EXPECT_EQ(FloatToStr(1.5e-10, fs), "1,5E-10");
  EXPECT_EQ(FloatToStrF(1234567.5, ffNumber, 15, 1, fs), "1.234.567,5");
  fs.CurrencyString = "EUR";
  fs.CurrencyFormat = 3;
  fs.NegCurrFormat = 8;
  EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2, fs), "1.234,50 EUR");
  EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2, fs), "-1.234,50 EUR");
  const TFormatSettings us;
  EXPECT_EQ(FloatToStrF(-5, ffCurrency, 15, 2, us), "($5.00)");
  EXPECT_EQ(FloatToStrF(5, ffCurrency, 15, 0, us), "$5");
}

TEST(FloatText, ParsesWithSettings) {
  EXPECT_EQ(StrToFloat("1.5"), 1.5L);
  EXPECT_EQ(StrToFloat(" -2.5E3 "), -2500.0L);
  EXPECT_EQ(StrToFloat(".5"), 0.5L);
  EXPECT_EQ(StrToFloat("5."), 5.0L);
  EXPECT_EQ(StrToFloat("1e-5000"), 0.0L); // underflow is zero
  EXPECT_TRUE(std::isnan(StrToFloat("nan")));
  EXPECT_EQ(StrToFloat("-INF"), -std::numeric_limits<Extended>::infinity());
  Double d;
  ASSERT_TRUE(TryStrToFloat("0.1", d));
  EXPECT_EQ(d, 0.1); // read straight as a double, not through long double
  EXPECT_FALSE(TryStrToFloat("1e400", d));
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  EXPECT_EQ(StrToFloat("1,25", fs), 1.25L);
  Extended v = 7;
  for (const char* bad :
       {"", ".", "1,5", "1.5.", "1e", "e5", "1e+", "1 5", "0x10", "1.2.3", "--1", "1e99999"})
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
  EXPECT_FALSE(TryStrToFloat("1.5", v, fs));
  EXPECT_EQ(v, 7);
  EXPECT_EQ(StrToFloatDef("x", 3), 3);
  EXPECT_EQ(MessageOf([] { StrToFloat("1.2.3"); }), "'1.2.3' is not a valid floating point value");
}

TEST(FloatText, RoundTripsThroughText) {
  for (double v : {0.1, 1.0 / 3, 1e15, 1e-5, 123.456, -9.87654321e-200, 6.02214076e23}) {
    Extended back = StrToFloat(FloatToStrF(v, ffGeneral, 17, 0));
    EXPECT_EQ(static_cast<double>(back), v);
  }
}

TEST(CurrencyText, ExactDecimalForms) {
  EXPECT_EQ(CurrToStr(Currency::FromScaled(15000)), "1.5");
  EXPECT_EQ(CurrToStr(Currency::FromScaled(-1)), "-0.0001");
  EXPECT_EQ(CurrToStr(Currency::FromScaled(std::numeric_limits<Int64>::max())),
            "922337203685477.5807");
  EXPECT_EQ(CurrToStr(Currency::FromScaled(std::numeric_limits<Int64>::min())),
            "-922337203685477.5808");
  EXPECT_EQ(CurrToStrF(Currency::FromScaled(12345678), ffCurrency, 2), "$1,234.57");
  EXPECT_EQ(StrToCurr("922337203685477.5807").Scaled, std::numeric_limits<Int64>::max());
  EXPECT_EQ(StrToCurr("-922337203685477.5808").Scaled, std::numeric_limits<Int64>::min());
  EXPECT_EQ(StrToCurr("1.23455").Scaled, 12346);
  EXPECT_EQ(StrToCurr("-1.23455").Scaled, -12346);
  EXPECT_EQ(StrToCurr("1.5e2").Scaled, 1500000);
  EXPECT_EQ(StrToCurr("0.00004").Scaled, 0);
  Currency c;
  EXPECT_FALSE(TryStrToCurr("922337203685477.5808", c));
  EXPECT_FALSE(TryStrToCurr("1e30", c));
  EXPECT_FALSE(TryStrToCurr("INF", c));
  EXPECT_EQ(MessageOf([] { StrToCurr("$1"); }), "'$1' is not a valid currency value");
}

TEST(BooleanText, NamesAndNumbers) {
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false), "0");
  EXPECT_EQ(BoolToStr(true, true), "True");
  EXPECT_EQ(BoolToStr(false, true), "False");
  EXPECT_TRUE(StrToBool("tRUE"));
  EXPECT_FALSE(StrToBool("false"));
  EXPECT_TRUE(StrToBool("-1"));
  EXPECT_TRUE(StrToBool("2.5"));
  EXPECT_FALSE(StrToBool("0"));
  EXPECT_TRUE(StrToBoolDef("maybe", true));
  EXPECT_EQ(MessageOf([] { StrToBool("yes"); }), "'yes' is not a valid boolean value");
}

TEST(TextHashing, AgreesWithSameTextAtEveryLength) {
  fw::TextHash hash;
  const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ@[`{\xC3\x89";
  const std::string lower = "abcdefghijklmnopqrstuvwxyz@[`{\xC3\x89";
  for (std::size_t n = 0; n <= upper.size(); ++n) {
    ASSERT_TRUE(fw::SameText(upper.substr(0, n), lower.substr(0, n)));
    EXPECT_EQ(hash(upper.substr(0, n)), hash(lower.substr(0, n))) << n;
  }
  // Characters next to the letters are not folded onto them.
  EXPECT_NE(hash("@"), hash("`"));
  EXPECT_NE(hash("["), hash("{"));
  EXPECT_NE(hash("Button1"), hash("Button2"));
  EXPECT_NE(hash("abc"), hash(std::string("abc\0", 4)));
}
