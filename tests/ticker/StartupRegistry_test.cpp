#include "StartupRegistry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/S_FileUtils.h"

namespace {

// The user's Run value as it was before the test, put back afterwards.
class RunValue : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = ReadUserRegistryString(RunKeyPath, StartupValueName); }
  void TearDown() override {
    if (saved_.empty())
      UnregisterStartup();
    else
      Write(saved_);
  }
  void Write(const std::string& data) {
    RegistryKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SjisToWide(RunKeyPath).c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    std::wstring w = SjisToWide(data);
    RegSetValueExW(key.get(), SjisToWide(StartupValueName).c_str(), 0, REG_SZ,
                   (const BYTE*)w.c_str(), (DWORD)((w.size() + 1) * sizeof(wchar_t)));
  }
  std::string Stored() { return ReadUserRegistryString(RunKeyPath, StartupValueName); }
  std::string saved_;
};

TEST_F(RunValue, RegisterWritesTheQuotedProgramPathAndUnregisterRemovesIt) {
  UnregisterStartup();
  EXPECT_FALSE(StartupRegistered());
  EXPECT_TRUE(RegisterStartup());
  EXPECT_EQ(Stored(), "\"" + GetModulePath() + "\"");
  EXPECT_TRUE(StartupRegistered());
  EXPECT_FALSE(UnregisterStartup());
  EXPECT_FALSE(StartupRegistered());
  EXPECT_EQ(Stored(), "");
}

TEST_F(RunValue, AnotherCopysValueCountsAndIsReplacedByThisOne) {
  Write("\"C:\\Other\\TessivarOrvanel.exe\"");
  EXPECT_TRUE(StartupRegistered());
  EXPECT_EQ(Stored(), "\"C:\\Other\\TessivarOrvanel.exe\"");
  RegisterStartup();
  EXPECT_EQ(Stored(), "\"" + GetModulePath() + "\"");
  Write("");
  EXPECT_FALSE(StartupRegistered());  // an empty value is no registration
}

TEST(ReadUserRegistryString, MissingKeysAndValuesReadEmpty) {
  EXPECT_EQ(ReadUserRegistryString("Software\\Tessivar\\NoSuchKey", "Url"), "");
  EXPECT_EQ(ReadUserRegistryString(RunKeyPath, "Tessivar no such value"), "");
}

}  // namespace
