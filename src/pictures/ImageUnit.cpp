// ImageUnit: surfaces, the colour key, the drawing primitives and loading
// pictures by name into frame strips.
#include "pictures/ImageUnit.h"

#include "log/Diagnostics.h"
#include "log/Logger.h"
#include "pictures/RawPictureUnit.h"
#include "pictures/SurfaceCopy.h"
#include "util/ByteOrder.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <stdexcept>

namespace zorbin {

static int gImageDepth = 24;
static size_t gImageBytes = 0;

int ImageDepth() { return gImageDepth; }
void SetImageDepth(int depth) { gImageDepth = depth; }
size_t ImageBytes() { return gImageBytes; }

static size_t SurfaceBytes(const SDL_Surface* surface) { return size_t(surface->pitch) * size_t(surface->h); }

SDL_Surface* CreateImageSurface(int width, int height) {
  if (width < 0 || height < 0 || width > 32767 || height > 32767) return nullptr;
  return SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, gImageDepth, 0, 0, 0, 0);
}

// Sizes are 64-bit so that a frame selection too large for a surface is
// reported with its real size instead of wrapping. maxBytes bounds the
// pixel memory of surfaces whose size comes from a file's text.
static SDL_Surface* CreateSurfaceOrRaise(int64_t width, int64_t height, int64_t maxBytes = INT64_MAX) {
  SDL_Surface* surface = nullptr;
  const int64_t pixelBytes = std::max(1, (ImageDepth() + 7) / 8);
  const int64_t room = int64_t(kMaxImageBytes - std::min(gImageBytes, kMaxImageBytes));
  // Rows are padded to 4 bytes.
  if (width >= 0 && height >= 0 && width <= INT32_MAX && height <= INT32_MAX &&
      width * height <= maxBytes / pixelBytes && (height == 0 || (width * pixelBytes + 3) / 4 * 4 <= room / height))
    surface = CreateImageSurface(int(width), int(height));
  if (!surface) {
    std::string message = "Cannot create surface (" + IntToStr(width) + "x" + IntToStr(height) + ")";
    Report({.Kind = TDiagnosticKind::BadValue, .Message = message, .Context = "ImageUnit, TImage.Create"});
    throw std::runtime_error(message);
  }
  return surface;
}

// Copies width x height pixels of blue, green, red bytes onto dst through a
// temporary 24-bit surface, converting to dst's depth.
static void BlitBGR(const uint8_t* data, int width, int height, SDL_Surface* dst) {
  if (width <= 0 || height <= 0 || ConvertBGR(data, width, height, dst)) return;
  SDL_Surface* tmp = SDL_CreateRGBSurfaceFrom(const_cast<uint8_t*>(data), width, height, 24, width * 3, 0, 0, 0, 0);
  if (!tmp) return;
  SDL_BlitSurface(tmp, nullptr, dst, nullptr);
  SDL_FreeSurface(tmp);
}

TImage::TImage(int width, int height) {
  Own(CreateSurfaceOrRaise(width, height));
  // SDL clears the pixels of a new surface; black needs another pass only
  // in a format where it is not all zero bits.
  const Uint32 black = SDL_MapRGB(Surface->format, 0, 0, 0);
  if (black != 0) FillSurface(Surface, nullptr, black);
}

TImage::~TImage() { Release(); }

void TImage::Own(SDL_Surface* surface) {
  Surface = surface;
  ownsSurface_ = true;
  if (Surface) gImageBytes += SurfaceBytes(Surface);
}

void TImage::Release() {
  if (Surface && ownsSurface_) {
    gImageBytes -= std::min(gImageBytes, SurfaceBytes(Surface));
    SDL_FreeSurface(Surface);
  }
  Surface = nullptr;
}

void TImage::SetSurface(SDL_Surface* surface, bool owned) {
  if (Surface == surface) {
    // The same surface, now owned or only wrapped.
    if (Surface && ownsSurface_ != owned) {
      const size_t bytes = SurfaceBytes(Surface);
      gImageBytes = owned ? gImageBytes + bytes : gImageBytes - std::min(gImageBytes, bytes);
    }
    ownsSurface_ = owned;
    return;
  }
  Release();
  if (owned) {
    Own(surface);
  } else {
    Surface = surface;
    ownsSurface_ = false;
  }
}

