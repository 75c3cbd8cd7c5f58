// RLEUnitTest: both run-length methods, stream positions, hostile data, the size limit, fast against plain.
#include "storage/RLEUnit.h"

#include "storage/CompressorUnit.h"
#include "util/QXToolbox.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

using Bytes = std::vector<uint8_t>;

// A stream with the given method and tokens; N counts the header.
Bytes Stream(uint8_t method, const Bytes& tokens, int extraN = 0) {
  uint32_t n = uint32_t(5 + tokens.size() + extraN);
  Bytes out(5 + tokens.size());
  out[0] = method;
  for (int i = 0; i < 4; ++i) out[size_t(1 + i)] = uint8_t(n >> (8 * i));
  std::copy(tokens.begin(), tokens.end(), out.begin() + 5);
  return out;
}

Bytes RleDecode(const Bytes& stream) {
  Bytes out;
  size_t consumed = 0;
  EXPECT_TRUE(RLEDecodeBytes(stream.data(), stream.size(), out, consumed));
  EXPECT_EQ(consumed, stream.size());
  return out;
}

TEST(RLEUnit, MethodFiveRunsAndLiterals) {
  // Run of 3 x 'A', literal "xyz", run of 128 zeros, one-byte literal.
  Bytes out = RleDecode(Stream(5, {0x82, 'A', 0x02, 'x', 'y', 'z', 0xFF, 0, 0x00, 'q'}));
  Bytes expected{'A', 'A', 'A', 'x', 'y', 'z'};
  expected.insert(expected.end(), 128, 0);
  expected.push_back('q');
  EXPECT_EQ(out, expected);
}

TEST(RLEUnit, MethodSixRunsOfSevenBitValues) {
  // 'a' once, 0x05 repeated 256 times, 'b' repeated once.
  Bytes out = RleDecode(Stream(6, {'a', 0x85, 0xFF, 0x80 | 'b', 0x00}));
  Bytes expected{'a'};
  expected.insert(expected.end(), 256, 0x05);
  expected.push_back('b');
  EXPECT_EQ(out, expected);
}

TEST(RLEUnit, StreamDecodeLeavesSourceAfterTheStreamAndRewindsDestination) {
  Bytes bytes{0xEE};
  Bytes stream = Stream(5, {0x81, 'Z'});
  bytes.insert(bytes.end(), stream.begin(), stream.end());
  bytes.push_back(0x77);
  TMemoryStream source(bytes);
  source.SetPosition(1);
  TMemoryStream destination;
  RLEDecode(source, destination);
  EXPECT_EQ(source.Position(), int64_t(bytes.size() - 1));
  EXPECT_EQ(destination.Position(), 0);
  EXPECT_EQ(destination.Data(), (Bytes{'Z', 'Z'}));
}

TEST(RLEUnit, UnknownMethodOutputsNothingAndPutsSourceBack) {
  TMemoryStream source(Stream(4, {0x81, 'Z'}));
  source.SetPosition(0);
  TMemoryStream destination;
  RLEDecode(source, destination);
  EXPECT_EQ(source.Position(), 0);
  EXPECT_EQ(destination.Size(), 0);
}

TEST(RLEUnit, HostileStreamsRaiseOrStop) {
  Bytes out;
  size_t consumed = 0;
  // N shorter than the header: no tokens at all.
  Bytes tiny{5, 2, 0, 0, 0, 0x81, 'Z'};
  EXPECT_TRUE(RLEDecodeBytes(tiny.data(), tiny.size(), out, consumed));
  EXPECT_TRUE(out.empty());
  // N past the end of the data, a run without its byte, a literal cut short,
  // a method-6 run without its count, a header cut short.
  for (const Bytes& bad : {Stream(5, {0x81, 'Z'}, 10), Stream(5, {0x81}), Stream(5, {0x05, 'a', 'b'}),
                           Stream(6, {0x81}), Bytes{5, 9, 0}, Bytes{}}) {
    out.clear();
    EXPECT_THROW(RLEDecodeBytes(bad.data(), bad.size(), out, consumed), ECompressionError);
  }
}

TEST(RLEUnit, OutputStopsAtTheSizeLimit) {
  // Method 6 turns two bytes into 256: exactly the limit is accepted, one
  // byte more fails.
  Bytes tokens;
  for (size_t i = 0; i < kMaxDecodedSize / 256; ++i) tokens.insert(tokens.end(), {0x80, 0xFF});
  Bytes out;
  size_t consumed = 0;
  Bytes exact = Stream(6, tokens);
  EXPECT_TRUE(RLEDecodeBytes(exact.data(), exact.size(), out, consumed));
  EXPECT_EQ(out.size(), kMaxDecodedSize);
  tokens.push_back(0x01);
  Bytes over = Stream(6, tokens);
  out.clear();
  EXPECT_THROW(RLEDecodeBytes(over.data(), over.size(), out, consumed), ECompressionError);
}

