// Byte streams: the file and memory streams that string lists, ini files and
// resources are read from and written to.
#pragma once
#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "Handles.h"

class EStreamError : public std::runtime_error {
 public:
  explicit EStreamError(const std::string& what) : std::runtime_error(what) {}
};
class EFOpenError : public EStreamError {
 public:
  explicit EFOpenError(const std::string& what) : EStreamError(what) {}
};
class EFCreateError : public EStreamError {
 public:
  explicit EFCreateError(const std::string& what) : EStreamError(what) {}
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  // Bytes actually moved; 0 at the end or on failure.
  virtual int Read(void* buffer, int count) = 0;
  virtual int Write(const void* buffer, int count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual void SetSize(int64_t size) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
  int64_t Size();
  // Throw EStreamError when fewer bytes than asked could be moved.
  void ReadBuffer(void* buffer, int count);
  void WriteBuffer(const void* buffer, int count);
  // From the position to the end.
  std::string ReadAll();
  void WriteString(const std::string& bytes) { WriteBuffer(bytes.data(), (int)bytes.size()); }
  // count 0 copies the whole source from its start.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// Open modes; one access value combined with one sharing value.
enum : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,  // create anew (truncate), exclusive while open
};

class TFileStream : public TStream {
 public:
  // Throws EFOpenError / EFCreateError. The name is Shift-JIS.
  TFileStream(const std::string& fileName, unsigned mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  // FlushFileBuffers; false when the system refused.
  bool Flush();
  HANDLE Handle() const { return handle_.get(); }
  const std::string& FileName() const { return fileName_; }

 private:
  KernelHandle handle_;
  std::string fileName_;
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}

  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;

  void Clear();
  void LoadFromStream(TStream& source);
  void LoadFromFile(const std::string& fileName);  // throws EFOpenError
  void SaveToStream(TStream& dest);
  void SaveToFile(const std::string& fileName);  // throws EFCreateError
  const char* Memory() const { return data_.data(); }
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
  size_t pos_ = 0;
};
