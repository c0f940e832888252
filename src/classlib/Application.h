// The application object: message loop, main form, modal bookkeeping.
#pragma once
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "Controls.h"

class TForm;
class THintWindow;

class TApplication {
 public:
  TApplication();
  ~TApplication();

  void Initialize();  // common controls, hidden owner window
  HINSTANCE Instance() const;
  HWND Handle();  // hidden owner window of the forms

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& t);

  // Runs the form's OnCreate; the first form created becomes the main form.
  void CreateForm(TForm& form);
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* f) { mainForm_ = f; }
  bool ShowMainForm = true;
  // The main form gets its own taskbar button (WS_EX_APPWINDOW).
  bool MainFormOnTaskBar = true;

  void Run();  // shows the main form (ShowMainForm) and loops until Terminate
  // Handles the pending messages (at most 1000). A WM_QUIT sets Terminated
  // and is posted again for the loop that ends the program.
  void ProcessMessages();
  // Waits for and handles one message; false once WM_QUIT arrived.
  bool HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Tests that simulate the end of a session go on in the same process.
  void ClearTerminatedForTest() { terminated_ = false; }

  // Hands the error to OnException when set; otherwise beeps and keeps its
  // text in LastExceptionMessage (event handlers swallow their errors).
  void HandleException(const std::exception* e);
  std::string LastExceptionMessage;
  int ExceptionCount = 0;
  std::function<void(const std::exception*)> OnException;

  // Steps run under Guard that failed, and the last one's name and error.
  void GuardFailed(const char* step, const char* what);
  int GuardFailureCount = 0;
  std::string LastGuardFailure;

  TForm* ActiveForm() const;
  // Stay-on-top forms stop being top-most while a message box is up.
  void NormalizeTopMosts();
  void NormalizeAllTopMosts() { NormalizeTopMosts(); }
  void RestoreTopMosts();
  int ModalLevel() const { return modalLevel_; }

  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  // The main form was minimized / restored again.
  TNotifyEvent OnMinimize, OnRestore;
  bool Minimized() const { return minimized_; }
  // The main form reports its size changes here (SIZE_MINIMIZED and others).
  void MainFormSized(WPARAM sizeKind);

  // Hint (tooltip) timing.
  bool ShowHint = true;
  int HintPause = 500;
  int HintHidePause = 2500;
  void CancelHint();

  // Forms register themselves; used for ActiveForm and modal disabling.
  void AddForm(TForm* f);
  void RemoveForm(TForm* f);
  const std::vector<TForm*>& Forms() const { return forms_; }
  void ModalStarted() { ++modalLevel_; }
  void ModalFinished() { --modalLevel_; }

  // Message pre-processing (keys for controls, dialog navigation, hints).
  bool PreTranslate(MSG& msg);
  void MouseOver(TControl* c);  // the control the mouse is over (for hints)

 private:
  void Dispatch(MSG& msg);  // PreTranslate, else translate and dispatch
  void ShowHintNow();
  static LRESULT CALLBACK AppWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  std::string title_;
  TControl* hintControl_ = nullptr;
  std::unique_ptr<THintWindow> hint_;
  HWND hwnd_ = nullptr;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool minimized_ = false;
  int modalLevel_ = 0;
  std::vector<TForm*> forms_;
  std::vector<HWND> topMosts_;
  int topMostLevel_ = 0;
  bool initialized_ = false;
};

extern TApplication Application;

// The tool tip of a hint: the text before its first "|", found by character
// (0x7C is also a Shift-JIS second byte).
std::string GetShortHint(const std::string& hint);

// Sets the application title (taskbar / message box caption).
void SetAppTitle(const std::string& title);
