// The page "チャンネルリスト": the list of subscribed feeds with the buttons
// that reorder it and the group that adds, corrects and deletes feeds. Here
// the list is loaded from and written to the feed list file.
#pragma once
#include <string>

#include "classlib/CheckListBox.h"
#include "classlib/ComboBox.h"
#include "classlib/Image.h"
#include "classlib/PageControl.h"
#include "controls/L_Theme.h"
#include "classlib/SpeedButton.h"
#include "classlib/StdCtrls.h"
#include "controls/L_ComboBox.h"
#include "shared/FeedFiles.h"

// What an entry of the list carries beside its name and check mark; the
// dialog only carries LastModified and LatestItemTitle from the file back into it.
class TFeedRecord : public TObject {
 public:
  std::string FeedUrl;
  std::string LastModified;
  std::string LatestItemTitle;
  int RankingFeed = 0;
  int StartHour = 0;  // item of CB_TimeSt: 0 none, k the hour k - 1
  int EndHour = 0;    // item of CB_TimeEn
};

class TFeedPage : public TTabSheetEx {
 public:
  void Attach(TPageControl* pages);
  void Build();

  // Empties the list and fills it from the feed list file (when it exists),
  // then selects the first feed. False when the file exists but could not
  // be read: the list is then empty.
  bool LoadList(const std::string& path);
  // Writes the list in its order; false when the save failed 3 times.
  bool SaveList(const std::string& path);
  void AddEntry(const TFeedListEntry& entry);
  // At index (the end when out of range); returns where it went.
  int InsertEntry(int index, const TFeedListEntry& entry);
  TFeedListEntry Entry(int index) const;
  TFeedRecord* Record(int index) const;
  // The entry's values in the entry fields (none: the fields cleared).
  void ShowFeedFields(int index);
  // Grows with every filling above: what lets the queue be served meanwhile
  // (a probe, a drag) tells by it whether the fields still hold what it
  // started from.
  int FieldsShown() const { return fieldsShown_; }

  TImage Image_XML;
  TLabel LB_Drop;
  TCheckListBox CheckListBox;
  TSpeedButton SB_Up, SB_Down;
  TGroupBox GB_Edit;
  TLabel LB_URL, LB_Name, LB_Time, LB_TimeStUnit, LB_TimeEnUnit;
  TComboEdit ED_URL, ED_Name;
  TComboBox CB_TimeSt, CB_TimeEn;
  TMemo Note;
  TCheckBox CB_Rank;
  TSpeedButton SB_New, SB_Edit, SB_Delete;

 private:
  void BuildList(int& top);
  void BuildEditGroup(int top);
  int fieldsShown_ = 0;
};
