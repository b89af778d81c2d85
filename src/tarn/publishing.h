// Groups of published control properties that many control classes publish alike, for their
// class records. Each class calls the groups it shows, in the order its properties stream.
#pragma once

#include "basert/classbuilder.h"
#include "tarn/controls.h"

namespace fw::detail {

/// Action: a reference to the action the control follows, streamed by name.
template <class T, class B> void PublishAction(TClassBuilder<T, B>& b) {
  b.Property("Action", &T::Action, &T::SetAction);
}

/// Align, AlignWithMargins, Anchors.
template <class T, class B> void PublishPlacement(TClassBuilder<T, B>& b) {
  b.Property("Align", &T::Align, &T::SetAlign)
      .Default(alNone)
      .Property("AlignWithMargins", &T::AlignWithMargins, &T::SetAlignWithMargins)
      .Default(false)
      .Property("Anchors", &T::Anchors, &T::SetAnchors)
      .Stored(&T::IsAnchorsStored);
}

/// Color with its default (stored only while ParentColor is off).
template <class T, class B> void PublishColor(TClassBuilder<T, B>& b, TColor defaultColor) {
  b.Property("Color", &T::Color, &T::SetColor).Default(defaultColor).Stored(&T::IsColorStored);
}

/// DragKind, DragMode, Enabled, Font (stored only while ParentFont is off).
template <class T, class B> void PublishStateAndFont(TClassBuilder<T, B>& b) {
  b.Property("DragKind", &T::DragKind, &T::SetDragKind)
      .Default(dkDrag)
      .Property("DragMode", &T::DragMode, &T::SetDragMode)
      .Default(dmManual)
      .Property("Enabled", &T::Enabled, &T::SetEnabled)
      .Default(true)
      .Stored(&T::IsEnabledStored)
      .Property("Font", &T::Font, &T::SetFont)
      .Stored(&T::IsFontStored);
}

/// ParentColor and ParentFont with their defaults.
template <class T, class B>
void PublishParents(TClassBuilder<T, B>& b, bool parentColor = false, bool parentFont = true) {
  b.Property("ParentColor", &T::ParentColor, &T::SetParentColor)
      .Default(parentColor)
      .Property("ParentFont", &T::ParentFont, &T::SetParentFont)
      .Default(parentFont);
}

/// TabOrder and TabStop of a windowed control.
template <class T, class B> void PublishTabs(TClassBuilder<T, B>& b, bool tabStop) {
  b.Property("TabOrder", &TWinControl::TabOrderTypeInfo, &T::TabOrder, &T::SetTabOrder)
      .Default(-1)
      .Property("TabStop", &T::TabStop, &T::SetTabStop)
      .Default(tabStop);
}

/// Visible, OnClick, OnResize.
template <class T, class B> void PublishVisibleAndEvents(TClassBuilder<T, B>& b) {
  b.Property("Visible", &T::Visible, &T::SetVisible)
      .Default(true)
      .Stored(&T::IsVisibleStored)
      .Property("OnClick", &T::OnClick, &T::OnClick)
      .Property("OnResize", &T::OnResize, &T::OnResize);
}

} // namespace fw::detail
