#include "basert/runtimeclass.h"

#include "basert/component.h"
#include "test_classes.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

/// A run-time class made the way a maker of such classes does: a copy of the parent's record.
std::unique_ptr<TRunTimeClass> Made(TClass parent, const String& name) {
  auto cls = std::make_unique<TRunTimeClass>();
  cls->Rec = *parent;
  cls->Rec.ClassName = name;
  cls->Rec.Parent = parent;
  cls->Rec.TypeInfo = &cls->Type;
  return cls;
}

} // namespace

TEST(RunTimeClasses, RegistryOwnsRecordsUntilDisownedAndFindsTheCompiledAncestor) {
  ASSERT_EQ(RunTimeClassCount(), 0u);
  TClass form = AdoptRunTimeClass(Made(TSample::StaticClass(), "TForm1"));
  TClass derived = AdoptRunTimeClass(Made(form, "TForm2"));
  EXPECT_EQ(AdoptRunTimeClass(nullptr), nullptr);
  EXPECT_EQ(RunTimeClassCount(), 2u);
  EXPECT_TRUE(IsRunTimeClass(form));
  EXPECT_FALSE(IsRunTimeClass(TSample::StaticClass()));
  EXPECT_FALSE(IsRunTimeClass(nullptr));
  EXPECT_EQ(CompiledClassOf(derived), TSample::StaticClass());
  EXPECT_EQ(CompiledClassOf(TSample::StaticClass()), TSample::StaticClass());
  EXPECT_EQ(CompiledClassOf(nullptr), nullptr);

  std::vector<String> seen;
  ForEachRunTimeClass([&](TRunTimeClass& c) { seen.push_back(c.Rec.ClassName); });
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<String>{"TForm1", "TForm2"}));

  std::unique_ptr<TRunTimeClass> back = DisownRunTimeClass(form);
  ASSERT_TRUE(back);
  EXPECT_EQ(&back->Rec, form);
  EXPECT_FALSE(IsRunTimeClass(form));
  EXPECT_EQ(DisownRunTimeClass(form), nullptr); // only once
  EXPECT_EQ(DisownRunTimeClass(TSample::StaticClass()), nullptr);
  // Its descendant now stops at the first record that is not a live run-time class.
  EXPECT_EQ(CompiledClassOf(derived), form);
  DisownRunTimeClass(derived);
  EXPECT_EQ(RunTimeClassCount(), 0u);
}

TEST(RunTimeClasses, MethodCodesAreRecognisedWhileInUse) {
  TCodeNumberSet& codes = RunTimeMethodCodes();
  ASSERT_EQ(codes.Count(), 0u);
  const std::uint32_t n = codes.Acquire();
  auto code = [](std::uint64_t v) { return reinterpret_cast<const void*>(v); };
  EXPECT_TRUE(IsRunTimeMethodCode(code(n)));
  EXPECT_FALSE(IsRunTimeMethodCode(code(n + 1)));
  EXPECT_FALSE(IsRunTimeMethodCode(code((std::uint64_t{1} << 32) + n))); // wider than a number
  codes.Release(n);
  EXPECT_FALSE(IsRunTimeMethodCode(code(n)));
  codes.Acquire();
  ForgetRunTimeMethodCodes();
  EXPECT_FALSE(IsRunTimeMethodCode(code(n)));
  EXPECT_EQ(RunTimeMethodCodes().Count(), 0u);
}

TEST(CodeNumberSet, HandsOutTheLowestFreeNumberAcrossWords) {
  TCodeNumberSet set;
  for (std::uint32_t n = 1; n <= 5000; ++n)
    ASSERT_EQ(set.Acquire(), n);
  set.Release(4500);
  set.Release(70);
  set.Release(3);
  set.Release(3);    // twice: ignored
  set.Release(0);    // never handed out
  set.Release(9000); // beyond the set
  EXPECT_EQ(set.Count(), 4997u);
  EXPECT_FALSE(set.InUse(70));
  EXPECT_EQ(set.Acquire(), 3u);
  EXPECT_EQ(set.Acquire(), 70u);
  EXPECT_EQ(set.Acquire(), 4500u);
  EXPECT_EQ(set.Acquire(), 5001u);
  EXPECT_TRUE(set.InUse(5001));
}
