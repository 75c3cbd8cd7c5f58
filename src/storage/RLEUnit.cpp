// RLEUnit: run-length decoding and encoding.
#include "storage/RLEUnit.h"

#include "storage/CompressorUnit.h"
#include "util/ByteOrder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

namespace zorbin {

namespace {

[[noreturn]] void RaiseTruncated() { throw ECompressionError("Run-length data ends early"); }

[[noreturn]] void RaiseTooLarge() { throw ECompressionError("Decoded data exceeds the size limit"); }

void PutDWord(std::vector<uint8_t>& out, size_t at, uint32_t v) { StoreLE32(&out[at], v); }

// Length of the run of equal bytes at i, at most limit.
size_t RunLength(const std::vector<uint8_t>& data, size_t i, size_t limit) {
  size_t end = std::min(data.size(), i + limit);
  size_t j = i + 1;
  while (j < end && data[j] == data[i]) ++j;
  return j - i;
}

void EncodeBytes(const std::vector<uint8_t>& data, std::vector<uint8_t>& out) {
  size_t literalStart = 0;
  size_t literalLength = 0;
  auto flushLiteral = [&] {
    if (literalLength == 0) return;
    out.push_back(uint8_t(literalLength - 1));
    out.insert(out.end(), data.begin() + std::ptrdiff_t(literalStart),
               data.begin() + std::ptrdiff_t(literalStart + literalLength));
    literalLength = 0;
  };
  size_t i = 0;
  while (i < data.size()) {
    size_t run = RunLength(data, i, 128);
    // A run of two only pays where no literal is open.
    if (run >= 3 || (run == 2 && literalLength == 0)) {
      flushLiteral();
      out.push_back(uint8_t(0x80 | (run - 1)));
      out.push_back(data[i]);
      i += run;
    } else {
      if (literalLength == 0) literalStart = i;
      ++literalLength;
      ++i;
      if (literalLength == 128) flushLiteral();
    }
  }
  flushLiteral();
}

void EncodeSevenBit(const std::vector<uint8_t>& data, std::vector<uint8_t>& out) {
  size_t i = 0;
  while (i < data.size()) {
    size_t run = RunLength(data, i, 256);
    if (run >= 3) {
      out.push_back(uint8_t(0x80 | data[i]));
      out.push_back(uint8_t(run - 1));
      i += run;
    } else {
      out.push_back(data[i]);
      ++i;
    }
  }
}

}  // namespace

namespace {

// Writes every byte of a run or a literal as whole 16-byte stores: the
// output has kSlack bytes of room past its end, and literals are read the
// same way where the data has that much left.
constexpr size_t kChunk = 16;
constexpr size_t kSlack = 128;
constexpr size_t kFirstBytes = 32;  // written whatever a token's length

inline void FillChunks(uint8_t* dest, uint8_t value, size_t count) {
  uint8_t pattern[kChunk];
  std::memset(pattern, value, kChunk);
  size_t i = 0;
  do {
    std::memcpy(dest + i, pattern, kChunk);
    i += kChunk;
  } while (i < count);
}

inline void CopyChunks(uint8_t* dest, const uint8_t* source, size_t count) {
  size_t i = 0;
  do {
    std::memcpy(dest + i, source + i, kChunk);
    i += kChunk;
  } while (i < count);
}

// The decoder's output: bytes are written through a pointer into a vector
// kept kSlack bytes longer than what may be written, so that runs and
// literals are whole 16-byte stores; the vector is cut back to what was
// written when decoding ends, by a raise too.
class TOutput {
 public:
  TOutput(std::vector<uint8_t>& out, size_t inputSize) : out_(out), size_(out.size()) {
    Grow(std::min(kMaxDecodedSize, std::max<size_t>(inputSize * 4, 4096)));
  }
  ~TOutput() { out_.resize(size_); }
  TOutput(const TOutput&) = delete;
  TOutput& operator=(const TOutput&) = delete;

  // Where count more bytes go; raises past the size limit.
  uint8_t* Reserve(size_t count) {
    const size_t room = kMaxDecodedSize - std::min(size_, kMaxDecodedSize);
    if (count > room) RaiseTooLarge();
    if (size_ + count > capacity_) Grow(std::max(count, std::min(room, capacity_)));
    return out_.data() + size_;
  }
  void Wrote(size_t count) { size_ += count; }

  // For a loop that writes through a pointer of its own (which the byte
  // stores cannot be thought to change, as they could this object): where
  // the next byte goes, how many may follow without Reserve, and the
  // pointer handed back.
  uint8_t* Cursor() { return out_.data() + size_; }
  size_t Free() const {
    return std::min(capacity_, kMaxDecodedSize) - std::min(size_, std::min(capacity_, kMaxDecodedSize));
  }
  void Advance(const uint8_t* to) { size_ = size_t(to - out_.data()); }

 private:
  void Grow(size_t more) {
    capacity_ = size_ + more;
    out_.resize(capacity_ + kSlack);
  }

