// Small chores that only the ticker program needs. None of them raises.
#pragma once
#include <cstdint>
#include <string>

#include <windows.h>

// Character position (a double-byte pair counts as one) of part in text,
// searching from character start (below 2: the whole text); 0 when absent.
int InStrCharFrom(int start, const std::string& text, const std::string& part);

// LCMapString with the system default locale; the text unchanged when the
// mapping gives nothing.
std::string MapText(const std::string& text, DWORD flags);
// Upper case, katakana, half width: the form both keywords and item texts
// are compared in.
std::string NormalizeForMatch(const std::string& text);

// Turns the visual style off for the window when styles are in use.
void DisableWindowTheme(HWND window);

// Colour planes times bits per pixel of the screen.
uint16_t ColorDepth();
// The logical button, following swapped mouse buttons.
bool IsMouseButtonDown(int virtualKey);

// Milliseconds since the system started; wraps after about 49.7 days.
uint32_t TickCount();
// Milliseconds from since to now, right across a wrap of the tick count.
inline uint32_t TicksSince(uint32_t now, uint32_t since) { return now - since; }

// Last write time of a file in 100 ns steps, 0 when it is missing. The
// watches compare these integers: a day number held in an x87 register
// would make an unchanged file look changed.
uint64_t FileWriteTime(const std::string& path);

// The temporary folder without its trailing backslash.
std::string GetTempFolder();
// Reads the source whole and saves it as the destination; false on any error.
bool CopyFileByStream(const std::string& source, const std::string& destination);
// The text before its first NUL.
std::string CutAtNul(const std::string& text);
