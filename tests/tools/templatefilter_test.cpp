#include "tools/templatefilter.h"

#include "basert/exceptions.h"
#include "basert/sysutils.h"
#include "support/testutil.h"
#include "tools/resourceblobs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace fw;
using fwtest::MessageOf;

namespace {

IPtr<IPropertyValues> Item(std::string_view name) {
  IPtr<IPropertyValues> v = CoPropertyValues::Create();
  v->SetProperty("Name", Variant(name));
  return v;
}

IPtr<ICollectionProperty> Items(std::initializer_list<std::string_view> names) {
  IPtr<ICollectionProperty> c = CoCollectionProperty::Create();
  for (auto n : names)
    c->AddItem(Item(n));
  return c;
}

class TemplateFilter : public ::testing::Test {
protected:
  String Expand(String text) { return f->Filter(CoTextLineProvider::Create(std::move(text)), "T"); }
  String ErrorOf(const String& text) {
    return MessageOf([&] { Expand(text); });
  }
  IPtr<IExpertFilter> f = CoExpertFilter::Create();
};

} // namespace

TEST_F(TemplateFilter, ValueTagsAreReplacedConditionsGateLinesAndTagOnlyLinesVanish) {
  f->SetProperty("x", "1");
  f->SetProperty("Y", 2);
  EXPECT_EQ(Expand("a [!x] b [! y ] c\nplain"), "a 1 b 2 c\r\nplain\r\n");
  EXPECT_EQ(Expand("[!missing]|[!]"), "|\r\n");
  // Tag-only lines produce no line; empty lines are copied.
  f->SetProperty("Flag", true);
  EXPECT_EQ(Expand("[!if=(Flag)]\n\nbody\n[!endif]\n"), "\r\nbody\r\n");
  f->SetProperty("Flag", false);
  EXPECT_EQ(Expand("[!if=(Flag)]\n\nbody\n[!endif]\n"), "");
  EXPECT_EQ(Expand("[!set(a, 1)]\n\n"), "\r\n");
  // Conditions compare text ignoring case.
  const String t = "[!if=(Flag)]\nyes\n[!else]\nno\n[!endif]";
  f->SetProperty("Flag", "tRUE");
  EXPECT_EQ(Expand(t), "yes\r\n");
  f->SetProperty("Flag", "yes");
  EXPECT_EQ(Expand(t), "no\r\n");
  f->SetProperty("Kind", "Form");
  EXPECT_EQ(Expand("[!if=(Kind, 'FORM')]\nF\n[!endif][!if!=(Kind)]\nset\n[!endif]\n"
                   "[!if!=(None)]\nx\n[!endif]"),
            "F\r\nset\r\n");
  // Nested conditions: an inner else cannot switch output back on under a false outer one.
  EXPECT_EQ(Expand("[!if=(Kind,Frame)]\n[!if=(Kind,x)]\n[!else]\ninner\n[!endif]\n[!endif]\nend"),
            "end\r\n");
  // A condition decides for the line in which it ends up: tags on one line all act first.
  EXPECT_EQ(Expand("a[!if=(Kind,x)]b\nc\nd[!endif]e"), "de\r\n");
}

TEST_F(TemplateFilter, TagsActEvenWhileOutputIsOff) {
  EXPECT_EQ(Expand("[!outputoff]\nhidden[!set(v, \"a b\")]\n[!outputon]\n[!v]"), "a b\r\n");
  EXPECT_EQ(Expand("[!if=(nothing)]\n[!set(w,1)]\n[!endif]\n[!w]"), "1\r\n");
  f->SetProperty("v", "keep");
  EXPECT_EQ(Expand("[!set(v)][!v]|"), "|\r\n"); // set without value unassigns
  EXPECT_TRUE(f->GetProperty("v").IsEmpty());
}

