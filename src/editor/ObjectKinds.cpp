// ObjectKinds: the table of object types as the editor shows and places them.
#include "editor/ObjectKinds.h"

#include "util/QXToolbox.h"

namespace zorbin {

namespace {

using S = TPartShape;

// Where the game draws what stands at the bottom: a crater's top edge and
// the slot's floor row, in play-area pixels.
constexpr int kCraterTop = 320;
constexpr int kSlotTop = 304;

struct TKindRow {
  const char* Type;
  const char* TypeText;
  const char* Label;
  const char* BaseName;
  const char* Panel;  // keys parted by blanks; "#" before a whole number's
  const char* Start;  // lines parted by "|"
  bool HasPath;
};

constexpr TKindRow kKindRows[] = {
    {"PLAYER", "Player", "Player", "Player", "#PositionX #PositionY Image", "Image=..\\common\\player.tga", false},
    {"BOXES", "Boxes", "Crates", "Crates",
     "#Position1X #Position1Y #Position2X #Position2Y #Position3X #Position3Y #TargetX #FrameDelay Image1",
     "Image1=..\\common\\boxes.tga[0..3]|Image2=..\\common\\boxes.tga[4..7]|Image3=..\\common\\boxes.tga[8..11]|"
     "FrameDelay=12|TargetImage1=..\\common\\lamps.tga[0..1]|TargetImage2=..\\common\\lamps.tga[2..3]|"
     "TargetImage3=..\\common\\lamps.tga[4..5]",
     false},
    {"LINEARMOVER", "LinearMover", "Mover", "Comet", "#PositionX #PositionY #SpeedX #SpeedY Looped Image Bounds",
     "SpeedX=4|SpeedY=0|Looped=1|Image=..\\common\\comet.tga", false},
    {"PATHMOVER", "PathMover", "Path", "Bat", "#PositionX #PositionY #Speed Looped Image Path",
     "Speed=4|Looped=1|Image=..\\common\\bat.tga", true},
    {"RUNNER", "Runner", "Runner", "Beetle", "#PositionX #PositionY #SpeedX #SpeedY Looped ImageLeft ImageRight Mode",
     "SpeedX=2|SpeedY=8|Looped=1|ImageLeft=..\\common\\beetle_l.tga|ImageRight=..\\common\\beetle_r.tga", false},
    {"VOLCANO", "Volcano", "Volcano", "Volcano", "#Position Image", "Image=..\\common\\crater.tga", false},
    {"BRIDGE", "Bridge", "Bridge", "Bridge", "#PositionX #PositionY #Width Image",
     "Width=4|Image=..\\common\\bridge.tga", false},
    {"PARTICLEBOX", "ParticleBox", "Glow", "Glow", "Bounds Direction #Rate #Steps Colors",
     "Direction=Up|Rate=6|Steps=48", false},
    {"MAPSELECTPORT", "MapSelectPort", "Port", "Port", "#PositionX #PositionY #Level ImageUnlocked ImageLocked",
     "Level=1|ImageUnlocked=..\\common\\port.tga|ImageLocked=..\\common\\portlock.tga|"
     "ImageSwirl=..\\common\\swirl.tga|FrameDelay=2",
     false},
    {"ROTATOR", "Rotator", "", "", "List", "", false},
    {"RANDOMIZER", "Randomizer", "", "", "List", "", false},
    {"REPEATER", "Repeater", "", "", "RepeatObject #Times #DeltaX #DeltaY", "", false},
    {"MACRO", "Macro", "", "", "Name Values", "", false},
};

struct TPartRow {
  const char* Type;
  TPartKeys Keys;
};

const TPartRow kPartRows[] = {
    {"PLAYER", {S::Figure, "", "PositionX", "PositionY", 0, "Image", 16, 32}},
    {"BOXES", {S::Frame, "crate 1", "Position1X", "Position1Y", 0, "Image1", 32, 32}},
    {"BOXES", {S::Frame, "crate 2", "Position2X", "Position2Y", 0, "Image2", 32, 32, 48}},
    {"BOXES", {S::Frame, "crate 3", "Position3X", "Position3Y", 0, "Image3", 32, 32, 96}},
    {"BOXES", {S::Slot, "slot", "TargetX", "", kSlotTop, "TargetImage1", 96, 16, 144}},
    {"LINEARMOVER", {S::Frame, "", "PositionX", "PositionY", 0, "Image", 16, 16}},
    {"PATHMOVER", {S::Frame, "", "PositionX", "PositionY", 0, "Image", 16, 16}},
    {"RUNNER", {S::Frame, "", "PositionX", "PositionY", 0, "ImageRight", 32, 32}},
    {"VOLCANO", {S::Frame, "", "Position", "", kCraterTop, "Image", 64, 32}},
    {"BRIDGE", {S::Bridge, "", "PositionX", "PositionY", 0, "Image", 16, 16}},
    {"PARTICLEBOX", {S::Bounds, "", "", "", 0, "", 16, 64}},
    {"MAPSELECTPORT", {S::Port, "", "PositionX", "PositionY", 0, "ImageUnlocked", 48, 48}},
};

TEditorKind MakeKind(const TKindRow& row) {
  TEditorKind kind{row.Type, row.TypeText, row.Label, row.BaseName, {}, {}, {}, row.HasPath};
  for (const TPartRow& part : kPartRows)
    if (kind.Type == part.Type) kind.Parts.push_back(part.Keys);
  for (const std::string& key : SplitString(row.Panel, ' '))
    if (!key.empty()) kind.Panel.push_back(key[0] == '#' ? TPanelKey{key.substr(1), true} : TPanelKey{key, false});
  for (const std::string& line : SplitString(row.Start, '|'))
    if (!line.empty()) kind.Start.push_back(line);
  return kind;
}

const std::vector<TEditorKind>& Kinds() {
  static const std::vector<TEditorKind> kinds = [] {
    std::vector<TEditorKind> all;
    for (const TKindRow& row : kKindRows) all.push_back(MakeKind(row));
    return all;
  }();
  return kinds;
}

}  // namespace

const TEditorKind* FindEditorKind(const std::string& type) {
  for (const TEditorKind& kind : Kinds())
    if (kind.Type == type) return &kind;
  return nullptr;
}

const std::vector<const TEditorKind*>& PlaceableKinds() {
  static const std::vector<const TEditorKind*> kinds = [] {
    std::vector<const TEditorKind*> placeable;
    for (const TEditorKind& kind : Kinds())
      if (!kind.Parts.empty()) placeable.push_back(&kind);
    return placeable;
  }();
  return kinds;
}

}  // namespace zorbin
