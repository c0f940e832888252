#include "Edit.h"

#include <algorithm>

#include "Handles.h"
#include "Text.h"

namespace {

int SjisBytes(wchar_t c) { return (int)WideToSjis(&c, 1).size(); }

void DeleteRange(HWND edit, int from, int to) {
  SendMessageW(edit, EM_SETSEL, from, to);
  SendMessageW(edit, EM_REPLACESEL, FALSE, (LPARAM)L"");
}

}  // namespace

std::wstring WindowTextW(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::wstring w(n + 1, L'\0');
  w.resize(GetWindowTextW(h, &w[0], n + 1));
  return w;
}

std::wstring FirstClipboardLine(HWND owner) {
  ClipboardScope clipboard(owner);
  if (!clipboard.Open()) return std::wstring();
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return std::wstring();
  const wchar_t* text = (const wchar_t*)GlobalLock(data);
  if (!text) return std::wstring();
  std::wstring line(text, wcscspn(text, L"\r\n"));
  GlobalUnlock(data);
  return line;
}

// Unicode edit windows count their limit in characters under every
// common-controls version, so the byte limit is kept here in every case.
// The text is cut directly: a control that ignores WM_CLEAR (a combo edit
// whose button is not usable) cannot make this loop for ever.
bool KeepByteLimit(HWND edit, int maxBytes) {
  if (!edit || maxBytes <= 0) return false;
  std::wstring w = WindowTextW(edit);
  int total = 0;
  for (wchar_t c : w) total += SjisBytes(c);
  if (total <= maxBytes) return false;
  DWORD selStart = 0, selEnd = 0;
  SendMessageW(edit, EM_GETSEL, (WPARAM)&selStart, (LPARAM)&selEnd);
  int s = std::min((int)selStart, (int)w.size()), length = (int)selEnd - (int)selStart;
  int before = 0;
  while (total > maxBytes && before < s) total -= SjisBytes(w[s - 1 - before++]);
  int n = (int)w.size() - before, tail = 0;
  while (total > maxBytes && tail < n) total -= SjisBytes(w[w.size() - 1 - tail++]);
  if (before) DeleteRange(edit, s - before, s);
  if (tail) DeleteRange(edit, n - tail, n);
  int start = std::min(s - before, n - tail);
  int end = std::min(start + length, n - tail);
  SendMessageW(edit, EM_SETSEL, start, end);
  return true;
}

TEdit::TEdit() {
  width_ = 121;
  height_ = 21;
  TabStop = true;
  color_ = clWindow;
  clickOnMouseUp_ = false;
}

void TEdit::Create(const TEditValues& v) {
  TakeValue(maxLength_, v.MaxLength);
  TakeValue(readOnly_, v.ReadOnly);
  TakeValue(passwordChar_, v.PasswordChar);
  TakeValue(AutoSelect, v.AutoSelect);
  TakeValue(BorderStyle, v.BorderStyle);
  TakeEvent(OnChange, v.OnChange);
  TWinControl::Create(v);
}

void TEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClass = L"EDIT";
  p.Style &= ~WS_CLIPCHILDREN;
  p.Style |= ES_AUTOHSCROLL;
  if (readOnly_) p.Style |= ES_READONLY;
  if (passwordChar_) p.Style |= ES_PASSWORD;
  if (BorderStyle == ebsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateHandleDone() {
  if (maxLength_ > 0) SendMessageW(hwnd_, EM_LIMITTEXT, (WPARAM)maxLength_, 0);
  if (!readOnly_) KeepByteLimit(hwnd_, maxLength_);
  if (passwordChar_) SendMessageW(hwnd_, EM_SETPASSWORDCHAR, (WPARAM)(unsigned char)passwordChar_, 0);
}

std::string TEdit::Text() const { return TWinControl::Text(); }

// A multi-line edit window sends no EN_CHANGE for a text set by the program:
// the change is raised here then, once, as for a single-line edit.
void TEdit::SetText(const std::string& s) {
  if (!hwnd_ || Text() == s) {
    TWinControl::SetText(s);
    return;
  }
  changeSeen_ = false;
  TWinControl::SetText(s);
  if (!changeSeen_) GuardEvent("OnChange", [this] { Change(); });
}

void TEdit::SetMaxLength(int n) {
  maxLength_ = n;
  if (hwnd_) SendMessageW(hwnd_, EM_LIMITTEXT, (WPARAM)(n > 0 ? n : 0), 0);
}

void TEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  if (hwnd_) SendMessageW(hwnd_, EM_SETREADONLY, v, 0);
}