int TImage::FrameWidth() const {
  if (!Surface) return 0;
  return FrameCount > 0 ? Surface->w / FrameCount : Surface->w;
}

static SDL_Rect MakeRect(int x, int y, int w, int h) {
  SDL_Rect r;
  r.x = Sint16(x);
  r.y = Sint16(y);
  r.w = Uint16(w < 0 ? 0 : w);
  r.h = Uint16(h < 0 ? 0 : h);
  return r;
}

void TImage::Draw(int x, int y, const TImage* src) {
  if (!Surface || !src || !src->Surface) return;
  SDL_Rect dst = MakeRect(x, y, 0, 0);
  BlitSurface(src->Surface, nullptr, Surface, &dst);
}

void TImage::DrawPart(int x, int y, int srcX, int srcY, int srcW, int srcH, const TImage* src) {
  if (!Surface || !src || !src->Surface) return;
  SDL_Rect from = MakeRect(srcX, srcY, srcW, srcH);
  SDL_Rect dst = MakeRect(x, y, 0, 0);
  BlitSurface(src->Surface, &from, Surface, &dst);
}

void TImage::FillRect(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  if (!Surface) return;
  SDL_Rect rect = MakeRect(x, y, w, h);
  FillSurface(Surface, &rect, SDL_MapRGB(Surface->format, r, g, b));
}

void TImage::Rectangle(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  FillRect(x, y, w, 1, r, g, b);
  FillRect(x + w - 1, y, 1, h, r, g, b);
  FillRect(x, y, 1, h, r, g, b);
  FillRect(x, y + h - 1, w, 1, r, g, b);
}

TSurfaceLock::TSurfaceLock(SDL_Surface* surface) : surface_(surface) {
  ok_ = surface_ && (!SDL_MUSTLOCK(surface_) || (locked_ = SDL_LockSurface(surface_) == 0));
}

TSurfaceLock::~TSurfaceLock() {
  if (locked_) SDL_UnlockSurface(surface_);
}

uint32_t TImage::GetPixel(int x, int y) const {
  if (!Surface || x < 0 || y < 0 || x >= Surface->w || y >= Surface->h) return 0;
  TSurfaceLock lock(Surface);
  if (!lock.Ok()) return 0;
  int bpp = Surface->format->BytesPerPixel;
  const uint8_t* p = static_cast<const uint8_t*>(Surface->pixels) + y * Surface->pitch + x * bpp;
  switch (bpp) {
    case 1: return p[0];
    case 2: return LoadLE16(p);
    case 3: return LoadLE24(p);
    case 4: return LoadLE32(p);
    default: return 0;
  }
}

void TImage::PutPixelRaw(int x, int y, uint32_t value) {
  if (!Surface || x < 0 || y < 0 || x >= Surface->w || y >= Surface->h) return;
  TSurfaceLock lock(Surface);
  if (!lock.Ok()) return;
  int bpp = Surface->format->BytesPerPixel;
  uint8_t* p = static_cast<uint8_t*>(Surface->pixels) + y * Surface->pitch + x * bpp;
  if (bpp < 1 || bpp > 4) return;
  for (int i = 0; i < bpp; ++i) p[i] = uint8_t(value >> (8 * i));
}

void TImage::PutPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  if (!Surface) return;
  PutPixelRaw(x, y, SDL_MapRGB(Surface->format, r, g, b));
}

uint32_t TImage::MapRGB(uint8_t r, uint8_t g, uint8_t b) const {
  return Surface ? SDL_MapRGB(Surface->format, r, g, b) : 0;
}

void TImage::Tile(const TImage* src) {
  if (!Surface || !src || !src->Surface || src->Surface->w <= 0 || src->Surface->h <= 0) return;
  int cw = src->Surface->w, ch = src->Surface->h;
  for (int x = 0; x < Surface->w; x += cw)
    for (int y = 0; y < Surface->h; y += ch)
      DrawPart(x, y, 0, 0, std::min(cw, Surface->w - x), std::min(ch, Surface->h - y), src);
}

void TImage::ApplyColorKey() {
  if (Surface && ColorKeyed) SDL_SetColorKey(Surface, SDL_SRCCOLORKEY | SDL_RLEACCEL, 0);
}

void TImage::DrawFile(int x, int y, const std::string& name) {
  TImage image(name);
  Draw(x, y, &image);
}

