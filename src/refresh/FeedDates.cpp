#include "FeedDates.h"

#include <climits>
#include <cmath>
#include <cstring>

const TDateTime EarliestFeedDate = 29221;  // 1980-01-01
const TDateTime LatestFeedDate = 66111;    // 2080-12-31

namespace {

const char* const kMonthNames[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                     "jul", "aug", "sep", "oct", "nov", "dec"};

struct NamedZone {
  const char* name;
  int minutes;
};

// RFC 822 names plus the few others seen in Japanese and European feeds.
// Military letters other than Z are unreliable in practice and count as UTC.
const NamedZone kNamedZones[] = {
    {"UT", 0},       {"UTC", 0},      {"GMT", 0},     {"Z", 0},       {"EST", -300},
    {"EDT", -240},   {"CST", -360},   {"CDT", -300},  {"MST", -420},  {"MDT", -360},
    {"PST", -480},   {"PDT", -420},   {"JST", 540},   {"KST", 540},   {"CET", 60},
    {"CEST", 120},   {"BST", 60},     {"AEST", 600},  {"AEDT", 660},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

// Reads 1..maxDigits digits; false when there is none.
bool ReadNumber(const std::string& s, size_t& pos, int maxDigits, int& value, int* digits = nullptr) {
  int n = 0;
  value = 0;
  while (pos < s.size() && IsDigit(s[pos]) && n < maxDigits) {
    value = value * 10 + (s[pos] - '0');
    ++pos;
    ++n;
  }
  if (digits) *digits = n;
  return n > 0;
}

std::string ReadWord(const std::string& s, size_t& pos) {
  size_t start = pos;
  while (pos < s.size() && IsAlpha(s[pos])) ++pos;
  return s.substr(start, pos - start);
}

void SkipBlanks(const std::string& s, size_t& pos) {
  while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\r' || s[pos] == '\n'))
    ++pos;
}

void SkipSeparators(const std::string& s, size_t& pos, const char* separators) {
  while (pos < s.size() && std::strchr(separators, s[pos]) && s[pos] != '\0') ++pos;
}

enum class ZoneResult { None, Zone, Bad };

// "+0930", "-05:00", "+09", "Z", "GMT", "JST"...; an unknown name counts as UTC.
ZoneResult ReadZone(const std::string& s, size_t& pos, int& minutes) {
  minutes = 0;
  SkipBlanks(s, pos);
  if (pos >= s.size()) return ZoneResult::None;
  char c = s[pos];
  if (c == '+' || c == '-') {
    ++pos;
    int digits = 0, value = 0, hours = 0, mins = 0;
    if (!ReadNumber(s, pos, 4, value, &digits)) return ZoneResult::Bad;
    if (digits == 4 || digits == 3) {
      hours = value / 100;
      mins = value % 100;
    } else {
      hours = value;
      if (pos < s.size() && s[pos] == ':') {
        ++pos;
        if (!ReadNumber(s, pos, 2, mins)) return ZoneResult::Bad;
      }
    }
    if (hours > 23 || mins > 59) return ZoneResult::Bad;
    minutes = hours * 60 + mins;
    if (c == '-') minutes = -minutes;
    return ZoneResult::Zone;
  }
  if (!IsAlpha(c)) return ZoneResult::None;
  std::string word = ReadWord(s, pos);
  for (char& ch : word) ch = Upper(ch);
  for (const NamedZone& zone : kNamedZones) {
    if (word == zone.name) {
      minutes = zone.minutes;
      return ZoneResult::Zone;
    }
  }
  return ZoneResult::Zone;
}

struct DateParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool hasZone = false;
  int zoneMinutes = 0;
};

// hh:mm[:ss[.fraction]]; false when the text is not a time.
bool ReadTime(const std::string& s, size_t& pos, DateParts& parts) {
  size_t p = pos;
  if (!ReadNumber(s, p, 2, parts.hour) || p >= s.size() || s[p] != ':') return false;
  ++p;
  if (!ReadNumber(s, p, 2, parts.minute)) return false;
  if (p < s.size() && s[p] == ':') {
    ++p;
    if (!ReadNumber(s, p, 2, parts.second)) return false;
    if (p < s.size() && (s[p] == '.' || s[p] == ',') && p + 1 < s.size() && IsDigit(s[p + 1])) {
      ++p;
      while (p < s.size() && IsDigit(s[p])) ++p;
    }
  }
  pos = p;
  return true;
}

bool ReadZoneInto(const std::string& s, size_t& pos, DateParts& parts) {
  ZoneResult zone = ReadZone(s, pos, parts.zoneMinutes);
  if (zone == ZoneResult::Bad) return false;
  parts.hasZone = zone == ZoneResult::Zone;
  return true;
}

// [Wdy,] D[D] Mon YY[YY] [hh:mm[:ss] [zone]]
bool ReadRfc822(const std::string& s, DateParts& parts) {
  size_t pos = 0;
  SkipBlanks(s, pos);
  if (pos < s.size() && IsAlpha(s[pos])) {
    ReadWord(s, pos);
    SkipSeparators(s, pos, " ,.\t");
  }
  if (!ReadNumber(s, pos, 2, parts.day)) return false;
  SkipSeparators(s, pos, " -\t");
  std::string month = ReadWord(s, pos);
  if (month.size() < 3) return false;
  parts.month = MonthFromName(month.substr(0, 3));
  SkipSeparators(s, pos, " -\t");
  int digits = 0;
  if (!ReadNumber(s, pos, 4, parts.year, &digits) || digits == 1) return false;
  if (digits == 2) parts.year += parts.year < 50 ? 2000 : 1900;
  if (digits == 3) parts.year += 1900;
  SkipBlanks(s, pos);
  if (!ReadTime(s, pos, parts)) return true;
  return ReadZoneInto(s, pos, parts);
}

bool AtEnd(const std::string& s, size_t pos) {
  SkipBlanks(s, pos);
  return pos >= s.size();
}

// An optional time after the date: "T" or blanks, hh:mm[:ss[.f]], a zone.
bool ReadTimeAfterDate(const std::string& s, size_t pos, DateParts& parts) {
  size_t p = pos;
  if (p < s.size() && (s[p] == 'T' || s[p] == 't'))
    ++p;
  else
    SkipBlanks(s, p);
  if (p == pos || p >= s.size() || !IsDigit(s[p])) return true;
  if (!ReadTime(s, p, parts)) return true;
  return ReadZoneInto(s, p, parts);
}

// YYYY[-MM[-DD]] as W3C writes it, and YYYY/M/D or YYYY.M.D (a day is
// needed there); each with an optional time and zone. A text with anything
// else after its date digits is no date: "20241207" is not the year 2024.
bool ReadNumericDate(const std::string& s, bool dashes, DateParts& parts) {
  size_t pos = 0;
  SkipBlanks(s, pos);
  int digits = 0;
  if (!ReadNumber(s, pos, 4, parts.year, &digits) || digits != 4) return false;
  parts.month = 1;
  parts.day = 1;
  if (dashes && AtEnd(s, pos)) return true;
  char separator = pos < s.size() ? s[pos] : '\0';
  if (!(separator == '/' || separator == '.' || (dashes && separator == '-'))) return false;
  ++pos;
  if (!ReadNumber(s, pos, 2, parts.month)) return false;
  if (pos >= s.size() || s[pos] != separator) return separator == '-' && AtEnd(s, pos);
  ++pos;
  if (!ReadNumber(s, pos, 2, parts.day)) return false;
  if (pos < s.size() && IsDigit(s[pos])) return false;
  return ReadTimeAfterDate(s, pos, parts);
}

bool StartsWithSlashOrDotDate(const std::string& s) {
  size_t pos = 0;
  SkipBlanks(s, pos);
  int year = 0, digits = 0;
  return ReadNumber(s, pos, 4, year, &digits) && digits == 4 && pos < s.size() &&
         (s[pos] == '/' || s[pos] == '.');
}

TDateTime ComposeLocal(const DateParts& parts, int biasMinutes) {
  TDateTime date = 0, time = 0;
  if (!TryEncodeDate(parts.year, parts.month, parts.day, date) || parts.year < 1900) return 0;
  int second = parts.second == 60 ? 59 : parts.second;  // leap second
  if (parts.hour == 24 && parts.minute == 0 && second == 0) {
    date += 1;
  } else if (!TryEncodeTime(parts.hour, parts.minute, second, 0, time)) {
    return 0;
  }
  TDateTime result = date + time;
  if (parts.hasZone) result += (biasMinutes - parts.zoneMinutes) / 1440.0;
  return result > 0 ? result : 0;
}

}  // namespace