  std::vector<uint8_t>& out_;
  size_t size_;
  size_t capacity_ = 0;
};

}  // namespace

bool RLEDecodeBytes(const uint8_t* data, size_t size, std::vector<uint8_t>& out, size_t& consumed) {
  consumed = 0;
  if (size == 0) RaiseTruncated();
  const uint8_t method = data[0];
  if (method != kRLEMethodBytes && method != kRLEMethodSevenBit) return false;
  if (size < kRLEHeaderSize) RaiseTruncated();
  const size_t total = LoadLE32(data + 1);
  // Tokens start below min(N, size); one that needs bytes past the data
  // raises, and so does an N past the data.
  const size_t limit = std::min(total, size);
  size_t pos = kRLEHeaderSize;
  TOutput o(out, size);
  if (method == kRLEMethodBytes) {
    // While every byte a token could take is in the data: the first
    // kFirstBytes bytes of a run or a literal are chosen without a branch on
    // which it is and written whatever its length (neither is foreseeable in
    // mixed data); only longer ones take a loop.
    uint8_t* at = o.Cursor();
    uint8_t* stop = at + o.Free();
    while (pos < limit && size - pos > kSlack + 1) {
      // Four runs of at most 16 bytes in a row, the commonest tokens of
      // move-to-front output: their control bytes tested at once and no
      // branch for each.
      const uint64_t four = LoadLE64(data + pos);
      if (limit - pos >= 8 && (four & 0x00F000F000F000F0u) == 0x0080008000800080u && size_t(stop - at) >= 64) {
#pragma GCC unroll 4
        for (int i = 0; i < 4; ++i) {
          const uint64_t fill = uint8_t(four >> (16 * i + 8)) * 0x0101010101010101u;
          StoreLE64(at, fill);
          StoreLE64(at + 8, fill);
          at += ((four >> (16 * i)) & 0x0F) + 1;
        }
        pos += 8;
        continue;
      }
      const uint8_t c = data[pos];
      const size_t count = size_t(c & 0x7F) + 1;
      if (count > size_t(stop - at)) {
        o.Advance(at);
        o.Reserve(count);
        at = o.Cursor();
        stop = at + o.Free();
      }
      const uint64_t run = uint64_t(0) - uint64_t(c >> 7);
      const uint64_t fill = data[pos + 1] * 0x0101010101010101u;
      // Unrolled in every build: kept as a loop (at -O2) the stores wait on it.
#pragma GCC unroll 4
      for (size_t i = 0; i < kFirstBytes; i += 8)
        StoreLE64(at + i, (fill & run) | (LoadLE64(data + pos + 1 + i) & ~run));
      if (count > kFirstBytes) {
        if (run)
          FillChunks(at + kFirstBytes, data[pos + 1], count - kFirstBytes);
        else
          CopyChunks(at + kFirstBytes, data + pos + 1 + kFirstBytes, count - kFirstBytes);
      }
      pos += run ? 2 : count + 1;
      at += count;
    }
    o.Advance(at);
    while (pos < limit) {
      const uint8_t c = data[pos];
      const size_t count = size_t(c & 0x7F) + 1;
      if (c & 0x80) {
        if (pos + 1 >= size) RaiseTruncated();
        FillChunks(o.Reserve(count), data[pos + 1], count);
        pos += 2;
      } else {
        ++pos;
        if (count > size - pos) RaiseTruncated();
        uint8_t* dest = o.Reserve(count);
        if (size - pos >= kSlack)
          CopyChunks(dest, data + pos, count);
        else
          std::memcpy(dest, data + pos, count);
        pos += count;
      }
      o.Wrote(count);
    }
  } else {
    while (pos < limit) {
      // Eight single-byte tokens at a time while none has bit 7 set.
      while (limit - pos >= 8) {
        const uint64_t word = LoadLE64(data + pos);
        const uint64_t high = word & 0x8080808080808080u;
        const unsigned plain = high ? unsigned(std::countr_zero(high)) / 8 : 8;
        std::memcpy(o.Reserve(plain), &word, 8);
        o.Wrote(plain);
        pos += plain;
        if (plain < 8) break;
      }
      if (pos >= limit) break;
      const uint8_t c = data[pos];
      if (c & 0x80) {
        if (pos + 1 >= size) RaiseTruncated();
        const size_t count = size_t(data[pos + 1]) + 1;
        FillChunks(o.Reserve(count), uint8_t(c & 0x7F), count);
        o.Wrote(count);
        pos += 2;
      } else {
        *o.Reserve(1) = c;
        o.Wrote(1);
        ++pos;
      }
    }
  }
  if (pos < total) RaiseTruncated();
  consumed = pos;
  return true;
}

void RLEDecode(TStream& source, TStream& destination) {
  const int64_t start = source.Position();
  std::vector<uint8_t> input = source.ReadAll();
  std::vector<uint8_t> out;
  size_t consumed = 0;
  RLEDecodeBytes(input.data(), input.size(), out, consumed);
  source.SetPosition(start + int64_t(consumed));
  destination.WriteBuffer(out.data(), out.size());
  destination.SetPosition(0);
}

bool RLESevenBitFits(const std::vector<uint8_t>& data) {
  return std::all_of(data.begin(), data.end(), [](uint8_t b) { return b < 0x80; });
}

std::vector<uint8_t> RLEEncode(const std::vector<uint8_t>& data, uint8_t method) {
  if (method != kRLEMethodBytes && method != kRLEMethodSevenBit)
    throw ECompressionError("Unknown run-length method " + std::to_string(method));
  if (method == kRLEMethodSevenBit && !RLESevenBitFits(data))
    throw ECompressionError("Run-length method 6 needs bytes below 128");
  std::vector<uint8_t> out(kRLEHeaderSize);
  out.reserve(kRLEHeaderSize + data.size() + data.size() / 64 + 1);
  out[0] = method;
  if (method == kRLEMethodBytes)
    EncodeBytes(data, out);
  else
    EncodeSevenBit(data, out);
  if (out.size() > std::numeric_limits<uint32_t>::max()) throw ECompressionError("Run-length stream too long");
  PutDWord(out, 1, uint32_t(out.size()));
  return out;
}

std::vector<uint8_t> RLEEncodeBest(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> best = RLEEncode(data, kRLEMethodBytes);
  if (RLESevenBitFits(data)) {
    std::vector<uint8_t> seven = RLEEncode(data, kRLEMethodSevenBit);
    if (seven.size() < best.size()) best = std::move(seven);
  }
  return best;
}

}  // namespace zorbin
