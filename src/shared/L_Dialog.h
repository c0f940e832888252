// The message and question box of the setup program: the class library's
// message form, adjusted (colours, stay-on-top, position, focus on Cancel,
// an optional check box) and shown modally.
#pragma once
#include <string>

#include "Dialogs.h"
#include "Forms.h"
#include "Graphics.h"
#include "StringList.h"

class TMsgDlg {
 public:
  TMsgDlg() = default;
  TMsgDlg(const TMsgDlg&) = delete;
  TMsgDlg& operator=(const TMsgDlg&) = delete;

  // Lines as one text (every line followed by CR LF); setting splits it.
  std::string Caption() const { return Lines.Text(); }
  void SetCaption(const std::string& text) { Lines.SetText(text); }

  std::string Mess;  // check-box caption; empty: "メッセージ"
  TMsgDlgType DlgType = mtInformation;
  TMsgDlgButtons Buttons = {mbOK};
  int PosX = -1, PosY = -1;
  int HelpConText = 0;
  bool MessSwitch = false;
  bool MessChecked = false;
  bool Bell = false;
  TFormBorderStyle BorderStyle = bsDialog;
  TColor Color = clBtnFace;         // clNone: the form's own colour
  TColor FontColor = clWindowText;  // clNone: the form's own font colour
  TStringList Lines;
  bool CancelFocus = false;

  // The form the box is centred on; nullptr: none.
  void SetCenterForm(TForm* form) { centerForm_ = form; }

  // Shows the box with top-most windows normalised; returns the modal result.
  TModalResult Execute();
  TModalResult ShowModalForm();

 private:
  TForm* centerForm_ = nullptr;
};

TMsgDlg& GetMsgDlg();
void ShowMsg(const std::string& text, TMsgDlgType dlgType);
// True only when the answer is Yes.
bool ConfirmMsg(const std::string& text, TMsgDlgType dlgType, bool cancelFocus);
// Honours the Windows setting that puts the pointer on the default button.
void SnapCursorToDefault(TControl* control);
