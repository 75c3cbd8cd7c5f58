// TileMapUnit: the cell grid, its logical wraps and bounds-checked access.
#include "formats/TileMapUnit.h"

#include "log/Logger.h"
#include "util/QXToolbox.h"

#include <unordered_map>

namespace zorbin {

TTileMap::TTileMap() = default;

TTileMap::~TTileMap() = default;

void TTileMap::Clear() {
  logicGrid_.clear();
  rawGrid_.clear();
  width_ = 0;
  height_ = 0;
  MapName = "Unknown";
  Author = "Unknown";
  ThirdText = "Unknown";
  ExtraLines.clear();
  wraps_.clear();
  OriginX = 0;
  OriginY = 0;
}

bool TTileMap::AllocateGrids(int32_t w, int32_t h) {
  if (w < 0 || h < 0 || int64_t(w) * int64_t(h) > kMaxCells) return false;
  size_t cells = size_t(int64_t(w) * int64_t(h));
  logicGrid_.assign(cells, 0);
  rawGrid_.assign(cells, 0);
  width_ = w;
  height_ = h;
  return true;
}

void TTileMap::SetSize(int32_t w, int32_t h) {
  Clear();
  AllocateGrids(w < 0 ? 0 : w, h < 0 ? 0 : h);
}

void TTileMap::Resize(int32_t w, int32_t h) {
  if (w < width_ || h < height_ || int64_t(w) * int64_t(h) > kMaxCells) return;
  std::vector<int32_t> oldLogic = std::move(logicGrid_);
  std::vector<int32_t> oldRaw = std::move(rawGrid_);
  int32_t oldW = width_, oldH = height_;
  AllocateGrids(w, h);
  for (int32_t row = 0; row < oldH; ++row) {
    for (int32_t col = 0; col < oldW; ++col) {
      size_t from = size_t(row) * size_t(oldW) + size_t(col);
      size_t to = size_t(row) * size_t(w) + size_t(col);
      logicGrid_[to] = oldLogic[from];
      rawGrid_[to] = oldRaw[from];
    }
  }
}

void TTileMap::Shift(int32_t dx, int32_t dy) {
  int64_t n = int64_t(rawGrid_.size());
  if (n == 0) return;
  // Any offset is taken modulo the cell count, so nothing lands outside.
  int64_t offset = (int64_t(dy) * width_ + dx) % n;
  if (offset < 0) offset += n;
  if (offset == 0) return;
  std::vector<int32_t> logic(static_cast<size_t>(n)), raw(static_cast<size_t>(n));
  for (int64_t p = 0; p < n; ++p) {
    size_t to = size_t((p + offset) % n);
    logic[to] = logicGrid_[size_t(p)];
    raw[to] = rawGrid_[size_t(p)];
  }
  logicGrid_ = std::move(logic);
  rawGrid_ = std::move(raw);
}

int64_t TTileMap::CellIndex(int64_t col, int64_t row) const {
  if (col < 0 || row < 0 || col >= width_ || row >= height_) return -1;
  return row * width_ + col;
}

int32_t TTileMap::GetLogic(int32_t x, int32_t y) const {
  int64_t i = CellIndex(int64_t(x) - OriginX, int64_t(y) - OriginY);
  return i < 0 ? 0 : logicGrid_[size_t(i)];
}

int32_t TTileMap::GetRaw(int32_t x, int32_t y) const {
  int64_t i = CellIndex(int64_t(x) - OriginX, int64_t(y) - OriginY);
  return i < 0 ? 0 : rawGrid_[size_t(i)];
}

void TTileMap::SetLogic(int32_t x, int32_t y, int32_t v) {
  int64_t i = CellIndex(int64_t(x) - OriginX, int64_t(y) - OriginY);
  if (i >= 0) logicGrid_[size_t(i)] = v;
}

void TTileMap::SetRaw(int32_t x, int32_t y, int32_t v) {
  int64_t i = CellIndex(int64_t(x) - OriginX, int64_t(y) - OriginY);
  if (i >= 0) rawGrid_[size_t(i)] = v;
}

void TTileMap::AddLogicalWrap(int32_t source, int32_t logical) {
  Log->Debug(IntToStr(source) + ", " + IntToStr(logical), "TileMapUnit, AddLogicalWrap");
  wraps_.push_back(TLogicalWrap{source, logical});
}

void TTileMap::ApplyLogicalWraps() {
  // A lookup table keeps this linear however many wraps a file brings;
  // emplace keeps the first wrap of a source.
  std::unordered_map<int32_t, int32_t> table;
  for (const TLogicalWrap& w : wraps_) table.emplace(w.Source, w.Logical);
  for (size_t i = 0; i < rawGrid_.size(); ++i) {
    auto it = table.find(rawGrid_[i]);
    logicGrid_[i] = it == table.end() ? rawGrid_[i] : it->second;
  }
}

bool TTileMap::FitsInBytes() const {
  for (int32_t v : rawGrid_)
    if (v < 0 || v > 255) return false;
  return true;
}

}  // namespace zorbin
