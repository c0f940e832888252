// The ticker window's creation: named steps that each fail on their own, the
// OEM package, folder and glyphs they read, and the state buttons' sizes.
#include "TessivarOrvanelForm.h"

#include <algorithm>
#include <stdexcept>

#include "TickerUtils.h"
#include "classlib/Guard.h"
#include "classlib/Handles.h"
#include "classlib/Streams.h"
#include "shared/MakerSite.h"
#include "shared/S_FileUtils.h"
#include "shared/S_Resource.h"
#include "shared/S_UxTheme.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

std::string appDataBaseForTest, profileBaseForTest;

}  // namespace

void SetDataFolderBasesForTest(const std::string& appDataFolder, const std::string& profileFolder) {
  appDataBaseForTest = appDataFolder;
  profileBaseForTest = profileFolder;
}

bool TKvBandForm::LoadOemPackage(const std::string& path) {
  bool result = false;
  if (!FileExists(path)) return false;
  const bool ran = Guard("OEM package", [&] {
    ModuleHandle module = LoadDataModule(path);
    if (!module) throw std::runtime_error("no package");
    std::string bytes;
    if (LoadPackageResource(module.get(), "OEMFILE", bytes)) {
      result = true;
      TMemoryStream settings(bytes);
      LoadOemIni("", &settings);
      const TTickerSettings& t = TickerSettings;
      if (!(t.OemDateMode != 0 && t.OemDateFlag)) {
        auto glyph = [&](int flag, const char* name, TOrvanelSpeedButton& button) {
          if (flag > 0 && LoadPackageResource(module.get(), name, bytes)) {
            TBitmap b;
            if (b.LoadFromMemory(bytes.data(), bytes.size())) {
              button.SetGlyph(b);
              button.GlyphChanged();
            }
          }
        };
        glyph(t.playFile, "PLAYFILE", Image_Next);
        glyph(t.pauseFile, "BACKFILE", Image_Back);
        glyph(t.backFile, "PAUSEFILE", Image_Stop);
        glyph(t.searchFile, "SEARCH", KeywordButton);
        if (t.skinFile > 0 && LoadPackageResource(module.get(), "SKINFILE", bytes)) {
          if (FormRgn.Picture().LoadFromMemory(bytes.data(), bytes.size())) {
            FormRgn.Show();
            SkinActive = true;
          }
        }
      }
    }
  });
  if (!ran) MessageBeep(MB_OK);
  return result;
}

// A broken picture leaves the design's glyph.
void TKvBandForm::LoadButtonGlyph(TOrvanelSpeedButton& button, const std::string& fileName) {
  Guard("button glyph", [&] {
    if (FileExists(fileName)) {
      TBitmap b;
      if (b.LoadFromFile(fileName)) {
        b.TransparentMode = tmFixed;
        b.TransparentColor = clFuchsia;
        button.SetGlyph(b);
        button.GlyphChanged();
      }
    }
    TBitmap& g = button.Glyph();
    button.SetHeight(std::max(ButtonHeight, g.Height() + 4));
    button.SetWidth(std::max(button.Width(), g.Width() + 4));
  });
}

void TKvBandForm::CopyOemDefaultSettings() {
  const std::string source = OemDataFolder + "TessivarOrvanel.ini";
  if (!FileExists(TickerIniPath) && FileExists(source)) CopyFileSJ(source, TickerIniPath, false);
}

