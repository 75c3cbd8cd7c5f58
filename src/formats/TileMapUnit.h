// TileMapUnit: the cell grid of a map. Every cell has a raw value (what the
// map file says) and a logical value (what movement reads and objects write),
// derived from the raw one through the list of logical wraps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorbin {

struct TLogicalWrap {
  int32_t Source = 0;   // raw value
  int32_t Logical = 0;  // the logical value it stands for
};

class TTileMap {
 public:
  // No reader or caller may make a grid larger than this many cells; the
  // shipped maps have 704.
  static constexpr int64_t kMaxCells = int64_t(1) << 20;

  TTileMap();
  virtual ~TTileMap();
  TTileMap(const TTileMap&) = delete;
  TTileMap& operator=(const TTileMap&) = delete;

  // Empty map: no grids, texts "Unknown", no wraps or extra lines, origin (0, 0).
  virtual void Clear();
  // Clear, then both grids at W x H filled with 0. Sizes below 0 count as 0;
  // a size beyond kMaxCells leaves the map empty.
  virtual void SetSize(int32_t w, int32_t h);
  // Grows the grids keeping every cell at its column and row; new cells are
  // 0. Does nothing unless W >= Width and H >= Height (and within kMaxCells).
  virtual void Resize(int32_t w, int32_t h);
  // Moves both grids DY rows and DX columns onwards in row-major order,
  // wrapping from the last cell to the first.
  virtual void Shift(int32_t dx, int32_t dy);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // Cell (X - OriginX, Y - OriginY). Outside the grid reads give 0 and
  // writes are dropped.
  int32_t GetLogic(int32_t x, int32_t y) const;
  int32_t GetRaw(int32_t x, int32_t y) const;
  void SetLogic(int32_t x, int32_t y, int32_t v);
  void SetRaw(int32_t x, int32_t y, int32_t v);

  void AddLogicalWrap(int32_t source, int32_t logical);
  // Replaces the whole list (an editor's change and its undo).
  void SetLogicalWraps(std::vector<TLogicalWrap> wraps) { wraps_ = std::move(wraps); }
  const std::vector<TLogicalWrap>& Wraps() const { return wraps_; }
  // Logical := raw, then the first wrap whose Source equals raw decides.
  void ApplyLogicalWraps();
  // True when every raw value is within 0..255.
  bool FitsInBytes() const;

  std::vector<std::string> ExtraLines;
  int32_t OriginX = 0;
  int32_t OriginY = 0;
  std::string MapName = "Unknown";
  std::string Author = "Unknown";
  std::string ThirdText = "Unknown";

 protected:
  // Replaces both grids by zero-filled ones of W x H, touching nothing else.
  // Returns false (and leaves the map unchanged) for a negative size or one
  // beyond kMaxCells.
  bool AllocateGrids(int32_t w, int32_t h);
  // Index of grid cell (col, row) without the origin, or -1 outside.
  int64_t CellIndex(int64_t col, int64_t row) const;

  std::vector<int32_t> logicGrid_;
  std::vector<int32_t> rawGrid_;

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<TLogicalWrap> wraps_;
};

}  // namespace zorbin
