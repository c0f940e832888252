#include "S_Html.h"

#include <cstring>

#include "S_Xml.h"
#include "S_string.h"

namespace {

struct NamedEntity {
  const char* name;
  unsigned short codePoint;
};

// HTML 4's Latin-1 entities, U+00A0 to U+00FF in order.
const char* const kLatin1Names[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

const NamedEntity kOtherEntities[] = {
    {"quot", 34},     {"amp", 38},       {"apos", 39},      {"lt", 60},       {"gt", 62},
    {"OElig", 338},   {"oelig", 339},    {"Scaron", 352},   {"scaron", 353},  {"Yuml", 376},
    {"fnof", 402},    {"circ", 710},     {"tilde", 732},    {"Alpha", 913},   {"Beta", 914},
    {"Gamma", 915},   {"Delta", 916},    {"Epsilon", 917},  {"Zeta", 918},    {"Eta", 919},
    {"Theta", 920},   {"Iota", 921},     {"Kappa", 922},    {"Lambda", 923},  {"Mu", 924},
    {"Nu", 925},      {"Xi", 926},       {"Omicron", 927},  {"Pi", 928},      {"Rho", 929},
    {"Sigma", 931},   {"Tau", 932},      {"Upsilon", 933},  {"Phi", 934},     {"Chi", 935},
    {"Psi", 936},     {"Omega", 937},    {"alpha", 945},    {"beta", 946},    {"gamma", 947},
    {"delta", 948},   {"epsilon", 949},  {"zeta", 950},     {"eta", 951},     {"theta", 952},
    {"iota", 953},    {"kappa", 954},    {"lambda", 955},   {"mu", 956},      {"nu", 957},
    {"xi", 958},      {"omicron", 959},  {"pi", 960},       {"rho", 961},     {"sigmaf", 962},
    {"sigma", 963},   {"tau", 964},      {"upsilon", 965},  {"phi", 966},     {"chi", 967},
    {"psi", 968},     {"omega", 969},    {"thetasym", 977}, {"upsih", 978},   {"piv", 982},
    {"ensp", 8194},   {"emsp", 8195},    {"thinsp", 8201},  {"zwnj", 8204},   {"zwj", 8205},
    {"lrm", 8206},    {"rlm", 8207},     {"ndash", 8211},   {"mdash", 8212},  {"lsquo", 8216},
    {"rsquo", 8217},  {"sbquo", 8218},   {"ldquo", 8220},   {"rdquo", 8221},  {"bdquo", 8222},
    {"dagger", 8224}, {"Dagger", 8225},  {"bull", 8226},    {"hellip", 8230}, {"permil", 8240},
    {"prime", 8242},  {"Prime", 8243},   {"lsaquo", 8249},  {"rsaquo", 8250}, {"oline", 8254},
    {"frasl", 8260},  {"euro", 8364},    {"image", 8465},   {"weierp", 8472}, {"real", 8476},
    {"trade", 8482},  {"alefsym", 8501}, {"larr", 8592},    {"uarr", 8593},   {"rarr", 8594},
    {"darr", 8595},   {"harr", 8596},    {"crarr", 8629},   {"lArr", 8656},   {"uArr", 8657},
    {"rArr", 8658},   {"dArr", 8659},    {"hArr", 8660},    {"forall", 8704}, {"part", 8706},
    {"exist", 8707},  {"empty", 8709},   {"nabla", 8711},   {"isin", 8712},   {"notin", 8713},
    {"ni", 8715},     {"prod", 8719},    {"sum", 8721},     {"minus", 8722},  {"lowast", 8727},
    {"radic", 8730},  {"prop", 8733},    {"infin", 8734},   {"ang", 8736},    {"and", 8743},
    {"or", 8744},     {"cap", 8745},     {"cup", 8746},     {"int", 8747},    {"there4", 8756},
    {"sim", 8764},    {"cong", 8773},    {"asymp", 8776},   {"ne", 8800},     {"equiv", 8801},
    {"le", 8804},     {"ge", 8805},      {"sub", 8834},     {"sup", 8835},    {"nsub", 8836},
    {"sube", 8838},   {"supe", 8839},    {"oplus", 8853},   {"otimes", 8855}, {"perp", 8869},
    {"sdot", 8901},   {"lceil", 8968},   {"rceil", 8969},   {"lfloor", 8970}, {"rfloor", 8971},
    {"lang", 9001},   {"rang", 9002},    {"loz", 9674},     {"spades", 9824}, {"clubs", 9827},
    {"hearts", 9829}, {"diams", 9830}};

// Numeric references to 0x80..0x9F mean the windows-1252 characters there,
// as browsers read them; 0 marks the five that have none.
const unsigned short kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// No entity name is longer; a ";" further on ends no reference.
const size_t kMaxReferenceBytes = 10;

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

unsigned long NamedCodePoint(const std::string& name) {
  for (int i = 0; i < 96; ++i)
    if (name == kLatin1Names[i]) return 0xA0 + i;
  for (const NamedEntity& e : kOtherEntities)
    if (name == e.name) return e.codePoint;
  return 0;
}

unsigned long NumericCodePoint(const std::string& body) {
  bool hex = body.size() > 1 && (body[0] == 'x' || body[0] == 'X');
  size_t start = hex ? 1 : 0;
  if (start >= body.size()) return 0;
  unsigned long cp = 0;
  for (size_t i = start; i < body.size(); ++i) {
    char c = body[i];
    int digit = c >= '0' && c <= '9'          ? c - '0'
                : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : -1;
    if (digit < 0) return 0;
    cp = cp * (hex ? 16 : 10) + digit;
    if (cp > 0x10FFFF) return 0;
  }
  if (cp >= 0x80 && cp <= 0x9F) return kWindows1252[cp - 0x80];
  bool control = cp < 0x20 && cp != 9 && cp != 10 && cp != 13;
  if (control || cp == 0x7F || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF)
    return 0;
  return cp;
}

// The text of the reference starting at s[at] ("&"), and where it ends;
// false when none starts there.
bool DecodeReference(const std::string& s, size_t at, bool nbspToBlank, std::string& text,
                     size_t& end) {
  size_t semicolon = s.find(';', at + 1);
  if (semicolon == std::string::npos || semicolon - at - 1 > kMaxReferenceBytes) return false;
  std::string body = s.substr(at + 1, semicolon - at - 1);
  if (body.empty()) return false;
  unsigned long cp = 0;
  if (body[0] == '#') {
    cp = NumericCodePoint(body.substr(1));
  } else {
    for (char c : body)
      if (!IsAsciiAlnum(c)) return false;
    if (body == "nbsp") {
      if (!nbspToBlank) return false;
      cp = ' ';
    } else {
      cp = NamedCodePoint(body);
    }
  }
  if (cp == 0) return false;
  text = CodePointToSjis(cp);
  end = semicolon + 1;
  return true;
}

}  // namespace

std::string DecodeHtmlEntities(const std::string& s, bool nbspToBlank) {
  if (s.find('&') == std::string::npos) return s;
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    // "&" is never the trail byte of a double-byte character.
    if (s[i] == '&') {
      std::string text;
      size_t end = 0;
      if (DecodeReference(s, i, nbspToBlank, text, end)) {
        out += text;
        i = end;
        continue;
      }
    }
    size_t len = IsLeadByte((unsigned char)s[i]) && i + 1 < s.size() ? 2 : 1;
    out.append(s, i, len);
    i += len;
  }
  return out;
}
