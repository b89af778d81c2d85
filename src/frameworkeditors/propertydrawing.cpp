#include "frameworkeditors/propertydrawing.h"

namespace fw {

namespace detail {

TRect SwatchRect(const TRect& r) {
  return {r.Left + 1, r.Top + 1, r.Left + r.Height() - 1, r.Bottom - 1};
}

void DrawAfterSwatch(const String& value, TCanvas* canvas, const TRect& rect, bool selected) {
  TRect text = rect;
  text.Left = SwatchRect(rect).Right + 2;
  DefaultPropertyListDrawValue(value, canvas, text, selected);
}

} // namespace detail

void DefaultPropertyDrawName(const IPtr<IProperty>& prop, TCanvas* canvas, const TRect& rect,
                             bool) {
  if (prop) canvas->TextRect(rect, rect.Left + 2, rect.Top + 1, prop->GetName());
}

void DefaultPropertyDrawValue(const IPtr<IProperty>& prop, TCanvas* canvas, const TRect& rect,
                              bool) {
  canvas->TextRect(rect, rect.Left + 1, rect.Top + 1, GetDisplayValue(prop));
}

void DefaultPropertyListDrawValue(const String& value, TCanvas* canvas, const TRect& rect, bool) {
  canvas->TextRect(rect, rect.Left + 2, rect.Top, value);
}

String GetDisplayValue(const IPtr<IProperty>& prop) {
  if (!prop || !prop->AllEqual()) return {};
  return prop->GetValue();
}

} // namespace fw