TEST_F(TemplateFilter, ForEachRepeatsTheBodyPerItem) {
  f->SetCollectionProperty("Items", Items({"a", "b", "c"}));
  f->SetProperty("I", "before");
  EXPECT_EQ(Expand("head\n[!foreach(I in Items)]\n<[!I.Name]>\n[!endforeach]\ntail [!I]"),
            "head\r\n<a>\r\n<b>\r\n<c>\r\ntail before\r\n");
  EXPECT_EQ(f->GetPropertyCount(), 2);

  // Without an item name the collection's own name reaches the current item.
  EXPECT_EQ(Expand("[!foreach(Items)]\n[!Items.Name]\n[!endforeach]"), "a\r\nb\r\nc\r\n");
  // Outside a block the dotted name is looked up whole.
  f->SetProperty("Items.Name", "literal");
  EXPECT_EQ(Expand("[!Items.Name]"), "literal\r\n");

  f->SetCollectionProperty("None", Items({}));
  f->SetProperty("Text", "not a collection");
  EXPECT_EQ(Expand("[!foreach(X in None)]\nbody\n[!endforeach]\nafter"), "after\r\n");
  EXPECT_EQ(Expand("[!foreach(X IN Text)]\nbody[!X.Name]\n[!endforeach]"), "");
  EXPECT_EQ(f->GetPropertyCount(), 5); // X was removed again
  EXPECT_TRUE(f->GetProperty("X").IsEmpty());
}

TEST_F(TemplateFilter, ForEachBlocksNest) {
  IPtr<ICollectionProperty> outer = CoCollectionProperty::Create();
  for (auto [name, kids] : {std::pair{"p", Items({"1", "2"})}, std::pair{"q", Items({"3"})}}) {
    IPtr<IPropertyValues> v = Item(name);
    v->SetCollectionProperty("Kids", kids);
    outer->AddItem(v);
  }
  f->SetCollectionProperty("Parents", outer);
  const String t = "[!foreach(P in Parents)]\n"
                   "[!P.Name]:\n"
                   "[!foreach(K in P.Kids)]\n"
                   " [!P.Name][!K.Name]\n"
                   "[!endforeach]\n"
                   "[!endforeach]\n"
                   "done";
  EXPECT_EQ(Expand(t), "p:\r\n p1\r\n p2\r\nq:\r\n q3\r\ndone\r\n");
  // The same text again: nothing of the first run is left behind.
  EXPECT_EQ(Expand(t), "p:\r\n p1\r\n p2\r\nq:\r\n q3\r\ndone\r\n");
  // The value dump lists nested collections.
  f->ClearProperties();
  f->SetProperty("A", "1");
  f->SetCollectionProperty("L", Items({"x", "y"}));
  EXPECT_EQ(Expand("[!outputproperties]"), "A=1\r\nL=\r\n<0>\r\n  Name=x\r\n<1>\r\n  Name=y\r\n");
}

TEST_F(TemplateFilter, OddForEachPlacementStaysSafe) {
  f->SetCollectionProperty("C", Items({"a", "b"}));
  EXPECT_EQ(Expand("[!foreach(C)][!endforeach]x\ny"), "x\r\ny\r\n");
  EXPECT_EQ(Expand("[!foreach(C)]\n[!C.Name]\n"), "a\r\n"); // unterminated block
  EXPECT_EQ(Expand("[!endforeach]z"), "z\r\n");
  // Regression (found by fuzzing): a block opened on the line that closes the outermost one
  // replayed the closed block's lines forever.
  f->SetCollectionProperty("One", Items({"1"}));
  EXPECT_EQ(Expand("[!foreach(One)]\n[!One.Name]\n[!endforeach][!foreach(C)]\n-[!C.Name]\n"
                   "[!endforeach]"),
            "1\r\n-a\r\n-b\r\n");
  // An end tag that restarts a pass and a block opened after it on the same line nest without
  // end; the depth bound stops it.
  EXPECT_EQ(ErrorOf("[!foreach(C)]\nx\n[!endforeach][!foreach(C)]"),
            "T(3): Foreach blocks nested too deeply at tag 'foreach(C)'");
}

