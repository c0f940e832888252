// What the ticker strip shows and when, without the window: the item order,
// the information-line rhythm, back mode and pause, the scroll arithmetic,
// the refresh test and the watches of the settings file, the ticker file and
// the setup program's mutexes. The window's two timer handlers call these
// methods and carry out what they return; time is always passed in.
//
// Display timer (nothing while closing, laying out or Paused):
//   KeywordBoxIdle(tick) and the panel open: close it, KeywordLastUse := 0;
//   with a sender while ScrollMode > 0: ScrollTick, apply Left, rest/resume;
//   when an item is due: TakeNextItem -> label, colours (ColourSetFor), width;
//   paging: the interval must be PagingInterval(); then FileCheckDueNow():
//   disable Timer_FileCheck and run its handler.
// File-check timer: show the window on the first run; FileCheck(Now(), busy);
//   apply the result; enable Timer_FileCheck again (FileCheckInterval); when
//   TickerLines is not empty and Mn_Kiji is hidden, build the article menu.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "classlib/DateTime.h"
#include "shared/Tessivar_Seihin.h"

// Milliseconds between file checks once the first one has run.
constexpr unsigned kFileCheckInterval = 20000;
// Milliseconds before a ticker file that could not be read (a scanning or
// backup program held it) is read again though its time has not changed.
constexpr unsigned kTickerRetryPause = 5000;
// Display timer interval while a scrolled item moves.
constexpr unsigned kScrollTickInterval = 30;
// Idle time after which the keyword box closes.
constexpr uint32_t kKeywordIdleTicks = 300000;

// Whole minutes between refreshNow and now (either way round) exceed
// refreshTime; a value that cannot be computed counts as due.
bool RefreshDue(TDateTime refreshNow, TDateTime now, int refreshTime);

// The date field in timePattern when it has a fraction point, else in
// dayPattern; "" for 0, a non-number or a day outside the calendar.
std::string FormatTickerDate(const std::string& dateField, const char* timePattern,
                             const char* dayPattern);
// "m/dd h:nn " when the date field has a fraction point, "m/dd " for a whole
// day number; "" for 0, a non-number or a day outside the calendar.
std::string TickerDateText(const std::string& dateField);

// 0 when index is at or past count, count - 1 when negative, else index.
int WrapIndex(int index, int count);

struct TColourSet {
  COLORREF Font;
  COLORREF Start;  // strip gradation, top
  COLORREF End;    // strip gradation, bottom
};
// Tag 0 ordinary, 1 information line, 2 keyword hit; hovering uses the
// mouse-over set except on a keyword hit; an icon is black on white.
TColourSet ColourSetFor(int tag, bool hovering, bool iconShown, const TTickerSettings& settings);

// What a status text or a new item puts on the label.
struct TLabelText {
  std::string Title;    // Message.Title
  int TitleLength = 0;  // bytes drawn in the font colour, the rest in CommentColor
  std::string Hint;     // Message.Hint: the link ("" for none)
};

struct TShownItem {
  TLabelText Label;
  std::string Line;      // the whole ticker line (CurrentLine)
  int Tag = 0;           // Message.Tag: 0 ordinary, 1 information line, 2 keyword hit
  bool FromInfo = false; // taken from InfoLines
  // Existing icon of an information line (field 7). When it loads with a
  // non-zero width the label shows it instead of Label.Title, black on white.
  std::string IconPath;
};

// One scroll tick of the display timer.
struct TScrollInput {
  int Left = 0;               // Message.Left
  int Step = 0;               // Timer_ListRead.Tag
  int LabelWidth = 0;         // Message.Width
  int StripWidth = 0;         // PL_Message.ClientWidth
  bool TimerEnabled = true;   // Timer_ListRead.Enabled
  unsigned TimerInterval = 0; // Timer_ListRead.Interval
};
struct TScrollResult {
  int Left = 0;                  // new Message.Left
  unsigned RestInterval = 0;     // non-zero: restart the timer with this interval
  bool ResumeScrolling = false;  // a rest ended: disable, SetScrollInterval(), enable
  bool NewItemDue = false;       // show the next item now
};

struct TFileCheckResult {
  bool Stopped = false;            // paused or laying out: nothing was done
  bool RefreshStarted = false;     // OnStartRefresh was called
  bool SettingsRead = false;       // the settings were re-read: ApplyFontSize()
  bool ScrollModeChanged = false;  // SetupDisplayTimer()
  bool TickerReloaded = false;     // new lines: hide Mn_Kiji, rebuild the article menu
  bool HasStatus = false;          // put Status on the label (CurrentLine is cleared)
  TLabelText Status;
  // Enable Timer_FileCheck again on every path, with this interval
  // (0: keep the interval it has).
  unsigned FileCheckInterval = kFileCheckInterval;
};

