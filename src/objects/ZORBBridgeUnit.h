// ZORBBridgeUnit: a one-tile-high walkway that builds itself from left to
// right, stands for a moment, crumbles pixel by pixel into falling
// particles and starts again. While a tile stands its cell is floor.
#pragma once

#include "sprites/ZORBSpriteUnit.h"

#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TIniFile;

class TBridge final : public TZorbSprite {
 public:
  static constexpr int32_t kFloor = 2;
  static constexpr int32_t kCrumbleTime = 256;
  static constexpr uint8_t kGone = 16;  // DissolveMap: the pixel has crumbled

  TBridge(TIniFile& ini, const std::string& section);
  ~TBridge() override;
  void Move() override;
  void Draw() override;
  void MoveBy(int32_t dx, int32_t dy) override;

  int32_t PixelAnims[32 * 16] = {};  // at x * 16 + y
  std::vector<uint8_t> DissolveMap;  // at x + y * Width * 16; 16 = gone
  std::unique_ptr<TImage> TileImage;
  std::unique_ptr<TImage> BuildImage;
  std::unique_ptr<TImage> DissolveImage;
  int32_t Width = 0;
  int32_t Counter = 0;
  int32_t BuildTime = 0;

 private:
  void SetCell(int32_t k, int32_t value);
  std::vector<int32_t> rowStanding_ = std::vector<int32_t>(16, 0);  // pixels not yet crumbled, per row
  void Crumble();
};

}  // namespace zorbin
