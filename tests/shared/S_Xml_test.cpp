// The tree is built on the platform's real MSXML; this program carries the
// UNICODETBL resource just as the programs do.
#include <winsock2.h>

#include "S_Xml.h"

#include <gtest/gtest.h>
#include <msxml2.h>
#include <shlwapi.h>

#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "Text.h"
#include "classlib/Handles.h"

namespace {

class XmlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CharRefsEnabled = true;
    CheckCharacters = true;
  }
  TComInit com_;
};

std::string Utf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &s[0], n, nullptr, nullptr);
  return s;
}

std::string InCodePage(UINT cp, const std::wstring& w) {
  int n = WideCharToMultiByte(cp, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(cp, 0, w.data(), (int)w.size(), &s[0], n, nullptr, nullptr);
  return s;
}

std::string Utf16Le(const std::wstring& w) {
  std::string s("\xFF\xFE", 2);
  for (wchar_t c : w) {
    s += (char)(c & 0xFF);
    s += (char)(c >> 8);
  }
  return s;
}

// Built from EUC-JP: the JIS pairs are its bytes without their high bits.
std::string Iso2022Jp(const std::wstring& w) {
  std::string euc = InCodePage(20932, w), r;
  bool kanji = false;
  for (size_t i = 0; i < euc.size(); ++i) {
    unsigned char b = (unsigned char)euc[i];
    if ((b >= 0xA1) != kanji) {
      r += b >= 0xA1 ? "\x1B$B" : "\x1B(B";
      kanji = !kanji;
    }
    if (kanji) {
      r += (char)(b & 0x7F);
      r += (char)(euc[++i] & 0x7F);
    } else {
      r += (char)b;
    }
  }
  if (kanji) r += "\x1B(B";
  return r;
}

int TreeDepth(const TXMLList& list) {
  int depth = 0;
  const TXMLList* level = &list;
  while (level && level->Count() > 0) {
    ++depth;
    level = (*level)[0].Children.get();
  }
  return depth;
}

IXMLDOMDocument* NewDocument() {
  CLSID clsid;
  IXMLDOMDocument* doc = nullptr;
  if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument", &clsid))) return nullptr;
  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, (void**)&doc);
  return doc;
}

TEST_F(XmlTest, ElementWithOnlyTextKeepsItInTextWithOnePlaceholderChild) {
  auto list = LoadXMLList("<rss><title>News</title></rss>", true);
  ASSERT_TRUE(list);
  ASSERT_EQ(1, list->Count());
  TXMLItemType& rss = (*list)[0];
  EXPECT_EQ("rss", rss.Name);
  EXPECT_EQ(1, rss.NodeType);
  EXPECT_EQ(nullptr, rss.Parent);
  EXPECT_FALSE(rss.Attributes);
  ASSERT_TRUE(rss.Children);
  TXMLItemType& title = (*rss.Children)[0];
  EXPECT_EQ(&rss, title.Parent);
  EXPECT_EQ("News", title.Text);
  EXPECT_EQ("", title.CDataText);
  ASSERT_TRUE(title.Children);
  ASSERT_EQ(1, title.Children->Count());
  const TXMLItemType& placeholder = (*title.Children)[0];
  EXPECT_EQ(0, placeholder.NodeType);
  EXPECT_EQ("", placeholder.Name);
  EXPECT_EQ("", placeholder.Text);
  EXPECT_EQ(&title, placeholder.Parent);
  EXPECT_TRUE(placeholder.WideText.empty());
}

TEST_F(XmlTest, TextAroundCDataEndsInCDataTextWithReferencesDecoded) {
  auto list = LoadXMLList("<d>a<![CDATA[b&#65;]]>c</d>", false);
  ASSERT_TRUE(list);
  TXMLItemType& d = (*list)[0];
  EXPECT_EQ("", d.Text);
  EXPECT_EQ("abAc", d.CDataText);
  EXPECT_EQ(3, d.Children->Count());
}

