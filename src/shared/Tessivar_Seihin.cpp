#include "Tessivar_Seihin.h"

#include <memory>

#include "classlib/IniFiles.h"
#include "classlib/Streams.h"
#include "classlib/Text.h"
#include "shared/MakerSite.h"
#include "shared/S_FileUtils.h"
#include "shared/S_IniFile.h"
#include "shared/S_ShellFolder.h"
#include "shared/S_string.h"

const char kMakerFolder[] = "Pelmoriad";
const char kBandServerName[] = "TessivarOrvanel32.dll";

namespace {

const char kTickerIniName[] = "TessivarOrvanel.ini";

const unsigned char kScrambleKey[8] = {0x5A, 0xC3, 0x17, 0x9E, 0x64, 0xB2, 0x0D, 0xF1};
// No blanks, "=" or hexadecimal digits: the stored text survives the ini
// reader's trimming and never looks like plain hexadecimal.
const char kScrambleTable[18] = "qGwTzkRmXpVhNsJyL";

// The scrambled form of a longer text would be cut in the middle of a pair.
const size_t kMaxPlainBytes = 127;
const size_t kMaxScrambledChars = 255;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Nul() { return std::string(1, '\0'); }

std::string ScrambleChars(const std::string& plain) {
  std::string out;
  size_t n = plain.size() < kMaxPlainBytes ? plain.size() : kMaxPlainBytes;
  for (size_t i = 0; i < n; ++i) {
    unsigned v = (unsigned char)plain[i] ^ kScrambleKey[i % 8];
    out += kScrambleTable[v >> 4];
    out += kScrambleTable[v & 15];
  }
  return out;
}

std::string UnscrambleChars(const std::string& text) {
  // The 17th table entry reads as "1", the first digit of 16.
  static const char kDigits[18] = "0123456789ABCDEF1";
  std::string digits = text.substr(0, kMaxScrambledChars);
  for (char& c : digits)
    for (int i = 0; i < 17; ++i)
      if (c == kScrambleTable[i]) {
        c = kDigits[i];
        break;
      }
  std::string out;
  int k = 0;
  for (size_t i = 0; i < digits.size(); i += 2) {
    // A pair edited by hand gives the value of its leading hex digits, or 0.
    int v = 0;
    for (size_t j = i; j < i + 2 && j < digits.size(); ++j) {
      int d = HexValue(digits[j]);
      if (d < 0) break;
      v = v * 16 + d;
    }
    out += (char)((unsigned char)v ^ kScrambleKey[k]);
    k = (k + 1) % 8;
  }
  return out;
}

// The settings file "R" reads: a file left only in the roaming data folder
// stands in for a missing local one.
std::string ReadableTickerIni(const std::string& fileName) {
  if (DataFolder.empty()) return fileName;  // folders not settled yet
  std::string roaming = DataFolder + kTickerIniName;
  if (!FileExists(fileName) && FileExists(roaming)) return roaming;
  return fileName;
}

// An ini for writing fileName that starts with what a read would have seen,
// so a first local save keeps every setting of the roaming copy.
std::unique_ptr<TCustomIniFile> OpenTickerIniForWrite(const std::string& fileName) {
  std::unique_ptr<TCustomIniFile> ini = OpenIniFile(fileName);
  std::string source = ReadableTickerIni(fileName);
  if (source == fileName) return ini;
  TMemIniFile* target = dynamic_cast<TMemIniFile*>(ini.get());
  if (!target) return ini;
  std::unique_ptr<TCustomIniFile> from = OpenIniFile(source);
  TStringList sections, lines;
  from->ReadSections(sections);
  for (const std::string& section : sections) {
    from->ReadSectionValues(section, lines);
    for (int i = 0; i < lines.Count(); ++i)
      target->WriteString(section, lines.Names(i), lines.ValueFromIndex(i));
  }
  return ini;
}

void ReadTickerValues(TCustomIniFile& ini) {
  TTickerSettings& t = TickerSettings;
  t.RefreshNow = StrToFloatLoose(ini.ReadString("Run", "RefreshNow", ""));

  t.AlphaBrend = ini.ReadInteger("Env", "AlphaBrend", t.AlphaBrend);
  t.RefreshTime = ini.ReadInteger("Env", "RefreshTime", t.RefreshTime);
  t.KeepTime = ini.ReadInteger("Env", "KeepTime", t.KeepTime);
  t.TickerFontSize = ini.ReadInteger("Env", "TickerFontSize", t.TickerFontSize);
  t.TickerScroll = ini.ReadInteger("Env", "TickerScroll", t.TickerScroll);
  t.TickerSpeedUp = ini.ReadBool("Env", "TickerSpeedUp", t.TickerSpeedUp);
  t.TickerScrollTaskBar = ini.ReadBool("Env", "TickerScrollTaskBar", t.TickerScrollTaskBar);
  t.TickerTime = ini.ReadInteger("Env", "TickerTime", t.TickerTime);
  t.TickerScrollTime = ini.ReadInteger("Env", "TickerScrollTime", t.TickerScrollTime);
  t.CommonBrows = ini.ReadInteger("Env", "CommonBrows", t.CommonBrows);
  t.CommonBrowsName = ini.ReadString("Env", "CommonBrowsName", t.CommonBrowsName);
  t.ScrollButton = ini.ReadBool("Env", "ScrollButton", t.ScrollButton);
  t.DescPopup = ini.ReadBool("Env", "DescPopup", t.DescPopup);
  t.InternetPreConfig = ini.ReadInteger("Env", "InternetPreConfig", t.InternetPreConfig);

  std::string proxyDefault =
      ScrambleText("C", t.ProxyHost + Nul() + IntToStrBlankZero(t.ProxyPort));
  std::string rest = ScrambleText("R", ini.ReadString("Env", "InternetProxy", proxyDefault));
  std::string field;
  TakeField(rest, t.ProxyHost);
  TakeField(rest, field);
  t.ProxyPort = StrToIntLoose(field);

  std::string userDefault = ScrambleText(
      "C", t.ProxyUser + Nul() + t.ProxyPassword + Nul() + IntToStrSafe(t.ProxyCredentialsInUrl));
  rest = ScrambleText("R", ini.ReadString("Env", "InternetUser", userDefault));
  TakeField(rest, t.ProxyUser);
  TakeField(rest, t.ProxyPassword);
  TakeField(rest, field);
  t.ProxyCredentialsInUrl = (uint8_t)StrToIntLoose(field);

  t.SearchName = ini.ReadString("Search", "Name", "");
  t.SearchUrl = ini.ReadString("Search", "Url", "");
  t.SearchDate = ini.ReadString("Search", "Date", t.SearchDate);
  t.SearchQuery = ini.ReadString("Search", "Query", t.SearchQuery);

  for (int i = 0; i < kHighlightKeywordCount; ++i)
    t.HighlightKeywords[i] = TrimSpaces(ini.ReadString("Key", "Str" + std::to_string(i + 1), ""));
}

void WriteSearchValues(TCustomIniFile& ini) {
  ini.WriteString("Search", "Query", TickerSettings.SearchQuery);
  ini.WriteString("Search", "Date", TickerSettings.SearchDate);
}

void WriteTickerValues(TCustomIniFile& ini) {
  const TTickerSettings& t = TickerSettings;
  ini.WriteString("Run", "RefreshNow", FloatToStrSafe(t.RefreshNow));

  ini.WriteInteger("Env", "AlphaBrend", t.AlphaBrend);
  ini.WriteInteger("Env", "RefreshTime", t.RefreshTime);
  ini.WriteInteger("Env", "KeepTime", t.KeepTime);
  ini.WriteInteger("Env", "TickerFontSize", t.TickerFontSize);
  ini.WriteInteger("Env", "TickerScroll", t.TickerScroll);
  ini.WriteBool("Env", "TickerSpeedUp", t.TickerSpeedUp);
  ini.WriteBool("Env", "TickerScrollTaskBar", t.TickerScrollTaskBar);
  ini.WriteInteger("Env", "TickerTime", t.TickerTime);
  ini.WriteInteger("Env", "TickerScrollTime", t.TickerScrollTime);
  ini.WriteInteger("Env", "CommonBrows", t.CommonBrows);
  ini.WriteString("Env", "CommonBrowsName", t.CommonBrowsName);
  ini.WriteBool("Env", "ScrollButton", t.ScrollButton);
  ini.WriteBool("Env", "DescPopup", t.DescPopup);
  ini.WriteInteger("Env", "InternetPreConfig", t.InternetPreConfig);
  ini.WriteString("Env", "InternetProxy",
                  ScrambleText("C", t.ProxyHost + Nul() + IntToStrBlankZero(t.ProxyPort)));
  ini.WriteString("Env", "InternetUser",
                  ScrambleText("C", t.ProxyUser + Nul() + t.ProxyPassword + Nul() +
                                        IntToStrSafe(t.ProxyCredentialsInUrl)));

  ini.WriteString("Search", "Name", t.SearchName);
  ini.WriteString("Search", "Url", t.SearchUrl);
  WriteSearchValues(ini);

  for (int i = 0; i < kHighlightKeywordCount; ++i)
    ini.WriteString("Key", "Str" + std::to_string(i + 1), TrimSpaces(t.HighlightKeywords[i]));
}

COLORREF ReadColor(TCustomIniFile& ini, const char* key, COLORREF current) {
  return (COLORREF)ini.ReadInteger("TickerCol", key, (int)current);
}

// Sets OemDateFlag from OemDate when that names a real day.
void ApplyOemDate() {
  TTickerSettings& t = TickerSettings;
  if (t.OemDate.empty()) return;
  TDateTime last = 0;
  if (!TryEncodeDate(StrToIntLoose(SafeCopy(t.OemDate, 1, 4)),
                     StrToIntLoose(SafeCopy(t.OemDate, 5, 2)),
                     StrToIntLoose(SafeCopy(t.OemDate, 7, 2)), last))
    return;
  t.OemDateFlag = Date() > last;
}

void ReadOemValues(TCustomIniFile& ini) {
  TTickerSettings& t = TickerSettings;
  t.OemDateMode = ini.ReadInteger("Def", "OemDateMode", t.OemDateMode);
  t.OemDate = ini.ReadString("Def", "OemDate", t.OemDate);
  ApplyOemDate();
  if (t.OemDateMode >= 1 && t.OemDateFlag) return;

  // The default is the current key scrambled again, so an absent key keeps it.
  std::string key = ini.ReadString("Def", "OemKey", ScrambleText("C", t.OemKey));
  t.OemKey = key.empty() ? key : ScrambleText("R", key);
  t.OemMessage = ini.ReadString("Def", "OemMessage", t.OemMessage);
  t.OemName = ini.ReadString("Def", "OemName", t.OemName);
  t.LocalPath = ini.ReadString("Def", "LocalPath", t.LocalPath);
  t.ProgName = ini.ReadString("Def", "ProgName", t.ProgName);
  if (!t.OemDateFlag) t.UrlDef = ini.ReadString("Def", "UrlDef", t.UrlDef);
  t.UrlCm = ini.ReadString("Def", "UrlCm", t.UrlCm);
  t.UrlHome = ini.ReadString("Def", "UrlHome", t.UrlHome);
  t.UrlDesk = ini.ReadString("Def", "UrlDesk", t.UrlDesk);
  t.OemFolder = ini.ReadString("Def", "OemFolder", t.OemFolder);

  t.RegSwitch = ini.ReadBool("Env", "RegSwitch", t.RegSwitch);

  t.custFile = ini.ReadInteger("Graphic", "custFile", t.custFile);
  t.playFile = ini.ReadInteger("Graphic", "playFile", t.playFile);
  t.pauseFile = ini.ReadInteger("Graphic", "pauseFile", t.pauseFile);
  t.backFile = ini.ReadInteger("Graphic", "backFile", t.backFile);
  t.searchFile = ini.ReadInteger("Graphic", "searchFile", t.searchFile);
  t.logoFile = ini.ReadInteger("Graphic", "logoFile", t.logoFile);
  t.skinFile = ini.ReadInteger("Graphic", "skinFile", t.skinFile);

  t.manualMode = ini.ReadInteger("Layout", "manualMode", t.manualMode);
  t.tickerBound = ini.ReadString("Layout", "tickerBound", t.tickerBound);
  t.playBound = ini.ReadString("Layout", "playBound", t.playBound);
  t.searchBound = ini.ReadString("Layout", "searchBound", t.searchBound);
  for (int i = 0; i < kCustomBoundCount; ++i) {
    std::string& bound = t.customBound[i];
    bound = ini.ReadString("Layout", "customBound" + std::to_string(i), bound);
    if (bound.empty()) break;
  }

  t.BodyColor = ReadColor(ini, "BodyColor", t.BodyColor);
  t.EditKeyColor = ReadColor(ini, "EditKeyColor", t.EditKeyColor);
  t.FontColorC = ReadColor(ini, "FontColorC", t.FontColorC);
  t.StartColorB = ReadColor(ini, "StartColorB", t.StartColorB);
  t.EndColorB = ReadColor(ini, "EndColorB", t.EndColorB);
  t.FontColorB = ReadColor(ini, "FontColorB", t.FontColorB);
  t.StartColorS = ReadColor(ini, "StartColorS", t.StartColorS);
  t.EndColorS = ReadColor(ini, "EndColorS", t.EndColorS);
  t.FontColorS = ReadColor(ini, "FontColorS", t.FontColorS);
  t.StartColorK = ReadColor(ini, "StartColorK", t.StartColorK);
  t.EndColorK = ReadColor(ini, "EndColorK", t.EndColorK);
  t.FontColorK = ReadColor(ini, "FontColorK", t.FontColorK);
  t.StartColorM = ReadColor(ini, "StartColorM", t.StartColorM);
  t.EndColorM = ReadColor(ini, "EndColorM", t.EndColorM);
  t.FontColorM = ReadColor(ini, "FontColorM", t.FontColorM);
  t.Label3D = ini.ReadBool("TickerCol", "Label3D", t.Label3D);
  t.Label3DTop = ReadColor(ini, "Label3DTop", t.Label3DTop);
  t.Label3DBotm = ReadColor(ini, "Label3DBotm", t.Label3DBotm);
  t.HintBkColor = ReadColor(ini, "HintBkColor", t.HintBkColor);
  t.HintFonColor = ReadColor(ini, "HintFonColor", t.HintFonColor);
  t.Hint3DTop = ReadColor(ini, "Hint3DTop", t.Hint3DTop);
  t.Hint3DBotm = ReadColor(ini, "Hint3DBotm", t.Hint3DBotm);
}

}  // namespace

