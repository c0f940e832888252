#include "TickerLines.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/Tessivar_Seihin.h"
#include "support/TickerScratch.h"

namespace {

std::string Line(const std::string& title, const std::string& mark = "") {
  return "45000.5\tFeed\t" + title + "\thttp://example.com/\t" + mark + "\tsummary";
}

TEST(LoadTickerLines, TakesTrailingInformationLinesLastFirst) {
  TickerScratch scratch("ticker_lines_info");
  WriteWholeFile(scratch.TickerFile(), Line("a") + "\r\n" + Line("mid", "*") + "\r\n" +
                                           Line("b", "$") + "\r\n" + Line("i1", "*") + "\r\n" +
                                           Line("i2", "*") + "\r\n" + Line("i3", "*") + "\r\n");
  TTickerFileLines loaded;
  ASSERT_TRUE(LoadTickerLines(scratch.TickerFile(), loaded));
  ASSERT_EQ(3u, loaded.TickerLines.size());
  EXPECT_EQ("mid", TTickerFields(loaded.TickerLines[1])[tfTitle]);
  ASSERT_EQ(3u, loaded.InfoLines.size());
  EXPECT_EQ("i3", TTickerFields(loaded.InfoLines[0])[tfTitle]);
  EXPECT_EQ("i2", TTickerFields(loaded.InfoLines[1])[tfTitle]);
  EXPECT_EQ("i1", TTickerFields(loaded.InfoLines[2])[tfTitle]);
}

TEST(LoadTickerLines, AFileOfInformationLinesOnlyLeavesNoItems) {
  TickerScratch scratch("ticker_lines_only_info");
  WriteWholeFile(scratch.TickerFile(), Line("i1", "*") + "\r\n" + Line("i2", "*"));
  TTickerFileLines loaded;
  ASSERT_TRUE(LoadTickerLines(scratch.TickerFile(), loaded));
  EXPECT_TRUE(loaded.TickerLines.empty());
  EXPECT_EQ(2u, loaded.InfoLines.size());
}

TEST(LoadTickerLines, FailsForAMissingOrLockedFile) {
  TickerScratch scratch("ticker_lines_locked");
  TTickerFileLines loaded;
  EXPECT_FALSE(LoadTickerLines(scratch.TickerFile(), loaded));
  WriteWholeFile(scratch.TickerFile(), Line("a"));
  KernelHandle lock(CreateFileW(SjisToWide(scratch.TickerFile()).c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(INVALID_HANDLE_VALUE, lock.get());
  EXPECT_FALSE(LoadTickerLines(scratch.TickerFile(), loaded));
  EXPECT_TRUE(loaded.TickerLines.empty());
  lock.reset();
  EXPECT_TRUE(LoadTickerLines(scratch.TickerFile(), loaded));
  EXPECT_EQ(1u, loaded.TickerLines.size());
}

TEST(LoadTickerLines, ReadsGarbledBytesWithoutHarm) {
  TickerScratch scratch("ticker_lines_garbled");
  std::string binary;
  for (int i = 0; i < 256; ++i) binary += (char)i;
  std::string huge(3 * 1024 * 1024, '\x82');  // lead bytes without trail bytes
  WriteWholeFile(scratch.TickerFile(), binary + "\n" + huge + "\r\n\r\n" + "\t\t\t\t*");
  TTickerFileLines loaded;
  ASSERT_TRUE(LoadTickerLines(scratch.TickerFile(), loaded));
  // The binary run holds LF and CR itself, so it splits into lines too.
  ASSERT_GE(loaded.TickerLines.size(), 4u);
  EXPECT_EQ(huge.size(), loaded.TickerLines[loaded.TickerLines.size() - 2].size());
  EXPECT_EQ("", loaded.TickerLines.back());
  ASSERT_EQ(1u, loaded.InfoLines.size());
  EXPECT_EQ("", TTickerFields(loaded.InfoLines[0])[tfTitle]);
}

TEST(TickerFields, MissingFieldsAreEmpty) {
  TTickerFields f("45000\tFeed");
  EXPECT_EQ("45000", f[tfDate]);
  EXPECT_EQ("Feed", f[tfFeedName]);
  EXPECT_EQ("", f[tfTitle]);
  EXPECT_EQ("", f[tfPicture]);
  EXPECT_EQ("", f[0]);
  EXPECT_EQ("", f[31]);
  EXPECT_EQ("", TTickerFields("")[tfDate]);
}

TEST(TickerFields, KeepsBlanksAndTakesThirtyFields) {
  std::string line = " a \t b ";
  for (int i = 3; i <= 32; ++i) line += "\t" + std::to_string(i);
  TTickerFields f(line);
  EXPECT_EQ(" a ", f[1]);
  EXPECT_EQ(" b ", f[2]);
  EXPECT_EQ("30", f[30]);
}

TEST(GraphicNames, AcceptOnlyPlainFileNames) {
  EXPECT_TRUE(IsPlainGraphicName("icon.bmp"));
  EXPECT_TRUE(IsPlainGraphicName("logo 2.jpeg"));
  // 0x95 0x5C is one character whose trail byte happens to be a backslash.
  EXPECT_TRUE(IsPlainGraphicName("\x95\x5C.bmp"));
  EXPECT_FALSE(IsPlainGraphicName(""));
  EXPECT_FALSE(IsPlainGraphicName(".."));
  EXPECT_FALSE(IsPlainGraphicName("..\\TessivarOrvanel.ini"));
  EXPECT_FALSE(IsPlainGraphicName("a..b.bmp"));
  EXPECT_FALSE(IsPlainGraphicName("sub\\icon.bmp"));
  EXPECT_FALSE(IsPlainGraphicName("sub/icon.bmp"));
  EXPECT_FALSE(IsPlainGraphicName("C:icon.bmp"));
  EXPECT_FALSE(IsPlainGraphicName("C:\\Windows\\win.ini"));
  EXPECT_FALSE(IsPlainGraphicName("\\\\server\\share\\x.bmp"));
  EXPECT_FALSE(IsPlainGraphicName("icon.bmp:stream"));
  EXPECT_FALSE(IsPlainGraphicName(std::string("icon\0.bmp", 9)));
}

TEST(GraphicNames, PathLiesInTheGraphicFolder) {
  TickerScratch scratch("ticker_lines_graphic");
  EXPECT_EQ(DataFolder + "Graphic\\icon.bmp", GraphicFilePath("icon.bmp"));
  EXPECT_EQ("", GraphicFilePath("..\\icon.bmp"));
}

}  // namespace
