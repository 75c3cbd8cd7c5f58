// ApngWriterUnit: the animated PNG's chunks, frame by frame.
#include "pictures/ApngWriterUnit.h"

#include "pictures/PngWriterUnit.h"
#include "util/ByteOrder.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace zorbin {

namespace {

// Signature and IHDR chunk come first; acTL follows at this offset.
constexpr long kAnimationControlAt = 8 + 25;
// A capture is written once and kept: the smallest file is worth the time.
constexpr int kDeflateLevel = 9;

struct TRectangle {
  int X = 0, Y = 0, Width = 0, Height = 0;
};

void PutBE16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  out.resize(out.size() + 4);
  StoreBE32(&out[out.size() - 4], v);
}

std::vector<uint8_t> AnimationControl(uint32_t frames) {
  std::vector<uint8_t> data;
  PutBE32(data, frames);
  PutBE32(data, 0);  // plays: 0 loops for ever
  std::vector<uint8_t> chunk;
  AppendPNGChunk(chunk, "acTL", data);
  return chunk;
}

// The smallest rectangle holding every pixel where the two frames differ; a
// frame equal to the one before still needs one pixel (a frame is never empty).
TRectangle ChangedRectangle(const uint8_t* before, const uint8_t* now, int width, int height) {
  const size_t rowBytes = size_t(width) * 3;
  auto rowDiffers = [&](int y) { return std::memcmp(before + y * rowBytes, now + y * rowBytes, rowBytes) != 0; };
  auto pixelDiffers = [&](int x, int y) {
    size_t at = size_t(y) * rowBytes + size_t(x) * 3;
    return std::memcmp(before + at, now + at, 3) != 0;
  };
  int top = 0;
  while (top < height && !rowDiffers(top)) ++top;
  if (top == height) return TRectangle{0, 0, 1, 1};
  int bottom = height - 1;
  while (!rowDiffers(bottom)) --bottom;
  int left = width, right = -1;
  for (int y = top; y <= bottom; ++y) {
    for (int x = 0; x < left; ++x)
      if (pixelDiffers(x, y)) {
        left = x;
        break;
      }
    for (int x = width - 1; x > right; --x)
      if (pixelDiffers(x, y)) {
        right = x;
        break;
      }
  }
  return TRectangle{left, top, right - left + 1, bottom - top + 1};
}

// The rectangle of now as R, G, B, A rows: a pixel that differs from before
// is opaque, one that does not is transparent (and black), so the rectangle
// drawn over the frame before leaves it where nothing changed, and long runs
// of transparent pixels pack small.
std::vector<uint8_t> ChangedPixels(const uint8_t* before, const uint8_t* now, int width, TRectangle r) {
  std::vector<uint8_t> rgba(size_t(r.Width) * size_t(r.Height) * 4);
  uint8_t* to = rgba.data();
  for (int y = r.Y; y < r.Y + r.Height; ++y)
    for (int x = r.X; x < r.X + r.Width; ++x, to += 4) {
      size_t at = (size_t(y) * size_t(width) + size_t(x)) * 3;
      if (before && std::memcmp(before + at, now + at, 3) == 0) continue;
      std::memcpy(to, now + at, 3);
      to[3] = 255;
    }
  return rgba;
}

}  // namespace

TApngWriter::~TApngWriter() {
  if (out_) std::fclose(out_);
}

bool TApngWriter::Open(const std::string& fileName, uint32_t plannedFrames) {
  fileName_ = fileName;
  planned_ = plannedFrames;
  out_ = std::fopen(fileName.c_str(), "wb");
  return out_ != nullptr;
}

bool TApngWriter::Write(const std::vector<uint8_t>& bytes) {
  if (!failed_ && std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) failed_ = true;
  return !failed_;
}

void TApngWriter::WriteFrameControl(int x, int y, int width, int height) {
  std::vector<uint8_t> data;
  PutBE32(data, sequence_++);
  PutBE32(data, uint32_t(width));
  PutBE32(data, uint32_t(height));
  PutBE32(data, uint32_t(x));
  PutBE32(data, uint32_t(y));
  PutBE16(data, 1);  // shown 1/100 s
  PutBE16(data, 100);
  data.push_back(0);  // dispose: none, the next frame draws over this one
  // Blend: the first frame replaces the empty canvas, a later one is drawn
  // over the frame before.
  data.push_back(frames_ == 0 ? 0 : 1);
  std::vector<uint8_t> chunk;
  AppendPNGChunk(chunk, "fcTL", data);
  Write(chunk);
}

bool TApngWriter::AddFrame(int width, int height, const std::vector<uint8_t>& rgb) {
  if (!out_ || failed_ || width <= 0 || height <= 0 || rgb.size() != size_t(width) * size_t(height) * 3) return false;
  if (frames_ > 0 && (width != width_ || height != height_)) return false;
  std::vector<uint8_t> chunks;
  if (frames_ == 0) {
    width_ = width;
    height_ = height;
    chunks = PNGStart(width, height, true);
    std::vector<uint8_t> control = AnimationControl(planned_);
    chunks.insert(chunks.end(), control.begin(), control.end());
    Write(chunks);
    // The first frame is the picture's default image too, for viewers
    // that show no animation.
    WriteFrameControl(0, 0, width, height);
    chunks.clear();
    std::vector<uint8_t> rgba = ChangedPixels(nullptr, rgb.data(), width, TRectangle{0, 0, width, height});
    AppendPNGChunk(chunks, "IDAT",
                   DeflateRows(rgba.data(), size_t(width) * 4, height, size_t(width) * 4, kDeflateLevel));
  } else {
    TRectangle r = ChangedRectangle(previous_.data(), rgb.data(), width, height);
    WriteFrameControl(r.X, r.Y, r.Width, r.Height);
    std::vector<uint8_t> rgba = ChangedPixels(previous_.data(), rgb.data(), width, r);
    std::vector<uint8_t> data;
    PutBE32(data, sequence_++);
    std::vector<uint8_t> packed =
        DeflateRows(rgba.data(), size_t(r.Width) * 4, r.Height, size_t(r.Width) * 4, kDeflateLevel);
    data.insert(data.end(), packed.begin(), packed.end());
    AppendPNGChunk(chunks, "fdAT", data);
  }
  if (!Write(chunks)) return false;
  previous_ = rgb;
  ++frames_;
  return true;
}

bool TApngWriter::Finish() {
  if (!out_) return false;
  bool ok = frames_ > 0;
  if (ok) {
    std::vector<uint8_t> end;
    AppendPNGChunk(end, "IEND", {});
    Write(end);
    if (frames_ != planned_) {
      if (std::fseek(out_, kAnimationControlAt, SEEK_SET) == 0)
        Write(AnimationControl(frames_));
      else
        failed_ = true;
    }
  }
  ok = std::fclose(out_) == 0 && ok && !failed_;
  out_ = nullptr;
  previous_.clear();
  // A file cut off in the middle of a chunk is no picture either. Only a
  // plain file goes: a device such as /dev/null named as the file stays.
  std::error_code ec;
  if (!ok && std::filesystem::is_regular_file(fileName_, ec)) std::filesystem::remove(fileName_, ec);
  return ok;
}

}  // namespace zorbin
