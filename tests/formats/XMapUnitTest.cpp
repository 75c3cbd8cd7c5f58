// XMapUnitTest: tile map files in every mode (MAPT, MAPX, MAPB, MAPW): reading, warnings, saving, round trips.
#include "formats/XMapUnit.h"

#include "storage/QXStream.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zorbin {
namespace {

std::string Crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

void LoadFrom(TXMap& map, const std::string& bytes) {
  TMemoryStream stream(bytes);
  map.Load(stream);
}

std::string StreamBytes(TMemoryStream& stream) { return std::string(stream.Data().begin(), stream.Data().end()); }

std::string SaveTo(TXMap& map, char mode, bool* written = nullptr) {
  TMemoryStream out;
  bool ok = map.Save(out, mode);
  if (written) *written = ok;
  return StreamBytes(out);
}

std::string RawRow(const TTileMap& map, int32_t y) {
  std::string s;
  for (int32_t x = 0; x < map.Width(); ++x) s += char(map.GetRaw(x, y));
  return s;
}

std::vector<std::string> Warnings(const test::TCapturedLog& log) {
  std::vector<std::string> out;
  for (const std::string& l : log.Lines())
    if (!l.empty() && l[0] == '[') out.push_back(l);
  return out;
}

// A map holding every kind of content the formats carry.
void FillSample(TXMap& map, int32_t w, int32_t h, int32_t maxValue) {
  map.SetSize(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) map.SetRaw(x, y, (x * 37 + y * 11 + 32) % (maxValue + 1));
  map.SetRaw(w - 1, 0, 32);  // a blank at the end of a row
  map.Author = "Author A";
  map.MapName = "Original Map A";
  map.AddLogicalWrap(' ', 0);
  map.AddLogicalWrap('a', 15);
  map.AddLogicalWrap(maxValue, 12);
  map.ExtraLines = {" .", "aplatf[0].tga", "1..\\common\\stars.tga[3]"};
  map.ApplyLogicalWraps();
}

void ExpectSameMap(const TXMap& a, const TXMap& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  for (int32_t y = 0; y < a.Height(); ++y)
    for (int32_t x = 0; x < a.Width(); ++x) {
      ASSERT_EQ(a.GetRaw(x, y), b.GetRaw(x, y)) << x << "," << y;
      ASSERT_EQ(a.GetLogic(x, y), b.GetLogic(x, y)) << x << "," << y;
    }
  EXPECT_EQ(a.Author, b.Author);
  EXPECT_EQ(a.MapName, b.MapName);
  EXPECT_EQ(a.ThirdText, b.ThirdText);
  EXPECT_EQ(a.ExtraLines, b.ExtraLines);
  ASSERT_EQ(a.Wraps().size(), b.Wraps().size());
  for (size_t i = 0; i < a.Wraps().size(); ++i) {
    EXPECT_EQ(a.Wraps()[i].Source, b.Wraps()[i].Source);
    EXPECT_EQ(a.Wraps()[i].Logical, b.Wraps()[i].Logical);
  }
}

TEST(XMap, MapTRowsArePaddedCutAndCounted) {
  std::vector<std::string> lines = {"MAPT", "WI32", "HE22", "MNOriginal Map A", "AUme", "GMthird", "MP"};
  lines.push_back("MPabbbbc   abbbbbbbbc   abbbbbbcXYZ");  // 35 characters: cut
  for (int i = 2; i < 22; ++i) lines.push_back("MPa");
  lines.push_back("MPzzzz");  // a 23rd row
  lines.push_back("LW 000a015b015S000");
  lines.push_back("EX .");
  lines.push_back("EXaplatf[0].tga");
  lines.push_back("XX");
  lines.push_back("MPafter the end");
  TXMap map;
  test::TCapturedLog log;
  LoadFrom(map, Crlf(lines));
  EXPECT_EQ(map.LastError, "OK");
  EXPECT_EQ(map.Width(), 32);
  EXPECT_EQ(map.Height(), 22);
  EXPECT_EQ(RawRow(map, 0), std::string(32, ' '));
  EXPECT_EQ(RawRow(map, 1), "abbbbc   abbbbbbbbc   abbbbbbcXY");
  EXPECT_EQ(RawRow(map, 21), "a" + std::string(31, ' '));
  EXPECT_EQ(map.MapName, "Original Map A");
  EXPECT_EQ(map.Author, "me");
  EXPECT_EQ(map.ThirdText, "third");
  EXPECT_EQ(map.ExtraLines, (std::vector<std::string>{" .", "aplatf[0].tga"}));
  EXPECT_EQ(map.GetLogic(0, 1), 15);
  EXPECT_EQ(map.GetLogic(6, 1), 0);
  EXPECT_EQ(map.GetLogic(31, 1), 'Y');
  EXPECT_EQ(Warnings(log), (std::vector<std::string>{"[XMapUnit, TXMap.LoadMAPT] Too many map lines in MAPT mode."}));
  EXPECT_TRUE(log.Contains("<XMapUnit, TXMap.Load> First 4 char: 'MAPT'"));
}

TEST(XMap, RowsBeforeTheSizeGetTheDefaults) {
  TXMap map;
  test::TCapturedLog log;
  LoadFrom(map, Crlf({"MAPT", "MPab", "XX"}));
  EXPECT_EQ(map.Width(), 32);
  EXPECT_EQ(map.Height(), 20);
  EXPECT_EQ(map.LastError, "Map width is not specified in file!");
  EXPECT_EQ(RawRow(map, 0).substr(0, 3), "ab ");
  EXPECT_EQ(Warnings(log), (std::vector<std::string>{"[XMapUnit, TXMap.LoadMAPT] Map height is not specified!",
                                                     "[XMapUnit, TXMap.LoadMAPT] Map width is not specified!"}));
  LoadFrom(map, Crlf({"MAPT", "WI4", "MPabcdef", "XX"}));
  EXPECT_EQ(map.LastError, "Map height is not specified in file!");
  EXPECT_EQ(map.Height(), 20);
  EXPECT_EQ(RawRow(map, 0), "abcd");
}

TEST(XMap, SizeLinesAfterRowsReallocateAndNeverWriteOutside) {
  TXMap map;
  test::TCapturedLog log;
  // HE after rows: grids zero-filled, the row counter goes on.
  LoadFrom(map, Crlf({"MAPT", "WI2", "HE3", "MPaa", "MPbb", "HE3", "MPcc", "XX"}));
  EXPECT_EQ(map.GetRaw(0, 0), 0);
  EXPECT_EQ(map.GetRaw(0, 1), 0);
  EXPECT_EQ(RawRow(map, 2), "cc");
  // A shrinking HE drops later rows that no longer fit.
  LoadFrom(map, Crlf({"MAPT", "WI2", "HE4", "MPaa", "MPbb", "MPcc", "HE2", "MPdd", "MPee", "XX"}));
  EXPECT_EQ(map.Height(), 2);
  EXPECT_EQ(map.GetRaw(0, 0), 0);
  EXPECT_EQ(map.GetRaw(0, 1), 0);
  auto w = Warnings(log);
  EXPECT_EQ(std::count(w.begin(), w.end(), "[XMapUnit, TXMap.LoadMAPT] Too many map lines in MAPT mode."), 2);
  // A shrinking WI cuts the following rows.
  LoadFrom(map, Crlf({"MAPT", "WI5", "HE2", "MPaaaaa", "WI2", "MPbbbbb", "XX"}));
  EXPECT_EQ(map.Width(), 2);
  EXPECT_EQ(RawRow(map, 0), std::string(2, '\0'));
  EXPECT_EQ(RawRow(map, 1), "bb");
}

TEST(XMap, HugeOrNegativeSizesAreRefused) {
  TXMap map;
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"MAPT", "WI2000000000", "HE2000000000", "MPa", "XX"},
       "LoadMAPT] Map size is out of range! (2000000000 x 2000000000)"},
      {{"MAPT", "HE-3", "XX"}, "LoadMAPT] Map size is out of range! (0 x -3)"},
      {{"MAPX", "WI2000000", "MP 0041", "XX"}, "LoadMAPX] Map size is out of range! (2000000 x 20)"},
      {{"MAPT", "WI70000", "HE70000", "XX"}, "LoadMAPT] Map size is out of range! (70000 x 70000)"}};
  for (const auto& [lines, warning] : cases) {
    test::TCapturedLog log;
    LoadFrom(map, Crlf(lines));
    EXPECT_EQ(map.LastError, "Map size is out of range!");
    EXPECT_EQ(map.Width(), 0);
    EXPECT_EQ(map.Height(), 0);
    ASSERT_FALSE(Warnings(log).empty());
    EXPECT_EQ(Warnings(log).back(), "[XMapUnit, TXMap." + warning);
  }
  LoadFrom(map, Crlf({"MAPT", "WI1024", "HE1024", "XX"}));  // at the limit: fine
  EXPECT_EQ(map.LastError, "OK");
  EXPECT_EQ(map.Width() * map.Height(), 1 << 20);
}

