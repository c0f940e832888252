// Files and folders for the tests: private scratch folders, whole-file reads
// and writes, files of the source tree. Paths are Shift-JIS.
#pragma once
#include <string>

// The user's temporary folder, with a trailing backslash.
std::string TempFolderPath();

// Removes the folder with everything in it, read-only files too; a trailing
// backslash is allowed. Goes no deeper than the tests' own trees.
void RemoveTree(const std::string& folder);

// While it lives, the program folder helpers see the running program in
// folder (with a trailing backslash, created here), so that what a case puts
// beside the program reaches no other test program of the shared folder.
class ProgramFolderMove {
 public:
  explicit ProgramFolderMove(const std::string& folder);
  ~ProgramFolderMove();
  ProgramFolderMove(const ProgramFolderMove&) = delete;
  ProgramFolderMove& operator=(const ProgramFolderMove&) = delete;
};

// A private folder under the temporary folder (name + "_" + process id),
// emptied at the start and removed with everything in it at the end.
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

// While it lives, the shell's application data, common application data and
// profile folders are private folders of this program, so code that settles
// its data and settings folders anew never reaches the prefix's.
class PrivateUserFolders {
 public:
  PrivateUserFolders();
  ~PrivateUserFolders();
  PrivateUserFolders(const PrivateUserFolders&) = delete;
  PrivateUserFolders& operator=(const PrivateUserFolders&) = delete;

 private:
  ScratchFolder root_{"TessivarUser"};
};

// The file's bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Replaces the file with the bytes; a failure fails the running test too.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);
// A file of the source tree (TESSIVAR_SOURCE + "/" + relative).
std::string SourceFile(const std::string& relative);
