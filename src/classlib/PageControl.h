// Tabbed pages (system SysTabControl32).
#pragma once
#include <vector>

#include "Controls.h"

class TPageControl;

// The parent of a tab sheet is its page control; Visible follows the page.
struct TTabSheetValues : TWinControlValues {
  std::optional<bool> TabVisible;
};

template <class Self, class V = TTabSheetValues>
struct TTabSheetArgsOf : TWinControlArgsOf<Self, V> {
  CREATE_ARG(TabVisible)
};
struct TTabSheetArgs : TTabSheetArgsOf<TTabSheetArgs> {};

class TTabSheet : public TCustomControl {
 public:
  TTabSheet();
  ~TTabSheet() override;
  void Create(const TTabSheetValues& v);
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

struct TPageControlValues : TWinControlValues {
  std::optional<bool> MultiLine;
  TNotifyEvent OnChange;
  std::function<void(TObject*, bool& allowChange)> OnChanging;
};

template <class Self, class V = TPageControlValues>
struct TPageControlArgsOf : TWinControlArgsOf<Self, V> {
  CREATE_ARG(MultiLine)
  CREATE_ARG(OnChange)
  CREATE_ARG(OnChanging)
};
struct TPageControlArgs : TPageControlArgsOf<TPageControlArgs> {};

class TPageControl : public TWinControl {
 public:
  TPageControl();
  ~TPageControl() override;
  void Create(const TPageControlValues& v);
  int PageCount() const { return (int)pages_.size(); }
  TTabSheet* Pages(int i) const { return pages_[i]; }
  TTabSheet* ActivePage() const { return active_; }
  void SetActivePage(TTabSheet* p);
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  bool MultiLine = false;  // before the window exists
  RECT AlignRect() const override;  // the display area inside the tabs
  // Raised after the active page changed, by a click or by SetActivePage
  // (not when a page is added or removed).
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
  // Shows p as the active page without raising OnChange; false when it
  // already was, or is not a page of this control.
  bool ShowPage(TTabSheet* p);
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};
