// A headless guide-line painter: keeps the lines a design window would show, and counts the
// updates, so that a test or a scripted session can look at what the user would see.
#pragma once

#include "designer/guides.h"

#include <vector>

namespace fw {

inline constexpr std::string_view sEndUpdateWithoutBegin = "EndUpdate without BeginUpdate";

class TGuidelinePainterRec : public TInterfacedObject, public IGuidelinePainter {
  FW_CLASS(TGuidelinePainterRec)
public:
  struct TLine {
    TRect Rect;
    TGuideType GuideType = gtAlignLeft;
    friend bool operator==(const TLine&, const TLine&) = default;
  };

  void AddGuide(const TRect& rect, TGuideType guideType) override;
  void BeginUpdate() override { ++FUpdateDepth; }
  void Clear() override;
  /// Raises EInvalidOperation without a matching BeginUpdate.
  void EndUpdate() override;

  /// The lines on screen: those added since the last Clear.
  const std::vector<TLine>& Lines() const noexcept { return FLines; }
  /// Nesting depth of BeginUpdate; 0 when the screen is up to date.
  Integer UpdateDepth() const noexcept { return FUpdateDepth; }
  /// How often the screen was brought up to date (an outermost EndUpdate).
  Integer PaintCount() const noexcept { return FPaintCount; }
  Integer ClearCount() const noexcept { return FClearCount; }

private:
  std::vector<TLine> FLines;
  Integer FUpdateDepth = 0;
  Integer FPaintCount = 0;
  Integer FClearCount = 0;
};

} // namespace fw
