// ZORBPlay1MapUnit: map set-up and the play loop.
#include "game/ZORBPlay1MapUnit.h"

#include "formats/QXINIFile.h"
#include "formats/XMapUnit.h"
#include "game/ZORBAirMeterUnit.h"
#include "game/ZORBMapLayers.h"
#include "game/ZORBMapSetupFailure.h"
#include "game/ZORBObjectFactory.h"
#include "game/ZORBPlayerUnit.h"
#include "game/ZORBProgress.h"
#include "log/Diagnostics.h"
#include "pictures/ImageCollectionUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBSpriteUnit.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/SoundEvents.h"
#include "util/Streams.h"

#include <SDL.h>

namespace zorbin {

std::string MapLayerName(int n) { return "map" + ZeroPad(n, 2) + ".mpt"; }

// Text alignment codes of the fonts.
static constexpr int kAlignCentre = 1;

TMapInfo ReadMapInfo(const TIniFile& ini) {
  TMapInfo info;
  info.Hint = ini.ReadString("MapInfo", "Hint", "");
  info.AirOutRestarts = SameText(ini.ReadString("MapInfo", "AirOut", ""), "Restart");
  return info;
}

TPlay1Map::TPlay1Map(const std::string& dir, int32_t px, int32_t py, const TVisitOptions& options)
    : dir_(dir), options_(options) {
  // A set-up that raises leaves no half-built map behind: the caller may go
  // on (a watching run waits for the map to be mended).
  try {
    SetUp(dir, px, py);
  } catch (...) {
    TearDown();
    throw;
  }
}

void TPlay1Map::SetUp(const std::string& dir, int32_t px, int32_t py) {
  StreamOpener->SetCurrentDir(dir);
  Globals = std::make_unique<TMapGlobals>(std::make_unique<TXMap>());
  PaintBackground();
  std::vector<std::string> objectList;
  LoadLayers(objectList);
  CreateObjects(objectList);
  BuildCoverTile();
  CoverPlayArea();
  SetUpCurtain();
  AirMeter = std::make_unique<TAirMeter>();
  BuildTitleCard();
  ShowTitleCard();
  if (px != -1 && py != -1 && Player) {
    Player->MoveTo(px, py);
    Player->Appear();
  }
}

TPlay1Map::~TPlay1Map() { TearDown(); }

void TPlay1Map::TearDown() {
  // The sprites go first, before the pictures and the air meter; Globals,
  // declared first, frees the rest of the map-wide globals last.
  if (SpriteEngine) SpriteEngine->FreeAll();
  Player = nullptr;
  AirMeter.reset();
  TitleFont.reset();
  TitleCard.reset();
  CoverTile.reset();
  Background.reset();
  Globals.reset();
  StreamOpener->SetCurrentDir("");
}

void TPlay1Map::PaintBackground() {
  Background = std::make_unique<TImage>(640, 480);
  PaintMapFrame(*Background);
}

void TPlay1Map::LoadLayers(std::vector<std::string>& objectList) {
  for (int n = 0;; ++n) {
    std::string name = MapLayerName(n);
    if (!StreamOpener->FileExists(name)) break;
    static_cast<TXMap*>(TileMap)->Load(name);
    LayerStep(objectList);
  }
  if (TileMap->Width() <= 0 || TileMap->Height() <= 0) {
    FailMapSetup({.Kind = TDiagnosticKind::MissingFile,
                  .Message = "No tile map file found! (map00.mpt)",
                  .Context = "ZORBPlay1MapUnit, TPlay1Map.Create",
                  .File = MapLayerName(0)});
  }
}

void TPlay1Map::PaintStars() {
  // Rows 303 down to 0, the even ones: 302, 300, ..., 0.
  for (int r = 302; r >= 0; r -= 2) {
    int b = 224 - (r * 224) / 303;
    int red = b + Random(32), green = b + Random(32), blue = b + Random(32);
    int x = kPlayLeft + Random(kPlayWidth);
    Background->PutPixel(x, kPlayTop + r, uint8_t(red), uint8_t(green), uint8_t(blue));
  }
}

void ListPlacedObjects(const TTileMap& map, const TLayerBindings& bindings, std::vector<std::string>& objectList) {
  for (int x = 0; x < TPlay1Map::kColumns; ++x)
    for (int y = 0; y < TPlay1Map::kRows; ++y) {
      char c = char(map.GetRaw(x, y) & 0xFF);
      if (const std::string* section = bindings.ObjectFor(c))
        objectList.push_back(*section + "," + std::to_string(16 * x) + "," + std::to_string(16 * y));
    }
}

void TPlay1Map::LayerStep(std::vector<std::string>& objectList) {
  PaintStars();
  TLayerBindings bindings = ReadLayerBindings(TileMap->ExtraLines);
  TImageCollection images;
  for (const TLayerBinding& b : bindings.Pictures) images.Add(b.Name, std::string(1, b.Tile), nullptr);
  for (int x = 0; x < kColumns; ++x) {
    for (int y = 0; y < kRows; ++y) {
      char c = char(TileMap->GetRaw(x, y) & 0xFF);
      if (bindings.NeverDrawn.find(c) != std::string::npos) continue;
      TImage* image = images.FindImage(std::string(1, c));
      if (image) Background->Draw(kPlayLeft + 16 * x, kPlayTop + 16 * y, image);
    }
  }
  ListPlacedObjects(*TileMap, bindings, objectList);
}

void TPlay1Map::CreateObjects(const std::vector<std::string>& objectList) {
  std::unique_ptr<TStream> stream = StreamOpener->OpenStream("objects.ini");
  TIniFile ini(*stream);
  PlaceObjects(ini, objectList);
  TObjectFactory factory;
  factory.CreateObjects(*SpriteEngine, ini, "Objects", 0, 0);
  Player = factory.Player();
  Info = ReadMapInfo(ini);
}

void PlaceObjects(TIniFile& ini, const std::vector<std::string>& objectList) {
  for (size_t i = 0; i < objectList.size(); ++i) {
    std::vector<std::string> parts = SplitString(objectList[i], ',');
    std::string temp = "$temp$" + std::to_string(i);
    ini.CopySection(parts[0], temp);
    ini.WriteString(temp, "PositionX", parts.size() > 1 ? parts[1] : "0");
    ini.WriteString(temp, "PositionY", parts.size() > 2 ? parts[2] : "0");
    ini.WriteListItem("Objects", temp);
  }
}

void TPlay1Map::BuildCoverTile() {
  CoverTile = std::make_unique<TImage>(kCoverTileSize, kCoverTileSize);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      if ((i + j) % 2 == 0)
        CoverTile->FillRect(8 * i, 8 * j, 8, 8, 64, 16, 96);
      else
        CoverTile->FillRect(8 * i, 8 * j, 8, 8, 32, 8, 48);
    }
}

