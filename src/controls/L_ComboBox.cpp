#include "controls/L_ComboBox.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "classlib/Guard.h"
#include "classlib/Text.h"
#include "controls/L_ComboButton.h"
#include "controls/L_MonthCalendarExt.h"
#include "shared/S_FileUtils.h"
#include "shared/S_UxTheme.h"
#include "shared/S_string.h"

namespace {

void Beep() { MessageBeep(MB_OK); }

Currency ToCurrency(double v) { return (Currency)std::llround(v * 10000.0); }

// The class library's StrToCurr: blanks around a signed decimal number with
// an optional exponent; anything else is no number.
bool ParseNumber(const std::string& text, double& out) {
  std::string t = TrimSpaces(text);
  size_t i = 0;
  auto sign = [&] {
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  };
  auto digits = [&] {
    size_t from = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    return i - from;
  };
  sign();
  size_t mantissa = digits();
  if (i < t.size() && t[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (!mantissa) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    sign();
    if (!digits()) return false;
  }
  if (i != t.size()) return false;
  out = std::strtod(t.c_str(), nullptr);
  return std::fabs(out) < 9.2e14;
}

// The ASCII form of a full-width digit, comma or point, and of the minus
// where the box takes one; 0 for any other character.
wchar_t AsciiNumberChar(wchar_t c, bool minus) {
  std::string b = WideToSjis(&c, 1);
  if (b.size() != 2) return 0;
  unsigned char lead = b[0], trail = b[1];
  if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) return L'0' + (trail - 0x4F);
  if (lead != 0x81) return 0;
  if (trail == 0x7C) return minus ? L'-' : 0;
  return trail == 0x43 ? L',' : trail == 0x44 ? L'.' : 0;
}

}  // namespace

TComboEdit::TComboEdit() : buttonWidth_(GetSystemMetrics(SM_CXVSCROLL)) {}

TComboEdit::~TComboEdit() {
  ReleaseRepeat();
  // Also after a change of style: the calendar may still point here.
  if (calendarLinked_) SharedCalendar().Unlink(this);
}

void TComboEdit::Create(const TComboEditValues& v) {
  TakeValue(Columns, v.Columns);
  TakeValue(alignment_, v.Alignment);
  if (!v.Items.empty()) items_ = v.Items;
  TakeValue(noFocusButton_, v.NoFocusButton);
  TakeValue(Increment, v.Increment);
  TakeValue(DropDownRows, v.DropDownRows);
  TakeValue(MinusMode, v.MinusMode);
  TakeValue(numKey_, v.NumKey);
  TakeValue(UpDownSpin, v.UpDownSpin);
  TakeValue(NoFuncKeyDropDown, v.NoFuncKeyDropDown);
  if (!v.FormatDateStr.empty()) FormatDateStr = v.FormatDateStr;
  TakeValue(ListColorNorm, v.ListColorNorm);
  TakeValue(SepaLine, v.SepaLine);
  TakeValue(itemIndex_, v.ItemIndex);
  TakeEvent(OnEditButtonClick, v.OnEditButtonClick);
  if (v.EditStyle == esDropList) readOnly_ = true;
  TEditNext::Create(v);
  if (v.EditStyle) SetEditStyle(*v.EditStyle);
  if (v.MinValue) SetMinValue(*v.MinValue);
  if (v.MaxValue) SetMaxValue(*v.MaxValue);
}

void TComboEdit::CreateParams(TCreateParams& p) {
  TEditNext::CreateParams(p);
  p.Style |= ES_MULTILINE | ES_AUTOHSCROLL;
  p.Style &= ~(ES_WANTRETURN | WS_VSCROLL);
  if (alignment_ == taRightJustify) p.Style |= ES_RIGHT;
  if (alignment_ == taCenter) p.Style |= ES_CENTER;
}

void TComboEdit::SetValue(double value) {
  if (minValue_ != 0 && value < minValue_) value = minValue_;
  if (maxValue_ != 0 && value > maxValue_) value = maxValue_;
  if (!MinusMode && value < 0) value = 0;
  std::string text = CurrToStrSafe(ToCurrency(value));
  if (MaxLength() != 0 && ByteLength(text) > MaxLength()) return;
  SetText(text);
}

double TComboEdit::GetValue() {
  double v = 0;
  return ParseNumber(Text(), v) ? v : 0;
}

