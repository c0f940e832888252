#include "shared/DataObjects.h"

#include <gtest/gtest.h>

#include "common/TestDataObject.h"

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
