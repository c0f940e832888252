#include "TessivarEnvForm.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "classlib/Guard.h"
#include "refresh/FeedProbe.h"
#include "shared/DataObjects.h"

namespace {

const int kDragThreshold = 5;
const POINT kNoDragStart = {-100, -100};
// Posted to the list once a drop from another program has been taken.
const UINT WM_ADDDROPPEDFEEDS = WM_APP + 1;

// Keeps a flag set for the length of a scope, on every way out.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void TSetForm::WireDrops() {
  TCheckListBox& list = TB_FEED.CheckListBox;
  listProc_ = list.WindowProc;
  list.WindowProc.Call = [this](TMessage& m) { ListWindowProc(m); };
  list.WindowProc.Object = this;
  OleDropTarget.OnDragEnter = Handler(this, &TSetForm::OleDropTargetDragEnter);
  OleDropTarget.OnDragLeave = Handler(this, &TSetForm::OleDropTargetDragLeave);
  OleDropTarget.OnDrop = Handler(this, &TSetForm::OleDropTargetDrop);
  TDFItem& files = OleDropTarget.Formats().Items(0);
  TDFItem& text = OleDropTarget.Formats().Items(1);
  files.OnDragOver = Handler(this, &TSetForm::DFItem_CF_HDROP_DragOver);
  text.OnDragOver = Handler(this, &TSetForm::DFItem_CF_HDROP_DragOver);
  files.OnDrop = Handler(this, &TSetForm::DFItem_CF_HDROP_Drop);
  text.OnDrop = Handler(this, &TSetForm::DFItem_CF_TEXT_Drop);
}

void TSetForm::CheckListBoxMouseDown(TObject*, TMouseButton button, TShiftState, int x, int y) {
  if (button == mbLeft) dragStart_ = {x, y};
}

void TSetForm::CheckListBoxMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  dragStart_ = kNoDragStart;
}

void TSetForm::CheckListBoxMouseMove(TObject*, TShiftState shift, int x, int y) {
  if (shift != ssLeft || dragStart_.x == kNoDragStart.x) return;
  if (std::abs(x - dragStart_.x) <= kDragThreshold && std::abs(y - dragStart_.y) <= kDragThreshold)
    return;
  dragStart_ = kNoDragStart;
  CheckListBoxStartDrag();
}

void TSetForm::CheckListBoxStartDrag() {
  TCheckListBox& list = TB_FEED.CheckListBox;
  FDropIndex = list.ItemIndex();
  if (FDropIndex < 0) return;
  listDragging_ = true;
  // The list still has the mouse from its button-down; keep it for the drag.
  if (GetCapture() != list.Handle()) SetCapture(list.Handle());
}

bool TSetForm::CheckListBoxDragOver(int x, int y) {
  TCheckListBox& list = TB_FEED.CheckListBox;
  const int t = list.ItemAtPos({x, y}, true);
  if (t >= 0) {
    int show = t;
    // One entry further at the edges, so that the list scrolls.
    if (y <= 5 && t > 0)
      show = t - 1;
    else if (y > list.ClientHeight() - 6 && t + 1 < list.ItemCount())
      show = t + 1;
    SelectFeed(show);
  }
  return t >= 0 && t != FDropIndex;
}

void TSetForm::CheckListBoxDragDrop(int x, int y) {
  TCheckListBox& list = TB_FEED.CheckListBox;
  const int t = list.ItemAtPos({x, y}, true);
  if (t < 0 || t == FDropIndex || FDropIndex < 0 || FDropIndex >= list.ItemCount()) return;
  FListChanged = true;
  list.MoveItem(FDropIndex, t);
  SelectFeed(t);
}

void TSetForm::EndListDrag() {
  if (!listDragging_) return;
  listDragging_ = false;
  if (GetCapture() == TB_FEED.CheckListBox.Handle()) ReleaseCapture();
  // The selection followed the pointer: the fields follow the selection.
  FLoadedIndex = -1;
  CheckListBoxClick(&TB_FEED.CheckListBox);
}

void TSetForm::ListWindowProc(TMessage& m) {
  if (m.Msg == WM_ADDDROPPEDFEEDS) {
    AddDroppedFeeds();
    m.Result = 0;
    return;
  }
  if (listDragging_) {
    const int x = (short)LOWORD(m.LParam), y = (short)HIWORD(m.LParam);
    switch (m.Msg) {
      case WM_MOUSEMOVE:
        ::SetCursor(CursorHandle(CheckListBoxDragOver(x, y) ? crArrow : crNo));
        m.Result = 0;
        return;
      case WM_LBUTTONUP:
        CheckListBoxDragDrop(x, y);
        EndListDrag();
        m.Result = 0;
        return;
      case WM_KEYDOWN:
        if (m.WParam != VK_ESCAPE) break;
        EndListDrag();
        m.Result = 0;
        return;
      case WM_CAPTURECHANGED:
        EndListDrag();
        break;
      default:
        break;
    }
  }
  listProc_(m);
}