TEST(XMap, SizeLinesDeclareTheGridsWhichAreMadeOnce) {
  // 800 KB of size lines, each declaring a million cells: made for every
  // line, the grids took minutes of clearing; made once at the end, no time.
  std::vector<std::string> lines{"MAPT"};
  for (int i = 0; i < 50000; ++i) lines.insert(lines.end(), {"WI1024", "HE1024"});
  lines.insert(lines.end(), {"MPab", "XX"});
  TXMap map;
  LoadFrom(map, Crlf(lines));
  EXPECT_EQ(map.LastError, "OK");
  EXPECT_EQ(map.Width(), 1024);
  EXPECT_EQ(map.Height(), 1024);
  EXPECT_EQ(RawRow(map, 0).substr(0, 3), "ab ");
  EXPECT_EQ(map.GetRaw(0, 1), 0);
}

TEST(XMap, MagicsAndRefusedFormats) {
  TXMap map;
  struct Case {
    std::string bytes, warning, lastError;
  };
  for (const Case& c : std::vector<Case>{
           {"MAPQ....", "[XMapUnit, TXMap.Load] The MAPQ and other compressed formats are no longer supported.", "OK"},
           {"MAPC", "[XMapUnit, TXMap.Load] The MAPC and other compressed formats are no longer supported.", "OK"},
           {"MAPP", "[XMapUnit, TXMap.Load] The MAPP and other compressed formats are no longer supported.", "OK"},
           {"MAPt\r\nWI2\r\n", "[XMapUnit, TXMap.Load] XMAP.Load: Unknown DFS byte! (t)", "OK"},
           {"MAXT\r\nWI2\r\n", "", "Not an XMAP file!"},
           {"MA", "", "Not an XMAP file!"},
           {"", "", "Not an XMAP file!"}}) {
    LoadFrom(map, Crlf({"MAPT", "WI2", "HE2", "MPab", "XX"}));  // something to clear
    test::TCapturedLog log;
    LoadFrom(map, c.bytes);
    EXPECT_EQ(map.LastError, c.lastError) << c.bytes;
    EXPECT_EQ(map.Width(), 0);
    auto w = Warnings(log);
    EXPECT_EQ(w, c.warning.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.warning}) << c.bytes;
  }
}

