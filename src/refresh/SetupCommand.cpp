#include "SetupCommand.h"

#include <windows.h>

#include "DefaultFiles.h"
#include "FeedRefresh.h"
#include "HttpFetch.h"
#include "MakerSite.h"
#include "OemPackage.h"
#include "SearchTemplate.h"
#include "UpdateCheck.h"
#include "classlib/Application.h"
#include "classlib/Forms.h"
#include "classlib/StringList.h"
#include "classlib/Text.h"
#include "shared/L_Dialog.h"
#include "shared/L_Mutex.h"
#include "shared/S_FileUtils.h"
#include "shared/S_Xml.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

const char FeedMutexName[] = "TessivarFeed_Mutex";
const char EnvMutexName[] = "TessivarEnv_Mutex";
// Machine-wide: the work folder is everyone's, whichever session runs the update.
const char UpdateMutexName[] = "Global\\TessivarUpdate_Mutex";
const char RefreshBusyMessage[] = "ただいま自動更新中の為、手動更新はできません．";
const char DialogOpenMessage[] = "既に設定ダイアログが起動しています．";
const char DialogAddMessage[] = "設定ダイアログに直接追加してください．";
const char UpdateBusyMessage[] = "アップデートは既に実行中です．";

bool NoBandEdition = false;
bool TickerParamGiven = false;
std::string CommandMode;

namespace {

bool paramsRead = false;
std::vector<std::string> params;

void ReadOemData() {
  std::string id;
  TickerParamGiven = GetPrefixedParam("TICKER", id);
  if (TickerParamGiven && !id.empty()) {
    TickerSettings.OemFolder = MakerUpdateFolder() + id + "/";
    DownloadOemPackage(true, false);
    return;
  }
  if (ReadOemPackage(GetProgramFolder() + OemPackageFileName, 0)) return;
  LoadOemIni(OemDataFolder + OemFileName);
  InitDataFolders();
  const std::string oemIni = OemDataFolder + "TessivarOrvanel.ini";
  // A failed copy leaves the built-in settings.
  if (!FileExists(TickerIniPath) && FileExists(oemIni)) CopyFileBlocks(oemIni, TickerIniPath);
}

void RunRefresh(bool manual) {
  CheckSingleInstance(FeedMutexName, "", "", mxEndProcess);
  AccessTickerIni(TickerIniPath, "R");
  EnsureFeedList();
  UpdateSearchTemplate();
  RefreshAllFeeds(TickerSettings.KeepTime, manual);
}

void RunSettingsCommand(const TSettingsDialogRunner& runDialog) {
  const std::vector<std::string>& list = CommandParams();
  CommandMode = CommandModeOf(list.empty() ? std::string() : list[0]);
  if (MutexExists(EnvMutexName)) {
    ShowMsg(CommandMode == "URL" ? DialogAddMessage : DialogOpenMessage, mtInformation);
    return;
  }
  CheckSingleInstance(EnvMutexName, "", "", mxEndProcess);
  AccessTickerIni(TickerIniPath, "R");
  EnsureFeedList();
  SetAppTitle("設定");
  if (runDialog) runDialog(SettingsStartOf(CommandMode));
}

}  // namespace

const std::vector<std::string>& CommandParams() {
  if (!paramsRead) {
    params = ProgramParams();
    paramsRead = true;
  }
  return params;
}

void SetCommandParamsForTest(const std::vector<std::string>& list) {
  params = list;
  paramsRead = true;
}

bool HasParamWord(const std::string& word) {
  for (const std::string& p : CommandParams()) {
    if (CompareTextSJ(p, word) == 0) return true;
  }
  return false;
}

bool GetPrefixedParam(const std::string& prefix, std::string& value) {
  value.clear();
  for (const std::string& p : CommandParams()) {
    if (p.size() < prefix.size() || CompareTextSJ(p.substr(0, prefix.size()), prefix) != 0)
      continue;
    if (p.size() > prefix.size() && p[prefix.size()] == '%') value = p.substr(prefix.size() + 1);
    return true;
  }
  return false;
}

std::string CommandModeOf(const std::string& firstParam) {
  // By character: 0x5C is also the second byte of many Shift-JIS characters.
  if (AnsiInStr(firstParam, "\\") > 0 || AnsiInStr(firstParam, "://") > 0) return "URL";
  return "";
}

void RunStartup() {
  SetDefaultFormFontName("MS UI Gothic");
  Application.Initialize();
  CharRefsEnabled = true;
  CheckCharacters = true;
  SetAgentHomePage(MakerHomePage());
  WriteResourceFile("CSTFILE", GetProgramFolder() + SearchEngineFileName, false);
  NoBandEdition = BandServerMissing();
  ApplyEditionDefaults();
  ReadOemData();
  InitDataFolders();
}

TSettingsStart SettingsStartOf(const std::string& commandMode) {
  TSettingsStart start;
  if (HasParamWord("VERSION")) {
    start.Page = TStartPage::Version;
  } else if (HasParamWord("INSTALL")) {
    start.Page = TickerSettings.RegSwitch ? TStartPage::Reg : TStartPage::Env;
  } else if (HasParamWord("ADD")) {
    start.Page = TStartPage::Feed;
  } else if (commandMode == "URL") {
    start.Page = TStartPage::Feed;
    start.FeedUrl = CommandParams()[0];
  }
  return start;
}

void DispatchCommand(const TSettingsDialogRunner& runDialog) {
  if (HasParamWord("FEED")) {
    if (MutexExists(FeedMutexName)) return;
    RunRefresh(false);
    return;
  }
  if (HasParamWord("REFRESH")) {
    if (MutexExists(FeedMutexName)) {
      ShowMsg(RefreshBusyMessage, mtInformation);
      return;
    }
    RunRefresh(true);
    return;
  }
  if (HasParamWord("UPDATE")) {
    if (!WindowsVersion().NtFamily) return;
    SetAppTitle("アップデート");
    // Two runs at once would take back each other's moves.
    if (!CheckSingleInstance(UpdateMutexName, "", "", 0)) {
      ShowMsg(UpdateBusyMessage, mtInformation);
      return;
    }
    CheckForUpdate();
    return;
  }
  RunSettingsCommand(runDialog);
}
