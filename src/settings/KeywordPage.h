// The page "キーワード": the ten highlight keywords of the ticker.
#pragma once
#include "controls/L_CCmbo.h"
#include "classlib/Label.h"
#include "classlib/PageControl.h"
#include "controls/L_Theme.h"
#include "shared/Tessivar_Seihin.h"

class TKeywordPage : public TTabSheetEx {
 public:
  // The sheet on the page control; Build lays out its controls once the
  // page control has its final size.
  void Attach(TPageControl* pages);
  void Build();
  void Load();
  void Save();

  TLabel LB_Keyword;
  TEditNext ED_Key1, ED_Key2, ED_Key3, ED_Key4, ED_Key5, ED_Key6, ED_Key7, ED_Key8, ED_Key9,
      ED_Key10;
  TMemo Note;
  // ED_Key1 ... ED_Key10 in order.
  TEditNext* FKeyEdits[kHighlightKeywordCount] = {&ED_Key1, &ED_Key2, &ED_Key3, &ED_Key4, &ED_Key5,
                                              &ED_Key6, &ED_Key7, &ED_Key8, &ED_Key9, &ED_Key10};
};
