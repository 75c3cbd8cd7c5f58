// ZORBPlay1MapUnit: map set-up, the object factory and the play loop.
#include "game/ZORBPlay1MapUnit.h"

#include "app/QX_SDL.h"
#include "formats/QXINIFile.h"
#include "formats/XMapUnit.h"
#include "game/ZORBAirMeterUnit.h"
#include "game/ZORBPlayerUnit.h"
#include "game/ZORBObjectFactory.h"
#include "objects/ZORBObjectGroup.h"
#include "log/Logger.h"
#include "pictures/ImageCollectionUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBParticleEngineUnit.h"
#include "sprites/ZORBSpriteUnit.h"
#include "storage/QXStream.h"
#include "util/ProcessExit.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <SDL.h>

#include <algorithm>

namespace zorbin {

static const char* kCreateContext = "ZORBPlay1MapUnit, TPlay1Map.CreateObject";
// Groups, repeaters and macros name further objects: a section that names
// itself, directly or through others, would nest without end.
static constexpr int kMaxObjectNesting = 16;
static int gObjectNesting = 0;
// Repeaters multiply (a repeater of repeaters, a Times of millions): one
// map set-up makes at most this many object entries, far more than a
// playable map holds (its 704 cells, each with a few objects, and groups).
// A map that asks for more is a broken map: the set-up ends with exit code
// 1 rather than build a smaller map than the file describes.
static constexpr int64_t kMaxObjectEntries = 65536;
static int64_t gObjectEntriesLeft = 0;

[[noreturn]] static void TooManyObjects(const std::string& section) {
  Log->Error("Too many objects (Object=" + section + ")", kCreateContext);
  HaltProcess(1);
}

// The factory's scratch engine. Its sprites are handed on when all goes
// well; when an object's constructor raises half-way, it frees the ones
// made so far instead of losing them.
class TScratchEngine : public TSpriteEngine {
 public:
  ~TScratchEngine() override { FreeAll(); }
};
// Text alignment codes of the fonts.
static constexpr int kAlignLeft = 0;
static constexpr int kAlignCentre = 1;

TPlay1Map::TPlay1Map(const std::string& dir, int32_t px, int32_t py) {
  StreamOpener->SetCurrentDir(dir);
  SpriteEngine = new TZorbSpriteEngine();
  ParticleAnims = new TParticleAnims();
  ParticleEngine = new TParticleEngine();
  PaintBackground();
  TileMap = new TXMap();
  std::vector<std::string> objectList;

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

  {
    std::unique_ptr<TStream> stream = StreamOpener->OpenStream("objects.ini");
    TIniFile ini(*stream);
    PlaceObjects(ini, objectList);
    SpriteEngine->FreeAll();
    SpriteEngine->AddSprite(ParticleEngine, "");
    gObjectEntriesLeft = kMaxObjectEntries;
    CreateObjects(*SpriteEngine, ini, "Objects", 0, 0);
  }

  BuildCoverTile();
  QX_SDL::DrawImage(0, 0, Background.get());
  for (int i = 0; i < 16; ++i)
    for (int j = 0; j < 11; ++j) QX_SDL::DrawImage(int16_t(kPlayLeft + 32 * i), int16_t(kPlayTop + 32 * j), CoverTile.get());

  State = 0;
  Counter = 0;
  for (int i = 0; i < 16; ++i)
    for (int j = 0; j < 11; ++j) Blocks[i][j] = TCurtainBlock{-32, kPlayTop + 32 * j, Random(100)};

  AirMeter = std::make_unique<TAirMeter>();
  TitleCard = std::make_unique<TImage>(512, 352);
  for (int i = 0; i < 16; ++i)
    for (int j = 0; j < 11; ++j) TitleCard->Draw(32 * i, 32 * j, CoverTile.get());
  TitleFont = std::make_unique<TTGAFont>("\\font");
  TitleFont->SetColorKey(0, 0, 0);
  TitleFont->TextOutOn(TitleCard.get(), TileMap->MapName, 256, 80, kAlignCentre);
  TitleFont->TextOutOn(TitleCard.get(), "by " + TileMap->Author, 256, 128, kAlignCentre);
  ShowTitleCard();

  if (px != -1 && py != -1 && Player) {
    Player->MoveTo(px, py);
    Player->Appear();
  }
}

TPlay1Map::~TPlay1Map() {
  if (SpriteEngine) SpriteEngine->FreeAll();
  Player = nullptr;
  AirMeter.reset();
  TitleFont.reset();
  TitleCard.reset();
  CoverTile.reset();
  Background.reset();
  delete TileMap;
  TileMap = nullptr;
  delete ParticleAnims;
  ParticleAnims = nullptr;
  delete SpriteEngine;
  SpriteEngine = nullptr;
  ParticleEngine = nullptr;  // freed with the sprite engine's sprites
  StreamOpener->SetCurrentDir("");
}

void TPlay1Map::PaintBackground() {
  Background = std::make_unique<TImage>(640, 480);
  Background->FillRect(0, 0, 640, 480, 0, 25, 76);
  Background->FillRect(kPlayLeft, kPlayTop, 512, 352, 0, 0, 0);
  Background->DrawFile(140, 0, "\\logo.tga");
  if (MainFont) MainFont->TextOutOn(Background.get(), "V0.00 Demo 1", 490, 50, kAlignLeft);
  Background->Rectangle(62, 62, 514, 354, 96, 90, 84);
  Background->Rectangle(61, 61, 516, 356, 144, 135, 126);
  Background->Rectangle(60, 60, 518, 358, 96, 90, 84);
}

void TPlay1Map::LayerStep(std::vector<std::string>& objectList) {
  // Rows 303 down to 0, the even ones: 302, 300, ..., 0.
  for (int r = 302; r >= 0; r -= 2) {
    int b = 224 - (r * 224) / 303;
    int red = b + Random(32), green = b + Random(32), blue = b + Random(32);
    int x = kPlayLeft + Random(512);
    Background->PutPixel(x, kPlayTop + r, uint8_t(red), uint8_t(green), uint8_t(blue));
  }

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
  CoverTile = std::make_unique<TImage>(32, 32);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      if ((i + j) % 2 == 0)
        CoverTile->FillRect(8 * i, 8 * j, 8, 8, 64, 16, 96);
      else
        CoverTile->FillRect(8 * i, 8 * j, 8, 8, 32, 8, 48);
    }
}

