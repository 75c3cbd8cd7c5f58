// RLEUnit: run-length decoding and encoding.
#include "storage/RLEUnit.h"

#include "storage/CompressorUnit.h"

#include <algorithm>
#include <limits>
#include <string>

namespace zorbin {

namespace {

[[noreturn]] void RaiseTruncated() { throw ECompressionError("Run-length data ends early"); }

void Append(std::vector<uint8_t>& out, size_t count, uint8_t value) {
  if (count > kMaxDecodedSize - out.size()) throw ECompressionError("Decoded data exceeds the size limit");
  out.insert(out.end(), count, value);
}

void PutDWord(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i));
}

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
  const size_t total = size_t(data[1]) | size_t(data[2]) << 8 | size_t(data[3]) << 16 | size_t(data[4]) << 24;
  size_t pos = kRLEHeaderSize;
  while (pos < total) {
    if (pos >= size) RaiseTruncated();
    const uint8_t c = data[pos++];
    if (method == kRLEMethodBytes) {
      if (c & 0x80) {
        if (pos >= size) RaiseTruncated();
        Append(out, size_t(c & 0x7F) + 1, data[pos++]);
      } else {
        size_t count = size_t(c) + 1;
        if (count > size - pos) RaiseTruncated();
        if (count > kMaxDecodedSize - out.size()) throw ECompressionError("Decoded data exceeds the size limit");
        out.insert(out.end(), data + pos, data + pos + count);
        pos += count;
      }
    } else if (c & 0x80) {
      if (pos >= size) RaiseTruncated();
      Append(out, size_t(data[pos++]) + 1, uint8_t(c & 0x7F));
    } else {
      if (out.size() == kMaxDecodedSize) throw ECompressionError("Decoded data exceeds the size limit");
      out.push_back(c);
    }
  }
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
