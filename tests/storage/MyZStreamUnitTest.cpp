// MyZStreamUnitTest: zlib inflating in pieces, round trips, corrupt data and the size limit.
#include "storage/MyZStreamUnit.h"

#include "storage/CompressorUnit.h"
#include "util/QXToolbox.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace zorbin {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Noise(size_t n, uint32_t seed) {
  RandSeed(seed);
  Bytes out(n);
  for (uint8_t& b : out) b = uint8_t(Random(256));
  return out;
}

TEST(MyZStreamUnit, InflatesLargeStreamsInPiecesAndAppends) {
  // Incompressible data keeps the zlib stream well over one 32768-byte piece.
  Bytes data = Noise(100000, 7);
  Bytes z = DeflateBytes(data, 9);
  ASSERT_GT(z.size(), 3 * kInflatePieceSize);
  Bytes framed{0xAA, 0xBB};
  framed.insert(framed.end(), z.begin(), z.end());
  framed.insert(framed.end(), {1, 2, 3});  // bytes after the stream's end
  TMemoryStream source(framed);
  source.SetPosition(2);
  TMemoryStream destination(std::string("head"));
  destination.Seek(0, TSeekOrigin::End);
  InflateStream(source, destination);
  EXPECT_EQ(source.Position(), int64_t(framed.size() - 3));
  Bytes expected{'h', 'e', 'a', 'd'};
  expected.insert(expected.end(), data.begin(), data.end());
  EXPECT_EQ(destination.Data(), expected);
  EXPECT_EQ(InflateBytes(z.data(), z.size()), data);
}

TEST(MyZStreamUnit, EveryLevelAndEmptyDataRoundTrip) {
  Bytes text;
  for (int i = 0; i < 5000; ++i) text.push_back(uint8_t("objects.ini\r\n"[i % 13]));
  for (int level = -1; level <= 9; ++level) {
    Bytes z = DeflateBytes(text, level);
    EXPECT_EQ(InflateBytes(z.data(), z.size()), text) << level;
  }
  Bytes empty = DeflateBytes({}, 9);
  EXPECT_TRUE(InflateBytes(empty.data(), empty.size()).empty());
  EXPECT_THROW(DeflateBytes(text, 10), ECompressionError);
}

TEST(MyZStreamUnit, CorruptOrTruncatedDataRaises) {
  Bytes data = Noise(50000, 9);
  Bytes z = DeflateBytes(data, 6);
  Bytes cut(z.begin(), z.begin() + std::ptrdiff_t(z.size() / 2));
  Bytes noAdler(z.begin(), z.end() - 2);
  Bytes badHeader = z;
  badHeader[0] = 0x00;
  Bytes badChecksum = z;
  badChecksum.back() ^= 0x01;
  for (const Bytes& bad : {cut, noAdler, badHeader, badChecksum, Bytes{}}) {
    EXPECT_THROW(InflateBytes(bad.data(), bad.size()), ECompressionError);
    TMemoryStream source(bad);
    TMemoryStream destination;
    EXPECT_THROW(InflateStream(source, destination), ECompressionError);
  }
}

TEST(MyZStreamUnit, AdlerSumMatchesZlibAtEveryRunAndTailLength) {
  const Bytes data = Noise(70000, 4);
  for (size_t n : {size_t(0), size_t(1), size_t(15), size_t(16), size_t(17), size_t(31), size_t(32), size_t(33),
                   size_t(5551), size_t(5552), size_t(5553), size_t(5568), size_t(5584), size_t(70000)}) {
    EXPECT_EQ(Adler32(data.data(), n), adler32(1, data.data(), uInt(n))) << n;
    EXPECT_EQ(Adler32(data.data(), n, 0xFFF0FFF0u), adler32(0xFFF0FFF0u, data.data(), uInt(n))) << n;
  }
  const Bytes ones(100000, 0xFF);  // the largest sums
  EXPECT_EQ(Adler32(ones.data(), ones.size()), adler32(1, ones.data(), uInt(ones.size())));
}

// Bytes in memory are inflated without zlib's own header and checksum
// reading: the same streams fail the same way as through the stream path.
TEST(MyZStreamUnit, InMemoryInflatingRefusesWhatZlibRefuses) {
  const Bytes z = DeflateBytes(Noise(3000, 5), 9);
  auto header = [&](uint8_t method, uint8_t flags) {
    Bytes out = z;
    out[0] = method;
    out[1] = uint8_t(flags + (31 - (method << 8 | flags) % 31) % 31);  // a valid check
    return out;
  };
  Bytes badCheck = z;
  badCheck[1] ^= 0x01;
  Bytes badSum = z;
  badSum[badSum.size() - 3] ^= 0x40;
  for (const Bytes& bad :
       {badCheck, header(0x77, 0), header(0x88, 0), header(0x78, 0x20), badSum, Bytes(z.begin(), z.begin() + 1)}) {
    std::string memory, stream;
    try {
      InflateBytes(bad.data(), bad.size());
    } catch (const ECompressionError& e) {
      memory = e.what();
    }
    try {
      TMemoryStream source(bad);
      TMemoryStream destination;
      InflateStream(source, destination);
    } catch (const ECompressionError& e) {
      stream = e.what();
    }
    EXPECT_FALSE(memory.empty());
    EXPECT_EQ(memory, stream);
  }
}

// One inflate state serves stream after stream: nothing left of a stream
// that ended early, failed or had bytes behind it reaches the next.
TEST(MyZStreamUnit, InMemoryStreamsAfterOneAnotherDecodeAlone) {
  const Bytes first = Noise(5000, 6), second = Noise(300, 7);
  Bytes trailing = DeflateBytes(first, 9);
  trailing.insert(trailing.end(), {1, 2, 3, 4, 5});
  const Bytes z = DeflateBytes(second, 1);
  const Bytes cut(z.begin(), z.begin() + std::ptrdiff_t(z.size() / 2));
  EXPECT_EQ(InflateBytes(trailing.data(), trailing.size()), first);
  EXPECT_EQ(InflateBytes(z.data(), z.size()), second);
  EXPECT_THROW(InflateBytes(cut.data(), cut.size()), ECompressionError);
  EXPECT_EQ(InflateBytes(z.data(), z.size()), second);
  EXPECT_EQ(InflateBytes(trailing.data(), trailing.size()), first);
}

TEST(MyZStreamUnit, OutputPastTheSizeLimitRaises) {
  Bytes zeros(kMaxDecodedSize + 1);
  Bytes bomb = DeflateBytes(zeros, 1);
  zeros = Bytes();
  EXPECT_LT(bomb.size(), size_t(1) << 20);
  TMemoryStream source(bomb);
  TMemoryStream destination;
  EXPECT_THROW(InflateStream(source, destination), ECompressionError);
  EXPECT_LE(destination.Size(), int64_t(kMaxDecodedSize));
  EXPECT_THROW(InflateBytes(bomb.data(), bomb.size()), ECompressionError);
}

TEST(MyZStreamUnit, InMemoryOutputGrowsPastManyBuffersAndIgnoresBytesAfterTheStream) {
  for (size_t n : {size_t(0), size_t(1), size_t(32768), size_t(32769), size_t(3) << 20}) {
    Bytes data(n);
    for (size_t i = 0; i < n; ++i) data[i] = uint8_t(i / 5000);  // long runs: a thousand to one
    Bytes z = DeflateBytes(data, 9);
    z.insert(z.end(), {0x78, 0x9C, 0xFF});
    EXPECT_EQ(InflateBytes(z.data(), z.size()), data) << n;
  }
}

}  // namespace
}  // namespace zorbin
