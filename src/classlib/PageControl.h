// Tabbed pages (system SysTabControl32).
#pragma once
#include <vector>

#include "Controls.h"

class TPageControl;

class TTabSheet : public TCustomControl {
 public:
  TTabSheet();
  ~TTabSheet() override;
  // The parent must be a TPageControl (or null).
  void SetParent(TWinControl* p) override;
  TPageControl* PageControl() const { return page_; }
  int PageIndex() const;
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);
  int TabIndex() const;  // among visible tabs, -1 when hidden
  void SetText(const std::string& s) override;

 protected:
  friend class TPageControl;
  TPageControl* page_ = nullptr;
  bool tabVisible_ = true;
};

class TPageControl : public TWinControl {
 public:
  TPageControl();
  ~TPageControl() override;
  int PageCount() const { return (int)pages_.size(); }
  TTabSheet* Pages(int i) const { return pages_[i]; }
  TTabSheet* ActivePage() const { return active_; }
  void SetActivePage(TTabSheet* p);
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  bool MultiLine = false;  // before the window exists
  RECT AlignRect() const override;  // the display area inside the tabs
  // Raised after the user changes the page (not on programmatic changes).
  TNotifyEvent OnChange;
  std::function<void(TObject*, bool& allowChange)> OnChanging;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandleDone() override;
  void HandleMessage(TMessage& m) override;
  void AlignControls(RECT& r) override;
  virtual void Change();
  friend class TTabSheet;
  void AddPage(TTabSheet* p);
  void RemovePage(TTabSheet* p);
  void UpdateTabs();
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};
