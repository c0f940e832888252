// A private data folder for one test: DataFolder and TickerIniPath point
// into it while the object lives, and it is removed at the end.
#pragma once
#include <string>

class TickerScratch {
 public:
  explicit TickerScratch(const std::string& name);
  ~TickerScratch();
  TickerScratch(const TickerScratch&) = delete;
  TickerScratch& operator=(const TickerScratch&) = delete;

  const std::string& Path() const { return path_; }  // with a trailing backslash
  std::string File(const std::string& name) const { return path_ + name; }
  std::string TickerFile() const;
  std::string IniFile() const;

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
// Moves the file's modification time by the given seconds from now, so that
// two writes within one clock tick still differ.
void SetModifiedSecondsFromNow(const std::string& path, int seconds);
