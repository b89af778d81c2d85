// The property editors of the GUI framework's own types: colours, cursors, modal results,
// shortcuts, character sets, fonts and font names, input method names, captions, tab order and
// media file names; with the drawn editors and the date editor included, and the start-up that
// registers them all for the framework's types.
#pragma once

#include "designeditors/stdeditors.h"
#include "frameworkeditors/dateeditor.h"
#include "frameworkeditors/drawneditors.h"
#include "frameworkeditors/editactions.h"
#include "frameworkeditors/propertydrawing.h"
#include "tarn/clipbrd.h"
#include "tarn/graphics.h"
#include "tarn/shortcuts.h"

#include <array>
#include <memory>

namespace fw {

// ---- Resource strings ------------------------------------------------------------------------

/// What a shortcut property holding none shows, and the first entry of its list.
inline constexpr std::string_view srNone = "(None)";
/// The section the colour dialog's custom colours are kept in, under BaseRegistryKey.
inline constexpr std::string_view SCustomColors = "Custom Colors";
/// A character set without identifier.
inline constexpr std::string_view sCharsetNumberFormat = "%d";

/// The registered name of the clipboard format of a single component.
inline constexpr std::string_view sComponentClipboardFormatName = "Orvane Component";

inline constexpr Integer hcDFontEditor = 25000;
inline constexpr Integer hcDColorEditor = 25010;

// ---- Global settings -------------------------------------------------------------------------

/// When true, font name lists show each name in its own typeface.
extern bool FontNamePropertyDisplayFontNames;
/// The registry key the colour dialog keeps its custom colours under; empty keeps none.
extern String BaseRegistryKey;

/// The names of the installed input methods. The headless runtime has none; a host that knows
/// some fills the list.
TStringList* InstalledImeNames();

/// String types a component may publish a font name or an input method name with, so that
/// the inspector offers the installed ones.
PTypeInfo TypeInfoTFontName();
PTypeInfo TypeInfoTImeName();

/// The shortcuts a shortcut property offers, in list order (after "(None)").
extern const std::array<TShortCut, 108> OfferedShortCuts;

// ---- Editors over integers -------------------------------------------------------------------

/// Colours by identifier ("clBtnFace") or as "$00BBGGRR"; Edit opens the colour dialog.
class TColorProperty : public TIntegerProperty, public ICustomPropertyListDrawing {
  FW_CLASS(TColorProperty)
public:
  using TIntegerProperty::TIntegerProperty;
  /// The colour dialog (help context 25010), preset with the value; the chosen colour goes to
  /// every entry. With BaseRegistryKey set, the custom colours are read from and written back
  /// to its SCustomColors section, cancelled or not.
  void Edit() override;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void GetValues(const TGetStrProc& proc) override;
  /// A colour identifier, "$" and up to eight hexadecimal digits (the form GetValue shows),
  /// else integer text. Raises EDesignPropertyError as TIntegerProperty does.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;

  /// Entries get a swatch of their colour before the name.
  void ListMeasureWidth(const String& value, TCanvas* canvas, Integer& width) override;
  void ListMeasureHeight(const String& value, TCanvas* canvas, Integer& height) override;
  void ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                     bool selected) override;
};

/// Cursors by identifier ("crHandPoint") or number.
class TCursorProperty : public TIntegerProperty, public ICustomPropertyListDrawing {
  FW_CLASS(TCursorProperty)
public:
  using TIntegerProperty::TIntegerProperty;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void GetValues(const TGetStrProc& proc) override;
  /// A cursor identifier, else integer text.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;

  /// Room for the cursor's image beside its name: the screen's icon width plus the text width
  /// plus 4, and at least the icon height plus 4 high.
  void ListMeasureWidth(const String& value, TCanvas* canvas, Integer& width) override;
  void ListMeasureHeight(const String& value, TCanvas* canvas, Integer& height) override;
  void ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                     bool selected) override;
};

