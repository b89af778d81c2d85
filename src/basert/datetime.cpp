#include "basert/datetime.h"

#include "basert/exceptions.h"
#include "basert/sysutils.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace fw {

namespace {

constexpr Word kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
/// Day number (0001-01-01 is 1) of 9999-12-31.
constexpr Int64 kMaxDayNumber = 3652059;

/// Splits a value into its day number (0001-01-01 is 1) and milliseconds of the day.
bool ToStamp(TDateTime v, Int64& dayNumber, Int64& msecs) noexcept {
  if (!std::isfinite(v) || std::fabs(v) > 4.0e6) return false;
  const Int64 total = std::llround(std::fabs(v) * MSecsPerDay);
  const Int64 days = total / MSecsPerDay;
  msecs = total % MSecsPerDay;
  dayNumber = DateDelta + (v < 0 ? -days : days);
  return true;
}

void DayNumberToDate(Int64 t, Word& year, Word& month, Word& day) noexcept {
  year = month = day = 0;
  if (t <= 0 || t > kMaxDayNumber) return;
  --t;
  Int64 y = 1 + 400 * (t / 146097);
  t %= 146097;
  Int64 i = t / 36524, d = t % 36524;
  if (i == 4) {
    i = 3;
    d += 36524;
  }
  y += i * 100;
  y += 4 * (d / 1461);
  d %= 1461;
  i = d / 365;
  d %= 365;
  if (i == 4) {
    i = 3;
    d += 365;
  }
  y += i;
  const Word* days = kMonthDays[IsLeapYear(static_cast<Word>(y))];
  int m = 0;
  while (d >= days[m])
    d -= days[m++];
  year = static_cast<Word>(y);
  month = static_cast<Word>(m + 1);
  day = static_cast<Word>(d + 1);
}

int CurrentYear() {
  Word y, m, d;
  DecodeDate(Date(), y, m, d);
  return y;
}

} // namespace

bool IsLeapYear(Word year) noexcept {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

Word DaysInAMonth(Word year, Word month) noexcept {
  return month >= 1 && month <= 12 ? kMonthDays[IsLeapYear(year)][month - 1] : 0;
}

Word DaysInMonth(TDateTime value) noexcept {
  Word y, m, d;
  DecodeDate(value, y, m, d);
  return DaysInAMonth(y, m);
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) noexcept {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInAMonth(year, month))
    return false;
  const Word* days = kMonthDays[IsLeapYear(year)];
  Int64 n = day;
  for (int m = 0; m < month - 1; ++m)
    n += days[m];
  const Int64 i = year - 1;
  date = static_cast<TDateTime>(n + i * 365 + i / 4 - i / 100 + i / 400 - DateDelta);
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime d;
  if (!TryEncodeDate(year, month, day, d)) throw EConvertError(sDateEncodeError);
  return d;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) noexcept {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
  time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime t;
  if (!TryEncodeTime(hour, min, sec, msec, t)) throw EConvertError(sTimeEncodeError);
  return t;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) noexcept {
  return date < 0 ? date - time : date + time;
}

void DecodeDate(TDateTime value, Word& year, Word& month, Word& day) noexcept {
  Int64 t, ms;
  if (!ToStamp(value, t, ms)) t = 0;
  DayNumberToDate(t, year, month, day);
}

void DecodeTime(TDateTime value, Word& hour, Word& min, Word& sec, Word& msec) noexcept {
  Int64 t, ms;
  if (!ToStamp(value, t, ms)) ms = 0;
  hour = static_cast<Word>(ms / 3600000);
  min = static_cast<Word>(ms / 60000 % 60);
  sec = static_cast<Word>(ms / 1000 % 60);
  msec = static_cast<Word>(ms % 1000);
}

void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour, Word& min,
                    Word& sec, Word& msec) noexcept {
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, min, sec, msec);
}

Word DayOfWeek(TDateTime value) noexcept {
  Int64 t, ms;
  if (!ToStamp(value, t, ms) || t <= 0) return 0;
  return static_cast<Word>(t % 7 + 1);
}

TDateTime Now() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&secs, &local);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  TDateTime d = 0, t = 0;
  TryEncodeDate(static_cast<Word>(local.tm_year + 1900), static_cast<Word>(local.tm_mon + 1),
                static_cast<Word>(local.tm_mday), d);
  TryEncodeTime(static_cast<Word>(local.tm_hour), static_cast<Word>(local.tm_min),
                static_cast<Word>(local.tm_sec > 59 ? 59 : local.tm_sec),
                static_cast<Word>(ms < 0 ? 0 : ms), t);
  return d + t;
}

