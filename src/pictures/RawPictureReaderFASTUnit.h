// RawPictureReaderFASTUnit: the run-length readers of 24-bit true-colour
// pictures (TGA image type 10). They work on the stream's bytes in memory:
// raw packets are block copies into the pixel buffer, run packets fills of a
// 48-byte pattern, and the stream is left after the bytes taken.
#pragma once

#include <cstdint>

namespace zorbin {

class TStream;

// Both decode packets (header byte h: bit 7 set = one 3-byte pixel repeated
// (h and 0x7F) + 1 times, clear = h + 1 literal pixels) into data, which
// holds width * height pixels of 3 bytes, rows top to bottom. Packets may run
// across row ends; pixels a packet would place past the last row are read and
// dropped, so data is never overrun. data need not be cleared: every pixel is
// written, and when a short stream raises EStreamError the pixels no packet
// reached are black.

// The file's first row is the picture's top row.
void ReadRLE24TopDown(TStream& stream, int32_t width, int32_t height, uint8_t* data);
// The file's first row is the picture's bottom row. Header and first pixel of
// each packet come in one 4-byte read.
void ReadRLE24BottomUp(TStream& stream, int32_t width, int32_t height, uint8_t* data);

}  // namespace zorbin
