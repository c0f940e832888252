#include <windows.h>

#include "S_Compact.h"
#include "classlib/CommandLine.h"
#include "shared/Tessivar_Seihin.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::vector<std::string> params = ProgramParams();
  if (params.empty()) {
    ShowInfo("このプログラムはTessivarシリーズが使用します。", "アップデート");
    return 0;
  }
  // Only the first parameter goes on; the rest are dropped.
  RunProgram(GetProgramFolder() + "TessivarSetup.exe", QuoteParam(params[0]));
  return 0;
}
