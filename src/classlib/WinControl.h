// The windowed control: the HWND wrapper, its children and its messages.
#pragma once
#include <string>
#include <vector>

#include <windows.h>

#include "Control.h"
#include "MessageReflection.h"

// Window creation values; CreateParams fills them.
struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  HMENU Id = nullptr;
  std::wstring WinClassName;  // own class registered on first use
  UINT ClassStyle = CS_DBLCLKS;
  std::wstring SysClass;  // a system class ("BUTTON", "EDIT"...) to subclass instead
};

struct TWinControlValues : TControlValues {
  std::optional<bool> TabStop;
  int TabOrder = -1;  // -1: after the parent's other windows
  bool DoubleBuffered = false;
  TNotifyEvent OnEnter, OnExit;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseWheelEvent OnMouseWheel;
};

template <class Self, class V>
struct TWinControlArgsOf : TControlArgsOf<Self, V> {
  CREATE_ARG(TabStop)
  CREATE_ARG(TabOrder)
  CREATE_ARG(DoubleBuffered)
  CREATE_ARG(OnEnter)
  CREATE_ARG(OnExit)
  CREATE_ARG(OnKeyDown)
  CREATE_ARG(OnKeyUp)
  CREATE_ARG(OnKeyPress)
  CREATE_ARG(OnMouseWheel)
};
struct TWinControlArgs : TWinControlArgsOf<TWinControlArgs, TWinControlValues> {};

class TWinControl : public TControl {
 public:
  TWinControl();
  ~TWinControl() override;

  void Create(const TWinControlValues& v);

  HWND Handle();  // creates the window (and the parents') when needed
  bool HandleAllocated() const { return hwnd_ != nullptr; }
  HWND HandleIfAllocated() const { return hwnd_; }
  void HandleNeeded() { Handle(); }
  void RecreateWnd();
  static TWinControl* FromHandle(HWND h);  // the object of one of our windows, or null

  int ControlCount() const { return (int)controls_.size(); }
  TControl* Controls(int i) const { return controls_[i]; }
  // Windowed children in tab order.
  std::vector<TWinControl*> TabList() const;
  // The deepest visible child at p (client coordinates); graphic and windowed.
  TControl* ControlAtPos(POINT p, bool allowDisabled, bool allLevels = false);
  bool ContainsControl(const TControl* c) const;

  bool TabStop = false;
  int TabOrder() const;
  void SetTabOrder(int order);
  bool Focused() const;
  virtual bool CanFocus() const;
  virtual void SetFocus();

  bool DoubleBuffered = false;
  // What the window paints under its graphic children, into any DC; for a
  // child that keeps a copy of itself drawn over it.
  void PaintBackground(HDC dc) { PaintWindow(dc); }
  // Own layout pass: aligned children then the rest.
  void Realign();
  void DisableAlign() { ++alignLock_; }
  void EnableAlign();
  // Alignment area (client rect less border); panels narrow it.
  virtual RECT AlignRect() const { return ClientRect(); }

  RECT ClientRect() const override;
  POINT ClientOrigin() const override;
  void SetBounds(int l, int t, int w, int h) override;
  void SetVisible(bool v) override;
  void SetEnabled(bool e) override;
  void SetParent(TWinControl* p) override;
  std::string Text() const override;
  void SetText(const std::string& s) override;
  bool IsWindowed() const override { return true; }
  void Invalidate() override;
  void Update() override;
  void BringToFront() override;
  void SendToBack() override;

  TNotifyEvent OnEnter, OnExit;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseWheelEvent OnMouseWheel;

 protected:
  virtual void CreateParams(TCreateParams& p);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // After the window exists: fonts, texts, children.
  virtual void CreateHandleDone() {}
  void HandleMessage(TMessage& m) override;
  void DefaultHandler(TMessage& m) override;
  // Paint of own-class windows: background then graphic children.
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc, TControl* first = nullptr);
  virtual void EraseBackground(HDC dc);
  void FontChanged() override;
  void ColorChanged() override;
  void BoundsChanged(bool sized) override;

  // The layer's part of WM_SETFOCUS: the form's active control, OnEnter.
  void FocusGained();
  virtual void KeyDown(WORD& key, TShiftState s);
  virtual void KeyUp(WORD& key, TShiftState s);
  virtual void KeyPress(char& key);
  virtual void DoEnter();
  virtual void DoExit();
  virtual bool DoMouseWheel(TShiftState s, int delta, POINT pos);
  // Dialog keys (Tab, Enter, Escape, arrows) the control wants itself.
  virtual bool WantsKey(WORD key);
  // Background brush for WM_CTLCOLOR* of a system-class control.
  HBRUSH ColorBrush();

  virtual void AlignControls(RECT& r);

  friend class TControl;
  friend class TApplication;

 public:
  static LRESULT CALLBACK StaticWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

 protected:
  void Insert(TControl* c);
  void Remove(TControl* c);
  void UpdateMouseControl(POINT clientPt);
  void SendCancelMode(TControl* pressed);
  bool RouteMouseToGraphic(TMessage& m);
  void DoKeyMessage(TMessage& m);

  HWND hwnd_ = nullptr;
  WNDPROC sysProc_ = nullptr;
  bool destroying_ = false;
  std::vector<TControl*> controls_;
  int alignLock_ = 0;
  bool aligning_ = false;
  BrushHandle colorBrush_;
  TColor colorBrushColor_ = clNone;
  TControl* captureControl_ = nullptr;
  bool trackingLeave_ = false;
  int tabOrder_ = 0;

 private:
  // What HandleMessage hands each message to; a bool result says whether the
  // message was handled, or goes on to the base.
  bool ReflectToChild(TMessage& m);
  TWinControl* ReflectionTarget(const TMessage& m);
  bool MenuMessage(TMessage& m);
  void CnCtlColor(TMessage& m);
  void CnKeyDown(TMessage& m);
  void WmPaint();
  void WmWindowPosChanged(TMessage& m);
  bool WmMouseWheel(TMessage& m);
  bool WmSetCursor(TMessage& m);
  bool WmContextMenu(TMessage& m);
  void WmMouseLeave();
  void WmMouse(TMessage& m);
};

// A windowed control that paints itself on a Canvas.
class TCustomControl : public TWinControl {
 public:
  TCanvas& Canvas() { return canvas_; }

 protected:
  void PaintWindow(HDC dc) override;
  virtual void Paint();  // fills with Color when not overridden
  TCanvas canvas_;
};

// The control under a screen point, graphic controls included: the deepest
// one of the window there; null over windows of others.
TControl* FindDragTarget(POINT screen, bool allowDisabled);

// Registers (once) an own window class with the layer's window procedure.
bool RegisterControlClass(const std::wstring& name, UINT style, HBRUSH background = nullptr);
