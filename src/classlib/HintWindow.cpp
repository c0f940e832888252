#include "HintWindow.h"

#include "Application.h"

THintWindow::THintWindow() {
  visible_ = false;
  parentFont_ = false;
  color_ = clInfoBk;
  font_.SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style = WS_POPUP | WS_BORDER;
  p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  p.WndParent = Application.Handle();
  p.WinClassName = L"THintWindow";
  p.ClassStyle = CS_SAVEBITS;
}

RECT THintWindow::CalcHintRect(int maxWidth, const std::string& text) {
  RECT r = Rect(0, 0, maxWidth, 0);
  WindowDC screen;
  TCanvas c(screen.get());
  c.Font = font_;
  c.DrawText(text, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ActivateHint(RECT rect, const std::string& text) {
  SetCaption(text);
  SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  if (!Handle()) return;
  SetWindowPos(hwnd_, HWND_TOPMOST, left_, top_, width_, height_, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  visible_ = true;
  Invalidate();
}

void THintWindow::ReleaseHint() { SetVisible(false); }

void THintWindow::VisibleChanged() {
  if (hwnd_) ShowWindow(hwnd_, visible_ ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void THintWindow::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_NCHITTEST:
      m.Result = HTTRANSPARENT;
      return;
    case WM_MOUSEACTIVATE:
      m.Result = MA_NOACTIVATE;
      return;
  }
  TCustomControl::HandleMessage(m);
}

void THintWindow::Paint() {
  RECT r = ClientRect();
  canvas_.Brush.Color = color_;
  canvas_.FillRect(r);
  canvas_.Brush.Style = bsClear;
  r.left += 2;
  r.top += 2;
  canvas_.DrawText(Caption(), r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}
