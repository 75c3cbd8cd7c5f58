// WavFile: RIFF WAVE files. Reading takes an author's PCM file (8 or 16 bits,
// mono or stereo, any common rate) to the mono 44,100 Hz samples the mixer
// plays; writing keeps a run's mixed sound as 44,100 Hz 16-bit stereo.
#pragma once

#include "util/Streams.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorbin {

// The file's samples, mono at 44,100 Hz, in samples; false with the reason in
// error when the bytes are not such a file or would play longer than an
// effect may (kMaxSoundMs).
bool ReadWav(const std::vector<uint8_t>& bytes, std::vector<int16_t>& samples, std::string& error);

class TWavWriter {
 public:
  // Creates fileName (raises as TFileStream does when it cannot).
  explicit TWavWriter(const std::string& fileName);
  // Closes the file; a failure to write is lost here: call Close to see it.
  ~TWavWriter();
  TWavWriter(const TWavWriter&) = delete;
  TWavWriter& operator=(const TWavWriter&) = delete;

  // Appends frames of interleaved left and right samples. A RIFF file holds
  // at most 4 GiB: frames past that (6.7 hours of sound) are dropped.
  void Write(const int16_t* stereo, int frames);
  // Writes the sizes into the header; raises on a write failure.
  void Close();
  uint32_t Frames() const { return frames_; }

 private:
  TFileStream file_;
  uint32_t frames_ = 0;
  bool closed_ = false;
  std::vector<uint8_t> bytes_;  // kept between writes
};

}  // namespace zorbin
