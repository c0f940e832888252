#include "StringList.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "Streams.h"
#include "Text.h"
#include "common/TestFiles.h"

namespace {

std::string TempPath(const char* name) {
  return TempFolderPath() + "tsv_sl_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

}  // namespace

TEST(StringListText, AcceptsEveryLineEndAndWritesCrLf) {
  TStringList list;
  list.SetText("one\r\ntwo\nthree\rfour");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[3], "four");
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n");

  list.SetText("a\r\n\r\nb\r\n");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[1], "");
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringListText, KeepsShiftJisAndBinaryBytes) {
  TStringList list;
  // ソ has 0x5C as its second byte; a NUL inside a line stays.
  const std::string line = std::string("\x83\x5C\x95\x5C", 4) + std::string("x\0y", 3);
  list.SetText(line + "\r\n\xFF\xFE");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], line);
  EXPECT_EQ(list[1], "\xFF\xFE");
}

TEST(StringListFiles, RoundTripsThroughAJapaneseFileName) {
  std::string path = TempPath("\x93\xfa\x96\x7b.txt");  // 日本
  TStringList list;
  list.Add("\x93\xfa\x96\x7b\x8c\xea");
  list.Add("");
  list.Add("last");
  list.SaveToFile(path);
  EXPECT_EQ(ReadWholeFile(path), "\x93\xfa\x96\x7b\x8c\xea\r\n\r\nlast\r\n");
  TStringList back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Text(), list.Text());
  DeleteFileW(SjisToWide(path).c_str());
}

TEST(StringListFiles, MissingFileThrowsOpenError) {
  TStringList list;
  EXPECT_THROW(list.LoadFromFile(TempPath("missing.txt")), EFOpenError);
}

TEST(StringListFiles, StreamsReadFromTheirPosition) {
  TMemoryStream m(std::string("skip\r\nkeep\r\n"));
  m.SetPosition(6);
  TStringList list;
  list.LoadFromStream(m);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0], "keep");
  TMemoryStream out;
  list.SaveToStream(out);
  EXPECT_EQ(out.Data(), "keep\r\n");
}

TEST(StringListLookup, IndexOfIgnoresAsciiCaseButNotTrailBytes) {
  TStringList list;
  list.Add("Alpha");
  list.Add("\x83\x41");  // ア: trail byte 'A'
  EXPECT_EQ(list.IndexOf("ALPHA"), 0);
  EXPECT_EQ(list.IndexOf("\x83\x61"), -1);  // ャ must not match ア
  EXPECT_EQ(list.IndexOf("\x83\x41"), 1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("ALPHA"), -1);
}

TEST(StringListLookup, SortedListKeepsOrderAndIgnoresDuplicates) {
  TStringList list;
  list.SetSorted(true);
  list.Add("delta");
  list.Add("Bravo");
  list.Add("alpha");
  EXPECT_EQ(list.Add("BRAVO"), 1);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Text(), "alpha\r\nBravo\r\ndelta\r\n");
  int index = -1;
  EXPECT_FALSE(list.Find("charlie", index));
  EXPECT_EQ(index, 2);
  EXPECT_THROW(list.Insert(0, "x"), std::logic_error);

  list.SetDuplicates(dupAccept);
  list.Add("alpha");
  EXPECT_EQ(list.Count(), 4);
}

TEST(StringListEdit, InsertDeleteAndBoundsChecks) {
  TStringList list;
  list.Add("b");
  list.Insert(0, "a");
  list.Insert(2, "c");
  EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\n");
  list.Delete(1);
  EXPECT_EQ(list.Text(), "a\r\nc\r\n");
  EXPECT_THROW(list.Delete(5), std::out_of_range);
  EXPECT_THROW(list.Insert(-1, "x"), std::out_of_range);
  EXPECT_THROW(list[9], std::out_of_range);
  list.Move(0, 1);
  EXPECT_EQ(list.Text(), "c\r\na\r\n");
}

TEST(StringListValues, NamesAndValuesSplitAtTheFirstEquals) {
  TStringList list;
  list.Add("Url=http://x/?a=b");
  list.Add("plain");
  EXPECT_EQ(list.Names(0), "Url");
  EXPECT_EQ(list.ValueFromIndex(0), "http://x/?a=b");
  EXPECT_EQ(list.Names(1), "");
  EXPECT_EQ(list.Values("url"), "http://x/?a=b");
  list.SetValue("Name", "v");
  EXPECT_EQ(list[2], "Name=v");
  list.SetValue("URL", "");
  EXPECT_EQ(list.IndexOfName("Url"), -1);
}

TEST(StringListSort, CustomSortDescending) {
  TStringList list;
  list.SetText("b\na\nc");
  list.CustomSort([](const std::string& a, const std::string& b) { return b.compare(a); });
  EXPECT_EQ(list.Text(), "c\r\nb\r\na\r\n");
}