TDateTime Date() { return std::floor(Now()); }

TDateTime Time() {
  const TDateTime n = Now();
  return n - std::floor(n);
}

// ---- Formatting ----

namespace {

constexpr char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

/// Nested formats (ddddd, c, t, ...) expand at most this deep.
constexpr int kMaxFormatNesting = 2;

/// The settings formats a format can name; a bit each, to see which are being expanded.
enum TNestedFormat : unsigned {
  nfShortDate = 1,
  nfLongDate = 2,
  nfShortTime = 4,
  nfLongTime = 8,
};

class TDateFormatter {
public:
  TDateFormatter(TDateTime value, const TFormatSettings& fs) : FSettings(fs), FValue(value) {
    DecodeDateTime(value, FYear, FMonth, FDay, FHour, FMin, FSec, FMSec);
  }

  String Run(std::string_view format) {
    Append(format, 0, 0);
    return std::move(FOut);
  }

private:
  const TFormatSettings& FSettings;
  TDateTime FValue;
  Word FYear, FMonth, FDay, FHour, FMin, FSec, FMSec;
  String FOut;

  void Number(unsigned v, int minDigits) {
    String s = IntToStr(v);
    if (static_cast<int>(s.size()) < minDigits)
      FOut.append(static_cast<std::size_t>(minDigits) - s.size(), '0');
    FOut.append(s);
  }

  bool HasTime() const { return FHour != 0 || FMin != 0 || FSec != 0 || FMSec != 0; }

  /// Whether an AM/PM marker follows position `i` (outside quotes).
  static bool TwelveHourClock(std::string_view f, std::size_t i) {
    for (; i < f.size(); ++i) {
      const char c = f[i];
      if (c == '\'' || c == '"') {
        const std::size_t close = f.find(c, i + 1);
        if (close == std::string_view::npos) return false;
        i = close;
      } else if (UpperChar(c) == 'A' && AmPmLength(f.substr(i)) > 0) {
        return true;
      }
    }
    return false;
  }

  /// Length of the AM/PM marker at the start of `f`, or 0.
  static std::size_t AmPmLength(std::string_view f) {
    for (std::string_view marker : {"am/pm", "a/p", "ampm"})
      if (f.size() >= marker.size() && SameText(f.substr(0, marker.size()), marker))
        return marker.size();
    return 0;
  }

  /// A settings format that names itself, directly or through another, expands to nothing
  /// there: otherwise each level multiplies the output by the format's length.
  void Nested(TNestedFormat which, int level, unsigned open) {
    if (open & which) return;
    const String& f = which == nfShortDate   ? FSettings.ShortDateFormat
                      : which == nfLongDate  ? FSettings.LongDateFormat
                      : which == nfShortTime ? FSettings.ShortTimeFormat
                                             : FSettings.LongTimeFormat;
    Append(f, level + 1, open | which);
  }

  void Append(std::string_view f, int level, unsigned open) {
    if (level > kMaxFormatNesting) return;
    char lastToken = ' ';
    std::size_t i = 0;
    while (i < f.size()) {
      const char c = f[i];
      if (c == '\'' || c == '"') {
        std::size_t close = f.find(c, i + 1);
        if (close == std::string_view::npos) close = f.size();
        FOut.append(f.substr(i + 1, close - i - 1));
        i = close + 1;
        continue;
      }
      char token = UpperChar(c);
      std::size_t count = 1;
      if (token >= 'A' && token <= 'Z') {
        while (i + count < f.size() && UpperChar(f[i + count]) == token)
          ++count;
        if (token == 'M' && lastToken == 'H') token = 'N';
        lastToken = token;
      }
      switch (token) {
      case 'Y':
        if (count <= 2)
          Number(FYear % 100, 2);
        else
          Number(FYear, 4);
        break;
      case 'M':
        if (count <= 2)
          Number(FMonth, static_cast<int>(count));
        else if (FMonth >= 1 && FMonth <= 12)
          FOut.append(count == 3 ? FSettings.ShortMonthNames[FMonth - 1]
                                 : FSettings.LongMonthNames[FMonth - 1]);
        break;
      case 'D':
        if (count <= 2) {
          Number(FDay, static_cast<int>(count));
        } else if (count <= 4) {
          const Word dow = DayOfWeek(FValue);
          if (dow >= 1)
            FOut.append(count == 3 ? FSettings.ShortDayNames[dow - 1]
                                   : FSettings.LongDayNames[dow - 1]);
        } else {
          Nested(count == 5 ? nfShortDate : nfLongDate, level, open);
        }
        break;
      case 'H': {
        unsigned h = FHour;
        if (TwelveHourClock(f, i + count)) {
          h %= 12;
          if (h == 0) h = 12;
        }
        Number(h, count >= 2 ? 2 : 1);
        break;
      }
      case 'N':
        Number(FMin, count >= 2 ? 2 : 1);
        break;
      case 'S':
        Number(FSec, count >= 2 ? 2 : 1);
        break;
      case 'Z':
        Number(FMSec, count >= 3 ? 3 : 1);
        break;
      case 'T':
        Nested(count == 1 ? nfShortTime : nfLongTime, level, open);
        break;
      case 'C':
        Nested(nfShortDate, level, open);
        if (HasTime()) {
          FOut.push_back(' ');
          Nested(nfLongTime, level, open);
        }
        break;
      case 'A':
        count = AppendAmPm(f.substr(i));
        break;
      case '/':
        if (FSettings.DateSeparator != '\0') FOut.push_back(FSettings.DateSeparator);
        break;
      case ':':
        if (FSettings.TimeSeparator != '\0') FOut.push_back(FSettings.TimeSeparator);
        break;
      default:
        FOut.append(f.substr(i, count));
        break;
      }
      i += count;
    }
  }

