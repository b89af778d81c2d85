#include "designer/designobjects.h"

#include "basert/classbuilder.h"

#include <algorithm>
#include <limits>

namespace fw {

TClass TPersistentItem::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPersistentItem, TInterfacedObject>("TPersistentItem", "DesignerObjects")
          .Implements<IItem, IPersistentItem>()
          .Build();
  return cls;
}

TClass TXorDragBoxes::StaticClass() {
  static const TClass cls =
      TClassBuilder<TXorDragBoxes, TInterfacedObject>("TXorDragBoxes", "DesignerObjects")
          .Implements<IDragBoxesEx>()
          .Build();
  return cls;
}

TClass TNullTools::StaticClass() {
  static const TClass cls =
      TClassBuilder<TNullTools, TInterfacedObject>("TNullTools", "DesignerObjects")
          .Implements<ITools>()
          .Build();
  return cls;
}

// ---- TPersistentItem -------------------------------------------------------------------------

void TPersistentItem::Delete() {
  TPersistent* instance = std::exchange(FInstance, nullptr);
  if (instance) instance->Free();
}

bool TPersistentItem::Equals(const IPtr<IItem>& item) {
  IPtr<IPersistentItem> other = QueryIntf<IPersistentItem>(item);
  return other && other->GetItem() == FInstance;
}

TRect TPersistentItem::GetClientRect() {
  const TRect r = GetBoundsRect();
  return {0, 0, r.Width(), r.Height()};
}

void TPersistentItem::ValidateDeletable() { throw Exception(sCannotDeletePersistentRef); }

String TPersistentItem::GetNamePath() { return FInstance ? FInstance->GetNamePath() : String(); }

// ---- TXorDragBoxes ---------------------------------------------------------------------------

Integer TXorDragBoxes::Add(const TRect& rect, TDesignBoxStyle style, TDragAction action) {
  return Add(rect, IPtr<IDragImage>(), style, action);
}

Integer TXorDragBoxes::Add(const TRect& rect, const IPtr<IDragImage>& image, TDesignBoxStyle style,
                           TDragAction) {
  if (static_cast<std::size_t>(FUsed) == FRects.size()) {
    const std::size_t len = std::max<std::size_t>(FRects.size(), 1) * 2;
    FRects.resize(len);
    FKinds.resize(len);
    FImages.resize(len);
  }
  const Integer index = FUsed;
  const auto i = static_cast<std::size_t>(index);
  FRects[i] = rect;
  FKinds[i] = style;
  FImages[i] = image;
  DrawAt(index);
  ++FUsed;
  return index;
}

Integer TXorDragBoxes::Add(const IPtr<IItem2D>& item, TDesignBoxStyle style, TDragAction action) {
  return Add(item ? item->GetTransformedRect() : TRect{}, IPtr<IDragImage>(), style, action);
}

void TXorDragBoxes::Change(Integer index, const TRect& rect, TDragAction) {
  if (index < 0 || index >= FUsed) return;
  DrawAt(index);
  FRects[static_cast<std::size_t>(index)] = rect;
  DrawAt(index);
}

void TXorDragBoxes::MoveBy(Integer dx, Integer dy, TDragAction) {
  for (Integer i = 0; i < FUsed; ++i)
    DrawAt(i);
  for (Integer i = 0; i < FUsed; ++i) {
    TRect& r = FRects[static_cast<std::size_t>(i)];
    r = {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
  }
  for (Integer i = 0; i < FUsed; ++i)
    DrawAt(i);
}

void TXorDragBoxes::Done() {
  for (Integer i = 0; i < FUsed; ++i)
    DrawAt(i);
  FUsed = 0;
}

TRect TXorDragBoxes::BoundingRect() const {
  constexpr Integer maxInt = std::numeric_limits<Integer>::max();
  TRect r{maxInt, maxInt, -maxInt, -maxInt};
  for (Integer i = 0; i < FUsed; ++i) {
    const TRect& b = FRects[static_cast<std::size_t>(i)];
    r = {std::min(r.Left, b.Left), std::min(r.Top, b.Top), std::max(r.Right, b.Right),
         std::max(r.Bottom, b.Bottom)};
  }
  return r;
}

void TXorDragBoxes::DrawBox(const TRect& rect, const IPtr<IDragImage>& image,
                            TDesignBoxStyle style) {
  if (image)
    image->Draw(rect);
  else
    DrawXorRect(rect, style);
}

void TXorDragBoxes::DrawAt(Integer index) {
  const auto i = static_cast<std::size_t>(index);
  DrawBox(FRects[i], FImages[i], FKinds[i]);
}

} // namespace fw
