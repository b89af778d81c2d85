#include "frameworkeditors/tarneditors.h"

#include "basert/classbuilder.h"
#include "basert/inifiles.h"
#include "basert/intflist.h"
#include "basert/sysutils.h"
#include "tarn/dialogs.h"
#include "tarn/screen.h"

namespace fw {

namespace {

constexpr std::string_view sUnitName = "TarnEditors";

constexpr std::array<TShortCut, 108> MakeOfferedShortCuts() {
  std::array<TShortCut, 108> list{};
  std::size_t n = 0;
  auto add = [&](Word key, Word shift) { list[n++] = TShortCut(key | shift); };
  for (Word shift : {scCtrl, Word(scCtrl | scAlt)})
    for (Word key = 'A'; key <= 'Z'; ++key)
      add(key, shift);
  for (Word shift : {Word(0), scCtrl, scShift, Word(scCtrl | scShift)})
    for (Word key = VK_F1; key < VK_F1 + 12; ++key)
      add(key, shift);
  for (Word key : {VK_INSERT, VK_DELETE})
    for (Word shift : {Word(0), scShift, scCtrl})
      add(key, shift);
  add(VK_BACK, scAlt);
  add(VK_BACK, scShift | scAlt);
  return list;
}

/// A swatch square at the left of a list entry or value, the height of the rectangle.
TRect SwatchRect(const TRect& r) {
  return {r.Left + 1, r.Top + 1, r.Left + r.Height() - 1, r.Bottom - 1};
}

/// Runs `draw` with the canvas's pen and brush as they were before, afterwards.
template <class F> void KeepingPenAndBrush(TCanvas* canvas, F draw) {
  const TColor pen = canvas->Pen()->GetColor(), brush = canvas->Brush()->GetColor();
  const TPenStyle penStyle = canvas->Pen()->GetStyle();
  const TBrushStyle brushStyle = canvas->Brush()->GetStyle();
  draw();
  canvas->Pen()->SetColor(pen);
  canvas->Pen()->SetStyle(penStyle);
  canvas->Brush()->SetColor(brush);
  canvas->Brush()->SetStyle(brushStyle);
}

/// The name right of a swatch.
void DrawAfterSwatch(const String& value, TCanvas* canvas, const TRect& rect, bool selected) {
  TRect text = rect;
  text.Left = SwatchRect(rect).Right + 2;
  DefaultPropertyListDrawValue(value, canvas, text, selected);
}

bool Contains(const TRect& r, Integer x, Integer y) {
  return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

} // namespace

const std::array<TShortCut, 108> OfferedShortCuts = MakeOfferedShortCuts();

bool FontNamePropertyDisplayFontNames = false;
String BaseRegistryKey;

TStringList* InstalledImeNames() {
  static TStringList names;
  return &names;
}

// ---- Default drawing ---------------------------------------------------------------------------

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

// ---- TColorProperty ----------------------------------------------------------------------------

TClass TColorProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TColorProperty, TIntegerProperty>("TColorProperty", sUnitName)
          .Implements<ICustomPropertyListDrawing>()
          .Build();
  return cls;
}

void TColorProperty::Edit() {
  TOwned<TColorDialog> dialog(New<TColorDialog>(nullptr));
  std::unique_ptr<TRegistryIniFile> ini;
  if (!BaseRegistryKey.empty()) {
    ini = std::make_unique<TRegistryIniFile>(BaseRegistryKey);
    ini->ReadSectionValues(SCustomColors, *dialog->CustomColors());
  }
  dialog->HelpContext = hcDColorEditor;
  dialog->Options.Include(cdShowHelp);
  dialog->Color = TColor(static_cast<Integer>(GetOrdValue()));
  if (dialog->Execute()) SetOrdValue(dialog->Color);
  if (!ini) return;
  TStrings* colors = dialog->CustomColors();
  for (Integer i = 0; i < colors->Count(); ++i)
    ini->WriteString(SCustomColors, colors->Names(i), colors->ValueFromIndex(i));
}

TPropertyAttributes TColorProperty::GetAttributes() {
  return {paMultiSelect, paDialog, paValueList, paRevertable};
}

String TColorProperty::GetValue() {
  return ColorToString(TColor(static_cast<Integer>(GetOrdValue())));
}

void TColorProperty::GetValues(const TGetStrProc& proc) { GetColorValues(proc); }

void TColorProperty::SetValue(const String& value) {
  Integer color = 0;
  // "$" text may use the full 32 bits, so a colour shows as text that reads back.
  if (IdentToColor(value, color) || (Trim(value).starts_with('$') && TryStrToInt(value, color)))
    SetOrdValue(color);
  else
    TIntegerProperty::SetValue(value);
}

void TColorProperty::ListMeasureWidth(const String&, TCanvas* canvas, Integer& width) {
  width += canvas->TextHeight("Wg");
}

void TColorProperty::ListMeasureHeight(const String&, TCanvas*, Integer&) {}

void TColorProperty::ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                                   bool selected) {
  Integer color = 0;
  if (!IdentToColor(value, color) && !TryStrToInt(value, color)) color = clNone;
  KeepingPenAndBrush(canvas, [&] {
    canvas->Pen()->SetColor(selected ? clHighlightText : clWindowText);
    canvas->Brush()->SetColor(TColor(color));
    canvas->Brush()->SetStyle(color == clNone ? bsClear : bsSolid);
    canvas->Rectangle(SwatchRect(rect));
  });
  DrawAfterSwatch(value, canvas, rect, selected);
}

