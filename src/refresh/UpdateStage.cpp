#include "UpdateStage.h"

#include <windows.h>

#include "ProtectedFolder.h"
#include "classlib/Handles.h"
#include "classlib/StringList.h"
#include "classlib/Text.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"

namespace {

const char kStagePrefix[] = "staged-";

// The subfolders or the files (directories false) of folder matching pattern.
std::vector<std::string> Entries(const std::string& folder, const std::string& pattern,
                                 bool directories) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  FindHandle search(FindFirstFileW(SjisToWide(folder + pattern).c_str(), &found));
  if (!search) return names;
  do {
    const std::string name = WideToSjis(found.cFileName);
    if (name == "." || name == "..") continue;
    // A link is never entered, nor removed through its name.
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == directories)
      names.push_back(name);
  } while (FindNextFileW(search.get(), &found));
  return names;
}

}  // namespace

std::string CreateStageFolder(const std::string& workFolder) {
  // The number only keeps the names of runs apart.
  const unsigned base = GetTickCount() ^ (GetCurrentProcessId() << 12);
  for (unsigned i = 0; i < 16; ++i) {
    const std::string stage = workFolder + kStagePrefix + HexText(int(base + i));
    // Made here and now, so it inherits the work folder's list and holds nothing.
    if (CreateDirectoryW(SjisToWide(stage).c_str(), nullptr)) return stage + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return std::string();
}

bool DiscardStage(const std::string& stage, const std::vector<std::string>& names,
                  const TakeBack& takeBack) {
  // Held, so the files deleted are the stage's own.
  KernelHandle held = OpenPlainFolder(DelBackslash(stage));
  if (!held) return false;
  bool takenBack = true;
  for (const std::string& name : names) takenBack &= takeBack(stage + name);
  // A file that a pending move still reads must stay.
  if (!takenBack) return false;
  for (const std::string& name : Entries(stage, "*", false)) DeleteFileSJ(stage + name);
  held.reset();
  return RemoveDirectoryW(SjisToWide(DelBackslash(stage)).c_str()) != 0;
}

void DiscardOtherStages(const std::string& workFolder, const std::string& own,
                        const std::vector<std::string>& names) {
  for (const std::string& name : names) CancelReplaceOnReboot(workFolder + name);
  for (const std::string& folder : Entries(workFolder, std::string(kStagePrefix) + "*", true)) {
    const std::string stage = workFolder + folder + "\\";
    if (CompareTextSJ(stage, own) != 0) DiscardStage(stage, names);
  }
}