void TComboEdit::ClampValue() {
  if (editStyle_ == esSpin) SetValue(GetValue());
}

void TComboEdit::SetMinValue(double v) {
  minValue_ = v;
  ClampValue();
}

void TComboEdit::SetMaxValue(double v) {
  maxValue_ = v;
  ClampValue();
}

void TComboEdit::StepBy(double step) {
  SetValue(GetValue() + step);
  SelectOrCaretToEnd();
}

void TComboEdit::SetEditStyle(TEditStyle s) {
  if (s == editStyle_) return;
  // Closing up follows the style the drop-down was opened with.
  CloseUp(false);
  editStyle_ = s;
  switch (s) {
    case esPickList:
    case esDropList:
      CreateList();
      dropDown_ = list_.get();
      if (s == esDropList) {
        SetReadOnly(true);
        SetItemIndex(itemIndex_);
      }
      break;
    case esSpin:
      dropDown_ = nullptr;
      SetValue(GetValue());
      break;
    case esDate:
      dropDown_ = &SharedCalendar();
      break;
    default:
      dropDown_ = nullptr;
  }
  Invalidate();
}

void TComboEdit::CreateList() {
  if (list_) return;
  list_ = std::make_unique<TPopupListNum>();
  list_->HideKeyColumn = !numKey_;
  list_->SetFont(Font());
  list_->SetItemHeight(TextHeightA() + 2);
  list_->CloseUp = [this](bool accept) { CloseUp(accept); };
}

void TComboEdit::SetNumKey(bool v) {
  numKey_ = v;
  if (!list_) return;
  list_->HideKeyColumn = !v;
  list_->SetItemHeight(TextHeightA() + 2);
  list_->Invalidate();
}

void TComboEdit::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  RecreateWnd();
}

void TComboEdit::SetNoFocusButton(bool v) {
  if (v == noFocusButton_) return;
  noFocusButton_ = v;
  Invalidate();
}

void TComboEdit::SetItems(const std::vector<std::string>& items) {
  items_ = items;
  if (editStyle_ == esDropList) SetItemIndex(itemIndex_);
}

void TComboEdit::SetItemIndex(int index) {
  itemIndex_ = std::max(-1, index);
  if (editStyle_ != esDropList) return;
  itemIndex_ = std::min(itemIndex_, (int)items_.size() - 1);
  SyncDropListText();
  Refresh();
}

void TComboEdit::SyncDropListText() {
  if (editStyle_ != esDropList) return;
  std::string t =
      itemIndex_ >= 0 && itemIndex_ < (int)items_.size() ? items_[itemIndex_] : std::string();
  if (Text() != t) SetText(t);
}

void TComboEdit::Clear() {
  SetText("");
  items_.clear();
  itemIndex_ = -1;
  if (!noFocusButton_) Invalidate();
}

void TComboEdit::ApplyReadOnly() {
  if (editStyle_ == esDropList && !ReadOnly()) SetReadOnly(true);
}

int TComboEdit::TextHeightA() {
  TCanvas measure;
  measure.Font = Font();
  int h = measure.TextHeight("A");
  return h > 0 ? h : std::abs(Font().Height());
}

void TComboEdit::SetEditRect(bool hasButton) {
  HWND h = HandleIfAllocated();
  if (!h) return;
  int th = TextHeightA(), ch = ClientHeight();
  RECT r = BorderStyle == ebsSingle ? Rect(1, (ch - th) / 2 - 1, Width() - 4, Height())
                                    : Rect(3, (ch - th) / 2, Width() - 4, Height());
  if ((hasButton || noFocusButton_) && editStyle_ != esSimple) r.right -= buttonWidth_;
  SendMessageW(h, EM_SETRECTNP, 0, (LPARAM)&r);
  SendMessageW(h, EM_SCROLLCARET, 0, 0);
}

RECT TComboEdit::ButtonRect() {
  int w = Width(), h = Height(), b = buttonWidth_;
  if (!ThemesInUse())
    return BorderStyle == ebsSingle ? Rect(w - b - 4, 0, w - 4, h - 4) : Rect(w - b, 0, w, h);
  return BorderStyle == ebsSingle ? Rect(w - b - 3, -1, w - 3, h - 3) : Rect(w - b, 0, w, h);
}