int MonthFromName(const std::string& name) {
  std::string lower = name;
  for (char& c : lower) c = Lower(c);
  for (int i = 0; i < 12; ++i) {
    if (lower == kMonthNames[i]) return i + 1;
  }
  return 0;
}

int LocalTimeBiasMinutes() {
  TIME_ZONE_INFORMATION tz = {};
  DWORD state = GetTimeZoneInformation(&tz);
  if (state == TIME_ZONE_ID_INVALID) return 9 * 60;
  long bias = tz.Bias;
  if (state == TIME_ZONE_ID_STANDARD) bias += tz.StandardBias;
  if (state == TIME_ZONE_ID_DAYLIGHT) bias += tz.DaylightBias;
  return int(-bias);
}

int LocalTimeBiasHours() { return LocalTimeBiasMinutes() / 60; }

int LocalBiasMinutes() {
  static const int bias = LocalTimeBiasMinutes();
  return bias;
}

TDateTime ParseFeedDate(const std::string& text, bool rfc822, int biasMinutes) {
  // No date of any feed needs more; a huge text is garbage anyway.
  std::string s = text.substr(0, 128);
  DateParts parts;
  // Japanese feeds write "2024/12/07 10:00:00" in either element.
  bool read = rfc822 && !StartsWithSlashOrDotDate(s) ? ReadRfc822(s, parts)
                                                     : ReadNumericDate(s, !rfc822, parts);
  return read ? ComposeLocal(parts, biasMinutes) : 0;
}

TDateTime ParseFeedDate(const std::string& text, bool rfc822) {
  return ParseFeedDate(text, rfc822, LocalBiasMinutes());
}

int HoursBetween(TDateTime a, TDateTime b) {
  double span = std::fabs(a - b);
  if (!(span < 1e7)) return INT_MAX;  // also NaN
  long long ms = std::llround(span * 86400000.0);
  return int(ms / 3600000);
}
