// ZORBRunnerUnit: falling and walking tile by tile, walls, restarts.
#include "objects/ZORBRunnerUnit.h"

#include "formats/QXINIFile.h"
#include "formats/TileMapUnit.h"
#include "log/Diagnostics.h"
#include "log/Logger.h"
#include "objects/ZORBObjectKeys.h"
#include "pictures/ImageUnit.h"
#include "sprites/MapGlobals.h"
#include "util/QXToolbox.h"

#include <cstdlib>

namespace zorbin {

static constexpr uint32_t kFloorBit = 0x02;
static constexpr uint32_t kWallBits = 0x08 | 0x10;

// The tile map answers 0 outside its grid: a runner that walked or fell off
// it finds neither floor nor wall there.
static uint32_t Logic(int32_t col, int32_t row) { return TileMap ? uint32_t(TileMap->GetLogic(col, row)) : 0; }

static const char* const kContext = "ZORBRunnerUnit, TRunner.Create";

// A speed of 0 would make a step last 64 div 0 frames: refused, the default
// is taken.
static int32_t ReadSpeed(TIniFile& ini, const std::string& section, const std::string& key, int32_t def) {
  int32_t speed = ReadObjectValue(ini, section, key, def, kContext);
  if (speed != 0) return speed;
  ReportBadValue(ini, section, key, TSeverity::Error,
                 key + " must not be 0, using " + IntToStr(def) + ". (Object: " + section + ")", kContext);
  return def;
}

TRunner::TRunner(TIniFile& ini, const std::string& section) : TZorbSprite(0, 0, nullptr) {
  StartX = ReadObjectValue(ini, section, "PositionX", 0, kContext);
  StartY = ReadObjectValue(ini, section, "PositionY", 0, kContext);
  BaseSpeedX = ReadSpeed(ini, section, "SpeedX", kDefaultSpeedX);
  SpeedY = ReadSpeed(ini, section, "SpeedY", kDefaultSpeedY);
  ImageLeft = LoadObjectImage(ini.ReadString(section, "ImageLeft", "*", ""));
  ImageRight = LoadObjectImage(ini.ReadString(section, "ImageRight", "*", ""));
  SetupSprite(0, 0, ImageLeft.get());
  LifeCycle = ini.ReadInteger(section, "LifeCycle", 2147483647, "");
  ZOrder = ini.ReadInteger(section, "ZOrder", 0, "");
  Looped = ini.ReadBool(section, "Looped", false, "");
  if (UpperCase(ini.ReadString(section, "Positioning", "Absolute", "")) == "RELATIVE")
    Origin = ini.ReadString(section, "Origin", "", "");
  FreeDirection = UpperCase(ini.ReadString(section, "Mode", "New", "")) != "ORIGINAL";
  Reinit();
}

TRunner::~TRunner() = default;

bool TRunner::FloorBelow() const { return ((Logic(Col, Row + 2) | Logic(Col + 1, Row + 2)) & kFloorBit) != 0; }

void TRunner::FaceDirection() { SetImage(SpeedX >= 0 ? ImageRight.get() : ImageLeft.get()); }

void TRunner::DirectionFromRow() { SpeedX = (Row % 2 != 0) ? -std::abs(SpeedX) : std::abs(SpeedX); }

void TRunner::UpdateScreenPosition() {
  X = FloorDiv(FineX, 4) + 64;
  Y = FloorDiv(FineY, 4) + 64;
}

void TRunner::Reinit() {
  Log->Trace("Reinit start.");
  int32_t fx = StartX, fy = StartY;
  int index = (!Origin.empty() && SpriteEngine) ? SpriteEngine->IndexOfName(Origin) : -1;
  if (index >= 0) {
    TSprite* origin = SpriteEngine->Items(index);
    fx = (FloorDiv(origin->X, 16) - 4) * 16 + StartX;
    fy = (FloorDiv(origin->Y, 16) - 4) * 16 + StartY;
  }
  Log->Trace("fsX=" + std::to_string(fx));
  Log->Trace("fsY=" + std::to_string(fy));
  X = fx + 64;
  Y = fy + 64;
  Col = FloorDiv(fx, 16);
  Row = FloorDiv(fy, 16);
  FineX = fx * 4;
  FineY = fy * 4;
  SpeedX = BaseSpeedX;
  if (!FreeDirection) {
    Log->Trace("Original!");
    Log->Trace(Row);
    DirectionFromRow();
  }
  FaceDirection();
  LifeLeft = LifeCycle;
  if (FloorBelow()) {
    Walking = true;
    StepLeft = std::abs(64 / SpeedX);
  } else {
    Walking = false;
    StepLeft = std::abs(64 / SpeedY);
  }
}

void TRunner::Move() {
  if (StepLeft > 0) {
    if (Walking)
      FineX += SpeedX;
    else
      FineY += SpeedY;
    StepLeft -= 1;
  }
  if (StepLeft == 0) {
    if (!Walking) {
      Row += 1;
      if (FloorBelow()) {
        Walking = true;
        if (!FreeDirection) DirectionFromRow();
        FaceDirection();
        StepLeft = std::abs(64 / SpeedX);
      } else {
        StepLeft = std::abs(64 / SpeedY);
      }
    } else {
      Col += SpeedX < 0 ? -1 : SpeedX > 0 ? 1 : 0;
      if (FloorBelow()) {
        StepLeft = std::abs(64 / SpeedX);
        uint32_t ahead = SpeedX < 0 ? Logic(Col - 1, Row) : Logic(Col + 2, Row);
        if (ahead & kWallBits) {
          if (!Looped) Kill();
          Reinit();
          return;
        }
      } else {
        Walking = false;
        StepLeft = std::abs(64 / SpeedY);
      }
    }
  }
  UpdateScreenPosition();
  // A life cycle of 0 or below never reaches 0 again: the runner lives on.
  if (LifeLeft > 0 && --LifeLeft == 0) {
    Kill();
    Reinit();
  }
}

void TRunner::MoveBy(int32_t dx, int32_t dy) {
  FineX += dx * 4;
  FineY += dy * 4;
  UpdateScreenPosition();
  Col = FloorDiv(FineX, 64);
  Row = FloorDiv(FineY, 64);
}

void TRunner::Revive() {
  TZorbSprite::Revive();
  Reinit();
}

}  // namespace zorbin
