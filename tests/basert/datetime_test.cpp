#include "basert/datetime.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

using namespace fw;
using fwtest::MessageOf;

namespace {
TDateTime At(Word y, Word mo, Word d, Word h = 0, Word mi = 0, Word s = 0, Word ms = 0) {
  return ComposeDateTime(EncodeDate(y, mo, d), EncodeTime(h, mi, s, ms));
}

using TParts = std::array<Word, 7>; // year, month, day, hour, minute, second, millisecond
TParts Parts(TDateTime v) {
  TParts p;
  DecodeDateTime(v, p[0], p[1], p[2], p[3], p[4], p[5], p[6]);
  return p;
}
} // namespace

TEST(Calendar, EncodesDaysSinceTheEpochWithLeapYears) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  EXPECT_DOUBLE_EQ(EncodeTime(23, 59, 59, 999), (MSecsPerDay - 1.0) / MSecsPerDay);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DaysInAMonth(1900, 2), 28);
  EXPECT_EQ(DaysInAMonth(2023, 4), 30);
  EXPECT_EQ(DaysInAMonth(2023, 13), 0);
  EXPECT_EQ(DaysInMonth(EncodeDate(2000, 2, 10)), 29);
}

TEST(Calendar, RejectsImpossibleDatesAndTimes) {
  TDateTime v = 42;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, v));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, v));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, v));
  EXPECT_FALSE(TryEncodeDate(2023, 0, 1, v));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, v));
  EXPECT_EQ(v, 42);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(25, 0, 0, 0), EConvertError);
}

TEST(Calendar, DecodeInvertsEncodeAcrossTheRange) {
  for (TDateTime v = -693593; v <= 2958465; v += 997) {
    Word y, m, d;
    DecodeDate(v, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), v);
  }
  EXPECT_EQ(Parts(At(2024, 2, 29, 13, 4, 5, 7)), (TParts{2024, 2, 29, 13, 4, 5, 7}));
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2); // a Monday
  EXPECT_EQ(DayOfWeek(0), 7);                      // 1899-12-30 was a Saturday
}

TEST(Calendar, NegativeValuesCountForwardAndOutOfRangeOnesDecodeAsZeros) {
  EXPECT_EQ(Parts(-1.25), (TParts{1899, 12, 29, 6, 0, 0, 0}));
  EXPECT_DOUBLE_EQ(At(1899, 12, 29, 6), -1.25);
  EXPECT_EQ(Parts(-0.5), (TParts{1899, 12, 30, 12, 0, 0, 0})); // still the epoch day, at noon

  for (TDateTime v : {1e300, -1e12, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(Parts(v), TParts{});
    EXPECT_NO_THROW(DateTimeToStr(v));
  }
}

TEST(Calendar, ClockIsConsistent) {
  const TDateTime before = Now();
  const TDateTime d = Date(), t = Time();
  EXPECT_EQ(d, std::floor(d));
  EXPECT_GE(t, 0);
  EXPECT_LT(t, 1);
  EXPECT_GE(d, std::floor(before));
  EXPECT_GT(d, EncodeDate(2020, 1, 1));
}

TEST(DateText, DefaultConversions) {
  EXPECT_EQ(DateToStr(At(2024, 3, 5)), "3/5/2024");
  EXPECT_EQ(TimeToStr(At(2024, 3, 5, 9, 4, 5)), "09:04:05");
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5, 13, 4, 5)), "3/5/2024 13:04:05");
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5)), "3/5/2024"); // midnight omits the time
  EXPECT_EQ(DateTimeToStr(0), "12/30/1899");
}