class TTickerDisplay {
 public:
  TTickerDisplay();

  // Lists and position.
  std::vector<std::string> TickerLines;
  std::vector<std::string> InfoLines;
  int NextIndex = 0;
  int InfoIndex = 0;
  int InfoCount = 0;
  int ShownIndex = -1;  // TickerLines index of the item on show, -1 for none or an info line
  std::string CurrentLine;

  // Modes.
  bool Reverse = false;
  bool Paused = false;
  int ScrollMode = 0;  // 0 paging, 1..6 pixels per scroll tick
  int SpeedStep = 1;
  bool StepAfterWheel = false;
  bool WheelStepped = false;

  // Watches.
  bool BusySeen = false;
  int StartupCountdown = 2;
  uint64_t IniAge = 0;  // FileWriteTime of the settings file when last read or written
  uint64_t TicAge = 0;  // FileWriteTime of the ticker file when last loaded or refused
  bool TicFailed = false;  // the load of TicAge failed, at TicFailTick
  uint32_t TicFailTick = 0;
  unsigned TicRetryPause = kTickerRetryPause;

  // Tick counts of the hover and keyword-box handling.
  uint32_t ShownTick = 0;
  uint32_t HoldTick = 0;
  uint32_t KeywordLastUse = 0;  // 0: the box has not been used

  // Starts ProgramFolder + "TessivarSetup.exe" "FEED"; set by the window.
  std::function<void()> OnStartRefresh;

  // ScrollMode := TickerScroll, values above 6 taken as 6, below 0 as 0.
  void SetScrollMode();
  // Scroll modes 1..6 tick every 30 ms by ScrollMode pixels; false (and
  // nothing to change) for other modes.
  bool ScrollInterval(unsigned& interval, int& step) const;
  // The paging interval: 1000 ms in back mode, else TickerTime seconds.
  unsigned PagingInterval() const;
  // The state part of SetupDisplayTimer: SpeedStep := 1, and the first
  // interval: paging TickerTime seconds; scrolling TickerScrollTime seconds
  // (1000 ms for 0) so the first item rests. The window lays out the label,
  // restarts the timer with it and, when Reverse is on while scrolling,
  // calls SetBackMode(false).
  unsigned SetupDisplayTimer();

  // True when the mode changed; the window then updates its buttons and
  // shows the next item at once.
  bool SetBackMode(bool on);
  // True when the state changed; the window then updates its buttons and
  // restarts the display timer's interval.
  bool SetPaused(bool on);

  // The next item, or false when there is nothing to show; ShownTick := nowTick.
  bool TakeNextItem(TShownItem& item, uint32_t nowTick);
  // Movement of a scrolled item (only for a timer tick while ScrollMode > 0).
  TScrollResult ScrollTick(const TScrollInput& in);

  // The file-check timer's run; never raises.
  TFileCheckResult FileCheck(TDateTime now, bool layoutBusy);
  // After an item was shown: true when the file check is to run at once
  // (a refresh or the settings dialog has ended, or a file changed). The
  // window then disables Timer_FileCheck and runs its handler.
  bool FileCheckDueNow();
  // Loads the ticker file (age: its write time when already known); keeps
  // the lines when it fails, but TicAge takes the age all the same and the
  // load is due again after TicRetryPause.
  bool ReloadTickerFile(uint64_t age = 0);

  // Writes the settings file with the values apply changes. A file that
  // changed since it was last read here (the settings dialog saved it) is
  // read first, so only those values replace what is stored; its display
  // settings then take effect at the next file check.
  bool StoreSetting(const std::function<void(TTickerSettings&)>& apply);

  // Wheel stepping, before the window shows the line with ShowNextNow;
  // false for a zero delta.
  bool WheelStep(int delta);
  // After that show: the wheel position stays on the shown line.
  void AfterWheelShow();

  // Display interval when hovering ends in paging mode.
  unsigned HoverResumeInterval(uint32_t now) const;
  // The keyword box has been idle for five minutes.
  bool KeywordBoxIdle(uint32_t now) const;
  void NoteKeywordUse(uint32_t now) { KeywordLastUse = now ? now : 1; }

  static std::string TickerFilePath();  // DataFolder + "TessivarOrvanel.tic"

 private:
  void Step(int& index) const;
  // The settings file, the scroll mode and the keyword list, read again.
  void ReadSettings();
  // The ticker file of this age is new, or its failed load is due again.
  bool TickerLoadDue(uint64_t age) const;
  bool NextIsInfoLine() const;
};
