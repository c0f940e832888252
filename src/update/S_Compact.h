// The launcher's few chores. The program folder and AddBackslash are the
// shared ones (GetProgramFolder, S_string).
#pragma once
#include <string>

// A system message box owned by the foreground window, information icon,
// OK; an empty caption becomes "情報".
void ShowInfo(const std::string& text, const std::string& caption);
// Starts file through the shell (default verb, no working folder, shown
// normally), with no parameter text when parameters is empty. A result
// below 32 is reported in a system message box. Returns the shell's result.
int RunProgram(const std::string& file, const std::string& parameters);
// param as one quoted parameter: quotes dropped and control characters
// made blanks, so nothing inside it can end it or start another. Empty
// stays empty.
std::string QuoteParam(const std::string& param);
