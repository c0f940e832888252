#include "TessivarOrvanelForm.h"

#include <algorithm>

#include <oleauto.h>
#include <shellapi.h>

#include "KeywordList.h"
#include "TickerCommands.h"
#include "TickerUtils.h"
#include "classlib/Application.h"
#include "classlib/Dialogs.h"
#include "classlib/Guard.h"
#include "classlib/Handles.h"
#include "classlib/Screen.h"
#include "classlib/Text.h"
#include "shared/S_FileUtils.h"
#include "shared/S_UxTheme.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

TKvBandForm* KvBandForm = nullptr;

namespace {

const TColor kMagenta = 0xFF00FF;

std::function<void(const std::string&)> shellOpenForTest;
std::wstring browserProgId = L"InternetExplorer.Application";
// The browser automation object, kept for the next link.
ComPtr<IDispatch> browserObject;

void OpenThroughShell(const std::string& url) {
  if (shellOpenForTest) {
    shellOpenForTest(url);
    return;
  }
  ShellExecuteW(nullptr, nullptr, SjisToWide(url).c_str(), nullptr, nullptr, SW_SHOW);
}

bool CreateBrowserObject() {
  browserObject.reset();
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(browserProgId.c_str(), &clsid))) return false;
  return SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER,
                                    IID_IDispatch, browserObject.put_void()));
}

DISPID DispatchId(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
    return DISPID_UNKNOWN;
  return id;
}

// Navigate(url), then Visible := true.
bool DriveBrowserObject(const std::string& url) {
  if (!browserObject) return false;
  DISPID navigate = DispatchId(browserObject.get(), L"Navigate");
  DISPID visible = DispatchId(browserObject.get(), L"Visible");
  if (navigate == DISPID_UNKNOWN || visible == DISPID_UNKNOWN) return false;

  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_BSTR;
  arg.bstrVal = SysAllocString(SjisToWide(url).c_str());
  DISPPARAMS params = {&arg, nullptr, 1, 0};
  HRESULT hr = browserObject->Invoke(navigate, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                     &params, nullptr, nullptr, nullptr);
  VariantClear(&arg);
  if (FAILED(hr)) return false;

  VARIANT on;
  VariantInit(&on);
  on.vt = VT_BOOL;
  on.boolVal = VARIANT_TRUE;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS put = {&on, &named, 1, 1};
  return SUCCEEDED(browserObject->Invoke(visible, IID_NULL, LOCALE_USER_DEFAULT,
                                         DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr));
}

// The automation object is missing on current systems (and under Wine):
// after a second failure the shell opens the link instead.
void OpenWithBrowserObject(const std::string& url) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  if (shift || !browserObject) CreateBrowserObject();
  if (DriveBrowserObject(url)) return;
  if (CreateBrowserObject() && DriveBrowserObject(url)) return;
  browserObject.reset();
  OpenThroughShell(url);
}

// The design's glyphs: play, back, pause and search drawn on magenta.
enum class GlyphKind { Play, Back, Pause, Search };

void DrawDesignGlyph(TBitmap& glyph, GlyphKind kind) {
  glyph.SetSize(18, 18);
  TCanvas& c = glyph.Canvas();
  c.Brush.Color = kMagenta;
  c.Brush.Style = bsSolid;
  c.FillRect(Rect(0, 0, 18, 18));
  HDC dc = c.Handle();
  BrushHandle brush(CreateSolidBrush(RGB(0x40, 0x40, 0x40)));
  PenHandle pen(CreatePen(PS_SOLID, 1, RGB(0x40, 0x40, 0x40)));
  SelectObjectScope b(dc, brush.get()), p(dc, pen.get());
  switch (kind) {
    case GlyphKind::Play: {
      POINT pts[] = {{6, 4}, {13, 9}, {6, 14}};
      Polygon(dc, pts, 3);
      break;
    }
    case GlyphKind::Back: {
      POINT pts[] = {{12, 4}, {5, 9}, {12, 14}};
      Polygon(dc, pts, 3);
      break;
    }
    case GlyphKind::Pause:
      Rectangle(dc, 5, 4, 8, 14);
      Rectangle(dc, 10, 4, 13, 14);
      break;
    case GlyphKind::Search: {
      SelectObjectScope hollow(dc, GetStockObject(NULL_BRUSH));
      PenHandle thick(CreatePen(PS_SOLID, 2, RGB(0x40, 0x40, 0x40)));
      SelectObjectScope t(dc, thick.get());
      Ellipse(dc, 3, 3, 11, 11);
      MoveToEx(dc, 10, 10, nullptr);
      LineTo(dc, 15, 15);
      break;
    }
  }
  glyph.TransparentMode = tmFixed;
  glyph.TransparentColor = kMagenta;
}

