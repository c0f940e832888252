// The drop-down of a combo edit: its keys, opening, placing and closing the
// list or the calendar.
#include <windows.h>
#include <imm.h>

#include "classlib/Application.h"
#include "classlib/Guard.h"
#include "classlib/Screen.h"
#include "controls/L_ComboBox.h"
#include "controls/L_MonthCalendarExt.h"
#include "shared/S_string.h"

namespace {

// ASCII letters upper-cased; double-byte characters untouched.
std::string UpperAscii(const std::string& s) {
  std::string u = s;
  for (size_t i = 0; i < u.size(); ++i) {
    if (IsLeadByte((unsigned char)u[i])) {
      ++i;
      continue;
    }
    if (u[i] >= 'a' && u[i] <= 'z') u[i] = (char)(u[i] - 32);
  }
  return u;
}

}  // namespace

void TComboEdit::DropKeys(WORD& key, TShiftState s) {
  if (key != VK_RETURN) enterConsumed_ = false;
  bool toggle = false;
  if ((key == VK_RETURN || key == VK_ESCAPE) && droppedDown_ && !(s & ssAlt)) {
    CloseUp(key == VK_RETURN);
    key = 0;
    enterConsumed_ = true;
  } else if ((key == VK_UP || key == VK_DOWN) && (s & ssAlt)) {
    toggle = true;
  } else if (key == VK_F4 && !s && !NoFuncKeyDropDown) {
    toggle = true;
  }
  if (!toggle) return;
  if (droppedDown_)
    CloseUp(true);
  else
    DropDown();
  key = 0;
}

// Keys of the drop styles: the drop keys first; while open the rest go to
// the drop-down. True when the message is used up.
bool TComboEdit::KeyMessage(TMessage& m) {
  if (!IsDropStyle()) return false;
  if (m.Msg != WM_CHAR) {
    WORD key = (WORD)m.WParam;
    DropKeys(key, KeyboardShiftState());
    if (!key) {
      m.Result = 0;
      return true;
    }
    m.WParam = key;
  }
  HWND drop = DropDownWindow();
  if (!droppedDown_ || !drop) return false;
  m.Result = SendMessageW(drop, m.Msg, m.WParam, m.LParam);
  return true;
}

// Enter and Escape close an open drop-down, whatever the form's buttons.
bool TComboEdit::WantsKey(WORD key) {
  if (droppedDown_ && (key == VK_RETURN || key == VK_ESCAPE)) return true;
  return TEditNext::WantsKey(key);
}

HWND TComboEdit::DropDownWindow() { return dropDown_ ? dropDown_->HandleIfAllocated() : nullptr; }

void TComboEdit::DropDown() {
  if (droppedDown_ || !dropDown_ || !ButtonUsable() || (IsListStyle() && items_.empty())) return;
  savedShowHint_ = ShowHint;
  ShowHint = false;
  Application.CancelHint();
  SelectOrCaretToEnd();
  if (IsListStyle())
    DropDownList();
  else
    DropDownCalendar();
  PlaceDropDown(*dropDown_);
  droppedDown_ = true;
  HWND h = Handle();
  if (HIMC ime = ImmGetContext(h)) {
    savedImeOpen_ = ImmGetOpenStatus(ime) != FALSE;
    ImmSetOpenStatus(ime, FALSE);
    ImmReleaseContext(h, ime);
  }
  Invalidate();
  ::SetFocus(h);
}

void TComboEdit::DropDownList() {
  TPopupListNum& list = *list_;
  list.OwnerWindow = GetAncestor(Handle(), GA_ROOT);
  TFont font = Font();
  TColor background = Color();
  if (ListColorNorm) {
    background = FocusColorChange() ? NoFocusColor() : clWindow;
    font.SetColor(FocusColorChange() ? NoFocusFontColor() : clWindowText);
  } else if (FocusColorChange()) {
    background = FocusColor();
    font.SetColor(FocusFontColor());
  }
  list.SetFont(font);
  list.SetColor(background);
  list.SetItems(items_);
  if (list.Columns != Columns) {
    list.Columns = Columns;
    list.RecreateWnd();
  }
  list.Handle();
  list.Separators = SepaLine;
  list.SetWidth(Width());
  FitListRows();
}