bool TComboEdit::ButtonUsable() {
  return Enabled() && Visible() && (!ReadOnly() || editStyle_ == esDropList);
}

bool TComboEdit::HitButton(POINT p) {
  RECT r = ButtonRect();
  if (PtInRect(&r, p)) return true;
  RECT client = ClientRect();
  return editStyle_ == esDropList && PtInRect(&client, p);
}

void TComboEdit::RightAlignCaret() {
  if (alignment_ != taRightJustify) return;
  SelectOrCaretToEnd();
}

void TComboEdit::SelectOrCaretToEnd() {
  if (AutoSelect)
    SelectAll();
  else if (HWND h = HandleIfAllocated())
    SendMessageW(h, EM_SETSEL, 999, 999);
}

void TComboEdit::SetFocus() {
  TEditNext::SetFocus();
  FocusIn(nullptr);
}

// A read-only box shows no caret; others a wider one.
void TComboEdit::FocusIn(TMessage* m) {
  // Without a caret the box still works; the read-only state follows.
  Guard("combo edit caret", [&] {
    if (ReadOnly()) {
      if (m) FocusGained();
      HideCaret(HandleIfAllocated());
    } else {
      if (m) TEditNext::HandleMessage(*m);
      HWND h = HandleIfAllocated();
      CreateCaret(h, nullptr, 2 * GetSystemMetrics(SM_CXBORDER), TextHeightA());
      ShowCaret(h);
    }
  });
  ApplyReadOnly();
  SetEditRect(true);
  RightAlignCaret();
  if (!noFocusButton_) Invalidate();
}

void TComboEdit::FocusOut(TMessage& m) {
  StopTracking();
  TEditNext::HandleMessage(m);
  CloseUp(false);
  ClampValue();
  if (!noFocusButton_) Invalidate();
}

// An IME's result reaches the edit past the typed-key filter: its full-width
// digits become ASCII before the byte limit cuts them, so the box reads
// the number the user meant.
void TComboEdit::AsciiDigits() {
  HWND h = HandleIfAllocated();
  if (editStyle_ != esSpin || !h || ReadOnly()) return;
  std::wstring w = WindowTextW(h);
  DWORD selStart = 0, selEnd = 0;
  SendMessageW(h, EM_GETSEL, (WPARAM)&selStart, (LPARAM)&selEnd);
  bool replaced = false;
  trimming_ = true;
  for (size_t i = 0; i < w.size(); ++i) {
    wchar_t ascii[2] = {AsciiNumberChar(w[i], MinusMode), 0};
    if (!ascii[0]) continue;
    replaced = true;
    SendMessageW(h, EM_SETSEL, i, i + 1);
    SendMessageW(h, EM_REPLACESEL, FALSE, (LPARAM)ascii);
  }
  trimming_ = false;
  if (replaced) SendMessageW(h, EM_SETSEL, selStart, selEnd);
}

void TComboEdit::Change() {
  AsciiDigits();
  TEditNext::Change();
  if (alignment_ == taRightJustify)
    if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_SETSEL, 999, 999);
}

void TComboEdit::SpinKeyPress(char& key) {
  if (key == ',') {
    std::string t = Text() + "000";
    if (MaxLength() != 0 && ByteLength(t) > MaxLength()) {
      Beep();
    } else {
      SetText(t);
      SendMessageW(Handle(), EM_SETSEL, 9999, 9999);
    }
    key = 0;
  } else if (key == '-') {
    double v = GetValue();
    if (!MinusMode) {
      key = 0;
      Beep();
    } else if (v != 0) {
      if (MaxLength() != 0 && ByteLength(CurrToStrSafe(ToCurrency(-v))) > MaxLength())
        Beep();
      else
        SetValue(-v);
      key = 0;
    }
  } else if (key != '.' && (key < '0' || key > '9')) {
    key = 0;
    Beep();
  }
}

void TComboEdit::KeyPress(char& key) {
  if (key == '\r' && enterConsumed_) {
    key = 0;
    enterConsumed_ = false;
    return;
  }
  if (editStyle_ == esSpin && (unsigned char)key > 31) SpinKeyPress(key);
  if (key == '\n') {
    key = 0;
    Beep();
  }
  if (key) TEditNext::KeyPress(key);
}

