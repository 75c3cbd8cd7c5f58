// FrameCapture: the option's range and the frames written as they come.
#include "FrameCapture.h"

#include "pictures/PngWriterUnit.h"
#include "util/QXToolbox.h"

#include <unistd.h>

#include <cstdio>
#include <utility>

namespace zorbin::demo {

bool ParseCaptureRange(const std::string& text, TCaptureRange& range, std::string& error) {
  size_t first = text.find(':');
  size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  if (second == std::string::npos || second + 1 >= text.size()) {
    error = "--capture needs FROM:TO:FILE, not \"" + text + "\"";
    return false;
  }
  auto number = [&](const std::string& part, int32_t& value) {
    if (!TryStrToInt(part, value)) error = "--capture needs frame numbers, not \"" + part + "\"";
    return error.empty();
  };
  int32_t from = 0, to = 0;
  error.clear();
  if (!number(text.substr(0, first), from) || !number(text.substr(first + 1, second - first - 1), to)) return false;
  if (from < 1) {
    error = "--capture counts frames from 1, not " + std::to_string(from);
    return false;
  }
  if (to < from) {
    error = "--capture needs TO not below FROM, not " + std::to_string(from) + ":" + std::to_string(to);
    return false;
  }
  range = TCaptureRange{uint32_t(from), uint32_t(to), text.substr(second + 1)};
  return true;
}

TFrameCapture::TFrameCapture(TCaptureRange range) : range_(std::move(range)), progress_(isatty(STDERR_FILENO) == 1) {}

bool TFrameCapture::Open(std::string& error) {
  if (writer_.Open(range_.File, range_.To - range_.From + 1)) return true;
  error = "cannot write " + range_.File;
  return false;
}

void TFrameCapture::ShowProgress(uint32_t frameNumber) {
  if (!progress_) return;
  uint32_t total = range_.To - range_.From + 1;
  uint32_t done = frameNumber - range_.From + 1;
  std::fprintf(stderr, "\rzorbin-demo: capturing frame %u (%u of %u)", frameNumber, done, total);
  if (done == total) std::fputc('\n', stderr);
  std::fflush(stderr);
}

void TFrameCapture::AfterFlip(SDL_Surface* frame, uint32_t frameNumber) {
  if (done_ || failed_ || !frame || frameNumber < range_.From) return;
  if (!writer_.AddFrame(frame->w, frame->h, SurfaceToRGB(frame))) {
    failed_ = true;
    std::fprintf(stderr, "zorbin-demo: cannot write %s\n", range_.File.c_str());
    return;
  }
  ShowProgress(frameNumber);
  if (frameNumber != range_.To) return;
  done_ = true;
  if (!writer_.Finish()) std::fprintf(stderr, "zorbin-demo: cannot write %s\n", range_.File.c_str());
}

void TFrameCapture::Finish(uint32_t lastFrame) {
  if (done_) return;
  done_ = true;
  uint32_t frames = writer_.Frames();
  if (progress_ && frames > 0) std::fputc('\n', stderr);
  bool written = writer_.Finish();
  if (failed_) return;  // already said
  if (frames == 0)
    std::fprintf(stderr, "zorbin-demo: the run ended at frame %u, before frame %u: no capture written\n", lastFrame,
                 range_.From);
  else if (!written)
    std::fprintf(stderr, "zorbin-demo: cannot write %s\n", range_.File.c_str());
  else
    std::fprintf(stderr, "zorbin-demo: the run ended at frame %u: %s holds frames %u to %u (%u of %u)\n", lastFrame,
                 range_.File.c_str(), range_.From, range_.From + frames - 1, frames, range_.To - range_.From + 1);
}

}  // namespace zorbin::demo
