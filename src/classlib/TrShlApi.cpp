#include "TrShlApi.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "Guard.h"
#include "Handles.h"
#include "Text.h"

namespace {

const UINT kTrayIconId = 1;
const UINT_PTR kClickTimer = 7;
const wchar_t kWindowClass[] = L"TaskTrayHandle";
const DWORD kDllVersionInfoSize = 20;
const DWORD kHoverPollMs = 100;

std::function<BOOL(DWORD, NOTIFYICONDATAW*)> notifyForTest;
DWORD retryPause = 2000;

LRESULT CALLBACK TrayWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);

// The live icons of the process; registers the window class and the
// "TaskbarCreated" message while at least one exists.
class TTrayIconWinProcList {
 public:
  TTrayIconWinProcList() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = TrayWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, L"MAINICON");
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    TaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  }
  ~TTrayIconWinProcList() { UnregisterClassW(kWindowClass, GetModuleHandleW(nullptr)); }

  void RegisterIcon(TTaskTrayIcon* icon) { icons_.push_back(icon); }
  void UnregisterIcon(TTaskTrayIcon* icon) {
    icons_.erase(std::remove(icons_.begin(), icons_.end(), icon), icons_.end());
  }
  bool Empty() const { return icons_.empty(); }
  // The first icon whose hidden window this is handles the message.
  bool RouteMessage(HWND window, TMessage& m) {
    for (TTaskTrayIcon* icon : icons_)
      if (icon->WindowHandleIfCreated() == window) {
        icon->HandleMessage(m);
        return true;
      }
    return false;
  }
  UINT TaskbarCreated = 0;

 private:
  std::vector<TTaskTrayIcon*> icons_;
};

TTrayIconWinProcList* TrayIconWinProcList = nullptr;

LRESULT CALLBACK TrayWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  TMessage m = {msg, wp, lp, 0};
  if (TrayIconWinProcList) {
    // Nothing may unwind through the window procedure; a failed message counts as handled.
    bool handled = true;
    Guard("tray icon message", [&] { handled = TrayIconWinProcList->RouteMessage(window, m); });
    if (handled) return m.Result;
  }
  return DefWindowProcW(window, msg, wp, lp);
}

// At most n bytes, never ending in the lead byte of a pair.
std::string CutSjis(const std::string& s, size_t n) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = (unsigned char)s[i];
    size_t len = IsDBCSLeadByteEx(932, b) && i + 1 < s.size() ? 2 : 1;
    if (i + len > n) break;
    i += len;
  }
  return s.substr(0, i);
}

void CopyWide(wchar_t* field, size_t size, const std::string& text) {
  std::wstring w = SjisToWide(text);
  size_t n = std::min(w.size(), size - 1);
  std::wmemcpy(field, w.c_str(), n);
  field[n] = L'\0';
}

bool CursorIn(const RECT& r) {
  POINT p;
  GetCursorPos(&p);
  return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

}  // namespace

DWORD ShellVersionFromText(const std::string& text) {
  size_t i = 0;
  DWORD major = 0, minor = 0;
  bool digits = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, digits = true)
    major = std::min<DWORD>(major * 10 + (text[i] - '0'), 0xFFFF);
  if (!digits) return 0;
  if (i < text.size() && text[i] == '.')
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      minor = std::min<DWORD>(minor * 10 + (text[i] - '0'), 0xFFFF);
  return major << 16 | minor;
}

DWORD GetShellFileVersion() {
  wchar_t system[MAX_PATH];
  UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 0;
  std::wstring path = std::wstring(system, n) + L"\\shell32.dll";
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return 0;
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return 0;
  WORD* pairs = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", (void**)&pairs, &length) ||
      length < 4)
    return 0;
  wchar_t key[64];
  swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", pairs[0], pairs[1]);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(data.data(), key, (void**)&value, &length) || !value) return 0;
  return ShellVersionFromText(WideToSjis(value));
}

DWORD GetShellVersion() {
  DWORD version = GetShellFileVersion();
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  ModuleHandle shell(LoadLibraryW(L"shell32.dll"));
  SetErrorMode(oldMode);
  if (!shell) return version;
  auto get = (DLLGETVERSIONPROC)(void*)GetProcAddress(shell.get(), "DllGetVersion");
  if (get) {
    DLLVERSIONINFO info = {};
    info.cbSize = kDllVersionInfoSize;
    if (SUCCEEDED(get(&info))) version = info.dwMajorVersion << 16 | (info.dwMinorVersion & 0xFFFF);
  }
  return version;
}