/// Modal results: mrNone to mrYesToAll by name, other values as numbers.
class TModalResultProperty : public TIntegerProperty {
  FW_CLASS(TModalResultProperty)
public:
  using TIntegerProperty::TIntegerProperty;
  TPropertyAttributes GetAttributes() override {
    return {paValueList, paMultiSelect, paRevertable};
  }
  String GetValue() override;
  void GetValues(const TGetStrProc& proc) override;
  /// Empty text stores 0, a name its value (case ignored), anything else parses as an integer.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// Keyboard shortcuts as menus show them; 0 is "(None)".
class TShortCutProperty : public TIntegerProperty {
  FW_CLASS(TShortCutProperty)
public:
  using TIntegerProperty::TIntegerProperty;
  TPropertyAttributes GetAttributes() override {
    return {paValueList, paMultiSelect, paRevertable};
  }
  /// "(None)" for 0; a value whose key has no name shows as its number.
  String GetValue() override;
  /// "(None)", then OfferedShortCuts.
  void GetValues(const TGetStrProc& proc) override;
  /// Empty text or "(None)" (case ignored) stores 0; otherwise shortcut text, or the number a
  /// nameless value shows as. Raises EDesignPropertyError (SInvalidPropertyValue) for
  /// anything else.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// Character sets by identifier; one without identifier shows its number.
class TFontCharsetProperty : public TIntegerProperty {
  FW_CLASS(TFontCharsetProperty)
public:
  using TIntegerProperty::TIntegerProperty;
  TPropertyAttributes GetAttributes() override { return {paValueList, paMultiSelect, paSortList}; }
  String GetValue() override;
  void GetValues(const TGetStrProc& proc) override;
  /// A character set identifier, else integer text.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// Tab order: an integer without value list, multi-selection or revert (a position is not
/// shared between controls).
class TTabOrderProperty : public TIntegerProperty {
  FW_CLASS(TTabOrderProperty)
public:
  using TIntegerProperty::TIntegerProperty;
  TPropertyAttributes GetAttributes() override { return {}; }
};

// ---- Editors over strings --------------------------------------------------------------------

/// Font names, offered from the screen's installed fonts.
class TFontNameProperty : public TStringProperty, public ICustomPropertyListDrawing {
  FW_CLASS(TFontNameProperty)
public:
  using TStringProperty::TStringProperty;
  TPropertyAttributes GetAttributes() override {
    return {paValueList, paMultiSelect, paSortList, paRevertable};
  }
  void GetValues(const TGetStrProc& proc) override;
  /// With FontNamePropertyDisplayFontNames each name is measured (text width + 4, text height
  /// + 2) and drawn in its own typeface; otherwise the inspector's measure and drawing.
  void ListMeasureWidth(const String& value, TCanvas* canvas, Integer& width) override;
  void ListMeasureHeight(const String& value, TCanvas* canvas, Integer& height) override;
  void ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                     bool selected) override;
};

/// Input method names, offered from InstalledImeNames.
class TImeNameProperty : public TStringProperty {
  FW_CLASS(TImeNameProperty)
public:
  using TStringProperty::TStringProperty;
  TPropertyAttributes GetAttributes() override { return {paValueList, paMultiSelect, paSortList}; }
  void GetValues(const TGetStrProc& proc) override;
};

/// Captions and texts of controls: every keystroke is applied, so the control follows typing.
class TCaptionProperty : public TStringProperty {
  FW_CLASS(TCaptionProperty)
public:
  using TStringProperty::TStringProperty;
  TPropertyAttributes GetAttributes() override {
    return {paMultiSelect, paAutoUpdate, paRevertable};
  }
};

/// Media file names, picked with the file-open dialog.
class TMPFilenameProperty : public TStringProperty {
  FW_CLASS(TMPFilenameProperty)
public:
  using TStringProperty::TStringProperty;
  TPropertyAttributes GetAttributes() override { return {paDialog, paRevertable}; }
  /// The open dialog preset with the value and the media filter; a chosen name is stored.
  void Edit() override;
};

// ---- Fonts -----------------------------------------------------------------------------------

/// A control's font: its sub-properties, or the font dialog.
class TFontProperty : public TClassProperty {
  FW_CLASS(TFontProperty)
public:
  using TClassProperty::TClassProperty;
  TPropertyAttributes GetAttributes() override {
    return {paMultiSelect, paSubProperties, paDialog, paReadOnly};
  }
  /// The font dialog (help context 25000, existing fonts only) preset with the reference
  /// entry's font; on success its font is assigned to every entry's font.
  void Edit() override;
};

// ---- Utilities -------------------------------------------------------------------------------

/// The clipboard format of a single component, registered on first use (start-up uses it).
/// Component streams travel under CF_COMPONENTS (CopyStreamToClipboard, GetClipboardStream).
TClipboardFormat CF_COMPONENT();

/// The selection editors of `list` that take designer messages, in list order; an empty list
/// for a nil one.
IPtr<ISelectionMessageList> SelectionMessageListOf(const IPtr<ISelectionEditorList>& list);

// ---- Start-up --------------------------------------------------------------------------------

/// Registers the editors for the framework's types, the mapper that gives every set the
/// check-box elements, and the framework's structure-tree sprigs, under a package group of
/// their own. Needs the property editor hooks
/// filled (the registrations go through them); a second call does nothing.
void TarnEditorsStartup();
/// Withdraws what start-up registered.
void TarnEditorsShutdown();

} // namespace fw
