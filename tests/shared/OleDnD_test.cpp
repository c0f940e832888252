#include "shared/OleDnD.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/PopupControl.h"
#include "shared/DataObjects.h"
#include "common/TestDataObject.h"

TEST(ClipboardFormatByName, StandardNamesGiveTheirNumbers) {
  EXPECT_EQ(1, ClipboardFormatByName("CF_TEXT"));
  EXPECT_EQ(13, ClipboardFormatByName("CF_UNICODETEXT"));
  EXPECT_EQ(15, ClipboardFormatByName("CF_HDROP"));
  EXPECT_EQ(0x8E, ClipboardFormatByName("CF_DSPENHMETAFILE"));
  EXPECT_EQ(17, ClipboardFormatByName("CF_MAX"));
}

TEST(ClipboardFormatByName, OtherNamesAreRegisteredFormats) {
  CLIPFORMAT lower = ClipboardFormatByName("cf_text");
  EXPECT_GE(lower, 0xC000);
  EXPECT_EQ(RegisterClipboardFormatW(L"cf_text"), lower);
  CLIPFORMAT idList = ClipboardFormatByName("Shell IDList Array");
  EXPECT_EQ(RegisterClipboardFormatW(L"Shell IDList Array"), idList);
  EXPECT_GE(ClipboardFormatByName("CF_NOSUCH"), 0xC000);
  EXPECT_EQ(0, ClipboardFormatByName(""));
}

TEST(DropEffectConversions, KeysGiveTheWantedEffect) {
  EXPECT_EQ(ekCopy, KeyStateToDropEffect(0));
  EXPECT_EQ(ekCopy, KeyStateToDropEffect(MK_CONTROL));
  EXPECT_EQ(ekMove, KeyStateToDropEffect(MK_SHIFT | MK_LBUTTON));
  EXPECT_EQ(ekLink, KeyStateToDropEffect(MK_SHIFT | MK_CONTROL));
}

TEST(DropEffectConversions, SetsAndBitsRoundTripIgnoringOtherBits) {
  EXPECT_EQ((TDropEffects{ekCopy, ekLink}), DropEffectsFromValue(0x1 | 0x4 | 0x80000000));
  EXPECT_TRUE(DropEffectsFromValue(0).Empty());
  EXPECT_EQ(0x7u, DropEffectsToValue({ekCopy, ekMove, ekLink}));
  EXPECT_EQ(0u, DropEffectsToValue({ekNone}));
}

namespace {

// A popup at a known place on the screen.
class PlacedPopup : public PopupControl {
 protected:
  void CreateParams(TCreateParams& p) override {
    PopupControl::CreateParams(p);
    p.X = 100;
    p.Y = 50;
    p.Width = 200;
    p.Height = 100;
  }
};

// The settings dialog's list: files by default effects, text by copy or link.
class DropFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    files = &target.Formats().Add();
    files->SetFormatName("CF_HDROP");
    text = &target.Formats().Add();
    text->SetFormatName("CF_TEXT");
    text->DropEffects = {ekCopy, ekLink};
    for (TDFItem* item : {files, text}) {
      item->OnDragEnter = [this](TObject* s, TDragContext&) { Log("enter:", s); };
      item->OnDragOver = [this](TObject* s, TDragContext&) { Log("over:", s); };
      item->OnDrop = [this](TObject* s, TDragContext&) { Log("drop:", s); };
    }
    target.OnDragEnter = [this](TObject* s, TDragContext& c) {
      Log("enter:", s);
      lastPoint = c.Point;
    };
    target.OnDragOver = [this](TObject* s, TDragContext&) { Log("over:", s); };
    target.OnDrop = [this](TObject* s, TDragContext& c) {
      Log("drop:", s);
      if (c.DataObject) dropped = GetDataObjectText(c.DataObject.get());
    };
    target.OnDragLeave = [this](TObject* s, HRESULT&) { Log("leave:", s); };
  }
  void Log(const char* what, TObject* sender) {
    std::string who = sender == &target ? "target"
                      : sender == files ? "files"
                      : sender == text  ? "text"
                                        : "?";
    log.push_back(what + who);
  }
  DWORD Enter(IDataObject* obj, DWORD keys, DWORD offered, POINTL pt = {0, 0}) {
    DWORD effect = offered;
    EXPECT_EQ(S_OK, target.DropTarget()->DragEnter(obj, keys, pt, &effect));
    return effect;
  }
  DWORD Over(DWORD keys, DWORD offered) {
    DWORD effect = offered;
    EXPECT_EQ(S_OK, target.DropTarget()->DragOver(keys, POINTL{0, 0}, &effect));
    return effect;
  }

  TOleDropTarget target;
  TDFItem* files = nullptr;
  TDFItem* text = nullptr;
  std::vector<std::string> log;
  std::string dropped;
  POINT lastPoint = {-1, -1};
};

