#include "tarn/uitypes.h"

#include "basert/exceptions.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <set>

using namespace fw;
using namespace fwtest;

TEST(UiTypeIdents, CursorAndModalResultTablesRoundTrip) {
  std::set<Integer> seen;
  for (const auto& e : Cursors) {
    EXPECT_TRUE(seen.insert(e.Value).second) << e.Name;
    EXPECT_EQ(CursorToString(TCursor(e.Value)), e.Name);
    EXPECT_EQ(StringToCursor(String(e.Name)), TCursor(e.Value));
  }
  std::vector<String> listed;
  GetCursorValues([&](const String& name) { listed.push_back(name); });
  ASSERT_EQ(listed.size(), Cursors.size());
  EXPECT_EQ(listed.front(), "crDefault");
  EXPECT_EQ(listed.back(), "crNone");
  EXPECT_EQ(CursorToString(crSize), "crSizeAll");
  EXPECT_EQ(CursorToString(TCursor(7)), "7");
  EXPECT_EQ(StringToCursor("crhandpoint"), crHandPoint);
  EXPECT_EQ(StringToCursor("-5"), TCursor(-5));
  EXPECT_NE(MessageOf<EConvertError>([] { StringToCursor("crBogus"); }), "nothing raised");

  for (Integer v = 0; v < 15; ++v) {
    String ident;
    Integer back = -1;
    ASSERT_TRUE(ModalResultToIdent(v, ident));
    ASSERT_TRUE(IdentToModalResult(ident, back));
    EXPECT_EQ(back, v);
  }
  String ident;
  EXPECT_FALSE(ModalResultToIdent(15, ident));
  Integer v = 0;
  EXPECT_TRUE(IdentToModalResult("MROK", v));
  EXPECT_EQ(v, mrOk);
}
