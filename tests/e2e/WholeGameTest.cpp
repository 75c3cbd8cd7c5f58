// Whole-game runs of zorbin-demo on packs built here: the map-select map,
// a port into a map, completing it, coming back and leaving with Escape.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace zorbin::e2e {
namespace {

std::vector<std::string> FloorRows() {
  std::vector<std::string> rows(22, std::string(32, ' '));
  for (int r = 19; r < 22; ++r) rows[size_t(r)] = std::string(32, '#');
  return rows;
}

// Map_Select with one port to Map_A; Map_A is completed by three boxes
// that stand over their slots from the start.
void BuildTwoMapPack(TPackBuilder& pack) {
  pack.WriteIndex({"Map_Select", "Map_A"});
  pack.WriteRootResources();
  pack.WritePlayerPicture("player.tga");
  pack.WriteBlock("floor.tga", 16, 16, {120, 100, 80});
  // A port frame: a ring with a transparent (black, colour-keyed) inside.
  pack.WriteFile("port.tga", MakeTGA(48, 48, {0, 0x40}, [](int x, int y) {
                   bool ring = x < 4 || y < 4 || x >= 44 || y >= 44;
                   return ring ? TRGB{60, 60, 160} : TRGB{};
                 }));
  pack.WriteBlock("swirl.tga", 80, 20, {200, 200, 255}, 4);
  pack.WriteBlock("box.tga", 32, 32, {160, 110, 40});
  pack.WriteBlock("lamp.tga", 64, 8, {255, 200, 0}, 2);

  pack.WriteMap("Map_Select", "Select", FloorRows(), {" ", "#..\\floor.tga"});
  pack.WriteText("Map_Select/objects.ini",
                 "[*Objects]\r\nPlayer\r\nPort1\r\n\r\n"
                 "[Player]\r\nType=Player\r\nPositionX=80\r\nPositionY=272\r\nImage=..\\player.tga\r\n\r\n"
                 "[Port1]\r\nType=MapSelectPort\r\nPositionX=96\r\nPositionY=256\r\nLevel=1\r\n"
                 "ImageUnlocked=\\port.tga\r\nImageLocked=\\port.tga\r\nImageSwirl=\\swirl.tga\r\n");

  pack.WriteMap("Map_A", "Boxes", FloorRows(), {" ", "#\\floor.tga"});
  pack.WriteText("Map_A/objects.ini",
                 "[*Objects]\r\nPlayer\r\nGoal\r\n\r\n"
                 "[Player]\r\nType=Player\r\nPositionX=16\r\nPositionY=272\r\nImage=\\player.tga\r\n\r\n"
                 "[Goal]\r\nType=Boxes\r\nTargetX=160\r\n"
                 "Position1X=160\r\nPosition1Y=272\r\nPosition2X=192\r\nPosition2Y=272\r\n"
                 "Position3X=224\r\nPosition3Y=272\r\nImage1=\\box.tga\r\nImage2=\\box.tga\r\nImage3=\\box.tga\r\n"
                 "TargetImage1=\\lamp.tga\r\nTargetImage2=\\lamp.tga\r\nTargetImage3=\\lamp.tga\r\n");
}

TEST(WholeGame, PortIntoAMapCompleteItComeBackAndLeave) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildTwoMapPack(pack);
  pack.WriteText("input.txt",
                 "0 space down      # starts the map-select map\n"
                 "100 right down    # two steps right, onto the port\n"
                 "131 right up\n"
                 "140 space down    # enters the port\n"
                 "141 space up\n"
                 "99990 space down  # starts Map_A at its title card\n"
                 "99991 space up    # back at the map-select card\n"
                 "99992 space down\n"
                 "1000 escape down  # leaves the game on the second visit of map 0\n");
  TRunResult run = RunDemo(dir.Path(), "--seed 7 --input input.txt --max-frames 3000 -mainlog demo.log");
  std::vector<std::string> lines = run.Lines();
  ASSERT_GE(lines.size(), 4u) << run.Output;
  EXPECT_EQ(lines[0], "visit 0 Map_Select");
  EXPECT_EQ(lines[1], "visit 1 Map_A");
  EXPECT_EQ(lines[2], "visit 0 Map_Select");
  EXPECT_EQ(lines.size(), 4u) << run.Output;
  EXPECT_EQ(lines.back(), "frames 1000 exit 0");
  EXPECT_EQ(run.ExitStatus, 0);
  std::vector<std::string> log = test::SplitLines(test::ReadFileText(dir.File("demo.log")));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().rfind("(..system..) Terminating Application. ", 0), 0u);
  EXPECT_NE(
      std::find(log.begin(), log.end(), "(ZORBPlayMapPackUnit, TPlayMapPack.Create) Map pack filename: <internal>"),
      log.end());
}

}  // namespace
}  // namespace zorbin::e2e

