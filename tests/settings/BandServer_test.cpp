#include "settings/BandServer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "common/TestFiles.h"
#include "shared/S_FileUtils.h"

namespace {

// The stand-in server built beside the tests.
std::string StubServer() {
  return ExtractFilePath(GetModulePath()) + "bandserver\\TessivarOrvanel32.dll";
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(StubServer()));
    ASSERT_TRUE(CopyFileSJ(StubServer(), server, false));
  }
  ScratchFolder folder{"band"};
  std::string server = folder.File("TessivarOrvanel32.dll");
};

}  // namespace

TEST(Regsvr32, ParametersAreQuotedSilentAndUnregister) {
  EXPECT_EQ("\"/s\" \"C:\\Program Files\\T\\TessivarOrvanel32.dll\"",
            Regsvr32Parameters("C:\\Program Files\\T\\TessivarOrvanel32.dll", false));
  EXPECT_EQ("\"/s\" \"/u\" \"C:\\T\\TessivarOrvanel32.dll\"",
            Regsvr32Parameters("C:\\T\\TessivarOrvanel32.dll", true));
}

TEST_F(Registration, RegisterAndUnregisterWaitForTheOutcome) {
  EXPECT_TRUE(RunRegsvr32(server, false));
  EXPECT_TRUE(PathExists(folder.File("registered")));
  EXPECT_TRUE(RunRegsvr32(server, true));
  EXPECT_FALSE(PathExists(folder.File("registered")));
}

TEST_F(Registration, ServerThatRefusesIsAFailure) {
  WriteWholeFile(folder.File("refuse"), "");
  EXPECT_FALSE(RunRegsvr32(server, false));
  EXPECT_FALSE(RunRegsvr32(server, true));
}

TEST_F(Registration, MissingServerIsAFailure) {
  EXPECT_FALSE(RunRegsvr32(folder.File("absent\\TessivarOrvanel32.dll"), false));
  // A file that is no server at all: regsvr32 runs and reports it.
  WriteWholeFile(folder.File("NotADll.dll"), "MZ nothing");
  EXPECT_FALSE(RunRegsvr32(folder.File("NotADll.dll"), false));
}
