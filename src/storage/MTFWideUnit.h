// MTFWideUnit: move-to-front decoding in vector registers on x86, chosen at
// run time: with 64-byte byte permutes the whole 256-entry table in four
// registers, long inputs cut into pieces decoded side by side (a piece
// decoded from the starting table 0 ... 255 gives the ranks its bytes had in
// the table the piece really starts with, so one byte lookup per byte
// afterwards turns them into values), or, where deep ranks are common, the
// front sixteen in one register and the rest as slots whose order a first
// pass works out from the ranks alone; with 16-byte shuffles only, the
// table's front sixteen in one register.
#pragma once

#include <cstdint>
#include <vector>

namespace zorbin {

// Decodes data in place as MTFDecodeInPlace does; returns false, leaving
// data untouched, where the processor has neither kind of shuffle.
bool MTFDecodeVectorInPlace(std::vector<uint8_t>& data);
// The same with 16-byte shuffles only, as processors without 64-byte
// permutes decode (tests compare it where the processor has both); false,
// data untouched, without them.
bool MTFDecodeShuffleInPlace(std::vector<uint8_t>& data);

}  // namespace zorbin
