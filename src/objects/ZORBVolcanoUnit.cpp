// ZORBVolcanoUnit: the eruption cycle, lift bits and fire spray.
#include "objects/ZORBVolcanoUnit.h"

#include "formats/QXINIFile.h"
#include "formats/TileMapUnit.h"
#include "objects/ZORBObjectKeys.h"
#include "pictures/ImageUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBParticleEngineUnit.h"
#include "util/QXToolbox.h"
#include "util/SoundEvents.h"

#include <exception>

namespace zorbin {

std::unique_ptr<TImage> CreateFireAnimation() {
  auto image = std::make_unique<TImage>(96, 3);
  for (int f = 0; f < 32; ++f) {
    int r, g, b;
    if (f < 8) {
      r = 255, g = 255 - 4 * f, b = 255 - 32 * f;
    } else if (f < 24) {
      r = 255, g = 224 - 14 * (f - 8), b = 0;
    } else {
      r = 255 - 32 * (f - 24), g = 0, b = 0;
    }
    static const int kPlus[5][2] = {{1, 0}, {0, 1}, {1, 1}, {2, 1}, {1, 2}};
    for (const auto& p : kPlus) image->PutPixel(3 * f + p[0], p[1], uint8_t(r), uint8_t(g), uint8_t(b));
  }
  image->ColorKeyed = true;
  image->ApplyColorKey();
  return image;
}

static const char* const kContext = "ZORBVolcanoUnit, TVolcano.Create";

TVolcano::TVolcano(TIniFile& ini, const std::string& section) : TZorbSprite(0, 0, nullptr) {
  ScreenX = ReadObjectValue(ini, section, "Position", 0, kContext) + 64;
  std::string name = ini.ReadString(section, "Image", "*", "");
  // Without its picture the crater is an empty (black, keyed-out) area.
  CraterImage = LoadObjectImage(name, {"Crater image not found.", kContext, section},
                                [] { return std::make_unique<TImage>(64, 32); });
  CraterImage->ColorKeyed = true;
  CraterImage->ApplyColorKey();
  Tick = 0;
  if (ParticleAnims) FireAnim = ParticleAnims->AddAnim(CreateFireAnimation(), "*Volcano*");
  ZOrder = 0;
}

TVolcano::~TVolcano() = default;

void TVolcano::SetLiftBits(bool on) {
  if (!TileMap) return;
  for (int col : {(ScreenX - 48) / 16, (ScreenX - 32) / 16}) {
    int32_t v = TileMap->GetLogic(col, kLiftRow);
    TileMap->SetLogic(col, kLiftRow, on ? (v | kStrongLift) : (v & ~kStrongLift));
  }
}

void TVolcano::Move() {
  Tick += 1;
  if (Tick == 20) SetLiftBits(false);
  if (Tick == 140) SetLiftBits(true);
  if (Tick == 121) RaiseSound(TSoundEvent::VolcanoErupt);
  if (Tick > 120 && ParticleEngine) {
    int32_t fromX = ScreenX + 29 + Random(6);
    int32_t toX = ScreenX + 16 + Random(32);
    int32_t toY = 358 + Random(26);
    ParticleEngine->Spawn(fromX, 406, toX, toY, 32, FireAnim);
  }
  if (Tick == kCycle) Tick = 0;
}

void TVolcano::Draw() { QX_SDL::DrawImage(int16_t(ScreenX), kCraterY, CraterImage.get()); }

void TVolcano::MoveBy(int32_t dx, int32_t) { ScreenX += dx; }

}  // namespace zorbin
