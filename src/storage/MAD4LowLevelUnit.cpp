// MAD4LowLevelUnit: mounting, the chunk scan, adding chunks, free space,
// the trailer.
#include "storage/MAD4LowLevelUnit.h"

#include "log/Logger.h"
#include "util/ByteOrder.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace zorbin {

static const char* kMountContext = "MAD4LowLevelUnit, TMAD4LowLevel.Mount";
static const char* kReadChunkContext = "MAD4LowLevelUnit, TMAD4LowLevel.ReadChunkData";
static const char* kAddContext = "MAD4LowLevelUnit, TMAD4LowLevel.Add";
static const char* kWriteNullContext = "MAD4LowLevelUnit, TMAD4LowLevel.WriteNull";
static const char* kCombineContext = "MAD4LowLevelUnit, TMAD4LowLevel.CombineNulls";

// Positions and sizes are stored in 32 bits; archives stay below 2 GiB.
static constexpr int64_t kMaxArchiveSize = 0x7FFFFFFF;

// The source of the zero bytes written into free space.
static const uint8_t kZeros[4096] = {};

std::string FourCCText(uint32_t fourCC) {
  uint8_t bytes[4];
  StoreLE32(bytes, fourCC);
  return std::string(bytes, bytes + 4);
}

std::string ChunkKeyOf(int64_t start) {
  std::string digits = IntToStr(start);
  return digits.size() < 9 ? std::string(9 - digits.size(), ' ') + digits : digits;
}

static bool IsMagic(const uint8_t* p, const char* magic) { return std::memcmp(p, magic, 4) == 0; }

TMAD4LowLevel::TMAD4LowLevel() = default;

TMAD4LowLevel::~TMAD4LowLevel() {
  // A derived class has unmounted its own part already; what is left here is
  // the chunk layer's. A destructor must not throw: a failed final write is
  // logged.
  try {
    if (mounted_) TMAD4LowLevel::Unmount();
  } catch (const std::exception& e) {
    Log->Error(e.what(), "MAD4LowLevelUnit, TMAD4LowLevel.Destroy");
  }
}

int64_t TMAD4LowLevel::FileSize() { return stream_ ? stream_->Size() : 0; }

void TMAD4LowLevel::Mount(const std::string& fileName, bool readOnly) {
  if (mounted_) Unmount();
  mounted_ = false;
  state_ = kStateNotMounted;
  madu_ = false;
  base_ = 0;
  ReleaseWindow();
  Log->Debug("Mounting file: " + fileName, kMountContext);
  Log->Debug(readOnly ? "Mode: Read-only" : "Mode: Read/Write", kMountContext);
  fileName_ = fileName;
  try {
    if (!FileExistsOnDisk(fileName)) {
      CreateArchive();
      readOnly_ = readOnly;
      return;
    }
    readOnly_ = readOnly;
    stream_ = std::make_unique<TFileStream>(fileName, readOnly ? TFileMode::OpenRead : TFileMode::OpenReadWrite);
    int64_t size = stream_->Size();

    // An archive appended to another file is found through its trailer.
    if (size >= kTrailerSize) {
      uint8_t trailer[kTrailerSize];
      stream_->SetPosition(size - kTrailerSize);
      stream_->ReadBuffer(trailer, sizeof trailer);
      if (IsMagic(trailer, "ENDS") && LoadLE32(trailer + 4) == 4) {
        int64_t length = LoadLE32(trailer + 8);
        if (length <= size) base_ = size - length;
      }
    }

    uint8_t header[8];
    bool headerRead = size - base_ >= 8;
    if (headerRead) {
      stream_->SetPosition(base_);
      stream_->ReadBuffer(header, sizeof header);
      madu_ = IsMagic(header, "MADU");
    }
    if (!headerRead || !(madu_ || IsMagic(header, "MAD4"))) {
      Log->Error("Not a MAD4 file!", kMountContext);
      stream_.reset();
      state_ = kStateNotMAD4;
      return;
    }
    ScanChunks();
    mounted_ = true;
    state_ = kStateMounted;
  } catch (const std::exception& e) {
    // A file that cannot be opened or created (or read) is not mounted.
    Log->Error(e.what(), kMountContext);
    stream_.reset();
    chunks_.clear();
    mounted_ = false;
    state_ = kStateNotMounted;
  }
}

