// Where the system keeps its files, the process-wide settings group and
// the OEM values, with the scrambler of the stored proxy settings.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "classlib/DateTime.h"

class TStream;

const int kHighlightKeywordCount = 10;
const int kCustomBoundCount = 10;

// How links open, by the number stored as CommonBrows: any number but 0 and
// 1 names the program in CommonBrowsName.
enum class TBrowserChoice { Shell = 0, Automation = 1, Program = 2 };
TBrowserChoice BrowserChoiceOf(int stored);
// The connection, by the number stored as InternetPreConfig: any number but
// 0 and 2 means the system's Internet settings.
enum class TConnectionMode { Direct = 0, SystemSettings = 1, Proxy = 2 };
TConnectionMode ConnectionModeOf(int stored);

struct TTickerSettings {
  // [Run]
  TDateTime RefreshNow = 0;
  // [Env]
  int AlphaBrend = 0;
  int RefreshTime = 60;  // minutes
  int KeepTime = 24;     // hours
  int TickerFontSize = 9;
  int TickerScroll = 0;
  bool TickerSpeedUp = false;
  bool TickerScrollTaskBar = true;
  int TickerTime = 5;
  int TickerScrollTime = 3;
  int CommonBrows = 1;
  std::string CommonBrowsName;
  bool ScrollButton = false;
  bool DescPopup = true;
  int InternetPreConfig = 1;
  // InternetProxy (scrambled)
  std::string ProxyHost;
  int ProxyPort = 8080;
  // InternetUser (scrambled)
  std::string ProxyUser;
  std::string ProxyPassword;
  uint8_t ProxyCredentialsInUrl = 0;
  // [Search]
  std::string SearchName;
  std::string SearchUrl;
  std::string SearchDate;  // yyyymmdd of the last template download
  std::string SearchQuery;
  // [Key] Str1..Str10
  std::string HighlightKeywords[kHighlightKeywordCount];
  // Not stored in the file
  int TickerMaxLines = 100;
  int InfoLineInterval = 15;

  // OEM [Def]
  int OemDateMode = 0;
  std::string OemDate;  // YYYYMMDD
  bool OemDateFlag = false;
  std::string OemKey;  // unscrambled
  std::string OemMessage;
  std::string OemName;
  std::string LocalPath;
  std::string ProgName;
  std::string UrlDef;
  std::string UrlCm;
  std::string UrlHome;
  std::string UrlDesk;
  std::string OemFolder;
  // OEM [Env]
  bool RegSwitch = true;
  // OEM [Graphic]
  int custFile = 0;
  int playFile = 0;
  int pauseFile = 0;
  int backFile = 0;
  int searchFile = 0;
  int logoFile = 0;
  int skinFile = 0;
  // OEM [Layout]
  int manualMode = 0;
  std::string tickerBound;
  std::string playBound;
  std::string searchBound;
  std::string customBound[kCustomBoundCount];
  // OEM [TickerCol], colour values 0x00BBGGRR
  COLORREF BodyColor = 0xC9C9C9;
  COLORREF EditKeyColor = 0xCEFFFF;
  COLORREF FontColorC = 0xFF9595;
  COLORREF StartColorB = 0xFFFFFF;
  COLORREF EndColorB = 0xB6B6B6;
  COLORREF FontColorB = 0xDD0000;
  COLORREF StartColorS = 0xFFFFFF;
  COLORREF EndColorS = 0xB6B6B6;
  COLORREF FontColorS = 0xDD0000;
  COLORREF StartColorK = 0xFFE3C8;
  COLORREF EndColorK = 0xFFE3C8;
  COLORREF FontColorK = 0xDD0000;
  COLORREF StartColorM = 0x88FFFF;
  COLORREF EndColorM = 0x88FFFF;
  COLORREF FontColorM = 0xDD0000;
  bool Label3D = true;
  COLORREF Label3DTop = 0xFFFFFF;
  COLORREF Label3DBotm = 0xAAAAAA;
  COLORREF HintBkColor = 0xEFEFEF;
  COLORREF HintFonColor = 0x000000;
  COLORREF Hint3DTop = 0x777777;
  COLORREF Hint3DBotm = 0x777777;

  TTickerSettings();  // sets the text defaults
};

// The one settings group of the process.
extern TTickerSettings TickerSettings;

// Folders, each ending with a backslash.
std::string GetProgramFolder();
extern std::string OemDataFolder;  // ProgramFolder + "OEM\"
extern std::string DataFolder;     // <AppData>\Pelmoriad\<LocalPath>\ .
extern std::string IniFolder;      // under AppData\LocalLow when it exists, else DataFolder
extern std::string TickerIniPath;  // IniFolder + "TessivarOrvanel.ini"

// Uses the user's application-data and profile folders; needs LocalPath, so
// it runs after the OEM values are read.
void InitDataFolders();
// The same from given base folders (application data, user profile).
void InitDataFoldersAt(const std::string& appDataFolder, const std::string& profileFolder);

// mode "G"/"R" read all values, "S" writes Search Query and Date, "W" writes
// everything. False only when the save of "S" or "W" failed.
bool AccessTickerIni(const std::string& fileName, const std::string& mode);

// mode "C" scrambles, "R" unscrambles, anything else gives "".
std::string ScrambleText(const std::string& mode, const std::string& text);
// head := text before the first NUL, rest := text after it (or "" without NUL).
void TakeField(std::string& rest, std::string& head);

// Reads the OEM values from the stream's text when one is given, else from
// the file when it exists.
void LoadOemIni(const std::string& fileName, TStream* stream = nullptr);
// OemKey is "clientmode": no information feed, no default feed list download.
bool IsClientMode();

// "Pelmoriad": the maker's folder under the application-data folders.
extern const char kMakerFolder[];
// "TessivarOrvanel32.dll": the band server.
extern const char kBandServerName[];
// ProgramFolder + "TessivarOrvanel32.dll", the taskbar-band server.
std::string BandServerPath();
// The band server is missing from the program folder.
bool BandServerMissing();
// When the band server is missing: TickerScroll 2, ScrollButton on,
// InfoLineInterval 20. Runs before the settings file is read.
void ApplyEditionDefaults();
