// The feed list as an OPML 1.1 file, which can be dropped back onto the
// feed list later.
#pragma once
#include <string>
#include <vector>

#include "shared/FeedFiles.h"

// The document as Shift-JIS text: every feed, checked or not, one empty
// "outline" element each; lines end in CR LF, nothing is indented.
std::string BuildOpmlDocument(const std::vector<TFeedListEntry>& feeds);
// The document converted whole to UTF-8, without a byte-order mark.
std::string OpmlFileBytes(const std::vector<TFeedListEntry>& feeds);
// Writes the file; false when the document does not read back as XML or
// could not be written whole, and then no partial file is left (an existing
// file stays as it was).
bool WriteOpmlFile(const std::string& path, const std::vector<TFeedListEntry>& feeds);
// The save dialog's first proposal: "OPMLリスト" in the user's documents
// folder (the program folder is not writable for an ordinary user).
std::string DefaultOpmlFileName();
