// ZORBAirMeterUnit: the air meter's modes, its width rule and drawing.
#include "game/ZORBAirMeterUnit.h"

#include "pictures/ImageUnit.h"
#include "shell/QX_SDL.h"
#include "util/SoundEvents.h"

#include <string>

namespace zorbin {

// Where the meter stands on the drawing surface: the label, then the bar.
constexpr int16_t kLabelX = 14, kBarX = 50, kMeterY = 440;
constexpr int32_t kSegmentCount = 48, kSegmentWidth = 12, kAirPerSegment = 200;
constexpr int32_t kFullBarWidth = kSegmentCount * kSegmentWidth - 1;  // 575
constexpr int32_t kFillPerFrame = 150, kCountDownPerFrame = 75;

TAirMeter::TAirMeter() {
  // One after the other, in field order.
  BarImage = std::make_unique<TImage>(std::string("\\airm[0..47].tga"));
  FrameImage = std::make_unique<TImage>(std::string("\\air.tga"));
  CoverImage = std::make_unique<TImage>(std::string("\\airm[48].tga"));
}

TAirMeter::TAirMeter(std::unique_ptr<TImage> barImage, std::unique_ptr<TImage> frameImage,
                     std::unique_ptr<TImage> coverImage)
    : BarImage(std::move(barImage)), FrameImage(std::move(frameImage)), CoverImage(std::move(coverImage)) {}

TAirMeter::~TAirMeter() = default;

void TAirMeter::ApplyWidthRule() {
  BarWidth = (Air / kAirPerSegment) * kSegmentWidth + kSegmentWidth - 1;
  Segments = Air / kAirPerSegment + 1;
}

void TAirMeter::Refill() {
  Mode = kFilling;
  Air = 0;
  BarWidth = 0;
  Segments = 0;
}

void TAirMeter::Start() {
  Mode = kRunning;
  Air = Capacity;
  BarWidth = kFullBarWidth;
  Segments = kSegmentCount;
}

void TAirMeter::CountDown() {
  Mode = kCountingDown;
  Air -= Air % kCountDownPerFrame;
  ApplyWidthRule();
}

void TAirMeter::Update() {
  switch (Mode) {
    case kRunning:
      if (Air <= 0) break;
      Air -= 1;
      if (Air == Capacity / 4) RaiseSound(TSoundEvent::AirLow);
      if (Air > 0) {
        // The bar loses a segment only as the air crosses into the next 200.
        if (Air % kAirPerSegment == kAirPerSegment - 1) ApplyWidthRule();
      } else {
        BarWidth = 0;
        Segments = 0;
      }
      break;
    case kFilling:
      if (Air < Capacity) {
        Air += kFillPerFrame;
        ApplyWidthRule();
      } else {
        BarWidth = kFullBarWidth;
        Segments = kSegmentCount;
        Mode = kIdle;
      }
      break;
    case kCountingDown:
      if (Air > 0) {
        Air -= kCountDownPerFrame;
        ApplyWidthRule();
      } else {
        BarWidth = 0;
        Segments = 0;
      }
      break;
    default: break;
  }
}

void TAirMeter::Draw() {
  QX_SDL::DrawImage(kLabelX, kMeterY, FrameImage.get());
  if (BarWidth > 0) QX_SDL::DrawImageRect(kBarX, kMeterY, 0, 0, int16_t(BarWidth), 23, BarImage.get());
  for (int32_t i = Segments; i < kSegmentCount; ++i)
    QX_SDL::DrawImage(int16_t(kBarX + kSegmentWidth * i), kMeterY, CoverImage.get());
}

}  // namespace zorbin
