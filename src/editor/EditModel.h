// EditModel: the map an editor works on. It holds the grid of map00.mpt,
// the palette of characters the map binds, the chosen character, the cell
// cursor and the undo and redo steps of cell and wrap changes, and saves
// the map in MAPT after keeping the previous file as map00.mpt.bak.
#pragma once

#include "formats/XMapUnit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorbin {

class TEditModel final {
 public:
  // A folder without a map file starts a map of this many blanks.
  static constexpr int kNewWidth = 32;
  static constexpr int kNewHeight = 22;
  static constexpr int32_t kBlank = ' ';
  static const char* const kMapFileName;  // "map00.mpt"

  // Reads FOLDER/map00.mpt, or starts a map of blanks named after the folder
  // when there is none. False with error when the file holds no map.
  bool Open(const std::string& folder, std::string& error);

  const TXMap& Map() const { return map_; }
  const std::string& Folder() const { return folder_; }
  // The map file on disk, in the letter case it has there.
  std::string MapPath() const;

  // Blank first, then every character bound to a picture or an object, in
  // the order the extra lines bind them; a character picked from the grid
  // joins at the end.
  const std::vector<int32_t>& Palette() const { return palette_; }
  int Chosen() const { return chosen_; }
  int32_t ChosenCharacter() const { return palette_[size_t(chosen_)]; }
  void Choose(int index);
  // The previous (-1) or next (+1) character, round the palette.
  void ChooseNext(int step);
  // Chooses the character of a cell; false outside the grid.
  bool Pick(int col, int row);

  bool InGrid(int col, int row) const;
  int CursorCol() const { return cursorCol_; }
  int CursorRow() const { return cursorRow_; }
  void MoveCursor(int dx, int dy);

  // Cells painted between BeginStroke and EndStroke undo as one step; a
  // paint outside a stroke is a step of its own. Cells outside the grid
  // and cells that already hold the character are left alone.
  void BeginStroke();
  void EndStroke();
  void Paint(int col, int row);
  // The chosen character's raw value wraps to logical.
  void SetWrap(int32_t logical);
  // The logical value the chosen character wraps to, or -1 without a wrap.
  int32_t WrapOf(int32_t source) const;
  bool Undo();
  bool Redo();
  // Changed since it was opened or last saved.
  bool Unsaved() const;

  // The map as it would be saved: MAPT, or what the tile map's own rules
  // choose instead, their warnings in warnings. Empty when nothing can hold it.
  std::vector<uint8_t> SavedBytes(std::vector<std::string>& warnings);
  // Writes SavedBytes over map00.mpt after renaming the old file to
  // map00.mpt.bak. False with error when nothing was written.
  bool Save(std::vector<std::string>& warnings, std::string& error);

 private:
  struct TCellChange {
    int Col = 0;
    int Row = 0;
    int32_t Before = 0;
    int32_t After = 0;
  };
  struct TStep {
    uint64_t Id = 0;
    std::vector<TCellChange> Cells;
    bool ChangesWraps = false;
    std::vector<TLogicalWrap> WrapsBefore;
    std::vector<TLogicalWrap> WrapsAfter;
  };

  void BuildPalette();
  void Push(TStep step);
  void ApplyForward(const TStep& step);
  uint64_t TopId() const { return undo_.empty() ? 0 : undo_.back().Id; }

  TXMap map_;
  std::string folder_;
  std::vector<int32_t> palette_;
  int chosen_ = 0;
  int cursorCol_ = 0;
  int cursorRow_ = 0;
  bool strokeOpen_ = false;
  TStep stroke_;
  std::vector<TStep> undo_;
  std::vector<TStep> redo_;
  uint64_t nextId_ = 1;
  uint64_t savedId_ = 0;  // the undo step on top when the map was last saved
};

}  // namespace zorbin
