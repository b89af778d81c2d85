#include "basert/formtext.h"

#include "basert/exceptions.h"
#include "basert/formstream.h"
#include "basert/sysutils.h"
#include "test_util.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <regex>

using namespace fw;
using fwtest::Written;

namespace {

String TextToBinary(std::string_view text, TTextSyntax syntax = TTextSyntax::Standard) {
  TStringStream in(text);
  TMemoryStream out;
  ObjectTextToBinary(in, out, syntax);
  return String(out.View());
}

// The text of the component at the start of `binary`, which must be the whole of it unless
// `consumed` asks how much was read.
String BinaryToText(std::string_view binary, TTextSyntax syntax = TTextSyntax::Standard,
                    Int64* consumed = nullptr) {
  TStringStream in(binary);
  TMemoryStream out;
  ObjectBinaryToText(in, out, syntax);
  if (consumed)
    *consumed = in.Position();
  else
    EXPECT_EQ(in.Position(), static_cast<Int64>(binary.size())) << "the whole object is consumed";
  return String(out.View());
}

String ParseError(std::string_view text, TTextSyntax syntax = TTextSyntax::Standard) {
  return fwtest::MessageOf<EParserError>([&] { TextToBinary(text, syntax); });
}
String ReadError(std::string_view binary, TTextSyntax syntax = TTextSyntax::Standard) {
  return fwtest::MessageOf<EReadError>([&] { BinaryToText(binary, syntax); });
}

std::vector<std::filesystem::path> Files(const std::filesystem::path& dir, const char* ext) {
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (ext == nullptr || e.path().extension() == ext) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

String Load(const std::filesystem::path& path) {
  TMemoryStream file;
  file.LoadFromFile(path.string());
  return String(file.View());
}

String Lines(std::initializer_list<std::string_view> lines) {
  String s;
  for (auto l : lines)
    (s += l) += "\r\n";
  return s;
}

// What a reader takes from a component, written out: names, and every value as the reader's
// own conversions see it, whatever tag it came with. Two encodings mean the same when these
// agree.
void MeaningOfValue(TBinaryReaderCore& r, String& out);
void MeaningOfProperties(TBinaryReaderCore& r, String& out) {
  while (!r.EndOfList()) {
    out += r.ReadStr() + "=";
    MeaningOfValue(r, out);
    out += "\n";
  }
  r.ReadListEnd();
}
void MeaningOfValue(TBinaryReaderCore& r, String& out) {
  auto bytes = [&](const auto& v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); };
  switch (Byte tag = r.NextValue()) {
  case vaExtended:
  case vaDouble: // the value, whatever its precision
    return bytes(ExtendedToBytes(r.ReadFloat()));
  case vaSingle:
    return bytes(r.ReadSingle());
  case vaDate:
    return bytes(r.ReadDate());
  case vaCurrency:
    return bytes(r.ReadCurrency().Scaled);
  case vaString:
  case vaLString:
  case vaWString:
  case vaUTF8String: {
    WideString w = r.ReadWideString();
    out.append(reinterpret_cast<const char*>(w.data()), 2 * w.size());
    return;
  }
  case vaSet:
    for (const String& e : r.ReadSet())
      out += e + ",";
    return;
  case vaBinary: {
    auto data = r.ReadBinary();
    out += "{" + String(data.begin(), data.end()) + "}";
    return;
  }
  case vaList:
  case vaCollection:
    r.ReadValue();
    out += tag == vaList ? "(" : "<";
    while (!r.EndOfList()) {
      if (tag == vaList) {
        MeaningOfValue(r, out);
        continue;
      }
      if (r.PeekByte() != vaList) out += "#" + std::to_string(r.ReadInt64());
      r.ReadListBegin();
      MeaningOfProperties(r, out);
    }
    r.ReadListEnd();
    out += ")";
    return;
  default:
    if ((tag >= vaInt8 && tag <= vaInt32) || tag == vaInt64) return bytes(r.ReadInt64());
    out += LowerCase(r.ReadIdent()); // identifiers and the words, compared as names are
  }
}
String Meaning(std::string_view binary) {
  TBinaryReaderCore r(binary.data(), binary.size());
  r.ReadSignature();
  String out;
  std::function<void()> object = [&] {
    TFilerFlags flags;
    Integer childPos;
    r.ReadPrefix(flags, childPos);
    out += std::to_string(flags) + " " + std::to_string(childPos) + " " + r.ReadStr() + ":";
    out += r.ReadStr() + "\n";
    MeaningOfProperties(r, out);
    while (!r.EndOfList())
      object();
    r.ReadListEnd();
  };
  object();
  return out;
}

// The standard text of a binary: it reads back with typed values refused, means the same, and
// gives the same text again. Only identifier values that are none, or Null in a list, have no
// standard form and are refused.
void ExpectStandardRoundTrip(std::string_view binary) {
  Int64 consumed = 0;
  String text;
  try {
    text = BinaryToText(binary, TTextSyntax::Standard, &consumed);
  } catch (const EReadError& e) {
    EXPECT_THAT(e.Message(), testing::StartsWith("Invalid name at byte"));
    String exact = BinaryToText(binary, TTextSyntax::Exact, &consumed);
    const std::regex ident("Ident\\('([^']*)'\\)");
    bool found = false;
    for (std::sregex_iterator it(exact.begin(), exact.end(), ident), end; it != end; ++it)
      found |= !IsValidIdent((*it)[1].str(), true) || SameText((*it)[1].str(), "Null");
    EXPECT_TRUE(found) << e.Message();
    return;
  }
  String back = TextToBinary(text);
  EXPECT_EQ(Meaning(back), Meaning(binary.substr(0, static_cast<std::size_t>(consumed)))) << text;
  EXPECT_EQ(BinaryToText(back), text);
}

} // namespace

