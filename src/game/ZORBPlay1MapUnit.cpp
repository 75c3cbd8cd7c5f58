// ZORBPlay1MapUnit: map set-up and the play loop.
#include "game/ZORBPlay1MapUnit.h"

#include "formats/QXINIFile.h"
#include "formats/XMapUnit.h"
#include "game/ZORBAirMeterUnit.h"
#include "game/ZORBObjectFactory.h"
#include "game/ZORBPlayerUnit.h"
#include "log/Logger.h"
#include "pictures/ImageCollectionUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBSpriteUnit.h"
#include "storage/QXStream.h"
#include "util/ProcessExit.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <SDL.h>

namespace zorbin {

// Text alignment codes of the fonts.
static constexpr int kAlignLeft = 0;
static constexpr int kAlignCentre = 1;

TPlay1Map::TPlay1Map(const std::string& dir, int32_t px, int32_t py) {
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

TPlay1Map::~TPlay1Map() {
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
  // The new image is black: the colour goes only around the play area,
  // which then is black, as if the whole were filled and the play area
  // cleared again.
  Background = std::make_unique<TImage>(640, 480);
  Background->FillRect(0, 0, 640, kPlayTop, 0, 25, 76);
  Background->FillRect(0, kPlayTop + kPlayHeight, 640, 480 - kPlayTop - kPlayHeight, 0, 25, 76);
  Background->FillRect(0, kPlayTop, kPlayLeft, kPlayHeight, 0, 25, 76);
  Background->FillRect(kPlayLeft + kPlayWidth, kPlayTop, 640 - kPlayLeft - kPlayWidth, kPlayHeight, 0, 25, 76);
  Background->DrawFile(140, 0, "\\logo.tga");
  if (MainFont) MainFont->TextOutOn(Background.get(), "V0.00 Demo 1", 490, 50, kAlignLeft);
  Background->Rectangle(62, 62, 514, 354, 96, 90, 84);
  Background->Rectangle(61, 61, 516, 356, 144, 135, 126);
  Background->Rectangle(60, 60, 518, 358, 96, 90, 84);
}

void TPlay1Map::LoadLayers(std::vector<std::string>& objectList) {
  for (int n = 0;; ++n) {
    std::string name = "map" + ZeroPad(n, 2) + ".mpt";
    if (!StreamOpener->FileExists(name)) break;
    static_cast<TXMap*>(TileMap)->Load(name);
    LayerStep(objectList);
  }
  if (TileMap->Width() <= 0 || TileMap->Height() <= 0) {
    Log->Error("No tile map file found! (map00.mpt)", "ZORBPlay1MapUnit, TPlay1Map.Create");
    HaltProcess(1);
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

void TPlay1Map::LayerStep(std::vector<std::string>& objectList) {
  PaintStars();
  const std::vector<std::string>& extra = TileMap->ExtraLines;
  std::string neverDrawn = extra.empty() ? std::string() : extra[0];
  TImageCollection images;
  std::vector<std::pair<char, std::string>> objectBindings;
  int part = 0;
  for (size_t i = 1; i < extra.size(); ++i) {
    const std::string& line = extra[i];
    if (line.empty()) {
      ++part;
      continue;
    }
    if (part == 0 && line.size() > 1)
      images.Add(line.substr(1), line.substr(0, 1), nullptr);
    else if (part == 1 && line.size() > 1)
      objectBindings.emplace_back(line[0], line.substr(1));
  }

  for (int x = 0; x < kColumns; ++x) {
    for (int y = 0; y < kRows; ++y) {
      char c = char(TileMap->GetRaw(x, y) & 0xFF);
      if (neverDrawn.find(c) == std::string::npos) {
        TImage* image = images.FindImage(std::string(1, c));
        if (image) Background->Draw(kPlayLeft + 16 * x, kPlayTop + 16 * y, image);
      }
      for (const auto& [ch, section] : objectBindings)
        if (ch == c) {
          objectList.push_back(section + "," + std::to_string(16 * x) + "," + std::to_string(16 * y));
          break;
        }
    }
  }
}

void TPlay1Map::CreateObjects(const std::vector<std::string>& objectList) {
  std::unique_ptr<TStream> stream = StreamOpener->OpenStream("objects.ini");
  TIniFile ini(*stream);
  PlaceObjects(ini, objectList);
  TObjectFactory factory;
  factory.CreateObjects(*SpriteEngine, ini, "Objects", 0, 0);
  Player = factory.Player();
}

void TPlay1Map::PlaceObjects(TIniFile& ini, const std::vector<std::string>& objectList) {
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
}

void TPlay1Map::ShowTitleCard() {
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
    if (QX_SDL::Keys[SDLK_TAB]) DrawOverlay();
    StepPhase();
    QX_SDL::Flip();
    QX_SDL::PollEvents();
    if (QX_SDL::Keys[SDLK_q] && Player) Player->Appear();
  } while (!QX_SDL::Keys[SDLK_ESCAPE] && State != TPlayState::Done);

  if (QX_SDL::Keys[SDLK_ESCAPE]) {
    result.Code = TPlayCode::Escape;
    return;
  }
  result.Code = TPlayCode::Completed;
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
  if (inPlace == kCurtainBlocks) State = TPlayState::Done;
}

}  // namespace zorbin
