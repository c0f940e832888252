// Paths of the shell's special folders (CSIDL numbers), as Shift-JIS text.
#pragma once
#include <string>

// Without a trailing backslash; empty when neither the shell nor
// shfolder.dll knows the folder (for CSIDL_PROGRAM_FILES the registry value).
std::string GetSpecialFolder(int csidl);
// While path is not empty, GetSpecialFolder(csidl) answers it: test programs
// keep to user folders of their own.
void SetSpecialFolderForTest(int csidl, const std::string& path);
// HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion" value "ProgramFilesDir".
std::string GetProgramFilesDirFromRegistry();
