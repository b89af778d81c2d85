#include "frameworkeditors/drawneditors.h"

#include "basert/classbuilder.h"

namespace fw {

namespace {

constexpr std::string_view sUnitName = "TarnEditors";

bool Contains(const TRect& r, Integer x, Integer y) {
  return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

/// The style a value list entry names, or the first one for an unknown name.
template <class E> E StyleNamed(const String& name) {
  const Integer v = GetEnumValue(TypeInfo<E>(), name);
  return E(v < 0 ? 0 : v);
}

void DrawBrushSwatch(TCanvas* canvas, const TRect& rect, TBrushStyle style, bool selected) {
  detail::KeepingPenAndBrush(canvas, [&] {
    canvas->Pen()->SetColor(selected ? clHighlightText : clWindowText);
    canvas->Brush()->SetColor(style == bsClear ? clWindow : clWindowText);
    canvas->Brush()->SetStyle(style);
    canvas->Rectangle(detail::SwatchRect(rect));
  });
}

void DrawPenSwatch(TCanvas* canvas, const TRect& rect, TPenStyle style, bool selected) {
  const TRect box = detail::SwatchRect(rect);
  const Integer y = (box.Top + box.Bottom) / 2;
  detail::KeepingPenAndBrush(canvas, [&] {
    canvas->Pen()->SetColor(selected ? clHighlightText : clWindowText);
    canvas->Pen()->SetStyle(style);
    canvas->MoveTo(box.Left, y);
    canvas->LineTo(box.Right, y);
  });
}

/// The value rectangle less the swatch, where a swatched value's text goes.
TRect SwatchedValueRect(const TRect& rect) {
  TRect r = rect;
  r.Left = detail::SwatchRect(rect).Right + 2;
  return r;
}

} // namespace

TClass TBrushStyleProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBrushStyleProperty, TEnumProperty>("TBrushStyleProperty", sUnitName)
          .Implements<ICustomPropertyListDrawing, ICustomPropertyDrawing,
                      ICustomPropertyDrawing80>()
          .Build();
  return cls;
}

void TBrushStyleProperty::ListMeasureWidth(const String&, TCanvas* canvas, Integer& width) {
  width += canvas->TextHeight("Wg");
}

void TBrushStyleProperty::ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                                        bool selected) {
  DrawBrushSwatch(canvas, rect, StyleNamed<TBrushStyle>(value), selected);
  detail::DrawAfterSwatch(value, canvas, rect, selected);
}

void TBrushStyleProperty::PropDrawName(TCanvas* canvas, const TRect& rect, bool selected) {
  DefaultPropertyDrawName(IPtr<IProperty>(this), canvas, rect, selected);
}

void TBrushStyleProperty::PropDrawValue(TCanvas* canvas, const TRect& rect, bool selected) {
  if (!AllEqual()) return DefaultPropertyDrawValue(IPtr<IProperty>(this), canvas, rect, selected);
  ListDrawValue(GetValue(), canvas, rect, selected);
}

TRect TBrushStyleProperty::PropDrawValueRect(const TRect& rect) { return SwatchedValueRect(rect); }

TClass TPenStyleProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPenStyleProperty, TEnumProperty>("TPenStyleProperty", sUnitName)
          .Implements<ICustomPropertyListDrawing, ICustomPropertyDrawing,
                      ICustomPropertyDrawing80>()
          .Build();
  return cls;
}

void TPenStyleProperty::ListMeasureWidth(const String&, TCanvas* canvas, Integer& width) {
  width += canvas->TextHeight("Wg");
}

void TPenStyleProperty::ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                                      bool selected) {
  DrawPenSwatch(canvas, rect, StyleNamed<TPenStyle>(value), selected);
  detail::DrawAfterSwatch(value, canvas, rect, selected);
}

void TPenStyleProperty::PropDrawName(TCanvas* canvas, const TRect& rect, bool selected) {
  DefaultPropertyDrawName(IPtr<IProperty>(this), canvas, rect, selected);
}

void TPenStyleProperty::PropDrawValue(TCanvas* canvas, const TRect& rect, bool selected) {
  if (!AllEqual()) return DefaultPropertyDrawValue(IPtr<IProperty>(this), canvas, rect, selected);
  ListDrawValue(GetValue(), canvas, rect, selected);
}

