#include "TickerCommands.h"

#include <shellapi.h>

#include <vector>

#include "TickerUtils.h"
#include "classlib/Text.h"
#include "shared/S_string.h"

namespace {

const int kAreaFields = 10;
const int kHintPieces = 5;

// Each command with the word a skin area names it by and the word the setup
// program is started with (null: none).
// clang-format off
const struct {
  TTickerCommand Command;
  const char* AreaWord;
  const char* SetupWord;
} kCommands[] = {
    {TTickerCommand::Refresh, "refresh", "FEED"},
    {TTickerCommand::Reread, "reread", "REFRESH"},
    {TTickerCommand::Setup, "setup", ""},
    {TTickerCommand::Update, nullptr, "UPDATE"},
    {TTickerCommand::First, "top", nullptr},
    {TTickerCommand::LoopBack, "back", nullptr},
    {TTickerCommand::Pause, "pause", nullptr},
    {TTickerCommand::HomePage, "homepage", nullptr},
    {TTickerCommand::Product, "product", nullptr},
    {TTickerCommand::Play, "play", nullptr},
    {TTickerCommand::Search, "search", nullptr},
    {TTickerCommand::Icon, "icon", nullptr},
    {TTickerCommand::Close, "close", nullptr},
};
// clang-format on

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
  if (IsSetupCommand(clean)) return std::string();
  // TessivarSetup's splitter takes backslashes literally: only the quotes are added.
  return "\"" + clean + "\"";
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

TTickerCommand AreaCommandOf(const std::string& word) {
  for (const auto& c : kCommands)
    if (c.AreaWord && word.size() == strlen(c.AreaWord) && StartsWithNoCase(word, c.AreaWord))
      return c.Command;
  return TTickerCommand::Link;
}

const char* SetupWordOf(TTickerCommand command) {
  for (const auto& c : kCommands)
    if (c.Command == command) return c.SetupWord;
  return nullptr;
}
