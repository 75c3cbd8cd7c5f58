// ObjectLayer: the objects and their parts read from the object file.
#include "editor/ObjectLayer.h"

#include "editor/ObjectFile.h"
#include "editor/ObjectKinds.h"
#include "game/ZORBObjectFactory.h"
#include "objects/ZORBObjectKeys.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <exception>

namespace zorbin {

namespace {

// A macro file larger than this is no author's; it is not shown.
constexpr int64_t kMaxMacroFile = 1 << 20;
// Points of one path shown at most.
constexpr size_t kMaxPathPoints = 1024;
constexpr int kPointReach = TObjectLayer::kPointReach;
// The slot's cells, and the levels of open ports.
constexpr int kSlotCells = 6;
constexpr int kLastOpenLevel = 6;
// A bridge's "Width" default and the longest one drawn.
constexpr int kBridgeCells = 64;

int Held(int64_t v) { return int(std::clamp<int64_t>(v, -kObjectValueLimit, kObjectValueLimit)); }

struct TStep {
  const char* Direction;
  int X, Y;
};
constexpr TStep kSteps[] = {{"U", 0, -1}, {"UR", 1, -1}, {"R", 1, 0},  {"DR", 1, 1},
                            {"D", 0, 1},  {"DL", -1, 1}, {"L", -1, 0}, {"UL", -1, -1}};

}  // namespace

std::vector<std::string> ListItems(const TIniFile& ini, const std::string& list) {
  for (const TIniSection& s : ini.Sections())
    if (SameText(s.Name, list)) return s.Type == stList ? s.Lines : std::vector<std::string>();
  return {};
}

int ReadNumber(const TIniFile& ini, const std::string& section, const std::string& key, int def) {
  int32_t v = 0;
  return TryStrToInt(ini.ReadString(section, key, ""), v) ? Held(v) : def;
}

std::vector<TPathPoint> ReadPath(const TIniFile& ini, const std::string& section) {
  std::vector<TPathPoint> points{
      {ReadNumber(ini, section, "PositionX", 0), ReadNumber(ini, section, "PositionY", 0), 0}};
  std::vector<std::string> items = ListItems(ini, ini.ReadString(section, "Path", "*"));
  if (items.empty() || UpperCase(items[0]) != "RELATIVE") return points;
  for (size_t i = 1; i < items.size() && points.size() < kMaxPathPoints; ++i) {
    size_t comma = items[i].find(',');
    if (comma == std::string::npos) continue;
    int32_t length = 0;
    // The game stops at a length that is no number.
    if (!TryStrToInt(items[i].substr(comma + 1), length)) break;
    std::string direction = UpperCase(items[i].substr(0, comma));
    TPathPoint p = points.back();
    for (const TStep& step : kSteps)
      if (direction == step.Direction) {
        p.X = Held(int64_t(p.X) + int64_t(step.X) * length);
        p.Y = Held(int64_t(p.Y) + int64_t(step.Y) * length);
      }
    p.Item = int(i);
    points.push_back(p);
  }
  return points;
}

// Where the walk through nested objects stands.
struct TObjectLayer::TWalk {
  const TObjectLayer::TSizeOf* SizeOf = nullptr;
  std::string Entry;
  std::string Panel;  // set inside a macro: the macro's entry section
  int Dx = 0;
  int Dy = 0;
  int Budget = kMaxShown;
};

void TObjectLayer::Build(const TObjectFile& file, const TSizeOf& sizeOf) {
  objects_.clear();
  TWalk walk;
  walk.SizeOf = &sizeOf;
  for (const std::string& item : ListItems(file.Ini(), "Objects")) {
    walk.Entry = item;
    walk.Panel.clear();
    Add(walk, file.Ini(), item, 0);
  }
}

void TObjectLayer::Add(TWalk& walk, const TIniFile& ini, const std::string& section, int depth) {
  // Every visit costs, so a repeater of a million copies past the nesting
  // limit ends as soon as one that shows objects.
  if (walk.Budget <= 0) return;
  --walk.Budget;
  if (depth >= TObjectFactory::kMaxNesting) return;
  std::string type = UpperCase(ini.ReadString(section, "Type", "Unknown"));
  if (type == "ROTATOR" || type == "RANDOMIZER" || type == "REPEATER") {
    AddGroup(walk, ini, section, type, depth);
  } else if (type == "MACRO") {
    AddMacro(walk, ini, section, depth);
  } else {
    AddObject(walk, ini, section, type);
  }
}

void TObjectLayer::AddGroup(TWalk& walk, const TIniFile& ini, const std::string& section, const std::string& type,
                            int depth) {
  if (type != "REPEATER") {
    for (const std::string& item : ListItems(ini, ini.ReadString(section, "List", "*")))
      Add(walk, ini, item, depth + 1);
    return;
  }
  std::string repeated = ini.ReadString(section, "RepeatObject", "*");
  if (repeated == "*") return;
  int times = ReadNumber(ini, section, "Times", 2);
  int deltaX = ReadNumber(ini, section, "DeltaX", 0), deltaY = ReadNumber(ini, section, "DeltaY", 16);
  TWalk copy = walk;
  for (int k = 0; k < times && walk.Budget > 0; ++k) {
    copy.Dx = Held(int64_t(walk.Dx) + int64_t(k) * deltaX);
    copy.Dy = Held(int64_t(walk.Dy) + int64_t(k) * deltaY);
    copy.Budget = walk.Budget;
    Add(copy, ini, repeated, depth + 1);
    walk.Budget = copy.Budget;
  }
}

void TObjectLayer::AddMacro(TWalk& walk, const TIniFile& ini, const std::string& section, int depth) {
  std::string name = ini.ReadString(section, "Name", "*");
  if (name == "*" || !StreamOpener || !StreamOpener->FileExists(name)) return;
  std::string text;
  try {
    std::unique_ptr<TStream> file = StreamOpener->OpenStream(name);
    if (file->Size() > kMaxMacroFile) return;
    std::vector<std::string> values = SplitMacroValues(ini.ReadString(section, "Values", ""));
    std::vector<std::string> warnings;
    std::string line;
    while (file->Position() < file->Size() && ReadLine(*file, line))
      text += ExpandMacroLine(line, values, warnings) + "\r\n";
  } catch (const std::exception&) {
    return;
  }
  TMemoryStream stream(text);
  TIniFile macro(stream);
  std::string panel = walk.Panel;
  if (walk.Panel.empty()) walk.Panel = section;
  for (const std::string& item : ListItems(macro, "Objects")) Add(walk, macro, item, depth + 1);
  walk.Panel = panel;
}

void TObjectLayer::AddObject(const TWalk& walk, const TIniFile& ini, const std::string& section,
                             const std::string& type) {
  TShownObject object;
  object.Entry = walk.Entry;
  object.Section = section;
  object.Type = type;
  object.Kind = FindEditorKind(type);
  object.Movable = walk.Panel.empty() && walk.Dx == 0 && walk.Dy == 0 && object.Kind;
  object.PanelSection = walk.Panel.empty() ? section : walk.Panel;
  if (!object.Kind) {
    object.Parts.push_back(TShownPart{0, 0, ReadNumber(ini, section, "PositionX", 0) + walk.Dx,
                                      ReadNumber(ini, section, "PositionY", 0) + walk.Dy, 16, 16, "", "", 0});
    objects_.push_back(std::move(object));
    return;
  }
  for (size_t i = 0; i < object.Kind->Parts.size(); ++i)
    object.Parts.push_back(MakePart(*walk.SizeOf, ini, section, int(i), object.Kind->Parts[i]));
  if (object.Kind->HasPath) {
    std::string list = ini.ReadString(section, "Path", "*");
    if (!ListItems(ini, list).empty()) object.PathList = list;
    std::vector<TPathPoint> points = ReadPath(ini, section);
    for (size_t k = 1; k < points.size(); ++k)
      object.Parts.push_back(TShownPart{-1, points[k].Item, points[k].X - kPointReach, points[k].Y - kPointReach,
                                        2 * kPointReach + 1, 2 * kPointReach + 1, "", "", 0});
  }
  for (TShownPart& part : object.Parts) {
    part.X = Held(int64_t(part.X) + walk.Dx);
    part.Y = Held(int64_t(part.Y) + walk.Dy);
  }
  objects_.push_back(std::move(object));
}

TShownPart TObjectLayer::MakePart(const TSizeOf& sizeOf, const TIniFile& ini, const std::string& section, int index,
                                  const TPartKeys& keys) {
  TShownPart part{index, 0, 0, 0, keys.Width, keys.Height, "", "", 0};
  if (keys.Shape == TPartShape::Bounds) {
    std::vector<std::string> b = SplitString(ini.ReadString(section, "Bounds", "0,0,511,383"), ',');
    int32_t v[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < 4 && i < b.size(); ++i) TryStrToInt(b[i], v[i]);
    part.X = Held(v[0]), part.Y = Held(v[1]);
    part.Width = std::max(1, Held(int64_t(v[2]) - v[0] + 1)), part.Height = std::max(1, Held(int64_t(v[3]) - v[1] + 1));
    return part;
  }
  part.X = ReadNumber(ini, section, keys.XKey, keys.Shape == TPartShape::Slot ? 272 : 0);
  part.Y = keys.YKey.empty() ? keys.FixedY : ReadNumber(ini, section, keys.YKey, 0);
  std::string pictureKey = keys.PictureKey;
  if (keys.Shape == TPartShape::Port && ReadNumber(ini, section, "Level", 0) > kLastOpenLevel)
    pictureKey = "ImageLocked";
  if (!pictureKey.empty()) part.Picture = ini.ReadString(section, pictureKey, "");
  if (keys.Shape == TPartShape::Port) {
    part.Extra = ini.ReadString(section, "ImageSwirl", "");
    part.Count = ReadNumber(ini, section, "Level", 0);
  }
  if (keys.Shape == TPartShape::Slot) {
    // The game's slot starts at the cell TargetX lies in.
    part.X = part.X - ((part.X % 16) + 16) % 16;
    part.Width = kSlotCells * 16;
  } else if (keys.Shape == TPartShape::Bridge) {
    part.Count = std::clamp(ReadNumber(ini, section, "Width", kBridgeCells), 0, kBridgeCells);
    part.Width = std::max(16, part.Count * 16);
  } else if (keys.Shape != TPartShape::Figure) {
    int w = 0, h = 0;
    if (sizeOf(part.Picture, w, h)) part.Width = w, part.Height = h;
  }
  return part;
}

bool TObjectLayer::PartAt(int x, int y, int& object, int& part) const {
  for (size_t o = objects_.size(); o-- > 0;) {
    const std::vector<TShownPart>& parts = objects_[o].Parts;
    for (size_t p = parts.size(); p-- > 0;) {
      const TShownPart& r = parts[p];
      if (x >= r.X && y >= r.Y && x - r.X < r.Width && y - r.Y < r.Height) {
        object = int(o);
        part = int(p);
        return true;
      }
    }
  }
  return false;
}

int TObjectLayer::Find(const std::string& section) const {
  for (size_t i = 0; i < objects_.size(); ++i)
    if (SameText(objects_[i].Section, section)) return int(i);
  return -1;
}

}  // namespace zorbin