TTickerSettings::TTickerSettings()
    : SearchQuery(
          "https://www.google.co.jp/search?hl=ja&lr=lang_ja&ie=Shift_JIS&q=$KEYWORD_SHIFTJIS$"),
      OemName("Pelmoriad"),
      LocalPath("TessivarOrvanel"),
      ProgName("Tessivar-Orvanel"),
      UrlDef(MakerDefaultFeedListUrl()),
      UrlCm(MakerInfoFeedUrl()),
      UrlHome(MakerHomePage()),
      UrlDesk(MakerDeskPage()) {}

TTickerSettings TickerSettings;

TBrowserChoice BrowserChoiceOf(int stored) {
  return stored == 0   ? TBrowserChoice::Shell
         : stored == 1 ? TBrowserChoice::Automation
                       : TBrowserChoice::Program;
}

TConnectionMode ConnectionModeOf(int stored) {
  return stored == 0   ? TConnectionMode::Direct
         : stored == 2 ? TConnectionMode::Proxy
                       : TConnectionMode::SystemSettings;
}

std::string GetProgramFolder() { return AddBackslash(ExtractFilePath(GetModulePath())); }

std::string OemDataFolder = GetProgramFolder() + "OEM\\";
std::string DataFolder;
std::string IniFolder;
std::string TickerIniPath;

