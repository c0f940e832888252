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
  ScratchFolder root{"reset"};
  std::string appData = root.File("Roaming");
  std::string profile = root.File("Profile");
};

}  // namespace

TEST_F(Reset, SettingsCopyInTheRoamingFolderGoesToo) {
  // With a local folder the roaming copy would be read back on the next start.
  CreateDirectoryW(SjisToWide(profile).c_str(), nullptr);
  CreateDirectoryW(SjisToWide(profile + "\\AppData").c_str(), nullptr);
  CreateDirectoryW(SjisToWide(profile + "\\AppData\\LocalLow").c_str(), nullptr);
  InitDataFoldersAt(appData, profile);
  ASSERT_NE(DataFolder, IniFolder);
  const std::string roaming = DataFolder + "TessivarOrvanel.ini";
  for (const std::string& name : {TickerIniPath, roaming, IniFolder + "TessivarOrvanel.wrd"})
    ASSERT_TRUE(WriteWholeFile(name, "x"));
  DeleteSettingsFiles();
  EXPECT_FALSE(PathExists(TickerIniPath));
  EXPECT_FALSE(PathExists(roaming));
  EXPECT_TRUE(PathExists(IniFolder + "TessivarOrvanel.wrd"));
}