TEST(FormTextCorpus, OurTextAndBinaryRoundTripExactlyAndForeignBinaryByMeaning) {
  // Standard forms: both ways byte for byte, in either syntax and through a resource.
  auto files = Files(FW_TEST_DATA_DIR "/forms", ".fwf");
  ASSERT_GE(files.size(), 6u);
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    String text = Load(path);
    String binary = TextToBinary(text);
    for (TTextSyntax syntax : {TTextSyntax::Standard, TTextSyntax::Exact}) {
      EXPECT_EQ(BinaryToText(binary, syntax), text);
      EXPECT_EQ(TextToBinary(BinaryToText(binary, syntax), syntax), binary);
    }
    TStringStream in(text);
    TMemoryStream res, back;
    ObjectTextToResource(in, res);
    res.SetPosition(0);
    EXPECT_EQ(TestStreamFormat(res), sofBinary);
    ObjectResourceToText(res, back);
    EXPECT_EQ(back.View(), text);
  }
  // Forms with foreign encodings: exact text only when asked for (their standard text is
  // checked with every other binary below).
  files = Files(FW_TEST_DATA_DIR "/forms/exact", ".fwf");
  ASSERT_GE(files.size(), 2u);
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    String text = Load(path);
    String binary = TextToBinary(text, TTextSyntax::Exact);
    EXPECT_EQ(BinaryToText(binary, TTextSyntax::Exact), text);
    EXPECT_THAT(ParseError(text), testing::HasSubstr("needs the exact text syntax"));
  }
}

