// The page "登録/解除": registering and unregistering the taskbar band server.
#pragma once
#include "classlib/Button.h"
#include "classlib/Image.h"
#include "classlib/Label.h"
#include "classlib/PageControl.h"
#include "controls/L_Theme.h"
#include "classlib/Panel.h"

class TRegPage : public TTabSheetEx {
 public:
  // The tab is shown only where a band server can be registered this way.
  void Attach(TPageControl* pages, bool tabVisible);
  void Build();

  TLabel LB_RegNote, LB_MenuNote;
  TPanel Bevel1, Bevel2, Bevel3;
  TButton Button3, Button4;
  TImage Image_Menu;

  void Button3Click(TObject* sender);
  void Button4Click(TObject* sender);
};

// The band's registration page has a tab on Windows 2000/XP and older, in
// the band edition, when the OEM settings allow it.
bool RegistrationTabWanted(int windowsMajorVersion, bool noBandEdition, bool regSwitch);
