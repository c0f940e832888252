#include "DateTime.h"

#include <cmath>
#include <cstdio>

namespace {

const int kDaysBefore[2][13] = {{0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
                                {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335}};

// Days from 0001-01-01 (day 1) to 1899-12-30.
const int kDateDelta = 693594;
const double kMsPerDay = 86400000.0;

// Whole day and milliseconds of the day. Negative day numbers keep the
// time as the absolute fraction, as the stored files expect.
void SplitDateTime(TDateTime dt, long long& day, long long& ms) {
  double whole = std::trunc(dt);
  double frac = std::fabs(dt - whole);
  day = (long long)whole;
  ms = (long long)std::llround(frac * kMsPerDay);
  if (ms >= 86400000LL) ms = 86399999LL;
}

std::string Pad(int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  return buf;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int days[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : days[month];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  int y = year - 1;
  long long n = (long long)y * 365 + y / 4 - y / 100 + y / 400 +
                kDaysBefore[IsLeapYear(year) ? 1 : 0][month] + day;
  out = (double)(n - kDateDelta);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
      msec > 999)
    return false;
  out = (((hour * 60 + minute) * 60 + second) * 1000.0 + msec) / kMsPerDay;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime dt = 0;
  return TryEncodeDate(year, month, day, dt) ? dt : 0;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  TDateTime dt = 0;
  return TryEncodeTime(hour, minute, second, msec, dt) ? dt : 0;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
  long long d = 0, ms = 0;
  SplitDateTime(dt, d, ms);
  long long n = d + kDateDelta;  // 1 = 0001-01-01
  if (n < 1 || n > 3652059) {    // outside 0001-01-01 .. 9999-12-31
    year = month = day = 0;
    return;
  }
  // Civil-from-days on a March-based year, shifted to 0000-03-01.
  long long z = n + 305;
  long long era = z / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  day = (int)(doy - (153 * mp + 2) / 5 + 1);
  month = (int)(mp < 10 ? mp + 3 : mp - 9);
  year = (int)(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& msec) {
  long long d = 0, ms = 0;
  SplitDateTime(dt, d, ms);
  hour = (int)(ms / 3600000);
  minute = (int)(ms / 60000 % 60);
  second = (int)(ms / 1000 % 60);
  msec = (int)(ms % 1000);
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
  TDateTime d = 0, t = 0;
  if (!TryEncodeDate(st.wYear, st.wMonth, st.wDay, d)) return 0;
  TryEncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, t);
  return d >= 0 ? d + t : d - t;
}

SYSTEMTIME DateTimeToSystemTime(TDateTime dt) {
  SYSTEMTIME st = {};
  int y, m, d, h, n, s, ms;
  DecodeDate(dt, y, m, d);
  DecodeTime(dt, h, n, s, ms);
  st.wYear = (WORD)y;
  st.wMonth = (WORD)m;
  st.wDay = (WORD)d;
  st.wHour = (WORD)h;
  st.wMinute = (WORD)n;
  st.wSecond = (WORD)s;
  st.wMilliseconds = (WORD)ms;
  if (y > 0) {
    long long day = (long long)std::trunc(dt);
    st.wDayOfWeek = (WORD)(((day + 6) % 7 + 7) % 7);  // 1899-12-30 was a Saturday
  }
  return st;
}

TDateTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return SystemTimeToDateTime(st);
}

TDateTime Date() { return std::trunc(Now()); }

std::string FormatDateTime(const std::string& format, TDateTime dt) {
  int y, mo, d, h, mi, s, ms;
  DecodeDate(dt, y, mo, d);
  DecodeTime(dt, h, mi, s, ms);
  std::string out;
  char last = 0;
  size_t i = 0;
  while (i < format.size()) {
    char c = format[i];
    if (c == '"' || c == '\'') {
      size_t end = format.find(c, i + 1);
      if (end == std::string::npos) end = format.size();
      out.append(format, i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    char u = (c >= 'a' && c <= 'z') ? (char)(c - 32) : c;
    if (u != 'Y' && u != 'M' && u != 'D' && u != 'H' && u != 'N' && u != 'S' && u != 'Z') {
      out += c;
      // A lead byte carries its trail byte along so it is never read as a letter.
      unsigned char b = (unsigned char)c;
      if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < format.size())
        out += format[++i];
      ++i;
      continue;
    }
    size_t count = 1;
    while (
        i + count < format.size() &&
        (format[i + count] == c || format[i + count] == (char)(u + 32) || format[i + count] == u))
      ++count;
    i += count;
    if (u == 'M' && last == 'H') u = 'N';
    last = u;
    switch (u) {
      case 'Y':
        out += count <= 2 ? Pad(y % 100, 2) : Pad(y, 4);
        break;
      case 'M':
        out += count == 1 ? Pad(mo, 1) : Pad(mo, 2);
        break;
      case 'D':
        out += count == 1 ? Pad(d, 1) : Pad(d, 2);
        break;
      case 'H':
        out += count == 1 ? Pad(h, 1) : Pad(h, 2);
        break;
      case 'N':
        out += count == 1 ? Pad(mi, 1) : Pad(mi, 2);
        break;
      case 'S':
        out += count == 1 ? Pad(s, 1) : Pad(s, 2);
        break;
      case 'Z':
        out += count < 3 ? Pad(ms, 1) : Pad(ms, 3);
        break;
    }
  }
  return out;
}
