#include "basert/formstream.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace fw;
using fwtest::Written;

namespace {

String Bytes(std::initializer_list<int> b) {
  String s;
  for (int x : b)
    s += static_cast<char>(x);
  return s;
}

String ErrorOf(std::string_view data, void (*f)(TBinaryReaderCore&)) {
  return fwtest::MessageOf<EReadError>([&] {
    TBinaryReaderCore r(data.data(), data.size());
    f(r);
  });
}

} // namespace

TEST(FormStreamIntegers, WriterPicksTheSmallestTagAndReaderSignExtends) {
  struct Case {
    Int64 v;
    TValueType tag;
    std::size_t size;
  };
  const Case cases[] = {{0, vaInt8, 2},
                        {-128, vaInt8, 2},
                        {127, vaInt8, 2},
                        {128, vaInt16, 3},
                        {-129, vaInt16, 3},
                        {-32768, vaInt16, 3},
                        {32768, vaInt32, 5},
                        {2147483647, vaInt32, 5},
                        {-2147483648LL, vaInt32, 5},
                        {2147483648LL, vaInt64, 9},
                        {std::numeric_limits<Int64>::min(), vaInt64, 9}};
  for (const auto& c : cases) {
    String s = Written([&](TBinaryWriterCore& w) { w.WriteInteger(c.v); });
    ASSERT_EQ(s.size(), c.size) << c.v;
    EXPECT_EQ(static_cast<Byte>(s[0]), c.tag) << c.v;
    TBinaryReaderCore r(s.data(), s.size());
    EXPECT_EQ(r.ReadInt64(), c.v);
  }
  EXPECT_EQ(Written([](TBinaryWriterCore& w) { w.WriteInteger(-2); }), Bytes({2, 0xFE}));
  // A wide tag holding a small value is read like any other.
  String wide = Written([](TBinaryWriterCore& w) { w.WriteIntegerAs(vaInt64, -5); });
  TBinaryReaderCore r(wide.data(), wide.size());
  EXPECT_EQ(r.ReadInteger(), -5);
  EXPECT_THROW(Written([](TBinaryWriterCore& w) { w.WriteIntegerAs(vaInt8, 200); }), EWriteError);
  EXPECT_EQ(ErrorOf(Written([](TBinaryWriterCore& w) { w.WriteInteger(1LL << 40); }),
                    [](TBinaryReaderCore& r) { r.ReadInteger(); }),
            "Value out of range at byte 0");
}

