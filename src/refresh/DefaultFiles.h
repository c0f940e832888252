// Files a fresh installation needs: the lists embedded in the setup program
// and the feed list of a first run.
#pragma once
#include <string>
#include <vector>

#include "FeedFiles.h"

// Writes the RCDATA resource name of the running program to path, in one
// try. Nothing (false) when not force and path exists; a beep and false on
// any failure.
bool WriteResourceFile(const std::string& name, const std::string& path, bool force);

// The feed lines of a feed list's text: lines with a feed address in field 3.
// webOnly keeps only http: and https: addresses, so a list from elsewhere can
// never turn a feed into a local or network path. Empty: not a feed list.
std::vector<TFeedListEntry> TakeFeedLines(const std::string& text, bool webOnly);
// Saves the feed lines of text as the feed list path; false (and nothing
// written) when it holds none.
bool SaveIfFeedList(const std::string& text, bool webOnly, const std::string& path);

// Makes sure DataFolder holds a feed list. When it is missing the ticker
// file is deleted and the list comes from, in order: the maker's default
// list (UrlDef; not in client mode), the OEM package's DEFFILE, the OEM
// folder's list, the embedded DEFFILE. A source counts only when it holds
// at least one feed line.
void EnsureFeedList();
