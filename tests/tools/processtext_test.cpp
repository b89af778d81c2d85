#include "tools/processtext.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {
using V = std::vector<String>;
} // namespace

TEST(CommandLine, SplitsLikeTheCreateProcessConvention) {
  EXPECT_EQ(SplitCommandLine("  prog a\tb  "), (V{"prog", "a", "b"}));
  EXPECT_EQ(SplitCommandLine(R"(sh -c "printf 'x y'")"), (V{"sh", "-c", "printf 'x y'"}));
  EXPECT_EQ(SplitCommandLine(R"(a "b c"d "")"), (V{"a", "b cd", ""}));
  EXPECT_EQ(SplitCommandLine(R"(\"q\" "in\"side" "x""y")"), (V{"\"q\"", "in\"side", "x\"y"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\\"b c" d\e \\\"f)"), (V{"a\\\\b c", "d\\e", "\\\"f"}));
  EXPECT_EQ(SplitCommandLine("sh -c 'echo \"hi\"; exit 2' 'open"),
            (V{"sh", "-c", "echo \"hi\"; exit 2", "open"}));
  EXPECT_EQ(SplitCommandLine(" \t "), V{});
}

TEST(OutputDecoder, SplitsLinesWhateverThePiecesAndRepairsBadText) {
  const String text = "one\r\ntwo\rthree\nfour\xC3\xA9\xE2\x82\xAC\r\n\nlast";
  const V expected = {"one", "two", "three", "four\xC3\xA9\xE2\x82\xAC", "", "last"};
  for (std::size_t piece : {1u, 2u, 3u, 7u, 1000u}) {
    TOutputDecoder d;
    for (std::size_t i = 0; i < text.size(); i += piece)
      d.Feed(std::string_view(text).substr(i, piece));
    d.Finish();
    EXPECT_EQ(d.TakeLines(), expected) << "pieces of " << piece;
  }
  TOutputDecoder bad;
  bad.Feed("a\xFF"
           "b\xC3");
  bad.Feed("(\xED\xA0\x80z\xE2\x82");
  bad.Finish();
  EXPECT_EQ(bad.TakeLines(),
            (V{"a\xEF\xBF\xBD"
               "b\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz\xEF\xBF\xBD"}));

  TOutputDecoder bom8, le, be;
  bom8.Feed("\xEF\xBB");
  bom8.Feed("\xBFx\n");
  le.Feed(std::string_view("\xFF\xFEh\0i\0\n\0\x3D\xD8", 10));
  le.Feed(std::string_view("\x00\xDE", 2)); // U+1F600 split between pieces
  be.Feed(std::string_view("\xFE\xFF\0o\0k", 6));
  for (auto* d : {&bom8, &le, &be})
    d->Finish();
  EXPECT_EQ(bom8.TakeLines(), V{"x"});
  EXPECT_EQ(le.TakeLines(), (V{"hi", "\xF0\x9F\x98\x80"}));
  EXPECT_EQ(be.TakeLines(), V{"ok"});
}
