// The pieces of the ticker's commands that need no window: the commands and
// their words, starting the system's own programs, the parameter made of a
// dropped text, and the clickable areas an OEM skin defines.
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

// The ticker's commands. The main menu's entries carry theirs in Tag; a
// skin area names its command with a word.
enum class TTickerCommand {
  Refresh,   // TessivarSetup.exe "FEED"
  Reread,    // TessivarSetup.exe "REFRESH"
  Setup,     // TessivarSetup.exe alone: the settings dialog
  Update,    // TessivarUpdate.exe or TessivarSetup.exe "UPDATE"
  First,     // show the first line now
  LoopBack,  // toggle reverse
  Pause,     // toggle pause
  HomePage,  // the OEM home page
  Product,   // the product page
  // Skin areas only.
  Play,
  Search,
  Icon,
  Close,
  Link  // any other word: the word is opened as a link
};
// The command of a skin area's word, compared ignoring case.
TTickerCommand AreaCommandOf(const std::string& word);
// The word TessivarSetup.exe is started with ("" for the settings dialog);
// null for a command that starts no program.
const char* SetupWordOf(TTickerCommand command);

// The look of a skin area, kept in its Tag; any but Up draws the pressed frame.
enum class TAreaLook { Up = 0, Pressed = 1, Latched = 2 };
