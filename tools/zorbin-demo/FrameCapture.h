// FrameCapture: presented frames FROM to TO of a headless run, kept as one
// animated PNG. Each frame goes to the file as it is presented; the file is
// complete once frame TO is in. A run that ends earlier leaves the frames it
// showed, with the file's frame count set to them. While a terminal watches
// standard error, a progress line there counts the frames.
#pragma once

#include "pictures/ApngWriterUnit.h"

#include <SDL.h>

#include <cstdint>
#include <string>

namespace zorbin::demo {

struct TCaptureRange {
  uint32_t From = 0, To = 0;  // presented frames, counting from 1
  std::string File;
};

// Reads "FROM:TO:FILE" (FILE may hold colons). False with the reason in error
// when a part is missing, not a number, FROM below 1 or TO below FROM.
bool ParseCaptureRange(const std::string& text, TCaptureRange& range, std::string& error);

class TFrameCapture final {
 public:
  explicit TFrameCapture(TCaptureRange range);

  // Creates the file; false (with the reason in error) when it cannot.
  bool Open(std::string& error);
  // After each Flip: the frame in the back buffer is the one just presented.
  void AfterFlip(SDL_Surface* frame, uint32_t frameNumber);
  // At the end of the run, after lastFrame: completes a capture that the run
  // cut short and says so on standard error.
  void Finish(uint32_t lastFrame);

 private:
  void ShowProgress(uint32_t frameNumber);

  TCaptureRange range_;
  TApngWriter writer_;
  bool done_ = false;
  bool failed_ = false;
  bool progress_ = false;
};

}  // namespace zorbin::demo
