#include "storage/HuffmanUnit.h"

#include "storage/CompressorUnit.h"
#include "util/QXToolbox.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

using Bytes = std::vector<uint8_t>;

// "0 1 0100..." as bytes, most significant bit first, zero-padded.
Bytes Bits(const std::string& text) {
  Bytes out;
  int count = 0;
  for (char c : text) {
    if (c != '0' && c != '1') continue;
    if (count % 8 == 0) out.push_back(0);
    if (c == '1') out.back() |= uint8_t(0x80 >> (count % 8));
    ++count;
  }
  return out;
}

Bytes Header(uint32_t total, uint8_t method = 4) {
  return {method, uint8_t(total), uint8_t(total >> 8), uint8_t(total >> 16), uint8_t(total >> 24)};
}

void AddBlock(Bytes& stream, uint16_t length, const std::string& bits) {
  stream.push_back(uint8_t(length));
  stream.push_back(uint8_t(length >> 8));
  Bytes b = Bits(bits);
  stream.insert(stream.end(), b.begin(), b.end());
}

// Tree: inner(A, inner(B, C)); codes A = 0, B = 10, C = 11.
const std::string kTreeABC = "0 1 01000001 0 1 01000010 1 01000011";

Bytes Decode(const Bytes& stream, size_t* consumedOut = nullptr) {
  size_t consumed = 0;
  Bytes out = THuffman::DecodeBytes(stream.data(), stream.size(), consumed);
  if (consumedOut) *consumedOut = consumed;
  return out;
}

TEST(HuffmanUnit, DecodesHandBuiltBlocks) {
  Bytes stream = Header(7, 0x99);  // the method byte is not checked
  AddBlock(stream, 4, kTreeABC + " 0 10 11 0");
  AddBlock(stream, 3, "1 01011010");  // a single leaf: codes without bits
  stream.push_back(0xEE);            // not part of the stream
  size_t consumed = 0;
  EXPECT_EQ(Decode(stream, &consumed), (Bytes{'A', 'B', 'C', 'A', 'Z', 'Z', 'Z'}));
  EXPECT_EQ(consumed, stream.size() - 1);

  TMemoryStream source(stream);
  TMemoryStream destination;
  THuffman::Decode(source, destination);
  EXPECT_EQ(source.Position(), int64_t(stream.size() - 1));
  EXPECT_EQ(destination.Data(), (Bytes{'A', 'B', 'C', 'A', 'Z', 'Z', 'Z'}));
  EXPECT_TRUE(Decode(Header(0)).empty());
}

TEST(HuffmanUnit, HostileStreamsRaise) {
  Bytes zeros = Header(4);
  zeros.push_back(4);
  zeros.push_back(0);
  zeros.insert(zeros.end(), 200, 0);  // an endless chain of inner nodes
  Bytes cutCodes = Header(4);
  AddBlock(cutCodes, 4, kTreeABC + " 0 10");
  Bytes cutTree = Header(4);
  AddBlock(cutTree, 4, "0 1 0100");
  Bytes overshoot = Header(4);
  AddBlock(overshoot, 5, kTreeABC + " 0 10 11 0 0");
  Bytes shortSum = Header(8);  // blocks add up to less than T, then the data ends
  AddBlock(shortSum, 4, kTreeABC + " 0 10 11 0");
  Bytes emptyBlocks = Header(8);  // zero-length blocks never reach T
  for (int i = 0; i < 50; ++i) AddBlock(emptyBlocks, 0, "1 01011010");
  Bytes huge = Header(uint32_t(kMaxDecodedSize + 1));
  AddBlock(huge, 1, "1 01011010");
  for (const Bytes& bad : {zeros, cutCodes, cutTree, overshoot, shortSum, emptyBlocks, huge, Bytes{4, 1}}) {
    size_t consumed = 0;
    EXPECT_THROW(THuffman::DecodeBytes(bad.data(), bad.size(), consumed), ECompressionError);
  }
}

TEST(HuffmanUnit, EncoderRoundTripsOverBlocksAndShapes) {
  RandSeed(1234);
  Bytes skewed(80000);  // three blocks, table decoding
  for (uint8_t& b : skewed) b = uint8_t(Random(4) == 0 ? Random(256) : Random(3));
  Bytes every;
  for (int i = 0; i < 2000; ++i) every.push_back(uint8_t(i));
  Bytes small{'a', 'b', 'a', 'c', 'a'};  // bit-by-bit decoding
  Bytes single(70000, 0x5A);
  for (const Bytes& data : {Bytes{}, Bytes{1}, small, skewed, every, single}) {
    Bytes stream = THuffman::Encode(data);
    EXPECT_EQ(stream[0], THuffman::Method);
    size_t consumed = 0;
    EXPECT_EQ(Decode(stream, &consumed), data);
    EXPECT_EQ(consumed, stream.size());
  }
  EXPECT_LT(THuffman::Encode(skewed).size(), skewed.size() * 6 / 10);
  // Blocks are cut at the packer's block length.
  Bytes stream = THuffman::Encode(single);
  EXPECT_EQ(stream[5] | stream[6] << 8, int(THuffman::BlockSizeLimit));
}

}  // namespace
}  // namespace zorbin
