// XML documents through the platform's MSXML DOM, copied into a plain tree of
// records whose texts are Shift-JIS. COM must be initialised on the calling
// (GUI) thread first: each program's start-up does it, tests use TComInit.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include <objidl.h>

struct IXMLDOMDocument;
struct IXMLDOMNodeList;

struct TXMLItemType;

// Owns its records; a record's address stays valid while it is in the list.
class TXMLList {
 public:
  TXMLList() = default;
  TXMLList(const TXMLList&) = delete;
  TXMLList& operator=(const TXMLList&) = delete;
  ~TXMLList();

  int Count() const { return (int)items_.size(); }
  TXMLItemType& operator[](int index) { return *items_.at(index); }
  const TXMLItemType& operator[](int index) const { return *items_.at(index); }
  // nullptr when index is out of range.
  TXMLItemType* ItemPtr(int index);
  const TXMLItemType* ItemPtr(int index) const;
  // Copies the record (the copy shares its Children and Attributes lists);
  // out of range leaves out as it was and returns false.
  bool GetItem(int index, TXMLItemType& out) const;
  int AddItem(const TXMLItemType& record);
  void Delete(int index);
  void Clear();

 private:
  std::vector<std::unique_ptr<TXMLItemType>> items_;
};

typedef std::shared_ptr<TXMLList> TXMLListPtr;

struct TXMLItemType {
  std::string Name;       // qualified name, prefix included; empty for text
  std::string Text;       // attribute value, or the element's plain text
  std::string CDataText;  // text once CDATA was seen, or the markup of "xhtml"
  std::wstring WideText;
  std::wstring WideCDataText;
  int32_t NodeType = 0;  // 1 element, 3 element kept as markup, 0 otherwise
  TXMLListPtr Children;    // null when the element had no child nodes
  TXMLListPtr Attributes;  // null when not read or none
  TXMLItemType* Parent = nullptr;  // not owned; null at the top level
};

struct TParseError {
  int32_t ErrorCode = 0;  // 0: no error
  int32_t Line = 0;
  int32_t LinePos = 0;
  int32_t FilePos = 0;
  std::wstring Reason;
  std::wstring SrcText;
};

extern TParseError LastParseError;
extern bool CharRefsEnabled;  // both true by default
extern bool CheckCharacters;

// Deepest element nesting copied into a tree; deeper subtrees are cut off.
const int MaxXmlTreeDepth = 1024;

// CoInitialize for the lifetime of the object (for tests and threads that
// have no program start-up doing it).
class TComInit {
 public:
  TComInit();
  ~TComInit();
  TComInit(const TComInit&) = delete;
  TComInit& operator=(const TComInit&) = delete;

 private:
  bool ok_;
};

// Frees the shared DOM document; call before CoUninitialize (TComInit does).
void ReleaseXmlDocuments();

// Parses the document bytes into the one shared DOM document. document gets
// a borrowed pointer (valid until the next load) or nullptr; LastParseError
// tells a parse failure. Documents that declare entities are refused and a
// document type declaration never reaches the parser.
bool LoadXMLDocument(const std::string& bytes, IXMLDOMDocument*& document);
bool LoadXMLDocument(IStream* source, IXMLDOMDocument*& document);

// Builds the tree from a DOM node list (a document's child nodes). Throws
// std::runtime_error when a DOM call fails.
std::unique_ptr<TXMLList> DomNodeToXMLList(IXMLDOMNodeList* nodes, bool readAttributes);

// LoadXMLDocument then DomNodeToXMLList; nullptr when there is no document
// (or the DOM failed while walking).
std::unique_ptr<TXMLList> LoadXMLList(const std::string& bytes, bool readAttributes);
std::unique_ptr<TXMLList> LoadXMLList(IStream* source, bool readAttributes);

std::string WideToAnsiSubst(const std::wstring& w);
// One Unicode character (a supplementary one too) through WideToAnsiSubst.
std::string CodePointToSjis(unsigned long codePoint);
std::string CheckShiftJis(const std::string& s, bool check);
bool IsCharRef(const std::string& s, int pos);  // pos is 1-based
std::string DecodeCharRefs(const std::string& s);
// "&", "<", ">" (and the double quote) as entities; the control characters
// other than TAB, LF and CR, which XML cannot hold, are left out.
std::string EscapeXmlText(const std::string& s, bool keepCharRefs);
std::string EscapeXmlQuot(const std::string& s, bool keepCharRefs);
// Equal with letter case ignored by the Japanese locale's rules.
bool SameTextNoCase(const std::string& a, const std::string& b);
// SameTextNoCase of the texts without their leading and trailing blanks.
bool SameTrimText(const std::string& a, const std::string& b);

// The message that replaces a text holding bytes that are not Shift-JIS.
extern const char* const BadCharacterMessage;
