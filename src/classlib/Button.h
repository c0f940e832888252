// Push button, check box and radio button (system BUTTON class).
#pragma once
#include "Controls.h"
#include "Forms.h"

class TButton : public TWinControl {
 public:
  TButton();
  // Enter clicks the default button of the form, Escape the cancel button.
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel = false;
  // A non-zero result closes the modal form the button is on.
  TModalResult ModalResult = mrNone;
  void Click() override;

 protected:
  void CreateParams(TCreateParams& p) override;
  void HandleMessage(TMessage& m) override;
  bool default_ = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
 public:
  TCheckBox();
  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const;
  void SetState(TCheckBoxState s);
  bool AllowGrayed = false;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandleDone() override;
  void HandleMessage(TMessage& m) override;
  TCheckBoxState state_ = cbUnchecked;
  bool radio_ = false;
};

class TRadioButton : public TCheckBox {
 public:
  TRadioButton();
};
