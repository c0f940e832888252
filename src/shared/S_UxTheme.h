// Visual styles: whether they are in effect for this program, themed drawing
// through a run-time bound UXTHEME.DLL, and the common-controls version.
#pragma once
#include <string>

#include <windows.h>
#include <uxtheme.h>

#include "S_string.h"

// Major.minor of Windows read as a decimal number, times 10000 (5.1 -> 51000).
Currency WindowsVersionNumber();
bool IsWindowsXPOrLater();

// Notes whether the program carries a manifest and, when it does, loads the
// theme library and binds its entry points. Runs once.
void BindUxTheme();
bool ThemesInUse();
// Tests fix the answers of ThemesInUse and ComCtl32Version; -1 gives the
// real ones again.
void SetThemesInUseForTest(int inUse);
void SetComCtl32VersionForTest(int version);
bool ProgramHasManifest();  // after BindUxTheme
bool UxThemeLoaded();

// The entry points bound from UXTHEME.DLL; null when missing or not loaded.
struct TUxThemeApi {
  BOOL(WINAPI* IsThemeActive)() = nullptr;
  BOOL(WINAPI* IsAppThemed)() = nullptr;
  HTHEME(WINAPI* OpenThemeData)(HWND, LPCWSTR) = nullptr;
  HRESULT(WINAPI* CloseThemeData)(HTHEME) = nullptr;
  HRESULT(WINAPI* DrawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
  HRESULT(WINAPI* DrawThemeText)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*) = nullptr;
  HRESULT(WINAPI* DrawThemeLine)(HTHEME, HDC, int, int, const RECT*, DWORD) = nullptr;
  HRESULT(WINAPI* DrawThemeEdge)(HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*) = nullptr;
  HRESULT(WINAPI* DrawThemeBorder)(HTHEME, HDC, int, const RECT*) = nullptr;
  HRESULT(WINAPI* DrawThemeIcon)(HTHEME, HDC, int, int, const RECT*, HIMAGELIST, int) = nullptr;
  HRESULT(WINAPI* GetThemeColor)(HTHEME, int, int, int, COLORREF*) = nullptr;
  HRESULT(WINAPI* SetWindowTheme)(HWND, LPCWSTR, LPCWSTR) = nullptr;
  HRESULT(WINAPI* GetThemeInt)(HTHEME, int, int, int, int*) = nullptr;
};
const TUxThemeApi& UxThemeApi();  // binds on first use like ThemesInUse

// File version of comctl32.dll: major << 16 | minor; 0 when unreadable.
// Under Wine the side-by-side version 6 library reports 5.81.
int ComCtl32Version();
bool IsComCtl6();
// What an edit's length limit counts: characters from version 6, else bytes.
int TextLengthForMax(const std::string& text);
int TextLengthForComCtl(const std::string& text, int comCtlVersion);

// Opens the window's theme data for the class ("BUTTON", "COMBOBOX", "SPIN",
// "TOOLBAR"), draws the part and closes the theme data again.
void DrawThemePart(HWND wnd, HDC dc, const wchar_t* themeClass, int part, int state, const RECT& r);
