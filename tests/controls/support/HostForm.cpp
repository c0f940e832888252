#include "HostForm.h"

TForm& HostForm() {
  static TForm* form = [] {
    auto* f = new TForm;
    f->Create(TFormArgs().BorderStyle(bsNone).Left(40).Top(40).ClientSize(320, 140));
    f->Show();
    return f;
  }();
  return *form;
}
