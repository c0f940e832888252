#include "S_Html.h"

#include "S_string.h"

namespace {

// Replaces every occurrence on a character boundary, searching again from
// the start after each replacement. Every entity starts with its only "&",
// so a new occurrence can begin no earlier than the replacement itself:
// putting the replacement back into the input and scanning on from there
// gives the same text in one pass.
std::string ReplaceRepeatedly(const std::string& in, const std::string& entity,
                              const std::string& replacement) {
  if (AnsiInStr(in, entity) == 0) return in;
  std::string s = in;
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (s.compare(i, entity.size(), entity) == 0) {
      i += entity.size() - replacement.size();
      s.replace(i, replacement.size(), replacement);
      continue;
    }
    size_t len = (IsLeadByte((unsigned char)s[i]) && i + 1 < s.size()) ? 2 : 1;
    out.append(s, i, len);
    i += len;
  }
  return out;
}

}  // namespace

std::string DecodeHtmlEntities(const std::string& s, bool nbspToBlank) {
  if (s.empty() || AnsiInStr(s, "&") == 0) return s;
  std::string t = ReplaceRepeatedly(s, "&amp;", "&");
  t = ReplaceRepeatedly(t, "&lt;", "<");
  t = ReplaceRepeatedly(t, "&gt;", ">");
  t = ReplaceRepeatedly(t, "&quot;", "\"");
  t = ReplaceRepeatedly(t, "&hellip;", "\x81\x63");
  if (nbspToBlank) t = ReplaceRepeatedly(t, "&nbsp;", " ");
  return t;
}