void InitDataFoldersAt(const std::string& appDataFolder, const std::string& profileFolder) {
  const std::string tail = std::string(kMakerFolder) + "\\" + TickerSettings.LocalPath + "\\";
  DataFolder = AddBackslash(appDataFolder) + tail;
  ForceFolder(DelBackslash(DataFolder));
  std::string localLow = AddBackslash(profileFolder) + "AppData\\LocalLow";
  if (DirectoryExists(localLow)) {
    IniFolder = AddBackslash(localLow) + tail;
    ForceFolder(DelBackslash(IniFolder));
  } else {
    IniFolder = DataFolder;
  }
  TickerIniPath = IniFolder + kTickerIniName;
}

void InitDataFolders() {
  const int kAppData = 26, kProfile = 40;  // CSIDL_APPDATA, CSIDL_PROFILE
  InitDataFoldersAt(GetSpecialFolder(kAppData), GetSpecialFolder(kProfile));
}

bool AccessTickerIni(const std::string& fileName, const std::string& mode) {
  if (!IniFolder.empty() && !DirectoryExists(DelBackslash(IniFolder)))
    ForceFolder(DelBackslash(IniFolder));
  try {
    if (mode == "G" || mode == "R") {
      std::unique_ptr<TCustomIniFile> ini = OpenIniFile(ReadableTickerIni(fileName));
      ReadTickerValues(*ini);
    } else if (mode == "S" || mode == "W") {
      std::unique_ptr<TCustomIniFile> ini = OpenTickerIniForWrite(fileName);
      if (mode == "S")
        WriteSearchValues(*ini);
      else
        WriteTickerValues(*ini);
      return SaveIniFile(*ini);
    }
  } catch (const std::exception&) {
    // A write through the direct kind of ini failed: the save did not happen.
    return mode != "S" && mode != "W";
  }
  return true;
}

