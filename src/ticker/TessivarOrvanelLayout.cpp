// The ticker window's layout: the buttons, the strip and the keyword button
// on every show and resize, the stored place and the skin on the first show,
// the frames, the scroll restart after a move, and what closing stores.
#include "TessivarOrvanelForm.h"

#include <algorithm>

#include "StartupRegistry.h"
#include "classlib/Application.h"
#include "classlib/Guard.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

// d div 2, one more when d is odd.
int Half(int d) { return d / 2 + (d % 2 != 0 ? 1 : 0); }

// "left,top,right,bottom" read leniently; false for an empty text.
bool BoundsFromText(const std::string& text, RECT& r) {
  if (text.empty()) return false;
  std::vector<std::string> f(11);
  SplitStr(text, ',', true, f);
  r = Rect(StrToIntLoose(f[1]), StrToIntLoose(f[2]), StrToIntLoose(f[3]), StrToIntLoose(f[4]));
  return true;
}

}  // namespace

void TKvBandForm::PlaceByBounds(std::initializer_list<TControl*> controls,
                                const std::string& bounds) {
  RECT r;
  if (!BoundsFromText(bounds, r)) return;
  for (TControl* c : controls) c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TKvBandForm::FormShow(TObject*) {
  if (Closing) return;
  // The program is reached through its notification-area icon.
  ShowWindow(Application.Handle(), SW_HIDE);
  FormResize(this);
  if (firstShown_) return;
  firstShown_ = true;
  SetBounds(10, 10, Width(), Height());
  ControlSize.IniFile = TickerIniPath;
  const int height = Height();
  ControlSize.LoadWithSize();
  SetBounds(Left(), Top(), Width(), height);
  // The window shows all the same; the entry is made from the menu.
  Guard("startup entry", [&] {
    if (StartupParameterGiven()) RegisterStartup();
  });
  if (!SkinActive) return;
  const TTickerSettings& t = TickerSettings;
  FormRgn.SetBounds(0, 0, FormRgn.Picture().Width(), FormRgn.Picture().Height());
  SetClientSize(FormRgn.Picture().Width(), FormRgn.Picture().Height());
  if (t.manualMode >= 2) {
    PlaceByBounds({&PL_Message}, t.tickerBound);
    PlaceByBounds({&Image_Next, &Image_Back, &Image_Stop}, t.playBound);
    PlaceByBounds({&KeywordButton}, t.searchBound);
    CreateSkinAreas();
  } else {
    FormResize(nullptr);
  }
  try {
    FormRgn.BuildRegion();
    FormRgn.ApplyRegion();
  } catch (const std::exception& e) {
    // The window keeps its shape; the application reports the failed call.
    Application.HandleException(&e);
  }
  Repaint();
}

void TKvBandForm::FormResize(TObject* sender) {
  if (Closing || LayoutBusy) return;
  // A skinned window is laid out by explicit calls only.
  if (SkinActive && sender) return;
  LayoutBusy = true;
  // The next resize lays the window out again.
  Guard("layout", [&] {
    RECT r = ClientRect();
    BoundsFromText(TickerSettings.tickerBound, r);
    const int h = r.bottom - r.top;
    for (TOrvanelSpeedButton* b : {&Image_Next, &Image_Back, &Image_Stop})
      b->SetTop(r.top + Half(h - ButtonHeight));
    KeywordButton.SetTop(r.top + Half(h - KeywordButton.Height()));
    PL_Message.SetTop(r.top + Half(h - PanelHeight));
    int left = 0, right = 0;
    if (SkinActive) {
      left = right = 10;
    } else if (Image_Left.Visible()) {
      left = Image_Left.Width() + LB_Left.Width();
      right = Image_Right.Width() + LB_Right.Width();
    }
    for (TOrvanelSpeedButton* b : {&Image_Next, &Image_Back, &Image_Stop})
      b->SetLeft(r.left + left);
    KeywordButton.SetLeft(r.right - KeywordButton.Width() - right);
    const int panelLeft = r.left + left + Image_Next.Width() + 2;
    const int panelRight = KeywordButton.Visible() ? KeywordButton.Left() - 2 : r.right - right;
    PL_Message.SetBounds(panelLeft, PL_Message.Top(), std::max(0, panelRight - panelLeft),
                         PanelHeight);
    if (Display.ScrollMode > 0) Message.SetHeight(PL_Message.ClientHeight());
    Message.Refit();
  });
  LayoutBusy = false;
}

void TKvBandForm::FormPaint(TObject*) {
  RECT r = ClientRect();
  Frame3D(Canvas(), r, 0xF4F4F4, 0x7F7F7F, 1);
}

void TKvBandForm::PL_MessagePaint(TObject*) {
  if (!TickerSettings.Label3D) return;
  RECT r = PL_Message.ClientRect();
  Frame3D(PL_Message.Canvas(), r, (TColor)TickerSettings.Label3DTop,
          (TColor)TickerSettings.Label3DBotm, 1);
}

void TKvBandForm::PL_MessageResize(TObject*) {
  const int x = PL_Message.ClientOrigin().x;
  if (Display.ScrollMode > 0 && Timer_ListRead.Enabled() && x != lastPanelX_) {
    // The scroll starts again at the left edge after a second.
    Timer_ListRead.SetEnabled(false);
    Message.SetLeft(0);
    Timer_ListRead.SetInterval(1000);
    Timer_ListRead.SetEnabled(true);
  }
  lastPanelX_ = x;
}

void TKvBandForm::FormCloseQuery(TObject*, bool& canClose) {
  // Closing is never refused.
  Guard("close query", [&] {
    ControlSize.Save();
    // What the settings dialog saved meanwhile is read first, not overwritten.
    Display.StoreSetting([](TTickerSettings&) {});
  });
  canClose = true;
}
