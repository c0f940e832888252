// The ticker window's summary hint: scheduled when the mouse rests on the
// strip, following the item on show, closed when the mouse leaves.
#include "TessivarOrvanelForm.h"

#include <algorithm>

#include "TickerUtils.h"
#include "classlib/Guard.h"
#include "classlib/Screen.h"
#include "shared/S_FileUtils.h"
#include "shared/Tessivar_Seihin.h"

namespace {

bool CursorInside(const TControl& c, POINT& screen) {
  GetCursorPos(&screen);
  POINT p = c.ScreenToClient(screen);
  return p.x >= 0 && p.y >= 0 && p.x <= c.Width() && p.y <= c.Height();
}

}  // namespace

void TKvBandForm::ScheduleHint(unsigned delay) {
  if (Closing || !TickerSettings.DescPopup) return;
  // A hint on show follows the new item at once.
  if (HintWindow) {
    ShowSummaryHint();
    return;
  }
  Timer_Help.SetEnabled(false);
  Timer_Help.SetInterval(delay);
  Timer_Help.SetEnabled(true);
}

void TKvBandForm::Timer_HelpTimer(TObject*) {
  if (Closing) return;
  Timer_Help.SetEnabled(false);
  ShowSummaryHint();
}

void TKvBandForm::ShowSummaryHint() {
  const TTickerSettings& t = TickerSettings;
  POINT cursor;
  // An open menu stands where the hint would go.
  if (Closing || !t.DescPopup || Display.CurrentLine.empty() || TPopupMenu::InMenuLoop() ||
      !CursorInside(PL_Message, cursor))
    return;
  // A hint that fails shows nothing; the ticker runs on.
  Guard("summary hint", [&] {
    if (!HintWindow) {
      HintWindow = std::make_unique<TBigHintWindow>();
      HintWindow->SetColor((TColor)t.HintBkColor);
      TFont font = HintWindow->Font();
      font.SetName(Message.Font().Name());
      font.SetHeight(Message.Font().Height());
      font.SetColor((TColor)t.HintFonColor);
      HintWindow->SetFont(font);
    }
    TBigHintWindow& hint = *HintWindow;
    hint.FrameTop = (TColor)t.Hint3DTop;
    hint.FrameBottom = (TColor)t.Hint3DBotm;
    TSummaryHint summary = SummaryHintFor(Display.CurrentLine);
    RECT measured = hint.CalcHintRect(kSummaryHintWidth, summary.Text);
    int w = measured.right, h = measured.bottom;
    hint.HintPicture.reset();
    if (!summary.PicturePath.empty()) {
      auto picture = std::make_unique<TPicture>();
      if (picture->LoadFromFile(summary.PicturePath)) {
        h += picture->Height() + 5;
        // Room for a picture wider than the text, which would be cut.
        w = std::max(w, picture->Width() + 4);
        hint.HintPicture = std::move(picture);
      }
    }
    RECT r = SummaryHintRect(cursor, w + 12, h + 12, Screen.Width(), Screen.Height());
    hint.Rounded = t.Hint3DTop == t.Hint3DBotm && WindowsVersion().NtFamily && !WindowsAbove5();
    hint.ActivateHint(r, summary.Text);
  });
}

void TKvBandForm::CloseSummaryHint() {
  Timer_Help.SetEnabled(false);
  HintWindow.reset();
}