void TPlay1Map::ShowTitleCard() {
  for (int f = 0; f < 64; ++f) {
    for (int s = 0; s < 22; ++s)
      QX_SDL::DrawImagePart(kPlayLeft, int16_t(kPlayTop + 16 * s), 0, int16_t(16 * s), 512, int16_t(f / 4 + 1),
                            TitleCard.get());
    AirMeter->Draw();
    QX_SDL::Flip();
  }
}

void TPlay1Map::CreateObjects(TSpriteEngine& engine, TIniFile& ini, const std::string& listSection, int32_t dx,
                              int32_t dy) {
  int count = ini.ListItemCount(listSection);
  for (int i = 0; i < count; ++i) {
    std::string item = ini.ReadListItem(listSection, i);
    Log->Write("Creating object number " + std::to_string(i + 1) + ". (");
    Log->WriteLn(item + ")");
    CreateObject(engine, ini, item, dx, dy);
  }
}

void TPlay1Map::CreateObject(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx,
                             int32_t dy) {
  // Every entry counts, also one refused for its depth: a repeater that
  // repeats itself a billion times must still run out of entries.
  if (gObjectEntriesLeft <= 0) TooManyObjects(section);
  --gObjectEntriesLeft;
  if (gObjectNesting >= kMaxObjectNesting) {
    Log->Error("Objects nested too deeply (Object=" + section + ")", kCreateContext);
    return;
  }
  struct TNesting {
    TNesting() { ++gObjectNesting; }
    ~TNesting() { --gObjectNesting; }
  } nesting;
  std::string type = UpperCase(ini.ReadString(section, "Type", "Unknown", ""));
  Log->WriteLn("Object type: " + type);
  if (type == "ROTATOR" || type == "RANDOMIZER") {
    CreateGroup(engine, ini, section, type, dx, dy);
    return;
  }
  if (type == "REPEATER") {
    CreateRepeater(engine, ini, section, dx, dy);
    return;
  }
  if (type == "MACRO") {
    CreateMacro(engine, ini, section, dx, dy);
    return;
  }
  const TObjectKind* kind = FindObjectKind(type);
  if (!kind) {
    Log->Error("Unknown object type (Object=" + section + ", Type=" + type + ")", kCreateContext);
    return;
  }
  TSprite* sprite = kind->Create(ini, section).release();
  if (kind->Shifted) sprite->MoveBy(dx, dy);
  if (type == "PLAYER") Player = static_cast<TPlayer*>(sprite);
  engine.AddSprite(sprite, section);
}

