#include "shared/OleDnD.h"

#include <cstring>
#include <stdexcept>

#include "classlib/Text.h"
#include "shared/DataObjects.h"

CLIPFORMAT ClipboardFormatByName(const std::string& name) {
  static const struct {
    const char* name;
    CLIPFORMAT value;
  } standard[] = {
      {"CF_BITMAP", 2},           {"CF_DIB", 8},           {"CF_DIF", 5},
      {"CF_DSPBITMAP", 0x82},     {"CF_DSPENHMETAFILE", 0x8E},
      {"CF_DSPMETAFILEPICT", 0x83}, {"CF_DSPTEXT", 0x81},   {"CF_ENHMETAFILE", 14},
      {"CF_HDROP", 15},           {"CF_LOCALE", 16},       {"CF_UNICODETEXT", 13},
      {"CF_MAX", 17},             {"CF_METAFILEPICT", 3},  {"CF_OEMTEXT", 7},
      {"CF_OWNERDISPLAY", 0x80},  {"CF_PALETTE", 9},       {"CF_PENDATA", 10},
      {"CF_RIFF", 11},            {"CF_SYLK", 4},          {"CF_TEXT", 1},
      {"CF_TIFF", 6},             {"CF_WAVE", 12},
  };
  if (name.compare(0, 3, "CF_") == 0) {
    for (const auto& s : standard)
      if (name == s.name) return s.value;
  }
  if (name.empty()) return 0;
  return static_cast<CLIPFORMAT>(RegisterClipboardFormatW(SjisToWide(name).c_str()));
}

TDropEffect KeyStateToDropEffect(DWORD keyState) {
  if (keyState & MK_SHIFT) return (keyState & MK_CONTROL) ? ekLink : ekMove;
  return ekCopy;
}

TDropEffects DropEffectsFromValue(DWORD value) {
  TDropEffects r;
  if (value & DROPEFFECT_COPY) r.Include(ekCopy);
  if (value & DROPEFFECT_MOVE) r.Include(ekMove);
  if (value & DROPEFFECT_LINK) r.Include(ekLink);
  return r;
}

DWORD DropEffectsToValue(TDropEffects effects) {
  DWORD v = 0;
  if (effects.Contains(ekCopy)) v |= DROPEFFECT_COPY;
  if (effects.Contains(ekMove)) v |= DROPEFFECT_MOVE;
  if (effects.Contains(ekLink)) v |= DROPEFFECT_LINK;
  return v;
}

void TDFItem::SetFormatName(const std::string& name) {
  formatName_ = name;
  format_ = ClipboardFormatByName(name);
}

std::string TDFItem::DisplayName() const { return formatName_.empty() ? "TDFItem" : formatName_; }

TDFItem& TDFItems::Add() {
  items_.push_back(std::make_unique<TDFItem>());
  return *items_.back();
}

void TDFItems::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  if (owner_ && owner_->currentItem_ == items_[index].get()) owner_->currentItem_ = nullptr;
  items_.erase(items_.begin() + index);
}

namespace {

class TDropTargetImpl final : public IDropTargetBroker {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
  }

  STDMETHODIMP DragEnter(IDataObject* dataObject, DWORD keyState, POINTL pt,
                         DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    dataObject_ = ComPtr<IDataObject>::Share(dataObject);
    effect_ = *effect;
    HRESULT result = S_OK;
    Run([&] {
      if (events_.DragEnter) events_.DragEnter(dataObject, keyState, Pt(pt), *effect, result);
    }, effect);
    return result;
  }
  STDMETHODIMP DragOver(DWORD keyState, POINTL pt, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    effect_ = *effect;
    HRESULT result = S_OK;
    Run([&] {
      if (events_.DragOver) events_.DragOver(keyState, Pt(pt), *effect, result);
    }, effect);
    return result;
  }
  STDMETHODIMP DragLeave() override {
    effect_ = 0;
    HRESULT result = S_OK;
    Run([&] {
      if (events_.DragLeave) events_.DragLeave(result);
    }, nullptr);
    dataObject_.reset();
    return result;
  }
  STDMETHODIMP Drop(IDataObject* dataObject, DWORD keyState, POINTL pt, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    dataObject_ = ComPtr<IDataObject>::Share(dataObject);
    HRESULT result = S_OK;
    *effect = DROPEFFECT_NONE;
    effect_ = 0;
    Run([&] {
      if (events_.Drop) events_.Drop(dataObject, keyState, Pt(pt), *effect, result);
    }, effect);
    dataObject_.reset();
    return result;
  }

  TIDropTargetEvents* STDMETHODCALLTYPE GetEvents() override { return &events_; }
  IDataObject* STDMETHODCALLTYPE GetDataObject() override { return dataObject_.get(); }
  DWORD STDMETHODCALLTYPE GetEffect() override { return effect_; }

 private:
  static POINT Pt(POINTL p) {
    POINT r = {p.x, p.y};
    return r;
  }
  // The handlers run inside an OLE call: nothing may unwind into it. A failed
  // handler refuses the drop.
  template <class F>
  static void Run(F f, DWORD* effect) {
    bool ok = false;
    GuardEvent("drop target event", [&] {
      f();
      ok = true;
    });
    if (!ok && effect) *effect = DROPEFFECT_NONE;
  }

