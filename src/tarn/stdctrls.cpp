#include "tarn/stdctrls.h"

#include "tarn/forms.h"
#include "tarn/publishing.h"

#include <algorithm>

namespace fw {

PTypeInfo TypeInfoOf(std::type_identity<TAlignment>) {
  static PTypeInfo t =
      MakeEnumType("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}, "Classes");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TCheckBoxState>) {
  static PTypeInfo t =
      MakeEnumType("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}, "StdCtrls");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TScrollStyle>) {
  static PTypeInfo t =
      MakeEnumType("TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}, "StdCtrls");
  return t;
}

Integer TextBaseline(const TControl* control, TTextLayout layout) {
  const TFont* font = control->Font();
  const Integer top = control->NonClientExtent().Top + font->Ascent() + 1;
  switch (layout) {
  case tlTop:
    return top;
  case tlCenter:
    return top + (control->ClientHeight() - font->TextHeight()) / 2;
  case tlBottom:
    return control->ClientHeight() - font->TextHeight() + font->Ascent() + 1;
  }
  return top;
}

// ---- TLabel ------------------------------------------------------------------------------------

TClass TLabel::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TLabel, TGraphicControl> b("TLabel", "StdCtrls");
    detail::PublishPlacement(b);
    b.Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment)
        .Default(taLeftJustify)
        .Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize)
        .Default(true)
        .Property("Caption", &TLabel::Caption, &TLabel::SetCaption);
    detail::PublishColor(b, clBtnFace);
    detail::PublishStateAndFont(b);
    b.Property("Layout", &TLabel::Layout, &TLabel::SetLayout).Default(tlTop);
    detail::PublishParents(b, true);
    b.Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent)
        .Default(false)
        .Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)
        .Default(false);
    detail::PublishVisibleAndEvents(b);
    return b.Build();
  }();
  return cls;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  FControlStyle.Include(controlReplicatable);
  SetParentColor(true);
  SetBounds(0, 0, 65, 13);
  AdjustBounds();
}

void TLabel::SetText(const String& value) {
  TGraphicControl::SetText(value);
  AdjustBounds();
}

void TLabel::SetAutoSize(bool value) {
  FAutoSize = value;
  AdjustBounds();
}

void TLabel::SetWordWrap(bool value) {
  FWordWrap = value;
  AdjustBounds();
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::ParentFontChanged() {
  TGraphicControl::ParentFontChanged();
  AdjustBounds();
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || Loading()) return;
  const String& text = Caption();
  // An empty caption still measures one blank, as the text drawing does.
  const Integer w = FWordWrap ? Width() : Font()->TextWidth(text.empty() ? " " : text);
  Integer h = Font()->TextHeight();
  if (FWordWrap && w > 0) {
    const Integer lines = (Font()->TextWidth(text) + w - 1) / w;
    h *= std::max(lines, 1);
  }
  // A right-aligned label keeps its right edge.
  const Integer left = FAlignment == taRightJustify ? Left() + Width() - w : Left();
  SetBounds(left, Top(), w, h);
}

// ---- TButton -----------------------------------------------------------------------------------

TClass TButton::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TButton, TWinControl> b("TButton", "StdCtrls");
    detail::PublishAction(b);
    detail::PublishPlacement(b);
    b.Property("Cancel", &TButton::Cancel, &TButton::SetCancel)
        .Default(false)
        .Property("Caption", &TButton::Caption, &TButton::SetCaption)
        .Stored(&TButton::IsCaptionStored)
        .Property("Default", &TButton::Default, &TButton::SetDefault)
        .Default(false);
    detail::PublishStateAndFont(b);
    b.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(mrNone);
    b.Property("ParentFont", &TButton::ParentFont, &TButton::SetParentFont).Default(true);
    detail::PublishTabs(b, true);
    detail::PublishVisibleAndEvents(b);
    return b.Build();
  }();
  return cls;
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  FControlStyle = {controlSetCaption, controlDoubleClicks};
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

void TButton::Click() {
  if (FModalResult != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TWinControl::Click();
}

// ---- TCheckBox ---------------------------------------------------------------------------------

TClass TCheckBox::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TCheckBox, TWinControl> b("TCheckBox", "StdCtrls");
    detail::PublishAction(b);
    detail::PublishPlacement(b);
    b.Property("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed)
        .Default(false)
        .Property("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption)
        .Stored(&TCheckBox::IsCaptionStored)
        .Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked)
        .Default(false);
    detail::PublishColor(b, clBtnFace);
    detail::PublishStateAndFont(b);
    detail::PublishParents(b);
    b.Property("State", &TCheckBox::State, &TCheckBox::SetState).Default(cbUnchecked);
    detail::PublishTabs(b, true);
    detail::PublishVisibleAndEvents(b);
    return b.Build();
  }();
  return cls;
}

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  FControlStyle = {controlSetCaption, controlDoubleClicks};
  SetTabStop(true);
  SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetState(TCheckBoxState value) {
  if (value == cbGrayed && !FAllowGrayed && !Loading()) value = cbUnchecked;
  FState = value;
}

void TCheckBox::Click() {
  switch (FState) {
  case cbUnchecked:
    FState = cbChecked;
    break;
  case cbChecked:
    FState = FAllowGrayed ? cbGrayed : cbUnchecked;
    break;
  case cbGrayed:
    FState = cbUnchecked;
    break;
  }
  TWinControl::Click();
}

// ---- TEdit -------------------------------------------------------------------------------------

TClass TEdit::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TEdit, TWinControl> b("TEdit", "StdCtrls");
    detail::PublishPlacement(b);
    detail::PublishColor(b, clWindow);
    detail::PublishStateAndFont(b);
    b.Property("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength)
        .Default(0)
        .Property("PasswordChar", &TEdit::PasswordChar, &TEdit::SetPasswordChar)
        .Default(0);
    detail::PublishParents(b);
    b.Property("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly).Default(false);
    detail::PublishTabs(b, true);
    b.Property("Text", &TEdit::GetText, &TEdit::SetText);
    b.Property("TextHint", &TEdit::TextHint, &TEdit::SetTextHint);
    detail::PublishVisibleAndEvents(b);
    b.Property("OnChange", &TEdit::OnChange, &TEdit::OnChange);
    return b.Build();
  }();
  return cls;
}

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  FControlStyle = {controlCaptureMouse, controlClickEvents, controlSetCaption, controlDoubleClicks,
                   controlFixedHeight};
  FColor = clWindow;
  SetTabStop(true);
  SetBounds(0, 0, 121, 21);
}

void TEdit::SetText(const String& value) {
  String text = value;
  if (FMaxLength > 0 && static_cast<Integer>(text.size()) > FMaxLength)
    text.resize(static_cast<std::size_t>(FMaxLength));
  if (text == GetText()) return;
  TWinControl::SetText(text);
  if (!Loading()) OnChange(this);
}

void TEdit::SetMaxLength(Integer value) {
  FMaxLength = std::max(value, 0);
  SetText(GetText());
}

// ---- TMemo -------------------------------------------------------------------------------------

TClass TMemo::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TMemo, TWinControl> b("TMemo", "StdCtrls");
    detail::PublishPlacement(b);
    detail::PublishColor(b, clWindow);
    detail::PublishStateAndFont(b);
    b.Property("Lines", &TMemo::Lines, &TMemo::SetLines);
    detail::PublishParents(b);
    b.Property("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly)
        .Default(false)
        .Property("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars)
        .Default(ssNone);
    detail::PublishTabs(b, true);
    detail::PublishVisibleAndEvents(b);
    b.Property("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap).Default(true);
    return b.Build();
  }();
  return cls;
}

TMemo::TMemo(TComponent* owner) : TWinControl(owner), FLines(new TStringList) {
  FColor = clWindow;
  SetTabStop(true);
  SetBounds(0, 0, 185, 89);
}

TMemo::~TMemo() = default;

void TMemo::SetText(const String& value) { FLines->SetText(value); }

void TMemo::SetName(const String& newName) {
  // The memo shows its lines: only a single line (or none) can still read as the name.
  const Integer n = FLines->Count();
  const bool follow = n <= 1 && TextFollowsName(n == 0 ? String() : FLines->Get(0));
  TComponent::SetName(newName);
  if (follow) SetText(newName);
}

// ---- TListBox ----------------------------------------------------------------------------------

TClass TListBox::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TListBox, TWinControl> b("TListBox", "StdCtrls");
    detail::PublishPlacement(b);
    detail::PublishColor(b, clWindow);
    detail::PublishStateAndFont(b);
    b.Property("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight)
        .Default(13)
        .Property("Items", &TListBox::Items, &TListBox::SetItems)
        .Property("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect)
        .Default(false);
    detail::PublishParents(b);
    b.Property("Sorted", &TListBox::Sorted, &TListBox::SetSorted).Default(false);
    detail::PublishTabs(b, true);
    detail::PublishVisibleAndEvents(b);
    return b.Build();
  }();
  return cls;
}

TListBox::TListBox(TComponent* owner) : TWinControl(owner), FItems(new TStringList) {
  FColor = clWindow;
  SetTabStop(true);
  SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() = default;

Integer TListBox::ItemIndex() const {
  return FItemIndex >= 0 && FItemIndex < FItems->Count() ? FItemIndex : -1;
}

Integer TListBox::ItemAtPos(TPoint pos) const {
  if (pos.X < 0 || pos.X >= ClientWidth() || pos.Y < 0 || pos.Y >= ClientHeight()) return -1;
  const Integer i = pos.Y / FItemHeight;
  return i < FItems->Count() ? i : -1;
}

} // namespace fw
