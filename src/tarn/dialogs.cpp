#include "tarn/dialogs.h"

#include "basert/classbuilder.h"
#include "basert/format.h"
#include "basert/sysutils.h"
#include "tarn/screen.h"

namespace fw {

// ---- Script --------------------------------------------------------------------------------

void TDialogScript::Push(const String& kind, TDialogAnswer answer) {
  FQueue.emplace_back(kind, std::move(answer));
}

std::optional<TDialogAnswer> TDialogScript::Ask(TDialogRequest request) {
  std::optional<TDialogAnswer> answer;
  for (auto it = FQueue.begin(); it != FQueue.end(); ++it)
    if (it->first.empty() || SameText(it->first, request.Kind)) {
      answer = std::move(it->second);
      FQueue.erase(it);
      break;
    }
  request.Answered = answer.has_value();
  FLog.push_back(std::move(request));
  return answer;
}

void TDialogScript::Clear() {
  FQueue.clear();
  FLog.clear();
}

TDialogScript& DialogScript() {
  static TDialogScript script;
  return script;
}

// ---- Type information ----------------------------------------------------------------------

PTypeInfo TypeInfoOf(std::type_identity<TOpenOption>) {
  static PTypeInfo t = MakeEnumType("TOpenOption", {"ofReadOnly",
                                                    "ofOverwritePrompt",
                                                    "ofHideReadOnly",
                                                    "ofNoChangeDir",
                                                    "ofShowHelp",
                                                    "ofNoValidate",
                                                    "ofAllowMultiSelect",
                                                    "ofExtensionDifferent",
                                                    "ofPathMustExist",
                                                    "ofFileMustExist",
                                                    "ofCreatePrompt",
                                                    "ofShareAware",
                                                    "ofNoReadOnlyReturn",
                                                    "ofNoTestFileCreate",
                                                    "ofNoNetworkButton",
                                                    "ofNoLongNames",
                                                    "ofOldStyleDialog",
                                                    "ofNoDereferenceLinks",
                                                    "ofEnableIncludeNotify",
                                                    "ofEnableSizing",
                                                    "ofDontAddToRecent",
                                                    "ofForceShowHidden"},
                                    "Dialogs");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TOpenOptions>) {
  static PTypeInfo t = MakeSetType("TOpenOptions", TypeInfo<TOpenOption>());
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TColorDialogOption>) {
  static PTypeInfo t = MakeEnumType(
      "TColorDialogOption",
      {"cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor"}, "Dialogs");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TColorDialogOptions>) {
  static PTypeInfo t = MakeSetType("TColorDialogOptions", TypeInfo<TColorDialogOption>());
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TFontDialogOption>) {
  static PTypeInfo t =
      MakeEnumType("TFontDialogOption",
                   {"fdAnsiOnly", "fdTrueTypeOnly", "fdEffects", "fdFixedPitchOnly",
                    "fdForceFontExist", "fdNoFaceSel", "fdNoOEMFonts", "fdNoSimulations",
                    "fdNoSizeSel", "fdNoStyleSel", "fdNoVectorFonts", "fdShowHelp", "fdWysiwyg",
                    "fdLimitSize", "fdScalableOnly", "fdApplyButton"},
                   "Dialogs");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TFontDialogOptions>) {
  static PTypeInfo t = MakeSetType("TFontDialogOptions", TypeInfo<TFontDialogOption>());
  return t;
}

// ---- TCommonDialog -------------------------------------------------------------------------

TClass TCommonDialog::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCommonDialog, TComponent>("TCommonDialog", "Dialogs")
          .Property("HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::HelpContext)
          .Default(0)
          .Build();
  return cls;
}

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}

// ---- TOpenDialog, TSaveDialog --------------------------------------------------------------

TClass TOpenDialog::StaticClass() {
  using D = TOpenDialog;
  static const TClass cls =
      TClassBuilder<TOpenDialog, TCommonDialog>("TOpenDialog", "Dialogs")
          .Property("DefaultExt", &D::DefaultExt, &D::DefaultExt)
          .Property("FileName", &D::FileName, &D::FileName)
          .Property("Filter", &D::Filter, &D::Filter)
          .Property("FilterIndex", &D::FilterIndex, &D::FilterIndex)
          .Default(1)
          .Property("InitialDir", &D::InitialDir, &D::InitialDir)
          .Property("Options", &D::Options, &D::Options)
          .Default(static_cast<Integer>(TOpenOptions{ofHideReadOnly, ofEnableSizing}.Mask()))
          .Property("Title", &D::Title, &D::Title)
          .Build();
  return cls;
}

