// Tests of zorbin-tool's asset commands: the exact bytes of the TGA pictures
// ("tga": header, image-ID field, pixels, vertical frame stacks, glyph
// tables) and of the ".qxr" raster fonts ("qxr"), and the refusals of bad
// sources.
#include "TestSupport.h"

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorbin {
namespace {

using test::TTempDir;

// Runs zorbin-tool with the given arguments (shell-quoted by the caller);
// stderr goes to a file in dir. Returns the exit code.
int RunTool(const TTempDir& dir, const std::string& args) {
  std::string cmd = std::string("'") + ZORBIN_BIN_DIR + "/zorbin-tool' " + args + " 2>'" + dir.File("stderr.txt") + "'";
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> ReadBytes(const std::string& fileName) {
  std::string text = test::ReadFileText(fileName);
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Header(int idLength, int width, int height) {
  return {uint8_t(idLength), 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
          uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8), 24, 0x20};
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

TEST(AssetTga, HeaderIdFieldAndPixelsAreExact) {
  TTempDir dir;
  test::WriteFileText(dir.File("a.xpm"),
                      "/* XPM */\nstatic char *a[] = {\n/* w h colours chars */\n\"3 2 3 1\",\n"
                      "\"  c None\",\n\"r c #FF0000\",\n\"g c #0a0\",\n\"r g\",\n\"g r\"};\n");
  ASSERT_EQ(RunTool(dir, "tga " + dir.File("a.xpm") + " " + dir.File("out/a.tga") + " --id 04-70"), 0);
  std::vector<uint8_t> want = Header(2, 3, 2);
  Append(want, {0x04, 0x70});
  // blue, green, red per pixel, top row first
  Append(want, {0, 0, 255, 0, 0, 0, 0, 0xAA, 0, 0, 0xAA, 0, 0, 0, 0, 0, 0, 255});
  EXPECT_EQ(ReadBytes(dir.File("out/a.tga")), want);

  // Without --id the ID field is empty.
  ASSERT_EQ(RunTool(dir, "tga " + dir.File("a.xpm") + " " + dir.File("b.tga")), 0);
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
  ASSERT_EQ(RunTool(dir, "tga " + dir.File("s.xpm") + " " + dir.File("s.tga") + " --id " + id + " --vstack"), 0);
  std::vector<uint8_t> want = Header(16, 2, 3);
  Append(want, {3, 0, 2, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  Append(want, {3, 2, 1, 3, 2, 1, 6, 5, 4, 6, 5, 4, 9, 8, 7, 9, 8, 7});
  EXPECT_EQ(ReadBytes(dir.File("s.tga")), want);

  // Bit 7 of byte 6 given in the ID itself stacks the same way.
  ASSERT_EQ(RunTool(dir, "tga " + dir.File("s.xpm") + " " + dir.File("t.tga") + " --id 03000200000080000000000000000000"), 0);
  EXPECT_EQ(ReadBytes(dir.File("t.tga")), want);

  // A strip that does not split into the frame count, and --vstack without a
  // 16-byte ID, are refused without writing anything.
  EXPECT_EQ(RunTool(dir, "tga " + dir.File("s.xpm") + " " + dir.File("u.tga") + " --id 04000000000080000000000000000000"), 1);
  EXPECT_EQ(RunTool(dir, "tga " + dir.File("s.xpm") + " " + dir.File("u.tga") + " --id 0300 --vstack"), 1);
  EXPECT_FALSE(test::FileExists(dir.File("u.tga")));
}

TEST(AssetTga, GlyphFontBytes) {
  TTempDir dir;
  // Columns: 0 = glyph 'B', 1 = separator, 2..3 = glyph 'A'.
  test::WriteFileText(dir.File("f.xpm"), "\"4 2 3 1\",\n\"m c #FF00FF\",\n\"w c #FFFFFF\",\n\". c None\",\n\"wmww\",\n\"wm.w\"\n");
  test::WriteFileText(dir.File("f.txt"), "B A\n");
  ASSERT_EQ(RunTool(dir, "tga " + dir.File("f.xpm") + " " + dir.File("f.tga") + " --glyphs " + dir.File("f.txt")), 0);
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
  EXPECT_EQ(RunTool(dir, "tga " + dir.File("f.xpm") + " " + dir.File("d.tga") + " --glyphs " + dir.File("three.txt")), 1);
  test::WriteFileText(dir.File("dup.txt"), "AA");
  EXPECT_EQ(RunTool(dir, "tga " + dir.File("f.xpm") + " " + dir.File("d.tga") + " --glyphs " + dir.File("dup.txt")), 1);
  EXPECT_EQ(RunTool(dir, "tga " + dir.File("f.xpm") + " " + dir.File("d.tga") + " --glyphs " + dir.File("f.txt") + " --id 00"), 1);
  EXPECT_FALSE(test::FileExists(dir.File("d.tga")));
}

TEST(AssetTga, BrokenXpmIsRefused) {
  TTempDir dir;
  const char* bad[] = {
      "\"2 1 1 1\",\n\"a c #FFFFFF\",\n\"aaa\"\n",        // row too long
      "\"2 1 1 1\",\n\"a c #FFFFFF\",\n\"ab\"\n",         // undefined pixel
      "\"2 1 1 1\",\n\"a c #FFFFFF\"\n",                  // missing row
      "\"2 1 1 1\",\n\"a c lightblue\",\n\"aa\"\n",       // unknown colour name
      "\"0 1 1 1\",\n\"a c #FFFFFF\",\n\"\"\n",           // no width
      "\"2 1 1 1\",\n\"a c #FFFFFF\",\n\"aa\n",           // unclosed string
      "\"99999 1 1 1\",\n\"a c #FFFFFF\",\n\"aa\"\n",     // wider than a TGA side
  };
  for (const char* text : bad) {
    test::WriteFileText(dir.File("bad.xpm"), text);
    EXPECT_EQ(RunTool(dir, "tga " + dir.File("bad.xpm") + " " + dir.File("bad.tga")), 1) << text;
    EXPECT_FALSE(test::FileExists(dir.File("bad.tga"))) << text;
  }
  EXPECT_EQ(RunTool(dir, "tga " + dir.File("missing.xpm") + " " + dir.File("bad.tga")), 1);
  EXPECT_EQ(RunTool(dir, "tga " + dir.File("bad.xpm") + " " + dir.File("bad.tga") + " --id 0g"), 1);
}

TEST(AssetQxr, FullCharacterSetLayout) {
  TTempDir dir;
  test::WriteFileText(dir.File("f.txt"),
                      "# a comment\nwidth 6\nheight 2\nflags 1\n\nglyph 65  # A\n#....#\n.x..x.\n"
                      "# between glyphs\nglyph 255\n......\n.....#\n");
  ASSERT_EQ(RunTool(dir, "qxr " + dir.File("f.txt") + " " + dir.File("f.qxr")), 0);
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
  ASSERT_EQ(RunTool(dir, "qxr " + dir.File("s.txt") + " " + dir.File("s.qxr")), 0);
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
      "width 6\nheight 2\nglyph 65\n#.....\n",            // missing row
      "width 6\nheight 1\nglyph 65\n#....\n",             // short row
      "width 6\nheight 1\nglyph 65\n#....?\n",            // bad pixel
      "width 6\nheight 1\nglyph 256\n......\n",           // code out of range
      "width 6\nheight 1\nglyph 1\n......\nglyph 1\n......\n",  // twice
      "glyph 1\n......\n",                                // no size
      "width 0\nheight 1\n",                              // zero width
      "width 6\nheight 1\nflags 4\n",                     // unknown flag
      "width 6\nheight 1\ncolour 3\n",                    // unknown keyword
  };
  for (const char* text : bad) {
    test::WriteFileText(dir.File("bad.txt"), text);
    EXPECT_EQ(RunTool(dir, "qxr " + dir.File("bad.txt") + " " + dir.File("bad.qxr")), 1) << text;
    EXPECT_FALSE(test::FileExists(dir.File("bad.qxr"))) << text;
  }
}

}  // namespace
}  // namespace zorbin
