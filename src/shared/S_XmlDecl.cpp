#include "S_XmlDecl.h"

#include <windows.h>

#include "classlib/Text.h"

namespace {

bool StartsWith(const std::string& s, size_t pos, const char* prefix) {
  return s.compare(pos, strlen(prefix), prefix) == 0;
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return s;
}

// Byte range of the encoding value inside a leading XML declaration.
bool FindDeclaredEncoding(const std::string& s, size_t& begin, size_t& end) {
  if (!StartsWith(s, 0, "<?xml") || s.size() < 6 || !IsXmlSpace(s[5])) return false;
  size_t close = s.find("?>");
  if (close == std::string::npos) return false;
  size_t p = s.find("encoding", 5);
  if (p == std::string::npos || p > close) return false;
  p += 8;
  while (p < close && IsXmlSpace(s[p])) ++p;
  if (p >= close || s[p] != '=') return false;
  ++p;
  while (p < close && IsXmlSpace(s[p])) ++p;
  if (p >= close || (s[p] != '"' && s[p] != '\'')) return false;
  size_t q = s.find(s[p], p + 1);
  if (q == std::string::npos || q > close) return false;
  begin = p + 1;
  end = q;
  return true;
}

// ISO-2022-JP as EUC-JP bytes (code page 50220 is missing in Wine): the JIS
// X 0208 pairs get their high bits, half-width katakana their 0x8E prefix.
std::string Iso2022JpToEucJp(const std::string& s) {
  enum { Ascii, Kanji, Kana } mode = Ascii;
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char b = (unsigned char)s[i];
    if (b == 0x1B && i + 2 < s.size()) {
      std::string esc = s.substr(i + 1, 2);
      if (esc == "$B" || esc == "$@") {
        mode = Kanji;
      } else if (esc == "(I") {
        mode = Kana;
      } else if (esc == "(B" || esc == "(J") {
        mode = Ascii;
      } else {
        r += (char)b;
        continue;
      }
      i += 2;
    } else if (b == '\r' || b == '\n') {
      mode = Ascii;
      r += (char)b;
    } else if (mode == Kanji && b >= 0x21 && b <= 0x7E && i + 1 < s.size()) {
      r += (char)(b | 0x80);
      r += (char)((unsigned char)s[++i] | 0x80);
    } else if (mode == Kana && b >= 0x21 && b <= 0x5F) {
      r += '\x8E';
      r += (char)(b | 0x80);
    } else {
      r += (char)b;
    }
  }
  return r;
}

// Wine's MSXML refuses these declarations; converting them ourselves on every
// platform gives the same tree everywhere.
void ConvertDeclaredEncoding(std::string& bytes) {
  size_t begin, end;
  if (!FindDeclaredEncoding(bytes, begin, end)) return;
  unsigned int cp = ConvertedEncodingCodePage(bytes.substr(begin, end - begin));
  if (cp == 0) return;
  std::string rewritten = bytes.substr(0, begin) + "UTF-8" + bytes.substr(end);
  if (cp == 50220) {
    rewritten = Iso2022JpToEucJp(rewritten);
    cp = 20932;
  }
  // The declaration is ASCII in every one of these code pages, so the whole
  // text converts in one go.
  int n = MultiByteToWideChar(cp, 0, rewritten.data(), (int)rewritten.size(), nullptr, 0);
  if (n <= 0) return;
  std::wstring w(n, L'\0');
  MultiByteToWideChar(cp, 0, rewritten.data(), (int)rewritten.size(), &w[0], n);
  bytes = WideToUtf8(w);
}

// One char per code unit, markup characters kept, everything else 0x80, so
// that one scan serves 8-bit and UTF-16 documents alike.
struct TUnitView {
  std::string Chars;
  size_t Width = 1;
  size_t Offset = 0;  // bytes before the first unit (a byte-order mark)
};