TEST(FormTextCorpus, EveryBinaryOfTheTestAndSeedCorporaGivesStandardText) {
  std::vector<String> binaries;
  for (const char* dir : {"/forms", "/forms/exact"})
    for (const auto& path : Files(String(FW_TEST_DATA_DIR) + dir, ".fwf"))
      binaries.push_back(TextToBinary(Load(path), TTextSyntax::Exact));
  // Seeds without the extension are raw fuzz findings, not forms.
  for (const char* seeds : {"bin2text", "formbinary", "componentreader"})
    for (const auto& path : Files(String(FW_TEST_DATA_DIR "/../../fuzz/corpus/") + seeds, ".fwb"))
      binaries.push_back(Load(path));
  ASSERT_GE(binaries.size(), 25u);
  for (const String& binary : binaries) {
    SCOPED_TRACE(binary.substr(0, 40));
    ExpectStandardRoundTrip(binary);
  }
}

TEST(FormTextCorpus, EveryCutOfABinaryFormRaisesAReadError) {
  String binary = TextToBinary(Load(FW_TEST_DATA_DIR "/forms/datamodule.fwf"));
  for (std::size_t cut = 0; cut < binary.size(); ++cut) {
    String msg = ReadError(std::string_view(binary).substr(0, cut));
    EXPECT_TRUE(msg.starts_with("Unexpected end of stream at byte") ||
                msg.starts_with("Invalid stream format"))
        << cut << ": " << msg;
  }
}

TEST(FormTextLayout, HumanTextIsAcceptedAndComesBackCanonical) {
  // Raw UTF-8, hex, odd spacing, lower-case keywords, '+' joins and a BOM.
  String human = "\xEF\xBB\xBF  OBJECT  F : TF\n  Caption='caf\xC3\xA9' + ' au lait'\n"
                 "  Mask = $FF\n  Items = ( 1 2 ) Data = { 0a 0B }\n  V = 1e3\n"
                 "  L = (clRed(1))\nEND\n";
  EXPECT_EQ(BinaryToText(TextToBinary(human)),
            Lines({"object F: TF", "  Caption = 'caf'#233' au lait'", "  Mask = 255", "  Items = (",
                   "    1", "    2)", "  Data = {", "    0A0B}", "  V = 1000.0", "  L = (",
                   "    clRed", "    (", "      1))", "end"}));
}

TEST(FormTextLayout, ValuesAtTheirTagLimitsKeepTheirTagBothWays) {
  auto tagOf = [](const String& binary) {
    const auto at = binary.find("\x01V");
    return at == String::npos ? -1 : static_cast<int>(static_cast<Byte>(binary[at + 2]));
  };
  // A plain string is short up to 255 bytes and long from 256 on.
  for (std::size_t n : {254u, 255u, 256u}) {
    const String text = Lines({"object A: TA", "  V = '" + String(n, 'a') + "'", "end"});
    const String binary = TextToBinary(text);
    EXPECT_EQ(tagOf(binary), n <= 255 ? vaString : vaLString) << n;
    EXPECT_EQ(TextToBinary(BinaryToText(binary)), binary) << n;
  }
  // The widest values an integer tag takes are accepted with that tag (typed values are exact
  // syntax only).
  const std::pair<const char*, TValueType> limits[] = {
      {"Int8(127)", vaInt8},      {"Int8(-128)", vaInt8},         {"Int16(32767)", vaInt16},
      {"Int16(-32768)", vaInt16}, {"Int32(2147483647)", vaInt32}, {"Int32(-2147483648)", vaInt32}};
  for (const auto& [value, tag] : limits)
    EXPECT_EQ(tagOf(TextToBinary(Lines({"object A: TA", String("  V = ") + value, "end"}),
                                 TTextSyntax::Exact)),
              tag)
        << value;
}

TEST(FormTextLayout, ConversionStopsAfterOneObjectSoStreamsCanHoldSeveral) {
  TStringStream text("object A: TA\r\nend\r\nobject B: TB\r\nend\r\n");
  TMemoryStream first, second;
  ObjectTextToBinary(text, first);
  ObjectTextToBinary(text, second);
  EXPECT_EQ(BinaryToText(first.View()), Lines({"object A: TA", "end"}));
  EXPECT_EQ(BinaryToText(second.View()), Lines({"object B: TB", "end"}));

  TStringStream binary(String(first.View()) + String(second.View()));
  TMemoryStream out;
  ObjectBinaryToText(binary, out);
  EXPECT_EQ(binary.Position(), first.Size());
}

