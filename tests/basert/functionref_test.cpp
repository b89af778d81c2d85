#include "basert/functionref.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

using namespace fw;

namespace {

int Twice(int v) { return 2 * v; }
int Negate(int v) { return -v; }

static_assert(sizeof(TFunctionRef<void(int)>) == 2 * sizeof(void*));
static_assert(std::is_trivially_copyable_v<TFunctionRef<void(int)>>);
// A callable of the wrong shape must not convert (it would pick the wrong overload instead).
static_assert(!std::is_constructible_v<TFunctionRef<void(int)>, void (*)(std::string)>);
static_assert(!std::is_constructible_v<TFunctionRef<int(int)>, decltype([](int) {})>);

TEST(FunctionRef, RefersToTheCallableItWasMadeFrom) {
  int calls = 0;
  auto counter = [&calls, n = 0](int add) mutable {
    n += add;
    ++calls;
    return n;
  };
  TFunctionRef<int(int)> ref = counter;
  TFunctionRef<int(int)> copy = ref;
  EXPECT_EQ(ref(2), 2);
  EXPECT_EQ(copy(3), 5); // the copy reaches the same state, not a copy of it
  EXPECT_EQ(counter(1), 6);
  EXPECT_EQ(calls, 3);

  const auto constant = [](int v) { return v + 1; };
  EXPECT_EQ(TFunctionRef<long(int)>(constant)(41), 42L);
  // A temporary lives to the end of the full expression, long enough for the call it is passed to.
  EXPECT_EQ([](TFunctionRef<int(int)> f) { return f(4); }([k = 10](int v) { return k * v; }), 40);
}

TEST(FunctionRef, KeepsFunctionPointersByValue) {
  int (*fn)(int) = &Twice;
  TFunctionRef<int(int)> ref = fn;
  fn = &Negate;
  EXPECT_EQ(ref(5), 10);
  EXPECT_EQ(TFunctionRef<int(int)>(Negate)(5), -5);
  // A captureless lambda converted to a pointer first: nothing left to dangle.
  TFunctionRef<int(int)> decayed = +[](int v) { return v * v; };
  EXPECT_EQ(decayed(3), 9);
}

TEST(FunctionRef, EmptyWhenMadeFromNothing) {
  std::function<void(int)> none;
  int (*nullFn)(int) = nullptr;
  TFunctionRef<int(int)> fromNull = nullFn;
  for (const TFunctionRef<void(int)>& ref :
       {TFunctionRef<void(int)>(), TFunctionRef<void(int)>(nullptr), TFunctionRef<void(int)>(none),
        TFunctionRef<void(int)>(TFunctionRef<void(int)>())}) {
    EXPECT_FALSE(ref);
    EXPECT_TRUE(ref == nullptr);
  }
  EXPECT_FALSE(fromNull);
  std::function<void(int)> some = [](int) {};
  EXPECT_TRUE(TFunctionRef<void(int)>(some));
}

TEST(FunctionRef, PassesArgumentsWithoutCopies) {
  auto print = [](std::unique_ptr<int> p, std::string& out) { out = std::to_string(*p); };
  TFunctionRef<void(std::unique_ptr<int>, std::string&)> take = print;
  std::string out;
  take(std::make_unique<int>(7), out);
  EXPECT_EQ(out, "7");
}

} // namespace
