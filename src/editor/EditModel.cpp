// EditModel: the grid, palette, cursor, undo and redo, and saving.
#include "editor/EditModel.h"

#include "editor/NewMap.h"
#include "game/ZORBMapLayers.h"
#include "util/FileReplacer.h"
#include "util/QXToolbox.h"
#include "util/SoundEvents.h"
#include "util/Streams.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>

namespace zorbin {

const char* const TEditModel::kMapFileName = "map00.mpt";
const char* const TEditModel::kObjectsFileName = "objects.ini";

std::string TEditModel::MapPath() const { return ResolveDiskPath(folder_ + "/" + kMapFileName); }

std::string TEditModel::ObjectsPath() const { return ResolveDiskPath(folder_ + "/" + kObjectsFileName); }

bool TEditModel::Open(const std::string& folder, std::string& error) {
  folder_ = folder;
  if (!OpenMap(error) || !OpenObjects(error)) return false;
  BuildPalette();
  return true;
}

bool TEditModel::OpenMap(std::string& error) {
  std::string path = MapPath();
  if (!FileExistsOnDisk(path)) {
    map_.SetSize(kNewWidth, kNewHeight);
    FillNewMap(map_);
    std::string name = folder_;
    while (name.size() > 1 && (name.back() == '/' || name.back() == '\\')) name.pop_back();
    map_.MapName = ExtractFileName(name);
    return true;
  }
  try {
    TFileStream file(path, TFileMode::OpenRead);
    map_.Load(file);
  } catch (const std::exception& e) {
    error = path + ": " + e.what();
    return false;
  }
  if (map_.Width() <= 0 || map_.Height() <= 0) {
    error = path + ": no map (" + (map_.LastError == "OK" ? "an unsupported format" : map_.LastError) + ")";
    return false;
  }
  return true;
}

bool TEditModel::OpenObjects(std::string& error) {
  std::string path = ObjectsPath();
  if (!FileExistsOnDisk(path)) {
    objects_ = TObjectFile(NewObjectsText());
    return true;
  }
  std::error_code ec;
  if (std::filesystem::file_size(path, ec) > kMaxObjectsSize || ec) {
    error = path + ": " + (ec ? ec.message() : "larger than 4 MiB, no object file");
    return false;
  }
  TMemoryStream file;
  try {
    file.LoadFromFile(path);
  } catch (const std::exception& e) {
    error = path + ": " + e.what();
    return false;
  }
  objectsOnDisk_ = std::string(file.Data().begin(), file.Data().end());
  objects_ = TObjectFile(*objectsOnDisk_);
  return true;
}

void TEditModel::BuildPalette() {
  palette_ = {kBlank};
  TLayerBindings bindings = ReadLayerBindings(map_.ExtraLines);
  auto add = [this](char c) {
    int32_t v = uint8_t(c);
    if (std::find(palette_.begin(), palette_.end(), v) == palette_.end()) palette_.push_back(v);
  };
  for (const TLayerBinding& binding : bindings.Pictures) add(binding.Tile);
  for (const TLayerBinding& binding : bindings.Objects) add(binding.Tile);
  chosen_ = 0;
}

void TEditModel::Choose(int index) { chosen_ = std::clamp(index, 0, int(palette_.size()) - 1); }

void TEditModel::ChooseNext(int step) {
  int n = int(palette_.size());
  chosen_ = ((chosen_ + step) % n + n) % n;
}

bool TEditModel::Pick(int col, int row) {
  if (!InGrid(col, row)) return false;
  int32_t v = map_.GetRaw(col, row);
  auto at = std::find(palette_.begin(), palette_.end(), v);
  if (at == palette_.end()) at = palette_.insert(palette_.end(), v);
  chosen_ = int(at - palette_.begin());
  return true;
}

bool TEditModel::InGrid(int col, int row) const {
  return col >= 0 && row >= 0 && col < map_.Width() && row < map_.Height();
}

void TEditModel::MoveCursor(int dx, int dy) {
  cursorCol_ = std::clamp(cursorCol_ + dx, 0, std::max(0, map_.Width() - 1));
  cursorRow_ = std::clamp(cursorRow_ + dy, 0, std::max(0, map_.Height() - 1));
}

void TEditModel::BeginStroke() {
  EndStroke();
  strokeOpen_ = true;
}

void TEditModel::EndStroke() {
  if (!strokeOpen_) return;
  strokeOpen_ = false;
  if (!stroke_.Cells.empty()) Push(std::move(stroke_));
  stroke_ = TStep();
}

void TEditModel::Paint(int col, int row) {
  if (!InGrid(col, row)) return;
  int32_t before = map_.GetRaw(col, row), after = ChosenCharacter();
  if (before == after) return;
  TCellChange change{col, row, before, after};
  map_.SetRaw(col, row, after);
  map_.ApplyLogicalWraps();
  RaiseSound(TSoundEvent::EditorPaint);
  if (strokeOpen_) {
    stroke_.Cells.push_back(change);
    return;
  }
  TStep step;
  step.Cells.push_back(change);
  Push(std::move(step));
}

int32_t TEditModel::WrapOf(int32_t source) const {
  for (const TLogicalWrap& w : map_.Wraps())
    if (w.Source == source) return w.Logical;
  return -1;
}

void TEditModel::SetWrap(int32_t logical) {
  EndStroke();
  TStep step;
  step.ChangesWraps = true;
  step.WrapsBefore = map_.Wraps();
  step.WrapsAfter = step.WrapsBefore;
  int32_t source = ChosenCharacter();
  // The first wrap of a source decides, so that is the one to change.
  auto first = std::find_if(step.WrapsAfter.begin(), step.WrapsAfter.end(),
                            [source](const TLogicalWrap& w) { return w.Source == source; });
  if (first != step.WrapsAfter.end()) {
    if (first->Logical == logical) return;
    first->Logical = logical;
  } else {
    step.WrapsAfter.push_back(TLogicalWrap{source, logical});
  }
  ApplyForward(step);
  Push(std::move(step));
}

void TEditModel::SetTexts(const std::string& name, const std::string& author) {
  EndStroke();
  TStep step;
  step.ChangesTexts = true;
  step.TextsBefore = TTexts{map_.MapName, map_.Author};
  step.TextsAfter = TTexts{name, author};
  if (name == map_.MapName && author == map_.Author) return;
  ApplyForward(step);
  Push(std::move(step));
}

void TEditModel::BeginObjectChange() {
  EndObjectChange();
  objectChangeOpen_ = true;
  objectsBefore_ = objects_.Text();
}

void TEditModel::EndObjectChange() {
  if (!objectChangeOpen_) return;
  objectChangeOpen_ = false;
  std::string after = objects_.Text();
  if (after == objectsBefore_) return;
  TStep step;
  step.ChangesObjects = true;
  step.ObjectsBefore = std::move(objectsBefore_);
  step.ObjectsAfter = std::move(after);
  Push(std::move(step));
}

void TEditModel::ChangeObjects(const std::function<void(TObjectFile&)>& change) {
  EndStroke();
  bool single = !objectChangeOpen_;
  if (single) BeginObjectChange();
  change(objects_);
  ++objectsRevision_;
  if (single) EndObjectChange();
}

void TEditModel::SetObjectsText(const std::string& text) {
  objects_ = TObjectFile(text);
  ++objectsRevision_;
}

void TEditModel::Push(TStep step) {
  step.Id = nextId_++;
  undo_.push_back(std::move(step));
  redo_.clear();
}

void TEditModel::ApplyForward(const TStep& step) {
  for (const TCellChange& c : step.Cells) map_.SetRaw(c.Col, c.Row, c.After);
  if (step.ChangesWraps) map_.SetLogicalWraps(step.WrapsAfter);
  map_.ApplyLogicalWraps();
  if (step.ChangesTexts) map_.MapName = step.TextsAfter.Name, map_.Author = step.TextsAfter.Author;
  if (step.ChangesObjects) SetObjectsText(step.ObjectsAfter);
}

bool TEditModel::Undo() {
  EndStroke();
  EndObjectChange();
  if (undo_.empty()) return false;
  // Undone in reverse, so a stroke over one cell twice comes back whole.
  TStep step = std::move(undo_.back());
  undo_.pop_back();
  for (auto c = step.Cells.rbegin(); c != step.Cells.rend(); ++c) map_.SetRaw(c->Col, c->Row, c->Before);
  if (step.ChangesWraps) map_.SetLogicalWraps(step.WrapsBefore);
  map_.ApplyLogicalWraps();
  if (step.ChangesTexts) map_.MapName = step.TextsBefore.Name, map_.Author = step.TextsBefore.Author;
  if (step.ChangesObjects) SetObjectsText(step.ObjectsBefore);
  redo_.push_back(std::move(step));
  return true;
}

bool TEditModel::Redo() {
  EndStroke();
  EndObjectChange();
  if (redo_.empty()) return false;
  TStep step = std::move(redo_.back());
  redo_.pop_back();
  ApplyForward(step);
  undo_.push_back(std::move(step));
  return true;
}

bool TEditModel::Unsaved() const {
  return TopId() != savedId_ || (strokeOpen_ && !stroke_.Cells.empty()) ||
         (objectChangeOpen_ && objects_.Text() != objectsBefore_);
}

std::vector<uint8_t> TEditModel::SavedBytes(std::vector<std::string>& warnings) {
  TMemoryStream stream;
  bool written = map_.Save(stream, 'T');
  warnings = map_.SaveWarnings;
  return written ? stream.Data() : std::vector<uint8_t>();
}

// The .bak is a copy, not the old file moved away: whenever the editor
// stops, a whole file (old or new) stands under its own name.
bool TEditModel::ReplaceKeepingBak(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::string why;
  if (FileExistsOnDisk(path)) {
    TMemoryStream old;
    try {
      old.LoadFromFile(path);
    } catch (const std::exception&) {
      why = "unreadable";
    }
    if (!why.empty() || !ReplaceFile(path + ".bak", old.Data(), why)) {
      error = "not saved: cannot keep " + path + " as " + path + ".bak";
      return false;
    }
  }
  if (!ReplaceFile(path, bytes, why)) {
    error = "not saved: " + why;
    return false;
  }
  return true;
}

bool TEditModel::Save(std::vector<std::string>& warnings, std::string& error) {
  EndStroke();
  EndObjectChange();
  std::vector<uint8_t> bytes = SavedBytes(warnings);
  if (bytes.empty()) {
    error = "not saved: " + (warnings.empty() ? std::string("the map cannot be written") : warnings.back());
    return false;
  }
  // A new map's folder may not be there yet.
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  if (ec) {
    error = "not saved: cannot make the folder " + folder_ + " (" + ec.message() + ")";
    return false;
  }
  if (!ReplaceKeepingBak(MapPath(), bytes, error)) return false;
  std::string objects = objects_.Text();
  if (objects != objectsOnDisk_) {
    if (!ReplaceKeepingBak(ObjectsPath(), std::vector<uint8_t>(objects.begin(), objects.end()), error)) return false;
    objectsOnDisk_ = objects;
  }
  savedId_ = TopId();
  return true;
}

}  // namespace zorbin
