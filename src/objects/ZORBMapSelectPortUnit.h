// ZORBMapSelectPortUnit: the port of the map-select map. It shows a frame
// picture with the number of the map it leads to over an animated swirl,
// and, when that map is open, marks the cell the player teleports from.
#pragma once

#include "sprites/PortProgress.h"
#include "sprites/ZORBSpriteUnit.h"

#include <memory>
#include <string>

namespace zorbin {

class TIniFile;
class TImage;

class TMapSelectPort final : public TZorbSprite {
 public:
  static constexpr int kLastOpenLevel = ::zorbin::kLastOpenLevel;

  TMapSelectPort(TIniFile& ini, const std::string& section);
  ~TMapSelectPort() override;
  void Draw() override;

  int32_t Level = 0;
  std::unique_ptr<TImage> FrameImage;
  std::unique_ptr<TImage> SwirlImage;
};

// Prints a number of at least two digits in the 3 x 5 port digit font, white,
// at (24 + 4i, 3) for the first two characters i.
void PrintPortNumber(TImage& image, int32_t level);

}  // namespace zorbin