TEST_F(XmlTest, CDataDecodesReferencesBetweenJapaneseText) {
  auto list = LoadXMLList(Utf8(L"<d><![CDATA[日本&#35486;です]]></d>"), false);
  ASSERT_TRUE(list);
  EXPECT_EQ("日本語です", (*list)[0].CDataText);
  EXPECT_EQ("", (*list)[0].Text);
}

TEST_F(XmlTest, NamedEntityBeforeCDataStaysDecodedOnce) {
  auto list = LoadXMLList("<d>x&amp;y<![CDATA[z]]></d>", false);
  ASSERT_TRUE(list);
  EXPECT_EQ("x&yz", (*list)[0].CDataText);
}

TEST_F(XmlTest, ElementOfTypeXhtmlIsKeptAsMarkupWhenAttributesAreRead) {
  const char* doc =
      "<entry><content type=\"XHTML\"><div xmlns=\"http://www.w3.org/1999/xhtml\">"
      "<b>bold</b> text</div></content></entry>";
  auto list = LoadXMLList(doc, true);
  ASSERT_TRUE(list);
  TXMLItemType& content = (*(*list)[0].Children)[0];
  EXPECT_EQ(3, content.NodeType);
  EXPECT_FALSE(content.Children);
  ASSERT_TRUE(content.Attributes);
  EXPECT_EQ("type", (*content.Attributes)[0].Name);
  EXPECT_EQ("XHTML", (*content.Attributes)[0].Text);
  EXPECT_NE(std::string::npos, content.CDataText.find("<b>bold</b> text</div>"));
  EXPECT_EQ(0u, content.CDataText.find("<div"));

  auto plain = LoadXMLList(doc, false);
  ASSERT_TRUE(plain);
  TXMLItemType& walked = (*(*plain)[0].Children)[0];
  EXPECT_EQ(1, walked.NodeType);
  EXPECT_FALSE(walked.Attributes);
  ASSERT_TRUE(walked.Children);
  EXPECT_EQ("div", (*walked.Children)[0].Name);
}

TEST_F(XmlTest, CommentsAndProcessingInstructionsGiveNoRecords) {
  auto list = LoadXMLList(
      "<?xml version=\"1.0\"?><?xml-stylesheet href=\"a.xsl\"?><!-- top -->"
      "<r><!-- inside --><?pi data?><a/></r><!-- after -->",
      true);
  ASSERT_TRUE(list);
  ASSERT_EQ(1, list->Count());
  ASSERT_EQ(1, (*list)[0].Children->Count());
  EXPECT_EQ("a", (*(*list)[0].Children)[0].Name);
  EXPECT_FALSE((*(*list)[0].Children)[0].Children);
}

TEST_F(XmlTest, AttributesKeepNamesWithPrefixAndConvertedValues) {
  auto list = LoadXMLList(
      Utf8(L"<rdf:RDF xmlns:rdf=\"urn:r\"><item rdf:about=\"日本\" b='1'/></rdf:RDF>"), true);
  ASSERT_TRUE(list);
  EXPECT_EQ("rdf:RDF", (*list)[0].Name);
  TXMLItemType& item = (*(*list)[0].Children)[0];
  ASSERT_TRUE(item.Attributes);
  ASSERT_EQ(2, item.Attributes->Count());
  EXPECT_EQ("rdf:about", (*item.Attributes)[0].Name);
  EXPECT_EQ("日本", (*item.Attributes)[0].Text);
  EXPECT_EQ(0, (*item.Attributes)[0].NodeType);
  EXPECT_EQ("b", (*item.Attributes)[1].Name);
}

