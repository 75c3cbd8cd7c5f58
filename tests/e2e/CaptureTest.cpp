// CaptureTest: animated PNG captures, read back chunk by chunk and frame by
// frame: the writer's changed rectangles rebuild every frame exactly, and
// zorbin-demo --capture holds the frames that --shot saves.
#include "PackBuilder.h"

#include "pictures/ApngWriterUnit.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace zorbin::e2e {
namespace {

uint32_t CaptureBE(const std::string& s, size_t at, int bytes = 4) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | uint8_t(s[at + size_t(i)]);
  return v;
}

// What a PNG or animated PNG file shows. Frames are the full pictures a
// viewer shows, as R, G, B bytes; Problem names the first thing wrong.
struct TDecodedCapture {
  uint32_t Width = 0, Height = 0, AnnouncedFrames = 0;  // acTL's count, 0 without one
  std::vector<uint32_t> Sequence;                       // of fcTL and fdAT chunks, in file order
  std::vector<std::vector<uint32_t>> Rectangles;        // X, Y, W, H of every fcTL
  bool EveryDelayIsOneHundredth = true;
  std::vector<std::vector<uint8_t>> Frames;
  std::string Problem;
};

// Composes each frame's rows (unfiltered, as the writers store them) onto the
// canvas: blend op 0 replaces, 1 draws opaque pixels over what is there.
TDecodedCapture DecodeCapture(const std::string& file) {
  TDecodedCapture d;
  if (file.compare(0, 8, "\x89PNG\r\n\x1A\n", 8) != 0) d.Problem = "no PNG signature";
  size_t channels = 3;
  std::vector<uint8_t> canvas;  // R, G, B, A
  std::vector<uint32_t> rect;
  uint8_t blend = 0;
  std::string packed;
  auto finishFrame = [&] {
    if (packed.empty()) return;
    size_t rowBytes = rect[2] * channels;
    std::vector<uint8_t> raw((rowBytes + 1) * rect[3]);
    uLongf size = uLongf(raw.size());
    if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(packed.data()), uLong(packed.size())) != Z_OK ||
        size != raw.size())
      d.Problem = "a frame does not inflate to its size";
    for (uint32_t y = 0; y < rect[3] && d.Problem.empty(); ++y) {
      if (raw[y * (rowBytes + 1)] != 0) d.Problem = "a filtered row";
      for (uint32_t x = 0; x < rect[2]; ++x) {
        const uint8_t* p = &raw[y * (rowBytes + 1) + 1 + x * channels];
        uint8_t* q = &canvas[((size_t(rect[1]) + y) * d.Width + rect[0] + x) * 4];
        uint8_t alpha = channels == 4 ? p[3] : 255;
        if (alpha != 0 && alpha != 255) d.Problem = "a half transparent pixel";
        if (blend == 1 && alpha == 0) continue;
        std::copy(p, p + 3, q);
        q[3] = alpha;
      }
    }
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < canvas.size(); i += 4) rgb.insert(rgb.end(), &canvas[i], &canvas[i] + 3);
    d.Frames.push_back(std::move(rgb));
    packed.clear();
  };
  for (size_t at = 8; at + 12 <= file.size() && d.Problem.empty();) {
    uint32_t length = CaptureBE(file, at);
    if (length > file.size() - at - 12) break;
    std::string type = file.substr(at + 4, 4), data = file.substr(at + 8, length);
    if (crc32(0L, reinterpret_cast<const Bytef*>(file.data() + at + 4), length + 4) != CaptureBE(file, at + 8 + length))
      d.Problem = type + " has a wrong CRC";
    at += 12 + length;
    if (type == "IHDR") {
      d.Width = CaptureBE(data, 0);
      d.Height = CaptureBE(data, 4);
      channels = data[9] == 6 ? 4 : 3;
      canvas.assign(size_t(d.Width) * d.Height * 4, 0);
      rect = {0, 0, d.Width, d.Height};
    } else if (type == "acTL") {
      d.AnnouncedFrames = CaptureBE(data, 0);
    } else if (type == "fcTL") {
      finishFrame();
      d.Sequence.push_back(CaptureBE(data, 0));
      rect = {CaptureBE(data, 12), CaptureBE(data, 16), CaptureBE(data, 4), CaptureBE(data, 8)};
      d.Rectangles.push_back(rect);
      if (CaptureBE(data, 20, 2) != 1 || CaptureBE(data, 22, 2) != 100) d.EveryDelayIsOneHundredth = false;
      if (data[24] != 0 || rect[0] + rect[2] > d.Width || rect[1] + rect[3] > d.Height) d.Problem = "a bad fcTL";
      blend = uint8_t(data[25]);
    } else if (type == "IDAT" || type == "fdAT") {
      if (type == "fdAT") d.Sequence.push_back(CaptureBE(data, 0));
      packed += type == "fdAT" ? data.substr(4) : data;
    } else if (type == "IEND") {
      finishFrame();
      return d;
    }
  }
  if (d.Problem.empty()) d.Problem = "no IEND";
  return d;
}

