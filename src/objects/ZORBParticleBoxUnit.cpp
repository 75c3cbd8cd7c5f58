// ZORBParticleBoxUnit: direction, rate, fades, bounds, life cycle.
#include "objects/ZORBParticleBoxUnit.h"

#include "formats/QXINIFile.h"
#include "log/Diagnostics.h"
#include "objects/ZORBObjectKeys.h"
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

// Six hexadecimal digits rrggbb, read as a number: shorter texts are padded
// on the left with zeros, longer ones give their last six digits. Anything
// that is not hexadecimal reads as black.
static void ParseColour(const std::string& text, uint8_t& r, uint8_t& g, uint8_t& b) {
  std::string s = text.size() < 6 ? std::string(6 - text.size(), '0') + text : text.substr(text.size() - 6);
  if (text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos || !HexToColor(s, r, g, b)) r = g = b = 0;
}

static const char* const kContext = "ZORBParticleBoxUnit, TParticleBox.Create";

TParticleBox::TParticleBox(TIniFile& ini, const std::string& section) : TZorbSprite(0, 0, nullptr) {
  Steps = ini.ReadInteger(section, "Steps", 16, "");
  // Particles live Steps frames and one is born every Rate frames: without a
  // limit a box could keep ever more of them flying.
  if (Steps > kMaxSteps) {
    ReportBadValue(ini, section, "Steps", TSeverity::Warning,
                   "Steps out of range, using " + IntToStr(kMaxSteps) + ". (Object: " + section + ")", kContext);
    Steps = kMaxSteps;
  }
  Rate = ini.ReadInteger(section, "Rate", 15, "");
  std::string direction = ini.ReadString(section, "Direction", "Up", "");
  std::string up = UpperCase(direction);
  if (up == "UP") {
    Direction = TDirection::Up;
  } else if (up == "RIGHT") {
    Direction = TDirection::Right;
  } else if (up == "DOWN") {
    Direction = TDirection::Down;
  } else if (up == "LEFT") {
    Direction = TDirection::Left;
  } else {
    ReportBadValue(ini, section, "Direction", TSeverity::Error,
                   "Invalid direction. (Object: " + section + " ,Data: " + direction + ")", kContext);
    Direction = TDirection::Right;
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
  TObjectBounds bounds = ReadObjectBounds(ini, section);
  Left = bounds.Left + 64;
  Top = bounds.Top + 64;
  Right = bounds.Right + 64;
  Bottom = bounds.Bottom + 64;
  LifeCycle = ini.ReadInteger(section, "LifeCycle", 32767, "");
  LifeLeft = LifeCycle;
  RateLeft = Rate;
}

void TParticleBox::Move() {
  // A rate of 0 or below never counts down to 0: such a box emits nothing,
  // and its counter is left alone rather than run down for ever.
  if (RateLeft > 0 && --RateLeft == 0) {
    RateLeft = Rate;
    int32_t fromX, fromY, toX, toY;
    if (Direction == TDirection::Up || Direction == TDirection::Down) {
      int32_t x = Left + Random(Right - Left + 1);
      fromX = toX = x;
      fromY = Direction == TDirection::Up ? Bottom : Top;
      toY = Direction == TDirection::Up ? Top : Bottom;
    } else {
      int32_t y = Top + Random(Bottom - Top + 1);
      fromY = toY = y;
      fromX = Direction == TDirection::Right ? Left : Right;
      toX = Direction == TDirection::Right ? Right : Left;
    }
    int anim = Fades[size_t(Random(int32_t(Fades.size())))];
    if (ParticleEngine) ParticleEngine->Spawn(fromX, fromY, toX, toY, Steps, anim);
  }
  if (LifeLeft > 0 && --LifeLeft == 0) {
    Kill();
    LifeLeft = LifeCycle;
  }
}

}  // namespace zorbin