TEST_F(XmlTest, NamespaceDeclarationsAreReadAsAttributes) {
  auto list = LoadXMLList(
      "<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:dc=\"urn:dc\" xml:lang=\"ja\">"
      "<dc:date>d</dc:date></feed>",
      true);
  ASSERT_TRUE(list);
  TXMLItemType& feed = (*list)[0];
  ASSERT_TRUE(feed.Attributes);
  // Wine lists namespace declarations after the other attributes.
  std::map<std::string, std::string> attributes;
  for (int i = 0; i < feed.Attributes->Count(); ++i)
    attributes[(*feed.Attributes)[i].Name] = (*feed.Attributes)[i].Text;
  EXPECT_EQ(3u, attributes.size());
  EXPECT_EQ("http://www.w3.org/2005/Atom", attributes["xmlns"]);
  EXPECT_EQ("urn:dc", attributes["xmlns:dc"]);
  EXPECT_EQ("ja", attributes["xml:lang"]);
  EXPECT_EQ("dc:date", (*feed.Children)[0].Name);
  EXPECT_EQ("d", (*feed.Children)[0].Text);
}

TEST_F(XmlTest, EmptyNodeListGivesEmptyTree) {
  ComPtr<IXMLDOMDocument> doc(NewDocument());
  ASSERT_NE(nullptr, doc.get());
  ComPtr<IXMLDOMNodeList> nodes;
  ASSERT_EQ(S_OK, doc->get_childNodes(nodes.put()));
  auto list = DomNodeToXMLList(nodes.get(), true);
  ASSERT_TRUE(list);
  EXPECT_EQ(0, list->Count());
}

TEST_F(XmlTest, ListCopiesRecordsAndLeavesOutOfRangeReadsAlone) {
  TXMLList list;
  TXMLItemType rec;
  rec.Name = "a";
  rec.Children = std::make_shared<TXMLList>();
  EXPECT_EQ(0, list.AddItem(rec));
  rec.Name = "b";
  EXPECT_EQ(1, list.AddItem(rec));
  EXPECT_EQ("a", list[0].Name);
  EXPECT_EQ(rec.Children, list[1].Children);  // the copy shares the lists

  TXMLItemType out;
  out.Name = "untouched";
  EXPECT_FALSE(list.GetItem(5, out));
  EXPECT_FALSE(list.GetItem(-1, out));
  EXPECT_EQ("untouched", out.Name);
  EXPECT_EQ(nullptr, list.ItemPtr(2));
  EXPECT_TRUE(list.GetItem(1, out));
  EXPECT_EQ("b", out.Name);
  list.Delete(0);
  EXPECT_EQ("b", list[0].Name);
  list.Clear();
  EXPECT_EQ(0, list.Count());
}

const wchar_t kJapanese[] = L"日本語のニュース＆天気";
const char kJapaneseSjis[] = "日本語のニュース＆天気";

std::string TitleOf(const std::string& bytes) {
  auto list = LoadXMLList(bytes, false);
  if (!list || list->Count() != 1 || !(*list)[0].Children) return "<no tree>";
  return (*(*list)[0].Children)[0].Text;
}

TEST_F(XmlTest, EveryEncodingArrivesAsTheSameShiftJisText) {
  std::wstring body = std::wstring(L"<rss><t>") + kJapanese + L"</t></rss>";
  auto declared = [&](const wchar_t* enc) {
    return std::wstring(L"<?xml version=\"1.0\" encoding=\"") + enc + L"\"?>\n" + body;
  };
  EXPECT_EQ(kJapaneseSjis, TitleOf(Utf8(body)));
  EXPECT_EQ(kJapaneseSjis, TitleOf(Utf8(declared(L"UTF-8"))));
  EXPECT_EQ(kJapaneseSjis, TitleOf("\xEF\xBB\xBF" + Utf8(body)));
  EXPECT_EQ(kJapaneseSjis, TitleOf(InCodePage(932, declared(L"Shift_JIS"))));
  EXPECT_EQ(kJapaneseSjis, TitleOf(InCodePage(932, declared(L"shift_jis"))));
  EXPECT_EQ(kJapaneseSjis, TitleOf(InCodePage(932, declared(L"Windows-31J"))));
  EXPECT_EQ(kJapaneseSjis, TitleOf(InCodePage(932, declared(L"x-sjis"))));
  EXPECT_EQ(kJapaneseSjis, TitleOf(InCodePage(20932, declared(L"EUC-JP"))));
  EXPECT_EQ(kJapaneseSjis, TitleOf(Iso2022Jp(declared(L"ISO-2022-JP"))));
  EXPECT_EQ(kJapaneseSjis, TitleOf(Utf16Le(body)));
  EXPECT_EQ(kJapaneseSjis, TitleOf(Utf16Le(declared(L"UTF-16"))));
}

