#include <windows.h>

#include "SetupCommand.h"
#include "classlib/Guard.h"
#include "settings/TessivarEnvForm.h"
#include "shared/S_Xml.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  TComInit com;
  // A failure anywhere ends the run silently; files already written stay.
  Guard("setup run", [] {
    RunStartup();
    DispatchCommand(RunSettingsDialog);
  });
  CommandMode.clear();
  return 0;
}
