#include "tarn/canvas.h"

#include "basert/classbuilder.h"
#include "basert/format.h"
#include "basert/sysutils.h"
#include "tarn/picture.h"

namespace fw {

namespace {

String XmlEscape(std::string_view s) {
  String out;
  for (char c : s) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      // Control characters are not allowed in XML 1.0 text.
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
        out += "&#xFFFD;";
      else
        out += c;
    }
  }
  return out;
}

String Base64(const std::vector<Byte>& data) {
  static constexpr char digits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  String out;
  out.reserve((data.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < data.size(); i += 3) {
    const std::uint32_t n = (std::uint32_t{data[i]} << 16) |
                            (i + 1 < data.size() ? std::uint32_t{data[i + 1]} << 8 : 0) |
                            (i + 2 < data.size() ? data[i + 2] : 0);
    out += digits[(n >> 18) & 63];
    out += digits[(n >> 12) & 63];
    out += i + 1 < data.size() ? digits[(n >> 6) & 63] : '=';
    out += i + 2 < data.size() ? digits[n & 63] : '=';
  }
  return out;
}

String Stroke(const TCanvasOp& op) {
  if (op.PenStyle == psClear) return " stroke=\"none\"";
  String s = Format(" stroke=\"%s\" stroke-width=\"%d\"", {ColorToHtml(op.PenColor), op.PenWidth});
  switch (op.PenStyle) {
  case psDash:
    s += " stroke-dasharray=\"6 2\"";
    break;
  case psDot:
    s += " stroke-dasharray=\"1 1\"";
    break;
  case psDashDot:
    s += " stroke-dasharray=\"6 2 1 2\"";
    break;
  case psDashDotDot:
    s += " stroke-dasharray=\"6 2 1 2 1 2\"";
    break;
  case psAlternate:
    s += " stroke-dasharray=\"1 1\"";
    break;
  default:
    break;
  }
  return s;
}

String Fill(const TCanvasOp& op) {
  if (op.BrushStyle == bsClear) return " fill=\"none\"";
  // Hatched brushes show as their colour: SVG patterns would add little to a preview.
  return Format(" fill=\"%s\"", {ColorToHtml(op.BrushColor)});
}

String Points(const std::vector<TPoint>& pts) {
  String s;
  for (const auto& p : pts) {
    if (!s.empty()) s += ' ';
    s += Format("%d,%d", {p.X, p.Y});
  }
  return s;
}

String TextElement(const TCanvasOp& op) {
  const TPoint at = op.Points.empty() ? TPoint{} : op.Points[0];
  String deco;
  if (op.FontStyle.Contains(fsUnderline)) deco += "underline ";
  if (op.FontStyle.Contains(fsStrikeOut)) deco += "line-through";
  String s = Format("<text x=\"%d\" y=\"%d\" font-family=\"%s\" font-size=\"%d\" fill=\"%s\"",
                    {at.X, at.Y + op.FontAscent, XmlEscape(op.FontName), op.FontPixels,
                     ColorToHtml(op.FontColor)});
  if (op.FontStyle.Contains(fsBold)) s += " font-weight=\"bold\"";
  if (op.FontStyle.Contains(fsItalic)) s += " font-style=\"italic\"";
  if (!deco.empty()) s += " text-decoration=\"" + Trim(deco) + "\"";
  s += " xml:space=\"preserve\">" + XmlEscape(op.Text) + "</text>";
  return s;
}

} // namespace

String ColorToHtml(TColor color) {
  const Integer rgb = ColorToRGB(color);
  return Format("#%.2x%.2x%.2x", {rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF});
}

TClass TCanvas::StaticClass() {
  static const TClass cls = TClassBuilder<TCanvas, TPersistent>("TCanvas", "Graphics").Build();
  return cls;
}

TCanvas::TCanvas() : FFont(New<TFont>()), FPen(New<TPen>()), FBrush(New<TBrush>()) {}

TCanvas::~TCanvas() {
  FFont->Free();
  FPen->Free();
  FBrush->Free();
}

TCanvasOp& TCanvas::Record(TCanvasOpKind kind) {
  TCanvasOp op;
  op.Kind = kind;
  op.PenColor = FPen->GetColor();
  op.PenWidth = FPen->GetWidth();
  op.PenStyle = FPen->GetStyle();
  op.BrushColor = FBrush->GetColor();
  op.BrushStyle = FBrush->GetStyle();
  op.FontName = FFont->GetName();
  op.FontPixels = FFont->GetHeight() < 0 ? -FFont->GetHeight() : FFont->TextHeight();
  op.FontAscent = FFont->Ascent();
  op.FontColor = FFont->GetColor();
  op.FontStyle = FFont->GetStyle();
  FOps.push_back(std::move(op));
  return FOps.back();
}

void TCanvas::LineTo(Integer x, Integer y) {
  Record(TCanvasOpKind::LineTo).Points = {FPenPos, {x, y}};
  FPenPos = {x, y};
}

void TCanvas::Rectangle(const TRect& r) { Record(TCanvasOpKind::Rectangle).Rect = r; }
void TCanvas::FillRect(const TRect& r) { Record(TCanvasOpKind::FillRect).Rect = r; }
void TCanvas::FrameRect(const TRect& r) { Record(TCanvasOpKind::FrameRect).Rect = r; }
void TCanvas::Ellipse(const TRect& r) { Record(TCanvasOpKind::Ellipse).Rect = r; }

