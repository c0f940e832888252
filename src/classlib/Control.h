// The control base: bounds, alignment, events, creation values, and the
// windowless control drawn by its parent.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "Graphics.h"
#include "Guard.h"

class TObject {
 public:
  virtual ~TObject() = default;
};

typedef std::function<void(TObject* sender)> TNotifyEvent;

// mbBalloon: a click on a notification-area balloon.
enum TMouseButton { mbLeft, mbRight, mbMiddle, mbBalloon = 4 };
typedef unsigned TShiftState;
enum : unsigned {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64
};
TShiftState KeyboardShiftState();                       // from GetKeyState
TShiftState ShiftStateFromKeys(WPARAM mk, bool withAlt);  // from MK_ flags

typedef std::function<void(TObject*, TMouseButton, TShiftState, int x, int y)> TMouseEvent;
typedef std::function<void(TObject*, TShiftState, int x, int y)> TMouseMoveEvent;
typedef std::function<void(TObject*, WORD& key, TShiftState)> TKeyEvent;
typedef std::function<void(TObject*, char& key)> TKeyPressEvent;
typedef std::function<void(TObject*, TShiftState, int delta, POINT mousePos, bool& handled)>
    TMouseWheelEvent;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

typedef int TCursor;
const TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
              crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
              crHourGlass = -11, crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
              crSizeAll = -22;
HCURSOR CursorHandle(TCursor c);  // crDefault gives the arrow

// Messages of the layer (values as the Parts give them).
const UINT CM_BASE = 0xB000;
// To the focused control when a mouse button goes down on another control
// (LParam: that control): a drop-down closes.
const UINT CM_CANCELMODE = CM_BASE + 4;
const UINT CM_DIALOGKEY = CM_BASE + 5;
const UINT CM_DIALOGCHAR = CM_BASE + 6;
const UINT CM_ENABLEDCHANGED = CM_BASE + 12;
const UINT CM_COLORCHANGED = CM_BASE + 13;
const UINT CM_FONTCHANGED = CM_BASE + 14;
const UINT CM_TEXTCHANGED = CM_BASE + 18;
const UINT CM_MOUSEENTER = CM_BASE + 19;  // 0xB013
const UINT CM_MOUSELEAVE = CM_BASE + 20;  // 0xB014
const UINT CM_APPKEYDOWN = CM_BASE + 22;
const UINT CM_ENTER = CM_BASE + 26;
const UINT CM_EXIT = CM_BASE + 27;

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// A replaceable window procedure (the control's WindowProc). Two references
// are equal when they name the same object and the same procedure (Tag).
struct TWndMethod {
  std::function<void(TMessage&)> Call;
  const void* Object = nullptr;
  const void* Tag = nullptr;
  void operator()(TMessage& m) const {
    if (Call) Call(m);
  }
  explicit operator bool() const { return (bool)Call; }
  bool operator==(const TWndMethod& o) const { return Object == o.Object && Tag == o.Tag; }
  bool operator!=(const TWndMethod& o) const { return !(*this == o); }
};

class TWinControl;
class TPopupMenu;

// A member function as an event handler: .OnClick(Handler(this, &TSetForm::SB_NewClick)).
template <class T, class... A>
std::function<void(A...)> Handler(T* object, void (T::*method)(A...)) {
  return [object, method](A... a) { (object->*method)(std::forward<A>(a)...); };
}

// An event or a value of the creation values replaces the control's only
// when it is set.
template <class E>
void TakeEvent(E& event, const E& value) {
  if (value) event = value;
}
template <class T, class U>
void TakeValue(T& field, const std::optional<U>& value) {
  if (value) field = *value;
}

// Creation values. Each control class has a struct of values with defaults
// (TEditValues) and an Args type whose setters of the same names chain, so
// that a form creates a control in one line:
//   ED_Url.Create(TEditArgs().Parent(this).Bounds(8, 8, 200).MaxLength(255));
// Create applies the values through the ordinary setters and sets the parent
// last, so a window is made once with its final styles. Unset values keep
// the control's own defaults.
#define CREATE_ARG(field)                 \
  Self& field(decltype(V::field) value) { \
    V::field = std::move(value);          \
    return static_cast<Self&>(*this);     \
  }

struct TControlValues {
  TWinControl* Parent = nullptr;
  std::optional<int> Left, Top;
  int Width = -1, Height = -1;  // -1: the control's own size
  std::string Caption, Name, Hint;
  int Tag = 0;
  TAlign Align = alNone;
  std::optional<bool> Visible;
  bool Enabled = true;
  bool ShowHint = false;
  TColor Color = clDefault;  // clDefault: the control's own
  std::optional<bool> ParentColor;
  // Changes to the font taken from the parent (clDefault, 0: unchanged);
  // ParentFont false keeps the font so taken from then on.
  std::optional<TFont> Font;
  std::optional<bool> ParentFont;
  TColor FontColor = clDefault;
  int FontHeight = 0;
  std::optional<TFontStyles> FontStyle;
  TCursor Cursor = crDefault;
  TPopupMenu* PopupMenu = nullptr;
  TNotifyEvent OnClick, OnDblClick, OnResize, OnMouseEnter, OnMouseLeave;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
};