TEST(XMap, LogicalWrapLines) {
  TXMap map;
  test::TCapturedLog log;
  LoadFrom(map, Crlf({"MAPT", "WI1", "HE1", "LW 000a015", "LWb01", "LW", "LWc-01d", "XX"}));
  ASSERT_EQ(map.Wraps().size(), 3u);
  EXPECT_EQ(map.Wraps()[0].Source, 32);
  EXPECT_EQ(map.Wraps()[0].Logical, 0);
  EXPECT_EQ(map.Wraps()[1].Source, 97);
  EXPECT_EQ(map.Wraps()[1].Logical, 15);
  EXPECT_EQ(map.Wraps()[2].Logical, -1);
  EXPECT_EQ(Warnings(log),
            (std::vector<std::string>{"[XMapUnit, TXMap.LoadMAPT] Incomplete logical wrap entry in MAPT mode. (b01)",
                                      "[XMapUnit, TXMap.LoadMAPT] Incomplete logical wrap entry in MAPT mode. (d)"}));
  EXPECT_THROW(LoadFrom(map, Crlf({"MAPT", "LWa0x5", "XX"})), EConvertError);
  EXPECT_THROW(LoadFrom(map, Crlf({"MAPT", "WIabc", "XX"})), EConvertError);
  EXPECT_THROW(LoadFrom(map, Crlf({"MAPX", "LW0003200x15", "XX"})), EConvertError);
}