void TComboEdit::FitListRows() {
  TPopupListNum& list = *list_;
  int rowHeight = TextHeightA() + 2;
  list.SetItemHeight(rowHeight);
  int rows = std::min((int)items_.size(), DropDownRows);
  list.SetClientHeight(rows * rowHeight + 4);
  int selected = -1;
  if (editStyle_ == esDropList) {
    selected = itemIndex_;
  } else {
    auto it = std::find(items_.begin(), items_.end(), Text());
    if (it != items_.end()) selected = (int)(it - items_.begin());
  }
  list.SetItemIndex(selected);
  TCanvas measure;
  measure.Font = list.Font();
  int widest = 0;
  for (const std::string& item : items_) widest = std::max(widest, measure.TextWidth("W" + item));
  widest += numKey_ ? 12 : 4;
  if (Columns > 0) SendMessageW(list.Handle(), LB_SETCOLUMNWIDTH, widest, 0);
  if (Columns > 1) widest *= Columns;
  list.SetClientWidth(std::max(list.ClientWidth() + 1, widest));
}

void TComboEdit::DropDownCalendar() {
  TMonthCalendarExt& calendar = SharedCalendar();
  calendar.LinkTo(this, GetAncestor(Handle(), GA_ROOT), [this](bool accept) { CloseUp(accept); });
  calendarLinked_ = true;
  calendar.SetFont(Font());
  calendar.Handle();
  calendar.AutoSize();
  TDateTime date = Date();
  std::string format = UpperAscii(FormatDateStr), text = Text();
  int y = InStrChar(format, "YYYY"), m = InStrChar(format, "MM"), d = InStrChar(format, "DD");
  TDateTime typed;
  if (y && m && d &&
      TryEncodeDate(StrToIntLoose(CopyChars(text, y, 4)), StrToIntLoose(CopyChars(text, m, 2)),
                    StrToIntLoose(CopyChars(text, d, 2)), typed))
    date = typed;
  calendar.SetDate(date);
}

// Below the edit, or above it near the screen's bottom; its right edge with
// the edit's near the screen's right.
void TComboEdit::PlaceDropDown(TWinControl& drop) {
  RECT edit;
  GetWindowRect(Handle(), &edit);
  int x = edit.left, y = edit.top + Height() + (BorderStyle == ebsSingle ? 0 : 1);
  int w = drop.Width(), h = drop.Height();
  if (y + h + 5 > Screen.Height()) y = edit.top - h;
  if (w + x + 5 > Screen.Width()) x -= w - Width();
  drop.SetBounds(x, y, w, h);
  SetWindowPos(drop.Handle(), HWND_TOPMOST, x, y, 0, 0,
               SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
}

void TComboEdit::CloseUp(bool accept) {
  if (!droppedDown_) return;
  if (IsListStyle())
    CloseList(accept);
  else
    CloseCalendar(accept);
  ShowHint = savedShowHint_;
}

void TComboEdit::CloseList(bool accept) {
  int selected = list_->ItemIndex();
  if (!accept || !ButtonUsable() || selected < 0 || selected >= list_->ItemCount()) {
    HideDropDown();
    return;
  }
  std::string entry = list_->Item(selected);
  if (SepaLine && !entry.empty() && entry[0] == '-') {
    MessageBeep(MB_OK);
    return;
  }
  if (editStyle_ == esPickList)
    SetText(entry);
  else
    SetItemIndex(selected);
  SetModified(true);
  HideDropDown();
  RightAlignCaret();
}

// An accepted date goes into the text and the calendar stays open.
void TComboEdit::CloseCalendar(bool accept) {
  if (!accept || !ButtonUsable()) {
    HideDropDown();
    return;
  }
  // A date that cannot be shown leaves the text as it was.
  Guard("calendar date to text", [&] {
    SetText(FormatDateTime(FormatDateStr, SharedCalendar().Date()));
    SetModified(true);
    RightAlignCaret();
  });
}

void TComboEdit::HideDropDown() {
  if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
  if (HWND drop = DropDownWindow())
    SetWindowPos(drop, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  droppedDown_ = false;
  HWND h = HandleIfAllocated();
  if (HIMC ime = h ? ImmGetContext(h) : nullptr) {
    ImmSetOpenStatus(ime, savedImeOpen_);
    ImmReleaseContext(h, ime);
  }
  Invalidate();
}
