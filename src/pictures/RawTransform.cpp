// RawTransform: transform commands of raw pictures, one by one and per
// animation frame.
#include "pictures/RawTransform.h"

#include "log/Logger.h"
#include "pictures/RawPictureUnit.h"
#include "util/QXToolbox.h"

#include <cstring>

namespace zorbin {

namespace {

const char* const kMultiContext = "RawPictureUnit, TRawPicture.MultiTransform";
const char* const kMultiExContext = "RawPictureUnit, TRawPicture.MultiTransformEx";
const char* const kTransformContext = "RAWTRANSFORM, TransformRawImage";
const char* const kDoubleContext = "RawPictureUnit, TRawPicture.DoubleSize";

}  // namespace

bool TransformRawImage(TRawPicture& picture, char command) {
  switch (command) {
    case 'H': picture.MirrorHorizontal(); return true;
    case 'V': picture.FlipVertical(); return true;
    case 'I': picture.Invert(); return true;
    case 'R': picture.Rotate(true); return true;
    case 'r': picture.Rotate(false); return true;
    default:
      Log->Warning("Unknown transformation command (" + std::string(1, command) + ")", kTransformContext);
      return false;
  }
}

void TRawPicture::MultiTransform(const std::string& commands) {
  if (Trim(commands).empty()) {
    Log->Debug("No transformation needed.", kMultiContext);
    return;
  }
  Log->Debug("Starting...", kMultiContext);
  Log->Debug("Transformation string: " + commands, kMultiContext);
  // Enlarging is taken out and done last, on the whole picture; the letter
  // count is kept in a byte.
  uint8_t doublings = 0;
  std::string rest;
  for (char c : commands) {
    if (c == 'D')
      ++doublings;
    else
      rest += c;
  }
  Log->Debug("Size: " + IntToStr(Width) + "x" + IntToStr(Height), kMultiContext);
  const int32_t frames = (InfoKind == 1 || InfoKind == 2) ? FrameCount() : 0;
  if (frames != 0) {
    Log->Debug("Animated.", kMultiContext);
    Log->Debug("Framecount: " + IntToStr(frames), kMultiContext);
    const int32_t frameWidth = Width / frames;
    Log->Debug("Framewidth: " + IntToStr(frameWidth), kMultiContext);
    // More frames than columns: the frames hold no pixels to transform.
    if (frameWidth > 0) TransformFrames(rest, frames, frameWidth);
  } else {
    Log->Debug("Not animated.", kMultiContext);
    MultiTransformEx(rest);
  }
  for (int i = 0; i < doublings; ++i) {
    const int32_t before = Width;
    DoubleSize();
    if (Width == before) break;  // refused; later ones would be too
  }
}

// Each frame goes through the commands by itself. When the commands change
// the frame's shape (a rotation of frames that are not square) the strip is
// rebuilt from the new frames, side by side in their order; columns right of
// the last whole frame are then dropped. Otherwise frames are written back
// in place and such columns stay as they were.
void TRawPicture::TransformFrames(const std::string& commands, int32_t frames, int32_t frameWidth) {
  const size_t frameRowBytes = size_t(frameWidth) * 3;
  const size_t rowBytes = size_t(Width) * 3;
  TRawPicture single;
  TPixelBytes rebuilt;
  bool reshaped = false;
  int32_t newFrameWidth = frameWidth;
  int32_t newHeight = Height;
  for (int32_t k = 0; k < frames; ++k) {
    Log->Debug("Processing frame " + IntToStr(k + 1) + ".", kMultiContext);
    Log->Debug("->Single", kMultiContext);
    single.SetSize(frameWidth, Height);
    for (int32_t y = 0; y < Height; ++y)
      std::memcpy(single.Data.data() + size_t(y) * frameRowBytes,
                  Data.data() + size_t(y) * rowBytes + size_t(k) * frameRowBytes, frameRowBytes);
    Log->Debug("Transforming", kMultiContext);
    single.MultiTransform(commands);
    Log->Debug("Single->", kMultiContext);
    if (k == 0 && (single.Width != frameWidth || single.Height != Height)) {
      reshaped = true;
      newFrameWidth = single.Width;
      newHeight = single.Height;
      rebuilt.assign(size_t(frames) * size_t(newFrameWidth) * size_t(newHeight) * 3, 0);
    }
    if (reshaped) {
      const size_t singleRowBytes = size_t(newFrameWidth) * 3;
      const size_t newRowBytes = singleRowBytes * size_t(frames);
      // Frames turned into rows of no pixels have nothing to copy.
      for (int32_t y = 0; y < newHeight && singleRowBytes > 0; ++y)
        std::memcpy(rebuilt.data() + size_t(y) * newRowBytes + size_t(k) * singleRowBytes,
                    single.Data.data() + size_t(y) * singleRowBytes, singleRowBytes);
    } else {
      for (int32_t y = 0; y < Height; ++y)
        std::memcpy(Data.data() + size_t(y) * rowBytes + size_t(k) * frameRowBytes,
                    single.Data.data() + size_t(y) * frameRowBytes, frameRowBytes);
    }
  }
  if (reshaped) {
    Data.swap(rebuilt);
    Width = frames * newFrameWidth;
    Height = newHeight;
  }
}

void TRawPicture::MultiTransformEx(const std::string& commands) {
  const std::string length = IntToStr(int64_t(commands.size()));
  for (size_t i = 0; i < commands.size(); ++i) {
    Log->Debug("[" + IntToStr(int64_t(i + 1)) + "/" + length + "] " + commands[i], kMultiExContext);
    TransformRawImage(*this, commands[i]);
  }
  Log->Debug("Finished.", kMultiExContext);
}

void TRawPicture::MirrorHorizontal() {
  TPixelBytes out(Data.size(), 0);
  for (int32_t y = 0; y < Height; ++y) {
    const uint8_t* src = Data.data() + size_t(y) * size_t(Width) * 3;
    uint8_t* dst = out.data() + size_t(y) * size_t(Width) * 3;
    for (int32_t x = 0; x < Width; ++x) std::memcpy(dst + size_t(Width - 1 - x) * 3, src + size_t(x) * 3, 3);
  }
  Data.swap(out);
}

void TRawPicture::FlipVertical() {
  if (Data.empty()) return;
  TPixelBytes out(Data.size(), 0);
  const size_t rowBytes = size_t(Width) * 3;
  for (int32_t y = 0; y < Height; ++y)
    std::memcpy(out.data() + size_t(y) * rowBytes, Data.data() + size_t(Height - 1 - y) * rowBytes, rowBytes);
  Data.swap(out);
}

void TRawPicture::Invert() {
  for (uint8_t& b : Data) b = uint8_t(255 - b);
}

// Clockwise: new rows are the old columns left to right, each read from the
// bottom up. Counter-clockwise: the old columns right to left, read from the
// top down.
void TRawPicture::Rotate(bool clockwise) {
  const int32_t newWidth = Height;
  const int32_t newHeight = Width;
  TPixelBytes out(Data.size(), 0);
  for (int32_t i = 0; i < newHeight; ++i)
    for (int32_t j = 0; j < newWidth; ++j) {
      const int32_t oldX = clockwise ? i : Width - 1 - i;
      const int32_t oldY = clockwise ? Height - 1 - j : j;
      std::memcpy(out.data() + (size_t(i) * size_t(newWidth) + size_t(j)) * 3,
                  Data.data() + (size_t(oldY) * size_t(Width) + size_t(oldX)) * 3, 3);
    }
  Data.swap(out);
  Width = newWidth;
  Height = newHeight;
}

void TRawPicture::DoubleSize() {
  const int64_t newWidth = int64_t(Width) * 2;
  const int64_t newHeight = int64_t(Height) * 2;
  // Enlarging is asked for by a name's text, which no pixel data backs: the
  // result gets no more memory than a picture sized without pixel data.
  if (newWidth > kMaxSide || newHeight > kMaxSide ||
      uint64_t(newWidth) * uint64_t(newHeight) * 3 > kMaxUndecodedBytes) {
    Log->Warning("Picture too large to double! (" + IntToStr(Width) + "x" + IntToStr(Height) + ")", kDoubleContext);
    return;
  }
  TPixelBytes out(size_t(newWidth * newHeight) * 3, 0);
  for (int64_t y = 0; y < newHeight; ++y) {
    const uint8_t* src = Data.data() + size_t(y / 2) * size_t(Width) * 3;
    uint8_t* dst = out.data() + size_t(y * newWidth) * 3;
    for (int64_t x = 0; x < newWidth; ++x) std::memcpy(dst + size_t(x) * 3, src + size_t(x / 2) * 3, 3);
  }
  Data.swap(out);
  Width = int32_t(newWidth);
  Height = int32_t(newHeight);
}

}  // namespace zorbin
