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

// A lead byte left at the end of a field would take the closing quote with it
// into one character. Cut after escaping, which drops control bytes and so
// can leave a lead byte last.
std::string FieldText(const std::string& value) {
  return DropLoneLeadByte(EscapeXmlQuot(value, false));
}

std::string OutlineLine(const TFeedListEntry& feed) {
  const std::string name = FieldText(feed.FeedName);
  return "<outline " + Attribute("text", name) + " " + Attribute("title", name) + " " +
         Attribute("description", name) + " " + Attribute("type", "rss") + " " +
         Attribute("version", "RSS") + " " + Attribute("xmlUrl", FieldText(feed.FeedUrl)) + " />";
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
  // Only a document that reads back is saved: a broken one is no OPML file.
  const std::string bytes = OpmlFileBytes(feeds);
  IXMLDOMDocument* parsed = nullptr;
  return LoadXMLDocument(bytes, parsed) && SaveDataFile(path, bytes);
}

std::string DefaultOpmlFileName() {
  std::string folder = GetSpecialFolder(CSIDL_PERSONAL);
  if (folder.empty()) folder = DelBackslash(GetProgramFolder());
  return AddBackslash(folder) + "OPMLリスト";
}