// Each step is contained: a failure leaves that step's part at the design's
// values and the next step runs.
void TKvBandForm::FormCreate(TObject*) {
  Guard("window placement", [&] { PlaceWindow(); });
  Guard("program colours", [&] { ApplyProgramColours(); });
  Guard("OEM skin", [&] { LoadOemSkin(); });
  Guard("OEM glyphs", [&] { LoadOemGlyphs(); });
  Guard("data folders", [&] { SettleDataFolders(); });
  Guard("window design", [&] { ApplyWindowDesign(); });
  Guard("menu visibility", [&] { ApplyMenuVisibility(); });
  Guard("ticker settings", [&] { ReadTickerSettings(); });
  Guard("stored translucency", [&] { ApplyStoredTranslucency(); });
  Guard("message design", [&] { ApplyMessageDesign(); });
  Guard("state buttons", [&] { SizeStateButtons(); });
  Guard("drop target", [&] { OleDropTarget.SetWinControl(this); });
  // The timers start on every path: without them the strip would keep its
  // start-up title and no refresh would ever run.
  Guard("display timer", [&] { SetupDisplayTimer(); });
  Guard("list read timer", [&] {
    if (!Timer_ListRead.Enabled()) RestartListRead(Display.SetupDisplayTimer());
  });
  Guard("file check timer", [&] { Timer_FileCheck.SetEnabled(true); });
}

void TKvBandForm::PlaceWindow() {
  DisableWindowTheme(Handle());
  SetLeft(10);
  SetTop(10);
}

void TKvBandForm::ApplyProgramColours() {
  TTickerSettings& t = TickerSettings;
  if (BandServerMissing()) {
    ApplyEditionDefaults();
    t.UrlDesk = MakerDeskPage();
    t.ProgName = "Tessivar-Ticker";
  }
  t.StartColorB = 0xFFFFFF;
  t.EndColorB = 0xCCCCCC;
  t.FontColorB = 0;
  t.StartColorS = 0xFFFFFF;
  t.EndColorS = 0xCCCCCC;
  t.FontColorS = 0;
  t.FontColorM = 0;
  t.FontColorK = 0;
  t.Label3D = true;
  t.Label3DTop = 0x777777;
  t.Label3DBotm = 0xDDDDDD;
}

void TKvBandForm::LoadOemSkin() {
  const TTickerSettings& t = TickerSettings;
  oemFileUsed_ = false;
  if (LoadOemPackage(GetProgramFolder() + "TessivarOrvanel.hddef")) return;
  LoadOemIni(OemDataFolder + "TessivarOrvanel.oem");
  oemFileUsed_ = !(t.OemDateMode != 0 && t.OemDateFlag);
  if (!oemFileUsed_) return;
  if (t.skinFile > 0 && FileExists(OemDataFolder + "skin.bmp")) {
    FormRgn.SetTransparent(true);
    if (FormRgn.Picture().LoadFromFile(OemDataFolder + "skin.bmp")) {
      FormRgn.Show();
      SkinActive = true;
    }
  }
}

void TKvBandForm::LoadOemGlyphs() {
  if (!oemFileUsed_) return;
  const TTickerSettings& t = TickerSettings;
  if (t.playFile > 0) LoadButtonGlyph(Image_Next, OemDataFolder + "play.bmp");
  if (t.pauseFile > 0) LoadButtonGlyph(Image_Back, OemDataFolder + "back.bmp");
  if (t.backFile > 0) LoadButtonGlyph(Image_Stop, OemDataFolder + "pause.bmp");
  if (t.searchFile > 0) LoadButtonGlyph(KeywordButton, OemDataFolder + "search.bmp");
}

void TKvBandForm::SettleDataFolders() {
  SetCaption(TickerSettings.ProgName);
  if (appDataBaseForTest.empty())
    InitDataFolders();
  else
    InitDataFoldersAt(appDataBaseForTest, profileBaseForTest);
  // Only now is TickerIniPath known.
  if (oemFileUsed_) CopyOemDefaultSettings();
}

void TKvBandForm::ApplyWindowDesign() {
  Display.StartupCountdown = 2;
  Display.HoldTick = Display.ShownTick = TickCount();
  PL_Keyword.SetAlign(alClient);
  SetClientSize(300, PL_Message.Height() + 6);
  SetFormStyle(fsStayOnTop);
  SetColor((TColor)TickerSettings.BodyColor);
  if (SkinActive) return;
  LB_Left.SetLeft(0);
  LB_Left.Show();
  Image_Left.SetLeft(LB_Left.Left() + LB_Left.Width() + 1);
  Image_Left.Show();
  Image_Right.Show();
  LB_Right.SetLeft(Image_Right.Left() + Image_Right.Width() + 1);
  LB_Right.Show();
}

