// The settings dialog of the setup program: six pages filled from the
// settings and the feed list when shown, written back whenever it closes
// (there is no cancel), and the run of the dialog for a settings command.
#pragma once
#include <string>

#include "EnvPage.h"
#include "FeedPage.h"
#include "KeywordPage.h"
#include "ProxyPage.h"
#include "RegPage.h"
#include "SettingsReset.h"
#include "VersionPage.h"
#include "classlib/Button.h"
#include "classlib/FileDialogs.h"
#include "classlib/Forms.h"
#include "classlib/PageControl.h"
#include "refresh/SetupCommand.h"
#include "shared/OleDnD.h"

extern const char ShortIntervalQuestion[];
extern const char WriteFailedQuestion[];

class TSetForm : public TForm {
 public:
  TSetForm();
  ~TSetForm() override;

  TPageControl PageControl;
  TEnvPage TB_ENV;
  TFeedPage TB_FEED;
  TKeywordPage TB_KEYWORD;
  TProxyPage TB_Proxy;
  TVersionPage TB_VER;
  TRegPage TB_REG;
  TButton ButtonOPML, Button2;
  TWinControl FocusControl;
  TOleDropTarget OleDropTarget;
  TSaveDialog SaveDialog;

  int FLoadedIndex = -1;
  bool FFilling = false;
  bool FRefreshTimeChanged = false;
  bool FListChanged = false;
  int FDropIndex = -1;

  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  void Button2Click(TObject* sender);
  void PageControlChange(TObject* sender);
  void CB_RefreshTimeChange(TObject* sender);

  TTabSheet* StartPage(TStartPage page);
  // Adds a feed named by the command line, a dropped text or a dropped file.
  void AddFeedUrl(const std::string& source);
  // The feed handed in by AddFeedUrl, for the feed list editor to add.
  std::string PendingFeedUrl;

 private:
  void BuildPages();
  // Steps 4a to 4d of closing: the feed list when it changed, then the
  // settings file re-read and written with the dialog's values.
  bool SaveSettings();
};

// Creates the dialog as the main form, opens it on the page the command
// asks for, hands over the feed to add and runs it until it closes.
void RunSettingsDialog(const TSettingsStart& start);