TEST(FormTextFloats, EveryFloatKeepsItsValueAndExactTextItsBits) {
  std::mt19937_64 rng(20240601);
  for (int i = 0; i < 3000; ++i) {
    // Random 80-bit patterns: normal (integer bit set) or denormal (exponent 0).
    std::array<Byte, 10> ext;
    UInt64 mant = rng();
    unsigned exp = static_cast<unsigned>(rng() % 0x7FFF);
    if (i % 10 == 0) exp = 0;
    mant = exp ? mant | (UInt64{1} << 63) : mant & ~(UInt64{1} << 63);
    std::memcpy(ext.data(), &mant, 8);
    unsigned se = exp | (rng() & 1 ? 0x8000 : 0);
    ext[8] = static_cast<Byte>(se);
    ext[9] = static_cast<Byte>(se >> 8);
    double d = std::bit_cast<double>(rng());
    float f = std::bit_cast<float>(static_cast<std::uint32_t>(rng()));

    String binary = Written([&](TBinaryWriterCore& w) {
      w.WriteSignature();
      w.WriteStr("T");
      w.WriteStr("");
      w.WriteStr("E");
      w.WriteExtendedBytes(ext);
      if (std::isfinite(d)) {
        w.WriteStr("D");
        w.WriteDouble(d);
        w.WriteStr("T");
        w.WriteDate(d);
      }
      if (std::isfinite(f)) {
        w.WriteStr("S");
        w.WriteSingle(f);
      }
      w.WriteListEnd();
      w.WriteListEnd();
    });
    String text = BinaryToText(binary, TTextSyntax::Exact);
    ASSERT_EQ(TextToBinary(text, TTextSyntax::Exact), binary) << text;
    // A Double comes back as an Extended of the same value.
    ExpectStandardRoundTrip(binary);
  }
}

TEST(FormTextFloats, FastShortestDecimalsAreTheLibrarysOwn) {
  std::mt19937_64 rng(7);
  std::vector<Extended> values = {0.1L, 1e-4L, 1e-5L, 100.0L, 1e6L, 45678.123456789L, 1e14L};
  for (int i = 0; i < 20000; ++i) {
    // Short decimals at every scale, and arbitrary bit patterns.
    Extended m = static_cast<Extended>(rng() % 1000000000000000000ull >> (rng() % 60));
    Extended v = m / std::pow(10.0L, static_cast<int>(rng() % 22));
    values.push_back(rng() & 1 ? v : -v);
    values.push_back(std::ldexp(static_cast<Extended>(rng()), static_cast<int>(rng() % 80) - 80));
  }
  int fast = 0;
  for (Extended v : values) {
    char mine[64], theirs[64];
    char* end = detail::ShortestDecimal(v, mine);
    if (!end) continue;
    ++fast;
    String expected(theirs, std::to_chars(theirs, theirs + sizeof theirs, v).ptr);
    ASSERT_EQ(String(mine, end), expected);
  }
  EXPECT_GT(fast, 10000);
}

namespace {

// Random component trees written value by value, with tags that the text must annotate.
class RandomForm {
public:
  explicit RandomForm(unsigned seed) : FRng(seed) {}

  String Make() {
    return Written([&](TBinaryWriterCore& w) {
      w.WriteSignature();
      Object(w, 0);
    });
  }

private:
  std::mt19937 FRng;
  int Pick(int n) { return static_cast<int>(FRng() % static_cast<unsigned>(n)); }

  String Name() {
    static const char* const kNames[] = {"Left", "Font.Name", "end", "object", "A_1", "x"};
    return kNames[Pick(6)];
  }

