#include "DateTime.h"

#include <gtest/gtest.h>

TEST(DateTimeEncode, DayNumbersCountFromTheEndOf1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  EXPECT_EQ(EncodeDate(2024, 2, 29) - EncodeDate(2024, 2, 28), 1.0);
}

TEST(DateTimeEncode, InvalidDatesAndTimesAreRefused) {
  TDateTime dt = 5;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, dt));
  EXPECT_FALSE(TryEncodeDate(2024, 13, 1, dt));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, dt));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, dt));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, dt));
  EXPECT_FALSE(TryEncodeTime(1, 60, 0, 0, dt));
  EXPECT_FALSE(TryEncodeTime(1, 0, 0, 1000, dt));
  EXPECT_EQ(dt, 5);
  EXPECT_EQ(EncodeDate(2023, 2, 29), 0.0);
  EXPECT_TRUE(TryEncodeDate(1600, 2, 29, dt));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, dt));
}

TEST(DateTimeDecode, RoundTripsEveryDayAcrossCenturies) {
  for (TDateTime n = EncodeDate(1, 1, 1); n <= EncodeDate(9999, 12, 31); n += 97) {
    int y, m, d;
    DecodeDate(n, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), n) << y << "-" << m << "-" << d;
  }
}

TEST(DateTimeDecode, TimeOfDayComesBackToTheMillisecond) {
  TDateTime dt = EncodeDate(2024, 3, 9) + EncodeTime(23, 59, 59, 999);
  int h, n, s, ms;
  DecodeTime(dt, h, n, s, ms);
  EXPECT_EQ(h, 23);
  EXPECT_EQ(n, 59);
  EXPECT_EQ(s, 59);
  EXPECT_EQ(ms, 999);
  // Negative day numbers keep the time as a positive fraction.
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(h, 6);
}

TEST(DateTimeSystemTime, ConvertsBothWaysWithWeekday) {
  SYSTEMTIME st = {};
  st.wYear = 2024;
  st.wMonth = 1;
  st.wDay = 15;
  st.wHour = 8;
  st.wMinute = 30;
  TDateTime dt = SystemTimeToDateTime(st);
  SYSTEMTIME back = DateTimeToSystemTime(dt);
  EXPECT_EQ(back.wYear, 2024);
  EXPECT_EQ(back.wMonth, 1);
  EXPECT_EQ(back.wDay, 15);
  EXPECT_EQ(back.wHour, 8);
  EXPECT_EQ(back.wMinute, 30);
  EXPECT_EQ(back.wDayOfWeek, 1);  // a Monday
}

TEST(DateTimeNow, DateIsTodayWithoutTime) {
  TDateTime d = Date();
  EXPECT_EQ(d, (double)(long long)d);
  EXPECT_GE(Now(), d);
  EXPECT_LT(Now(), d + 1.01);
}

TEST(FormatDateTime, WritesNumbersAndQuotedText) {
  TDateTime dt = EncodeDate(2024, 3, 9) + EncodeTime(7, 5, 3, 42);
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss", dt), "2024/03/09 07:05:03");
  EXPECT_EQ(FormatDateTime("yy/m/d h:n:s.zzz", dt), "24/3/9 7:5:3.042");
  EXPECT_EQ(FormatDateTime("\"at\" hh'h'", dt), "at 07h");
  EXPECT_EQ(FormatDateTime("YYYYMMDD", dt), "20240309");
}

TEST(FormatDateTime, MonthLetterAfterHourMeansMinutes) {
  TDateTime dt = EncodeDate(2024, 3, 9) + EncodeTime(7, 45, 0, 0);
  EXPECT_EQ(FormatDateTime("hh:mm", dt), "07:45");
  EXPECT_EQ(FormatDateTime("mm hh", dt), "03 07");
}

TEST(FormatDateTime, JapaneseTextKeepsItsTrailBytes) {
  TDateTime dt = EncodeDate(2024, 3, 9);
  // 月 is 0x8C 0x8E; 日 is 0x93 0xFA; a trail byte in the letter range must not be read.
  EXPECT_EQ(FormatDateTime("m月d日", dt), "3月9日");
  EXPECT_EQ(FormatDateTime("\x83\x59", dt), "\x83\x59");  // ズ, trail byte 'Y'
}
