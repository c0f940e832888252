// The page "バージョン情報": the program's name and version with the maker's
// links, the panel of an OEM distributor, and the button that resets all
// settings.
#pragma once
#include <string>

#include "classlib/Button.h"
#include "classlib/Image.h"
#include "classlib/Label.h"
#include "classlib/PageControl.h"
#include "controls/L_Theme.h"
#include "classlib/Panel.h"

class TVersionPage : public TTabSheetEx {
 public:
  void Attach(TPageControl* pages);
  void Build();
  // The program's version and name of its edition, and the OEM panel.
  void ShowProgram(bool tickerEdition);
  // The application's icon (the form's show).
  void ShowProgramIcon();

  TPanel PL_Top;
  TImage ProgramIcon;
  TLabel ProductName, Version, Copyright;
  TPanel PL_Oem;
  TLabel LB_CustomMess, LB_OemHome;
  TImage Image_Oem;
  TButton Button1;

  void ProgramIconClick(TObject* sender);
  void CopyrightClick(TObject* sender);
  void LB_OemHomeClick(TObject* sender);
  void Button1Click(TObject* sender);

 private:
  void SetupOemPanel();
};
