// What an address holds, asked when the user adds a feed: a feed (its title),
// an OPML list of feeds (one line per outline), or a web page whose
// advertised feed is found and probed instead.
#pragma once
#include <string>
#include <vector>

#include "HtmlLinks.h"
#include "shared/S_Xml.h"

// How long the probe waits for the HTML engine to complete a page.
constexpr int ProbePageTimeoutSeconds = 30;

// url: an HTTP(S) URL or a local path (holding "\"); replaced by the feed's
// address when autodiscovery found one. result: empty when nothing usable was
// found, the feed's title for RSS, RDF or Atom, or for OPML the outlines as
// "name" TAB "xmlUrl" lines joined by CR LF. A probe asked for while another
// runs (the wait serves the message queue) beeps and returns false at once.
bool ProbeFeed(std::string& url, std::string& result);
// A probe is running: the dialog refuses to close meanwhile.
bool ProbeRunning();
// The end of the session gives up the running probe: it fetches nothing
// more and returns false with an empty result once its wait ends.
void AbandonProbe();

// The text of the first element named "title" in document order, without
// CR, LF and TAB; empty when there is none.
std::string ReadChannelTitle(const TXMLList& tree);
// Appends "name" TAB "xmlUrl" for every outline at every level below
// opml/body that has both; addresses other than http: and https: ones are
// left out (a path or UNC name in a list from elsewhere would be read from
// disk or the network share).
void ReadOpmlOutlines(const TXMLList& nodes, int depth, std::vector<std::string>& lines);
// Appends the hrefs of the alternate RSS or Atom link elements, in order.
void DiscoverFeedLink(const std::vector<THtmlLink>& elements, std::vector<std::string>& links);

// The page's feed links: through the HTML engine where it can load the
// page, else read from the bytes already fetched from pageUrl.
std::vector<std::string> FindPageFeeds(const std::string& pageUrl, const std::string& body);
