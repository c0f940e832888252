#include "GroupBox.h"

#include "Text.h"
#include "shared/S_UxTheme.h"

namespace {
const int kGroupBoxPart = 4;  // BP_GROUPBOX of the "BUTTON" theme class
}

TGroupBox::TGroupBox() {
  width_ = 185;
  height_ = 105;
  parentColor_ = true;
}

void TGroupBox::Create(const TGroupBoxValues& v) {
  TakeValue(Ctl3D, v.Ctl3D);
  TCustomControl::Create(v);
}

void TGroupBox::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.WinClassName = L"TGroupBox";
}

RECT TGroupBox::AlignRect() const {
  RECT r = ClientRect();
  TCanvas c;
  c.Font = font_;
  int h = c.TextHeight("0");
  InflateRect(&r, -1, -1);
  r.top += h;
  return r;
}

void TGroupBox::Paint() {
  RECT client = ClientRect();
  canvas_.Brush.Color = color_;
  canvas_.Brush.Style = bsSolid;
  canvas_.FillRect(client);
  canvas_.Font = font_;
  int h = canvas_.TextHeight("0");
  if (ThemesInUse())
    PaintThemed(h);
  else
    PaintClassic(h);
}

void TGroupBox::PaintThemed(int h) {
  const TUxThemeApi& api = UxThemeApi();
  DrawThemePart(hwnd_, canvas_.Handle(), L"BUTTON", kGroupBoxPart, 0,
                Rect(0, h / 2 - 1, width_, height_));
  if (text_.empty() || !api.OpenThemeData || !api.DrawThemeText || !api.CloseThemeData) return;
  RECT tr = Rect(8, 0, canvas_.TextWidth(text_) + 8, h);
  canvas_.Brush.Color = color_;
  canvas_.FillRect(tr);
  std::wstring caption = SjisToWide(text_).substr(0, 1024);
  HTHEME theme = api.OpenThemeData(hwnd_, L"BUTTON");
  if (!theme) return;
  canvas_.ApplyFont();
  api.DrawThemeText(theme, canvas_.Handle(), kGroupBoxPart, 0, caption.c_str(), (int)caption.size(),
                    DT_SINGLELINE, 0, &tr);
  api.CloseThemeData(theme);
}

void TGroupBox::PaintClassic(int h) {
  RECT r = Rect(0, h / 2 - 1, width_, height_);
  if (Ctl3D) {
    RECT outer = r;
    OffsetRect(&outer, 1, 1);
    canvas_.Brush.Color = clBtnHighlight;
    canvas_.FrameRect(outer);
    OffsetRect(&outer, -1, -1);
    outer.right--;
    outer.bottom--;
    canvas_.Brush.Color = clBtnShadow;
    canvas_.FrameRect(outer);
  } else {
    canvas_.Brush.Color = clWindowFrame;
    canvas_.FrameRect(r);
  }
  if (!text_.empty()) {
    RECT tr = Rect(8, 0, 0, h);
    canvas_.DrawText(text_, tr, DT_CALCRECT | DT_SINGLELINE);
    canvas_.Brush.Color = color_;
    canvas_.Brush.Style = bsSolid;
    if (!enabled_) canvas_.Font.SetColor(clGrayText);
    canvas_.DrawText(text_, tr, DT_SINGLELINE);
  }
}
