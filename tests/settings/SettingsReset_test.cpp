#include "settings/SettingsReset.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/Text.h"
#include "common/TestFiles.h"
#include "shared/Tessivar_Seihin.h"

namespace {

class Reset : public ::testing::Test {
 protected:
  void SetUp() override { TickerSettings.LocalPath = "TessivarOrvanel"; }
  void Fill(const std::vector<std::string>& names) {
    for (const std::string& name : names) ASSERT_TRUE(WriteWholeFile(name, "x"));
  }
  ScratchFolder root{"reset"};
  std::string appData = root.File("Roaming");
  std::string profile = root.File("Profile");
};

}  // namespace

TEST_F(Reset, DeletesSettingsAndFeedFilesAndKeepsTheRest) {
  InitDataFoldersAt(appData, profile);
  ASSERT_EQ(DataFolder, IniFolder);
  Fill({TickerIniPath, DataFolder + "TessivarOrvanel.tic", DataFolder + "TessivarOrvanel.def",
        DataFolder + "TessivarOrvanel.mnu", DataFolder + "TessivarOrvanel.cm",
        DataFolder + "TessivarOrvanel.wrd"});
  EXPECT_EQ(4u, ResetFiles().size());
  DeleteSettingsFiles();
  EXPECT_FALSE(PathExists(TickerIniPath));
  EXPECT_FALSE(PathExists(DataFolder + "TessivarOrvanel.tic"));
  EXPECT_FALSE(PathExists(DataFolder + "TessivarOrvanel.def"));
  EXPECT_FALSE(PathExists(DataFolder + "TessivarOrvanel.mnu"));
  EXPECT_TRUE(PathExists(DataFolder + "TessivarOrvanel.cm"));
  EXPECT_TRUE(PathExists(DataFolder + "TessivarOrvanel.wrd"));
}

TEST_F(Reset, SettingsCopyInTheRoamingFolderGoesToo) {
  // With a local folder the roaming copy would be read back on the next start.
  CreateDirectoryW(SjisToWide(profile).c_str(), nullptr);
  CreateDirectoryW(SjisToWide(profile + "\\AppData").c_str(), nullptr);
  CreateDirectoryW(SjisToWide(profile + "\\AppData\\LocalLow").c_str(), nullptr);
  InitDataFoldersAt(appData, profile);
  ASSERT_NE(DataFolder, IniFolder);
  const std::string roaming = DataFolder + "TessivarOrvanel.ini";
  Fill({TickerIniPath, roaming, IniFolder + "TessivarOrvanel.wrd"});
  DeleteSettingsFiles();
  EXPECT_FALSE(PathExists(TickerIniPath));
  EXPECT_FALSE(PathExists(roaming));
  EXPECT_TRUE(PathExists(IniFolder + "TessivarOrvanel.wrd"));
}

TEST_F(Reset, MissingFilesAreSkipped) {
  InitDataFoldersAt(appData, profile);
  Fill({DataFolder + "TessivarOrvanel.mnu"});
  DeleteSettingsFiles();
  EXPECT_FALSE(PathExists(DataFolder + "TessivarOrvanel.mnu"));
}
