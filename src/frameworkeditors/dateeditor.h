// The date editor with a month calendar dropped down from the inspector row.
#pragma once

#include "designeditors/stdeditors.h"
#include "tarn/controls.h"

#include <functional>

namespace fw {

/// A month calendar as a drop-down: one date, moved by the arrow keys, picked by Enter or a
/// double-click.
class TDropDownCalendar : public TWinControl {
  FW_CLASS(TDropDownCalendar)
public:
  explicit TDropDownCalendar(TComponent* owner);
  TDateTime GetDate() const noexcept { return FDate; }
  /// Keeps the date part only.
  void SetDate(TDateTime value);
  /// The smallest size that shows a whole month: seven day columns, a title row, a row of day
  /// names and six weeks, each cell wide enough for a day name in the control's font.
  TPoint MinimumSize() const;
  /// Left and right move a day, up and down a week; Enter picks the date. Other keys are left
  /// alone; a handled key becomes 0.
  void KeyDown(Word& key, TShiftState shift);
  void DblClick() { Pick(); }
  /// Called with the date picked.
  std::function<void(TDateTime date)> OnPick;

private:
  void Pick();
  TDateTime FDate = 0;
};

namespace tarneditors {

/// Dates, also chosen from a calendar dropped down from the row.
class TDateProperty : public ::fw::TDateProperty {
  FW_CLASS(TDateProperty)
public:
  using ::fw::TDateProperty::TDateProperty;
  ~TDateProperty() override;
  TPropertyAttributes GetAttributes() override;
  /// Answers IProperty80 too, through a companion object: the standard editors already carry
  /// IProperty once, so this class cannot inherit it again.
  HResult QueryInterface(const TGUID& iid, void** obj) override;
  /// Drops down a calendar sized to its minimum size, showing the value (today for an empty
  /// one); the date picked in it is written to every entry and closes the drop-down.
  void DropDown(const IPtr<IPropertyHost>& host);
  /// The calendar of the last drop-down, while the editor lives.
  TDropDownCalendar* Calendar() const noexcept { return FCalendar.get(); }

private:
  TOwned<TDropDownCalendar> FCalendar;
};

} // namespace tarneditors

} // namespace fw
