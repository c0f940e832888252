// TMonthCalendarExt: the month calendar that a date-style combo edit drops
// down. One calendar serves every combo edit of the process; it lives until
// the program ends, so no control can free it under another.
#pragma once
#include <functional>

#include "classlib/Controls.h"
#include "classlib/DateTime.h"

class TMonthCalendarExt : public TWinControl {
 public:
  TMonthCalendarExt();
  ~TMonthCalendarExt() override;

  TDateTime Date();
  void SetDate(TDateTime d);
  // Sizes the window to the calendar's smallest full size.
  void AutoSize();

  // The combo edit served now, with its CloseUp; a left click on the days
  // calls it, accepting when the click ended inside the calendar.
  const void* Link = nullptr;
  std::function<void(bool accept)> CloseUp;
  // Serves the next combo edit: its window owns the calendar from now on.
  void LinkTo(const void* combo, HWND owner, std::function<void(bool accept)> closeUp);
  void Unlink(const void* combo);

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandleDone() override;
  void HandleMessage(TMessage& m) override;
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;
  HWND owner_ = nullptr;
};

// The process's calendar, made on first use.
TMonthCalendarExt& SharedCalendar();
