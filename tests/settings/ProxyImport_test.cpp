#include "settings/ProxyImport.h"

#include <gtest/gtest.h>

namespace {

struct Split {
  std::string Server = "keep", Port = "keep";
};

Split SplitOf(const std::string& value) {
  Split s;
  SplitProxyValue(value, s.Server, s.Port);
  return s;
}

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
