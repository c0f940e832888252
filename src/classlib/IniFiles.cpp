#include "IniFiles.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "Streams.h"
#include "Text.h"

namespace {

std::string TrimIni(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (unsigned char)s[b] <= ' ') ++b;
  while (e > b && (unsigned char)s[e - 1] <= ' ') --e;
  return s.substr(b, e - b);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A system profile call needs a buffer; grow it until the text fits.
std::wstring ProfileText(const wchar_t* section, const wchar_t* key, const wchar_t* def,
                         const std::wstring& file, bool list) {
  for (DWORD size = 2048; size <= (1u << 24); size *= 4) {
    std::wstring buf(size, L'\0');
    DWORD n = GetPrivateProfileStringW(section, key, def, &buf[0], size, file.c_str());
    if (n < size - (list ? 2 : 1)) {
      buf.resize(n);
      return buf;
    }
  }
  return std::wstring();
}

// The profile functions decode a file without a byte-order mark with the
// process ANSI code page; converting with that same page gives back the
// file's own Shift-JIS bytes whatever that page is.
std::wstring ProfileWide(const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), nullptr, 0);
  std::wstring w(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), &w[0], n);
  return w;
}

std::string ProfileBytes(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), &s[0], n, nullptr, nullptr);
  return s;
}

void SplitNulList(const std::wstring& text, TStringList& out) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\0', start);
    if (end == std::wstring::npos) end = text.size();
    if (end > start) out.Add(ProfileBytes(text.substr(start, end - start)));
    start = end + 1;
  }
}

}  // namespace

bool TryIniStrToInt(const std::string& text, int& value) {
  std::string s = TrimIni(text);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return false;
  unsigned long long acc = 0;
  for (; i < s.size(); ++i) {
    int d = hex ? HexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (d < 0) return false;
    acc = acc * (hex ? 16 : 10) + d;
    if (acc > 0xFFFFFFFFull) return false;
  }
  if (!hex && acc > (negative ? 2147483648ull : 2147483647ull)) return false;
  // Hexadecimal takes the full 32 bits, so "$FFFFFFFF" is -1.
  long long v = hex ? (long long)(int)(unsigned)acc : (long long)acc;
  value = (int)(negative ? -v : v);
  return true;
}

int TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident, int def) {
  int v = def;
  return TryIniStrToInt(ReadString(section, ident, ""), v) ? v : def;
}

void TCustomIniFile::WriteInteger(const std::string& section, const std::string& ident, int value) {
  WriteString(section, ident, std::to_string(value));
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const std::string& section, const std::string& ident, double def) {
  std::string s = TrimIni(ReadString(section, ident, ""));
  if (s.empty()) return def;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || errno == ERANGE) return def;
  return v;
}

void TCustomIniFile::WriteFloat(const std::string& section, const std::string& ident,
                                double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  WriteString(section, ident, buf);
}

bool TCustomIniFile::SectionExists(const std::string& section) {
  TStringList keys;
  ReadSection(section, keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& section, const std::string& ident) {
  TStringList keys;
  ReadSection(section, keys);
  return keys.IndexOf(ident) >= 0;
}

TMemIniFile::TMemIniFile(const std::string& fileName) : TCustomIniFile(fileName) {
  if (fileName.empty()) return;
  DWORD attr = GetFileAttributesW(SjisToWide(fileName).c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) return;
  TStringList list;
  list.LoadFromFile(fileName);
  SetStrings(list);
}

TMemIniFile::Section* TMemIniFile::FindSection(const std::string& name) {
  for (Section& s : sections_)
    if (s.hasHeader && CompareTextSJ(s.name, name) == 0) return &s;
  return nullptr;
}

TMemIniFile::Line* TMemIniFile::FindKey(Section* s, const std::string& ident) {
  if (!s) return nullptr;
  for (Line& l : s->lines)
    if (!l.key.empty() && CompareTextSJ(l.key, ident) == 0) return &l;
  return nullptr;
}

void TMemIniFile::SetStrings(const TStringList& list) {
  sections_.clear();
  Section* current = nullptr;
  for (int i = 0; i < list.Count(); ++i) {
    std::string text = list[i];
    // A UTF-8 signature from an editor would hide the first section.
    if (i == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    std::string s = TrimIni(text);
    if (s.empty()) continue;
    if (s.size() >= 2 && s.front() == '[' && s.back() == ']') {
      std::string name = TrimIni(s.substr(1, s.size() - 2));
      current = FindSection(name);
      if (!current) {
        sections_.push_back(Section{name, true, {}});
        current = &sections_.back();
      }
      continue;
    }
    if (!current) {
      if (sections_.empty() || sections_.front().hasHeader)
        sections_.insert(sections_.begin(), Section{"", false, {}});
      current = &sections_.front();
    }
    size_t eq = s.find('=');
    Line line;
    if (s[0] != ';' && eq != std::string::npos && eq > 0) {
      line.key = TrimIni(s.substr(0, eq));
      line.value = TrimIni(s.substr(eq + 1));
    }
    if (line.key.empty()) line.raw = s;
    current->lines.push_back(std::move(line));
  }
}

void TMemIniFile::GetStrings(TStringList& list) const {
  list.Clear();
  for (const Section& s : sections_) {
    if (s.hasHeader) list.Add("[" + s.name + "]");
    for (const Line& l : s.lines) list.Add(l.key.empty() ? l.raw : l.key + "=" + l.value);
    list.Add("");
  }
}

std::string TMemIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& def) {
  Line* l = FindKey(FindSection(section), ident);
  return l ? l->value : def;
}

void TMemIniFile::WriteString(const std::string& section, const std::string& ident,
                              const std::string& value) {
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back(Section{section, true, {}});
    s = &sections_.back();
  }
  if (Line* l = FindKey(s, ident)) {
    l->value = value;
    return;
  }
  s->lines.push_back(Line{ident, value, ""});
}