void TSetForm::OleDropTargetDragEnter(TObject*, TDragContext&) {
  TFeedPage& p = TB_FEED;
  TCheckListBox& list = p.CheckListBox;
  dragHome_ = TDragHome();
  for (int k = 0; k < list.ItemCount(); ++k)
    if (list.Selected(k)) dragHome_.Selected.push_back(p.Record(k));
  const int focused = list.ItemIndex();
  dragHome_.Focused = focused >= 0 ? p.Record(focused) : nullptr;
  dragHome_.TopIndex = list.TopIndex();
  dragHome_.FieldsShown = p.FieldsShown();
  // An inactive dialog has no focus of its own: its control that had it.
  HWND focus = GetFocus();
  if (!IsChild(Handle(), focus))
    focus = ActiveControl() ? ActiveControl()->HandleIfAllocated() : nullptr;
  dragHome_.Focus = focus;
  outerDrag_ = true;
  SetForegroundWindow(Handle());
  SetFocus();
}

void TSetForm::OleDropTargetDragLeave(TObject*, HRESULT&) { RestoreDragHome(); }

// After the format's own drop, or alone when no format fitted.
void TSetForm::OleDropTargetDrop(TObject*, TDragContext&) { RestoreDragHome(); }

void TSetForm::RestoreDragHome() {
  if (!outerDrag_) return;
  outerDrag_ = false;
  TFeedPage& p = TB_FEED;
  TCheckListBox& list = p.CheckListBox;
  // Rows are known by their records: a drop added meanwhile moves them.
  int focused = -1;
  for (int k = 0; k < list.ItemCount(); ++k)
    if (dragHome_.Focused && p.Record(k) == dragHome_.Focused) focused = k;
  SelectFeed(focused);
  const std::vector<const TFeedRecord*>& chosen = dragHome_.Selected;
  for (int k = 0; k < list.ItemCount(); ++k)
    list.SetSelected(k, std::find(chosen.begin(), chosen.end(), p.Record(k)) != chosen.end());
  list.SetTopIndex(dragHome_.TopIndex);
  // The editor itself refilled the fields meanwhile: they follow the selection.
  if (p.FieldsShown() != dragHome_.FieldsShown) CheckListBoxClick(&list);
  // The drag took the focus to the list, where the next key would clear what was typed.
  const HWND focus = dragHome_.Focus;
  if (IsChild(Handle(), focus) && IsWindowVisible(focus) && IsWindowEnabled(focus))
    ::SetFocus(focus);
  dragHome_ = TDragHome();
}

void TSetForm::DFItem_CF_HDROP_DragOver(TObject*, TDragContext& context) {
  TCheckListBox& list = TB_FEED.CheckListBox;
  if (list.ItemCount() == 0) return;
  POINT p = context.Point;
  MapWindowPoints(Handle(), list.Handle(), &p, 1);
  const int t = list.ItemAtPos(p, true);
  if (t < 0) {
    FDropIndex = -1;
    SelectFeed(-1);
    FocusControl.SetFocus();
    return;
  }
  int c = t;
  if (p.y <= 3 && t > 0)
    c = t - 1;
  else if (p.y > list.Height() - 4 && t + 1 < list.ItemCount())
    c = t + 1;
  FDropIndex = c;
  SelectFeed(c);
  list.SetFocus();
}

void TSetForm::SwitchToFeedPage() {
  if (PageControl.ActivePage() == &TB_FEED) return;
  PageControl.SetActivePage(&TB_FEED);
  FDropIndex = -1;
  Repaint();
}

void TSetForm::DFItem_CF_HDROP_Drop(TObject*, TDragContext& context) {
  SwitchToFeedPage();
  RestoreDragHome();
  // A dropped file that cannot be read changes nothing.
  Guard("dropped file", [&] {
    TStringList names;
    GetDataObjectFiles(context.DataObject.get(), names);
    if (names.Count() > 0) QueueDroppedFeed(names[0], true);
  });
}

void TSetForm::DFItem_CF_TEXT_Drop(TObject*, TDragContext& context) {
  SwitchToFeedPage();
  RestoreDragHome();
  QueueDroppedFeed(GetDataObjectText(context.DataObject.get()), false);
}

void TSetForm::QueueDroppedFeed(const std::string& source, bool file) {
  droppedFeeds_.push_back({source, FDropIndex, file});
  PostMessageW(TB_FEED.CheckListBox.Handle(), WM_ADDDROPPEDFEEDS, 0, 0);
}

bool TSetForm::ProbeFeedBeforeDrops(std::string& url, std::string& result) {
  const bool probed = ProbeFeed(url, result);
  if (!addingDropped_ && !droppedFeeds_.empty())
    PostMessageW(TB_FEED.CheckListBox.Handle(), WM_ADDDROPPEDFEEDS, 0, 0);
  return probed;
}

void TSetForm::AddDroppedFeeds() {
  // A probe serves the message queue, and only one runs at a time: drops
  // taken meanwhile wait their turn.
  if (addingDropped_ || ProbeRunning()) return;
  FlagScope adding(addingDropped_);
  while (!droppedFeeds_.empty()) {
    const TDroppedFeed drop = droppedFeeds_.front();
    droppedFeeds_.pop_front();
    // The settings have been stored once the dialog is gone.
    if (!Visible()) continue;
    FDropIndex = drop.Index;
    if (drop.File) {
      // A dropped file that cannot be added changes nothing.
      Guard("dropped file", [&] {
        FlagScope filling(FFilling);
        AddFeedUrl(drop.Source);
      });
      SetForegroundWindow(Handle());
    } else {
      GuardEvent("dropped text", [&] {
        FlagScope filling(FFilling);
        AddFeedUrl(drop.Source);
      });
    }
  }
}
