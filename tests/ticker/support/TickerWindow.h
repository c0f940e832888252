// Base of the ticker window cases. The window reads files beside its program
// (the band server, the OEM folder, an OEM package, the programs it starts),
// which other test programs create for a moment in the build folder; so each
// case moves the program into a scratch folder of its own, with fresh
// settings, an empty OEM folder and data folders of the case's own.
#pragma once
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "TessivarOrvanelForm.h"
#include "common/GuardWatch.h"
#include "common/TestFiles.h"

class TickerWindowTest : public ::testing::Test {
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
  std::unique_ptr<ProgramFolderMove> program_;
  int tickerAge_ = 0;
};
