#include "refresh/SetupCommand.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/Tessivar_Seihin.h"

using Params = std::vector<std::string>;

TEST(CommandWords, MatchAnyParameterIgnoringCase) {
  SetCommandParamsForTest({"other", "feed"});
  EXPECT_TRUE(HasParamWord("FEED"));
  EXPECT_FALSE(HasParamWord("FEE"));
  EXPECT_FALSE(HasParamWord("REFRESH"));
}

TEST(TickerParameter, ValueOnlyAfterPercent) {
  std::string value = "stale";
  SetCommandParamsForTest({"x", "ticker%abc"});
  EXPECT_TRUE(GetPrefixedParam("TICKER", value));
  EXPECT_EQ("abc", value);
  SetCommandParamsForTest({"TICKER=abc"});
  EXPECT_TRUE(GetPrefixedParam("TICKER", value));
  EXPECT_EQ("", value);
  SetCommandParamsForTest({"TICKER"});
  EXPECT_TRUE(GetPrefixedParam("TICKER", value));
  EXPECT_EQ("", value);
  SetCommandParamsForTest({"TICK"});
  EXPECT_FALSE(GetPrefixedParam("TICKER", value));
  EXPECT_EQ("", value);
}

TEST(UrlMode, PathsAndAddressesNameAFeed) {
  EXPECT_EQ("URL", CommandModeOf("C:\\feeds\\a.xml"));
  EXPECT_EQ("URL", CommandModeOf("http://example.test/rss"));
  EXPECT_EQ("", CommandModeOf("ADD"));
  EXPECT_EQ("", CommandModeOf(""));
  // Their second bytes are 0x5C: no backslash.
  EXPECT_EQ("", CommandModeOf("ソフト"));
  EXPECT_EQ("", CommandModeOf("表示"));
}

namespace {

struct BoxSeen {
  bool ours = false;
  std::string title, text, fontName, labelFontName;
  int ticks = 0;
};
BoxSeen seen;

BOOL CALLBACK FindOwnInformationBox(HWND w, LPARAM found) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t text[64];
  int n = GetWindowTextW(w, text, 64);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(w) ||
      WideToSjis(text, n > 0 ? n : 0) != "情報")
    return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

// Reads the box from this thread once it shows, then closes it; gives up
// after 10 s.
void CALLBACK ReadAndCloseBox(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = nullptr;
  EnumWindows(FindOwnInformationBox, reinterpret_cast<LPARAM>(&box));
  if (!box && ++seen.ticks < 200) return;
  KillTimer(nullptr, id);
  if (!box) return;
  if (auto* form = dynamic_cast<TMessageForm*>(TWinControl::FromHandle(box))) {
    seen.ours = true;
    seen.title = form->Caption();
    seen.text = form->Message()->Caption();
    seen.fontName = form->Font().Name();
    seen.labelFontName = form->Message()->Font().Name();
  }
  PostMessageW(box, WM_CLOSE, 0, 0);
}

}  // namespace

TEST(RefreshWord, WhileTheFeedMutexExistsTheBusyMessageIsShown) {
  KernelHandle held(CreateMutexW(nullptr, FALSE, L"TessivarFeed_Mutex"));
  ASSERT_TRUE(held);
  SetDefaultFormFontName("MS UI Gothic");  // as the start-up does
  SetCommandParamsForTest({"refresh"});
  seen = BoxSeen();
  SetTimer(nullptr, 0, 50, ReadAndCloseBox);
  DispatchCommand();
  SetDefaultFormFontName("");
  held.reset();
  EXPECT_TRUE(seen.ours) << "not the project's message form";
  EXPECT_EQ("情報", seen.title);
  EXPECT_EQ("ただいま自動更新中の為、手動更新はできません．", seen.text);
  EXPECT_EQ("MS UI Gothic", seen.fontName);
  EXPECT_EQ("MS UI Gothic", seen.labelFontName);
}

TEST(SettingsCommand, TheWordsChooseTheStartPage) {
  TickerSettings.RegSwitch = true;
  SetCommandParamsForTest({});
  EXPECT_EQ(TStartPage::Env, SettingsStartOf("").Page);
  SetCommandParamsForTest({"other", "version"});
  EXPECT_EQ(TStartPage::Version, SettingsStartOf("").Page);
  SetCommandParamsForTest({"INSTALL"});
  EXPECT_EQ(TStartPage::Reg, SettingsStartOf("").Page);
  TickerSettings.RegSwitch = false;
  EXPECT_EQ(TStartPage::Env, SettingsStartOf("").Page);
  TickerSettings.RegSwitch = true;
  SetCommandParamsForTest({"Add"});
  TSettingsStart add = SettingsStartOf("");
  EXPECT_EQ(TStartPage::Feed, add.Page);
  EXPECT_EQ("", add.FeedUrl);
  SetCommandParamsForTest({"http://127.0.0.1/a.xml"});
  TSettingsStart url = SettingsStartOf("URL");
  EXPECT_EQ(TStartPage::Feed, url.Page);
  EXPECT_EQ("http://127.0.0.1/a.xml", url.FeedUrl);
  // The words come before URL mode.
  SetCommandParamsForTest({"C:\\feeds\\a.xml", "VERSION"});
  TSettingsStart both = SettingsStartOf("URL");
  EXPECT_EQ(TStartPage::Version, both.Page);
  EXPECT_EQ("", both.FeedUrl);
}

TEST(SettingsCommand, WhileTheDialogIsOpenASecondCopySaysSoAndOpensNothing) {
  KernelHandle held(CreateMutexW(nullptr, FALSE, L"TessivarEnv_Mutex"));
  ASSERT_TRUE(held);
  bool opened = false;
  auto open = [&](const TSettingsStart&) { opened = true; };
  for (const Params& params : {Params{}, Params{"http://127.0.0.1/a.xml"}}) {
    SetCommandParamsForTest(params);
    seen = BoxSeen();
    SetTimer(nullptr, 0, 50, ReadAndCloseBox);
    DispatchCommand(open);
    EXPECT_TRUE(seen.ours);
    EXPECT_EQ(params.empty() ? "既に設定ダイアログが起動しています．" : "設定ダイアログに直接追加してください．",
              seen.text);
  }
  held.reset();
  EXPECT_FALSE(opened);
}
