#include "Timer.h"

#include <map>

struct TimerWindow {
  HWND hwnd = nullptr;
  std::map<UINT_PTR, TTimer*> timers;
  UINT_PTR next = 1;

  static TimerWindow& Get() {
    static TimerWindow w;
    if (!w.hwnd) {
      WNDCLASSEXW wc = {};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TTimerWindow";
      RegisterClassExW(&wc);
      w.hwnd = CreateWindowExW(0, L"TTimerWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    }
    return w;
  }

  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_TIMER) return DefWindowProcW(h, msg, wp, lp);
    TimerWindow& w = Get();
    auto it = w.timers.find(wp);
    if (it == w.timers.end()) {
      KillTimer(h, wp);
      return 0;
    }
    TTimer* t = it->second;
    // A copy: the handler may destroy the timer.
    TNotifyEvent fn = t->OnTimer;
    if (fn) GuardEvent("OnTimer", [&] { fn(t); });
    return 0;
  }
};

TTimer::TTimer() { Update(); }

void TTimer::Create(const TTimerValues& v) {
  enabled_ = v.Enabled;
  interval_ = v.Interval;
  Tag = v.Tag;
  OnTimer = v.OnTimer;
  Update();
}

TTimer::~TTimer() {
  enabled_ = false;
  Update();
}

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Update();
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Update();
}

void TTimer::Update() {
  TimerWindow& w = TimerWindow::Get();
  if (id_) {
    KillTimer(w.hwnd, id_);
    w.timers.erase(id_);
    id_ = 0;
  }
  if (!enabled_ || interval_ == 0 || !w.hwnd) return;
  id_ = w.next++;
  if (!SetTimer(w.hwnd, id_, interval_, nullptr)) {
    id_ = 0;
    return;
  }
  w.timers[id_] = this;
}
