#include "frameworkeditors/dateeditor.h"

#include "basert/classbuilder.h"
#include "basert/datetime.h"
#include "tarn/shortcuts.h"

#include <cmath>

namespace fw {

namespace {

constexpr std::string_view sUnitName = "TarnEditors";
/// Rows of a month: its title, the day names and six weeks.
constexpr Integer CalendarRows = 8;
constexpr Integer CalendarBorder = 2;

/// IProperty80 of a date editor: everything else is the editor's own.
class TDateDropDownEdit : public TInterfacedObject, public IProperty80 {
  FW_CLASS(TDateDropDownEdit)
public:
  explicit TDateDropDownEdit(tarneditors::TDateProperty* owner) : FEditor(owner), FOwner(owner) {}
  HResult QueryInterface(const TGUID& iid, void** obj) override {
    if (iid == IProperty80::IID) return TInterfacedObject::QueryInterface(iid, obj);
    return FOwner->QueryInterface(iid, obj);
  }
  void Edit(const IPtr<IPropertyHost>& host, bool dblClick) override {
    if (dblClick)
      FOwner->Edit();
    else
      FEditor->DropDown(host);
  }
  void Activate() override { FOwner->Activate(); }
  bool AllEqual() override { return FOwner->AllEqual(); }
  bool AutoFill() override { return FOwner->AutoFill(); }
  void Edit() override { FOwner->Edit(); }
  bool HasInstance(TPersistent* instance) override { return FOwner->HasInstance(instance); }
  TPropertyAttributes GetAttributes() override { return FOwner->GetAttributes(); }
  Integer GetEditLimit() override { return FOwner->GetEditLimit(); }
  bool GetEditValue(String& value) override { return FOwner->GetEditValue(value); }
  String GetName() override { return FOwner->GetName(); }
  void GetProperties(const TGetPropProc& proc) override { FOwner->GetProperties(proc); }
  PPropInfo GetPropInfo() override { return FOwner->GetPropInfo(); }
  PTypeInfo GetPropType() override { return FOwner->GetPropType(); }
  String GetValue() override { return FOwner->GetValue(); }
  void GetValues(const TGetStrProc& proc) override { FOwner->GetValues(proc); }
  void Revert() override { FOwner->Revert(); }
  void SetValue(const String& value) override { FOwner->SetValue(value); }
  bool ValueAvailable() override { return FOwner->ValueAvailable(); }

private:
  tarneditors::TDateProperty* FEditor; // kept alive by FOwner
  IPtr<IProperty> FOwner;
};

TClass TDateDropDownEdit::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDateDropDownEdit, TInterfacedObject>("TDateDropDownEdit", sUnitName)
          .Implements<IProperty80>()
          .Build();
  return cls;
}

} // namespace

// ---- TDropDownCalendar -------------------------------------------------------------------------

TClass TDropDownCalendar::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDropDownCalendar, TWinControl>("TDropDownCalendar", sUnitName).Build();
  return cls;
}

TDropDownCalendar::TDropDownCalendar(TComponent* owner) : TWinControl(owner) {}

void TDropDownCalendar::SetDate(TDateTime value) { FDate = std::trunc(value); }

TPoint TDropDownCalendar::MinimumSize() const {
  const Integer cellWidth = Font()->TextWidth("Wed") + 8;
  const Integer cellHeight = Font()->TextHeight() + 4;
  return {7 * cellWidth + 2 * CalendarBorder, CalendarRows * cellHeight + 2 * CalendarBorder};
}

void TDropDownCalendar::KeyDown(Word& key, TShiftState) {
  switch (key) {
  case VK_LEFT:
    SetDate(FDate - 1);
    break;
  case VK_RIGHT:
    SetDate(FDate + 1);
    break;
  case VK_UP:
    SetDate(FDate - 7);
    break;
  case VK_DOWN:
    SetDate(FDate + 7);
    break;
  case VK_RETURN:
    Pick();
    break;
  default:
    return;
  }
  key = 0;
}

void TDropDownCalendar::Pick() {
  if (OnPick) OnPick(FDate);
}

// ---- TDateProperty -----------------------------------------------------------------------------

namespace tarneditors {

TClass TDateProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDateProperty, ::fw::TDateProperty>("TDateProperty", sUnitName).Build();
  return cls;
}

TDateProperty::~TDateProperty() = default;

TPropertyAttributes TDateProperty::GetAttributes() {
  TPropertyAttributes a = ::fw::TDateProperty::GetAttributes();
  a.Include(paCustomDropDown);
  return a;
}

HResult TDateProperty::QueryInterface(const TGUID& iid, void** obj) {
  if (iid != IProperty80::IID) return ::fw::TDateProperty::QueryInterface(iid, obj);
  IProperty80* edit = New<TDateDropDownEdit>(this);
  edit->_AddRef();
  *obj = edit;
  return S_OK;
}

void TDateProperty::DropDown(const IPtr<IPropertyHost>& host) {
  FCalendar.reset(New<TDropDownCalendar>(nullptr));
  const TDateTime value = GetFloatValue();
  FCalendar->SetDate(value == 0 ? Date() : value);
  const TPoint size = FCalendar->MinimumSize();
  FCalendar->SetBounds(0, 0, size.X, size.Y);
  FCalendar->OnPick = [this, host](TDateTime date) {
    SetFloatValue(date);
    if (host) host->CloseDropDown();
  };
  if (host) host->DropDownControl(FCalendar.get());
}

} // namespace tarneditors

} // namespace fw
