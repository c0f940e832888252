// The ticker window and the mouse: resting on an item with a link
// highlights it, holds the display and opens the summary hint; a click opens
// the link, the middle button pauses, the wheel steps through the items; the
// skin picture and the edge images drag the window, the grips size it; the
// notification-area icon hides and restores it.
#include "TessivarOrvanelForm.h"

#include <vector>

#include "TickerUtils.h"
#include "classlib/Application.h"
#include "classlib/Guard.h"
#include "shared/Tessivar_Seihin.h"

namespace {

const WPARAM kMoveByDragging = 0xF012, kSizeFromLeft = 0xF001, kSizeFromRight = 0xF002;

// A window of this program lies under the cursor.
bool OwnWindowAt(POINT screen) {
  HWND w = WindowFromPoint(screen);
  DWORD process = 0;
  if (w) GetWindowThreadProcessId(w, &process);
  return w && process == GetCurrentProcessId();
}

// An open menu has the mouse, even where its window (one of this program's)
// covers the strip: a hover begun under it would hold the display without the
// capture that notices the pointer leaving.
bool PointerOnMenu() { return TPopupMenu::InMenuLoop(); }

// A box of ours is open (a confirmation, a message): the strip beneath it is
// disabled, and taking the focus for the wheel would take the box's keys.
bool ModalBoxOpen() { return Application.ModalLevel() > 0; }

// Brings w (when given) to the foreground and gives the focus to each window
// in turn, joined for a moment to the input of the foreground window's thread.
void ForceFocus(HWND w, const std::vector<HWND>& focus) {
  const DWORD me = GetCurrentThreadId();
  const DWORD other = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const bool attached = other && other != me && AttachThreadInput(me, other, TRUE);
  if (w) SetForegroundWindow(w);
  for (HWND h : focus)
    if (h && IsWindow(h)) SetFocus(h);
  if (attached) AttachThreadInput(me, other, FALSE);
}

}  // namespace

void TKvBandForm::WirePointerAndTray() {
  TMouseMoveEvent move = Handler(this, &TKvBandForm::MessageMouseMove);
  TMouseEvent down = Handler(this, &TKvBandForm::MessageMouseDown);
  TMouseEvent up = Handler(this, &TKvBandForm::MessageMouseUp);
  TNotifyEvent click = Handler(this, &TKvBandForm::MessageClick);
  for (TControl* c : std::initializer_list<TControl*>{&PL_Message, &Message}) {
    c->OnMouseMove = move;
    c->OnMouseDown = down;
    c->OnMouseUp = up;
    c->OnClick = click;
  }
  PL_Message.OnResize = Handler(this, &TKvBandForm::PL_MessageResize);
  FormRgn.SetBounds(20, 0, FormRgn.Width(), FormRgn.Height());
  FormRgn.SetCursor(crSizeAll);
  for (TControl* c : std::initializer_list<TControl*>{&FormRgn, &Image_Left, &Image_Right})
    c->OnMouseDown = Handler(this, &TKvBandForm::Image_LeftMouseDown);
  for (TControl* c : std::initializer_list<TControl*>{&LB_Left, &LB_Right})
    c->OnMouseDown = Handler(this, &TKvBandForm::LB_LeftMouseDown);
  Timer_Message.OnTimer = Handler(this, &TKvBandForm::Timer_MessageTimer);
  Timer_Help.OnTimer = Handler(this, &TKvBandForm::Timer_HelpTimer);
  OnMouseMove = Handler(this, &TKvBandForm::FormMouseMove);
  OnMouseWheel = Handler(this, &TKvBandForm::FormMouseWheel2);
  OnCloseQuery = Handler(this, &TKvBandForm::FormCloseQuery);

  Name = "KvBandForm";
  ControlSize.SetControl(this);
  ControlSize.Style = cssSize;
  ControlSize.Manual = true;
  ControlSize.ChainInto(*this);

  TrayIcon.SetIcon((HICON)LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON,
                                     GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                     LR_SHARED));
  TrayIcon.SetTipHelp("Tessivar-Ticker");
  TrayIcon.SetVisible(false);
  TrayIcon.SetResourceIconID(-1);
  TrayIcon.SetBalloonHelpTitle("Pelmoriad");
  TrayIcon.SetBalloonHelpText("Tessivar-Ticker");
  TrayIcon.SetBalloonHelpTimeOut(0);
  TrayIcon.SetBalloonHelpIcon(bitInfo);
  TrayIcon.ToolTipStyle().UseDefault = true;
  TrayIcon.ToolTipStyle().BackGroundColor = clBlack;
  TrayIcon.ToolTipStyle().SetTextColor(clWindowText);
  TrayIcon.SetRButtonPopupMenu(&PopupMenu_Main);
  TrayIcon.OnMouseClick = Handler(this, &TKvBandForm::TrayIconMouseClick);
  TrayIcon.Loaded();
}

