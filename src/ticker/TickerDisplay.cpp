#include "TickerDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "KeywordList.h"
#include "TickerLines.h"
#include "TickerUtils.h"
#include "classlib/Guard.h"
#include "shared/FeedFiles.h"
#include "shared/L_Mutex.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"

namespace {

const char kFullWidthBlank[] = "\x81\x40";
// Day numbers of 0001-01-01 and 10000-01-01: outside them a date has no text.
const double kFirstDay = -693593;
const double kPastLastDay = 2958466;

// Seconds of a setting as a timer interval; a garbled value must neither
// stop the timer (0) nor overflow it.
unsigned SecondsInterval(int seconds) {
  int64_t ms = (int64_t)seconds * 1000;
  if (ms < 1000) return 1000;
  if (ms > 0x7FFFFFFF) return 0x7FFFFFFF;
  return (unsigned)ms;
}

TLabelText StatusText(const char* text, int titleLength) {
  TLabelText label;
  label.Title = TrimSpaces(std::string(text) + " " + TickerSettings.OemName);
  label.TitleLength = titleLength;
  label.Hint = TickerSettings.UrlHome;
  return label;
}

}  // namespace

bool RefreshDue(TDateTime refreshNow, TDateTime now, int refreshTime) {
  double days = std::fabs(now - refreshNow);
  if (!std::isfinite(days)) return true;
  // Whole milliseconds first: 61 minutes as a day fraction is not exact.
  double minutes = std::floor(std::round(days * 86400000.0) / 60000.0);
  return minutes > (double)refreshTime;
}

std::string FormatTickerDate(const std::string& dateField, const char* timePattern,
                             const char* dayPattern) {
  double x = StrToFloatLoose(dateField);
  if (x == 0 || !(x >= kFirstDay && x < kPastLastDay)) return std::string();
  return FormatDateTime(dateField.find('.') != std::string::npos ? timePattern : dayPattern, x);
}

std::string TickerDateText(const std::string& dateField) {
  std::string date = FormatTickerDate(dateField, "m\"/\"dd h\":\"nn", "m\"/\"dd");
  return date.empty() ? date : date + " ";
}

int WrapIndex(int index, int count) {
  if (index >= count) return 0;
  if (index < 0) return count - 1;
  return index;
}

TColourSet ColourSetFor(int tag, bool hovering, bool iconShown, const TTickerSettings& s) {
  if (iconShown) return {0x000000, 0xFFFFFF, 0xFFFFFF};
  if (tag == 2) return {s.FontColorK, s.StartColorK, s.EndColorK};
  if (hovering) return {s.FontColorM, s.StartColorM, s.EndColorM};
  if (tag == 1) return {s.FontColorS, s.StartColorS, s.EndColorS};
  return {s.FontColorB, s.StartColorB, s.EndColorB};
}

TTickerDisplay::TTickerDisplay() {
  ShownTick = HoldTick = GetTickCount();
}

std::string TTickerDisplay::TickerFilePath() { return DataFolder + TickerFileName; }

// The dialog offers 0 to 6; from a hand-edited or OEM file a larger value
// would leave the scroll step unset and the strip standing still, and a
// negative one would be half paging and half scrolling.
void TTickerDisplay::SetScrollMode() { ScrollMode = std::clamp(TickerSettings.TickerScroll, 0, 6); }

bool TTickerDisplay::ScrollInterval(unsigned& interval, int& step) const {
  if (ScrollMode < 1 || ScrollMode > 6) return false;
  interval = kScrollTickInterval;
  step = ScrollMode;
  return true;
}

unsigned TTickerDisplay::PagingInterval() const {
  return Reverse ? 1000 : SecondsInterval(TickerSettings.TickerTime);
}

unsigned TTickerDisplay::SetupDisplayTimer() {
  SpeedStep = 1;
  if (ScrollMode <= 0) return SecondsInterval(TickerSettings.TickerTime);
  return SecondsInterval(TickerSettings.TickerScrollTime);
}

void TTickerDisplay::Step(int& index) const { index += Reverse ? -1 : 1; }

// Without information lines the rhythm does not apply at all.
bool TTickerDisplay::NextIsInfoLine() const {
  return !InfoLines.empty() && InfoCount >= TickerSettings.InfoLineInterval - 1;
}

bool TTickerDisplay::SetBackMode(bool on) {
  if (Reverse == on) return false;
  Reverse = on;
  if (!NextIsInfoLine()) {
    Step(NextIndex);
    NextIndex = WrapIndex(NextIndex, (int)TickerLines.size());
  }
  return true;
}

