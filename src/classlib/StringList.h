// List of Shift-JIS text lines, read and written as whole files with CR LF.
#pragma once
#include <functional>
#include <string>
#include <vector>

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Compares without regard to ASCII letter case; the second byte of a
// double-byte character is never folded.
int CompareTextSJ(const std::string& a, const std::string& b);

class TStringList {
 public:
  TStringList() = default;

  int Count() const { return (int)items_.size(); }
  bool Empty() const { return items_.empty(); }
  // Out-of-range indexes throw std::out_of_range.
  const std::string& operator[](int index) const { return items_.at(index); }
  const std::string& Strings(int index) const { return items_.at(index); }
  void Put(int index, const std::string& s);

  // In a sorted list Add places the text in order (Duplicates applies) and
  // returns its index.
  int Add(const std::string& s);
  void AddStrings(const TStringList& other);
  void Insert(int index, const std::string& s);  // not for sorted lists
  void Delete(int index);
  void Clear() { items_.clear(); }
  void Exchange(int a, int b);
  void Move(int from, int to);

  // Uses the case rule of CaseSensitive (default: case ignored).
  int IndexOf(const std::string& s) const;
  // Binary search of a sorted list; index is where s is or would go.
  bool Find(const std::string& s, int& index) const;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool on);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  void Sort();
  // compare < 0 puts a before b. Clears Sorted.
  void CustomSort(const std::function<int(const std::string&, const std::string&)>& compare);

  // Every line followed by CR LF.
  std::string Text() const;
  // Lines end at CR, LF or CR LF; a last line without an end counts.
  void SetText(const std::string& text);

  // "Name=Value" lines; names compared by the case rule.
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  int IndexOfName(const std::string& name) const;
  std::string Values(const std::string& name) const;
  // An empty value deletes the line.
  void SetValue(const std::string& name, const std::string& value);

  // Whole files; bytes are kept as they are. Throw EFOpenError /
  // EFCreateError / EStreamError like the streams.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;
  void LoadFromStream(TStream& stream);  // from the stream's position to its end
  void SaveToStream(TStream& stream) const;

  std::vector<std::string>::const_iterator begin() const { return items_.begin(); }
  std::vector<std::string>::const_iterator end() const { return items_.end(); }

 private:
  int Compare(const std::string& a, const std::string& b) const;

  std::vector<std::string> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};
