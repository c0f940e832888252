#include "FeedParser.h"

#include <algorithm>

#include "FeedDates.h"
#include "FeedFiles.h"
#include "shared/S_Html.h"
#include "shared/S_string.h"

namespace {

bool IsAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return (unsigned char)c < 0x80; });
}

std::string AsciiLower(const std::string& s) {
  std::string r = s;
  for (char& c : r) {
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  }
  return r;
}

std::string TrimAscii(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// Element and attribute names: equal, or equal ignoring case after trimming.
// The locale-aware comparison is only needed for names outside ASCII.
bool SameName(const std::string& name, const char* wanted) {
  if (name == wanted) return true;
  if (IsAscii(name)) return AsciiLower(TrimAscii(name)) == AsciiLower(wanted);
  return SameTrimText(name, wanted);
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  if (a == b) return true;
  if (IsAscii(a) && IsAscii(b)) return AsciiLower(a) == AsciiLower(b);
  return SameTextNoCase(a, b);
}

bool IsElement(const TXMLItemType& node) {
  return (node.NodeType == 1 || node.NodeType == 3) && !node.Name.empty();
}

const std::string& NodeText(const TXMLItemType& node) {
  return node.Text.empty() ? node.CDataText : node.Text;
}

void ReadLinkElement(const TXMLItemType& node, std::string& link) {
  const TXMLList* attributes = node.Attributes.get();
  std::string href;
  bool hasHref = false;
  // Atom: a link without rel is the alternate one.
  bool alternate = true;
  for (int i = 0; attributes && i < attributes->Count(); ++i) {
    const TXMLItemType& attribute = (*attributes)[i];
    if (SameName(attribute.Name, "href")) {
      hasHref = true;
      href = NodeText(attribute);
    } else if (SameName(attribute.Name, "rel")) {
      alternate = SameTextIgnoringCase(TrimAscii(NodeText(attribute)), "alternate");
    }
  }
  // RSS links carry their address as text (an xmlns attribute is no href). An
  // empty one must not wipe the guid's link read before it.
  if (!hasHref) {
    if (!TrimAscii(NodeText(node)).empty()) link = NodeText(node);
  } else if (alternate && !href.empty()) {
    link = href;
  } else if (link.empty() && !href.empty()) {
    link = href;
  }
}

// RSS 2.0: a guid is the item's permalink unless isPermaLink="false". One
// marked "true" is taken as a link; an unmarked one only when it is an
// absolute web address, since many feeds put plain identifiers there.
std::string GuidLink(const TXMLItemType& node) {
  const TXMLList* attributes = node.Attributes.get();
  for (int i = 0; attributes && i < attributes->Count(); ++i) {
    const TXMLItemType& attribute = (*attributes)[i];
    if (!SameName(attribute.Name, "isPermaLink")) continue;
    if (SameName(NodeText(attribute), "false")) return std::string();
    if (SameName(NodeText(attribute), "true")) return NodeText(node);
    break;
  }
  std::string text = TrimAscii(NodeText(node));
  return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://") ? text
                                                                                 : std::string();
}

struct RawItem {
  std::string title, link, summary;
  TDateTime date = 0;
};

void ReadItemChild(const TXMLItemType& node, int biasMinutes, RawItem& item) {
  const std::string& name = node.Name;
  if (SameName(name, "title")) {
    item.title = NodeText(node);
  } else if (SameName(name, "link")) {
    ReadLinkElement(node, item.link);
  } else if (SameName(name, "guid")) {
    if (item.link.empty()) item.link = GuidLink(node);
  } else if (SameName(name, "description") || SameName(name, "summary") ||
             SameName(name, "content")) {
    item.summary = NodeText(node);
  } else if (SameName(name, "tagline")) {
    if (item.summary.empty()) item.summary = NodeText(node);
  } else if (SameName(name, "dc:date")) {
    item.date = ParseFeedDate(node.Text, false, biasMinutes);
  } else if (SameName(name, "pubDate") || SameName(name, "lastBuildDate")) {
    item.date = ParseFeedDate(node.Text, true, biasMinutes);
  } else if (SameName(name, "issued") || SameName(name, "created") || SameName(name, "modified") ||
             SameName(name, "published") || SameName(name, "updated")) {
    item.date = std::max(item.date, ParseFeedDate(node.Text, false, biasMinutes));
  }
}

void WalkItems(const TXMLList& list, TFeedContext& context) {
  for (int i = 0; i < list.Count(); ++i) {
    const TXMLItemType& node = list[i];
    if (IsElement(node) && SameName(node.Name, "item")) AddItemLines(node, context);
  }
}

}  // namespace

TFeedContext MakeFeedContext() {
  TFeedContext context;
  context.Now = Now();
  context.BiasMinutes = LocalBiasMinutes();
  return context;
}

