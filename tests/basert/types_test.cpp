#include "basert/types.h"

#include <gtest/gtest.h>

using namespace fw;

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
