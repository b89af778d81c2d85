#include "basert/masks.h"

#include "test_util.h"

#include <gtest/gtest.h>

using namespace fw;

TEST(Masks, WildcardsSetsRangesNegationCodePointsAndCase) {
  EXPECT_TRUE(MatchesMask("Unit1.pas", "*.PAS"));
  EXPECT_TRUE(MatchesMask("unit1.pas", "unit?.pas"));
  EXPECT_FALSE(MatchesMask("unit12.pas", "unit?.pas"));
  EXPECT_TRUE(MatchesMask("", "*"));
  EXPECT_FALSE(MatchesMask("", "?"));
  EXPECT_TRUE(MatchesMask("", ""));
  EXPECT_FALSE(MatchesMask("a", ""));
  EXPECT_FALSE(MatchesMask("readme", "*.*")); // the dot is literal
  EXPECT_TRUE(MatchesMask("a.b.c", "*.c"));
  EXPECT_TRUE(MatchesMask("abcabd", "*abd")); // needs the star to give characters back
  EXPECT_TRUE(MatchesMask("mississippi", "m*iss*p?i"));
  EXPECT_FALSE(MatchesMask("mississippi", "m*iss*x*"));
  EXPECT_TRUE(MatchesMask("ab", "a**b***"));

  // Sets, ranges, negation and code points.
  EXPECT_TRUE(MatchesMask("b1", "[abc][0-9]"));
  EXPECT_TRUE(MatchesMask("B1", "[a-c]1")); // sets ignore case too
  EXPECT_TRUE(MatchesMask("b1", "[A-C]1"));
  EXPECT_FALSE(MatchesMask("d1", "[a-c]1"));
  EXPECT_TRUE(MatchesMask("x", "[!0-9]"));
  EXPECT_FALSE(MatchesMask("5", "[!0-9]"));
  EXPECT_TRUE(MatchesMask("-", "[a-]")); // a trailing "-" is literal
  EXPECT_TRUE(MatchesMask("*", "[*?]")); // wildcards are literal inside a set
  EXPECT_FALSE(MatchesMask("x", "[]"));
  EXPECT_TRUE(MatchesMask("x", "[!]"));

  EXPECT_TRUE(MatchesMask("caf\xC3\xA9", "caf?"));
  EXPECT_TRUE(MatchesMask("\xC3\xA9t\xC3\xA9", "[\xC3\xA0-\xC3\xBF]t?"));
  EXPECT_TRUE(MatchesMask("\xFF\xFE", "??")); // stray bytes count one each
  // Overlong forms of '[' and '*' are stray bytes, not wildcards.
  EXPECT_NO_THROW(TMask("\xC1\x9B"));
  EXPECT_TRUE(MatchesMask("a\xC1\x9B]", "a\xC1\x9B]"));
  EXPECT_FALSE(MatchesMask("abc", "a\xC0\xAA"));
  EXPECT_TRUE(MatchesMask("\xF4\x90\x80\x80", "????")); // above the last code point
}

TEST(Masks, MalformedMaskRaisesWithPosition) {
  EXPECT_EQ(fwtest::MessageOf<EMaskException>([] { MatchesMask("x", "ab[cd"); }),
            "'ab[cd' is an invalid mask at (6)");
  EXPECT_THROW(TMask("[!"), EMaskException);
  EXPECT_NO_THROW(TMask("]a"));
}

TEST(Masks, PathologicalPatternsStayPolynomial) {
  // Backtracking over every star would take 2^n steps here.
  const String name(5000, 'a');
  const TMask mask("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b");
  EXPECT_FALSE(mask.Matches(name));
  EXPECT_TRUE(mask.Matches(name + "b"));
  const TMask reusable("*.txt");
  EXPECT_TRUE(reusable.Matches("x.TXT"));
  EXPECT_FALSE(reusable.Matches("x.txt2"));
}
