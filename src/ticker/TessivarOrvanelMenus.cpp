// The ticker window's menus and commands: the main menu, the programs it
// starts, translucency, start-up registration, uninstalling, the article
// submenu, the skin areas and the drop of text.
#include "TessivarOrvanelForm.h"

#include "StartupRegistry.h"
#include "TickerCommands.h"
#include "TickerUtils.h"
#include "classlib/Application.h"
#include "classlib/Dialogs.h"
#include "classlib/Guard.h"
#include "classlib/Screen.h"
#include "shared/DataObjects.h"
#include "shared/FeedFiles.h"
#include "shared/S_FileUtils.h"

namespace {

std::function<bool(const std::string&)> confirmForTest;

// The class library's question box in the middle of the screen: centred
// on the thin strip it would reach above the screen's top edge.
bool Confirm(const std::string& question) {
  if (confirmForTest) return confirmForTest(question);
  std::unique_ptr<TMessageForm> box =
      CreateMessageDialog(question, mtConfirmation, {mbYes, mbCancel});
  box->Position = poScreenCenter;
  Application.NormalizeTopMosts();
  const TModalResult answer = box->ShowModal();
  Application.RestoreTopMosts();
  return answer == mrYes;
}

const char kInstallerName[] = "TessivarInst.exe";

TAreaLook LookOf(const TPaintBox& area) { return static_cast<TAreaLook>(area.Tag); }

void SetLook(TPaintBox& area, TAreaLook look) {
  if (LookOf(area) == look) return;
  area.Tag = static_cast<int>(look);
  area.Repaint();
}

}  // namespace

void SetConfirmForTest(std::function<bool(const std::string&)> confirm) {
  confirmForTest = std::move(confirm);
}

void TKvBandForm::BuildMenus() {
  TNotifyEvent command = [this](TObject* s) { Refresh1Click(s); };
  TNotifyEvent alpha = [this](TObject* s) { Mn_Alpha_100Click(s); };
  auto tag = [](TTickerCommand c) { return static_cast<int>(c); };
  // clang-format off
  AddMenuRows(PopupMenu_Main.Items(), {
      {&Refresh1, "更新(&F)", tag(TTickerCommand::Refresh), command},
      {&Mn_Reread, "再読込(&R)", tag(TTickerCommand::Reread), command},
      {nullptr, "-"},
      {&Mn_First, "先頭(&T)", tag(TTickerCommand::First), command},
      {&Mn_LoopBack, "巻き戻し(&B)", tag(TTickerCommand::LoopBack), command},
      {&Mn_Pause, "停止(&S)", tag(TTickerCommand::Pause), command},
      {nullptr, "-"},
      {&Mn_Kiji, "記事(&D)", 0, nullptr, false},
      {nullptr, "-"},
      {&Mn_Setup, "設定(&E)...", tag(TTickerCommand::Setup), command},
      {&Mn_Option, "オプション(&O)", 0, nullptr, false, false, {
          {&Mn_Alpha, "半透明(&C)", 0, nullptr, true, false, {
              {&Mn_Alpha_None, "無(&N)", 0, alpha, true, true},
              {nullptr, "-"},
              {&Mn_Alpha_Items[0], "濃", 220, alpha, true, true},
              {&Mn_Alpha_Items[1], "↓", 190, alpha, true, true},
              {&Mn_Alpha_Items[2], "中", 160, alpha, true, true},
              {&Mn_Alpha_Items[3], "↓", 130, alpha, true, true},
              {&Mn_Alpha_Items[4], "薄", 100, alpha, true, true}}},
          {&Mn_StartUp, "スタートアップに登録(&S)...", 0, [this](TObject* s) { Mn_StartUpClick(s); },
           false},
          {nullptr, "-"},
          {&Mn_UnInst, "アンインストール(&U)...", 0, [this](TObject* s) { Mn_UnInstClick(s); },
           false}}},
      {nullptr, "-"},
      {&Mn_Update, "最新版へアップデート(&U)...", tag(TTickerCommand::Update), command},
      {&Mn_HomePage, "ホームページ(&H)...", tag(TTickerCommand::HomePage), command},
      {&TessivarOrvanel1, "このプログラムについて(&A)...", tag(TTickerCommand::Product), command},
      {nullptr, "-"},
      {&Mn_Exit, "終了(&X)", 0, [this](TObject* s) { Mn_ExitClick(s); }, false},
  });
  AddMenuRows(PopupMenu_Key.Items(), {
      {&Mn_Find, "検索(&S)", 0, [this](TObject* s) { Mn_FindClick(s); }},
      {nullptr, "-"},
      {&Mn_Cust, "検索エンジン(&E)", 0, [this](TObject* s) { Mn_CustClick(s); }},
      {nullptr, "-"},
      {&C1, "検索履歴をクリア(&C)", 0, [this](TObject* s) { C1Click(s); }},
      {&X1, "検索終了(&X)", 0, [this](TObject* s) { KeywordButtonClick(s); }},
  });
  // clang-format on
  PopupMenu_Main.AutoPopup = false;
  PopupMenu_Key.AutoPopup = false;
  PopupMenu_Main.OnPopup = [this](TObject* s) { PopupMenu_MainPopup(s); };
  ArticleMenu.OnItemClick = [this](TObject* s) { KijiClick(s); };
  for (TOrvanelSpeedButton* b : {&Image_Stop, &Image_Back, &Image_Next})
    b->OnMenuPopup = [this](TObject* s) { Image_StopMenuPopup(s); };
}

