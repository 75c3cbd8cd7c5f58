// ZORBMapSelectPortUnit: port mark, frame picture with its number, swirl.
#include "objects/ZORBMapSelectPortUnit.h"

#include "formats/QXINIFile.h"
#include "formats/TileMapUnit.h"
#include "objects/ZORBObjectKeys.h"
#include "pictures/ImageUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "sprites/PortProgress.h"
#include "util/QXToolbox.h"

#include <exception>

namespace zorbin {

static const char kPortDigits[] =
    "xxx.x.xxxxxxx.xxxxxxxxxxxxxxxxx.x.x...x..xx.xx..x....xx.xx.xx.x.x.xxx.xxxxxxxxxxx..xxxxxxxx.x.x.x....x..x..xx.x.."
    "xx.x..xxxx.x.xxxxxx..xxxxxxx..xxxxxxx";

void PrintPortNumber(TImage& image, int32_t level) {
  std::string text = ZeroPad(level, 2);
  for (int i = 0; i < 2 && i < int(text.size()); ++i) {
    if (text[size_t(i)] < '0' || text[size_t(i)] > '9') continue;  // a minus sign has no glyph
    int digit = text[size_t(i)] - '0';
    for (int j = 0; j < 3; ++j)
      for (int r = 0; r < 5; ++r)
        if (kPortDigits[digit * 3 + r * 30 + j] == 'x') image.PutPixel(24 + 4 * i + j, 3 + r, 255, 255, 255);
  }
}

static const char* const kContext = "ZORBMapSelectPortUnit, TMapSelectPort.Create";

static std::unique_ptr<TImage> LoadPortImage(const std::string& name) {
  return LoadObjectImage(name, {"Image not found.", kContext, ""});
}

TMapSelectPort::TMapSelectPort(TIniFile& ini, const std::string& section) : TZorbSprite(0, 0, nullptr) {
  int32_t positionX = ReadObjectValue(ini, section, "PositionX", 0, kContext);
  int32_t positionY = ReadObjectValue(ini, section, "PositionY", 0, kContext);
  Level = ini.ReadInteger(section, "Level", 0, "");
  bool open = PortOpen(Level);
  if (open && TileMap) {
    int cx = positionX / 16 + 1, cy = positionY / 16 + 3;
    TileMap->SetLogic(cx, cy, TileMap->GetLogic(cx, cy) + uint32_t(Level) * 256);
  }
  std::string frameKey = open ? "ImageUnlocked" : "ImageLocked";
  // With kept progress a completed map's port shows so; a pack without
  // that picture keeps the open one.
  if (PortCompleted(Level) && ini.ValueExists(section, "ImageCompleted")) frameKey = "ImageCompleted";
  FrameImage = LoadPortImage(ini.ReadString(section, frameKey, "*", ""));
  SwirlImage = LoadPortImage(ini.ReadString(section, "ImageSwirl", "*", ""));
  PrintPortNumber(*FrameImage, Level);
  SetupSprite(positionX + 64 + 14, positionY + 64 + 14, SwirlImage.get());
  FrameDelay = ini.ReadInteger(section, "FrameDelay", FrameDelay, "");
}

TMapSelectPort::~TMapSelectPort() = default;

void TMapSelectPort::Draw() {
  TZorbSprite::Draw();
  QX_SDL::DrawImage(int16_t(X - 14), int16_t(Y - 14), FrameImage.get());
}

}  // namespace zorbin