TEST_F(XmlTest, EucJpWaveDashArrivesAsTheShiftJisTilde) {
  // EUC-JP A1 C1 decodes to U+301C, which only the table brings to Shift-JIS.
  std::string doc = "<?xml version=\"1.0\" encoding=\"euc-jp\"?><t>1\xA1\xC1" "2</t>";
  auto list = LoadXMLList(doc, false);
  ASSERT_TRUE(list);
  EXPECT_EQ("1\x81\x60" "2", (*list)[0].Text);
}

TEST_F(XmlTest, ShiftJisDeclarationWithSingleQuotesAndStandalone) {
  std::string doc = std::string("<?xml version='1.0' encoding='Shift_JIS' standalone='yes'?>") +
                    "<rss><t>" + kJapaneseSjis + "</t></rss>";
  EXPECT_EQ(kJapaneseSjis, TitleOf(doc));
}

TEST_F(XmlTest, StreamSourceLoadsLikeBytes) {
  std::string bytes = Utf8(std::wstring(L"<rss><t>") + kJapanese + L"</t></rss>");
  ComPtr<IStream> stream(SHCreateMemStream((const BYTE*)bytes.data(), (UINT)bytes.size()));
  ASSERT_NE(nullptr, stream.get());
  auto list = LoadXMLList(stream.get(), false);
  stream.reset();
  ASSERT_TRUE(list);
  EXPECT_EQ(kJapaneseSjis, (*(*list)[0].Children)[0].Text);
}

TEST_F(XmlTest, ParseErrorFillsLastParseErrorAndTheNextLoadClearsTheCode) {
  EXPECT_FALSE(LoadXMLList("<rss>\n<a></b></rss>", true));
  EXPECT_NE(0, LastParseError.ErrorCode);
  EXPECT_FALSE(LastParseError.Reason.empty());
  if (LastParseError.Line == 0) {
    // Wine's parser: a generic code, reason "error", no position.
    EXPECT_EQ((int32_t)0x80004005, LastParseError.ErrorCode);
  } else {
    EXPECT_EQ(2, LastParseError.Line);
    EXPECT_GT(LastParseError.LinePos, 0);
  }

  IXMLDOMDocument* doc = nullptr;
  EXPECT_TRUE(LoadXMLDocument(std::string("<ok/>"), doc));
  EXPECT_NE(nullptr, doc);
  EXPECT_EQ(0, LastParseError.ErrorCode);
}

TEST_F(XmlTest, EmptyAndGarbledBytesGiveNoDocument) {
  IXMLDOMDocument* doc = reinterpret_cast<IXMLDOMDocument*>(1);
  EXPECT_FALSE(LoadXMLDocument(std::string(), doc));
  EXPECT_EQ(nullptr, doc);
  EXPECT_NE(0, LastParseError.ErrorCode);
  EXPECT_FALSE(LoadXMLList(std::string("\x82\xA0\xFF garbage", 11), false));
  EXPECT_NE(0, LastParseError.ErrorCode);
}

