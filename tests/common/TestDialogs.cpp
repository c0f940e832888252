#include "TestDialogs.h"

#include "classlib/Text.h"

namespace {

struct WindowQuery {
  DWORD pid;
  std::wstring title;
  HWND found;
};

BOOL CALLBACK MatchOwnWindow(HWND w, LPARAM p) {
  auto* q = reinterpret_cast<WindowQuery*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != q->pid || !IsWindowVisible(w)) return TRUE;
  wchar_t text[256];
  int n = GetWindowTextW(w, text, 256);
  if (q->title != std::wstring(text, n > 0 ? n : 0)) return TRUE;
  q->found = w;
  return FALSE;
}

}  // namespace

HWND FindOwnWindow(const std::string& title) {
  WindowQuery q = {GetCurrentProcessId(), SjisToWide(title), nullptr};
  EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

TButton* FindButton(TForm* form, const std::string& caption) {
  for (int i = 0; i < form->ControlCount(); ++i) {
    auto* b = dynamic_cast<TButton*>(form->Controls(i));
    if (b && b->Caption() == caption) return b;
  }
  return nullptr;
}

DialogScript* DialogScript::current_ = nullptr;

DialogScript::DialogScript(const std::string& title, Action action) : title_(title), action_(action) {
  current_ = this;
  timer_ = SetTimer(nullptr, 0, 50, Tick);
}

DialogScript::~DialogScript() {
  KillTimer(nullptr, timer_);
  current_ = nullptr;
}

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (current_) current_->Step();
}

void DialogScript::Step() {
  ++ticks_;
  if (!dialog_) {
    dialog_ = FindOwnWindow(title_);
    if (!dialog_ && ticks_ > 200) KillTimer(nullptr, timer_);
    return;
  }
  if (!acted_) {
    if (++shownTicks_ < 5) return;
    // Under load the window manager may hand the box the focus late; keys
    // go to the focused control, so wait for it (5 s at most).
    HWND focus = GetFocus();
    bool focused = focus && (focus == dialog_ || IsChild(dialog_, focus));
    if (!focused && shownTicks_ < 100) return;
    acted_ = true;
    auto* form = dynamic_cast<TMessageForm*>(TWinControl::FromHandle(dialog_));
    if (form) action_(dialog_, form);
    return;
  }
  if (IsWindow(dialog_) && IsWindowVisible(dialog_) && ++afterTicks_ == 60) {
    stuck_ = true;
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
  }
}

void PressKey(UINT vk) {
  HWND target = GetFocus();
  PostMessageW(target, WM_KEYDOWN, vk, 1);
  PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

void Click(TForm* form, const std::string& caption) {
  if (TButton* b = FindButton(form, caption)) PostMessageW(b->Handle(), BM_CLICK, 0, 0);
}

void CloseBox(HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }
