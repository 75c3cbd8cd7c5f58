// ZORBLinearMoverUnit: quarter-pixel motion, bounds, wrapping, life cycle.
#include "objects/ZORBLinearMoverUnit.h"

#include "formats/QXINIFile.h"
#include "objects/ZORBObjectKeys.h"
#include "pictures/ImageUnit.h"
#include "util/QXToolbox.h"

#include <algorithm>
#include <exception>

namespace zorbin {

static const char* const kContext = "ZORBLinearMoverUnit, TLinearMover.Create";

TLinearMover::TLinearMover(TIniFile& ini, const std::string& section) : TZorbSprite(0, 0, nullptr) {
  int32_t positionX = ReadObjectValue(ini, section, "PositionX", 0, kContext);
  int32_t positionY = ReadObjectValue(ini, section, "PositionY", 0, kContext);
  FineX = positionX * 4;
  FineY = positionY * 4;
  SpeedX = ReadObjectValue(ini, section, "SpeedX", 4, kContext);
  SpeedY = ReadObjectValue(ini, section, "SpeedY", 0, kContext);
  std::string name = ini.ReadString(section, "Image", "*", "");
  ownImage_ = LoadObjectImage(name, {"LinearMover image not found.", kContext, section});
  SetupSprite(positionX + 64, positionY + 64, ownImage_.get());
  WrapAround = ini.ReadBool(section, "Looped", false, "");
  FrameDelay = ini.ReadInteger(section, "FrameDelay", ownImage_->FrameDelay, "");
  LoopDelay = ini.ReadInteger(section, "LoopDelay", ownImage_->LoopDelay, "");
  // A frame outside the strip would be drawn from outside the picture (and
  // its offset could overflow): it is held to the first or last frame.
  Frame = std::clamp(ini.ReadInteger(section, "AnimPos", ownImage_->StartFrame, ""), 0,
                     std::max(FrameCount - 1, int32_t(0)));
  TObjectBounds bounds = ReadObjectBounds(ini, section);
  BoundLeft = bounds.Left * 4;
  BoundTop = bounds.Top * 4;
  BoundRight = bounds.Right * 4 + 4;
  BoundBottom = bounds.Bottom * 4 + 4;
  LifeCycle = ini.ReadInteger(section, "LifeCycle", 32767, "");
  LifeLeft = LifeCycle;
  ZOrder = ini.ReadInteger(section, "ZOrder", 0, "");
}

TLinearMover::~TLinearMover() = default;

void TLinearMover::UpdateScreenPosition() {
  X = FloorDiv(FineX, 4) + 64;
  Y = FloorDiv(FineY, 4) + 64;
}

void TLinearMover::Move() {
  int32_t w = FrameWidth * 4;
  int32_t h = (Image ? Image->Height() : 0) * 4;
  FineX += SpeedX;
  FineY += SpeedY;
  if (FineX + w > BoundRight) {
    FineX = FineX - BoundRight + BoundLeft + w;
    if (!WrapAround) Kill();
  }
  if (FineX < BoundLeft) {
    FineX = FineX + BoundRight - BoundLeft - w;
    if (!WrapAround) Kill();
  }
  if (FineY + h > BoundBottom) {
    FineY = FineY - BoundBottom + BoundTop + h;
    if (!WrapAround) Kill();
  }
  if (FineY < BoundTop) {
    FineY = FineY + BoundBottom - BoundTop - h;
    if (!WrapAround) Kill();
  }
  UpdateScreenPosition();
  // A life cycle of 0 or below never reaches 0 again: the mover lives on,
  // and the counter is left alone rather than run down for ever.
  if (LifeLeft > 0 && --LifeLeft == 0) {
    Kill();
    LifeLeft = LifeCycle;
  }
}

void TLinearMover::MoveBy(int32_t dx, int32_t dy) {
  FineX += dx * 4;
  FineY += dy * 4;
  UpdateScreenPosition();
}

void TLinearMover::Revive() {
  TZorbSprite::Revive();
  LifeLeft = LifeCycle;
}

}  // namespace zorbin