void TCanvas::RoundRect(const TRect& r, Integer cornerWidth, Integer cornerHeight) {
  auto& op = Record(TCanvasOpKind::RoundRect);
  op.Rect = r;
  op.Radius = {cornerWidth, cornerHeight};
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  Record(TCanvasOpKind::Polygon).Points.assign(points.begin(), points.end());
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  Record(TCanvasOpKind::Polyline).Points.assign(points.begin(), points.end());
}

Integer TCanvas::TextHeight(const String&) const { return FFont->TextHeight(); }

void TCanvas::TextOut(Integer x, Integer y, const String& text) {
  auto& op = Record(TCanvasOpKind::TextOut);
  op.Points = {{x, y}};
  op.Text = text;
  op.Rect = {x, y, x + TextWidth(text), y + TextHeight(text)};
  FPenPos = {x + TextWidth(text), y};
}

void TCanvas::TextRect(const TRect& r, Integer x, Integer y, const String& text) {
  auto& op = Record(TCanvasOpKind::TextRect);
  op.Rect = r;
  op.Points = {{x, y}};
  op.Text = text;
}

void TCanvas::Draw(Integer x, Integer y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  StretchDraw({x, y, x + graphic->Width(), y + graphic->Height()}, graphic);
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  auto& op = Record(TCanvasOpKind::StretchDraw);
  op.Rect = r;
  op.GraphicClass = graphic->ClassName();
  op.GraphicMime = graphic->MimeType();
  op.GraphicData = graphic->SaveToBytes();
}

String TCanvas::ToSVG(Integer width, Integer height) const {
  String s = Format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
                    "viewBox=\"0 0 %d %d\">\n",
                    {width, height, width, height});
  Integer clipId = 0;
  for (const TCanvasOp& op : FOps) {
    const TRect& r = op.Rect;
    switch (op.Kind) {
    case TCanvasOpKind::LineTo:
    case TCanvasOpKind::Polyline:
      s += "<polyline points=\"" + Points(op.Points) + "\" fill=\"none\"" + Stroke(op) + "/>\n";
      break;
    case TCanvasOpKind::Polygon:
      s += "<polygon points=\"" + Points(op.Points) + "\"" + Fill(op) + Stroke(op) + "/>\n";
      break;
    case TCanvasOpKind::Rectangle:
    case TCanvasOpKind::RoundRect:
      // The pen runs along the inside of the rectangle's edge pixels.
      s += Format("<rect x=\"%d.5\" y=\"%d.5\" width=\"%d\" height=\"%d\"",
                  {r.Left, r.Top, std::max(r.Width() - 1, 0), std::max(r.Height() - 1, 0)});
      if (op.Kind == TCanvasOpKind::RoundRect)
        s += Format(" rx=\"%d\" ry=\"%d\"", {op.Radius.X / 2, op.Radius.Y / 2});
      s += Fill(op) + Stroke(op) + "/>\n";
      break;
    case TCanvasOpKind::FillRect:
      if (op.BrushStyle != bsClear)
        s += Format("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"",
                    {r.Left, r.Top, r.Width(), r.Height()}) +
             Fill(op) + "/>\n";
      break;
    case TCanvasOpKind::FrameRect:
      s += Format("<rect x=\"%d.5\" y=\"%d.5\" width=\"%d\" height=\"%d\" fill=\"none\" "
                  "stroke=\"%s\" stroke-width=\"1\"/>\n",
                  {r.Left, r.Top, std::max(r.Width() - 1, 0), std::max(r.Height() - 1, 0),
                   ColorToHtml(op.BrushColor)});
      break;
    case TCanvasOpKind::Ellipse:
      s += Format("<ellipse cx=\"%g\" cy=\"%g\" rx=\"%g\" ry=\"%g\"",
                  {(r.Left + r.Right - 1) / 2.0, (r.Top + r.Bottom - 1) / 2.0,
                   (r.Width() - 1) / 2.0, (r.Height() - 1) / 2.0}) +
           Fill(op) + Stroke(op) + "/>\n";
      break;
    case TCanvasOpKind::TextOut:
      if (op.BrushStyle != bsClear)
        s += Format("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"",
                    {r.Left, r.Top, r.Width(), r.Height()}) +
             Fill(op) + "/>\n";
      s += TextElement(op) + "\n";
      break;
    case TCanvasOpKind::TextRect:
      ++clipId;
      s += Format("<clipPath id=\"clip%d\"><rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"/>"
                  "</clipPath>\n",
                  {clipId, r.Left, r.Top, r.Width(), r.Height()});
      if (op.BrushStyle != bsClear)
        s += Format("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"",
                    {r.Left, r.Top, r.Width(), r.Height()}) +
             Fill(op) + "/>\n";
      s += Format("<g clip-path=\"url(#clip%d)\">", {clipId}) + TextElement(op) + "</g>\n";
      break;
    case TCanvasOpKind::StretchDraw:
      s += Format("<image x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" "
                  "preserveAspectRatio=\"none\" href=\"data:%s;base64,",
                  {r.Left, r.Top, r.Width(), r.Height(), op.GraphicMime}) +
           Base64(op.GraphicData) + "\"/>\n";
      break;
    }
  }
  return s + "</svg>\n";
}

void TCanvas::SaveToSVG(TStream& stream, Integer width, Integer height) const {
  const String s = ToSVG(width, height);
  stream.WriteBuffer(s.data(), static_cast<Int64>(s.size()));
}

} // namespace fw
