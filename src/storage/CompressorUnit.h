// CompressorUnit: the compressed block of "COMP" chunks. TCompressor decodes
// a block (a flag byte naming up to three stages, then the data) and packs
// data into one; also the error every decoder of the block raises and the
// limit on what decoding may produce.
//
// Flag byte: bit 6 = zlib layer (stage A), bits 5-3 = entropy stage B
// (0 none, 1 run-length, 2 Huffman then run-length, 4 Huffman), bits 2-0 =
// byte transform C (0 none, 1/2 interleave restore stride 2/3, 3 delta,
// 4 move-to-front, 5/6 delta then stride 2/3, 7 move-to-front then delta).
#pragma once

#include "util/Streams.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace zorbin {

// Corrupt, truncated or oversized compressed data.
class ECompressionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// No decoding stage may produce more than this many bytes: a hostile block
// must not make the reader allocate without bound. The largest file of the
// game decodes to well under 100 KB.
inline constexpr size_t kMaxDecodedSize = size_t(64) << 20;

// Flag bits of the block.
inline constexpr uint8_t kFlagZlib = 0x40;
inline constexpr uint8_t kStageBShift = 3;
inline constexpr uint8_t kStageBRLE = 1;
inline constexpr uint8_t kStageBHuffmanRLE = 2;
inline constexpr uint8_t kStageBHuffman = 4;

class TCompressor {
 public:
  // Decodes the block from its start to its end into a new memory stream
  // positioned at 0. Unknown stage-B codes (3, 5, 6, 7) and a run-length
  // stream with an unknown method give an empty stream. Raises
  // ECompressionError on corrupt or truncated data and when a stage would
  // produce more than kMaxDecodedSize bytes.
  static std::unique_ptr<TMemoryStream> Decompress(TStream& block);
  // The same over a block in memory: the decoded bytes.
  static std::vector<uint8_t> DecompressBytes(const uint8_t* block, size_t size);
  // Packs data with exactly the stages flags names (bit 7 clear, stage B one
  // of 0, 1, 2, 4): the complete block, flag byte first. Run-length coding
  // picks the smaller of its two methods. Raises ECompressionError for other
  // flags and for data the decoder would refuse (over kMaxDecodedSize).
  static std::vector<uint8_t> Compress(const std::vector<uint8_t>& data, uint8_t flags);
  // The smallest block found over the stage combinations (each transform,
  // each stage B, stored or zlib). Stored blocks are compared exactly; zlib
  // blocks are ranked by a quick deflate and only the best three are packed
  // at full strength, which keeps a few hundred KB well under a second. On a
  // tie the earlier, simpler combination wins.
  static std::vector<uint8_t> CompressBest(const std::vector<uint8_t>& data);
};

}  // namespace zorbin
