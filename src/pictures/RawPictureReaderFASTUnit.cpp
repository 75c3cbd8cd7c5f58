// RawPictureReaderFASTUnit: run-length true-colour readers.
#include "pictures/RawPictureReaderFASTUnit.h"

#include "util/ByteOrder.h"
#include "util/Streams.h"

#include <algorithm>
#include <bit>
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
  const uint8_t* Peek() const { return data_ + taken_; }
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

// Places the pixels of packets, in file order, into the rows of the picture
// and drops those past the last row. Rows are filled from their left end,
// so the bytes ahead of the write position up to Room() are not written yet
// and a packet may be stored in whole pieces that run past its end into
// them: later packets write those bytes again. In a top-down picture that
// room reaches to the end of the pixels. In a bottom-up one the next row
// lies above and the row below is done: its first bytes are kept aside
// while the row is filled and put back at its end, so the room reaches
// that far past the row.
class TPixelSink {
 public:
  static constexpr size_t kSpill = 48;

  TPixelSink(uint8_t* data, int32_t width, int32_t height, bool bottomUp)
      : data_(data),
        end_(data + size_t(width) * size_t(height) * 3),
        rowBytes_(size_t(width) * 3),
        bottomUp_(bottomUp),
        row_(bottomUp ? data + size_t(height - 1) * rowBytes_ : data),
        step_(bottomUp ? -std::ptrdiff_t(rowBytes_) : std::ptrdiff_t(rowBytes_)),
        rowsLeft_(height) {}

  bool Full() const { return rowsLeft_ == 0; }
  // Pixels that go into the current row before it is full.
  size_t RowRoom() const { return (rowBytes_ - column_) / 3; }
  uint8_t* At() { return row_ + column_; }
  uint8_t* RowEnd() const { return row_ + rowBytes_; }
  // The end of the bytes that may be written ahead of At().
  const uint8_t* Room() const { return bottomUp_ ? row_ + rowBytes_ + kept_ : end_; }
  // count pixels (at most RowRoom) were written at At().
  void Advance(size_t count) {
    column_ += count * 3;
    if (column_ != rowBytes_) return;
    column_ = 0;
    PutBack();
    if (--rowsLeft_ == 0) return;
    row_ += step_;
    if (bottomUp_) {
      kept_ = std::min(kSpill, rowBytes_);
      std::memcpy(keep_, RowEnd(), kept_);
    }
  }
  // Clears the bytes from `from` (at or after At(), in the current row) that
  // no packet has reached: a picture cut short ends in black.
  void ClearRest(uint8_t* from) {
    if (Full()) return;
    PutBack();
    std::memset(from, 0, size_t(RowEnd() - from));
    if (bottomUp_)
      std::memset(data_, 0, size_t(row_ - data_));
    else
      std::memset(RowEnd(), 0, size_t(end_ - RowEnd()));
  }

 private:
  void PutBack() {
    if (kept_ > 0) std::memcpy(RowEnd(), keep_, kept_);
    kept_ = 0;
  }

  uint8_t* data_;
  uint8_t* end_;
  size_t rowBytes_;
  bool bottomUp_;
  uint8_t* row_;
  std::ptrdiff_t step_;
  int32_t rowsLeft_;
  size_t column_ = 0;  // in bytes
  uint8_t keep_[kSpill];
  size_t kept_ = 0;
};

// Two 8-byte words in one 16-byte register (GCC and Clang vectors, on
// every target).
using TWordPair = uint64_t __attribute__((vector_size(16)));

// 48 bytes (16 pixels) of the pixel p (blue, green, red from its low byte)
// repeated, as three 16-byte pieces built in registers: stored as words and
// read back as wider pieces the pattern would stall every fill.
[[gnu::always_inline]] inline void MakePattern(uint64_t p, TWordPair (&pieces)[3]) {
  // Eight-byte words of the pattern: 24 bytes hold 8 pixels. Copies of p
  // 24 bits apart never carry into each other, so one multiply places them.
  uint64_t w0 = p * 0x0001000001000001u;            // p | p << 24 | p << 48
  uint64_t w1 = p >> 16 | p * 0x0100000100000100u;  // | p << 8 | p << 32 | p << 56
  uint64_t w2 = p >> 8 | p * 0x0000010000010000u;   // | p << 16 | p << 40
  if constexpr (std::endian::native == std::endian::big) {
    w0 = __builtin_bswap64(w0);
    w1 = __builtin_bswap64(w1);
    w2 = __builtin_bswap64(w2);
  }
  pieces[0] = TWordPair{w0, w1};
  pieces[1] = TWordPair{w2, w0};
  pieces[2] = TWordPair{w1, w2};
}

