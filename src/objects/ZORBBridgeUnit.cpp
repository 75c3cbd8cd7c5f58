// ZORBBridgeUnit: building, the dissolve map and crumbling.
#include "objects/ZORBBridgeUnit.h"

#include "formats/QXINIFile.h"
#include "formats/TileMapUnit.h"
#include "log/Diagnostics.h"
#include "objects/ZORBObjectKeys.h"
#include "pictures/ImageUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBParticleEngineUnit.h"
#include "util/QXToolbox.h"
#include "util/SoundEvents.h"

#include <SDL.h>

#include <algorithm>
#include <exception>

namespace zorbin {

// A bridge longer than the play area could never be seen whole. The limit,
// the default length (twice the play area), keeps its two pictures small:
// a map may hold a thousand bridges.
static constexpr int32_t kMaxWidth = 64;

static const char* const kContext = "ZORBBridgeUnit, TBridge.Create";

// Width x 16 by 16, black transparent; no surface for a bridge of no tiles.
static std::unique_ptr<TImage> CreateStrip(int32_t width) {
  auto image = width > 0 ? std::make_unique<TImage>(width * 16, 16) : std::make_unique<TImage>();
  image->ColorKeyed = true;
  image->ApplyColorKey();
  return image;
}

TBridge::TBridge(TIniFile& ini, const std::string& section) : TZorbSprite(0, 0, nullptr) {
  X = ReadObjectValue(ini, section, "PositionX", 0, kContext) + 64;
  Y = ReadObjectValue(ini, section, "PositionY", 0, kContext) + 64;
  Width = ini.ReadInteger(section, "Width", 64, "");
  if (Width < 0 || Width > kMaxWidth) {
    int32_t fixed = std::clamp(Width, int32_t(0), kMaxWidth);
    ReportBadValue(ini, section, "Width", TSeverity::Warning,
                   "Bridge width out of range (" + IntToStr(Width) + "), using " + IntToStr(fixed), kContext);
    Width = fixed;
  }
  std::string name = ini.ReadString(section, "Image", "*", "");
  // Without its picture a bridge is drawn as a plain grey plank.
  TileImage = LoadObjectImage(name, {"Bridge image not found.", kContext, section}, [] {
    auto plank = std::make_unique<TImage>(32, 16);
    plank->FillRect(0, 0, 31, 15, 255, 255, 255);
    plank->FillRect(0, 3, 31, 12, 128, 128, 128);
    return plank;
  });
  BuildImage = CreateStrip(Width);
  DissolveImage = CreateStrip(Width);
  BuildImage->Tile(TileImage.get());
  {
    TSurfaceLock lock(TileImage->Surface);
    // Pixels beyond a smaller tile picture read as black.
    for (int x = 0; x < 32; ++x)
      for (int y = 0; y < 16; ++y) {
        uint32_t v = TileImage->GetPixel(x, y);
        PixelAnims[x * 16 + y] =
            ParticleAnims ? ParticleAnims->GetFade(uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), 0, 0, 0, 16) : -1;
      }
  }
  DissolveMap.assign(size_t(Width) * 256, 0);
  BuildTime = Width * 64;
  Counter = 0;
}

TBridge::~TBridge() = default;

void TBridge::SetCell(int32_t k, int32_t value) {
  if (TileMap) TileMap->SetLogic(FloorDiv(X - 64, 16) + k, FloorDiv(Y - 64, 16), value);
}

void TBridge::Crumble() {
  int32_t columns = Width * 16;
  int32_t threshold = (Counter - BuildTime - 1) / 15 + 1;
  // Rows 16 - threshold .. 15 may crumble now.
  int32_t firstRow = std::max(int32_t(0), 16 - threshold);
  TSurfaceLock lock(DissolveImage->Surface);
  for (int32_t n = 0; n < Width; ++n) {
    int32_t left = 0;
    for (int32_t y = firstRow; y < 16; ++y) left += rowStanding_[size_t(y)];
    if (left == 0) return;  // nothing left to pick: the choice below would never end
    // A pixel that is gone (16) is never picked again, also once the
    // threshold has passed 16 in the last crumbling frames: each frame takes
    // Width standing pixels, so the last frame takes the last of them.
    int32_t x, y;
    uint8_t order;
    do {
      x = Random(columns);
      y = Random(16);
      order = DissolveMap[size_t(x + y * columns)];
    } while (order >= threshold || order == kGone);
    if (ParticleEngine)
      ParticleEngine->Spawn(X + x - 1, Y + y - 1, X + x - 1, Y + y + 32 + Random(32), 32,
                            PixelAnims[(x % 32) * 16 + y]);
    DissolveImage->PutPixelRaw(x, y, 0);
    DissolveMap[size_t(x + y * columns)] = kGone;
    rowStanding_[size_t(y)] -= 1;
  }
}

void TBridge::Move() {
  Counter += 1;
  if (Counter < BuildTime && (Counter - 32) >= 0 && (Counter - 32) % 64 == 0) SetCell((Counter - 32) / 64, kFloor);
  if (Counter == BuildTime) {
    int32_t columns = Width * 16;
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < columns; ++x) DissolveMap[size_t(x + y * columns)] = uint8_t(15 - y);
    rowStanding_.assign(16, columns);
    DissolveImage->FillRect(0, 0, columns, 16, 0, 0, 0);
    DissolveImage->Draw(0, 0, BuildImage.get());
  }
  if (Counter == BuildTime + 1) RaiseSound(TSoundEvent::BridgeCrumble);
  if (Counter > BuildTime) Crumble();
  if (Counter == BuildTime + kCrumbleTime) {
    Counter = 0;
    for (int32_t k = 0; k < Width; ++k) SetCell(k, 0);
  }
}

void TBridge::Draw() {
  if (Counter < BuildTime) {
    int32_t column = Width * 16 * Counter / BuildTime;
    QX_SDL::DrawImagePart(int16_t(X), int16_t(Y), 0, 0, int16_t(column + 1), 16, BuildImage.get());
  } else {
    QX_SDL::DrawImage(int16_t(X), int16_t(Y), DissolveImage.get());
  }
}

void TBridge::MoveBy(int32_t dx, int32_t dy) {
  X += dx;
  Y += dy;
}

}  // namespace zorbin
