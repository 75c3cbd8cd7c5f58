// Tests of zorbin-tool's asset commands: the exact bytes of the TGA pictures
// ("tga": header, image-ID field, pixels, vertical frame stacks, glyph
// tables) and of the ".qxr" raster fonts ("qxr"), the refusals of bad
// sources, and the default map pack they build: its pictures and maps as the
// game's loaders read them (through "picture" and "map").
#include "TestSupport.h"

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorbin {
namespace {

using test::TTempDir;

// Runs zorbin-tool with the given arguments (shell-quoted by the caller);
// stderr goes to a file in dir. Returns the exit code.
int ToolExitCode(const TTempDir& dir, const std::string& args) {
  std::string cmd = std::string("'") + ZORBIN_BIN_DIR + "/zorbin-tool' " + args + " 2>'" + dir.File("stderr.txt") + "'";
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs zorbin-tool in folder dir; its standard output goes to the file out.
int RunToolIn(const std::string& dir, const std::string& args, const std::string& out) {
  std::string cmd = "cd '" + dir + "' && '" + ZORBIN_BIN_DIR + "/zorbin-tool' " + args + " >'" + out + "' 2>&1";
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> ReadBytes(const std::string& fileName) {
  std::string text = test::ReadFileText(fileName);
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Header(int idLength, int width, int height) {
  return {
      uint8_t(idLength),    0,  2,   0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height),
      uint8_t(height >> 8), 24, 0x20};
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

TEST(AssetTga, HeaderIdFieldAndPixelsAreExact) {
  TTempDir dir;
  test::WriteFileText(dir.File("a.xpm"),
                      "/* XPM */\nstatic char *a[] = {\n/* w h colours chars */\n\"3 2 3 1\",\n"
                      "\"  c None\",\n\"r c #FF0000\",\n\"g c #0a0\",\n\"r g\",\n\"g r\"};\n");
  ASSERT_EQ(ToolExitCode(dir, "tga " + dir.File("a.xpm") + " " + dir.File("out/a.tga") + " --id 04-70"), 0);
  std::vector<uint8_t> want = Header(2, 3, 2);
  Append(want, {0x04, 0x70});
  // blue, green, red per pixel, top row first
  Append(want, {0, 0, 255, 0, 0, 0, 0, 0xAA, 0, 0, 0xAA, 0, 0, 0, 0, 0, 0, 255});
  EXPECT_EQ(ReadBytes(dir.File("out/a.tga")), want);

  // Without --id the ID field is empty.
  ASSERT_EQ(ToolExitCode(dir, "tga " + dir.File("a.xpm") + " " + dir.File("b.tga")), 0);
  std::vector<uint8_t> plain = ReadBytes(dir.File("b.tga"));
  ASSERT_EQ(plain.size(), 18u + 18u);
  EXPECT_EQ(plain[0], 0);
}

TEST(AssetTga, VerticalStackPutsFrameZeroOnTop) {
  TTempDir dir;
  // Three frames of 2 x 1: colours a, b, c from left to right.
  test::WriteFileText(dir.File("s.xpm"),
                      "\"6 1 3 2\",\n\"aa c #010203\",\n\"bb c #040506\",\n\"cc c #070809\",\n\"aaaabbbbcccc\"\n");
  std::string id = "03000200000000000000000000000000";
  ASSERT_EQ(ToolExitCode(dir, "tga " + dir.File("s.xpm") + " " + dir.File("s.tga") + " --id " + id + " --vstack"), 0);
  std::vector<uint8_t> want = Header(16, 2, 3);
  Append(want, {3, 0, 2, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  Append(want, {3, 2, 1, 3, 2, 1, 6, 5, 4, 6, 5, 4, 9, 8, 7, 9, 8, 7});
  EXPECT_EQ(ReadBytes(dir.File("s.tga")), want);

  // Bit 7 of byte 6 given in the ID itself stacks the same way.
  ASSERT_EQ(ToolExitCode(
                dir, "tga " + dir.File("s.xpm") + " " + dir.File("t.tga") + " --id 03000200000080000000000000000000"),
            0);
  EXPECT_EQ(ReadBytes(dir.File("t.tga")), want);

  // A strip that does not split into the frame count, and --vstack without a
  // 16-byte ID, are refused without writing anything.
  EXPECT_EQ(ToolExitCode(
                dir, "tga " + dir.File("s.xpm") + " " + dir.File("u.tga") + " --id 04000000000080000000000000000000"),
            1);
  EXPECT_EQ(ToolExitCode(dir, "tga " + dir.File("s.xpm") + " " + dir.File("u.tga") + " --id 0300 --vstack"), 1);
  EXPECT_FALSE(test::FileExists(dir.File("u.tga")));
}

TEST(AssetTga, GlyphFontBytes) {
  TTempDir dir;
  // Columns: 0 = glyph 'B', 1 = separator, 2..3 = glyph 'A'.
  test::WriteFileText(dir.File("f.xpm"),
                      "\"4 2 3 1\",\n\"m c #FF00FF\",\n\"w c #FFFFFF\",\n\". c None\",\n\"wmww\",\n\"wm.w\"\n");
  test::WriteFileText(dir.File("f.txt"), "B A\n");
  ASSERT_EQ(ToolExitCode(dir, "tga " + dir.File("f.xpm") + " " + dir.File("f.tga") + " --glyphs " + dir.File("f.txt")),
            0);
  std::vector<uint8_t> want = Header(32, 4, 2);
  std::vector<uint8_t> bitmap(32, 0);
  bitmap[8] = 0x60;  // codes 65 and 66: bits 6 and 5 of byte 8
  Append(want, bitmap);
  Append(want, {255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255, 255});  // separator column written black
  Append(want, {255, 255, 255, 0, 0, 0, 0, 0, 0, 255, 255, 255});
  Append(want, {2, 0, 0, 0, 3, 0, 1, 0});  // 'A': left 2, top 0, right 3, bottom 1
  Append(want, {0, 0, 0, 0, 0, 0, 1, 0});  // 'B': left 0, right 0
  EXPECT_EQ(ReadBytes(dir.File("f.tga")), want);

  test::WriteFileText(dir.File("three.txt"), "ABC");
  EXPECT_EQ(
      ToolExitCode(dir, "tga " + dir.File("f.xpm") + " " + dir.File("d.tga") + " --glyphs " + dir.File("three.txt")),
      1);
  test::WriteFileText(dir.File("dup.txt"), "AA");
  EXPECT_EQ(
      ToolExitCode(dir, "tga " + dir.File("f.xpm") + " " + dir.File("d.tga") + " --glyphs " + dir.File("dup.txt")), 1);
  EXPECT_EQ(ToolExitCode(dir, "tga " + dir.File("f.xpm") + " " + dir.File("d.tga") + " --glyphs " + dir.File("f.txt") +
                                  " --id 00"),
            1);
  EXPECT_FALSE(test::FileExists(dir.File("d.tga")));
}

TEST(AssetTga, BrokenXpmIsRefused) {
  TTempDir dir;
  const char* bad[] = {
      "\"2 1 1 1\",\n\"a c #FFFFFF\",\n\"aaa\"\n",     // row too long
      "\"2 1 1 1\",\n\"a c #FFFFFF\",\n\"ab\"\n",      // undefined pixel
      "\"2 1 1 1\",\n\"a c #FFFFFF\"\n",               // missing row
      "\"2 1 1 1\",\n\"a c lightblue\",\n\"aa\"\n",    // unknown colour name
      "\"0 1 1 1\",\n\"a c #FFFFFF\",\n\"\"\n",        // no width
      "\"2 1 1 1\",\n\"a c #FFFFFF\",\n\"aa\n",        // unclosed string
      "\"99999 1 1 1\",\n\"a c #FFFFFF\",\n\"aa\"\n",  // wider than a TGA side
  };
  for (const char* text : bad) {
    test::WriteFileText(dir.File("bad.xpm"), text);
    EXPECT_EQ(ToolExitCode(dir, "tga " + dir.File("bad.xpm") + " " + dir.File("bad.tga")), 1) << text;
    EXPECT_FALSE(test::FileExists(dir.File("bad.tga"))) << text;
  }
  EXPECT_EQ(ToolExitCode(dir, "tga " + dir.File("missing.xpm") + " " + dir.File("bad.tga")), 1);
  EXPECT_EQ(ToolExitCode(dir, "tga " + dir.File("bad.xpm") + " " + dir.File("bad.tga") + " --id 0g"), 1);
}

TEST(AssetQxr, FullCharacterSetLayout) {
  TTempDir dir;
  test::WriteFileText(dir.File("f.txt"),
                      "# a comment\nwidth 6\nheight 2\nflags 1\n\nglyph 65  # A\n#....#\n.x..x.\n"
                      "# between glyphs\nglyph 255\n......\n.....#\n");
  ASSERT_EQ(ToolExitCode(dir, "qxr " + dir.File("f.txt") + " " + dir.File("f.qxr")), 0);
  std::vector<uint8_t> got = ReadBytes(dir.File("f.qxr"));
  ASSERT_EQ(got.size(), 7u + 256u * 2u);
  EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.begin() + 7), (std::vector<uint8_t>{'Q', 'X', 'A', 'R', 1, 6, 2}));
  // Leftmost pixel in bit W - 1 = 5.
  EXPECT_EQ(got[7 + 65 * 2], 0x21);
  EXPECT_EQ(got[7 + 65 * 2 + 1], 0x12);
  EXPECT_EQ(got[7 + 255 * 2 + 1], 0x01);
  int inkBytes = 0;
  for (size_t i = 7; i < got.size(); ++i) inkBytes += got[i] != 0;
  EXPECT_EQ(inkBytes, 3) << "codes without a glyph are blank";
}

TEST(AssetQxr, SparseSetAndWideRows) {
  TTempDir dir;
  test::WriteFileText(dir.File("s.txt"), "width 10\nheight 1\nflags 2\nglyph 9\nx........x\nglyph 0\n#.........\n");
  ASSERT_EQ(ToolExitCode(dir, "qxr " + dir.File("s.txt") + " " + dir.File("s.qxr")), 0);
  std::vector<uint8_t> want = {'Q', 'X', 'A', 'R', 2, 10, 1};
  std::vector<uint8_t> present(32, 0);
  present[0] = 0x80;  // code 0
  present[1] = 0x40;  // code 9
  Append(want, present);
  // Two bytes per row, the ten pixels right-aligned: code 0, then code 9.
  Append(want, {0x02, 0x00, 0x02, 0x01});
  EXPECT_EQ(ReadBytes(dir.File("s.qxr")), want);
}

TEST(AssetQxr, BrokenSourcesAreRefused) {
  TTempDir dir;
  const char* bad[] = {
      "width 6\nheight 2\nglyph 65\n#.....\n",                  // missing row
      "width 6\nheight 1\nglyph 65\n#....\n",                   // short row
      "width 6\nheight 1\nglyph 65\n#....?\n",                  // bad pixel
      "width 6\nheight 1\nglyph 256\n......\n",                 // code out of range
      "width 6\nheight 1\nglyph 1\n......\nglyph 1\n......\n",  // twice
      "glyph 1\n......\n",                                      // no size
      "width 0\nheight 1\n",                                    // zero width
      "width 6\nheight 1\nflags 4\n",                           // unknown flag
      "width 6\nheight 1\ncolour 3\n",                          // unknown keyword
  };
  for (const char* text : bad) {
    test::WriteFileText(dir.File("bad.txt"), text);
    EXPECT_EQ(ToolExitCode(dir, "qxr " + dir.File("bad.txt") + " " + dir.File("bad.qxr")), 1) << text;
    EXPECT_FALSE(test::FileExists(dir.File("bad.qxr"))) << text;
  }
}

// The staging folder of the default pack: the loose files Zorbin.data is
// packed from, built beside the programs' folder.
std::string StagingDir() {
  std::string dir = ZORBIN_BIN_DIR;
  return dir.append("/../data/pack/");
}

// Prints "WxH frames=N ..." for the picture NAME loaded from dir.
std::string PictureInfo(const TTempDir& tmp, const std::string& dir, const std::string& name) {
  std::string out = tmp.File("info.txt");
  if (RunToolIn(dir, "picture '" + name + "' '" + tmp.File("p.png") + "'", out) != 0)
    return "failed: " + test::ReadFileText(out);
  return test::SplitLines(test::ReadFileText(out)).back();
}

std::vector<std::string> ListItems(const std::string& iniText, const std::string& section) {
  std::vector<std::string> items;
  bool in = false;
  for (const std::string& line : test::SplitLines(iniText)) {
    if (!line.empty() && line[0] == '[') {
      in = line == "[*" + section + "]";
    } else if (in && !line.empty() && line[0] != ';') {
      items.push_back(line);
    }
  }
  return items;
}

TEST(DefaultPack, RootResourcesHaveTheSizesTheGameNeeds) {
  TTempDir tmp;
  std::string root = StagingDir();
  ASSERT_TRUE(test::FileExists(root + "$main$.ini")) << "build the zorbin_data target first";
  EXPECT_EQ(PictureInfo(tmp, root, "airm[0..47].tga").rfind("576x24 frames=48 animated=1", 0), 0u);
  EXPECT_EQ(PictureInfo(tmp, root, "airm[48].tga").rfind("12x24 frames=1 ", 0), 0u);
  EXPECT_EQ(PictureInfo(tmp, root, "air.tga").rfind("36x24 frames=0", 0), 0u);
  EXPECT_EQ(PictureInfo(tmp, root, "common/player.tga").rfind("64x64 ", 0), 0u);
  EXPECT_EQ(PictureInfo(tmp, root, "common/swirl.tga").rfind("160x34 frames=8 animated=1 looped=1", 0), 0u);
  EXPECT_EQ(PictureInfo(tmp, root, "common/boxes.tga[8..11]").rfind("128x32 frames=4", 0), 0u);
  // The logo fits between the top of the screen and the play area's frame.
  int w = 0, h = 0;
  std::string logo = PictureInfo(tmp, root, "logo.tga");
  ASSERT_EQ(std::sscanf(logo.c_str(), "%dx%d", &w, &h), 2) << logo;
  EXPECT_LE(w, 350);
  EXPECT_LE(h, 60);
  EXPECT_NE(logo.find("colorkeyed=1"), std::string::npos);

  std::vector<uint8_t> qxr = ReadBytes(root + "npi69.qxr");
  ASSERT_EQ(qxr.size(), 2311u);
  EXPECT_EQ(std::vector<uint8_t>(qxr.begin(), qxr.begin() + 7), (std::vector<uint8_t>{'Q', 'X', 'A', 'R', 1, 6, 9}));
  // The digits font carries a glyph for 0..9 and '-'; the title font for 33..126.
  std::vector<uint8_t> digits = ReadBytes(root + "lilnums.tga");
  ASSERT_GT(digits.size(), 18u + 32u);
  EXPECT_EQ(digits[0], 32);
  EXPECT_EQ(std::vector<uint8_t>(digits.begin() + 18 + 5, digits.begin() + 18 + 8),
            (std::vector<uint8_t>{0x04, 0xFF, 0xC0}));
  std::vector<uint8_t> title = ReadBytes(root + "font.tga");
  ASSERT_GT(title.size(), 18u + 32u);
  EXPECT_EQ(title[0], 32);
  EXPECT_EQ(title[18 + 4], 0x7F);
  EXPECT_EQ(title[18 + 15], 0xFE);
}

TEST(DefaultPack, MapsLoadAndNameOnlyPicturesThatExist) {
  TTempDir tmp;
  std::string root = StagingDir();
  std::vector<std::string> maps = ListItems(test::ReadFileText(root + "$main$.ini"), "Maps");
  ASSERT_EQ(maps, (std::vector<std::string>{"Map_Select,1", "Map_A,0", "Map_B,0", "Map_C,0", "Map_D,0", "Map_E,0",
                                            "Map_F,0"}));
  for (const std::string& item : maps) {
    std::string name = item.substr(0, item.find(','));
    std::string dir = root + name + "/";
    SCOPED_TRACE(name);
    ASSERT_TRUE(test::FileExists(dir + "map00.mpt"));
    for (int layer = 0; test::FileExists(dir + "map0" + std::to_string(layer) + ".mpt"); ++layer) {
      std::string file = "map0" + std::to_string(layer) + ".mpt";
      ASSERT_EQ(RunToolIn(dir, "map " + file, tmp.File("map.txt")), 0);
      std::vector<std::string> lines = test::SplitLines(test::ReadFileText(tmp.File("map.txt")));
      EXPECT_EQ(lines.at(0), "last error: OK");
      EXPECT_EQ(lines.at(1), "size: 32x22");
      size_t grid = 0;
      while (grid < lines.size() && lines[grid] != "logical grid:") {
        EXPECT_EQ(lines[grid].rfind("Warning", 0), std::string::npos) << lines[grid];
        ++grid;
      }
      ASSERT_EQ(lines.size(), grid + 23);
      // Every character is wrapped: nothing keeps its character code.
      for (size_t row = grid + 1; row < lines.size(); ++row) {
        std::istringstream values(lines[row]);
        int v;
        while (values >> v) EXPECT_TRUE(v == 0 || v == 15 || v == 16) << file << " row " << row - grid - 1 << ": " << v;
      }
      // Each picture binding loads as a 16 x 16 tile, resolved from the
      // map's folder as the game resolves it.
      std::vector<std::string> mapLines = test::SplitLines(test::ReadFileText(dir + file));
      bool first = true;
      for (const std::string& line : mapLines) {
        if (line.rfind("EX", 0) != 0) continue;
        if (first) {
          first = false;
          continue;
        }
        if (line.size() == 2) break;
        EXPECT_EQ(PictureInfo(tmp, root, name + "\\" + line.substr(3)).rfind("16x16 ", 0), 0u) << line;
      }
    }
    // Every picture named by the object file and its macro files loads.
    int players = 0, boxes = 0, ports = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.path().extension() != ".ini") continue;
      for (const std::string& line : test::SplitLines(test::ReadFileText(entry.path().string()))) {
        size_t eq = line.find('=');
        if (eq == std::string::npos || line[0] == ';') continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key.find("Image") != std::string::npos) {
          EXPECT_EQ(PictureInfo(tmp, root, name + "\\" + value).rfind("failed", 0), std::string::npos)
              << entry.path() << ": " << line;
        }
        players += line == "Type=Player";
        boxes += line == "Type=Boxes";
        ports += line == "Name=port.ini";
      }
    }
    EXPECT_EQ(players, 1);
    EXPECT_EQ(boxes, name == "Map_Select" ? 0 : 1);
    EXPECT_EQ(ports, name == "Map_Select" ? 6 : 0);
  }
}

TEST(DefaultPack, ArchiveServesThePack) {
  std::string pack = std::string(ZORBIN_BIN_DIR) + "/Zorbin.data";
  if (!test::FileExists(pack)) GTEST_SKIP() << "no Zorbin.data (the pack command is not in this build)";
  TTempDir tmp;
  EXPECT_EQ(PictureInfo(tmp, tmp.Path(), "\\air.tga' --archive '" + pack).rfind("36x24", 0), 0u);
  ASSERT_EQ(RunToolIn(tmp.Path(), "map 'Map_F\\map00.mpt' --archive '" + pack + "'", tmp.File("map.txt")), 0);
  EXPECT_EQ(test::SplitLines(test::ReadFileText(tmp.File("map.txt"))).at(1), "size: 32x22");
}

}  // namespace
}  // namespace zorbin