void TPlay1Map::CreateGroup(TSpriteEngine& engine, TIniFile& ini, const std::string& section,
                            const std::string& type, int32_t dx, int32_t dy) {
  std::string list = ini.ReadString(section, "List", "*", "");
  if (list == "*") return;
  std::unique_ptr<TObjectGroup> group = CreateObjectGroup(type);
  if (!group) {
    Log->Error("Unknown object type (Object=" + section + ", Type=" + type + ")", kCreateContext);
    return;
  }
  TObjectGroup* held = group.get();
  engine.AddSprite(group.release(), section);
  TScratchEngine members;
  CreateObjects(members, ini, list, dx, dy);
  // Rotators take the members from the last to the first of engine order,
  // randomizers from the first to the last.
  if (type == "ROTATOR")
    for (int i = members.Count() - 1; i >= 0; --i) held->AddMember(members.Items(i));
  else
    for (int i = 0; i < members.Count(); ++i) held->AddMember(members.Items(i));
  members.ReleaseAll();
}

void TPlay1Map::CreateRepeater(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx,
                               int32_t dy) {
  std::string repeatObject = ini.ReadString(section, "RepeatObject", "*", "");
  if (repeatObject == "*") return;
  Log->Trace("Repeater.");
  int32_t deltaX = ini.ReadInteger(section, "DeltaX", 0, "");
  int32_t deltaY = ini.ReadInteger(section, "DeltaY", 16, "");
  int32_t times = ini.ReadInteger(section, "Times", 2, "");
  // Every repetition makes the same entries, at least one: a repeater whose
  // repetitions cannot all fit ends the set-up before it builds them.
  if (times > gObjectEntriesLeft) TooManyObjects(section);
  TScratchEngine temporary;
  for (int32_t k = 0; k < times; ++k) {
    const int64_t before = gObjectEntriesLeft;
    CreateObject(temporary, ini, repeatObject, dx, dy);
    if (k == 0 && (before - gObjectEntriesLeft) * int64_t(times - 1) > gObjectEntriesLeft) TooManyObjects(section);
    for (int i = 0; i < temporary.Count(); ++i) {
      TSprite* sprite = temporary.Items(i);
      sprite->MoveBy(k * deltaX, k * deltaY);
      engine.AddSprite(sprite, "");
    }
    temporary.ReleaseAll();
  }
}

std::vector<std::string> SplitMacroValues(const std::string& text) {
  std::vector<std::string> values;
  if (text.empty()) return values;
  values = SplitString(text, ',');
  if (values.back().empty()) values.pop_back();
  return values;
}

std::string ExpandMacroLine(const std::string& line, const std::vector<std::string>& values,
                            std::vector<std::string>& warnings) {
  // One pass from left to right: a value that itself holds "%" is not
  // expanded again, so no value can make the expansion run forever.
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '%') {
      out.push_back(line[i]);
      continue;
    }
    char next = i + 1 < line.size() ? line[i + 1] : '\0';
    size_t index = (next >= '1' && next <= '9') ? size_t(next - '1') : values.size();
    if (index < values.size()) {
      out += values[index];
    } else {
      warnings.push_back(std::string("Macro placeholder without a value (%") + (next ? std::string(1, next) : "") +
                         ") in line: " + line);
    }
    if (next) ++i;
  }
  return out;
}

