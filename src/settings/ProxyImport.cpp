#include "ProxyImport.h"

#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/S_string.h"

namespace {

const wchar_t kInternetSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
// A host name has at most 255 characters; anything longer is not one.
const int kMaxServerBytes = 255;

std::string ReadStringValue(HKEY key, const wchar_t* name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
    return std::string();
  std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size) !=
      ERROR_SUCCESS)
    return std::string();
  return WideToSjis(buffer.c_str());
}

}  // namespace

void SplitProxyValue(const std::string& value, std::string& server, std::string& portText) {
  const size_t colon = value.find(':');
  if (colon == std::string::npos) {
    server = CutBytes(value, kMaxServerBytes);
    portText.clear();
    return;
  }
  server = CutBytes(value.substr(0, colon), kMaxServerBytes);
  portText = IntToStrSafe(StrToIntLoose(value.substr(colon + 1)));
}

bool ReadSystemProxy(std::string& server, std::string& portText) {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return false;
  SplitProxyValue(ReadStringValue(key.get(), L"ProxyServer"), server, portText);
  return true;
}
