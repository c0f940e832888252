#include <gtest/gtest.h>

#include <stdexcept>

#include <windows.h>
#include <commctrl.h>

#include "classlib/Application.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "common/GuardWatch.h"

namespace {

// Pumps messages until done() or the time runs out.
template <class F>
bool PumpUntil(F done, DWORD ms = 3000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!Application.PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    Sleep(5);
  }
  return true;
}

struct DialogForm : TForm {
  TLabel label;
  TButton ok, cancel;
  DialogForm() {
    SetCaption("確認");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientSize(240, 100);
    label.SetParent(this);
    label.SetBounds(10, 10, 200, 20);
    label.SetCaption("よろしいですか？");
    ok.SetParent(this);
    ok.SetBounds(40, 60, 75, 25);
    ok.SetCaption("OK");
    ok.SetDefault(true);
    ok.ModalResult = mrOk;
    cancel.SetParent(this);
    cancel.SetBounds(130, 60, 75, 25);
    cancel.SetCaption("キャンセル");
    cancel.Cancel = true;
    cancel.ModalResult = mrCancel;
  }
};

}  // namespace

TEST(ModalForm, ClickedButtonGivesItsModalResult) {
  DialogForm f;
  auto keep = std::make_shared<TTimer>();
  keep->SetInterval(50);
  keep->OnTimer = [&](TObject*) {
    if (f.HandleAllocated() && IsWindowVisible(f.Handle())) {
      keep->SetEnabled(false);
      PostMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), (LPARAM)f.ok.Handle());
    }
  };
  EXPECT_EQ(f.ShowModal(), mrOk);
  EXPECT_FALSE(IsWindowVisible(f.Handle()));
  keep->OnTimer = nullptr;
}

