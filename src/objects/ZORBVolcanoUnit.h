// ZORBVolcanoUnit: a crater on the bottom of the play area that erupts
// every 180 frames, spraying fire particles and giving the two floor cells
// above its mouth the strong-lift bit, which throws the player upward.
#pragma once

#include "sprites/ZORBSpriteUnit.h"

#include <memory>
#include <string>

namespace zorbin {

class TIniFile;

class TVolcano final : public TZorbSprite {
 public:
  static constexpr int32_t kCycle = 180;
  static constexpr int32_t kStrongLift = 0x20;
  static constexpr int kLiftRow = 19;
  static constexpr int kCraterY = 384;

  TVolcano(TIniFile& ini, const std::string& section);
  ~TVolcano() override;
  void Move() override;
  void Draw() override;
  // The crater always stands at the bottom: DY is ignored.
  void MoveBy(int32_t dx, int32_t dy) override;

  int32_t Tick = 0;
  int32_t ScreenX = 0;
  std::unique_ptr<TImage> CraterImage;
  int32_t FireAnim = -1;

 private:
  void SetLiftBits(bool on);
};

// The 96 x 3 fire animation: 32 plus-shaped frames from white over yellow
// and orange to dark red, black transparent.
std::unique_ptr<TImage> CreateFireAnimation();

}  // namespace zorbin