// ---- TCursorProperty ---------------------------------------------------------------------------

TClass TCursorProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCursorProperty, TIntegerProperty>("TCursorProperty", sUnitName)
          .Implements<ICustomPropertyListDrawing>()
          .Build();
  return cls;
}

TPropertyAttributes TCursorProperty::GetAttributes() {
  return {paMultiSelect, paSortList, paValueList, paRevertable};
}

String TCursorProperty::GetValue() {
  return CursorToString(TCursor(static_cast<std::int16_t>(GetOrdValue())));
}

void TCursorProperty::GetValues(const TGetStrProc& proc) { GetCursorValues(proc); }

void TCursorProperty::SetValue(const String& value) {
  Integer cursor = 0;
  if (IdentToCursor(value, cursor))
    SetOrdValue(cursor);
  else
    TIntegerProperty::SetValue(value);
}

void TCursorProperty::ListMeasureWidth(const String& value, TCanvas* canvas, Integer& width) {
  width = Screen()->IconWidth + canvas->TextWidth(value) + 4;
}

void TCursorProperty::ListMeasureHeight(const String&, TCanvas* canvas, Integer& height) {
  height = std::max(canvas->TextHeight("Wg"), Screen()->IconHeight + 4);
}

void TCursorProperty::ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                                    bool selected) {
  // The headless runtime has no cursor images: a frame of the image's size stands in.
  const TRect image{rect.Left + 2, rect.Top + 2, rect.Left + 2 + Screen()->IconWidth,
                    rect.Top + 2 + Screen()->IconHeight};
  KeepingPenAndBrush(canvas, [&] {
    canvas->Brush()->SetColor(selected ? clHighlightText : clWindowText);
    canvas->FrameRect(image);
  });
  TRect text = rect;
  text.Left = image.Right + 2;
  DefaultPropertyListDrawValue(value, canvas, text, selected);
}

// ---- TModalResultProperty ----------------------------------------------------------------------

TClass TModalResultProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TModalResultProperty, TIntegerProperty>("TModalResultProperty", sUnitName)
          .Build();
  return cls;
}

String TModalResultProperty::GetValue() {
  const Int64 v = GetOrdValue();
  if (auto name = IntToIdentIn(ModalResults.data(), ModalResults.size(), static_cast<Integer>(v));
      name && v >= 0 && v < static_cast<Int64>(ModalResults.size()))
    return *name;
  return IntToStr(v);
}

void TModalResultProperty::GetValues(const TGetStrProc& proc) {
  for (const TIdentMapEntry& e : ModalResults)
    proc(String(e.Name));
}

void TModalResultProperty::SetValue(const String& value) {
  Integer v = 0;
  if (value.empty())
    SetOrdValue(0);
  else if (IdentToModalResult(value, v))
    SetOrdValue(v);
  else
    TIntegerProperty::SetValue(value);
}

// ---- TShortCutProperty -------------------------------------------------------------------------

TClass TShortCutProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TShortCutProperty, TIntegerProperty>("TShortCutProperty", sUnitName).Build();
  return cls;
}

String TShortCutProperty::GetValue() {
  const auto v = static_cast<Word>(GetOrdValue());
  if (v == scNone) return String(srNone);
  String text = ShortCutToText(TShortCut(v));
  return text.empty() ? IntToStr(v) : text;
}