namespace zorbin::e2e {
namespace {

TEST(WholeGame, PortPastTheEndOfTheListIsAFailure) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildTwoMapPack(pack);
  pack.WriteIndex({"Map_Select"});  // the port leads to map 1, which the list lacks
  pack.WriteText("input.txt", "0 space down\n100 right down\n131 right up\n140 space down\n141 space up\n");
  TRunResult run = RunDemo(dir.Path(), "--seed 1 --input input.txt --max-frames 2000 -mainlog demo.log");
  EXPECT_EQ(run.ExitStatus, 1);
  std::vector<std::string> lines = run.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("frames ", 0), 0u);
  EXPECT_NE(lines.back().find(" exit 1"), std::string::npos);
  std::string log = test::ReadFileText(dir.File("demo.log"));
  EXPECT_NE(log.find("{ZORBPlayMapPackUnit, TPlayMapPack.GetFileName} Unknown map number! (1)"), std::string::npos);
}

TEST(WholeGame, MissingIndexStopsBeforeTheFirstFrame) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  pack.WriteRootResources();
  TRunResult run = RunDemo(dir.Path(), "--max-frames 10 -mainlog demo.log");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Lines(), std::vector<std::string>{"frames 0 exit 1"});
  std::string log = test::ReadFileText(dir.File("demo.log"));
  EXPECT_NE(log.find("OpenStream failed: \\$main$.ini"), std::string::npos);
  EXPECT_NE(log.find("Terminating Application."), std::string::npos);
}

TEST(WholeGame, ClosedWindowAndScriptUsedUpEndWithCodeTwo) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildTwoMapPack(pack);
  pack.WriteText("empty.txt", "# nothing\n");
  TRunResult waiting = RunDemo(dir.Path(), "--input empty.txt -nolog");
  EXPECT_EQ(waiting.ExitStatus, 2);
  EXPECT_EQ(waiting.Lines(), (std::vector<std::string>{"visit 0 Map_Select", "frames 64 exit 2"}));
  pack.WriteText("go.txt", "0 space down\n");
  TRunResult capped = RunDemo(dir.Path(), "--input go.txt --max-frames 150 -nolog");
  EXPECT_EQ(capped.ExitStatus, 2);
  EXPECT_EQ(capped.Lines().back(), "frames 150 exit 2");
}

TEST(WholeGame, SameSeedAndInputGiveIdenticalScreenshots) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildTwoMapPack(pack);
  pack.WriteText("input.txt", "0 space down\n100 right down\n140 right up\n");
  for (const char* run : {"a", "b"}) {
    std::string args = std::string("--seed 5 --input input.txt --max-frames 200 -nolog --shot 64:") + run +
                       "-card.png --shot 180:" + run + "-play.bmp";
    ASSERT_EQ(RunDemo(dir.Path(), args).ExitStatus, 2);
  }
  for (const char* shot : {"-card.png", "-play.bmp"}) {
    std::string a = test::ReadFileText(dir.File(std::string("a") + shot));
    std::string b = test::ReadFileText(dir.File(std::string("b") + shot));
    EXPECT_GT(a.size(), 1000u) << shot;
    EXPECT_EQ(a, b) << shot;
  }
  EXPECT_EQ(test::ReadFileText(dir.File("a-card.png")).substr(1, 3), "PNG");
  EXPECT_EQ(test::ReadFileText(dir.File("a-play.bmp")).substr(0, 2), "BM");
}

}  // namespace
}  // namespace zorbin::e2e