typedef std::vector<std::string> Lines;

}  // namespace

TEST_F(DropFixture, TextWithShiftAndCtrlGetsLink) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  EXPECT_EQ((DWORD)DROPEFFECT_LINK,
            Enter(obj.get(), MK_SHIFT | MK_CONTROL, DROPEFFECT_COPY | DROPEFFECT_LINK));
  EXPECT_EQ(text, target.CurrentItem());
  EXPECT_EQ((Lines{"enter:text", "enter:target"}), log);
}

TEST_F(DropFixture, AWantedEffectTheItemRefusesFallsBackToCopy) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  EXPECT_EQ((DWORD)DROPEFFECT_COPY,
            Enter(obj.get(), MK_SHIFT, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
}

TEST_F(DropFixture, CtrlAloneGivesCopy) {
  auto obj = TestDataObject::Create();
  obj->OfferFiles({L"C:\\a.opml"});
  EXPECT_EQ((DWORD)DROPEFFECT_COPY,
            Enter(obj.get(), MK_CONTROL, DROPEFFECT_COPY | DROPEFFECT_LINK));
  EXPECT_EQ(files, target.CurrentItem());
}

TEST_F(DropFixture, TheFirstListedFittingFormatWins) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  obj->OfferFiles({L"C:\\a.opml"});
  Enter(obj.get(), 0, DROPEFFECT_COPY);
  EXPECT_EQ(files, target.CurrentItem());
  // Link is not allowed for files, so text is the first that fits.
  EXPECT_EQ((DWORD)DROPEFFECT_LINK, Enter(obj.get(), 0, DROPEFFECT_LINK));
  EXPECT_EQ(text, target.CurrentItem());
}

TEST_F(DropFixture, AMoveOnlySourceFindsNoItem) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  obj->OfferFiles({L"C:\\a.opml"});
  EXPECT_EQ((DWORD)DROPEFFECT_NONE, Enter(obj.get(), 0, DROPEFFECT_MOVE));
  EXPECT_EQ(nullptr, target.CurrentItem());
  EXPECT_EQ((Lines{"enter:target"}), log);
}

TEST_F(DropFixture, DragOverChoosesAgainWithTheEnteredObject) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  Enter(obj.get(), 0, DROPEFFECT_COPY | DROPEFFECT_LINK);
  log.clear();
  EXPECT_EQ((DWORD)DROPEFFECT_LINK, Over(MK_SHIFT | MK_CONTROL, DROPEFFECT_COPY | DROPEFFECT_LINK));
  EXPECT_EQ((DWORD)DROPEFFECT_NONE, Over(0, DROPEFFECT_MOVE));
  EXPECT_EQ(nullptr, target.CurrentItem());
  EXPECT_EQ((Lines{"over:text", "over:target", "over:target"}), log);
}

TEST_F(DropFixture, ADropHandsTheObjectToTheItemThenTheComponent) {
  auto obj = TestDataObject::Create();
  obj->OfferText("http://example.jp/rss");
  Enter(obj.get(), 0, DROPEFFECT_COPY);
  Over(0, DROPEFFECT_COPY);
  log.clear();
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(S_OK, target.DropTarget()->Drop(obj.get(), 0, POINTL{0, 0}, &effect));
  EXPECT_EQ((Lines{"drop:text", "drop:target"}), log);
  EXPECT_EQ("http://example.jp/rss", dropped);
  EXPECT_EQ((DWORD)DROPEFFECT_NONE, effect);  // unless a handler sets one
  EXPECT_EQ(nullptr, target.DropTarget()->GetDataObject());
}

TEST_F(DropFixture, ADropAfterADragOverWithoutAnItemRunsOnlyTheComponent) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  Enter(obj.get(), 0, DROPEFFECT_MOVE);
  log.clear();
  DWORD effect = DROPEFFECT_MOVE;
  target.DropTarget()->Drop(obj.get(), 0, POINTL{0, 0}, &effect);
  EXPECT_EQ((Lines{"drop:target"}), log);
  EXPECT_EQ((DWORD)DROPEFFECT_NONE, effect);
}