void TKvBandForm::Refresh1Click(TObject* sender) {
  if (auto* item = dynamic_cast<TMenuItem*>(sender))
    RunCommand(static_cast<TTickerCommand>(item->Tag));
}

void TKvBandForm::RunCommand(TTickerCommand command) {
  if (Closing) return;
  if (SetupWordOf(command)) {
    StartSetupCommand(command);
    return;
  }
  switch (command) {
    case TTickerCommand::First:
      if (!Display.TickerLines.empty()) {
        Display.NextIndex = 0;
        ShowNextNow();
      }
      break;
    case TTickerCommand::LoopBack:
      SetBackMode(!Display.Reverse);
      break;
    case TTickerCommand::Pause:
      SetPaused(!Display.Paused);
      break;
    case TTickerCommand::HomePage:
      OpenLink(TickerSettings.UrlHome);
      break;
    case TTickerCommand::Product:
      OpenLink(TickerSettings.UrlDesk);
      break;
    default:
      break;
  }
}

// Only the system's own programs beside the ticker, with fixed words.
void TKvBandForm::StartSetupCommand(TTickerCommand command) {
  const TCursor cursor = Screen.Cursor();
  Screen.SetCursor(crAppStart);
  // A program that cannot be started leaves no message.
  Guard("start program", [&] {
    const std::string folder = GetProgramFolder();
    const bool launcher = command == TTickerCommand::Update && WindowsAbove5() &&
                          FileExists(folder + "TessivarUpdate.exe");
    StartProgram(folder + (launcher ? "TessivarUpdate.exe" : "TessivarSetup.exe"),
                 SetupWordOf(command));
  });
  Screen.SetCursor(cursor);
  UpdateHover(0, false);
}

void TKvBandForm::PopupMenu_MainPopup(TObject*) {
  // The menu opens with the states it had.
  Guard("main menu states", [&] {
    // The summary hint would stand over the open menu.
    CloseSummaryHint();
    Mn_Update->Visible = WindowsVersion().NtFamily;
    const bool lines = !Display.TickerLines.empty();
    Mn_First->Enabled = lines;
    Mn_LoopBack->Enabled = lines;
    Mn_LoopBack->Visible = Display.ScrollMode == 0;
    Mn_LoopBack->Checked = Display.Reverse;
    Mn_Pause->Checked = Display.Paused;
    if (Mn_StartUp->Visible)
      Mn_StartUp->Caption =
          StartupRegistered() ? "スタートアップから解除(&S)..." : "スタートアップに登録(&S)...";
  });
}

void TKvBandForm::Image_StopMenuPopup(TObject*) {
  if (Closing || PopupBusy) return;
  const bool fileCheck = Timer_FileCheck.Enabled(), listRead = Timer_ListRead.Enabled();
  Timer_FileCheck.SetEnabled(false);
  Timer_ListRead.SetEnabled(false);
  // The menu could not open; the timers come back below.
  Guard("main menu", [&] {
    POINT p = Mouse.CursorPos();
    PopupMenu_Main.Popup(p.x, p.y);
  });
  // Exit may have been chosen: a closing window starts no timer again.
  if (!Closing) {
    Timer_FileCheck.SetEnabled(fileCheck);
    Timer_ListRead.SetEnabled(listRead);
  }
  ReleaseCapture();
  Repaint();
}

void TKvBandForm::Mn_Alpha_100Click(TObject* sender) {
  // The translucency stays as it was.
  Guard("translucency", [&] {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item) return;
    const int alpha = item->Tag;
    if (alpha != 0) {
      SetAlphaBlendValue((BYTE)alpha);
      SetAlphaBlend(true);
    } else {
      SetAlphaBlend(false);
    }
    for (TMenuItem* other : {Mn_Alpha_None, Mn_Alpha_Items[0], Mn_Alpha_Items[1], Mn_Alpha_Items[2],
                             Mn_Alpha_Items[3], Mn_Alpha_Items[4]})
      other->Checked = other == item;
    Display.StoreSetting([alpha](TTickerSettings& t) { t.AlphaBrend = alpha; });
  });
}

void TKvBandForm::Mn_StartUpClick(TObject*) {
  if (Closing) return;
  if (StartupRegistered()) {
    if (Confirm("スタートアップから解除しますか？")) UnregisterStartup();
  } else if (Confirm("スタートアップに登録しますか？")) {
    RegisterStartup();
  }
}