  void Object(TBinaryWriterCore& w, int depth) {
    TFilerFlags flags = static_cast<TFilerFlags>(Pick(8));
    if (flags) {
      w.WriteByte(static_cast<Byte>(0xF0 | flags));
      if (flags & ffChildPos)
        w.WriteIntegerAs(static_cast<TValueType>(vaInt8 + Pick(3)), Pick(100));
    }
    w.WriteStr("TThing");
    w.WriteStr(Pick(3) ? "Thing" : "");
    for (int i = Pick(5); i > 0; --i) {
      w.WriteStr(Name());
      Value(w, depth, false);
    }
    w.WriteListEnd();
    if (depth < 3)
      for (int i = Pick(3); i > 0; --i)
        Object(w, depth + 1);
    w.WriteListEnd();
  }

  void Value(TBinaryWriterCore& w, int depth, bool inList) {
    static const char16_t kWide[] = u"a\u00E9\u65E5\U0001F600";
    switch (Pick(depth < 4 ? 14 : 11)) {
    case 0:
      w.WriteIntegerAs(static_cast<TValueType>(vaInt8 + Pick(3)), Pick(256) - 128);
      return;
    case 1:
      w.WriteIntegerAs(vaInt64, static_cast<Int64>(FRng()) << Pick(33));
      return;
    case 2:
      w.WriteFloat(std::ldexp(static_cast<Extended>(FRng()), Pick(200) - 100));
      return;
    case 3:
      w.WriteCurrency(Currency::FromScaled(static_cast<Int64>(FRng()) - (1LL << 31)));
      return;
    case 4: {
      String bytes;
      for (int i = Pick(300); i > 0; --i)
        bytes += static_cast<char>(Pick(3) ? 'a' + Pick(26) : Pick(256));
      static constexpr TValueType kTags[] = {vaString, vaLString, vaUTF8String};
      TValueType t = kTags[Pick(3)];
      if (t == vaString && bytes.size() > 255) bytes.resize(255);
      w.WriteStringAs(t, bytes);
      return;
    }
    case 5: {
      WideString units;
      for (int i = Pick(100); i > 0; --i)
        units += Pick(20) ? kWide[Pick(5)] : char16_t(0xD800 + Pick(2048));
      if (Pick(2))
        w.WriteWideChars(units);
      else
        w.WriteWideString(units);
      return;
    }
    case 6:
      w.WriteIdent(Pick(2) ? "clRed" : "nil");
      return;
    case 7: // words and non-identifiers have no plain standard form
      w.WriteStringAs(vaIdent, Pick(2) ? "FALSE" : Pick(2) ? "not an ident" : "Null");
      return;
    case 8: {
      String data(static_cast<std::size_t>(Pick(100)), '\x5A');
      w.WriteBinary(data.data(), data.size());
      return;
    }
    case 9:
      w.WriteSet({"a", "b"});
      return;
    case 10:
      if (inList)
        w.WriteBoolean(Pick(2));
      else
        w.WriteValue(vaNull);
      return;
    case 11:
      w.WriteListBegin();
      for (int i = Pick(4); i > 0; --i)
        Value(w, depth + 1, true);
      w.WriteListEnd();
      return;
    default:
      w.WriteCollectionBegin();
      for (int i = Pick(3); i > 0; --i) {
        static constexpr TValueType kInts[] = {vaInt8, vaInt16, vaInt32, vaInt64};
        if (Pick(2)) w.WriteIntegerAs(kInts[Pick(4)], Pick(10));
        w.WriteListBegin();
        for (int j = Pick(3); j > 0; --j) {
          w.WriteStr(Name());
          Value(w, depth + 1, false);
        }
        w.WriteListEnd();
      }
      w.WriteListEnd();
      return;
    }
  }
};

} // namespace

