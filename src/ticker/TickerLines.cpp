#include "TickerLines.h"

#include "shared/FeedFiles.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

bool IsInfoLine(const std::string& line) { return TTickerFields(line)[tfMark] == "*"; }

}  // namespace

bool LoadTickerLines(const std::string& path, TTickerFileLines& out) {
  out = TTickerFileLines();
  try {
    std::vector<std::string> lines;
    if (!ReadDataLines(path, lines)) return false;
    while (!lines.empty() && IsInfoLine(lines.back())) {
      out.InfoLines.push_back(std::move(lines.back()));
      lines.pop_back();
    }
    out.TickerLines = std::move(lines);
    return true;
  } catch (...) {
    out = TTickerFileLines();
    return false;
  }
}

TTickerFields::TTickerFields(const std::string& line)
    : fields_(SplitDataLine(line, TickerMaxFields)) {}

const std::string& TTickerFields::operator[](int number) const {
  static const std::string empty;
  if (number < 1 || number > (int)fields_.size()) return empty;
  return fields_[(size_t)number - 1];
}

bool IsPlainGraphicName(const std::string& name) {
  if (name.empty() || name.find("..") != std::string::npos) return false;
  // Only single-byte characters are separators: 0x5C is also a trail byte.
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = (unsigned char)name[i];
    if (IsLeadByte(c) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (c < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' ||
        c == '<' || c == '>' || c == '|')
      return false;
  }
  return true;
}

std::string GraphicFilePath(const std::string& name) {
  if (!IsPlainGraphicName(name)) return std::string();
  return DataFolder + "Graphic\\" + name;
}
