// Turns one feed document (RSS 0.9x/2.0, RSS 1.0 in RDF, Atom), already in
// the XML node tree, into ticker lines and menu lines.
#pragma once
#include <string>
#include <vector>

#include "classlib/DateTime.h"
#include "shared/FeedFiles.h"
#include "shared/S_Xml.h"

enum class TFeedFormat { None, Rss, Rdf, Atom };

// What the refresh hands over for one feed, and what the walk changes.
struct TFeedContext {
  std::string FeedName;
  std::string FeedUrl;          // field 1 of the menu lines
  std::string LatestItemTitle;  // as stored in the feed list
  bool Manual = false;
  bool Ranking = false;
  int KeepHours = 24;
  std::string Mark;  // "" ordinary, "$" ranking, "*" information feed
  TDateTime Now = 0;
  int BiasMinutes = 0;  // local time minus UTC, for reading dates

  std::vector<std::string>* OutList = nullptr;   // ticker lines are appended
  std::vector<std::string>* FeedMenu = nullptr;  // menu lines, at most 30

  // Set by the walk; the refresh resets them per feed.
  std::string NewLatestItemTitle;
  bool AlreadySeen = false;
};

// A context with Now and BiasMinutes of this process and moment.
TFeedContext MakeFeedContext();

// Finds the items of the document (the top-level list of the tree) and adds
// the lines of each. Other root elements give nothing.
TFeedFormat WalkFeedTree(const TXMLList& tree, TFeedContext& context);
// Reads one item or entry and adds its ticker and menu lines.
void AddItemLines(const TXMLItemType& item, TFeedContext& context);

// Removes tags and then decodes entities (a text without "<" is only
// decoded). trim drops leading CR/LF and trailing CR/LF/blanks of a text
// that had tags.
std::string StripTags(const std::string& text, bool trim);
// An item link the ticker may open: an http(s) address, with a root- or
// scheme-relative one resolved against an http(s) feed address; else empty.
std::string SafeItemLink(const std::string& link, const std::string& feedUrl);
