#include "FeedDates.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const int kJapan = 9 * 60;

TDateTime At(int y, int mo, int d, int h, int mi, int s = 0) {
  return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0);
}

// Day numbers compared to the second.
void ExpectSameTime(TDateTime expected, TDateTime actual) {
  EXPECT_NEAR(expected, actual, 0.5 / 86400.0) << FormatDateTime("yyyy/mm/dd hh:nn:ss", actual);
}

}  // namespace

TEST(MonthFromName, KnowsTheTwelveNamesInAnyCase) {
  EXPECT_EQ(1, MonthFromName("jan"));
  EXPECT_EQ(12, MonthFromName("DEC"));
  EXPECT_EQ(5, MonthFromName("May"));
  EXPECT_EQ(0, MonthFromName("dex"));
  EXPECT_EQ(0, MonthFromName(""));
}

TEST(Rfc822Date, GmtBecomesLocalTimeThroughTheBias) {
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("Sat, 07 Dec 2024 01:00:00 GMT", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 1, 0), ParseFeedDate("Sat, 07 Dec 2024 01:00:00 GMT", true, 0));
  ExpectSameTime(At(2024, 12, 6, 20, 0), ParseFeedDate("Sat, 07 Dec 2024 01:00:00 GMT", true, -300));
}

TEST(Rfc822Date, NumericZonesCountTheirMinutes) {
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("Sat, 07 Dec 2024 10:00:00 +0900", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 9, 30), ParseFeedDate("Sat, 07 Dec 2024 10:00:00 +0930", true, kJapan));
  ExpectSameTime(At(2024, 12, 8, 0, 0), ParseFeedDate("Sat, 07 Dec 2024 10:00:00 -0500", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("Sat, 07 Dec 2024 00:30:00 +0000", true, 570));
}

TEST(Rfc822Date, NamedZonesAreKnownOffsets) {
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("Sat, 07 Dec 2024 10:00:00 JST", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 1, 0), ParseFeedDate("Sat, 07 Dec 2024 10:00:00 JST", true, 0));
  ExpectSameTime(At(2024, 12, 8, 0, 0), ParseFeedDate("Sat, 07 Dec 2024 10:00:00 EST", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 19, 0), ParseFeedDate("Sat, 07 Dec 2024 10:00:00 Z", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 19, 0), ParseFeedDate("Sat, 07 Dec 2024 10:00:00 UT", true, kJapan));
  // A letter the table does not know is taken as UTC.
  ExpectSameTime(At(2024, 12, 7, 19, 0), ParseFeedDate("Sat, 07 Dec 2024 10:00:00 XYZ", true, kJapan));
}

TEST(Rfc822Date, OneDigitDayAndMissingWeekdayAreRead) {
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("Sat, 7 Dec 2024 10:00:00 +0900", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("07 Dec 2024 10:00:00 +0900", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("7 Dec 2024 10:00:00 +0900", true, kJapan));
}

TEST(Rfc822Date, LooseFormsSeenInFeeds) {
  // No seconds, a two-digit year, a full month name, a trailing comment.
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("Sat, 07 Dec 2024 01:00 GMT", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("Sat, 07 Dec 24 01:00:00 GMT", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("Saturday, 07 December 2024 01:00:00 GMT", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("Sat, 07 Dec 2024 01:00:00 +0000 (UTC)", true, kJapan));
  ExpectSameTime(At(1999, 1, 2, 3, 4, 5), ParseFeedDate("Sat, 02 Jan 99 03:04:05", true, kJapan));
}

TEST(Rfc822Date, WithoutTimeOrZoneItIsLocalTime) {
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("Sat, 07 Dec 2024 10:00:00", true, kJapan));
  ExpectSameTime(At(2024, 12, 7, 0, 0), ParseFeedDate("Sat, 07 Dec 2024", true, kJapan));
}

TEST(Rfc822Date, HourTwentyFourIsMidnightOfTheNextDay) {
  ExpectSameTime(At(2024, 12, 8, 0, 0), ParseFeedDate("Sat, 07 Dec 2024 24:00:00 +0900", true, kJapan));
}

TEST(W3cDate, ZoneIsConvertedToLocalTime) {
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("2024-12-07T10:00:00+09:00", false, kJapan));
  ExpectSameTime(At(2024, 12, 7, 19, 0), ParseFeedDate("2024-12-07T10:00:00Z", false, kJapan));
  ExpectSameTime(At(2024, 12, 7, 19, 0), ParseFeedDate("2024-12-07T10:00Z", false, kJapan));
  ExpectSameTime(At(2024, 12, 7, 19, 0), ParseFeedDate("2024-12-07T10:00:00.123Z", false, kJapan));
  ExpectSameTime(At(2024, 12, 8, 0, 0), ParseFeedDate("2024-12-07T10:00:00-05:00", false, kJapan));
  ExpectSameTime(At(2024, 12, 7, 9, 30), ParseFeedDate("2024-12-07T10:00:00+0930", false, kJapan));
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("2024-12-07T10:00:00 JST", false, kJapan));
}