void TEdit::SetPasswordChar(char c) {
  passwordChar_ = c;
  if (hwnd_) {
    SendMessageW(hwnd_, EM_SETPASSWORDCHAR, (WPARAM)(unsigned char)c, 0);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
  }
}

int TEdit::SelStart() {
  DWORD s = 0, e = 0;
  if (Handle()) SendMessageW(hwnd_, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  return (int)s;
}

int TEdit::SelLength() {
  DWORD s = 0, e = 0;
  if (Handle()) SendMessageW(hwnd_, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  return (int)(e - s);
}

void TEdit::SetSelStart(int s) {
  if (Handle()) SendMessageW(hwnd_, EM_SETSEL, s, s);
}

void TEdit::SetSelLength(int n) {
  int s = SelStart();
  if (hwnd_) SendMessageW(hwnd_, EM_SETSEL, s, s + n);
}

void TEdit::SelectAll() {
  if (Handle()) SendMessageW(hwnd_, EM_SETSEL, 0, -1);
}

std::string TEdit::SelText() {
  std::wstring w = SjisToWide(Text());
  int s = SelStart(), n = SelLength();
  if (s < 0 || s > (int)w.size()) return std::string();
  return WideToSjis(w.substr(s, n));
}

bool TEdit::CanUndo() { return Handle() && SendMessageW(hwnd_, EM_CANUNDO, 0, 0) != 0; }

bool TEdit::Modified() { return hwnd_ && SendMessageW(hwnd_, EM_GETMODIFY, 0, 0) != 0; }

void TEdit::SetModified(bool v) {
  if (Handle()) SendMessageW(hwnd_, EM_SETMODIFY, v, 0);
}

void TEdit::Undo() {
  if (Handle()) SendMessageW(hwnd_, EM_UNDO, 0, 0);
}

void TEdit::ClearSelection() {
  if (Handle()) SendMessageW(hwnd_, WM_CLEAR, 0, 0);
}

void TEdit::Change() {
  if (!readOnly_ && maxLength_ > 0) {
    trimming_ = true;
    KeepByteLimit(hwnd_, maxLength_);
    trimming_ = false;
  }
  if (OnChange) OnChange(this);
}

void TEdit::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      // The cuts of the byte limit change the text again: one change is raised.
      if (HIWORD(m.WParam) == EN_CHANGE && !trimming_) {
        changeSeen_ = true;
        GuardEvent("OnChange", [this] { Change(); });
      }
      m.Result = 0;
      return;
    case WM_SETFOCUS:
      TWinControl::HandleMessage(m);
      if (AutoSelect && !multiLine_ && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
      return;
    default:
      TWinControl::HandleMessage(m);
  }
}

TMemo::TMemo() {
  width_ = 185;
  height_ = 89;
  multiLine_ = true;
  AutoSelect = false;
}

void TMemo::Create(const TMemoValues& v) {
  TakeValue(ScrollBars, v.ScrollBars);
  TakeValue(WordWrap, v.WordWrap);
  TakeValue(WantReturns, v.WantReturns);
  if (!v.Lines.empty()) SetLines(v.Lines);
  TEdit::Create(v);
}

void TMemo::CreateParams(TCreateParams& p) {
  TEdit::CreateParams(p);
  p.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (WantReturns) p.Style |= ES_WANTRETURN;
  if (WordWrap) p.Style &= ~ES_AUTOHSCROLL;
  if (ScrollBars == ssVertical || ScrollBars == ssBoth) p.Style |= WS_VSCROLL;
  if (ScrollBars == ssHorizontal || ScrollBars == ssBoth) p.Style |= WS_HSCROLL;
}

bool TMemo::WantsKey(WORD key) {
  if (key == VK_RETURN) return WantReturns;
  if (key == VK_TAB) return false;
  return TEdit::WantsKey(key);
}

std::vector<std::string> TMemo::Lines() const {
  std::vector<std::string> out;
  std::string t = Text();
  size_t start = 0;
  while (start <= t.size()) {
    size_t nl = t.find('\n', start);
    std::string line = t.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (nl == std::string::npos) {
      if (!line.empty()) out.push_back(line);
      break;
    }
    out.push_back(line);
    start = nl + 1;
  }
  return out;
}

void TMemo::SetLines(const std::vector<std::string>& lines) {
  std::string t;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) t += "\r\n";
    t += lines[i];
  }
  SetText(t);
}
