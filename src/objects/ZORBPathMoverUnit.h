// ZORBPathMoverUnit: a sprite walking a polyline of legs in the eight
// compass directions, read from a list section, then jumping back to its
// start point and starting again or dying.
#pragma once

#include "sprites/ZORBSpriteUnit.h"

#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TIniFile;

class TPathMover final : public TZorbSprite {
 public:
  static constexpr int32_t kDefaultSpeed = 4;

  TPathMover(TIniFile& ini, const std::string& section);
  ~TPathMover() override;
  void Move() override;

  int32_t StartX = 0;  // play-area pixels
  int32_t StartY = 0;
  int32_t FineX = 0;  // quarter pixels
  int32_t FineY = 0;
  int32_t LegLeft = 0;
  int32_t Speed = 0;
  bool Looped = false;
  std::vector<int32_t> Path;  // pairs: direction code, leg length in quarter pixels
  int32_t PathIndex = -2;

 private:
  std::unique_ptr<TImage> ownImage_;
};

// 1 "U", 2 "UR", 3 "R", 4 "DR", 5 "D", 6 "DL", 7 "L", 8 "UL"; 0 for anything else.
int32_t PathDirectionCode(const std::string& text);

}  // namespace zorbin
