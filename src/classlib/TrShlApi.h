// One notification-area icon: the shell record with the limits of the
// shell's version, the add, modify and delete calls with their retries, a
// hidden window for the shell's notifications (re-adding the icon when the
// taskbar is created again), and the style that turns the raw mouse
// notifications into entered, left and click notifications.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include <windows.h>

#include <shellapi.h>

#include "Controls.h"
#include "Handles.h"

// The callback message given to the shell; the notification code travels in
// the long parameter.
const UINT WM_TASKTRAY = WM_USER + 200;
// Codes the style sends to the icon's own window as WM_TASKTRAY; for a click
// the word parameter is the button (0 left, 1 right, 2 middle, 4 balloon).
const UINT TRAY_MOUSEENTER = 1234, TRAY_MOUSEEXIT = 1235, TRAY_MOUSECLICK = 1236;
// A step a worker thread hands to the hidden window's GUI thread; the word
// parameter says which (kTrayStepHover, kTrayStepFrame).
const UINT WM_TASKTRAYSTEP = WM_USER + 201;
const WPARAM kTrayStepHover = 1, kTrayStepFrame = 2;

// Shell versions: major << 16 | minor; 5.0 and later are new shells.
DWORD GetShellVersion();
DWORD GetShellFileVersion();
// A "FileVersion" text as a shell version: the numbers before and after the
// first dot ("10.0.19041" is 10.0); 0 when there is no leading number.
DWORD ShellVersionFromText(const std::string& fileVersion);
// The tip as the record keeps it: new shells the first 127 bytes, old shells
// line breaks as blanks and the first 63 bytes; never half a character.
std::string TrayTipText(const std::string& text, DWORD shellVersion);

// A thread that, while `wanted` holds, hands a step to a window's GUI thread
// every period (through WM_TASKTRAYSTEP, waiting until it is done) and parks
// itself otherwise. The destructor ends it, serving a step it has handed
// over meanwhile.
class TGuiPollThread {
 public:
  TGuiPollThread(HWND window, WPARAM step, std::function<bool()> wanted,
                 std::function<DWORD()> period, bool sleepFirst);
  ~TGuiPollThread();
  TGuiPollThread(const TGuiPollThread&) = delete;
  TGuiPollThread& operator=(const TGuiPollThread&) = delete;
  // Lets a parked thread run again.
  void Wake();

 private:
  static DWORD WINAPI Run(void* self);
  void Loop();
  HWND window_;
  WPARAM step_;
  std::function<bool()> wanted_;
  std::function<DWORD()> period_;
  bool sleepFirst_;
  KernelHandle wake_, end_, thread_;
};

class TCustomToolTipStyle : public TObject {
 public:
  TCustomToolTipStyle();
  ~TCustomToolTipStyle() override;

  bool CheckSingleDoubleClick = false;
  bool UseDefault = true;
  TColor BackGroundColor = clBlack;
  TFont Font;  // its colour is TextColor
  TColor TextColor() const { return Font.Color(); }
  void SetTextColor(TColor c) { Font.SetColor(c); }

  // Copies UseDefault and BackGroundColor.
  void Assign(const TCustomToolTipStyle& source);
  // Sees every message of the icon's hidden window.
  void HandleMessage(TMessage& m);
  void SetWindow(HWND window) { window_ = window; }
  void ResetHoverRect() { hoverRect_ = RECT{}; }
  bool MouseInside() const { return inside_; }
  RECT HoverRect() const { return hoverRect_; }
  bool HoverThreadStarted() const { return (bool)hover_; }

 private:
  void MouseMoved();
  void MouseEnter();
  void MouseLeave();
  void CheckMouseLeave();
  void ButtonDown(int button, WPARAM wp);
  void ButtonUp(int button);
  void ButtonDblClick(int button);
  void ReportClick(int button);
  int PendingButton() const;
  void ApplyColors();
  void RestoreColors();
  void Notify(WPARAM wp, LPARAM code);
  static HWND FindTrayToolTip();

  HWND window_ = nullptr;
  HWND toolTip_ = nullptr;
  RECT hoverRect_ = {};
  std::unique_ptr<TGuiPollThread> hover_;
  unsigned pressed_ = 0;  // bit 0 left, 1 right, 2 middle
  std::atomic<bool> inside_{false};
  bool balloonClicked_ = false;
  bool clickPending_ = false;
};

// The published style: the two colours also by index (1 background, 2 text).
class TToolTipStyle : public TCustomToolTipStyle {
 public:
  TColor GetColor(int index) const;
  void SetColor(int index, TColor c);
};

// The message callback of an icon: every message of its hidden window, with
// the data pointer given beside it.
typedef std::function<void(TMessage& m, void* data)> TTrayMessageEvent;

class TTaskTrayIcon : public TObject {
 public:
  TTaskTrayIcon();
  ~TTaskTrayIcon() override;
  TTaskTrayIcon(const TTaskTrayIcon&) = delete;
  TTaskTrayIcon& operator=(const TTaskTrayIcon&) = delete;

  DWORD ShellVersion() const { return shellVersion_; }
  bool IsNewShell() const { return HIWORD(shellVersion_) >= 5; }
  // The hidden window, created on first use.
  HWND WindowHandle();
  HWND WindowHandleIfCreated() const { return window_; }
  bool Added() const { return added_; }

  // Each answers whether the icon is (or, for delete, went) as asked; no
  // icon handle means the shell is not called.
  bool AddIcon();
  bool ModifyIcon();
  bool DeleteIcon();
  void HandleMessage(TMessage& m);

  const std::string& TipText() const { return tip_; }
  void SetTipText(const std::string& text) { tip_ = TrayTipText(text, shellVersion_); }
  const std::string& BalloonTitle() const { return balloonTitle_; }
  void SetBalloonTitle(const std::string& text);  // the first 63 bytes
  const std::string& BalloonText() const { return balloonText_; }
  void SetBalloonText(const std::string& text);  // the first 255 bytes
  UINT BalloonTimeOut = 0;
  DWORD BalloonIconKind() const { return infoFlags_; }
  void SetBalloonIconKind(DWORD kind);  // 1 to 3; anything else stores 0
  HICON IconHandle = nullptr;
  bool DoForegroundWindow = false;

  TTrayMessageEvent OnMessage;
  void* CallbackData = nullptr;
  TToolTipStyle& Style() { return *style_; }

 private:
  bool Notify(DWORD action);
  void Foreground();
  DWORD shellVersion_;
  HWND window_ = nullptr;
  std::string tip_, balloonTitle_, balloonText_;
  DWORD infoFlags_ = 0;
  bool added_ = false;
  // The icon should be in the notification area: an add was asked for and
  // no delete since, so a new taskbar gets it even after a failed add.
  bool wanted_ = false;
  std::unique_ptr<TToolTipStyle> style_;
};

// Tests stand in for the shell, and shorten the pause between add retries.
void SetShellNotifyIconForTest(std::function<BOOL(DWORD action, NOTIFYICONDATAW* data)> notify);
void SetTrayRetryPauseForTest(DWORD ms);
// The registered "TaskbarCreated" message (0 while no icon exists).
UINT TaskbarCreatedMessage();
