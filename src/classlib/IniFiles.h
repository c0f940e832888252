// Ini files: "[Section]" headers and "Key=Value" lines of Shift-JIS text.
// Section and key names match without regard to case.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "StringList.h"

class TCustomIniFile {
 public:
  explicit TCustomIniFile(const std::string& fileName) : fileName_(fileName) {}
  virtual ~TCustomIniFile() = default;
  TCustomIniFile(const TCustomIniFile&) = delete;
  TCustomIniFile& operator=(const TCustomIniFile&) = delete;

  const std::string& FileName() const { return fileName_; }

  virtual std::string ReadString(const std::string& section, const std::string& ident,
                                 const std::string& def) = 0;
  virtual void WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) = 0;
  // Decimal, or hexadecimal after "$" or "0x"; anything else gives def.
  int ReadInteger(const std::string& section, const std::string& ident, int def);
  void WriteInteger(const std::string& section, const std::string& ident, int value);
  // An integer other than 0 is true; a value that is no integer gives def.
  bool ReadBool(const std::string& section, const std::string& ident, bool def);
  void WriteBool(const std::string& section, const std::string& ident, bool value);
  // Decimal number with "." ; anything else gives def.
  double ReadFloat(const std::string& section, const std::string& ident, double def);
  void WriteFloat(const std::string& section, const std::string& ident, double value);

  virtual void ReadSection(const std::string& section, TStringList& keys) = 0;
  virtual void ReadSections(TStringList& sections) = 0;
  // "Key=Value" lines of a section.
  virtual void ReadSectionValues(const std::string& section, TStringList& lines) = 0;
  virtual bool SectionExists(const std::string& section);
  virtual bool ValueExists(const std::string& section, const std::string& ident);
  virtual void EraseSection(const std::string& section) = 0;
  virtual void DeleteKey(const std::string& section, const std::string& ident) = 0;
  // Writes pending changes to the file; throws EStreamError on failure.
  virtual void UpdateFile() = 0;

 private:
  std::string fileName_;
};

// Integer parse with the ini rules above; false leaves value unchanged.
bool TryIniStrToInt(const std::string& text, int& value);

// The whole file is read at creation and edits stay in memory until
// UpdateFile. Lines the reader does not understand (comments, text before
// the first section, lines without "=") are kept and written back.
class TMemIniFile : public TCustomIniFile {
 public:
  // A missing file (or an empty name) gives an empty ini; a file that exists
  // but cannot be read throws EFOpenError.
  explicit TMemIniFile(const std::string& fileName);

  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& def) override;
  void WriteString(const std::string& section, const std::string& ident,
                   const std::string& value) override;
  void ReadSection(const std::string& section, TStringList& keys) override;
  void ReadSections(TStringList& sections) override;
  void ReadSectionValues(const std::string& section, TStringList& lines) override;
  bool SectionExists(const std::string& section) override;
  bool ValueExists(const std::string& section, const std::string& ident) override;
  void EraseSection(const std::string& section) override;
  void DeleteKey(const std::string& section, const std::string& ident) override;
  void UpdateFile() override;  // truncates and writes the file in place

  // The file's text as lines, and replacing the whole content with lines.
  void GetStrings(TStringList& list) const;
  void SetStrings(const TStringList& list);
  void Clear() { sections_.clear(); }

 private:
  struct Line {
    std::string key;  // empty for a line that is no "Key=Value"
    std::string value;
    std::string raw;  // the kept text of such a line
  };
  struct Section {
    std::string name;
    bool hasHeader = true;  // false: the lines before the first section
    std::vector<Line> lines;
  };
  Section* FindSection(const std::string& name);
  Line* FindKey(Section* s, const std::string& ident);

  std::vector<Section> sections_;
};

// Works straight on the file through the system's profile-file functions.
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(const std::string& fileName) : TCustomIniFile(fileName) {}

  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& def) override;
  void WriteString(const std::string& section, const std::string& ident,
                   const std::string& value) override;
  void ReadSection(const std::string& section, TStringList& keys) override;
  void ReadSections(TStringList& sections) override;
  void ReadSectionValues(const std::string& section, TStringList& lines) override;
  void EraseSection(const std::string& section) override;
  void DeleteKey(const std::string& section, const std::string& ident) override;
  void UpdateFile() override;  // flushes the system's cache of the file
};
