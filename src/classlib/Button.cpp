#include "Button.h"

TButton::TButton() {
  width_ = 75;
  height_ = 25;
  TabStop = true;
  clickOnMouseUp_ = false;
}

void TButton::Create(const TButtonValues& v) {
  TakeValue(default_, v.Default);
  TakeValue(Cancel, v.Cancel);
  TakeValue(ModalResult, v.ModalResult);
  TWinControl::Create(v);
}

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClass = L"BUTTON";
  p.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool v) {
  default_ = v;
  if (hwnd_) SendMessageW(hwnd_, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (TForm* f = GetParentForm(this)) f->SetModalResult(ModalResult);
  TWinControl::Click();
}

void TButton::HandleMessage(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == BN_CLICKED) GuardEvent("OnClick", [this] { Click(); });
    m.Result = 0;
    return;
  }
  TWinControl::HandleMessage(m);
}

TCheckBox::TCheckBox() {
  width_ = 97;
  height_ = 17;
  TabStop = true;
  clickOnMouseUp_ = false;
  parentColor_ = true;
}

void TCheckBox::Create(const TCheckBoxValues& v) {
  if (v.Checked) state_ = *v.Checked ? cbChecked : cbUnchecked;
  TakeValue(AllowGrayed, v.AllowGrayed);
  TWinControl::Create(v);
}

void TCheckBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClass = L"BUTTON";
  p.Style |= radio_ ? BS_AUTORADIOBUTTON : AllowGrayed ? BS_AUTO3STATE : BS_AUTOCHECKBOX;
}

void TCheckBox::CreateHandleDone() { SendMessageW(hwnd_, BM_SETCHECK, (WPARAM)state_, 0); }

TCheckBoxState TCheckBox::State() const {
  if (hwnd_) return (TCheckBoxState)SendMessageW(hwnd_, BM_GETCHECK, 0, 0);
  return state_;
}

void TCheckBox::SetState(TCheckBoxState s) {
  if (s == State()) return;
  state_ = s;
  if (hwnd_) SendMessageW(hwnd_, BM_SETCHECK, (WPARAM)s, 0);
  Click();  // as a click by the user
}

void TCheckBox::HandleMessage(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == BN_CLICKED) {
      state_ = State();
      GuardEvent("OnClick", [this] { Click(); });
    }
    m.Result = 0;
    return;
  }
  TWinControl::HandleMessage(m);
}

TRadioButton::TRadioButton() { radio_ = true; }
