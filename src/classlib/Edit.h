// Single- and multi-line edit boxes (system EDIT class).
#pragma once
#include <string>
#include <vector>

#include "Controls.h"

enum TEditBorderStyle { ebsNone, ebsSingle };

// Cuts the text of an edit window to maxBytes bytes of Shift-JIS: first the
// characters just before the caret (what was typed or pasted), then from the
// end. A double-byte character is never split. True when it cut.
bool KeepByteLimit(HWND edit, int maxBytes);

// The window's text as UTF-16, one unit per edit position.
std::wstring WindowTextW(HWND h);

// The clipboard's text up to its first line break: what one-line boxes paste.
std::wstring FirstClipboardLine(HWND owner);

struct TEditValues : TWinControlValues {
  std::optional<int> MaxLength;
  std::optional<bool> ReadOnly;
  std::optional<char> PasswordChar;
  std::optional<bool> AutoSelect;
  std::optional<TEditBorderStyle> BorderStyle;
  TNotifyEvent OnChange;
};

template <class Self, class V = TEditValues>
struct TEditArgsOf : TWinControlArgsOf<Self, V> {
  CREATE_ARG(MaxLength)
  CREATE_ARG(ReadOnly)
  CREATE_ARG(PasswordChar)
  CREATE_ARG(AutoSelect)
  CREATE_ARG(BorderStyle)
  CREATE_ARG(OnChange)
  // The edit's text is its caption.
  Self& Text(std::string text) { return this->Caption(std::move(text)); }
};
struct TEditArgs : TEditArgsOf<TEditArgs> {};

class TEdit : public TWinControl {
 public:
  TEdit();
  void Create(const TEditValues& v);

  std::string Text() const override;
  void SetText(const std::string& s) override;
  // In bytes of the Shift-JIS text; 0 = no limit. The edit window counts
  // characters, so Change cuts what goes beyond the bytes.
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
  // The user changed the text since it was last set (EM_GETMODIFY).
  bool Modified();
  void SetModified(bool v);
  void ClearSelection();  // WM_CLEAR

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandleDone() override;
  void HandleMessage(TMessage& m) override;
  // The text changed (EN_CHANGE, or a text set by the program); keeps the
  // byte limit, then raises OnChange. Derived editors add their checks here.
  virtual void Change();
  int maxLength_ = 0;
  bool changeSeen_ = false;  // an EN_CHANGE came since SetText began
  bool trimming_ = false;
  bool readOnly_ = false;
  char passwordChar_ = 0;
  bool multiLine_ = false;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

struct TMemoValues : TEditValues {
  std::optional<TScrollStyle> ScrollBars;
  std::optional<bool> WordWrap;
  std::optional<bool> WantReturns;
  std::vector<std::string> Lines;
};

template <class Self, class V = TMemoValues>
struct TMemoArgsOf : TEditArgsOf<Self, V> {
  CREATE_ARG(ScrollBars)
  CREATE_ARG(WordWrap)
  CREATE_ARG(WantReturns)
  CREATE_ARG(Lines)
};
struct TMemoArgs : TMemoArgsOf<TMemoArgs> {};

class TMemo : public TEdit {
 public:
  TMemo();
  void Create(const TMemoValues& v);
  std::vector<std::string> Lines() const;  // the text split at CR LF
  void SetLines(const std::vector<std::string>& lines);
  TScrollStyle ScrollBars = ssNone;
  bool WordWrap = true;
  bool WantReturns = true;

 protected:
  void CreateParams(TCreateParams& p) override;
  bool WantsKey(WORD key) override;
};
