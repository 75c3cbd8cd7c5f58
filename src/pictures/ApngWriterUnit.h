// ApngWriterUnit: writes an animated PNG frame by frame, straight to its file,
// so that a long animation never sits whole in memory. Every frame is shown
// 10 ms (one game frame). A frame after the first stores only the rectangle
// that changed since the frame before it, its unchanged pixels transparent,
// and is drawn over that frame: the file shows every frame's pixels exactly.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zorbin {

class TApngWriter final {
 public:
  TApngWriter() = default;
  // A file left open (Finish not called) is closed as it stands.
  ~TApngWriter();
  TApngWriter(const TApngWriter&) = delete;
  TApngWriter& operator=(const TApngWriter&) = delete;

  // Creates the file. plannedFrames is the count the file announces while it
  // is written; Finish corrects it when fewer frames came.
  bool Open(const std::string& fileName, uint32_t plannedFrames);
  // Appends width x height R, G, B bytes, rows top to bottom. Every frame has
  // the size of the first. False when it has another size, or when the file
  // cannot be written (then no further frame is taken).
  bool AddFrame(int width, int height, const std::vector<uint8_t>& rgb);
  // Ends the file and sets its frame count to the frames added. False, with
  // the file removed, when there was no frame or the file could not be
  // written whole.
  bool Finish();

  uint32_t Frames() const { return frames_; }

 private:
  bool Write(const std::vector<uint8_t>& bytes);
  void WriteFrameControl(int x, int y, int width, int height);

  std::string fileName_;
  std::FILE* out_ = nullptr;
  bool failed_ = false;
  uint32_t planned_ = 0;
  uint32_t frames_ = 0;
  uint32_t sequence_ = 0;  // fcTL and fdAT chunks share one count
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> previous_;
};

}  // namespace zorbin