  /// Writes the marker at the start of `f` (or a plain "a") and answers its length.
  std::size_t AppendAmPm(std::string_view f) {
    const std::size_t len = AmPmLength(f);
    const bool pm = FHour >= 12;
    if (len == 4) {
      FOut.append(pm ? FSettings.TimePMString : FSettings.TimeAMString);
    } else if (len == 5) {
      FOut.append(f.substr(pm ? 3 : 0, 2));
    } else if (len == 3) {
      FOut.push_back(f[pm ? 2 : 0]);
    } else {
      FOut.push_back(f[0]);
      return 1;
    }
    return len;
  }
};

} // namespace

String FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& settings) {
  return TDateFormatter(value, settings).Run(format);
}

String DateToStr(TDateTime value, const TFormatSettings& settings) {
  return FormatDateTime("ddddd", value, settings);
}

String TimeToStr(TDateTime value, const TFormatSettings& settings) {
  return FormatDateTime("tt", value, settings);
}

String DateTimeToStr(TDateTime value, const TFormatSettings& settings) {
  return FormatDateTime("c", value, settings);
}

// ---- Parsing ----

namespace {

enum class TDateOrder { MDY, DMY, YMD };

TDateOrder DateOrderOf(std::string_view shortDateFormat) {
  for (char c : shortDateFormat) {
    switch (UpperChar(c)) {
    case 'D':
      return TDateOrder::DMY;
    case 'Y':
      return TDateOrder::YMD;
    case 'M':
      return TDateOrder::MDY;
    default:
      break;
    }
  }
  return TDateOrder::MDY;
}

class TDateScanner {
public:
  TDateScanner(std::string_view s, const TFormatSettings& fs) : FText(s), FSettings(fs) {}

  std::size_t Position() const { return FPos; }
  void Reset() { FPos = 0; }

  bool AtEnd() {
    SkipBlanks();
    return FPos == FText.size();
  }

  bool Date(TDateTime& date) {
    int n1, n2, n3 = 0, l1, l2, l3 = 0;
    if (!Number(n1, l1) || !Char(FSettings.DateSeparator) || !Number(n2, l2)) return false;
    const std::size_t afterTwo = FPos;
    const bool three = Char(FSettings.DateSeparator) && Number(n3, l3);
    if (!three) FPos = afterTwo;
    const TDateOrder order = DateOrderOf(FSettings.ShortDateFormat);
    int y, m, d, yearLen;
    if (!three) {
      y = CurrentYear();
      yearLen = 4;
      if (order == TDateOrder::DMY)
        d = n1, m = n2;
      else
        m = n1, d = n2;
    } else if (order == TDateOrder::MDY) {
      m = n1, d = n2, y = n3, yearLen = l3;
    } else if (order == TDateOrder::DMY) {
      d = n1, m = n2, y = n3, yearLen = l3;
    } else {
      y = n1, m = n2, d = n3, yearLen = l1;
    }
    if (yearLen <= 2) y = WindowYear(y);
    if (y > 9999 || m > 12 || d > 31) return false;
    return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), date);
  }

  bool Time(TDateTime& time) {
    int h, n = 0, s = 0, ms = 0, len;
    if (!Number(h, len)) return false;
    bool minutes = false;
    if (Char(FSettings.TimeSeparator)) {
      if (!Number(n, len)) return false;
      minutes = true;
      if (Char(FSettings.TimeSeparator)) {
        if (!Number(s, len)) return false;
        if (Char('.') || Char(FSettings.DecimalSeparator)) {
          if (!Number(ms, len)) return false;
        }
      }
    }
    const int half = AmPm();
    if (half < 0 && !minutes) return false;
    if (half >= 0) {
      if (h < 1 || h > 12) return false;
      h = h % 12 + (half == 1 ? 12 : 0);
    }
    if (h > 23 || n > 59 || s > 59 || ms > 999) return false;
    return TryEncodeTime(static_cast<Word>(h), static_cast<Word>(n), static_cast<Word>(s),
                         static_cast<Word>(ms), time);
  }

