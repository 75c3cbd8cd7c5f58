// Recordings: zorbin-demo records what it plays in the input format, a
// recording replays the same game without --seed, and a malformed line is
// refused before anything plays. The game records and replays the same way.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace zorbin::e2e {
namespace {

std::string DataFolderWith(const test::TTempDir& folder) {
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", folder.File("Zorbin.data"));
  return folder.Path();
}

// The log names exactly this seed (not one that merely starts with it).
bool LogNamesSeed(const std::string& log, const std::string& seed) {
  std::string line = "Random seed: " + seed;
  size_t at = log.find(line);
  return at != std::string::npos && (at + line.size() == log.size() || !isdigit(uint8_t(log[at + line.size()])));
}

TEST(Recording, EachKeptSolutionReplaysFromItsRecordingAndRecordsTheSameAgain) {
  test::TTempDir folder;
  std::string dir = DataFolderWith(folder);
  int solutions = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(ZORBIN_SOURCE_DIR) + "/data/solutions")) {
    if (entry.path().extension() != ".txt") continue;
    ++solutions;
    std::string name = entry.path().stem().string();
    TRunResult played = RunDemo(dir, "--seed 5 --input '" + entry.path().string() + "' -nolog");
    TRunResult recorded = RunDemo(dir, "--seed 5 --input '" + entry.path().string() + "' --record first.txt -nolog");
    TRunResult replayed = RunDemo(dir, "--input first.txt --record second.txt -nolog");
    EXPECT_EQ(recorded.Output, played.Output) << name;
    EXPECT_EQ(replayed.Output, played.Output) << name;
    EXPECT_EQ(replayed.ExitStatus, played.ExitStatus) << name;
    std::string first = test::ReadFileText(folder.File("first.txt"));
    EXPECT_EQ(first.rfind("# zorbin recording: --seed 5\n", 0), 0u) << name;
    EXPECT_EQ(test::ReadFileText(folder.File("second.txt")), first) << name;
  }
  EXPECT_GE(solutions, 6);
}

TEST(Recording, RemappedKeysWalkAsTheDefaultOnesDid) {
  test::TTempDir folder;
  std::string dir = DataFolderWith(folder);
  std::string solution = test::ReadFileText(std::string(ZORBIN_SOURCE_DIR) + "/data/solutions/map_a.txt");
  std::string remapped;
  std::istringstream lines(solution);
  for (std::string line; std::getline(lines, line);) {
    for (const auto& [from, to] : {std::pair<std::string, std::string>{" left ", " a "}, {" right ", " d "}})
      if (size_t at = line.find(from); at != std::string::npos) line.replace(at, from.size(), to);
    remapped += line + "\n";
  }
  ASSERT_NE(remapped, solution);
  test::WriteFileText(folder.File("keys.ini"), "[Keys]\nLeft=a\nRight=d,k\n");
  test::WriteFileText(folder.File("remapped.txt"), remapped);
  // Bounded runs: keys that walked nowhere would never end the game.
  TRunResult original = RunDemo(dir, "--seed 5 --input '" + std::string(ZORBIN_SOURCE_DIR) +
                                         "/data/solutions/map_a.txt' --max-frames 3000 -nolog");
  TRunResult run =
      RunDemo(dir, "--seed 5 --input remapped.txt --config keys.ini --record rec.txt --max-frames 3000 -nolog");
  EXPECT_EQ(run.Output, original.Output);
  EXPECT_NE(run.Output.find("visit 1 Map_A"), std::string::npos) << run.Output;
  // The recording holds the game's keys, not the physical ones.
  std::string recording = test::ReadFileText(folder.File("rec.txt"));
  EXPECT_NE(recording.find(" left down\n"), std::string::npos);
  EXPECT_EQ(recording.find(" a down\n"), std::string::npos);

  // The same bindings from the settings file in the folder XDG_CONFIG_HOME names.
  std::filesystem::create_directories(folder.File("config/zorbin"));
  test::WriteFileText(folder.File("config/zorbin/zorbin.ini"), "[Keys]\nLeft = a\nRight = d\n");
  setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
  TRunResult fromHome = RunDemo(dir, "--seed 5 --input remapped.txt --max-frames 3000 -nolog");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(fromHome.Output, original.Output);
}

