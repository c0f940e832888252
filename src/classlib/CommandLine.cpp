#include "CommandLine.h"

#include <windows.h>

#include "Text.h"

std::vector<std::string> SplitCommandLine(const std::wstring& commandLine) {
  std::vector<std::string> out;
  size_t i = 0;
  const size_t n = commandLine.size();
  bool first = true;
  while (i < n) {
    while (i < n && commandLine[i] <= L' ') ++i;
    if (i >= n) break;
    std::wstring word;
    bool quoted = false;
    while (i < n && (quoted || commandLine[i] > L' ')) {
      if (commandLine[i] == L'"')
        quoted = !quoted;
      else
        word += commandLine[i];
      ++i;
    }
    if (!first) out.push_back(WideToSjis(word));
    first = false;
  }
  return out;
}

std::vector<std::string> ProgramParams() { return SplitCommandLine(GetCommandLineW()); }
