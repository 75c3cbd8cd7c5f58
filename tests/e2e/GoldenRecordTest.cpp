// Frame checksums of a short run of the default pack: each names exactly the
// picture a screenshot of that frame holds, and a record that disagrees is
// named at its first differing frame and shown as pictures.
#include "GoldenRecord.h"
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

namespace zorbin::e2e {
namespace {

uint32_t BigEndian32(const std::string& bytes, size_t at) {
  return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
         uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

// CRC-32 of an 8-bit RGB PNG's pixels as R, G, B bytes (rows unfiltered, as
// the screenshots are written); 0 when the file is not such a PNG.
uint32_t PngPixelChecksum(const std::string& png) {
  if (png.size() < 33 || png.compare(1, 3, "PNG") != 0) return 0;
  uint32_t width = BigEndian32(png, 16), height = BigEndian32(png, 20);
  std::string packed;
  for (size_t at = 8; at + 8 <= png.size();) {
    uint32_t length = BigEndian32(png, at);
    if (png.compare(at + 4, 4, "IDAT") == 0) packed += png.substr(at + 8, length);
    at += 12 + size_t(length);
  }
  size_t rowBytes = size_t(width) * 3;
  std::string raw(size_t(height) * (rowBytes + 1), '\0');
  uLongf rawSize = uLongf(raw.size());
  if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize, reinterpret_cast<const Bytef*>(packed.data()),
                 uLong(packed.size())) != Z_OK ||
      rawSize != raw.size())
    return 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  for (size_t y = 0; y < height; ++y) {
    if (raw[y * (rowBytes + 1)] != 0) return 0;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(raw.data()) + y * (rowBytes + 1) + 1, uInt(rowBytes));
  }
  return uint32_t(crc);
}

TEST(GoldenRecord, ChecksumsNameTheShownPictureAndAMismatchIsShown) {
  test::TTempDir folder, out;
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", folder.File("Zorbin.data"));
  std::filesystem::copy_file(std::string(ZORBIN_SOURCE_DIR) + "/data/solutions/map_a.txt", folder.File("input.txt"));
  const std::string arguments = "--seed 5 --input input.txt --max-frames 120 -nolog";
  TRunResult run = RunDemo(folder.Path(), arguments + " --checksums frames.txt");
  EXPECT_EQ(run.ExitStatus, 2);
  TGoldenRecord record = TGoldenRecord::OfRun(run.Output, test::ReadFileText(folder.File("frames.txt")));
  EXPECT_EQ(record.Visits, std::vector<std::string>{"visit 0 Map_Select"});
  EXPECT_EQ(record.LastLine, "frames 120 exit 2");
  // Every 50th frame, then the last one.
  ASSERT_EQ(record.Frames.size(), 3u) << run.Output;
  EXPECT_EQ(record.Frames[0].Frame, 50u);
  EXPECT_EQ(record.Frames[1].Frame, 100u);
  EXPECT_EQ(record.Frames[2].Frame, 120u);
  EXPECT_NE(record.Frames[0].Crc, record.Frames[1].Crc);  // the title card, then the map
  EXPECT_EQ(FirstMismatch(record, record).Frame, 0u);

  TGoldenRecord golden = record;
  golden.Frames[2].Crc ^= 1;
  TFrameMismatch mismatch = FirstMismatch(golden, record);
  EXPECT_EQ(mismatch.Frame, 120u);
  EXPECT_EQ(mismatch.Neighbour, 100u);
  std::string shots = out.File("shots");
  std::string report = ShowMismatch(folder.Path(), arguments, mismatch, 120, shots);
  EXPECT_EQ(report.rfind("the picture differs first at frame 120 (frame 100 still matches); pictures: ", 0), 0u)
      << report;
  EXPECT_EQ(PngPixelChecksum(test::ReadFileText(shots + "/frame-120-differs.png")), record.Frames[2].Crc);
  EXPECT_EQ(PngPixelChecksum(test::ReadFileText(shots + "/frame-100-matches.png")), record.Frames[1].Crc);

  // A run that ends sooner differs at the first frame it lacks; a change at
  // the first checked frame has no matching neighbour.
  TGoldenRecord shorter = record;
  shorter.Frames.pop_back();
  EXPECT_EQ(FirstMismatch(record, shorter).Frame, 120u);
  EXPECT_EQ(FirstMismatch(shorter, record).Frame, 120u);
  golden = record;
  golden.Frames[0].Crc ^= 0x80000000u;
  mismatch = FirstMismatch(golden, record);
  EXPECT_EQ(mismatch.Frame, 50u);
  EXPECT_EQ(mismatch.Neighbour, 0u);
}

}  // namespace
}  // namespace zorbin::e2e
