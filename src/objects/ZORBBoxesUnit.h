// ZORBBoxesUnit: the goal of a map. Three boxes appear one after another;
// the player pushes each onto its target slot in the floor, where it sinks
// in. Lamps show the progress, sparkles mark the current slot, and the
// third delivery completes the map. Boxes and player meet only through the
// logical grid: boxes mark their top cells solid (0x0F) and react to the
// player's mark 0x40 beside them and to the slot mark 0x40 below them.
#pragma once

#include "sprites/ZORBSpriteUnit.h"

#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TIniFile;

class TBox final : public TZorbSprite {
 public:
  enum : uint8_t { Idle = 0, Sliding = 1, Falling = 2, Hopping = 3, Sinking = 4, Delivered = 5 };
  enum : int32_t { Left = 0, Right = 1 };

  TBox(TIniFile& ini, const std::string& section, int n);
  ~TBox() override;
  void Move() override;
  void MarkSolid();
  bool IsDelivered() const { return State == Delivered; }

  int32_t Col = 0;
  int32_t Row = 0;
  int32_t Timer = 0;
  int32_t Dir = Left;
  uint8_t State = Idle;

 private:
  void FinishMotion();
  void Decide();
  std::unique_ptr<TImage> ownImage_;
};

class TBoxes final : public TZorbSprite {
 public:
  static constexpr int kSlotRow = 19;

  TBoxes(TIniFile& ini, const std::string& section);
  ~TBoxes() override;
  void Move() override;
  void Draw() override;
  bool IsCompleted() const override { return Current == 3; }

  std::unique_ptr<TBox> Boxes[3];
  std::unique_ptr<TImage> TargetImages[3];
  std::unique_ptr<TSprite> Lamps[3];
  int32_t Current = 0;
  int32_t TargetX = 0;
  std::vector<int32_t> Sparkles;
  int32_t BoxCount = 3;
  int32_t SparkleTimer = 0;
  int32_t TargetCol = 0;

 private:
  void SetLamp(int i, int picture);
  void SetSlot(int i, bool marked);
};

}  // namespace zorbin