TEST(FormTextRandom, ExactTextKeepsEveryByteAndStandardTextEveryMeaning) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    String binary = RandomForm(seed).Make();
    String text = BinaryToText(binary, TTextSyntax::Exact);
    ASSERT_EQ(TextToBinary(text, TTextSyntax::Exact), binary) << "seed " << seed << "\n" << text;
    ASSERT_EQ(BinaryToText(TextToBinary(text, TTextSyntax::Exact), TTextSyntax::Exact), text);

    SCOPED_TRACE(seed);
    ExpectStandardRoundTrip(binary);
  }
}

TEST(FormTextStandard, ForeignEncodingsComeOutAsPlainValues) {
  String foreign = TextToBinary(
      Lines({"object A: TA [Int32(2)]", "  I = Int16(5)", "  U = Int64(3000000000)",
             "  W = WString('plain')", "  U8 = UTF8String(#195#169)", "  L1 = String(#233)",
             "  D = Double(0.1)", "  B = Ident('FALSE')", "end"}),
      TTextSyntax::Exact);
  EXPECT_EQ(BinaryToText(foreign), Lines({"object A: TA [2]", "  I = 5", "  U = 3000000000",
                                          "  W = 'plain'", "  U8 = #233", "  L1 = #233",
                                          "  D = 0.10000000000000000555", "  B = False", "end"}));
}

TEST(FormTextErrors, BinaryThatTheTextCannotCarryIsRefusedWithItsOffset) {
  auto form = [](auto&& body) {
    return Written([&](TBinaryWriterCore& w) {
      w.WriteSignature();
      body(w);
    });
  };
  auto property = [&](auto&& value) {
    return form([&](TBinaryWriterCore& w) {
      w.WriteStr("TA");
      w.WriteStr("");
      w.WriteStr("V");
      value(w);
    });
  };
  EXPECT_EQ(ReadError(property([](TBinaryWriterCore& w) { w.WriteFloat(NAN); })),
            "Invalid floating point value at byte 10");
  EXPECT_EQ(ReadError(property([](TBinaryWriterCore& w) { w.WriteByte(99); })),
            "Invalid value type 99 at byte 10");
  EXPECT_EQ(ReadError(form([](TBinaryWriterCore& w) {
              w.WriteStr("TA");
              w.WriteStr("two words");
            })),
            "Invalid name at byte 7");
  EXPECT_EQ(ReadError(form([](TBinaryWriterCore& w) { w.WriteByte(0xF8); })),
            "Invalid component prefix at byte 4");
  EXPECT_EQ(ReadError("TPFX"), "Invalid stream format: signature expected at byte 0");
}

