#include "SettingsReset.h"

#include "classlib/Application.h"
#include "classlib/StringList.h"
#include "shared/FeedFiles.h"
#include "shared/L_Dialog.h"
#include "shared/S_FileUtils.h"
#include "shared/Tessivar_Seihin.h"

bool SettingsReset = false;

std::vector<std::string> ResetFiles() {
  std::vector<std::string> files = {TickerIniPath, DataFolder + TickerFileName,
                                    DataFolder + FeedListFileName, DataFolder + MenuFileName};
  const std::string roamingCopy = DataFolder + "TessivarOrvanel.ini";
  if (CompareTextSJ(roamingCopy, TickerIniPath) != 0) files.push_back(roamingCopy);
  return files;
}

void DeleteSettingsFiles() {
  // A file that cannot be deleted is left; the others still go.
  for (const std::string& file : ResetFiles()) DeleteFileSJ(file);
}

bool RunSettingsReset() {
  // Everything the user made goes: Enter alone must not say yes.
  if (!ConfirmMsg(
          "全ての設定を初期状態に戻しますか？\r\n(RSS/Atomの登録リストも初期状態に戻ります)",
          mtConfirmation, true))
    return false;
  SettingsReset = true;
  DeleteSettingsFiles();
  Application.Terminate();
  return true;
}
