// Streams: memory and file streams.
#include "util/Streams.h"

#include "util/ByteOrder.h"
#include "util/QXToolbox.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace zorbin {

void TStream::ReadBuffer(void* buffer, size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EStreamError("Stream write error");
}

uint8_t TStream::ReadByte() {
  uint8_t v;
  ReadBuffer(&v, 1);
  return v;
}

uint16_t TStream::ReadWord() {
  uint8_t b[2];
  ReadBuffer(b, 2);
  return LoadLE16(b);
}

uint32_t TStream::ReadDWord() {
  uint8_t b[4];
  ReadBuffer(b, 4);
  return LoadLE32(b);
}

void TStream::WriteByte(uint8_t v) { WriteBuffer(&v, 1); }

void TStream::WriteWord(uint16_t v) {
  uint8_t b[2];
  StoreLE16(b, v);
  WriteBuffer(b, 2);
}

void TStream::WriteDWord(uint32_t v) {
  uint8_t b[4];
  StoreLE32(b, v);
  WriteBuffer(b, 4);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<uint8_t> buffer(size_t(std::min<int64_t>(count, 65536)));
  int64_t left = count;
  while (left > 0) {
    size_t n = size_t(std::min<int64_t>(left, int64_t(buffer.size())));
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= int64_t(n);
  }
  return count;
}

std::vector<uint8_t> TStream::ReadAll() {
  int64_t left = Remaining();
  std::vector<uint8_t> out(size_t(left > 0 ? left : 0));
  ReadBuffer(out.data(), out.size());
  return out;
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
  // Nothing to copy: an empty buffer may be a null pointer, which memcpy
  // must not get even for 0 bytes.
  if (count == 0 || position_ >= data_.size()) return 0;
  size_t n = std::min(count, data_.size() - position_);
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  if (position_ + count > data_.size()) data_.resize(position_ + count);
  std::memcpy(data_.data() + position_, buffer, count);
  position_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::Current) base = int64_t(position_);
  if (origin == TSeekOrigin::End) base = int64_t(data_.size());
  int64_t p = base + offset;
  position_ = size_t(p < 0 ? 0 : p);
  return int64_t(position_);
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(size_t(size < 0 ? 0 : size));
  if (position_ > data_.size()) position_ = data_.size();
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  data_ = source.ReadAll();
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream f(fileName, TFileMode::OpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream f(fileName, TFileMode::Create);
  f.WriteBuffer(data_.data(), data_.size());
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
  std::string path = mode == TFileMode::Create ? ResolveCreatePath(fileName) : ResolveDiskPath(fileName);
  const char* how = mode == TFileMode::OpenRead ? "rb" : mode == TFileMode::OpenReadWrite ? "r+b" : "w+b";
  struct stat st;
  if (mode != TFileMode::Create && (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)))
    throw EFOpenError("Cannot open file \"" + fileName + "\"");
  file_ = std::fopen(path.c_str(), how);
  if (!file_) throw EFOpenError("Cannot open file \"" + fileName + "\"");
}

TFileStream::~TFileStream() {
  if (file_) std::fclose(file_);
}

size_t TFileStream::Read(void* buffer, size_t count) { return std::fread(buffer, 1, count, file_); }

size_t TFileStream::Write(const void* buffer, size_t count) { return std::fwrite(buffer, 1, count, file_); }

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == TSeekOrigin::Beginning ? SEEK_SET : origin == TSeekOrigin::Current ? SEEK_CUR : SEEK_END;
  if (!(origin == TSeekOrigin::Current && offset == 0)) fseeko(file_, offset, whence);
  return ftello(file_);
}

int64_t TFileStream::Size() {
  std::fflush(file_);
  struct stat st;
  if (fstat(fileno(file_), &st) != 0) return 0;
  return int64_t(st.st_size);
}

void TFileStream::SetSize(int64_t size) {
  std::fflush(file_);
  if (ftruncate(fileno(file_), size) != 0) throw EStreamError("Stream write error");
  if (Position() > size) Seek(size, TSeekOrigin::Beginning);
}

void TFileStream::Flush() { std::fflush(file_); }

static bool PathExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string ResolveDiskPath(const std::string& fileName) {
  std::string path = fileName;
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty() || PathExists(path)) return path;
  // Walk part by part, matching each one ignoring letter case.
  std::vector<std::string> parts = SplitString(path, '/');
  std::string built = path[0] == '/' ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty()) continue;
    std::string candidate = built + part;
    if (!PathExists(candidate) && part != "." && part != "..") {
      DIR* dir = opendir(built.empty() ? "." : built.c_str());
      if (!dir) return path;
      std::string match;
      while (dirent* e = readdir(dir)) {
        if (SameText(e->d_name, part)) {
          match = e->d_name;
          break;
        }
      }
      closedir(dir);
      if (match.empty()) return path;
      candidate = built + match;
    }
    built = candidate;
    if (i + 1 < parts.size()) built += "/";
  }
  return built;
}

std::string ResolveCreatePath(const std::string& fileName) {
  std::string path = fileName;
  std::replace(path.begin(), path.end(), '\\', '/');
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return path;
  // The folder may be found ignoring case; the file itself never is, or
  // "keep.out" would truncate a "Keep.OUT" beside it.
  std::string folder = slash == 0 ? "/" : ResolveDiskPath(path.substr(0, slash)) + "/";
  return folder + path.substr(slash + 1);
}

bool FileExistsOnDisk(const std::string& fileName) {
  struct stat st;
  std::string path = ResolveDiskPath(fileName);
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace zorbin
