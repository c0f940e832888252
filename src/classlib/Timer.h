// A timer driven by WM_TIMER of a hidden window shared by all timers.
#pragma once
#include "Controls.h"

struct TTimerValues {
  unsigned Interval = 1000;
  bool Enabled = true;
  int Tag = 0;
  TNotifyEvent OnTimer;
};

struct TTimerArgs : TTimerValues {
  using Self = TTimerArgs;
  using V = TTimerValues;
  CREATE_ARG(Interval)
  CREATE_ARG(Enabled)
  CREATE_ARG(Tag)
  CREATE_ARG(OnTimer)
};

class TTimer : public TObject {
 public:
  TTimer();
  void Create(const TTimerValues& v);
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
