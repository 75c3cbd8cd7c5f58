// Starting zorbin-demo on one map (--map): of the default pack, of a pack
// built here, or a folder of loose files; and watching a map's folder
// (--watch) while the run rewrites its files at given frames.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace zorbin::e2e {
namespace {

std::string DirectStartLog(const test::TTempDir& dir) { return test::ReadFileText(dir.File("demo.log")); }

TEST(DirectStart, DefaultPackStartsOnMapCAndEndsWithEscape) {
  test::TTempDir dir;
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", dir.File("Zorbin.data"));
  test::WriteFileText(dir.File("input.txt"), "0 space down\n100 escape down\n");
  TRunResult run = RunDemo(dir.Path(), "--seed 5 --map map_c/ --input input.txt --shot 129:shot.png -mainlog demo.log");
  EXPECT_EQ(run.Lines(), (std::vector<std::string>{"visit 3 Map_C", "frames 100 exit 0"}));
  EXPECT_EQ(run.ExitStatus, 0);
  std::string log = DirectStartLog(dir);
  EXPECT_NE(log.find("(Map_C\\map00.mpt)"), std::string::npos);
  EXPECT_EQ(log.find("Map_Select\\"), std::string::npos) << "the map-select map is never loaded";

  // render draws what the game shows: the first frame after the reveal is
  // frame 64 + 65 of the run.
  test::WriteFileText(dir.File("input.txt"), "0 space down\n");
  run = RunDemo(dir.Path(), "--seed 5 --map Map_C --input input.txt --max-frames 129 --shot 129:game.png");
  std::string render = "cd '" + dir.Path() + "' && '" + ZORBIN_BIN_DIR +
                       "/zorbin-tool' render Zorbin.data Map_C render.png --seed 5 2>&1";
  ASSERT_EQ(test::RunCommand(render).code, 0);
  EXPECT_TRUE(test::ReadFileText(dir.File("render.png")) == test::ReadFileText(dir.File("game.png")));
}

TEST(DirectStart, CompletedMapEndsTheRunAndLooseFoldersHaveNoIndex) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildChainPack(pack);  // every map is completed as soon as it is played
  std::filesystem::copy(dir.File("Map_B"), dir.File("Loose"), std::filesystem::copy_options::recursive);
  pack.WriteText("input.txt", "0 space down\n");
  struct TCase {
    std::string Name, Visit;
  } cases[] = {
      {"Map_A", "visit 1 Map_A"}, {"Loose", "visit -1 Loose"}, {dir.File("Loose"), "visit -1 " + dir.File("Loose")}};
  for (const TCase& c : cases) {
    TRunResult run =
        RunDemo(dir.Path(), "--seed 3 --input input.txt --max-frames 2000 -mainlog demo.log --map '" + c.Name + "'");
    std::vector<std::string> lines = run.Lines();
    ASSERT_EQ(lines.size(), 2u) << run.Output;
    EXPECT_EQ(lines[0], c.Visit);
    EXPECT_EQ(lines[1].substr(lines[1].find(" exit")), " exit 0") << c.Name;
    EXPECT_EQ(run.ExitStatus, 0);
    // (A pack of loose files has no archive: only the mount's Error line.)
    EXPECT_EQ(DirectStartLog(dir).find("\n{ZORB"), std::string::npos) << c.Name << ": no Error lines of the game";
  }

  // Neither a map of the list nor a folder holding map00.mpt ("Map_B/x" is
  // a file's place, "Map_" only the start of a name).
  for (const std::string name : {"Nowhere", "Map_", "Map_B/objects.ini"}) {
    TRunResult run = RunDemo(dir.Path(), "--input input.txt -mainlog demo.log --map '" + name + "'");
    EXPECT_EQ(run.Lines(), std::vector<std::string>{"frames 0 exit 1"}) << name;
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_NE(DirectStartLog(dir).find("{Zorbin} Map not found! (" + name + ")"), std::string::npos) << name;
  }
}

// White pixels of a BMP screenshot in the rectangle.
int WhitePixelsOfShot(const std::string& bmp, int x, int y, int w, int h) {
  SDL_Surface* shot = SDL_LoadBMP(bmp.c_str());
  if (!shot) return -1;
  int white = 0;
  SDL_LockSurface(shot);
  for (int row = y; row < y + h; ++row)
    for (int col = x; col < x + w; ++col) {
      const uint8_t* p =
          static_cast<const uint8_t*>(shot->pixels) + row * shot->pitch + col * shot->format->BytesPerPixel;
      uint32_t value = 0;
      std::memcpy(&value, p, shot->format->BytesPerPixel);
      uint8_t r = 0, g = 0, b = 0;
      SDL_GetRGB(value, shot->format, &r, &g, &b);
      white += r == 255 && g == 255 && b == 255;
    }
  SDL_UnlockSurface(shot);
  SDL_FreeSurface(shot);
  return white;
}

