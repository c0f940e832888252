#include "S_Xml.h"

#include <msxml2.h>
#include <shlwapi.h>

#include <stdexcept>

#include "S_FileUtils.h"
#include "S_XmlDecl.h"
#include "classlib/Guard.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"

TParseError LastParseError;
bool CharRefsEnabled = true;
bool CheckCharacters = true;

namespace {

class TBstr {
 public:
  TBstr() = default;
  explicit TBstr(const wchar_t* s) : b_(SysAllocString(s)) {}
  ~TBstr() { SysFreeString(b_); }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  BSTR Get() const { return b_; }
  BSTR* Out() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  std::wstring Str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

 private:
  BSTR b_ = nullptr;
};

void Check(HRESULT hr) {
  if (FAILED(hr)) throw std::runtime_error("DOM call failed");
}

// Released by ReleaseXmlDocuments before COM goes away, so that its static
// destructor (run after COM may be gone) finds nothing left to release.
ComPtr<IXMLDOMDocument> SharedDomDocument;

void ShowParserMissing() {
  std::wstring text = SjisToWide(
      "Microsoft XML Parser がインストールされていません。\r\n"
      "Microsoft Internet Explorer4.01以上(推奨 5.01以上)のブラウザをインストールしてください。");
  MessageBoxW(GetActiveWindow(), text.c_str(), SjisToWide(ProgramName()).c_str(),
              MB_OK | MB_ICONINFORMATION);
}

ComPtr<IXMLDOMDocument> CreateDomDocument() {
  // mingw's import libraries lack the CLSID_DOMDocument symbols.
  CLSID clsid;
  ComPtr<IXMLDOMDocument> doc;
  if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                              doc.put_void())))
    return nullptr;
  return doc;
}

void Refuse(HRESULT code, const std::wstring& reason) {
  LastParseError.ErrorCode = (int32_t)code;
  LastParseError.Reason = reason;
  LastParseError.SrcText.clear();
  LastParseError.Line = LastParseError.LinePos = LastParseError.FilePos = 0;
}

// mingw's import libraries lack IID_IXMLDOMDocument2.
const IID IidDomDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// Nothing is ever fetched: a document that cannot be kept from resolving
// externals is not loaded at all.
bool SetSafeProperties(IXMLDOMDocument* doc) {
  VARIANT_BOOL resolving = VARIANT_TRUE;
  if (FAILED(doc->put_async(VARIANT_FALSE)) || FAILED(doc->put_resolveExternals(VARIANT_FALSE)) ||
      FAILED(doc->get_resolveExternals(&resolving)) || resolving != VARIANT_FALSE)
    return false;
  doc->put_validateOnParse(VARIANT_FALSE);
  ComPtr<IXMLDOMDocument2> doc2;
  if (SUCCEEDED(doc->QueryInterface(IidDomDocument2, doc2.put_void()))) {
    VARIANT v;
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = VARIANT_TRUE;
    TBstr name(L"ProhibitDTD");
    doc2->setProperty(name.Get(), v);  // older parsers lack it; no declaration reaches them anyway
  }
  return true;
}

void ReadParseError(IXMLDOMDocument* doc, HRESULT loadResult) {
  ComPtr<IXMLDOMParseError> err;
  long code = 0;
  if (SUCCEEDED(doc->get_parseError(err.put())) && err.get()) err->get_errorCode(&code);
  if (code == 0) {
    Refuse(FAILED(loadResult) ? loadResult : E_FAIL, L"load failed");
    return;
  }
  LastParseError.ErrorCode = (int32_t)code;
  TBstr reason, src;
  long line = 0, linePos = 0, filePos = 0;
  err->get_reason(reason.Out());
  err->get_srcText(src.Out());
  err->get_line(&line);
  err->get_linepos(&linePos);
  err->get_filepos(&filePos);
  LastParseError.Reason = reason.Str();
  LastParseError.SrcText = src.Str();
  LastParseError.Line = (int32_t)line;
  LastParseError.LinePos = (int32_t)linePos;
  LastParseError.FilePos = (int32_t)filePos;
}

std::string ConvertChecked(const std::wstring& w) {
  return CheckShiftJis(WideToAnsiSubst(w), CheckCharacters);
}

bool IsMarkupType(IXMLDOMNode* attr, const std::wstring& name) {
  if (lstrcmpiW(name.c_str(), L"type") != 0) return false;
  TBstr value;
  Check(attr->get_text(value.Out()));
  return lstrcmpiW(value.Str().c_str(), L"xhtml") == 0;
}