void TPlay1Map::CreateMacro(TSpriteEngine& engine, TIniFile& ini, const std::string& section, int32_t dx, int32_t dy) {
  std::string name = ini.ReadString(section, "Name", "*", "");
  if (name == "*") return;
  std::vector<std::string> values = SplitMacroValues(ini.ReadString(section, "Values", "", ""));
  std::unique_ptr<TStream> file = StreamOpener->OpenStream(name);
  // Placeholders can repeat a long "Values" text many times over: a filled
  // in macro larger than this is refused before it is made.
  constexpr size_t kMaxMacroText = size_t(16) << 20;
  size_t longest = 0;
  for (const std::string& v : values) longest = std::max(longest, v.size());
  TMemoryStream expanded;
  std::string line;
  while (file->Position() < file->Size() && ReadLine(*file, line)) {
    size_t bound = line.size() + 2 + size_t(std::count(line.begin(), line.end(), '%')) * longest;
    if (size_t(expanded.Size()) + bound > kMaxMacroText) {
      Log->Error("Macro too large when filled in (Object=" + section + ", Name=" + name + ")", kCreateContext);
      return;
    }
    std::vector<std::string> warnings;
    expanded.WriteString(ExpandMacroLine(line, values, warnings) + "\r\n");
    for (const std::string& w : warnings) Log->Warning(w, "ZORBPlay1MapUnit, TPlay1Map.CreateObject");
  }
  expanded.SetPosition(0);
  TIniFile macro(expanded);
  CreateObjects(engine, macro, "Objects", dx, dy);
}

}  // namespace zorbin

namespace zorbin {

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
  } while (!QX_SDL::Keys[SDLK_ESCAPE] && State != 3);

  if (QX_SDL::Keys[SDLK_ESCAPE]) {
    result.Code = -1;
    return;
  }
  result.Code = 0;
  if (Player) {
    result.NextMap = Player->PortBelow();
    result.PlayerX = Player->X;
    result.PlayerY = Player->Y;
  }
}

void TPlay1Map::DrawOverlay() {
  if (!DigitsFont) return;
  for (int c = 0; c < kColumns; ++c)
    for (int r = 0; r < kRows; ++r)
      DigitsFont->TextOut(std::to_string(TileMap->GetLogic(c, r)), 72 + 16 * c, 70 + 16 * r, kAlignCentre);
}

void TPlay1Map::StepPhase() {
  switch (State) {
    case 0:
      for (int b = 0; b < 11; ++b) {
        int top = 32 * b + Counter / 2;
        QX_SDL::DrawImageRect(kPlayLeft, int16_t(kPlayTop + top), 0, int16_t(top), 511, int16_t(32 * b + 31),
                              TitleCard.get());
      }
      Counter += 1;
      if (Counter == 64) {
        State = 1;
        AirMeter->Start();
      }
      break;
    case 1:
      if (SpriteEngine->AnyCompleted()) {
        State = 2;
        AirMeter->CountDown();
      }
      if (State != 2) break;
      [[fallthrough]];
    case 2:
      Counter = 0;
      for (int i = 0; i < 16; ++i) {
        int target = kPlayLeft + 32 * i;
        for (int j = 0; j < 11; ++j) {
          TCurtainBlock& block = Blocks[i][j];
          if (block.X < target) {
            if (block.Delay > 0)
              block.Delay -= 1;
            else
              block.X += 8;
          }
          if (block.X >= target) Counter += 1;
          QX_SDL::DrawImage(int16_t(block.X), int16_t(block.Y), CoverTile.get());
        }
      }
      if (Counter == 176) State = 3;
      break;
    default:
      break;
  }
}

}  // namespace zorbin
