// Message boxes of this process answered the way a user would: found by
// their title from a timer on the calling thread, then buttons pressed,
// keys posted or the close box used. Every wait is bounded.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "classlib/Button.h"
#include "classlib/Dialogs.h"
#include "classlib/Forms.h"

// A visible top-level window of this process with exactly this title.
HWND FindOwnWindow(const std::string& title);
TButton* FindButton(TForm* form, const std::string& caption);

template <class T>
T* FindControl(TForm* form) {
  for (int i = 0; i < form->ControlCount(); ++i)
    if (auto* c = dynamic_cast<T*>(form->Controls(i))) return c;
  return nullptr;
}

// Answers the next box with the title from a timer on this thread. The action
// runs once the box has painted; a box still open 3 s later is closed and the
// script counts as stuck, and one that never shows stops the timer after 10 s.
class DialogScript {
 public:
  typedef std::function<void(HWND dialog, TMessageForm* form)> Action;
  DialogScript(const std::string& title, Action action);
  ~DialogScript();
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;
  bool Acted() const { return acted_; }
  bool Stuck() const { return stuck_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Step();

  static DialogScript* current_;
  std::string title_;
  Action action_;
  UINT_PTR timer_ = 0;
  HWND dialog_ = nullptr;
  int ticks_ = 0, shownTicks_ = 0, afterTicks_ = 0;
  bool acted_ = false, stuck_ = false;
};

// A key pressed in the focused window.
void PressKey(UINT vk);
// The form's button with the caption clicked.
void Click(TForm* form, const std::string& caption);
void CloseBox(HWND dialog);
