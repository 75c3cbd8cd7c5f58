// ZORBParticleBoxUnit: an invisible rectangle emitting a steady stream of
// particles across it in one direction, each fading through one of a list
// of colour fades. Glowing shafts over ladders and the like.
#pragma once

#include "sprites/ZORBSpriteUnit.h"

#include <string>
#include <vector>

namespace zorbin {

class TIniFile;

class TParticleBox final : public TZorbSprite {
 public:
  enum class TDirection : int32_t { Up = 1, Right = 2, Down = 3, Left = 4 };
  // A particle crosses the box in at most ten minutes of frames.
  static constexpr int32_t kMaxSteps = 60000;

  TParticleBox(TIniFile& ini, const std::string& section);
  void Move() override;
  // The box itself is never drawn.
  void Draw() override {}

  int32_t Left = 0;  // screen pixels, inclusive
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  TDirection Direction = TDirection::Up;
  int32_t Steps = 0;
  int32_t RateLeft = 0;
  int32_t Rate = 0;
  int32_t LifeCycle = 0;
  int32_t LifeLeft = 0;
  std::vector<int32_t> Fades;
};

// A colour list item completed to "from,to,steps": no comma adds
// ",000000" and then, as for one comma, ",16".
std::string CompleteColourItem(const std::string& item);

}  // namespace zorbin