void TPlay1Map::CoverPlayArea() {
  QX_SDL::DrawImage(0, 0, Background.get());
  for (int i = 0; i < kCoverColumns; ++i)
    for (int j = 0; j < kCoverRows; ++j)
      QX_SDL::DrawImage(int16_t(kPlayLeft + kCoverTileSize * i), int16_t(kPlayTop + kCoverTileSize * j),
                        CoverTile.get());
}

void TPlay1Map::SetUpCurtain() {
  State = TPlayState::Reveal;
  Counter = 0;
  for (int i = 0; i < kCoverColumns; ++i)
    for (int j = 0; j < kCoverRows; ++j)
      Blocks[i][j] = TCurtainBlock{-kCoverTileSize, kPlayTop + kCoverTileSize * j, Random(100)};
}

void TPlay1Map::BuildTitleCard() {
  TitleCard = std::make_unique<TImage>(kPlayWidth, kPlayHeight);
  for (int i = 0; i < kCoverColumns; ++i)
    for (int j = 0; j < kCoverRows; ++j) TitleCard->Draw(kCoverTileSize * i, kCoverTileSize * j, CoverTile.get());
  TitleFont = std::make_unique<TTGAFont>("\\font");
  TitleFont->SetColorKey(0, 0, 0);
  TitleFont->TextOutOn(TitleCard.get(), TileMap->MapName, kPlayWidth / 2, 80, kAlignCentre);
  TitleFont->TextOutOn(TitleCard.get(), "by " + TileMap->Author, kPlayWidth / 2, 128, kAlignCentre);
  int y = 176;
  if (!Info.Hint.empty()) {
    TitleFont->TextOutOn(TitleCard.get(), Info.Hint, kPlayWidth / 2, y, kAlignCentre);
    y += 48;
  }
  std::optional<uint32_t> best = options_.Progress ? options_.Progress->Best(dir_) : std::nullopt;
  if (best) TitleFont->TextOutOn(TitleCard.get(), "Best " + FramesAsSeconds(*best), kPlayWidth / 2, y, kAlignCentre);
}

void TPlay1Map::ShowTitleCard() {
  RaiseSound(TSoundEvent::TitleCard);
  // Each 16-pixel strip fills from its top, four frames per pixel row.
  for (int f = 0; f < kTitleFrames; ++f) {
    for (int s = 0; s < kRows; ++s)
      QX_SDL::DrawImagePart(kPlayLeft, int16_t(kPlayTop + 16 * s), 0, int16_t(16 * s), int16_t(kPlayWidth),
                            int16_t(f / 4 + 1), TitleCard.get());
    AirMeter->Draw();
    QX_SDL::Flip();
  }
}

