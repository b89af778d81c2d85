// Stock designer objects: an item that wraps a persistent object, the bookkeeping of
// XOR-drawn drag rectangles, and a tool source that never has a tool.
#pragma once

#include "designintf/surfaceintf.h"

#include <string_view>
#include <vector>

namespace fw {

inline constexpr std::string_view sCannotDeletePersistentRef =
    "Cannot delete a persistent reference from the designer";

/// An item over a persistent object, with neutral answers that item classes override: no
/// bounds, no parent, no children, not a container.
class TPersistentItem : public TInterfacedObject, public virtual IItem, public IPersistentItem {
  FW_CLASS(TPersistentItem)
public:
  /// The item does not own `instance` except through Delete.
  explicit TPersistentItem(TPersistent* instance) : FInstance(instance) {}

  bool Contains(const IPtr<IItem>&) override { return false; }
  /// Frees the wrapped object and forgets it.
  void Delete() override;
  TPoint GlobalToLocal(const TPoint& point) override { return point; }
  TPoint LocalToGlobal(const TPoint& point) override { return point; }
  /// True when `item` wraps the same object.
  bool Equals(const IPtr<IItem>& item) override;
  TRect GetBoundsRect() override { return {}; }
  TRect GetExtendedRect() override { return GetBoundsRect(); }
  /// (0, 0, width, height) of the bounds.
  TRect GetClientRect() override;
  IPtr<IItem> GetParent() override { return nullptr; }
  bool IsContainer() override { return false; }
  bool HasSelectableChildren() override { return false; }
  void SetBoundsRect(const TRect&) override {}
  bool Selectable() override { return true; }
  /// Always raises Exception with sCannotDeletePersistentRef.
  void ValidateDeletable() override;
  void Edit() override {}

  TPersistent* GetItem() override { return FInstance; }
  /// Empty once the object is deleted.
  String GetNamePath() override;

protected:
  TPersistent* FInstance;
};

/// Drag rectangles drawn in XOR mode: drawing a box again erases it. Descendants supply the
/// primitive that draws one rectangle.
class TXorDragBoxes : public TInterfacedObject, public IDragBoxesEx {
  FW_CLASS(TXorDragBoxes)
public:
  using IDragBoxesEx::Add;
  Integer Add(const TRect& rect, TDesignBoxStyle style, TDragAction action) override;
  Integer Add(const TRect& rect, const IPtr<IDragImage>& image, TDesignBoxStyle style,
              TDragAction action) override;
  /// Adds the item's transformed rectangle; the drawing primitive decides how it looks.
  Integer Add(const IPtr<IItem2D>& item, TDesignBoxStyle style, TDragAction action) override;
  /// Nothing for an index out of range.
  void Change(Integer index, const TRect& rect, TDragAction action) override;
  void MoveBy(Integer dx, Integer dy, TDragAction action) override;
  /// Erases every box and leaves none in use.
  void Done() override;
  void CancelDrag() override {}

  /// The union of the boxes in use; (MaxInt, MaxInt, -MaxInt, -MaxInt) when there are none.
  TRect BoundingRect() const;
  Integer Used() const noexcept { return FUsed; }
  /// Length of the parallel arrays (grows 0, 2, 4, 8, ...).
  Integer Capacity() const noexcept { return static_cast<Integer>(FRects.size()); }
  const TRect& Rect(Integer index) const { return FRects[static_cast<std::size_t>(index)]; }

protected:
  /// Draws one rectangle in XOR mode.
  virtual void DrawXorRect(const TRect& rect, TDesignBoxStyle style) = 0;
  /// Draws one box: its image when it has one, else its rectangle.
  virtual void DrawBox(const TRect& rect, const IPtr<IDragImage>& image, TDesignBoxStyle style);

private:
  void DrawAt(Integer index);
  std::vector<TRect> FRects;
  std::vector<TDesignBoxStyle> FKinds;
  std::vector<IPtr<IDragImage>> FImages;
  Integer FUsed = 0;
};

/// A tool source for surfaces without a palette.
class TNullTools : public TInterfacedObject, public ITools {
  FW_CLASS(TNullTools)
public:
  bool ToolSelected() override { return false; }
};

} // namespace fw
