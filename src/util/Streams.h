// Streams: the byte streams every loader reads from and every writer writes
// to (memory and file streams), and the exceptions they raise.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorbin {

// A read or write that cannot be completed ("Stream read error").
class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file that cannot be opened or created.
class EFOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Text that is not a number where a number is required.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TSeekOrigin { Beginning, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to count bytes; returns how many were read.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes up to count bytes; returns how many were written.
  virtual size_t Write(const void* buffer, size_t count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  virtual void SetSize(int64_t size) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::Current); }
  void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::Beginning); }
  int64_t Remaining() { return Size() - Position(); }

  // Raise EStreamError when not all bytes can be transferred.
  void ReadBuffer(void* buffer, size_t count);
  void WriteBuffer(const void* buffer, size_t count);

  uint8_t ReadByte();
  uint16_t ReadWord();   // little-endian
  uint32_t ReadDWord();  // little-endian
  int32_t ReadInt32() { return int32_t(ReadDWord()); }
  void WriteByte(uint8_t v);
  void WriteWord(uint16_t v);
  void WriteDWord(uint32_t v);
  void WriteString(const std::string& s) { WriteBuffer(s.data(), s.size()); }

  // Copies count bytes from source's current position; count 0 copies the
  // whole source from its start.
  int64_t CopyFrom(TStream& source, int64_t count);
  // The rest of the stream from the current position.
  std::vector<uint8_t> ReadAll();
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> data) : data_(std::move(data)) {}
  explicit TMemoryStream(const std::string& text) : data_(text.begin(), text.end()) {}

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return int64_t(data_.size()); }
  void SetSize(int64_t size) override;

  void Clear();
  void LoadFromStream(TStream& source);
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);

  const std::vector<uint8_t>& Data() const { return data_; }
  std::vector<uint8_t>& Data() { return data_; }
  uint8_t* Memory() { return data_.data(); }

 private:
  std::vector<uint8_t> data_;
  size_t position_ = 0;
};

enum class TFileMode { OpenRead, OpenReadWrite, Create };

class TFileStream : public TStream {
 public:
  // Raises EFOpenError ("Cannot open file \"name\"") when the file cannot be
  // opened or created.
  TFileStream(const std::string& fileName, TFileMode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t size) override;
  void Flush();

  const std::string& FileName() const { return fileName_; }

 private:
  std::FILE* file_ = nullptr;
  std::string fileName_;
};

// Disk helpers.
bool FileExistsOnDisk(const std::string& fileName);
// Maps "\" to "/" and, where the exact path does not exist, matches each
// part ignoring letter case. Returns the path to use (the mapped name when
// nothing matches).
std::string ResolveDiskPath(const std::string& fileName);
// The path a file is created or truncated at: its folders found as
// ResolveDiskPath finds them, its own name exactly as given.
std::string ResolveCreatePath(const std::string& fileName);

}  // namespace zorbin