// Records every connection made to a port on 127.0.0.1 and drops it at once.
class LoopbackListener {
 public:
  LoopbackListener() {
    ws2_.reset(LoadLibraryW(L"ws2_32.dll"));
    if (!ws2_) return;
    auto startup = Fn<decltype(&WSAStartup)>("WSAStartup");
    socket_ = Fn<decltype(&::socket)>("socket");
    bind_ = Fn<decltype(&::bind)>("bind");
    listen_ = Fn<decltype(&::listen)>("listen");
    getsockname_ = Fn<decltype(&::getsockname)>("getsockname");
    select_ = Fn<decltype(&::select)>("select");
    accept_ = Fn<decltype(&::accept)>("accept");
    connect_ = Fn<decltype(&::connect)>("connect");
    close_ = Fn<decltype(&::closesocket)>("closesocket");
    WSADATA data;
    if (!startup || !socket_ || !bind_ || !listen_ || !getsockname_ || !select_ || !accept_ ||
        !connect_ || !close_ || startup(MAKEWORD(2, 2), &data) != 0)
      return;
    sock_ = socket_(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = Loopback(0);
    int len = sizeof addr;
    if (sock_ == INVALID_SOCKET || bind_(sock_, (sockaddr*)&addr, sizeof addr) != 0 ||
        listen_(sock_, 8) != 0 || getsockname_(sock_, (sockaddr*)&addr, &len) != 0)
      return;
    port_ = (addr.sin_port >> 8 | addr.sin_port << 8) & 0xFFFF;
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (sock_ != INVALID_SOCKET) close_(sock_);
  }
  int Port() const { return port_; }
  int Connections() const { return connections_; }
  bool ConnectOnce() {
    SOCKET s = socket_(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = Loopback(port_);
    bool ok = connect_(s, (sockaddr*)&addr, sizeof addr) == 0;
    close_(s);
    return ok;
  }

 private:
  template <class F>
  F Fn(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(ws2_.get(), name)));
  }
  static sockaddr_in Loopback(int port) {
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = (u_short)((port >> 8 | port << 8) & 0xFFFF);
    a.sin_addr.s_addr = 0x0100007F;  // 127.0.0.1 in network order
    return a;
  }
  void Serve() {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!stop_ && std::chrono::steady_clock::now() < until) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(sock_, &set);
      timeval tv = {0, 50000};
      if (select_(0, &set, nullptr, nullptr, &tv) > 0) {
        SOCKET c = accept_(sock_, nullptr, nullptr);
        if (c != INVALID_SOCKET) {
          ++connections_;
          close_(c);
        }
      }
    }
  }

  ModuleHandle ws2_;
  decltype(&::socket) socket_ = nullptr;
  decltype(&::bind) bind_ = nullptr;
  decltype(&::listen) listen_ = nullptr;
  decltype(&::getsockname) getsockname_ = nullptr;
  decltype(&::select) select_ = nullptr;
  decltype(&::accept) accept_ = nullptr;
  decltype(&::connect) connect_ = nullptr;
  decltype(&::closesocket) close_ = nullptr;
  SOCKET sock_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<int> connections_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST_F(XmlTest, ExternalEntityAndExternalDtdAreNeverRequested) {
  LoopbackListener server;
  ASSERT_NE(0, server.Port());
  std::string url = "http://127.0.0.1:" + std::to_string(server.Port());

  std::string entityDoc = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n<!ENTITY ext SYSTEM \"" + url +
                          "/ext.txt\">\n]>\n<rss><t>&ext;</t></rss>";
  EXPECT_FALSE(LoadXMLList(entityDoc, true));
  EXPECT_NE(0, LastParseError.ErrorCode);

  std::string dtdDoc = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss PUBLIC \"-//X//DTD RSS//EN\" \"" +
                       url + "/rss.dtd\">\n<rss><t>kept</t></rss>";
  auto list = LoadXMLList(dtdDoc, true);
  ASSERT_TRUE(list);
  ASSERT_EQ(1, list->Count());
  EXPECT_EQ("kept", (*(*list)[0].Children)[0].Text);

  // The listener takes connections in turn: once our own is counted, any the
  // parser made before it has been counted too.
  ASSERT_TRUE(server.ConnectOnce());
  for (int i = 0; i < 100 && server.Connections() == 0; ++i) Sleep(50);
  EXPECT_EQ(1, server.Connections());
}

