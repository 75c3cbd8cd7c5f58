// MAD4MidLevelUnit: the file layer of MAD4 archives. Reads the name at the
// start of every file chunk ("COMP", "RAWD", "LINK", "FVER") into a
// directory and opens files by name as new memory streams, decompressing
// "COMP" chunks.
#pragma once

#include "storage/MAD4LowLevelUnit.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TMemoryStream;

constexpr uint32_t kFourCCComp = MakeFourCC("COMP");
constexpr uint32_t kFourCCRawd = MakeFourCC("RAWD");
constexpr uint32_t kFourCCLink = MakeFourCC("LINK");
constexpr uint32_t kFourCCFver = MakeFourCC("FVER");

// The directory entry of the "FVER" chunk.
extern const char* const kVersionEntryName;  // "*V"

struct TMAD4FileData {
  std::string Name;        // as stored, case kept
  int64_t DataPos = 0;     // first byte after the name (FVER: the chunk's start)
  uint32_t DataSize = 0;   // payload size - name length - 1 (FVER: both texts + 2)
  int64_t ChunkStart = 0;  // the chunk's tag
  int64_t Link = 0;        // LINK: absolute start of the target chunk; else 0
};

class TMAD4MidLevel : public TMAD4LowLevel {
 public:
  TMAD4MidLevel();
  ~TMAD4MidLevel() override;

  void Mount(const std::string& fileName, bool readOnly) override;
  void Unmount() override;

  // Index in the directory (letters a-z compared without case, first match),
  // or -1.
  int FindFile(const std::string& name) const;
  int FindFileByChunk(int64_t position) const;
  const TMAD4FileData* FileAt(int index) const;
  int FileCount() const { return int(files_.size()); }
  bool FileExists(const std::string& name) const { return FindFile(name) > -1; }
  // A new stream with the file's content at position 0, or nullptr when the
  // file cannot be produced. Decoding errors raise.
  std::unique_ptr<TMemoryStream> OpenFile(const std::string& name);
  // Frees the chunk of the named file (read/write archives) and drops the
  // directory entries of that chunk; false when nothing was freed.
  bool RemoveFile(const std::string& name);

  const std::string& Version1() const { return version1_; }
  const std::string& Version2() const { return version2_; }

  // The payload of a file chunk: a length byte, the name, then body. Raises
  // std::invalid_argument for a name longer than 255 bytes.
  static std::vector<uint8_t> FilePayload(const std::string& name, const std::vector<uint8_t>& body);

 private:
  void ReadFiles();

  std::vector<TMAD4FileData> files_;
  std::string version1_;
  std::string version2_;
};

}  // namespace zorbin