TEST(DateText, FormatSpecifiersAndTwelveHourClock) {
  const TDateTime v = At(2024, 3, 5, 13, 4, 5, 7);
  EXPECT_EQ(FormatDateTime("d dd ddd dddd", v), "5 05 Tue Tuesday");
  EXPECT_EQ(FormatDateTime("m mm mmm mmmm", v), "3 03 Mar March");
  EXPECT_EQ(FormatDateTime("yy yyyy y", v), "24 2024 24");
  EXPECT_EQ(FormatDateTime("h hh n nn s ss z zzz", v), "13 13 4 04 5 05 7 007");
  EXPECT_EQ(FormatDateTime("hh:mm", v), "13:04"); // m after h is minutes
  EXPECT_EQ(FormatDateTime("mm hh:mm", v), "03 13:04");
  EXPECT_EQ(FormatDateTime("ddddd|dddddd", v), "3/5/2024|Tuesday, March 5, 2024");
  EXPECT_EQ(FormatDateTime("t|tt|c", v), "13:04|13:04:05|3/5/2024 13:04:05");
  EXPECT_EQ(FormatDateTime("YYYY-MM-DD", v), "2024-03-05");
  EXPECT_EQ(FormatDateTime("'d is' d \"mm\" x!", v), "d is 5 mm x!");
  EXPECT_EQ(FormatDateTime("'open", v), "open"); // an unclosed quote runs to the end

  EXPECT_EQ(FormatDateTime("h:nn am/pm", At(2024, 1, 1, 13, 4)), "1:04 pm");
  EXPECT_EQ(FormatDateTime("h:nn AM/PM", At(2024, 1, 1, 0, 30)), "12:30 AM");
  EXPECT_EQ(FormatDateTime("hh a/p", At(2024, 1, 1, 12)), "12 p");
  EXPECT_EQ(FormatDateTime("h ampm", At(2024, 1, 1, 9)), "9 AM");
  EXPECT_EQ(FormatDateTime("h 'am/pm'", At(2024, 1, 1, 15)), "15 am/pm"); // quoted: no effect
  EXPECT_EQ(FormatDateTime("aa", At(2024, 1, 1, 15)), "aa");
}

TEST(DateText, SettingsFormatsThatNameThemselvesExpandOnce) {
  const TDateTime v = At(2024, 3, 5, 13, 4, 5);
  TFormatSettings fs;
  fs.ShortDateFormat = "yyyy ddddd";
  EXPECT_EQ(FormatDateTime("ddddd", v, fs), "2024 ");
  fs.ShortDateFormat = "yyyy dddddd";
  fs.LongDateFormat = "mm/c";
  EXPECT_EQ(FormatDateTime("ddddd", v, fs), "2024 03/ ");
  EXPECT_EQ(FormatDateTime("c", v, fs), "2024 03/  13:04:05");
  fs.LongTimeFormat = "hh t";
  fs.ShortTimeFormat = "nn tt";
  EXPECT_EQ(FormatDateTime("tt", v, fs), "13 04 ");

  // A format used as its own short date format must not grow with the cube of its length.
  std::string text;
  for (int i = 0; i < 200; ++i)
    text += "ddddd ";
  fs.ShortDateFormat = text;
  EXPECT_EQ(FormatDateTime(text, v, fs).size(), 200u * 201u);
}

TEST(DateText, SettingsDriveSeparatorsAndNames) {
  TFormatSettings fs;
  fs.DateSeparator = '-';
  fs.TimeSeparator = '.';
  fs.ShortDateFormat = "dd/mm/yyyy";
  fs.LongTimeFormat = "hh:nn";
  fs.LongMonthNames[2] = "Maerz";
  const TDateTime v = At(2024, 3, 5, 13, 4);
  EXPECT_EQ(DateTimeToStr(v, fs), "05-03-2024 13.04");
  EXPECT_EQ(FormatDateTime("mmmm", v, fs), "Maerz");
  fs.ShortDateFormat = "c"; // refers to itself: expansion stops
  EXPECT_NO_THROW(DateToStr(v, fs));
}

