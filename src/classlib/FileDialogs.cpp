#include "FileDialogs.h"

#include <commdlg.h>

#include <vector>

#include "Text.h"

std::wstring DialogFilter(const std::string& filter) {
  std::wstring w = SjisToWide(filter);
  for (wchar_t& c : w)
    if (c == L'|') c = L'\0';
  w.push_back(L'\0');
  w.push_back(L'\0');
  return w;
}

std::string DialogDefaultExt(const std::string& ext) {
  size_t start = ext.find_first_not_of("*.");
  return start == std::string::npos ? std::string() : ext.substr(start);
}

bool TOpenDialog::Execute(HWND owner) {
  std::vector<wchar_t> name(MAX_PATH * 4, L'\0');
  std::wstring preset = SjisToWide(FileName);
  preset.copy(name.data(), name.size() - 1);
  std::wstring filter = DialogFilter(Filter), title = SjisToWide(Title),
               ext = SjisToWide(DialogDefaultExt(DefaultExt)), dir = SjisToWide(InitialDir);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = (DWORD)name.size();
  ofn.lpstrTitle = Title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : dir.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (Options & ofOverwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  if (Options & ofHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
  if (Options & ofEnableSizing) ofn.Flags |= OFN_ENABLESIZING;
  if (Options & ofFileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
  if (!Run(ofn)) return false;
  FileName = WideToSjis(name.data());
  return true;
}

bool TOpenDialog::Run(OPENFILENAMEW& ofn) { return GetOpenFileNameW(&ofn) != FALSE; }

bool TSaveDialog::Run(OPENFILENAMEW& ofn) { return GetSaveFileNameW(&ofn) != FALSE; }
