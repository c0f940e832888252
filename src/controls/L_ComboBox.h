// TComboEdit: an edit with a button at its right edge that, by EditStyle,
// is a plain edit, an edit with an ellipsis button, a combo box with a
// drop-down list (free text or list only), a number box with spin buttons,
// or a date box with a drop-down month calendar.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "controls/L_CCmbo.h"
#include "controls/L_PopupListNum.h"

enum TEditStyle { esSimple, esEllipsis, esPickList, esDropList, esSpin, esDate };

struct TComboEditValues : TEditNextValues {
  std::optional<int> Columns;
  std::optional<TAlignment> Alignment;
  std::vector<std::string> Items;
  std::optional<TEditStyle> EditStyle;
  std::optional<bool> NoFocusButton;
  std::optional<double> MinValue, MaxValue;  // 0: no clamp on that side
  std::optional<double> Increment;
  std::optional<int> DropDownRows;
  std::optional<bool> MinusMode;
  std::optional<bool> NumKey;
  std::optional<bool> UpDownSpin;
  std::optional<bool> NoFuncKeyDropDown;
  std::string FormatDateStr;
  std::optional<bool> ListColorNorm;
  std::optional<bool> SepaLine;
  std::optional<int> ItemIndex;
  TNotifyEvent OnEditButtonClick;
};

template <class Self, class V = TComboEditValues>
struct TComboEditArgsOf : TEditNextArgsOf<Self, V> {
  CREATE_ARG(Columns)
  CREATE_ARG(Alignment)
  CREATE_ARG(Items)
  CREATE_ARG(EditStyle)
  CREATE_ARG(NoFocusButton)
  CREATE_ARG(MinValue)
  CREATE_ARG(MaxValue)
  CREATE_ARG(Increment)
  CREATE_ARG(DropDownRows)
  CREATE_ARG(MinusMode)
  CREATE_ARG(NumKey)
  CREATE_ARG(UpDownSpin)
  CREATE_ARG(NoFuncKeyDropDown)
  CREATE_ARG(FormatDateStr)
  CREATE_ARG(ListColorNorm)
  CREATE_ARG(SepaLine)
  CREATE_ARG(ItemIndex)
  CREATE_ARG(OnEditButtonClick)
  // A number box from min to max.
  Self& Spin(double min, double max) {
    V::EditStyle = esSpin;
    V::MinValue = min;
    V::MaxValue = max;
    return static_cast<Self&>(*this);
  }
};
struct TComboEditArgs : TComboEditArgsOf<TComboEditArgs> {};

class TComboEdit : public TEditNext {
 public:
  TComboEdit();
  ~TComboEdit() override;
  void Create(const TComboEditValues& v);

  int Columns = 0;
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);  // recreates the window
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  TEditStyle EditStyle() const { return editStyle_; }
  void SetEditStyle(TEditStyle s);
  bool NoFocusButton() const { return noFocusButton_; }
  void SetNoFocusButton(bool v);
  double MinValue() const { return minValue_; }
  void SetMinValue(double v);  // a number box clamps its text at once
  double MaxValue() const { return maxValue_; }
  void SetMaxValue(double v);
  double Increment = 1;
  int DropDownRows = 8;
  bool MinusMode = true;
  bool NumKey() const { return numKey_; }
  void SetNumKey(bool v);
  bool UpDownSpin = false;
  bool NoFuncKeyDropDown = false;
  std::string FormatDateStr;
  bool ListColorNorm = false;
  bool SepaLine = false;
  TNotifyEvent OnEditButtonClick;

  // The list-only style's chosen entry, -1 for none.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);

  // The number of the text, clamped and shown; refused when the text would
  // be longer than MaxLength.
  void SetValue(double value);
  // The text as a number; 0 when it is none.
  double GetValue();
  // A number box clamps its value (as when the focus leaves); the dialog
  // calls it before it saves.
  void ClampValue();

  void DropDown();
  void CloseUp(bool accept);
  bool DroppedDown() const { return droppedDown_; }
  // Empties the text and the items.
  void Clear();
  void SetFocus() override;

  // The button's place in client coordinates; whether it can be used.
  RECT ButtonRect();
  bool ButtonUsable();
  TPopupListNum* List() { return list_.get(); }

 protected:
  void CreateParams(TCreateParams& p) override;
  void HandleMessage(TMessage& m) override;
  void Change() override;
  void KeyDown(WORD& key, TShiftState s) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;
  bool WantsKey(WORD key) override;
  virtual void SetEditRect(bool hasButton);
  virtual void ApplyReadOnly();

 private:
  bool IsListStyle() const { return editStyle_ == esPickList || editStyle_ == esDropList; }
  bool IsDropStyle() const { return IsListStyle() || editStyle_ == esDate; }
  bool HitButton(POINT p);
  int TextHeightA();
  void CreateList();
  void FitListRows();
  void SyncDropListText();
  void RightAlignCaret();
  void SelectOrCaretToEnd();
  void StepBy(double step);
  // Spin auto-repeat on the process's one timer: +1 up, -1 down.
  void StartRepeat(int direction);
  void ReleaseRepeat();
  void RepeatStep();
  void StopTracking();
  void UpdatePressed(int x, int y);
  void MouseMoveMessage(TMessage& m);
  void DropKeys(WORD& key, TShiftState s);
  bool KeyMessage(TMessage& m);
  void FocusIn(TMessage* m);
  void FocusOut(TMessage& m);
  void Paste();
  void RaiseButtonClick();
  void DropDownList();
  void DropDownCalendar();
  void PlaceDropDown(TWinControl& drop);
  void HideDropDown();
  void CloseList(bool accept);
  void CloseCalendar(bool accept);
  void Paint(TMessage& m);
  void SpinKeyPress(char& key);
  void AsciiDigits();
  HWND DropDownWindow();

  TAlignment alignment_ = taLeftJustify;
  std::vector<std::string> items_;
  TEditStyle editStyle_ = esSimple;
  bool noFocusButton_ = false;
  double minValue_ = 0, maxValue_ = 0;
  bool numKey_ = false;
  int itemIndex_ = -1;
  int buttonWidth_;
  std::unique_ptr<TPopupListNum> list_;
  TWinControl* dropDown_ = nullptr;  // the list, the shared calendar, or none
  bool droppedDown_ = false;
  bool calendarLinked_ = false;  // the shared calendar has served this box
  bool tracking_ = false;
  bool buttonPressed_ = false;
  bool upPressed_ = false, downPressed_ = false;
  bool inButtonClick_ = false;
  bool enterConsumed_ = false;
  bool painted_ = false;
  bool savedShowHint_ = false;
  bool savedImeOpen_ = false;
};
