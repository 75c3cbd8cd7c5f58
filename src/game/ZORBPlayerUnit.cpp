// ZORBPlayerUnit: the player's set-up, per-frame decisions and steps, its
// occupancy marks in the tile map, and the appear and port effects.
#include "game/ZORBPlayerUnit.h"

#include "formats/QXINIFile.h"
#include "formats/TileMapUnit.h"
#include "pictures/ImageUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "util/SoundEvents.h"

#include <climits>
#include <exception>

namespace zorbin {

namespace {

// Positions come from object files and callers: sums wrap instead of
// overflowing.
int32_t WrapAdd(int32_t a, int64_t b) { return static_cast<int32_t>(static_cast<uint32_t>(int64_t(a) + b)); }

bool InInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

int32_t CellAt(int64_t x, int64_t y) {
  if (!TileMap || !InInt32(x) || !InInt32(y)) return 0;
  return TileMap->GetLogic(int32_t(x), int32_t(y));
}

void SetCell(int64_t x, int64_t y, int32_t value) {
  if (!TileMap || !InInt32(x) || !InInt32(y)) return;
  TileMap->SetLogic(int32_t(x), int32_t(y), value);
}

bool KeyHeld(int key) { return QX_SDL::Keys[key]; }

void SetBlackTransparent(TImage& image) {
  if (image.Surface) SDL_SetColorKey(image.Surface, SDL_SRCCOLORKEY | SDL_RLEACCEL, 0);
}

// Same size as the image; every non-black pixel of it is light blue here.
std::unique_ptr<TImage> MakeSilhouette(TImage& image) {
  if (!image.Surface) return std::make_unique<TImage>();
  auto silhouette = std::make_unique<TImage>(image.Width(), image.Height());
  // Locking also unpacks a run-length encoded (colour-keyed) source.
  SDL_LockSurface(image.Surface);
  SDL_LockSurface(silhouette->Surface);
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      if (image.GetPixel(x, y) != 0) silhouette->PutPixel(x, y, 128, 192, 240);
  SDL_UnlockSurface(silhouette->Surface);
  SDL_UnlockSurface(image.Surface);
  return silhouette;
}

}  // namespace

struct TPlayer::TSetup {
  int32_t x = 0;
  int32_t y = 0;
  std::unique_ptr<TImage> image;
};

TPlayer::TSetup TPlayer::ReadSetup(const TIniFile& ini, const std::string& section) {
  TSetup setup;
  setup.x = ini.ReadInteger(section, "PositionX", 0, "");
  setup.y = ini.ReadInteger(section, "PositionY", 0, "");
  std::string name = ini.ReadString(section, "Image", "*", "");
  // A name that yields no picture ("*", the default, among them) is as
  // missing as one whose file is not there: either way the figure would be
  // invisible.
  setup.image = LoadObjectImage(name, {"Player image not found.", "ZORBPlayerUnit, TPlayer.Create", section});
  return setup;
}

TPlayer::TPlayer(const TIniFile& ini, const std::string& section) : TPlayer(ReadSetup(ini, section)) {}

TPlayer::TPlayer(TSetup setup) : TZorbSprite(0, 0, setup.image.get()), ownImage_(std::move(setup.image)) {
  TileX = setup.x / 16;
  TileY = setup.y / 16;
  X = WrapAdd(setup.x, 64);
  Y = WrapAdd(setup.y, 64);
  FineX = WrapAdd(0, int64_t(X) * 4);
  FineY = WrapAdd(0, int64_t(Y) * 4);
  Silhouette = MakeSilhouette(*ownImage_);
  SetBlackTransparent(*ownImage_);
  SetBlackTransparent(*Silhouette);
  Direction = kFacingRight;
  Timer = 0;
  Frame = 0;
  WalkFrames = ownImage_->Width() / 2;
  State = kStanding;
  ZOrder = 0;
  Marked = false;
  Occupy();
}

TPlayer::~TPlayer() = default;

void TPlayer::Occupy() {
  for (int64_t row : {int64_t(TileY), int64_t(TileY) + 1}) SetCell(TileX, row, CellAt(TileX, row) | kCellPlayer);
}

// Only the player's own bit goes: lift, floor and port values of the cells stay.
void TPlayer::ClearOccupancy() {
  for (int64_t row : {int64_t(TileY), int64_t(TileY) + 1}) SetCell(TileX, row, CellAt(TileX, row) & ~kCellPlayer);
}

void TPlayer::Move() {
  if (Timer != 0) {
    if (Marked) {
      ClearOccupancy();
      Marked = false;
    }
    switch (State) {
      case kWalking:
        // Frame counts pixels of the walk cycle; without an image there is no cycle.
        if (Direction == kFacingLeft) {
          FineX = WrapAdd(FineX, -4);
          X = FineX / 4;
          if (WalkFrames <= 0) {
            Frame = 0;
          } else {
            if (Frame <= 0) Frame = WalkFrames;
            Frame -= 1;
          }
        } else {
          FineX = WrapAdd(FineX, 4);
          X = FineX / 4;
          Frame += 1;
          if (Frame >= WalkFrames) Frame = 0;
        }
        break;
      case kFalling: Y = WrapAdd(Y, 2); break;
      case kStrongLift: Y = WrapAdd(Y, -4); break;
      case kLifting: Y = WrapAdd(Y, -1); break;
      default: break;
    }
    Timer -= 1;
    if (Timer == 0) EndStep();
  }
  if (Timer == 0 && State == kStanding) Decide();
  bool riding = State == kStrongLift || State == kLifting;
  if (riding != riding_) RaiseSound(riding ? TSoundEvent::LiftOn : TSoundEvent::LiftOff);
  riding_ = riding;
}

void TPlayer::EndStep() {
  switch (State) {
    case kWalking:
      State = kStanding;
      TileX += Direction == kFacingLeft ? -1 : 1;
      Occupy();
      break;
    case kFalling:
      TileY += 1;
      if (!(CellAt(TileX, int64_t(TileY) + 2) & kCellFloor)) {
        Timer = 8;
      } else {
        State = kStanding;
        Occupy();
        RaiseSound(TSoundEvent::Land);
      }
      break;
    case kStrongLift:
      TileY -= 1;
      if (!(CellAt(TileX, int64_t(TileY) + 2) & kCellFloor)) {
        Timer = 4;
      } else {
        State = kStanding;
        Occupy();
      }
      break;
    case kLifting:
      TileY -= 1;
      State = kStanding;
      Occupy();
      break;
    case kAppearing: State = kStanding; break;
    case kEnteringPort: State = kGone; break;
    default: break;
  }
}

void TPlayer::Decide() {
  const int64_t x = TileX, y = TileY;
  const int32_t below = CellAt(x, y + 2);
  if (!(below & (kCellFloor | kCellLift))) {
    Timer = 8;
    State = kFalling;
    Marked = true;
  } else if (below & kCellStrongLift) {
    Timer = 4;
    State = kStrongLift;
    Marked = true;
  } else if ((CellAt(x, y) | CellAt(x, y + 1)) & kCellLift) {
    Timer = 16;
    State = kLifting;
    Marked = true;
  } else if (KeyHeld(kKeyLeft) && TileX > 0 && !((CellAt(x - 1, y) | CellAt(x - 1, y + 1)) & kCellWallRight)) {
    Timer = 16;
    Direction = kFacingLeft;
    State = kWalking;
    Marked = true;
  } else if (KeyHeld(kKeyRight) && TileX < 31 && !((CellAt(x + 1, y) | CellAt(x + 1, y + 1)) & kCellWallLeft)) {
    Timer = 16;
    Direction = kFacingRight;
    State = kWalking;
    Marked = true;
  } else if (KeyHeld(kKeySpace) && below > 256) {
    State = kEnteringPort;
    Timer = 128;
    RaiseSound(TSoundEvent::PortEnter);
  }
}

void TPlayer::SetSilhouetteAlpha(int alpha) {
  if (Silhouette->Surface) SDL_SetAlpha(Silhouette->Surface, SDL_SRCALPHA | SDL_RLEACCEL, Uint8(alpha));
}

void TPlayer::Draw() {
  const int16_t x = int16_t(X), y = int16_t(Y);
  const int16_t sx = int16_t((Frame / 8) * 16), sy = int16_t(Direction);
  switch (State) {
    case kAppearing:
      if (Timer < 1) return;
      if (Timer > 64) {
        // The silhouette grows downwards.
        QX_SDL::DrawImagePart(x, y, sx, sy, 16, int16_t((130 - Timer) / 2), Silhouette.get());
      } else {
        // The image shows through the fading silhouette.
        QX_SDL::DrawImagePart(x, y, sx, sy, 16, 32, ownImage_.get());
        SetSilhouetteAlpha(Timer * 4 - 1);
        QX_SDL::DrawImagePart(x, y, sx, sy, 16, 32, Silhouette.get());
      }
      return;
    case kEnteringPort:
    case kGone:
      if (Timer < 1) return;
      if (Timer > 64) {
        // The silhouette fades in over the image.
        QX_SDL::DrawImagePart(x, y, sx, sy, 16, 32, ownImage_.get());
        SetSilhouetteAlpha((128 - Timer) * 4);
        QX_SDL::DrawImagePart(x, y, sx, sy, 16, 32, Silhouette.get());
      } else {
        // Only the silhouette, shrinking towards the feet.
        SetSilhouetteAlpha(255);
        const int16_t h = int16_t((Timer + 1) / 2);
        QX_SDL::DrawImagePart(x, int16_t(y + 32 - h), sx, int16_t(sy + 32 - h), 16, h, Silhouette.get());
      }
      return;
    default: QX_SDL::DrawImagePart(x, y, sx, sy, 16, 32, ownImage_.get()); return;
  }
}

void TPlayer::UpdateTiles() {
  X = FineX / 4;
  Y = FineY / 4;
  TileX = int32_t((int64_t(X) - 64) / 16);
  TileY = int32_t((int64_t(Y) - 64) / 16);
}

void TPlayer::MoveTo(int32_t x, int32_t y) {
  FineX = WrapAdd(0, int64_t(x) * 4);
  FineY = WrapAdd(0, int64_t(y) * 4);
  UpdateTiles();
}

void TPlayer::MoveBy(int32_t dx, int32_t dy) {
  FineX = WrapAdd(FineX, int64_t(dx) * 4);
  FineY = WrapAdd(FineY, int64_t(dy) * 4);
  UpdateTiles();
}

void TPlayer::Appear() {
  State = kAppearing;
  Timer = 128;
  SetSilhouetteAlpha(255);
}

uint8_t TPlayer::PortBelow() const { return uint8_t((uint32_t(CellAt(TileX, int64_t(TileY) + 2)) >> 8) & 0xFF); }

}  // namespace zorbin
