// XMapUnit: reading and writing the MAPT, MAPX, MAPB and MAPW tile maps.
#include "formats/XMapUnit.h"

#include "log/Logger.h"
#include "storage/QXStream.h"
#include "util/ByteOrder.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

namespace zorbin {

namespace {

const char* kLoadContext = "XMapUnit, TXMap.Load";
const char* kSaveContext = "XMapUnit, TXMap.Save";

// One line of a text map: up to LF, a CR right before the LF dropped. The
// stream is fetched in blocks and moved back to just after the LF, so any
// seekable stream works. Returns false when the stream is already at its end.
bool ReadMapLine(TStream& stream, std::string& line) {
  line.clear();
  int64_t start = stream.Position();
  if (start >= stream.Size()) return false;
  char block[512];
  for (;;) {
    size_t n = stream.Read(block, sizeof block);
    if (n == 0) return true;
    const void* lf = std::memchr(block, '\n', n);
    if (!lf) {
      line.append(block, n);
      continue;
    }
    size_t used = size_t(static_cast<const char*>(lf) - block);
    line.append(block, used);
    stream.SetPosition(start + int64_t(line.size()) + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = UpCaseChar(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Four hexadecimal digits, either case; anything else is a conversion error.
int32_t HexCell(const std::string& digits) {
  int32_t v = 0;
  for (char c : digits) {
    int d = HexValue(c);
    if (d < 0) throw EConvertError("'$" + digits + "' is not a valid integer value");
    v = v * 16 + d;
  }
  return v;
}

bool IsGiven(const std::string& text) { return !text.empty() && text != "Unknown"; }

void WriteLine(TStream& stream, const std::string& text) { stream.WriteString(text + "\r\n"); }

void WriteShortText(TStream& stream, const std::string& text) {
  if (!IsGiven(text)) {
    stream.WriteByte(0);
    return;
  }
  stream.WriteByte(uint8_t(text.size()));
  stream.WriteString(text);
}

std::string ReadShortText(TStream& stream) {
  uint8_t n = stream.ReadByte();
  std::string text(n, '\0');
  stream.ReadBuffer(text.data(), n);
  return text;
}

std::string TextMode(bool hex) { return hex ? "MAPX" : "MAPT"; }
std::string TextContext(bool hex) { return "XMapUnit, TXMap.Load" + TextMode(hex); }

}  // namespace

void TXMap::Load(const std::string& fileName) {
  Log->Debug("FileName=" + fileName, kLoadContext);
  if (!StreamOpener) throw std::runtime_error("OpenStream failed: " + fileName);
  std::unique_ptr<TStream> stream = StreamOpener->OpenStream(fileName);
  Load(*stream);
}

void TXMap::Load(TStream& stream) {
  LastError = "OK";
  Clear();
  TextLine = 0;
  ExtraLineNumbers.clear();
  char magic[4] = {0, 0, 0, 0};
  size_t got = stream.Read(magic, 4);
  Log->Debug("First 4 char: '" + std::string(magic, got) + "'", kLoadContext);
  // A stream too short for a magic is no map at all.
  if (got < 4 || std::memcmp(magic, "MAP", 3) != 0) {
    LastError = "Not an XMAP file!";
    return;
  }
  switch (magic[3]) {
    case 'T': LoadMAPT(stream); break;
    case 'X': LoadMAPX(stream); break;
    case 'B': LoadMAPB(stream); break;
    case 'W': LoadMAPW(stream); break;
    case 'C':
    case 'P':
    case 'Q':
      Log->Warning(std::string("The MAP") + magic[3] + " and other compressed formats are no longer supported.",
                   kLoadContext);
      break;
    default: Log->Warning(std::string("XMAP.Load: Unknown DFS byte! (") + magic[3] + ")", kLoadContext);
  }
}

void TXMap::LoadMAPT(TStream& stream) { LoadText(stream, false); }
void TXMap::LoadMAPX(TStream& stream) { LoadText(stream, true); }
void TXMap::LoadMAPB(TStream& stream) { LoadBinary(stream, false); }
void TXMap::LoadMAPW(TStream& stream) { LoadBinary(stream, true); }

// The grids a text map declares. Size lines only change the declared size,
// and MP rows keep the cells their text gives: the grids are made once, when
// the file has been read. A size line of a few bytes declares up to a
// million cells, and a file of many size lines (each of which zero-fills the
// grids, dropping the rows read before) would otherwise make them again for
// every line.
struct TXMap::TTextGrid {
  int32_t Width = 0;
  int32_t Height = 0;
  // The rows since the last size line: row number and the cells given.
  std::vector<std::pair<int32_t, std::vector<int32_t>>> Rows;
};

// Changes the declared size, refusing sizes no map needs: such a file leaves
// an empty map behind instead of exhausting memory.
bool TXMap::SizeTextGrids(TTextGrid& grid, int32_t w, int32_t h, bool hex) {
  if (w >= 0 && h >= 0 && int64_t(w) * int64_t(h) <= kMaxCells) {
    grid.Width = w;
    grid.Height = h;
    grid.Rows.clear();
    return true;
  }
  Log->Warning("Map size is out of range! (" + IntToStr(w) + " x " + IntToStr(h) + ")", TextContext(hex));
  Clear();
  LastError = "Map size is out of range!";
  return false;
}

// An LW line: entries of a character and three decimal digits (MAPT) or of
// two five-digit numbers (MAPX).
void TXMap::ReadTextWraps(const std::string& entries, bool hex) {
  const size_t entry = hex ? 10 : 4;
  size_t p = 0;
  for (; p + entry <= entries.size(); p += entry) {
    if (hex)
      AddLogicalWrap(StrToInt(entries.substr(p, 5)), StrToInt(entries.substr(p + 5, 5)));
    else
      AddLogicalWrap(uint8_t(entries[p]), StrToInt(entries.substr(p + 1, 3)));
  }
  if (p < entries.size())
    Log->Warning("Incomplete logical wrap entry in " + TextMode(hex) + " mode. (" + entries.substr(p) + ")",
                 TextContext(hex));
}

// An MP line gives grid row `row` and moves it on; a grid without a height or
// width gets the default first. False where that sizing fails.
bool TXMap::ReadTextRow(TTextGrid& grid, const std::string& cellText, int32_t& row, bool hex) {
  const std::string context = TextContext(hex);
  if (grid.Height == 0) {
    LastError = "Map height is not specified in file!";
    Log->Warning("Map height is not specified!", context);
    if (!SizeTextGrids(grid, grid.Width, 20, hex)) return false;
  }
  if (grid.Width == 0) {
    LastError = "Map width is not specified in file!";
    Log->Warning("Map width is not specified!", context);
    if (!SizeTextGrids(grid, 32, grid.Height, hex)) return false;
  }
  // ">=": a later HE or WI may have shrunk the grid below the row counter.
  if (row >= grid.Height) {
    Log->Warning("Too many map lines in " + TextMode(hex) + " mode.", context);
    return true;
  }
  std::vector<int32_t> cells;
  if (hex) {
    // A separator, then four hex digits and a separator per cell.
    for (size_t p = 1; p + 4 <= cellText.size() && cells.size() < size_t(grid.Width); p += 5)
      cells.push_back(HexCell(cellText.substr(p, 4)));
  } else {
    for (size_t col = 0; col < size_t(grid.Width) && col < cellText.size(); ++col)
      cells.push_back(uint8_t(cellText[col]));
  }
  grid.Rows.emplace_back(row, std::move(cells));
  ++row;
  return true;
}

void TXMap::LoadText(TStream& stream, bool hex) {
  // The CR LF after the magic is skipped unseen.
  char skipped[2];
  stream.Read(skipped, 2);

  TTextGrid grid;
  int32_t row = 0;
  bool ended = false;
  std::string line;
  TextLine = 1;
  while (ReadMapLine(stream, line)) {
    ++TextLine;
    std::string id = line.substr(0, 2);
    std::string rest = line.size() > 2 ? line.substr(2) : std::string();
    if (id == "XX") {
      ended = true;
      break;
    }
    if (id == "WI") {
      if (!SizeTextGrids(grid, StrToInt(rest), grid.Height, hex)) return;
    } else if (id == "HE") {
      if (!SizeTextGrids(grid, grid.Width, StrToInt(rest), hex)) return;
    } else if (id == "MN") {
      MapName = rest;
    } else if (id == "AU") {
      Author = rest;
    } else if (id == "GM") {
      ThirdText = rest;
    } else if (id == "EX") {
      ExtraLines.push_back(rest);
      ExtraLineNumbers.push_back(TextLine);
    } else if (id == "LW") {
      ReadTextWraps(rest, hex);
    } else if (id == "MP") {
      if (!ReadTextRow(grid, rest, row, hex)) return;
    } else {
      Log->Warning("Unknown identifier in " + TextMode(hex) + " mode. (" + id + ")", TextContext(hex));
    }
  }
  // A file that ends before its XX line ends the map there.
  if (!ended) Log->Warning("Missing XX line in " + TextMode(hex) + " mode.", TextContext(hex));
  AllocateGrids(grid.Width, grid.Height);  // a size SizeTextGrids took
  // Cells a row does not give are blanks (code 32); rows not given stay 0.
  for (const auto& [number, cells] : grid.Rows) {
    int32_t* out = rawGrid_.data() + size_t(number) * size_t(grid.Width);
    std::fill(out, out + grid.Width, 32);
    std::copy(cells.begin(), cells.end(), out);
  }
  ApplyLogicalWraps();
}

void TXMap::LoadBinary(TStream& stream, bool wide) {
  int32_t w = stream.ReadByte();
  int32_t h = stream.ReadByte();
  const size_t cellSize = wide ? 2 : 1;
  // The cells must be in the file before the grids are allocated for them;
  // a short file fails as its read would, leaving the map empty.
  const size_t cellBytes = size_t(w) * size_t(h) * cellSize;
  if (stream.Remaining() < int64_t(cellBytes)) throw EStreamError("Stream read error");
  AllocateGrids(w, h);  // at most 255 x 255
  std::vector<uint8_t> cells(cellBytes);
  stream.ReadBuffer(cells.data(), cells.size());
  for (size_t i = 0; i < rawGrid_.size(); ++i)
    rawGrid_[i] = wide ? int32_t(LoadLE16(&cells[2 * i])) : int32_t(cells[i]);

  std::string text = ReadShortText(stream);
  if (!text.empty()) Author = text;
  text = ReadShortText(stream);
  if (!text.empty()) MapName = text;
  text = ReadShortText(stream);
  if (!text.empty()) ThirdText = text;

  int32_t count = wide ? stream.ReadWord() : stream.ReadByte();
  for (int32_t i = 0; i < count; ++i) {
    int32_t source = wide ? stream.ReadWord() : stream.ReadByte();
    int32_t logical = wide ? stream.ReadWord() : stream.ReadByte();
    AddLogicalWrap(source, logical);
  }
  ApplyLogicalWraps();

  for (;;) {
    std::string extra = ReadShortText(stream);
    if (extra.empty()) break;
    ExtraLines.push_back(extra);
  }
}

void TXMap::SaveWarning(const std::string& message) {
  Log->Warning(message, kSaveContext);
  SaveWarnings.push_back(message);
}

char TXMap::ResolveMode(char mode) {
  char m = UpCaseChar(mode);
  if (m != 'A' && m != 'B' && m != 'T' && m != 'W' && m != 'X') {
    SaveWarning("Unknown mode specified, using automatic mode determination.");
    SaveWarning("(Always binary, using 8 or 16 bit mode depending tile IDs in map.)");
    m = 'A';
  }
  // The wraps count as well: an 8-bit file must not cut a port value. MAPB
  // holds a wrap's value in 8 bits; MAPT writes it as three decimal digits,
  // so T keeps every value 0..999 (a port value such as 271 or 783).
  const int32_t maxLogical = m == 'T' ? 999 : 255;
  bool bytes = FitsInBytes();
  for (const TLogicalWrap& w : Wraps())
    if (w.Source < 0 || w.Source > 255 || w.Logical < 0 || w.Logical > maxLogical) bytes = false;
  if (bytes) {
    if (m == 'A') {
      SaveWarning("The tile map contains tiles only with ID below 256,");
      SaveWarning("so 8 bit binary mode will be used.");
      m = 'B';
    }
  } else if (m == 'A' || m == 'B' || m == 'T') {
    SaveWarning("The tile map contains tiles with ID above 255,");
    SaveWarning("so cannot use file formats with 8 bit tile size.");
    SaveWarning("Using 16 bit binary mode.");
    m = 'W';
  }
  return m;
}

bool TXMap::CanWrite(char mode) {
  const std::string format = std::string("MAP") + mode;
  auto refuse = [&](const std::string& reason) {
    SaveWarning("The map cannot be saved in " + format + " mode: " + reason + ".");
    return false;
  };
  bool binary = mode == 'B' || mode == 'W';
  int32_t maxValue = mode == 'B' || mode == 'T' ? 255 : 65535;
  // MAPT writes a wrap's logical value as three decimal digits.
  int32_t maxLogical = mode == 'T' ? 999 : maxValue;

  for (int32_t v : rawGrid_)
    if (v < 0 || v > maxValue) return refuse("a tile value outside 0.." + IntToStr(maxValue));
  for (const TLogicalWrap& w : Wraps()) {
    if (w.Source < 0 || w.Source > maxValue) return refuse("a logical wrap value outside 0.." + IntToStr(maxValue));
    if (w.Logical < 0 || w.Logical > maxLogical)
      return refuse("a logical wrap value outside 0.." + IntToStr(maxLogical));
  }

  const std::pair<const char*, const std::string*> texts[] = {
      {"author", &Author}, {"map name", &MapName}, {"third text", &ThirdText}};
  if (binary) {
    if (Width() > 255 || Height() > 255) return refuse("the map is larger than 255 x 255");
    for (const auto& [name, text] : texts)
      if (IsGiven(*text) && text->size() > 255)
        return refuse(std::string("the ") + name + " is longer than 255 characters");
    size_t maxWraps = mode == 'B' ? 255 : 65535;
    if (Wraps().size() > maxWraps) return refuse("more than " + IntToStr(int64_t(maxWraps)) + " logical wraps");
    for (const std::string& extra : ExtraLines) {
      // A zero length byte would end the list early.
      if (extra.empty()) return refuse("an empty extra line");
      if (extra.size() > 255) return refuse("an extra line longer than 255 characters");
    }
  } else {
    // A line feed would split a line of the text file.
    for (const auto& [name, text] : texts)
      if (IsGiven(*text) && text->find('\n') != std::string::npos)
        return refuse(std::string("the ") + name + " holds a line feed");
    for (const std::string& extra : ExtraLines)
      if (extra.find('\n') != std::string::npos) return refuse("an extra line holds a line feed");
    if (mode == 'T') {
      for (int32_t v : rawGrid_)
        if (v == '\n') return refuse("a tile value of 10 (line feed)");
      for (const TLogicalWrap& w : Wraps())
        if (w.Source == '\n') return refuse("a logical wrap source of 10 (line feed)");
    }
  }
  return true;
}

bool TXMap::Save(TStream& stream, char mode) {
  SaveWarnings.clear();
  char m = ResolveMode(mode);
  if (!CanWrite(m)) return false;
  WriteIn(stream, m);
  return true;
}

bool TXMap::Save(const std::string& fileName, char mode) {
  SaveWarnings.clear();
  char m = ResolveMode(mode);
  if (!CanWrite(m)) return false;
  TFileStream file(fileName, TFileMode::Create);
  WriteIn(file, m);
  return true;
}

void TXMap::WriteIn(TStream& stream, char mode) {
  switch (mode) {
    case 'B': SaveBinary(stream, false); break;
    case 'W': SaveBinary(stream, true); break;
    case 'T': SaveText(stream, false); break;
    default: SaveText(stream, true); break;
  }
}

bool TXMap::SaveMAPT(TStream& stream) {
  if (!CanWrite('T')) return false;
  SaveText(stream, false);
  return true;
}

bool TXMap::SaveMAPX(TStream& stream) {
  if (!CanWrite('X')) return false;
  SaveText(stream, true);
  return true;
}

bool TXMap::SaveMAPB(TStream& stream) {
  if (!CanWrite('B')) return false;
  SaveBinary(stream, false);
  return true;
}

bool TXMap::SaveMAPW(TStream& stream) {
  if (!CanWrite('W')) return false;
  SaveBinary(stream, true);
  return true;
}

void TXMap::SaveText(TStream& stream, bool hex) {
  WriteLine(stream, hex ? "MAPX" : "MAPT");
  WriteLine(stream, "WI" + IntToStr(Width()));
  WriteLine(stream, "HE" + IntToStr(Height()));
  if (IsGiven(Author)) WriteLine(stream, "AU" + Author);
  if (IsGiven(MapName)) WriteLine(stream, "MN" + MapName);
  if (IsGiven(ThirdText)) WriteLine(stream, "GM" + ThirdText);

  std::string wraps;
  for (const TLogicalWrap& w : Wraps()) {
    if (wraps.size() >= 240) {
      WriteLine(stream, "LW" + wraps);
      wraps.clear();
    }
    if (hex)
      wraps += ZeroPad(w.Source, 5) + ZeroPad(w.Logical, 5);
    else
      wraps += char(w.Source & 0xFF) + ZeroPad(w.Logical, 3);
  }
  if (!wraps.empty()) WriteLine(stream, "LW" + wraps);

  for (int32_t row = 0; row < Height(); ++row) {
    std::string cells;
    for (int32_t col = 0; col < Width(); ++col) {
      int32_t v = rawGrid_[size_t(row) * size_t(Width()) + size_t(col)];
      if (hex)
        cells += " " + IntToHex(uint64_t(v), 4);
      else
        cells += char(v & 0xFF);
    }
    size_t keep = cells.find_last_not_of(' ');
    cells.resize(keep == std::string::npos ? 0 : keep + 1);
    WriteLine(stream, "MP" + cells);
  }

  for (const std::string& extra : ExtraLines) WriteLine(stream, "EX" + extra);
  WriteLine(stream, "XX");
}

void TXMap::SaveBinary(TStream& stream, bool wide) {
  stream.WriteString(wide ? "MAPW" : "MAPB");
  stream.WriteByte(uint8_t(Width()));
  stream.WriteByte(uint8_t(Height()));
  std::vector<uint8_t> cells(rawGrid_.size() * (wide ? 2 : 1));
  for (size_t i = 0; i < rawGrid_.size(); ++i) {
    if (wide)
      StoreLE16(&cells[2 * i], uint16_t(rawGrid_[i]));
    else
      cells[i] = uint8_t(rawGrid_[i]);
  }
  stream.WriteBuffer(cells.data(), cells.size());

  WriteShortText(stream, Author);
  WriteShortText(stream, MapName);
  WriteShortText(stream, ThirdText);

  if (wide)
    stream.WriteWord(uint16_t(Wraps().size()));
  else
    stream.WriteByte(uint8_t(Wraps().size()));
  for (const TLogicalWrap& w : Wraps()) {
    if (wide) {
      stream.WriteWord(uint16_t(w.Source));
      stream.WriteWord(uint16_t(w.Logical));
    } else {
      stream.WriteByte(uint8_t(w.Source));
      stream.WriteByte(uint8_t(w.Logical));
    }
  }

  for (const std::string& extra : ExtraLines) {
    stream.WriteByte(uint8_t(extra.size()));
    stream.WriteString(extra);
  }
  stream.WriteByte(0);
}

}  // namespace zorbin