TEST(RLEUnit, EncodersRoundTripAndPickTheShorterMethod) {
  Bytes mixed;
  for (int i = 0; i < 300; ++i) mixed.push_back(uint8_t(i * 7));  // literals past 128
  mixed.insert(mixed.end(), 1000, 0x42);                          // runs past 128 and 256
  mixed.insert(mixed.end(), {1, 1, 2, 2, 2, 3, 1, 1});            // short runs inside literals
  Bytes seven;
  for (uint8_t b : mixed) seven.push_back(b & 0x7F);
  for (const Bytes& data : {Bytes{}, Bytes{7}, Bytes{7, 7}, mixed, seven}) {
    Bytes five = RLEEncode(data, 5);
    EXPECT_EQ(five[0], 5);
    EXPECT_EQ(RleDecode(five), data);
    if (RLESevenBitFits(data)) {
      EXPECT_EQ(RleDecode(RLEEncode(data, 6)), data);
    }
  }
  EXPECT_THROW(RLEEncode(mixed, 6), ECompressionError);
  EXPECT_EQ(RLEEncodeBest(mixed)[0], 5);
  // Seven-bit text with no runs: method 6 spends no control bytes.
  Bytes text{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
  EXPECT_EQ(RLEEncodeBest(text), Stream(6, text));
}

// The decoder as the token rules read, one token at a time. Returns false
// where it must raise.
bool TokenDecode(const Bytes& data, Bytes& out, size_t& consumed) {
  if (data.size() < 5) return false;
  const uint8_t method = data[0];
  const size_t total = data[1] | data[2] << 8 | data[3] << 16 | size_t(data[4]) << 24;
  size_t pos = 5;
  while (pos < total) {
    if (pos >= data.size()) return false;
    const uint8_t c = data[pos++];
    size_t count = 1;
    uint8_t value = c;
    if (c & 0x80) {
      if (pos >= data.size()) return false;
      count = method == 5 ? size_t(c & 0x7F) + 1 : size_t(data[pos]) + 1;
      value = method == 5 ? data[pos] : uint8_t(c & 0x7F);
      ++pos;
    } else if (method == 5) {
      count = size_t(c) + 1;
      if (count > data.size() - pos) return false;
      out.insert(out.end(), data.begin() + long(pos), data.begin() + long(pos + count));
      pos += count;
      continue;
    }
    out.insert(out.end(), count, value);
  }
  consumed = pos;
  return true;
}

TEST(RLEUnit, FastDecodingMatchesTokenByTokenOverVariedAndDamagedStreams) {
  RandSeed(42);
  std::vector<Bytes> streams;
  for (int shape = 0; shape < 6; ++shape) {
    Bytes data(size_t(Random(3000) + 1));
    for (size_t i = 0; i < data.size(); ++i) {
      const bool repeat = i > 0 && Random(shape + 1) != 0;  // runs from short to long
      data[i] = repeat ? data[i - 1] : uint8_t(Random(shape % 2 ? 128 : 256));
    }
    streams.push_back(RLEEncode(data, 5));
    if (RLESevenBitFits(data)) streams.push_back(RLEEncode(data, 6));
  }
  for (uint8_t method : {uint8_t(5), uint8_t(6)})
    for (int i = 0; i < 20; ++i) {  // random tokens, bit 7 set at every rate
      Bytes tokens(size_t(Random(400)));
      for (uint8_t& b : tokens) b = uint8_t(Random(8) < i % 8 ? 0x80 | Random(128) : Random(128));
      streams.push_back(Stream(method, tokens));
    }
  Bytes prefix{1, 2, 3};  // decoding appends to what out holds
  for (const Bytes& stream : streams) {
    std::vector<Bytes> variants{stream};
    for (int i = 0; i < 6; ++i) {
      variants.emplace_back(stream.begin(), stream.begin() + Random(int32_t(stream.size()) + 1));
      Bytes n = stream;
      n[1] = uint8_t(Random(256));  // N cut short or past the data
      variants.push_back(n);
      Bytes flipped = stream;
      if (flipped.size() > 5) flipped[size_t(5 + Random(int32_t(flipped.size() - 5)))] ^= 0x80;
      variants.push_back(flipped);
    }
    for (const Bytes& v : variants) {
      Bytes expected = prefix;
      size_t expectedConsumed = 0;
      const bool ok = TokenDecode(v, expected, expectedConsumed);
      Bytes out = prefix;
      size_t consumed = 0;
      if (!ok) {
        EXPECT_THROW(RLEDecodeBytes(v.data(), v.size(), out, consumed), ECompressionError);
        continue;
      }
      EXPECT_TRUE(RLEDecodeBytes(v.data(), v.size(), out, consumed));
      EXPECT_EQ(out, expected);
      EXPECT_EQ(consumed, expectedConsumed);
    }
  }
}

}  // namespace
}  // namespace zorbin