void TShortCutProperty::GetValues(const TGetStrProc& proc) {
  proc(String(srNone));
  for (TShortCut s : OfferedShortCuts)
    proc(ShortCutToText(s));
}

void TShortCutProperty::SetValue(const String& value) {
  if (value.empty() || SameText(value, srNone)) {
    SetOrdValue(scNone);
    return;
  }
  Integer v = TextToShortCut(value);
  // A value whose key has no name shows as its number; that text must read back.
  if (v == scNone &&
      (!TryStrToInt(value, v) || v <= 0 || v > 0xFFFF || !ShortCutToText(TShortCut(v)).empty()))
    detail::RaiseDesignError(rtlconsts::SInvalidPropertyValue);
  SetOrdValue(v);
}

// ---- TFontCharsetProperty ----------------------------------------------------------------------

TClass TFontCharsetProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFontCharsetProperty, TIntegerProperty>("TFontCharsetProperty", sUnitName)
          .Build();
  return cls;
}

String TFontCharsetProperty::GetValue() {
  const Integer charset = static_cast<Integer>(GetOrdValue()) & 0xFF;
  String ident;
  if (CharsetToIdent(charset, ident)) return ident;
  return Format(sCharsetNumberFormat, charset);
}

void TFontCharsetProperty::GetValues(const TGetStrProc& proc) { GetCharsetValues(proc); }

void TFontCharsetProperty::SetValue(const String& value) {
  Integer charset = 0;
  if (IdentToCharset(value, charset))
    SetOrdValue(charset);
  else
    TIntegerProperty::SetValue(value);
}

TClass TTabOrderProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTabOrderProperty, TIntegerProperty>("TTabOrderProperty", sUnitName).Build();
  return cls;
}

// ---- String editors ----------------------------------------------------------------------------

TClass TFontNameProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFontNameProperty, TStringProperty>("TFontNameProperty", sUnitName)
          .Implements<ICustomPropertyListDrawing>()
          .Build();
  return cls;
}

void TFontNameProperty::GetValues(const TGetStrProc& proc) {
  const TStringList* fonts = Screen()->Fonts();
  for (Integer i = 0; i < fonts->Count(); ++i)
    proc(fonts->Get(i));
}

namespace {
/// Runs `f` with the canvas's font named `name`, then names it back.
template <class F> void InTypeface(TCanvas* canvas, const String& name, F f) {
  const String old = canvas->Font()->GetName();
  canvas->Font()->SetName(name);
  f();
  canvas->Font()->SetName(old);
}
} // namespace

void TFontNameProperty::ListMeasureWidth(const String& value, TCanvas* canvas, Integer& width) {
  if (!FontNamePropertyDisplayFontNames) return;
  InTypeface(canvas, value, [&] { width = canvas->TextWidth(value) + 4; });
}

void TFontNameProperty::ListMeasureHeight(const String& value, TCanvas* canvas, Integer& height) {
  if (!FontNamePropertyDisplayFontNames) return;
  InTypeface(canvas, value, [&] { height = canvas->TextHeight(value) + 2; });
}

void TFontNameProperty::ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                                      bool selected) {
  if (!FontNamePropertyDisplayFontNames) {
    DefaultPropertyListDrawValue(value, canvas, rect, selected);
    return;
  }
  InTypeface(canvas, value, [&] { DefaultPropertyListDrawValue(value, canvas, rect, selected); });
}

TClass TImeNameProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TImeNameProperty, TStringProperty>("TImeNameProperty", sUnitName).Build();
  return cls;
}

void TImeNameProperty::GetValues(const TGetStrProc& proc) {
  const TStringList* names = InstalledImeNames();
  for (Integer i = 0; i < names->Count(); ++i)
    proc(names->Get(i));
}

TClass TCaptionProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCaptionProperty, TStringProperty>("TCaptionProperty", sUnitName).Build();
  return cls;
}

TClass TMPFilenameProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TMPFilenameProperty, TStringProperty>("TMPFilenameProperty", sUnitName).Build();
  return cls;
}

void TMPFilenameProperty::Edit() {
  TOwned<TOpenDialog> dialog(New<TOpenDialog>(nullptr));
  dialog->FileName = GetValue();
  dialog->Filter = String(SMPOpenFilter);
  dialog->Options.Include(ofFileMustExist);
  if (dialog->Execute()) SetValue(dialog->FileName);
}