TEST_F(XmlTest, NestedEntityExpansionIsRefused) {
  std::string doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n";
  std::string prev = "lol";
  for (int i = 1; i <= 9; ++i) {
    std::string name = "lol" + std::to_string(i);
    doc += "<!ENTITY " + name + " \"";
    for (int k = 0; k < 10; ++k) doc += "&" + prev + ";";
    doc += "\">\n";
    prev = name;
  }
  doc += "]>\n<lolz>&" + prev + ";</lolz>";
  EXPECT_FALSE(LoadXMLList(doc, true));
  EXPECT_NE(0, LastParseError.ErrorCode);
  EXPECT_FALSE(LastParseError.Reason.empty());
}

TEST_F(XmlTest, DtdHiddenAfterCommentsAndInUtf16IsStillCaught) {
  EXPECT_FALSE(LoadXMLList("<!-- c --><?pi?>\n<!DOCTYPE r [<!ENTITY a \"x\">]><r>&a;</r>", true));
  EXPECT_NE(0, LastParseError.ErrorCode);
  EXPECT_FALSE(LoadXMLList(Utf16Le(L"<!DOCTYPE r [<!ENTITY a \"x\">]><r>&a;</r>"), true));
  EXPECT_NE(0, LastParseError.ErrorCode);
  // A declaration-like text in the body is only text.
  auto list = LoadXMLList("<r><![CDATA[<!DOCTYPE x [<!ENTITY a 'b'>]>]]></r>", true);
  ASSERT_TRUE(list);
  EXPECT_EQ("<!DOCTYPE x [<!ENTITY a 'b'>]>", (*list)[0].CDataText);
}

TEST_F(XmlTest, DeepDocumentIsRefusedOrCutToTheDepthBound) {
  const int levels = 100000;
  std::string doc;
  doc.reserve(levels * 7);
  for (int i = 0; i < levels; ++i) doc += "<a>";
  for (int i = 0; i < levels; ++i) doc += "</a>";
  auto list = LoadXMLList(doc, true);
  if (list) {
    EXPECT_EQ(MaxXmlTreeDepth, TreeDepth(*list));
  } else {
    EXPECT_NE(0, LastParseError.ErrorCode);
  }
}

TEST_F(XmlTest, DeepDomIsCutToTheDepthBound) {
  ComPtr<IXMLDOMDocument> doc(NewDocument());
  ASSERT_NE(nullptr, doc.get());
  BSTR name = SysAllocString(L"a");
  ComPtr<IXMLDOMNode> parent;
  doc->QueryInterface(IID_IXMLDOMNode, parent.put_void());
  for (int i = 0; i < MaxXmlTreeDepth + 500; ++i) {
    ComPtr<IXMLDOMElement> element;
    ASSERT_EQ(S_OK, doc->createElement(name, element.put()));
    ComPtr<IXMLDOMNode> added;
    ASSERT_EQ(S_OK, parent->appendChild(element.get(), added.put()));
    parent = std::move(added);
  }
  parent.reset();
  SysFreeString(name);
  ComPtr<IXMLDOMNodeList> nodes;
  ASSERT_EQ(S_OK, doc->get_childNodes(nodes.put()));
  auto list = DomNodeToXMLList(nodes.get(), true);
  nodes.reset();
  doc.reset();
  ASSERT_TRUE(list);
  EXPECT_EQ(MaxXmlTreeDepth, TreeDepth(*list));
}

TEST_F(XmlTest, TextWithoutQuestionMarkIsConvertedPlainly) {
  EXPECT_EQ("abc日本", WideToAnsiSubst(L"abc日本"));
  EXPECT_EQ("", WideToAnsiSubst(L""));
}

