// The program's parameters as the runtime reads them (ParamStr).
#pragma once
#include <string>
#include <vector>

// Parameters 1..ParamCount (Shift-JIS): blanks and control characters
// separate them, double quotes group and are dropped, a backslash is an
// ordinary character.
std::vector<std::string> SplitCommandLine(const std::wstring& commandLine);
// This process's parameters.
std::vector<std::string> ProgramParams();
