// The controls of the ticker strip: the flat picture button and the label
// with a title colour, a comment colour, an optional icon and a " ..." cut.
#pragma once
#include <memory>
#include <string>

#include "classlib/Label.h"
#include "classlib/SpeedButton.h"

class TOrvanelSpeedButton : public TSpeedButton {
 public:
  TOrvanelSpeedButton();
  ~TOrvanelSpeedButton() override;

  // Called on a left-button press (the button's menu).
  TNotifyEvent OnMenuPopup;

  // When the cursor is outside the button: a button-up and a mouse-leave,
  // with clicks suppressed meanwhile (after a menu opened from the button).
  void ReleaseIfOutside();
  void Click() override;

 protected:
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
  void HandleMessage(TMessage& m) override;

 private:
  static void HoverWatch();
  DWORD lastPress_ = 0;
  bool pressedBefore_ = false;
  bool suppressClick_ = false;
};

class TLabelMoveCache;

class TOrvanelLabel : public TLabel {
 public:
  TOrvanelLabel();
  ~TOrvanelLabel() override;

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);  // unchanged: no repaint
  TColor CommentColor() const { return commentColor_; }
  void SetCommentColor(TColor c);
  // Bytes drawn in the font colour; the rest in CommentColor. 0 or less: one colour.
  int TitleLength() const { return titleLength_; }
  void SetTitleLength(int n);
  // Frame colours for the strip's frame painter.
  TColor Top3D = clBlack;
  TColor Bottom3D = clWhite;
  TPicture& Picture() { return picture_; }
  int TextPos() const { return textPos_; }
  void SetTextPos(int x);
  // No " ..." cut (the strip scrolls).
  bool ScrollMode() const { return scrollMode_; }
  void SetScrollMode(bool on);

  // Forgets the fitted width, fits the text again and repaints.
  void Refit();
  // The text as it will be drawn.
  const std::string& DisplayText() const { return displayText_; }

  // A move alone (the scrolling strip) copies the label as last drawn over
  // its parent's background straight onto the parent window.
  void SetBounds(int l, int t, int w, int h) override;
  void Invalidate() override;

 protected:
  void Paint() override;
  void DoDrawText(RECT& r, UINT flags) override;
  void Resize() override;

 private:
  void FitText();
  bool MoveByCopying(int left);
  bool OverlapsSibling() const;
  std::string title_;
  std::string displayText_;
  int fittedWidth_ = -1;
  TColor commentColor_ = clBlack;
  int titleLength_ = 0;
  TPicture picture_;
  int textPos_ = 0;
  bool scrollMode_ = false;
  // The cache is built after every full paint, which may follow any change
  // of the label or of the parent's background.
  enum class TCacheState { Stale, Ready, Unusable };
  TCacheState cacheState_ = TCacheState::Stale;
  bool buildingCache_ = false;
  std::unique_ptr<TLabelMoveCache> moveCache_;
};
