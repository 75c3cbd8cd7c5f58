// RawPictureUnit: TRawPicture, a picture as plain 24-bit pixels with the
// side information (info bytes) its file carried; the picture-file
// dispatcher and the readers of TGA, BMP, CEL, MI, KEP, K16 and GSD files.
// The transform commands are in RawTransform.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace zorbin {

class TStream;

// An allocator whose vectors leave the elements they add by resize()
// uninitialised: a pixel buffer that a reader writes completely is not
// cleared first. Everything else behaves as std::allocator.
template <typename T>
struct TUninitialisedAllocator : std::allocator<T> {
  using value_type = T;
  template <typename U>
  struct rebind {
    using other = TUninitialisedAllocator<U>;
  };
  TUninitialisedAllocator() noexcept = default;
  template <typename U>
  TUninitialisedAllocator(const TUninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// Pixel bytes: resize() leaves new bytes as they are; assign() and the
// sized constructors with a value set them.
using TPixelBytes = std::vector<uint8_t, TUninitialisedAllocator<uint8_t>>;
// Pixel bytes compare with plain bytes by content.
bool operator==(const TPixelBytes& a, const std::vector<uint8_t>& b);

class TRawPicture {
 public:
  // The largest width or height any reader accepts (a 16-bit side).
  static constexpr int32_t kMaxSide = 65535;
  // The largest pixel buffer any reader allocates.
  static constexpr size_t kMaxDataBytes = size_t(256) << 20;
  // Readers refuse what the data cannot hold, not what is large: pixels
  // stored one by one must all be in the file, run-length packets make at
  // most 128 pixels each, and both are checked before the buffer is
  // allocated. A picture that is sized without pixels to decode (a type or
  // depth no reader decodes, TGA type 0) has no data to vouch for its size:
  // it may allocate at most this much (a picture twice the screen's sides
  // and more), and every step after reading (surface, grey map, masks)
  // works over that many pixels again.
  static constexpr size_t kMaxUndecodedBytes = size_t(4) << 20;

  TRawPicture() = default;
  // A W x H picture (negative sizes count as 0), pixels black.
  TRawPicture(int32_t width, int32_t height);

  int32_t Width = 0;
  int32_t Height = 0;
  // Width * Height pixels of 3 bytes (blue, green, red), rows top to bottom.
  TPixelBytes Data;
  // What Info holds: 0 nothing, 1 short animation info (2 bytes), 2 long
  // animation info (16 bytes), 3 font glyph table (32 bytes + 8 per glyph),
  // 255 anything else.
  int32_t InfoKind = 0;
  std::vector<uint8_t> Info;

  // Info[index], 0 outside Info.
  uint8_t GetInfoByte(int index) const;
  // Frame count from the animation info: byte 0 + (byte 1 and 0x0F) * 256.
  int32_t FrameCount() const;

  // Reads a picture file with the reader its extension selects (a trailing
  // ".ZL" is looked through). An unknown extension logs an error and leaves
  // the picture as it was. Missing files and short streams raise.
  void ReadFile(const std::string& name);

  // Each named reader adds its default extension where the name has none,
  // opens the file through the stream opener and reads it with the stream
  // form, which starts at the stream's current position.
  void ReadTGA(const std::string& name);
  void ReadTGAStream(TStream& stream);
  void ReadBMP(const std::string& name);
  void ReadBMPStream(TStream& stream);
  void ReadCEL(const std::string& name);
  void ReadCELStream(TStream& stream);
  void ReadMI(const std::string& name);
  void ReadMIStream(TStream& stream);
  void ReadKEP(const std::string& name);
  void ReadKEPStream(TStream& stream);
  void ReadK16(const std::string& name);
  void ReadK16Stream(TStream& stream);
  void ReadGSD(const std::string& name);
  void ReadGSDStream(TStream& stream);

  // Transform commands H, V, I, R, r and D. On an animated strip every frame
  // is transformed by itself; D (enlarge) is applied last to the whole picture.
  void MultiTransform(const std::string& commands);
  // The commands one by one on the whole picture; no frames, no D.
  void MultiTransformEx(const std::string& commands);
  void MirrorHorizontal();
  void FlipVertical();
  void Invert();
  void Rotate(bool clockwise);
  // Refused (with a warning) when the result would exceed kMaxSide or
  // kMaxUndecodedBytes.
  void DoubleSize();

  // Sizes the picture W x H with black pixels; the info stays. A negative
  // side counts as 0; a side of 0 leaves no pixels but keeps the other side.
  void SetSize(int32_t width, int32_t height);

 private:
  // As SetSize, the pixels left as the allocation finds them, for a reader
  // that writes every one.
  void SetSizeUncleared(int32_t width, int32_t height);
  void Clear();
  void StackToStrip();
  void TransformFrames(const std::string& commands, int32_t frames, int32_t frameWidth);
};

// "name" with ext (".tga") appended when it has no '.' after its first
// character and does not already end in the extension's letters.
std::string AddDefaultExtension(const std::string& name, const std::string& ext);

}  // namespace zorbin
