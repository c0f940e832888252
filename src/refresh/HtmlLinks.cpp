#include "HtmlLinks.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "HttpFetch.h"
#include "classlib/Text.h"
#include "shared/S_string.h"

namespace {

// Shift-JIS trail bytes are 0x40 and above, so scanning for "<", ">", quotes,
// "=" and blanks byte by byte never lands inside a double-byte character.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return s;
}

// Position of needle (lower-case ASCII) at or after from, case ignored.
size_t FindNoCase(const std::string& s, const char* needle, size_t from) {
  const size_t n = std::strlen(needle);
  for (size_t i = from; i + n <= s.size(); ++i) {
    size_t k = 0;
    while (k < n && (s[i + k] | 0x20) == needle[k]) ++k;
    if (k == n) return i;
  }
  return std::string::npos;
}

void AppendCodePoint(std::string& out, long code, const std::string& original) {
  // Addresses are ASCII; anything else stays as written.
  if (code > 0 && code < 0x80)
    out += char(code);
  else
    out += original;
}

bool IsDigitOf(char c, bool hex) {
  return (c >= '0' && c <= '9') || (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

int DigitValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// Decodes the character reference that starts at v[amp] ("&") into out and
// returns the position of its ";", or npos for text that is none. Looks no
// further than the reference itself, so a value full of "&" reads in one pass.
size_t DecodeReference(const std::string& v, size_t amp, std::string& out) {
  size_t p = amp + 1;
  if (p < v.size() && v[p] == '#') {
    const bool hex = ++p < v.size() && (v[p] | 0x20) == 'x';
    if (hex) ++p;
    const size_t digits = p;
    long code = 0;
    for (; p < v.size() && IsDigitOf(v[p], hex); ++p)
      code = std::min(code * (hex ? 16 : 10) + DigitValue(v[p]), 0x110000L);
    if (p == digits || p >= v.size() || v[p] != ';') return std::string::npos;
    AppendCodePoint(out, code, v.substr(amp, p - amp + 1));
    return p;
  }
  static const struct {
    const char* name;
    char ch;
  } named[] = {{"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}};
  for (const auto& e : named) {
    const size_t n = std::strlen(e.name);
    if (p + n > v.size()) continue;
    size_t k = 0;
    while (k < n && (v[p + k] | 0x20) == e.name[k]) ++k;
    if (k == n) {
      out += e.ch;
      return p + n - 1;
    }
  }
  return std::string::npos;
}

std::string DecodeAttributeValue(const std::string& v) {
  std::string out;
  out.reserve(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    size_t end = v[i] == '&' ? DecodeReference(v, i, out) : std::string::npos;
    if (end == std::string::npos)
      out += v[i];
    else
      i = end;
  }
  return out;
}

struct Tag {
  std::string Name;                               // lower case
  std::map<std::string, std::string> Attributes;  // names lower case

  const std::string* Attribute(const char* name) const {
    auto it = Attributes.find(name);
    return it == Attributes.end() ? nullptr : &it->second;
  }
};

// Reads the attributes of a start tag from pos (after its name) up to and
// including its ">"; returns the position after it, or npos for a tag that
// never ends (browsers drop it).
size_t ReadAttributes(const std::string& s, size_t pos, Tag& tag) {
  const size_t n = s.size();
  while (pos < n) {
    while (pos < n && (IsBlank(s[pos]) || s[pos] == '/')) ++pos;
    if (pos >= n) break;
    if (s[pos] == '>') return pos + 1;
    size_t start = pos;
    while (pos < n && !IsBlank(s[pos]) && s[pos] != '=' && s[pos] != '>' &&
           !(s[pos] == '/' && pos > start))
      ++pos;
    std::string name = AsciiLower(s.substr(start, pos - start));
    while (pos < n && IsBlank(s[pos])) ++pos;
    std::string value;
    if (pos < n && s[pos] == '=') {
      ++pos;
      while (pos < n && IsBlank(s[pos])) ++pos;
      if (pos < n && (s[pos] == '"' || s[pos] == '\'')) {
        char quote = s[pos++];
        size_t close = s.find(quote, pos);
        if (close == std::string::npos) return std::string::npos;
        value = s.substr(pos, close - pos);
        pos = close + 1;
      } else {
        size_t vs = pos;
        while (pos < n && !IsBlank(s[pos]) && s[pos] != '>') ++pos;
        value = s.substr(vs, pos - vs);
      }
    }
    // The first of two attributes of one name counts, as in browsers.
    if (!name.empty() && !tag.Attributes.count(name))
      tag.Attributes.emplace(std::move(name), DecodeAttributeValue(value));
  }
  return std::string::npos;
}

bool IsRawTextElement(const std::string& name) {
  return name == "script" || name == "style" || name == "title" || name == "textarea" ||
         name == "xmp";
}

size_t SkipPast(const std::string& s, const char* end, size_t from) {
  size_t p = s.find(end, from);
  return p == std::string::npos ? s.size() : p + std::strlen(end);
}

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// A page saved as UTF-16 starts with its byte-order mark. Its text becomes
// Shift-JIS like every other text here, so an ASCII href keeps its bytes.
bool DecodeUtf16Page(const std::string& bytes, std::string& text) {
  if (bytes.size() < 2) return false;
  const bool little = bytes[0] == '\xFF' && bytes[1] == '\xFE';
  const bool big = bytes[0] == '\xFE' && bytes[1] == '\xFF';
  if (!little && !big) return false;
  std::wstring wide((bytes.size() - 2) / 2, L'\0');
  for (size_t i = 0; i < wide.size(); ++i) {
    const unsigned char first = bytes[2 + 2 * i], second = bytes[3 + 2 * i];
    wide[i] = static_cast<wchar_t>(little ? first | second << 8 : second | first << 8);
  }
  text = WideToSjis(wide);
  return true;
}

}  // namespace

THtmlPage ReadHtmlPage(const std::string& html) {
  THtmlPage page;
  bool haveBase = false;
  std::string decoded;
  const std::string& s = DecodeUtf16Page(html, decoded) ? decoded : html;
  size_t pos = 0;
  while ((pos = s.find('<', pos)) != std::string::npos) {
    if (s.compare(pos, 4, "<!--") == 0) {
      pos = SkipPast(s, "-->", pos + 4);
      continue;
    }
    if (pos + 1 < s.size() && (s[pos + 1] == '!' || s[pos + 1] == '?' || s[pos + 1] == '/')) {
      pos = SkipPast(s, ">", pos + 1);
      continue;
    }
    if (pos + 1 >= s.size() || !IsAsciiLetter(s[pos + 1])) {
      ++pos;
      continue;
    }
    size_t nameEnd = pos + 1;
    while (nameEnd < s.size() && !IsBlank(s[nameEnd]) && s[nameEnd] != '>' && s[nameEnd] != '/')
      ++nameEnd;
    Tag tag;
    tag.Name = AsciiLower(s.substr(pos + 1, nameEnd - pos - 1));
    pos = ReadAttributes(s, nameEnd, tag);
    if (pos == std::string::npos) break;
    if (tag.Name == "link") {
      THtmlLink link;
      if (const std::string* v = tag.Attribute("rel")) link.Rel = TrimBlanks(*v);
      if (const std::string* v = tag.Attribute("type")) link.Type = TrimBlanks(*v);
      if (const std::string* v = tag.Attribute("href")) link.Href = TrimBlanks(*v);
      page.Links.push_back(link);
    } else if (tag.Name == "base" && !haveBase) {
      if (const std::string* v = tag.Attribute("href")) {
        page.BaseHref = TrimBlanks(*v);
        haveBase = true;
      }
    } else if (IsRawTextElement(tag.Name)) {
      size_t close = FindNoCase(s, ("</" + tag.Name).c_str(), pos);
      pos = close == std::string::npos ? s.size() : SkipPast(s, ">", close);
    }
  }
  return page;
}

void ResolveLinks(THtmlPage& page, const std::string& pageUrl) {
  std::string base = pageUrl;
  if (!page.BaseHref.empty()) {
    std::string resolved = ResolveLocation(pageUrl, page.BaseHref);
    if (!resolved.empty()) base = resolved;
  }
  for (THtmlLink& link : page.Links) {
    // An absolute address needs no base (a page read from disk has none).
    if (!link.Href.empty() && !IsWebAddress(link.Href))
      link.Href = ResolveLocation(base, link.Href);
  }
}

std::vector<THtmlLink> ReadHtmlLinks(const std::string& html, const std::string& pageUrl) {
  THtmlPage page = ReadHtmlPage(html);
  ResolveLinks(page, pageUrl);
  return page.Links;
}