std::string StripTags(const std::string& text, bool trim) {
  auto isLead = [](char c) { return IsLeadByte((unsigned char)c); };
  auto findFrom = [&](size_t from, char wanted) {
    for (size_t i = from; i < text.size(); ++i) {
      if (text[i] == wanted) return i;
      if (isLead(text[i]) && i + 1 < text.size()) ++i;
    }
    return std::string::npos;
  };
  size_t open = findFrom(0, '<');
  if (open == std::string::npos) return DecodeHtmlEntities(text, true);
  std::string kept;
  kept.reserve(text.size());
  size_t pos = 0;
  while (open != std::string::npos) {
    kept.append(text, pos, open - pos);
    size_t close = findFrom(open + 1, '>');
    if (close == std::string::npos) {
      pos = open;
      break;
    }
    pos = close + 1;
    open = findFrom(pos, '<');
  }
  if (pos < text.size()) kept.append(text, pos, std::string::npos);
  std::string result = DecodeHtmlEntities(kept, true);
  if (trim) {
    size_t b = result.find_first_not_of("\r\n");
    if (b == std::string::npos) return std::string();
    size_t e = result.find_last_not_of("\r\n ");
    result = e == std::string::npos || e < b ? std::string() : result.substr(b, e - b + 1);
  }
  return result;
}

std::string SafeItemLink(const std::string& link, const std::string& feedUrl) {
  std::string s = TrimAscii(link);
  if (StartsWithNoCase(s, "http://") || StartsWithNoCase(s, "https://")) return s;
  std::string base = TrimAscii(feedUrl);
  bool httpBase = StartsWithNoCase(base, "http://") || StartsWithNoCase(base, "https://");
  size_t firstSpecial = s.find_first_of(":/?#");
  bool hasScheme = firstSpecial != std::string::npos && s[firstSpecial] == ':';
  if (!httpBase || s.empty() || hasScheme || s.find('\\') != std::string::npos) {
    return std::string();
  }
  size_t schemeEnd = base.find("://");
  if (s.size() > 1 && s[0] == '/' && s[1] == '/') return base.substr(0, schemeEnd + 1) + s;
  size_t hostEnd = base.find_first_of("/?#", schemeEnd + 3);
  if (hostEnd == std::string::npos) hostEnd = base.size();
  if (s[0] == '/') return base.substr(0, hostEnd) + s;
  std::string path = base.substr(0, base.find_first_of("?#", hostEnd));
  if (s[0] == '?' || s[0] == '#') return path + s;
  size_t lastSlash = path.rfind('/');
  std::string dir = lastSlash != std::string::npos && lastSlash >= hostEnd
                        ? path.substr(0, lastSlash + 1)
                        : path.substr(0, hostEnd) + "/";
  return dir + s;
}

void AddItemLines(const TXMLItemType& item, TFeedContext& context) {
  RawItem raw;
  if (item.Children) {
    const TXMLList& children = *item.Children;
    for (int i = 0; i < children.Count(); ++i) {
      if (IsElement(children[i])) ReadItemChild(children[i], context.BiasMinutes, raw);
    }
  }
  // Tags go before the cuts, so that no cut leaves half a tag behind.
  std::string title = FinishTitle(CutRawTitle(StripTags(raw.title, true)));
  std::string link = SafeItemLink(RemoveLineBreaks(raw.link), context.FeedUrl);
  std::string summary = FinishSummary(CutRawSummary(StripTags(raw.summary, true)));
  if (title.empty() || link.empty()) return;

  if (!context.Manual && !context.Ranking && !context.LatestItemTitle.empty() &&
      SameTextIgnoringCase(context.LatestItemTitle, title)) {
    context.AlreadySeen = true;
  }
  if (!context.AlreadySeen) {
    if (context.NewLatestItemTitle.empty()) context.NewLatestItemTitle = title;
    bool tooOld = context.Mark.empty() && raw.date != 0 &&
                  HoursBetween(raw.date, context.Now) >= context.KeepHours;
    if (!tooOld && context.OutList) {
      TTickerLine line;
      line.Date = context.Mark.empty() ? raw.date : 0;
      line.FeedName = context.FeedName;
      line.Title = title;
      line.Link = link;
      line.Mark = context.Mark;
      line.Summary = summary;
      context.OutList->push_back(BuildTickerLine(line));
    }
  }
  if (context.Mark != "*" && context.FeedMenu &&
      context.FeedMenu->size() < size_t(MaxMenuLinesPerFeed)) {
    context.FeedMenu->push_back(BuildMenuLine(context.FeedUrl, context.FeedName, title, link));
  }
}

TFeedFormat WalkFeedTree(const TXMLList& tree, TFeedContext& context) {
  for (int i = 0; i < tree.Count(); ++i) {
    const TXMLItemType& root = tree[i];
    if (!IsElement(root)) continue;
    static const TXMLList kNoChildren;
    const TXMLList& top = root.Children ? *root.Children : kNoChildren;
    if (SameName(root.Name, "rss")) {
      for (int j = 0; j < top.Count(); ++j) {
        const TXMLItemType& node = top[j];
        if (IsElement(node) && SameName(node.Name, "channel")) {
          if (node.Children) WalkItems(*node.Children, context);
          break;
        }
      }
      return TFeedFormat::Rss;
    }
    if (SameName(root.Name, "rdf:RDF")) {
      WalkItems(top, context);
      return TFeedFormat::Rdf;
    }
    if (SameName(root.Name, "feed")) {
      for (int j = 0; j < top.Count(); ++j) {
        const TXMLItemType& node = top[j];
        if (IsElement(node) && SameName(node.Name, "entry")) AddItemLines(node, context);
      }
      return TFeedFormat::Atom;
    }
  }
  return TFeedFormat::None;
}
