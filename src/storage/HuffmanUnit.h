// HuffmanUnit: THuffman, the per-block Huffman code of compressed blocks
// (stage B). Stream: a method byte (4; not checked), the u32 total T of
// decoded bytes, then blocks until their lengths add up to T. A block is a
// u16 length B and a bit stream (most significant bit first) starting on a
// byte boundary: the code tree in pre-order (0 = inner node, then its left
// and right subtrees; 1 = leaf, then its 8-bit value) followed by B codes
// (0 = left, 1 = right). The last byte's unused low bits are skipped.
#pragma once

#include "util/Streams.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorbin {

class THuffman {
 public:
  // The method byte the packer writes.
  static constexpr uint8_t Method = 4;
  // Decoded bytes per block as the packer cuts them.
  static constexpr size_t BlockSizeLimit = 32752;

  // Decodes the Huffman stream at source's position, writing to destination
  // at its position; source is left after the last block. A tree that is a
  // single leaf stands for its value with codes of no bits. Raises
  // ECompressionError for a malformed tree (more than 511 nodes), data that
  // ends early, block lengths that overshoot T, or T over kMaxDecodedSize.
  static void Decode(TStream& source, TStream& destination);
  // The same over bytes in memory; consumed receives the bytes taken.
  static std::vector<uint8_t> DecodeBytes(const uint8_t* data, size_t size, size_t& consumed);
  // A complete Huffman stream of data in blocks of BlockSizeLimit bytes.
  // No tree is a single leaf: a block of one value gets a second leaf that
  // no code uses, so any reader of the format decodes it.
  static std::vector<uint8_t> Encode(const std::vector<uint8_t>& data);
};

}  // namespace zorbin