void TMAD4LowLevel::CreateArchive() {
  stream_ = std::make_unique<TFileStream>(fileName_, TFileMode::Create);
  readOnly_ = false;
  chunks_.clear();
  mounted_ = true;
  Writable().WriteString("MAD4");
  Writable().WriteDWord(8);
  UpdateTrailer();
  state_ = kStateMounted;
}

void TMAD4LowLevel::ScanChunks() {
  chunks_.clear();
  int64_t size = stream_->Size();
  // 64-bit positions: a hostile size can neither wrap nor step backwards,
  // and a chunk running past the end of the file ends the scan.
  int64_t position = base_ + 8;
  while (position <= size - kChunkHeaderSize) {
    uint8_t header[kChunkHeaderSize];
    ReadAt(position, header, sizeof header);
    TMAD4ChunkData chunk{LoadLE32(header), LoadLE32(header + 4), position};
    LogChunk(chunk);
    chunks_.push_back(chunk);
    position = chunk.Start + kChunkHeaderSize + chunk.Size;
  }
}

// Small reads where the scan jumps over large payloads (as the file's own
// buffering did); whole windows where chunks lie close together.
static constexpr size_t kWindowSize = 65536;
static constexpr size_t kJumpReadSize = 4096;

void TMAD4LowLevel::ReadAt(int64_t position, void* buffer, size_t count) {
  // An empty file's data: nothing to read, and no buffer to copy into.
  if (count == 0) return;
  if (count > kWindowSize) {
    stream_->SetPosition(position);
    stream_->ReadBuffer(buffer, count);
    return;
  }
  const int64_t windowEnd = windowStart_ + int64_t(windowSize_);
  if (position < windowStart_ || position + int64_t(count) > windowEnd) {
    const bool near = position >= windowStart_ && position - windowEnd < int64_t(kWindowSize);
    const size_t want = std::max(count, near ? kWindowSize : kJumpReadSize);
    if (want > windowCapacity_) {
      // Not zero-filled: the read overwrites what is used.
      window_ = UnfilledBytes(want);
      windowCapacity_ = want;
    }
    windowSize_ = 0;
    stream_->SetPosition(position);
    windowSize_ = stream_->Read(window_.get(), want);
    windowStart_ = position;
    if (windowSize_ < count) throw EStreamError("Stream read error");
  }
  std::memcpy(buffer, window_.get() + (position - windowStart_), count);
}

void TMAD4LowLevel::ReleaseWindow() {
  window_.reset();
  windowCapacity_ = 0;
  windowSize_ = 0;
  windowStart_ = 0;
}

TFileStream& TMAD4LowLevel::Writable() {
  ReleaseWindow();
  return *stream_;
}

void TMAD4LowLevel::LogChunk(const TMAD4ChunkData& chunk) {
  if (!Log->DebugOn()) return;
  Log->Debug("Chunk found: " + FourCCText(chunk.FourCC) + " (start: " + IntToStr(chunk.Start) +
                 ", size: " + IntToStr(chunk.Size) + ")",
             kReadChunkContext);
}

TMAD4ChunkData TMAD4LowLevel::ReadChunkData(int64_t position) {
  stream_->SetPosition(position);
  TMAD4ChunkData chunk;
  chunk.Start = position;
  chunk.FourCC = stream_->ReadDWord();
  chunk.Size = stream_->ReadDWord();
  LogChunk(chunk);
  stream_->Seek(chunk.Size, TSeekOrigin::Current);
  return chunk;
}

