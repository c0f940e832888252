// The ticker window reads files beside its program (the band server, the OEM
// folder, an OEM package, the programs it starts), which other test programs
// of this folder create for a moment. So the window cases run in a copy of
// their test program in a private folder: the DISABLED_InFolder* cases run
// only there (the parent starts the copy and reports its result; gtest
// leaves them out otherwise).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TessivarOrvanelForm.h"

// The value of an environment variable ("" when unset).
std::wstring EnvW(const wchar_t* name);

// A file put beside the copy, under the given name.
struct TFolderFile {
  std::string Source;
  std::string Name;
};

// Runs this program's DISABLED_InFolder* cases matching filter in a copy in
// a new folder, optionally with a band server and further files beside it;
// the cases must run and pass.
void ExpectPassedInPrivateFolder(const std::string& filter, bool bandServer,
                                 const std::vector<TFolderFile>& files = {});

// Base of the cases that run in the private copy: fresh settings, an empty
// OEM folder and data folders of the case's own.
class InFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Oem(const std::string& name, const std::string& bytes);
  void Settings(const std::string& text);
  TKvBandForm& Create();

  std::string TickerFile() const;
  // Writes the ticker file with a modification time that differs from the last one.
  void WriteTicker(const std::string& text);
  // One file-check run, as the timer would start it.
  void FileCheck() { form->Timer_FileCheckTimer(&form->Timer_FileCheck); }

  std::unique_ptr<TKvBandForm> form;
  int refreshes = 0;
  std::string base_;
  int tickerAge_ = 0;
};
