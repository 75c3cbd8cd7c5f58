// zorbin-tool render: a 640 x 480 PNG of each default map, the same bytes
// for the same seed, and a plain message for a map it cannot show.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace zorbin::e2e {
namespace {

// Runs render in dir; stderr joins standard output.
test::TRun Render(const std::string& dir, const std::string& arguments) {
  return test::RunCommand("cd '" + dir + "' && '" + std::string(ZORBIN_BIN_DIR) + "/zorbin-tool' render " + arguments +
                          " 2>&1");
}

uint32_t RenderPngField(const std::string& png, size_t at) {
  return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 | uint32_t(uint8_t(png[at + 2])) << 8 |
         uint8_t(png[at + 3]);
}

TEST(RenderCommand, EachDefaultMapIsA640x480PictureOfItsOwn) {
  test::TTempDir dir;
  const std::string pack = "'" + std::string(ZORBIN_BIN_DIR) + "/Zorbin.data'";
  std::set<std::string> pictures;
  for (const char* map : {"Map_Select", "Map_A", "Map_B", "Map_C", "Map_D", "Map_E", "Map_F"}) {
    ASSERT_EQ(Render(dir.Path(), pack + " " + map + " out.png").code, 0) << map;
    std::string png = test::ReadFileText(dir.File("out.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(RenderPngField(png, 16), 640u) << map;
    EXPECT_EQ(RenderPngField(png, 20), 480u) << map;
    pictures.insert(png);
  }
  EXPECT_EQ(pictures.size(), 7u) << "every map looks different";

  // The same seed draws the same stars; the values overlay, another frame
  // and another seed each change the picture.
  std::set<std::string> variants;
  for (const char* options : {"", "", "--values", "--frame 0", "--frame 300", "--seed 2"}) {
    ASSERT_EQ(Render(dir.Path(), pack + " Map_A out.png " + options).code, 0) << options;
    variants.insert(test::ReadFileText(dir.File("out.png")));
  }
  EXPECT_EQ(variants.size(), 5u);
}

TEST(RenderCommand, MapsItCannotShowAreToldAndWriteNothing) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path() + "pack/");
  BuildChainPack(pack);  // its maps are completed in their first frames of play
  pack.WriteText("Flat/map00.mpt", "MAPT\r\nWI0\r\nHE0\r\nXX\r\n");
  pack.WriteText("Flat/objects.ini", "[*Objects]\r\n");

  EXPECT_EQ(Render(dir.Path(), "pack Map_A title.png --frame 0").code, 0);
  EXPECT_TRUE(test::FileExists(dir.File("title.png")));
  struct TCase {
    std::string Arguments, Message;
  } cases[] = {
      {"pack Map_A out.png --frame 5000", "zorbin-tool: Map_A ends after "},
      {"pack Nowhere out.png", "zorbin-tool: Map not found! (Nowhere)"},
      {"pack/Flat out.png", "zorbin-tool: usage: render"},
      {"pack pack/Flat out.png", "zorbin-tool: No tile map file found! (map00.mpt)"},
      {"nothing Map_A out.png", "zorbin-tool: no pack nothing"},
      {"pack Map_A out.png --frame -1", "zorbin-tool: --frame needs a number"},
  };
  for (const TCase& c : cases) {
    test::TRun run = Render(dir.Path(), c.Arguments);
    EXPECT_EQ(run.code, 1) << c.Arguments;
    EXPECT_EQ(run.out.rfind(c.Message, 0), 0u) << c.Arguments << ": " << run.out;
    EXPECT_FALSE(test::FileExists(dir.File("out.png"))) << c.Arguments;
  }
}

}  // namespace
}  // namespace zorbin::e2e
