// zorbin-tool picture, run as a program in a scratch working directory.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <filesystem>

namespace zorbin {
namespace {

using test::Tga;

using test::TRun;

class PictureTool : public ::testing::Test {
 protected:
  TRun Run(const std::string& args) {
    std::string command = "cd '" + dir_.Path() + "' && '" + std::string(ZORBIN_BIN_DIR) + "/zorbin-tool' picture " +
                          args + " 2> stderr.txt";
    TRun run = test::RunCommand(command);
    run.err = test::ReadFileText(dir_.File("stderr.txt"));
    return run;
  }
  test::TTempDir dir_;
};

TEST_F(PictureTool, WritesTheSelectedFramesAndDescribesThem) {
  std::string id(16, '\0');
  id[0] = 4, id[1] = 0x70, id[2] = 5, id[3] = 6;
  test::WriteFileText(dir_.File("strip.tga"), Tga(8, 1, {1, 1, 0xFF0000, 0xFF0000, 3, 3, 0x00FF00, 0x00FF00}, id));
  TRun run = Run("'strip.tga[3][1]' out.png");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "4x1 frames=2 animated=1 looped=1 paused=0 colorkeyed=1 randomstart=1 framedelay=5 loopdelay=6\n");
  std::string png = test::ReadFileText(dir_.File("out.png"));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\4\0\0\0\1", 8));  // IHDR width 4, height 1

  // Which frames and pixels the selection gives is the image loader's to
  // check; here the output name picks the format.
  run = Run("'strip.tga[3][1]' out.bmp");
  EXPECT_EQ(run.code, 0) << run.err;
  SDL_Surface* bmp = SDL_LoadBMP(dir_.File("out.bmp").c_str());
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->w, 4);
  EXPECT_EQ(bmp->h, 1);
  SDL_FreeSurface(bmp);
}

TEST_F(PictureTool, TakesAbsoluteAndRelativePathsOnDisk) {
  std::filesystem::create_directories(dir_.File("sub"));
  test::WriteFileText(dir_.File("sub/x.tga"), Tga(3, 2, {1, 2, 3, 4, 5, 6}));
  const std::string info =
      "3x2 frames=0 animated=0 looped=0 paused=0 colorkeyed=0 randomstart=0 framedelay=0 loopdelay=0\n";
  TRun run = Run("'" + dir_.File("sub/x.tga") + "' abs.png");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, info);
  EXPECT_TRUE(test::FileExists(dir_.File("abs.png")));
  run = Run("'" + dir_.File("sub/x.tga") + ":H' mirrored.png");  // with a transform suffix
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, info);
  run = Run("sub/x.tga rel.png");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, info);
}

TEST_F(PictureTool, NamesThatYieldNoPictureExitOne) {
  TRun run = Run("missing.tga out.png");
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("OpenStream failed: missing.tga"), std::string::npos) << run.err;
  test::WriteFileText(dir_.File("x.tga"), Tga(1, 1, {0}));
  test::WriteFileText(dir_.File("x[.tga"), Tga(1, 1, {0}));
  run = Run("'x[.tga' out.png");
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("unclosed"), std::string::npos) << run.err;
  run = Run("x.bmf out.png");
  EXPECT_EQ(run.code, 1);
  EXPECT_FALSE(test::FileExists(dir_.File("out.png")));
  // A width without rows is a picture, which neither PNG nor BMP can hold;
  // no width is none.
  test::WriteFileText(dir_.File("wide.tga"), Tga(5, 0, {}));
  test::WriteFileText(dir_.File("tall.tga"), Tga(0, 5, {}));
  for (const char* out : {"wide.png", "wide.bmp"}) {
    run = Run(std::string("wide.tga ") + out);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, std::string("zorbin-tool: cannot write ") + out + ": the picture has no rows (5x0)\n");
    EXPECT_FALSE(test::FileExists(dir_.File(out)));
  }
  run = Run("tall.tga tall.png");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "zorbin-tool: no picture in tall.tga\n");
  // A TGA reader stop still gives a sized picture.
  std::string bad = Tga(2, 1, {});
  bad[16] = 12;
  test::WriteFileText(dir_.File("odd.tga"), bad);
  run = Run("odd.tga out.png");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "RTGA: Illegal Image Pixel Size!\n"
            "2x1 frames=0 animated=0 looped=0 paused=0 colorkeyed=0 randomstart=0 framedelay=0 loopdelay=0\n");
}

}  // namespace
}  // namespace zorbin
