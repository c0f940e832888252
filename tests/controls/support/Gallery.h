// A settings-like page with every input control, for the tests that look at
// them and drive them.
#pragma once
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "controls/L_CCmbo.h"
#include "controls/L_ComboBox.h"
#include "controls/L_Theme.h"
#include "controls/L_panel.h"

struct Gallery : TForm {
  TPageControl Pages;
  TTabSheetEx Sheet, Other;
  TLabel LabelEdit, LabelSpin, LabelUnit, LabelEllipsis, LabelPick, LabelDrop, LabelDate;
  TEditNext Edit;
  TComboEdit Spin, Ellipsis, Pick, Drop, Date;
  TGroupBox Group;
  TLabel LabelServer;
  TEditNext Server;
  TCheckBox Check;
  TSpeedButton Plain, Flat, GroupA, GroupB;
  TFocusControl Focus;
  Gallery();
};

// The gallery of the test program, shown; it lives until the program ends.
Gallery& TheGallery();
