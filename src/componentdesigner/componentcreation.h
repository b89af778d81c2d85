// Creation of designed components: the palette item that makes a component of a class, and
// where a new component goes on its parent. The creation, frame, deletion and undelete
// operations of TComponentRoot are defined in componentcreation.cpp.
#pragma once

#include "basert/component.h"
#include "basert/types.h"
#include "designintf/designintf.h"

#include <functional>
#include <string_view>

namespace fw {

inline constexpr std::string_view sCannotInherit =
    "Component class '%s' does not support inheritance and cannot be added to a module that has "
    "descendents";
inline constexpr std::string_view sCannotPasteForm =
    "Cannot paste a form or datamodule into another form or datamodule";
inline constexpr std::string_view sNestedInsertedInSelf =
    "A nested component cannot be inserted into itself";
inline constexpr std::string_view sCantDeleteComponent =
    "Selection cannot be deleted.  Source is either in read only mode or is a resource form";
inline constexpr std::string_view sCantDeleteAncestor =
    "Selection contains a component, %s, introduced in an ancestor and cannot be deleted";
inline constexpr std::string_view sCannotDeleteNonComponent =
    "Cannot delete a TPersistent from the designer";

/// What a creation request creates: a palette entry, a class.
struct IInternalPaletteItem : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{5F1A3C2E-8B7D-4E90-A1C6-2D4B9E7F0A31}");
  /// A new component owned by `owner`, or null for none.
  virtual TComponent* CreateComponent(TComponent* owner) = 0;
  /// The one class the item creates, null when it does not say; an instance of a designed
  /// module's class is made as a nested module instead.
  virtual TComponentClass GetComponentClass() = 0;
};

/// Creates components of one class through its virtual constructor.
class TClassPaletteItem : public TInterfacedObject, public IInternalPaletteItem {
  FW_CLASS(TClassPaletteItem)
public:
  explicit TClassPaletteItem(TComponentClass componentClass) : FComponentClass(componentClass) {}
  TComponent* CreateComponent(TComponent* owner) override;
  TComponentClass GetComponentClass() override { return FComponentClass; }

private:
  TComponentClass FComponentClass;
};

/// What the placement of a new item needs to know of where it goes.
struct TPlacementContext {
  /// Client width and height of the parent.
  TPoint ParentSize;
  TPoint GridSize{8, 8};
  bool SnapToGrid = true;
  /// True when another item already has this top-left corner.
  std::function<bool(const TPoint&)> Occupied;
};

/// Snaps each coordinate to the nearest grid line (grid sizes below 1 leave it).
TPoint SnapPointToGrid(const TPoint& point, const TPoint& gridSize);

/// The bounds (in the parent's client coordinates) of an item of bounds `itemBounds` created
/// with the requested rectangle `rect`:
/// - an empty `rect`: centred in the parent, snapped, and moved on diagonally by half a grid
///   plus one (at least 10 pixels a step) while another item has its top-left corner;
/// - a `rect` of at most 9 by 9 pixels (a click): for an item of at most 9 by 9 itself, 100
///   wide and reaching 40 below the rectangle's bottom (100 by 41 for a 1-pixel click), else
///   the item's own size at the rectangle's top-left corner;
/// - any other `rect` as it is.
TRect PlaceCreatedItem(const TRect& rect, const TRect& itemBounds,
                       const TPlacementContext& context);

} // namespace fw
