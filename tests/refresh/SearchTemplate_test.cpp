// winsock2.h must come before windows.h.
#include "common/TestHttpServer.h"

#include "SearchTemplate.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "HttpFetch.h"
#include "MakerSite.h"
#include "classlib/DateTime.h"
#include "shared/S_FileUtils.h"
#include "shared/Tessivar_Seihin.h"
#include "common/TestFiles.h"

namespace {

const char kQueryPath[] = "/download/plinvat/search.query";
const char kOldQuery[] = "https://old.example/search?q=$KEYWORD_SHIFTJIS$";

void SetMakerBase(const std::string& base) {
  std::string assignment = "TESSIVAR_MAKER_BASE=" + base;
  _putenv(assignment.c_str());
}

TEST(SearchTemplateFromBodyTest, DropsLineBreaksAndControlBytes) {
  EXPECT_EQ(SearchTemplateFromBody("https://s.example/find?q=$KEYWORD_UTF8$\r\n"),
            "https://s.example/find?q=$KEYWORD_UTF8$");
  EXPECT_EQ(SearchTemplateFromBody("http://s.example/?a=1\t&q=$KEYWORD$\x1a"),
            "http://s.example/?a=1&q=$KEYWORD$");
}

TEST(SearchTemplateFromBodyTest, RejectsWhatIsNoSearchAddress) {
  EXPECT_EQ(SearchTemplateFromBody(""), "");
  EXPECT_EQ(SearchTemplateFromBody("\r\n"), "");
  EXPECT_EQ(SearchTemplateFromBody("<html><body>404 Not Found</body></html>"), "");
  EXPECT_EQ(SearchTemplateFromBody("https://s.example/find?q=fixed"), "");
  EXPECT_EQ(SearchTemplateFromBody("C:\\tools\\run.exe $KEYWORD$"), "");
  EXPECT_EQ(SearchTemplateFromBody("\\\\host\\share\\$KEYWORD$"), "");
  EXPECT_EQ(SearchTemplateFromBody("file:///C:/x?$KEYWORD$"), "");
  EXPECT_EQ(SearchTemplateFromBody("https://s.example/?q=$KEYWORD$" + std::string(3000, 'a')), "");
}

TEST(MakerSiteTest, ShippedAddressUnlessPointedAtThisMachine) {
  SetMakerBase("");
  EXPECT_EQ(MakerUpdateFolder(), std::string(kMakerServer) + "/download/plinvat/");
  SetMakerBase("http://127.0.0.1:8123/");
  EXPECT_EQ(MakerUpdateFolder(), "http://127.0.0.1:8123/download/plinvat/");
  SetMakerBase("http://evil.example:80");
  EXPECT_EQ(MakerServer(), kMakerServer);
  SetMakerBase("http://127.0.0.1.evil.example");
  EXPECT_EQ(MakerServer(), kMakerServer);
  SetMakerBase("");
}

class UpdateSearchTemplateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TickerSettings = TTickerSettings();
    TickerSettings.InternetPreConfig = 0;
    TickerSettings.SearchQuery = kOldQuery;
    DataFolder = IniFolder = scratch.Path();
    TickerIniPath = scratch.File("TessivarOrvanel.ini");
    SetMakerBase("http://127.0.0.1:" + std::to_string(server.Port()));
  }
  void TearDown() override { SetMakerBase(""); }

  static std::string Today() { return FormatDateTime("yyyymmdd", Now()); }
  size_t QueryRequests() const {
    size_t n = 0;
    for (const auto& r : server.Requests()) n += r.Path == kQueryPath;
    return n;
  }
  // The Search values as a fresh process would read them.
  void ReadBack() {
    TickerSettings = TTickerSettings();
    AccessTickerIni(TickerIniPath, "R");
  }

  ScratchFolder scratch{"TessivarSearchTemplate"};
  TestHttpServer server;
};

TEST_F(UpdateSearchTemplateTest, FetchedOnceADayAndStored) {
  ScriptedResponse query;
  query.Body = "https://new.example/search?q=$KEYWORD_SHIFTJIS$\r\n";
  server.On(kQueryPath, query);
  UpdateSearchTemplate();
  EXPECT_EQ(TickerSettings.SearchQuery, "https://new.example/search?q=$KEYWORD_SHIFTJIS$");
  EXPECT_EQ(TickerSettings.SearchDate, Today());
  ReadBack();
  EXPECT_EQ(TickerSettings.SearchQuery, "https://new.example/search?q=$KEYWORD_SHIFTJIS$");
  EXPECT_EQ(TickerSettings.SearchDate, Today());

  UpdateSearchTemplate();  // the second run of the day
  EXPECT_EQ(QueryRequests(), 1u);
}

TEST_F(UpdateSearchTemplateTest, SameDayNeitherFetchesNorWritesTheSettings) {
  TickerSettings.SearchDate = Today();
  UpdateSearchTemplate();
  EXPECT_EQ(QueryRequests(), 0u);
  EXPECT_FALSE(PathExists(TickerIniPath));
}

TEST_F(UpdateSearchTemplateTest, ErrorPageKeepsTheQueryButStoresTheDay) {
  ScriptedResponse page;
  page.Body = "<html><body><h1>Maintenance</h1></body></html>\r\n";
  server.On(kQueryPath, page);
  UpdateSearchTemplate();
  ReadBack();
  EXPECT_EQ(TickerSettings.SearchQuery, kOldQuery);
  EXPECT_EQ(TickerSettings.SearchDate, Today());
}

TEST_F(UpdateSearchTemplateTest, EmptyOrMissingAnswerKeepsTheQuery) {
  server.On(kQueryPath, ScriptedResponse());
  UpdateSearchTemplate();
  EXPECT_EQ(TickerSettings.SearchQuery, kOldQuery);
  TickerSettings.SearchDate = "20000101";
  server.Stop();
  UpdateSearchTemplate();
  EXPECT_EQ(TickerSettings.SearchQuery, kOldQuery);
  EXPECT_EQ(TickerSettings.SearchDate, Today());
}

TEST_F(UpdateSearchTemplateTest, RedirectIsNotFollowed) {
  ScriptedResponse moved;
  moved.Status = 302;
  moved.Headers = {{"Location", server.Url("/other.query")}};
  server.On(kQueryPath, moved);
  ScriptedResponse other;
  other.Body = "https://other.example/?q=$KEYWORD$";
  server.On("/other.query", other);
  UpdateSearchTemplate();
  EXPECT_EQ(TickerSettings.SearchQuery, kOldQuery);
}

}  // namespace
