// The system's dialogs for choosing a file to open or a name to save under.
#pragma once
#include <string>

#include <windows.h>

enum : unsigned {
  ofOverwritePrompt = 1,  // ask before replacing an existing file
  ofHideReadOnly = 2,     // no read-only check box
  ofEnableSizing = 4,     // the dialog can be resized
  ofFileMustExist = 8,
};
typedef unsigned TOpenOptions;

class TOpenDialog {
 public:
  virtual ~TOpenDialog() = default;
  std::string Title;
  // Pairs of description and patterns separated by "|": "Programs|*.exe".
  std::string Filter;
  // Appended to a typed name without extension; "*." or "." in front is dropped.
  std::string DefaultExt;
  std::string InitialDir;
  // Preset before and chosen after Execute.
  std::string FileName;
  TOpenOptions Options = ofHideReadOnly | ofEnableSizing;

  // True when the user chose a file.
  bool Execute(HWND owner = nullptr);

 protected:
  virtual bool Run(OPENFILENAMEW& ofn);
};

class TSaveDialog : public TOpenDialog {
 protected:
  bool Run(OPENFILENAMEW& ofn) override;
};

// The filter as the dialog takes it: parts separated by NUL, two NULs at the end.
std::wstring DialogFilter(const std::string& filter);
// "*.exe" and ".exe" give "exe".
std::string DialogDefaultExt(const std::string& ext);
