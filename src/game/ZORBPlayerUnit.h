// ZORBPlayerUnit: TPlayer, the figure the user steers — cell-by-cell walking,
// falling, lifts, port entry, the appear and port effects — and the
// occupancy bit it keeps in the map-wide tile map.
#pragma once

#include "sprites/ZORBSpriteUnit.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zorbin {

class TImage;
class TIniFile;

class TPlayer final : public TZorbSprite {
 public:
  enum : uint8_t {
    kWalking = 0,
    kFalling = 1,
    kStrongLift = 2,
    kLifting = 3,
    kStanding = 4,
    kAppearing = 5,
    kEnteringPort = 6,
    kGone = 7,
  };
  static constexpr int32_t kFacingLeft = 0;
  static constexpr int32_t kFacingRight = 32;

  // Logical cell bits the player reads and writes.
  static constexpr int32_t kCellFloor = 0x02;
  static constexpr int32_t kCellWallLeft = 0x04;   // blocks walking in while moving right
  static constexpr int32_t kCellWallRight = 0x08;  // blocks walking in while moving left
  static constexpr int32_t kCellLift = 0x10;
  static constexpr int32_t kCellStrongLift = 0x20;
  static constexpr int32_t kCellPlayer = 0x40;

  // SDL 1.2 key symbols read from QX_SDL::Keys.
  static constexpr int kKeyLeft = 276;
  static constexpr int kKeyRight = 275;
  static constexpr int kKeySpace = 32;

  // Reads "PositionX", "PositionY" (play-area pixels) and "Image" of the
  // section and marks the two body cells in TileMap. A missing image is
  // logged and replaced by the placeholder.
  TPlayer(const TIniFile& ini, const std::string& section);
  ~TPlayer() override;

  void Move() override;
  void Draw() override;
  void MoveTo(int32_t x, int32_t y) override;
  void MoveBy(int32_t dx, int32_t dy) override;
  bool IsCompleted() const override { return State == kGone; }

  // Replays the appear effect (128 frames); an unfinished step is abandoned.
  void Appear();
  // Map index of the port under the feet (the cell value shifted right by
  // 8, as a byte); 0 on anything else.
  uint8_t PortBelow() const;

  int32_t TileX = 0;
  int32_t TileY = 0;
  int32_t FineX = 0;
  int32_t FineY = 0;
  int32_t Timer = 0;
  int32_t Direction = kFacingRight;
  bool Marked = false;
  int32_t WalkFrames = 0;
  std::unique_ptr<TImage> Silhouette;
  uint8_t State = kStanding;

 private:
  struct TSetup;
  TPlayer(TSetup setup);
  static TSetup ReadSetup(const TIniFile& ini, const std::string& section);

  void EndStep();
  void Decide();
  void Occupy();
  void ClearOccupancy();
  void UpdateTiles();
  void SetSilhouetteAlpha(int alpha);

  std::unique_ptr<TImage> ownImage_;
  bool riding_ = false;  // on a lift at the end of the last frame: its start and end sound
};

}  // namespace zorbin