int TextWidthIn(const TFont& font, const std::string& text) {
  return text.empty() ? 0 : FontTextExtent(font, text).cx;
}

}  // namespace

void SetApplicationTitle(const std::string& text) { Application.SetTitle(text); }

bool WindowsAbove4() { return WindowsVersion().Major > 4; }
bool WindowsAbove5() { return WindowsVersion().Major > 5; }

// A quote would end the browser's quoted parameter early.
bool IsOpenableLink(const std::string& url) { return IsWebAddress(url, "\""); }

std::string BrowserParameters(const std::string& url) {
  // Backslashes before the closing quote are doubled, or the browser would
  // read them as an escaped quote. A trail byte 0x5C is no backslash.
  size_t trailing = 0;
  for (size_t i = 0; i < url.size(); ++i) {
    if (IsLeadByte((unsigned char)url[i]) && i + 1 < url.size()) {
      trailing = 0;
      ++i;
    } else {
      trailing = url[i] == '\\' ? trailing + 1 : 0;
    }
  }
  return "\"" + url + std::string(trailing, '\\') + "\"";
}

bool OpenLink(std::string url) {
  Screen.SetCursor(crAppStart);
  bool handedOn = false;
  // A browser that cannot be started leaves the ticker as it was.
  const bool ran = Guard("open link", [&] {
    if (KvBandForm) {
      KvBandForm->CloseSummaryHint();
      KvBandForm->Repaint();
    }
    const TBrowserChoice browser = BrowserChoiceOf(TickerSettings.CommonBrows);
    handedOn = IsOpenableLink(url);
    if (!handedOn) {
      MessageBeep(MB_OK);
    } else if (browser == TBrowserChoice::Shell) {
      OpenThroughShell(url);
    } else if (browser == TBrowserChoice::Automation) {
      OpenWithBrowserObject(url);
    } else {
      ShellExecuteW(nullptr, nullptr, SjisToWide(TickerSettings.CommonBrowsName).c_str(),
                    SjisToWide(BrowserParameters(url)).c_str(), nullptr, SW_SHOW);
    }
  });
  Screen.SetCursor(crDefault);
  return ran && handedOn;
}

void SetShellOpenForTest(std::function<void(const std::string& url)> open) {
  shellOpenForTest = std::move(open);
}

void SetBrowserProgIdForTest(const std::wstring& progId) {
  browserProgId = progId;
  browserObject.reset();
}

