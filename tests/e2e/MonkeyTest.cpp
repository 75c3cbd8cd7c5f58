// The monkey: zorbin-demo --monkey SEED plays the default pack with random
// input. The same seed plays the same game, it gets past the map-select map
// into the maps, it never presses Escape, and running out of frames is a
// success (exit 0). In the sanitized build it plays longer runs that must
// stay free of findings.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

namespace zorbin::e2e {
namespace {

std::string MonkeyPackFolder(const test::TTempDir& folder) {
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", folder.File("Zorbin.data"));
  return folder.Path();
}

std::set<std::string> VisitedMaps(const TRunResult& run) {
  std::set<std::string> maps;
  for (const std::string& line : run.Lines())
    if (line.rfind("visit ", 0) == 0) maps.insert(line);
  return maps;
}

TEST(Monkey, TheSameSeedPlaysTheSameGameIntoTheMapsWithoutEscapeAndEndsWithExitZero) {
  test::TTempDir folder;
  std::string dir = MonkeyPackFolder(folder);
  TRunResult first = RunDemo(dir, "--monkey 4 --max-frames 3000 --checksums one.txt --record one-keys.txt -nolog");
  TRunResult second = RunDemo(dir, "--monkey 4 --max-frames 3000 --checksums two.txt --record two-keys.txt -nolog");
  EXPECT_EQ(first.ExitStatus, 0) << first.Errors;
  ASSERT_FALSE(first.Lines().empty());
  EXPECT_EQ(first.Lines().back(), "frames 3000 exit 0");
  EXPECT_GE(VisitedMaps(first).size(), 2u) << first.Output;
  EXPECT_EQ(second.Output, first.Output);
  EXPECT_EQ(test::ReadFileText(folder.File("two.txt")), test::ReadFileText(folder.File("one.txt")));

  // The recording holds every key the game saw: plenty of them, never Escape.
  std::string keys = test::ReadFileText(folder.File("one-keys.txt"));
  EXPECT_EQ(test::ReadFileText(folder.File("two-keys.txt")), keys);
  EXPECT_EQ(keys.rfind("# zorbin recording: --seed 4\n", 0), 0u);
  std::set<std::string> pressed;
  std::istringstream lines(keys);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string frame, key, how;
    if (words >> frame >> key >> how && frame != "#" && how == "down") pressed.insert(key);
  }
  EXPECT_EQ(pressed.count("escape"), 0u) << keys;
  for (const char* key : {"left", "right", "space"}) EXPECT_EQ(pressed.count(key), 1u) << key << "\n" << keys;

  // Another seed plays another game.
  TRunResult other = RunDemo(dir, "--monkey 5 --max-frames 3000 --checksums three.txt -nolog");
  EXPECT_EQ(other.ExitStatus, 0);
  EXPECT_NE(test::ReadFileText(folder.File("three.txt")), test::ReadFileText(folder.File("one.txt")));
}

#ifdef ZORBIN_SANITIZED
// A finding ends the process with the sanitizers' exit code, never 0.
TEST(Monkey, TwentyThousandFramesOfTwoSeedsPlayCleanUnderTheSanitizers) {
  test::TTempDir folder;
  std::string dir = MonkeyPackFolder(folder);
  for (const char* seed : {"1", "2"}) {
    TRunResult run = RunDemo(dir, std::string("--monkey ") + seed + " --max-frames 20000 -nolog");
    EXPECT_EQ(run.ExitStatus, 0) << "seed " << seed << "\n" << run.Errors;
    ASSERT_FALSE(run.Lines().empty()) << seed;
    EXPECT_EQ(run.Lines().back(), "frames 20000 exit 0") << seed;
    EXPECT_EQ(run.Errors.find("runtime error"), std::string::npos) << run.Errors;
  }
}
#endif

}  // namespace
}  // namespace zorbin::e2e