TEST(XMap, UnknownIdentifiersAndAMissingEnd) {
  TXMap map;
  test::TCapturedLog log;
  LoadFrom(map, "MAPT\r\nWI2\r\nHE1\r\nQQ?\r\n\r\nLWa001\r\nMPa");  // no XX, no final line end
  EXPECT_EQ(RawRow(map, 0), "a ");
  EXPECT_EQ(map.GetLogic(0, 0), 1);  // wraps applied at the end of the file
  EXPECT_EQ(Warnings(log), (std::vector<std::string>{"[XMapUnit, TXMap.LoadMAPT] Unknown identifier in MAPT mode. (QQ)",
                                                     "[XMapUnit, TXMap.LoadMAPT] Unknown identifier in MAPT mode. ()",
                                                     "[XMapUnit, TXMap.LoadMAPT] Missing XX line in MAPT mode."}));
  LoadFrom(map, "MAPT");
  EXPECT_EQ(map.LastError, "OK");
  EXPECT_EQ(map.Width(), 0);
}

TEST(XMap, TextReaderLeavesTheStreamAfterXXAndHandlesLongLines) {
  std::string row(600, 'q');
  row[599] = 'z';
  std::string text = "junk" + Crlf({"MAPT", "WI600", "HE1", "MP" + row, "XX"}) + "tail";
  TMemoryStream stream(text);
  stream.SetPosition(4);
  TXMap map;
  map.Load(stream);
  EXPECT_EQ(map.GetRaw(599, 0), 'z');
  EXPECT_EQ(map.GetRaw(598, 0), 'q');
  EXPECT_EQ(stream.Position(), int64_t(text.size() - 4));
}

TEST(XMap, MapXRowsAndWraps) {
  TXMap map;
  test::TCapturedLog log;
  LoadFrom(map, Crlf({"MAPX", "WI4", "HE3", "MP 0041 ffff 012C", "MP", "MP-0001-0002-0003-0004-0005", "MP 0041",
                      "LW000320000000097000150030000768", "XX"}));
  EXPECT_EQ(map.GetRaw(0, 0), 0x41);
  EXPECT_EQ(map.GetRaw(1, 0), 0xFFFF);
  EXPECT_EQ(map.GetRaw(2, 0), 300);
  EXPECT_EQ(map.GetRaw(3, 0), 32);  // not given
  EXPECT_EQ(map.GetRaw(0, 1), 32);
  EXPECT_EQ(map.GetRaw(3, 2), 4);  // cut at the width
  ASSERT_EQ(map.Wraps().size(), 3u);
  EXPECT_EQ(map.Wraps()[2].Source, 300);
  EXPECT_EQ(map.Wraps()[2].Logical, 768);
  EXPECT_EQ(map.GetLogic(2, 0), 768);
  EXPECT_EQ(map.GetLogic(3, 0), 0);
  EXPECT_EQ(Warnings(log), (std::vector<std::string>{"[XMapUnit, TXMap.LoadMAPX] Too many map lines in MAPX mode."}));
  EXPECT_THROW(LoadFrom(map, Crlf({"MAPX", "WI1", "HE1", "MP 00G1", "XX"})), EConvertError);
}

std::string MapBBytes() {
  std::string b = "MAPB";
  b += char(3);
  b += char(2);
  b += "ab cd\xff";
  b += std::string(1, '\2') + "me";
  b += std::string(1, '\0');
  b += std::string(1, '\3') + "gm!";
  b += char(2);
  b += std::string("a\x0f") + "\xff\x10";
  b += std::string(1, '\4') + "EX a";
  b += std::string(1, '\0');
  return b;
}

TEST(XMap, TruncatedBinaryMapsRaiseTheReadError) {
  std::string full = MapBBytes();
  for (size_t n = 4; n < full.size(); ++n) {
    TXMap map;
    EXPECT_THROW(LoadFrom(map, full.substr(0, n)), EStreamError) << n;
  }
  // A wrap count far beyond the file.
  std::string w = "MAPW";
  w += std::string("\0\0\0\0\0\xff\xff\x01\x00", 9);
  TXMap map;
  EXPECT_THROW(LoadFrom(map, w), EStreamError);
  // 255 x 255 cells announced by a file of six bytes: refused before the
  // grids are made, so the map stays empty.
  EXPECT_THROW(LoadFrom(map, std::string("MAPW\xff\xff", 6)), EStreamError);
  EXPECT_EQ(map.Width(), 0);
  EXPECT_EQ(map.Height(), 0);
}

