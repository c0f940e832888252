#include "Accelerators.h"

#include <vector>

#include "Button.h"
#include "Label.h"
#include "SpeedButton.h"

namespace {

bool Usable(const TControl* c) {
  for (; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

bool Act(TControl* c) {
  if (auto* label = dynamic_cast<TLabel*>(c)) {
    if (!label->FocusControl || !label->FocusControl->CanFocus()) return false;
    label->FocusControl->SetFocus();
    return true;
  }
  if (auto* box = dynamic_cast<TCheckBox*>(c)) {
    box->SetFocus();
    box->SetChecked(!box->Checked());
    return true;
  }
  if (auto* button = dynamic_cast<TButton*>(c)) {
    button->SetFocus();
    GuardEvent("OnClick", [button] { button->Click(); });
    return true;
  }
  if (auto* speed = dynamic_cast<TSpeedButton*>(c)) {
    GuardEvent("OnClick", [speed] { speed->Click(); });
    return true;
  }
  return false;
}

}  // namespace

char AcceleratorChar(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if ((unsigned char)caption[i] >= 0x80) {
      ++i;  // the trail byte of a double-byte character is never an "&"
      continue;
    }
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    char c = caption[i + 1];
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
  }
  return 0;
}

bool ActivateAccelerator(TWinControl* root, WORD key) {
  if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return false;
  std::vector<TWinControl*> pending{root};
  while (!pending.empty()) {
    TWinControl* parent = pending.back();
    pending.pop_back();
    for (int i = 0; i < parent->ControlCount(); ++i) {
      TControl* c = parent->Controls(i);
      if (!Usable(c)) continue;
      if (AcceleratorChar(c->Caption()) == (char)key && Act(c)) return true;
      if (auto* w = dynamic_cast<TWinControl*>(c)) pending.push_back(w);
    }
  }
  return false;
}
