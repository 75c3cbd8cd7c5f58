// MTFWideUnit: move-to-front decoding with the whole 256-entry table in
// four 64-byte vector registers, for x86 processors with 64-byte byte
// permutes (checked at run time). Long inputs are cut into pieces decoded
// side by side: a piece decoded from the starting table 0 ... 255 gives the
// ranks its bytes had in the table the piece really starts with, so one
// byte lookup per byte afterwards turns them into values.
#pragma once

#include <cstdint>
#include <vector>

namespace zorbin {

// Decodes data in place as MTFDecodeInPlace does; returns false, leaving
// data untouched, where the processor cannot run it.
bool MTFDecodeWideInPlace(std::vector<uint8_t>& data);

}  // namespace zorbin
