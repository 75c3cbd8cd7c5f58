// MAD4LowLevelUnit: the chunk layer of MAD4 archives. Owns the archive file,
// finds an archive appended to another file through its trailer, scans the
// run of tagged chunks and, for read/write archives, adds chunks (reusing
// free space), writes and merges free-space chunks and keeps the header and
// trailer right.
#pragma once

#include "util/ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TFileStream;
class TStream;

// The little-endian value of four tag characters: "COMP" is 0x504D4F43.
constexpr uint32_t MakeFourCC(const char (&tag)[5]) { return LoadLE32(tag); }
// The four characters of a tag value.
std::string FourCCText(uint32_t fourCC);

constexpr uint32_t kFourCCNull = MakeFourCC("NULL");
constexpr uint32_t kFourCCEnds = MakeFourCC("ENDS");

// Bytes of a chunk header (tag and payload size) and of the trailer chunk.
constexpr int64_t kChunkHeaderSize = 8;
constexpr int64_t kTrailerSize = 12;

struct TMAD4ChunkData {
  uint32_t FourCC = 0;
  uint32_t Size = 0;  // payload bytes
  int64_t Start = 0;  // absolute position of the tag in the file
};

class TMAD4LowLevel {
 public:
  static constexpr int kStateNotMounted = -1;
  static constexpr int kStateMounted = 0;
  static constexpr int kStateNotMAD4 = 2;

  TMAD4LowLevel();
  virtual ~TMAD4LowLevel();
  TMAD4LowLevel(const TMAD4LowLevel&) = delete;
  TMAD4LowLevel& operator=(const TMAD4LowLevel&) = delete;

  // Opens the archive (creating an empty one when the file does not exist)
  // and scans its chunks. Success is State() == 0. A mounted object is
  // unmounted first.
  virtual void Mount(const std::string& fileName, bool readOnly);
  // Writes the trailer, merges free space and closes the file (read/write
  // archives; a read-only archive's file is never changed).
  virtual void Unmount();
  // Start of the chunk written, or -1. The whole of data is the payload.
  virtual int64_t Add(uint32_t fourCC, TStream& data);
  // Always refused (-1): an invalid tag as above, otherwise a warning.
  virtual int64_t Add(uint32_t fourCC, const void* buffer, size_t count);

  // The chunk whose tag is at position; leaves the stream at the next chunk.
  TMAD4ChunkData ReadChunkData(int64_t position);
  void WriteNull(int64_t start, uint32_t size);
  void CombineNulls();
  void UpdateTrailer();
  // A new read-only stream on the archive file at the payload of the chunk
  // starting at start, and its payload size; nullptr when there is none.
  std::unique_ptr<TStream> OpenChunkStream(int64_t start, uint32_t& size);
  // Turns a data chunk into free space in place (read/write archives only);
  // false for free space, the trailer, a chunk that runs past the end of the
  // file or an index outside the list.
  bool ReleaseChunk(int index);

  int ChunkIndexByStart(int64_t start) const;
  const TMAD4ChunkData* ChunkAt(int index) const;
  // The list key of a chunk: its start right-aligned to 9 characters
  // (made when asked; the list is kept in file order).
  std::string ChunkKey(int index) const;
  int ChunkCount() const { return int(chunks_.size()); }

  bool Mounted() const { return mounted_; }
  bool ReadOnly() const { return readOnly_; }
  int State() const { return state_; }
  bool IsMADU() const { return madu_; }
  int64_t Base() const { return base_; }
  const std::string& FileName() const { return fileName_; }
  // Size of the archive file (0 when none is open).
  int64_t FileSize();

 protected:
  // Reads count bytes at an absolute position through a window of the file,
  // so a scan of many small chunks, or opening the files one after another,
  // costs one read per window rather than a seek and a read per chunk.
  // Writes through this object drop the window; writes by other handles
  // after it was read are not seen. Raises EStreamError where the file ends
  // first.
  void ReadAt(int64_t position, void* buffer, size_t count);
  void ReleaseWindow();

 private:
  bool CheckFourCC(uint32_t fourCC);
  bool FitsInFile(const TMAD4ChunkData& chunk);
  void WriteChunk(int64_t start, uint32_t fourCC, TStream& data);
  // The three places Add tries in turn.
  int64_t FillWholeNull(uint32_t fourCC, TStream& data);
  int64_t FillPartOfNull(uint32_t fourCC, TStream& data);
  int64_t AddAtEnd(uint32_t fourCC, TStream& data);
  void ScanChunks();
  void LogChunk(const TMAD4ChunkData& chunk);
  void CreateArchive();
  // The stream for writing; whatever the window holds may be stale then.
  TFileStream& Writable();

  bool mounted_ = false;
  bool readOnly_ = true;
  std::string fileName_;
  std::unique_ptr<TFileStream> stream_;
  std::vector<TMAD4ChunkData> chunks_;  // in file order
  int state_ = kStateNotMounted;
  bool madu_ = false;
  int64_t base_ = 0;
  // File bytes from windowStart_ on: windowSize_ valid of windowCapacity_.
  std::unique_ptr<uint8_t[]> window_;
  size_t windowCapacity_ = 0;
  size_t windowSize_ = 0;
  int64_t windowStart_ = 0;
};

// The list key for a chunk start: right-aligned with spaces to 9 characters.
std::string ChunkKeyOf(int64_t start);

}  // namespace zorbin