namespace zorbin::e2e {
namespace {

// The colour of a pixel of a 24-bit bottom-up BMP screenshot.
TRGB BmpPixel(const std::string& bmp, int x, int y) {
  auto u32 = [&](size_t at) {
    return uint32_t(uint8_t(bmp[at])) | uint32_t(uint8_t(bmp[at + 1])) << 8 | uint32_t(uint8_t(bmp[at + 2])) << 16 |
           uint32_t(uint8_t(bmp[at + 3])) << 24;
  };
  uint32_t offset = u32(10), width = u32(18), height = u32(22);
  size_t rowBytes = (width * 3 + 3) / 4 * 4;
  size_t at = offset + (height - 1 - uint32_t(y)) * rowBytes + size_t(x) * 3;
  return TRGB{uint8_t(bmp[at + 2]), uint8_t(bmp[at + 1]), uint8_t(bmp[at])};
}

TEST(WholeGame, BootAndEscapeDuringTheReveal) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildTwoMapPack(pack);
  pack.WriteText("input.txt", "0 space down\n70 escape down\n");
  TRunResult run = RunDemo(dir.Path(), "--input input.txt -mainlog demo.log");
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(run.Lines(), (std::vector<std::string>{"visit 0 Map_Select", "frames 70 exit 0"}));
  std::vector<std::string> log = test::SplitLines(test::ReadFileText(dir.File("demo.log")));
  EXPECT_NE(std::find(log.begin(), log.end(), "(QX_SDL, Finalize) BASS: Shutdown..."), log.end());
  EXPECT_EQ(log.back().rfind("(..system..) Terminating Application. ", 0), 0u);
}

TEST(WholeGame, MissingTileMapEndsWithCodeOne) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildTwoMapPack(pack);
  std::filesystem::remove(dir.File("Map_Select/map00.mpt"));
  TRunResult run = RunDemo(dir.Path(), "-mainlog demo.log");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Lines(), (std::vector<std::string>{"visit 0 Map_Select", "frames 0 exit 1"}));
  std::string log = test::ReadFileText(dir.File("demo.log"));
  EXPECT_NE(log.find("{ZORBPlay1MapUnit, TPlay1Map.Create} No tile map file found! (map00.mpt)"), std::string::npos);
  EXPECT_NE(log.find("Terminating Application."), std::string::npos);
}

TEST(WholeGame, MapSelectRemembersWhereThePlayerLeft) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildTwoMapPack(pack);
  pack.WriteText("input.txt",
                 "0 space down\n100 right down\n131 right up\n140 space down\n141 space up\n"
                 "99990 space down\n99991 space up\n99992 space down\n");
  TRunResult run = RunDemo(dir.Path(),
                           "--seed 3 --input input.txt --max-frames 1200 -nolog --shot 1150:back.bmp "
                           "--shot 90:start.bmp");
  ASSERT_EQ(run.ExitStatus, 2);
  std::string start = test::ReadFileText(dir.File("start.bmp"));
  std::string back = test::ReadFileText(dir.File("back.bmp"));
  ASSERT_GT(back.size(), 54u);
  // The figure is drawn from x = 4 to 11 of its 16-pixel cell, facing right;
  // row 24 of it lies below the port's swirl.
  auto isFigure = [](TRGB c) { return c.R == 240 && c.G == 200 && c.B == 160; };
  EXPECT_TRUE(isFigure(BmpPixel(start, 144 + 6, 336 + 24)));  // the object file's place
  EXPECT_FALSE(isFigure(BmpPixel(start, 176 + 6, 336 + 24)));
  EXPECT_TRUE(isFigure(BmpPixel(back, 176 + 6, 336 + 24)));  // the port it left by
  EXPECT_FALSE(isFigure(BmpPixel(back, 144 + 6, 336 + 24)));
}

}  // namespace
}  // namespace zorbin::e2e

