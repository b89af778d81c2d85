#include "tarn/graphics.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/component.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "basert/streams.h"
#include "support/formtext.h"
#include "support/testutil.h"
#include "tarn/uitypes.h"

#include <gtest/gtest.h>

#include <set>

using namespace fw;
using namespace fwtest;

namespace {

/// A component carrying the graphics types as published properties.
class TPainted : public TComponent {
  FW_CLASS(TPainted)
public:
  explicit TPainted(TComponent* owner) : TComponent(owner) {
    FFont->OnChange = [this](TObject*) { ++FontChanges; };
  }
  ~TPainted() override { FFont->Free(); }
  TFont* GetFont() const { return FFont; }
  void SetFont(TFont* f) { FFont->Assign(f); }
  TColor Color = clBtnFace;
  TCursor Cursor = crDefault;
  TModalResult ModalResult = mrNone;
  int FontChanges = 0;

private:
  TFont* FFont = New<TFont>();
};

TClass TPainted::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPainted, TComponent>("TPainted", "Tests")
          .Property("Color", &TPainted::Color, &TPainted::Color)
          .Default(clBtnFace)
          .Property("Cursor", &TPainted::Cursor, &TPainted::Cursor)
          .Default(crDefault)
          .Property("Font", &TPainted::GetFont, &TPainted::SetFont)
          .Property("ModalResult", &TPainted::ModalResult, &TPainted::ModalResult)
          .Default(mrNone)
          .Build();
  return cls;
}

} // namespace

TEST(ColorIdents, TablesMapBothWaysWithoutDuplicates) {
  std::set<Integer> values;
  std::set<String> names;
  for (const auto& e : Colors) {
    values.insert(e.Value);
    names.insert(String(e.Name));
    String ident;
    Integer back = 0;
    ASSERT_TRUE(ColorToIdent(e.Value, ident));
    EXPECT_EQ(ident, e.Name);
    ASSERT_TRUE(IdentToColor(String(e.Name), back));
    EXPECT_EQ(back, e.Value);
  }
  EXPECT_EQ(values.size(), Colors.size());
  EXPECT_EQ(names.size(), Colors.size());
  for (const auto& e : Charsets) {
    String ident;
    ASSERT_TRUE(CharsetToIdent(e.Value, ident));
    EXPECT_EQ(ident, e.Name);
  }
}

TEST(ColorIdents, StringConversionsFallBackToNumbers) {
  EXPECT_EQ(ColorToString(clRed), "clRed");
  EXPECT_EQ(ColorToString(TColor(0x00C08080)), "$00C08080");
  EXPECT_EQ(ColorToString(TColor(-1)), "$FFFFFFFF");
  EXPECT_EQ(StringToColor("CLBTNFACE"), clBtnFace);
  EXPECT_EQ(StringToColor("$00C08080"), TColor(0x00C08080));
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_NE(MessageOf<EConvertError>([] { StringToColor("clNotAColour"); }), "nothing raised");
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);
  EXPECT_EQ(ColorToRGB(clNone), 0);
  EXPECT_EQ(ColorToRGB(SystemColor(200)), 0); // unknown system colour: black, no overrun
}

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

TEST(Font, SizeAndHeightFollowEachOtherAndChangesNotify) {
  TOwned<TFont> f(New<TFont>());
  int changes = 0;
  f->OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, f.get());
    ++changes;
  };
  EXPECT_EQ(f->GetSize(), 8);
  f->SetSize(12);
  EXPECT_EQ(f->GetHeight(), -16);
  f->SetHeight(-16); // same value: no notification
  f->SetStyle({fsBold});
  EXPECT_EQ(changes, 2);
  f->SetPixelsPerInch(144);
  EXPECT_EQ(f->GetSize(), 12);
  EXPECT_EQ(f->GetHeight(), -24);

  TOwned<TFont> g(New<TFont>());
  int gChanges = 0;
  g->OnChange = [&](TObject*) { ++gChanges; };
  g->Assign(f.get());
  EXPECT_EQ(gChanges, 1);
  EXPECT_EQ(g->GetHeight(), -24);
  EXPECT_TRUE(g->GetStyle().Contains(fsBold));
  TOwned<TPen> pen(New<TPen>());
  EXPECT_NE(MessageOf<EConvertError>([&] { g->Assign(pen.get()); }), "nothing raised");
}