// ---- Loading by name

static int32_t FrameNumber(const std::string& text) {
  int32_t v = -1;
  return TryStrToInt(text, v) ? v : -1;
}

TFrameList ParseFrameList(std::string& name) {
  TFrameList list;
  for (;;) {
    size_t a = name.find('[');
    size_t b = name.find(']');
    if (a == std::string::npos || b == std::string::npos || b <= a) break;
    std::string text = name.substr(a + 1, b - a - 1);
    name.erase(a, b - a + 1);
    TFrameCut cut;
    size_t dots = text.find("..");
    if (dots == std::string::npos) {
      cut.First = cut.Last = FrameNumber(text);
    } else {
      cut.First = FrameNumber(text.substr(0, dots));
      cut.Last = FrameNumber(text.substr(dots + 2));
    }
    if (cut.First == -1) continue;
    if (cut.Last < cut.First) cut.Last = cut.First;
    list.push_back(cut);
  }
  return list;
}

bool SplitTransformSuffix(const std::string& name, std::string& fileName, std::string& transform) {
  size_t colon = name.find(':');
  // Index 2 is the third character: "C:" (index 1) is a drive letter.
  if (colon == std::string::npos || colon < 2) {
    fileName = name;
    transform.clear();
    return false;
  }
  fileName = name.substr(0, colon);
  transform = name.substr(colon + 1);
  return true;
}

TImage::TImage(const std::string& name) {
  static const std::string kContext = "ImageUnit, TImage.Create";
  // Every picture of a map passes here: with the debug level off (as the
  // game runs) no text of the log's own notes is built.
  const bool debug = Log->DebugOn();
  auto note = [&](const auto& message) {
    if (debug) Log->Debug(message, kContext);
  };
  Report({.Kind = TDiagnosticKind::Loading,
          .Severity = TSeverity::Note,
          .Message = "LoadImage(" + name + ")",
          .Context = kContext,
          .File = name});
  std::string rest = name;
  TFrameList frames = ParseFrameList(rest);
  std::string fileName, transform;
  bool hasTransform = SplitTransformSuffix(rest, fileName, transform);

  note("Before loading...");
  TRawPicture raw;
  raw.ReadFile(fileName);
  note("After loading...");
  if (raw.Width <= 0) {
    note("Loading failed.");
    return;
  }
  if (debug) note("Load ok. (" + IntToStr(raw.Width) + "x" + IntToStr(raw.Height) + ")");
  if (hasTransform) {
    raw.MultiTransform(transform);
    note("After transforming rawpicture.");
  }
  Own(RawToSurface(raw));
  try {
    SetAnimInfo(raw);
    ApplyColorKey();
    note("After converting to image...");
    if (Animated && !frames.empty()) {
      ClipFrames(frames);
      note("After clipping...");
    } else {
      note("No clipping.");
    }
  } catch (...) {
    Release();
    throw;
  }
}

SDL_Surface* TImage::RawToSurface(const TRawPicture& raw) {
  SDL_Surface* surface = CreateSurfaceOrRaise(raw.Width, raw.Height);
  if (raw.Data.size() >= size_t(surface->w) * size_t(surface->h) * 3)
    BlitBGR(raw.Data.data(), surface->w, surface->h, surface);
  return surface;
}

std::unique_ptr<TImage> TImage::CreateFromRawPicture(const TRawPicture& raw) {
  auto image = std::make_unique<TImage>(raw.Width, raw.Height);
  Log->Debug(IntToStr(raw.Width) + ", " + IntToStr(raw.Height) + ", " + IntToStr(raw.InfoKind),
             "ImageUnit, TImage.CreateFromRawPicture");
  if (raw.Data.size() >= size_t(image->Width()) * size_t(image->Height()) * 3)
    BlitBGR(raw.Data.data(), image->Width(), image->Height(), image->Surface);
  image->SetAnimInfo(raw);
  return image;
}

