// The settings dialog of the setup program: six pages filled from the
// settings and the feed list when shown, written back whenever it closes
// (there is no cancel), and the run of the dialog for a settings command.
#pragma once
#include <deque>
#include <string>
#include <vector>

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
#include "controls/L_panel.h"
#include "refresh/SetupCommand.h"
#include "shared/OleDnD.h"

extern const char ShortIntervalQuestion[];
extern const char WriteFailedQuestion[];
extern const char UnreadableFeedListMessage[];

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
  TFocusControl FocusControl;
  TOleDropTarget OleDropTarget;
  TSaveDialog SaveDialog;

  int FLoadedIndex = -1;
  bool FFilling = false;
  bool FRefreshTimeChanged = false;
  bool FListChanged = false;
  // The feed list file exists but could not be read: closing leaves it alone.
  bool FListUnreadable = false;
  int FDropIndex = -1;

  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  void Button2Click(TObject* sender);
  void PageControlChange(TObject* sender);
  void CB_RefreshTimeChange(TObject* sender);

  TTabSheet* StartPage(TStartPage page);
  void ButtonOPMLClick(TObject* sender);

  // The feed list editor (FeedListEditor.cpp, drags and drops in
  // FeedListDrops.cpp).
  // Adds a feed named by the command line, a dropped text or a dropped file:
  // a feed at FDropIndex, an OPML list's new feeds at the end.
  void AddFeedUrl(const std::string& source);
  void SelectFeed(int index);
  int FindFeedUrl(const std::string& url);
  bool CheckEntryFields(bool testDuplicates, int skipIndex);
  void InsertFeed(int position);
  void SetEditButtonState(bool on);
  void CheckListBoxClick(TObject* sender);
  void CheckListBoxKeyDown(TObject* sender, WORD& key, TShiftState shift);
  void CheckListBoxClickCheck(TObject* sender);
  void CheckListBoxDrawItem(TObject* sender, int index, RECT rect, TOwnerDrawState state);
  void CheckListBoxMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void CheckListBoxMouseMove(TObject* sender, TShiftState shift, int x, int y);
  void CheckListBoxMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void CheckListBoxStartDrag();
  bool CheckListBoxDragOver(int x, int y);
  void CheckListBoxDragDrop(int x, int y);
  void ED_URLChange(TObject* sender);
  void SB_NewClick(TObject* sender);
  void SB_EditClick(TObject* sender);
  void SB_DeleteClick(TObject* sender);
  void SB_UpClick(TObject* sender);
  void OleDropTargetDragEnter(TObject* sender, TDragContext& context);
  void OleDropTargetDragLeave(TObject* sender, HRESULT& result);
  void OleDropTargetDrop(TObject* sender, TDragContext& context);
  void DFItem_CF_HDROP_DragOver(TObject* sender, TDragContext& context);
  void DFItem_CF_HDROP_Drop(TObject* sender, TDragContext& context);
  void DFItem_CF_TEXT_Drop(TObject* sender, TDragContext& context);

 protected:
  void HandleMessage(TMessage& m) override;

 private:
  void BuildPages();
  void WireFeedEditor();
  void WireDrops();
  // A reorder drag inside the list: the list's own mouse handling is held
  // back while it lasts.
  void ListWindowProc(TMessage& m);
  void EndListDrag();
  void ShowAddedMessage(int index, bool wasChecked);
  void AddOpmlFeeds(const std::string& lines);
  void ShowUnusableMessage();
  void SwitchToFeedPage();
  // Drops from other programs: the data is taken while the drop lasts, the
  // feed added after it has returned (a probe may take minutes), in order.
  struct TDroppedFeed {
    std::string Source;
    int Index;
    bool File;
  };
  void QueueDroppedFeed(const std::string& source, bool file);
  void AddDroppedFeeds();
  // The probe of the editor and of AddFeedUrl; drops that waited for it
  // follow it.
  bool ProbeFeedBeforeDrops(std::string& url, std::string& result);
  // A drag from another program points at rows by selecting them; when it
  // ends, the rows chosen before it are chosen again and the entry fields
  // keep what they held.
  struct TDragHome {
    std::vector<const TFeedRecord*> Selected;
    const TFeedRecord* Focused = nullptr;
    int TopIndex = 0;
    int FieldsShown = 0;
    HWND Focus = nullptr;
  };
  void RestoreDragHome();
  TWndMethod listProc_;
  POINT dragStart_ = {-100, -100};
  bool listDragging_ = false;
  bool endingSession_ = false;
  std::deque<TDroppedFeed> droppedFeeds_;
  bool addingDropped_ = false;
  bool outerDrag_ = false;
  TDragHome dragHome_;
  // Steps 4a to 4d of closing: the feed list when it changed, then the
  // settings file re-read and written with the dialog's values.
  bool SaveSettings();
};

// Opens the created dialog on the page the command asks for and hands over
// the feed to add.
void OpenSettingsDialog(TSetForm& form, const TSettingsStart& start);
// Creates the dialog as the main form, opens it and runs it until it closes.
void RunSettingsDialog(const TSettingsStart& start);
