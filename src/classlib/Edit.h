// Single- and multi-line edit boxes (system EDIT class).
#pragma once
#include <string>
#include <vector>

#include "Controls.h"

enum TEditBorderStyle { ebsNone, ebsSingle };

class TEdit : public TWinControl {
 public:
  TEdit();

  std::string Text() const override;
  void SetText(const std::string& s) override;
  // In bytes of the Shift-JIS text; 0 = no limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int n);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c);
  bool AutoSelect = true;
  TEditBorderStyle BorderStyle = ebsSingle;

  // Positions and lengths in characters of the edit (UTF-16 units).
  int SelStart();
  void SetSelStart(int s);
  int SelLength();
  void SetSelLength(int n);
  void SelectAll();
  std::string SelText();
  bool CanUndo();
  void Undo();
  void ClearSelection();  // WM_CLEAR

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandleDone() override;
  void HandleMessage(TMessage& m) override;
  // EN_CHANGE; raises OnChange. Derived editors add their checks here.
  virtual void Change();
  int maxLength_ = 0;
  bool readOnly_ = false;
  char passwordChar_ = 0;
  bool multiLine_ = false;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TEdit {
 public:
  TMemo();
  std::vector<std::string> Lines() const;  // the text split at CR LF
  void SetLines(const std::vector<std::string>& lines);
  TScrollStyle ScrollBars = ssNone;
  bool WordWrap = true;
  bool WantReturns = true;

 protected:
  void CreateParams(TCreateParams& p) override;
  bool WantsKey(WORD key) override;
};