void TMAD4LowLevel::Unmount() {
  if (!mounted_) return;
  std::exception_ptr failure;
  try {
    UpdateTrailer();
  } catch (...) {
    failure = std::current_exception();
  }
  mounted_ = false;
  state_ = kStateNotMounted;
  if (!failure) {
    try {
      CombineNulls();
    } catch (...) {
      failure = std::current_exception();
    }
  }
  chunks_.clear();
  ReleaseWindow();
  stream_.reset();
  if (failure) std::rethrow_exception(failure);
}

bool TMAD4LowLevel::CheckFourCC(uint32_t fourCC) {
  std::string hex = IntToHex(fourCC, 8);
  Log->Debug(hex, kAddContext);
  if (fourCC == kFourCCNull || fourCC == kFourCCEnds) {
    Log->Error("Invalid FourCC! (" + hex + ")", kAddContext);
    return false;
  }
  return true;
}

bool TMAD4LowLevel::FitsInFile(const TMAD4ChunkData& chunk) {
  return chunk.Start + kChunkHeaderSize + int64_t(chunk.Size) <= FileSize();
}

void TMAD4LowLevel::WriteChunk(int64_t start, uint32_t fourCC, TStream& data) {
  int64_t size = data.Size();
  stream_->SetPosition(start);
  Writable().WriteDWord(fourCC);
  Writable().WriteDWord(uint32_t(size));
  data.SetPosition(0);
  if (size > 0) Writable().CopyFrom(data, size);
}

int64_t TMAD4LowLevel::Add(uint32_t fourCC, TStream& data) {
  if (!CheckFourCC(fourCC)) return -1;
  if (!mounted_ || readOnly_) {
    // A read-only archive cannot take the chunk; saying so beats a start
    // position for data that was never written.
    Log->Error("Archive not open for writing! (" + fileName_ + ")", kAddContext);
    return -1;
  }
  data.SetPosition(0);
  int64_t start = FillWholeNull(fourCC, data);
  if (start < 0) start = FillPartOfNull(fourCC, data);
  if (start < 0) start = AddAtEnd(fourCC, data);
  return start;
}

// Pass 1: a free chunk of exactly the data's size. -1 where none is.
int64_t TMAD4LowLevel::FillWholeNull(uint32_t fourCC, TStream& data) {
  const int64_t d = data.Size();
  const int64_t fileSize = FileSize();
  for (TMAD4ChunkData& chunk : chunks_) {
    if (chunk.FourCC != kFourCCNull || int64_t(chunk.Size) != d) continue;
    if (chunk.Start + kChunkHeaderSize + d > fileSize) continue;
    stream_->SetPosition(chunk.Start);
    Writable().WriteDWord(fourCC);
    stream_->SetPosition(chunk.Start + kChunkHeaderSize);
    if (d > 0) Writable().CopyFrom(data, d);
    stream_->Flush();
    chunk.FourCC = fourCC;
    Log->Debug("  Replace whole NULL (Start=" + IntToStr(chunk.Start) + ", Size=" + IntToStr(chunk.Size) + ")",
               kAddContext);
    return chunk.Start;
  }
  return -1;
}

// Pass 2: a free chunk with room for the data and a free chunk header. -1
// where none is.
int64_t TMAD4LowLevel::FillPartOfNull(uint32_t fourCC, TStream& data) {
  const int64_t d = data.Size();
  const int64_t fileSize = FileSize();
  for (size_t i = 0; i < chunks_.size(); ++i) {
    TMAD4ChunkData& chunk = chunks_[i];
    if (chunk.FourCC != kFourCCNull || int64_t(chunk.Size) < d + kChunkHeaderSize) continue;
    if (chunk.Start + kChunkHeaderSize + int64_t(chunk.Size) > fileSize) continue;
    int64_t start = chunk.Start;
    Log->Debug("  Overwrite partial NULL (Start=" + IntToStr(start) + ", Size=" + IntToStr(d) + ")", kAddContext);
    WriteChunk(start, fourCC, data);
    chunk.Start = start + kChunkHeaderSize + d;
    chunk.Size = uint32_t(int64_t(chunk.Size) - (d + kChunkHeaderSize));
    WriteNull(chunk.Start, chunk.Size);
    chunks_.insert(chunks_.begin() + long(i), TMAD4ChunkData{fourCC, uint32_t(d), start});
    return start;
  }
  return -1;
}

