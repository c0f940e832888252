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

bool RunGuarded(const char* step, const std::function<void()>& body, bool handToApplication) {
  try {
    body();
    return true;
  } catch (const std::exception& e) {
    ReportFailure(step, e.what());
    if (handToApplication) Application.HandleException(&e);
  } catch (...) {
    ReportFailure(step, nullptr);
    if (handToApplication) Application.HandleException(nullptr);
  }
  return false;
}

}  // namespace

bool Guard(const char* step, const std::function<void()>& body) {
  return RunGuarded(step, body, false);
}

bool GuardEvent(const char* step, const std::function<void()>& body) {
  return !body || RunGuarded(step, body, true);
}
