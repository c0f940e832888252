#include "SearchTemplate.h"

#include "HttpFetch.h"
#include "MakerSite.h"
#include "classlib/DateTime.h"
#include "classlib/Guard.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

const char SearchTemplateFileName[] = "search.query";

namespace {

// Longer than any search address; a page of text is no template.
constexpr size_t kMaxTemplateBytes = 2048;

}  // namespace

std::string SearchTemplateFromBody(const std::string& body) {
  std::string text;
  for (unsigned char c : body) {
    if (c >= 27) text += static_cast<char>(c);
  }
  if (text.size() > kMaxTemplateBytes || !IsWebAddress(text) || InStr(text, "$KEYWORD") == 0 ||
      text.find_first_of("<> ") != std::string::npos)
    return "";
  return text;
}

// The template is a daily extra: the refresh runs without it.
void UpdateSearchTemplate() {
  Guard("search template", [&] {
    const std::string today = FormatDateTime("yyyymmdd", Now());
    if (today == TickerSettings.SearchDate) return;
    TickerSettings.SearchDate = today;
    // Without a template the old query stays; the date still moves on.
    Guard("search template download", [&] {
      FetchResult fetched = FetchUrl(MakerUpdateFolder() + SearchTemplateFileName, true, "");
      if (fetched.received()) {
        std::string query = SearchTemplateFromBody(fetched.Body);
        if (!query.empty()) TickerSettings.SearchQuery = query;
      }
    });
    AccessTickerIni(TickerIniPath, "S");
  });
}
