// HuffmanUnitTest: Huffman blocks decoded by hand-built example, hostile data, round trips, fast against plain.
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

Bytes HuffmanDecode(const Bytes& stream, size_t* consumedOut = nullptr) {
  size_t consumed = 0;
  Bytes out = THuffman::DecodeBytes(stream.data(), stream.size(), consumed);
  if (consumedOut) *consumedOut = consumed;
  return out;
}

TEST(HuffmanUnit, DecodesHandBuiltBlocks) {
  Bytes stream = Header(7, 0x99);  // the method byte is not checked
  AddBlock(stream, 4, kTreeABC + " 0 10 11 0");
  AddBlock(stream, 3, "1 01011010");  // a single leaf: codes without bits
  stream.push_back(0xEE);             // not part of the stream
  size_t consumed = 0;
  EXPECT_EQ(HuffmanDecode(stream, &consumed), (Bytes{'A', 'B', 'C', 'A', 'Z', 'Z', 'Z'}));
  EXPECT_EQ(consumed, stream.size() - 1);

  TMemoryStream source(stream);
  TMemoryStream destination;
  THuffman::Decode(source, destination);
  EXPECT_EQ(source.Position(), int64_t(stream.size() - 1));
  EXPECT_EQ(destination.Data(), (Bytes{'A', 'B', 'C', 'A', 'Z', 'Z', 'Z'}));
  EXPECT_TRUE(HuffmanDecode(Header(0)).empty());
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
  // 65535 codes over the few bits left: refused before their bytes are taken.
  Bytes claim = Header(65535);
  AddBlock(claim, 65535, kTreeABC + " 0 10 11");
  try {
    HuffmanDecode(claim);
    FAIL() << "no exception";
  } catch (const ECompressionError& e) {
    EXPECT_STREQ(e.what(), "Huffman block longer than its data");
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
    EXPECT_EQ(HuffmanDecode(stream, &consumed), data);
    EXPECT_EQ(consumed, stream.size());
  }
  EXPECT_LT(THuffman::Encode(skewed).size(), skewed.size() * 6 / 10);
  // Blocks are cut at the packer's block length.
  Bytes stream = THuffman::Encode(single);
  EXPECT_EQ(stream[5] | stream[6] << 8, int(THuffman::BlockSizeLimit));
}

// The decoder as the format reads: every code walked bit by bit from the
// root. Returns false where the data ends early, a tree overflows its node
// table or the block lengths overshoot the total; with strict, also for a
// tree that is a single leaf (whose decoding the format leaves open).
bool WalkDecode(const Bytes& data, Bytes& out, size_t& consumed, bool strict = false) {
  out.clear();
  if (data.size() < 5) return false;
  size_t left = size_t(data[1]) | size_t(data[2]) << 8 | size_t(data[3]) << 16 | size_t(data[4]) << 24;
  if (left > kMaxDecodedSize) return false;
  const size_t bits = (data.size() - 5) * 8;
  size_t pos = 0;
  auto bit = [&](unsigned& b) {
    if (pos >= bits) return false;
    b = (data[5 + pos / 8] >> (7 - pos % 8)) & 1;
    ++pos;
    return true;
  };
  struct Node {
    int child[2];
    int value;
  };
  while (left > 0) {
    size_t byte = (pos + 7) / 8;
    if (5 + byte + 2 > data.size()) return false;
    size_t length = data[5 + byte] | data[5 + byte + 1] << 8;
    pos = (byte + 2) * 8;
    if (length > left) return false;
    std::vector<Node> nodes(1, Node{{0, 0}, -1});
    std::vector<int> pending{0};
    while (!pending.empty()) {  // pre-order: left subtree first
      int n = pending.back();
      pending.pop_back();
      unsigned b = 0;
      if (!bit(b)) return false;
      if (b) {
        if (strict && n == 0) return false;
        unsigned v = 0;
        for (int i = 0; i < 8; ++i) {
          if (!bit(b)) return false;
          v = v << 1 | b;
        }
        nodes[size_t(n)].value = int(v);
        continue;
      }
      if (nodes.size() + 2 > 512) return false;
      nodes[size_t(n)].child[0] = int(nodes.size());
      nodes[size_t(n)].child[1] = int(nodes.size() + 1);
      nodes.push_back(Node{{0, 0}, -1});
      nodes.push_back(Node{{0, 0}, -1});
      pending.push_back(int(nodes.size() - 1));
      pending.push_back(int(nodes.size() - 2));
    }
    for (size_t i = 0; i < length; ++i) {
      int n = 0;
      while (nodes[size_t(n)].value < 0) {
        unsigned b = 0;
        if (!bit(b)) return false;
        n = nodes[size_t(n)].child[b];
      }
      out.push_back(uint8_t(nodes[size_t(n)].value));
    }
    left -= length;
  }
  consumed = 5 + (pos + 7) / 8;
  return true;
}