void TKvBandForm::Mn_UnInstClick(TObject*) {
  if (Closing) return;
  const std::string source = GetProgramFolder() + kInstallerName;
  if (!FileExists(source)) return;
  const std::string temp = GetTempFolder();
  if (temp.empty() || !DirectoryExists(temp)) return;
  if (!Confirm("アンインストールを実行してもよろしいですか？")) return;
  const std::string copy = temp + "\\" + kInstallerName;
  if (!CopyFileByStream(source, copy)) return;
  // Only an installer that runs takes the ticker away; a refused start
  // (elevation declined) leaves it registered and running.
  if (!StartProgram(copy, "-uninst")) return;
  UnregisterStartup();
  Close();
}

void TKvBandForm::Mn_ExitClick(TObject*) { Close(); }

void TKvBandForm::DFItem_CF_TEXT_Drop(TDragContext& context) {
  if (Closing) return;
  // A text that cannot be read is not handed on.
  Guard("text drop", [&] {
    const auto parameter = DroppedTextParameter(GetDataObjectText(context.DataObject.get()));
    if (parameter) StartProgram(GetProgramFolder() + "TessivarSetup.exe", *parameter);
  });
}

void TKvBandForm::BuildArticleMenu() {
  // An open menu shows these items; they must outlive it.
  if (Closing || TPopupMenu::InMenuLoop()) return;
  // The entry keeps the feeds it had.
  Guard("article menu", [&] { ArticleMenu.Build(*Mn_Kiji, DataFolder + MenuFileName); });
}

void TKvBandForm::KijiClick(TObject* sender) {
  if (Closing) return;
  if (auto* item = dynamic_cast<TMenuItem*>(sender)) OpenLink(item->Hint);
}

void TKvBandForm::CreateSkinAreas() {
  for (auto& slot : CustomAreas) slot.reset();
  for (int i = 0; i < kCustomBoundCount; ++i) {
    TSkinAreaSpec parsed;
    if (!ParseSkinArea(TickerSettings.customBound[i], parsed)) continue;
    auto area = std::make_unique<TPaintBox>();
    TPaintBox& a = *area;
    a.SetBounds(parsed.Bounds.left, parsed.Bounds.top, parsed.Bounds.right - parsed.Bounds.left,
                parsed.Bounds.bottom - parsed.Bounds.top);
    a.SetCursor(crHandPoint);
    a.ShowHint = true;
    a.SetHint(parsed.Hint);
    a.SetPopupMenu(&PopupMenu_Main);
    a.OnPaint = [this, &a](TObject*) { PaintArea(a); };
    a.OnMouseDown = [&a](TObject*, TMouseButton b, TShiftState, int, int) {
      if (b == mbLeft && LookOf(a) == TAreaLook::Up) SetLook(a, TAreaLook::Pressed);
    };
    // A latched area stays framed: the release only lifts a pressed one.
    a.OnMouseUp = [&a](TObject*, TMouseButton, TShiftState, int, int) {
      if (LookOf(a) == TAreaLook::Pressed) SetLook(a, TAreaLook::Up);
    };
    a.OnClick = [this](TObject* s) { RunAreaCommand(s); };
    a.SetParent(this);
    a.BringToFront();
    CustomAreas[i] = std::move(area);
  }
}

void TKvBandForm::PaintArea(TPaintBox& area) {
  TCanvas& c = area.Canvas();
  c.Brush.Style = bsClear;
  RECT r = area.ClientRect();
  c.FillRect(r);
  if (LookOf(area) != TAreaLook::Up) Frame3D(c, r, (TColor)0x808080, (TColor)0xFFFFFF, 1);
}

void TKvBandForm::RunAreaCommand(TObject* sender) {
  auto* area = dynamic_cast<TPaintBox*>(sender);
  if (Closing || !area) return;
  area->Repaint();
  const std::string word = SkinAreaCommand(area->Hint());
  const TTickerCommand command = AreaCommandOf(word);
  if (command == TTickerCommand::Play) {
    Image_StopMenuPopup(area);
  } else if (command == TTickerCommand::Search) {
    KeywordButtonClick(area);
  } else if (command == TTickerCommand::Icon) {
    ShowWindow(Handle(), SW_HIDE);
  } else if (command == TTickerCommand::Close) {
    Mn_ExitClick(area);
  } else if (command == TTickerCommand::Link) {
    OpenLink(word);
  } else {
    RunCommand(command);
    // The setup program gets a moment to take its mutex.
    if (command == TTickerCommand::Refresh || command == TTickerCommand::Reread) Sleep(300);
  }
  if (!Closing) area->Repaint();
}

void TKvBandForm::UpdateAreaStates() {
  if (TickerSettings.manualMode != 2) return;
  for (auto& slot : CustomAreas) {
    if (!slot) continue;
    const TTickerCommand command = AreaCommandOf(SkinAreaCommand(slot->Hint()));
    bool on;
    if (command == TTickerCommand::Search)
      on = KeywordButton.Down();
    else if (command == TTickerCommand::Pause)
      on = Display.Paused;
    else if (command == TTickerCommand::LoopBack)
      on = Display.Reverse;
    else
      continue;
    SetLook(*slot, on ? TAreaLook::Latched : TAreaLook::Up);
  }
}
