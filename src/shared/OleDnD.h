// OLE drop target: a component bound to a windowed control that accepts
// drops of the listed clipboard formats, and the OLE object behind it.
#pragma once
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include <ole2.h>

#include "classlib/Handles.h"
#include "shared/MSGSnatchers.h"

enum TDropEffect { ekNone, ekCopy, ekMove, ekLink };

class TDropEffects {
 public:
  TDropEffects() = default;
  TDropEffects(std::initializer_list<TDropEffect> effects) {
    for (TDropEffect e : effects) Include(e);
  }
  bool Contains(TDropEffect e) const { return (bits_ >> e) & 1u; }
  void Include(TDropEffect e) { bits_ |= 1u << e; }
  bool Empty() const { return bits_ == 0; }
  TDropEffects operator*(TDropEffects o) const {  // intersection
    TDropEffects r;
    r.bits_ = bits_ & o.bits_;
    return r;
  }
  bool operator==(TDropEffects o) const { return bits_ == o.bits_; }
  bool operator!=(TDropEffects o) const { return bits_ != o.bits_; }

 private:
  unsigned bits_ = 0;
};

struct TDragContext {
  ComPtr<IDataObject> DataObject;
  DWORD KeyState = 0;  // MK_ flags
  POINT Point = {0, 0};  // client coordinates of the bound control
  DWORD Effect = DROPEFFECT_NONE;
  HRESULT Result = S_OK;
};

typedef std::function<void(TObject* sender, TDragContext& context)> TOleDragEvent;
typedef std::function<void(TObject* sender, HRESULT& result)> TOleDragLeaveEvent;

// Standard format names ("CF_TEXT"...) give their numbers; any other name
// is registered as a custom format (0 when that fails).
CLIPFORMAT ClipboardFormatByName(const std::string& name);
TDropEffect KeyStateToDropEffect(DWORD keyState);
TDropEffects DropEffectsFromValue(DWORD value);
DWORD DropEffectsToValue(TDropEffects effects);

class TCustomOleDropTarget;

// One accepted format with its effects and events (sender: the item).
class TDFItem : public TObject {
 public:
  TDropEffects DropEffects{ekCopy};
  int Tag = 0;
  TOleDragEvent OnDragEnter, OnDragOver, OnDrop;

  const std::string& FormatName() const { return formatName_; }
  // Resolves the format at once (forms here are built in code, not loaded).
  void SetFormatName(const std::string& name);
  CLIPFORMAT Format() const { return format_; }
  std::string DisplayName() const;

 private:
  std::string formatName_;
  CLIPFORMAT format_ = 0;
};

class TDFItems {
 public:
  explicit TDFItems(TCustomOleDropTarget* owner) : owner_(owner) {}
  TDFItem& Add();
  int Count() const { return (int)items_.size(); }
  TDFItem& Items(int index) const { return *items_.at(index); }
  void Delete(int index);
  void Clear();
  TCustomOleDropTarget* Owner() const { return owner_; }

 private:
  TCustomOleDropTarget* owner_;
  std::vector<std::unique_ptr<TDFItem>> items_;
};

// The slots the OLE object calls; points are in screen coordinates.
struct TIDropTargetEvents {
  std::function<void(IDataObject*, DWORD keyState, POINT pt, DWORD& effect, HRESULT& result)>
      DragEnter;
  std::function<void(DWORD keyState, POINT pt, DWORD& effect, HRESULT& result)> DragOver;
  std::function<void(HRESULT& result)> DragLeave;
  std::function<void(IDataObject*, DWORD keyState, POINT pt, DWORD& effect, HRESULT& result)>
      Drop;
};

struct IDropTargetBroker : public IDropTarget {
  virtual TIDropTargetEvents* STDMETHODCALLTYPE GetEvents() = 0;
  // The data object of the drag in progress (not AddRef'ed), or nullptr.
  virtual IDataObject* STDMETHODCALLTYPE GetDataObject() = 0;
  virtual DWORD STDMETHODCALLTYPE GetEffect() = 0;
};

// Creates the reference-counted OLE object, held by the returned pointer alone.
ComPtr<IDropTargetBroker> CreateDropTargetImpl();

class TCustomOleDropTarget : public TCustomWinMessageSnatcher {
 public:
  TCustomOleDropTarget();
  ~TCustomOleDropTarget() override;

  TDFItems& Formats() { return formats_; }
  // The collection is edited item by item; assigning it whole throws.
  void SetFormats(const TDFItems& formats);
  TDFItem* CurrentItem() const { return currentItem_; }
  IDropTargetBroker* DropTarget() const { return dropTarget_.get(); }
  // The effect for the first listed format that the data offers with an
  // effect both sides allow; sets CurrentItem.
  TDropEffect ChooseFormat(IDataObject* dataObject, DWORD keyState, DWORD offered);

  TOleDragEvent OnDragEnter, OnDragOver, OnDrop;
  TOleDragLeaveEvent OnDragLeave;

 protected:
  void RegisterTarget(HWND handle) override;
  void RevokeTarget(HWND handle) override;

 private:
  friend class TDFItems;
  POINT ClientPoint(POINT screen) const;
  void DragEnterOrOver(IDataObject* dataObject, DWORD keyState, POINT pt, DWORD& effect,
                       HRESULT& result, bool enter);
  void DropHere(DWORD keyState, POINT pt, DWORD& effect, HRESULT& result);

  TDFItems formats_;
  TDFItem* currentItem_ = nullptr;
  ComPtr<IDropTargetBroker> dropTarget_;
};

class TOleDropTarget : public TCustomOleDropTarget {
 public:
  TWinControl* WinControl() const { return dynamic_cast<TWinControl*>(Control()); }
  void SetWinControl(TWinControl* control) { SetControl(control); }
};