TKvBandForm::TKvBandForm() {
  Create(TFormArgs()
             .WindowClassName(L"TKVBANDFORM")
             .BorderStyle(bsNone)
             .BorderIcons(0)
             .TransparentColorValue(clFuchsia)
             .Caption("Tessivar-Orvanel")
             .ClientSize(380, 67)
             .OnCreate(Handler(this, &TKvBandForm::FormCreate))
             .OnDestroy(Handler(this, &TKvBandForm::FormDestroy))
             .OnShow(Handler(this, &TKvBandForm::FormShow))
             .OnResize(Handler(this, &TKvBandForm::FormResize))
             .OnPaint(Handler(this, &TKvBandForm::FormPaint)));
  FormRgn.Create(TImageArgs().Parent(this).Visible(false).Transparent(true).AutoSize(true));

  const struct {
    TOrvanelSpeedButton& button;
    GlyphKind glyph;
    bool visible;
    int group;
  } buttons[] = {{Image_Stop, GlyphKind::Pause, false, 0},
                 {Image_Back, GlyphKind::Back, false, 0},
                 {Image_Next, GlyphKind::Play, true, 0},
                 {KeywordButton, GlyphKind::Search, true, 9999}};
  for (const auto& b : buttons) {
    b.button.Create(TSpeedButtonArgs()
                        .Place(this, 2, 2, 22, 22)
                        .Flat(true)
                        .Cursor(crHandPoint)
                        .Visible(b.visible)
                        .GroupIndex(b.group)
                        .AllowAllUp(b.group != 0));
    DrawDesignGlyph(b.button.Glyph(), b.glyph);
    b.button.GlyphChanged();
  }

  Image_Left.Create(TImageArgs().Parent(this).Width(10).Visible(false).Align(alLeft));
  Image_Right.Create(TImageArgs().Parent(this).Width(10).Visible(false).Align(alRight));
  const auto grip =
      TLabelArgs().Parent(this).AutoSize(false).Width(3).Cursor(crSizeWE).Visible(false);
  LB_Left.Create(TLabelArgs(grip).Align(alLeft));
  LB_Right.Create(TLabelArgs(grip).Align(alRight));

  PL_Message.Create(TPanelArgs()
                        .Place(this, 28, 3, 273, 20)
                        .Cursor(crHandPoint)
                        .BorderWidth(1)
                        .BevelOuter(bvNone)
                        .DoubleBuffered(true));
  PL_Message.OnPaint = Handler(this, &TKvBandForm::PL_MessagePaint);
  Message.Create(TLabelArgs()
                     .Parent(&PL_Message)
                     .Align(alClient)
                     .Transparent(true)
                     .Layout(tlCenter)
                     .ShowAccelChar(false)
                     .Cursor(crHandPoint)
                     .ParentFont(false));
  PL_Keyword.Create(TPanelArgs().Parent(&PL_Message).Visible(false).BevelOuter(bvNone));

  Timer_FileCheck.Create(TTimerArgs().Enabled(false).Interval(300).OnTimer(
      Handler(this, &TKvBandForm::Timer_FileCheckTimer)));
  Timer_ListRead.Create(TTimerArgs().Enabled(false).Interval(0).OnTimer(
      Handler(this, &TKvBandForm::Timer_ListReadTimer)));
  Timer_Message.Create(TTimerArgs().Enabled(false).Interval(200));
  Timer_Help.Create(TTimerArgs().Enabled(false).Interval(0));

  BuildMenus();
  BuildKeywordPanel();

  TDFItem& text = OleDropTarget.Formats().Add();
  text.SetFormatName("CF_TEXT");
  text.DropEffects = TDropEffects{ekCopy, ekLink};
  text.OnDrop = [this](TObject*, TDragContext& c) { DFItem_CF_TEXT_Drop(c); };

  Display.OnStartRefresh = [] { StartRefresh(); };
  WirePointerAndTray();
  KvBandForm = this;
}

TKvBandForm::~TKvBandForm() {
  DoDestroy();
  OleDropTarget.SetWinControl(nullptr);
  if (KvBandForm == this) KvBandForm = nullptr;
}

void TKvBandForm::CreateParams(TCreateParams& p) {
  TForm::CreateParams(p);
  if (IsWindowsXPOrLater()) p.ClassStyle |= CS_DROPSHADOW;
}

void TKvBandForm::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(m.LParam)->ptMinTrackSize.x = minTrackWidth_;
      break;
    case WM_ENDSESSION:
      // The process may be ended once this returns: what closing stores is
      // stored now; the form's own handling then leaves the loop.
      if (m.WParam) FormDestroy(this);
      break;
  }
  TForm::HandleMessage(m);
}

void TKvBandForm::FormDestroy(TObject*) {
  if (Closing) return;
  Closing = true;
  Guard("stop timers", [&] {
    Timer_FileCheck.SetEnabled(false);
    Timer_ListRead.SetEnabled(false);
    Timer_Message.SetEnabled(false);
    Timer_Help.SetEnabled(false);
    CloseSummaryHint();
  });
  // Released here, while OLE still runs: a static destructor would call it
  // after OLE has been shut down.
  browserObject.reset();
}

