// MaskUnit: TMask, the per-pixel occupancy map of an image (one byte per
// pixel: a chosen value where the image has a non-zero pixel, 0 elsewhere).
#pragma once

#include <cstdint>
#include <vector>

namespace zorbin {

class TImage;

class TMask {
 public:
  // Width and height follow the image's surface (0 x 0 without one). When
  // the surface cannot be locked the mask stays zero-filled.
  TMask(const TImage& image, uint8_t value);

  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Data;  // Width x Height values, row-major
};

using TMask8 = TMask;

}  // namespace zorbin
