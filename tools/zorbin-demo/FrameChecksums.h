// FrameChecksums: a record of what a headless run showed, for comparing runs
// without keeping their pictures. Every N-th presented frame, and the last
// one, is written as a line "FRAME CRC" (CRC-32 of the frame's pixels as
// R, G, B bytes, rows top to bottom, eight upper-case hex digits), so the
// record is the same whatever the surface's pixel format or the machine.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace zorbin::demo {

// The checksum of a surface's picture as described above.
uint32_t PictureChecksum(SDL_Surface* surface);

class TFrameChecksums {
 public:
  TFrameChecksums(uint32_t every, std::string file);
  ~TFrameChecksums();
  TFrameChecksums(const TFrameChecksums&) = delete;
  TFrameChecksums& operator=(const TFrameChecksums&) = delete;

  // Opens the file; false (with the reason in error) when it cannot be written.
  bool Open(std::string& error);
  // After each Flip: the frame in the back buffer is the one just presented.
  void AfterFlip(SDL_Surface* frame, uint32_t frameNumber);
  // Writes the last presented frame unless it was a checkpoint already, and
  // closes the file. False when the file could not be completed.
  bool Finish();

 private:
  void Write(uint32_t frameNumber, uint32_t crc);

  uint32_t every_;
  std::string file_;
  std::FILE* out_ = nullptr;
  bool failed_ = false;
  // The game shuts the display down before the process ends, so the last
  // frame is kept as a copy of its own until then.
  SDL_Surface* last_ = nullptr;
  uint32_t lastFrame_ = 0;
  uint32_t lastWritten_ = 0;
};

}  // namespace zorbin::demo
