#include "Application.h"

#include <commctrl.h>

#include <algorithm>

#include "Forms.h"
#include "Guard.h"
#include "HintWindow.h"
#include "Menus.h"
#include "Text.h"
#include "shared/S_string.h"

TApplication Application;

void SetAppTitle(const std::string& title) { Application.SetTitle(title); }

namespace {
const UINT_PTR kHintShowTimer = 1, kHintHideTimer = 2;
const int kMaxMessagesPerPump = 1000;
}  // namespace

TApplication::TApplication() = default;

TApplication::~TApplication() {
  hint_.reset();
  if (hwnd_) DestroyWindow(hwnd_);
}

HINSTANCE TApplication::Instance() const { return GetModuleHandleW(nullptr); }

LRESULT CALLBACK TApplication::AppWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && (wp == kHintShowTimer || wp == kHintHideTimer)) {
    KillTimer(h, wp);
    if (wp == kHintShowTimer)
      Application.ShowHintNow();
    else
      Application.CancelHint();
    return 0;
  }
  if (msg == WM_INITMENUPOPUP && TMenuItem::InitMenuPopup((HMENU)wp)) return 0;
  return DefWindowProcW(h, msg, wp, lp);
}

void TApplication::Initialize() {
  if (initialized_) return;
  initialized_ = true;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = AppWndProc;
  wc.hInstance = Instance();
  wc.lpszClassName = L"TApplication";
  RegisterClassExW(&wc);
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"TApplication", SjisToWide(title_).c_str(), WS_POPUP, 0,
                          0, 0, 0, nullptr, nullptr, Instance(), nullptr);
}

HWND TApplication::Handle() {
  if (!initialized_) Initialize();
  return hwnd_;
}

void TApplication::SetTitle(const std::string& t) {
  title_ = t;
  if (hwnd_) SetWindowTextW(hwnd_, SjisToWide(t).c_str());
}

void TApplication::CreateForm(TForm& form) {
  if (!initialized_) Initialize();
  if (!mainForm_) mainForm_ = &form;
  form.DoCreate();
}

void TApplication::Run() {
  if (!initialized_) Initialize();
  if (mainForm_ && ShowMainForm) mainForm_->Show();
  while (!terminated_ && HandleMessage()) {
  }
}

bool TApplication::PreTranslate(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  // Parts of system controls (a combo's edit) belong to the nearest object.
  for (HWND h = msg.hwnd; h; h = GetParent(h)) {
    if (TWinControl* c = TWinControl::FromHandle(h)) {
      UINT cn = msg.message == WM_KEYDOWN ? CN_KEYDOWN : CN_SYSKEYDOWN;
      return c->Perform(cn, msg.wParam, msg.lParam) != 0;
    }
    if (!(GetWindowLongW(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return false;
}

void TApplication::Dispatch(MSG& msg) {
  if (!PreTranslate(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool TApplication::HandleMessage() {
  MSG msg;
  BOOL r = GetMessageW(&msg, nullptr, 0, 0);
  if (r == 0 || r == -1) {
    terminated_ = true;
    return false;
  }
  Dispatch(msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  // Bounded: a window that keeps posting to itself must not hold the caller.
  for (int n = 0; n < kMaxMessagesPerPump && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage((int)msg.wParam);  // keep it for the outer loop
      return;
    }
    Dispatch(msg);
  }
}

void TApplication::Terminate() {
  if (!terminated_) PostQuitMessage(0);
  terminated_ = true;
}

void TApplication::HandleException(const std::exception* e) {
  ++ExceptionCount;
  LastExceptionMessage = e ? e->what() : "unknown exception";
  if (OnException) {
    // The application handler failing leaves nothing more to report to.
    Guard("application exception handler", [&] { OnException(e); });
    return;
  }
  MessageBeep(MB_ICONHAND);
}

void TApplication::GuardFailed(const char* step, const char* what) {
  ++GuardFailureCount;
  LastGuardFailure = std::string(step ? step : "") + (what ? std::string(": ") + what : "");
}

TForm* TApplication::ActiveForm() const {
  HWND h = GetActiveWindow();
  return dynamic_cast<TForm*>(TWinControl::FromHandle(h));
}

void TApplication::NormalizeTopMosts() {
  if (topMostLevel_++ > 0) return;
  topMosts_.clear();
  for (TForm* f : forms_) {
    HWND h = f->HandleIfAllocated();
    if (h && IsWindowVisible(h) && (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      topMosts_.push_back(h);
      SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void TApplication::RestoreTopMosts() {
  if (topMostLevel_ == 0 || --topMostLevel_ > 0) return;
  for (HWND h : topMosts_)
    if (IsWindow(h)) SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  topMosts_.clear();
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = GetActiveWindow();
  if (!owner) owner = Handle();
  NormalizeTopMosts();
  int r = MessageBoxW(owner, SjisToWide(text).c_str(), SjisToWide(caption.empty() ? title_ : caption).c_str(),
                      flags);
  RestoreTopMosts();
  return r;
}

void TApplication::MainFormSized(WPARAM sizeKind) {
  const bool minimized = sizeKind == SIZE_MINIMIZED;
  if (minimized == minimized_) return;
  minimized_ = minimized;
  TNotifyEvent& event = minimized ? OnMinimize : OnRestore;
  if (event) GuardEvent(minimized ? "OnMinimize" : "OnRestore", [&] { event(nullptr); });
}

void TApplication::AddForm(TForm* f) { forms_.push_back(f); }

void TApplication::RemoveForm(TForm* f) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
  if (mainForm_ == f) mainForm_ = nullptr;
}

static bool HintWanted(const TControl* c) {
  for (; c; c = c->Parent())
    if (c->ShowHint) return true;
  return false;
}

void TApplication::MouseOver(TControl* c) {
  if (c == hintControl_) return;
  CancelHint();
  hintControl_ = c;
  if (c && ShowHint && hwnd_ && !c->Hint().empty() && HintWanted(c))
    SetTimer(hwnd_, kHintShowTimer, (UINT)HintPause, nullptr);
}

void TApplication::CancelHint() {
  if (hwnd_) {
    KillTimer(hwnd_, kHintShowTimer);
    KillTimer(hwnd_, kHintHideTimer);
  }
  if (hint_) hint_->ReleaseHint();
}

std::string GetShortHint(const std::string& hint) {
  const int bar = AnsiInStr(hint, "|");
  return bar > 0 ? hint.substr(0, (size_t)bar - 1) : hint;
}

void TApplication::ShowHintNow() {
  if (!hintControl_) return;
  const std::string text = GetShortHint(hintControl_->Hint());
  if (text.empty()) return;
  if (!hint_) hint_ = std::make_unique<THintWindow>();
  RECT r = hint_->CalcHintRect(300, text);
  POINT p;
  GetCursorPos(&p);
  OffsetRect(&r, p.x, p.y + 20);
  r.bottom += 4;  // the frame and an even margin below the text
  hint_->ActivateHint(r, text);
  SetTimer(hwnd_, kHintHideTimer, (UINT)HintHidePause, nullptr);
}
