#include "Text.h"

#include <windows.h>

std::wstring SjisToWide(const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(932, 0, s.data(), (int)s.size(), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(n, L'\0');
  MultiByteToWideChar(932, 0, s.data(), (int)s.size(), &w[0], n);
  return w;
}

std::string WideToSjis(const wchar_t* w, int len) {
  if (!w) return std::string();
  if (len < 0) len = lstrlenW(w);
  if (len == 0) return std::string();
  int n = WideCharToMultiByte(932, 0, w, len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string s(n, '\0');
  WideCharToMultiByte(932, 0, w, len, &s[0], n, nullptr, nullptr);
  return s;
}

std::string WideToSjis(const std::wstring& w) { return WideToSjis(w.data(), (int)w.size()); }

std::string WideToUtf8(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &s[0], n, nullptr, nullptr);
  return s;
}