TEST_F(DropFixture, ADropHandlerChoosesTheEffectReported) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  target.OnDrop = [](TObject*, TDragContext& c) { c.Effect = DROPEFFECT_COPY; };
  Enter(obj.get(), 0, DROPEFFECT_COPY);
  DWORD effect = DROPEFFECT_COPY;
  target.DropTarget()->Drop(obj.get(), 0, POINTL{0, 0}, &effect);
  EXPECT_EQ((DWORD)DROPEFFECT_COPY, effect);
}

TEST_F(DropFixture, LeaveRunsOnlyTheComponentAndLetsGoOfTheObject) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  ULONG before = obj->RefCount();
  Enter(obj.get(), 0, DROPEFFECT_COPY);
  EXPECT_GT(obj->RefCount(), before);
  EXPECT_EQ((DWORD)DROPEFFECT_COPY, target.DropTarget()->GetEffect());
  log.clear();
  EXPECT_EQ(S_OK, target.DropTarget()->DragLeave());
  EXPECT_EQ((Lines{"leave:target"}), log);
  EXPECT_EQ(before, obj->RefCount());
  EXPECT_EQ(0u, target.DropTarget()->GetEffect());
  EXPECT_EQ(text, target.CurrentItem());
}

TEST_F(DropFixture, ThePointReachesHandlersInClientCoordinates) {
  PlacedPopup window;
  target.SetWinControl(&window);
  POINT origin = window.ClientToScreen(POINT{0, 0});
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  Enter(obj.get(), 0, DROPEFFECT_COPY, POINTL{origin.x + 12, origin.y + 7});
  EXPECT_EQ(12, lastPoint.x);
  EXPECT_EQ(7, lastPoint.y);
  target.SetWinControl(nullptr);
}

TEST_F(DropFixture, AnItemDeletedDuringADragIsForgotten) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  Enter(obj.get(), 0, DROPEFFECT_COPY);
  target.Formats().Delete(1);
  EXPECT_EQ(nullptr, target.CurrentItem());
  log.clear();
  DWORD effect = DROPEFFECT_COPY;
  target.DropTarget()->Drop(obj.get(), 0, POINTL{0, 0}, &effect);
  EXPECT_EQ((Lines{"drop:target"}), log);
}

TEST(DropTargetFormats, AssigningTheCollectionWholeIsRefused) {
  TOleDropTarget target;
  TDFItems other(nullptr);
  EXPECT_THROW(target.SetFormats(other), std::runtime_error);
}

TEST(DropTargetFormats, AnItemWithoutANameShowsTheDefault) {
  TDFItem item;
  EXPECT_EQ("TDFItem", item.DisplayName());
  EXPECT_EQ(0, item.Format());
  EXPECT_TRUE(item.DropEffects == TDropEffects{ekCopy});
}

// The window's OLE registration: a second RegisterDragDrop on a registered
// window is refused.
TEST(DropTargetRegistration, BoundWindowIsRegisteredAcrossRecreationAndRevokedOnUnbind) {
  TOleDropTarget target;
  PlacedPopup window;
  target.SetWinControl(&window);
  ComPtr<IDropTargetBroker> probe = CreateDropTargetImpl();
  HWND first = window.HandleIfAllocated();
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(DRAGDROP_E_ALREADYREGISTERED, RegisterDragDrop(first, probe.get()));

  window.RecreateWnd();
  HWND second = window.HandleIfAllocated();
  EXPECT_EQ(DRAGDROP_E_ALREADYREGISTERED, RegisterDragDrop(second, probe.get()));

  target.SetWinControl(nullptr);
  EXPECT_EQ(S_OK, RegisterDragDrop(second, probe.get()));
  RevokeDragDrop(second);
}

TEST(DropTargetRegistration, TheRegistrationLetsGoOfTheObject) {
  PlacedPopup window;
  ComPtr<IDropTargetBroker> kept;
  {
    TOleDropTarget target;
    target.SetWinControl(&window);
    kept = ComPtr<IDropTargetBroker>::Share(target.DropTarget());
  }
  // Ours is now the only reference left.
  EXPECT_EQ(0u, kept.release()->Release());
}
