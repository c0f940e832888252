// The one crossing between the system's Shift-JIS texts and UTF-16 Win32.
#pragma once
#include <string>

// Code page 932 is named explicitly: the process ANSI page may be anything.
std::wstring SjisToWide(const std::string& s);
std::string WideToSjis(const std::wstring& w);
std::string WideToSjis(const wchar_t* w, int len = -1);
// Files that must be UTF-8 (the OPML export, documents handed to MSXML).
std::string WideToUtf8(const std::wstring& w);