std::vector<std::string> WatchRows(int floorRow) {
  std::vector<std::string> rows(22, std::string(32, ' '));
  for (int r = floorRow; r < 22; ++r) rows[size_t(r)] = std::string(32, '#');
  return rows;
}

// The run rewrites the map file at frame 150 (the change is seen at frame
// 200, the next look), takes objects.ini away at frame 300 (seen at once:
// the command runs before that frame's look; the screen tells why the map
// does not play) and brings it back at frame 450 (seen at 500); Escape at
// frame 700 ends the run.
TEST(WatchedMap, ChangedFilesReplayTheMapAndABrokenChangeIsWaitedOut) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  pack.WriteRootResources();
  pack.WritePlayerPicture("player.tga");
  pack.WriteBlock("floor.tga", 16, 16, {120, 100, 80});
  const std::string objects =
      "[*Objects]\r\nPlayer\r\n\r\n[Player]\r\nType=Player\r\nPositionX=16\r\nPositionY=272\r\nImage=\\player.tga\r\n";
  pack.WriteMap("Mine", "Before", WatchRows(19), {" ", "#\\floor.tga"});
  pack.WriteText("Mine/objects.ini", objects);
  pack.WriteMap("Staged", "After", WatchRows(17), {" ", "#\\floor.tga"});
  pack.WriteText("Staged/objects.ini", objects);
  pack.WriteText("input.txt", "64 space down\n65 space up\n700 escape down\n");

  TRunResult staged =
      RunDemo(dir.Path(), "--seed 2 --map Staged --input input.txt --max-frames 64 --shot 64:staged.png");
  ASSERT_EQ(staged.ExitStatus, 2) << staged.Output;
  TRunResult run = RunDemo(dir.Path(),
                           "--seed 2 --map Mine --watch --input input.txt --max-frames 2000 -mainlog demo.log "
                           "--shot 64:first.png --shot 264:reloaded.png --shot 400:waiting.bmp "
                           "--exec '150:cp Staged/map00.mpt Mine/map00.mpt' --exec '300:mv Mine/objects.ini kept.ini' "
                           "--exec '450:mv kept.ini Mine/objects.ini'");
  EXPECT_EQ(run.Lines(), (std::vector<std::string>{"visit -1 Mine", "visit -1 Mine", "visit -1 Mine", "visit -1 Mine",
                                                   "frames 700 exit 0"}))
      << run.Errors;
  EXPECT_EQ(run.ExitStatus, 0);
  // The replay shows the new file, not the stream opener's cached copy.
  std::string reloaded = test::ReadFileText(dir.File("reloaded.png"));
  EXPECT_FALSE(reloaded == test::ReadFileText(dir.File("first.png")));
  EXPECT_TRUE(reloaded == test::ReadFileText(dir.File("staged.png")));
  // The first line and the failure, in white on black, where the map was.
  EXPECT_GT(WhitePixelsOfShot(dir.File("waiting.bmp"), 32, 200, 200, 9), 100);
  EXPECT_GT(WhitePixelsOfShot(dir.File("waiting.bmp"), 44, 212, 200, 9), 100);
  EXPECT_EQ(WhitePixelsOfShot(dir.File("waiting.bmp"), 32, 224, 600, 12), 0);

  std::string log = DirectStartLog(dir);
  const std::string changed = "(ZORBDirectStartUnit, TDirectStart.Run) Map files changed, playing the map again (Mine)";
  size_t first = log.find(changed);
  size_t broken = log.find("{ZORBDirectStartUnit, TDirectStart.Run} OpenStream failed: objects.ini");
  size_t waiting = log.find("(ZORBDirectStartUnit, TDirectStart.Run) Waiting for the map files to change (Mine)");
  size_t mended = log.find(changed, waiting);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_LT(first, broken);
  EXPECT_LT(broken, waiting);
  EXPECT_NE(mended, std::string::npos);
  EXPECT_EQ(log.find("{", mended), std::string::npos) << "the mended map plays without an Error";
}

}  // namespace
}  // namespace zorbin::e2e