TEST(Capture, WriterRebuildsEveryFrameAndCountsTheFramesWritten) {
  test::TTempDir dir;
  const int w = 5, h = 4;
  std::vector<uint8_t> first(w * h * 3);
  for (size_t i = 0; i < first.size(); ++i) first[i] = uint8_t(i * 7);
  std::vector<uint8_t> onePixel = first;
  onePixel[(2 * w + 3) * 3 + 1] ^= 0xFF;  // (3, 2), green
  std::vector<uint8_t> twoCorners = onePixel;
  twoCorners[0] ^= 1;
  twoCorners.back() ^= 1;
  const std::vector<std::vector<uint8_t>> frames = {first, first, onePixel, twoCorners};

  TApngWriter writer;
  ASSERT_TRUE(writer.Open(dir.File("a.png"), 9));  // a run that ended early
  for (const auto& frame : frames) EXPECT_TRUE(writer.AddFrame(w, h, frame));
  EXPECT_FALSE(writer.AddFrame(w + 1, h, std::vector<uint8_t>((w + 1) * h * 3)));
  EXPECT_TRUE(writer.Finish());

  TDecodedCapture d = DecodeCapture(test::ReadFileText(dir.File("a.png")));
  ASSERT_EQ(d.Problem, "");
  EXPECT_EQ(d.AnnouncedFrames, 4u);
  ASSERT_EQ(d.Frames.size(), 4u);
  for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(d.Frames[i], frames[i]) << "frame " << i;
  EXPECT_EQ(d.Sequence, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(d.EveryDelayIsOneHundredth);
  // Only what changed is stored: one pixel for an unchanged frame, the
  // changed pixel, then the rectangle spanning both corners.
  EXPECT_EQ(d.Rectangles[1], (std::vector<uint32_t>{0, 0, 1, 1}));
  EXPECT_EQ(d.Rectangles[2], (std::vector<uint32_t>{3, 2, 1, 1}));
  EXPECT_EQ(d.Rectangles[3], (std::vector<uint32_t>{0, 0, 5, 4}));

  // No frame: no picture, and no file left behind.
  TApngWriter empty;
  ASSERT_TRUE(empty.Open(dir.File("b.png"), 3));
  EXPECT_FALSE(empty.Finish());
  EXPECT_FALSE(test::FileExists(dir.File("b.png")));
  EXPECT_FALSE(TApngWriter().Open(dir.File("no/such/folder.png"), 1));
}

// A folder with the default pack and Map_A's solution as input.txt.
std::string CaptureFolder(const test::TTempDir& folder) {
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", folder.File("Zorbin.data"));
  std::filesystem::copy_file(std::string(ZORBIN_SOURCE_DIR) + "/data/solutions/map_a.txt", folder.File("input.txt"));
  return folder.Path();
}

TEST(Capture, HoldsThePresentedFramesAsShotsSaveThem) {
  test::TTempDir folder;
  std::string dir = CaptureFolder(folder);
  // The figure walks right on Map_A: frames that change in small places.
  TRunResult run = RunDemo(dir,
                           "--seed 5 --input input.txt --max-frames 700 -nolog --capture 640:660:cap.png "
                           "--shot 640:first.png --shot 660:last.png");
  EXPECT_EQ(run.ExitStatus, 2);
  EXPECT_EQ(run.Errors, "");  // no progress line when standard error is a file
  TDecodedCapture cap = DecodeCapture(test::ReadFileText(folder.File("cap.png")));
  ASSERT_EQ(cap.Problem, "");
  EXPECT_EQ(cap.AnnouncedFrames, 21u);
  EXPECT_EQ(cap.Rectangles.size(), 21u);
  ASSERT_EQ(cap.Frames.size(), 21u);
  std::vector<uint32_t> sequence(41);
  for (uint32_t i = 0; i < sequence.size(); ++i) sequence[i] = i;
  EXPECT_EQ(cap.Sequence, sequence);
  EXPECT_TRUE(cap.EveryDelayIsOneHundredth);
  EXPECT_NE(cap.Frames.front(), cap.Frames.back());
  TDecodedCapture first = DecodeCapture(test::ReadFileText(folder.File("first.png")));
  TDecodedCapture last = DecodeCapture(test::ReadFileText(folder.File("last.png")));
  ASSERT_EQ(first.Frames.size(), 1u);
  ASSERT_EQ(last.Frames.size(), 1u);
  EXPECT_TRUE(cap.Frames.front() == first.Frames[0]);
  EXPECT_TRUE(cap.Frames.back() == last.Frames[0]);
}

TEST(Capture, ARunEndingEarlyKeepsTheFramesItShowed) {
  test::TTempDir folder;
  std::string dir = CaptureFolder(folder);
  TRunResult run = RunDemo(dir, "--seed 5 --input input.txt --max-frames 650 -nolog --capture 640:700:cap.png");
  EXPECT_EQ(run.ExitStatus, 2);
  EXPECT_EQ(run.Errors, "zorbin-demo: the run ended at frame 650: cap.png holds frames 640 to 650 (11 of 61)\n");
  TDecodedCapture cap = DecodeCapture(test::ReadFileText(folder.File("cap.png")));
  ASSERT_EQ(cap.Problem, "");
  EXPECT_EQ(cap.AnnouncedFrames, 11u);
  EXPECT_EQ(cap.Frames.size(), 11u);

  test::WriteFileText(folder.File("old.png"), "an older file");
  run = RunDemo(dir, "--seed 5 --input input.txt --max-frames 650 -nolog --capture 651:700:old.png");
  EXPECT_EQ(run.ExitStatus, 2);
  EXPECT_EQ(run.Errors, "zorbin-demo: the run ended at frame 650, before frame 651: no capture written\n");
  EXPECT_FALSE(test::FileExists(folder.File("old.png")));
}

TEST(Capture, ShowsProgressOnATerminal) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1) to lend a terminal";
  test::TTempDir folder;
  std::string dir = CaptureFolder(folder);
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/zorbin-demo", folder.File("zorbin-demo"));
  test::TRun run = test::RunCommand("cd '" + dir +
                                    "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy script -qec './zorbin-demo "
                                    "--max-frames 70 -nolog --capture 61:62:cap.png >/dev/null' /dev/null");
  EXPECT_NE(run.out.find("\rzorbin-demo: capturing frame 62 (2 of 2)"), std::string::npos) << run.out;
}

