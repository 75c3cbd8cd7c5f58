// ZORBParticleBoxUnit: direction, rate, fades, bounds, life cycle.
#include "objects/ZORBParticleBoxUnit.h"

#include "formats/QXINIFile.h"
#include "log/Logger.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBParticleEngineUnit.h"
#include "util/QXToolbox.h"

#include <algorithm>

namespace zorbin {

std::string CompleteColourItem(const std::string& item) {
  // A bare colour fades to black in the default steps: both completions apply.
  std::string out = item;
  if (std::count(out.begin(), out.end(), ',') == 0) out += ",000000";
  if (std::count(out.begin(), out.end(), ',') == 1) out += ",16";
  return out;
}

// Six hexadecimal digits rrggbb; shorter texts are padded on the left with
// zeros. Anything that is not hexadecimal reads as 0.
static void ParseColour(const std::string& text, uint8_t& r, uint8_t& g, uint8_t& b) {
  std::string s = text.size() < 6 ? std::string(6 - text.size(), '0') + text : text.substr(0, 6);
  if (!HexToColor(s, r, g, b)) r = g = b = 0;
}

TParticleBox::TParticleBox(TIniFile& ini, const std::string& section) : TZorbSprite(0, 0, nullptr) {
  Steps = ini.ReadInteger(section, "Steps", 16, "");
  Rate = ini.ReadInteger(section, "Rate", 15, "");
  std::string direction = ini.ReadString(section, "Direction", "Up", "");
  std::string up = UpperCase(direction);
  if (up == "UP") {
    Direction = Up;
  } else if (up == "RIGHT") {
    Direction = Right;
  } else if (up == "DOWN") {
    Direction = Down;
  } else if (up == "LEFT") {
    Direction = Left;
  } else {
    Log->Error("Invalid direction. (Object: " + section + " ,Data: " + direction + ")",
               "ZORBParticleBoxUnit, TParticleBox.Create");
    Direction = Right;
  }
  std::string colours = ini.ReadString(section, "Colors", "*", "");
  int count = colours == "*" ? 0 : ini.ListItemCount(colours);
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> parts = SplitString(CompleteColourItem(ini.ReadListItem(colours, i)), ',');
    uint8_t r1, g1, b1, r2, g2, b2;
    ParseColour(parts[0], r1, g1, b1);
    ParseColour(parts[1], r2, g2, b2);
    int32_t steps = StrToInt(parts[2]);
    Fades.push_back(ParticleAnims ? ParticleAnims->GetFade(r1, g1, b1, r2, g2, b2, steps) : -1);
  }
  if (Fades.empty()) Fades.push_back(ParticleAnims ? ParticleAnims->GetFade(255, 255, 255, 0, 0, 0, 16) : -1);
  std::vector<std::string> bounds = SplitString(ini.ReadString(section, "Bounds", "0,0,511,383", "") + ",", ',');
  BoxLeft = StrToInt(bounds[0]) + 64;
  BoxTop = StrToInt(bounds.size() > 1 ? bounds[1] : "") + 64;
  BoxRight = StrToInt(bounds.size() > 2 ? bounds[2] : "") + 64;
  BoxBottom = StrToInt(bounds.size() > 3 ? bounds[3] : "") + 64;
  LifeCycle = ini.ReadInteger(section, "LifeCycle", 32767, "");
  LifeLeft = LifeCycle;
  RateLeft = Rate;
}

void TParticleBox::Move() {
  RateLeft -= 1;
  if (RateLeft == 0) {
    RateLeft = Rate;
    int32_t fromX, fromY, toX, toY;
    if (Direction == Up || Direction == Down) {
      int32_t x = BoxLeft + Random(BoxRight - BoxLeft + 1);
      fromX = toX = x;
      fromY = Direction == Up ? BoxBottom : BoxTop;
      toY = Direction == Up ? BoxTop : BoxBottom;
    } else {
      int32_t y = BoxTop + Random(BoxBottom - BoxTop + 1);
      fromY = toY = y;
      fromX = Direction == Right ? BoxLeft : BoxRight;
      toX = Direction == Right ? BoxRight : BoxLeft;
    }
    int anim = Fades[size_t(Random(int32_t(Fades.size())))];
    if (ParticleEngine) ParticleEngine->Spawn(fromX, fromY, toX, toY, Steps, anim);
  }
  LifeLeft -= 1;
  if (LifeLeft == 0) {
    Kill();
    LifeLeft = LifeCycle;
  }
}

}  // namespace zorbin