// Pass 3: over the trailing run of free chunks and the trailer. -1, with an
// error logged, where the archive cannot take the chunk there.
int64_t TMAD4LowLevel::AddAtEnd(uint32_t fourCC, TStream& data) {
  const int64_t d = data.Size();
  size_t first = chunks_.size();
  while (first > 0 && (chunks_[first - 1].FourCC == kFourCCNull || chunks_[first - 1].FourCC == kFourCCEnds)) --first;
  int64_t start;
  if (first < chunks_.size()) {
    start = chunks_[first].Start;
  } else if (chunks_.empty()) {
    start = base_ + 8;
  } else {
    const TMAD4ChunkData& last = chunks_.back();
    if (!FitsInFile(last)) {
      // A torn data chunk: writing after its claimed end would leave a hole
      // (or gigabytes) and the new chunk would stay hidden inside it.
      Log->Error("Chunk runs past the end of the file! (Start=" + IntToStr(last.Start) + ")", kAddContext);
      return -1;
    }
    start = last.Start + kChunkHeaderSize + last.Size;
  }
  if (start + kChunkHeaderSize + d + kTrailerSize > kMaxArchiveSize) {
    Log->Error("Archive would grow past 2 GiB! (Size=" + IntToStr(d) + ")", kAddContext);
    return -1;
  }
  chunks_.erase(chunks_.begin() + long(first), chunks_.end());
  Log->Debug("  Put at the end (Start=" + IntToStr(start) + ", Size=" + IntToStr(d) + ")", kAddContext);
  WriteChunk(start, fourCC, data);
  // Whatever lay after the replaced run must go, or the next scan would
  // read it as chunks.
  Writable().SetSize(start + kChunkHeaderSize + d);
  chunks_.push_back(TMAD4ChunkData{fourCC, uint32_t(d), start});
  Log->Debug("Start=" + IntToStr(start) + ", Size=" + IntToStr(d) + ", Streamsize=" + IntToStr(FileSize()),
             kAddContext);
  UpdateTrailer();
  return start;
}

int64_t TMAD4LowLevel::Add(uint32_t fourCC, const void*, size_t) {
  if (!CheckFourCC(fourCC)) return -1;
  Log->Warning("Add untyped data currently only supported with WriteOnly archives!", kAddContext);
  return -1;
}

void TMAD4LowLevel::WriteNull(int64_t start, uint32_t size) {
  Log->Debug("Start: " + IntToStr(start) + ", Size: " + IntToStr(size), kWriteNullContext);
  if (readOnly_ || !stream_) return;
  stream_->SetPosition(start);
  Writable().WriteDWord(kFourCCNull);
  Writable().WriteDWord(size);
  uint32_t left = size;
  while (left > 0) {
    uint32_t n = left < sizeof kZeros ? left : uint32_t(sizeof kZeros);
    Writable().WriteBuffer(kZeros, n);
    left -= n;
  }
  stream_->Flush();
}

