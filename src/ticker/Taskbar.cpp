#include "Taskbar.h"

#include "classlib/Application.h"
#include "classlib/Text.h"

namespace {

HICON ApplicationIcon() { return LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"); }

}  // namespace

TTrayIcon::TTrayIcon(TWinControl* owner)
    : owner_(owner), tray_(std::make_unique<TTaskTrayIcon>()), foreground_(Application.Handle()) {
  tray_->SetTipText("TipHelp");
  tray_->OnMessage = [this](TMessage& m, void*) { TrayMessage(m); };
  tray_->CallbackData = this;
  savedMinimize_ = Application.OnMinimize;
  savedRestore_ = Application.OnRestore;
  Application.OnMinimize = [this](TObject*) { ApplicationMinimized(); };
  Application.OnRestore = [this](TObject*) { ApplicationRestored(); };
}

TTrayIcon::~TTrayIcon() {
  // The animation ends first: a frame step in flight would show the icon again.
  animationPaused_ = true;
  animation_.reset();
  HideIcon();
  Application.OnMinimize = savedMinimize_;
  Application.OnRestore = savedRestore_;
  tray_->OnMessage = nullptr;
  tray_.reset();
  SetMenu(lButtonMenu_, nullptr);
  SetMenu(rButtonMenu_, nullptr);
}

void TTrayIcon::Loaded() {
  loading_ = false;
  if (ShouldShow()) ShowIcon();
}

bool TTrayIcon::ShouldShow() const { return visible_ && (!minimized_ || Application.Minimized()); }

HICON TTrayIcon::CurrentIconHandle() {
  if (icon_.Handle()) return icon_.Handle();
  // The design's index is stored unclamped: only the read clamps it.
  const int index = ResourceIconID();
  if (resourceNames_.empty() || index < 0) return ApplicationIcon();
  HICON loaded = LoadIconW(GetModuleHandleW(nullptr), SjisToWide(resourceNames_[index]).c_str());
  resourceIcon_.SetHandle(loaded ? CopyIcon(loaded) : nullptr);
  return resourceIcon_.Handle();
}

void TTrayIcon::ShowIcon() {
  tray_->IconHandle = CurrentIconHandle();
  if (tray_->AddIcon()) {
    RestartAnimation();
    visible_ = true;
  }
}

void TTrayIcon::HideIcon() {
  StopAnimation();
  tray_->DeleteIcon();
}

bool TTrayIcon::UpdateIcon() {
  tray_->IconHandle = CurrentIconHandle();
  return ShouldShow() ? tray_->ModifyIcon() : false;
}

void TTrayIcon::IconChanged() {
  if (!loading_) UpdateIcon();
}

void TTrayIcon::SetIcon(HICON icon) {
  icon_.SetHandle(icon ? CopyIcon(icon) : nullptr);
  IconChanged();
}

void TTrayIcon::SetTipHelp(const std::string& text) {
  tray_->SetTipText(text);
  if (!loading_) UpdateIcon();
}

void TTrayIcon::SetVisible(bool on) {
  if (on == visible_) return;
  visible_ = on;
  if (loading_) return;
  if (ShouldShow())
    ShowIcon();
  else
    HideIcon();
}

void TTrayIcon::SetMinimized(bool on) {
  if (on == minimized_) return;
  minimized_ = on;
  if (loading_) return;
  if (ShouldShow())
    UpdateIcon();
  else
    HideIcon();
}

int TTrayIcon::ResourceIconID() {
  if (resourceId_ >= (int)resourceNames_.size()) resourceId_ = 0;
  return resourceId_;
}

void TTrayIcon::SetResourceIconID(int id) {
  if (id == resourceId_ && id != 0) return;
  icon_.SetHandle(nullptr);  // from now on the resource list decides
  if (!loading_) {
    const int count = (int)resourceNames_.size();
    if (id >= count) id = count - 1;
    if (id < 0) id = -1;
  }
  resourceId_ = id;
  if (!loading_ && ShouldShow()) UpdateIcon();
}

void TTrayIcon::SetResourceIconList(const std::vector<std::string>& names) {
  if (resourceNames_.empty()) {
    resourceNames_ = names;
    if (!loading_ && ShouldShow()) UpdateIcon();
    return;
  }
  // With no icon chosen from the list the list stays as it is.
  if (resourceId_ < 0) return;
  const std::string shown = resourceNames_[ResourceIconID()];
  resourceNames_ = names;
  if (names.empty()) {
    resourceId_ = -1;
    if (!loading_ && ShouldShow()) UpdateIcon();
    return;
  }
  SetResourceIconID(ResourceIconID());
  if (resourceNames_[ResourceIconID()] != shown && !loading_ && ShouldShow()) UpdateIcon();
}

void TTrayIcon::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  if (ms >= 1 && ms <= 49) ms = 50;
  interval_ = ms;
  RestartAnimation();
}

