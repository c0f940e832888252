// The link elements of a web page, read from its bytes where the platform's
// HTML engine cannot load the page (Wine has none).
#pragma once
#include <string>
#include <vector>

// One <link> element as the page gives it; Href is absolute (http: or https:)
// once ResolveLinks ran, empty when it could not be made one.
struct THtmlLink {
  std::string Rel;
  std::string Type;
  std::string Href;
};

struct THtmlPage {
  std::string BaseHref;          // the first <base href>, as written
  std::vector<THtmlLink> Links;  // document order, hrefs as written
};

// Reads the <link> and <base> elements of the page: tags and attributes in
// any letter case, order and quoting, entities in values decoded; comments
// and the content of script, style, title, textarea and xmp are skipped. A
// page with a UTF-16 byte-order mark is read as text. The time taken grows about
// linearly with the page, whatever it holds.
THtmlPage ReadHtmlPage(const std::string& html);

// Makes every href absolute against the base (itself resolved against the
// page's address) or, without one, the page's address.
void ResolveLinks(THtmlPage& page, const std::string& pageUrl);

// ReadHtmlPage and ResolveLinks.
std::vector<THtmlLink> ReadHtmlLinks(const std::string& html, const std::string& pageUrl);
