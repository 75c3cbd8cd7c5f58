// RawPictureReaderFASTUnit: run-length true-colour readers.
#include "pictures/RawPictureReaderFASTUnit.h"

#include "util/ByteOrder.h"
#include "util/Streams.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zorbin {

namespace {

// The stream's bytes from its position on: a memory stream's own buffer,
// any other stream's rest read into a copy.
class TSource {
 public:
  explicit TSource(TStream& stream) : stream_(stream), start_(stream.Position()) {
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
      const int64_t size = memory->Size();
      if (start_ < size) {
        data_ = memory->Memory() + start_;
        size_ = size_t(size - start_);
      }
    } else {
      copy_ = stream.ReadAll();
      data_ = copy_.data();
      size_ = copy_.size();
    }
  }

  size_t Left() const { return size_ - taken_; }
  const uint8_t* Take(size_t count) {
    const uint8_t* p = data_ + taken_;
    taken_ += count;
    return p;
  }
  // Leaves the stream after the bytes taken.
  void Finish() { stream_.SetPosition(start_ + int64_t(taken_)); }
  // A read of count bytes where fewer are left: as a stream read, what is
  // left goes to dest (when given), the stream ends up at its end, and the
  // read raises.
  [[noreturn]] void ShortRead(uint8_t* dest) {
    if (dest && Left() > 0) std::memcpy(dest, data_ + taken_, Left());
    taken_ = size_;
    Finish();
    throw EStreamError("Stream read error");
  }

 private:
  TStream& stream_;
  int64_t start_;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t taken_ = 0;
  std::vector<uint8_t> copy_;
};

// Where a packet's pixels lie in the picture. Short packets are written as
// whole 16-byte stores that may run up to 15 bytes past their end; the 16
// bytes there are saved first and put back, so every byte outside the packet
// keeps what it held, in whatever order rows are filled.
class TPixelWriter {
 public:
  TPixelWriter(uint8_t* data, size_t bytes) : end_(data + bytes) {}

  // count copies of the 3-byte pixel at dest.
  void Fill(uint8_t* dest, const uint8_t* pixel, size_t count) const {
    const size_t bytes = count * 3;
    if (dest + bytes + 16 > end_) {
      for (size_t i = 0; i < count; ++i) std::memcpy(dest + i * 3, pixel, 3);
      return;
    }
    // Sixteen bytes of the repeating pattern; each store moves on five
    // pixels (15 bytes).
    const uint64_t p = LoadLE24(pixel);
    const uint64_t first = p | p << 24 | p << 48;
    const uint64_t second = p >> 16 | p << 8 | p << 32 | p << 56;
    uint8_t pattern[16];
    StoreLE64(pattern, first);
    StoreLE64(pattern + 8, second);
    uint8_t saved[16];
    std::memcpy(saved, dest + bytes, 16);
    for (size_t i = 0; i < bytes; i += 15) std::memcpy(dest + i, pattern, 16);
    std::memcpy(dest + bytes, saved, 16);
  }

  // bytes from source (of which available may be read) to dest.
  void Copy(uint8_t* dest, const uint8_t* source, size_t bytes, size_t available) const {
    if (bytes > 16 || available < 16 || dest + bytes + 16 > end_) {
      std::memcpy(dest, source, bytes);
      return;
    }
    uint8_t saved[16];
    std::memcpy(saved, dest + bytes, 16);
    std::memcpy(dest, source, 16);
    std::memcpy(dest + bytes, saved, 16);
  }

 private:
  uint8_t* end_;
};

// Places the pixels of packets, in file order, into the rows of the picture
// and drops those past the last row.
class TPixelSink {
 public:
  TPixelSink(uint8_t* data, int32_t width, int32_t height, bool bottomUp)
      : width_(size_t(width)),
        row_(bottomUp ? data + size_t(height - 1) * width_ * 3 : data),
        step_(bottomUp ? -std::ptrdiff_t(width_ * 3) : std::ptrdiff_t(width_ * 3)),
        rowsLeft_(height) {}

  bool Full() const { return rowsLeft_ == 0; }
  // Pixels that go into the current row before it is full.
  size_t RowRoom() const { return width_ - column_; }
  uint8_t* At() { return row_ + column_ * 3; }
  // count pixels (at most RowRoom) were written at At().
  void Advance(size_t count) {
    column_ += count;
    if (column_ == width_) {
      column_ = 0;
      if (--rowsLeft_ > 0) row_ += step_;
    }
  }

 private:
  size_t width_;
  uint8_t* row_;
  std::ptrdiff_t step_;
  int32_t rowsLeft_;
  size_t column_ = 0;
};

// The packets of a whole picture. Top-down files: header byte, then the run
// pixel or the literal pixels. Bottom-up files: header byte and first pixel
// as one 4-byte read, then the rest of a literal packet. Literal pixels past
// the last row are read and dropped; a short stream raises as the stream
// reads would, with what they would have written.
void ReadPackets(TStream& stream, int32_t width, int32_t height, uint8_t* data, bool bottomUp) {
  if (width <= 0 || height <= 0) return;
  TSource source(stream);
  TPixelSink sink(data, width, height, bottomUp);
  const TPixelWriter writer(data, size_t(width) * size_t(height) * 3);
  const size_t first = bottomUp ? 4 : 1;  // bytes read with the header
  while (!sink.Full()) {
    if (source.Left() < first) source.ShortRead(nullptr);
    const uint8_t* packet = source.Take(first);
    size_t count = size_t(packet[0] & 0x7F) + 1;
    if (packet[0] & 0x80) {
      if (!bottomUp && source.Left() < 3) source.ShortRead(nullptr);
      const uint8_t* pixel = bottomUp ? packet + 1 : source.Take(3);
      while (count > 0 && !sink.Full()) {
        const size_t n = std::min(count, sink.RowRoom());
        writer.Fill(sink.At(), pixel, n);
        sink.Advance(n);
        count -= n;
      }
      continue;
    }
    if (bottomUp) {
      std::memcpy(sink.At(), packet + 1, 3);
      sink.Advance(1);
      --count;
    }
    while (count > 0 && !sink.Full()) {
      const size_t n = std::min(count, sink.RowRoom());
      if (source.Left() < n * 3) source.ShortRead(sink.At());
      const size_t available = source.Left();
      writer.Copy(sink.At(), source.Take(n * 3), n * 3, available);
      sink.Advance(n);
      count -= n;
    }
    if (count > 0) {
      if (source.Left() < count * 3) source.ShortRead(nullptr);
      source.Take(count * 3);
    }
  }
  source.Finish();
}

}  // namespace

void ReadRLE24TopDown(TStream& stream, int32_t width, int32_t height, uint8_t* data) {
  ReadPackets(stream, width, height, data, false);
}

void ReadRLE24BottomUp(TStream& stream, int32_t width, int32_t height, uint8_t* data) {
  ReadPackets(stream, width, height, data, true);
}

}  // namespace zorbin