TEST(XMap, SaveMapTWritesTheDocumentedLines) {
  TXMap map;
  map.SetSize(3, 3);
  map.SetRaw(0, 0, 'a');
  map.SetRaw(1, 0, ' ');
  map.SetRaw(2, 0, 'b');
  for (int x = 0; x < 3; ++x) map.SetRaw(x, 1, ' ');
  map.SetRaw(0, 2, 'c');
  map.SetRaw(1, 2, ' ');
  map.SetRaw(2, 2, ' ');
  map.MapName = "Name";
  map.ThirdText = "";
  map.AddLogicalWrap(' ', 0);
  map.AddLogicalWrap('a', 15);
  map.ExtraLines = {"aplatf[0].tga", ""};
  EXPECT_EQ(SaveTo(map, 't'),
            Crlf({"MAPT", "WI3", "HE3", "MNName", "LW 000a015", "MPa b", "MP", "MPc", "EXaplatf[0].tga", "EX", "XX"}));
  EXPECT_EQ(SaveTo(map, 'x'), Crlf({"MAPX", "WI3", "HE3", "MNName", "LW00032000000009700015", "MP 0061 0020 0062",
                                    "MP 0020 0020 0020", "MP 0063 0020 0020", "EXaplatf[0].tga", "EX", "XX"}));
}

// The hand-made MAPB above read and written again in both binary layouts.
TEST(XMap, BinaryLayouts) {
  TXMap map;
  LoadFrom(map, MapBBytes());
  EXPECT_EQ(map.LastError, "OK");
  EXPECT_EQ(RawRow(map, 1), "cd\xff");
  EXPECT_EQ(map.MapName, "Unknown");  // a zero length byte
  EXPECT_EQ(map.GetLogic(2, 1), 16);
  EXPECT_EQ(SaveTo(map, 'B'), MapBBytes());
  std::string expected = std::string("MAPW\3\2", 6) + std::string("a\0b\0 \0c\0d\0\xff\0", 12) +
                         std::string("\2me\0\3gm!", 8) + std::string("\2\0a\0\x0f\0\xff\0\x10\0", 10) +
                         std::string("\4EX a\0", 6);
  EXPECT_EQ(SaveTo(map, 'W'), expected);
  TXMap wide;
  LoadFrom(wide, expected);
  ExpectSameMap(map, wide);
}

TEST(XMap, EveryModeRoundTrips) {
  for (char mode : std::string("ABTWX")) {
    TXMap map;
    FillSample(map, 7, 5, mode == 'W' || mode == 'X' ? 40000 : 255);
    TXMap back;
    LoadFrom(back, SaveTo(map, mode));
    EXPECT_EQ(back.LastError, "OK") << mode;
    ExpectSameMap(map, back);
  }
  TXMap empty;
  for (char mode : std::string("ABTWX")) {
    TXMap back;
    LoadFrom(back, SaveTo(empty, mode));
    EXPECT_EQ(back.LastError, "OK") << mode;
    ExpectSameMap(empty, back);
  }
}

TEST(XMap, SaveFileAndLoadFileThroughTheOpener) {
  test::TTempDir dir;
  StreamOpener = std::make_unique<TQXStreamOpener>("", nullptr);
  TXMap map;
  FillSample(map, 4, 4, 255);
  EXPECT_TRUE(map.Save(dir.File("map00.mpt"), 'T'));
  EXPECT_EQ(test::ReadFileText(dir.File("map00.mpt")).substr(0, 6), "MAPT\r\n");
  TXMap back;
  test::TCapturedLog log;
  back.Load(dir.File("map00.mpt"));
  EXPECT_TRUE(log.Contains("<XMapUnit, TXMap.Load> FileName=" + dir.File("map00.mpt")));
  ExpectSameMap(map, back);
  back.LastError = "kept";
  try {
    back.Load(dir.File("missing.mpt"));
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "OpenStream failed: " + dir.File("missing.mpt"));
  }
  EXPECT_EQ(back.LastError, "kept");
  StreamOpener.reset();
}