void TKvBandForm::StartRefresh() {
  // Always the setup program beside the ticker, never a name from data.
  StartProgram(GetProgramFolder() + "TessivarSetup.exe", SetupWordOf(TTickerCommand::Refresh));
}

bool TKvBandForm::ShowsPicture() {
  return !Message.Picture().Empty() && Message.Picture().Width() > 0;
}

// Measured once per item: the text, room to leave the strip, and the picture.
int TKvBandForm::ScrollLabelWidth(const std::string& title) {
  int w = TextWidthIn(Message.Font(), title + "WWW");
  if (!Message.Picture().Empty()) w += Message.Picture().Width() + 3;
  return w;
}

void TKvBandForm::KeepPagingInterval() {
  if (Display.ScrollMode == 0 && Timer_ListRead.Interval() != Display.PagingInterval())
    RestartListRead(Display.PagingInterval());
}

void TKvBandForm::RestartListRead(unsigned interval) {
  Timer_ListRead.SetEnabled(false);
  Timer_ListRead.SetInterval(interval);
  Timer_ListRead.SetEnabled(true);
}

void TKvBandForm::SetScrollInterval() {
  unsigned interval;
  int step;
  if (!Display.ScrollInterval(interval, step)) return;
  Timer_ListRead.SetInterval(interval);
  Timer_ListRead.Tag = step;
}

void TKvBandForm::SetupDisplayTimer() {
  if (Closing) return;
  Timer_ListRead.SetEnabled(false);
  if (Display.ScrollMode > 0) {
    Message.SetAlign(alNone);
    Message.SetBounds(0, 0, Message.Width(), PL_Message.ClientHeight());
    ApplyFontSize();
    SetScrollInterval();
    Timer_ListRead.SetInterval(Display.SetupDisplayTimer());
    if (Display.Reverse) SetBackMode(false);
  } else {
    Message.SetAlign(alClient);
    Timer_ListRead.SetInterval(Display.SetupDisplayTimer());
  }
  Timer_ListRead.SetEnabled(true);
  Display.SpeedStep = 1;
}

void TKvBandForm::ApplyFontSize() {
  if (Closing) return;
  std::string title = Message.Title();
  Message.SetTitle("");
  Message.Font().SetSize(TickerSettings.TickerFontSize);
  if (Display.ScrollMode > 0) Message.SetWidth(ScrollLabelWidth(title));
  Message.SetTitle(title);
}

void TKvBandForm::UpdateStateButtons() {
  UpdateAreaStates();
  Image_Stop.SetVisible(Display.Paused);
  Image_Back.SetVisible(!Display.Paused && Display.Reverse);
  Image_Next.SetVisible(!Display.Paused && !Display.Reverse);
  for (TOrvanelSpeedButton* b : {&Image_Stop, &Image_Back, &Image_Next})
    if (b->Visible()) b->Repaint();
}

void TKvBandForm::SetBackMode(bool on) {
  if (Closing || !Display.SetBackMode(on)) return;
  UpdateStateButtons();
  ShowNextNow();
}

void TKvBandForm::SetPaused(bool on) {
  if (!Display.SetPaused(on)) return;
  UpdateStateButtons();
  if (Timer_ListRead.Enabled()) {
    Timer_ListRead.SetEnabled(false);
    Timer_ListRead.SetEnabled(true);
  }
}

void TKvBandForm::ShowNextNow() {
  if (Closing) return;
  Timer_ListRead.SetEnabled(false);
  Timer_ListReadTimer(nullptr);
  Timer_ListRead.SetEnabled(true);
}

void TKvBandForm::ApplyColours() {
  TColourSet set = ColourSetFor(Message.Tag, Hovering, ShowsPicture(), TickerSettings);
  Message.Font().SetColor((TColor)set.Font);
  Message.Font().SetStyle(0);
  PL_Message.SetStartColor((TColor)set.Start);
  PL_Message.SetEndColor((TColor)set.End);
  Message.Invalidate();
}