private:
  std::string_view FText;
  const TFormatSettings& FSettings;
  std::size_t FPos = 0;

  void SkipBlanks() {
    while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == '\t'))
      ++FPos;
  }

  /// Up to 9 digits after optional blanks; `len` counts them.
  bool Number(int& value, int& len) {
    SkipBlanks();
    value = len = 0;
    while (FPos < FText.size() && FText[FPos] >= '0' && FText[FPos] <= '9') {
      if (++len > 9) return false;
      value = value * 10 + (FText[FPos++] - '0');
    }
    return len > 0;
  }

  bool Char(char c) {
    SkipBlanks();
    if (FPos < FText.size() && FText[FPos] == c && c != '\0') {
      ++FPos;
      return true;
    }
    return false;
  }

  bool Text(std::string_view w) {
    if (w.empty() || FText.size() - FPos < w.size() || !SameText(FText.substr(FPos, w.size()), w))
      return false;
    FPos += w.size();
    return true;
  }

  /// 0 for an AM marker, 1 for PM, -1 when there is none.
  int AmPm() {
    SkipBlanks();
    if (Text(FSettings.TimeAMString) || Text("AM")) return 0;
    if (Text(FSettings.TimePMString) || Text("PM")) return 1;
    return -1;
  }

  int WindowYear(int y) const {
    const int base = CurrentYear() - FSettings.TwoDigitYearCenturyWindow;
    y += base / 100 * 100;
    if (FSettings.TwoDigitYearCenturyWindow > 0 && y < base) y += 100;
    return y;
  }
};

} // namespace

bool TryStrToDate(std::string_view s, TDateTime& value, const TFormatSettings& settings) noexcept {
  TDateScanner sc(s, settings);
  TDateTime d;
  if (!sc.Date(d) || !sc.AtEnd()) return false;
  value = d;
  return true;
}

TDateTime StrToDate(std::string_view s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToDate(s, v, settings)) throw EConvertError(Format(SInvalidDate, s));
  return v;
}

TDateTime StrToDateDef(std::string_view s, TDateTime def,
                       const TFormatSettings& settings) noexcept {
  TDateTime v;
  return TryStrToDate(s, v, settings) ? v : def;
}

bool TryStrToTime(std::string_view s, TDateTime& value, const TFormatSettings& settings) noexcept {
  TDateScanner sc(s, settings);
  TDateTime t;
  if (!sc.Time(t) || !sc.AtEnd()) return false;
  value = t;
  return true;
}

TDateTime StrToTime(std::string_view s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToTime(s, v, settings)) throw EConvertError(Format(SInvalidTime, s));
  return v;
}

TDateTime StrToTimeDef(std::string_view s, TDateTime def,
                       const TFormatSettings& settings) noexcept {
  TDateTime v;
  return TryStrToTime(s, v, settings) ? v : def;
}

bool TryStrToDateTime(std::string_view s, TDateTime& value,
                      const TFormatSettings& settings) noexcept {
  TDateScanner sc(s, settings);
  TDateTime d = 0, t = 0;
  if (sc.Date(d)) {
    if (!sc.AtEnd() && (!sc.Time(t) || !sc.AtEnd())) return false;
    value = ComposeDateTime(d, t);
    return true;
  }
  sc.Reset();
  if (!sc.Time(t) || !sc.AtEnd()) return false;
  value = t;
  return true;
}

TDateTime StrToDateTime(std::string_view s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToDateTime(s, v, settings)) throw EConvertError(Format(SInvalidDateTime, s));
  return v;
}

TDateTime StrToDateTimeDef(std::string_view s, TDateTime def,
                           const TFormatSettings& settings) noexcept {
  TDateTime v;
  return TryStrToDateTime(s, v, settings) ? v : def;
}

} // namespace fw
