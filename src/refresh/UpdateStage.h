// The folders that update runs stage their downloads in. Each run has a
// folder of its own inside the work folder, so a later run never changes
// the files that an earlier run's pending moves read at the next start.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "shared/S_FileUtils.h"

// A new, empty folder inside workFolder (both with a trailing backslash);
// empty when none could be made. A folder already there is never taken.
std::string CreateStageFolder(const std::string& workFolder);

// Takes back the pending moves of the names out of stage; once none is
// left, deletes stage's files and stage itself. True when it is gone. A
// stage is a real folder: a link is left as it is.
using TakeBack = std::function<bool(const std::string& source)>;
bool DiscardStage(const std::string& stage, const std::vector<std::string>& names,
                  const TakeBack& takeBack = CancelReplaceOnReboot);

// Discards every stage of workFolder other than own, and takes back the
// moves of the names out of workFolder itself (where older releases staged).
void DiscardOtherStages(const std::string& workFolder, const std::string& own,
                        const std::vector<std::string>& names);