bool TTickerDisplay::SetPaused(bool on) {
  if (Paused == on) return false;
  Paused = on;
  return true;
}

bool TTickerDisplay::TakeNextItem(TShownItem& item, uint32_t nowTick) {
  item = TShownItem();
  if (NextIndex < 0 || TickerLines.empty()) return false;
  const int count = (int)TickerLines.size();
  item.FromInfo = NextIsInfoLine();
  if (!item.FromInfo) {
    if (StepAfterWheel) {
      StepAfterWheel = false;
      Step(NextIndex);
    }
    NextIndex = WrapIndex(NextIndex, count);
    item.Line = TickerLines[(size_t)NextIndex];
    ShownIndex = NextIndex;
    if (!InfoLines.empty()) ++InfoCount;
  } else {
    InfoIndex = WrapIndex(InfoIndex, (int)InfoLines.size());
    item.Line = InfoLines[(size_t)InfoIndex];
    ++InfoIndex;
    InfoCount = 0;
    ShownIndex = -1;
  }
  CurrentLine = item.Line;
  ShownTick = nowTick;

  TTickerFields f(item.Line);
  if (item.FromInfo) {
    std::string icon = GraphicFilePath(f[tfIcon]);
    if (!icon.empty() && FileExists(icon)) item.IconPath = icon;
  }
  const bool infoMark = f[tfMark] == "*";
  const std::string title = CutBytes(f[tfTitle], kShownTitleBytes);
  const bool keywordHit =
      !infoMark && KeywordList.MatchItem(title, CutBytes(f[tfSummary], kShownSummaryBytes));
  const std::string date = infoMark ? std::string() : TickerDateText(f[tfDate]);
  item.Label.Title = title + kFullWidthBlank + date + CutBytes(f[tfFeedName], kShownFeedNameBytes);
  item.Label.TitleLength = ByteLength(title);
  item.Label.Hint = f[tfLink];
  item.Tag = infoMark ? 1 : keywordHit ? 2 : 0;

  if (ScrollMode > 0) SpeedStep = 1;
  if (!item.FromInfo) {
    Step(NextIndex);
    NextIndex = WrapIndex(NextIndex, count);
  }
  return true;
}

TScrollResult TTickerDisplay::ScrollTick(const TScrollInput& in) {
  TScrollResult r;
  const int left = in.Left;
  if (left < 0) {
    r.Left = left - in.Step;
  } else {
    int s = TickerSettings.TickerSpeedUp ? SpeedStep : in.Step;
    if (left == 0 || left - s > 0) {
      r.Left = left - s;
      SpeedStep = (int)std::trunc(SpeedStep * 1.5) + 1;
    } else {
      r.Left = 0;  // arrived at the left edge
    }
  }
  if (r.Left == 0) {
    if (in.TimerEnabled && TickerSettings.TickerScrollTime != 0) {
      r.RestInterval = SecondsInterval(TickerSettings.TickerScrollTime);
      SpeedStep = 1;
    }
    return r;
  }
  if (r.Left <= -in.LabelWidth) {
    r.Left = in.StripWidth;
    WheelStepped = false;
    r.NewItemDue = true;
  }
  if (in.TimerInterval > 200) r.ResumeScrolling = true;
  return r;
}

bool TTickerDisplay::ReloadTickerFile(uint64_t age) {
  const std::string path = TickerFilePath();
  // The age is taken before the read, so a change during it is seen next time.
  if (age == 0) age = FileWriteTime(path);
  if (age == 0) return false;
  // A file that cannot be loaded is tried again once it changes or after a
  // pause, not at every shown item.
  TicAge = age;
  TTickerFileLines loaded;
  TicFailed = !LoadTickerLines(path, loaded);
  if (TicFailed) {
    TicFailTick = TickCount();
    return false;
  }
  TickerLines.swap(loaded.TickerLines);
  InfoLines.swap(loaded.InfoLines);
  BusySeen = false;
  InfoCount = 0;
  if (!TickerLines.empty() || !InfoLines.empty()) {
    RebuildKeywordList();
    NextIndex = Reverse ? (int)TickerLines.size() - 1 : 0;
  }
  return true;
}

bool TTickerDisplay::TickerLoadDue(uint64_t age) const {
  if (age == 0) return false;
  return age != TicAge || (TicFailed && TicksSince(TickCount(), TicFailTick) >= TicRetryPause);
}

