// EditModel: the map an editor works on. It holds the grid of map00.mpt
// and its title texts, the object file, the palette of characters the map
// binds, the chosen character, the cell cursor and the undo and redo steps
// of cell, wrap, text and object changes, and saves the map in MAPT and the
// object file, each after keeping the previous file as a .bak.
#pragma once

#include "editor/ObjectFile.h"
#include "formats/XMapUnit.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zorbin {

class TEditModel final {
 public:
  // A folder without a map file starts a map of this many blanks.
  static constexpr int kNewWidth = 32;
  static constexpr int kNewHeight = 22;
  static constexpr int32_t kBlank = ' ';
  static const char* const kMapFileName;      // "map00.mpt"
  static const char* const kObjectsFileName;  // "objects.ini"
  // A larger object file is no author's: it is refused.
  static constexpr uintmax_t kMaxObjectsSize = 4 << 20;

  // Reads FOLDER/map00.mpt and FOLDER/objects.ini into a new model (once
  // per model). Without a map file a new map named after the folder starts
  // (see NewMap), without an object file the new map's objects. False with
  // error when a file cannot be read or the map file holds no map.
  bool Open(const std::string& folder, std::string& error);

  const TXMap& Map() const { return map_; }
  const TObjectFile& Objects() const { return objects_; }
  // Grows with every change of the object file, undo and redo included.
  uint64_t ObjectsRevision() const { return objectsRevision_; }
  const std::string& Folder() const { return folder_; }
  // The files on disk, in the letter case they have there.
  std::string MapPath() const;
  std::string ObjectsPath() const;

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
  // The title card's texts (MN and AU); one step.
  void SetTexts(const std::string& name, const std::string& author);

  // Changes of the object file between BeginObjectChange and
  // EndObjectChange (a drag) undo as one step; a change outside them is a
  // step of its own. A change that leaves the text as it was is no step.
  void BeginObjectChange();
  void EndObjectChange();
  void ChangeObjects(const std::function<void(TObjectFile&)>& change);

  bool Undo();
  bool Redo();
  // Changed since it was opened or last saved.
  bool Unsaved() const;

  // The map as it would be saved: MAPT, or what the tile map's own rules
  // choose instead, their warnings in warnings. Empty when nothing can hold it.
  std::vector<uint8_t> SavedBytes(std::vector<std::string>& warnings);
  // Writes SavedBytes over map00.mpt and the object file over objects.ini
  // (when it differs from the file there), each old file kept as a .bak;
  // a missing folder is made. False with error when a file was not written.
  bool Save(std::vector<std::string>& warnings, std::string& error);

 private:
  struct TCellChange {
    int Col = 0;
    int Row = 0;
    int32_t Before = 0;
    int32_t After = 0;
  };
  struct TTexts {
    std::string Name;
    std::string Author;
  };
  struct TStep {
    uint64_t Id = 0;
    std::vector<TCellChange> Cells;
    bool ChangesWraps = false;
    std::vector<TLogicalWrap> WrapsBefore;
    std::vector<TLogicalWrap> WrapsAfter;
    bool ChangesTexts = false;
    TTexts TextsBefore;
    TTexts TextsAfter;
    bool ChangesObjects = false;
    std::string ObjectsBefore;
    std::string ObjectsAfter;
  };

  bool OpenMap(std::string& error);
  bool OpenObjects(std::string& error);
  void BuildPalette();
  void Push(TStep step);
  void ApplyForward(const TStep& step);
  void SetObjectsText(const std::string& text);
  uint64_t TopId() const { return undo_.empty() ? 0 : undo_.back().Id; }
  // Writes bytes over path after keeping the old file as path.bak.
  static bool ReplaceKeepingBak(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

  TXMap map_;
  TObjectFile objects_;
  uint64_t objectsRevision_ = 1;
  // The object file as it stands on disk; none when there is no file.
  std::optional<std::string> objectsOnDisk_;
  bool objectChangeOpen_ = false;
  std::string objectsBefore_;  // the text when the open object change began
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
