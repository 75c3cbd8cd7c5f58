// WavFileTest: WAV files read to mono 44,100 Hz (formats, resampling, damaged
// and hostile files) and the writer's bytes.
#include "audio/Synth.h"
#include "audio/WavFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zorbin::wav_test {

std::string Le16(int v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(int(v & 0xFFFF)) + Le16(int(v >> 16)); }
std::string Chunk(const std::string& tag, const std::string& body, uint32_t length) {
  return tag + Le32(length) + body;
}
std::string Chunk(const std::string& tag, const std::string& body) {
  return Chunk(tag, body, uint32_t(body.size())) + (body.size() % 2 ? std::string(1, '\0') : "");
}
std::string Fmt(int format, int channels, uint32_t rate, int bits) {
  int block = channels * bits / 8;
  return Chunk("fmt ",
               Le16(format) + Le16(channels) + Le32(rate) + Le32(rate * uint32_t(block)) + Le16(block) + Le16(bits));
}
std::vector<uint8_t> Riff(const std::string& chunks) {
  std::string file = "RIFF" + Le32(uint32_t(chunks.size() + 4)) + "WAVE" + chunks;
  return std::vector<uint8_t>(file.begin(), file.end());
}

std::string Read(const std::vector<uint8_t>& bytes, std::vector<int16_t>& samples) {
  std::string error;
  bool ok = ReadWav(bytes, samples, error);
  EXPECT_EQ(ok, error.empty());
  return error;
}

TEST(WavFile, StereoIsAveragedAndEightBitsWidened) {
  std::vector<int16_t> s;
  EXPECT_EQ(Read(Riff(Fmt(1, 2, 44100, 16) + Chunk("data", Le16(1000) + Le16(3000) + Le16(-4000) + Le16(0))), s), "");
  EXPECT_EQ(s, (std::vector<int16_t>{2000, -2000}));
  // Other chunks, one of odd length with its pad byte, are stepped over.
  EXPECT_EQ(
      Read(Riff(Chunk("LIST", "abc") + Fmt(1, 1, 44100, 8) + Chunk("data", std::string{'\x80', '\xFF', '\0'})), s), "");
  EXPECT_EQ(s, (std::vector<int16_t>{0, 32512, -32768}));
}

TEST(WavFile, OtherRatesAreResampledTo44100) {
  std::vector<int16_t> s;
  EXPECT_EQ(Read(Riff(Fmt(1, 1, 22050, 8) + Chunk("data", std::string{'\x80', '\xFF', '\0'})), s), "");
  EXPECT_EQ(s, (std::vector<int16_t>{0, 16256, 32512, -128, -32768}));
  std::string second;
  for (int i = 0; i < 8000; ++i) second += Le16(i % 2 ? 1000 : -1000);
  EXPECT_EQ(Read(Riff(Fmt(1, 1, 8000, 16) + Chunk("data", second)), s), "");
  EXPECT_EQ(s.size(), 44095u);  // one second, less the part after the last input sample
}

TEST(WavFile, DamagedAndHostileFilesAreRefusedWithAReason) {
  std::vector<int16_t> s;
  std::string data = Chunk("data", Le16(1) + Le16(2));
  EXPECT_EQ(Read({'R', 'I', 'F', 'F'}, s), "not a RIFF WAVE file");
  EXPECT_EQ(Read(Riff(data), s), "it has no fmt chunk");
  EXPECT_EQ(Read(Riff(Fmt(1, 1, 44100, 16)), s), "it has no data chunk");
  EXPECT_EQ(Read(Riff(Fmt(3, 1, 44100, 16) + data), s), "it is not PCM (format 3)");
  EXPECT_EQ(Read(Riff(Fmt(1, 0, 44100, 16) + data), s), "it has 0 channels, not 1 or 2");
  EXPECT_EQ(Read(Riff(Fmt(1, 1, 44100, 24) + data), s), "it has 24 bits a sample, not 8 or 16");
  EXPECT_EQ(Read(Riff(Fmt(1, 1, 1, 16) + data), s), "its rate 1 Hz is not 4000 to 192000");
  EXPECT_EQ(Read(Riff(Fmt(1, 1, 44100, 16) + Chunk("data", "")), s), "it holds no samples");
  // A chunk that claims more than the file holds ends the walk.
  EXPECT_EQ(Read(Riff(Fmt(1, 1, 44100, 16) + Chunk("junk", "", 0xFFFFFFFF) + data), s), "it has no data chunk");
  EXPECT_EQ(Read(Riff(Chunk("fmt ", "", 0xFFFFFFF0) + data), s), "it has no fmt chunk");
  // 6 s at 4000 Hz: short in bytes, too long in play.
  EXPECT_EQ(Read(Riff(Fmt(1, 1, 4000, 8) + Chunk("data", std::string(24000, '\x80'))), s),
            "it plays 6000 ms; a sound is at most 5000 ms");
}

TEST(WavFile, CutDataKeepsTheSamplesThere) {
  std::vector<int16_t> s;
  EXPECT_EQ(Read(Riff(Fmt(1, 1, 44100, 16) + Chunk("data", Le16(7) + Le16(8) + "\x09", 1000)), s), "");
  EXPECT_EQ(s, (std::vector<int16_t>{7, 8}));
}

TEST(WavFile, WriterWritesA16BitStereoFileThatReadsBack) {
  test::TTempDir dir;
  std::string name = dir.File("out.wav");
  {
    TWavWriter writer(name);
    const int16_t frames[] = {100, 300, -5, -7, 32767, 32767};
    writer.Write(frames, 2);
    writer.Write(frames + 4, 1);
    EXPECT_EQ(writer.Frames(), 3u);
  }
  std::string bytes = test::ReadFileText(name);
  std::string expected = "RIFF" + Le32(36 + 12) + "WAVE" +
                         Chunk("fmt ", Le16(1) + Le16(2) + Le32(44100) + Le32(176400) + Le16(4) + Le16(16)) +
                         Chunk("data", Le16(100) + Le16(300) + Le16(-5) + Le16(-7) + Le16(32767) + Le16(32767));
  EXPECT_EQ(bytes, expected);
  std::vector<int16_t> s;
  EXPECT_EQ(Read(std::vector<uint8_t>(bytes.begin(), bytes.end()), s), "");
  EXPECT_EQ(s, (std::vector<int16_t>{200, -6, 32767}));
}

}  // namespace zorbin::wav_test
