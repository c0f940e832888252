// Top-level windows: plain and modal forms.
#pragma once
#include <string>

#include "Controls.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poScreenCenter, poOwnerFormCenter, poMainFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
typedef unsigned TBorderIcons;

typedef int TModalResult;
const TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                   mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

class TForm;
// The form a control sits on (climbing Parent), or null.
TForm* GetParentForm(const TControl* c);

// Face name that forms created later start with (their controls follow it
// through ParentFont); empty keeps the font's own default face.
void SetDefaultFormFontName(const std::string& name);
const std::string& DefaultFormFontName();

struct TFormValues : TWinControlValues {
  std::wstring WindowClassName;  // empty: "TForm"
  std::optional<TFormBorderStyle> BorderStyle;
  std::optional<TBorderIcons> BorderIcons;
  std::optional<TFormStyle> FormStyle;
  std::optional<TPosition> Position;
  std::optional<bool> KeyPreview;
  int ClientWidth = -1, ClientHeight = -1;  // -1: from Width and Height
  std::optional<TColor> TransparentColorValue;
  TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate, OnPaint;
  std::function<void(TObject*, TCloseAction&)> OnClose;
  std::function<void(TObject*, bool& canClose)> OnCloseQuery;
};

template <class Self, class V = TFormValues>
struct TFormArgsOf : TWinControlArgsOf<Self, V> {
  CREATE_ARG(WindowClassName)
  CREATE_ARG(BorderStyle)
  CREATE_ARG(BorderIcons)
  CREATE_ARG(FormStyle)
  CREATE_ARG(Position)
  CREATE_ARG(KeyPreview)
  CREATE_ARG(ClientWidth)
  CREATE_ARG(ClientHeight)
  CREATE_ARG(TransparentColorValue)
  CREATE_ARG(OnCreate)
  CREATE_ARG(OnDestroy)
  CREATE_ARG(OnShow)
  CREATE_ARG(OnHide)
  CREATE_ARG(OnActivate)
  CREATE_ARG(OnDeactivate)
  CREATE_ARG(OnPaint)
  CREATE_ARG(OnClose)
  CREATE_ARG(OnCloseQuery)
  Self& ClientSize(int width, int height) {
    V::ClientWidth = width;
    V::ClientHeight = height;
    return static_cast<Self&>(*this);
  }
};
struct TFormArgs : TFormArgsOf<TFormArgs> {};

class TForm : public TCustomControl {
 public:
  TForm();
  ~TForm() override;
  // Before the window exists (a form's constructor).
  void Create(const TFormValues& v);

  // The window class name; set before the window is created (the ticker's
  // single-instance search needs "TKVBANDFORM").
  void SetWindowClassName(const std::wstring& name) { className_ = name; }

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle b);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons b);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle s);
  TPosition Position = poDesigned;
  bool KeyPreview = false;

  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* c);
  // Moves the focus to the next (or previous) tab stop of the form.
  void SelectNext(TWinControl* from, bool forward);

  void Show();  // visible and to the front
  void Close();  // runs OnCloseQuery/OnClose; main form: ends the application
  TModalResult ShowModal();
  bool Modal() const { return modal_; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  bool Active() const;

  // Translucency and colour key through WS_EX_LAYERED.
  bool AlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool v);
  BYTE AlphaBlendValue() const { return alphaValue_; }
  void SetAlphaBlendValue(BYTE v);
  bool TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(bool v);
  TColor TransparentColorValue() const { return transparentColorValue_; }
  void SetTransparentColorValue(TColor c);

  // Runs OnCreate once (Application.CreateForm calls it).
  void DoCreate();
  // Runs OnDestroy once; a derived form whose handler uses its own members
  // calls it from its destructor.
  void DoDestroy();

  TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate, OnPaint;
  std::function<void(TObject*, TCloseAction&)> OnClose;
  std::function<void(TObject*, bool& canClose)> OnCloseQuery;

  // Shortcut keys of the form's menus; the message loop asks before dialog keys.
  virtual bool IsShortCut(WORD key, TShiftState s);

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandleDone() override;
  void HandleMessage(TMessage& m) override;
  void Paint() override;
  void VisibleChanged() override;
  bool CloseQuery();
  virtual void DoShow();
  virtual void DoHide();
  void ApplyLayered();
  void ApplyPosition();
  void DialogKey(TMessage& m);
  void NextDialogControl(WPARAM wp, LPARAM lp);
  friend class TApplication;
  friend class TWinControl;

  std::wstring className_ = L"TForm";
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TFormStyle formStyle_ = fsNormal;
  TWinControl* activeControl_ = nullptr;
  bool modal_ = false;
  TModalResult modalResult_ = mrNone;
  bool alphaBlend_ = false;
  BYTE alphaValue_ = 255;
  bool transparentColor_ = false;
  TColor transparentColorValue_ = clBlack;
  bool created_ = false, destroyed_ = false;
  bool positioned_ = false;
};
