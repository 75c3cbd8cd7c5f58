// MAD4MidLevelUnit: the directory of file chunks and opening files by name.
#include "storage/MAD4MidLevelUnit.h"

#include "log/Logger.h"
#include "storage/CompressorUnit.h"
#include "util/ByteOrder.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <stdexcept>

namespace zorbin {

const char* const kVersionEntryName = "*V";

static const char* kMountContext = "MAD4MidLevelUnit, TMAD4MidLevel.Mount";

TMAD4MidLevel::TMAD4MidLevel() = default;

TMAD4MidLevel::~TMAD4MidLevel() = default;

void TMAD4MidLevel::Mount(const std::string& fileName, bool readOnly) {
  TMAD4LowLevel::Mount(fileName, readOnly);
  if (State() == kStateMounted) ReadFiles();
}

void TMAD4MidLevel::Unmount() {
  files_.clear();
  version1_.clear();
  version2_.clear();
  TMAD4LowLevel::Unmount();
}

void TMAD4MidLevel::ReadFiles() {
  files_.clear();
  files_.reserve(size_t(ChunkCount()));
  for (int i = 0; i < ChunkCount(); ++i) {
    const TMAD4ChunkData chunk = *ChunkAt(i);
    bool isFile = chunk.FourCC == kFourCCComp || chunk.FourCC == kFourCCRawd || chunk.FourCC == kFourCCLink;
    if (!isFile && chunk.FourCC != kFourCCFver) continue;
    // Names are read through the mount's window of the file: a seek and a
    // read (or a handle of its own) per chunk made mounting an archive of
    // many chunks slow.
    int64_t at = chunk.Start + kChunkHeaderSize;
    int64_t left = chunk.Size;
    // A length byte and that many bytes, never past the payload's end.
    auto readName = [&](std::string& name) {
      if (left < 1) return false;
      uint8_t length = 0;
      ReadAt(at, &length, 1);
      --left;
      if (int64_t(length) > left) return false;
      name.assign(length, '\0');
      ReadAt(at + 1, name.data(), length);
      at += 1 + length;
      left -= length;
      return true;
    };
    TMAD4FileData file;
    file.ChunkStart = chunk.Start;
    bool ok = false;
    try {
      if (chunk.FourCC == kFourCCFver) {
        std::string first, second;
        ok = readName(first) && readName(second);
        if (ok) {
          version1_ = first;
          version2_ = second;
          file.Name = kVersionEntryName;
          file.DataPos = chunk.Start;
          file.DataSize = uint32_t(first.size() + second.size() + 2);
        }
      } else {
        ok = readName(file.Name);
        if (ok) {
          file.DataPos = at;
          file.DataSize = uint32_t(left);
        }
        if (ok && chunk.FourCC == kFourCCLink) {
          ok = left >= 4;
          uint8_t offset[4];
          if (ok) {
            ReadAt(at, offset, sizeof offset);
            file.Link = int64_t(LoadLE32(offset)) + Base();
          }
        }
      }
    } catch (const EStreamError&) {
      ok = false;  // the payload runs past the end of the file
    }
    if (ok) {
      files_.push_back(std::move(file));
    } else {
      Log->Warning("Broken file chunk skipped: " + FourCCText(chunk.FourCC) + " (start: " + IntToStr(chunk.Start) + ")",
                   kMountContext);
    }
  }
}

int TMAD4MidLevel::FindFile(const std::string& name) const {
  for (size_t i = 0; i < files_.size(); ++i)
    if (SameText(files_[i].Name, name)) return int(i);
  return -1;
}

int TMAD4MidLevel::FindFileByChunk(int64_t position) const {
  // Records are in chunk order, one per chunk: a binary search.
  auto it = std::lower_bound(files_.begin(), files_.end(), position,
                             [](const TMAD4FileData& f, int64_t p) { return f.ChunkStart < p; });
  return it != files_.end() && it->ChunkStart == position ? int(it - files_.begin()) : -1;
}

const TMAD4FileData* TMAD4MidLevel::FileAt(int index) const {
  if (index < 0 || index >= FileCount()) return nullptr;
  return &files_[size_t(index)];
}

std::unique_ptr<TMemoryStream> TMAD4MidLevel::OpenFile(const std::string& name) {
  int index = FindFile(name);
  if (index < 0) return nullptr;
  if (files_[size_t(index)].Link != 0) {
    index = FindFileByChunk(files_[size_t(index)].Link);  // followed once
    if (index < 0) return nullptr;
  }
  const TMAD4FileData& file = files_[size_t(index)];
  const TMAD4ChunkData* chunk = ChunkAt(ChunkIndexByStart(file.ChunkStart));
  if (!chunk || (chunk->FourCC != kFourCCComp && chunk->FourCC != kFourCCRawd)) return nullptr;
  // A torn chunk (its payload cut off by the end of the file) gives nothing,
  // found before its claimed size is allocated: a few bytes may claim 4 GB.
  if (file.DataPos + int64_t(file.DataSize) > FileSize()) return nullptr;
  std::vector<uint8_t> payload(file.DataSize);
  try {
    ReadAt(file.DataPos, payload.data(), payload.size());
  } catch (const EStreamError&) {
    // The file shrank since it was mounted.
    return nullptr;
  }
  if (chunk->FourCC == kFourCCRawd) return std::make_unique<TMemoryStream>(std::move(payload));
  return std::make_unique<TMemoryStream>(TCompressor::DecompressBytes(payload.data(), payload.size()));
}

bool TMAD4MidLevel::RemoveFile(const std::string& name) {
  int index = FindFile(name);
  if (index < 0) return false;
  int64_t chunkStart = files_[size_t(index)].ChunkStart;
  if (!ReleaseChunk(ChunkIndexByStart(chunkStart))) return false;
  std::erase_if(files_, [chunkStart](const TMAD4FileData& f) { return f.ChunkStart == chunkStart; });
  return true;
}

std::vector<uint8_t> TMAD4MidLevel::FilePayload(const std::string& name, const std::vector<uint8_t>& body) {
  if (name.size() > 255) throw std::invalid_argument("Name longer than 255 bytes: " + name);
  std::vector<uint8_t> payload;
  payload.reserve(1 + name.size() + body.size());
  payload.push_back(uint8_t(name.size()));
  payload.insert(payload.end(), name.begin(), name.end());
  payload.insert(payload.end(), body.begin(), body.end());
  return payload;
}

}  // namespace zorbin
