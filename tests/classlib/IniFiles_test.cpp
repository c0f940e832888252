#include "IniFiles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "Handles.h"
#include "Streams.h"
#include "Text.h"
#include "common/TestFiles.h"

namespace {

std::string TempPath(const char *name) {
  return TempFolderPath() + "tsv_ini_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

void Fill(TMemIniFile &ini, const std::string &text) {
  TStringList lines;
  lines.SetText(text);
  ini.SetStrings(lines);
}

}  // namespace

TEST(MemIniRead, NamesMatchWithoutRegardToCase) {
  TMemIniFile ini("");
  Fill(ini, "[Env]\r\nRefreshTime = 30 \r\n");
  EXPECT_EQ(ini.ReadString("ENV", "refreshtime", "x"), "30");
  EXPECT_EQ(ini.ReadInteger("env", "RefreshTime", 0), 30);
  EXPECT_TRUE(ini.SectionExists("eNv"));
  EXPECT_TRUE(ini.ValueExists("Env", "REFRESHTIME"));
  EXPECT_FALSE(ini.ValueExists("Env", "Other"));
}

TEST(MemIniRead, PresentEmptyValueIsNotTheDefault) {
  TMemIniFile ini("");
  Fill(ini, "[S]\r\nName=\r\n");
  EXPECT_EQ(ini.ReadString("S", "Name", "def"), "");
  EXPECT_EQ(ini.ReadString("S", "Missing", "def"), "def");
  EXPECT_EQ(ini.ReadString("T", "Name", "def"), "def");
}

TEST(MemIniRead, IntegersAreDecimalOrHexElseDefault) {
  TMemIniFile ini("");
  Fill(ini,
       "[N]\r\na=-12\r\nb=$FF\r\nc=0x1f\r\nd=12abc\r\ne=\r\nf="
       "99999999999\r\ng=$FFFFFFFF\r\n"
       "h=0x\r\ni=1.5\r\n");
  EXPECT_EQ(ini.ReadInteger("N", "a", 7), -12);
  EXPECT_EQ(ini.ReadInteger("N", "b", 7), 255);
  EXPECT_EQ(ini.ReadInteger("N", "c", 7), 31);
  EXPECT_EQ(ini.ReadInteger("N", "d", 7), 7);
  EXPECT_EQ(ini.ReadInteger("N", "e", 7), 7);
  EXPECT_EQ(ini.ReadInteger("N", "f", 7), 7);
  EXPECT_EQ(ini.ReadInteger("N", "g", 7), -1);
  EXPECT_EQ(ini.ReadInteger("N", "h", 7), 7);
  EXPECT_EQ(ini.ReadInteger("N", "i", 7), 7);
}

TEST(MemIniRead, BooleansAreIntegersElseDefault) {
  TMemIniFile ini("");
  Fill(ini, "[B]\r\none=1\r\ntwo=2\r\nzero=0\r\nword=true\r\n");
  EXPECT_TRUE(ini.ReadBool("B", "one", false));
  EXPECT_TRUE(ini.ReadBool("B", "two", false));
  EXPECT_FALSE(ini.ReadBool("B", "zero", true));
  EXPECT_TRUE(ini.ReadBool("B", "word", true));
  EXPECT_FALSE(ini.ReadBool("B", "word", false));
}

TEST(MemIniRead, FloatsNeedTheWholeText) {
  TMemIniFile ini("");
  Fill(ini, "[F]\r\na=45306.5\r\nb=1,5\r\n");
  EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "a", 0), 45306.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "b", 2), 2);
}

TEST(MemIniWrite, UnknownSectionsKeysAndCommentsSurvive) {
  TMemIniFile ini("");
  Fill(ini,
       "top line\r\n[Other]\r\n; note\r\nX=1\r\nfree "
       "text\r\n[Env]\r\nKeep=\x93\xfa\r\nA=1\r\n");
  ini.WriteInteger("env", "a", 2);
  ini.WriteString("New", "K", "v");
  ini.WriteBool("Env", "B", true);
  TStringList out;
  ini.GetStrings(out);
  EXPECT_EQ(out.Text(),
            "top line\r\n\r\n[Other]\r\n; note\r\nX=1\r\nfree text\r\n\r\n"
            "[Env]\r\nKeep=\x93\xfa\r\nA=2\r\nB=1\r\n\r\n[New]\r\nK=v\r\n\r\n");
  // Reading the written text again gives the same text: no blank lines pile up.
  TMemIniFile again("");
  Fill(again, out.Text());
  TStringList out2;
  again.GetStrings(out2);
  EXPECT_EQ(out2.Text(), out.Text());
}

