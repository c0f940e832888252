// Small never-raising file, shell and version chores. Paths are Shift-JIS.
#pragma once
#include <string>

#include <windows.h>

#include "classlib/DateTime.h"
#include "classlib/Handles.h"
#include "shared/S_string.h"

// Creates the folder and any missing parents; beeps when that fails.
void ForceFolder(const std::string& path);
// ShellExecute "open"-default verb, SW_SHOW; above 32 is success, 0 on failure.
int ShellOpen(const std::string& target);
// Delayed move (or delete, when destination is empty) at the next start;
// falls back to Wininit.ini.
bool ReplaceFileOnReboot(const std::string& source, const std::string& destination);
bool AddWininitRename(const std::string& source, const std::string& destination);
// Same, editing the given ini file instead of the Windows folder's Wininit.ini.
bool AddWininitRenameTo(const std::string& iniPath, const std::string& source,
                        const std::string& destination);
// Takes back what ReplaceFileOnReboot scheduled for source: its pending
// delayed moves and its Wininit.ini lines. True when none of them is left.
bool CancelReplaceOnReboot(const std::string& source);
// Opens read/write when the file exists, else creates it. 0 on success, else
// the Win32 error code; file is left open on success. recordSize is kept
// for callers' sake and does not change the opening.
int OpenOrCreateFile(const std::string& name, KernelHandle& file, int recordSize);
// Copies in 2048-byte blocks; false on any failure, including a short
// write, and then no partial destination is left behind.
bool CopyFileBlocks(const std::string& source, const std::string& destination);
// The block loop of CopyFileBlocks: true when every block read was written whole.
bool CopyHandleBlocks(HANDLE source, HANDLE destination);

// bytes are a Windows module with its headers, section table and every
// section's raw data inside them: a download cut short is not.
bool IsWholeImage(const std::string& bytes);
// A value of the Japanese version block "StringFileInfo\041103A4" of file
// (empty: this program); false when the file has no such value.
bool GetFileVersionValue(const std::string& file, const std::string& key, std::string& value);
// Reads "StringFileInfo\041103A4\FileVersion" of file (empty: this program).
// Leaves the outputs unchanged when the file has no such value.
void GetFileVersionStr(Currency& numeric, std::string& display, int& build,
                       const std::string& file);
void SplitVersion(std::string text, int& major, int& minor, int& release, int& build);
int TakeVersionPart(std::string& text);
// Numeric value (major + minor/100 + release/10000) and display text ("1.02c").
Currency VersionNumber(int major, int minor, int release);
std::string VersionDisplay(int major, int minor, int release);

// The running Windows as it reports itself; all zero when it does not.
struct TWindowsVersion {
  DWORD Major = 0;
  DWORD Minor = 0;
  bool NtFamily = false;
};
TWindowsVersion WindowsVersion();
// Tests pretend to run on another Windows (null: the real one again).
void SetWindowsVersionForTest(const TWindowsVersion* version);
bool IsWindows5OrLater();
bool IsShiftDown();

bool FileExists(const std::string& name);
bool DirectoryExists(const std::string& name);
bool DeleteFileSJ(const std::string& name);
bool RenameFileSJ(const std::string& from, const std::string& to);
bool CopyFileSJ(const std::string& from, const std::string& to, bool failIfExists);
// Last write time as a local day number; 0 when the file is missing.
TDateTime FileAgeDateTime(const std::string& name);
// -1 when the file is missing.
int64_t FileSizeSJ(const std::string& name);
std::string ExtractFilePath(const std::string& name);  // with trailing backslash
std::string ExtractFileName(const std::string& name);
std::string ExtractFileExt(const std::string& name);   // with the dot
std::string ChangeFileExt(const std::string& name, const std::string& ext);
std::string ExpandFileName(const std::string& name);
std::string GetShortPathSJ(const std::string& name);   // name itself when it fails
// Full path of the running program, cached; tests put the program in a
// folder of their own (an empty text: the real path again).
std::string GetModulePath();
void SetModulePathForTest(const std::string& path);
// The running program's file name without its extension (message titles).
std::string ProgramName();
std::string WindowsFolder();                            // without trailing backslash
std::string TempFolder();                               // with trailing backslash
