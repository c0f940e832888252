// The ticker window: the news strip between the state buttons and the
// keyword button, its two timers (file check and display), the OEM skin
// pictures and colours, and the opening of links.
#pragma once
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "ArticleMenu.h"
#include "BigHintWindow.h"
#include "FormRgn.h"
#include "L_ComboMini.h"
#include "L_CtlSize.h"
#include "L_OrvanelCompo.h"
#include "SKGradation.h"
#include "Taskbar.h"
#include "TickerCommands.h"
#include "TickerDisplay.h"
#include "classlib/Forms.h"
#include "classlib/Image.h"
#include "classlib/Label.h"
#include "classlib/Menus.h"
#include "classlib/PaintBox.h"
#include "classlib/Panel.h"
#include "classlib/Timer.h"
#include "shared/OleDnD.h"

void SetApplicationTitle(const std::string& text);
// The Windows major version is above 4 / above 5.
bool WindowsAbove4();
bool WindowsAbove5();

// Only absolute http: and https: addresses without control characters,
// blanks or quotes may be opened: a link comes from feed data and must
// neither start a program nor add arguments to the browser's command line.
bool IsOpenableLink(const std::string& url);
// The browser program's parameters for a link: the address as one quoted argument.
std::string BrowserParameters(const std::string& url);
// Opens a link in the browser chosen by CommonBrows; beeps for a link that
// may not be opened. False when the link was refused or could not be handed on.
// Takes its own copy: opening serves messages, and the text it came from (the
// label's hint, a menu item) may change or go meanwhile.
bool OpenLink(std::string url);

// Tests replace the shell open and the automation object's ProgID.
void SetShellOpenForTest(std::function<void(const std::string& url)> open);
void SetBrowserProgIdForTest(const std::wstring& progId);
// Tests settle the data folders under these base folders instead of the
// user's (empty texts: the user's folders again).
void SetDataFolderBasesForTest(const std::string& appDataFolder, const std::string& profileFolder);
// Tests answer the ticker's Yes/Cancel questions (null: the question box).
void SetConfirmForTest(std::function<bool(const std::string& question)> confirm);

class TKvBandForm : public TForm {
 public:
  TKvBandForm();
  ~TKvBandForm() override;

  // Components of the design.
  TFormRgn FormRgn;
  TOrvanelSpeedButton Image_Stop, Image_Back, Image_Next, KeywordButton;
  TImage Image_Left, Image_Right;
  TLabel LB_Left, LB_Right;
  TSKGradationP PL_Message;
  TOrvanelLabel Message;
  TPanel PL_Keyword;
  TTimer Timer_FileCheck, Timer_ListRead, Timer_Message, Timer_Help;
  TPopupMenu PopupMenu_Main, PopupMenu_Key;
  TMenuItem *Refresh1, *Mn_Reread, *Mn_First, *Mn_LoopBack, *Mn_Pause, *Mn_Kiji, *Mn_Setup,
      *Mn_Option, *Mn_Alpha, *Mn_StartUp, *Mn_UnInst, *Mn_Update, *Mn_HomePage,
      *TessivarOrvanel1, *Mn_Exit;
  TMenuItem* Mn_Alpha_None;
  TMenuItem* Mn_Alpha_Items[5];  // 220, 190, 160, 130, 100
  TOleDropTarget OleDropTarget;
  TTrayIcon TrayIcon{this};
  TControlSize ControlSize;
  std::unique_ptr<TBigHintWindow> HintWindow;
  // The keyword panel inside PL_Keyword, and its menu.
  TComboMini ED_Keyword;
  TSpeedButton KeywordButton2, LB_Keyword;
  TMenuItem *Mn_Find, *Mn_Cust, *C1, *X1;
  // The clickable areas of an OEM skin (Tag: their TAreaLook).
  std::unique_ptr<TPaintBox> CustomAreas[kCustomBoundCount];
  TArticleMenu ArticleMenu;

  // What is shown and when (no window needed).
  TTickerDisplay Display;

  bool Closing = false;
  bool SkinActive = false;
  bool LayoutBusy = false;
  int ButtonHeight = 22;
  int PanelHeight = 20;
  // Pointer state (TessivarOrvanelPointer.cpp).
  bool Hovering = false;
  bool PopupBusy = false;
  HWND SavedFocus = nullptr, SavedForeground = nullptr;

