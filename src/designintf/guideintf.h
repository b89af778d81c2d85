// GuideIntf: the contract of alignment guides between the designer, the items on a design
// surface and the host: which guides an item has (IItemGuidelines) and who draws the lines
// (IGuidelinePainter). Items and hosts implement these; the designer's guides unit uses them.
#pragma once

#include "basert/sets.h"
#include "designintf/designintf.h"

namespace fw {

using TGuideType = TDesignerGuideType;
using TGuideTypes = TSet<TGuideType>;

/// Kinds whose guide is a Y coordinate (a horizontal line).
inline constexpr TGuideTypes HorzGuideTypes = TGuideTypes::FromMask(0x1AAA);
/// Kinds whose guide is an X coordinate (a vertical line).
inline constexpr TGuideTypes VertGuideTypes = TGuideTypes::FromMask(0x0555);

constexpr bool IsHorzGuide(TGuideType t) noexcept { return HorzGuideTypes.Contains(t); }

/// One guide of an item: its kind and its coordinate on the kind's axis.
struct TGuide {
  Integer Guide = 0;
  TGuideType GuideType = gtAlignLeft;
  friend bool operator==(const TGuide&, const TGuide&) = default;
};

/// The guides of one item, in surface coordinates for the item at its current place.
struct IItemGuidelines : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{FB1DDCF5-5EE1-4212-BA03-435B21BBEF50}");
  virtual Integer GetCount() = 0;
  /// The indexed getters raise EListError for an index out of range.
  virtual TGuideType GetGuideType(Integer index) = 0;
  virtual Integer GetGuide(Integer index) = 0;
};

/// The host's drawer of guide lines.
struct IGuidelinePainter : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{9266DB44-D85F-4A71-8E31-215CA9E88BFB}");
  /// One line: a rectangle of zero width (vertical) or zero height (horizontal).
  virtual void AddGuide(const TRect& rect, TGuideType guideType) = 0;
  virtual void BeginUpdate() = 0;
  /// Erases every line.
  virtual void Clear() = 0;
  virtual void EndUpdate() = 0;
};

} // namespace fw
