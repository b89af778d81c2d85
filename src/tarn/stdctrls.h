// The standard controls: buttons, labels, edits, memos, check boxes and list boxes.
#pragma once

#include "basert/strings.h"
#include "tarn/controls.h"

namespace fw {

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TCheckBoxState : std::uint8_t { cbUnchecked, cbChecked, cbGrayed };
enum TScrollStyle : std::uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
PTypeInfo TypeInfoOf(std::type_identity<TAlignment>);
PTypeInfo TypeInfoOf(std::type_identity<TCheckBoxState>);
PTypeInfo TypeInfoOf(std::type_identity<TScrollStyle>);

/// The baseline of one line of `control`'s text laid out at `layout` in its client area.
Integer TextBaseline(const TControl* control, TTextLayout layout);

class TLabel : public TGraphicControl {
  FW_CLASS(TLabel)
public:
  explicit TLabel(TComponent* owner);
  /// With AutoSize the label takes the size of its caption.
  void SetText(const String& value) override;
  bool AutoSize() const noexcept { return FAutoSize; }
  void SetAutoSize(bool value);
  TAlignment Alignment() const noexcept { return FAlignment; }
  void SetAlignment(TAlignment value) { FAlignment = value; }
  TTextLayout Layout() const noexcept { return FLayout; }
  void SetLayout(TTextLayout value) { FLayout = value; }
  bool WordWrap() const noexcept { return FWordWrap; }
  void SetWordWrap(bool value);
  bool Transparent() const noexcept { return FTransparent; }
  void SetTransparent(bool value) { FTransparent = value; }
  Integer GetTextBaseline() const override { return TextBaseline(this, FLayout); }
  void Loaded() override;

protected:
  void ParentFontChanged() override;

private:
  void AdjustBounds();
  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FTransparent = false;
};

class TButton : public TWinControl {
  FW_CLASS(TButton)
public:
  explicit TButton(TComponent* owner);
  bool Default() const noexcept { return FDefault; }
  void SetDefault(bool value) { FDefault = value; }
  bool Cancel() const noexcept { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  TModalResult ModalResult() const noexcept { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  /// Passes a modal result to the button's form, then fires OnClick.
  void Click() override;
  Integer GetTextBaseline() const override { return TextBaseline(this, tlCenter); }

private:
  bool FDefault = false;
  bool FCancel = false;
  TModalResult FModalResult = mrNone;
};

class TCheckBox : public TWinControl {
  FW_CLASS(TCheckBox)
public:
  explicit TCheckBox(TComponent* owner);
  bool Checked() const noexcept { return FState == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const noexcept { return FState; }
  /// Grayed only with AllowGrayed (otherwise it becomes unchecked).
  void SetState(TCheckBoxState value);
  bool AllowGrayed() const noexcept { return FAllowGrayed; }
  void SetAllowGrayed(bool value) { FAllowGrayed = value; }
  /// Steps the state (unchecked, checked, grayed when allowed), then fires OnClick.
  void Click() override;
  Integer GetTextBaseline() const override { return TextBaseline(this, tlCenter); }

private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
};

/// A one-line text box with a two-pixel sunken border.
class TEdit : public TWinControl {
  FW_CLASS(TEdit)
public:
  explicit TEdit(TComponent* owner);
  void SetText(const String& value) override;
  Integer MaxLength() const noexcept { return FMaxLength; }
  /// Shortens the text to the new length (0: unlimited).
  void SetMaxLength(Integer value);
  bool ReadOnly() const noexcept { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  char PasswordChar() const noexcept { return FPasswordChar; }
  void SetPasswordChar(char value) { FPasswordChar = value; }
  /// Shown greyed while the edit is empty.
  const String& TextHint() const noexcept { return FTextHint; }
  void SetTextHint(const String& value) { FTextHint = value; }
  TRect NonClientExtent() const override { return {2, 2, 2, 2}; }
  Integer GetTextBaseline() const override { return TextBaseline(this, tlTop); }
  TNotifyEvent OnChange;

private:
  Integer FMaxLength = 0;
  bool FReadOnly = false;
  char FPasswordChar = 0;
  String FTextHint;
};

/// A multi-line text box: its text is its Lines.
class TMemo : public TWinControl {
  FW_CLASS(TMemo)
public:
  explicit TMemo(TComponent* owner);
  ~TMemo() override;
  TStrings* Lines() const noexcept { return FLines.get(); }
  void SetLines(TStrings* value) { FLines->Assign(value); }
  void SetText(const String& value) override;
  String Text() const { return FLines->Text(); }
  void SetName(const String& newName) override;
  TScrollStyle ScrollBars() const noexcept { return FScrollBars; }
  void SetScrollBars(TScrollStyle value) { FScrollBars = value; }
  bool WordWrap() const noexcept { return FWordWrap; }
  void SetWordWrap(bool value) { FWordWrap = value; }
  bool ReadOnly() const noexcept { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  TRect NonClientExtent() const override { return {2, 2, 2, 2}; }

private:
  TOwned<TStringList> FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FReadOnly = false;
};

class TListBox : public TWinControl {
  FW_CLASS(TListBox)
public:
  explicit TListBox(TComponent* owner);
  ~TListBox() override;
  TStrings* Items() const noexcept { return FItems.get(); }
  void SetItems(TStrings* value) { FItems->Assign(value); }
  /// -1 for none; values out of range select nothing.
  Integer ItemIndex() const;
  void SetItemIndex(Integer value) { FItemIndex = value; }
  bool Sorted() const noexcept { return FItems->Sorted(); }
  void SetSorted(bool value) { FItems->SetSorted(value); }
  bool MultiSelect() const noexcept { return FMultiSelect; }
  void SetMultiSelect(bool value) { FMultiSelect = value; }
  Integer ItemHeight() const noexcept { return FItemHeight; }
  void SetItemHeight(Integer value) { FItemHeight = value > 0 ? value : FItemHeight; }
  /// The item under a client point, or -1.
  Integer ItemAtPos(TPoint pos) const;
  TRect NonClientExtent() const override { return {2, 2, 2, 2}; }

private:
  TOwned<TStringList> FItems;
  Integer FItemIndex = -1;
  bool FMultiSelect = false;
  Integer FItemHeight = 13;
};

} // namespace fw
