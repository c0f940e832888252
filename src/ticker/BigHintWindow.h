// The large hint beside the cursor with the item's feed name, date, title,
// summary and picture, and the texts and place it gets from a ticker line.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "classlib/HintWindow.h"

// The widest summary text before it wraps.
constexpr int kSummaryHintWidth = 300;

struct TSummaryHint {
  std::string Text;
  std::string PicturePath;  // an existing picture named by field 8, or ""
};
// Feed name and date, a blank line, the title between "◇", and the summary
// (or "概要はありません．"), each cut as the strip cuts its texts; the
// picture of field 8 when the file exists.
TSummaryHint SummaryHintFor(const std::string& line);

// The screen rectangle of a w x h hint for the cursor: to the right of and
// below it on a 20 x 10 grid, kept 6 pixels inside the right edge, above the
// cursor when it would reach the bottom edge.
RECT SummaryHintRect(POINT cursor, int w, int h, int screenWidth, int screenHeight);

class TBigHintWindow : public THintWindow {
 public:
  TBigHintWindow();

  std::unique_ptr<TPicture> HintPicture;  // drawn above the text
  bool Rounded = false;
  bool WasShown = false;
  uint32_t LastActive = 0;  // tick count when the last activation ended
  bool Activating = false;
  // Frame colours (Hint3DTop, Hint3DBotm).
  TColor FrameTop = 0x777777;
  TColor FrameBottom = 0x777777;

  void ActivateHint(RECT rect, const std::string& text) override;

 protected:
  void CreateParams(TCreateParams& p) override;
  void Paint() override;
  void TextChanged() override;
};
