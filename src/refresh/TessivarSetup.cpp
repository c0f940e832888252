#include <windows.h>

#include "SetupCommand.h"
#include "settings/TessivarEnvForm.h"
#include "shared/S_Xml.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  TComInit com;
  try {
    RunStartup();
    DispatchCommand(RunSettingsDialog);
  } catch (...) {
    // A failure anywhere ends the run silently; files already written stay.
  }
  CommandMode.clear();
  return 0;
}
