// TEditNext: the one-line edit of the settings dialog. Enter and the arrow
// keys move the focus, Escape undoes the typing, and a pair of colours can
// follow the focus.
#pragma once
#include "classlib/Edit.h"

// The keys that move the focus; one byte, bit 0 esEnter ... bit 3 esLeft.
enum TEnterStyle : unsigned char { esEnter = 1, esUp = 2, esDown = 4, esLeft = 8 };
typedef unsigned char TEnterStyles;

// The first ancestor that is a form; else the top-most parent; a control
// without a parent gives itself.
TControl* ParentFormOf(TControl* control);

struct TEditNextValues : TEditValues {
  std::optional<TEnterStyles> EnterNext;
  std::optional<TColor> NoFocusColor;
  std::optional<TColor> FocusColor;
  std::optional<TColor> NoFocusFontColor;
  std::optional<TColor> FocusFontColor;
  std::optional<bool> FocusColorChange;
};

template <class Self, class V = TEditNextValues>
struct TEditNextArgsOf : TEditArgsOf<Self, V> {
  CREATE_ARG(EnterNext)
  CREATE_ARG(NoFocusColor)
  CREATE_ARG(FocusColor)
  CREATE_ARG(NoFocusFontColor)
  CREATE_ARG(FocusFontColor)
  CREATE_ARG(FocusColorChange)
};
struct TEditNextArgs : TEditNextArgsOf<TEditNextArgs> {};

class TEditNext : public TEdit {
 public:
  TEditNext();
  void Create(const TEditNextValues& v);

  TEnterStyles EnterNext = 0;
  TColor NoFocusColor() const { return noFocusColor_; }
  void SetNoFocusColor(TColor c);
  TColor FocusColor() const { return focusColor_; }
  void SetFocusColor(TColor c);
  TColor NoFocusFontColor() const { return noFocusFontColor_; }
  void SetNoFocusFontColor(TColor c);
  TColor FocusFontColor() const { return focusFontColor_; }
  void SetFocusFontColor(TColor c);
  bool FocusColorChange() const { return focusColorChange_; }
  // True applies the pair of the focus state; false keeps the colours last applied.
  void SetFocusColorChange(bool v);

  void ApplyColors(TColor background, TColor fontColor);
  void SetFocus() override;

 protected:
  void HandleMessage(TMessage& m) override;
  void KeyDown(WORD& key, TShiftState s) override;
  void KeyPress(char& key) override;
  void DoEnter() override;
  void DoExit() override;
  // Gives the key to use (a key-down comes negated); combo edits replace it.
  virtual int KeyFilter(int key) { return key < 0 ? -key : key; }
  // Enter and the arrows move the focus by EnterNext; key 0 when used.
  void FocusMove(int caret, WORD& key, TShiftState s);
  // Before painting: the colours of the focus state when they are off.
  void PaintCheck();
  void ApplyFocusPair(bool focused);
  void LeftButtonDown(TMessage& m);

  TColor noFocusColor_ = clWindow, focusColor_ = clWindow;
  TColor noFocusFontColor_ = clWindowText, focusFontColor_ = clWindowText;
  bool focusColorChange_ = false;
};
