// Dates and times as TDateTime: encoding, the clock, and text in both directions.
#pragma once

#include "basert/format.h"
#include "basert/types.h"

#include <string_view>

namespace fw {

// Resource strings.
inline constexpr std::string_view SInvalidDate = "'%s' is not a valid date";
inline constexpr std::string_view SInvalidTime = "'%s' is not a valid time";
inline constexpr std::string_view SInvalidDateTime = "'%s' is not a valid date and time";
inline constexpr std::string_view sDateEncodeError = "Invalid argument to date encode";
inline constexpr std::string_view sTimeEncodeError = "Invalid argument to time encode";

inline constexpr int HoursPerDay = 24;
inline constexpr int MinsPerDay = HoursPerDay * 60;
inline constexpr int SecsPerDay = MinsPerDay * 60;
inline constexpr int MSecsPerDay = SecsPerDay * 1000;
/// Days from 0001-01-01 (day 1) to 1899-12-30 (TDateTime zero).
inline constexpr int DateDelta = 693594;

bool IsLeapYear(Word year) noexcept;
/// Days in `month` (1 to 12) of `year`; 0 for a month out of range.
Word DaysInAMonth(Word year, Word month) noexcept;
/// Days in the month of `value`.
Word DaysInMonth(TDateTime value) noexcept;

/// Year 1 to 9999, month 1 to 12, day within the month; anything else fails (and EncodeDate
/// raises EConvertError sDateEncodeError).
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) noexcept;
TDateTime EncodeDate(Word year, Word month, Word day);
/// Hour below 24, minute and second below 60, millisecond below 1000; otherwise fails (and
/// EncodeTime raises EConvertError sTimeEncodeError).
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) noexcept;
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
/// A date plus a time of day; for a date before 1899-12-30 the time is subtracted, since the
/// fraction of a negative value counts forwards from midnight.
TDateTime ComposeDateTime(TDateTime date, TDateTime time) noexcept;

/// The date part: the whole days, truncated towards zero. Values outside years 1 to 9999
/// (or not finite) decode as all zeros.
void DecodeDate(TDateTime value, Word& year, Word& month, Word& day) noexcept;
/// The time of day, rounded to the millisecond; the fraction of a negative value counts as
/// positive (-1.25 is 06:00). A fraction that rounds up to a whole day is midnight.
void DecodeTime(TDateTime value, Word& hour, Word& min, Word& sec, Word& msec) noexcept;
void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour, Word& min,
                    Word& sec, Word& msec) noexcept;
/// 1 for Sunday to 7 for Saturday.
Word DayOfWeek(TDateTime value) noexcept;

/// The local clock.
TDateTime Now();
TDateTime Date();
TDateTime Time();

/// Text of `value` by `format`: d dd ddd dddd (day, short and long day name), ddddd dddddd
/// (short and long date format), m mm mmm mmmm (month; minutes when right after h or hh),
/// yy yyyy, h hh, n nn, s ss, z zzz, t tt (short and long time format), c (short date and,
/// unless it is midnight, long time), am/pm a/p (as written) and ampm (the settings' texts)
/// switching h to a 12-hour clock, '/' and ':' as the settings' separators, text in single or
/// double quotes verbatim. Letters are case-insensitive; other characters are copied.
String FormatDateTime(std::string_view format, TDateTime value,
                      const TFormatSettings& settings = FormatSettings);
/// The short date format.
String DateToStr(TDateTime value, const TFormatSettings& settings = FormatSettings);
/// The long time format.
String TimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings);
/// The short date, then the long time unless the time is midnight.
String DateTimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings);

/// Date text: two or three numbers separated by the date separator, in the order of the
/// short date format (day, month and year in whichever order it names them). Two numbers are
/// month and day (day and month for day-first formats) of the current year; a year of one or
/// two digits is placed by the settings' century window. Surrounding blanks are allowed.
/// StrToDate raises EConvertError (SInvalidDate).
TDateTime StrToDate(std::string_view s, const TFormatSettings& settings = FormatSettings);
TDateTime StrToDateDef(std::string_view s, TDateTime def,
                       const TFormatSettings& settings = FormatSettings) noexcept;
bool TryStrToDate(std::string_view s, TDateTime& value,
                  const TFormatSettings& settings = FormatSettings) noexcept;
/// Time text: "h:n[:s[.z]]" with the time separator (milliseconds after "." or the decimal
/// separator), optionally followed by the settings' AM/PM texts or "AM"/"PM" (any case), with
/// which a bare hour is allowed and the hour must be 1 to 12. StrToTime raises EConvertError
/// (SInvalidTime).
TDateTime StrToTime(std::string_view s, const TFormatSettings& settings = FormatSettings);
TDateTime StrToTimeDef(std::string_view s, TDateTime def,
                       const TFormatSettings& settings = FormatSettings) noexcept;
bool TryStrToTime(std::string_view s, TDateTime& value,
                  const TFormatSettings& settings = FormatSettings) noexcept;
/// A date optionally followed by blanks and a time, or a time alone. StrToDateTime raises
/// EConvertError (SInvalidDateTime).
TDateTime StrToDateTime(std::string_view s, const TFormatSettings& settings = FormatSettings);
TDateTime StrToDateTimeDef(std::string_view s, TDateTime def,
                           const TFormatSettings& settings = FormatSettings) noexcept;
bool TryStrToDateTime(std::string_view s, TDateTime& value,
                      const TFormatSettings& settings = FormatSettings) noexcept;

} // namespace fw
