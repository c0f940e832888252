#include "TickerUtils.h"

#include <vector>

#include "classlib/Screen.h"
#include "classlib/Streams.h"
#include "classlib/Text.h"
#include "shared/S_FileUtils.h"
#include "shared/S_UxTheme.h"
#include "shared/S_string.h"

int InStrCharFrom(int start, const std::string& text, const std::string& part) {
  if (start < 2) return InStrChar(text, part);
  int p = InStrChar(CopyCharsToEnd(text, start), part);
  return p > 0 ? p + start - 1 : 0;
}

std::string MapText(const std::string& text, DWORD flags) {
  if (text.empty()) return text;
  try {
    std::wstring wide = SjisToWide(text);
    if (wide.empty()) return text;
    int n = LCMapStringW(LOCALE_SYSTEM_DEFAULT, flags, wide.data(), (int)wide.size(), nullptr, 0);
    if (n <= 0) return text;
    std::vector<wchar_t> mapped((size_t)n);
    n = LCMapStringW(LOCALE_SYSTEM_DEFAULT, flags, wide.data(), (int)wide.size(), mapped.data(), n);
    if (n <= 0) return text;
    return WideToSjis(mapped.data(), n);
  } catch (...) {
    return text;
  }
}

std::string NormalizeForMatch(const std::string& text) {
  return MapText(text, LCMAP_UPPERCASE | LCMAP_KATAKANA | LCMAP_HALFWIDTH);
}

uint16_t ColorDepth() { return (uint16_t)Screen.ColorDepth(); }

bool IsMouseButtonDown(int virtualKey) {
  if (GetSystemMetrics(SM_SWAPBUTTON)) {
    if (virtualKey == VK_LBUTTON)
      virtualKey = VK_RBUTTON;
    else if (virtualKey == VK_RBUTTON)
      virtualKey = VK_LBUTTON;
  }
  return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

uint32_t TickCount() { return GetTickCount(); }

uint64_t FileWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (path.empty() ||
      !GetFileAttributesExW(SjisToWide(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return 0;
  return ((uint64_t)data.ftLastWriteTime.dwHighDateTime << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

std::string GetTempFolder() {
  wchar_t buffer[512];
  DWORD n = GetTempPathW(511, buffer);
  if (n == 0 || n > 511) return std::string();
  return DelBackslash(WideToSjis(buffer, (int)n));
}

bool CopyFileByStream(const std::string& source, const std::string& destination) {
  try {
    TMemoryStream stream;
    stream.LoadFromFile(source);
    stream.SaveToFile(destination);
    return true;
  } catch (...) {
    return false;
  }
}

std::string CutAtNul(const std::string& text) {
  size_t nul = text.find('\0');
  return nul == std::string::npos ? text : text.substr(0, nul);
}

void DisableWindowTheme(HWND window) {
  if (!window || !ThemesInUse()) return;
  if (auto setTheme = UxThemeApi().SetWindowTheme) setTheme(window, L" ", L" ");
}
