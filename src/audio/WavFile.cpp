// WavFile: the chunk walk of a WAVE file, PCM decoding, resampling by linear
// interpolation, and the writer's header.
#include "audio/WavFile.h"

#include "audio/Synth.h"
#include "util/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace zorbin {

namespace {

constexpr uint32_t kHeaderBytes = 44;
constexpr uint32_t kMaxDataBytes = UINT32_MAX - kHeaderBytes;
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

struct TWavFormat {
  uint16_t Format = 0, Channels = 0, Bits = 0;
  uint32_t Rate = 0;
};

bool Tag(const std::vector<uint8_t>& b, size_t pos, const char* tag) {
  return pos + 4 <= b.size() && std::memcmp(b.data() + pos, tag, 4) == 0;
}

// The format's problem, or an empty string when the mixer can use it.
std::string CheckFormat(const TWavFormat& f) {
  if (f.Format != kFormatPcm) return "it is not PCM (format " + std::to_string(f.Format) + ")";
  if (f.Channels < 1 || f.Channels > 2) return "it has " + std::to_string(f.Channels) + " channels, not 1 or 2";
  if (f.Bits != 8 && f.Bits != 16) return "it has " + std::to_string(f.Bits) + " bits a sample, not 8 or 16";
  if (f.Rate < 4000 || f.Rate > 192000) return "its rate " + std::to_string(f.Rate) + " Hz is not 4000 to 192000";
  return std::string();
}

TWavFormat ReadFormat(const uint8_t* p, uint32_t length) {
  TWavFormat f{LoadLE16(p), LoadLE16(p + 2), LoadLE16(p + 14), LoadLE32(p + 4)};
  // An extensible header names its real format in the first bytes of its GUID.
  if (f.Format == kFormatExtensible && length >= 40) f.Format = LoadLE16(p + 24);
  return f;
}

// Mono 16-bit samples of the data, channels averaged.
std::vector<int16_t> DecodePcm(const uint8_t* data, size_t frames, const TWavFormat& f) {
  std::vector<int16_t> out(frames);
  size_t bytesPerSample = f.Bits / 8;
  for (size_t i = 0; i < frames; ++i) {
    int sum = 0;
    for (size_t c = 0; c < f.Channels; ++c) {
      const uint8_t* p = data + (i * f.Channels + c) * bytesPerSample;
      sum += f.Bits == 8 ? (int(p[0]) - 128) * 256 : int(int16_t(LoadLE16(p)));
    }
    out[i] = int16_t(sum / int(f.Channels));
  }
  return out;
}

std::vector<int16_t> Resample(const std::vector<int16_t>& in, uint32_t rate) {
  if (rate == uint32_t(kSampleRate) || in.empty()) return in;
  size_t count = size_t((uint64_t(in.size()) - 1) * kSampleRate / rate + 1);
  std::vector<int16_t> out(count);
  // Positions in the input in 32.32 fixed point.
  uint64_t step = (uint64_t(rate) << 32) / uint64_t(kSampleRate);
  uint64_t pos = 0;
  for (size_t i = 0; i < count; ++i, pos += step) {
    size_t k = size_t(pos >> 32);
    int a = in[k], b = k + 1 < in.size() ? in[k + 1] : a;
    int64_t frac = int64_t(pos & 0xFFFFFFFFu);
    out[i] = int16_t(a + ((int64_t(b - a) * frac) >> 32));
  }
  return out;
}

}  // namespace

bool ReadWav(const std::vector<uint8_t>& bytes, std::vector<int16_t>& samples, std::string& error) {
  if (!Tag(bytes, 0, "RIFF") || !Tag(bytes, 8, "WAVE")) {
    error = "not a RIFF WAVE file";
    return false;
  }
  TWavFormat format;
  bool haveFormat = false;
  const uint8_t* data = nullptr;
  size_t dataBytes = 0;
  // Positions in 64 bits: a chunk's length may be anything, and size_t has
  // 32 in the browser build.
  for (uint64_t pos = 12; pos + 8 <= bytes.size();) {
    uint32_t length = LoadLE32(bytes.data() + pos + 4);
    uint64_t body = pos + 8, available = bytes.size() - body;
    if (Tag(bytes, pos, "fmt ") && length >= 16 && length <= available) {
      format = ReadFormat(bytes.data() + body, length);
      haveFormat = true;
    } else if (Tag(bytes, pos, "data") && !data) {
      // A file cut short keeps the samples it has.
      data = bytes.data() + body;
      dataBytes = size_t(std::min<uint64_t>(length, available));
    }
    pos = body + length + (length & 1);
  }
  if (!haveFormat || !data) error = haveFormat ? "it has no data chunk" : "it has no fmt chunk";
  if (error.empty()) error = CheckFormat(format);
  if (!error.empty()) return false;
  size_t frames = dataBytes / (size_t(format.Channels) * format.Bits / 8);
  uint64_t playMs = frames * uint64_t(1000) / format.Rate;
  if (frames == 0 || playMs > uint64_t(kMaxSoundMs)) {
    error = frames == 0 ? "it holds no samples"
                        : "it plays " + std::to_string(playMs) + " ms; a sound is at most " +
                              std::to_string(kMaxSoundMs) + " ms";
    return false;
  }
  samples = Resample(DecodePcm(data, frames, format), format.Rate);
  return true;
}

TWavWriter::TWavWriter(const std::string& fileName) : file_(fileName, TFileMode::Create) {
  std::vector<uint8_t> header(kHeaderBytes, 0);
  file_.WriteBuffer(header.data(), header.size());
}

TWavWriter::~TWavWriter() {
  try {
    Close();
  } catch (const std::exception&) {
    // Close reports failures to callers that want them; here nobody listens.
  }
}

void TWavWriter::Write(const int16_t* stereo, int frames) {
  if (closed_ || frames <= 0) return;
  uint32_t room = (kMaxDataBytes - frames_ * 4u) / 4u;
  uint32_t n = std::min<uint32_t>(uint32_t(frames), room);
  bytes_.resize(size_t(n) * 4);
  for (uint32_t i = 0; i < n * 2; ++i) StoreLE16(bytes_.data() + i * 2, uint16_t(stereo[i]));
  file_.WriteBuffer(bytes_.data(), bytes_.size());
  frames_ += n;
}

void TWavWriter::Close() {
  if (closed_) return;
  closed_ = true;
  uint32_t dataBytes = frames_ * 4u;
  uint8_t h[kHeaderBytes];
  std::memcpy(h, "RIFF", 4);
  StoreLE32(h + 4, dataBytes + kHeaderBytes - 8);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  StoreLE32(h + 16, 16);
  StoreLE16(h + 20, kFormatPcm);
  StoreLE16(h + 22, 2);
  StoreLE32(h + 24, kSampleRate);
  StoreLE32(h + 28, kSampleRate * 4);
  StoreLE16(h + 32, 4);
  StoreLE16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  StoreLE32(h + 40, dataBytes);
  file_.SetPosition(0);
  file_.WriteBuffer(h, sizeof h);
  file_.Flush();
}

}  // namespace zorbin