// Wine's MSXML counts a default namespace declaration among the attributes but
// fails to hand it out; an unprefixed element's namespace is that value.
void AddDefaultNamespace(IXMLDOMNode* node, TXMLList& attributes) {
  TBstr prefix, uri;
  if (FAILED(node->get_prefix(prefix.Out())) || !prefix.Str().empty() ||
      FAILED(node->get_namespaceURI(uri.Out())) || uri.Str().empty())
    return;
  TXMLItemType a;
  a.Name = "xmlns";
  a.Text = ConvertChecked(uri.Str());
  attributes.AddItem(a);
}

// Returns whether the element is to be kept as markup.
bool ReadAttributes(IXMLDOMNode* node, TXMLItemType& rec) {
  ComPtr<IXMLDOMNamedNodeMap> attrs;
  long count = 0;
  if (FAILED(node->get_attributes(attrs.put())) || !attrs.get()) return false;
  Check(attrs->get_length(&count));
  if (count <= 0) return false;
  bool markup = false;
  rec.Attributes = std::make_shared<TXMLList>();
  for (long i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> attr;
    if (FAILED(attrs->get_item(i, attr.put())) || !attr.get()) {
      AddDefaultNamespace(node, *rec.Attributes);
      continue;
    }
    TBstr name, value;
    Check(attr->get_nodeName(name.Out()));
    Check(attr->get_text(value.Out()));
    TXMLItemType a;
    a.Name = WideToSjis(name.Str());
    a.Text = ConvertChecked(value.Str());
    rec.Attributes->AddItem(a);
    if (IsMarkupType(attr.get(), name.Str())) markup = true;
  }
  return markup;
}

void KeepAsMarkup(IXMLDOMNode* node, TXMLItemType& rec) {
  rec.NodeType = 3;
  const bool kept = Guard("XML markup text", [&] {
    ComPtr<IXMLDOMNodeList> kids;
    long count = 0;
    Check(node->get_childNodes(kids.put()));
    Check(kids->get_length(&count));
    std::wstring markup;
    for (long i = 0; i < count; ++i) {
      ComPtr<IXMLDOMNode> kid;
      TBstr xml;
      Check(kids->get_item(i, kid.put()));
      Check(kid->get_xml(xml.Out()));
      markup += xml.Str();
    }
    rec.CDataText = ConvertChecked(markup);
  });
  if (!kept) rec.CDataText.clear();
}

// parent collects the texts; its records go to list, with Parent set to
// parentPtr (null for the top level).
void WalkDomNodes(IXMLDOMNodeList* nodes, TXMLList& list, TXMLItemType& parent,
                  TXMLItemType* parentPtr, int depth, bool readAttributes) {
  long count = 0;
  Check(nodes->get_length(&count));
  for (long i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> node;
    DOMNodeType type;
    Check(nodes->get_item(i, node.put()));
    if (!node.get()) continue;
    Check(node->get_nodeType(&type));
    if (type != NODE_ELEMENT && type != NODE_TEXT && type != NODE_CDATA_SECTION) continue;
    TXMLItemType fresh;
    fresh.Parent = parentPtr;
    TXMLItemType& rec = *list.ItemPtr(list.AddItem(fresh));
    if (type == NODE_ELEMENT) {
      rec.NodeType = 1;
      TBstr name;
      Check(node->get_nodeName(name.Out()));
      rec.Name = WideToSjis(name.Str());
      if (readAttributes && ReadAttributes(node.get(), rec)) {
        KeepAsMarkup(node.get(), rec);
        continue;
      }
      VARIANT_BOOL hasKids = VARIANT_FALSE;
      Check(node->hasChildNodes(&hasKids));
      // Deeper levels are cut off so that the walk cannot run out of stack.
      if (hasKids != VARIANT_FALSE && depth + 1 < MaxXmlTreeDepth) {
        ComPtr<IXMLDOMNodeList> kids;
        Check(node->get_childNodes(kids.put()));
        rec.Children = std::make_shared<TXMLList>();
        WalkDomNodes(kids.get(), *rec.Children, rec, &rec, depth + 1, readAttributes);
      }
    } else {
      TBstr text;
      Check(node->get_text(text.Out()));
      std::string piece = ConvertChecked(text.Str());
      if (type == NODE_TEXT) {
        parent.Text += piece;
        if (!parent.CDataText.empty()) {
          parent.CDataText += DecodeCharRefs(parent.Text);
          parent.Text.clear();
        }
      } else {
        if (!parent.Text.empty()) {
          parent.CDataText += DecodeCharRefs(parent.Text);
          parent.Text.clear();
        }
        parent.CDataText += DecodeCharRefs(piece);
      }
    }
  }
}

