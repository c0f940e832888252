// Readies a document's raw bytes for the platform's parser: encodings it may
// not know are re-encoded as UTF-8, and no document type declaration (with
// its external subset or entities) is ever handed over.
#pragma once
#include <string>

struct TPreparedXml {
  bool Ok = false;
  std::string Bytes;    // what to give the parser
  std::wstring Reason;  // why the document was refused
};

TPreparedXml PrepareXmlBytes(const std::string& bytes);

// The code page of a declared encoding that this module converts itself, or
// 0 when the parser is left to read the bytes.
unsigned int ConvertedEncodingCodePage(const std::string& name);
