// ZORBBoxesUnit: box motion rules, slots, lamps, sparkles, completion.
#include "objects/ZORBBoxesUnit.h"

#include "formats/QXINIFile.h"
#include "formats/TileMapUnit.h"
#include "objects/ZORBObjectKeys.h"
#include "pictures/ImageUnit.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBParticleEngineUnit.h"
#include "util/QXToolbox.h"
#include "util/SoundEvents.h"

#include <algorithm>
#include <exception>

namespace zorbin {

static constexpr int32_t kSolid = 0x0F;
static constexpr int32_t kFloor = 0x02;
static constexpr int32_t kBlocksBox = 0x1F;
static constexpr int32_t kMark = 0x40;

static int32_t Cell(int32_t col, int32_t row) { return TileMap ? TileMap->GetLogic(col, row) : 0; }
static void SetCell(int32_t col, int32_t row, int32_t v) {
  if (TileMap) TileMap->SetLogic(col, row, v);
}
static void SetBits(int32_t col, int32_t row, int32_t bits) { SetCell(col, row, Cell(col, row) | bits); }
static void ClearLowBits(int32_t col, int32_t row) { SetCell(col, row, Cell(col, row) & ~kSolid); }

TBox::TBox(TIniFile& ini, const std::string& section, int n) : TZorbSprite(0, 0, nullptr) {
  std::string number = std::to_string(n);
  int32_t x = ReadObjectValue(ini, section, "Position" + number + "X", 0, "ZORBBoxesUnit, TBox.Create");
  int32_t y = ReadObjectValue(ini, section, "Position" + number + "Y", 0, "ZORBBoxesUnit, TBox.Create");
  Col = FloorDiv(x, 16);
  Row = FloorDiv(y, 16);
  ownImage_ = LoadObjectImage(ini.ReadString(section, "Image" + number, "*", ""),
                              {"Box image not found.", "ZORBBoxesUnit, TBox.Create", section});
  SetupSprite(x + 64, y + 64, ownImage_.get());
  FrameDelay = ini.ReadInteger(section, "FrameDelay", 0, "");
  Timer = 0;
  State = Idle;
}

TBox::~TBox() = default;

void TBox::MarkSolid() {
  SetBits(Col, Row, kSolid);
  SetBits(Col + 1, Row, kSolid);
}

void TBox::FinishMotion() {
  switch (State) {
    case Sliding:
      State = Idle;
      if (Dir == Left) {
        Col -= 1;
        SetBits(Col, Row, kSolid);
      } else {
        Col += 1;
        SetBits(Col + 1, Row, kSolid);
      }
      break;
    case Falling:
      ClearLowBits(Col, Row);
      ClearLowBits(Col + 1, Row);
      Row += 1;
      if (!((Cell(Col, Row + 2) | Cell(Col + 1, Row + 2)) & kFloor)) {
        Timer = 8;
      } else {
        State = Idle;
        MarkSolid();
      }
      break;
    case Hopping:
      State = Idle;
      Col += Dir == Left ? -4 : 4;
      MarkSolid();
      break;
    case Sinking: State = Delivered; break;
    default: break;
  }
}

void TBox::Decide() {
  if ((Cell(Col, Row + 2) & kMark) && (Cell(Col + 1, Row + 2) & kMark)) {
    Timer = 32;
    State = Sinking;
    ClearLowBits(Col, Row);
    ClearLowBits(Col + 1, Row);
    RaiseSound(TSoundEvent::CrateSettle);
    return;
  }
  if (!((Cell(Col, Row + 2) | Cell(Col + 1, Row + 2)) & kFloor)) {
    Timer = 8;
    State = Falling;
    return;
  }
  if (Col < 30 && ((Cell(Col + 2, Row) | Cell(Col + 2, Row + 1)) & kMark)) {
    Timer = 16;
    RaiseSound(TSoundEvent::CratePush);
    if (Col > 0 && !((Cell(Col - 1, Row) | Cell(Col - 1, Row + 1)) & kBlocksBox)) {
      State = Sliding;
      Dir = Left;
      ClearLowBits(Col + 1, Row);
    } else {
      State = Hopping;
      Dir = Right;
      ClearLowBits(Col, Row);
      ClearLowBits(Col + 1, Row);
    }
    return;
  }
  if (Col > 0 && ((Cell(Col - 1, Row) | Cell(Col - 1, Row + 1)) & kMark)) {
    Timer = 16;
    RaiseSound(TSoundEvent::CratePush);
    if (Col != 30 && !((Cell(Col + 2, Row) | Cell(Col + 2, Row + 1)) & kBlocksBox)) {
      State = Sliding;
      Dir = Right;
      ClearLowBits(Col, Row);
    } else {
      State = Hopping;
      Dir = Left;
      ClearLowBits(Col, Row);
      ClearLowBits(Col + 1, Row);
    }
  }
}

void TBox::Move() {
  if (Timer != 0) {
    switch (State) {
      case Sliding: X += Dir == Left ? -1 : 1; break;
      case Falling: Y += 2; break;
      case Hopping: X += Dir == Left ? -4 : 4; break;
      case Sinking: Y += 1; break;
      default: break;
    }
    Timer -= 1;
    if (Timer == 0) FinishMotion();
  }
  if (Timer == 0 && State == Idle) Decide();
}

TBoxes::TBoxes(TIniFile& ini, const std::string& section) : TZorbSprite(0, 0, nullptr) {
  BoxCount = 3;
  for (int i = 0; i < 3; ++i) {
    Boxes[i] = std::make_unique<TBox>(ini, section, i + 1);
    if (i == 0) Boxes[0]->MarkSolid();
  }
  Current = 0;
  int32_t targetX = ReadObjectValue(ini, section, "TargetX", 272, "ZORBBoxesUnit, TBoxes.Create");
  TargetCol = FloorDiv(targetX, 16);
  TargetX = targetX + 64;
  ZOrder = 0;
  static const uint8_t kSparkleColours[4][3] = {{255, 0, 136}, {255, 255, 136}, {0, 136, 255}, {0, 255, 136}};
  for (const auto& c : kSparkleColours)
    Sparkles.push_back(ParticleAnims ? ParticleAnims->GetFade(c[0], c[1], c[2], 48, 48, 48, 16) : -1);
  for (int i = 0; i < 3; ++i)
    TargetImages[i] = LoadObjectImage(ini.ReadString(section, "TargetImage" + std::to_string(i + 1), "*", ""),
                                      {"Image not found.", "ZORBBoxesUnit, TBoxes.Create", section});
  SetLamp(0, 2);
  SetLamp(1, 1);
  SetLamp(2, 1);
  SparkleTimer = 2;
  SetBits(TargetCol, kSlotRow, kMark);
  SetCell(TargetCol + 1, kSlotRow, Cell(TargetCol, kSlotRow));
}

TBoxes::~TBoxes() = default;

void TBoxes::SetLamp(int i, int picture) {
  Lamps[i] = std::make_unique<TSprite>(TargetX + 32 * i, 400, TargetImages[picture - 1].get());
  Lamps[i]->FrameDelay = 4;
}

void TBoxes::SetSlot(int i, bool marked) {
  int32_t base = Cell(TargetCol, kSlotRow);
  int32_t value = marked ? (base | kMark) : (base & ~kMark);
  SetCell(TargetCol + 2 * i, kSlotRow, value);
  SetCell(TargetCol + 2 * i + 1, kSlotRow, value);
}

void TBoxes::Move() {
  int32_t r = Random(32);
  // Once all boxes are in, the timer stays at 0 instead of running down.
  if (SparkleTimer > 0) SparkleTimer -= 1;
  if (SparkleTimer == 0 && Current < 3) {
    int32_t x = TargetX + 32 * Current + r;
    int anim = Sparkles[size_t(Random(int32_t(Sparkles.size())))];
    if (ParticleEngine) ParticleEngine->Spawn(x, 368, x, 397, 64, anim);
    SparkleTimer = 3;
  }
  if (Current < 3 && Boxes[Current]->IsDelivered()) {
    SetLamp(Current, 3);
    RaiseSound(TSoundEvent::SlotLamp);
    SetSlot(Current, false);
    Current += 1;
    if (Current < 3) {
      Boxes[Current]->MarkSolid();
      SetLamp(Current, 2);
      SetSlot(Current, true);
    }
  }
  if (Current < 3) Boxes[Current]->Move();
}

void TBoxes::Draw() {
  for (auto& lamp : Lamps) lamp->Draw();
  for (int i = 0; i <= std::min(Current, int32_t(2)); ++i) Boxes[i]->Draw();
}

}  // namespace zorbin
