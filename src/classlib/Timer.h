// A timer driven by WM_TIMER of a hidden window shared by all timers.
#pragma once
#include "Controls.h"

class TTimer : public TObject {
 public:
  TTimer();
  ~TTimer() override;
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  unsigned Interval() const { return interval_; }  // ms; 0 stops the timer
  void SetInterval(unsigned ms);
  int Tag = 0;
  // Handlers that throw are caught; the timer keeps running.
  TNotifyEvent OnTimer;

 private:
  void Update();
  friend struct TimerWindow;
  bool enabled_ = true;
  unsigned interval_ = 1000;
  UINT_PTR id_ = 0;
};
