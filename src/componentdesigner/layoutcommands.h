// Layout commands of a designed module: aligning, spacing and sizing the selected items against
// the first selected one, snapping them to the grid, and mirroring controls left to right. They
// act on siblings only: the selection is first cut down to the items that share the first
// item's parent.
//
//   std::vector<IPtr<IItem>> items = ForceCommonParent(designer, SelectedObjects(designer));
//   AlignItems(items, afHSpace); // lefts 0, 10, 100 become 0, 50, 100
#pragma once

#include "designintf/surfaceintf.h"
#include "toolsapi/toolsapi.h"

#include <functional>
#include <vector>

namespace fw {

class TWinControl;

/// One item while a command runs: its bounds in the parent's coordinates and the client size of
/// its parent, read when made. Each change is written to the item at once and the other edges
/// keep their values.
class TBounder {
public:
  explicit TBounder(IPtr<IItem> item);
  Integer Left() const noexcept { return FBounds.Left; }
  Integer Top() const noexcept { return FBounds.Top; }
  Integer Width() const noexcept { return FBounds.Width(); }
  Integer Height() const noexcept { return FBounds.Height(); }
  void SetLeft(Integer value);
  void SetTop(Integer value);
  void SetWidth(Integer value);
  void SetHeight(Integer value);
  const TRect& Bounds() const noexcept { return FBounds; }
  const IPtr<IItem>& Item() const noexcept { return FItem; }
  /// False when the item has no parent with a client area.
  bool HasParentClient() const noexcept { return FHasParentClient; }
  Integer ClientWidth() const noexcept { return FClientWidth; }
  Integer ClientHeight() const noexcept { return FClientHeight; }

private:
  void Apply();
  IPtr<IItem> FItem;
  TRect FBounds;
  Integer FClientWidth = 0;
  Integer FClientHeight = 0;
  bool FHasParentClient = false;
};

/// The item of `instance` in module `root` as the layout commands see it: a control moves and
/// sizes within its parent; another component of the module is an icon on the root at its
/// design position that no command moves; the root and any other object have no parent.
IPtr<IItem> LayoutItem(TPersistent* instance, TComponent* root);

/// Drops from `items`, walking from the last to the first, every item whose parent is not the
/// first item's parent. True when anything was dropped.
bool ForceCommonParent(std::vector<IPtr<IItem>>& items);

/// The objects selected in `designer`, in selection order.
std::vector<TPersistent*> SelectedObjects(IDesigner& designer);
/// The layout items of `objects` that share the first one's parent; when some do not, the
/// designer's selection becomes the rest (one selection change).
std::vector<IPtr<IItem>> ForceCommonParent(IDesigner& designer,
                                           const std::vector<TPersistent*>& objects);

/// Applies a position affect to sibling items, the first being the reference item. The affects
/// that are no positions (afNothing, afAlignToGrid, afSnapToGrid, afSendToBack, afBringToFront)
/// change nothing here; nor do the centring affects when the first item's parent has no client
/// area, nor the gap affects with fewer than two items.
void AlignItems(const std::vector<IPtr<IItem>>& items, TOTAAffect affect);
/// Applies a size affect to sibling items, the first being the reference item; `value` is the
/// extent of asHAbsolute and asVAbsolute. asNothing and asSizeToGrid change nothing.
void SizeItems(const std::vector<IPtr<IItem>>& items, TOTASizeAffect affect, Integer value);
/// Moves each item's top-left corner to `snap` of it, keeping its size.
void AlignItemsToGrid(const std::vector<IPtr<IItem>>& items,
                      const std::function<TPoint(const TPoint&)>& snap);

/// Mirrors the children of `control` left to right in its client area: each child's left edge
/// becomes client width − left − width, left and right alignment and anchors swap. With
/// `allLevels` the children of windowed children are mirrored in theirs as well.
void FlipChildren(TWinControl* control, bool allLevels);

} // namespace fw
