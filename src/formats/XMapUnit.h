// XMapUnit: the tile map file formats. TXMap reads the text maps MAPT
// (a character per cell) and MAPX (four hex digits per cell) and the binary
// maps MAPB (8 bit) and MAPW (16 bit), and writes all four.
#pragma once

#include "formats/TileMapUnit.h"

#include <string>
#include <vector>

namespace zorbin {

class TStream;

class TXMap : public TTileMap {
 public:
  // Outcome of the last Load(Stream): "OK" or the first problem found.
  std::string LastError;
  // The warnings of the last Save, in the order logged (the format it chose
  // instead of the one asked for, or why it wrote nothing).
  std::vector<std::string> SaveWarnings;
  // The text readers count lines from 1 (the magic's line): the line being
  // read, and the line of each ExtraLines entry. Binary maps have no lines
  // (0 and empty).
  int32_t TextLine = 0;
  std::vector<int32_t> ExtraLineNumbers;

  // Reads a whole map from the stream's current position. Conversion errors
  // (EConvertError) and short binary files (EStreamError) leave as exceptions.
  virtual void Load(TStream& stream);
  // Opens the resource through the global stream opener (which raises
  // "OpenStream failed: " + name when it is missing) and loads it.
  virtual void Load(const std::string& fileName);
  // Mode: 'A' automatic, 'B' MAPB, 'T' MAPT, 'W' MAPW, 'X' MAPX (any case);
  // anything else counts as 'A'. Returns false, after a Warning and without
  // writing anything, when the map cannot be stored in the chosen format
  // without losing or corrupting data.
  virtual bool Save(TStream& stream, char mode);
  // Creates or truncates the disk file only when the map can be written;
  // raises EFOpenError when the file cannot be created.
  virtual bool Save(const std::string& fileName, char mode);

  // One reader per format, given the stream just after the magic.
  void LoadMAPT(TStream& stream);
  void LoadMAPX(TStream& stream);
  void LoadMAPB(TStream& stream);
  void LoadMAPW(TStream& stream);
  // One writer per format, each writing its magic itself; false (after a
  // Warning, nothing written) when the format cannot hold the map.
  bool SaveMAPT(TStream& stream);
  bool SaveMAPX(TStream& stream);
  bool SaveMAPB(TStream& stream);
  bool SaveMAPW(TStream& stream);

 private:
  struct TTextGrid;
  void LoadText(TStream& stream, bool hex);
  bool SizeTextGrids(TTextGrid& grid, int32_t w, int32_t h, bool hex);
  void ReadTextWraps(const std::string& entries, bool hex);
  bool ReadTextRow(TTextGrid& grid, const std::string& cellText, int32_t& row, bool hex);
  void LoadBinary(TStream& stream, bool wide);
  void SaveText(TStream& stream, bool hex);
  void SaveBinary(TStream& stream, bool wide);
  // The mode Save will write in ('B', 'T', 'W' or 'X'), with its warnings.
  char ResolveMode(char mode);
  // Logs a Warning of Save and keeps it in SaveWarnings.
  void SaveWarning(const std::string& message);
  // Whether the resolved mode can hold everything; warns when it cannot.
  bool CanWrite(char mode);
  // Runs the writer of a resolved mode.
  void WriteIn(TStream& stream, char mode);
};

}  // namespace zorbin
