// ObjectLayer: the objects of a map as the editor shows them, read the way
// the object factory reads them: the items of [*Objects], the members of
// rotators and randomizers, the copies of repeaters and the objects of
// macro files. Each object has parts where it stands on the map (the
// crates and the slot of BOXES, a path mover's points), in play-area
// pixels. Hostile files give at most a bounded number of objects.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zorbin {

class TIniFile;
class TObjectFile;
struct TEditorKind;
struct TPartKeys;

struct TShownPart {
  int Part = 0;   // index in the kind's parts; -1 for a path point
  int Point = 0;  // a path point's item in the path list (0: the start)
  int X = 0;      // its rectangle, play-area pixels
  int Y = 0;
  int Width = 16;
  int Height = 16;
  std::string Picture;  // empty: drawn as a labelled marker
  std::string Extra;    // a port's swirl
  int Count = 0;        // a bridge's length in cells, a port's level
};

struct TShownObject {
  std::string Entry;    // the item of [*Objects] it comes from
  std::string Section;  // the section that holds its keys
  std::string Type;     // upper case; the kind's when it has one
  const TEditorKind* Kind = nullptr;
  // Its keys stand in objects.ini at its place (not a macro's object, not
  // a repeater's copy): it can be dragged.
  bool Movable = false;
  // The section of objects.ini its panel edits: its own, or the macro
  // entry whose values made it.
  std::string PanelSection;
  std::string PathList;  // a path mover's list section, when it has a path
  std::vector<TShownPart> Parts;
};

struct TPathPoint {
  int X = 0;
  int Y = 0;
  int Item = 0;  // the item of the path list that ends here; 0 for the start
};

// A path mover's start and the end of each leg, play-area pixels, as the
// mover walks them; only the start when it has no "Relative" path.
std::vector<TPathPoint> ReadPath(const TIniFile& ini, const std::string& section);
// The value of key as a number held to the objects' range; def when it is
// missing or no number.
int ReadNumber(const TIniFile& ini, const std::string& section, const std::string& key, int def);
// The items of a list section; none when there is none.
std::vector<std::string> ListItems(const TIniFile& ini, const std::string& list);

class TObjectLayer final {
 public:
  // Objects nest (groups, repeaters, macros) as deeply as the factory lets
  // them; the editor shows at most this many.
  static constexpr int kMaxShown = 2048;
  // A path point is a square this many pixels round its middle.
  static constexpr int kPointReach = 4;

  // The size of a picture's first frame; false when it has none.
  using TSizeOf = std::function<bool(const std::string& picture, int& width, int& height)>;

  // Reads the objects of file; macro files come through the stream
  // opener, from its current folder. Parts with a picture take its size.
  void Build(const TObjectFile& file, const TSizeOf& sizeOf);
  const std::vector<TShownObject>& Objects() const { return objects_; }
  // The topmost part at play-area pixel (x, y); false when there is none.
  bool PartAt(int x, int y, int& object, int& part) const;
  // The first object of that section, or -1.
  int Find(const std::string& section) const;

 private:
  struct TWalk;
  void Add(TWalk& walk, const TIniFile& ini, const std::string& section, int depth);
  void AddGroup(TWalk& walk, const TIniFile& ini, const std::string& section, const std::string& type, int depth);
  void AddMacro(TWalk& walk, const TIniFile& ini, const std::string& section, int depth);
  void AddObject(const TWalk& walk, const TIniFile& ini, const std::string& section, const std::string& type);
  static TShownPart MakePart(const TSizeOf& sizeOf, const TIniFile& ini, const std::string& section, int index,
                             const TPartKeys& keys);

  std::vector<TShownObject> objects_;
};

}  // namespace zorbin