TEST(XMap, ModeChoiceAndItsWarnings) {
  const std::string ctx = "[XMapUnit, TXMap.Save] ";
  const std::vector<std::string> auto8 = {ctx + "The tile map contains tiles only with ID below 256,",
                                          ctx + "so 8 bit binary mode will be used."};
  const std::vector<std::string> to16 = {ctx + "The tile map contains tiles with ID above 255,",
                                         ctx + "so cannot use file formats with 8 bit tile size.",
                                         ctx + "Using 16 bit binary mode."};
  const std::vector<std::string> unknown = {ctx + "Unknown mode specified, using automatic mode determination.",
                                            ctx + "(Always binary, using 8 or 16 bit mode depending tile IDs in map.)"};
  TXMap small;
  FillSample(small, 3, 2, 255);
  {
    test::TCapturedLog log;
    EXPECT_EQ(SaveTo(small, 'b').substr(0, 4), "MAPB");
    EXPECT_TRUE(Warnings(log).empty());
  }
  {
    test::TCapturedLog log;
    EXPECT_EQ(SaveTo(small, 'a').substr(0, 4), "MAPB");
    EXPECT_EQ(Warnings(log), auto8);
  }
  {
    test::TCapturedLog log;
    EXPECT_EQ(SaveTo(small, 'Q').substr(0, 4), "MAPB");
    std::vector<std::string> both = unknown;
    both.insert(both.end(), auto8.begin(), auto8.end());
    EXPECT_EQ(Warnings(log), both);
  }
  TXMap big;
  FillSample(big, 3, 2, 255);
  big.SetRaw(1, 1, 300);
  for (char mode : std::string("ABT")) {
    test::TCapturedLog log;
    EXPECT_EQ(SaveTo(big, mode).substr(0, 4), "MAPW") << mode;
    EXPECT_EQ(Warnings(log), to16);
  }
  {
    test::TCapturedLog log;
    EXPECT_EQ(SaveTo(big, 'X').substr(0, 4), "MAPX");
    EXPECT_EQ(SaveTo(big, 'w').substr(0, 4), "MAPW");
    EXPECT_TRUE(Warnings(log).empty());
  }
  // A port value in a wrap: MAPB holds 8 bits, so A and B turn into W;
  // MAPT writes three decimal digits, so T stays T up to 999.
  TXMap port;
  FillSample(port, 3, 2, 255);
  port.AddLogicalWrap('1', 271);
  port.AddLogicalWrap('2', 783);
  port.ApplyLogicalWraps();
  for (char mode : std::string("AB")) {
    test::TCapturedLog log;
    TXMap back;
    LoadFrom(back, SaveTo(port, mode));
    EXPECT_EQ(Warnings(log), to16) << mode;
    EXPECT_EQ(back.Wraps().back().Logical, 783) << mode;
  }
  {
    test::TCapturedLog log;
    std::string text = SaveTo(port, 'T');
    EXPECT_EQ(text.substr(0, 4), "MAPT");
    EXPECT_TRUE(Warnings(log).empty());
    EXPECT_NE(text.find("1271"
                        "2783"),
              std::string::npos);
    TXMap back;
    LoadFrom(back, text);
    ExpectSameMap(port, back);
  }
  // A wrap value outside 0..999 or a wrap source above 255 still turns T
  // into W.
  for (auto [source, logical] : {std::pair<int32_t, int32_t>{'3', 1000}, std::pair<int32_t, int32_t>{300, 5}}) {
    TXMap wide;
    FillSample(wide, 3, 2, 255);
    wide.AddLogicalWrap('1', 271);
    wide.AddLogicalWrap(source, logical);
    test::TCapturedLog log;
    TXMap back;
    LoadFrom(back, SaveTo(wide, 'T'));
    EXPECT_EQ(Warnings(log), to16) << source;
    EXPECT_EQ(back.Wraps().back().Logical, logical);
  }
}