void TKvBandForm::SetHover(bool on) {
  if (Closing || PL_Keyword.Visible()) return;
  // The next mouse move decides again.
  Guard("hover", [&] {
    Hovering = on;
    const uint32_t now = TickCount();
    if (on) {
      if (Timer_ListRead.Enabled()) {
        Display.HoldTick = now;
        Timer_ListRead.SetEnabled(false);
      }
      Timer_Message.SetEnabled(true);
      ApplyColours();
      SetCapture(PL_Message.Handle());
      if (TickerSettings.ScrollButton) TakeFocusForWheel();
      return;
    }
    Timer_Message.SetEnabled(false);
    ApplyColours();
    if (!Timer_ListRead.Enabled()) {
      // Paging goes on with what was left of the item's time.
      if (Display.ScrollMode == 0) Timer_ListRead.SetInterval(Display.HoverResumeInterval(now));
      Timer_ListRead.SetEnabled(true);
    }
    if (PL_Message.HandleAllocated() && GetCapture() == PL_Message.HandleIfAllocated()) {
      ReleaseCapture();
      // The box that opened meanwhile keeps the focus it was given.
      if (ModalBoxOpen())
        SavedFocus = SavedForeground = nullptr;
      else if (TickerSettings.ScrollButton)
        GiveFocusBack();
    }
  });
}

void TKvBandForm::UpdateHover(TShiftState shift, bool startHint) {
  if (Closing || (shift & ssLeft)) return;
  // The next mouse move decides again.
  Guard("pointer check", [&] {
    POINT screen;
    GetCursorPos(&screen);
    POINT p = PL_Message.ScreenToClient(screen);
    const bool outside = PointerOnMenu() || ModalBoxOpen() || Message.Hint().empty() ||
                         !OwnWindowAt(screen) || p.x < 0 || p.y < 0 || p.x > PL_Message.Width() ||
                         p.y > PL_Message.Height();
    if (outside) {
      SetHover(false);
      CloseSummaryHint();
    } else {
      SetHover(true);
      if (startHint) ScheduleHint(500);
    }
    Message.Refit();
    ResetButtons();
  });
}

void TKvBandForm::ResetButtons() {
  PopupBusy = true;
  for (TOrvanelSpeedButton* b : {&Image_Next, &Image_Back, &Image_Stop, &KeywordButton})
    if (b->Visible()) b->ReleaseIfOutside();
  PopupBusy = false;
}

void TKvBandForm::MessageMouseMove(TObject* sender, TShiftState shift, int x, int y) {
  if (Closing || PL_Keyword.Visible()) return;
  // The label moves inside the strip while it scrolls.
  if (sender == &Message) {
    x += Message.Left();
    y += Message.Top();
  }
  const bool inside = x >= 0 && x <= PL_Message.Width() && y >= 0 && y <= PL_Message.Height();
  if (!Message.Hint().empty() && inside) {
    if (!Hovering) UpdateHover(shift, true);
  } else if (Hovering) {
    UpdateHover(shift, true);
  }
}

void TKvBandForm::MessageMouseDown(TObject*, TMouseButton button, TShiftState, int, int) {
  if (Closing || PL_Keyword.Visible()) return;
  if (button == mbMiddle)
    SetPaused(!Display.Paused);
  else
    CloseSummaryHint();
}

void TKvBandForm::MessageMouseUp(TObject*, TMouseButton button, TShiftState, int, int) {
  if (button != mbRight) return;
  CloseSummaryHint();
  SetHover(false);
}

void TKvBandForm::MessageClick(TObject*) {
  if (Closing || PL_Keyword.Visible() || Message.Hint().empty()) return;
  // The browser keeps the foreground: nothing is given back to.
  SavedFocus = SavedForeground = nullptr;
  OpenLink(Message.Hint());
  UpdateHover(0, false);
}

void TKvBandForm::Timer_MessageTimer(TObject*) {
  if (Closing) return;
  POINT screen;
  GetCursorPos(&screen);
  POINT p = PL_Message.ScreenToClient(screen);
  RECT r = PL_Message.ClientRect();
  if (PointerOnMenu() || !PtInRect(&r, p)) {
    SetHover(false);
    CloseSummaryHint();
  }
}

void TKvBandForm::FormMouseMove(TObject*, TShiftState, int, int) {
  if (Hovering) Timer_MessageTimer(&Timer_Message);
}

void TKvBandForm::FormMouseWheel2(TObject*, TShiftState, int delta, POINT, bool& handled) {
  if (Closing || !TickerSettings.ScrollButton || PL_Keyword.Visible()) return;
  if (!Display.WheelStep(delta)) return;
  handled = true;
  const bool paused = Display.Paused;
  const bool running = Timer_ListRead.Enabled();
  Display.Paused = false;
  ShowNextNow();
  Message.Repaint();
  Display.Paused = paused;
  Display.AfterWheelShow();
  Timer_ListRead.SetEnabled(running);
  ScheduleHint(500);
}

void TKvBandForm::Image_LeftMouseDown(TObject*, TMouseButton button, TShiftState, int, int) {
  if (button != mbLeft) return;
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, kMoveByDragging, 0);
}

void TKvBandForm::LB_LeftMouseDown(TObject* sender, TMouseButton, TShiftState shift, int, int) {
  if (shift != ssLeft) return;
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, sender == &LB_Left ? kSizeFromLeft : kSizeFromRight, 0);
}

void TKvBandForm::TakeFocusForWheel() {
  if (SavedFocus || SavedForeground) return;
  SavedFocus = GetFocus();
  SavedForeground = GetForegroundWindow();
  ForceFocus(Handle(), {PL_Message.Handle(), Handle()});
}

void TKvBandForm::GiveFocusBack() {
  if (!SavedFocus && !SavedForeground) return;
  ForceFocus(SavedForeground, {SavedFocus});
  SavedFocus = SavedForeground = nullptr;
}

void TKvBandForm::TrayIconMouseClick(TObject*, TMouseButton button, TShiftState, int, int) {
  if (button != mbLeft) return;
  ShowWindow(Handle(), IsWindowVisible(Handle()) ? SW_HIDE : SW_RESTORE);
  Repaint();
}
