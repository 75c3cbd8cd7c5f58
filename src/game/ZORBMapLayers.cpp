// ZORBMapLayers: the layer bindings and the frame round the play area.
#include "game/ZORBMapLayers.h"

#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"

namespace zorbin {

const std::string* TLayerBindings::ObjectFor(char c) const {
  for (const TLayerBinding& binding : Objects)
    if (binding.Tile == c) return &binding.Name;
  return nullptr;
}

TLayerBindings ReadLayerBindings(const std::vector<std::string>& extraLines) {
  TLayerBindings bindings;
  if (!extraLines.empty()) bindings.NeverDrawn = extraLines[0];
  int part = 0;
  for (size_t i = 1; i < extraLines.size(); ++i) {
    const std::string& line = extraLines[i];
    if (line.empty()) {
      ++part;
      continue;
    }
    if (line.size() < 2) continue;
    if (part == 0)
      bindings.Pictures.push_back(TLayerBinding{line[0], line.substr(1), i});
    else if (part == 1)
      bindings.Objects.push_back(TLayerBinding{line[0], line.substr(1), i});
  }
  return bindings;
}

void PaintMapFrame(TImage& background) {
  // The play area (512 x 352 pixels at (64, 64)) stays black: the colour
  // goes only around it, as if the whole were filled and the play area
  // cleared again.
  background.FillRect(0, 0, 640, 64, 0, 25, 76);
  background.FillRect(0, 416, 640, 64, 0, 25, 76);
  background.FillRect(0, 64, 64, 352, 0, 25, 76);
  background.FillRect(576, 64, 64, 352, 0, 25, 76);
  background.DrawFile(140, 0, "\\logo.tga");
  if (MainFont) MainFont->TextOutOn(&background, "V0.00 Demo 1", 490, 50, 0);
  background.Rectangle(62, 62, 514, 354, 96, 90, 84);
  background.Rectangle(61, 61, 516, 356, 144, 135, 126);
  background.Rectangle(60, 60, 518, 358, 96, 90, 84);
}

}  // namespace zorbin