TEST_F(TemplateFilter, ForEachNestsToItsDepthLimitAndNoFurther) {
  f->SetCollectionProperty("C", Items({"a"}));
  auto nested = [](int depth) {
    String t;
    for (int i = 0; i < depth; ++i)
      t += "[!foreach(C)]\n";
    t += "[!C.Name]\n";
    for (int i = 0; i < depth; ++i)
      t += "[!endforeach]\n";
    return t;
  };
  EXPECT_EQ(Expand(nested(MaxForEachDepth)), "a\r\n");
  EXPECT_EQ(ErrorOf(nested(MaxForEachDepth + 1)),
            "T(" + std::to_string(MaxForEachDepth + 1) +
                "): Foreach blocks nested too deeply at tag 'foreach(C)'");
}

TEST_F(TemplateFilter, ErrorsNameTemplateLineAndMessage) {
  EXPECT_EQ(ErrorOf("ok\nabc [!x"), "T(2): Missing closing tag in line 'abc [!x'");
  EXPECT_EQ(ErrorOf("text [!"), "T(1): Missing closing tag in line 'text [!'");
  EXPECT_EQ(ErrorOf("[!if=xyz]"), "T(1): Expecting open paren in tag 'if=xyz'");
  EXPECT_EQ(ErrorOf("\n\n[!set(ab]"), "T(3): Expecting close paren in tag 'set(ab'");
  EXPECT_EQ(ErrorOf("[!set(a, \"x]y\")]"), "T(1): Expecting close paren in tag 'set(a, \"x'");
  EXPECT_EQ(ErrorOf("[!else]"), "T(1): Attempt to access empty stack");
  EXPECT_EQ(ErrorOf("[!if=(a)]\n[!endif]\n[!endif]"), "T(3): Attempt to pop an empty stack");
  EXPECT_EQ(ErrorOf("[!foreach(a b)]"), "T(1): Invalid foreach tag encountered 'foreach(a b)'");
  EXPECT_EQ(ErrorOf("[!foreach(a on b)]"),
            "T(1): Invalid foreach tag encountered 'foreach(a on b)'");
  EXPECT_EQ(ErrorOf("[!foreach(a in b c)]"),
            "T(1): Invalid foreach tag encountered 'foreach(a in b c)'");

  // Inside a block the outer line numbers are reported, and after it they carry on.
  f->SetCollectionProperty("C", Items({"a", "b", "c"}));
  EXPECT_EQ(ErrorOf("x\n[!foreach(I in C)]\n[!I.Name]\n[!bad\n[!endforeach]"),
            "T(4): Missing closing tag in line '[!bad'");
  EXPECT_EQ(ErrorOf("[!foreach(I in C)]\n[!I.Name]\n[!endforeach]\n\n[!else]"),
            "T(5): Attempt to access empty stack");
  // The failed run restored the item name it had bound.
  EXPECT_EQ(f->GetPropertyCount(), 1);
  EXPECT_EQ(Expand("[!I]|"), "|\r\n");
}

TEST_F(TemplateFilter, ArgumentTagsWithoutANameAreInvalid) {
  // Too short after the keyword, or parentheses that hold no name: nothing may be set.
  for (const char* tag : {"set", "set()", "set ( ) ", "if=( )", "if!=(,)", "foreach()",
                          "set(\"\", v)", "if=x", "foreach(  )"}) {
    f->ClearProperties();
    const String trimmed = Trim(tag);
    EXPECT_EQ(ErrorOf("[!" + String(tag) + "]"), "T(1): Invalid tag encountered '" + trimmed + "'");
    EXPECT_EQ(f->GetPropertyCount(), 0) << tag;
  }
  // Three characters are enough.
  EXPECT_EQ(Expand("[!set(a,v)]\n[!if=(a,v)]\nx\n[!endif]\n[!if!=(a)]\ny\n[!endif]"), "x\r\ny\r\n");
  EXPECT_EQ(Expand("[!set(b,1)][!b]"), "1\r\n");
}

