// The box is shown for real and answered from a timer of the same thread,
// the way a user would: buttons pressed, keys posted, the close box used.
#include "L_Dialog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>

#include "Application.h"
#include "Text.h"
#include "common/TestDialogs.h"

namespace {

std::string ShotPath(const char* name) {
  wchar_t dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"TESSIVAR_SHOT_DIR", dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) n = GetTempPathW(MAX_PATH, dir);
  std::string path = WideToSjis(dir, (int)n);
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + name;
}

// Copies the window's area of the screen into a 24-bit BMP file and returns
// how many different colours it holds (0 when nothing could be copied).
int CaptureWindow(HWND window, const std::string& path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return 0;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return 0;
  WindowDC screen;
  MemoryDC mem(screen.get());
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  BitmapHandle bmp(CreateDIBSection(mem.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bmp) return 0;
  {
    SelectObjectScope use(mem.get(), bmp.get());
    BitBlt(mem.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
    GdiFlush();
  }
  const int stride = (w * 3 + 3) & ~3;
  const unsigned char* p = static_cast<const unsigned char*>(bits);
  std::set<unsigned> colours;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned char* px = p + y * stride + x * 3;
      colours.insert(px[0] | (px[1] << 8) | (px[2] << 16));
    }
  if (FILE* f = _wfopen(SjisToWide(path).c_str(), L"wb")) {
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * h;
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    fwrite(bits, stride * h, 1, f);
    fclose(f);
  }
  return (int)colours.size();
}

class MsgDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.Initialize();
    TMsgDlg& d = GetMsgDlg();
    d.MessSwitch = false;
    d.MessChecked = false;
    d.Mess.clear();
    d.PosX = d.PosY = -1;
    d.Color = clBtnFace;
    d.FontColor = clWindowText;
  }
};

}  // namespace

TEST(MessageForm, TitleFollowsTheType) {
  EXPECT_EQ(CreateMessageDialog("x", mtWarning, {mbOK})->Caption(), "警告");
  EXPECT_EQ(CreateMessageDialog("x", mtError, {mbOK})->Caption(), "エラー");
  EXPECT_EQ(CreateMessageDialog("x", mtInformation, {mbOK})->Caption(), "情報");
  EXPECT_EQ(CreateMessageDialog("x", mtConfirmation, {mbOK})->Caption(), "確認");
  Application.SetTitle("TessivarSetup");
  EXPECT_EQ(CreateMessageDialog("x", mtCustom, {mbOK})->Caption(), "TessivarSetup");
}

TEST(MessageForm, YesCancelRowIsCentredWithDefaultAndCancelButtons) {
  auto form = CreateMessageDialog("よろしいですか？", mtConfirmation, {mbYes, mbCancel});
  TButton* yes = FindButton(form.get(), "はい(&Y)");
  TButton* cancel = FindButton(form.get(), "キャンセル");
  ASSERT_TRUE(yes && cancel);
  EXPECT_EQ(yes->ModalResult, mrYes);
  EXPECT_TRUE(yes->Default());
  EXPECT_FALSE(yes->Cancel);
  EXPECT_EQ(cancel->ModalResult, mrCancel);
  EXPECT_TRUE(cancel->Cancel);
  EXPECT_FALSE(cancel->Default());
  EXPECT_EQ(yes->Top(), cancel->Top());
  EXPECT_LT(yes->Left() + yes->Width(), cancel->Left());
  int leftGap = yes->Left(), rightGap = form->ClientWidth() - (cancel->Left() + cancel->Width());
  EXPECT_LE(std::abs(leftGap - rightGap), 1);
  EXPECT_LE(cancel->Top() + cancel->Height(), form->ClientHeight());
  ASSERT_NE(form->Message(), nullptr);
  EXPECT_EQ(form->Message()->Caption(), "よろしいですか？");
  EXPECT_GT(form->Message()->Width(), 0);
}

TEST(MessageForm, OtherButtonCaptionsAndEscapeFallsToNo) {
  auto form = CreateMessageDialog("x", mtWarning, {mbYes, mbNo, mbHelp});
  TButton* no = FindButton(form.get(), "いいえ(&N)");
  ASSERT_TRUE(no);
  EXPECT_EQ(no->ModalResult, mrNo);
  EXPECT_TRUE(no->Cancel);
  EXPECT_NE(FindButton(form.get(), "ヘルプ(&H)"), nullptr);
  auto ok = CreateMessageDialog("x", mtInformation, {mbOK});
  TButton* okButton = FindButton(ok.get(), "OK");
  ASSERT_TRUE(okButton);
  EXPECT_TRUE(okButton->Default());
  EXPECT_TRUE(okButton->Cancel);
}