TEST(FormStreamFloats, ExtendedBytesAreTheEightyBitLayoutOnEveryPath) {
  EXPECT_EQ(ExtendedToBytes(1.0L), (std::array<Byte, 10>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  EXPECT_EQ(ExtendedToBytes(-2.0L), (std::array<Byte, 10>{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
  const Extended values[] = {0.0L,
                             -0.0L,
                             0.1L,
                             -1234.5678L,
                             3.14159265358979323846264338327950288L,
                             std::numeric_limits<Extended>::max(),
                             std::numeric_limits<Extended>::min(),
                             std::numeric_limits<Extended>::denorm_min(),
                             std::numeric_limits<Extended>::min() / 3,
                             std::numeric_limits<Extended>::infinity(),
                             -std::numeric_limits<Extended>::infinity()};
  for (Extended v : values) {
    auto native = ExtendedToBytes(v);
    EXPECT_EQ(detail::ExtendedToBytesPortable(v), native) << static_cast<double>(v);
    Extended back = detail::BytesToExtendedPortable(native);
    EXPECT_EQ(back, v);
    EXPECT_EQ(std::signbit(back), std::signbit(v));
  }
  EXPECT_TRUE(std::isnan(detail::BytesToExtendedPortable(ExtendedToBytes(NAN))));
  // An unnormal (exponent set, integer bit clear) has no value.
  EXPECT_TRUE(std::isnan(detail::BytesToExtendedPortable({0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F})));
  EXPECT_TRUE(std::isnan(BytesToExtended({0, 0, 0, 0, 0, 0, 0, 0, 0x88, 0}))); // found by fuzzing
  EXPECT_TRUE(IsCanonicalExtended(ExtendedToBytes(std::numeric_limits<Extended>::denorm_min())));
  EXPECT_FALSE(IsCanonicalExtended({0, 0, 0, 0, 0, 0, 0, 0x88, 0, 0})); // pseudo-denormal
  EXPECT_FALSE(IsCanonicalExtended(ExtendedToBytes(INFINITY)));
}

TEST(FormStreamFloats, ReadFloatTakesEveryNumericTag) {
  String s = Written([](TBinaryWriterCore& w) {
    w.WriteFloat(2.5L);
    w.WriteSingle(0.5f);
    w.WriteDouble(0.25);
    w.WriteDate(45000.5);
    w.WriteCurrency(Currency::FromScaled(12345));
    w.WriteInteger(-7);
  });
  TBinaryReaderCore r(s.data(), s.size());
  EXPECT_EQ(r.ReadFloat(), 2.5L);
  EXPECT_EQ(r.ReadFloat(), 0.5L);
  EXPECT_EQ(r.ReadFloat(), 0.25L);
  EXPECT_EQ(r.ReadFloat(), 45000.5L);
  EXPECT_EQ(r.ReadFloat(), 1.2345L);
  EXPECT_EQ(r.ReadFloat(), -7.0L);
  EXPECT_EQ(ErrorOf(Bytes({vaString, 0}), [](TBinaryReaderCore& r) { r.ReadFloat(); }),
            "Invalid property value at byte 0: Float expected");
}

TEST(FormStreamStrings, WriterChoosesTagsByContentAndReaderConvertsEveryTag) {
  struct Case {
    String text;
    TValueType tag;
  };
  const Case cases[] = {{"", vaString},
                        {"plain", vaString},
                        {String(256, 'x'), vaLString},
                        {"caf\xC3\xA9", vaUTF8String},           // mostly ASCII
                        {"\xE6\x97\xA5\xE6\x9C\xAC", vaWString}, // CJK: UTF-16 is shorter
                        {"\xC3\xA9", vaWString},                 // a tie goes to UTF-16
                        {"a\xF0\x9F\x98\x80", vaUTF8String}};    // 5 bytes < 2 * 3 units
  for (const auto& c : cases) {
    String s = Written([&](TBinaryWriterCore& w) { w.WriteString(c.text); });
    EXPECT_EQ(static_cast<Byte>(s[0]), c.tag) << c.text;
    EXPECT_EQ(CanonicalStringType(Utf8ToWide(c.text)), c.tag) << c.text;
    TBinaryReaderCore r(s.data(), s.size());
    EXPECT_EQ(r.ReadString(), c.text);
    TBinaryReaderCore r2(s.data(), s.size());
    EXPECT_EQ(r2.ReadWideString(), Utf8ToWide(c.text));
  }
  WideString lone = u"ab";
  lone += char16_t(0xD800);
  EXPECT_EQ(CanonicalStringType(lone), vaWString);
  // Single-byte strings of older writers that are not UTF-8 read as Latin-1.
  String latin = Bytes({vaString, 4, 'c', 'a', 'f', 0xE9});
  TBinaryReaderCore r(latin.data(), latin.size());
  EXPECT_EQ(r.ReadString(), "caf\xC3\xA9");
  EXPECT_THROW(Written([](TBinaryWriterCore& w) { w.WriteStr(String(256, 'n')); }), EWriteError);
}

TEST(FormStreamIdents, WordTagsReadAsIdentifiersAndBack) {
  String s = Written([](TBinaryWriterCore& w) {
    for (const char* id : {"clRed", "false", "TRUE", "nil", "Null"})
      w.WriteIdent(id);
  });
  EXPECT_EQ(s, Bytes({vaIdent, 5, 'c', 'l', 'R', 'e', 'd', vaFalse, vaTrue, vaNil, vaNull}));
  TBinaryReaderCore r(s.data(), s.size());
  for (const char* id : {"clRed", "False", "True", "nil", "Null"})
    EXPECT_EQ(r.ReadIdent(), id);
}

TEST(FormStreamStructure, PrefixSetsBinaryAndListsReadBack) {
  String s = Written([](TBinaryWriterCore& w) {
    w.WriteSignature();
    w.WritePrefix(ffInherited | ffChildPos, 300);
    w.WritePrefix(0, 5); // no flags, no prefix
    w.WriteSet({"akLeft", "akTop"});
    w.WriteBinary("\x01\x02\x03", 3);
    w.WriteListBegin();
    w.WriteBoolean(true);
    w.WriteListEnd();
  });
  TBinaryReaderCore r(s.data(), s.size());
  r.ReadSignature();
  TFilerFlags flags;
  Integer pos;
  r.ReadPrefix(flags, pos);
  EXPECT_EQ(flags, ffInherited | ffChildPos);
  EXPECT_EQ(pos, 300);
  r.ReadPrefix(flags, pos);
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(r.ReadSet(), (std::vector<String>{"akLeft", "akTop"}));
  EXPECT_EQ(r.ReadBinary(), (std::vector<Byte>{1, 2, 3}));
  r.ReadListBegin();
  EXPECT_FALSE(r.EndOfList());
  EXPECT_TRUE(r.ReadBoolean());
  EXPECT_TRUE(r.EndOfList());
  r.ReadListEnd();
  EXPECT_TRUE(r.AtEnd());
}

namespace {
// One value of every kind, inside a list, inside a collection item.
String EveryKind() {
  return Written([](TBinaryWriterCore& w) {
    w.WriteCollectionBegin();
    w.WriteInteger(3); // item ordinal
    w.WriteListBegin();
    w.WriteStr("Values");
    w.WriteListBegin();
    w.WriteInteger(1);
    w.WriteInteger(1000);
    w.WriteInteger(100000);
    w.WriteInteger(1LL << 40);
    w.WriteFloat(1.5L);
    w.WriteSingle(1.5f);
    w.WriteDouble(1.5);
    w.WriteCurrency(Currency::FromScaled(15000));
    w.WriteDate(1.5);
    w.WriteString("s");
    w.WriteString(String(300, 'l'));
    w.WriteString("caf\xC3\xA9");
    w.WriteString("\xE6\x97\xA5");
    w.WriteIdent("clRed");
    w.WriteBoolean(false);
    w.WriteBoolean(true);
    w.WriteIdent("nil");
    w.WriteBinary("xyz", 3);
    w.WriteSet({"a", "b"});
    w.WriteCollectionBegin();
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteStr("Nothing");
    w.WriteValue(vaNull); // a Null value, not an end marker, after a property name
    w.WriteListEnd();
    w.WriteListEnd();
  });
}
} // namespace

TEST(FormStreamSkip, SkipsEveryKindFromMemoryOrAStreamAndEveryCutRaisesCleanly) {
  String s = EveryKind();
  {
    TBinaryReaderCore r(s.data(), s.size());
    r.SkipValue();
    EXPECT_TRUE(r.AtEnd());
  }
  for (std::size_t cut = 0; cut < s.size(); ++cut)
    EXPECT_TRUE(ErrorOf(s.substr(0, cut), [](TBinaryReaderCore& r) { r.SkipValue(); })
                    .starts_with("Unexpected end of stream at byte"))
        << cut;

  // A stream reader with a tiny buffer stops where the memory reader does.
  s += "tail";
  TStringStream m(s);
  {
    TBinaryReaderCore r(m, 16);
    r.SkipValue();
    EXPECT_EQ(r.Position(), static_cast<Int64>(s.size() - 4));
  }
  EXPECT_EQ(m.Position(), static_cast<Int64>(s.size() - 4)); // read-ahead is given back
  EXPECT_EQ(m.ReadString(4), "tail");
}

TEST(FormStreamErrors, BadTagsSignaturesLengthsAndDepthSayWhatAndWhere) {
  EXPECT_EQ(ErrorOf(Bytes({vaList, 22}), [](TBinaryReaderCore& r) { r.SkipValue(); }),
            "Invalid value type 22 at byte 1");
  EXPECT_EQ(ErrorOf("TPF1", [](TBinaryReaderCore& r) { r.ReadSignature(); }),
            "Invalid stream format: signature expected at byte 0");
  EXPECT_EQ(ErrorOf("TP", [](TBinaryReaderCore& r) { r.ReadSignature(); }),
            "Invalid stream format: signature expected at byte 0");
  EXPECT_EQ(ErrorOf(Bytes({vaBinary, 0xFF, 0xFF, 0xFF, 0x7F, 1}),
                    [](TBinaryReaderCore& r) { r.ReadBinary(); }),
            "Unexpected end of stream at byte 6");
  EXPECT_EQ(ErrorOf(Bytes({vaLString, 0, 0, 0, 0x80}), [](TBinaryReaderCore& r) { r.SkipValue(); }),
            "Invalid length 2147483648 at byte 1");
  String deep(kMaxNesting + 1, static_cast<char>(vaList));
  EXPECT_EQ(ErrorOf(deep, [](TBinaryReaderCore& r) { r.SkipValue(); }),
            "Values nested too deeply at byte " + std::to_string(kMaxNesting));

  // A huge length on a stream is refused before anything is allocated for it.
  TStringStream m(Bytes({vaBinary, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2}));
  TBinaryReaderCore r(m, 16);
  EXPECT_THROW(r.ReadBinary(), EReadError);
}
