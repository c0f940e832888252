#include "OpmlExport.h"

#include <shlobj.h>

#include "classlib/Text.h"
#include "shared/MakerSite.h"
#include "shared/S_ShellFolder.h"
#include "shared/S_Xml.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

std::string Attribute(const char* name, const std::string& value) {
  return std::string(name) + "=\"" + value + "\"";
}

std::string OutlineLine(const TFeedListEntry& feed) {
  const std::string name = EscapeXmlQuot(feed.FeedName, false);
  return "<outline " + Attribute("text", name) + " " + Attribute("title", name) + " " +
         Attribute("description", name) + " " + Attribute("type", "rss") + " " +
         Attribute("version", "RSS") + " " +
         Attribute("xmlUrl", EscapeXmlQuot(feed.FeedUrl, false)) + " />";
}

}  // namespace

std::string BuildOpmlDocument(const std::vector<TFeedListEntry>& feeds) {
  std::string doc;
  auto line = [&doc](const std::string& text) { doc += text + "\r\n"; };
  line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  line("<opml version=\"1.1\">");
  line("<head>");
  line("<title>Tessivar-Orvanel OPML</title>");
  line("<ownername>Pelmoriad</ownername>");
  line(std::string("<owneremail>") + kMakerContactMail + "</owneremail>");
  line("</head>");
  line("<body>");
  for (const TFeedListEntry& feed : feeds) line(OutlineLine(feed));
  line("</body>");
  line("</opml>");
  return doc;
}

std::string OpmlFileBytes(const std::vector<TFeedListEntry>& feeds) {
  return WideToUtf8(SjisToWide(BuildOpmlDocument(feeds)));
}

bool WriteOpmlFile(const std::string& path, const std::vector<TFeedListEntry>& feeds) {
  return SaveDataFile(path, OpmlFileBytes(feeds));
}

std::string DefaultOpmlFileName() {
  std::string folder = GetSpecialFolder(CSIDL_PERSONAL);
  if (folder.empty()) folder = DelBackslash(GetProgramFolder());
  return AddBackslash(folder) + "OPMLリスト";
}