std::string ReadStream(IStream* source) {
  std::string bytes;
  char buf[65536];
  for (;;) {
    ULONG got = 0;
    HRESULT hr = source->Read(buf, sizeof buf, &got);
    bytes.append(buf, got);
    if (FAILED(hr) || got == 0) break;
  }
  return bytes;
}

}  // namespace

TXMLList::~TXMLList() { Clear(); }

TXMLItemType* TXMLList::ItemPtr(int index) {
  return index >= 0 && index < Count() ? items_[index].get() : nullptr;
}

const TXMLItemType* TXMLList::ItemPtr(int index) const {
  return index >= 0 && index < Count() ? items_[index].get() : nullptr;
}

bool TXMLList::GetItem(int index, TXMLItemType& out) const {
  const TXMLItemType* p = ItemPtr(index);
  if (!p) return false;
  out = *p;
  return true;
}

int TXMLList::AddItem(const TXMLItemType& record) {
  items_.push_back(std::make_unique<TXMLItemType>(record));
  return Count() - 1;
}

void TXMLList::Delete(int index) {
  if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
}

void TXMLList::Clear() { items_.clear(); }

TComInit::TComInit() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}

TComInit::~TComInit() {
  ReleaseXmlDocuments();
  if (ok_) CoUninitialize();
}

void ReleaseXmlDocuments() { SharedDomDocument.reset(); }

bool LoadXMLDocument(const std::string& bytes, IXMLDOMDocument*& document) {
  LastParseError.ErrorCode = 0;
  document = nullptr;
  if (!SharedDomDocument) SharedDomDocument = CreateDomDocument();
  if (!SharedDomDocument) {
    ShowParserMissing();
    return false;
  }
  if (!SetSafeProperties(SharedDomDocument.get())) {
    Refuse(E_FAIL, L"resolveExternals cannot be turned off");
    return false;
  }
  TPreparedXml prepared = PrepareXmlBytes(bytes);
  if (!prepared.Ok) {
    Refuse(E_FAIL, prepared.Reason);
    return false;
  }
  ComPtr<IStream> stream(
      SHCreateMemStream((const BYTE*)prepared.Bytes.data(), (UINT)prepared.Bytes.size()));
  if (!stream.get()) {
    Refuse(E_OUTOFMEMORY, L"out of memory");
    return false;
  }
  VARIANT source;
  V_VT(&source) = VT_UNKNOWN;
  V_UNKNOWN(&source) = stream.get();
  VARIANT_BOOL ok = VARIANT_FALSE;
  HRESULT hr = SharedDomDocument->load(source, &ok);
  if (FAILED(hr) || ok == VARIANT_FALSE) {
    ReadParseError(SharedDomDocument.get(), hr);
    return false;
  }
  document = SharedDomDocument.get();
  return true;
}

bool LoadXMLDocument(IStream* source, IXMLDOMDocument*& document) {
  document = nullptr;
  if (!source) {
    Refuse(E_POINTER, L"no source");
    return false;
  }
  return LoadXMLDocument(ReadStream(source), document);
}

std::unique_ptr<TXMLList> DomNodeToXMLList(IXMLDOMNodeList* nodes, bool readAttributes) {
  TXMLItemType root;  // stands for the document and is discarded
  auto list = std::make_unique<TXMLList>();
  if (nodes) WalkDomNodes(nodes, *list, root, nullptr, 0, readAttributes);
  return list;
}

namespace {

std::unique_ptr<TXMLList> ListOfDocument(IXMLDOMDocument* doc, bool readAttributes) {
  std::unique_ptr<TXMLList> list;
  Guard("XML document walk", [&] {
    ComPtr<IXMLDOMNodeList> nodes;
    Check(doc->get_childNodes(nodes.put()));
    list = DomNodeToXMLList(nodes.get(), readAttributes);
  });
  return list;
}

}  // namespace

std::unique_ptr<TXMLList> LoadXMLList(const std::string& bytes, bool readAttributes) {
  IXMLDOMDocument* doc = nullptr;
  if (!LoadXMLDocument(bytes, doc)) return nullptr;
  return ListOfDocument(doc, readAttributes);
}

std::unique_ptr<TXMLList> LoadXMLList(IStream* source, bool readAttributes) {
  IXMLDOMDocument* doc = nullptr;
  if (!LoadXMLDocument(source, doc)) return nullptr;
  return ListOfDocument(doc, readAttributes);
}
