#include "basert/variants.h"

#include "basert/datetime.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace fw;

namespace {

/// Counts references so tests can see that variants release what they hold.
struct TCounted : IInterface {
  int Refs = 0;
  HResult QueryInterface(const TGUID& iid, void** obj) override {
    if (iid == IInterface::IID) {
      *obj = static_cast<IInterface*>(this);
      _AddRef();
      return S_OK;
    }
    *obj = nullptr;
    return E_NOINTERFACE;
  }
  int _AddRef() override { return ++Refs; }
  int _Release() override { return --Refs; }
};

String CastMessage(const Variant& v, TVarType t) {
  return fwtest::MessageOf<EVariantTypeCastError>([&] { VarAsType(v, t); });
}

} // namespace

TEST(Variants, ConstructorsPickTheVariantType) {
  const std::pair<Variant, TVarType> cases[] = {{Variant(), varEmpty},
                                                {Null(), varNull},
                                                {Variant(Byte{1}), varByte},
                                                {Variant(std::int16_t{1}), varSmallint},
                                                {Variant(1u), varLongWord},
                                                {Variant(Int64{1}), varInt64},
                                                {Variant(1.5f), varSingle},
                                                {VarFromDateTime(1.0), varDate},
                                                {Variant('c'), varUString},
                                                {Variant(WideString(u"w")), varOleStr},
                                                {Variant::FromString("s", varString), varString}};
  for (const auto& [v, type] : cases)
    EXPECT_EQ(VarType(v), type) << VarTypeAsText(type);
  EXPECT_THROW(Variant(~UInt64{0}), EVariantOverflowError);
  EXPECT_FALSE(VarIsEmpty(Variant(0)));
}

TEST(Variants, TypeNamesAndConversionErrorsNamingBothTypes) {
  EXPECT_EQ(VarTypeAsText(varLongWord), "LongWord");
  EXPECT_EQ(VarTypeAsText(0x0FF0), "$0FF0");
  EXPECT_EQ(VarTypeAsText(varArray | varInteger), "Array Integer");

  EXPECT_EQ(CastMessage(Variant("abc"), varInteger),
            "Could not convert variant of type (UnicodeString) into type (Integer)");
  EXPECT_EQ(CastMessage(Null(), varUString),
            "Could not convert variant of type (Null) into type (UnicodeString)");
  EXPECT_EQ(CastMessage(Variant(1), varVariant),
            "Could not convert variant of type (Integer) into type (Variant)");
  EXPECT_EQ(CastMessage(Variant::FromError(3), varDouble),
            "Could not convert variant of type (Error) into type (Double)");
  EXPECT_EQ(CastMessage(Variant("x"), varDate),
            "Could not convert variant of type (UnicodeString) into type (Date)");
  EXPECT_THROW(Variant("NAN").AsInteger(), EVariantTypeCastError);
  EXPECT_THROW(Null().AsInteger(), EVariantTypeCastError);
  EXPECT_THROW(Variant(1).AsInterface(), EVariantTypeCastError);
  EXPECT_THROW(Variant(1).AsError(), EVariantTypeCastError);
  EXPECT_EQ(VarToStr(Null()), "");
  EXPECT_EQ(VarToStrDef(Null(), "(Null)"), "(Null)");
  EXPECT_EQ(VarAsType(Variant(5), varNull).VarType(), varNull);
  EXPECT_EQ(VarAsType(Variant(5), varEmpty).VarType(), varEmpty);
}

TEST(Variants, NumericConversions) {
  EXPECT_EQ(Variant(2.5).AsInteger(), 2); // halves round to even
  EXPECT_EQ(Variant(3.5).AsInteger(), 4);
  EXPECT_EQ(Variant(-2.5).AsInt64(), -2);
  EXPECT_EQ(Variant(true).AsInteger(), -1);
  EXPECT_EQ(Variant().AsInteger(), 0);
  EXPECT_EQ(Variant(Currency::FromScaled(15000)).AsDouble(), 1.5);
  EXPECT_EQ(Variant(1.23456).AsCurrency().Scaled, 12346);
  EXPECT_TRUE(Variant(0.1).AsBoolean());
  EXPECT_FALSE(Variant(0).AsBoolean());
  EXPECT_EQ(VarAsType(Variant(200), varByte).AsInteger(), 200);
  EXPECT_THROW(VarAsType(Variant(300), varShortInt), EVariantOverflowError);
  EXPECT_THROW(Variant(Int64{1} << 40).AsInteger(), EVariantOverflowError);
  EXPECT_THROW(Variant(1e300).AsCurrency(), EVariantOverflowError);
  EXPECT_THROW(VarAsType(Variant(1e300), varSingle), EVariantOverflowError);
  EXPECT_THROW(VarAsType(Variant(-1), varLongWord), EVariantOverflowError);
}