void TTrayIcon::RestartAnimation() {
  if (visible_ && interval_ > 0) {
    if (!animation_)
      animation_ = std::make_unique<TGuiPollThread>(
          tray_->WindowHandle(), kTrayStepFrame,
          [this] { return !animationPaused_ && visible_ && interval_ > 0; },
          [this] { return (DWORD)interval_; }, false);
    animationPaused_ = false;
    animation_->Wake();
  } else {
    animationPaused_ = true;
  }
}

void TTrayIcon::StopAnimation() { animationPaused_ = true; }

void TTrayIcon::NextFrame() {
  if (OnIconAnimation) {
    OnIconAnimation(this);
    UpdateIcon();
    return;
  }
  int next = ResourceIconID() + 1;
  if (next >= (int)resourceNames_.size()) next = 0;
  SetResourceIconID(next);
}

void TTrayIcon::SetMenu(TPopupMenu*& slot, TPopupMenu* menu) {
  // The slot's address is the key, so one menu may serve both buttons.
  if (slot) slot->RemoveFreeNotification(&slot);
  slot = menu;
  if (menu) menu->AddFreeNotification(&slot, [&slot] { slot = nullptr; });
}

void TTrayIcon::PopupAt(TPopupMenu* menu, POINT p) {
  SetForegroundWindow(foreground_);
  Application.ProcessMessages();
  menu->PopupComponent = nullptr;
  menu->Popup(p.x, p.y);
}

void TTrayIcon::TrayMessage(TMessage& m) {
  if (m.Msg == WM_TASKTRAYSTEP) {
    if (m.WParam == kTrayStepFrame) NextFrame();
    return;
  }
  if (m.Msg != WM_TASKTRAY) {
    // Windows may log off or shut down.
    m.Result = m.Msg == WM_QUERYENDSESSION ? 1 : 0;
    return;
  }
  POINT p;
  GetCursorPos(&p);
  switch ((UINT)m.LParam) {
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove(this, 0, p.x, p.y);
      break;
    case WM_LBUTTONDOWN:
      if (lButtonMenu_ && AutoPopup)
        PopupAt(lButtonMenu_, p);
      else if (OnMouseDown)
        OnMouseDown(this, mbLeft, ssLeft, p.x, p.y);
      break;
    case WM_LBUTTONUP:
      if (OnMouseUp) OnMouseUp(this, mbLeft, ssLeft, p.x, p.y);
      break;
    case WM_LBUTTONDBLCLK:
      if (OnDblClick) OnDblClick(this);
      break;
    case WM_RBUTTONDOWN:
      if (rButtonMenu_ && AutoPopup)
        PopupAt(rButtonMenu_, p);
      else if (OnMouseDown)
        OnMouseDown(this, mbRight, ssRight, p.x, p.y);
      break;
    case WM_RBUTTONUP:
      if (OnMouseUp) OnMouseUp(this, mbRight, ssRight, p.x, p.y);
      break;
    case WM_RBUTTONDBLCLK:
      if (OnRDblClick) OnRDblClick(this);
      break;
    case WM_MBUTTONDOWN:
      if (OnMouseDown) OnMouseDown(this, mbMiddle, ssMiddle, p.x, p.y);
      break;
    case WM_MBUTTONUP:
      if (OnMouseUp) OnMouseUp(this, mbMiddle, ssMiddle, p.x, p.y);
      break;
    case TRAY_MOUSEENTER:
      if (OnMouseEnter) OnMouseEnter(this);
      break;
    case TRAY_MOUSEEXIT:
      if (OnMouseExit) OnMouseExit(this);
      break;
    case TRAY_MOUSECLICK:
      if (OnMouseClick && m.WParam <= mbBalloon)
        OnMouseClick(this, (TMouseButton)m.WParam, 0, p.x, p.y);
      break;
  }
}

void TTrayIcon::ApplicationMinimized() {
  if (savedMinimize_) savedMinimize_(nullptr);
  if (visible_ && minimized_) ShowIcon();
  if (visible_ && HideOnTaskBar) ShowWindow(Application.Handle(), SW_HIDE);
}

void TTrayIcon::ApplicationRestored() {
  if (savedRestore_) savedRestore_(nullptr);
  if (!minimized_) return;
  HideIcon();
  if (owner_ && owner_->HandleAllocated()) SetForegroundWindow(owner_->HandleIfAllocated());
}
