#include "settings/ProxyImport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"

namespace {

const wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

struct Split {
  std::string Server = "keep", Port = "keep";
};

Split SplitOf(const std::string& value) {
  Split s;
  SplitProxyValue(value, s.Server, s.Port);
  return s;
}

// Sets "ProxyServer" for one test and puts the previous state back; the
// proxy is never enabled, so fetches elsewhere do not use it.
class SystemProxy : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0,
                                             KEY_READ | KEY_WRITE, nullptr, key_.put(), nullptr));
    DWORD type = 0, size = sizeof old_;
    had_ = RegQueryValueExW(key_.get(), L"ProxyServer", nullptr, &type, (BYTE*)old_, &size) ==
           ERROR_SUCCESS;
    oldSize_ = size;
  }
  void TearDown() override {
    if (had_)
      RegSetValueExW(key_.get(), L"ProxyServer", 0, REG_SZ, (const BYTE*)old_, oldSize_);
    else
      RegDeleteValueW(key_.get(), L"ProxyServer");
  }
  void Set(const std::string& value) {
    std::wstring w = SjisToWide(value);
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key_.get(), L"ProxyServer", 0, REG_SZ, (const BYTE*)w.c_str(),
                             DWORD((w.size() + 1) * sizeof(wchar_t))));
  }
  RegistryKey key_;
  bool had_ = false;
  wchar_t old_[1024] = {};
  DWORD oldSize_ = 0;
};

}  // namespace

TEST(ProxySplit, HostAndPort) {
  Split s = SplitOf("proxy.example.co.jp:8080");
  EXPECT_EQ("proxy.example.co.jp", s.Server);
  EXPECT_EQ("8080", s.Port);
}

TEST(ProxySplit, BareHostEmptiesThePort) {
  Split s = SplitOf("192.168.0.1");
  EXPECT_EQ("192.168.0.1", s.Server);
  EXPECT_EQ("", s.Port);
}

TEST(ProxySplit, PerProtocolEntriesSplitAtTheFirstColon) {
  Split s = SplitOf("http=proxy:3128;https=proxy:3129");
  EXPECT_EQ("http=proxy", s.Server);
  EXPECT_EQ("3128", s.Port);
  s = SplitOf("proxy:none");
  EXPECT_EQ("proxy", s.Server);
  EXPECT_EQ("0", s.Port);
}

TEST_F(SystemProxy, ValueOfTheInternetSettingsFillsBothFields) {
  Set("cache.example:8000");
  std::string server, port;
  ASSERT_TRUE(ReadSystemProxy(server, port));
  EXPECT_EQ("cache.example", server);
  EXPECT_EQ("8000", port);
}

TEST_F(SystemProxy, MissingValueGivesEmptyFields) {
  RegDeleteValueW(key_.get(), L"ProxyServer");
  std::string server = "old", port = "1";
  ASSERT_TRUE(ReadSystemProxy(server, port));
  EXPECT_EQ("", server);
  EXPECT_EQ("", port);
}

TEST_F(SystemProxy, JapaneseHostComesBackAsShiftJis) {
  Set("プロキシ.example:81");
  std::string server, port;
  ASSERT_TRUE(ReadSystemProxy(server, port));
  EXPECT_EQ("プロキシ.example", server);
  EXPECT_EQ("81", port);
}