TEST(MemIniWrite, EraseSectionAndDeleteKey) {
  TMemIniFile ini("");
  Fill(ini, "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
  ini.DeleteKey("a", "X");
  ini.EraseSection("b");
  TStringList keys;
  ini.ReadSection("A", keys);
  EXPECT_EQ(keys.Text(), "y\r\n");
  EXPECT_FALSE(ini.SectionExists("B"));
  TStringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections.Text(), "A\r\n");
}

TEST(MemIniGarbled, BinaryBomAndOverlongLinesReadWithoutHarm) {
  std::string junk;
  for (int i = 0; i < 256; ++i) junk += (char)i;
  std::string text = "\xEF\xBB\xBF[Env]\r\n" + junk +
                     "\r\n[\r\n]\r\n=nokey\r\nA=" + std::string(200000, 'x') + "\r\nB=5\r\n[Env";
  TMemIniFile ini("");
  Fill(ini, text);
  EXPECT_EQ(ini.ReadInteger("Env", "B", 0), 5);
  EXPECT_EQ(ini.ReadString("Env", "A", "").size(), 200000u);
  EXPECT_EQ(ini.ReadInteger("Env", "A", 3), 3);
  EXPECT_EQ(ini.ReadString("Env", "", "d"), "d");
}

TEST(MemIniFile, MissingFileIsEmptyAndUpdateFileWritesIt) {
  std::string path = TempPath("mem.ini");
  DeleteFileW(SjisToWide(path).c_str());
  TMemIniFile ini(path);
  EXPECT_EQ(ini.ReadString("A", "b", "d"), "d");
  ini.WriteString("A", "b", "\x93\xfa\x96\x7b");
  ini.UpdateFile();
  EXPECT_EQ(ReadWholeFile(path), "[A]\r\nb=\x93\xfa\x96\x7b\r\n\r\n");
  TMemIniFile back(path);
  EXPECT_EQ(back.ReadString("a", "B", ""), "\x93\xfa\x96\x7b");
  DeleteFileW(SjisToWide(path).c_str());
}

TEST(MemIniFile, LockedFileThrowsOpenError) {
  std::string path = TempPath("locked.ini");
  WriteWholeFile(path, "[A]\r\nb=1\r\n");
  KernelHandle h(CreateFileW(SjisToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(h.get(), INVALID_HANDLE_VALUE);
  EXPECT_THROW(TMemIniFile ini(path), EFOpenError);
  h.reset();
  DeleteFileW(SjisToWide(path).c_str());
}

TEST(DirectIniFile, ReadsAndWritesStraightOnTheFile) {
  std::string path = TempPath("direct\x93\xfa.ini");
  WriteWholeFile(path, "[Env]\r\nRefreshTime=45\r\nName=\x93\xfa\x96\x7b\r\n[Other]\r\nX=1\r\n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("env", "refreshtime", 0), 45);
  EXPECT_EQ(ini.ReadString("Env", "Name", ""), "\x93\xfa\x96\x7b");
  EXPECT_EQ(ini.ReadString("Env", "Missing", "d"), "d");
  std::string longValue(5000, 'v');
  ini.WriteString("Env", "Long", longValue);
  ini.WriteBool("Env", "Flag", true);
  ini.UpdateFile();
  EXPECT_EQ(ini.ReadString("Env", "Long", ""), longValue);
  TStringList keys;
  ini.ReadSection("Env", keys);
  EXPECT_EQ(keys.Count(), 4);
  TStringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections.Count(), 2);
  EXPECT_TRUE(ini.SectionExists("Other"));
  ini.EraseSection("Other");
  ini.UpdateFile();
  EXPECT_FALSE(ini.SectionExists("Other"));
  TMemIniFile check(path);
  EXPECT_TRUE(check.ReadBool("Env", "Flag", false));
  DeleteFileW(SjisToWide(path).c_str());
}
