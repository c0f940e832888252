// A painted text label.
#pragma once
#include "Controls.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TWinControl;

struct TLabelValues : TControlValues {
  std::optional<bool> Transparent;
  std::optional<bool> AutoSize;
  std::optional<TAlignment> Alignment;
  std::optional<TTextLayout> Layout;
  std::optional<bool> WordWrap;
  std::optional<bool> ShowAccelChar;
  TWinControl* FocusControl = nullptr;
};

template <class Self, class V = TLabelValues>
struct TLabelArgsOf : TControlArgsOf<Self, V> {
  CREATE_ARG(Transparent)
  CREATE_ARG(AutoSize)
  CREATE_ARG(Alignment)
  CREATE_ARG(Layout)
  CREATE_ARG(WordWrap)
  CREATE_ARG(ShowAccelChar)
  CREATE_ARG(FocusControl)
};
struct TLabelArgs : TLabelArgsOf<TLabelArgs> {};

class TLabel : public TGraphicControl {
 public:
  TLabel();
  void Create(const TLabelValues& v);

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
