#include "PageControl.h"

#include <commctrl.h>

#include <algorithm>

#include "Text.h"

TTabSheet::TTabSheet() {
  visible_ = false;
  color_ = clBtnFace;
}

TTabSheet::~TTabSheet() {
  if (page_) page_->RemovePage(this);
  page_ = nullptr;
}

void TTabSheet::Create(const TTabSheetValues& v) {
  TakeValue(tabVisible_, v.TabVisible);
  TCustomControl::Create(v);
}

void TTabSheet::SetParent(TWinControl* p) {
  if (page_ && page_ != p) {
    page_->RemovePage(this);
    page_ = nullptr;
  }
  TCustomControl::SetParent(p);
  auto* pc = dynamic_cast<TPageControl*>(p);
  if (pc && page_ != pc) {
    page_ = pc;
    pc->AddPage(this);
  }
}

int TTabSheet::PageIndex() const {
  if (!page_) return -1;
  auto& v = page_->pages_;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : (int)(it - v.begin());
}

int TTabSheet::TabIndex() const {
  if (!page_ || !tabVisible_) return -1;
  int n = 0;
  for (TTabSheet* p : page_->pages_) {
    if (p == this) return n;
    if (p->tabVisible_) ++n;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool v) {
  if (v == tabVisible_) return;
  tabVisible_ = v;
  if (!page_) return;
  if (!v && page_->active_ == this) {
    TTabSheet* next = nullptr;
    for (TTabSheet* p : page_->pages_)
      if (p != this && p->tabVisible_) {
        next = p;
        break;
      }
    page_->SetActivePage(next);
  }
  page_->UpdateTabs();
}

void TTabSheet::SetText(const std::string& s) {
  TCustomControl::SetText(s);
  if (page_) page_->UpdateTabs();
}

TPageControl::TPageControl() {
  width_ = 289;
  height_ = 193;
  TabStop = true;
  clickOnMouseUp_ = false;
}

TPageControl::~TPageControl() {
  for (TTabSheet* p : pages_) p->page_ = nullptr;
  pages_.clear();
}

void TPageControl::Create(const TPageControlValues& v) {
  TakeValue(MultiLine, v.MultiLine);
  TakeEvent(OnChange, v.OnChange);
  TakeEvent(OnChanging, v.OnChanging);
  TWinControl::Create(v);
}

void TPageControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClass = WC_TABCONTROLW;
  if (MultiLine) p.Style |= TCS_MULTILINE;
}

void TPageControl::CreateHandleDone() { UpdateTabs(); }

void TPageControl::AddPage(TTabSheet* p) {
  pages_.push_back(p);
  if (!active_ && p->tabVisible_)
    ShowPage(p);
  else
    p->SetVisible(false);
  UpdateTabs();
}

void TPageControl::RemovePage(TTabSheet* p) {
  pages_.erase(std::remove(pages_.begin(), pages_.end(), p), pages_.end());
  if (active_ == p) {
    active_ = nullptr;
    for (TTabSheet* q : pages_)
      if (q->tabVisible_) {
        ShowPage(q);
        break;
      }
  }
  UpdateTabs();
}

void TPageControl::UpdateTabs() {
  if (!hwnd_) return;
  SendMessageW(hwnd_, TCM_DELETEALLITEMS, 0, 0);
  int n = 0;
  for (TTabSheet* p : pages_) {
    if (!p->tabVisible_) continue;
    std::wstring text = SjisToWide(p->Caption());
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = &text[0];
    SendMessageW(hwnd_, TCM_INSERTITEMW, n++, (LPARAM)&item);
  }
  SendMessageW(hwnd_, TCM_SETCURSEL, active_ ? active_->TabIndex() : -1, 0);
  Realign();
}

int TPageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int i) {
  SetActivePage(i >= 0 && i < (int)pages_.size() ? pages_[i] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* p) {
  // The page's controls follow a page chosen here as they follow a click.
  if (ShowPage(p)) GuardEvent("OnChange", [this] { Change(); });
}

bool TPageControl::ShowPage(TTabSheet* p) {
  if (p && p->page_ != this) return false;
  if (p == active_) return false;
  active_ = p;
  if (p) p->SetVisible(true);
  for (TTabSheet* q : pages_)
    if (q != p) q->SetVisible(false);
  if (p) p->BringToFront();
  if (hwnd_) SendMessageW(hwnd_, TCM_SETCURSEL, p ? p->TabIndex() : -1, 0);
  Realign();
  return true;
}

RECT TPageControl::AlignRect() const {
  RECT r = ClientRect();
  if (hwnd_) {
    SendMessageW(hwnd_, TCM_ADJUSTRECT, FALSE, (LPARAM)&r);
  } else {
    r.top += 24;
    InflateRect(&r, -4, -4);
    r.top -= 4;
  }
  return r;
}

void TPageControl::AlignControls(RECT& r) {
  for (TTabSheet* p : pages_) p->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::Change() {
  if (OnChange) OnChange(this);
}

void TPageControl::HandleMessage(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    auto* nm = (NMHDR*)m.LParam;
    if (nm->code == TCN_SELCHANGING) {
      bool allow = true;
      if (OnChanging) GuardEvent("OnChanging", [&] { OnChanging(this, allow); });
      m.Result = allow ? FALSE : TRUE;
      return;
    }
    if (nm->code == TCN_SELCHANGE) {
      int tab = (int)SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0);
      for (TTabSheet* p : pages_)
        if (p->TabIndex() == tab) {
          ShowPage(p);
          break;
        }
      GuardEvent("OnChange", [this] { Change(); });
      m.Result = 0;
      return;
    }
  }
  TWinControl::HandleMessage(m);
}
