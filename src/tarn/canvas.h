// A canvas that records what is drawn on it, with the pen, brush and font in force for each
// call, and writes the recording as SVG.
#pragma once

#include "basert/streams.h"
#include "basert/types.h"
#include "tarn/graphics.h"

#include <span>
#include <vector>

namespace fw {

class TGraphic;

enum class TCanvasOpKind : std::uint8_t {
  LineTo,
  Rectangle,
  FillRect,
  FrameRect,
  Ellipse,
  RoundRect,
  Polygon,
  Polyline,
  TextOut,
  TextRect,
  StretchDraw,
};

/// One recorded call. Rectangles exclude their right and bottom edges, as drawing calls do.
struct TCanvasOp {
  TCanvasOpKind Kind = TCanvasOpKind::LineTo;
  TRect Rect;                 ///< shapes, text boxes, clip of TextRect, target of StretchDraw
  std::vector<TPoint> Points; ///< lines, polygons, polylines; the text origin for text
  TPoint Radius;              ///< corner ellipse of a round rectangle
  String Text;
  TColor PenColor = clBlack;
  Integer PenWidth = 1;
  TPenStyle PenStyle = psSolid;
  TColor BrushColor = clWhite;
  TBrushStyle BrushStyle = bsSolid;
  String FontName;
  Integer FontPixels = 0; ///< character height in pixels
  Integer FontAscent = 0;
  TColor FontColor = clBlack;
  TFontStyles FontStyle;
  String GraphicClass; ///< class name of a drawn graphic
  String GraphicMime;
  std::vector<Byte> GraphicData; ///< the graphic's file image at the time it was drawn
};

class TCanvas : public TPersistent {
  FW_CLASS(TCanvas)
public:
  TCanvas();
  ~TCanvas() override;

  TFont* Font() const noexcept { return FFont; }
  TPen* Pen() const noexcept { return FPen; }
  TBrush* Brush() const noexcept { return FBrush; }
  TPoint PenPos() const noexcept { return FPenPos; }

  void MoveTo(Integer x, Integer y) { FPenPos = {x, y}; }
  /// A line from the pen position (the end point excluded); moves the pen there.
  void LineTo(Integer x, Integer y);
  /// Outlined with the pen, filled with the brush.
  void Rectangle(const TRect& r);
  void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) { Rectangle({x1, y1, x2, y2}); }
  /// Filled with the brush, no outline.
  void FillRect(const TRect& r);
  /// A one-pixel border in the brush colour.
  void FrameRect(const TRect& r);
  void Ellipse(const TRect& r);
  void RoundRect(const TRect& r, Integer cornerWidth, Integer cornerHeight);
  void Polygon(std::span<const TPoint> points);
  void Polyline(std::span<const TPoint> points);
  /// Text with its top-left corner at (x, y), on the brush unless the brush is clear; moves
  /// the pen position to the end of the text.
  void TextOut(Integer x, Integer y, const String& text);
  /// Text at (x, y) clipped to `r`, which is filled with the brush first.
  void TextRect(const TRect& r, Integer x, Integer y, const String& text);
  Integer TextWidth(const String& text) const { return FFont->TextWidth(text); }
  Integer TextHeight(const String& text) const;
  /// Draws a graphic unscaled at (x, y); an empty or null graphic draws nothing.
  void Draw(Integer x, Integer y, TGraphic* graphic);
  /// Draws a graphic stretched into `r`.
  void StretchDraw(const TRect& r, TGraphic* graphic);

  const std::vector<TCanvasOp>& Ops() const noexcept { return FOps; }
  void Clear() { FOps.clear(); }

  /// An SVG document of the given size with every recorded call in order.
  String ToSVG(Integer width, Integer height) const;
  void SaveToSVG(TStream& stream, Integer width, Integer height) const;

private:
  TCanvasOp& Record(TCanvasOpKind kind);
  TFont* FFont;
  TPen* FPen;
  TBrush* FBrush;
  TPoint FPenPos;
  std::vector<TCanvasOp> FOps;
};

/// "#RRGGBB" for a colour (system colours through the headless palette).
String ColorToHtml(TColor color);

} // namespace fw