void TPlay1Map::Play(TPlayResult& result) {
  AirMeter->Refill();
  QX_SDL::ClearKeys();
  do {
    AirMeter->Update();
    SpriteEngine->MoveAll();
    QX_SDL::DrawImage(0, 0, Background.get());
    AirMeter->Draw();
    SpriteEngine->DrawAll();
    if (QX_SDL::Keys[SDLK_TAB] || ShowValues) DrawOverlay();
    if (State == TPlayState::Reveal || State == TPlayState::Play) ++PlayFrames;
    StepPhase();
    QX_SDL::Flip();
    QX_SDL::PollEvents();
    if (QX_SDL::Keys[SDLK_q] && Player) Player->Appear();
    CheckEarlyEnd();
  } while (!QX_SDL::Keys[SDLK_ESCAPE] && State != TPlayState::Done && !(StopRequested && StopRequested()));

  if (QX_SDL::Keys[SDLK_ESCAPE]) {
    result.Code = TPlayCode::Escape;
    return;
  }
  if (State != TPlayState::Done) {
    result.Code = TPlayCode::Stopped;
    return;
  }
  result.Code = ending_;
  if (ending_ != TPlayCode::Completed) return;
  if (Player) {
    result.NextMap = Player->PortBelow();
    result.PlayerX = Player->X;
    result.PlayerY = Player->Y;
  }
}

void TPlay1Map::DrawOverlay() const {
  if (!DigitsFont) return;
  for (int c = 0; c < kColumns; ++c)
    for (int r = 0; r < kRows; ++r)
      DigitsFont->TextOut(std::to_string(TileMap->GetLogic(c, r)), 72 + 16 * c, 70 + 16 * r, kAlignCentre);
}

void TPlay1Map::StepPhase() {
  switch (State) {
    case TPlayState::Reveal: StepReveal(); break;
    case TPlayState::Play:
      StepPlay();
      // The closing starts in the frame the map is completed.
      if (State == TPlayState::Closing) StepClosing();
      break;
    case TPlayState::Closing: StepClosing(); break;
    case TPlayState::Done: break;
  }
}

void TPlay1Map::StepReveal() {
  // Each band shrinks from its top by one row every two frames.
  for (int b = 0; b < kCoverRows; ++b) {
    int top = kCoverTileSize * b + Counter / 2;
    QX_SDL::DrawImageRect(kPlayLeft, int16_t(kPlayTop + top), 0, int16_t(top), kPlayWidth - 1,
                          int16_t(kCoverTileSize * b + kCoverTileSize - 1), TitleCard.get());
  }
  Counter += 1;
  if (Counter == kRevealFrames) {
    State = TPlayState::Play;
    AirMeter->Start();
  }
}

void TPlay1Map::StepPlay() {
  if (!SpriteEngine->AnyCompleted()) return;
  State = TPlayState::Closing;
  AirMeter->CountDown();
  // Going through a port ends a visit too, with its own sound.
  if (!Player || !Player->IsCompleted()) RaiseSound(TSoundEvent::MapComplete);
  RecordCompletion();
}

// R and Backspace, where the caller takes them, and the air running out on
// a map that says so, close the curtain without completing the map.
void TPlay1Map::CheckEarlyEnd() {
  if (State != TPlayState::Reveal && State != TPlayState::Play) return;
  if (options_.CanRestart && QX_SDL::Keys[SDLK_r])
    EndEarly(TPlayCode::Restart);
  else if (options_.CanLeave && QX_SDL::Keys[SDLK_BACKSPACE])
    EndEarly(TPlayCode::Leave);
  else if (Info.AirOutRestarts && State == TPlayState::Play && AirMeter->Mode == TAirMeter::kRunning &&
           AirMeter->Air <= 0)
    EndEarly(TPlayCode::Restart);
}

void TPlay1Map::EndEarly(TPlayCode code) {
  ending_ = code;
  State = TPlayState::Closing;
}

void TPlay1Map::RecordCompletion() {
  // The player ends a visit by going through a port: that completes no map.
  if (!options_.Progress || (Player && Player->IsCompleted())) return;
  std::optional<uint32_t> before = options_.Progress->Best(dir_);
  bool newBest = options_.Progress->Record(dir_, PlayFrames);
  completionLines_ = {"Map complete", FramesAsSeconds(PlayFrames)};
  if (newBest && before) completionLines_.push_back("New best!");
}

void TPlay1Map::DrawCompletion() const {
  for (size_t i = 0; i < completionLines_.size(); ++i)
    TitleFont->TextOutOn(QX_SDL::BackImage(), completionLines_[i], kPlayLeft + kPlayWidth / 2,
                         kPlayTop + 128 + 40 * int(i), kAlignCentre);
}

void TPlay1Map::StepClosing() {
  int inPlace = 0;
  for (int i = 0; i < kCoverColumns; ++i) {
    int target = kPlayLeft + kCoverTileSize * i;
    for (int j = 0; j < kCoverRows; ++j) {
      TCurtainBlock& block = Blocks[i][j];
      if (block.X < target) {
        if (block.Delay > 0)
          block.Delay -= 1;
        else
          block.X += 8;
      }
      if (block.X >= target) inPlace += 1;
      QX_SDL::DrawImage(int16_t(block.X), int16_t(block.Y), CoverTile.get());
    }
  }
  DrawCompletion();
  if (inPlace == kCurtainBlocks) State = TPlayState::Done;
}

}  // namespace zorbin
