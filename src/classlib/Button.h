// Push button, check box and radio button (system BUTTON class).
#pragma once
#include "Controls.h"
#include "Forms.h"

struct TButtonValues : TWinControlValues {
  std::optional<bool> Default;
  std::optional<bool> Cancel;
  std::optional<TModalResult> ModalResult;
};

template <class Self, class V = TButtonValues>
struct TButtonArgsOf : TWinControlArgsOf<Self, V> {
  CREATE_ARG(Default)
  CREATE_ARG(Cancel)
  CREATE_ARG(ModalResult)
};
struct TButtonArgs : TButtonArgsOf<TButtonArgs> {};

class TButton : public TWinControl {
 public:
  TButton();
  void Create(const TButtonValues& v);
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

struct TCheckBoxValues : TWinControlValues {
  std::optional<bool> Checked;
  std::optional<bool> AllowGrayed;
};

template <class Self, class V = TCheckBoxValues>
struct TCheckBoxArgsOf : TWinControlArgsOf<Self, V> {
  CREATE_ARG(Checked)
  CREATE_ARG(AllowGrayed)
};
struct TCheckBoxArgs : TCheckBoxArgsOf<TCheckBoxArgs> {};

class TCheckBox : public TWinControl {
 public:
  TCheckBox();
  // The state is set without raising OnClick.
  void Create(const TCheckBoxValues& v);
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
