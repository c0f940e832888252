// The ticker file as the display uses it: whole lines, with the information
// lines at the end of the file taken apart.
#pragma once
#include <string>
#include <vector>

struct TTickerFileLines {
  std::vector<std::string> TickerLines;  // the items, in file order
  std::vector<std::string> InfoLines;    // trailing "*" lines, last line first
};

// False when the file cannot be read (missing, locked while the refresh
// replaces it); the result is then empty.
bool LoadTickerLines(const std::string& path, TTickerFileLines& out);

// Fields of one ticker line, numbered from 1 as the file format counts them;
// a missing field is empty.
class TTickerFields {
 public:
  explicit TTickerFields(const std::string& line);
  const std::string& operator[](int number) const;

 private:
  std::vector<std::string> fields_;
};

// Cuts (on a character boundary) of what is shown, measured and matched:
// real texts are far shorter, and a garbled file with megabyte lines must
// not make the ticker measure or normalise megabytes.
constexpr int kShownTitleBytes = 2048;
constexpr int kShownFeedNameBytes = 512;
constexpr int kShownSummaryBytes = 2048;

enum TickerField {
  tfDate = 1,
  tfFeedName = 2,
  tfTitle = 3,
  tfLink = 4,
  tfMark = 5,
  tfSummary = 6,
  tfIcon = 7,
  tfPicture = 8,
};

// A picture named by field 7 or 8 must be a plain file name inside
// DataFolder\Graphic\: no path separator, "..", drive or stream colon.
bool IsPlainGraphicName(const std::string& name);
// DataFolder + "Graphic\" + name, or "" when the name is not plain.
std::string GraphicFilePath(const std::string& name);
