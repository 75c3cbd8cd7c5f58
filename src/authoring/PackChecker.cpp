// PackChecker: the pack walked with the game's loaders, their reports and
// exceptions attributed to the file and line they were reading.
#include "authoring/PackChecker.h"

#include "formats/QXINIFile.h"
#include "formats/XMapUnit.h"
#include "game/ZORBAirMeterUnit.h"
#include "game/ZORBMapSetupFailure.h"
#include "game/ZORBObjectFactory.h"
#include "game/ZORBPlay1MapUnit.h"
#include "game/ZORBPlayMapPackUnit.h"
#include "log/Diagnostics.h"
#include "objects/ZORBMapSelectPortUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBSpriteUnit.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <exception>
#include <map>
#include <memory>
#include <set>

namespace zorbin {

std::string FormatFinding(const TFinding& f) {
  std::string where = f.Line > 0 ? f.Place + ":" + std::to_string(f.Line) : f.Place;
  return where + (f.Error ? ": error: " : ": warning: ") + f.Message;
}

namespace {

// One value or item a loader read: where it stands and what it holds.
struct TRead {
  std::string Place;
  int Line = 0;
  std::string Key;  // empty for a list item
  std::string Value;
};

// An object entry of the factory, innermost last. Ini is only used while
// the entry is being made: after an exception a macro's file may be gone.
struct TEntry {
  TIniFile* Ini = nullptr;
  std::string Place;
  std::string Section;
  int HeaderLine = 0;
  std::string RefPlace;  // where the entry was named (a list item, a key)
  int RefLine = 0;
  std::vector<TRead> Reads;
  bool Missing = false;  // no normal section of that name
};

// A cell character as a finding shows it: quoted, or by its code.
std::string CharText(char c) {
  return uint8_t(c) >= 32 && uint8_t(c) < 127 ? "'" + std::string(1, c) + "'" : "code " + std::to_string(uint8_t(c));
}

}  // namespace

class TPackChecker::TRun final : public TObjectFactoryWatch, public TDiagnosticReceiver {
 public:
  explicit TRun(const TProgress& progress) : progress_(progress) {}

  std::vector<TFinding> Run();

  bool EnterEntry(TIniFile& ini, const std::string& section) override;
  void LeaveEntry() override;
  void ObjectMade(const TSprite& sprite) override;
  void MacroRead(TIniFile& macro, const std::string& name) override;
  void Receive(const TDiagnostic& diagnostic) override;

 private:
  enum class TStage { Resources, Index, Layer, Objects };

  void CheckResources();
  void CheckResource(const std::string& place, const std::function<void()>& load);
  void CheckIndex();
  void CheckMap(const std::string& dir, int indexLine);
  bool CheckLayers(std::vector<std::string>& objectList, std::vector<TRead>& placedFrom);
  void CheckObjects(TIniFile& ini, const std::vector<std::string>& objectList, const std::vector<TRead>& placedFrom);
  void CheckPicture(const std::string& name, const std::string& place, int line);
  void CheckUnbound(const TXMap& map, const TLayerBindings& bindings, int line);

  void Watch(TIniFile& ini, const std::string& place);
  void OnRead(const TIniFile& ini, const std::string& section, const std::string& key, int index);
  // Frame groups beyond a picture's strip, or on a picture that has none.
  void CheckFrames(const std::string& name);
  // The game's nesting limit reached (through macros, or sections nesting
  // deeply): the repetition on the way there, if any.
  void Nested();
  // The map's entries ran out: the repeater that asked for them.
  void TooMany(const TDiagnostic& report);
  // The read of the innermost entry a report is about: the one that names
  // the report's file, else the one whose value or key the message quotes,
  // else the last one read.
  const TRead* Blame(const TEntry& entry, const TDiagnostic& report) const;
  // A finding at the place of a report (or of an exception: its message).
  void AddFor(const TDiagnostic& report);
  // " (through [Section], PLACE:LINE)" for a finding inside a macro file.
  std::string Through(const std::string& place);
  void Add(const std::string& place, int line, bool error, const std::string& message);

