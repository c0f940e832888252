#include "controls/L_MonthCalendarExt.h"

#include <commctrl.h>

#include <cmath>
#include <memory>

#include "controls/L_DropDown.h"

TMonthCalendarExt& SharedCalendar() {
  static std::unique_ptr<TMonthCalendarExt> calendar;
  if (!calendar) calendar = std::make_unique<TMonthCalendarExt>();
  return *calendar;
}

TMonthCalendarExt::TMonthCalendarExt() {
  visible_ = false;
  color_ = clWindow;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_DATE_CLASSES};
  InitCommonControlsEx(&icc);
}

TMonthCalendarExt::~TMonthCalendarExt() = default;

void TMonthCalendarExt::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClass = MONTHCAL_CLASSW;
  p.Style = (p.Style & ~(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN)) | WS_POPUP | WS_BORDER;
  p.ExStyle = WS_EX_TOOLWINDOW;
  p.WndParent = owner_;
}

void TMonthCalendarExt::CreateHandleDone() {
  AutoSize();
  DrawAsFocused(hwnd_, sysProc_);
}

void TMonthCalendarExt::AutoSize() {
  RECT r = {0, 0, 0, 0};
  if (!Handle() || !SendMessageW(hwnd_, MCM_GETMINREQRECT, 0, (LPARAM)&r)) return;
  RECT frame = r;
  AdjustWindowRectEx(&frame, GetWindowLongW(hwnd_, GWL_STYLE), FALSE,
                     GetWindowLongW(hwnd_, GWL_EXSTYLE));
  SetBounds(left_, top_, frame.right - frame.left, frame.bottom - frame.top);
}

void TMonthCalendarExt::LinkTo(const void* combo, HWND owner,
                               std::function<void(bool accept)> closeUp) {
  Link = combo;
  CloseUp = std::move(closeUp);
  if (owner == owner_) return;
  owner_ = owner;
  if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, (LONG_PTR)owner);
}

void TMonthCalendarExt::Unlink(const void* combo) {
  if (Link != combo) return;
  Link = nullptr;
  CloseUp = nullptr;
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

TDateTime TMonthCalendarExt::Date() {
  SYSTEMTIME st = {};
  if (!Handle() || !SendMessageW(hwnd_, MCM_GETCURSEL, 0, (LPARAM)&st)) return ::Date();
  return std::trunc(SystemTimeToDateTime(st));
}

void TMonthCalendarExt::SetDate(TDateTime d) {
  SYSTEMTIME st = DateTimeToSystemTime(std::trunc(d));
  if (Handle()) SendMessageW(hwnd_, MCM_SETCURSEL, 0, (LPARAM)&st);
}

void TMonthCalendarExt::HandleMessage(TMessage& m) {
  if (DropDownMessage(m)) return;
  TWinControl::HandleMessage(m);
  if (m.Msg == WM_SETFONT) AutoSize();
}

// Below the title (the month and its arrows) a click picks a day.
void TMonthCalendarExt::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  TWinControl::MouseUp(b, s, x, y);
  if (b != mbLeft || y < 2.5 * std::abs(font_.Height()) || !CloseUp) return;
  RECT r;
  GetClientRect(hwnd_, &r);
  CloseUp(x >= 0 && y >= 0 && x < r.right && y < r.bottom);
}