TEST(Font, MetricsGrowWithHeightAndText) {
  TOwned<TFont> f(New<TFont>());
  const Integer h = f->TextHeight(), a = f->Ascent(), w = f->TextWidth("Hello");
  EXPECT_GT(h, 11);
  EXPECT_LT(a, h);
  EXPECT_EQ(f->TextWidth(""), 0);
  EXPECT_EQ(f->TextWidth("\xC3\xA9t\xC3\xA9"), f->TextWidth("ete")); // code points, not bytes
  f->SetHeight(-22);
  EXPECT_GT(f->TextHeight(), h);
  EXPECT_GT(f->TextWidth("Hello"), w);
  EXPECT_GT(f->Ascent(), a);
}

TEST(PenAndBrush, ChangesNotifyAndWidthStaysPositive) {
  TOwned<TPen> p(New<TPen>());
  int changes = 0;
  p->OnChange = [&](TObject*) { ++changes; };
  p->SetWidth(0);
  EXPECT_EQ(p->GetWidth(), 1);
  EXPECT_EQ(changes, 0);
  p->SetStyle(psDash);
  p->SetColor(clRed);
  EXPECT_EQ(changes, 2);
  TOwned<TBrush> b(New<TBrush>());
  TOwned<TBrush> c(New<TBrush>());
  b->SetColor(clYellow);
  b->SetStyle(bsClear);
  c->Assign(b.get());
  EXPECT_EQ(c->GetColor(), clYellow);
  EXPECT_EQ(c->GetStyle(), bsClear);
}

TEST(GraphicsStreaming, IdentifiersAndFontRoundTripThroughText) {
  RegisterClass(TPainted::StaticClass());
  TOwned<TPainted> p(New<TPainted>(nullptr));
  p->SetName("Painted1");
  p->Color = clInfoBk;
  p->Cursor = crHandPoint;
  p->ModalResult = mrOk;
  p->GetFont()->SetColor(clRed);
  p->GetFont()->SetStyle({fsBold, fsItalic});
  p->GetFont()->SetCharset(RUSSIAN_CHARSET);
  p->GetFont()->SetName("Courier New");
  const String text = fwtest::WriteFormText(p.get());
  EXPECT_EQ(Missing(text, {"Color = clInfoBk", "Cursor = crHandPoint", "Font.Color = clRed",
                           "Font.Charset = RUSSIAN_CHARSET", "Font.Height = -11",
                           "Font.Style = [fsBold, fsItalic]", "ModalResult = 1"}),
            "")
      << text;
  EXPECT_EQ(text.find("Font.Size"), String::npos) << text;
  EXPECT_EQ(text.find("Font.Pitch"), String::npos) << text;

  TOwned<TPainted> q(New<TPainted>(nullptr));
  fwtest::ReadFormText(text, q.get());
  EXPECT_EQ(q->Color, clInfoBk);
  EXPECT_EQ(q->Cursor, crHandPoint);
  EXPECT_EQ(q->ModalResult, mrOk);
  EXPECT_EQ(q->GetFont()->GetColor(), clRed);
  EXPECT_EQ(q->GetFont()->GetCharset(), RUSSIAN_CHARSET);
  EXPECT_EQ(q->GetFont()->GetName(), "Courier New");
  EXPECT_GT(q->FontChanges, 0);
  EXPECT_EQ(fwtest::WriteFormText(q.get()), text);

  // Numbers still read where no identifier exists.
  TOwned<TPainted> r(New<TPainted>(nullptr));
  fwtest::ReadFormText("object Painted1: TPainted\n  Color = 12632256\n  Cursor = 5\nend\n",
                       r.get());
  EXPECT_EQ(r->Color, clSilver);
  EXPECT_EQ(r->Cursor, TCursor(5));
  UnRegisterClass(TPainted::StaticClass());
}
