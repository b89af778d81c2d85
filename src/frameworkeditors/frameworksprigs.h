// Structure-tree nodes of the GUI framework's own classes: controls nested under their parent
// controls and dragged onto other windowed controls, frames placed on a module showing what they
// hold, and data modules that keep controls out.
//
//   RegisterFrameworkSprigs(); // in a package start-up, inside its registration group
#pragma once

#include "treeintf/rootsprig.h"

namespace fw {

class TControl;
class TWinControl;

/// A control: it may be dragged (or made from the palette) only onto a sprig whose windowed
/// control takes child controls. An inherited control (from an ancestor module, or from the
/// module of a placed frame) keeps its parent.
class TControlSprig : public TComponentSprig {
  FW_CLASS(TControlSprig)
public:
  explicit TControlSprig(TPersistent* item);
  TControl* Control() const;
  bool DragOverTo(TSprig* parent) override;
  /// Only the answer: the target's DragDrop moves the control.
  bool DragDropTo(TSprig* parent) override;
  bool PaletteOverTo(TSprig* parent, TClass cls) override;
};

/// A windowed control: takes a dragged control of the same owner as its child, moved inside
/// its client area when it would stick out.
class TWinControlSprig : public TControlSprig {
  FW_CLASS(TWinControlSprig)
public:
  explicit TWinControlSprig(TPersistent* item);
  bool DragOver(TSprig* source) override;
  bool DragDrop(TSprig* source) override;
  bool PaletteOver(TSprigClass sprigClass, TClass cls) override;
};

/// A frame placed on a module. What the frame owns belongs to the frame, not to the module
/// root, so the root never makes sprigs for it: the frame's sprig does, owning them, and they
/// nest under the frame (and under its controls).
class TFrameSprig : public TWinControlSprig {
  FW_CLASS(TFrameSprig)
public:
  explicit TFrameSprig(TPersistent* item);
  void FigureChildren() override;
};

/// The root of a module that is a windowed control (a form, a frame designed on its own).
class TWinControlRootSprig : public TRootSprig {
  FW_CLASS(TWinControlRootSprig)
public:
  explicit TWinControlRootSprig(TPersistent* item);
  bool DragOver(TSprig* source) override;
  /// A control of this root is moved onto the root control; another component sprig follows
  /// its parent property.
  bool DragDrop(TSprig* source) override;
  /// Any component; controls only while the root control takes child controls.
  bool PaletteOver(TSprigClass sprigClass, TClass cls) override;
};

class TCustomFormRootSprig : public TWinControlRootSprig {
  FW_CLASS(TCustomFormRootSprig)
public:
  explicit TCustomFormRootSprig(TPersistent* item);
};

/// The root of a data module: non-visual components only.
class TDataModuleRootSprig : public TRootSprig {
  FW_CLASS(TDataModuleRootSprig)
public:
  explicit TDataModuleRootSprig(TPersistent* item);
  bool DragOver(TSprig* source) override;
  bool PaletteOver(TSprigClass sprigClass, TClass cls) override;
  bool AcceptsClass(TClass cls) override;
};

/// Pairs the framework's control, windowed control, frame, form and data module classes with
/// the sprigs above, stamped with the current registration group. Nothing while the structure
/// tree is not running.
void RegisterFrameworkSprigs();

} // namespace fw