  void FormCreate(TObject* sender);
  void FormDestroy(TObject* sender);
  void FormShow(TObject* sender);
  void FormResize(TObject* sender);
  void FormPaint(TObject* sender);
  void PL_MessagePaint(TObject* sender);
  void PL_MessageResize(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  // Every control gets the rectangle of the "left,top,right,bottom" text.
  void PlaceByBounds(std::initializer_list<TControl*> controls, const std::string& bounds);

  // The summary hint (TessivarOrvanelHint.cpp).
  void ScheduleHint(unsigned delay);
  void Timer_HelpTimer(TObject* sender);
  void ShowSummaryHint();
  void CloseSummaryHint();

  // Pointer, wheel and window moves (TessivarOrvanelPointer.cpp).
  void SetHover(bool on);
  void UpdateHover(TShiftState shift, bool startHint);
  void MessageMouseMove(TObject* sender, TShiftState shift, int x, int y);
  void MessageMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void MessageMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void MessageClick(TObject* sender);
  void Timer_MessageTimer(TObject* sender);
  void FormMouseMove(TObject* sender, TShiftState shift, int x, int y);
  void FormMouseWheel2(TObject* sender, TShiftState shift, int delta, POINT pos, bool& handled);
  void Image_LeftMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void LB_LeftMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void ResetButtons();
  void TakeFocusForWheel();
  void GiveFocusBack();
  void TrayIconMouseClick(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

  void Timer_FileCheckTimer(TObject* sender);
  void Timer_ListReadTimer(TObject* sender);

  void SetScrollInterval();
  void SetupDisplayTimer();
  void ApplyFontSize();
  void UpdateStateButtons();
  void SetBackMode(bool on);
  void SetPaused(bool on);
  void ShowNextNow();
  // The colour set of the item on show (Message.Tag, Hovering, icon).
  void ApplyColours();

  // Menus and commands (TessivarOrvanelMenus.cpp).
  void Refresh1Click(TObject* sender);  // RunCommand(sender's Tag)
  void RunCommand(TTickerCommand command);
  void PopupMenu_MainPopup(TObject* sender);
  void Image_StopMenuPopup(TObject* sender);
  void Mn_Alpha_100Click(TObject* sender);
  void Mn_StartUpClick(TObject* sender);
  void Mn_UnInstClick(TObject* sender);
  void Mn_ExitClick(TObject* sender);
  void DFItem_CF_TEXT_Drop(TDragContext& context);
  // Not while a menu is open; the next file check tries again.
  void BuildArticleMenu();
  void KijiClick(TObject* sender);
  // Empties the ten slots and creates the areas of the OEM layout.
  void CreateSkinAreas();
  void RunAreaCommand(TObject* area);
  // With manualMode 2 the "search", "pause" and "back" areas show their state.
  void UpdateAreaStates();

  // The keyword search (TessivarOrvanelKeyword.cpp).
  void KeywordButtonClick(TObject* sender);
  void SelectSearchEngine(TMenuItem* item);
  void Mn_FindClick(TObject* sender);
  void KeywordButton2Click(TObject* sender);
  void Mn_CustClick(TObject* sender);
  void C1Click(TObject* sender);
  void ED_KeywordKeyPress(TObject* sender, char& key);
  void ED_KeywordKeyDown(TObject* sender, WORD& key, TShiftState shift);
  void ED_KeywordChange(TObject* sender);
  void ED_KeywordDropDown(TObject* sender);
  void PL_KeywordResize(TObject* sender);
  void AccessSearchHistory(char mode);  // 'R' reads, 'W' writes

  // True when an OEM package supplied the OEM settings.
  bool LoadOemPackage(const std::string& path);
  void LoadButtonGlyph(TOrvanelSpeedButton& button, const std::string& fileName);

  // Starts ProgramFolder + "TessivarSetup.exe" "FEED".
  static void StartRefresh();

 protected:
  void CreateParams(TCreateParams& p) override;
  void HandleMessage(TMessage& m) override;

 private:
  // The window's creation steps, in order (TessivarOrvanelCreate.cpp).
  void PlaceWindow();
  void ApplyProgramColours();
  // An OEM package, or else the OEM folder's file and skin.
  void LoadOemSkin();
  void LoadOemGlyphs();
  void SettleDataFolders();
  void ApplyWindowDesign();
  void ApplyMenuVisibility();
  void ReadTickerSettings();
  void ApplyStoredTranslucency();
  void ApplyMessageDesign();
  // True when the OEM folder's file, not a package, supplied the OEM settings.
  bool oemFileUsed_ = false;

  void BuildMenus();
  void BuildKeywordPanel();
  void BuildEngineMenu();
  void StartSetupCommand(TTickerCommand command);
  void PaintArea(TPaintBox& area);
  bool historyRead_ = false;
  void ShowItem(const TShownItem& item, bool withSender);
  void SetLabel(const TLabelText& text);
  void RestartListRead(unsigned interval);
  // Paging: the display interval follows back mode and TickerTime.
  void KeepPagingInterval();
  bool ShowsPicture();  // Message holds a picture of non-zero width
  int ScrollLabelWidth(const std::string& title);
  void CopyOemDefaultSettings();
  // The three state buttons take the largest glyph's size; the strip follows.
  void SizeStateButtons();
  // Binds the pointer, layout, hint and tray handlers and the tray icon's
  // design values.
  void WirePointerAndTray();
  bool firstTick_ = false;
  int minTrackWidth_ = 0;
  bool firstShown_ = false;
  int lastPanelX_ = 0;
};

// The ticker window of the program (null before it exists and after it is gone).
extern TKvBandForm* KvBandForm;