// Same bytes and bytes consumed as the walk, or an error where it fails.
void ExpectSameAsWalk(const Bytes& stream) {
  Bytes expected;
  size_t expectedConsumed = 0;
  const bool ok = WalkDecode(stream, expected, expectedConsumed);
  size_t consumed = 0;
  if (!ok) {
    EXPECT_THROW(THuffman::DecodeBytes(stream.data(), stream.size(), consumed), ECompressionError);
    return;
  }
  Bytes out;
  ASSERT_NO_THROW(out = THuffman::DecodeBytes(stream.data(), stream.size(), consumed));
  EXPECT_EQ(out, expected);
  EXPECT_EQ(consumed, expectedConsumed);
}

TEST(HuffmanUnit, TableDecodingMatchesTheBitWalkOverVariedAndDamagedStreams) {
  RandSeed(99);
  std::vector<Bytes> samples;
  // Fibonacci weights give codes of up to 19 bits, far past the table.
  Bytes fibonacci;
  for (uint32_t a = 1, b = 1, v = 0; v < 20; ++v, b = a + b, a = b - a)
    fibonacci.insert(fibonacci.end(), a, uint8_t(v));
  for (size_t i = fibonacci.size(); i > 1; --i) std::swap(fibonacci[i - 1], fibonacci[size_t(Random(int32_t(i)))]);
  samples.push_back(fibonacci);
  std::string text;
  while (text.size() < 70000) text += "[Mover" + IntToStr(Random(100)) + "]\r\nSpeedX=" + IntToStr(Random(9)) + "\r\n";
  samples.push_back(Bytes(text.begin(), text.end()));
  for (size_t size : {127u, 128u, 129u, 1024u, 2047u, 2048u, 2049u, 4000u, 32752u, 32753u}) {
    Bytes noise(size);
    for (uint8_t& b : noise) b = uint8_t(Random(256));
    samples.push_back(noise);
    Bytes two(size);  // one-bit codes: six of them to a table entry
    for (uint8_t& b : two) b = uint8_t(Random(2) ? 'x' : 'y');
    samples.push_back(two);
  }
  for (const Bytes& data : samples) {
    SCOPED_TRACE(data.size());
    const Bytes stream = THuffman::Encode(data);
    ExpectSameAsWalk(stream);
    // Cut anywhere, bits flipped, the total changed, a stray byte behind.
    for (int i = 0; i < 12; ++i) {
      Bytes cut(stream.begin(), stream.begin() + Random(int32_t(stream.size())));
      ExpectSameAsWalk(cut);
      Bytes flipped = stream;
      for (int f = 0; f < 1 + i % 3; ++f)
        flipped[size_t(5 + Random(int32_t(stream.size() - 5)))] ^= uint8_t(1 << Random(8));
      ExpectSameAsWalk(flipped);
    }
    Bytes shorter = stream;
    shorter[1] = uint8_t(shorter[1] - 1);
    ExpectSameAsWalk(shorter);
    Bytes longer = stream;
    longer[1] = uint8_t(longer[1] + 1);
    longer.push_back(0x5A);
    ExpectSameAsWalk(longer);
  }
}

TEST(HuffmanUnit, BlocksOfOneValueGetATreeOfTwoLeaves) {
  // A reader that refuses single-leaf trees decodes what the packer writes:
  // one block, several blocks, and a compressed block of stage B Huffman.
  for (const Bytes& data : {Bytes(4096, 0), Bytes(4096, 0xFF), Bytes(70000, 0x5A), Bytes{7}}) {
    SCOPED_TRACE(data.size());
    const Bytes stream = THuffman::Encode(data);
    Bytes out;
    size_t consumed = 0;
    ASSERT_TRUE(WalkDecode(stream, out, consumed, true));
    EXPECT_EQ(out, data);
    EXPECT_EQ(consumed, stream.size());
    // The root is an inner node; each code is one bit.
    EXPECT_EQ(stream[7] & 0x80, 0);
  }
  const Bytes block = TCompressor::Compress(Bytes(4096, 'z'), uint8_t(kStageBHuffman << kStageBShift));
  Bytes out;
  size_t consumed = 0;
  ASSERT_TRUE(WalkDecode(Bytes(block.begin() + 5, block.end()), out, consumed, true));
  EXPECT_EQ(out, Bytes(4096, 'z'));
}

}  // namespace
}  // namespace zorbin