void TMAD4LowLevel::CombineNulls() {
  Log->Debug("Before combining NULLs", kCombineContext);
  if (!readOnly_ && stream_) {
    const int64_t fileSize = FileSize();
    for (int i = int(chunks_.size()) - 2; i >= 0; --i) {
      TMAD4ChunkData& a = chunks_[size_t(i)];
      const TMAD4ChunkData& b = chunks_[size_t(i) + 1];
      if (a.FourCC != kFourCCNull || b.FourCC != kFourCCNull) continue;
      // Only whole neighbours inside the file merge, so the sum fits.
      if (a.Start + kChunkHeaderSize + a.Size != b.Start) continue;
      if (b.Start + kChunkHeaderSize + b.Size > fileSize) continue;
      a.Size = a.Size + b.Size + uint32_t(kChunkHeaderSize);
      stream_->SetPosition(a.Start + 4);
      Writable().WriteDWord(a.Size);
      stream_->SetPosition(b.Start);
      Writable().WriteBuffer(kZeros, size_t(kChunkHeaderSize));
      chunks_.erase(chunks_.begin() + i + 1);
    }
    stream_->Flush();
  }
  Log->Debug("After combining NULLs", kCombineContext);
}

void TMAD4LowLevel::UpdateTrailer() {
  if (readOnly_ || !stream_) return;
  int64_t size = FileSize();
  // The chunk list, not the last 12 bytes, says whether the file ends with
  // the trailer: a data chunk whose payload ends like one is not a trailer.
  bool hasTrailer = !chunks_.empty() && chunks_.back().FourCC == kFourCCEnds && chunks_.back().Size == 4 &&
                    chunks_.back().Start == size - kTrailerSize;
  // The lengths count from the archive start, so an archive appended to
  // another file stays findable and the host's bytes stay untouched.
  if (hasTrailer) {
    stream_->SetPosition(size - 4);
    Writable().WriteDWord(uint32_t(size - base_));
  } else {
    stream_->SetPosition(size);
    Writable().WriteDWord(kFourCCEnds);
    Writable().WriteDWord(4);
    Writable().WriteDWord(uint32_t(size + kTrailerSize - base_));
    chunks_.push_back(TMAD4ChunkData{kFourCCEnds, 4, size});
  }
  stream_->SetPosition(base_ + 4);
  Writable().WriteDWord(uint32_t(FileSize() - base_ - 8));
  stream_->Flush();
}

std::unique_ptr<TStream> TMAD4LowLevel::OpenChunkStream(int64_t start, uint32_t& size) {
  size = 0;
  int index = ChunkIndexByStart(start);
  if (index < 0) return nullptr;
  std::unique_ptr<TStream> result;
  try {
    result = std::make_unique<TFileStream>(fileName_, TFileMode::OpenRead);
  } catch (const EFOpenError&) {
    return nullptr;
  }
  result->SetPosition(start + kChunkHeaderSize);
  size = chunks_[size_t(index)].Size;
  return result;
}

bool TMAD4LowLevel::ReleaseChunk(int index) {
  if (!mounted_ || readOnly_ || index < 0 || index >= ChunkCount()) return false;
  TMAD4ChunkData& chunk = chunks_[size_t(index)];
  if (chunk.FourCC == kFourCCNull || chunk.FourCC == kFourCCEnds || !FitsInFile(chunk)) return false;
  WriteNull(chunk.Start, chunk.Size);
  chunk.FourCC = kFourCCNull;
  return true;
}

int TMAD4LowLevel::ChunkIndexByStart(int64_t start) const {
  // The list is in file order and starts only grow along it, so a binary
  // search finds the one match; a linear search per file chunk made
  // mounting an archive of many small chunks quadratic.
  auto it = std::lower_bound(chunks_.begin(), chunks_.end(), start,
                             [](const TMAD4ChunkData& c, int64_t s) { return c.Start < s; });
  return it != chunks_.end() && it->Start == start ? int(it - chunks_.begin()) : -1;
}

const TMAD4ChunkData* TMAD4LowLevel::ChunkAt(int index) const {
  if (index < 0 || index >= ChunkCount()) return nullptr;
  return &chunks_[size_t(index)];
}

std::string TMAD4LowLevel::ChunkKey(int index) const {
  if (index < 0 || index >= ChunkCount()) return "";
  return ChunkKeyOf(chunks_[size_t(index)].Start);
}

}  // namespace zorbin
