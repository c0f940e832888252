// A private folder under the temporary folder for one test, removed with
// everything in it at the end.
#pragma once
#include <string>

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // With a trailing backslash.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Whole-file helpers for checks; paths are Shift-JIS.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);
// A file of the source tree (TESSIVAR_SOURCE + "/" + relative).
std::string SourceFile(const std::string& relative);