  const TProgress& progress_;
  std::vector<TFinding> findings_;
  std::set<std::string> seen_;
  TStage stage_ = TStage::Resources;
  std::string place_;             // the file of the current stage
  int line_ = 0;                  // and its line, where there is one
  const TXMap* layer_ = nullptr;  // the layer file being read
  int mapCount_ = 0;
  std::map<const TIniFile*, std::string> places_;
  std::vector<TEntry> entries_;
  std::vector<TRead> topReads_;          // reads outside any entry
  std::set<std::string> framesChecked_;  // picture names with frame groups
  std::set<std::string> missingCopies_;  // "$temp$" sections without original
  std::string picture_;                  // the picture being loaded
  std::string missing_;                  // the last file found missing
  bool quiet_ = false;                   // the checker's own reads and loads
};

std::vector<TFinding> TPackChecker::TRun::Run() {
  // The loaders' reports reach the checker as they reach the log.
  TReceiving receiving(*this);
  struct TBackToRoot {
    ~TBackToRoot() { StreamOpener->SetCurrentDir(""); }
  } backToRoot;
  CheckResources();
  CheckIndex();
  return findings_;
}

void TPackChecker::TRun::CheckIndex() {
  stage_ = TStage::Index;
  place_ = "$main$.ini";
  if (!StreamOpener->FileExists("\\$main$.ini")) {
    Add(place_, 0, true, "missing: the game does not start without the map list");
    return;
  }
  TIniFile index("\\$main$.ini", true);
  if (index.SectionType("Maps") != stList) {
    Add(place_, index.HeaderLine("Maps"), true, "no list section [*Maps]: the game has no map 0 to start");
    return;
  }
  mapCount_ = index.ListItemCount("Maps");
  if (mapCount_ == 0) Add(place_, index.HeaderLine("Maps"), true, "[*Maps] lists no map: the game has no map 0");
  std::vector<std::pair<std::string, int>> maps;
  for (int i = 0; i < mapCount_; ++i)
    maps.emplace_back(ParseMapItem(index.ReadListItem("Maps", i)).Dir, index.ItemLine("Maps", i));
  for (int i = 0; i < mapCount_; ++i) {
    if (progress_) progress_(i, mapCount_, maps[size_t(i)].first);
    CheckMap(maps[size_t(i)].first, maps[size_t(i)].second);
  }
  if (progress_) progress_(mapCount_, mapCount_, std::string());
}

void TPackChecker::TRun::CheckResource(const std::string& place, const std::function<void()>& load) {
  place_ = place;
  missing_.clear();
  try {
    load();
  } catch (const std::exception& e) {
    // A missing file is named by the file itself.
    Add(missing_.empty() ? place : missing_, 0, true, e.what());
  }
  picture_.clear();
}

// The pictures and fonts the game itself shows on every map.
void TPackChecker::TRun::CheckResources() {
  stage_ = TStage::Resources;
  CheckResource("npi69.qxr", [] { TQXRFont font("npi69.qxr"); });
  CheckResource("lilnums.tga", [] { TTGAFont font("lilnums"); });
  CheckResource("font.tga", [] { TTGAFont font("\\font"); });
  CheckResource("logo.tga", [this] {
    TImage logo(std::string("\\logo.tga"));
    if (!logo.Surface) Add(place_, 0, false, "the picture does not decode: the logo is not drawn");
  });
  CheckResource("airm.tga", [] { TAirMeter meter; });
  place_.clear();
}

void TPackChecker::TRun::CheckMap(const std::string& dir, int indexLine) {
  stage_ = TStage::Layer;
  StreamOpener->SetCurrentDir(dir);
  if (!StreamOpener->FileExists(MapLayerName(0))) {
    Add("$main$.ini", indexLine, true,
        "map '" + dir + "': no " + MapLayerName(0) + " (the folder or its map file is missing)");
    StreamOpener->SetCurrentDir("");
    return;
  }
  // Where the game would end the process, the check of this map ends.
  TMapSetupRecovery recovery;
  TMapGlobals globals(std::make_unique<TXMap>());
  std::vector<std::string> objectList;
  std::vector<TRead> placedFrom;
  try {
    if (CheckLayers(objectList, placedFrom)) {
      stage_ = TStage::Objects;
      place_ = StreamOpener->ResolveName("objects.ini");
      if (!StreamOpener->FileExists("objects.ini")) {
        Add(place_, 0, true, "missing: every map needs its object file");
      } else {
        std::unique_ptr<TStream> stream = StreamOpener->OpenStream("objects.ini");
        TIniFile ini(*stream);
        CheckObjects(ini, objectList, placedFrom);
      }
    }
  } catch (const TMapSetupFailed&) {
  }
  entries_.clear();
  topReads_.clear();
  layer_ = nullptr;
  StreamOpener->SetCurrentDir("");
}

bool TPackChecker::TRun::CheckLayers(std::vector<std::string>& objectList, std::vector<TRead>& placedFrom) {
  auto& map = *static_cast<TXMap*>(TileMap);
  std::string last;
  for (int n = 0;; ++n) {
    std::string name = MapLayerName(n);
    if (!StreamOpener->FileExists(name)) break;
    place_ = last = StreamOpener->ResolveName(name);
    layer_ = &map;
    try {
      map.Load(name);
    } catch (const std::exception& e) {
      Add(place_, map.TextLine, true, e.what());
      layer_ = nullptr;
      return false;
    }
    layer_ = nullptr;
    if (map.LastError == "Not an XMAP file!") Add(place_, 0, n == 0, "not a tile map (no MAP magic)");
    auto lineOf = [&](size_t extra) { return extra < map.ExtraLineNumbers.size() ? map.ExtraLineNumbers[extra] : 0; };
    TLayerBindings bindings = ReadLayerBindings(map.ExtraLines);
    for (const TLayerBinding& b : bindings.Pictures) CheckPicture(b.Name, place_, lineOf(b.Line));
    CheckUnbound(map, bindings, lineOf(0));
    size_t before = objectList.size();
    ListPlacedObjects(map, bindings, objectList);
    // Each entry with the binding that made it; the section is what the
    // set-up copies, the entry's text up to its first comma.
    for (size_t i = before; i < objectList.size(); ++i) {
      std::string section = objectList[i].substr(0, objectList[i].find(','));
      TRead from{place_, 0, std::string(1, ' '), section};
      for (const TLayerBinding& b : bindings.Objects)
        if (StartsText(section + ",", b.Name + ",")) {
          from.Line = lineOf(b.Line);
          from.Key = std::string(1, b.Tile);
          break;
        }
      placedFrom.push_back(from);
    }
  }
  if (map.Width() <= 0 || map.Height() <= 0) {
    Add(last, 0, true, "the tile map has no cells: the game stops with \"No tile map file found!\"");
    return false;
  }
  if (map.Width() < TPlay1Map::kColumns || map.Height() < TPlay1Map::kRows)
    Add(last, 0, false,
        "the tile map is " + std::to_string(map.Width()) + " x " + std::to_string(map.Height()) +
            " cells; maps need at least 32 x 22");
  return true;
}

// A cell the set-up draws without a picture for it: the game logs that the
// picture is not found. Told once per character, at the line of the
// characters never drawn.
void TPackChecker::TRun::CheckUnbound(const TXMap& map, const TLayerBindings& bindings, int line) {
  std::string unbound;
  for (int x = 0; x < TPlay1Map::kColumns; ++x)
    for (int y = 0; y < TPlay1Map::kRows; ++y) {
      char c = char(map.GetRaw(x, y) & 0xFF);
      if (bindings.NeverDrawn.find(c) != std::string::npos || unbound.find(c) != std::string::npos) continue;
      bool bound = false;
      for (const TLayerBinding& b : bindings.Pictures) bound = bound || b.Tile == c;
      if (bound) continue;
      unbound += c;
      Add(place_, line, false,
          "the character " + CharText(c) + " (column " + std::to_string(x) + ", row " + std::to_string(y) +
              ") has no picture and is not among the characters never drawn");
    }
}

// A picture bound to a tile character: a missing file stops the game; one
// that does not decode draws nothing.
void TPackChecker::TRun::CheckPicture(const std::string& name, const std::string& place, int line) {
  place_ = place;
  line_ = line;
  try {
    TImage image(name);
    if (!image.Surface) Add(place, line, false, "the picture does not decode: the tile draws nothing (" + name + ")");
  } catch (const std::exception& e) {
    Add(place, line, true, e.what());
  }
  line_ = 0;
  picture_.clear();
}

void TPackChecker::TRun::CheckObjects(TIniFile& ini, const std::vector<std::string>& objectList,
                                      const std::vector<TRead>& placedFrom) {
  Watch(ini, place_);
  missingCopies_.clear();
  for (size_t i = 0; i < placedFrom.size(); ++i) {
    const TRead& from = placedFrom[i];
    if (ini.SectionType(from.Value) == stNormal) continue;
    missingCopies_.insert("$temp$" + std::to_string(i));
    Add(from.Place, from.Line, true,
        "the map character " + CharText(from.Key[0]) + " places the section [" + from.Value + "], which " + place_ +
            (ini.SectionType(from.Value) < 0 ? " does not have" : " holds as a list"));
  }
  PlaceObjects(ini, objectList);
  if (ini.SectionType("Objects") != stList) {
    Add(place_, ini.HeaderLine("Objects"), false, "no list section [*Objects]: the map has no objects");
    return;
  }
  TObjectFactory factory;
  factory.Watch = this;
  int count = ini.ListItemCount("Objects");
  for (int i = 0; i < count; ++i) {
    std::string item = ini.ReadListItem("Objects", i);
    try {
      factory.CreateObject(*SpriteEngine, ini, item, 0, 0);
    } catch (const TMapSetupFailed&) {
      throw;
    } catch (const std::exception& e) {
      AddFor({.Message = e.what()});
    }
    entries_.clear();
    topReads_.clear();
  }
  if (!factory.Player()) Add(place_, ini.HeaderLine("Objects"), false, "no PLAYER object: the map cannot be played");
}

void TPackChecker::TRun::Watch(TIniFile& ini, const std::string& place) {
  places_[&ini] = place;
  ini.SetReadWatch([this, &ini](const std::string& section, const std::string& key, int index) {
    OnRead(ini, section, key, index);
  });
}

void TPackChecker::TRun::OnRead(const TIniFile& ini, const std::string& section, const std::string& key, int index) {
  if (quiet_) return;
  quiet_ = true;
  TRead read;
  read.Place = places_[&ini];
  read.Key = key;
  if (key.empty()) {
    read.Line = ini.ItemLine(section, index);
    if (ini.SectionType(section) == stList && index >= 0 && index < ini.ListItemCount(section))
      read.Value = ini.ReadListItem(section, index);
  } else {
    read.Line = ini.KeyLine(section, key);
    read.Value = ini.ReadString(section, key, std::string(), std::string());
  }
  quiet_ = false;
  (entries_.empty() ? topReads_ : entries_.back().Reads).push_back(std::move(read));
}

bool TPackChecker::TRun::EnterEntry(TIniFile& ini, const std::string& section) {
  picture_.clear();
  const std::vector<TRead>& parent = entries_.empty() ? topReads_ : entries_.back().Reads;
  TEntry entry;
  entry.Ini = &ini;
  entry.Place = places_[&ini];
  entry.Section = section;
  entry.HeaderLine = ini.HeaderLine(section);
  // Named by the last value read that names it (a list item, a key).
  entry.RefPlace = entry.Place;
  for (auto it = parent.rbegin(); it != parent.rend(); ++it)
    if (it == parent.rbegin() || SameText(it->Value, section)) {
      entry.RefPlace = it->Place;
      entry.RefLine = it->Line;
      if (SameText(it->Value, section)) break;
    }
  int type = ini.SectionType(section);
  entry.Missing = type != stNormal || missingCopies_.count(section) > 0;
  // A copy placed by a map character without its original was reported
  // with the binding.
  if (entry.Missing && !StartsText("$temp$", section))
    Add(entry.RefPlace, entry.RefLine, true,
        "object section [" + section + "] " + (type < 0 ? "is missing" : "is a list, not an object"));
  // A section of the same file inside itself would repeat itself, each time
  // alike, down to the nesting limit (the game's Error), and possibly many
  // times over: it is told once and not made again. A macro filled in anew
  // may differ, and goes down to the limit as in the game.
  std::string chain;
  for (const TEntry& outer : entries_)
    if (!chain.empty() || (outer.Ini == &ini && SameText(outer.Section, section))) chain += outer.Section + " > ";
  entries_.push_back(std::move(entry));
  if (chain.empty()) return true;
  const TEntry& inner = entries_.back();
  Add(inner.RefPlace, inner.RefLine, true, "[" + section + "] contains itself (" + chain + section + ")");
  return false;
}

void TPackChecker::TRun::LeaveEntry() {
  picture_.clear();
  if (!entries_.empty()) entries_.pop_back();
}

void TPackChecker::TRun::ObjectMade(const TSprite& sprite) {
  const auto* port = dynamic_cast<const TMapSelectPort*>(&sprite);
  if (!port || entries_.empty()) return;
  // Levels 1..6 mark the cell the player enters the port from.
  if (port->Level < 1 || port->Level > TMapSelectPort::kLastOpenLevel || port->Level < mapCount_) return;
  const TEntry& e = entries_.back();
  quiet_ = true;
  int line = e.Ini->KeyLine(e.Section, "Level");
  quiet_ = false;
  Add(e.Place, line ? line : e.HeaderLine, true,
      "the port leads to map " + std::to_string(port->Level) + ", past the map list (" + std::to_string(mapCount_) +
          " maps): the game stops with \"Unknown map number!\"" + Through(e.Place));
}

void TPackChecker::TRun::MacroRead(TIniFile& macro, const std::string& name) {
  Watch(macro, StreamOpener->ResolveName(name));
}

void TPackChecker::TRun::Receive(const TDiagnostic& d) {
  if (quiet_) return;
  switch (d.Kind) {
    case TDiagnosticKind::Loading:
      // Every picture loaded by name, frame groups and transform included.
      picture_ = d.File;
      return CheckFrames(d.File);
    case TDiagnosticKind::MissingFile:
      // The opener raises: whoever catches it tells the failure (an object
      // with its own report, the checker with the exception at this file).
      missing_ = d.File;
      return;
    case TDiagnosticKind::NestedTooDeeply: return Nested();
    case TDiagnosticKind::TooManyObjects: return TooMany(d);
    case TDiagnosticKind::UnknownType:
      // Told already, where the section is named.
      if (!entries_.empty() && entries_.back().Missing) return;
      break;
    case TDiagnosticKind::MissingPicture:
      // No picture named: the game shows its placeholder.
      if (d.File == "*") {
        TDiagnostic placeholder = d;
        placeholder.Severity = TSeverity::Warning;
        placeholder.Message = "no picture named: " + d.Message;
        return AddFor(placeholder);
      }
      break;
    case TDiagnosticKind::Other:
      // A reader's failure is about the picture being loaded; for a picture
      // without a name the object's own report follows.
      if (d.Severity == TSeverity::Error && !picture_.empty()) {
        if (picture_ == "*") return;
        TDiagnostic named = d;
        named.Message += " (" + picture_ + ")";
        return AddFor(named);
      }
      break;
    default: break;
  }
  if (d.Severity != TSeverity::Note) AddFor(d);
}

void TPackChecker::TRun::TooMany(const TDiagnostic& d) {
  std::string text =
      d.Message + ": a map holds at most " + std::to_string(TObjectFactory::kMaxEntries) + " object entries";
  // However deep the entry that ran out.
  for (auto e = entries_.rbegin(); e != entries_.rend(); ++e)
    for (auto r = e->Reads.rbegin(); r != e->Reads.rend(); ++r)
      if (r->Key == "Times" && r->Line > 0) return Add(r->Place, r->Line, true, text + Through(r->Place));
  TDiagnostic told = d;
  told.Message = text;
  AddFor(told);
}

void TPackChecker::TRun::CheckFrames(const std::string& name) {
  std::string rest = name;
  TFrameList cuts = ParseFrameList(rest);
  if (cuts.empty() || !framesChecked_.insert(name).second) return;
  quiet_ = true;
  int frames = -1;
  bool decoded = false;
  try {
    TImage whole(rest);
    decoded = whole.Surface != nullptr;
    frames = whole.Animated ? whole.FrameCount : 0;
  } catch (const std::exception&) {
  }
  quiet_ = false;
  if (!decoded) return;
  TDiagnostic finding{.Severity = TSeverity::Warning, .File = name};
  if (frames == 0) {
    finding.Message = "frame groups on a picture that is no animation strip are ignored (" + name + ")";
    return AddFor(finding);
  }
  for (const TFrameCut& cut : cuts)
    if (cut.Last >= frames) {
      finding.Message = "frames beyond the strip of " + std::to_string(frames) + " show black (" + name + ")";
      return AddFor(finding);
    }
}

void TPackChecker::TRun::Nested() {
  // The shortest repetition of a section: there the entry names itself.
  for (size_t k = 1; k < entries_.size(); ++k)
    for (size_t j = 0; j < k; ++j) {
      if (entries_[j].Place != entries_[k].Place || !SameText(entries_[j].Section, entries_[k].Section)) continue;
      std::string chain;
      for (size_t i = j; i <= k; ++i) chain += (i > j ? " > " : "") + entries_[i].Section;
      Add(entries_[k].RefPlace, entries_[k].RefLine, true,
          "[" + entries_[k].Section + "] contains itself (" + chain + ")");
      return;
    }
  const TEntry& top = entries_.back();
  Add(top.RefPlace, top.RefLine, true,
      "objects nested more than " + std::to_string(TObjectFactory::kMaxNesting) + " deep");
}

const TRead* TPackChecker::TRun::Blame(const TEntry& entry, const TDiagnostic& d) const {
  // Messages quote the value they are about, "(x.tga)", "'12x'", or name
  // the key; a value merely contained in the message counts least. A
  // report that names its file is about the read that named it.
  const std::string& message = d.Message;
  auto score = [&](const TRead& r) {
    const std::string& v = r.Value;
    if (!d.File.empty()) return v == d.File ? 3 : 0;
    if (!v.empty() &&
        (message.find("(" + v + ")") != std::string::npos || message.find("'" + v + "'") != std::string::npos))
      return 3;
    if (!r.Key.empty() && message.find(r.Key) != std::string::npos) return 2;
    if (!v.empty() && message.find(v) != std::string::npos) return 1;
    return 0;
  };
  const TRead* best = nullptr;
  int bestScore = 0;
  for (auto it = entry.Reads.rbegin(); it != entry.Reads.rend(); ++it) {
    int sc = it->Line > 0 ? score(*it) : 0;
    if (sc > bestScore) {
      best = &*it;
      bestScore = sc;
    }
  }
  if (best) return best;
  // A key that is not there (its default was taken) has no line: the
  // section is blamed instead.
  if (!entry.Reads.empty() && entry.Reads.back().Line > 0) return &entry.Reads.back();
  return nullptr;
}

void TPackChecker::TRun::AddFor(const TDiagnostic& d) {
  const bool error = d.Severity == TSeverity::Error;
  if (stage_ == TStage::Layer && layer_) return Add(place_, layer_->TextLine, error, d.Message);
  if (stage_ != TStage::Objects || entries_.empty()) return Add(place_, line_, error, d.Message);
  // The innermost entry is the object the report is about: a key it names
  // is in the file that entry is read from.
  const TEntry& entry = entries_.back();
  TRead at{entry.Place, d.Line, d.Key, std::string()};
  if (d.Key.empty())
    if (const TRead* read = Blame(entry, d)) at = *read;
  std::string text = d.Message;
  if (at.Line > 0 && !at.Key.empty() && text.find(at.Key) == std::string::npos)
    text += " (" + at.Key + " of [" + entry.Section + "])";
  if (at.Line == 0) {
    at.Place = entry.Place;
    at.Line = entry.HeaderLine;
    if (at.Line == 0) {
      at.Place = entry.RefPlace;
      at.Line = entry.RefLine;
    }
  }
  Add(at.Place, at.Line, error, text + Through(at.Place));
}

std::string TPackChecker::TRun::Through(const std::string& place) {
  // Inside a macro file: the entry that filled it in.
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (it->Place != place)
      return " (through [" + it->Section + "], " + it->Place + ":" + std::to_string(it->HeaderLine) + ")";
  return std::string();
}

void TPackChecker::TRun::Add(const std::string& place, int line, bool error, const std::string& message) {
  TFinding finding{place, line, error, message};
  if (seen_.insert(FormatFinding(finding)).second) findings_.push_back(std::move(finding));
}

std::vector<TFinding> TPackChecker::Check(const TProgress& progress) {
  TRun run(progress);
  return run.Run();
}

}  // namespace zorbin
