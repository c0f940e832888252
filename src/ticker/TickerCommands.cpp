#include "TickerCommands.h"

#include <shellapi.h>

#include <vector>

#include "TessivarOrvanelForm.h"
#include "TickerUtils.h"
#include "classlib/Text.h"
#include "shared/S_string.h"

namespace {

const int kAreaFields = 10;
const int kHintPieces = 5;

bool IsControlByte(unsigned char b) { return b < 0x20 || b == 0x7F; }

// TessivarSetup runs these when any argument is one of them (case ignored), and
// downloads an OEM package for an argument that starts with "TICKER".
bool IsSetupCommand(const std::string& text) {
  static const char* const kWords[] = {"FEED", "REFRESH", "UPDATE", "VERSION", "INSTALL", "ADD"};
  for (const char* w : kWords)
    if (text.size() == strlen(w) && StartsWithNoCase(text, w)) return true;
  return StartsWithNoCase(text, "TICKER");
}

}  // namespace

std::optional<std::string> DroppedTextParameter(const std::string& text) {
  std::string clean;
  // Neither byte can be the trail byte of a double-byte character.
  for (char c : CutAtNul(text))
    if (c != '"' && !IsControlByte((unsigned char)c)) clean += c;
  clean = TrimSpaces(CutBytes(TrimSpaces(clean), kDroppedTextBytes));
  if (clean.empty()) return std::nullopt;
  return IsSetupCommand(clean) ? std::string() : BrowserParameters(clean);
}

bool StartProgram(const std::string& path, const std::string& parameters) {
  std::wstring file = SjisToWide(path), params = SjisToWide(parameters);
  HINSTANCE rc = ShellExecuteW(nullptr, nullptr, file.c_str(),
                               params.empty() ? nullptr : params.c_str(), nullptr, SW_SHOW);
  return (INT_PTR)rc > 32;
}

bool ParseSkinArea(const std::string& bound, TSkinAreaSpec& parsed) {
  if (bound.empty()) return false;
  std::vector<std::string> f(kAreaFields + 1);
  SplitStr(bound, ',', false, f);
  parsed.Bounds = {StrToIntLoose(f[1]), StrToIntLoose(f[2]), StrToIntLoose(f[3]),
                   StrToIntLoose(f[4])};
  parsed.Hint = f[5] + "|" + f[6];
  return true;
}

std::string SkinAreaCommand(const std::string& hint) {
  std::vector<std::string> pieces(kHintPieces + 1);
  SplitStr(hint, '|', false, pieces);
  return pieces[2];
}

TAreaCommand AreaCommandOf(const std::string& word) {
  static const struct {
    const char* Word;
    TAreaCommand Command;
  } kWords[] = {{"play", TAreaCommand::Play},         {"search", TAreaCommand::Search},
                {"pause", TAreaCommand::Pause},       {"back", TAreaCommand::Back},
                {"top", TAreaCommand::Top},           {"setup", TAreaCommand::Setup},
                {"homepage", TAreaCommand::HomePage}, {"product", TAreaCommand::Product},
                {"refresh", TAreaCommand::Refresh},   {"reread", TAreaCommand::Reread},
                {"icon", TAreaCommand::Icon},         {"close", TAreaCommand::Close}};
  for (const auto& w : kWords)
    if (word.size() == strlen(w.Word) && StartsWithNoCase(word, w.Word)) return w.Command;
  return TAreaCommand::Link;
}