TRect TPenStyleProperty::PropDrawValueRect(const TRect& rect) { return SwatchedValueRect(rect); }

// ---- Check boxes -------------------------------------------------------------------------------

TRect CheckBoxRect(const TRect& valueRect) {
  const Integer top = valueRect.Top + (valueRect.Height() - CheckBoxSize) / 2;
  return {valueRect.Left + 2, top, valueRect.Left + 2 + CheckBoxSize, top + CheckBoxSize};
}

namespace detail {

template <class Base>
void TCheckBoxEditor<Base>::PropDrawName(TCanvas* canvas, const TRect& rect, bool selected) {
  DefaultPropertyDrawName(IPtr<IProperty>(this), canvas, rect, selected);
}

template <class Base>
void TCheckBoxEditor<Base>::PropDrawValue(TCanvas* canvas, const TRect& rect, bool) {
  FBox = CheckBoxRect(rect);
  FDrawn = true;
  const bool readOnly = this->GetAttributes().Contains(paReadOnly);
  const bool mixed = !this->AllEqual();
  detail::KeepingPenAndBrush(canvas, [&] {
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetColor(readOnly ? clGrayText : clWindowText);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(readOnly ? clBtnFace : clWindow);
    canvas->Rectangle(FBox);
    if (mixed) {
      canvas->Brush()->SetColor(clGrayText);
      canvas->FillRect({FBox.Left + 3, FBox.Top + 3, FBox.Right - 3, FBox.Bottom - 3});
    } else if (Checked()) {
      const TPoint mark[] = {{FBox.Left + 3, FBox.Top + 6},
                             {FBox.Left + 5, FBox.Top + 9},
                             {FBox.Right - 3, FBox.Top + 3}};
      canvas->Polyline(mark);
    }
  });
}

template <class Base> bool TCheckBoxEditor<Base>::InBox(Integer x, Integer y) const {
  return FDrawn && Contains(FBox, x, y);
}

template <class Base>
void TCheckBoxEditor<Base>::MouseDown(TMouseButton button, TShiftState, Integer x, Integer y,
                                      bool& handled) {
  if (button != mbLeft || !InBox(x, y) || this->GetAttributes().Contains(paReadOnly)) return;
  Toggle();
  handled = true;
}

template <class Base>
void TCheckBoxEditor<Base>::MouseUp(TMouseButton button, TShiftState, Integer x, Integer y,
                                    bool& handled) {
  // The press already toggled; the release must not reach the inspector's own editing.
  if (button == mbLeft && InBox(x, y) && !this->GetAttributes().Contains(paReadOnly))
    handled = true;
}

template class TCheckBoxEditor<TEnumProperty>;
template class TCheckBoxEditor<::fw::TSetElementProperty>;

} // namespace detail

TClass TBooleanProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBooleanProperty, TEnumProperty>("TBooleanProperty", sUnitName)
          .Implements<ICustomPropertyDrawing, ICustomPropertyDrawing80, ICustomPropertyMessage>()
          .Build();
  return cls;
}

namespace tarneditors {

TClass TSetElementProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSetElementProperty, ::fw::TSetElementProperty>("TSetElementProperty",
                                                                    sUnitName)
          .Implements<ICustomPropertyDrawing, ICustomPropertyDrawing80, ICustomPropertyMessage>()
          .Build();
  return cls;
}

bool TSetElementProperty::Checked() {
  return SameText(GetValue(), GetEnumName(TypeInfo<bool>(), 1));
}

void TSetElementProperty::Toggle() { SetValue(GetEnumName(TypeInfo<bool>(), Checked() ? 0 : 1)); }

TClass TSetProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSetProperty, ::fw::TSetProperty>("TSetProperty", sUnitName).Build();
  return cls;
}

void TSetProperty::GetProperties(const TGetPropProc& proc) {
  PTypeInfo comp = GetTypeData(GetPropType())->CompType;
  if (!comp) return;
  const Int64 lo = GetTypeData(comp)->MinValue;
  const Int64 hi = lo + SetElementCount(GetPropType()) - 1;
  for (Int64 e = lo; e <= hi; ++e)
    proc(IPtr<IProperty>(New<TSetElementProperty>(this, static_cast<Integer>(e))));
}

} // namespace tarneditors

} // namespace fw
