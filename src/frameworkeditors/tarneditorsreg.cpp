// Which framework types and properties get which of the framework's editors.
#include "frameworkeditors/tarneditors.h"

#include "basert/classreg.h"
#include "componentdesigner/clipboardstreams.h"
#include "designeditors/editorregistry.h"
#include "frameworkeditors/dateeditor.h"
#include "frameworkeditors/frameworksprigs.h"
#include "tarn/controls.h"

#include <optional>

namespace fw {

namespace {

std::optional<Integer> gGroup;

/// Sets whose editor would be the standard one get the check-box elements instead; an editor a
/// package registered for a set type stays.
TPropertyEditorClass SetEditorMapper(TPersistent* obj, PPropInfo propInfo) {
  static bool asking = false;
  if (asking || propInfo->PropType()->Kind != kindSet) return nullptr;
  asking = true;
  TPropertyEditorClass standard = nullptr;
  try {
    standard = GetEditorClass(propInfo, obj);
  } catch (...) {
    asking = false;
    throw;
  }
  asking = false;
  return standard == ::fw::TSetProperty::StaticClass() ? tarneditors::TSetProperty::StaticClass()
                                                       : nullptr;
}

struct TTypeEditor {
  PTypeInfo (*Type)();
  TPropertyEditorClass (*Editor)();
};

struct TNamedEditor {
  TClass (*ComponentClass)();
  std::string_view PropertyName;
  TPropertyEditorClass (*Editor)();
};

template <class T> PTypeInfo TypeOf() { return TypeInfo<T>(); }
PTypeInfo TabOrderType() { return TWinControl::TabOrderTypeInfo(); }
PTypeInfo FontType() { return TFont::StaticClass()->TypeInfo; }

const TTypeEditor TypeEditors[] = {
    {&TypeOf<TColor>, &TColorProperty::StaticClass},
    {&TypeOf<TCursor>, &TCursorProperty::StaticClass},
    {&TypeOf<TModalResult>, &TModalResultProperty::StaticClass},
    {&TypeOf<TShortCut>, &TShortCutProperty::StaticClass},
    {&TypeOf<TFontCharset>, &TFontCharsetProperty::StaticClass},
    {&TypeInfoTFontName, &TFontNameProperty::StaticClass},
    {&TypeInfoTImeName, &TImeNameProperty::StaticClass},
    {&TabOrderType, &TTabOrderProperty::StaticClass},
    {&TypeOf<bool>, &TBooleanProperty::StaticClass},
    {&FontType, &TFontProperty::StaticClass},
    {&TypeOf<TBrushStyle>, &TBrushStyleProperty::StaticClass},
    {&TypeOf<TPenStyle>, &TPenStyleProperty::StaticClass},
    {&TypeInfoTDate, &tarneditors::TDateProperty::StaticClass},
};

// String properties that are font names or captions without a type of their own.
const TNamedEditor NamedStringEditors[] = {
    {&TFont::StaticClass, "Name", &TFontNameProperty::StaticClass},
    {&TControl::StaticClass, "Caption", &TCaptionProperty::StaticClass},
    {&TControl::StaticClass, "Text", &TCaptionProperty::StaticClass},
};

void RegisterTarnEditors() {
  for (const TTypeEditor& e : TypeEditors)
    RegisterPropertyEditor(e.Type(), nullptr, "", e.Editor());
  for (const TNamedEditor& e : NamedStringEditors)
    RegisterPropertyEditor(TypeInfo<String>(), e.ComponentClass(), String(e.PropertyName),
                           e.Editor());
  RegisterPropertyMapper(&SetEditorMapper);
  RegisterFrameworkSprigs();
}

} // namespace

PTypeInfo TypeInfoTFontName() {
  static PTypeInfo t = MakeSimpleType("TFontName", kindUnicodeString);
  return t;
}

PTypeInfo TypeInfoTImeName() {
  static PTypeInfo t = MakeSimpleType("TImeName", kindUnicodeString);
  return t;
}

void TarnEditorsStartup() {
  if (gGroup) return;
  CF_COMPONENTS();
  CF_COMPONENT();
  const Integer saved = CurrentGroup;
  gGroup = NewEditorGroup();
  try {
    RegisterTarnEditors();
  } catch (...) {
    CurrentGroup = saved;
    FreeEditorGroup(*gGroup);
    gGroup.reset();
    throw;
  }
  CurrentGroup = saved;
}

void TarnEditorsShutdown() {
  if (!gGroup) return;
  const Integer group = *gGroup;
  gGroup.reset();
  FreeEditorGroup(group);
}

} // namespace fw
