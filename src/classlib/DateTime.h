// Date-times as day numbers: whole days since 1899-12-30, the fraction is the
// time of day (the convention every data file of the system stores).
#pragma once
#include <string>

#include <windows.h>

typedef double TDateTime;

TDateTime Now();   // local time
TDateTime Date();  // local date, time 0
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out);
TDateTime EncodeDate(int year, int month, int day);  // 0 when invalid
TDateTime EncodeTime(int hour, int minute, int second, int msec);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& msec);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);
SYSTEMTIME DateTimeToSystemTime(TDateTime dt);

// Format letters as the system uses them: yyyy yy mm m dd d hh h nn n ss s zzz,
// and "..." / '...' quoted literal text. "mm" right after h/hh is minutes.
std::string FormatDateTime(const std::string& format, TDateTime dt);
