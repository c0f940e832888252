#include "FeedProbe.h"

#include <windows.h>

#include "HttpFetch.h"
#include "UI_Less.h"
#include "classlib/Guard.h"
#include "classlib/Screen.h"
#include "shared/FeedFiles.h"
#include "shared/S_string.h"

namespace {

bool g_probeRunning = false;
bool g_probeAbandoned = false;

class ProbeScope {
 public:
  ProbeScope() {
    g_probeRunning = true;
    g_probeAbandoned = false;
    Screen.SetCursor(crHourGlass);
  }
  ~ProbeScope() {
    Screen.SetCursor(crDefault);
    g_probeRunning = false;
  }
  ProbeScope(const ProbeScope&) = delete;
  ProbeScope& operator=(const ProbeScope&) = delete;
};

bool IsElement(const TXMLItemType& node) {
  return (node.NodeType == 1 || node.NodeType == 3) && !node.Name.empty();
}

const std::string& NodeText(const TXMLItemType& node) {
  return node.Text.empty() ? node.CDataText : node.Text;
}

const TXMLItemType* FirstTitle(const TXMLList& nodes) {
  for (int i = 0; i < nodes.Count(); ++i) {
    const TXMLItemType& node = nodes[i];
    if (!IsElement(node)) continue;
    if (SameTrimText(node.Name, "title")) return &node;
    if (node.Children) {
      if (const TXMLItemType* found = FirstTitle(*node.Children)) return found;
    }
  }
  return nullptr;
}

const TXMLItemType* RootElement(const TXMLList& tree) {
  for (int i = 0; i < tree.Count(); ++i)
    if (IsElement(tree[i])) return &tree[i];
  return nullptr;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += "\r\n";
    out += lines[i];
  }
  return out;
}

// The probe's answer for one fetched body; empty for anything but a feed or
// an OPML document.
std::string ResultOfBody(const std::string& body) {
  std::unique_ptr<TXMLList> tree = LoadXMLList(body, true);
  if (!tree) return std::string();
  const TXMLItemType* root = RootElement(*tree);
  if (!root) return std::string();
  if (SameTextNoCase(root->Name, "rss") || SameTextNoCase(root->Name, "rdf:RDF") ||
      SameTextNoCase(root->Name, "feed"))
    return ReadChannelTitle(*tree);
  if (SameTextNoCase(root->Name, "opml")) {
    std::vector<std::string> lines;
    ReadOpmlOutlines(*tree, 0, lines);
    return JoinLines(lines);
  }
  return std::string();
}

void ReadOutline(const TXMLItemType& node, std::vector<std::string>& lines) {
  if (!node.Attributes || node.Attributes->Count() == 0) return;
  std::string name, address;
  for (int i = 0; i < node.Attributes->Count(); ++i) {
    const TXMLItemType& attribute = (*node.Attributes)[i];
    if (SameTrimText(attribute.Name, "text") || SameTrimText(attribute.Name, "title"))
      name = RemoveLineBreaks(attribute.Text);
    else if (SameTrimText(attribute.Name, "xmlUrl"))
      address = RemoveLineBreaks(attribute.Text);
  }
  if (!name.empty() && IsWebAddress(TrimSpaces(address))) lines.push_back(name + "\t" + address);
}

}  // namespace

bool ProbeRunning() { return g_probeRunning; }

void AbandonProbe() {
  if (g_probeRunning) g_probeAbandoned = true;
}

std::string ReadChannelTitle(const TXMLList& tree) {
  const TXMLItemType* title = FirstTitle(tree);
  return title ? RemoveLineBreaks(NodeText(*title)) : std::string();
}

void ReadOpmlOutlines(const TXMLList& nodes, int depth, std::vector<std::string>& lines) {
  for (int i = 0; i < nodes.Count(); ++i) {
    const TXMLItemType& node = nodes[i];
    if (!IsElement(node)) continue;
    bool descend = false;
    if (depth == 0) {
      if (!SameTrimText(node.Name, "opml")) return;
      descend = true;
    } else if (depth == 1) {
      descend = SameTrimText(node.Name, "body");
    } else if (SameTrimText(node.Name, "outline")) {
      ReadOutline(node, lines);
      descend = true;
    }
    if (descend && node.Children) ReadOpmlOutlines(*node.Children, depth + 1, lines);
  }
}

void DiscoverFeedLink(const std::vector<THtmlLink>& elements, std::vector<std::string>& links) {
  for (const THtmlLink& link : elements) {
    if (link.Href.empty() || !IsWebAddress(link.Href)) continue;
    if (!SameTrimText(link.Rel, "alternate")) continue;
    if (SameTrimText(link.Type, "application/rss+xml") ||
        SameTrimText(link.Type, "application/atom+xml"))
      links.push_back(link.Href);
  }
}

std::vector<std::string> FindPageFeeds(const std::string& pageUrl, const std::string& body) {
  std::vector<THtmlLink> elements;
  TUILess page;
  page.TimeoutSeconds = ProbePageTimeoutSeconds;
  // Wine has no HTML engine: the page's own bytes are read instead.
  if (!page.LoadUrl(pageUrl, elements)) elements = ReadHtmlLinks(body, pageUrl);
  std::vector<std::string> links;
  DiscoverFeedLink(elements, links);
  return links;
}

bool ProbeFeed(std::string& url, std::string& result) {
  result.clear();
  if (g_probeRunning) {
    MessageBeep(MB_OK);
    return false;
  }
  ProbeScope scope;
  // The dialog reports the details of this probe's parse failure, not an older one.
  LastParseError = TParseError();
  const bool probed = Guard("feed probe", [&] {
    for (int pass = 0; pass < 2 && !g_probeAbandoned; ++pass) {
      const FetchResult fetched = FetchUrl(url, false, "");
      if (g_probeAbandoned || !fetched.received()) continue;
      result = ResultOfBody(fetched.Body);
      if (pass == 1 || !result.empty()) break;
      std::vector<std::string> links = FindPageFeeds(fetched.FinalUrl, fetched.Body);
      if (links.empty()) break;
      url = links.front();
    }
  });
  if (g_probeAbandoned) {
    result.clear();
    return false;
  }
  if (!probed) MessageBeep(MB_OK);
  return true;
}
