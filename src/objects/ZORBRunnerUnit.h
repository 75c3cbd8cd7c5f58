// ZORBRunnerUnit: a creature moving over the tile map tile by tile, falling
// while nothing carries it and walking on floors, starting over from its
// start point (optionally relative to another object) at walls.
#pragma once

#include "sprites/ZORBSpriteUnit.h"

#include <memory>
#include <string>

namespace zorbin {

class TIniFile;

class TRunner final : public TZorbSprite {
 public:
  static constexpr int32_t kDefaultSpeedX = 2;
  static constexpr int32_t kDefaultSpeedY = 8;

  TRunner(TIniFile& ini, const std::string& section);
  ~TRunner() override;
  void Move() override;
  void MoveBy(int32_t dx, int32_t dy) override;
  void Revive() override;
  void Reinit();

  int32_t FineX = 0;
  int32_t FineY = 0;
  int32_t Col = 0;
  int32_t Row = 0;
  int32_t SpeedX = 0;
  int32_t SpeedY = 0;
  bool Looped = false;
  int32_t LifeCycle = 0;
  int32_t LifeLeft = 0;
  int32_t StartX = 0;
  int32_t StartY = 0;
  int32_t BaseSpeedX = 0;
  bool Walking = false;
  int32_t StepLeft = 0;
  std::unique_ptr<TImage> ImageLeft;
  std::unique_ptr<TImage> ImageRight;
  std::string Origin;
  bool FreeDirection = true;

 private:
  bool FloorBelow() const;
  void FaceDirection();
  void DirectionFromRow();
  void UpdateScreenPosition();
};

}  // namespace zorbin
