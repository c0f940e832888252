// The notification-area icon of a form: keeps the icon in step with its
// icon, tip and visibility, turns the shell's mouse notifications into
// events and popup menus, can show the icon only while the application is
// minimized, and can cycle through a list of icon resources.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Menus.h"
#include "classlib/TrShlApi.h"

enum TBalloonIconType { bitNone, bitInfo, bitWarning, bitError };

class TTrayIcon : public TObject {
 public:
  // owner: the form brought to the front when the application is restored.
  explicit TTrayIcon(TWinControl* owner = nullptr);
  ~TTrayIcon() override;
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  // The setters change nothing in the notification area until Loaded has
  // run (the form's design values are being set).
  void Loaded();

  bool AutoPopup = true;
  const TIcon& Icon() const { return icon_; }
  void SetIcon(HICON icon);  // a copy is kept; null releases the icon
  const std::string& TipHelp() const { return tray_->TipText(); }
  void SetTipHelp(const std::string& text);
  bool Minimized() const { return minimized_; }
  void SetMinimized(bool on);
  bool Visible() const { return visible_; }
  void SetVisible(bool on);
  bool HideOnTaskBar = false;
  int ResourceIconID();
  void SetResourceIconID(int id);
  const std::vector<std::string>& ResourceIconList() const { return resourceNames_; }
  void SetResourceIconList(const std::vector<std::string>& names);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);  // 1 to 49 become 50; 0 stops the animation
  bool DoForegroundWindow() const { return tray_->DoForegroundWindow; }
  void SetDoForegroundWindow(bool on) { tray_->DoForegroundWindow = on; }
  bool CheckSingleDoubleClick() const { return tray_->Style().CheckSingleDoubleClick; }
  void SetCheckSingleDoubleClick(bool on) { tray_->Style().CheckSingleDoubleClick = on; }
  const std::string& BalloonHelpTitle() const { return tray_->BalloonTitle(); }
  void SetBalloonHelpTitle(const std::string& text) { tray_->SetBalloonTitle(text); }
  const std::string& BalloonHelpText() const { return tray_->BalloonText(); }
  void SetBalloonHelpText(const std::string& text) { tray_->SetBalloonText(text); }
  int BalloonHelpTimeOut() const { return (int)tray_->BalloonTimeOut; }
  void SetBalloonHelpTimeOut(int ms) { tray_->BalloonTimeOut = (UINT)ms; }
  TBalloonIconType BalloonHelpIcon() const { return (TBalloonIconType)tray_->BalloonIconKind(); }
  void SetBalloonHelpIcon(int kind) { tray_->SetBalloonIconKind((DWORD)kind); }
  TToolTipStyle& ToolTipStyle() { return tray_->Style(); }
  void SetToolTipStyle(const TToolTipStyle& style) { tray_->Style().Assign(style); }
  // Not owned; a menu that is freed is forgotten.
  TPopupMenu* LButtonPopupMenu() const { return lButtonMenu_; }
  void SetLButtonPopupMenu(TPopupMenu* menu) { SetMenu(lButtonMenu_, menu); }
  TPopupMenu* RButtonPopupMenu() const { return rButtonMenu_; }
  void SetRButtonPopupMenu(TPopupMenu* menu) { SetMenu(rButtonMenu_, menu); }

  TNotifyEvent OnDblClick, OnRDblClick, OnMouseEnter, OnMouseExit, OnIconAnimation;
  TMouseEvent OnMouseDown, OnMouseUp, OnMouseClick;
  TMouseMoveEvent OnMouseMove;

  bool ShouldShow() const;
  HICON CurrentIconHandle();
  void ShowIcon();
  void HideIcon();
  bool UpdateIcon();
  TTaskTrayIcon& Tray() { return *tray_; }
  bool AnimationStarted() const { return (bool)animation_; }

 private:
  void IconChanged();
  void TrayMessage(TMessage& m);
  void RestartAnimation();
  void StopAnimation();
  void NextFrame();
  void PopupAt(TPopupMenu* menu, POINT p);
  void SetMenu(TPopupMenu*& slot, TPopupMenu* menu);
  void ApplicationMinimized();
  void ApplicationRestored();

  TWinControl* owner_;
  std::unique_ptr<TTaskTrayIcon> tray_;
  TIcon icon_, resourceIcon_;
  std::vector<std::string> resourceNames_;
  int resourceId_ = -1;
  std::atomic<bool> visible_{true};
  bool minimized_ = false;
  std::atomic<unsigned> interval_{0};
  std::atomic<bool> animationPaused_{true};
  std::unique_ptr<TGuiPollThread> animation_;
  bool loading_ = true;
  TNotifyEvent savedMinimize_, savedRestore_;
  HWND foreground_;
  TPopupMenu* lButtonMenu_ = nullptr;
  TPopupMenu* rButtonMenu_ = nullptr;
};