TEST_F(XmlTest, CharactersWithoutShiftJisFormAreSubstituted) {
  // Only where the plain conversion gives "?" does the table apply.
  struct {
    wchar_t from;
    const char* to;
  } pairs[] = {{0x2212, "\x81\x7C"}, {0x2014, "\x81\x7C"}, {0x301C, "\x81\x60"}, {0x2013, "-"}};
  for (const auto& p : pairs) {
    std::wstring w = std::wstring(L"x") + p.from + L"y";
    std::string plain = WideToSjis(w);
    std::string expected = plain.find('?') == std::string::npos ? plain : "x" + std::string(p.to) + "y";
    EXPECT_EQ(expected, WideToAnsiSubst(w)) << std::hex << (int)p.from;
  }
  std::wstring wave = L"a\u301Cb";
  if (WideToSjis(wave).find('?') != std::string::npos) {
    EXPECT_EQ("a\x81\x60" "b", WideToAnsiSubst(wave));
  }
}

TEST_F(XmlTest, QuestionMarkOfTheInputAlsoTriggersAllPairs) {
  // The plain conversion of U+FF0D is the full-width hyphen itself, and a
  // "?" of the input starts the substitution: every pair is applied.
  std::wstring w = L"?\u2212\u2014\u301C\u2013";
  EXPECT_EQ("?\x81\x7C\x81\x7C\x81\x60-", WideToAnsiSubst(w));
  EXPECT_EQ("\x81\x60", WideToAnsiSubst(L"\u301C?").substr(0, 2));
}

TEST_F(XmlTest, WaveDashInAFeedArrivesAsFullWidthTilde) {
  auto list = LoadXMLList(Utf8(L"<t>10\u301C20\u2212\u2014\u2013</t>"), false);
  ASSERT_TRUE(list);
  EXPECT_EQ("10\x81\x60" "20\x81\x7C\x81\x7C-", (*list)[0].Text);
}

TEST_F(XmlTest, ShiftJisCheckDropsControlsAndRefusesBadBytes) {
  EXPECT_EQ("ab", CheckShiftJis("a\x01" "b", true));
  EXPECT_EQ("a\tb\r\n", CheckShiftJis("a\x7F\tb\x1F\r\n", true));
  EXPECT_EQ(BadCharacterMessage, CheckShiftJis("a\x80" "b", true));
  EXPECT_EQ(BadCharacterMessage, CheckShiftJis("\xA0", true));
  EXPECT_EQ(BadCharacterMessage, CheckShiftJis("\xFD", true));
  EXPECT_EQ(BadCharacterMessage, CheckShiftJis("\x82\n", true));
  EXPECT_EQ("\x93\x80", CheckShiftJis("\x93\x80", true)) << "0x80 as a trail byte is kept";
  EXPECT_EQ("ｱ\x82", CheckShiftJis("ｱ\x82", true)) << "a lead byte at the end is no error";
  EXPECT_EQ("a\x80\x01", CheckShiftJis("a\x80\x01", false));
  EXPECT_STREQ("不正な文字コードが含まれています", BadCharacterMessage);
}

TEST_F(XmlTest, BadCharacterInAFeedBecomesTheMessage) {
  auto list = LoadXMLList("<r><t>a&#128;b</t><u k=\"&#128;\">ok</u></r>", true);
  ASSERT_TRUE(list);
  TXMLItemType& r = (*list)[0];
  EXPECT_EQ(BadCharacterMessage, (*r.Children)[0].Text);
  EXPECT_EQ(BadCharacterMessage, (*(*r.Children)[1].Attributes)[0].Text);
  CheckCharacters = false;
  list = LoadXMLList("<t>a&#128;b</t>", false);
  ASSERT_TRUE(list);
  EXPECT_EQ("a\x80" "b", (*list)[0].Text);
}

