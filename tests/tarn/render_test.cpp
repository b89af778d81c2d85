#include "tarn/render.h"

#include "image_samples.h"
#include "support/testutil.h"
#include "tarn/canvas.h"
#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/picture.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace fw;

namespace {

template <class T> T* Make(TComponent* owner, TWinControl* parent, const char* name) {
  T* c = New<T>(owner);
  c->SetName(name);
  c->SetParent(parent);
  return c;
}

std::size_t Pos(const String& s, const String& what) {
  const auto p = s.find(what);
  EXPECT_NE(p, String::npos) << what;
  return p;
}

} // namespace

TEST(Render, SampleFormPaintsBackToFrontAtItsChildrensPlaces) {
  TOwned<TForm> f(New<TForm>(nullptr));
  f->SetName("SampleForm");
  f->SetCaption("Sample & Co");
  f->SetClientWidth(320);
  f->SetClientHeight(200);
  const TRect nc = f->NonClientExtent();
  auto* panel = Make<TPanel>(f.get(), f.get(), "Panel1");
  panel->SetBounds(10, 10, 300, 80);
  panel->SetCaption("");
  auto* ok = Make<TButton>(f.get(), panel, "OkButton");
  ok->SetBounds(200, 40, 75, 25);
  ok->SetCaption("OK");
  auto* label = Make<TLabel>(f.get(), panel, "Label1");
  label->SetBounds(8, 8, 60, 13);
  label->SetCaption("Name:");
  auto* edit = Make<TEdit>(f.get(), panel, "Edit1");
  edit->SetBounds(70, 6, 120, 21);
  edit->SetText("secret");
  edit->SetPasswordChar('*');
  auto* check = Make<TCheckBox>(f.get(), f.get(), "Check1");
  check->SetBounds(10, 100, 120, 17);
  check->SetCaption("Remember");
  check->SetChecked(true);
  auto* list = Make<TListBox>(f.get(), f.get(), "List1");
  list->SetBounds(150, 100, 160, 90);
  list->Items()->Add("alpha");
  list->Items()->Add("beta");
  auto* hidden = Make<TButton>(f.get(), f.get(), "Hidden");
  hidden->SetCaption("Invisible");
  hidden->SetVisible(false);

  const String svg = ControlToSVG(f.get());
  if (const char* out = std::getenv("TARN_SVG_OUT")) std::ofstream(out) << svg;

  EXPECT_EQ(fwtest::Missing(svg, {">Sample &amp; Co</text>", ">******</text>"}), "") << svg;
  EXPECT_EQ(svg.find("Invisible"), String::npos);
  EXPECT_EQ(svg.find("secret"), String::npos);
  // The panel is painted before what lies on it; the label (a graphic control, created last)
  // before the windowed button and edit, which follow in creation order.
  const auto panelAt = Pos(svg, "<rect x=\"" + std::to_string(nc.Left + 10));
  EXPECT_LT(panelAt, Pos(svg, ">Name:</text>"));
  EXPECT_LT(Pos(svg, ">Name:</text>"), Pos(svg, ">OK</text>"));
  EXPECT_LT(Pos(svg, ">OK</text>"), Pos(svg, ">******</text>"));
  ok->BringToFront();
  const String front = ControlToSVG(f.get());
  EXPECT_LT(Pos(front, ">******</text>"), Pos(front, ">OK</text>"));
  // The button's face sits at panel + button offsets inside the form's frame.
  const Integer bx = nc.Left + 10 + 200, by = nc.Top + 10 + 40;
  EXPECT_NE(svg.find("<rect x=\"" + std::to_string(bx) + "\" y=\"" + std::to_string(by) +
                     "\" width=\"75\" height=\"25\""),
            String::npos)
      << svg;
  EXPECT_NE(svg.find("<polyline points=\"" + std::to_string(nc.Left + 10 + 3)), String::npos)
      << "check mark";
  EXPECT_LT(Pos(svg, ">alpha</text>"), Pos(svg, ">beta</text>"));
}

TEST(Render, ImagesDrawTheirPictureByStretchProportionAndCentre) {
  TOwned<TForm> f(New<TForm>(nullptr));
  f->SetBorderStyle(bsNone);
  auto* img = Make<TImage>(f.get(), f.get(), "Image1");
  img->SetBounds(0, 0, 100, 50);
  TOwned<TCanvas> c(New<TCanvas>());
  PaintControl(img, c.get());
  ASSERT_EQ(c->Ops().size(), 1u);
  EXPECT_EQ(c->Ops()[0].PenStyle, psDash); // no picture yet: an outline

  TOwned<TBitmap> b(New<TBitmap>());
  b->SetSize(400, 100);
  img->Picture()->SetGraphic(b.get());
  const struct {
    bool stretch, proportional, center;
    TRect expected;
  } cases[] = {
      {false, false, false, {0, 0, 400, 100}},
      {true, false, false, {0, 0, 100, 50}},
      {false, true, false, {0, 0, 100, 25}},
      {false, true, true, {0, 12, 100, 37}},
  };
  for (const auto& k : cases) {
    img->SetStretch(k.stretch);
    img->SetProportional(k.proportional);
    img->SetCenter(k.center);
    c->Clear();
    PaintControl(img, c.get());
    ASSERT_EQ(c->Ops().size(), 1u);
    EXPECT_EQ(c->Ops()[0].Kind, TCanvasOpKind::StretchDraw);
    EXPECT_EQ(c->Ops()[0].Rect, k.expected);
    EXPECT_EQ(c->Ops()[0].GraphicMime, "image/bmp");
  }
}

