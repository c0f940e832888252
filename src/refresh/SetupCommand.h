// The setup program's start-up steps, its command line and the choice of the
// job a run does.
#pragma once
#include <string>
#include <vector>

extern const char FeedMutexName[];  // "TessivarFeed_Mutex"
extern const char EnvMutexName[];   // "TessivarEnv_Mutex"
// Shown by "REFRESH" while an automatic refresh holds the feed mutex.
extern const char RefreshBusyMessage[];

// TessivarOrvanel32.dll is missing from ProgramFolder.
extern bool NoBandEdition;
// A "TICKER" parameter was on the command line.
extern bool TickerParamGiven;
// "URL" when parameter 1 names a feed to add, else empty.
extern std::string CommandMode;

// Parameters 1..ParamCount (Shift-JIS): blanks separate them, double quotes
// group and are dropped, a backslash is an ordinary character.
std::vector<std::string> SplitCommandLine(const std::wstring& commandLine);
const std::vector<std::string>& CommandParams();
void SetCommandParamsForTest(const std::vector<std::string>& params);

// Any parameter equals word, case ignored.
bool HasParamWord(const std::string& word);
// The first parameter that begins with prefix (case ignored): true, and
// value is the text after a "%" that directly follows the prefix (else empty).
bool GetPrefixedParam(const std::string& prefix, std::string& value);
// "URL" when text holds "\" or "://".
std::string CommandModeOf(const std::string& firstParam);

// Every start-up step up to the dispatch: the forms' font, the application
// object, XML options, the engine list, the edition defaults, the OEM package
// or OEM file, the folders.
void RunStartup();
// Runs the job the command line asks for.
void DispatchCommand();
