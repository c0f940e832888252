#include "S_Compact.h"

#include <windows.h>
#include <shellapi.h>

#include "classlib/Text.h"

void ShowInfo(const std::string& text, const std::string& caption) {
  std::wstring title = SjisToWide(caption.empty() ? "情報" : caption);
  MessageBoxW(GetForegroundWindow(), SjisToWide(text).c_str(), title.c_str(),
              MB_OK | MB_ICONINFORMATION);
}

int RunProgram(const std::string& file, const std::string& parameters) {
  std::wstring program = SjisToWide(file);
  std::wstring params = SjisToWide(parameters);
  INT_PTR result =
      (INT_PTR)ShellExecuteW(nullptr, nullptr, program.c_str(),
                             params.empty() ? nullptr : params.c_str(), nullptr, SW_SHOWNORMAL);
  if (result < 32)
    MessageBoxW(nullptr, SjisToWide("指定のプロセスは実行出来ませんでした。").c_str(),
                SjisToWide("エラー").c_str(), MB_OK);
  return (int)result;
}

std::string QuoteParam(const std::string& param) {
  if (param.empty()) return param;
  std::string quoted = "\"";
  for (char c : param) {
    // Both bytes of a Shift-JIS pair are 0x40 or above: only single bytes match.
    if (c == '"') continue;
    quoted += ((unsigned char)c < 0x20 || c == 0x7F) ? ' ' : c;
  }
  return quoted + "\"";
}
