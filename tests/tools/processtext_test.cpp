#include "tools/processtext.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

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

  TOutputDecoder bom8, le, be, odd;
  bom8.Feed("\xEF\xBB");
  bom8.Feed("\xBFx\n");
  le.Feed(std::string_view("\xFF\xFEh\0i\0\n\0\x3D\xD8", 10));
  le.Feed(std::string_view("\x00\xDE", 2)); // U+1F600 split between pieces
  be.Feed(std::string_view("\xFE\xFF\0o\0k", 6));
  odd.Feed(std::string_view("\xFF\xFEo\0k", 5)); // half a unit left at the end
  for (auto* d : {&bom8, &le, &be, &odd})
    d->Finish();
  EXPECT_EQ(bom8.TakeLines(), V{"x"});
  EXPECT_EQ(le.TakeLines(), (V{"hi", "\xF0\x9F\x98\x80"}));
  EXPECT_EQ(be.TakeLines(), V{"ok"});
  EXPECT_EQ(odd.TakeLines(), V{"o\xEF\xBF\xBD"});
}

// Lines of every shape (empty, multibyte, repaired, longer than a block) through reads of random
// sizes, into a list (which keeps them where they were read) and into the decoder's own store.
TEST(OutputDecoder, ReadsStraightIntoBlocksWithoutLosingAByte) {
  std::mt19937 rng(7);
  struct Piece {
    std::string_view bytes, decoded;
  };
  const Piece pieces[] = {
      {"plain text ", "plain text "},   {"\xC3\xA9", "\xC3\xA9"},
      {"\xE2\x82\xAC", "\xE2\x82\xAC"}, {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {"\xFF", "\xEF\xBF\xBD"},         {"\xE2\x82", "\xEF\xBF\xBD\xEF\xBF\xBD"}};
  String text;
  V expected;
  std::string_view before;
  for (int n = 0; n < 3000; ++n) {
    const std::size_t parts = n == 1500 ? 500000 : n % 100 == 0 ? 3000 : rng() % 12;
    String bytes, line;
    for (std::size_t k = 0; k < parts; ++k) {
      const Piece& p = pieces[k % 7 == 0 ? rng() % 6 : 0];
      bytes += p.bytes;
      line += p.decoded;
    }
    std::string_view end = std::array{"\n", "\r\n", "\r"}[rng() % 3];
    if (before == "\r" && line.empty() && end[0] == '\n') end = "\r"; // would read as one CR LF
    text += bytes;
    text += end;
    expected.push_back(line);
    before = end;
  }
  for (int round = 0; round < 3; ++round) {
    TStringList list;
    TOutputDecoder toList, kept;
    toList.SetTarget(&list);
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t want = round == 0 ? 32768 : 1 + rng() % (round == 1 ? 50 : 70000);
      const std::span<char> room = toList.Space(want);
      ASSERT_LE(room.size(), want);
      const std::size_t n = std::min(room.size(), text.size() - at);
      std::memcpy(room.data(), text.data() + at, n);
      toList.Commit(n);
      kept.Feed(std::string_view(text).substr(at, n));
      at += n;
    }
    toList.Finish();
    kept.Finish();
    V got;
    for (Integer i = 0; i < list.Count(); ++i)
      got.push_back(list[i]);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i)
      ASSERT_EQ(got[i], expected[i]) << "line " << i << ", round " << round;
    EXPECT_EQ(kept.TakeLines(), expected);
    EXPECT_EQ(toList.LineCount(), static_cast<Int64>(expected.size()));
  }
}