TEST_F(TemplateFilter, ErrorsQuoteLongTextShortened) {
  const String line = "[!" + String(5000, 'x');
  const String message = ErrorOf(line);
  EXPECT_EQ(message, "T(1): Missing closing tag in line '[!" + String(198, 'x') + "...'");
  // A cut never splits a character.
  const String wide = String(199, 'a') + "\xC3\xA9" + "[!";
  EXPECT_EQ(ErrorOf(wide), "T(1): Missing closing tag in line '" + String(199, 'a') + "...'");
  EXPECT_EQ(ErrorOf("[!set(" + String(300, 'n') + "]"),
            "T(1): Expecting close paren in tag 'set(" + String(196, 'n') + "...'");
}

TEST_F(TemplateFilter, NulInTagArgumentsEndsTheScan) {
  EXPECT_EQ(Expand(String("[!set(a\0b, c)][!a]|", 19)), "|\r\n");
  EXPECT_TRUE(f->GetProperty("a").IsEmpty());
  EXPECT_EQ(Expand(String("x\0y", 3)), String("x\0y\r\n", 5)); // plain text keeps it
}

TEST_F(TemplateFilter, DeepNestingNeedsNoDeepStack) {
  String t;
  for (int i = 0; i < 10000; ++i)
    t += "[!if=(x,'')]\n";
  t += "deep\n";
  for (int i = 0; i < 10000; ++i)
    t += "[!endif]\n";
  EXPECT_EQ(Expand(t), "deep\r\n");
  // Blocks nest as deep in ForEachNestsToItsDepthLimitAndNoFurther.

  String dotted = "[!C";
  for (int i = 0; i < 100000; ++i)
    dotted += ".C";
  EXPECT_EQ(Expand(dotted + "]|"), "|\r\n");
}

