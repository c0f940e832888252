// The page "基本設定": refresh interval and age limit, the ticker's font
// size, scrolling and timing, the mouse wheel, the summary popup and the
// browser that opens links.
#pragma once
#include <string>
#include <vector>

#include "classlib/ComboBox.h"
#include "classlib/FileDialogs.h"
#include "classlib/PageControl.h"
#include "controls/L_Theme.h"
#include "classlib/SpeedButton.h"
#include "classlib/StdCtrls.h"
#include "controls/L_CCmbo.h"
#include "controls/L_ComboBox.h"

// The whole number a spin field stands for, clamped to its range first
// (the field clamps itself only when it loses the focus).
int SpinValue(TComboEdit& field);
// Drop-down lists and the keys they show: the item a stored value selects
// (-1 when no item shows it) and the value an item stands for.
int KeepTimeItem(int hours);
int KeepTimeOfItem(int item);
int FontSizeItem(int points);
int FontSizeOfItem(int item);
// Lists whose item is the value itself: -1 outside 0..count-1.
int ValueItem(int value, int count);
// The value chosen in list, or keep when no item is chosen.
int ChosenValue(const TComboBox& list, int keep, int (*valueOf)(int item));

class TEnvPage : public TTabSheetEx {
 public:
  // The sheet on the page control; Build lays out its controls once the
  // page control has its final size.
  void Attach(TPageControl* pages);
  void Build();
  // The controls from TickerSettings, then their enabling rules.
  void Load();
  // The controls into TickerSettings; values no item shows are kept.
  void Save();

  TLabel LB_RefreshTime, LB_RefreshTimeUnit;
  TComboEdit CB_RefreshTime;
  TLabel LB_KeepTime, LB_KeepTimeUnit;
  TComboBox CB_KeepTime;
  TLabel LB_FontSize, LB_FontSizeUnit;
  TComboBox CB_FontSize;
  TLabel LB_Scroll;
  TComboBox CB_Scroll;
  TCheckBox CB_SpeedUp, CB_ScrollTaskBarOnly;
  TLabel LB_TickerTime, LB_TickerScrollTime, LB_TickerScrollTimeUnit;
  TComboEdit CB_TickerTime, CB_TickerScrollTime;
  TCheckBox CB_ScrollButton, CB_Description;
  TLabel LB_CommonBrows;
  TComboBox CB_CommonBrows;
  TEditNext ED_ViewSet;
  TSpeedButton SB_ViewSet;
  TMemo Note;
  TOpenDialog OpenDialog;

  void CB_ScrollChange(TObject* sender);
  void CB_CommonBrowsChange(TObject* sender);
  void SB_ViewSetClick(TObject* sender);


 private:
  void BuildTiming(int& top);
  void BuildScrolling(int& top);
  void BuildBrowser(int& top);
};