template <class Self, class V>
struct TControlArgsOf : V {
  CREATE_ARG(Parent)
  CREATE_ARG(Left)
  CREATE_ARG(Top)
  CREATE_ARG(Width)
  CREATE_ARG(Height)
  CREATE_ARG(Caption)
  CREATE_ARG(Name)
  CREATE_ARG(Hint)
  CREATE_ARG(Tag)
  CREATE_ARG(Align)
  CREATE_ARG(Visible)
  CREATE_ARG(Enabled)
  CREATE_ARG(ShowHint)
  CREATE_ARG(Color)
  CREATE_ARG(ParentColor)
  CREATE_ARG(Font)
  CREATE_ARG(ParentFont)
  CREATE_ARG(FontColor)
  CREATE_ARG(FontHeight)
  CREATE_ARG(FontStyle)
  CREATE_ARG(Cursor)
  CREATE_ARG(PopupMenu)
  CREATE_ARG(OnClick)
  CREATE_ARG(OnDblClick)
  CREATE_ARG(OnResize)
  CREATE_ARG(OnMouseEnter)
  CREATE_ARG(OnMouseLeave)
  CREATE_ARG(OnMouseDown)
  CREATE_ARG(OnMouseUp)
  CREATE_ARG(OnMouseMove)
  Self& Bounds(int left, int top, int width = -1, int height = -1) {
    V::Left = left;
    V::Top = top;
    V::Width = width;
    V::Height = height;
    return static_cast<Self&>(*this);
  }
  Self& Place(TWinControl* parent, int left, int top, int width = -1, int height = -1) {
    V::Parent = parent;
    return Bounds(left, top, width, height);
  }
};

struct TControlArgs : TControlArgsOf<TControlArgs, TControlValues> {};

class TControl : public TObject {
 public:
  TControl();
  ~TControl() override;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  std::string Name;
  int Tag = 0;

  // Applies the creation values; the parent comes last.
  void Create(const TControlValues& v);

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* p);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int l, int t, int w, int h);
  RECT BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  virtual RECT ClientRect() const { return Rect(0, 0, width_, height_); }
  int ClientWidth() const { return ClientRect().right; }
  int ClientHeight() const { return ClientRect().bottom; }
  virtual void SetClientSize(int w, int h);
  void SetClientWidth(int w) { SetClientSize(w, ClientHeight()); }
  void SetClientHeight(int h) { SetClientSize(ClientWidth(), h); }
  // Client origin of this control in screen coordinates.
  virtual POINT ClientOrigin() const;
  POINT ScreenToClient(POINT p) const;
  POINT ClientToScreen(POINT p) const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign a);
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool e);

  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& f) { font_.Assign(f); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);

  const std::string& Caption() const { return text_; }
  void SetCaption(const std::string& s) { SetText(s); }
  virtual std::string Text() const { return text_; }
  virtual void SetText(const std::string& s);

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& h) { hint_ = h; }
  bool ShowHint = false;
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c) { cursor_ = c; }
  TPopupMenu* PopupMenu() const { return popup_; }
  void SetPopupMenu(TPopupMenu* m) { popup_ = m; }

  // The window procedure of the control; replaceable (see TWndMethod).
  TWndMethod WindowProc;
  LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0);
  virtual bool IsWindowed() const { return false; }

  virtual void Invalidate();
  virtual void Update();
  void Repaint() {
    Invalidate();
    Update();
  }
  void Refresh() { Repaint(); }
  virtual void BringToFront();
  virtual void SendToBack();

  // Called once when this control is destroyed (before the parent link goes).
  void AddFreeNotification(const void* key, std::function<void()> fn);
  void RemoveFreeNotification(const void* key);

  TNotifyEvent OnClick, OnDblClick, OnResize, OnMouseEnter, OnMouseLeave;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  bool MouseInClient() const { return mouseInside_; }

  virtual void Click();
  virtual void DblClick();

 protected:
  // Default message handling of the layer; overrides call the base for what
  // they do not handle.
  virtual void HandleMessage(TMessage& m);
  // What is left after HandleMessage: DefWindowProc / the system class.
  virtual void DefaultHandler(TMessage& m) { m.Result = 0; }

  virtual void MouseDown(TMouseButton b, TShiftState s, int x, int y);
  virtual void MouseMove(TShiftState s, int x, int y);
  virtual void MouseUp(TMouseButton b, TShiftState s, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Resize();
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void TextChanged() { Invalidate(); }
  virtual void VisibleChanged();
  virtual void EnabledChanged() { Invalidate(); }
  // Bounds were changed (after the stored values); windowed controls move.
  virtual void BoundsChanged(bool sized);
  void RequestAlign();
  void InvalidateRect(const RECT& r);  // in control coordinates
  // The values of Create other than the parent, and the font changes that
  // follow it.
  void ApplyValues(const TControlValues& v);
  void ApplyFontValues(const TControlValues& v);
  // Runs paint on canvas, lent dc and set up with the control's font and colour.
  void PaintOnCanvas(TCanvas& canvas, HDC dc, const std::function<void()>& paint);

  friend class TWinControl;
  inline static TControl* hover_ = nullptr;  // the control the mouse is over
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  bool visible_ = true;
  bool enabled_ = true;
  TFont font_;
  bool parentFont_ = true;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  std::string text_, hint_;
  TCursor cursor_ = crDefault;
  TPopupMenu* popup_ = nullptr;
  bool mouseInside_ = false;
  bool settingParentFont_ = false;
  bool clickOnMouseUp_ = true;  // Click on a left button-up inside (painted and own-class controls)
  bool pressed_ = false;
  struct FreeNote {
    const void* key;
    std::function<void()> fn;
  };
  std::vector<FreeNote> freeNotes_;
};

// A windowless control drawn by its parent; its mouse input is routed from it.
class TGraphicControl : public TControl {
 public:
  TGraphicControl();
  // Valid during Paint.
  TCanvas& Canvas() { return canvas_; }
  // The parent calls this with dc positioned at the control's origin.
  void PaintTo(HDC dc);

 protected:
  virtual void Paint() {}
  TCanvas canvas_;
};
