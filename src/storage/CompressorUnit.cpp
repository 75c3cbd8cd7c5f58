// CompressorUnit: decoding and packing compressed blocks.
#include "storage/CompressorUnit.h"

#include "storage/CodingUnit.h"
#include "storage/HuffmanUnit.h"
#include "storage/MyZStreamUnit.h"
#include "storage/RLEUnit.h"
#include "util/ByteOrder.h"
#include "util/KeptBytes.h"

#include <algorithm>
#include <span>
#include <string>

namespace zorbin {

namespace {

// A stored block: the flag byte, then the decoded size (not read back).
constexpr size_t kStoredHeaderSize = 5;
// Deflate level of the packer.
constexpr int kDeflateLevel = 9;
// CompressBest estimates every zlib combination at this quick level and
// packs only the best few at kDeflateLevel.
constexpr int kEstimateLevel = 1;
constexpr size_t kZlibFinalists = 3;

void CheckSize(const std::vector<uint8_t>& data) {
  if (data.size() > kMaxDecodedSize) throw ECompressionError("Decoded data exceeds the size limit");
}

// Run-length output is decoded into a buffer kept per thread, for stage C
// to read or transform where it lies: a fresh vector for every block grew by
// doubling (copying and clearing its bytes each time), and its peak size
// made the heap give memory back to the system between two files, to take
// it again with page faults. Past kKeptLimit the buffer is given back at the
// next block.
std::span<uint8_t> RunLengthDecodeKept(std::span<const uint8_t> data) {
  thread_local std::vector<uint8_t> kept;
  ClearKept(kept);
  size_t consumed = 0;
  RLEDecodeBytes(data.data(), data.size(), kept, consumed);
  return kept;
}

std::vector<uint8_t> HuffmanDecode(std::span<const uint8_t> data) {
  size_t consumed = 0;
  return THuffman::DecodeBytes(data.data(), data.size(), consumed);
}

void DecodeStageC(std::vector<uint8_t>& data, unsigned code) {
  switch (code) {
    case 1: data = InterleaveRestoreBytes(data, 2); break;
    case 2: data = InterleaveRestoreBytes(data, 3); break;
    case 3: DeltaDecodeInPlace(data); break;
    case 4: MTFDecodeInPlace(data); break;
    case 5:
      DeltaDecodeInPlace(data);
      data = InterleaveRestoreBytes(data, 2);
      break;
    case 6:
      DeltaDecodeInPlace(data);
      data = InterleaveRestoreBytes(data, 3);
      break;
    case 7:
      MTFDecodeInPlace(data);
      DeltaDecodeInPlace(data);
      break;
    default: break;
  }
}

// Stage C over bytes that may be changed where they lie: the interleaving
// transforms write the result straight from them, the others work on a copy.
std::vector<uint8_t> DecodeStageC(std::span<uint8_t> data, unsigned code) {
  switch (code) {
    case 1: return InterleaveRestoreBytes(data, 2);
    case 2: return InterleaveRestoreBytes(data, 3);
    case 5: DeltaDecodeInPlace(data); return InterleaveRestoreBytes(data, 2);
    case 6: DeltaDecodeInPlace(data); return InterleaveRestoreBytes(data, 3);
    default: {
      std::vector<uint8_t> result(data.begin(), data.end());
      DecodeStageC(result, code);
      return result;
    }
  }
}

// Stage B reads its input where it lies (the inflater's kept buffer or the
// block), so that no copy of it is made.
std::vector<uint8_t> DecodeStages(std::span<const uint8_t> data, unsigned stageB, unsigned stageC) {
  std::vector<uint8_t> decoded;
  switch (stageB) {
    case 0: decoded.assign(data.begin(), data.end()); break;
    case kStageBRLE: return DecodeStageC(RunLengthDecodeKept(data), stageC);
    case kStageBHuffmanRLE: return DecodeStageC(RunLengthDecodeKept(HuffmanDecode(data)), stageC);
    case kStageBHuffman: decoded = HuffmanDecode(data); break;
    default: return {};
  }
  DecodeStageC(decoded, stageC);
  return decoded;
}

// The inverse of DecodeStageC.
std::vector<uint8_t> EncodeStageC(const std::vector<uint8_t>& data, unsigned code) {
  std::vector<uint8_t> out;
  switch (code) {
    case 1: return InterleaveSplitBytes(data, 2);
    case 2: return InterleaveSplitBytes(data, 3);
    case 5:
      out = InterleaveSplitBytes(data, 2);
      DeltaEncodeInPlace(out);
      return out;
    case 6:
      out = InterleaveSplitBytes(data, 3);
      DeltaEncodeInPlace(out);
      return out;
    default: break;
  }
  out = data;
  if (code == 3 || code == 7) DeltaEncodeInPlace(out);
  if (code == 4 || code == 7) MTFEncodeInPlace(out);
  return out;
}

bool KnownStageB(unsigned code) {
  return code == 0 || code == kStageBRLE || code == kStageBHuffmanRLE || code == kStageBHuffman;
}

std::vector<uint8_t> MakeBlock(uint8_t flags, const std::vector<uint8_t>& stageInput, size_t decodedSize) {
  std::vector<uint8_t> block;
  if (flags & kFlagZlib) {
    std::vector<uint8_t> z = DeflateBytes(stageInput, kDeflateLevel);
    block.reserve(1 + z.size());
    block.push_back(flags);
    block.insert(block.end(), z.begin(), z.end());
    return block;
  }
  block.reserve(kStoredHeaderSize + stageInput.size());
  block.push_back(flags);
  block.resize(kStoredHeaderSize);
  StoreLE32(&block[1], uint32_t(decodedSize));
  block.insert(block.end(), stageInput.begin(), stageInput.end());
  return block;
}

// Stages C and B of flags over data: the stage input of the block.
std::vector<uint8_t> EncodeStages(const std::vector<uint8_t>& data, uint8_t flags) {
  const unsigned stageB = (flags >> kStageBShift) & 7;
  if ((flags & 0x80) || !KnownStageB(stageB))
    throw ECompressionError("Unsupported compression flags " + std::to_string(flags));
  CheckSize(data);
  std::vector<uint8_t> stage = EncodeStageC(data, flags & 7);
  if (stageB == kStageBRLE || stageB == kStageBHuffmanRLE) {
    stage = RLEEncodeBest(stage);
    CheckSize(stage);
  }
  if (stageB == kStageBHuffmanRLE || stageB == kStageBHuffman) {
    stage = THuffman::Encode(stage);
    CheckSize(stage);
  }
  return stage;
}

}  // namespace

std::unique_ptr<TMemoryStream> TCompressor::Decompress(TStream& block) {
  block.SetPosition(0);
  // A block already in memory is decoded where it is.
  if (auto* memory = dynamic_cast<TMemoryStream*>(&block)) {
    const std::vector<uint8_t>& bytes = memory->Data();
    auto result = std::make_unique<TMemoryStream>(DecompressBytes(bytes.data(), bytes.size()));
    memory->Seek(0, TSeekOrigin::End);  // read to its end, as any other stream
    return result;
  }
  const std::vector<uint8_t> bytes = block.ReadAll();
  return std::make_unique<TMemoryStream>(DecompressBytes(bytes.data(), bytes.size()));
}

std::vector<uint8_t> TCompressor::DecompressBytes(const uint8_t* block, size_t size) {
  if (size == 0) throw ECompressionError("Compressed block is empty");
  const uint8_t flags = block[0];
  std::span<const uint8_t> stageInput;
  if (flags & kFlagZlib) {
    stageInput = InflateKept(block + 1, size - 1);
  } else {
    if (size < kStoredHeaderSize) throw ECompressionError("Compressed block ends early");
    stageInput = std::span<const uint8_t>(block + kStoredHeaderSize, size - kStoredHeaderSize);
    if (stageInput.size() > kMaxDecodedSize) throw ECompressionError("Decoded data exceeds the size limit");
  }
  return DecodeStages(stageInput, (flags >> kStageBShift) & 7, flags & 7);
}

std::vector<uint8_t> TCompressor::Compress(const std::vector<uint8_t>& data, uint8_t flags) {
  return MakeBlock(flags, EncodeStages(data, flags), data.size());
}

std::vector<uint8_t> TCompressor::CompressBest(const std::vector<uint8_t>& data) {
  CheckSize(data);
  uint8_t bestFlags = 0;
  size_t bestSize = kStoredHeaderSize + data.size();
  std::vector<std::pair<size_t, uint8_t>> zlibEstimates;
  auto consider = [&](uint8_t flags, const std::vector<uint8_t>& stage) {
    if (stage.size() > kMaxDecodedSize) return;
    // Only a strictly smaller block wins, so ties keep the earlier, simpler
    // combination.
    if (kStoredHeaderSize + stage.size() < bestSize) {
      bestSize = kStoredHeaderSize + stage.size();
      bestFlags = flags;
    }
    zlibEstimates.push_back({1 + DeflateBytes(stage, kEstimateLevel).size(), uint8_t(flags | kFlagZlib)});
  };
  for (unsigned stageC = 0; stageC < 8; ++stageC) {
    const std::vector<uint8_t> transformed = EncodeStageC(data, stageC);
    const std::vector<uint8_t> runs = RLEEncodeBest(transformed);
    consider(uint8_t(stageC), transformed);
    consider(uint8_t(kStageBRLE << kStageBShift | stageC), runs);
    consider(uint8_t(kStageBHuffmanRLE << kStageBShift | stageC), THuffman::Encode(runs));
    consider(uint8_t(kStageBHuffman << kStageBShift | stageC), THuffman::Encode(transformed));
  }
  // The zlib layer is costly at full strength: the quick estimates pick the
  // few combinations that are packed for real.
  std::stable_sort(zlibEstimates.begin(), zlibEstimates.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<uint8_t> best;
  for (size_t i = 0; i < zlibEstimates.size() && i < kZlibFinalists; ++i) {
    std::vector<uint8_t> block = Compress(data, zlibEstimates[i].second);
    if (block.size() < bestSize) {
      bestSize = block.size();
      best = std::move(block);
    }
  }
  return best.empty() ? Compress(data, bestFlags) : best;
}

}  // namespace zorbin