TOpenDialog::TOpenDialog(TComponent* owner)
    : TCommonDialog(owner), FFiles(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() {
  auto answer = DialogScript().Ask({Kind(), Title, Filter, FileName, HelpContext});
  if (!answer || !answer->Accept || answer->FileNames.empty()) return false;
  FFiles->Clear();
  for (String name : answer->FileNames) {
    const auto slash = name.find_last_of("/\\");
    const auto dot = name.find_last_of('.');
    if (!DefaultExt.empty() && (dot == String::npos || (slash != String::npos && dot < slash)))
      name.append(".").append(std::string_view(DefaultExt).substr(DefaultExt[0] == '.' ? 1 : 0));
    FFiles->Add(name);
  }
  FileName = FFiles->Get(0);
  return true;
}

TClass TSaveDialog::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSaveDialog, TOpenDialog>("TSaveDialog", "Dialogs").Build();
  return cls;
}

TSaveDialog::TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

// ---- TColorDialog --------------------------------------------------------------------------

TClass TColorDialog::StaticClass() {
  using D = TColorDialog;
  static const TClass cls = TClassBuilder<TColorDialog, TCommonDialog>("TColorDialog", "Dialogs")
                                .Property("Color", &D::Color, &D::Color)
                                .Default(clBlack)
                                .Property("Options", &D::Options, &D::Options)
                                .Default(0)
                                .Build();
  return cls;
}

TColorDialog::TColorDialog(TComponent* owner)
    : TCommonDialog(owner), FCustomColors(std::make_unique<TStringList>()) {}
TColorDialog::~TColorDialog() = default;

bool TColorDialog::Execute() {
  auto answer = DialogScript().Ask({"ColorDialog", "", "", ColorToString(Color), HelpContext});
  if (!answer || !answer->Accept) return false;
  if (answer->Color) Color = *answer->Color;
  return true;
}

// ---- TFontDialog ---------------------------------------------------------------------------

TClass TFontDialog::StaticClass() {
  using D = TFontDialog;
  static const TClass cls = TClassBuilder<TFontDialog, TCommonDialog>("TFontDialog", "Dialogs")
                                .Property("Font", &D::GetFont, &D::SetFont)
                                .Property("Options", &D::Options, &D::Options)
                                .Default(static_cast<Integer>(TFontDialogOptions{fdEffects}.Mask()))
                                .Build();
  return cls;
}

TFontDialog::TFontDialog(TComponent* owner) : TCommonDialog(owner), FFont(New<TFont>()) {}
TFontDialog::~TFontDialog() { FFont->Free(); }

bool TFontDialog::Execute() {
  auto answer = DialogScript().Ask({"FontDialog", "", "", FFont->GetName(), HelpContext});
  if (!answer || !answer->Accept) return false;
  if (answer->FontName && Options.Contains(fdForceFontExist) &&
      Screen()->Fonts()->IndexOf(*answer->FontName) < 0)
    throw EInvalidOperation(Format(sNoFontNamed, {*answer->FontName}));
  if (answer->FontName) FFont->SetName(*answer->FontName);
  if (answer->FontSize) FFont->SetSize(*answer->FontSize);
  if (answer->FontStyle) FFont->SetStyle(*answer->FontStyle);
  if (answer->Color) FFont->SetColor(*answer->Color);
  return true;
}

// ---- Message boxes -------------------------------------------------------------------------

TModalResult MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                        Integer helpContext) {
  static constexpr const char* Captions[] = {"Warning", "Error", "Information", "Confirm", ""};
  auto answer = DialogScript().Ask({"MessageDlg", Captions[type], msg, "", helpContext});
  if (answer) return answer->ModalResult;
  if (buttons.Contains(mbCancel)) return mrCancel;
  if (buttons.Contains(mbNo)) return mrNo;
  return mrOk;
}

void ShowMessage(const String& msg) { MessageDlg(msg, mtCustom, {mbOK}); }

bool InputQuery(const String& caption, const String& prompt, String& value) {
  auto answer = DialogScript().Ask({"InputQuery", caption, prompt, value, 0});
  if (!answer || !answer->Accept) return false;
  if (answer->Text) value = *answer->Text;
  return true;
}

TModalResult ScriptedShowModal(const String& formClass, const String& caption) {
  auto answer = DialogScript().Ask({formClass, caption, "", "", 0});
  return answer ? answer->ModalResult : mrCancel;
}

} // namespace fw