TEST_F(MsgDlgTest, ConfirmIsTrueOnlyForYes) {
  {
    DialogScript s("確認", [](HWND, TMessageForm* f) { Click(f, "はい(&Y)"); });
    EXPECT_TRUE(ConfirmMsg("削除しますか．", mtConfirmation, false));
    EXPECT_TRUE(s.Acted());
    EXPECT_FALSE(s.Stuck());
  }
  {
    DialogScript s("確認", [](HWND, TMessageForm* f) { Click(f, "キャンセル"); });
    EXPECT_FALSE(ConfirmMsg("削除しますか．", mtConfirmation, false));
    EXPECT_TRUE(s.Acted());
    EXPECT_FALSE(s.Stuck());
  }
}

TEST_F(MsgDlgTest, ConfirmEnterPressesYes) {
  DialogScript s("確認", [](HWND, TMessageForm*) { PressKey(VK_RETURN); });
  EXPECT_TRUE(ConfirmMsg("続けますか．", mtConfirmation, false));
  EXPECT_TRUE(s.Acted());
  EXPECT_FALSE(s.Stuck());
}

TEST_F(MsgDlgTest, ConfirmEscapeAndCloseBoxAreNo) {
  {
    DialogScript s("確認", [](HWND, TMessageForm*) { PressKey(VK_ESCAPE); });
    EXPECT_FALSE(ConfirmMsg("続けますか．", mtConfirmation, false));
    EXPECT_TRUE(s.Acted());
    EXPECT_FALSE(s.Stuck());
  }
  {
    DialogScript s("確認", [](HWND d, TMessageForm*) { CloseBox(d); });
    EXPECT_FALSE(ConfirmMsg("続けますか．", mtConfirmation, false));
    EXPECT_TRUE(s.Acted());
    EXPECT_FALSE(s.Stuck());
  }
}