// count copies of the 3-byte pixel at dest, in whole 48-byte pieces as far
// as room allows.
void FillPixels(uint8_t* dest, const uint8_t* pixel, size_t count, const uint8_t* room) {
  TWordPair pieces[3];
  MakePattern(LoadLE24(pixel), pieces);
  const size_t bytes = count * 3;
  size_t i = 0;
  if (size_t(room - dest) >= (bytes + 47) / 48 * 48) {
    for (; i < bytes; i += 48) std::memcpy(dest + i, pieces, 48);
    return;
  }
  for (; i + 48 <= bytes; i += 48) std::memcpy(dest + i, pieces, 48);
  std::memcpy(dest + i, pieces, bytes - i);
}

// bytes from source (of which available may be read) to dest; a short
// packet as one 48-byte piece where room and source allow.
void CopyPixels(uint8_t* dest, const uint8_t* source, size_t bytes, size_t available, const uint8_t* room) {
  if (bytes <= 48 && available >= 48 && size_t(room - dest) >= 48)
    std::memcpy(dest, source, 48);
  else
    std::memcpy(dest, source, bytes);
}

// The bytes a packet of the source needs at most: header, 128 pixels and
// the 48-byte piece a copy may read beyond them.
constexpr size_t kLongestPacket = 1 + 128 * 3 + 48;

// Packets that end inside the row or at its end, with room behind them
// for whole 48-byte pieces, from src (which holds at least kLongestPacket
// bytes for each) to at, the write position in the row; stops at the
// first other packet, at the row's end or after the last packet srcEnd
// allows. Returns the row bytes written. A run takes its header and one
// pixel, a literal its header and header + 1 pixels: written so, the next
// packet's address waits for one multiply-add after the header is loaded.
size_t FastPackets(const uint8_t*& src, const uint8_t* srcEnd, uint8_t* at, const uint8_t* rowEnd,
                   const uint8_t* room) {
  uint8_t* const start = at;
  if (size_t(srcEnd - src) < kLongestPacket || size_t(room - at) < 48) return 0;
  // One test a packet: it ends by stop, which is in the row and leaves
  // room for a piece behind it; the same for the source.
  const uint8_t* const lastSrc = srcEnd - kLongestPacket;
  const uint8_t* const stop = std::min<const uint8_t*>(rowEnd, room - 48);
  while (src <= lastSrc) {
    const size_t header = src[0];
    const size_t bytes = ((header & 0x7F) + 1) * 3;
    if (bytes > size_t(stop - at)) break;
    if (header & 0x80) {
      TWordPair pattern[3];
      MakePattern(LoadLE32(src + 1) & 0xFFFFFFu, pattern);  // the source holds a byte more
      std::memcpy(at, pattern, 48);
      for (size_t i = 48; i < bytes; i += 48) std::memcpy(at + i, pattern, 48);
      src += 4;
    } else {
      std::memcpy(at, src + 1, 48);
      for (size_t i = 48; i < bytes; i += 48) std::memcpy(at + i, src + 1 + i, 48);
      src += 3 * header + 4;
    }
    at += bytes;
    if (at == rowEnd) break;
  }
  return size_t(at - start);
}

// The packets of a whole picture. Top-down files: header byte, then the run
// pixel or the literal pixels. Bottom-up files: header byte and first pixel
// as one 4-byte read, then the rest of a literal packet. Literal pixels past
// the last row are read and dropped; a short stream raises as the stream
// reads would, with what they would have written, and the pixels no packet
// reached cleared.
void ReadPackets(TStream& stream, int32_t width, int32_t height, uint8_t* data, bool bottomUp) {
  if (width <= 0 || height <= 0) return;
  TSource source(stream);
  TPixelSink sink(data, width, height, bottomUp);
  auto cut = [&](uint8_t* dest) {
    sink.ClearRest(dest ? dest + source.Left() : sink.At());
    source.ShortRead(dest);
  };
  const size_t first = bottomUp ? 4 : 1;  // bytes read with the header
  while (!sink.Full()) {
    const uint8_t* src = source.Peek();
    const size_t written = FastPackets(src, source.Peek() + source.Left(), sink.At(), sink.RowEnd(), sink.Room());
    source.Take(size_t(src - source.Peek()));
    sink.Advance(written / 3);
    if (sink.Full()) break;
    if (written > 0) continue;  // the next row may go on the fast way
    if (source.Left() < first) cut(nullptr);
    const uint8_t* packet = source.Take(first);
    size_t count = size_t(packet[0] & 0x7F) + 1;
    if (packet[0] & 0x80) {
      if (!bottomUp && source.Left() < 3) cut(nullptr);
      const uint8_t* pixel = bottomUp ? packet + 1 : source.Take(3);
      while (count > 0 && !sink.Full()) {
        const size_t n = std::min(count, sink.RowRoom());
        FillPixels(sink.At(), pixel, n, sink.Room());
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
      if (source.Left() < n * 3) cut(sink.At());
      const size_t available = source.Left();
      CopyPixels(sink.At(), source.Take(n * 3), n * 3, available, sink.Room());
      sink.Advance(n);
      count -= n;
    }
    if (count > 0) {
      if (source.Left() < count * 3) cut(nullptr);
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