TEST(XMap, LongWrapListsSplitAt240Characters) {
  TXMap map;
  map.SetSize(1, 1);
  for (int i = 0; i < 61; ++i) map.AddLogicalWrap(33 + i, i);
  auto lines = test::SplitLines(SaveTo(map, 'T'));
  std::vector<std::string> lw;
  for (const auto& l : lines)
    if (l.rfind("LW", 0) == 0) lw.push_back(l);
  ASSERT_EQ(lw.size(), 2u);
  EXPECT_EQ(lw[0].size(), 242u);
  EXPECT_EQ(lw[1], "LW]060");
  lw.clear();
  for (const auto& l : test::SplitLines(SaveTo(map, 'X')))
    if (l.rfind("LW", 0) == 0) lw.push_back(l);
  ASSERT_EQ(lw.size(), 3u);  // 24 + 24 + 13 entries
  EXPECT_EQ(lw[0].size(), 242u);
  EXPECT_EQ(lw[2].size(), 2u + 130u);
  TXMap back;
  LoadFrom(back, SaveTo(map, 'X'));
  ExpectSameMap(map, back);
}

TEST(XMap, WritersRefuseWhatTheirFormatCannotHold) {
  struct Case {
    char mode;
    void (*spoil)(TXMap&);
    std::string warning;
  };
  const std::string ctx = "[XMapUnit, TXMap.Save] The map cannot be saved in ";
  std::vector<Case> cases = {
      {'B', [](TXMap& m) { m.Author = std::string(256, 'x'); }, "MAPB mode: the author is longer than 255 characters."},
      {'W', [](TXMap& m) { m.ThirdText = std::string(300, 'x'); },
       "MAPW mode: the third text is longer than 255 characters."},
      {'B',
       [](TXMap& m) {
         for (int i = 0; i < 256; ++i) m.AddLogicalWrap(i, 1);
       },
       "MAPB mode: more than 255 logical wraps."},
      {'W',
       [](TXMap& m) {
         for (int i = 0; i < 65536; ++i) m.AddLogicalWrap(300, 1);
       },
       "MAPW mode: more than 65535 logical wraps."},
      {'B', [](TXMap& m) { m.ExtraLines.push_back(""); }, "MAPB mode: an empty extra line."},
      {'W', [](TXMap& m) { m.ExtraLines.push_back(std::string(256, 'e')); },
       "MAPW mode: an extra line longer than 255 characters."},
      {'B', [](TXMap& m) { m.SetSize(256, 1); }, "MAPB mode: the map is larger than 255 x 255."},
      {'W', [](TXMap& m) { m.SetRaw(0, 0, 70000); }, "MAPW mode: a tile value outside 0..65535."},
      {'X', [](TXMap& m) { m.AddLogicalWrap(-1, 5); }, "MAPX mode: a logical wrap value outside 0..65535."},
      {'T', [](TXMap& m) { m.SetRaw(0, 0, 10); }, "MAPT mode: a tile value of 10 (line feed)."},
      {'T', [](TXMap& m) { m.AddLogicalWrap(10, 0); }, "MAPT mode: a logical wrap source of 10 (line feed)."},
      {'X', [](TXMap& m) { m.MapName = "two\nlines"; }, "MAPX mode: the map name holds a line feed."},
      {'T', [](TXMap& m) { m.ExtraLines.push_back("a\nb"); }, "MAPT mode: an extra line holds a line feed."},
  };
  test::TTempDir dir;
  for (const Case& c : cases) {
    TXMap map;
    FillSample(map, 3, 2, 255);
    c.spoil(map);
    test::TCapturedLog log;
    bool written = true;
    EXPECT_EQ(SaveTo(map, c.mode, &written), "") << c.warning;
    EXPECT_FALSE(written);
    EXPECT_FALSE(map.Save(dir.File("out.map"), c.mode));
    EXPECT_FALSE(test::FileExists(dir.File("out.map"))) << c.warning;
    auto w = Warnings(log);
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w.back(), ctx + c.warning);
  }
  // The writers called directly refuse as well.
  TXMap map;
  FillSample(map, 3, 2, 255);
  map.SetRaw(0, 0, 300);
  TMemoryStream out;
  EXPECT_FALSE(map.SaveMAPB(out));
  EXPECT_FALSE(map.SaveMAPT(out));
  EXPECT_EQ(out.Size(), 0);
  EXPECT_TRUE(map.SaveMAPW(out));
}

}  // namespace
}  // namespace zorbin
