// ObjectEdits: moving, placing and removing objects, and path legs.
#include "editor/ObjectEdits.h"

#include "editor/ObjectFile.h"
#include "editor/ObjectKinds.h"
#include "editor/ObjectLayer.h"
#include "util/QXToolbox.h"

#include <algorithm>
#include <cstdlib>

namespace zorbin {

namespace {

// The slot is six cells wide and must lie on the play area's 32 cells.
constexpr int kLastSlotX = 512 - 96;

int Down(int v, int grid) { return v - ((v % grid) + grid) % grid; }
int Nearest(int v, int grid) { return Down(v + grid / 2, grid); }

// The path mover's leg for a step of (dx, dy), to the nearest point it can
// reach: its legs run in the eight directions, a diagonal one as far on
// both axes.
std::string LegText(int dx, int dy) {
  int ax = std::abs(dx), ay = std::abs(dy);
  if (ax * 2 < ay) return std::string(dy < 0 ? "U" : "D") + "," + IntToStr(ay);
  if (ay * 2 < ax) return std::string(dx < 0 ? "L" : "R") + "," + IntToStr(ax);
  return std::string(dy < 0 ? "U" : "D") + (dx < 0 ? "L" : "R") + "," + IntToStr((ax + ay) / 2);
}

// The leg towards (x, y), its lengths rounded to the grid.
std::string LegTowards(const TPathPoint& from, int x, int y, int grid) {
  return LegText(Nearest(x - from.X, grid), Nearest(y - from.Y, grid));
}

bool MovePathPoint(TObjectFile& file, const TShownObject& object, int item, int x, int y, int grid) {
  std::vector<TPathPoint> points = ReadPath(file.Ini(), object.Section);
  for (size_t j = 1; j < points.size(); ++j) {
    if (points[j].Item != item) continue;
    file.SetItem(object.PathList, item, LegTowards(points[j - 1], x, y, grid));
    return true;
  }
  return false;
}

// Whether any list item or a key that names a section names this one.
bool Named(const TObjectFile& file, const std::string& name) {
  for (const TIniSection& s : file.Ini().Sections()) {
    if (s.Type == stList) {
      for (const std::string& item : s.Lines)
        if (SameText(item, name)) return true;
      continue;
    }
    for (const char* key : {"List", "RepeatObject", "Path", "Origin"})
      if (SameText(file.Value(s.Name, key), name)) return true;
  }
  return false;
}

}  // namespace

bool MovePart(TObjectFile& file, const TShownObject& object, const TShownPart& part, int x, int y, int grid) {
  if (!object.Movable || !object.Kind || grid <= 0) return false;
  if (part.Part < 0)
    return MovePathPoint(file, object, part.Point, x + TObjectLayer::kPointReach, y + TObjectLayer::kPointReach, grid);
  const TPartKeys& keys = object.Kind->Parts[size_t(part.Part)];
  x = Down(x, grid);
  y = Down(y, grid);
  if (keys.Shape == TPartShape::Bounds) {
    file.SetValue(
        object.Section, "Bounds",
        IntToStr(x) + "," + IntToStr(y) + "," + IntToStr(x + part.Width - 1) + "," + IntToStr(y + part.Height - 1));
    return true;
  }
  file.SetValue(object.Section, keys.XKey, IntToStr(x));
  if (!keys.YKey.empty()) file.SetValue(object.Section, keys.YKey, IntToStr(y));
  return true;
}

std::string PlaceObject(TObjectFile& file, const TEditorKind& kind, int x, int y) {
  std::string name = file.UniqueName(kind.BaseName);
  std::vector<std::string> lines{"Type=" + kind.TypeText};
  for (const TPartKeys& part : kind.Parts) {
    int px = x + part.PlaceDx;
    if (part.Shape == TPartShape::Bounds) {
      lines.push_back("Bounds=" + IntToStr(x) + "," + IntToStr(y) + "," + IntToStr(x + part.Width - 1) + "," +
                      IntToStr(y + part.Height - 1));
    } else if (part.Shape == TPartShape::Slot) {
      lines.push_back(part.XKey + "=" + IntToStr(std::clamp(px, 0, kLastSlotX)));
    } else {
      lines.push_back(part.XKey + "=" + IntToStr(px));
      if (!part.YKey.empty()) lines.push_back(part.YKey + "=" + IntToStr(y));
    }
  }
  lines.insert(lines.end(), kind.Start.begin(), kind.Start.end());
  std::string path = kind.HasPath ? file.UniqueName(name + "Path") : std::string();
  if (kind.HasPath) lines.push_back("Path=" + path);
  file.AddItem("Objects", name);
  file.AddSection(name, false, lines);
  if (kind.HasPath) file.AddSection(path, true, {"Relative", "R,64", "L,64"});
  return name;
}

void RemoveEntry(TObjectFile& file, const std::string& entry, const std::vector<std::string>& placed) {
  std::vector<std::string> items = file.Items("Objects");
  auto at = std::find_if(items.begin(), items.end(), [&](const std::string& i) { return SameText(i, entry); });
  if (at == items.end()) return;
  file.RemoveItem("Objects", int(at - items.begin()));
  bool kept = std::any_of(placed.begin(), placed.end(), [&](const std::string& p) { return SameText(p, entry); });
  if (kept || Named(file, entry) || file.Ini().SectionType(entry) != stNormal) return;
  std::string path = UpperCase(file.Value(entry, "Type")) == "PATHMOVER" ? file.Value(entry, "Path") : "";
  file.RemoveSection(entry);
  if (!path.empty() && file.Ini().SectionType(path) == stList && !Named(file, path)) file.RemoveSection(path);
}

bool AddPathLeg(TObjectFile& file, const TShownObject& object, int x, int y, int grid, std::string& why) {
  if (!object.Movable || !object.Kind || !object.Kind->HasPath || grid <= 0) {
    why = "only a path mover of this file has a path to draw";
    return false;
  }
  std::string list = file.Value(object.Section, "Path");
  int kind = list.empty() || list == "*" ? -1 : file.Ini().SectionType(list);
  if (kind == stNormal) {
    why = "[" + list + "] is no list section: the mover has no path";
    return false;
  }
  if (kind < 0) {
    list = file.UniqueName(object.Section + "Path");
    file.AddSection(list, true, {"Relative"});
    file.SetValue(object.Section, "Path", list);
  } else if (file.Items(list).empty()) {
    file.AddItem(list, "Relative");
  } else if (UpperCase(file.Items(list)[0]) != "RELATIVE") {
    why = "the path [*" + list + "] does not start with Relative: the mover stands still";
    return false;
  }
  TPathPoint last = ReadPath(file.Ini(), object.Section).back();
  file.AddItem(list, LegTowards(last, x, y, grid));
  return true;
}

bool RemovePathLeg(TObjectFile& file, const TShownObject& object, std::string& why) {
  std::vector<std::string> items = object.Movable ? file.Items(object.PathList) : std::vector<std::string>();
  for (size_t i = items.size(); i-- > 1;)
    if (items[i].find(',') != std::string::npos) {
      file.RemoveItem(object.PathList, int(i));
      return true;
    }
  why = "the path has no leg to take away";
  return false;
}

}  // namespace zorbin
