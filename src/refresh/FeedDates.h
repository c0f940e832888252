// Dates as feeds write them: RFC 822 (pubDate) and W3C/ISO 8601 (dc:date,
// Atom), turned into local day numbers.
#pragma once
#include <string>

#include "classlib/DateTime.h"

extern const TDateTime EarliestFeedDate;  // 1980-01-01
extern const TDateTime LatestFeedDate;    // 2080-12-31

// 1..12 for "jan".."dec" (any letter case), 0 otherwise.
int MonthFromName(const std::string& name);

// Local time minus UTC, from the system's time-zone information (daylight
// saving included when in effect); 9 hours when the system has no zone.
int LocalTimeBiasMinutes();
int LocalTimeBiasHours();
// The bias read once for the process.
int LocalBiasMinutes();

// 0 when the text cannot be read. A text with a zone is converted to local
// time with biasMinutes; a text without a zone is taken as local time.
TDateTime ParseFeedDate(const std::string& text, bool rfc822, int biasMinutes);
TDateTime ParseFeedDate(const std::string& text, bool rfc822);

// Whole hours between two day numbers, whichever comes first.
int HoursBetween(TDateTime a, TDateTime b);
