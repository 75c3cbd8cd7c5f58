// ImageUnit: TImage, the drawable picture of the game (one SDL software
// surface at the display's depth plus the animation data its file carried),
// its drawing primitives, and loading by name: frame groups, the transform
// suffix, the conversion of raw pictures and the cutting of frame strips.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TMemoryStream;
class TRawPicture;
class TStream;

// An inclusive range of 0-based frame numbers.
struct TFrameCut {
  int32_t First = -1;
  int32_t Last = -1;
};
using TFrameList = std::vector<TFrameCut>;

// Removes every complete "[...]" group from name and returns the cuts they
// select, in name order. Parsing stops at a '[' without a later ']', which
// stays in the name. Groups that select nothing are dropped.
TFrameList ParseFrameList(std::string& name);
// Splits "file:transform" when the first ':' stands at the third character
// or later (a drive letter "C:" is not a suffix). Returns false, leaving
// fileName = name, when there is no transform.
bool SplitTransformSuffix(const std::string& name, std::string& fileName, std::string& transform);

// Bits per pixel of every surface image code creates: 24 until the display
// sets its own depth.
int ImageDepth();
void SetImageDepth(int depth);

// The pixel memory all images together may hold. Object and list files name
// pictures as often as they like (a group of groups, thousands of entries),
// each time for a picture of its own: the whole game needs a few MB, and a
// surface that would take the images past this is refused as one SDL cannot
// make.
inline constexpr size_t kMaxImageBytes = size_t(64) << 20;
// The pixel memory of the surfaces images own now.
size_t ImageBytes();

class TImage {
 public:
  // No surface; the shell sets Surface to the screen or back buffer.
  TImage() = default;
  // A black W x H surface at the image depth. Logs and raises
  // "Cannot create surface (WxH)" when SDL cannot make it or it would take
  // the images past kMaxImageBytes.
  TImage(int width, int height);
  // Loads a picture by name with frame groups and a transform suffix
  // ("airm[0..47].tga", "x.tga:H"). A file that cannot be decoded leaves the
  // image without surface; a missing file raises.
  explicit TImage(const std::string& name);
  ~TImage();
  TImage(const TImage&) = delete;
  TImage& operator=(const TImage&) = delete;

  // Frees the surface unless it was only wrapped (the screen surfaces).
  void SetSurface(SDL_Surface* surface, bool owned);
  int Width() const { return Surface ? Surface->w : 0; }
  int Height() const { return Surface ? Surface->h : 0; }
  // Surface width div FrameCount (whole width when not animated); 0 without a surface.
  int FrameWidth() const;

  void Draw(int x, int y, const TImage* src);
  void DrawPart(int x, int y, int srcX, int srcY, int srcW, int srcH, const TImage* src);
  void FillRect(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b);
  void Rectangle(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b);
  uint32_t GetPixel(int x, int y) const;
  void PutPixelRaw(int x, int y, uint32_t value);
  void PutPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b);
  void Tile(const TImage* src);
  uint32_t MapRGB(uint8_t r, uint8_t g, uint8_t b) const;
  // Applies the colour-key convention: black transparent when ColorKeyed.
  void ApplyColorKey();
  // Loads the named picture, draws it at (x, y) and frees it.
  void DrawFile(int x, int y, const std::string& name);

  // The raw picture's pixels on a new image with the animation fields of its
  // info bytes; no frame selection.
  static std::unique_ptr<TImage> CreateFromRawPicture(const TRawPicture& raw);
  // An image from a grey map (width, height as 16-bit values, then one grey
  // byte per pixel), each level g tinted to (g*R shr 8, g*G shr 8, g*B shr 8).
  // The stream's position is kept. Raises EStreamError on a short map.
  static std::unique_ptr<TImage> CreateFromGreyMap(TStream& stream, uint8_t r, uint8_t g, uint8_t b);
  // A new surface at the image depth holding the raw picture's pixels; the
  // caller owns it. Raises like TImage(W, H) when it cannot be made.
  static SDL_Surface* RawToSurface(const TRawPicture& raw);
  // Animation fields from the raw picture's info bytes (kinds 1 and 2);
  // sets the colour key on the surface when the picture asks for it.
  void SetAnimInfo(const TRawPicture& raw);
  // Keeps only the selected frames, in list order, as a compact strip.
  // Frames outside the old strip come out black. Does nothing without a
  // surface, without frames or with an empty list.
  void ClipFrames(const TFrameList& list);

  SDL_Surface* Surface = nullptr;
  bool Animated = false;
  bool RandomStartFrame = false;
  bool Looped = false;
  bool Paused = false;
  bool ColorKeyed = false;
  int32_t FrameCount = 0;
  int32_t FrameDelay = 0;
  int32_t LoopDelay = 0;
  int32_t StartFrame = 0;

 private:
  // Takes surface as the image's own, counting its pixels.
  void Own(SDL_Surface* surface);
  // Frees the surface when the image owns it.
  void Release();

  bool ownsSurface_ = true;
};

// Run-length accelerated (colour-keyed) surfaces keep their pixels encoded
// between blits; a lock decodes them. Locks nest, so code that touches many
// pixels locks once around them and the locks of the pixel operations cost
// nothing.
class TSurfaceLock {
 public:
  explicit TSurfaceLock(SDL_Surface* surface);
  ~TSurfaceLock();
  TSurfaceLock(const TSurfaceLock&) = delete;
  TSurfaceLock& operator=(const TSurfaceLock&) = delete;
  // The pixels may be touched (false without a surface or when locking failed).
  bool Ok() const { return ok_; }

 private:
  SDL_Surface* surface_;
  bool locked_ = false;
  bool ok_ = false;
};

// A software surface at the image depth with SDL's default masks; nullptr on failure.
SDL_Surface* CreateImageSurface(int width, int height);

// The grey map of an image, as CreateFromGreyMap reads it: width and height
// as 16-bit little-endian, then one grey byte per pixel (30 R + 59 G + 11 B
// of the raw pixel value, div 100). The caller owns the stream, at position 0.
std::unique_ptr<TMemoryStream> ImageToGrayStream(const TImage* image);

}  // namespace zorbin