TEST(ModalForm, EscapeClicksTheCancelButton) {
  DialogForm f;
  TTimer t;
  t.SetInterval(50);
  t.OnTimer = [&](TObject*) {
    if (f.HandleAllocated() && IsWindowVisible(f.Handle())) {
      t.SetEnabled(false);
      PostMessageW(f.ok.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    }
  };
  EXPECT_EQ(f.ShowModal(), mrCancel);
}

TEST(ModalForm, EnterClicksTheDefaultButton) {
  DialogForm f;
  f.SetActiveControl(&f.cancel);
  f.SetActiveControl(nullptr);
  TTimer t;
  t.SetInterval(50);
  TEdit edit;
  edit.SetParent(&f);
  edit.SetBounds(10, 30, 100, 20);
  t.OnTimer = [&](TObject*) {
    if (f.HandleAllocated() && IsWindowVisible(f.Handle())) {
      t.SetEnabled(false);
      PostMessageW(edit.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    }
  };
  EXPECT_EQ(f.ShowModal(), mrOk);
}

TEST(ModalForm, CloseQueryCanRefuseAndCloseBoxCancels) {
  DialogForm f;
  int asked = 0;
  f.OnCloseQuery = [&](TObject*, bool& can) { can = ++asked > 1; };
  TTimer t;
  t.SetInterval(50);
  t.OnTimer = [&](TObject*) {
    if (f.HandleAllocated() && IsWindowVisible(f.Handle())) PostMessageW(f.Handle(), WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(f.ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
}

TEST(Alignment, AlignedChildrenShareTheClientArea) {
  TForm f;
  f.SetClientSize(300, 200);
  TPanel top, bottom, left, client;
  top.SetHeight(30);
  bottom.SetHeight(20);
  left.SetWidth(50);
  top.SetAlign(alTop);
  bottom.SetAlign(alBottom);
  left.SetAlign(alLeft);
  client.SetAlign(alClient);
  for (TControl* c : std::initializer_list<TControl*>{&top, &bottom, &left, &client}) c->SetParent(&f);
  f.Show();
  ASSERT_EQ(f.ClientWidth(), 300);
  EXPECT_EQ(top.BoundsRect().bottom, 30);
  EXPECT_EQ(top.Width(), 300);
  EXPECT_EQ(bottom.Top(), 180);
  EXPECT_EQ(left.Top(), 30);
  EXPECT_EQ(left.Height(), 150);
  EXPECT_EQ(client.Left(), 50);
  EXPECT_EQ(client.Width(), 250);
  EXPECT_EQ(client.Height(), 150);
  RECT r;
  GetWindowRect(client.Handle(), &r);
  MapWindowPoints(nullptr, f.Handle(), (POINT*)&r, 2);
  EXPECT_EQ(r.left, 50);
  EXPECT_EQ(r.top, 30);

  // The layout follows a resize of the window and a hidden control.
  SetWindowPos(f.Handle(), nullptr, 0, 0, f.Width() + 100, f.Height(), SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(client.Width(), 350);
  top.Hide();
  EXPECT_EQ(left.Top(), 0);
  EXPECT_EQ(client.Height(), 180);
}

TEST(Alignment, PanelBorderNarrowsTheAlignArea) {
  TForm f;
  TPanel p;
  p.SetParent(&f);
  p.SetBounds(0, 0, 100, 50);
  p.SetBorderWidth(3);  // bevel 1 + border 3
  TLabel l;
  l.SetAutoSize(false);
  l.SetParent(&p);
  l.SetAlign(alClient);
  EXPECT_EQ(l.Left(), 4);
  EXPECT_EQ(l.Width(), 92);
  EXPECT_EQ(l.Height(), 42);
}

TEST(Timer, FiresWhileMessagesArePumped) {
  TTimer t;
  int fired = 0;
  t.SetInterval(20);
  t.OnTimer = [&](TObject* s) {
    EXPECT_EQ(s, &t);
    ++fired;
  };
  EXPECT_TRUE(PumpUntil([&] { return fired >= 3; }));
  t.SetEnabled(false);
  int seen = fired;
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(fired, seen);
}

TEST(Timer, HandlerMayDestroyItsTimer) {
  auto* t = new TTimer;
  bool fired = false;
  t->SetInterval(10);
  t->OnTimer = [&](TObject*) {
    fired = true;
    delete t;
  };
  EXPECT_TRUE(PumpUntil([&] { return fired; }));
}

TEST(Exceptions, ThrowingHandlerDoesNotEscapeTheWindowProcedure) {
  TForm f;
  TButton b;
  b.SetParent(&f);
  b.SetBounds(0, 0, 50, 20);
  int clicks = 0;
  b.OnClick = [&](TObject*) {
    ++clicks;
    throw std::runtime_error("broken handler");
  };
  f.Show();
  int before = Application.ExceptionCount;
  ExpectFailedStep("OnClick", [&] {
    SendMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), (LPARAM)b.Handle());
  });
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Application.ExceptionCount, before + 1);
  EXPECT_EQ(Application.LastExceptionMessage, "broken handler");

  TTimer t;
  t.SetInterval(10);
  int ticks = 0;
  t.OnTimer = [&](TObject*) {
    ++ticks;
    throw 42;
  };
  ExpectFailedStep("OnTimer", [&] {
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));  // still running after a throw
  });
}

TEST(Keyboard, TabMovesThroughTabStopsInOrder) {
  TForm f;
  TEdit a, b;
  TButton c;
  a.SetParent(&f);
  b.SetParent(&f);
  c.SetParent(&f);
  a.SetBounds(0, 0, 50, 20);
  b.SetBounds(0, 30, 50, 20);
  c.SetBounds(0, 60, 50, 20);
  b.SetTabOrder(0);
  f.Show();
  b.SetFocus();
  f.SelectNext(&b, true);
  EXPECT_TRUE(a.Focused());
  f.SelectNext(&a, true);
  EXPECT_TRUE(c.Focused());
  f.SelectNext(&c, true);
  EXPECT_TRUE(b.Focused());
  f.SelectNext(&b, false);
  EXPECT_TRUE(c.Focused());
}

TEST(Controls, TextRoundTripsShiftJisThroughTheWindow) {
  TForm f;
  TEdit e;
  TComboBox cb;
  e.SetParent(&f);
  cb.SetParent(&f);
  e.SetText("日本語テキスト");
  f.Show();
  EXPECT_EQ(e.Text(), "日本語テキスト");
  wchar_t w[32];
  GetWindowTextW(e.Handle(), w, 32);
  EXPECT_EQ(std::wstring(w), L"\u65e5\u672c\u8a9e\u30c6\u30ad\u30b9\u30c8");
  int changes = 0;
  e.OnChange = [&](TObject*) { ++changes; };
  e.SetText("別");
  EXPECT_EQ(changes, 1);

  cb.SetItems({"２４", "４８"});
  cb.SetItemIndex(1);
  EXPECT_EQ(cb.Text(), "４８");
}

TEST(Controls, CheckBoxStateAndPageControlPages) {
  TForm f;
  TPageControl pc;
  TTabSheet p1, p2;
  pc.SetParent(&f);
  pc.SetBounds(0, 0, 200, 150);
  p1.SetCaption("基本設定");
  p2.SetCaption("接続");
  p1.SetParent(&pc);
  p2.SetParent(&pc);
  TCheckBox cbx;
  cbx.SetParent(&p2);
  f.Show();
  EXPECT_EQ(pc.ActivePage(), &p1);
  EXPECT_TRUE(p1.Visible());
  EXPECT_FALSE(p2.Visible());
  EXPECT_EQ(SendMessageW(pc.Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
  pc.SetActivePage(&p2);
  EXPECT_TRUE(IsWindowVisible(p2.Handle()));
  EXPECT_FALSE(IsWindowVisible(p1.Handle()));
  RECT r = pc.AlignRect();
  EXPECT_EQ(p2.Left(), r.left);
  EXPECT_EQ(p2.Width(), r.right - r.left);

  int clicks = 0;
  cbx.OnClick = [&](TObject*) { ++clicks; };
  cbx.SetChecked(true);
  EXPECT_TRUE(cbx.Checked());
  EXPECT_EQ(SendMessageW(cbx.Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(clicks, 1);
  p2.SetTabVisible(false);
  EXPECT_EQ(pc.ActivePage(), &p1);
  EXPECT_EQ(SendMessageW(pc.Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
}

TEST(Controls, PaintedControlsGetMouseInputFromTheirParent) {
  TForm f;
  f.SetClientSize(200, 100);
  TSpeedButton sb;
  sb.SetParent(&f);
  sb.SetBounds(20, 10, 30, 30);
  TLabel label;
  label.SetParent(&f);
  label.SetBounds(100, 10, 50, 20);
  int clicks = 0, labelDowns = 0;
  POINT at{-1, -1};
  sb.OnClick = [&](TObject*) { ++clicks; };
  label.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    ++labelDowns;
    at = POINT{x, y};
  };
  f.Show();
  SendMessageW(f.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 15));
  EXPECT_EQ(sb.State(), bsDown);
  SendMessageW(f.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(25, 15));
  EXPECT_EQ(clicks, 1);
  // A release outside the button is no click.
  SendMessageW(f.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 15));
  SendMessageW(f.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 80));
  SendMessageW(f.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(150, 80));
  EXPECT_EQ(clicks, 1);
  SendMessageW(f.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(110, 15));
  SendMessageW(f.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(110, 15));
  EXPECT_EQ(labelDowns, 1);
  EXPECT_EQ(at.x, 10);
  EXPECT_EQ(at.y, 5);
}

TEST(Controls, SpeedButtonGroupKeepsOneDown) {
  TForm f;
  TSpeedButton a, b;
  a.SetParent(&f);
  b.SetParent(&f);
  a.SetGroupIndex(1);
  b.SetGroupIndex(1);
  a.SetDown(true);
  b.SetDown(true);
  EXPECT_FALSE(a.Down());
  EXPECT_TRUE(b.Down());
  b.SetDown(false);  // AllowAllUp off: stays down
  EXPECT_TRUE(b.Down());
}

TEST(Controls, MenuItemsBuildTheirMenu) {
  TPopupMenu menu;
  int clicked = 0;
  TMenuItem* a = menu.Items().Add("更新(&R)", [&](TObject*) { ++clicked; });
  menu.Items().AddSeparator();
  TMenuItem* hidden = menu.Items().Add("隠し");
  hidden->Visible = false;
  TMenuItem* sub = menu.Items().Add("オプション");
  sub->Add("透明度")->Checked = true;
  HMENU h = menu.Items().BuildMenu();
  ASSERT_TRUE(h);
  EXPECT_EQ(GetMenuItemCount(h), 3);
  wchar_t text[32];
  GetMenuStringW(h, 0, text, 32, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), L"\u66f4\u65b0(&R)");
  HMENU subMenu = GetSubMenu(h, 2);
  ASSERT_TRUE(subMenu);
  EXPECT_TRUE(GetMenuState(subMenu, 0, MF_BYPOSITION) & MF_CHECKED);
  UINT id = GetMenuItemID(h, 0);
  DestroyMenu(h);
  ASSERT_EQ(TMenuItem::FromCommand(id), a);
  TMenuItem::FromCommand(id)->Click();
  EXPECT_EQ(clicked, 1);
}
