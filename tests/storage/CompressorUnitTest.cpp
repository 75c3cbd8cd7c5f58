// CompressorUnitTest: compressed block layout, every stage combination, corrupt blocks and the best choice.
#include "storage/CompressorUnit.h"

#include "storage/HuffmanUnit.h"
#include "storage/MyZStreamUnit.h"
#include "util/QXToolbox.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes BlockDecode(const Bytes& block) {
  TMemoryStream stream(block);
  auto out = TCompressor::Decompress(stream);
  EXPECT_EQ(out->Position(), 0);
  return out->Data();
}

Bytes Text() {
  std::string s;
  for (int i = 0; i < 200; ++i)
    s += "[Mover" + IntToStr(i) + "]\r\nType=LinearMover\r\nImage=..\\common\\lift.tga\r\nX=" + IntToStr(i * 16) +
         "\r\n";
  return Bytes(s.begin(), s.end());
}

// An 18-byte TGA-like header, then 24-bit pixels of smooth gradients with a
// little noise: the kind of file the transforms are made for.
Bytes Picture(int width, int height) {
  RandSeed(42);
  Bytes out{
      0,  0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
      24, 0};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      out.push_back(uint8_t(x * 2 + Random(3)));
      out.push_back(uint8_t(y * 3));
      out.push_back(uint8_t((x + y) / 2 + Random(2)));
    }
  return out;
}

// A sprite strip: mostly black background with a few coloured shapes.
Bytes Sprite() {
  Bytes out(18, 0);
  for (int i = 0; i < 64 * 16; ++i) out.push_back((i % 64) > 20 && (i % 64) < 30 ? uint8_t(0x60 + i % 5) : 0);
  return out;
}

Bytes Noise(size_t n) {
  RandSeed(99);
  Bytes out(n);
  for (uint8_t& b : out) b = uint8_t(Random(256));
  return out;
}

std::vector<uint8_t> AllFlags() {
  std::vector<uint8_t> flags;
  for (uint8_t zlib : {0x00, 0x40})
    for (uint8_t b : {0, 1, 2, 4})
      for (uint8_t c = 0; c < 8; ++c) flags.push_back(uint8_t(zlib | b << 3 | c));
  return flags;
}

TEST(Compressor, EveryFlagCombinationRoundTrips) {
  const std::vector<Bytes> samples{Text(),  Picture(40, 30), Sprite(),    Noise(3000),
                                   Bytes{}, Bytes{0xC3},     Bytes{1, 2}, Bytes(40000, 0x80)};
  for (const Bytes& data : samples) {
    for (uint8_t flags : AllFlags()) {
      Bytes block = TCompressor::Compress(data, flags);
      ASSERT_FALSE(block.empty());
      EXPECT_EQ(block[0], flags);
      EXPECT_EQ(BlockDecode(block), data) << "flags " << int(flags) << " size " << data.size();
    }
  }
}

// Run-length output is decoded into a buffer kept between blocks: a block
// after a longer one (and after one past the size the buffer is kept at)
// gives its own bytes only.
TEST(Compressor, BlocksAfterLongerBlocksGiveTheirOwnBytes) {
  const Bytes longest = Picture(800, 700);  // 1.6 MB
  const Bytes shorter = Sprite();
  for (uint8_t flags : {uint8_t(1 << 3), uint8_t(0x40 | 1 << 3 | 2), uint8_t(2 << 3 | 4)}) {
    const Bytes longBlock = TCompressor::Compress(longest, flags);
    const Bytes shortBlock = TCompressor::Compress(shorter, flags);
    EXPECT_EQ(BlockDecode(longBlock), longest) << int(flags);
    EXPECT_EQ(BlockDecode(shortBlock), shorter) << int(flags);
    EXPECT_EQ(BlockDecode(longBlock), longest) << int(flags);
  }
}