TEST(Recording, SeedSwitchOverridesTheRecordingAndARunWithoutKeysStillNamesItsSeed) {
  test::TTempDir folder;
  std::string dir = DataFolderWith(folder);
  test::WriteFileText(folder.File("keys.txt"), "# zorbin recording: --seed 77\n64 space down\n");
  RunDemo(dir, "--input keys.txt --record a.txt --max-frames 70 -nolog");
  EXPECT_EQ(test::ReadFileText(folder.File("a.txt")), "# zorbin recording: --seed 77\n64 space down\n");
  RunDemo(dir, "--seed 9 --input keys.txt --record b.txt --max-frames 70 -nolog");
  EXPECT_EQ(test::ReadFileText(folder.File("b.txt")), "# zorbin recording: --seed 9\n64 space down\n");
  TRunResult none = RunDemo(dir, "--seed 12 --record c.txt --max-frames 10 -nolog");
  EXPECT_EQ(none.ExitStatus, 2);
  EXPECT_EQ(test::ReadFileText(folder.File("c.txt")), "# zorbin recording: --seed 12\n");
}

TEST(Recording, AMalformedLineIsRefusedBeforeAnythingPlays) {
  test::TTempDir folder;
  std::string dir = DataFolderWith(folder);
  const std::pair<const char*, const char*> cases[] = {
      {"64 space down\n65 space sideways\n", "bad.txt:2: expected \"FRAME KEY down|up\""},
      {"# a comment\n\n-1 space down\n", "bad.txt:3: expected \"FRAME KEY down|up\""},
      {"64 space\n", "bad.txt:1: expected \"FRAME KEY down|up\""},
      {"64 space down up\n", "bad.txt:1: expected \"FRAME KEY down|up\""},
      {"99999999999 space down\n", "bad.txt:1: expected \"FRAME KEY down|up\""},
      {"64 512 down\n", "bad.txt:1: expected a key number 0-511"},
      {"64 space down\n65 spcae up\n",
       "bad.txt:2: expected a key name such as left, space or escape, or a key number 0-511, not \"spcae\""},
      {"# zorbin recording: --seed many\n64 space down\n",
       "bad.txt:1: expected \"# zorbin recording: --seed N\" with a seed 0-4294967295"},
  };
  for (const auto& [text, message] : cases) {
    test::WriteFileText(folder.File("bad.txt"), text);
    TRunResult run = RunDemo(dir, "--input bad.txt -mainlog run.log");
    EXPECT_EQ(run.ExitStatus, 1) << text;
    EXPECT_EQ(run.Output, "frames 0 exit 1\n") << text;
    EXPECT_NE(run.Errors.find(std::string("zorbin-demo: ") + message + "\n"), std::string::npos) << run.Errors;
    EXPECT_FALSE(test::FileExists(folder.File("run.log"))) << text;
  }
}

TEST(Recording, TheGameRecordsAndReplaysWithItsSeed) {
  test::TTempDir folder;
  std::string dir = DataFolderWith(folder);
  // The title card, then Escape on the map-select map: a short game.
  test::WriteFileText(folder.File("short.txt"),
                      "# zorbin recording: --seed 31\n64 space down\n65 space up\n80 escape down\n");
  TRunResult run = RunGame(dir, "-replay short.txt -record again.txt -mainlog game.log");
  EXPECT_EQ(run.ExitStatus, 0) << run.Errors;
  EXPECT_EQ(test::ReadFileText(folder.File("again.txt")), test::ReadFileText(folder.File("short.txt")));
  EXPECT_TRUE(LogNamesSeed(test::ReadFileText(folder.File("game.log")), "31"));

  run = RunGame(dir, "-seed 4000000000 -replay short.txt -record seeded.txt -mainlog seeded.log");
  EXPECT_EQ(run.ExitStatus, 0) << run.Errors;
  EXPECT_TRUE(LogNamesSeed(test::ReadFileText(folder.File("seeded.log")), "4000000000"));
  EXPECT_EQ(test::ReadFileText(folder.File("seeded.txt")).rfind("# zorbin recording: --seed 4000000000\n", 0), 0u);

  test::WriteFileText(folder.File("bad.txt"), "64 space down\nspace 65 up\n");
  run = RunGame(dir, "-replay bad.txt -mainlog bad.log");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Errors, "zorbin: bad.txt:2: expected \"FRAME KEY down|up\"\n");
  EXPECT_FALSE(test::FileExists(folder.File("bad.log")));
  test::WriteFileText(folder.File("typo.txt"), "64 space down\n65 spcae up\n");
  run = RunGame(dir, "-replay typo.txt -mainlog typo.log");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Errors,
            "zorbin: typo.txt:2: expected a key name such as left, space or escape, or a key number 0-511, "
            "not \"spcae\"\n");
  EXPECT_FALSE(test::FileExists(folder.File("typo.log")));
  EXPECT_EQ(RunGame(dir, "-seed -3 -nolog").ExitStatus, 1);
}

}  // namespace
}  // namespace zorbin::e2e