TEST(W3cDate, WithoutZoneItIsLocalTime) {
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("2024-12-07T10:00", false, kJapan));
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("2024-12-07T10:00:00", false, 0));
  ExpectSameTime(At(2024, 12, 7, 0, 0), ParseFeedDate("2024-12-07", false, kJapan));
  ExpectSameTime(At(2024, 12, 1, 0, 0), ParseFeedDate("2024-12", false, kJapan));
}

TEST(FeedDate, SlashAndDotDatesAreReadInBothNotations) {
  for (bool rfc822 : {false, true}) {
    ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("2024/12/07 10:00:00", rfc822, kJapan));
    ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("2024/12/07 10:00", rfc822, 0));
    ExpectSameTime(At(2024, 12, 7, 0, 0), ParseFeedDate("2024.12.07", rfc822, kJapan));
    ExpectSameTime(At(2024, 1, 2, 3, 4), ParseFeedDate("2024/1/2 3:04", rfc822, kJapan));
    ExpectSameTime(At(2024, 12, 7, 19, 0), ParseFeedDate("2024/12/07T10:00:00Z", rfc822, kJapan));
    ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate("2024.12.07 10:00 +0900", rfc822, kJapan));
  }
  // Forms that are no date the feeds' notations know give no date, never 1 January.
  for (const char* text : {"20241207T100000Z", "20241207", "2024/12", "2024.12", "2024/12-07",
                           "2024/12/071", "2024/13/01", "2024-12-071"}) {
    EXPECT_EQ(0, ParseFeedDate(text, false, kJapan)) << text;
    EXPECT_EQ(0, ParseFeedDate(text, true, kJapan)) << text;
  }
}

TEST(FeedDate, GarbageGivesZero) {
  const char* const garbage[] = {"", "   ", "abc", "Sat, 07 Xyz 2024 10:00:00 GMT",
                                 "Sat, 32 Dec 2024 10:00:00 GMT", "Sat, 07 Dec 2024 25:00:00 GMT",
                                 "Sat, 07 Dec 2024 10:61:00 GMT", "Sat, 00 Dec 2024 10:00:00 GMT",
                                 "Sat, 07 Dec 2024 10:00:00 +9999", "Sat, Dec", "\x01\x02\x7f",
                                 "\x82\xa0\x82\xa2"};
  for (const char* text : garbage) {
    EXPECT_EQ(0, ParseFeedDate(text, true, kJapan)) << text;
  }
  const char* const w3cGarbage[] = {"", "24-12-07", "2024-13-07T10:00:00Z", "2024-02-30",
                                    "2024-12-07T10:00:00+25:00", "Sat, 07 Dec 2024", "1850-01-01"};
  for (const char* text : w3cGarbage) {
    EXPECT_EQ(0, ParseFeedDate(text, false, kJapan)) << text;
  }
}

TEST(FeedDate, NotationsDoNotMix) {
  EXPECT_EQ(0, ParseFeedDate("2024-12-07T10:00:00Z", true, kJapan));
  EXPECT_EQ(0, ParseFeedDate("Sat, 07 Dec 2024 10:00:00 GMT", false, kJapan));
}

TEST(FeedDate, HugeTextIsReadFromItsStart) {
  std::string text = "2024-12-07T10:00:00+09:00" + std::string(4 << 20, 'x');
  ExpectSameTime(At(2024, 12, 7, 10, 0), ParseFeedDate(text, false, kJapan));
  EXPECT_EQ(0, ParseFeedDate(std::string(4 << 20, '9'), true, kJapan));
}

TEST(FeedDate, ProcessBiasIsTheSystemZone) {
  TIME_ZONE_INFORMATION tz = {};
  DWORD state = GetTimeZoneInformation(&tz);
  ASSERT_NE(TIME_ZONE_ID_INVALID, state);
  int minutes = LocalTimeBiasMinutes();
  EXPECT_EQ(LocalBiasMinutes(), minutes);
  EXPECT_EQ(minutes / 60, LocalTimeBiasHours());
  ExpectSameTime(At(2024, 12, 7, 10, 0) + minutes / 1440.0,
                 ParseFeedDate("2024-12-07T10:00:00Z", false));
}

TEST(HoursBetween, CountsWholeHoursInEitherDirection) {
  TDateTime now = At(2024, 12, 7, 10, 0);
  EXPECT_EQ(30, HoursBetween(now, now - 30 / 24.0));
  EXPECT_EQ(30, HoursBetween(now, now + 30 / 24.0));
  EXPECT_EQ(23, HoursBetween(now, now - (24 * 60 - 1) / 1440.0));
  EXPECT_EQ(24, HoursBetween(now, now - 1.0));
  EXPECT_EQ(0, HoursBetween(now, now));
}

TEST(FeedDate, CheckBoundsAreTheirCalendarDays) {
  EXPECT_EQ(EncodeDate(1980, 1, 1), EarliestFeedDate);
  EXPECT_EQ(EncodeDate(2080, 12, 31), LatestFeedDate);
}
