// ZORBAirMeterUnit: TAirMeter, the bar below the play area that shows the
// player's air in 48 segments of 12 pixels — filling while a map is
// revealed, draining one unit per frame in play, counting quickly down when
// the map is completed.
#pragma once

#include <cstdint>
#include <memory>

namespace zorbin {

class TImage;

class TAirMeter final {
 public:
  enum : uint8_t { kRunning = 0, kFilling = 1, kCountingDown = 2, kIdle = 3 };

  // Loads "\airm[0..47].tga" (the bar), "\air.tga" (the label) and
  // "\airm[48].tga" (one empty segment) from the data root. A file that
  // cannot be decoded gives an image that draws nothing; a missing one
  // raises out of here.
  TAirMeter();
  // Takes images already loaded (any may be without a surface).
  TAirMeter(std::unique_ptr<TImage> barImage, std::unique_ptr<TImage> frameImage, std::unique_ptr<TImage> coverImage);
  ~TAirMeter();
  TAirMeter(const TAirMeter&) = delete;
  TAirMeter& operator=(const TAirMeter&) = delete;

  void Refill();
  void Start();
  void CountDown();
  // Once per frame, by Mode.
  void Update();
  // Label, the uncovered part of the bar and a cover over every segment
  // from Segments to 47, on the shell's drawing surface.
  void Draw();

  int32_t Capacity = 9600;
  int32_t Air = 9600;
  int32_t BarWidth = 0;  // inclusive right edge of the drawn bar; 0 = none
  int32_t Segments = 0;  // segments not covered
  std::unique_ptr<TImage> BarImage;
  std::unique_ptr<TImage> FrameImage;
  std::unique_ptr<TImage> CoverImage;
  uint8_t Mode = kIdle;

 private:
  // Each segment stands for 200 units of air.
  void ApplyWidthRule();
};

}  // namespace zorbin
