#include "tarn/canvas.h"

#include "image_samples.h"
#include "support/testutil.h"
#include "tarn/picture.h"

#include <gtest/gtest.h>

using namespace fw;

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
