// EditModel: the grid, palette, cursor, undo and redo, and saving.
#include "editor/EditModel.h"

#include "game/ZORBMapLayers.h"
#include "util/FileReplacer.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace zorbin {

const char* const TEditModel::kMapFileName = "map00.mpt";

std::string TEditModel::MapPath() const { return ResolveDiskPath(folder_ + "/" + kMapFileName); }

bool TEditModel::Open(const std::string& folder, std::string& error) {
  folder_ = folder;
  std::string path = MapPath();
  if (FileExistsOnDisk(path)) {
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
  } else {
    map_.SetSize(kNewWidth, kNewHeight);
    for (int row = 0; row < kNewHeight; ++row)
      for (int col = 0; col < kNewWidth; ++col) map_.SetRaw(col, row, kBlank);
    // Unwrapped, a blank would keep its code 32: a strong lift everywhere.
    map_.AddLogicalWrap(kBlank, 0);
    std::string name = folder;
    while (name.size() > 1 && (name.back() == '/' || name.back() == '\\')) name.pop_back();
    map_.MapName = ExtractFileName(name);
    map_.ApplyLogicalWraps();
  }
  BuildPalette();
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

void TEditModel::Push(TStep step) {
  step.Id = nextId_++;
  undo_.push_back(std::move(step));
  redo_.clear();
}

void TEditModel::ApplyForward(const TStep& step) {
  for (const TCellChange& c : step.Cells) map_.SetRaw(c.Col, c.Row, c.After);
  if (step.ChangesWraps) map_.SetLogicalWraps(step.WrapsAfter);
  map_.ApplyLogicalWraps();
}

bool TEditModel::Undo() {
  EndStroke();
  if (undo_.empty()) return false;
  // Undone in reverse, so a stroke over one cell twice comes back whole.
  TStep step = std::move(undo_.back());
  undo_.pop_back();
  for (auto c = step.Cells.rbegin(); c != step.Cells.rend(); ++c) map_.SetRaw(c->Col, c->Row, c->Before);
  if (step.ChangesWraps) map_.SetLogicalWraps(step.WrapsBefore);
  map_.ApplyLogicalWraps();
  redo_.push_back(std::move(step));
  return true;
}

bool TEditModel::Redo() {
  EndStroke();
  if (redo_.empty()) return false;
  TStep step = std::move(redo_.back());
  redo_.pop_back();
  ApplyForward(step);
  undo_.push_back(std::move(step));
  return true;
}

bool TEditModel::Unsaved() const { return TopId() != savedId_ || (strokeOpen_ && !stroke_.Cells.empty()); }

std::vector<uint8_t> TEditModel::SavedBytes(std::vector<std::string>& warnings) {
  TMemoryStream stream;
  bool written = map_.Save(stream, 'T');
  warnings = map_.SaveWarnings;
  return written ? stream.Data() : std::vector<uint8_t>();
}

bool TEditModel::Save(std::vector<std::string>& warnings, std::string& error) {
  EndStroke();
  std::vector<uint8_t> bytes = SavedBytes(warnings);
  if (bytes.empty()) {
    error = "not saved: " + (warnings.empty() ? std::string("the map cannot be written") : warnings.back());
    return false;
  }
  std::string path = MapPath();
  std::string why;
  // The .bak is a copy, not the old map moved away: whenever the editor
  // stops, a whole map (old or new) stands under its own name.
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
  savedId_ = TopId();
  return true;
}

}  // namespace zorbin