namespace zorbin::e2e {
namespace {

// Failures the map set-up leaves uncaught end the game with code 1 and an
// Error line, the log still closing properly.
TEST(WholeGame, BrokenObjectFilesEndWithCodeOne) {
  struct TCase {
    const char* objects;  // nullptr: no objects.ini at all
    const char* error;
  };
  const TCase cases[] = {
      {nullptr, "{Zorbin} OpenStream failed: objects.ini"},
      {"[*Objects]\r\nM\r\n[M]\r\nType=Macro\r\nName=gone.ini\r\n", "{Zorbin} OpenStream failed: gone.ini"},
      {"[*Objects]\r\nP\r\n[P]\r\nType=Player\r\nPositionX=abc\r\n", "{Zorbin} 'abc' is not a valid integer value"},
  };
  for (const TCase& c : cases) {
    test::TTempDir dir;
    TPackBuilder pack(dir.Path());
    BuildTwoMapPack(pack);
    std::filesystem::remove(dir.File("Map_Select/objects.ini"));
    if (c.objects) pack.WriteText("Map_Select/objects.ini", c.objects);
    TRunResult run = RunDemo(dir.Path(), "-mainlog demo.log");
    EXPECT_EQ(run.ExitStatus, 1) << c.error;
    EXPECT_EQ(run.Lines(), (std::vector<std::string>{"visit 0 Map_Select", "frames 0 exit 1"}));
    std::vector<std::string> log = test::SplitLines(test::ReadFileText(dir.File("demo.log")));
    EXPECT_NE(std::find(log.begin(), log.end(), c.error), log.end()) << c.error;
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().rfind("(..system..) Terminating Application. ", 0), 0u);
  }
}

}  // namespace
}  // namespace zorbin::e2e

namespace zorbin::e2e {
namespace {

// Kept progress through the default pack: Map_A completed and recorded,
// its port then shown completed; R starts a map again, Backspace leaves it.
TEST(KeptProgress, CompletionRestartAndLeave) {
  test::TTempDir dir;
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", dir.File("Zorbin.data"));
  std::string solution = test::ReadFileText(std::string(ZORBIN_SOURCE_DIR) + "/data/solutions/map_a.txt");
  test::WriteFileText(dir.File("solve.txt"), solution);
  TRunResult solved = RunDemo(dir.Path(), "--seed 5 --input solve.txt --progress kept/progress.ini -nolog");
  ASSERT_EQ(solved.ExitStatus, 2) << solved.Output;
  std::string kept = test::ReadFileText(dir.File("kept/progress.ini"));
  EXPECT_NE(kept.find("[Completed]\r\nMap_A="), std::string::npos) << kept;
  EXPECT_EQ(kept.find("Map_Select"), std::string::npos) << "going through a port completes no map";

  // The walk to port 1 of the solution, then R in Map_A, Space at its new
  // title card, and Backspace.
  std::string walk;
  for (const std::string& line : test::SplitLines(solution))
    if (!line.empty() && line[0] != '#' && std::stoi(line) <= 570) walk += line + "\n";
  test::WriteFileText(dir.File("keys.txt"),
                      walk +
                          "700 r down\n701 r up\n1000 space down\n1001 space up\n1200 backspace down\n"
                          "1201 backspace up\n");
  TRunResult run =
      RunDemo(dir.Path(), "--seed 5 --input keys.txt --progress kept/progress.ini -nolog --shot 100:select.bmp");
  std::vector<std::string> lines = run.Lines();
  ASSERT_EQ(lines.size(), 5u) << run.Output;
  EXPECT_EQ(lines[1], "visit 1 Map_A");
  EXPECT_EQ(lines[2], "visit 1 Map_A");  // R: the same map again
  EXPECT_EQ(lines[3], "visit 0 Map_Select");
  TRGB frame = BmpPixel(test::ReadFileText(dir.File("select.bmp")), 165, 332);  // port 1's frame
  EXPECT_TRUE(frame.R == 0x58 && frame.G == 0xb0 && frame.B == 0x60) << int(frame.R) << "," << int(frame.G);
  EXPECT_EQ(test::ReadFileText(dir.File("kept/progress.ini")), kept) << "neither R nor Backspace completes";
}

}  // namespace
}  // namespace zorbin::e2e