void TComboEdit::KeyDown(WORD& key, TShiftState s) {
  if (editStyle_ == esEllipsis && key == VK_RETURN && s == ssCtrl && OnEditButtonClick &&
      ButtonUsable()) {
    key = 0;
    MSG pending;
    PeekMessageW(&pending, HandleIfAllocated(), WM_CHAR, WM_CHAR, PM_REMOVE);
    RaiseButtonClick();
    return;
  }
  if (editStyle_ == esSpin && !EnterNext && UpDownSpin && (key == VK_UP || key == VK_DOWN)) {
    double step = Increment * (IsShiftDown() ? 10 : 1);
    StepBy(key == VK_UP ? -step : step);
    key = 0;
    return;
  }
  if (key == VK_DELETE && !s && alignment_ == taRightJustify && SelLength() == 0) {
    std::string t = Text();
    if (SelStart() == CharCount(t)) {
      SetText(CopyChars(t, 1, CharCount(t) - 1));
      SendMessageW(Handle(), EM_SETSEL, 999, 999);
    }
  }
  if (key) TEditNext::KeyDown(key, s);
}

void TComboEdit::Paste() {
  std::wstring line = FirstClipboardLine(HandleIfAllocated());
  if (!line.empty()) SendMessageW(HandleIfAllocated(), EM_REPLACESEL, TRUE, (LPARAM)line.c_str());
}

void TComboEdit::Paint(TMessage& m) {
  PaintCheck();
  HWND h = HandleIfAllocated();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  if (!painted_) {
    painted_ = true;
    ApplyReadOnly();
  }
  SetEditRect(Focused());
  SyncDropListText();
  if ((Focused() || noFocusButton_ || inButtonClick_) && editStyle_ != esSimple) {
    TComboButtonState state;
    state.Style = editStyle_;
    state.Themed = ThemesInUse();
    state.Enabled = Enabled();
    state.Usable = ButtonUsable();
    state.HasList = list_ != nullptr;
    state.HasItems = !items_.empty();
    state.Pressed = buttonPressed_ || inButtonClick_;
    state.UpPressed = upPressed_;
    state.DownPressed = downPressed_;
    PaintComboButton(h, dc, ButtonRect(), buttonWidth_, state);
  }
  CallWindowProcW(sysProc_, h, WM_PAINT, (WPARAM)dc, 0);
  EndPaint(h, &ps);
  m.Result = 0;
}

void TComboEdit::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (KeyMessage(m)) return;
      break;
    case WM_CHAR:
      if (KeyMessage(m)) return;
      // Double-byte characters never reach KeyPress; a number takes none.
      if (wchar_t c = (wchar_t)m.WParam;
          editStyle_ == esSpin && c >= 0x80 && WideToSjis(&c, 1).size() > 1) {
        Beep();
        m.Result = 0;
        return;
      }
      break;
    case WM_PAINT:
      if (sysProc_) {
        Paint(m);
        return;
      }
      break;
    case WM_SETFOCUS:
      FocusIn(&m);
      return;
    case WM_KILLFOCUS:
      FocusOut(m);
      return;
    case WM_MOUSEMOVE:
      MouseMoveMessage(m);
      return;
    case WM_GETDLGCODE:
      TEditNext::HandleMessage(m);
      m.Result &= ~DLGC_WANTALLKEYS;
      return;
    case CB_GETDROPPEDSTATE:
      m.Result = droppedDown_;
      return;
    case WM_SETCURSOR:
      if (editStyle_ != esSimple && LOWORD(m.LParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        if (HitButton(ScreenToClient(p))) {
          ::SetCursor(LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW));
          m.Result = TRUE;
          return;
        }
      }
      break;
    case WM_CUT:
    case WM_CLEAR:
      if (!ButtonUsable()) {
        m.Result = 0;
        return;
      }
      break;
    case WM_PASTE:
      if (ButtonUsable() && !ReadOnly()) Paste();
      m.Result = 0;
      return;
    case CM_CANCELMODE:
      if ((TControl*)m.LParam != this && (TControl*)m.LParam != dropDown_) CloseUp(false);
      return;
    case WM_CANCELMODE:
      StopTracking();
      break;
    // A release that goes elsewhere (another window took the mouse) ends
    // the spin repeat as the box's own button-up does.
    case WM_CAPTURECHANGED:
      if (tracking_ && (HWND)m.LParam != HandleIfAllocated()) StopTracking();
      break;
  }
  TEditNext::HandleMessage(m);
}
