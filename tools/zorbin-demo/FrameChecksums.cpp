// FrameChecksums: CRC-32 lines of presented frames.
#include "FrameChecksums.h"

#include "pictures/PngWriterUnit.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace zorbin::demo {

uint32_t PictureChecksum(SDL_Surface* surface) {
  std::vector<uint8_t> rgb = SurfaceToRGB(surface);
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes at most a uInt at a time.
  for (size_t at = 0; at < rgb.size();) {
    uInt n = uInt(std::min<size_t>(rgb.size() - at, 1u << 30));
    crc = crc32(crc, rgb.data() + at, n);
    at += n;
  }
  return uint32_t(crc);
}

TFrameChecksums::TFrameChecksums(uint32_t every, std::string file) : every_(every), file_(std::move(file)) {}

TFrameChecksums::~TFrameChecksums() {
  if (out_) std::fclose(out_);
  if (last_) SDL_FreeSurface(last_);
}

bool TFrameChecksums::Open(std::string& error) {
  out_ = std::fopen(file_.c_str(), "wb");
  if (!out_) error = "cannot write " + file_;
  return out_ != nullptr;
}

void TFrameChecksums::Write(uint32_t frameNumber, uint32_t crc) {
  if (!out_) return;
  // Flushed line by line: a run that dies still leaves what it showed.
  if (std::fprintf(out_, "%u %08X\n", frameNumber, crc) < 0 || std::fflush(out_) != 0) failed_ = true;
  lastWritten_ = frameNumber;
}

void TFrameChecksums::AfterFlip(SDL_Surface* frame, uint32_t frameNumber) {
  if (!frame) return;
  lastFrame_ = frameNumber;
  if (every_ > 0 && frameNumber % every_ == 0) {
    Write(frameNumber, PictureChecksum(frame));
    return;
  }
  if (!last_) last_ = SDL_ConvertSurface(frame, frame->format, SDL_SWSURFACE);
  if (!last_ || last_->w != frame->w || last_->h != frame->h) {
    failed_ = true;
    return;
  }
  bool lockedFrame = SDL_MUSTLOCK(frame) && SDL_LockSurface(frame) == 0;
  size_t rowBytes = size_t(std::min(frame->pitch, last_->pitch));
  for (int y = 0; y < frame->h; ++y)
    std::memcpy(static_cast<uint8_t*>(last_->pixels) + size_t(y) * last_->pitch,
                static_cast<const uint8_t*>(frame->pixels) + size_t(y) * frame->pitch, rowBytes);
  if (lockedFrame) SDL_UnlockSurface(frame);
}

bool TFrameChecksums::Finish() {
  if (!out_) return false;
  if (lastFrame_ > lastWritten_) {
    if (last_)
      Write(lastFrame_, PictureChecksum(last_));
    else
      failed_ = true;
  }
  bool ok = std::fclose(out_) == 0 && !failed_;
  out_ = nullptr;
  return ok;
}

}  // namespace zorbin::demo