TEST(DateText, ParsesInTheShortDateOrderWithTheCenturyWindow) {
  EXPECT_EQ(StrToDate("3/5/2024"), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDate(" 3 / 5 / 2024 "), EncodeDate(2024, 3, 5));
  TFormatSettings dmy;
  dmy.ShortDateFormat = "dd.mm.yyyy";
  dmy.DateSeparator = '.';
  EXPECT_EQ(StrToDate("05.03.2024", dmy), EncodeDate(2024, 3, 5));
  TFormatSettings ymd;
  ymd.ShortDateFormat = "yyyy-mm-dd";
  ymd.DateSeparator = '-';
  EXPECT_EQ(StrToDate("2024-03-05", ymd), EncodeDate(2024, 3, 5));
  Word cy, m, d;
  DecodeDate(Date(), cy, m, d);
  EXPECT_EQ(StrToDate("2/3"), EncodeDate(cy, 2, 3)); // no year: this one
  EXPECT_EQ(StrToDate("2.3", dmy), EncodeDate(cy, 3, 2));

  TFormatSettings fs;
  for (int yy : {0, 1, 49, 50, 99}) {
    Word y;
    DecodeDate(StrToDate("1/1/" + std::to_string(yy), fs), y, m, d);
    EXPECT_EQ(y % 100, yy);
    EXPECT_GE(y, cy - 50);
    EXPECT_LT(y, cy + 50);
  }
  fs.TwoDigitYearCenturyWindow = 0;
  Word y;
  DecodeDate(StrToDate("1/1/99", fs), y, m, d);
  EXPECT_EQ(y, cy / 100 * 100 + 99);
  DecodeDate(StrToDate("1/1/0099", fs), y, m, d); // four digits are taken literally
  EXPECT_EQ(y, 99);
}

TEST(DateText, ParsesTimes) {
  EXPECT_DOUBLE_EQ(StrToTime("13:04:05"), EncodeTime(13, 4, 5, 0));
  EXPECT_DOUBLE_EQ(StrToTime("13:04"), EncodeTime(13, 4, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("13:04:05.250"), EncodeTime(13, 4, 5, 250));
  EXPECT_DOUBLE_EQ(StrToTime("1:04 pm"), EncodeTime(13, 4, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:00 AM"), 0);
  EXPECT_DOUBLE_EQ(StrToTime("12 PM"), 0.5);
  for (const char* bad :
       {"", "10", "24:00", "10:60", "10:00:60", "13:00 PM", "0 AM", "10:", "10:00 xm", "10::00"}) {
    TDateTime v = 7;
    EXPECT_FALSE(TryStrToTime(bad, v)) << bad;
    EXPECT_EQ(v, 7);
  }
}

TEST(DateText, ParsesDateTimesAndRoundTrips) {
  EXPECT_DOUBLE_EQ(StrToDateTime("3/5/2024 13:04:05"), At(2024, 3, 5, 13, 4, 5));
  EXPECT_DOUBLE_EQ(StrToDateTime("3/5/2024"), EncodeDate(2024, 3, 5));
  EXPECT_DOUBLE_EQ(StrToDateTime("13:04"), EncodeTime(13, 4, 0, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime("12/29/1899 06:00"), -1.25);
  for (TDateTime v : {At(2024, 3, 5, 13, 4, 5), At(1, 1, 1, 23, 59, 59), At(1850, 6, 1, 12),
                      At(9999, 12, 31, 0, 0, 1)})
    EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(v)), v) << DateTimeToStr(v);
  TDateTime v;
  EXPECT_FALSE(TryStrToDateTime("3/5/2024 junk", v));
  EXPECT_FALSE(TryStrToDateTime("3/5/2024 13", v));
  EXPECT_EQ(StrToDateTimeDef("", 9), 9);
}

TEST(DateText, ErrorsNameTheText) {
  for (const char* bad : {"", "x", "2/30/2024", "13/1/2024", "1/2/3/4", "1/2/99999", "1-2-2024"}) {
    TDateTime v;
    EXPECT_FALSE(TryStrToDate(bad, v)) << bad;
  }
  EXPECT_EQ(MessageOf<EConvertError>([] { StrToDate("2/30/2024"); }),
            "'2/30/2024' is not a valid date");
  EXPECT_EQ(MessageOf<EConvertError>([] { StrToTime("25:00"); }), "'25:00' is not a valid time");
  EXPECT_EQ(MessageOf<EConvertError>([] { StrToDateTime("soon"); }),
            "'soon' is not a valid date and time");
  EXPECT_EQ(StrToDateDef("x", 1.5), 1.5);
  EXPECT_EQ(StrToTimeDef("x", 0.5), 0.5);
}