void TMemIniFile::ReadSection(const std::string& section, TStringList& keys) {
  keys.Clear();
  if (Section* s = FindSection(section))
    for (const Line& l : s->lines)
      if (!l.key.empty()) keys.Add(l.key);
}

void TMemIniFile::ReadSections(TStringList& sections) {
  sections.Clear();
  for (const Section& s : sections_)
    if (s.hasHeader) sections.Add(s.name);
}

void TMemIniFile::ReadSectionValues(const std::string& section, TStringList& lines) {
  lines.Clear();
  if (Section* s = FindSection(section))
    for (const Line& l : s->lines)
      if (!l.key.empty()) lines.Add(l.key + "=" + l.value);
}

bool TMemIniFile::SectionExists(const std::string& section) {
  return FindSection(section) != nullptr;
}

bool TMemIniFile::ValueExists(const std::string& section, const std::string& ident) {
  return FindKey(FindSection(section), ident) != nullptr;
}

void TMemIniFile::EraseSection(const std::string& section) {
  for (size_t i = 0; i < sections_.size(); ++i)
    if (sections_[i].hasHeader && CompareTextSJ(sections_[i].name, section) == 0) {
      sections_.erase(sections_.begin() + i);
      return;
    }
}

void TMemIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  Section* s = FindSection(section);
  if (!s) return;
  for (size_t i = 0; i < s->lines.size(); ++i)
    if (!s->lines[i].key.empty() && CompareTextSJ(s->lines[i].key, ident) == 0) {
      s->lines.erase(s->lines.begin() + i);
      return;
    }
}

void TMemIniFile::UpdateFile() {
  if (FileName().empty()) return;
  TStringList list;
  GetStrings(list);
  list.SaveToFile(FileName());
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& def) {
  std::wstring s = ProfileWide(section), k = ProfileWide(ident), d = ProfileWide(def);
  return ProfileBytes(ProfileText(s.c_str(), k.c_str(), d.c_str(), SjisToWide(FileName()), false));
}

void TIniFile::WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) {
  if (!WritePrivateProfileStringW(ProfileWide(section).c_str(), ProfileWide(ident).c_str(),
                                  ProfileWide(value).c_str(), SjisToWide(FileName()).c_str()))
    throw EStreamError("cannot write " + FileName());
}

void TIniFile::ReadSection(const std::string& section, TStringList& keys) {
  keys.Clear();
  std::wstring s = ProfileWide(section);
  SplitNulList(ProfileText(s.c_str(), nullptr, L"", SjisToWide(FileName()), true), keys);
}

void TIniFile::ReadSections(TStringList& sections) {
  sections.Clear();
  SplitNulList(ProfileText(nullptr, nullptr, L"", SjisToWide(FileName()), true), sections);
}

void TIniFile::ReadSectionValues(const std::string& section, TStringList& lines) {
  TStringList keys;
  ReadSection(section, keys);
  lines.Clear();
  for (const std::string& k : keys) lines.Add(k + "=" + ReadString(section, k, ""));
}

void TIniFile::EraseSection(const std::string& section) {
  if (!WritePrivateProfileStringW(ProfileWide(section).c_str(), nullptr, nullptr,
                                  SjisToWide(FileName()).c_str()))
    throw EStreamError("cannot erase section in " + FileName());
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  WritePrivateProfileStringW(ProfileWide(section).c_str(), ProfileWide(ident).c_str(), nullptr,
                             SjisToWide(FileName()).c_str());
}

void TIniFile::UpdateFile() {
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, SjisToWide(FileName()).c_str());
}