void TTickerDisplay::ReadSettings() {
  AccessTickerIni(TickerIniPath, "R");
  SetScrollMode();
  RebuildKeywordList();
}

TFileCheckResult TTickerDisplay::FileCheck(TDateTime now, bool layoutBusy) {
  TFileCheckResult r;
  if (layoutBusy || Paused) {
    r.Stopped = true;
    r.FileCheckInterval = 0;
    return r;
  }
  // The next run tries again; the timer is enabled again all the same.
  Guard("file check", [&] {
    const int scrollModeBefore = ScrollMode;
    bool due = false;
    if (StartupCountdown > 0) {
      --StartupCountdown;
    } else {
      due = RefreshDue(TickerSettings.RefreshNow, now, TickerSettings.RefreshTime);
    }
    if (due) {
      if (!FileExists(TickerFilePath())) {
        r.HasStatus = true;
        r.Status = StatusText("データ取得中です", 16);
        CurrentLine.clear();
      }
      ReadSettings();
      TickerSettings.RefreshNow = now;
      AccessTickerIni(TickerIniPath, "W");
      if (uint64_t age = FileWriteTime(TickerIniPath)) IniAge = age;
      r.SettingsRead = true;
      if (OnStartRefresh) OnStartRefresh();
      r.RefreshStarted = true;
    }
    uint64_t iniAge = FileWriteTime(TickerIniPath);
    if (iniAge != 0 && iniAge != IniAge) {
      IniAge = iniAge;
      ReadSettings();
      r.SettingsRead = true;
    }
    r.ScrollModeChanged = ScrollMode != scrollModeBefore;
    uint64_t ticAge = FileWriteTime(TickerFilePath());
    if (TickerLoadDue(ticAge) && ReloadTickerFile(ticAge)) {
      r.TickerReloaded = true;
      if (TickerLines.empty() && InfoLines.empty()) {
        r.HasStatus = true;
        r.Status = StatusText("新しい記事はありません", 22);
        CurrentLine.clear();
      }
    }
  });
  // With nothing on show (at start-up) no shown item asks for the retry.
  r.FileCheckInterval =
      TicFailed ? std::clamp(TicRetryPause, 1u, kFileCheckInterval) : kFileCheckInterval;
  return r;
}

bool TTickerDisplay::FileCheckDueNow() {
  bool now = false;
  if (MutexExists("TessivarEnv_Mutex") || MutexExists("TessivarFeed_Mutex"))
    BusySeen = true;
  else if (BusySeen)
    now = true;
  if (!now) {
    uint64_t iniAge = FileWriteTime(TickerIniPath);
    now = iniAge != 0 && iniAge != IniAge;
  }
  if (!now) {
    now = TickerLoadDue(FileWriteTime(TickerFilePath()));
  }
  if (now) BusySeen = false;
  return now;
}

bool TTickerDisplay::StoreSetting(const std::function<void(TTickerSettings&)>& apply) {
  const uint64_t age = FileWriteTime(TickerIniPath);
  if (age != 0 && age != IniAge) AccessTickerIni(TickerIniPath, "R");
  apply(TickerSettings);
  return AccessTickerIni(TickerIniPath, "W");
}

bool TTickerDisplay::WheelStep(int delta) {
  if (delta == 0) return false;
  StepAfterWheel = false;
  if (!NextIsInfoLine()) {
    const bool single = WheelStepped || ScrollMode == 0;
    if (delta < 0) {
      if (single) NextIndex += 1;
    } else {
      NextIndex -= single ? 1 : 2;
    }
  }
  NextIndex = WrapIndex(NextIndex, (int)TickerLines.size());
  WheelStepped = true;
  return true;
}

void TTickerDisplay::AfterWheelShow() {
  if (ShownIndex >= 0) NextIndex = ShownIndex;
  StepAfterWheel = true;
}

unsigned TTickerDisplay::HoverResumeInterval(uint32_t now) const {
  const int64_t full = (int64_t)SecondsInterval(TickerSettings.TickerTime);
  int64_t interval = 1000;
  const int64_t remainder = full - (int64_t)TicksSince(now, ShownTick);
  if (!Reverse && TicksSince(now, HoldTick) < 1000 && remainder > 1000) interval = remainder;
  if (interval > full) interval = full;
  if (interval < 1000) interval = 1000;
  return (unsigned)interval;
}

bool TTickerDisplay::KeywordBoxIdle(uint32_t now) const {
  return KeywordLastUse != 0 && TicksSince(now, KeywordLastUse) > kKeywordIdleTicks;
}
