// ZORBPathMoverUnit: path parsing and leg-by-leg motion.
#include "objects/ZORBPathMoverUnit.h"

#include "formats/QXINIFile.h"
#include "log/Diagnostics.h"
#include "objects/ZORBObjectKeys.h"
#include "pictures/ImageUnit.h"
#include "util/QXToolbox.h"

#include <exception>

namespace zorbin {

static const char* const kDirections[] = {"U", "UR", "R", "DR", "D", "DL", "L", "UL"};
static const int32_t kStepX[] = {0, 0, 1, 1, 1, 0, -1, -1, -1};
static const int32_t kStepY[] = {0, -1, -1, 0, 1, 1, 1, 0, -1};

int32_t PathDirectionCode(const std::string& text) {
  std::string up = UpperCase(text);
  for (int32_t i = 0; i < 8; ++i)
    if (up == kDirections[i]) return i + 1;
  return 0;
}

static const char* const kContext = "ZORBPathMoverUnit, TPathMover.Create";

TPathMover::TPathMover(TIniFile& ini, const std::string& section) : TZorbSprite(0, 0, nullptr) {
  StartX = ReadObjectValue(ini, section, "PositionX", 0, kContext);
  StartY = ReadObjectValue(ini, section, "PositionY", 0, kContext);
  FineX = StartX * 4;
  FineY = StartY * 4;
  Speed = ReadObjectValue(ini, section, "Speed", kDefaultSpeed, kContext);
  // A negative speed would run every leg backwards without ever ending it.
  if (Speed < 0) {
    ReportBadValue(ini, section, "Speed", TSeverity::Error,
                   "Speed must not be negative, using " + IntToStr(kDefaultSpeed) + ". (Object: " + section + ")",
                   kContext);
    Speed = kDefaultSpeed;
  }
  std::string name = ini.ReadString(section, "Image", "*", "");
  ownImage_ = LoadObjectImage(name, {"Image not found.", kContext, section});
  SetupSprite(StartX + 64, StartY + 64, ownImage_.get());
  Looped = ini.ReadBool(section, "Looped", false, "");
  FrameDelay = ini.ReadInteger(section, "FrameDelay", 0, "");

  std::string pathSection = ini.ReadString(section, "Path", "*", "");
  if (pathSection != "*" && UpperCase(ini.ReadListItem(pathSection, 0)) == "RELATIVE") {
    int count = ini.ListItemCount(pathSection);
    for (int i = 1; i < count; ++i) {
      std::string item = ini.ReadListItem(pathSection, i);
      size_t comma = item.find(',');
      if (comma == std::string::npos) continue;
      Path.push_back(PathDirectionCode(item.substr(0, comma)));
      Path.push_back(ObjectValue(item.substr(comma + 1)) * 4);
    }
  }
  if (Path.empty()) Path = {0, 32000};
  PathIndex = -2;
  LegLeft = 0;
  ZOrder = 0;
}

TPathMover::~TPathMover() = default;

void TPathMover::Move() {
  if (LegLeft <= 0) {
    PathIndex += 2;
    if (PathIndex >= int32_t(Path.size())) {
      PathIndex = 0;
      FineX = StartX * 4;
      FineY = StartY * 4;
      if (!Looped) Kill();
    }
    LegLeft = Path[size_t(PathIndex) + 1];
  }
  int32_t code = Path[size_t(PathIndex)];
  FineX += kStepX[code] * Speed;
  FineY += kStepY[code] * Speed;
  LegLeft -= Speed;
  X = FloorDiv(FineX, 4) + 64;
  Y = FloorDiv(FineY, 4) + 64;
}

}  // namespace zorbin
