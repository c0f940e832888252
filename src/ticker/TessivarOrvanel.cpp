#include <windows.h>

#include "TessivarOrvanelForm.h"
#include "TickerUtils.h"
#include "classlib/Application.h"
#include "classlib/Text.h"
#include "shared/L_Mutex.h"

namespace {

HWND mainWindow = nullptr;

// Ctrl+C or a closing console ends the ticker the way closing its window does.
BOOL WINAPI ConsoleControl(DWORD) {
  if (HWND w = mainWindow) {
    PostMessageW(w, WM_CLOSE, 0, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (ColorDepth() <= 8) {
    std::wstring text = SjisToWide(
        "コントロールパネルの[画面]の[設定]タブで画面色を\r\n"
        "High Color(16ビット)以上に設定してください．");
    MessageBoxW(nullptr, text.c_str(), L"TessivarTicker", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  // A second copy brings the first one forward and ends here.
  CheckSingleInstance("TessivarTicker_Mutex", "TKVBANDFORM", "TessivarTicker",
                      mxRestore | mxEndProcess);

  Application.Initialize();
  Application.ShowMainForm = false;
  Application.MainFormOnTaskBar = false;
  SetApplicationTitle("TessivarTicker");
  {
    TKvBandForm form;
    Application.CreateForm(form);
    form.SetCaption("TessivarTicker");
    form.SetVisible(true);
    form.Repaint();
    mainWindow = form.Handle();
    SetConsoleCtrlHandler(ConsoleControl, TRUE);
    Application.Run();
    mainWindow = nullptr;
  }
  return 0;
}
