#include "shared/DataObjects.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "common/TestDataObject.h"

namespace {

// A CF_HDROP block by hand: its header with the offset, then the bytes.
std::string DropBlock(DWORD offset, const std::string& bytes, BOOL wide = TRUE) {
  DROPFILES df = {};
  df.pFiles = offset;
  df.fWide = wide;
  return std::string((const char*)&df, sizeof df) + bytes;
}

std::string Wide(const std::wstring& w) {
  return std::string((const char*)w.data(), w.size() * sizeof(wchar_t));
}

}  // namespace

TEST(DataObjectText, CfTextIsCutAtItsZeroByte) {
  auto obj = TestDataObject::Create();
  obj->Offer(CF_TEXT, std::string("http://example.jp/\0garbage", 26));
  EXPECT_EQ("http://example.jp/", GetDataObjectText(obj.get()));
}

TEST(DataObjectText, ShiftJisBytesOfCfTextAreKeptAsTheyAre) {
  auto obj = TestDataObject::Create();
  obj->OfferText("日本語のニュース");
  EXPECT_EQ("日本語のニュース", GetDataObjectText(obj.get()));
}

TEST(DataObjectText, UnicodeTextIsPreferredAndConvertedWithCodePage932) {
  auto obj = TestDataObject::Create();
  obj->OfferText("?????");  // what a source with another ANSI page makes of it
  obj->OfferUnicode(L"\x65E5\x672C\x8A9E http://a.jp/");
  EXPECT_EQ("日本語 http://a.jp/", GetDataObjectText(obj.get()));
}

TEST(DataObjectText, UnicodeThatCannotBeHadFallsBackToCfText) {
  auto obj = TestDataObject::Create();
  obj->OfferBroken(CF_UNICODETEXT);
  obj->OfferText("abc");
  EXPECT_EQ("abc", GetDataObjectText(obj.get()));
}

TEST(DataObjectText, TextWithoutItsZeroEndsWithTheBlock) {
  auto obj = TestDataObject::Create();
  obj->Offer(CF_UNICODETEXT, std::string("a\0b\0c", 5));
  EXPECT_EQ("ab", GetDataObjectText(obj.get()));
  obj = TestDataObject::Create();
  obj->Offer(CF_TEXT, "abc");
  EXPECT_EQ("abc", GetDataObjectText(obj.get()));
}

TEST(DataObjectText, NoTextRaisesTheOleError) {
  auto obj = TestDataObject::Create();
  obj->OfferFiles({L"C:\\a.txt"});
  try {
    GetDataObjectText(obj.get());
    FAIL() << "no exception";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(DV_E_FORMATETC, e.ErrorCode);
  }
}

TEST(DataObjectFiles, NamesAreAppendedInOrderAndKeptWhole) {
  auto obj = TestDataObject::Create();
  std::wstring longName = L"C:\\" + std::wstring(300, L'x') + L".opml";
  obj->OfferFiles({L"C:\\feeds\\\x30CB\x30E5\x30FC\x30B9.opml", longName});
  TStringList list;
  list.Add("already there");
  GetDataObjectFiles(obj.get(), list);
  ASSERT_EQ(3, list.Count());
  EXPECT_EQ("already there", list[0]);
  EXPECT_EQ("C:\\feeds\\ニュース.opml", list[1]);
  EXPECT_EQ(3 + 300 + 5, (int)list[2].size());
}

TEST(DataObjectFiles, AnObjectWithoutFilesRaises) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  TStringList list;
  EXPECT_THROW(GetDataObjectFiles(obj.get(), list), EOleSysError);
  EXPECT_EQ(0, list.Count());
}

TEST(DataObjectFiles, MalformedBlocksCannotBeReadAndGiveNoNames) {
  const std::string names = Wide(std::wstring(L"C:\\a.opml\0C:\\b.opml\0", 20));
  const struct {
    const char* what;
    std::string block;
  } cases[] = {
      {"offset past the end", DropBlock(1 << 20, names + Wide(std::wstring(1, L'\0')))},
      {"names without the double zero", DropBlock(sizeof(DROPFILES), names)},
      {"shorter than its header", std::string(6, '\0')},
  };
  for (const auto& c : cases) {
    auto obj = TestDataObject::Create();
    obj->Offer(CF_HDROP, c.block);
    TStringList list;
    EXPECT_THROW(GetDataObjectFiles(obj.get(), list), EOleSysError) << c.what;
    EXPECT_EQ(0, list.Count()) << c.what;
  }
}

TEST(DataObjectFiles, NarrowNamesAfterAnOddOffsetAreRead) {
  auto obj = TestDataObject::Create();
  obj->Offer(CF_HDROP,
             DropBlock(sizeof(DROPFILES) + 3, std::string("xyzC:\\a.xml\0b\0\0", 15), FALSE));
  TStringList list;
  GetDataObjectFiles(obj.get(), list);
  ASSERT_EQ(2, list.Count());
  EXPECT_EQ("C:\\a.xml", list[0]);
  EXPECT_EQ("b", list[1]);
}

TEST(DataObjectFiles, AHundredThousandNamesAreAllRead) {
  std::vector<std::wstring> names;
  for (int i = 0; i < 100000; ++i) names.push_back(L"C:\\f\\" + std::to_wstring(i) + L".xml");
  auto obj = TestDataObject::Create();
  obj->OfferFiles(names);
  TStringList list;
  GetDataObjectFiles(obj.get(), list);
  ASSERT_EQ(100000, list.Count());
  EXPECT_EQ("C:\\f\\99999.xml", list[99999]);
}

TEST(DataObjectMedium, AnAnswerInAnotherMediumCannotBeRead) {
  auto obj = TestDataObject::Create();
  obj->OfferFiles({L"C:\\a.opml"});
  obj->OfferText("http://a.jp/");
  obj->GiveAsStream(CF_HDROP);
  obj->GiveAsStream(CF_TEXT);
  TStringList list;
  EXPECT_THROW(GetDataObjectFiles(obj.get(), list), EOleSysError);
  EXPECT_THROW(GetDataObjectText(obj.get()), EOleSysError);
  EXPECT_EQ(0, list.Count());
}

TEST(DataObjectReader, HasFormatOnlyForOfferedGlobalMemory) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  TDataObjectReader reader(obj.get());
  EXPECT_TRUE(reader.HasFormat(CF_TEXT));
  EXPECT_FALSE(reader.HasFormat(CF_HDROP));
  EXPECT_FALSE(TDataObjectReader(nullptr).HasFormat(CF_TEXT));
}

TEST(DataObjectReader, MediaAreReleasedAndTheObjectIsNotKept) {
  auto obj = TestDataObject::Create();
  obj->OfferText("x");
  ULONG before = obj->RefCount();
  {
    TDataObjectReader reader(obj.get());
    EXPECT_EQ(before + 1, obj->RefCount());
  }
  GetDataObjectText(obj.get());
  EXPECT_EQ(before, obj->RefCount());
}
