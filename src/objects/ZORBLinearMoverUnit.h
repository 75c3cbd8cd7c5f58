// ZORBLinearMoverUnit: a sprite moving in a straight line at constant speed
// inside a rectangle of the play area, wrapping at its edges or dying
// there, with a limited life. Comets, bullets, flowers, turrets.
#pragma once

#include "sprites/ZORBSpriteUnit.h"

#include <memory>
#include <string>

namespace zorbin {

class TIniFile;

class TLinearMover final : public TZorbSprite {
 public:
  TLinearMover(TIniFile& ini, const std::string& section);
  ~TLinearMover() override;
  void Move() override;
  void MoveBy(int32_t dx, int32_t dy) override;
  // A revived mover (a group member whose turn comes again) starts a new
  // life, however its last one ended.
  void Revive() override;

  int32_t FineX = 0;  // quarter pixels, play-area relative
  int32_t FineY = 0;
  int32_t SpeedX = 0;
  int32_t SpeedY = 0;
  int32_t BoundLeft = 0;  // quarter pixels; right and bottom exclusive
  int32_t BoundTop = 0;
  int32_t BoundRight = 0;
  int32_t BoundBottom = 0;
  bool WrapAround = false;
  int32_t LifeCycle = 0;
  int32_t LifeLeft = 0;

 private:
  void UpdateScreenPosition();
  std::unique_ptr<TImage> ownImage_;
};

}  // namespace zorbin
