#include "BandServer.h"

#include <algorithm>

#include <windows.h>
#include <shellapi.h>

#include "classlib/Application.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/L_Dialog.h"
#include "shared/S_FileUtils.h"
#include "shared/Tessivar_Seihin.h"

namespace {

bool g_registering = false;

// Cleared on every way out, or the dialog could never close again.
struct RegisteringScope {
  RegisteringScope() { g_registering = true; }
  ~RegisteringScope() { g_registering = false; }
};

// False when the process did not end in time or the application ends.
bool WaitForProcess(HANDLE process, unsigned timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    DWORD wait = MsgWaitForMultipleObjects(1, &process, FALSE,
                                           std::min<DWORD>(timeoutMs - elapsed, 100), QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) return true;
    Application.ProcessMessages();
    if (Application.Terminated()) return false;
  }
}

}  // namespace

std::string Regsvr32Parameters(const std::string& serverPath, bool unregister) {
  return std::string("\"/s\" ") + (unregister ? "\"/u\" " : "") + "\"" + serverPath + "\"";
}

bool RunRegsvr32(const std::string& serverPath, bool unregister, unsigned timeoutMs) {
  if (!FileExists(serverPath)) return false;
  const std::wstring parameters = SjisToWide(Regsvr32Parameters(serverPath, unregister));
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = L"regsvr32";
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info) || !info.hProcess) return false;
  KernelHandle process(info.hProcess);
  RegisteringScope scope;
  DWORD code = 1;
  bool ended = WaitForProcess(process.get(), timeoutMs);
  if (ended && !GetExitCodeProcess(process.get(), &code)) code = 1;
  return ended && code == 0;
}

bool RegistrationRunning() { return g_registering; }

void RegisterBandServer(bool unregister) {
  if (g_registering) {
    MessageBeep(MB_OK);
    return;
  }
  const bool ok = RunRegsvr32(BandServerPath(), unregister);
  if (unregister)
    ShowMsg(ok ? "レジストリの登録を解除しました．" : "レジストリの解除に失敗しました．",
            mtInformation);
  else
    ShowMsg(ok ? "レジストリに登録しました．" : "レジストリの登録に失敗しました．", mtInformation);
}
