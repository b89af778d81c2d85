// Dialogs without a window: each asks a script for its answer. Tests and the command-line host
// queue answers; every question asked is logged, answered or not.
#pragma once

#include "basert/component.h"
#include "basert/strings.h"
#include "tarn/graphics.h"
#include "tarn/uitypes.h"

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace fw {

/// One queued answer. Which fields matter depends on the dialog that takes it.
struct TDialogAnswer {
  bool Accept = true;                     ///< Execute's result; false cancels
  TModalResult ModalResult = mrOk;        ///< message boxes and modal forms
  std::vector<String> FileNames{};        ///< file dialogs: the first is FileName
  std::optional<TColor> Color{};          ///< colour dialogs
  std::optional<String> FontName{};       ///< font dialogs
  std::optional<Integer> FontSize{};      ///< font dialogs
  std::optional<TFontStyles> FontStyle{}; ///< font dialogs
  std::optional<String> Text{};           ///< input queries
};

/// One question a dialog asked.
struct TDialogRequest {
  String Kind;  ///< "OpenDialog", "SaveDialog", "ColorDialog", "FontDialog", "MessageDlg",
                ///< "InputQuery", or what a caller names (a modal form's class name)
  String Title; ///< title or caption
  String Text;  ///< message, prompt or filter
  String Value; ///< preset value: file name, colour, font name or input text
  Integer HelpContext = 0;
  bool Answered = false;
};

/// The answers waiting and the questions asked.
class TDialogScript {
public:
  /// Queues an answer for the next dialog of that kind (empty: for any kind).
  void Push(const String& kind, TDialogAnswer answer);
  /// Logs the request and takes the oldest answer queued for its kind or for any kind.
  std::optional<TDialogAnswer> Ask(TDialogRequest request);
  const std::vector<TDialogRequest>& Log() const noexcept { return FLog; }
  Integer Pending() const noexcept { return static_cast<Integer>(FQueue.size()); }
  void Clear();

private:
  std::deque<std::pair<String, TDialogAnswer>> FQueue;
  std::vector<TDialogRequest> FLog;
};

TDialogScript& DialogScript();

// ---- Common dialogs ------------------------------------------------------------------------

class TCommonDialog : public TComponent {
  FW_CLASS(TCommonDialog)
public:
  explicit TCommonDialog(TComponent* owner);
  /// True when the scripted answer accepts; false when it cancels or none is queued.
  virtual bool Execute() = 0;
  Integer HelpContext = 0;
};

enum TOpenOption : std::uint8_t {
  ofReadOnly,
  ofOverwritePrompt,
  ofHideReadOnly,
  ofNoChangeDir,
  ofShowHelp,
  ofNoValidate,
  ofAllowMultiSelect,
  ofExtensionDifferent,
  ofPathMustExist,
  ofFileMustExist,
  ofCreatePrompt,
  ofShareAware,
  ofNoReadOnlyReturn,
  ofNoTestFileCreate,
  ofNoNetworkButton,
  ofNoLongNames,
  ofOldStyleDialog,
  ofNoDereferenceLinks,
  ofEnableIncludeNotify,
  ofEnableSizing,
  ofDontAddToRecent,
  ofForceShowHidden,
};
using TOpenOptions = TSet<TOpenOption>;
PTypeInfo TypeInfoOf(std::type_identity<TOpenOption>);
PTypeInfo TypeInfoOf(std::type_identity<TOpenOptions>);

/// The filter media file names are picked with.
inline constexpr std::string_view SMPOpenFilter =
    "All files (*.*)|*.*|Wave files (*.wav)|*.wav|Midi files (*.mid)|*.mid|"
    "Video for Windows (*.avi)|*.avi";

class TOpenDialog : public TCommonDialog {
  FW_CLASS(TOpenDialog)
public:
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;
  /// Sets FileName and Files from the answer; a name without extension gets DefaultExt.
  bool Execute() override;
  String DefaultExt;
  String FileName;
  String Filter;
  Integer FilterIndex = 1;
  String InitialDir;
  TOpenOptions Options = {ofHideReadOnly, ofEnableSizing};
  String Title;
  TStrings* Files() const noexcept { return FFiles.get(); }

protected:
  virtual String Kind() const { return "OpenDialog"; }

private:
  std::unique_ptr<TStringList> FFiles;
};

class TSaveDialog : public TOpenDialog {
  FW_CLASS(TSaveDialog)
public:
  explicit TSaveDialog(TComponent* owner);

protected:
  String Kind() const override { return "SaveDialog"; }
};

enum TColorDialogOption : std::uint8_t {
  cdFullOpen,
  cdPreventFullOpen,
  cdShowHelp,
  cdSolidColor,
  cdAnyColor,
};
using TColorDialogOptions = TSet<TColorDialogOption>;
PTypeInfo TypeInfoOf(std::type_identity<TColorDialogOption>);
PTypeInfo TypeInfoOf(std::type_identity<TColorDialogOptions>);

class TColorDialog : public TCommonDialog {
  FW_CLASS(TColorDialog)
public:
  explicit TColorDialog(TComponent* owner);
  ~TColorDialog() override;
  bool Execute() override;
  TColor Color = clBlack;
  TColorDialogOptions Options;
  /// "ColorA=RRGGBB" lines, kept as the caller sets them.
  TStrings* CustomColors() const noexcept { return FCustomColors.get(); }

private:
  std::unique_ptr<TStringList> FCustomColors;
};

enum TFontDialogOption : std::uint8_t {
  fdAnsiOnly,
  fdTrueTypeOnly,
  fdEffects,
  fdFixedPitchOnly,
  fdForceFontExist,
  fdNoFaceSel,
  fdNoOEMFonts,
  fdNoSimulations,
  fdNoSizeSel,
  fdNoStyleSel,
  fdNoVectorFonts,
  fdShowHelp,
  fdWysiwyg,
  fdLimitSize,
  fdScalableOnly,
  fdApplyButton,
};
using TFontDialogOptions = TSet<TFontDialogOption>;
PTypeInfo TypeInfoOf(std::type_identity<TFontDialogOption>);
PTypeInfo TypeInfoOf(std::type_identity<TFontDialogOptions>);

inline constexpr std::string_view sNoFontNamed = "Font %s does not exist";

class TFontDialog : public TCommonDialog {
  FW_CLASS(TFontDialog)
public:
  explicit TFontDialog(TComponent* owner);
  ~TFontDialog() override;
  /// Applies the answer's font fields to Font. With fdForceFontExist, an answer naming a font
  /// the screen does not have raises EInvalidOperation.
  bool Execute() override;
  TFont* GetFont() const noexcept { return FFont; }
  void SetFont(TFont* value) { FFont->Assign(value); }
  TFontDialogOptions Options = {fdEffects};

private:
  TFont* FFont;
};

// ---- Message boxes -------------------------------------------------------------------------

enum TMsgDlgType : std::uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : std::uint8_t {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
  mbClose,
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline constexpr TMsgDlgButtons mbYesNoCancel = {mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel = {mbOK, mbCancel};

/// The scripted modal result. Without an answer: mrCancel when Cancel is offered, else mrNo
/// when No is, else mrOk (what closing the box would give).
TModalResult MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                        Integer helpContext = 0);
void ShowMessage(const String& msg);
/// Sets `value` from the answer's Text and answers Accept; without an answer, false.
bool InputQuery(const String& caption, const String& prompt, String& value);

/// For modal forms: logs a request of kind `formClass` and answers the scripted modal result,
/// or mrCancel without an answer.
TModalResult ScriptedShowModal(const String& formClass, const String& caption);

} // namespace fw
