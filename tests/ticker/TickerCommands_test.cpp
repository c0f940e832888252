#include "TickerCommands.h"

#include <gtest/gtest.h>

#include "TickerUtils.h"
#include "classlib/CommandLine.h"
#include "classlib/Text.h"

namespace {

TEST(DroppedTextParameter, OneQuotedArgumentWithoutQuotesOrControls) {
  EXPECT_EQ(DroppedTextParameter("http://example.com/feed.xml"), "\"http://example.com/feed.xml\"");
  // A quote would end the argument and add command words of its own.
  EXPECT_EQ(DroppedTextParameter("http://a/\" UPDATE \"x"), "\"http://a/ UPDATE x\"");
  EXPECT_EQ(DroppedTextParameter("a\tb\r\nc\x7F"
                                 "d"),
            "\"abcd\"");
  EXPECT_EQ(DroppedTextParameter(std::string("http://a/\0 REFRESH", 19)), "\"http://a/\"");
  EXPECT_EQ(DroppedTextParameter("  C:\\フィード\\  "), "\"C:\\フィード\\\"");
  EXPECT_EQ(DroppedTextParameter("ソ"), "\"ソ\"");  // trail byte 0x5C is no backslash
  EXPECT_EQ(DroppedTextParameter("\"\r\n"), std::nullopt);
  EXPECT_EQ(DroppedTextParameter(""), std::nullopt);
}

TEST(DroppedTextParameter, ATrailingBackslashReachesTheSetupProgramUnchanged) {
  for (const char* text : {"C:\\Feeds\\", "http://h/x\\"}) {
    const std::string param = DroppedTextParameter(text).value_or("");
    EXPECT_EQ(SplitCommandLine(L"TessivarSetup.exe " + SjisToWide(param)),
              std::vector<std::string>{text});
  }
}

TEST(DroppedTextParameter, TheSetupProgramsOwnCommandsAreNotHandedOn) {
  // The setup program would run them instead of opening its dialog.
  for (const char* word : {"FEED", "refresh", " Update\r\n", "VERSION", "install", "\"ADD\""})
    EXPECT_EQ(DroppedTextParameter(word), "") << word;
  EXPECT_EQ(DroppedTextParameter("ticker%x"), "");
  EXPECT_EQ(DroppedTextParameter("TICKER"), "");
  EXPECT_EQ(DroppedTextParameter("ADDRESS"), "\"ADDRESS\"");
  EXPECT_EQ(DroppedTextParameter("http://a/TICKER%x"), "\"http://a/TICKER%x\"");
}

TEST(DroppedTextParameter, LongTextIsCutOnACharacter) {
  std::string text = "a" + std::string(3000, '\x82');  // pairs of 0x82 0x82
  std::string p = DroppedTextParameter(text).value_or("");
  ASSERT_EQ(p.size(), (size_t)kDroppedTextBytes - 1 + 2);
  EXPECT_EQ(p.substr(0, 2), "\"a");
}

TEST(StartProgram, AMissingProgramIsReported) {
  EXPECT_FALSE(StartProgram(GetTempFolder() + "\\TessivarNoSuchProgram.exe", "FEED"));
}

TEST(SkinArea, BoundsHintAndCommandFromTheOemText) {
  TSkinAreaSpec parsed;
  ASSERT_TRUE(ParseSkinArea("10,5x,60,25,一時停止,Pause,extra", parsed));
  EXPECT_EQ(parsed.Bounds.left, 10);
  EXPECT_EQ(parsed.Bounds.top, 5);  // read leniently
  EXPECT_EQ(parsed.Bounds.right, 60);
  EXPECT_EQ(parsed.Bounds.bottom, 25);
  EXPECT_EQ(parsed.Hint, "一時停止|Pause");
  EXPECT_EQ(SkinAreaCommand(parsed.Hint), "Pause");
  EXPECT_FALSE(ParseSkinArea("", parsed));
  ASSERT_TRUE(ParseSkinArea("1,2", parsed));
  EXPECT_EQ(parsed.Hint, "|");
  EXPECT_EQ(SkinAreaCommand(parsed.Hint), "");
}

TEST(SkinArea, CommandWordsIgnoreCaseAndAnythingElseIsALink) {
  EXPECT_EQ(AreaCommandOf("Pause"), TTickerCommand::Pause);
  EXPECT_EQ(AreaCommandOf("SEARCH"), TTickerCommand::Search);
  EXPECT_EQ(AreaCommandOf("homepage"), TTickerCommand::HomePage);
  EXPECT_EQ(AreaCommandOf("reread"), TTickerCommand::Reread);
  EXPECT_EQ(AreaCommandOf("playing"), TTickerCommand::Link);
  EXPECT_EQ(AreaCommandOf("http://example.com/"), TTickerCommand::Link);
  EXPECT_EQ(AreaCommandOf(""), TTickerCommand::Link);
  EXPECT_EQ(AreaCommandOf("update"), TTickerCommand::Link);  // only the menu updates
}

}  // namespace