TEST(Capture, MalformedRangesAreRefused) {
  test::TTempDir folder;
  std::string dir = CaptureFolder(folder);
  const std::pair<const char*, const char*> cases[] = {
      {"9:5:x.png", "--capture needs TO not below FROM, not 9:5"},
      {"0:5:x.png", "--capture counts frames from 1, not 0"},
      {"5:x.png", "--capture needs FROM:TO:FILE, not \"5:x.png\""},
      {"5:9:", "--capture needs FROM:TO:FILE, not \"5:9:\""},
      {"five:9:x.png", "--capture needs frame numbers, not \"five\""},
      {"5::x.png", "--capture needs frame numbers, not \"\""},
  };
  for (const auto& [range, message] : cases) {
    TRunResult run = RunDemo(dir, std::string("--capture '") + range + "' -nolog");
    EXPECT_EQ(run.ExitStatus, 1) << range;
    EXPECT_EQ(run.Output, "frames 0 exit 1\n") << range;
    EXPECT_EQ(run.Errors.substr(0, run.Errors.find('\n')), std::string("zorbin-demo: ") + message);
    EXPECT_FALSE(test::FileExists(folder.File("x.png"))) << range;
  }
  TRunResult twice = RunDemo(dir, "--capture 1:2:a.png --capture 3:4:b.png -nolog");
  EXPECT_EQ(twice.ExitStatus, 1);
  EXPECT_NE(twice.Errors.find("zorbin-demo: --capture is given twice\n"), std::string::npos);
  TRunResult unwritable = RunDemo(dir, "--capture 1:2:no/such/folder.png -nolog");
  EXPECT_EQ(unwritable.ExitStatus, 1);
  EXPECT_NE(unwritable.Errors.find("zorbin-demo: cannot write no/such/folder.png\n"), std::string::npos);
}

}  // namespace
}  // namespace zorbin::e2e
