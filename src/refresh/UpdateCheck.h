// The "UPDATE" job: fetches the newest setup program from the maker's
// update folder, compares its version with the running one, asks, fetches
// the other programs and schedules all of them to replace the installed
// ones at the next Windows start. Nothing is replaced while programs run.
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "shared/S_string.h"

struct UpdatePlaces {
  std::string UpdateFolder;    // web address ending in "/"
  std::string WorkFolder;      // with a trailing backslash; each run stages inside
  std::string ProgramFolder;   // the installed programs, with a trailing backslash
  std::string RunningProgram;  // the version in use; empty: this program
};
// The maker's update folder, the all-users application-data folder
// (DataFolder before Windows 2000), ProgramFolder and this program.
UpdatePlaces DefaultUpdatePlaces();

struct ProgramVersion {
  Currency Numeric = 0;
  std::string Display;
  int Build = 0;
};
// Zero and empty when file has no Japanese version block.
ProgramVersion ReadProgramVersion(const std::string& file);

// The question to ask, or, when the version in use is newer than the
// latest one, no question and the notice to show instead.
struct UpdateChoice {
  std::string Question;
  std::string Notice;
};
UpdateChoice ChooseUpdate(const ProgramVersion& current, const ProgramVersion& latest);

// The files an update replaces, in the order they are scheduled.
std::vector<std::string> UpdateFileNames(bool bandServerInstalled);

// file is a Windows program of this program's machine (a library when
// dll) whose Japanese version block names product and, when version is
// given, carries that version and build.
bool IsUpdateProgram(const std::string& file, bool dll, const std::string& product,
                     const ProgramVersion* version);

// The band server follows versions of its own: file is taken when it is a
// library of this machine whose version block names product and whose
// version is not older than that of the installed copy.
bool IsBandServerUpdate(const std::string& file, const std::string& installed,
                        const std::string& product);

using ReplaceOnReboot = std::function<bool(const std::string& source, const std::string& target)>;
// Schedules each (source, target) move with replace; when one fails, takes
// back every pending move of these sources and returns false.
bool ScheduleReplacements(const std::vector<std::pair<std::string, std::string>>& moves,
                          const ReplaceOnReboot& replace);

// Fetches the update folder's file into the (settled) work folder; true once saved.
// Nothing is fetched from an update folder that is no program download
// address (https, or the test server).
bool DownloadUpdateFile(const UpdatePlaces& places, const std::string& name);

void CheckForUpdate();
void CheckForUpdateAt(const UpdatePlaces& places);