TEST(TagArguments, SplitsQuotesEscapesAndSeparators) {
  using V = std::vector<String>;
  EXPECT_EQ(SplitTagArguments("a, b\tc\r\nd,,e"), (V{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(SplitTagArguments("'a\\nb'"), (V{"a\r\nb"}));
  EXPECT_EQ(SplitTagArguments(R"("\r\a\b\t\"\\\q")"), (V{"\r\n\b\t\"\\\\q"}));
  EXPECT_EQ(SplitTagArguments(R"('' "" 'it\'s')"), (V{"", "", "it\\'s"}));
  EXPECT_EQ(SplitTagArguments("x\"y z"), (V{"x\"y", "z"})); // quotes count only at the start
  EXPECT_EQ(SplitTagArguments("a \"unfinished"), (V{"a", "unfinished"}));
  EXPECT_EQ(SplitTagArguments("a \""), (V{"a"}));
  EXPECT_EQ(SplitTagArguments("'\\"), (V{"\\"}));
  EXPECT_EQ(SplitTagArguments(std::string_view("a b\0c d", 7)), (V{"a", "b"}));
  EXPECT_EQ(SplitTagArguments(" , "), V{});
}

TEST(PropertyValues, NamesIgnoreCaseAndKeepTheLatestSpelling) {
  auto v = CoPropertyValues::Create();
  v->SetProperty("Name", "a");
  v->SetProperty("NAME", 1.5);
  v->SetProperty("Big", 1e20);
  v->SetProperty("Small", -1.25e-7);
  EXPECT_EQ(v->GetPropertyCount(), 3);
  EXPECT_EQ(v->GetPropertyKey(0), "NAME");
  EXPECT_EQ(VarToStr(v->GetProperty("name")), "1.5");
  EXPECT_EQ(VarToStr(v->GetProperty(1)), "1E20");
  EXPECT_EQ(VarToStr(v->GetProperty("small")), "-1.25E-7");
  EXPECT_THROW(v->GetProperty(3), EListError);
  EXPECT_THROW(v->GetPropertyKey(-1), EListError);
  EXPECT_THROW(CoCollectionProperty::Create()->GetItem(0), EListError);
  EXPECT_EQ(CoCollectionProperty::Create()->GetCurrentItem(), nullptr);
  v->ClearProperties();
  EXPECT_EQ(v->GetPropertyCount(), 0);

  IPtr<IPropertyValues> bag;
  EXPECT_TRUE(Supports(CoExpertFilter::Create(), &bag)); // a filter is a bag of values too
  EXPECT_FALSE(Supports<ICollectionProperty>(bag));
  EXPECT_TRUE(Supports<IIterationTarget>(CoCollectionProperty::Create()));
}

class TemplateFiles : public TemplateFilter {
protected:
  void SetUp() override {
    FDir = std::filesystem::temp_directory_path() /
           ("fw_tmpl_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(FDir);
  }
  void TearDown() override { std::filesystem::remove_all(FDir); }
  void Write(const std::filesystem::path& rel, std::string_view bytes) {
    std::filesystem::create_directories((FDir / rel).parent_path());
    std::ofstream(FDir / rel, std::ios::binary) << bytes;
  }
  std::filesystem::path FDir;
};

TEST_F(TemplateFiles, FileTemplatesDecodeByByteOrderMarkAndErrorsNameTheFile) {
  Write("utf8.txt", "\xEF\xBB\xBFz\xC3\xA9[!v]\r\nb");
  Write("utf16.txt", std::string_view("\xFF\xFE"
                                      "a\0\r\0\n\0\xE9\0",
                                      10));
  f->SetProperty("v", "!");
  EXPECT_EQ(f->Filter(FDir.string(), "utf8.txt"), "z\xC3\xA9!\r\nb\r\n");
  EXPECT_EQ(f->Filter(FDir.string() + "/", "utf16.txt"), "a\r\n\xC3\xA9\r\n");
  // Errors name the file; a missing one is reported.
  Write("Unit.pas", "unit [!Name];\n[!endif]");
  EXPECT_EQ(MessageOf([&] { f->Filter(FDir.string(), "Unit.pas"); }),
            "Unit.pas(2): Attempt to pop an empty stack");
  EXPECT_EQ(MessageOf([&] { f->Filter(FDir.string(), "Missing.pas"); }),
            "File not found: " + (FDir / "Missing.pas").string());
}

TEST_F(TemplateFiles, LocalisedVariantIsPreferred) {
  Write("T.txt", "plain");
  Write("de/T.txt", "deutsch");
  const char* old = std::getenv("LC_ALL");
  const String saved = old ? old : "";
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  const String de = f->Filter(FDir.string(), "T.txt");
  ::setenv("LC_ALL", "fr_FR.UTF-8", 1);
  const String fr = f->Filter(FDir.string(), "T.txt");
  if (old)
    ::setenv("LC_ALL", saved.c_str(), 1);
  else
    ::unsetenv("LC_ALL");
  EXPECT_EQ(de, "deutsch\r\n");
  EXPECT_EQ(fr, "plain\r\n");
}

TEST_F(TemplateFilter, ResourceProviderReadsNamedBlobsSkippingEmptyLines) {
  ResourceBlobs().Add("wizards", "UNITTEMPLATE", "\xEF\xBB\xBFunit [!N];\r\n\r\nend.\r\n");
  f->SetProperty("N", "U1");
  EXPECT_EQ(f->Filter(CoResourceProvider::Create("Wizards", "UnitTemplate"), "r"),
            "unit U1;\r\nend.\r\n");
  ResourceBlobs().RemoveModule("WIZARDS");
  EXPECT_EQ(MessageOf<EResNotFound>([] { CoResourceProvider::Create("Wizards", "UnitTemplate"); }),
            "Resource UnitTemplate not found");
}