std::string TrayTipText(const std::string& text, DWORD shellVersion) {
  if (HIWORD(shellVersion) >= 5) return CutSjis(text, 127);
  std::string oneLine;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      oneLine += ' ';
      ++i;
    } else {
      oneLine += text[i];
    }
  }
  return CutSjis(oneLine, 63);
}

TGuiPollThread::TGuiPollThread(HWND window, WPARAM step, std::function<bool()> wanted,
                               std::function<DWORD()> period, bool sleepFirst)
    : window_(window),
      step_(step),
      wanted_(std::move(wanted)),
      period_(std::move(period)),
      sleepFirst_(sleepFirst),
      wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      end_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  thread_.reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
}

TGuiPollThread::~TGuiPollThread() {
  SetEvent(end_.get());
  if (!thread_.get()) return;
  HANDLE thread = thread_.get();
  // The thread may be waiting for a step it handed to this thread.
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
         WAIT_OBJECT_0 + 1) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

void TGuiPollThread::Wake() { SetEvent(wake_.get()); }

DWORD WINAPI TGuiPollThread::Run(void* self) {
  static_cast<TGuiPollThread*>(self)->Loop();
  return 0;
}

void TGuiPollThread::Loop() {
  HANDLE waits[] = {end_.get(), wake_.get()};
  while (WaitForSingleObject(end_.get(), 0) != WAIT_OBJECT_0) {
    if (!wanted_()) {
      WaitForMultipleObjects(2, waits, FALSE, INFINITE);
      continue;
    }
    if (sleepFirst_ && WaitForSingleObject(end_.get(), period_()) == WAIT_OBJECT_0) break;
    SendMessageW(window_, WM_TASKTRAYSTEP, step_, 0);
    if (!sleepFirst_ && WaitForSingleObject(end_.get(), period_()) == WAIT_OBJECT_0) break;
  }
}

TCustomToolTipStyle::TCustomToolTipStyle() : toolTip_(FindTrayToolTip()) {
  Font.SetColor(clWindowText);
}

TCustomToolTipStyle::~TCustomToolTipStyle() {
  hover_.reset();
  RestoreColors();
}

void TCustomToolTipStyle::Assign(const TCustomToolTipStyle& source) {
  UseDefault = source.UseDefault;
  BackGroundColor = source.BackGroundColor;
}

HWND TCustomToolTipStyle::FindTrayToolTip() {
  HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!tray) return nullptr;
  DWORD shell = 0;
  GetWindowThreadProcessId(tray, &shell);
  for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w;
       w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == shell && !(GetWindowLongW(w, GWL_STYLE) & TTS_NOPREFIX)) return w;
  }
  return nullptr;
}

void TCustomToolTipStyle::HandleMessage(TMessage& m) {
  if (m.Msg == WM_TASKTRAYSTEP && m.WParam == kTrayStepHover) {
    CheckMouseLeave();
    return;
  }
  if (m.Msg == WM_TIMER) {
    KillTimer(window_, kClickTimer);
    if (clickPending_) ReportClick(PendingButton());
    return;
  }
  if (m.Msg != WM_TASKTRAY) return;
  switch ((UINT)m.LParam) {
    case WM_MOUSEMOVE:
      MouseMoved();
      break;
    case WM_LBUTTONDOWN:
      ButtonDown(0, m.WParam);
      break;
    case WM_RBUTTONDOWN:
      ButtonDown(1, m.WParam);
      break;
    case WM_MBUTTONDOWN:
      ButtonDown(2, m.WParam);
      break;
    case WM_LBUTTONUP:
      ButtonUp(0);
      break;
    case WM_RBUTTONUP:
      ButtonUp(1);
      break;
    case WM_MBUTTONUP:
      ButtonUp(2);
      break;
    case WM_LBUTTONDBLCLK:
      ButtonDblClick(0);
      break;
    case WM_RBUTTONDBLCLK:
      ButtonDblClick(1);
      break;
    case WM_MBUTTONDBLCLK:
      ButtonDblClick(2);
      break;
    case NIN_BALLOONUSERCLICK:
      balloonClicked_ = true;
      ReportClick(4);
      break;
  }
}

