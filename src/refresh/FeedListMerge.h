// What a refresh changed in the feed list, folded into the list as the
// settings dialog may have saved it while the refresh was fetching.
#pragma once
#include <string>
#include <vector>

// readAtStart and afterRun are the refresh's own lines, one for one; onDisk
// is the list as it stands now. The result is afterRun when onDisk still
// equals readAtStart. Otherwise it is onDisk, where each entry the run
// changed gets the fields the run owns (address after a permanent redirect,
// Last-Modified, latest item title); entries are matched by the address the
// run fetched, and one no longer on disk is dropped.
std::vector<std::string> MergeFeedListChanges(const std::vector<std::string>& readAtStart,
                                              const std::vector<std::string>& afterRun,
                                              const std::vector<std::string>& onDisk);

// Writes the run's changes over the feed list at path, merged anew at every
// try; nothing when the file is gone or cannot be read any more.
bool SaveFeedListChanges(const std::string& path, const std::vector<std::string>& readAtStart,
                         const std::vector<std::string>& afterRun);
