// Keeps the position, size, window state or visibility of one control or
// form in a section of an ini file ("Sz_" + the control's name), and
// restores it. The ticker window keeps its place and width this way.
#pragma once
#include <memory>
#include <string>

#include "classlib/Forms.h"

class TCustomIniFile;

enum TControlSizeStyle { cssAll, cssSize, cssVisible };

class TControlSize : public TObject {
 public:
  // With an owner form: chains into its OnCreate, OnShow, OnClose and
  // OnDestroy, keeping and calling the handlers it finds there (so the
  // owner sets its own handlers first).
  explicit TControlSize(TForm* owner = nullptr);
  // The same for a form whose handlers are set after this object was made.
  void ChainInto(TForm& owner);
  ~TControlSize() override;
  TControlSize(const TControlSize&) = delete;
  TControlSize& operator=(const TControlSize&) = delete;

  TWinControl* Control() const { return control_; }
  void SetControl(TWinControl* c);  // forgotten again when the control goes
  bool SizeOnShow = false;          // load on the owner's show, not its creation
  bool ScreenSenter = false;        // centre a form before the first load
  TControlSizeStyle Style = cssAll;
  std::string IniFile;  // empty: nothing is loaded or saved
  bool Manual = false;  // the owner's events neither load nor save by themselves
  TNotifyEvent OnCreate, OnStart, OnDestroy;

  struct TFlagSlot {
    std::string Name;
    bool Value = false;
  };
  struct TNumberSlot {
    std::string Name;
    int Value = 0;
  };
  TFlagSlot Flags[6];
  TNumberSlot Numbers[6];

  const std::string& Section() const { return section_; }
  // Mode "N" restores position and size; "R" restores a form's size only
  // when its border is sizeable.
  void Load(const std::string& mode);
  void LoadWithSize() { Load("N"); }
  // Errors are swallowed.
  void Save();

 private:
  void Started();
  void LoadForm(TForm& form, TCustomIniFile& ini, const std::string& mode);
  void LoadControl(TWinControl& control, TCustomIniFile& ini);
  void LoadSlots(TCustomIniFile& ini);
  void SaveSlots(TCustomIniFile& ini);
  void WriteRect(TCustomIniFile& ini, const RECT& r);
  TWinControl* control_ = nullptr;
  std::string section_;
  std::shared_ptr<bool> alive_;  // read by the handlers chained into the owner
};