TEST(FormTextErrors, SyntaxErrorsNameLineAndColumn) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"object A: TA\n  Caption = 'open\nend\n", "Unterminated string on line 2, column 13"},
      {"object A: TA\n  Left 5\nend\n", "'=' expected on line 2, column 8"},
      {"thing A: TA\nend\n", "'object' expected on line 1, column 1"},
      {"object A: TA\n  V = WString('x')\nend\n",
       "Typed value WString(...) needs the exact text syntax on line 2, column 7"},
      {"object A [Int8(1)]: TA\nend\n",
       "Typed value Int8(...) needs the exact text syntax on line 1, column 11"},
      {"object A: TA\n  V = Int9(5)\nend\n", "'end' expected on line 2, column 11"},
      {"object A: TA\n  V = 99999999999999999999\nend\n",
       "Number out of range on line 2, column 7"},
      {"object A: TA\n  V = (\n    Null)\nend\n", "Null cannot be a list item on line 3, column 5"},
      {"object A: TA\n  V = {\n    0A0}\nend\n", "Invalid binary value on line 3, column 7"},
      {"object A: TA\n  object B: TB\n  end\n  V = 1\nend\n",
       "Property after a child object on line 4, column 3"},
      {"object A: TA\n  V = 1\n", "'end' expected on line 3, column 1"},
      {"object A: TA\n  V = )\nend\n", "Property value expected on line 2, column 7"},
      {"object A: TA\n  V = 'a' +\nend\n", "String expected on line 3, column 1"},
      {"object A: TA\n  V = #70000\nend\n", "Invalid character code on line 2, column 7"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseError(c.text), c.message) << c.text;
  const Case exactCases[] = {
      {"object A: TA\n  V = Int9(5)\nend\n", "Unknown value kind Int9 on line 2, column 7"},
      {"object A: TA\n  V = Int8(300)\nend\n", "Number out of range on line 2, column 12"},
      // One past each width's limit, both ways.
      {"object A: TA\n  V = Int8(128)\nend\n", "Number out of range on line 2, column 12"},
      {"object A: TA\n  V = Int8(-129)\nend\n", "Number out of range on line 2, column 12"},
      {"object A: TA\n  V = Int16(32768)\nend\n", "Number out of range on line 2, column 13"},
      {"object A: TA\n  V = Int16(-32769)\nend\n", "Number out of range on line 2, column 13"},
      {"object A: TA\n  V = Int32(2147483648)\nend\n", "Number out of range on line 2, column 13"},
      {"object A: TA\n  V = Int32(-2147483649)\nend\n", "Number out of range on line 2, column 13"},
      {"object A: TA\n  V = String(#256)\nend\n", "Invalid character code on line 2, column 14"},
  };
  for (const auto& c : exactCases)
    EXPECT_EQ(ParseError(c.text, TTextSyntax::Exact), c.message) << c.text;
  String longName(256, 'n');
  EXPECT_EQ(ParseError("object " + longName + ": TA\nend\n"),
            "Name longer than 255 bytes on line 1, column 8");
  String deep = "object A: TA\n  V = " + String(kMaxNesting + 1, '(') + "\nend\n";
  EXPECT_EQ(ParseError(deep),
            "Values nested too deeply on line 2, column " + std::to_string(6 + kMaxNesting));
}

TEST(FormTextFormat, DetectsEachFormatAndLeavesThePositionAlone) {
  struct Case {
    String data;
    TStreamOriginalFormat format;
  };
  const Case cases[] = {{String("TPF0\x02") + "AB", sofBinary},
                        {String("\xFF\x0A\x00TFORM1\x00", 10), sofBinary},
                        {"  \r\n\tobject Form1: TForm1", sofText},
                        {"INHERITED Form1: TForm1", sofText},
                        {"inline F: TF", sofText},
                        {"\xEF\xBB\xBFobject F: TF", sofUTF8Text},
                        {"objection", sofUnknown},
                        {"", sofUnknown}};
  for (const auto& c : cases) {
    TStringStream s("xx" + c.data);
    s.SetPosition(2);
    EXPECT_EQ(TestStreamFormat(s), c.format) << c.data;
    EXPECT_EQ(s.Position(), 2);
  }
}

TEST(FormTextResource, HeadersOfBothResourceLayoutsAreSkipped) {
  TMemoryStream res;
  WriteResourceHeader(res, "TForm1", 4);
  EXPECT_EQ(res.View(), String("\xFF\x0A\x00TFORM1\x00\x30\x10\x04\x00\x00\x00", 16));
  res.SetPosition(0);
  ReadResourceHeader(res);
  EXPECT_EQ(res.Position(), 16);

  // A 32-bit resource file: the empty entry, then an RCDATA entry with a named resource.
  String file(32, '\0');
  file[4] = 32;
  std::memset(file.data() + 8, 0xFF, 2);
  std::memset(file.data() + 12, 0xFF, 2);
  String entry = String("\x04\x00\x00\x00\x24\x00\x00\x00\xFF\xFF\x0A\x00", 12) +
                 String("F\0O\0O\0\0\0", 8) + String(16, '\0');
  TStringStream s(file + entry + "TPF0");
  ReadResourceHeader(s);
  EXPECT_EQ(s.ReadString(4), "TPF0");

  TStringStream bad("TPF0");
  EXPECT_THROW(ReadResourceHeader(bad), EInvalidImage);
}