void TKvBandForm::SetLabel(const TLabelText& text) {
  Message.SetHint(text.Hint);
  Message.SetTitleLength(text.TitleLength);
  Message.SetTitle(text.Title);
}

void TKvBandForm::Timer_FileCheckTimer(TObject*) {
  if (Closing) return;
  unsigned interval = kFileCheckInterval;
  // A failed run is tried again by the next.
  Guard("file check tick", [&] {
    if (!firstTick_) {
      firstTick_ = true;
      SetVisible(true);
    }
    TFileCheckResult r = Display.FileCheck(Now(), LayoutBusy);
    if (!r.Stopped) {
      if (r.HasStatus) SetLabel(r.Status);
      if (r.SettingsRead) ApplyFontSize();
      if (r.ScrollModeChanged) SetupDisplayTimer();
      KeepPagingInterval();
      if (r.TickerReloaded) Mn_Kiji->Visible = false;
    }
    if (r.FileCheckInterval != 0) interval = r.FileCheckInterval;
  });
  // Re-enabled on every path, or refreshes would stop for good; a paused
  // window has no reason to look every 300 ms.
  if (!Closing) {
    Timer_FileCheck.SetInterval(interval);
    Timer_FileCheck.SetEnabled(true);
  }
  if (!Closing && !Display.TickerLines.empty() && !Mn_Kiji->Visible) BuildArticleMenu();
}

void TKvBandForm::Timer_ListReadTimer(TObject* sender) {
  if (Closing || LayoutBusy || Display.Paused) return;
  // A failed tick is tried again by the next.
  Guard("list read tick", [&] {
    const uint32_t now = TickCount();
    if (PL_Keyword.Visible() && Display.KeywordBoxIdle(now)) {
      KeywordButtonClick(nullptr);
      Display.KeywordLastUse = 0;
    }
    bool due = true;
    if (sender && Display.ScrollMode > 0) {
      due = false;
      TScrollInput in;
      in.Left = Message.Left();
      in.Step = Timer_ListRead.Tag;
      in.LabelWidth = Message.Width();
      in.StripWidth = PL_Message.ClientWidth();
      in.TimerEnabled = Timer_ListRead.Enabled();
      in.TimerInterval = Timer_ListRead.Interval();
      TScrollResult r = Display.ScrollTick(in);
      Message.SetLeft(r.Left);
      if (r.RestInterval) RestartListRead(r.RestInterval);
      due = r.NewItemDue;
      if (r.ResumeScrolling) {
        Timer_ListRead.SetEnabled(false);
        SetScrollInterval();
        Timer_ListRead.SetEnabled(true);
      }
    }
    if (!due) return;
    TShownItem item;
    if (Display.TakeNextItem(item, now)) ShowItem(item, sender != nullptr);
  });
}

void TKvBandForm::ShowItem(const TShownItem& item, bool withSender) {
  if (!Message.Picture().Empty()) Message.Picture().Clear();
  if (!item.IconPath.empty()) {
    if (!Message.Picture().LoadFromFile(item.IconPath)) Message.Picture().Clear();
  }
  TLabelText text = item.Label;
  if (ShowsPicture()) text.Title.clear();
  if (Display.ScrollMode > 0) {
    Message.SetWidth(ScrollLabelWidth(text.Title));
    if (!withSender) {
      Timer_ListRead.SetInterval(1000);
      Message.SetLeft(0);
    }
  }
  Message.Tag = item.Tag;
  SetLabel(text);
  // The hover state decides the colours; a held left button (a drag) keeps it.
  if (!IsMouseButtonDown(VK_LBUTTON))
    UpdateHover(0, true);
  else
    ApplyColours();
  KeepPagingInterval();
  if (Display.FileCheckDueNow()) {
    Timer_FileCheck.SetEnabled(false);
    Timer_FileCheckTimer(&Timer_FileCheck);
  }
}
