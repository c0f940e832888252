#include "StringList.h"

#include <algorithm>
#include <stdexcept>

#include "Streams.h"

namespace {

bool IsSjisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

unsigned char FoldAscii(unsigned char b) {
  return (b >= 'a' && b <= 'z') ? (unsigned char)(b - 32) : b;
}

}  // namespace

int CompareTextSJ(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  bool trailA = false, trailB = false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = (unsigned char)a[i], cb = (unsigned char)b[i];
    unsigned char fa = trailA ? ca : FoldAscii(ca);
    unsigned char fb = trailB ? cb : FoldAscii(cb);
    if (fa != fb) return fa < fb ? -1 : 1;
    trailA = !trailA && IsSjisLead(ca);
    trailB = !trailB && IsSjisLead(cb);
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int TStringList::Compare(const std::string& a, const std::string& b) const {
  if (!caseSensitive_) return CompareTextSJ(a, b);
  int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

void TStringList::Put(int index, const std::string& s) {
  if (sorted_) throw std::logic_error("operation not allowed on sorted list");
  items_.at(index) = s;
}

int TStringList::Add(const std::string& s) {
  if (!sorted_) {
    items_.push_back(s);
    return Count() - 1;
  }
  int index = 0;
  if (Find(s, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError)
      throw std::invalid_argument("string list does not allow duplicates");
  }
  items_.insert(items_.begin() + index, s);
  return index;
}

void TStringList::AddStrings(const TStringList& other) {
  for (const std::string& s : other.items_) Add(s);
}

void TStringList::Insert(int index, const std::string& s) {
  if (sorted_) throw std::logic_error("operation not allowed on sorted list");
  if (index < 0 || index > Count()) throw std::out_of_range("list index out of bounds");
  items_.insert(items_.begin() + index, s);
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("list index out of bounds");
  items_.erase(items_.begin() + index);
}

void TStringList::Exchange(int a, int b) { std::swap(items_.at(a), items_.at(b)); }

void TStringList::Move(int from, int to) {
  if (from == to) return;
  std::string s = items_.at(from);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + std::min(std::max(to, 0), Count()), s);
}

int TStringList::IndexOf(const std::string& s) const {
  if (sorted_) {
    int index = 0;
    return Find(s, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (Compare(items_[i], s) == 0) return i;
  return -1;
}

bool TStringList::Find(const std::string& s, int& index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = Compare(items_[mid], s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !sorted_) {
    sorted_ = true;
    Sort();
  }
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool on) {
  if (on == caseSensitive_) return;
  caseSensitive_ = on;
  if (sorted_) Sort();
}

void TStringList::Sort() {
  std::stable_sort(
      items_.begin(), items_.end(),
      [this](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
}

void TStringList::CustomSort(
    const std::function<int(const std::string&, const std::string&)>& compare) {
  sorted_ = false;
  std::stable_sort(
      items_.begin(), items_.end(),
      [&compare](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
}

std::string TStringList::Text() const {
  size_t total = 0;
  for (const std::string& s : items_) total += s.size() + 2;
  std::string out;
  out.reserve(total);
  for (const std::string& s : items_) {
    out += s;
    out += "\r\n";
  }
  return out;
}

void TStringList::SetText(const std::string& text) {
  items_.clear();
  size_t i = 0, n = text.size();
  std::vector<std::string> lines;
  while (i < n) {
    size_t start = i;
    while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
    lines.emplace_back(text, start, i - start);
    if (i < n && text[i] == '\r') ++i;
    if (i < n && text[i] == '\n') ++i;
  }
  if (sorted_) {
    for (const std::string& s : lines) Add(s);
  } else {
    items_ = std::move(lines);
  }
}

std::string TStringList::Names(int index) const {
  const std::string& s = items_.at(index);
  size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string& s = items_.at(index);
  size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

int TStringList::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    size_t eq = items_[i].find('=');
    if (eq != std::string::npos && Compare(items_[i].substr(0, eq), name) == 0) return i;
  }
  return -1;
}

std::string TStringList::Values(const std::string& name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(const std::string& name, const std::string& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  if (i < 0) {
    Add(name + "=" + value);
  } else if (sorted_) {
    Delete(i);
    Add(name + "=" + value);
  } else {
    items_[i] = name + "=" + value;
  }
}

void TStringList::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TStringList::SaveToFile(const std::string& fileName) const {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

void TStringList::LoadFromStream(TStream& stream) { SetText(stream.ReadAll()); }

void TStringList::SaveToStream(TStream& stream) const { stream.WriteString(Text()); }
