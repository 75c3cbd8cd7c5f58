// NewMap: the cells, bindings and objects of a map started from nothing.
#include "editor/NewMap.h"

#include "formats/XMapUnit.h"

namespace zorbin {

namespace {

// The floor row the crates and their slot stand on, and the ground below.
constexpr int kFloorRow = 19;
// The slot: TargetX of the crates, in cells (six cells wide).
constexpr int kSlotColumn = 14;
constexpr int kSlotCells = 6;

struct TTileBinding {
  char Tile;
  const char* Picture;
  int Logical;  // 15: solid floor with walls; 16: a lift; 0: drawn only
};

// The characters of the default pack's maps, in the palette's order.
constexpr TTileBinding kTiles[] = {
    {'a', "..\\common\\tiles.tga[0]", 15},  {'b', "..\\common\\tiles.tga[1]", 15},
    {'c', "..\\common\\tiles.tga[2]", 15},  {'d', "..\\common\\tiles.tga[3]", 15},
    {'e', "..\\common\\tiles.tga[4]", 15},  {'i', "..\\common\\tiles.tga[8]", 15},
    {'k', "..\\common\\tiles.tga[9]", 15},  {'m', "..\\common\\tiles.tga[12]", 15},
    {'n', "..\\common\\tiles.tga[13]", 15}, {'g', "..\\common\\tiles.tga[7]", 15},
    {'G', "..\\common\\tiles.tga[5]", 15},  {'L', "..\\common\\tiles.tga[6]", 16},
    {'-', "..\\common\\tiles.tga[10]", 0},  {'|', "..\\common\\tiles.tga[11]", 0},
    {'#', "..\\common\\tiles.tga[14]", 0},  {'_', "..\\common\\tiles.tga[15]", 0},
    {'1', "..\\common\\stars.tga[0]", 0},   {'2', "..\\common\\stars.tga[1]", 0},
    {'3', "..\\common\\stars.tga[2]", 0},   {'4', "..\\common\\stars.tga[3]", 0},
};

}  // namespace

void FillNewMap(TXMap& map) {
  for (int row = 0; row < map.Height(); ++row)
    for (int col = 0; col < map.Width(); ++col) {
      char tile = ' ';
      if (row == kFloorRow) tile = col >= kSlotColumn && col < kSlotColumn + kSlotCells ? 'g' : 'a';
      if (row > kFloorRow) tile = 'G';
      map.SetRaw(col, row, uint8_t(tile));
    }
  // Unwrapped, a blank would keep its code 32: a strong lift everywhere.
  std::vector<TLogicalWrap> wraps{{' ', 0}};
  map.ExtraLines = {" "};
  for (const TTileBinding& t : kTiles) {
    wraps.push_back(TLogicalWrap{uint8_t(t.Tile), t.Logical});
    map.ExtraLines.push_back(std::string(1, t.Tile) + t.Picture);
  }
  map.SetLogicalWraps(wraps);
  map.ApplyLogicalWraps();
}

const std::string& NewObjectsText() {
  // Map_A's start: crate 1 is pushed right into the slot, crates 2 and 3
  // against the right edge, where they hop over the figure, then left.
  static const std::string text =
      "; The objects of the map: [*Objects] names the sections to create.\r\n"
      "[*Objects]\r\n"
      "Crates\r\n"
      "Player\r\n"
      "\r\n"
      "[Crates]\r\n"
      "Type=Boxes\r\n"
      "Position1X=128\r\n"
      "Position1Y=272\r\n"
      "Image1=..\\common\\boxes.tga[0..3]\r\n"
      "Position2X=384\r\n"
      "Position2Y=272\r\n"
      "Image2=..\\common\\boxes.tga[4..7]\r\n"
      "Position3X=432\r\n"
      "Position3Y=272\r\n"
      "Image3=..\\common\\boxes.tga[8..11]\r\n"
      "FrameDelay=12\r\n"
      "TargetX=" +
      std::to_string(kSlotColumn * 16) +
      "\r\n"
      "TargetImage1=..\\common\\lamps.tga[0..1]\r\n"
      "TargetImage2=..\\common\\lamps.tga[2..3]\r\n"
      "TargetImage3=..\\common\\lamps.tga[4..5]\r\n"
      "\r\n"
      "[Player]\r\n"
      "Type=Player\r\n"
      "PositionX=48\r\n"
      "PositionY=272\r\n"
      "Image=..\\common\\player.tga\r\n";
  return text;
}

}  // namespace zorbin