TEST_F(MsgDlgTest, CancelFocusPutsFocusAndDefaultOnCancelForOneQuestion) {
  HWND focused = nullptr, cancel = nullptr;
  bool yesDefault = true, cancelDefault = false;
  {
    DialogScript s("確認", [&](HWND, TMessageForm* f) {
      focused = GetFocus();
      cancel = FindButton(f, "キャンセル")->Handle();
      // The default frame, and where the pointer snaps to.
      cancelDefault = (GetWindowLongW(cancel, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      yesDefault = FindButton(f, "はい(&Y)")->Default();
      PressKey(VK_RETURN);
    });
    EXPECT_FALSE(ConfirmMsg("上書きしますか．", mtConfirmation, true));
    EXPECT_FALSE(s.Stuck());
  }
  EXPECT_EQ(focused, cancel);
  EXPECT_TRUE(cancelDefault);
  EXPECT_FALSE(yesDefault);
  EXPECT_FALSE(GetMsgDlg().CancelFocus);
  {
    DialogScript s("確認", [&](HWND, TMessageForm* f) {
      focused = GetFocus();
      cancel = FindButton(f, "はい(&Y)")->Handle();
      PressKey(VK_RETURN);
    });
    EXPECT_TRUE(ConfirmMsg("上書きしますか．", mtConfirmation, false));
  }
  EXPECT_EQ(focused, cancel);
}

TEST_F(MsgDlgTest, MessageIsStayOnTopWithTransparentLabelAndTrimmedText) {
  bool topMost = false, transparent = false;
  std::string shown;
  DialogScript s("情報", [&](HWND d, TMessageForm* f) {
    topMost = (GetWindowLongW(d, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    transparent = f->Message()->Transparent();
    shown = f->Message()->Caption();
    PressKey(VK_RETURN);
  });
  ShowMsg("\r\n\r\n一行目\r\n二行目\r\n\n", mtInformation);
  EXPECT_TRUE(s.Acted());
  EXPECT_FALSE(s.Stuck());
  EXPECT_TRUE(topMost);
  EXPECT_TRUE(transparent);
  EXPECT_EQ(shown, "一行目\r\n二行目");
}

TEST_F(MsgDlgTest, CheckBoxStateComesBack) {
  TMsgDlg& d = GetMsgDlg();
  d.MessSwitch = true;
  d.Mess = "今後このメッセージを表示しない";
  bool sawBox = false;
  std::string padded;
  DialogScript s("情報", [&](HWND, TMessageForm* f) {
    TCheckBox* box = FindControl<TCheckBox>(f);
    sawBox = box && box->Caption() == "今後このメッセージを表示しない";
    padded = f->Message()->Caption();
    if (box) PostMessageW(box->Handle(), BM_CLICK, 0, 0);
    Click(f, "OK");
  });
  ShowMsg("短い", mtInformation);
  EXPECT_TRUE(sawBox);
  EXPECT_TRUE(d.MessChecked);
  EXPECT_EQ(padded.size(), d.Mess.size());
  EXPECT_EQ(padded.substr(0, 4), "短い");
}

TEST_F(MsgDlgTest, ColourNoneLeavesTheFormColour) {
  TColor seen = 0, seenFont = 0;
  auto look = [&](HWND, TMessageForm* f) {
    seen = f->Color();
    seenFont = f->Font().Color();
    Click(f, "OK");
  };
  TMsgDlg& d = GetMsgDlg();
  d.Color = clYellow;
  d.FontColor = clNavy;
  {
    DialogScript s("情報", look);
    ShowMsg("色", mtInformation);
  }
  EXPECT_EQ(seen, clYellow);
  EXPECT_EQ(seenFont, clNavy);
  d.Color = clNone;
  d.FontColor = clNone;
  TColor madeColour = CreateMessageDialog("色", mtInformation, {mbOK})->Color();
  {
    DialogScript s("情報", look);
    ShowMsg("色", mtInformation);
  }
  EXPECT_EQ(seen, madeColour);
}

TEST_F(MsgDlgTest, PositionFromPosXAndPosY) {
  TMsgDlg& d = GetMsgDlg();
  d.PosX = 40;
  d.PosY = 60;
  RECT r = {};
  DialogScript s("情報", [&](HWND w, TMessageForm* f) {
    GetWindowRect(w, &r);
    Click(f, "OK");
  });
  ShowMsg("位置", mtInformation);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 60);
}

TEST_F(MsgDlgTest, CentredOverTheActiveForm) {
  TForm owner;
  owner.SetBounds(100, 80, 700, 500);
  owner.SetCaption("設定");
  owner.Show();
  SetForegroundWindow(owner.Handle());
  for (int i = 0; i < 20 && Application.ActiveForm() != &owner; ++i) {
    Application.ProcessMessages();
    Sleep(20);
  }
  ASSERT_EQ(Application.ActiveForm(), &owner);
  RECT r = {};
  DialogScript s("情報", [&](HWND w, TMessageForm* f) {
    GetWindowRect(w, &r);
    Click(f, "OK");
  });
  ShowMsg("中央", mtInformation);
  EXPECT_LE(std::abs((r.left + r.right) / 2 - 450), 1);
  EXPECT_LE(std::abs((r.top + r.bottom) / 2 - 330), 1);
}

TEST_F(MsgDlgTest, PointerSnapsToDefaultButtonOnlyWhenTheSettingIsOn) {
  BOOL before = FALSE;
  SystemParametersInfoW(SPI_GETSNAPTODEFBUTTON, 0, &before, 0);
  POINT cursor = {}, centre = {};
  auto look = [&](HWND, TMessageForm* f) {
    GetCursorPos(&cursor);
    TButton* b = FindButton(f, "はい(&Y)");
    POINT o = b->ClientOrigin();
    centre = {o.x + b->Width() / 2, o.y + b->Height() / 2};
    Click(f, "キャンセル");
  };
  SystemParametersInfoW(SPI_SETSNAPTODEFBUTTON, TRUE, nullptr, 0);
  {
    DialogScript s("確認", look);
    ConfirmMsg("移動", mtConfirmation, false);
  }
  EXPECT_EQ(cursor.x, centre.x);
  EXPECT_EQ(cursor.y, centre.y);

  SystemParametersInfoW(SPI_SETSNAPTODEFBUTTON, FALSE, nullptr, 0);
  SetCursorPos(3, 3);
  {
    DialogScript s("確認", look);
    ConfirmMsg("移動", mtConfirmation, false);
  }
  EXPECT_EQ(cursor.x, 3);
  EXPECT_EQ(cursor.y, 3);
  SystemParametersInfoW(SPI_SETSNAPTODEFBUTTON, before, nullptr, 0);
}

TEST_F(MsgDlgTest, ScreenshotsAreNotBlank) {
  int infoColours = 0, confirmColours = 0;
  {
    DialogScript s("情報", [&](HWND w, TMessageForm* f) {
      infoColours = CaptureWindow(w, ShotPath("dialog-info.bmp"));
      Click(f, "OK");
    });
    ShowMsg("フィードの更新が終わりました．\r\n新しい記事は 12 件です．", mtInformation);
  }
  {
    DialogScript s("確認", [&](HWND w, TMessageForm* f) {
      confirmColours = CaptureWindow(w, ShotPath("dialog-confirm.bmp"));
      Click(f, "キャンセル");
    });
    ConfirmMsg("選択したフィードを削除しますか．", mtConfirmation, false);
  }
  EXPECT_GT(infoColours, 1);
  EXPECT_GT(confirmColours, 1);
}