TEST_F(XmlTest, IsCharRefFollowsTheDecimalRule) {
  EXPECT_TRUE(IsCharRef("&#65;", 1));
  EXPECT_TRUE(IsCharRef("a&#65;b", 2));
  EXPECT_FALSE(IsCharRef("a&#65;b", 1));
  EXPECT_TRUE(IsCharRef("x&#12", 2)) << "a reference may run to the end";
  EXPECT_FALSE(IsCharRef("&#;", 1));
  EXPECT_FALSE(IsCharRef("&#x41;", 1));
  EXPECT_FALSE(IsCharRef("&amp;", 1));
  EXPECT_FALSE(IsCharRef("&#65x", 1));
  EXPECT_FALSE(IsCharRef("&", 1));
  EXPECT_FALSE(IsCharRef("&#65;", 0));
  EXPECT_FALSE(IsCharRef("&#65;", 9));
}

TEST_F(XmlTest, DecodeCharRefsDecodesDecimalReferencesInShiftJisText) {
  EXPECT_EQ("日本語です", DecodeCharRefs("日本&#35486;です"));
  EXPECT_EQ("A&B", DecodeCharRefs("&#65;&B"));
  EXPECT_EQ("\x81\x60;", DecodeCharRefs("&#12316;;")) << "U+301C through the table";
  EXPECT_EQ("x;&#12", DecodeCharRefs("x;&#12")) << "U+000C is no XML character";
  EXPECT_EQ("a;bA", DecodeCharRefs("a;b&#65")) << "a reference may run to the end";
  EXPECT_EQ("&#x41; &#; &amp; &#0; &#99999999;",
            DecodeCharRefs("&#x41; &#; &amp; &#0; &#99999999;"));
  EXPECT_EQ("&#65", DecodeCharRefs("&#65")) << "no ';' anywhere: left alone";
  CharRefsEnabled = false;
  EXPECT_EQ("&#65;", DecodeCharRefs("&#65;"));
}

TEST_F(XmlTest, DecodeCharRefsKeepsDoubleByteTrailsIntact) {
  // A trail byte (0x5C of 表, or any other) is never taken for markup.
  EXPECT_EQ("表示A", DecodeCharRefs("表示&#65;"));
  EXPECT_EQ("\x83\x26#65;", DecodeCharRefs("\x83\x26#65;")) << "0x26 as a trail byte";
}

TEST_F(XmlTest, EscapingKeepsCharacterReferencesOnlyWhenAsked) {
  EXPECT_EQ("AT&amp;amp;T &#169;", EscapeXmlText("AT&amp;T &#169;", true));
  EXPECT_EQ("AT&amp;amp;T &amp;#169;", EscapeXmlText("AT&amp;T &#169;", false));
  EXPECT_EQ("&lt;a href=\"x\"&gt;", EscapeXmlText("<a href=\"x\">", true));
  EXPECT_EQ("&lt;a href=&quot;x&quot;&gt; &amp;#1;", EscapeXmlQuot("<a href=\"x\"> &#1;", false));
  EXPECT_EQ("表&lt;", EscapeXmlText("表<", false));
  EXPECT_EQ("", EscapeXmlQuot("", true));
  CharRefsEnabled = false;
  EXPECT_EQ("&amp;#169;", EscapeXmlText("&#169;", true));
}

TEST_F(XmlTest, SameTrimTextComparesExactlyOrTrimmedWithoutCase) {
  EXPECT_TRUE(SameTrimText("title", "title"));
  EXPECT_TRUE(SameTrimText(" Title\t", "TITLE"));
  EXPECT_TRUE(SameTrimText("\x81\x40title", "Title"));
  EXPECT_TRUE(SameTrimText("ｔｉｔｌｅ", "ＴＩＴＬＥ"));
  EXPECT_FALSE(SameTrimText("title", "titles"));
  EXPECT_FALSE(SameTrimText("", "a"));
}

}  // namespace
