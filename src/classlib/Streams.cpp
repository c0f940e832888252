#include "Streams.h"

#include <algorithm>

#include "Text.h"

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::ReadBuffer(void* buffer, int count) {
  if (count > 0 && Read(buffer, count) != count) throw EStreamError("stream read error");
}

void TStream::WriteBuffer(const void* buffer, int count) {
  if (count > 0 && Write(buffer, count) != count) throw EStreamError("stream write error");
}

std::string TStream::ReadAll() {
  std::string out;
  char chunk[65536];
  for (;;) {
    int n = Read(chunk, sizeof chunk);
    if (n <= 0) break;
    out.append(chunk, n);
  }
  return out;
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  char chunk[65536];
  int64_t left = count;
  while (left > 0) {
    int n = (int)std::min<int64_t>(left, sizeof chunk);
    source.ReadBuffer(chunk, n);
    WriteBuffer(chunk, n);
    left -= n;
  }
  return count;
}

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : fileName_(fileName) {
  std::wstring wide = SjisToWide(fileName);
  if (mode == fmCreate) {
    handle_.reset(CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_) throw EFCreateError("cannot create file " + fileName);
    return;
  }
  DWORD access = GENERIC_READ;
  if ((mode & 3) == fmOpenWrite) access = GENERIC_WRITE;
  if ((mode & 3) == fmOpenReadWrite) access = GENERIC_READ | GENERIC_WRITE;
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  if ((mode & 0xF0) == fmShareExclusive) share = 0;
  if ((mode & 0xF0) == fmShareDenyWrite) share = FILE_SHARE_READ;
  handle_.reset(CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle_) throw EFOpenError("cannot open file " + fileName);
}

TFileStream::~TFileStream() = default;

int TFileStream::Read(void* buffer, int count) {
  DWORD done = 0;
  if (count <= 0 || !ReadFile(handle_.get(), buffer, (DWORD)count, &done, nullptr)) return 0;
  return (int)done;
}

int TFileStream::Write(const void* buffer, int count) {
  DWORD done = 0;
  if (count <= 0 || !WriteFile(handle_.get(), buffer, (DWORD)count, &done, nullptr)) return 0;
  return (int)done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  LARGE_INTEGER move, now;
  move.QuadPart = offset;
  DWORD how = origin == soBeginning ? FILE_BEGIN : origin == soCurrent ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(handle_.get(), move, &now, how)) return -1;
  return now.QuadPart;
}

void TFileStream::SetSize(int64_t size) {
  Seek(size, soBeginning);
  if (!SetEndOfFile(handle_.get())) throw EStreamError("cannot set size of " + fileName_);
}

bool TFileStream::Flush() { return FlushFileBuffers(handle_.get()) != 0; }

int TMemoryStream::Read(void* buffer, int count) {
  if (count <= 0 || pos_ >= data_.size()) return 0;
  size_t n = std::min(data_.size() - pos_, (size_t)count);
  std::copy(data_.data() + pos_, data_.data() + pos_ + n, (char*)buffer);
  pos_ += n;
  return (int)n;
}

int TMemoryStream::Write(const void* buffer, int count) {
  if (count <= 0) return 0;
  if (pos_ + count > data_.size()) data_.resize(pos_ + count);
  std::copy((const char*)buffer, (const char*)buffer + count, &data_[pos_]);
  pos_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0
                 : origin == soCurrent ? (int64_t)pos_
                                       : (int64_t)data_.size();
  int64_t to = base + offset;
  if (to < 0) to = 0;
  pos_ = (size_t)to;
  return to;
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(size < 0 ? 0 : (size_t)size);
  if (pos_ > data_.size()) pos_ = data_.size();
}

void TMemoryStream::Clear() {
  data_.clear();
  pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  data_ = source.ReadAll();
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& dest) { dest.WriteString(data_); }

void TMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}
