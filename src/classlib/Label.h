// A painted text label.
#pragma once
#include "Controls.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TWinControl;

class TLabel : public TGraphicControl {
 public:
  TLabel();

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout l);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool v);
  // The control an accelerator ("&F") of the caption focuses.
  TWinControl* FocusControl = nullptr;

  // Resizes to the text when AutoSize is set.
  void AdjustBounds();

 protected:
  void Paint() override;
  // Draws (or with DT_CALCRECT measures) the caption into r.
  virtual void DoDrawText(RECT& r, UINT flags);
  UINT DrawTextFlags() const;
  void TextChanged() override;
  void FontChanged() override;

  bool transparent_ = false;
  bool autoSize_ = true;
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
};
