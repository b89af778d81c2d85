// Editors that draw their values in the inspector: brush and pen styles with a sample of the
// style, and Booleans and set elements as check boxes.
#pragma once

#include "designeditors/stdeditors.h"
#include "frameworkeditors/propertydrawing.h"

namespace fw {

// ---- Enumerations ----------------------------------------------------------------------------

/// Brush styles, each list entry with a swatch of its pattern.
class TBrushStyleProperty : public TEnumProperty,
                            public ICustomPropertyListDrawing,
                            public ICustomPropertyDrawing80 {
  FW_CLASS(TBrushStyleProperty)
public:
  using TEnumProperty::TEnumProperty;
  void ListMeasureWidth(const String& value, TCanvas* canvas, Integer& width) override;
  void ListMeasureHeight(const String&, TCanvas*, Integer&) override {}
  void ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                     bool selected) override;
  void PropDrawName(TCanvas* canvas, const TRect& rect, bool selected) override;
  /// The value's swatch and name.
  void PropDrawValue(TCanvas* canvas, const TRect& rect, bool selected) override;
  TRect PropDrawNameRect(const TRect& rect) override { return rect; }
  TRect PropDrawValueRect(const TRect& rect) override;
};

/// Pen styles, each list entry with a line in that style.
class TPenStyleProperty : public TEnumProperty,
                          public ICustomPropertyListDrawing,
                          public ICustomPropertyDrawing80 {
  FW_CLASS(TPenStyleProperty)
public:
  using TEnumProperty::TEnumProperty;
  void ListMeasureWidth(const String& value, TCanvas* canvas, Integer& width) override;
  void ListMeasureHeight(const String&, TCanvas*, Integer&) override {}
  void ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                     bool selected) override;
  void PropDrawName(TCanvas* canvas, const TRect& rect, bool selected) override;
  void PropDrawValue(TCanvas* canvas, const TRect& rect, bool selected) override;
  TRect PropDrawNameRect(const TRect& rect) override { return rect; }
  TRect PropDrawValueRect(const TRect& rect) override;
};

// ---- Check boxes -----------------------------------------------------------------------------

/// Side of the check box drawn for Booleans and set elements.
inline constexpr Integer CheckBoxSize = 13;
/// Where the check box lies in a value rectangle: at its left, centred vertically.
TRect CheckBoxRect(const TRect& valueRect);

namespace detail {
/// A value shown as a check box: drawn instead of its text, toggled by a left click inside the
/// box unless the editor is read-only. A mixed multi-selection draws the box grayed.
template <class Base>
class TCheckBoxEditor : public Base,
                        public ICustomPropertyDrawing80,
                        public ICustomPropertyMessage {
public:
  using Base::Base;
  void PropDrawName(TCanvas* canvas, const TRect& rect, bool selected) override;
  void PropDrawValue(TCanvas* canvas, const TRect& rect, bool selected) override;
  TRect PropDrawNameRect(const TRect& rect) override { return rect; }
  TRect PropDrawValueRect(const TRect& rect) override { return CheckBoxRect(rect); }
  /// Toggles when the left button goes down inside the box last drawn.
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y,
                 bool& handled) override;
  void MouseMove(TShiftState, Integer, Integer, bool&) override {}
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y,
               bool& handled) override;
  void HintShow(TPropertyHintInfo&, bool&, const TRect&, bool&) override {}

protected:
  virtual bool Checked() = 0;
  virtual void Toggle() = 0;

private:
  bool InBox(Integer x, Integer y) const;
  TRect FBox{};
  bool FDrawn = false;
};
} // namespace detail

/// Booleans as check boxes.
class TBooleanProperty : public detail::TCheckBoxEditor<TEnumProperty> {
  FW_CLASS(TBooleanProperty)
public:
  using TCheckBoxEditor::TCheckBoxEditor;

protected:
  bool Checked() override { return GetOrdValue() != 0; }
  void Toggle() override { SetOrdValue(Checked() ? 0 : 1); }
};

/// Descendants of standard editors that keep the standard names (the set and set-element
/// editors with check boxes here, the date editor with its calendar), so they live apart.
namespace tarneditors {

class TSetElementProperty : public detail::TCheckBoxEditor<::fw::TSetElementProperty> {
  FW_CLASS(TSetElementProperty)
public:
  using TCheckBoxEditor::TCheckBoxEditor;

protected:
  bool Checked() override;
  void Toggle() override;
};

class TSetProperty : public ::fw::TSetProperty {
  FW_CLASS(TSetProperty)
public:
  using ::fw::TSetProperty::TSetProperty;
  /// One check-box element per element, lowest first.
  void GetProperties(const TGetPropProc& proc) override;
};

} // namespace tarneditors

} // namespace fw
