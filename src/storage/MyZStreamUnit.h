// MyZStreamUnit: the zlib layer (RFC 1950 streams) of compressed blocks and
// ".ZL" files: inflating, read in 32768-byte pieces, and deflating for the
// packer.
#pragma once

#include "util/Streams.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zorbin {

// Size of the pieces read from the source and written to the destination.
inline constexpr size_t kInflatePieceSize = 32768;

// Inflates the zlib stream that starts at source's position, appending the
// output to destination. Source is left just after the stream's end (bytes
// after it are not read as data). Raises ECompressionError when the data is
// corrupt or ends before the stream does, and when the output would exceed
// kMaxDecodedSize; destination may then hold part of the output.
void InflateStream(TStream& source, TStream& destination);

// The same over bytes in memory, with the same checks (header, the deflate
// data, the Adler-32 of the output).
std::vector<uint8_t> InflateBytes(const uint8_t* data, size_t size);
// The same, left in a buffer kept for the next call: the bytes stay valid
// until the next call on the same thread.
std::span<const uint8_t> InflateKept(const uint8_t* data, size_t size);

// The Adler-32 checksum of RFC 1950 over size bytes, going on from adler
// (1 for a fresh sum).
uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler = 1);

// A complete zlib stream of data at level 0-9 (or -1, zlib's default).
std::vector<uint8_t> DeflateBytes(const std::vector<uint8_t>& data, int level);

}  // namespace zorbin