namespace zorbin::e2e {
namespace {

// The loudest sample of each game frame's block of 441 stereo sample frames.
std::vector<int> BlockPeaks(const std::string& wav) {
  std::vector<int> peaks;
  for (size_t at = 44; at + 4 * 441 <= wav.size(); at += 4 * 441) {
    int peak = 0;
    for (size_t i = at; i < at + 4 * 441; i += 2)
      peak = std::max(peak, std::abs(int(int16_t(uint8_t(wav[i]) | uint8_t(wav[i + 1]) << 8))));
    peaks.push_back(peak);
  }
  return peaks;
}

// The run's sound through --audio: silent at volume 0, an event's sound in
// the block of the frame it happened in, and M mutes.
TEST(RunSound, EventsSoundAtTheirFrameAndSilenceIsSilent) {
  test::TTempDir dir;
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", dir.File("Zorbin.data"));
  // The map-select title card, then the walk into port 1 (Space at frame
  // 211); the muted run presses M on the way.
  std::string walk, mute;
  for (const std::string& line :
       test::SplitLines(test::ReadFileText(std::string(ZORBIN_SOURCE_DIR) + "/data/solutions/map_a.txt"))) {
    if (line.empty() || line[0] == '#' || std::stoi(line) > 212) continue;
    if (std::stoi(line) > 205 && walk == mute) mute += "205 m down\n206 m up\n";
    walk += line + "\n";
    mute += line + "\n";
  }
  test::WriteFileText(dir.File("walk.txt"), walk);
  test::WriteFileText(dir.File("mute.txt"), mute);
  test::WriteFileText(dir.File("quiet.ini"), "[Audio]\nVolume=0\n");
  test::WriteFileText(dir.File("nomusic.ini"), "[Audio]\nMusic=0\n");
  const std::string common = "--seed 5 --max-frames 230 -nolog --audio ";
  ASSERT_EQ(RunDemo(dir.Path(), common + "quiet.wav --config quiet.ini --input walk.txt").ExitStatus, 2);
  ASSERT_EQ(RunDemo(dir.Path(), common + "effects.wav --config nomusic.ini --input walk.txt").ExitStatus, 2);
  ASSERT_EQ(RunDemo(dir.Path(), common + "muted.wav --config nomusic.ini --input mute.txt").ExitStatus, 2);
  std::vector<int> quiet = BlockPeaks(test::ReadFileText(dir.File("quiet.wav")));
  std::vector<int> effects = BlockPeaks(test::ReadFileText(dir.File("effects.wav")));
  std::vector<int> muted = BlockPeaks(test::ReadFileText(dir.File("muted.wav")));
  ASSERT_EQ(quiet.size(), 230u);
  ASSERT_EQ(effects.size(), 230u);
  EXPECT_EQ(*std::max_element(quiet.begin(), quiet.end()), 0);
  EXPECT_GT(effects[0], 0);  // the title card's sound in frame 1's block
  for (size_t frame = 100; frame < 211; ++frame) EXPECT_EQ(effects[frame], 0) << "frame " << frame + 1;
  EXPECT_GT(effects[211], 0);  // entering the port, raised in frame 212
  EXPECT_EQ(*std::max_element(muted.begin() + 211, muted.end()), 0);
}

}  // namespace
}  // namespace zorbin::e2e
