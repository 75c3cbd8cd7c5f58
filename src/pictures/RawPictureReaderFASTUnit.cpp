// RawPictureReaderFASTUnit: run-length true-colour readers.
#include "pictures/RawPictureReaderFASTUnit.h"

#include "util/Streams.h"

#include <algorithm>
#include <cstring>

namespace zorbin {

namespace {

// Reads and drops the literal pixels of a packet that run past the picture.
void SkipPixels(TStream& stream, size_t count) {
  uint8_t scratch[128 * 3];
  stream.ReadBuffer(scratch, count * 3);
}

}  // namespace

void ReadRLE24TopDown(TStream& stream, int32_t width, int32_t height, uint8_t* data) {
  if (width <= 0 || height <= 0) return;
  // Top-down rows lie one behind the other in data, so a packet that crosses
  // a row end simply goes on in the next row.
  const size_t total = size_t(width) * size_t(height);
  size_t done = 0;
  while (done < total) {
    uint8_t header = stream.ReadByte();
    size_t count = size_t(header & 0x7F) + 1;
    size_t fit = std::min(count, total - done);
    uint8_t* out = data + done * 3;
    if (header & 0x80) {
      uint8_t pixel[3];
      stream.ReadBuffer(pixel, 3);
      for (size_t i = 0; i < fit; ++i) std::memcpy(out + i * 3, pixel, 3);
    } else {
      stream.ReadBuffer(out, fit * 3);
      if (count > fit) SkipPixels(stream, count - fit);
    }
    done += fit;
  }
}

void ReadRLE24BottomUp(TStream& stream, int32_t width, int32_t height, uint8_t* data) {
  if (width <= 0 || height <= 0) return;
  const size_t rowBytes = size_t(width) * 3;
  int32_t rowsLeft = height;
  uint8_t* row = data + size_t(height - 1) * rowBytes;  // the bottom row
  int32_t column = 0;

  // Moves to the start of the row above once a row is full.
  auto advance = [&](int32_t pixels) {
    column += pixels;
    if (column == width) {
      column = 0;
      --rowsLeft;
      if (rowsLeft > 0) row -= rowBytes;
    }
  };

  while (rowsLeft > 0) {
    uint8_t packet[4];
    stream.ReadBuffer(packet, 4);
    int32_t count = (packet[0] & 0x7F) + 1;
    std::memcpy(row + size_t(column) * 3, packet + 1, 3);
    advance(1);
    --count;
    if (packet[0] & 0x80) {
      while (count > 0 && rowsLeft > 0) {
        std::memcpy(row + size_t(column) * 3, packet + 1, 3);
        advance(1);
        --count;
      }
    } else {
      // Literal pixels go straight into the row, a row's rest at a time.
      while (count > 0 && rowsLeft > 0) {
        int32_t n = std::min(count, width - column);
        stream.ReadBuffer(row + size_t(column) * 3, size_t(n) * 3);
        advance(n);
        count -= n;
      }
      if (count > 0) SkipPixels(stream, size_t(count));
    }
  }
}

}  // namespace zorbin
