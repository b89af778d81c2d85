#include "frameworkeditors/tarneditors.h"

#include "basert/classbuilder.h"
#include "basert/inifiles.h"
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

} // namespace

const std::array<TShortCut, 108> OfferedShortCuts = MakeOfferedShortCuts();

bool FontNamePropertyDisplayFontNames = false;
String BaseRegistryKey;

TStringList* InstalledImeNames() {
  static TStringList names;
  return &names;
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
  detail::KeepingPenAndBrush(canvas, [&] {
    canvas->Pen()->SetColor(selected ? clHighlightText : clWindowText);
    canvas->Brush()->SetColor(TColor(color));
    canvas->Brush()->SetStyle(color == clNone ? bsClear : bsSolid);
    canvas->Rectangle(detail::SwatchRect(rect));
  });
  detail::DrawAfterSwatch(value, canvas, rect, selected);
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
  detail::KeepingPenAndBrush(canvas, [&] {
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
  if (v >= 0 && v < static_cast<Int64>(ModalResults.size()))
    return String(ModalResults[static_cast<std::size_t>(v)].Name);
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
  dialog->Filter = SMPOpenFilter;
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

// ---- Utilities ---------------------------------------------------------------------------------

TClipboardFormat CF_COMPONENT() {
  static const TClipboardFormat format =
      RegisterClipboardFormat(String(sComponentClipboardFormatName));
  return format;
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
