#include "basert/strings.h"

#include "basert/exceptions.h"
#include "basert/object.h"
#include "basert/streams.h"
#include "basert/sysutils.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

using namespace fw;

namespace {

// Objects are opaque to the list; tests hand it addresses of plain markers.
TObject* Marker(int& m) { return reinterpret_cast<TObject*>(&m); }

// An object that reports its destruction.
class Probe : public TObject {
public:
  Probe(String name, std::vector<String>& log) : FName(std::move(name)), FLog(log) {}
  ~Probe() override { FLog.push_back(FName); }

private:
  String FName;
  std::vector<String>& FLog;
};

TStringList& Fill(TStringList& l, std::initializer_list<const char*> items) {
  for (const char* s : items)
    l.Add(s);
  return l;
}

std::vector<String> Items(const TStrings& l) {
  std::vector<String> r;
  for (Integer i = 0; i < l.Count(); ++i)
    r.push_back(l[i]);
  return r;
}

using V = std::vector<String>;

template <class F> String Message(F&& f) { return fwtest::MessageOf<EStringListError>(f); }

} // namespace

TEST(StringList, MoveExchangeAndObjectsTravelTogetherAndBadIndexesAreNamed) {
  int m1 = 0, m2 = 0;
  TStringList l;
  Fill(l, {"a", "b", "c", "d"});
  l.SetObjects(0, Marker(m1));
  l.SetObjects(3, Marker(m2));
  l.Move(0, 2);
  EXPECT_EQ(Items(l), (V{"b", "c", "a", "d"}));
  EXPECT_EQ(l.Objects(2), Marker(m1));
  l.Move(3, 0);
  EXPECT_EQ(Items(l), (V{"d", "b", "c", "a"}));
  EXPECT_EQ(l.IndexOfObject(Marker(m2)), 0);
  l.Exchange(0, 3);
  EXPECT_EQ(Items(l), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(l.Objects(0), Marker(m1));
  EXPECT_EQ(l.IndexOf("C"), 2); // case-insensitive by default
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("C"), -1);

  EXPECT_EQ(Message([&] { l.Get(4); }), "List index out of bounds (4)");
  EXPECT_EQ(Message([&] { l.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(Message([&] { l.Insert(5, "x"); }), "List index out of bounds (5)");
  l.Insert(4, "e"); // at Count is an append
  EXPECT_EQ(Items(l), (V{"a", "b", "c", "d", "e"}));
}

TEST(StringList, TextSplitsEveryLineBreakKind) {
  TStringList l;
  const std::pair<const char*, V> cases[] = {{"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                                             {"a\r\n", {"a"}},
                                             {"a\n\nb\r\r\n", {"a", "", "b", ""}},
                                             {"\r\n", {""}},
                                             {"", {}}};
  for (const auto& [text, lines] : cases) {
    l.SetText(text);
    EXPECT_EQ(Items(l), lines) << text;
  }

  Fill(l, {"x", "y"});
  EXPECT_EQ(l.Text(), "x\r\ny\r\n");
  l.SetLineBreak("\n");
  l.SetTrailingLineBreak(false);
  EXPECT_EQ(l.Text(), "x\ny");
}

TEST(StringList, CommaAndDelimitedTextQuoteOnlyWhatNeedsIt) {
  TStringList l;
  Fill(l, {"plain", "two words", "a,b", "say \"hi\"", ""});
  EXPECT_EQ(l.CommaText(), "plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",");
  TStringList back;
  back.SetCommaText(l.CommaText());
  EXPECT_EQ(Items(back), Items(l));

  // A lone empty string must survive the round trip.
  l.Clear();
  l.Add("");
  EXPECT_EQ(l.CommaText(), "\"\"");
  back.SetCommaText(l.CommaText());
  EXPECT_EQ(Items(back), (V{""}));

  back.SetCommaText("  a b ,, \"c d\"x,");
  EXPECT_EQ(Items(back), (V{"a", "b", "", "c d", "x", ""}));
  back.SetCommaText("\"unterminated, still kept");
  EXPECT_EQ(Items(back), (V{"unterminated, still kept"}));

  // Other delimiters and quotes; a strict delimiter keeps blanks.
  l.Clear();
  l.SetDelimiter(';');
  l.SetQuoteChar('\'');
  l.SetDelimitedText("a b;c");
  EXPECT_EQ(Items(l), (V{"a", "b", "c"}));
  l.SetStrictDelimiter(true);
  l.SetDelimitedText(" a b ;c");
  EXPECT_EQ(Items(l), (V{" a b ", "c"}));
  EXPECT_EQ(l.DelimitedText(), " a b ;c");
  l.Add("it's");
  EXPECT_EQ(l.DelimitedText(), " a b ;c;'it''s'");
}

TEST(StringList, NamesAndValues) {
  TStringList l;
  Fill(l, {"Left=10", "noseparator", "Top=a=b", "Empty="});
  EXPECT_EQ(l.Names(0), "Left");
  EXPECT_EQ(l.Names(1), "");
  EXPECT_EQ(l.Values("TOP"), "a=b");
  EXPECT_EQ(l.ValueFromIndex(1), "");
  EXPECT_EQ(l.IndexOfName("empty"), 3);
  EXPECT_EQ(l.IndexOfName("noseparator"), -1);

  l.SetValues("left", "20");
  EXPECT_EQ(l[0], "left=20");
  l.SetValues("Width", "5");
  EXPECT_EQ(l[4], "Width=5");
  l.SetValues("Top", "");
  EXPECT_EQ(l.IndexOfName("Top"), -1);
  l.SetValueFromIndex(0, "30");
  EXPECT_EQ(l[0], "left=30");

  l.SetNameValueSeparator(':');
  l.Add("Key:v");
  EXPECT_EQ(l.Values("key"), "v");
}

TEST(StringList, SortedListFindsRejectsInsertAndFollowsTheDuplicatesPolicy) {
  TStringList l;
  l.SetSorted(true);
  Fill(l, {"delta", "Alpha", "charlie", "bravo"});
  EXPECT_EQ(Items(l), (V{"Alpha", "bravo", "charlie", "delta"}));
  Integer at = -1;
  EXPECT_TRUE(l.Find("CHARLIE", at));
  EXPECT_EQ(at, 2);
  EXPECT_FALSE(l.Find("beta", at));
  EXPECT_EQ(at, 1); // where it would go
  EXPECT_EQ(Message([&] { l.Insert(0, "x"); }), "Operation not allowed on sorted list");
  EXPECT_EQ(Message([&] { l.SetStrings(0, "x"); }), "Operation not allowed on sorted list");
  EXPECT_EQ(Message([&] { l.Exchange(0, 1); }), "Operation not allowed on sorted list");

  // Values on a sorted list move the changed line to where it sorts.
  l.Clear();
  Fill(l, {"b=2", "c=3", "d=4"});
  l.SetValues("a", "1");
  l.SetValues("C", "9");
  EXPECT_EQ(Items(l), (V{"a=1", "b=2", "C=9", "d=4"}));
  l.SetValues("b", "z");
  EXPECT_EQ(Items(l), (V{"a=1", "b=z", "C=9", "d=4"}));
  l.SetValues("a", "");
  EXPECT_EQ(Items(l), (V{"b=z", "C=9", "d=4"}));

  // Duplicates policy.
  l.Clear();
  Fill(l, {"b", "a"});
  EXPECT_EQ(l.Add("A"), 0); // dupIgnore: the existing index
  EXPECT_EQ(l.Count(), 2);
  l.SetDuplicates(dupError);
  EXPECT_EQ(Message([&] { l.Add("B"); }), "String list does not allow duplicates");
  l.SetDuplicates(dupAccept);
  l.Add("B");
  EXPECT_EQ(l.Count(), 3);
  ASSERT_TRUE(l.Find("b", at));
  EXPECT_EQ(at, 1); // the first of the equal ones
  l.SetCaseSensitive(true);
  EXPECT_EQ(Items(l), (V{"B", "a", "b"}));

  // Sort is stable; a custom sort sees the original indexes.
  TStringList u;
  Fill(u, {"b", "A", "a", "B"});
  u.Sort();
  EXPECT_EQ(Items(u), (V{"A", "a", "b", "B"}));
  u.CustomSort([](TStringList& list, Integer i, Integer j) {
    return CompareStr(list[j], list[i]); // descending, byte-wise
  });
  EXPECT_EQ(Items(u), (V{"b", "a", "B", "A"}));
}

// Big enough to split and drop storage blocks many times over.
// Lines of every storage kind (inline, own buffer, inside a shared block) through random edits.
TEST(StringList, LargeListsMatchAPlainVectorThroughRandomEdits) {
  std::mt19937 rng(2024);
  TTextBlock* block = TTextBlock::Create(1 << 20);
  std::size_t used = 0;
  auto shared = [&](const String& s) {
    std::memcpy(block->Data() + used, s.data(), s.size());
    used += s.size();
    return std::string_view(block->Data() + used - s.size(), s.size());
  };
  TStringList l;
  V model;
  for (int step = 0; step < 6000; ++step) {
    auto pick = [&](std::size_t n) { return static_cast<Integer>(rng() % n); };
    unsigned op = rng() % 11;
    const String s = std::to_string(step) + String(rng() % 40, 'x');
    if (op == 0) {
      l.AddShared(shared(s), *block);
      model.push_back(s);
    } else if (op < 7 || model.size() < 2) {
      Integer at = pick(model.size() + 1);
      l.Insert(at, s);
      model.insert(model.begin() + at, s);
    } else if (op == 7) {
      Integer at = pick(model.size());
      l.Delete(at);
      model.erase(model.begin() + at);
    } else if (op == 8) {
      Integer a = pick(model.size()), b = pick(model.size());
      l.Exchange(a, b);
      std::swap(model[static_cast<std::size_t>(a)], model[static_cast<std::size_t>(b)]);
    } else if (op == 9) {
      Integer at = pick(model.size());
      l.Put(at, s);
      model[static_cast<std::size_t>(at)] = s;
    } else {
      Integer from = pick(model.size()), to = pick(model.size());
      l.Move(from, to);
      String moved = model[static_cast<std::size_t>(from)];
      model.erase(model.begin() + from);
      model.insert(model.begin() + to, moved);
    }
  }
  ASSERT_GT(model.size(), 2 * detail::TStringItems::MaxBlock);
  ASSERT_EQ(Items(l), model);
  EXPECT_FALSE(block->Unshared());
  for (std::size_t k = 0; k < model.size(); k += 97) {
    const auto first = std::find(model.begin(), model.end(), model[k]) - model.begin();
    ASSERT_EQ(l.IndexOf(model[k]), first);
  }
  EXPECT_EQ(l.IndexOf("absent"), -1);

  l.Sort();
  std::stable_sort(model.begin(), model.end(),
                   [](const String& a, const String& b) { return CompareText(a, b) < 0; });
  ASSERT_EQ(Items(l), model);
  l.SetSorted(true);
  for (const String& s : model) {
    Integer at;
    ASSERT_TRUE(l.Find(s, at));
    ASSERT_EQ(l[at], s);
  }
  while (l.Count() > 0)
    l.Delete(l.Count() / 2);
  // Every line that pointed into the block has let go of it.
  EXPECT_TRUE(block->Unshared());
  l.Add("again");
  EXPECT_EQ(Items(l), (V{"again"}));
  block->Release();
}

// A shared line stays valid after its writer lets go of the block; the list frees it last.
TEST(StringList, SharedLinesOutliveTheirWriter) {
  TTextBlock* block = TTextBlock::Create(64);
  const std::string_view text = "a line long enough not to be kept inline|short";
  std::memcpy(block->Data(), text.data(), text.size());
  auto* l = new TStringList;
  l->AddShared(text.substr(0, 40), *block);
  l->AddShared(text.substr(41), *block); // short: copied, no reference
  block->Release();
  EXPECT_EQ(l->Get(0), text.substr(0, 40));
  EXPECT_EQ(l->Get(1), "short");
  TStringList copy;
  copy.Assign(*l);
  delete l; // frees the block: the copy has its own text (ASan would see a late read)
  EXPECT_EQ(copy.Get(0), text.substr(0, 40));
  // A sorted list copies instead: it must stay free to place the line anywhere.
  TTextBlock* other = TTextBlock::Create(64);
  std::memcpy(other->Data(), text.data(), text.size());
  TStringList sorted;
  sorted.SetSorted(true);
  sorted.AddShared(text.substr(0, 40), *other);
  EXPECT_TRUE(other->Unshared());
  other->Release();
  EXPECT_EQ(sorted.Get(0), text.substr(0, 40));
}

TEST(StringList, ChangeEventsAreBatchedByUpdates) {
  TStringList l;
  int changing = 0, changed = 0;
  l.OnChanging = [&](TObject*) { ++changing; };
  l.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &l);
    ++changed;
  };
  l.Add("a");
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);
  l.BeginUpdate();
  l.BeginUpdate();
  l.Add("b");
  l.SetText("x\ny\nz");
  l.EndUpdate();
  EXPECT_EQ(changed, 1);
  l.EndUpdate();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  l.EndUpdate(); // unbalanced: ignored
  EXPECT_EQ(l.UpdateCount(), 0);
}

TEST(StringList, OwnedObjectsAreFreedExactlyOnce) {
  std::vector<String> freed;
  auto probe = [&](const char* name) { return new Probe(name, freed); };
  {
    TStringList l(true);
    for (const char* name : {"a", "b", "c", "d"})
      l.AddObject(name, probe(name));
    l.Move(0, 3); // a move must not free
    l.Exchange(0, 1);
    EXPECT_TRUE(freed.empty());
    l.Delete(l.IndexOf("b"));
    EXPECT_EQ(freed, (V{"b"}));
    l.SetObjects(l.IndexOf("c"), nullptr);
    EXPECT_EQ(freed, (V{"b", "c"}));
    TStringList copy;
    copy.Assign(l); // the copy does not own
    EXPECT_FALSE(copy.OwnsObjects());
    l.AddObject("k=0", probe("k"));
    l.SetSorted(true);
    l.SetValues("k", "1"); // the line moves, its object stays
    EXPECT_EQ(freed.size(), 2u);
    EXPECT_NE(l.Objects(l.IndexOfName("k")), nullptr);
  }
  EXPECT_EQ(freed.size(), 5u);
}

TEST(StringList, IsAPersistentClassAndAssignCopiesContentAndSortOrder) {
  TStringList l;
  TOwned<TObject> made(TStringList::StaticClass()->Create<>());
  auto* list = dynamic_cast<TStringList*>(made.get());
  ASSERT_NE(list, nullptr);
  Fill(l, {"x", "y"});
  list->Assign(static_cast<TPersistent*>(&l));
  EXPECT_TRUE(list->Equals(l));
  TPersistent other;
  EXPECT_THROW(list->Assign(&other), EConvertError);

  TStringList src;
  src.SetSorted(true);
  src.SetDuplicates(dupAccept);
  Fill(src, {"b", "a", "a"});
  TStringList dst;
  Fill(dst, {"old"});
  dst.Assign(src);
  EXPECT_TRUE(dst.Equals(src));
  EXPECT_TRUE(dst.Sorted());
  EXPECT_EQ(dst.Duplicates(), dupAccept);
  dst.AddStrings(src);
  EXPECT_EQ(Items(dst), (V{"a", "a", "a", "a", "b", "b"}));
}

TEST(StringList, FilesRoundTripAndSkipByteOrderMarks) {
  auto dir = std::filesystem::temp_directory_path() / "fw_strings_test";
  std::filesystem::create_directories(dir);
  String path = (dir / "lines.txt").string();
  TStringList l;
  Fill(l, {"first", "zwei \xC3\xBC", ""});
  l.SaveToFile(path);
  TStringList back;
  back.LoadFromFile(path);
  EXPECT_TRUE(back.Equals(l));

  {
    std::ofstream out(path, std::ios::binary);
    out << "\xEF\xBB\xBFx\ny";
  }
  back.LoadFromFile(path);
  EXPECT_EQ(Items(back), (V{"x", "y"}));

  back.LoadFromBytes(std::string_view("\xFF\xFEh\0i\0\n\0\xAC\x20", 10));
  EXPECT_EQ(Items(back), (V{"hi", "\xE2\x82\xAC"}));

  TMemoryStream stream;
  stream.WriteBuffer("skip", 4);
  l.SaveToStream(stream);
  stream.SetPosition(4); // loads from the position on
  back.LoadFromStream(stream);
  EXPECT_TRUE(back.Equals(l));

  EXPECT_THROW(back.LoadFromFile((dir / "missing.txt").string()), EFOpenError);
  EXPECT_NE(fwtest::MessageOf<EFCreateError>([&] {
              l.SaveToFile((dir / "no" / "such" / "dir.txt").string());
            }).find("dir.txt"),
            String::npos);
  std::filesystem::remove_all(dir);
}
