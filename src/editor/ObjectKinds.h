// ObjectKinds: what the editor knows of each object type of the factory:
// the parts it shows on the map and the keys that place them, the picture
// of each part, the keys its panel offers, and how a new object of the
// type starts.
#pragma once

#include <string>
#include <vector>

namespace zorbin {

// How a part is drawn and what its keys hold.
enum class TPartShape {
  Figure,  // the player: the first right-facing picture, 16 x 32
  Frame,   // the first frame of its picture
  Bridge,  // the tile picture along "Width" cells
  Port,    // the swirl under the frame picture
  Slot,    // the crates' slot: six floor cells and the three lamps
  Bounds,  // a "Bounds" rectangle
};

struct TPartKeys {
  TPartShape Shape = TPartShape::Frame;
  std::string Label;       // "crate 1"; empty for the object itself
  std::string XKey;        // its left edge, play-area pixels
  std::string YKey;        // its top edge; empty: it stands at FixedY
  int FixedY = 0;          // play-area pixels
  std::string PictureKey;  // empty: none
  int Width = 16;          // its size without a picture
  int Height = 16;
  int PlaceDx = 0;  // a new object's part stands this far right
};

struct TPanelKey {
  std::string Key;
  bool Number = false;  // a whole number
};

struct TEditorKind {
  std::string Type;      // upper case, as the factory names it
  std::string TypeText;  // as a new section writes it
  std::string Label;     // in the palette
  std::string BaseName;  // of new sections
  std::vector<TPartKeys> Parts;
  std::vector<TPanelKey> Panel;
  // A new object's lines after its Type and position keys.
  std::vector<std::string> Start;
  bool HasPath = false;  // a path mover: its path list is drawn and edited
};

// The kind of an upper-case type, or nullptr.
const TEditorKind* FindEditorKind(const std::string& type);
// The kinds an author places from the palette, in palette order.
const std::vector<const TEditorKind*>& PlaceableKinds();

}  // namespace zorbin