TEST(Compressor, BlockLayout) {
  Bytes data = Sprite();
  // Stored: flag, u32 decoded size, stage input.
  Bytes stored = TCompressor::Compress(data, 0x00);
  ASSERT_EQ(stored.size(), data.size() + 5);
  EXPECT_EQ(stored[1] | stored[2] << 8, int(data.size()));
  EXPECT_TRUE(std::equal(data.begin(), data.end(), stored.begin() + 5));
  // Zlib: the rest of the block is one zlib stream.
  Bytes z = TCompressor::Compress(data, 0x40);
  EXPECT_EQ(InflateBytes(z.data() + 1, z.size() - 1), data);
  // Huffman without zlib: the size, then a Huffman stream of one block.
  Bytes h = TCompressor::Compress(data, 0x24);
  EXPECT_EQ(h[1] | h[2] << 8, 1042);
  EXPECT_EQ(h[5], THuffman::Method);
  EXPECT_EQ(h[6] | h[7] << 8, 1042);
  EXPECT_EQ(h[10] | h[11] << 8, 1042);
  // Zlib over run-length coding: the inflated stage input is one method-5
  // stream whose N is its whole length.
  Bytes picture = Picture(64, 10);  // bytes above 127: method 5
  Bytes r = TCompressor::Compress(picture, 0x48);
  Bytes inflated = InflateBytes(r.data() + 1, r.size() - 1);
  EXPECT_EQ(inflated[0], 5);
  EXPECT_EQ(size_t(inflated[1] | inflated[2] << 8), inflated.size());
}

TEST(Compressor, ReaderIgnoresStoredSizeAndStreamPosition) {
  Bytes block{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'};
  TMemoryStream stream(block);
  stream.SetPosition(4);
  auto out = TCompressor::Decompress(stream);
  EXPECT_EQ(out->Data(), (Bytes{'a', 'b'}));
  EXPECT_EQ(stream.Size(), 7);
}

TEST(Compressor, UnknownStagesGiveEmptyResults) {
  Bytes data = Text();
  for (uint8_t b : {3, 5, 6, 7}) {
    Bytes stored{uint8_t(b << 3), 0, 0, 0, 0};
    stored.insert(stored.end(), data.begin(), data.end());
    EXPECT_TRUE(BlockDecode(stored).empty()) << int(b);
    Bytes zlib = TCompressor::Compress(data, 0x40);
    zlib[0] = uint8_t(0x40 | b << 3 | 2);
    EXPECT_TRUE(BlockDecode(zlib).empty()) << int(b);
  }
  // Run-length stage whose stream has another method byte.
  Bytes rle{0x08, 0, 0, 0, 0, 7, 6, 0, 0, 0, 0x81};
  EXPECT_TRUE(BlockDecode(rle).empty());
}

TEST(Compressor, CorruptBlocksRaise) {
  Bytes data = Noise(5000);
  Bytes z = TCompressor::Compress(data, 0x40);
  Bytes cut(z.begin(), z.begin() + std::ptrdiff_t(z.size() - 100));
  Bytes huffCut = TCompressor::Compress(Text(), 0x24);
  huffCut.resize(huffCut.size() / 2);
  Bytes hugeHuffman{0x20, 0, 0, 0, 0, 4, 0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0xAD, 0};
  for (const Bytes& bad : {cut, Bytes{}, Bytes{0x00, 1, 0, 0}, Bytes{0x40}, huffCut, hugeHuffman}) {
    TMemoryStream stream(bad);
    EXPECT_THROW(TCompressor::Decompress(stream), ECompressionError) << bad.size();
  }
}

TEST(Compressor, CompressRefusesFlagsWithoutADecoder) {
  for (uint8_t flags : {0x80, 0x18, 0x28, 0x30, 0x78})
    EXPECT_THROW(TCompressor::Compress({1, 2, 3}, flags), ECompressionError) << int(flags);
}

TEST(Compressor, CompressBestFindsTheSmallestBlock) {
  for (const Bytes& data : {Text(), Picture(64, 48), Sprite(), Noise(2000), Bytes{}, Bytes{9}}) {
    Bytes best = TCompressor::CompressBest(data);
    EXPECT_EQ(BlockDecode(best), data);
    size_t smallest = SIZE_MAX;
    size_t smallestStored = SIZE_MAX;
    for (uint8_t flags : AllFlags()) {
      size_t size = TCompressor::Compress(data, flags).size();
      smallest = std::min(smallest, size);
      if (!(flags & 0x40)) smallestStored = std::min(smallestStored, size);
    }
    // Stored blocks are compared exactly, zlib ones through estimates.
    EXPECT_LE(best.size(), smallestStored);
    EXPECT_LE(best.size(), smallest + smallest / 50) << "size " << data.size();
  }
  // Incompressible data is stored as it is; a picture gains from a transform.
  EXPECT_EQ(TCompressor::CompressBest(Noise(2000))[0], 0x00);
  EXPECT_NE(TCompressor::CompressBest(Picture(64, 48))[0] & 0x07, 0);
}

}  // namespace
}  // namespace zorbin