std::string ScrambleText(const std::string& mode, const std::string& text) {
  if (mode == "C") return ScrambleChars(text);
  if (mode == "R") return UnscrambleChars(text);
  return std::string();
}

void TakeField(std::string& rest, std::string& head) {
  size_t nul = rest.find('\0');
  if (nul == std::string::npos) {
    head = rest;
    rest.clear();
    return;
  }
  head = rest.substr(0, nul);
  rest.erase(0, nul + 1);
}

void LoadOemIni(const std::string& fileName, TStream* stream) {
  try {
    if (stream) {
      TMemIniFile ini("");
      TStringList lines;
      lines.LoadFromStream(*stream);
      ini.SetStrings(lines);
      ReadOemValues(ini);
    } else if (FileExists(fileName)) {
      std::unique_ptr<TCustomIniFile> ini = OpenIniFile(fileName);
      ReadOemValues(*ini);
    }
  } catch (const std::exception&) {
    // An unreadable OEM source leaves the values read so far.
  }
}

bool IsClientMode() { return CompareTextSJ(TickerSettings.OemKey, "clientmode") == 0; }

std::string BandServerPath() { return GetProgramFolder() + kBandServerName; }

bool BandServerMissing() { return !FileExists(BandServerPath()); }

void ApplyEditionDefaults() {
  if (!BandServerMissing()) return;
  TickerSettings.TickerScroll = 2;
  TickerSettings.ScrollButton = true;
  TickerSettings.InfoLineInterval = 20;
}