  LONG refs_ = 1;
  TIDropTargetEvents events_;
  ComPtr<IDataObject> dataObject_;
  DWORD effect_ = 0;
};

// OLE for the GUI thread, from the first drop target to the end of the program.
struct OleRuntime {
  OleRuntime() : ok(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleRuntime() {
    if (ok) OleUninitialize();
  }
  bool ok;
};

}  // namespace

ComPtr<IDropTargetBroker> CreateDropTargetImpl() {
  // The pointer takes over the reference a new object starts with.
  return ComPtr<IDropTargetBroker>(new TDropTargetImpl);
}

TCustomOleDropTarget::TCustomOleDropTarget() : formats_(this), dropTarget_(CreateDropTargetImpl()) {
  static OleRuntime ole;
  TIDropTargetEvents* ev = dropTarget_->GetEvents();
  ev->DragEnter = [this](IDataObject* obj, DWORD ks, POINT pt, DWORD& effect, HRESULT& result) {
    DragEnterOrOver(obj, ks, pt, effect, result, true);
  };
  ev->DragOver = [this](DWORD ks, POINT pt, DWORD& effect, HRESULT& result) {
    DragEnterOrOver(dropTarget_->GetDataObject(), ks, pt, effect, result, false);
  };
  ev->DragLeave = [this](HRESULT& result) {
    if (OnDragLeave) OnDragLeave(this, result);
  };
  ev->Drop = [this](IDataObject*, DWORD ks, POINT pt, DWORD& effect, HRESULT& result) {
    DropHere(ks, pt, effect, result);
  };
}

TCustomOleDropTarget::~TCustomOleDropTarget() {
  SetControl(nullptr);
  // The registration may outlive us for a moment; its calls must not reach us.
  *dropTarget_->GetEvents() = TIDropTargetEvents();
  currentItem_ = nullptr;
  formats_.Clear();
}

void TCustomOleDropTarget::SetFormats(const TDFItems&) {
  throw std::runtime_error("この動作はサポートされていません.");
}

TDropEffect TCustomOleDropTarget::ChooseFormat(IDataObject* dataObject, DWORD keyState,
                                               DWORD offered) {
  TDropEffects allowed = DropEffectsFromValue(offered);
  TDataObjectReader reader(dataObject);
  for (int i = 0; i < formats_.Count(); ++i) {
    TDFItem& item = formats_.Items(i);
    if (!reader.HasFormat(item.Format())) continue;
    TDropEffects common = item.DropEffects * allowed;
    if (common.Empty()) continue;
    currentItem_ = &item;
    TDropEffect wanted = KeyStateToDropEffect(keyState);
    if (common.Contains(wanted)) return wanted;
    for (TDropEffect e : {ekCopy, ekMove, ekLink})
      if (common.Contains(e)) return e;
  }
  return ekNone;
}

POINT TCustomOleDropTarget::ClientPoint(POINT screen) const {
  return Control() ? Control()->ScreenToClient(screen) : screen;
}

void TCustomOleDropTarget::DragEnterOrOver(IDataObject* dataObject, DWORD keyState, POINT pt,
                                           DWORD& effect, HRESULT& result, bool enter) {
  currentItem_ = nullptr;
  effect = DropEffectsToValue({ChooseFormat(dataObject, keyState, effect)});
  TDragContext ctx;
  ctx.DataObject = ComPtr<IDataObject>::Share(dataObject);
  ctx.KeyState = keyState;
  ctx.Point = ClientPoint(pt);
  ctx.Effect = effect;
  ctx.Result = result;
  if (TDFItem* item = currentItem_) {
    const TOleDragEvent& ev = enter ? item->OnDragEnter : item->OnDragOver;
    if (ev) ev(item, ctx);
  }
  const TOleDragEvent& own = enter ? OnDragEnter : OnDragOver;
  if (own) own(this, ctx);
  effect = ctx.Effect;
  result = ctx.Result;
}

void TCustomOleDropTarget::DropHere(DWORD keyState, POINT pt, DWORD& effect, HRESULT& result) {
  effect = dropTarget_->GetEffect();
  TDragContext ctx;
  ctx.DataObject = ComPtr<IDataObject>::Share(dropTarget_->GetDataObject());
  ctx.KeyState = keyState;
  ctx.Point = ClientPoint(pt);
  ctx.Effect = effect;
  ctx.Result = result;
  if (TDFItem* item = currentItem_)
    if (item->OnDrop) item->OnDrop(item, ctx);
  if (OnDrop) OnDrop(this, ctx);
  effect = ctx.Effect;
  result = ctx.Result;
}

void TCustomOleDropTarget::RegisterTarget(HWND handle) {
  RegisterDragDrop(handle, dropTarget_.get());
}

void TCustomOleDropTarget::RevokeTarget(HWND handle) { RevokeDragDrop(handle); }

void TDFItems::Clear() {
  if (owner_) owner_->currentItem_ = nullptr;
  items_.clear();
}
