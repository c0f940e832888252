#include "StartupRegistry.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/S_FileUtils.h"

const char RunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char StartupValueName[] = "Tessivar-Ticker ver.1.0";

namespace {

RegistryKey OpenUserKey(const std::string& keyPath, bool forWriting) {
  HKEY key = nullptr;
  std::wstring path = SjisToWide(keyPath);
  LONG rc = forWriting ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                         KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
                       : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
  return RegistryKey(rc == ERROR_SUCCESS ? key : nullptr);
}

}  // namespace

std::string ReadUserRegistryString(const std::string& keyPath, const std::string& name) {
  RegistryKey key = OpenUserKey(keyPath, false);
  if (!key) return std::string();
  std::wstring value = SjisToWide(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), value.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
    return std::string();
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.get(), value.c_str(), nullptr, &type, (BYTE*)&data[0], &size) !=
      ERROR_SUCCESS)
    return std::string();
  data.resize(wcsnlen(data.c_str(), data.size()));
  return WideToSjis(data);
}

bool StartupRegistry(char mode) {
  if (mode == 'W' || mode == 'D') {
    RegistryKey key = OpenUserKey(RunKeyPath, true);
    std::wstring name = SjisToWide(StartupValueName);
    if (key && mode == 'D') RegDeleteValueW(key.get(), name.c_str());
    if (key && mode == 'W') {
      std::wstring data = L"\"" + SjisToWide(GetModulePath()) + L"\"";
      RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, (const BYTE*)data.c_str(),
                     (DWORD)((data.size() + 1) * sizeof(wchar_t)));
    }
  }
  return !ReadUserRegistryString(RunKeyPath, StartupValueName).empty();
}

bool StartupRegistered() { return StartupRegistry('E'); }

bool StartupParameterGiven() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  bool given = false;
  for (int i = 1; argv && i < argc && i <= 2; ++i) given = given || lstrcmpiW(argv[i], L"STARTUP") == 0;
  LocalFree(argv);
  return given;
}
bool RegisterStartup() { return StartupRegistry('W'); }
bool UnregisterStartup() { return StartupRegistry('D'); }
