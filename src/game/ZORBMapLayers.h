// ZORBMapLayers: what the map set-up draws a map with, shared with the map
// editor: the static frame round the play area, and the bindings a layer's
// extra lines make from cell characters to pictures and objects.
#pragma once

#include <string>
#include <vector>

namespace zorbin {

class TImage;

// Extra line 0 holds the characters never drawn; the lines after it form
// sections parted by empty lines: section 0 binds pictures ("aplatf[0].tga"),
// section 1 objects ("Pbee": the INI section "bee"); later ones are ignored.
// One binding: a cell character and the picture or object section it
// stands for.
struct TLayerBinding {
  char Tile = 0;
  std::string Name;
  size_t Line = 0;  // index in the extra lines
};

struct TLayerBindings {
  std::string NeverDrawn;
  std::vector<TLayerBinding> Pictures;
  std::vector<TLayerBinding> Objects;

  // The section bound to c (the first binding wins), or nullptr.
  const std::string* ObjectFor(char c) const;
};

TLayerBindings ReadLayerBindings(const std::vector<std::string>& extraLines);

// The 640 x 480 frame: colour, black play area, logo, version text, and the
// three rectangles round the play area, on a new (black) image.
void PaintMapFrame(TImage& background);

}  // namespace zorbin
