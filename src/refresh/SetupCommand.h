// The setup program's start-up steps, its command line and the choice of the
// job a run does.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "classlib/CommandLine.h"

extern const char FeedMutexName[];  // "TessivarFeed_Mutex"
extern const char EnvMutexName[];   // "TessivarEnv_Mutex"
// Held by the one "UPDATE" run of the machine, in every session; another
// says it is busy and does nothing.
extern const char UpdateMutexName[];  // "Global\TessivarUpdate_Mutex"
extern const char UpdateBusyMessage[];
// Shown by "REFRESH" while an automatic refresh holds the feed mutex.
extern const char RefreshBusyMessage[];
// Shown by a settings command while the dialog is open: plain, and with a feed to add.
extern const char DialogOpenMessage[];
extern const char DialogAddMessage[];

// TessivarOrvanel32.dll is missing from ProgramFolder.
extern bool NoBandEdition;
// A "TICKER" parameter was on the command line.
extern bool TickerParamGiven;
// "URL" when parameter 1 names a feed to add, else empty.
extern std::string CommandMode;

// This program's parameters (ProgramParams), read once.
const std::vector<std::string>& CommandParams();
void SetCommandParamsForTest(const std::vector<std::string>& params);

// Any parameter equals word, case ignored.
bool HasParamWord(const std::string& word);
// The first parameter that begins with prefix (case ignored): true, and
// value is the text after a "%" that directly follows the prefix (else empty).
bool GetPrefixedParam(const std::string& prefix, std::string& value);
// "URL" when text holds the character "\" or "://".
std::string CommandModeOf(const std::string& firstParam);

// The page a settings command opens the dialog on, and the feed it adds.
enum class TStartPage { Env, Feed, Version, Reg };
struct TSettingsStart {
  TStartPage Page = TStartPage::Env;
  std::string FeedUrl;  // URL mode: parameter 1
};
// "VERSION", "INSTALL" (the registration page only when RegSwitch is on),
// "ADD", then URL mode, each against all parameters; else the basic page.
TSettingsStart SettingsStartOf(const std::string& commandMode);
// Opens the settings dialog and runs it until it closes; the dialog lives
// above this library, so the program unit hands it in.
typedef std::function<void(const TSettingsStart&)> TSettingsDialogRunner;

// Every start-up step up to the dispatch: the forms' font, the application
// object, XML options, the engine list, the edition defaults, the OEM package
// or OEM file, the folders.
void RunStartup();
// Runs the job the command line asks for; the settings commands need runDialog.
void DispatchCommand(const TSettingsDialogRunner& runDialog = nullptr);
