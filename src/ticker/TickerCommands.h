// The pieces of the ticker's commands that need no window: starting the
// system's own programs, the parameter made of a dropped text, and the
// clickable areas an OEM skin defines.
#pragma once
#include <optional>
#include <string>

#include <windows.h>

// Dropped text handed on is cut to this many bytes.
constexpr int kDroppedTextBytes = 2048;

// The parameter of TessivarSetup.exe for a dropped text: the text before its
// first NUL, without double quotes and control characters, trimmed and cut
// to kDroppedTextBytes, as one quoted argument. "" (start it without one)
// when TessivarSetup would take the text for a command of its own; nothing
// (start nothing) when no text is left.
std::optional<std::string> DroppedTextParameter(const std::string& text);

// Starts the program with the parameters, shown; false when it did not start.
bool StartProgram(const std::string& path, const std::string& parameters);

// A skin area from its OEM text "left,top,right,bottom,hint,command".
struct TSkinAreaSpec {
  RECT Bounds = {0, 0, 0, 0};
  std::string Hint;  // hint "|" command
};
// False for an empty text.
bool ParseSkinArea(const std::string& bound, TSkinAreaSpec& parsed);
// The command word of an area: the second "|" piece of its Hint.
std::string SkinAreaCommand(const std::string& hint);

enum class TAreaCommand {
  Play,
  Search,
  Pause,
  Back,
  Top,
  Setup,
  HomePage,
  Product,
  Refresh,
  Reread,
  Icon,
  Close,
  Link  // anything else: the word is opened as a link
};
// The word compared ignoring case.
TAreaCommand AreaCommandOf(const std::string& word);