TEST(Render, NearestRegisteredPainterWins) {
  TOwned<TForm> f(New<TForm>(nullptr));
  auto* b = Make<TButton>(f.get(), f.get(), "B");
  static int calls;
  calls = 0;
  const TControlPainter original = FindControlPainter(TButton::StaticClass());
  RegisterControlPainter(TButton::StaticClass(),
                         [](TControl*, TCanvas*, const TRect&) { ++calls; });
  TOwned<TCanvas> c(New<TCanvas>());
  PaintControl(b, c.get());
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(c->Ops().empty());
  RegisterControlPainter(TButton::StaticClass(), nullptr); // falls back to TWinControl's fill
  EXPECT_NE(FindControlPainter(TButton::StaticClass()), nullptr);
  PaintControl(b, c.get());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(c->Ops().size(), 1u);
  RegisterControlPainter(TButton::StaticClass(), original);
}

TEST(Render, CaptionsShowAsTheDesignWindowShowsThem) {
  TOwned<TForm> f(New<TForm>(nullptr));
  f->SetCaption("Save && &Quit"); // a window title keeps its marks
  auto* button = Make<TButton>(f.get(), f.get(), "B");
  button->SetCaption("&Save && exit");
  auto* label = Make<TLabel>(f.get(), f.get(), "L");
  label->SetCaption("&Name:");
  auto* empty = Make<TEdit>(f.get(), f.get(), "E1");
  empty->SetText(""); // named, it shows its name until cleared
  empty->SetTextHint("Search");
  auto* typed = Make<TEdit>(f.get(), f.get(), "E2");
  typed->SetText("typed");
  typed->SetTextHint("Unseen");
  auto* hidden = Make<TButton>(f.get(), f.get(), "H");
  hidden->SetCaption("Hidden");
  hidden->SetVisible(false);

  String svg = ControlToSVG(f.get());
  const String hint = "fill=\"" + ColorToHtml(clGrayText) + "\" xml:space=\"preserve\">Search<";
  EXPECT_EQ(fwtest::Missing(svg, {">Save &amp;&amp; &amp;Quit</text>", ">Save &amp; exit</text>",
                                  ">Name:</text>", hint}),
            "")
      << svg;
  EXPECT_EQ(svg.find("Unseen"), String::npos);
  EXPECT_EQ(svg.find("Hidden"), String::npos);
  // While designed, a hidden control is still drawn where it can be selected.
  f->SetDesigning(true);
  svg = ControlToSVG(f.get());
  EXPECT_NE(svg.find(">Hidden</text>"), String::npos);
}

TEST(Canvas, RecordsEachCallWithTheToolsInForceThen) {
  TOwned<TCanvas> c(New<TCanvas>());
  c->Pen()->SetColor(clRed);
  c->MoveTo(1, 2);
  c->LineTo(10, 2);
  c->Pen()->SetColor(clBlue); // later changes do not rewrite earlier calls
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(0, 0, 10, 5);
  c->TextOut(3, 4, "Hi");
  ASSERT_EQ(c->Ops().size(), 3u);
  EXPECT_EQ(c->Ops()[0].PenColor, clRed);
  EXPECT_EQ(c->Ops()[0].Points, (std::vector<TPoint>{{1, 2}, {10, 2}}));
  EXPECT_EQ(c->Ops()[1].PenColor, clBlue);
  EXPECT_EQ(c->Ops()[1].BrushStyle, bsClear);
  EXPECT_EQ(c->PenPos().X, 3 + c->TextWidth("Hi"));

  TOwned<TBitmap> empty(New<TBitmap>());
  c->Draw(0, 0, empty.get());
  c->Draw(0, 0, nullptr);
  EXPECT_EQ(c->Ops().size(), 3u);
}

TEST(Canvas, WritesWellFormedSvgOfASampleForm) {
  TOwned<TCanvas> c(New<TCanvas>());
  c->Brush()->SetColor(clBtnFace);
  c->FillRect({0, 0, 200, 100});
  c->Brush()->SetColor(clWindow);
  c->Pen()->SetColor(clGray);
  c->Rectangle(10, 10, 110, 31);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetStyle({fsBold});
  c->TextOut(14, 14, "A & <b>");
  c->TextRect({10, 40, 60, 60}, 12, 42, "clipped \"text\"");
  TOwned<TPngImage> png(New<TPngImage>());
  png->LoadFromBytes(fwtest::SamplePng(16, 16));
  c->Draw(150, 10, png.get());
  const String svg = c->ToSVG(200, 100);

  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"100\"", 0),
            0u);
  EXPECT_NE(svg.find("<rect x=\"0\" y=\"0\" width=\"200\" height=\"100\" fill=\"#F0F0F0\"/>"),
            String::npos)
      << svg;
  EXPECT_NE(svg.find("<rect x=\"10.5\" y=\"10.5\" width=\"99\" height=\"20\" fill=\"#FFFFFF\" "
                     "stroke=\"#808080\""),
            String::npos)
      << svg;
  EXPECT_EQ(fwtest::Missing(svg, {">A &amp; &lt;b&gt;</text>", "font-weight=\"bold\"",
                                  "clip-path=\"url(#clip1)\"", "&quot;text&quot;",
                                  "href=\"data:image/png;base64,iVBORw0KGgo"}),
            "")
      << svg;
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  // No raw markup characters leak from text into the document.
  EXPECT_EQ(svg.find("<b>"), String::npos);
}