TUnitView MakeView(const std::string& b) {
  TUnitView v;
  auto at = [&](size_t i) { return (unsigned char)b[i]; };
  bool le = b.size() >= 2 && ((at(0) == 0xFF && at(1) == 0xFE) ||
                              (b.size() >= 4 && at(0) == '<' && at(1) == 0 && at(2) == '?' && at(3) == 0));
  bool be = b.size() >= 2 && ((at(0) == 0xFE && at(1) == 0xFF) ||
                              (b.size() >= 4 && at(0) == 0 && at(1) == '<' && at(2) == 0 && at(3) == '?'));
  if (le || be) {
    v.Width = 2;
    v.Offset = (at(0) == 0xFF || at(0) == 0xFE) ? 2 : 0;
    for (size_t i = v.Offset; i + 1 < b.size(); i += 2) {
      unsigned unit = le ? (at(i) | at(i + 1) << 8) : (at(i) << 8 | at(i + 1));
      v.Chars += unit < 0x80 ? (char)unit : '\x80';
    }
    return v;
  }
  if (b.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) v.Offset = 3;
  v.Chars = b.substr(v.Offset);
  return v;
}

size_t SkipPast(const std::string& s, size_t from, const char* terminator) {
  size_t p = s.find(terminator, from);
  return p == std::string::npos ? std::string::npos : p + strlen(terminator);
}

// Start of a document type declaration in the prolog, or npos.
size_t FindDoctype(const std::string& s) {
  size_t p = 0;
  while (p < s.size()) {
    if (IsXmlSpace(s[p])) {
      ++p;
    } else if (StartsWith(s, p, "<!--")) {
      p = SkipPast(s, p + 4, "-->");
    } else if (StartsWith(s, p, "<?")) {
      p = SkipPast(s, p + 2, "?>");
    } else if (StartsWith(s, p, "<!DOCTYPE")) {
      return p;
    } else {
      return std::string::npos;
    }
  }
  return std::string::npos;
}

// End (one past the closing '>') of the declaration starting at p; npos when
// it never ends. declaresEntity tells whether its internal subset declares one.
size_t DoctypeEnd(const std::string& s, size_t p, bool& declaresEntity) {
  declaresEntity = false;
  bool subset = false;
  p += 9;
  while (p != std::string::npos && p < s.size()) {
    char c = s[p];
    if (c == '"' || c == '\'') {
      size_t q = s.find(c, p + 1);
      p = q == std::string::npos ? q : q + 1;
    } else if (subset && StartsWith(s, p, "<!--")) {
      p = SkipPast(s, p + 4, "-->");
    } else if (subset && StartsWith(s, p, "<?")) {
      p = SkipPast(s, p + 2, "?>");
    } else if (subset && StartsWith(s, p, "<!ENTITY")) {
      declaresEntity = true;
      p += 8;
    } else if (c == '[') {
      subset = true;
      ++p;
    } else if (c == ']') {
      subset = false;
      ++p;
    } else if (c == '>' && !subset) {
      return p + 1;
    } else {
      ++p;
    }
  }
  return std::string::npos;
}

}  // namespace

unsigned int ConvertedEncodingCodePage(const std::string& name) {
  std::string n = LowerAscii(name);
  if (n == "shift_jis" || n == "shift-jis" || n == "sjis" || n == "x-sjis" || n == "windows-31j" ||
      n == "cp932" || n == "ms_kanji" || n == "csshiftjis")
    return 932;
  if (n == "euc-jp" || n == "x-euc-jp" || n == "eucjp") return 20932;  // 51932 is missing in Wine
  if (n == "iso-2022-jp" || n == "csiso2022jp") return 50220;  // decoded through EUC-JP
  if (n == "euc-kr") return 949;
  if (n == "gb2312") return 936;
  if (n == "big5") return 950;
  return 0;
}

TPreparedXml PrepareXmlBytes(const std::string& bytes) {
  TPreparedXml r;
  r.Bytes = bytes;
  ConvertDeclaredEncoding(r.Bytes);
  TUnitView view = MakeView(r.Bytes);
  size_t start = FindDoctype(view.Chars);
  if (start != std::string::npos) {
    bool declaresEntity;
    size_t end = DoctypeEnd(view.Chars, start, declaresEntity);
    if (end == std::string::npos) {
      r.Reason = L"文書型宣言が閉じていません";
      return r;
    }
    if (declaresEntity) {
      r.Reason = L"実体を宣言する文書は読み込めません";
      return r;
    }
    // External subsets are never fetched: the parser does not see the declaration.
    r.Bytes.erase(view.Offset + start * view.Width, (end - start) * view.Width);
  }
  r.Ok = true;
  return r;
}