void TCustomToolTipStyle::MouseMoved() {
  POINT p;
  GetCursorPos(&p);
  RECT& r = hoverRect_;
  if (r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0) {
    r = RECT{p.x, p.y, p.x, p.y};
  } else {
    r.left = std::min(r.left, p.x);
    r.top = std::min(r.top, p.y);
    r.right = std::max(r.right, p.x);
    r.bottom = std::max(r.bottom, p.y);
  }
  // Another icon: the area starts again from the point.
  if (r.right - r.left > 32 || r.bottom - r.top > 32) r = RECT{p.x, p.y, p.x, p.y};
  if (!inside_) MouseEnter();
}

void TCustomToolTipStyle::MouseEnter() {
  inside_ = true;
  if (!UseDefault) ApplyColors();
  if (!hover_ && window_)
    hover_ = std::make_unique<TGuiPollThread>(
        window_, kTrayStepHover, [this] { return inside_.load(); }, [] { return kHoverPollMs; },
        true);
  if (hover_) hover_->Wake();
  Notify(0, TRAY_MOUSEENTER);
}

void TCustomToolTipStyle::CheckMouseLeave() {
  if (inside_ && !CursorIn(hoverRect_)) MouseLeave();
}

void TCustomToolTipStyle::MouseLeave() {
  inside_ = false;
  if (!UseDefault) RestoreColors();
  Notify(0, TRAY_MOUSEEXIT);
}

void TCustomToolTipStyle::Notify(WPARAM wp, LPARAM code) {
  if (window_) SendMessageW(window_, WM_TASKTRAY, wp, code);
}

void TCustomToolTipStyle::ButtonDown(int button, WPARAM wp) {
  // A negative word parameter marks the press posted after a double click.
  if ((LONG_PTR)wp >= 0) pressed_ |= 1u << button;
}

void TCustomToolTipStyle::ButtonUp(int button) {
  if (CheckSingleDoubleClick) {
    if (!clickPending_ && window_ && SetTimer(window_, kClickTimer, GetDoubleClickTime(), nullptr))
      clickPending_ = true;
    return;
  }
  ReportClick(button);
  pressed_ &= ~(1u << button);
}

void TCustomToolTipStyle::ButtonDblClick(int button) {
  clickPending_ = false;
  pressed_ &= ~(1u << button);
  const UINT down[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  if (window_) PostMessageW(window_, WM_TASKTRAY, (WPARAM)-1, down[button]);
}

void TCustomToolTipStyle::ReportClick(int button) {
  // The balloon has no pressed flag of its own: its click is the flag.
  const bool pressed = button == 4 ? balloonClicked_ : (pressed_ & (1u << button)) != 0;
  if (pressed && window_) Notify((WPARAM)button, TRAY_MOUSECLICK);
  clickPending_ = false;
  if (button == 4)
    balloonClicked_ = false;
  else
    pressed_ &= ~(1u << button);
}

int TCustomToolTipStyle::PendingButton() const {
  if (pressed_ & 1) return 0;
  if (pressed_ & 2) return 1;
  return 2;
}

void TCustomToolTipStyle::ApplyColors() {
  if (!toolTip_) return;
  SendMessageW(toolTip_, TTM_SETTIPBKCOLOR, (WPARAM)BackGroundColor, 0);
  SendMessageW(toolTip_, TTM_SETTIPTEXTCOLOR, (WPARAM)TextColor(), 0);
}

void TCustomToolTipStyle::RestoreColors() {
  if (!toolTip_ || !IsWindow(toolTip_)) return;
  SendMessageW(toolTip_, TTM_POP, 0, 0);
  SendMessageW(toolTip_, TTM_SETTIPBKCOLOR, GetSysColor(COLOR_INFOBK), 0);
  SendMessageW(toolTip_, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_INFOTEXT), 0);
}

TColor TToolTipStyle::GetColor(int index) const {
  if (index == 1) return BackGroundColor;
  if (index == 2) return TextColor();
  return 0;
}

void TToolTipStyle::SetColor(int index, TColor c) {
  if (index == 1)
    BackGroundColor = c;
  else if (index == 2)
    SetTextColor(c);
}

TTaskTrayIcon::TTaskTrayIcon() : style_(std::make_unique<TToolTipStyle>()) {
  if (!TrayIconWinProcList) TrayIconWinProcList = new TTrayIconWinProcList;
  TrayIconWinProcList->RegisterIcon(this);
  shellVersion_ = GetShellVersion();
}

