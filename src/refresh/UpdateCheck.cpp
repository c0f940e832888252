#include "UpdateCheck.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "MakerSite.h"
#include "OemPackage.h"
#include "ProtectedFolder.h"
#include "UpdateStage.h"
#include "classlib/Dialogs.h"
#include "classlib/Guard.h"
#include "classlib/Text.h"
#include "shared/FeedFiles.h"
#include "shared/L_Dialog.h"
#include "shared/S_FileUtils.h"
#include "shared/S_ShellFolder.h"
#include "shared/Tessivar_Seihin.h"

namespace {

const char kSetupName[] = "TessivarSetup.exe";
const char kLauncherName[] = "TessivarUpdate.exe";
const char kTickerName[] = "TessivarOrvanel.exe";

const char kNeedsAdminMessage[] = "アップデートには管理者権限が必要です．";
const char kDownloadFailedMessage[] = "アップデートプログラムのダウンロードに失敗しました．";
const char kScheduleFailedMessage[] = "アップデートプログラムの適用予約に失敗しました．";
const char kScheduledMessage[] = "次回のWindows起動時にアップデートが適用されます．";

struct ImageKind {
  WORD Machine = 0;
  WORD Characteristics = 0;
};

// The machine and characteristics of a PE file's header; false when the
// bytes are no Windows program (an error page, an empty body).
bool ReadImageKind(const std::string& file, ImageKind& kind) {
  KernelHandle handle(CreateFileW(SjisToWide(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return false;
  char header[4096] = {};
  DWORD got = 0;
  if (!ReadFile(handle.get(), header, sizeof header, &got, nullptr) || got < 0x40) return false;
  if (header[0] != 'M' || header[1] != 'Z') return false;
  LONG offset = 0;
  std::memcpy(&offset, header + 0x3C, sizeof offset);
  if (offset < 0x40 || (DWORD)offset + 4 + sizeof(IMAGE_FILE_HEADER) > got) return false;
  if (std::memcmp(header + offset, "PE\0\0", 4) != 0) return false;
  IMAGE_FILE_HEADER fileHeader;
  std::memcpy(&fileHeader, header + offset + 4, sizeof fileHeader);
  kind.Machine = fileHeader.Machine;
  kind.Characteristics = fileHeader.Characteristics;
  return true;
}

WORD OwnMachine() {
  const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew)->FileHeader.Machine;
}

bool SameVersion(const ProgramVersion& a, const ProgramVersion& b) {
  return a.Numeric == b.Numeric && a.Build == b.Build;
}

bool IsOlder(const ProgramVersion& a, const ProgramVersion& b) {
  return a.Numeric < b.Numeric || (a.Numeric == b.Numeric && a.Build < b.Build);
}

std::string ProductOf(const std::string& file) {
  std::string product;
  GetFileVersionValue(file, "ProductName", product);
  return product;
}

std::string WorkFolder() {
  if (!IsWindows5OrLater()) return DataFolder;
  return AddBackslash(GetSpecialFolder(CSIDL_COMMON_APPDATA)) + kMakerFolder +
         "\\TessivarOrvanel\\";
}

// The band server need not follow the programs' versions: it is taken
// when it is no older than the installed one.
bool IsAcceptedDownload(const UpdatePlaces& places, const std::string& file,
                        const std::string& product, const ProgramVersion& latest) {
  const std::string name = ExtractFileName(file);
  if (name == kBandServerName)
    return IsBandServerUpdate(file, places.ProgramFolder + kBandServerName, product);
  // The launcher keeps its own version; every other program is the release's.
  return IsUpdateProgram(file, false, product, name == kLauncherName ? nullptr : &latest);
}

// Everything after the question: the other downloads, their checks, the
// scheduling and the OEM files. places.WorkFolder is this run's stage
// inside workFolder. True once the moves are scheduled.
bool ApplyUpdate(const UpdatePlaces& places, const std::string& workFolder,
                 const std::string& product, const ProgramVersion& latest) {
  const bool band = FileExists(places.ProgramFolder + kBandServerName);
  std::vector<std::string> downloads = {kTickerName, kLauncherName};
  if (band) downloads.push_back(kBandServerName);
  for (const std::string& name : downloads) {
    if (!DownloadUpdateFile(places, name)) {
      ShowMsg(kDownloadFailedMessage, mtInformation);
      return false;
    }
  }
  std::vector<std::pair<std::string, std::string>> moves;
  for (const std::string& name : UpdateFileNames(band))
    moves.emplace_back(places.WorkFolder + name, places.ProgramFolder + name);
  for (const auto& move : moves) {
    if (!IsAcceptedDownload(places, move.first, product, latest)) {
      ShowMsg(kDownloadFailedMessage, mtInformation);
      return false;
    }
  }
  if (!ScheduleReplacements(moves, ReplaceFileOnReboot)) {
    ShowMsg(kScheduleFailedMessage, mtInformation);
    return false;
  }
  // Only now is the earlier runs' update replaced; until here it stays whole.
  DiscardOtherStages(workFolder, places.WorkFolder, UpdateFileNames(true));
  if (!TickerSettings.OemDateFlag && !TickerSettings.OemFolder.empty())
    DownloadOemPackage(false, true);
  ShowMsg(kScheduledMessage, mtInformation);
  return true;
}

enum class UpdateEnd { NeedsAdmin, Ended, Scheduled };

// The steps after the setup program's download into the stage places.WorkFolder.
UpdateEnd OfferUpdate(const UpdatePlaces& places, const std::string& workFolder) {
  {
    KernelHandle probe;
    if (OpenOrCreateFile(places.ProgramFolder + SearchEngineFileName, probe, 1) != 0)
      return UpdateEnd::NeedsAdmin;
  }
  const std::string setup = places.WorkFolder + kSetupName;
  const std::string product = ProductOf(places.RunningProgram);
  if (!IsUpdateProgram(setup, false, product, nullptr)) {
    ShowMsg(kDownloadFailedMessage, mtInformation);
    return UpdateEnd::Ended;
  }
  const ProgramVersion latest = ReadProgramVersion(setup);
  const UpdateChoice choice = ChooseUpdate(ReadProgramVersion(places.RunningProgram), latest);
  if (!choice.Notice.empty()) ShowMsg(choice.Notice, mtInformation);
  if (choice.Question.empty() || !ConfirmMsg(choice.Question, mtConfirmation, false))
    return UpdateEnd::Ended;
  return ApplyUpdate(places, workFolder, product, latest) ? UpdateEnd::Scheduled : UpdateEnd::Ended;
}

// Files staged in the work folder are installed for everyone: no one else
// may change them, nor the maker's folder above it.
bool SettleWorkFolder(const std::string& workFolder) {
  const std::string work = DelBackslash(workFolder);
  if (!IsWindows5OrLater()) {
    ForceFolder(work);
    return DirectoryExists(work);
  }
  const std::string maker = DelBackslash(ExtractFilePath(work));
  ForceFolder(DelBackslash(ExtractFilePath(maker)));
  return SettleProtectedFolder(maker) && SettleProtectedFolder(work, true);
}

// False for the ends that need the administrator-rights message.
bool RunUpdateCheck(const UpdatePlaces& places) {
  if (!IsProgramDownloadAddress(places.UpdateFolder)) {
    ShowMsg(kDownloadFailedMessage, mtInformation);
    return true;
  }
  if (!SettleWorkFolder(places.WorkFolder)) return false;
  UpdatePlaces run = places;
  run.WorkFolder = CreateStageFolder(places.WorkFolder);
  if (run.WorkFolder.empty()) return false;
  // A failure ends with the administrator-rights message.
  UpdateEnd end = UpdateEnd::NeedsAdmin;
  Guard("update offer", [&] {
    if (DownloadUpdateFile(run, kSetupName)) end = OfferUpdate(run, places.WorkFolder);
  });
  // A run that scheduled nothing leaves no file behind and no move of its own.
  if (end != UpdateEnd::Scheduled) DiscardStage(run.WorkFolder, UpdateFileNames(true));
  return end != UpdateEnd::NeedsAdmin;
}

}  // namespace

UpdatePlaces DefaultUpdatePlaces() {
  UpdatePlaces places;
  places.UpdateFolder = MakerUpdateFolder();
  places.WorkFolder = WorkFolder();
  places.ProgramFolder = GetProgramFolder();
  return places;
}

ProgramVersion ReadProgramVersion(const std::string& file) {
  ProgramVersion version;
  GetFileVersionStr(version.Numeric, version.Display, version.Build, file);
  return version;
}

UpdateChoice ChooseUpdate(const ProgramVersion& current, const ProgramVersion& latest) {
  const std::string info = "現在ご使用のバージョンは ver." + current.Display + " (Build." +
                           IntToStrSafe(current.Build) + ") です．\r\n" +
                           "最新版のバージョンは ver." + latest.Display + " (Build." +
                           IntToStrSafe(latest.Build) + ") です．\r\n\r\n";
  UpdateChoice choice;
  if (IsOlder(current, latest))
    choice.Question = info + "アップデートを実行しますか？";
  else if (current.Numeric > latest.Numeric)
    choice.Notice = info + "製品版より新しいバージョンのためアップデートできません．";
  else
    choice.Question = info + "最新版ですが念のためにアップデートを実行しますか？";
  return choice;
}

std::vector<std::string> UpdateFileNames(bool bandServerInstalled) {
  std::vector<std::string> names = {kSetupName, kLauncherName, kTickerName};
  if (bandServerInstalled) names.push_back(kBandServerName);
  return names;
}

bool IsUpdateProgram(const std::string& file, bool dll, const std::string& product,
                     const ProgramVersion* version) {
  ImageKind kind;
  std::string image;
  if (!ReadDataFile(file, image) || !IsWholeImage(image)) return false;
  if (!ReadImageKind(file, kind) || kind.Machine != OwnMachine() ||
      !(kind.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE) ||
      ((kind.Characteristics & IMAGE_FILE_DLL) != 0) != dll)
    return false;
  std::string fileVersion;
  if (!GetFileVersionValue(file, "FileVersion", fileVersion) || ProductOf(file) != product)
    return false;
  return !version || SameVersion(ReadProgramVersion(file), *version);
}

bool IsBandServerUpdate(const std::string& file, const std::string& installed,
                        const std::string& product) {
  return IsUpdateProgram(file, true, product, nullptr) &&
         !IsOlder(ReadProgramVersion(file), ReadProgramVersion(installed));
}

bool ScheduleReplacements(const std::vector<std::pair<std::string, std::string>>& moves,
                          const ReplaceOnReboot& replace) {
  for (size_t i = 0; i < moves.size(); ++i) {
    if (replace(moves[i].first, moves[i].second)) continue;
    // The moves already made go, so the next start does not mix versions.
    for (const auto& move : moves) CancelReplaceOnReboot(move.first);
    return false;
  }
  return true;
}

bool DownloadUpdateFile(const UpdatePlaces& places, const std::string& name) {
  return IsProgramDownloadAddress(places.UpdateFolder) &&
         DownloadToFile(places.UpdateFolder + name, places.WorkFolder + name, "");
}

void CheckForUpdate() { CheckForUpdateAt(DefaultUpdatePlaces()); }

void CheckForUpdateAt(const UpdatePlaces& places) {
  bool ended = false;
  Guard("update check", [&] { ended = RunUpdateCheck(places); });
  if (!ended) ShowMsg(kNeedsAdminMessage, mtInformation);
}
