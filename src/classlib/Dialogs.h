// The standard message form: the type's icon, the text, a centred row of
// buttons. Enter presses the default button, Escape the Cancel (or No) one.
#pragma once
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Button.h"
#include "Forms.h"
#include "Image.h"
#include "Label.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};
typedef std::set<TMsgDlgBtn> TMsgDlgButtons;

class TMessageForm : public TForm {
 public:
  TMessageForm();
  ~TMessageForm() override;

  // The form keeps the control and frees it with itself.
  template <class T>
  T* Own(std::unique_ptr<T> control) {
    T* raw = control.get();
    owned_.push_back(std::move(control));
    return raw;
  }

  TLabel* Message() const { return message_; }
  int HelpContext = 0;

 private:
  friend std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string&, TMsgDlgType,
                                                           const TMsgDlgButtons&);
  std::vector<std::unique_ptr<TControl>> owned_;
  TLabel* message_ = nullptr;
};

std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& msg, TMsgDlgType dlgType,
                                                  const TMsgDlgButtons& buttons);

// Size of a text in a font, measured on the screen.
SIZE FontTextExtent(const TFont& font, const std::string& text);
