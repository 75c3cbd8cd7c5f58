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

// The decoder's output: bytes are written through a pointer into a vector
// kept larger than what is written (zero-filled ahead), so short runs and
// literals are whole 16-byte stores; the vector is cut back to what was
// written when decoding ends, by a raise too.
class TOutput {
 public:
  static constexpr size_t kSlack = 16;

  TOutput(std::vector<uint8_t>& out, size_t inputSize) : out_(out), size_(out.size()) {
    Grow(size_ + std::min(kMaxDecodedSize, std::max<size_t>(inputSize * 2, 4096)));
  }
  ~TOutput() { out_.resize(size_); }
  TOutput(const TOutput&) = delete;
  TOutput& operator=(const TOutput&) = delete;

  // Bytes that may still be written under the size limit.
  size_t Room() const { return kMaxDecodedSize - std::min(size_, kMaxDecodedSize); }

  void Fill(uint8_t value, size_t count) {
    uint8_t* dest = Reserve(count);
    if (count <= kSlack) {
      uint8_t pattern[kSlack];
      std::memset(pattern, value, kSlack);
      std::memcpy(dest, pattern, kSlack);
    } else {
      std::memset(dest, value, count);
    }
    size_ += count;
  }
  // count bytes from source, of which available may be read.
  void Copy(const uint8_t* source, size_t count, size_t available) {
    uint8_t* dest = Reserve(count);
    if (count <= kSlack && available >= kSlack)
      std::memcpy(dest, source, kSlack);
    else
      std::memcpy(dest, source, count);
    size_ += count;
  }
  // The first count bytes of word, lowest first.
  void Put8(uint64_t word, size_t count) {
    StoreLE64(Reserve(count), word);
    size_ += count;
  }

 private:
  uint8_t* Reserve(size_t count) {
    if (count > Room()) RaiseTooLarge();
    if (size_ + count + kSlack > out_.size()) Grow(size_ + count);
    return out_.data() + size_;
  }
  void Grow(size_t needed) {
    const size_t target = std::max(needed, std::min(kMaxDecodedSize, out_.size() * 2));
    out_.resize(target + kSlack);
  }

  std::vector<uint8_t>& out_;
  size_t size_;
};

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
    while (pos < limit) {
      const uint8_t c = data[pos++];
      const size_t count = size_t(c & 0x7F) + 1;
      if (c & 0x80) {
        if (pos >= size) RaiseTruncated();
        o.Fill(data[pos++], count);
      } else {
        if (count > size - pos) RaiseTruncated();
        o.Copy(data + pos, count, size - pos);
        pos += count;
      }
    }
  } else {
    while (pos < limit) {
      // Eight single-byte tokens at a time while none has bit 7 set.
      while (limit - pos >= 8 && o.Room() >= 8) {
        const uint64_t word = LoadLE64(data + pos);
        const uint64_t high = word & 0x8080808080808080u;
        const unsigned plain = high ? unsigned(std::countr_zero(high)) / 8 : 8;
        o.Put8(word, plain);
        pos += plain;
        if (plain < 8) break;
      }
      if (pos >= limit) break;
      const uint8_t c = data[pos++];
      if (c & 0x80) {
        if (pos >= size) RaiseTruncated();
        o.Fill(uint8_t(c & 0x7F), size_t(data[pos++]) + 1);
      } else {
        o.Fill(c, 1);
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