// ---- TFontProperty -----------------------------------------------------------------------------

TClass TFontProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFontProperty, TClassProperty>("TFontProperty", sUnitName).Build();
  return cls;
}

void TFontProperty::Edit() {
  TOwned<TFontDialog> dialog(New<TFontDialog>(nullptr));
  if (auto* font = dynamic_cast<TFont*>(GetObjectProp(GetComponent(0), GetPropInfo())))
    dialog->SetFont(font);
  dialog->HelpContext = hcDFontEditor;
  dialog->Options += TFontDialogOptions{fdShowHelp, fdForceFontExist};
  if (!dialog->Execute()) return;
  for (Integer i = 0; i < FPropCount; ++i)
    if (auto* font = dynamic_cast<TFont*>(GetObjectProp(GetComponent(i), Entry(i).PropInfo)))
      font->Assign(dialog->GetFont());
  Modified();
}

// ---- Brush and pen styles ----------------------------------------------------------------------

namespace {

/// The style a value list entry names, or the first one for an unknown name.
template <class E> E StyleNamed(const String& name) {
  const Integer v = GetEnumValue(TypeInfo<E>(), name);
  return E(v < 0 ? 0 : v);
}

void DrawBrushSwatch(TCanvas* canvas, const TRect& rect, TBrushStyle style, bool selected) {
  KeepingPenAndBrush(canvas, [&] {
    canvas->Pen()->SetColor(selected ? clHighlightText : clWindowText);
    canvas->Brush()->SetColor(style == bsClear ? clWindow : clWindowText);
    canvas->Brush()->SetStyle(style);
    canvas->Rectangle(SwatchRect(rect));
  });
}

void DrawPenSwatch(TCanvas* canvas, const TRect& rect, TPenStyle style, bool selected) {
  const TRect box = SwatchRect(rect);
  const Integer y = (box.Top + box.Bottom) / 2;
  KeepingPenAndBrush(canvas, [&] {
    canvas->Pen()->SetColor(selected ? clHighlightText : clWindowText);
    canvas->Pen()->SetStyle(style);
    canvas->MoveTo(box.Left, y);
    canvas->LineTo(box.Right, y);
  });
}

/// The value rectangle less the swatch, where a swatched value's text goes.
TRect SwatchedValueRect(const TRect& rect) {
  TRect r = rect;
  r.Left = SwatchRect(rect).Right + 2;
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
  DrawAfterSwatch(value, canvas, rect, selected);
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
  DrawAfterSwatch(value, canvas, rect, selected);
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
  KeepingPenAndBrush(canvas, [&] {
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

// ---- Utilities ---------------------------------------------------------------------------------

TClipboardFormat CF_COMPONENT() {
  static const TClipboardFormat format =
      RegisterClipboardFormat(String(sComponentClipboardFormatName));
  return format;
}

String GetDisplayValue(const IPtr<IProperty>& prop) {
  if (!prop || !prop->AllEqual()) return {};
  return prop->GetValue();
}

namespace {

class TSelectionMessageList : public TInterfacedObject, public ISelectionMessageList {
  FW_CLASS(TSelectionMessageList)
public:
  IPtr<ISelectionMessage> Get(Integer index) override {
    if (index < 0 || index >= GetCount()) throw EListError(Format(sListIndexError, index));
    return FItems[static_cast<std::size_t>(index)];
  }
  Integer GetCount() override { return static_cast<Integer>(FItems.size()); }
  std::vector<IPtr<ISelectionMessage>> FItems;
};

TClass TSelectionMessageList::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSelectionMessageList, TInterfacedObject>("TSelectionMessageList", sUnitName)
          .Implements<ISelectionMessageList>()
          .Build();
  return cls;
}

} // namespace

IPtr<ISelectionMessageList> SelectionMessageListOf(const IPtr<ISelectionEditorList>& list) {
  auto* result = New<TSelectionMessageList>();
  IPtr<ISelectionMessageList> keep(result);
  for (Integer i = 0, n = list ? list->GetCount() : 0; i < n; ++i) {
    IPtr<ISelectionMessage> message;
    if (Supports(list->Get(i), &message)) result->FItems.push_back(message);
  }
  return keep;
}

} // namespace fw
