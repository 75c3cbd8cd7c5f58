// CodingUnit: the byte transforms of compressed blocks (stage C), each
// mapping n bytes to n bytes: interleave restore (planar channels back to
// interleaved pixels), delta coding and move-to-front coding, with the
// encoders the packer runs.
#pragma once

#include "util/Streams.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace zorbin {

// Decoders over streams: each reads source from its position to its end and
// returns a new memory stream positioned at 0; the caller frees the input.
// Stride is 2 or 3 in blocks; any stride of 1 or more is accepted.
std::unique_ptr<TMemoryStream> InterleaveRestore(TStream& source, int stride);
std::unique_ptr<TMemoryStream> DeltaDecode(TStream& source);
std::unique_ptr<TMemoryStream> MTFDecode(TStream& source);

// Interleave restore: input holds output positions 0, s, 2s, ..., then
// 1, 1 + s, ..., and so on. InterleaveSplit is its inverse.
std::vector<uint8_t> InterleaveRestoreBytes(std::span<const uint8_t> data, int stride);
std::vector<uint8_t> InterleaveSplitBytes(const std::vector<uint8_t>& data, int stride);

// Delta: the first byte kept, every further byte the difference (mod 256)
// to the byte before it.
void DeltaDecodeInPlace(std::span<uint8_t> data);
void DeltaEncodeInPlace(std::vector<uint8_t>& data);

// Move-to-front over a table that starts as 0 ... 255. The decoder uses the
// processor's byte shuffles where it has them; MTFDecodePortableInPlace is
// the same decoding without them (every processor; tests compare the two).
void MTFDecodeInPlace(std::vector<uint8_t>& data);
void MTFDecodePortableInPlace(std::vector<uint8_t>& data);
void MTFEncodeInPlace(std::vector<uint8_t>& data);

}  // namespace zorbin