std::unique_ptr<TImage> TImage::CreateFromGreyMap(TStream& stream, uint8_t r, uint8_t g, uint8_t b) {
  // The caller's position survives a short map too.
  struct TPositionKeeper {
    TStream& stream;
    int64_t position;
    ~TPositionKeeper() { stream.SetPosition(position); }
  } keeper{stream, stream.Position()};
  stream.SetPosition(0);
  int width = stream.ReadWord();
  int height = stream.ReadWord();
  size_t count = size_t(width) * size_t(height);
  // Checked before allocating: a hostile size never allocates more than the map holds.
  if (stream.Remaining() < int64_t(count)) throw EStreamError("Stream read error");
  std::vector<uint8_t> grey(count);
  stream.ReadBuffer(grey.data(), count);
  std::vector<uint8_t> bgr(count * 3);
  for (size_t i = 0; i < count; ++i) {
    unsigned v = grey[i];
    bgr[i * 3] = uint8_t((v * b) >> 8);
    bgr[i * 3 + 1] = uint8_t((v * g) >> 8);
    bgr[i * 3 + 2] = uint8_t((v * r) >> 8);
  }
  auto image = std::make_unique<TImage>(width, height);
  BlitBGR(bgr.data(), width, height, image->Surface);
  return image;
}

void TImage::SetAnimInfo(const TRawPicture& raw) {
  if (raw.InfoKind == 1 || raw.InfoKind == 2) {
    bool longInfo = raw.InfoKind == 2;
    uint8_t flags = raw.GetInfoByte(1);
    Animated = true;
    FrameDelay = longInfo ? raw.GetInfoByte(2) : 0;
    LoopDelay = longInfo ? raw.GetInfoByte(3) : 0;
    FrameCount = raw.GetInfoByte(0) + (flags & 0x0F) * 256;
    Paused = (flags & 0x80) != 0;
    ColorKeyed = (flags & 0x40) != 0;
    RandomStartFrame = (flags & 0x20) != 0;
    Looped = (flags & 0x10) != 0;
    ApplyColorKey();
  }
  if (FrameCount == 0) Animated = false;
}

void TImage::ClipFrames(const TFrameList& list) {
  if (!Surface || FrameCount <= 0 || list.empty()) return;
  const int64_t oldWidth = Surface->w;
  const int64_t height = Surface->h;
  const int64_t fw = oldWidth / FrameCount;
  // A strip narrower than its frame count has no frame to cut.
  if (fw == 0) return;
  int64_t total = 0;
  for (const TFrameCut& cut : list) total += int64_t(cut.Last) - cut.First + 1;
  // The selection is text from a data file, which no picture data backs:
  // its strip gets no more pixel memory than the strip it cuts from, or
  // than a picture without pixel data may have (as the readers count it).
  const int64_t limit =
      std::max(int64_t(TRawPicture::kMaxUndecodedBytes), oldWidth * height * std::max(1, (ImageDepth() + 7) / 8));
  SDL_Surface* strip = CreateSurfaceOrRaise(total <= INT64_MAX / fw ? fw * total : INT64_MAX, height, limit);

  // Each cut is clipped to the old strip here, in 64-bit numbers, so that
  // frame numbers far outside it neither wrap SDL's 16-bit rectangles nor
  // copy anything: such frames stay black.
  int64_t t = 0;
  for (const TFrameCut& cut : list) {
    int64_t count = int64_t(cut.Last) - cut.First + 1;
    int64_t from = int64_t(cut.First) * fw;
    int64_t lo = std::max<int64_t>(from, 0);
    int64_t hi = std::min<int64_t>(from + count * fw, oldWidth);
    if (hi > lo) {
      SDL_Rect src = MakeRect(int(lo), 0, int(hi - lo), int(height));
      SDL_Rect dst = MakeRect(int(t * fw + (lo - from)), 0, 0, 0);
      BlitSurface(Surface, &src, strip, &dst);
    }
    t += count;
  }
  SetSurface(strip, true);
  FrameCount = int32_t(total);
  ApplyColorKey();
}

std::unique_ptr<TMemoryStream> ImageToGrayStream(const TImage* image) {
  auto stream = std::make_unique<TMemoryStream>();
  int w = image ? image->Width() : 0;
  int h = image ? image->Height() : 0;
  stream->WriteWord(uint16_t(w));
  stream->WriteWord(uint16_t(h));
  std::vector<uint8_t> row(size_t(w > 0 ? w : 0));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t v = image->GetPixel(x, y);
      uint32_t r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
      row[size_t(x)] = uint8_t((30 * r + 59 * g + 11 * b) / 100);
    }
    stream->WriteBuffer(row.data(), row.size());
  }
  stream->SetPosition(0);
  return stream;
}

}  // namespace zorbin
