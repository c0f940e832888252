#include "BigHintWindow.h"

#include <algorithm>

#include "TickerDisplay.h"
#include "TickerLines.h"
#include "TickerUtils.h"
#include "classlib/Dialogs.h"
#include "classlib/Guard.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"

TSummaryHint SummaryHintFor(const std::string& line) {
  TTickerFields f(line);
  std::string date;
  if (f[tfMark] != "*") {
    date = FormatTickerDate(f[tfDate], "m\"月\"dd\"日\" h\"時\"nn\"分\"", "m\"月\"dd\"日\"");
    if (!date.empty()) date = " " + date;
  }
  // Cut as the strip cuts, so that every hover measures and wraps a bounded text.
  const std::string summary = CutBytes(f[tfSummary], kShownSummaryBytes);
  TSummaryHint hint;
  hint.Text = CutBytes(f[tfFeedName], kShownFeedNameBytes) + date + "\r\n\r\n◇ " +
              CutBytes(f[tfTitle], kShownTitleBytes) + " ◇\r\n" +
              (summary.empty() ? std::string("概要はありません．") : summary);
  std::string picture = GraphicFilePath(f[tfPicture]);
  if (!picture.empty() && FileExists(picture)) hint.PicturePath = picture;
  return hint;
}

RECT SummaryHintRect(POINT cursor, int w, int h, int screenWidth, int screenHeight) {
  int x = (cursor.x / 20) * 20 + 10;
  if (screenWidth - 6 < x + w) x = screenWidth - w - 6;
  int y = (cursor.y / 10) * 10 + 5;
  if (screenHeight - 6 < y + h + 35) y = y - h - 70;
  return Rect(x, y + 35, x + w, y + h + 35);
}

TBigHintWindow::TBigHintWindow() = default;

void TBigHintWindow::CreateParams(TCreateParams& p) {
  THintWindow::CreateParams(p);
  p.Style = WS_POPUP;  // the frame is painted
}

void TBigHintWindow::TextChanged() {
  if (!Activating) {
    SIZE s = FontTextExtent(font_, Caption());
    SetBounds(left_, top_, s.cx + 6, s.cy + 4);
  }
  Invalidate();
}

void TBigHintWindow::ActivateHint(RECT rect, const std::string& text) {
  Activating = true;
  // A hint that cannot be shown leaves the ticker as it was.
  Guard("hint window", [&] {
    SetCaption(text);
    rect.bottom += 4;
    SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    HWND h = Handle();
    if (h) {
      SetWindowPos(h, HWND_TOPMOST, left_, top_, width_, height_, SWP_NOACTIVATE);
      if (Rounded) SetWindowRgn(h, CreateRoundRectRgn(0, 0, width_, height_, 16, 16), TRUE);
      BOOL animation = FALSE;
      SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0);
      if (TicksSince(TickCount(), LastActive) > 250 && animation && !IsWindowVisible(h))
        AnimateWindow(h, 100, AW_BLEND | AW_SLIDE);  // a refusal leaves the plain show below
      visible_ = true;
      if (WasShown) {
        Repaint();
      } else {
        WasShown = true;
        ShowWindow(h, SW_SHOWNOACTIVATE);
        Repaint();
      }
    }
  });
  LastActive = TickCount();
  Activating = false;
}

void TBigHintWindow::Paint() {
  RECT r = ClientRect();
  canvas_.Brush.Color = color_;
  canvas_.FillRect(r);
  canvas_.Brush.Style = bsClear;
  if (Rounded) {
    canvas_.Pen.Color = FrameTop;
    canvas_.Pen.Width = 1;
    canvas_.Pen.Style = psSolid;
    canvas_.RoundRect(r.left, r.top, r.right - 1, r.bottom - 1, 16, 16);
  } else {
    RECT frame = r;
    Frame3D(canvas_, frame, FrameTop, FrameBottom, 1);
  }
  if (HintPicture && !HintPicture->Empty()) {
    canvas_.Draw(8, 8, *HintPicture->Graphic());
    r.top += HintPicture->Height() + 10;
  }
  InflateRect(&r, -6, -6);
  canvas_.DrawText(Caption(), r, DT_WORDBREAK | DT_NOPREFIX);
}
