#include "support/TickerWindow.h"

#include <windows.h>

#include "common/TestFiles.h"
#include "common/TestMessages.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"
#include "support/TickerScratch.h"

void TickerWindowTest::SetUp() {
  static int counter = 0;
  base_ = TempFolderPath() + "TessivarWindow_" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(++counter) + "\\";
  RemoveTree(base_);
  program_ = std::make_unique<ProgramFolderMove>(base_ + "Program\\");
  ForceFolder(base_ + "Program\\OEM");
  OemDataFolder = GetProgramFolder() + "OEM\\";
  TickerSettings = TTickerSettings();
  ForceFolder(base_ + "AppData");
  ForceFolder(base_ + "Profile\\AppData\\LocalLow");
  SetDataFolderBasesForTest(base_ + "AppData", base_ + "Profile");
  // The folders the window will settle on (the OEM file keeps LocalPath).
  InitDataFoldersAt(base_ + "AppData", base_ + "Profile");
  ForceFolder(DataFolder + "Graphic");
}

void TickerWindowTest::TearDown() {
  if (form) form->FormDestroy(form.get());
  form.reset();
  SetDataFolderBasesForTest("", "");
  program_.reset();
  OemDataFolder = GetProgramFolder() + "OEM\\";
  TickerSettings = TTickerSettings();
  // A program the case started may hold its image for a moment after it ended.
  WaitUntil(
      [&] {
        RemoveTree(base_);
        return !DirectoryExists(DelBackslash(base_));
      },
      3000);
}

void TickerWindowTest::Oem(const std::string& name, const std::string& bytes) {
  WriteWholeFile(OemDataFolder + name, bytes);
}

void TickerWindowTest::Settings(const std::string& text) { WriteWholeFile(TickerIniPath, text); }

TKvBandForm& TickerWindowTest::Create() {
  form = std::make_unique<TKvBandForm>();
  form->DoCreate();
  form->Display.OnStartRefresh = [this] { ++refreshes; };
  return *form;
}

std::string TickerWindowTest::TickerFile() const { return DataFolder + "TessivarOrvanel.tic"; }

void TickerWindowTest::WriteTicker(const std::string& text) {
  WriteWholeFile(TickerFile(), text);
  SetModifiedSecondsFromNow(TickerFile(), ++tickerAge_ * 10);
}
