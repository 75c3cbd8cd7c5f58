// The default map pack, played through: each normal map is entered by its
// port, its three crates are delivered by the scripted solution, and the
// game returns to the map-select map, showing on the way exactly what the
// solution's golden record holds (script/golden rewrites the records when a
// change of the picture is intended).
#include "GoldenRecord.h"
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

namespace zorbin::e2e {
namespace {

// As script/golden replays the solutions; the frame cap only stops a run
// that no longer finishes.
const char* const kReplayArguments = "--seed 5 --max-frames 10000 --input input.txt -mainlog demo.log";

// A solution script and the visit line of its map; strings, so that the
// test names show them.
using TSolution = std::pair<std::string, std::string>;

class DefaultPack : public ::testing::TestWithParam<TSolution> {};

TEST_P(DefaultPack, SolutionCompletesTheMap) {
  auto [script, dir] = GetParam();
  test::TTempDir folder;
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", folder.File("Zorbin.data"));
  std::string solutions = std::string(ZORBIN_SOURCE_DIR) + "/data/solutions/";
  std::filesystem::copy_file(solutions + script, folder.File("input.txt"));
  TRunResult run = RunDemo(folder.Path(), std::string(kReplayArguments) + " --checksums frames.txt --audio sound.wav");

  std::string name = std::filesystem::path(script).stem().string();
  std::string shots = std::string(ZORBIN_GOLDEN_OUT_DIR) + "/" + name;
  std::filesystem::remove_all(shots);
  TGoldenRecord golden = TGoldenRecord::Parse(test::ReadFileText(solutions + name + ".golden"));
  ASSERT_FALSE(golden.Frames.empty()) << "no golden record " << name << ".golden (script/golden writes it)";
  TGoldenRecord seen = TGoldenRecord::OfRun(run.Output, test::ReadFileText(folder.File("frames.txt")));
  EXPECT_EQ(seen.Visits, golden.Visits);
  EXPECT_EQ(seen.LastLine, golden.LastLine);
  TFrameMismatch mismatch = FirstMismatch(golden, seen);
  if (mismatch.Frame != 0) {
    uint32_t lastFrame = seen.Frames.empty() ? 0 : seen.Frames.back().Frame;
    ADD_FAILURE() << script << ": " << ShowMismatch(folder.Path(), kReplayArguments, mismatch, lastFrame, shots);
  }

  std::vector<std::string> lines = run.Lines();
  ASSERT_EQ(lines.size(), 4u) << run.Output;
  EXPECT_EQ(lines[0], "visit 0 Map_Select");
  EXPECT_EQ(lines[1], dir);
  EXPECT_EQ(lines[2], "visit 0 Map_Select");  // back after the crates were delivered
  EXPECT_EQ(run.ExitStatus, 2);               // the script ends at the title card
  std::string log = test::ReadFileText(folder.File("demo.log"));
  EXPECT_EQ(log.find("not found"), std::string::npos);
  EXPECT_EQ(log.find("\n{"), std::string::npos) << "no Error lines";
  // The sound of the run: its CRC-32 and size as script/golden kept them.
  std::string sound = test::ReadFileText(folder.File("sound.wav"));
  EXPECT_EQ(sound.size(), 44 + 4 * 441 * size_t(seen.Frames.empty() ? 0 : seen.Frames.back().Frame));
  char seenAudio[32];
  std::snprintf(seenAudio, sizeof seenAudio, "%08lx %zu",
                crc32(0, reinterpret_cast<const Bytef*>(sound.data()), uInt(sound.size())), sound.size());
  std::string kept = test::ReadFileText(solutions + name + ".audio");
  EXPECT_NE(kept.find(std::string("\n") + seenAudio + "\n"), std::string::npos)
      << name << ".audio does not hold " << seenAudio << " (script/golden writes it)";
}

INSTANTIATE_TEST_SUITE_P(
    Maps, DefaultPack,
    ::testing::Values(TSolution{"map_a.txt", "visit 1 Map_A"}, TSolution{"map_b.txt", "visit 2 Map_B"},
                      TSolution{"map_c.txt", "visit 3 Map_C"}, TSolution{"map_d.txt", "visit 4 Map_D"},
                      TSolution{"map_e.txt", "visit 5 Map_E"}, TSolution{"map_f.txt", "visit 6 Map_F"}));

}  // namespace
}  // namespace zorbin::e2e

namespace zorbin::e2e {
namespace {

// zorbin-tool append makes a single-file game: the program finds the pack
// inside itself when no "Zorbin.data" stands beside it.
TEST(SingleFileGame, AppendedPackPlaysWithoutADataFile) {
  test::TTempDir build, play;
  std::string bin = ZORBIN_BIN_DIR;
  std::string out = play.File("zorbin-demo");
  std::string command =
      "'" + bin + "/zorbin-tool' append '" + bin + "/zorbin-demo' '" + bin + "/Zorbin.data' '" + out + "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::filesystem::copy_file(std::string(ZORBIN_SOURCE_DIR) + "/data/solutions/map_a.txt", play.File("input.txt"));
  std::string run = "cd '" + play.Path() +
                    "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ./zorbin-demo --seed 5 "
                    "--input input.txt -mainlog demo.log > out.txt 2>/dev/null";
  int status = std::system(run.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  std::vector<std::string> lines = test::SplitLines(test::ReadFileText(play.File("out.txt")));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "visit 1 Map_A");
  EXPECT_EQ(lines[2], "visit 0 Map_Select");
  EXPECT_FALSE(std::filesystem::exists(play.File("Zorbin.data")));
  std::string log = test::ReadFileText(play.File("demo.log"));
  EXPECT_NE(log.find("  1. (100) " + out), std::string::npos);  // the program itself is the volume
}

}  // namespace
}  // namespace zorbin::e2e
