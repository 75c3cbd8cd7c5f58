// CodingUnitTest: the delta, move-to-front and interleave stages of compressed chunks, both ways.
#include "storage/CodingUnit.h"

#include "storage/MTFWideUnit.h"
#include "util/QXToolbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace zorbin {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(CodingUnit, DecodersGiveTheDocumentedBytes) {
  EXPECT_EQ(InterleaveRestoreBytes(Bytes{0, 3, 6, 1, 4, 2, 5}, 3), (Bytes{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(InterleaveRestoreBytes(Bytes{0, 2, 4, 1, 3}, 2), (Bytes{0, 1, 2, 3, 4}));
  Bytes mtf{1, 1, 0};
  MTFDecodeInPlace(mtf);
  EXPECT_EQ(mtf, (Bytes{1, 0, 0}));
  Bytes mtf2{255, 0, 255};
  MTFDecodeInPlace(mtf2);
  EXPECT_EQ(mtf2, (Bytes{255, 255, 254}));
  Bytes delta{10, 1, 255};
  DeltaDecodeInPlace(delta);
  EXPECT_EQ(delta, (Bytes{10, 11, 10}));
}

TEST(CodingUnit, InterleaveHandlesFilesShorterThanTheStride) {
  EXPECT_EQ(InterleaveRestoreBytes(Bytes{}, 3), Bytes{});
  EXPECT_EQ(InterleaveRestoreBytes(Bytes{9}, 3), Bytes{9});
  EXPECT_EQ(InterleaveRestoreBytes(Bytes{7, 8}, 3), (Bytes{7, 8}));
  EXPECT_EQ(InterleaveSplitBytes({1, 2, 3, 4}, 3), (Bytes{1, 4, 2, 3}));
  EXPECT_THROW(InterleaveRestoreBytes(Bytes{1}, 0), std::invalid_argument);
}

TEST(CodingUnit, EncodersInvertTheDecoders) {
  for (size_t n : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 100u, 1001u}) {
    Bytes data(n);
    for (size_t i = 0; i < n; ++i) data[i] = uint8_t(i * 37 + (i >> 3) * 11);
    for (int stride : {1, 2, 3, 4}) {
      EXPECT_EQ(InterleaveRestoreBytes(InterleaveSplitBytes(data, stride), stride), data) << n << " " << stride;
    }
    Bytes d = data;
    DeltaEncodeInPlace(d);
    DeltaDecodeInPlace(d);
    EXPECT_EQ(d, data);
    Bytes m = data;
    MTFEncodeInPlace(m);
    MTFDecodeInPlace(m);
    EXPECT_EQ(m, data);
  }
}

TEST(CodingUnit, StreamDecodersReadFromThePositionAndReturnRewoundStreams) {
  TMemoryStream source(Bytes{99, 99, 0, 3, 6, 1, 4, 2, 5});
  source.SetPosition(2);
  auto restored = InterleaveRestore(source, 3);
  EXPECT_EQ(restored->Position(), 0);
  EXPECT_EQ(restored->Data(), (Bytes{0, 1, 2, 3, 4, 5, 6}));

  TMemoryStream deltaSource(Bytes{10, 1, 255});
  auto delta = DeltaDecode(deltaSource);
  EXPECT_EQ(delta->Position(), 0);
  EXPECT_EQ(delta->Data(), (Bytes{10, 11, 10}));

  TMemoryStream mtfSource(Bytes{1, 1, 0});
  auto mtf = MTFDecode(mtfSource);
  EXPECT_EQ(mtf->Position(), 0);
  EXPECT_EQ(mtf->Data(), (Bytes{1, 0, 0}));
}

TEST(CodingUnit, MoveToFrontMatchesTheTableShiftOverEveryValueRange) {
  RandSeed(5);
  for (int shape = 0; shape < 7; ++shape) {
    // Zero runs of every length (up to the last byte), values of the
    // table's front sixteen and far back.
    std::vector<uint8_t> data(size_t(1000 + Random(3000)));
    for (uint8_t& b : data) {
      const int r = Random(10);
      b = r < shape * 2 ? 0 : r < 6 ? uint8_t(Random(16)) : uint8_t(Random(256));
    }
    if (shape == 6) std::fill(data.end() - Random(20), data.end(), 0);
    std::vector<uint8_t> expected = data;
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = uint8_t(i);
    for (uint8_t& b : expected) {
      const uint8_t v = table[b];
      for (int i = b; i > 0; --i) table[i] = table[i - 1];
      table[0] = v;
      b = v;
    }
    std::vector<uint8_t> portable = data;
    MTFDecodePortableInPlace(portable);
    EXPECT_EQ(portable, expected) << shape;
    std::vector<uint8_t> shuffled = data;
    if (MTFDecodeShuffleInPlace(shuffled)) {
      EXPECT_EQ(shuffled, expected) << shape;
    }
    MTFDecodeInPlace(data);
    EXPECT_EQ(data, expected) << shape;
  }
}

// The decoder that uses the processor's shuffles gives the portable one's
// bytes.
void ExpectDecodedAsPortable(Bytes data, const std::string& label) {
  Bytes portable = data;
  MTFDecodePortableInPlace(portable);
  MTFDecodeInPlace(data);
  EXPECT_EQ(data, portable) << label;
}

// Long inputs are decoded in pieces where deep ranks are rare and as one
// piece where they are not, and where zeros are common the other ranks are
// decoded apart: sizes around the smallest cut into pieces, rates of deep
// ranks and of zeros (single and in runs) on both sides of each choice.
TEST(CodingUnit, MoveToFrontOfLongDataMatchesThePortableDecoder) {
  RandSeed(8);
  for (size_t n : {size_t(4095), size_t(4096), size_t(4097), size_t(4098), size_t(70001)})
    for (int deepPercent : {0, 5, 12, 13, 60})
      for (int zeroPercent : {0, 24, 26, 70}) {
        Bytes data(n);
        for (size_t i = 0; i < n; ++i) {
          const int r = Random(100);
          data[i] = r < zeroPercent             ? 0
                    : Random(100) < deepPercent ? uint8_t(64 + Random(192))
                                                : uint8_t(1 + Random(63));
          if (r < zeroPercent && Random(8) == 0) {  // a run of zeros
            const size_t run = std::min(n - i, size_t(Random(100)));
            std::fill_n(data.begin() + std::ptrdiff_t(i), run, 0);
            i += run > 0 ? run - 1 : 0;
          }
        }
        ExpectDecodedAsPortable(
            data, std::to_string(n) + " " + std::to_string(deepPercent) + " " + std::to_string(zeroPercent));
      }
}

// Ranks of 128 or more common (a picture's values last seen a row before):
// the table's order is worked out in two passes, most deep ranks landing in
// registers, ranks of 16 to 127 in a queue that moves through memory (long
// enough inputs walk it through its whole room), with and without zeros.
TEST(CodingUnit, MoveToFrontOfManyDeepRanksMatchesThePortableDecoder) {
  RandSeed(21);
  for (size_t n : {size_t(4096), size_t(4099), size_t(30001), size_t(100003)})
    for (int oldestPercent : {7, 25, 60})
      for (int zeroPercent : {0, 30}) {
        Bytes data(n);
        for (uint8_t& b : data) {
          const int r = Random(100);
          b = r < zeroPercent                   ? 0
              : r < zeroPercent + oldestPercent ? uint8_t(128 + Random(128))
              : Random(100) < oldestPercent / 3 ? uint8_t(16 + Random(112))
                                                : uint8_t(1 + Random(15));
        }
        ExpectDecodedAsPortable(
            data, std::to_string(n) + " " + std::to_string(oldestPercent) + " " + std::to_string(zeroPercent));
      }
}

// Ranks nearly all below 16 go through a table whose front sixteen are kept
// apart: the rare deeper ones (up to 255, every part of the rest of the
// table) between them, with and without many zeros.
TEST(CodingUnit, MoveToFrontOfMostlySmallRanksMatchesThePortableDecoder) {
  RandSeed(12);
  for (size_t n : {size_t(4096), size_t(20017), size_t(70000)})
    for (int zeroPercent : {0, 50}) {
      Bytes data(n);
      for (uint8_t& b : data) {
        const int r = Random(1000);
        b = r < zeroPercent * 10 ? 0 : r < zeroPercent * 10 + 15 ? uint8_t(16 + Random(240)) : uint8_t(Random(16));
      }
      ExpectDecodedAsPortable(data, std::to_string(n) + " " + std::to_string(zeroPercent));
    }
}

TEST(CodingUnit, InterleaveRestoreOfEveryLengthAroundTheStride) {
  for (int stride : {1, 2, 3, 4})
    for (size_t n = 0; n < 40; ++n) {
      Bytes data(n);
      for (size_t i = 0; i < n; ++i) data[i] = uint8_t(i * 37 + 1);
      const Bytes planar = InterleaveSplitBytes(data, stride);
      // Plane by plane, as the stored block lays them out.
      Bytes expected;
      for (size_t start = 0; start < size_t(stride); ++start)
        for (size_t p = start; p < n; p += size_t(stride)) expected.push_back(data[p]);
      EXPECT_EQ(planar, expected);
      EXPECT_EQ(InterleaveRestoreBytes(planar, stride), data) << stride << " " << n;
    }
}

// The decoders work on whole vectors of bytes and finish byte by byte:
// lengths on both sides of the vector sizes, against the byte-at-a-time
// definitions.
TEST(CodingUnit, LongDataDecodesAsByteByByteAtEveryTailLength) {
  RandSeed(11);
  for (size_t n : {size_t(15), size_t(16), size_t(17), size_t(47), size_t(48), size_t(49), size_t(95), size_t(96),
                   size_t(97), size_t(1000), size_t(4099)}) {
    Bytes data(n);
    for (uint8_t& b : data) b = uint8_t(Random(256));
    for (int stride : {2, 3}) {
      Bytes expected(n);
      size_t k = 0;
      for (size_t start = 0; start < size_t(stride) && start < n; ++start)
        for (size_t p = start; p < n; p += size_t(stride)) expected[p] = data[k++];
      EXPECT_EQ(InterleaveRestoreBytes(data, stride), expected) << stride << " " << n;
    }
    Bytes delta = data;
    DeltaDecodeInPlace(delta);
    uint8_t previous = 0;
    for (size_t i = 0; i < n; ++i) {
      previous = uint8_t(previous + data[i]);
      ASSERT_EQ(delta[i], previous) << n << " " << i;
    }
  }
}

}  // namespace
}  // namespace zorbin
