#include "L_Dialog.h"

#include <cmath>
#include <memory>

#include "Application.h"
#include "Guard.h"
#include "Screen.h"

namespace {

TColor g_colorOverride = clNone;
TColor g_fontColorOverride = clNone;

std::string TrimLineBreaks(const std::string& text) {
  size_t first = text.find_first_not_of("\r\n");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of("\r\n") - first + 1);
}

int Round(double x) { return (int)std::lround(x); }

// Cancel becomes the default button as well: the default frame and the
// pointer snapped to the default button must not point at Yes.
void FocusCancelButton(TForm& form) {
  TButton* target = nullptr;
  for (int i = 0; i < form.ControlCount(); ++i) {
    auto* button = dynamic_cast<TButton*>(form.Controls(i));
    if (button && (button->ModalResult == mrCancel || button->ModalResult == mrNo)) target = button;
  }
  if (!target) return;
  for (int i = 0; i < form.ControlCount(); ++i)
    if (auto* button = dynamic_cast<TButton*>(form.Controls(i)))
      button->SetDefault(button == target);
  form.SetActiveControl(target);
}

// Restores the top-most windows however the showing ends.
struct TopMostScope {
  TopMostScope() { Application.NormalizeAllTopMosts(); }
  ~TopMostScope() { Application.RestoreTopMosts(); }
};

}  // namespace

TModalResult TMsgDlg::Execute() {
  TopMostScope topMosts;
  return ShowModalForm();
}

TModalResult TMsgDlg::ShowModalForm() {
  std::string text = TrimLineBreaks(Caption());
  std::string checkCaption = Mess.empty() ? "メッセージ" : Mess;
  if (MessSwitch && text.size() < checkCaption.size()) text.resize(checkCaption.size(), ' ');

  std::unique_ptr<TMessageForm> form = CreateMessageDialog(text, DlgType, Buttons);
  form->SetBorderStyle(BorderStyle);
  form->SetFormStyle(fsStayOnTop);
  for (int i = 0; i < form->ControlCount(); ++i)
    if (auto* label = dynamic_cast<TLabel*>(form->Controls(i))) label->SetTransparent(true);
  if (CancelFocus) FocusCancelButton(*form);

  TCheckBox* check = nullptr;
  if (MessSwitch) {
    int h = FontTextExtent(form->Font(), "W").cy;
    form->SetHeight(form->Height() + Round(h * 1.4));
    auto box = std::make_unique<TCheckBox>();
    box->SetCaption(checkCaption);
    box->SetChecked(MessChecked);
    box->TabStop = true;
    box->SetParent(form.get());
    box->SetBounds(25, form->ClientHeight() - Round(h * 1.6),
                   FontTextExtent(form->Font(), checkCaption).cx + 20, Round(h * 1.2));
    check = form->Own(std::move(box));
    check->SetVisible(true);
    check->BringToFront();
  }

  if (Color != clNone) form->SetColor(Color);
  if (FontColor != clNone) form->Font().SetColor(FontColor);
  form->HelpContext = HelpConText;

  if (centerForm_) {
    // An owner that cannot be measured leaves the designed position.
    Guard("message box centring", [&] {
      form->Position = poDesigned;
      form->SetBounds(centerForm_->Left() + (centerForm_->Width() - form->Width()) / 2,
                      centerForm_->Top() + (centerForm_->Height() - form->Height()) / 2,
                      form->Width(), form->Height());
    });
  } else if (PosX >= 0 || PosY >= 0) {
    form->Position = poDesigned;
    if (PosX >= 0) form->SetLeft(PosX);
    if (PosY >= 0) form->SetTop(PosY);
  }

  if (Bell) MessageBeep(0);
  TMessageForm* shown = form.get();
  form->OnShow = [shown](TObject*) { SnapCursorToDefault(shown); };
  TModalResult result = form->ShowModal();
  if (check) MessChecked = check->Checked();
  return result;
}

TMsgDlg& GetMsgDlg() {
  static TMsgDlg dialog;
  if (g_colorOverride != clNone) dialog.Color = g_colorOverride;
  if (g_fontColorOverride != clNone) dialog.FontColor = g_fontColorOverride;
  return dialog;
}

namespace {

// The shared dialog made ready for one message over the active form.
TMsgDlg& PrepareMsgDlg(const std::string& text, TMsgDlgType dlgType, TMsgDlgButtons buttons) {
  Screen.SetCursor(crDefault);
  TMsgDlg& dialog = GetMsgDlg();
  dialog.SetCenterForm(Application.ActiveForm());
  dialog.SetCaption(text);
  dialog.Buttons = buttons;
  dialog.DlgType = dlgType;
  return dialog;
}

}  // namespace

void ShowMsg(const std::string& text, TMsgDlgType dlgType) {
  PrepareMsgDlg(text, dlgType, {mbOK}).Execute();
}

bool ConfirmMsg(const std::string& text, TMsgDlgType dlgType, bool cancelFocus) {
  TMsgDlg& dialog = PrepareMsgDlg(text, dlgType, {mbYes, mbCancel});
  dialog.CancelFocus = cancelFocus;
  TModalResult result;
  try {
    result = dialog.Execute();
  } catch (...) {
    dialog.CancelFocus = false;
    throw;
  }
  dialog.CancelFocus = false;
  return result == mrYes;
}

// The pointer simply stays where it is when this fails.
void SnapCursorToDefault(TControl* control) {
  if (!control) return;
  Guard("pointer to default button", [&] {
    BOOL snap = FALSE;
    if (!SystemParametersInfoW(SPI_GETSNAPTODEFBUTTON, 0, &snap, 0) || !snap) return;
    TButton* target = dynamic_cast<TButton*>(control);
    if (!target) {
      if (auto* parent = dynamic_cast<TWinControl*>(control)) {
        for (int i = 0; i < parent->ControlCount() && !target; ++i) {
          auto* button = dynamic_cast<TButton*>(parent->Controls(i));
          if (button && button->Default()) target = button;
        }
      }
    }
    if (!target) return;
    POINT origin = target->ClientOrigin();
    Mouse.SetCursorPos({origin.x + target->Width() / 2, origin.y + target->Height() / 2});
  });
}