TEST(Variants, StringConversionsUseTheFormatSettings) {
  EXPECT_EQ(Variant("42").AsInteger(), 42);
  EXPECT_EQ(Variant(" $10").AsInteger(), 16);
  EXPECT_EQ(Variant("2.5").AsDouble(), 2.5);
  EXPECT_EQ(Variant("2.5").AsInteger(), 2);
  EXPECT_EQ(Variant("true").AsInteger(), -1);
  EXPECT_TRUE(Variant("True").AsBoolean());
  EXPECT_TRUE(Variant("7").AsBoolean());
  EXPECT_EQ(Variant("1.23455").AsCurrency().Scaled, 12346); // exact, not through a double
  EXPECT_EQ(Variant("3/5/2024").AsDate(), EncodeDate(2024, 3, 5));
  EXPECT_EQ(Variant(42).AsString(), "42");
  EXPECT_EQ(Variant(0.1f).AsString(), "0.1"); // single precision digits
  EXPECT_EQ(Variant(1.0 / 3).AsString(), "0.333333333333333");
  EXPECT_EQ(Variant(Currency::FromScaled(-1)).AsString(), "-0.0001");
  EXPECT_EQ(Variant(true).AsString(), "True");
  EXPECT_EQ(VarFromDateTime(EncodeDate(2024, 3, 5) + 0.5).AsString(), "3/5/2024 12:00:00");
  EXPECT_EQ(Variant().AsString(), "");
  EXPECT_EQ(Variant(WideString(u"\u20AC")).AsString(), "\xE2\x82\xAC");
  EXPECT_EQ(Variant("\xE2\x82\xAC").AsWideString(), WideString(u"\u20AC"));
  const TFormatSettings saved = FormatSettings;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(Variant(1.5).AsString(), "1,5");
  EXPECT_EQ(Variant("2,5").AsDouble(), 2.5);
  FormatSettings = saved;
}

TEST(Variants, EqualityNeedsSameTypeAndValue) {
  EXPECT_EQ(Variant(5), Variant(5));
  EXPECT_NE(Variant(5), Variant(Int64{5}));
  EXPECT_NE(Variant(5), Variant("5"));
  EXPECT_NE(Variant("a"), Variant("A"));
  EXPECT_EQ(Null(), Null());
  EXPECT_NE(Null(), Variant());
  EXPECT_NE(Variant(std::nan("")), Variant(std::nan("")));
  EXPECT_EQ(VarFromDateTime(1.5), VarFromDateTime(1.5));
  EXPECT_NE(VarFromDateTime(1.5), Variant(1.5));
}

TEST(Variants, InterfacesAreCountedAndReleased) {
  TCounted obj;
  {
    Variant v = Variant(static_cast<IInterface*>(&obj));
    EXPECT_EQ(obj.Refs, 1);
    Variant copy = v;
    EXPECT_EQ(obj.Refs, 2);
    EXPECT_EQ(copy, v);
    Variant moved = std::move(copy);
    EXPECT_EQ(obj.Refs, 2);
    EXPECT_EQ(moved.AsInterface().get(), &obj);
    moved = Variant(1);
    EXPECT_EQ(obj.Refs, 1);
    Variant disp = VarAsType(v, varDispatch);
    EXPECT_EQ(disp.VarType(), varDispatch);
    EXPECT_EQ(obj.Refs, 2);
    EXPECT_EQ(CastMessage(v, varInteger),
              "Could not convert variant of type (Unknown) into type (Integer)");
  }
  EXPECT_EQ(obj.Refs, 0);
  EXPECT_EQ(Variant().AsInterface(), nullptr);
}

TEST(Variants, FormatAcceptsVariantArguments) {
  const Variant i = 42, s = "text", d = 2.5, n = Null(), c = Currency::FromScaled(12345);
  EXPECT_EQ(Format("%d %s %.1f %s|%s", i, s, d, i, n), "42 text 2.5 42|");
  EXPECT_EQ(Format("%m", c), "$1.23");
  EXPECT_THROW(Format("%d", s), EConvertError);
  EXPECT_THROW(Format("%f", s), EConvertError);
  EXPECT_THROW(Format("%s", Variant::FromError(1)), EConvertError);
}