void TKvBandForm::ApplyMenuVisibility() {
  Mn_Option->Visible = true;
  Mn_StartUp->Visible = true;
  Mn_UnInst->Visible = BandServerMissing() && FileExists(GetProgramFolder() + "TessivarInst.exe") &&
                       DirectoryExists(GetTempFolder());
  Mn_Exit->Visible = true;
  Mn_Alpha->Visible = WindowsAbove4();
  TrayIcon.SetVisible(true);
  minTrackWidth_ = 200;
  PopupMenu_Main.AutoPopup = true;
  PopupMenu_Key.AutoPopup = true;
  for (TControl* c :
       std::initializer_list<TControl*>{&Message, &Image_Next, &Image_Back, &Image_Stop,
                                        &KeywordButton, &FormRgn, &Image_Left, &Image_Right})
    c->SetPopupMenu(&PopupMenu_Main);
  PL_Keyword.SetColor((TColor)TickerSettings.EditKeyColor);
}

void TKvBandForm::ReadTickerSettings() {
  AccessTickerIni(TickerIniPath, "R");
  Display.SetScrollMode();
}

void TKvBandForm::ApplyStoredTranslucency() {
  TMenuItem* alpha = Mn_Alpha_None;
  for (TMenuItem* item : Mn_Alpha_Items)
    if (item->Tag == TickerSettings.AlphaBrend) alpha = item;
  Mn_Alpha_100Click(alpha);
}

void TKvBandForm::ApplyMessageDesign() {
  const TTickerSettings& t = TickerSettings;
  Mn_HomePage->Caption = t.OemName + "ホームページ(&H)...";
  Message.Font().SetName("Microsoft Sans Serif");
  ApplyFontSize();
  Message.Font().SetColor((TColor)t.FontColorB);
  Message.Font().SetStyle(0);
  Message.SetCommentColor((TColor)t.FontColorC);
  Message.Top3D = (TColor)t.Label3DTop;
  Message.Bottom3D = (TColor)t.Label3DBotm;
  Message.SetHint(t.UrlHome);
  Message.SetTitleLength(ByteLength(t.ProgName));
  Message.SetTitle(TrimSpaces(t.ProgName + " " + t.OemName));
  Display.CurrentLine.clear();
  PL_Message.SetStartColor((TColor)t.StartColorB);
  PL_Message.SetEndColor((TColor)t.EndColorB);
}

void TKvBandForm::SizeStateButtons() {
  TOrvanelSpeedButton* states[] = {&Image_Next, &Image_Back, &Image_Stop};
  int height = 0, width = 0;
  for (TOrvanelSpeedButton* b : states) {
    height = std::max(height, b->Glyph().Height());
    width = std::max(width, b->Glyph().Width());
  }
  ButtonHeight = height > 0 ? height + 4 : 22;
  const int buttonWidth = width > 0 ? width + 4 : 22;
  for (TOrvanelSpeedButton* b : states) {
    b->SetHeight(ButtonHeight);
    b->SetWidth(buttonWidth);
  }
  KeywordButton.SetHeight(KeywordButton.Glyph().Height() + 4);
  KeywordButton.SetWidth(KeywordButton.Glyph().Width() + 4);
  PanelHeight = PL_Message.Height();
  for (TOrvanelSpeedButton* b : states) b->SetLeft(2);
  PL_Message.SetLeft(2 + Image_Next.Width() + 2);
  PL_Message.SetAutoPoint(0);
  PL_Message.SetAutoPointSet(true);
  PL_Message.SetGradationStep(PanelHeight);
}