TTaskTrayIcon::~TTaskTrayIcon() {
  OnMessage = nullptr;
  style_.reset();
  DeleteIcon();
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  TrayIconWinProcList->UnregisterIcon(this);
  if (TrayIconWinProcList->Empty()) {
    delete TrayIconWinProcList;
    TrayIconWinProcList = nullptr;
  }
}

HWND TTaskTrayIcon::WindowHandle() {
  if (!window_) {
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (style_) style_->SetWindow(window_);
  }
  return window_;
}

void TTaskTrayIcon::SetBalloonTitle(const std::string& text) { balloonTitle_ = CutSjis(text, 63); }

void TTaskTrayIcon::SetBalloonText(const std::string& text) { balloonText_ = CutSjis(text, 255); }

void TTaskTrayIcon::SetBalloonIconKind(DWORD kind) {
  infoFlags_ = kind >= 1 && kind <= 3 ? kind : 0;
}

bool TTaskTrayIcon::Notify(DWORD action) {
  NOTIFYICONDATAW d = {};
  d.cbSize = IsNewShell() ? NOTIFYICONDATAW_V2_SIZE : NOTIFYICONDATAW_V1_SIZE;
  d.hWnd = WindowHandle();
  d.uID = kTrayIconId;
  d.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  d.uCallbackMessage = WM_TASKTRAY;
  d.hIcon = IconHandle;
  CopyWide(d.szTip, IsNewShell() ? 128 : 64, tip_);
  if (IsNewShell()) {
    d.dwState = NIS_SHAREDICON;
    CopyWide(d.szInfo, 256, balloonText_);
    CopyWide(d.szInfoTitle, 64, balloonTitle_);
    d.uTimeout = BalloonTimeOut;
    d.dwInfoFlags = infoFlags_;
  }
  if (notifyForTest) return notifyForTest(action, &d);
  return Shell_NotifyIconW(action, &d) != FALSE;
}

void TTaskTrayIcon::Foreground() {
  if (DoForegroundWindow) SetForegroundWindow(WindowHandle());
}

bool TTaskTrayIcon::AddIcon() {
  if (added_) return true;
  wanted_ = true;
  if (IsNewShell()) infoFlags_ = 0;
  if (!IconHandle) return false;
  Foreground();
  if (Notify(NIM_ADD)) {
    added_ = true;
    if (style_) style_->ResetHoverRect();
    return true;
  }
  // A busy shell may time out and still add the icon.
  for (int i = 0; i < 5 && GetLastError() == ERROR_TIMEOUT; ++i) {
    Sleep(retryPause);
    if (Notify(NIM_MODIFY)) {
      added_ = true;
      break;
    }
    Foreground();
    if (Notify(NIM_ADD)) {
      added_ = true;
      if (style_) style_->ResetHoverRect();
      break;
    }
  }
  return added_;
}

bool TTaskTrayIcon::ModifyIcon() {
  if (!added_) return AddIcon();
  if (!IconHandle) return false;
  Foreground();
  if (Notify(NIM_MODIFY) || GetLastError() == ERROR_TIMEOUT) return added_;
  added_ = false;
  // A failed add leaves the icon absent; the next update tries again.
  Guard("tray icon add", [&] { AddIcon(); });
  return added_;
}

bool TTaskTrayIcon::DeleteIcon() {
  wanted_ = false;
  if (!added_) return true;
  bool ok = Notify(NIM_DELETE);
  added_ = false;
  return ok;
}

void TTaskTrayIcon::HandleMessage(TMessage& m) {
  if (TrayIconWinProcList && m.Msg == TrayIconWinProcList->TaskbarCreated && (added_ || wanted_)) {
    added_ = false;
    AddIcon();
  }
  if (style_) style_->HandleMessage(m);
  if (OnMessage)
    OnMessage(m, CallbackData);
  else
    m.Result = DefWindowProcW(window_, m.Msg, m.WParam, m.LParam);
}

void SetShellNotifyIconForTest(std::function<BOOL(DWORD, NOTIFYICONDATAW*)> notify) {
  notifyForTest = std::move(notify);
}

void SetTrayRetryPauseForTest(DWORD ms) { retryPause = ms; }

UINT TaskbarCreatedMessage() {
  return TrayIconWinProcList ? TrayIconWinProcList->TaskbarCreated : 0;
}
