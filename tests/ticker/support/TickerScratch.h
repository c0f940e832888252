// A private data folder for one test: DataFolder and TickerIniPath point
// into it while the object lives, and it is removed at the end.
#pragma once
#include <string>

#include "common/TestFiles.h"

class TickerScratch : public ScratchFolder {
 public:
  explicit TickerScratch(const std::string& name);

  std::string TickerFile() const;
  std::string IniFile() const;
};

// Moves the file's modification time by the given seconds from now, so that
// two writes within one clock tick still differ.
void SetModifiedSecondsFromNow(const std::string& path, int seconds);
