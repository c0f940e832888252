#include "Guard.h"

#include <exception>
#include <string>

#include <windows.h>

#include "Application.h"

namespace {

void ReportFailure(const char* step, const char* what) {
  // Step names are ASCII; the error text may be anything, so bytes above
  // 0x7F are shown as '?' rather than guessed at.
  std::wstring line = L"Tessivar: ";
  for (const char* p = step; p && *p; ++p) line += static_cast<wchar_t>(*p & 0x7F);
  line += L" failed";
  if (what) {
    line += L": ";
    for (const char* p = what; *p; ++p)
      line += static_cast<unsigned char>(*p) < 0x80 ? static_cast<wchar_t>(*p) : L'?';
  }
  line += L"\n";
  OutputDebugStringW(line.c_str());
  Application.GuardFailed(step, what);
}

}  // namespace

bool Guard(const char* step, const std::function<void()>& body) {
  try {
    body();
    return true;
  } catch (const std::exception& e) {
    ReportFailure(step, e.what());
  } catch (...) {
    ReportFailure(step, nullptr);
  }
  return false;
}
