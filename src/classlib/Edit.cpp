#include "Edit.h"

#include "Text.h"

TEdit::TEdit() {
  width_ = 121;
  height_ = 21;
  TabStop = true;
  color_ = clWindow;
  clickOnMouseUp_ = false;
}

void TEdit::Create(const TEditValues& v) {
  maxLength_ = v.MaxLength;
  readOnly_ = v.ReadOnly;
  passwordChar_ = v.PasswordChar;
  AutoSelect = v.AutoSelect;
  BorderStyle = v.BorderStyle;
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
  if (passwordChar_) SendMessageW(hwnd_, EM_SETPASSWORDCHAR, (WPARAM)(unsigned char)passwordChar_, 0);
}

std::string TEdit::Text() const { return TWinControl::Text(); }

void TEdit::SetText(const std::string& s) { TWinControl::SetText(s); }

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

void TEdit::Undo() {
  if (Handle()) SendMessageW(hwnd_, EM_UNDO, 0, 0);
}

void TEdit::ClearSelection() {
  if (Handle()) SendMessageW(hwnd_, WM_CLEAR, 0, 0);
}

void TEdit::Change() {
  if (OnChange) OnChange(this);
}

void TEdit::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (HIWORD(m.WParam) == EN_CHANGE) SafeCall([this] { Change(); });
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
  ScrollBars = v.ScrollBars;
  WordWrap = v.WordWrap;
  WantReturns = v.WantReturns;
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
