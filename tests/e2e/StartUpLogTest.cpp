// The start of every log (the units' version lines, the random seed) and
// the order of the lines when play stops with an error.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace zorbin::e2e {
namespace {

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& log, const std::string& start) {
  std::vector<std::string> found;
  for (const std::string& line : log)
    if (line.rfind(start, 0) == 0) found.push_back(line);
  return found;
}

size_t IndexOf(const std::vector<std::string>& log, const std::string& line) {
  return size_t(std::find(log.begin(), log.end(), line) - log.begin());
}

TEST(StartUpLog, TheGameSeedsFromTheSystemTicksAndLogsTheSeed) {
  // The game program itself, on a pack without an index: it stops before
  // the first frame, after logging its seed.
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  pack.WriteRootResources();
  std::vector<std::string> seeds;
  for (int run = 0; run < 2; ++run) {
    if (run) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    TRunResult result = RunGame(dir.Path(), "-mainlog game.log");
    EXPECT_EQ(result.ExitStatus, 1);
    std::vector<std::string> log = test::SplitLines(test::ReadFileText(dir.File("game.log")));
    std::vector<std::string> lines = LinesStartingWith(log, "(Zorbin) Random seed: ");
    ASSERT_EQ(lines.size(), 1u);
    seeds.push_back(lines[0]);
    // Seeded first, then the banner.
    size_t at = IndexOf(log, lines[0]);
    ASSERT_LT(at + 2, log.size());
    EXPECT_EQ(log[at + 2], "<Zorbin> Zorbin V0.00 Build 0899");
  }
  EXPECT_NE(seeds[0], seeds[1]);
}

TEST(StartUpLog, DemoLogsItsFixedSeedAndEveryUnitsVersion) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  pack.WriteRootResources();
  TRunResult run = RunDemo(dir.Path(), "--seed 42 -mainlog demo.log");
  EXPECT_EQ(run.ExitStatus, 1);
  std::vector<std::string> log = test::SplitLines(test::ReadFileText(dir.File("demo.log")));
  EXPECT_EQ(LinesStartingWith(log, "(Zorbin) Random seed: "), std::vector<std::string>{"(Zorbin) Random seed: 42"});
  // The map pack, the map set-up and the ten object units list themselves
  // with the others, in initialisation order, before the banner.
  std::vector<std::string> uses = LinesStartingWith(log, "(uses) ");
  std::vector<std::string> game(uses.end() - 12, uses.end());
  EXPECT_EQ(game, (std::vector<std::string>{
                      "(uses) ZORBLinearMoverUnit, version 1.00", "(uses) ZORBPathMoverUnit, version 1.00",
                      "(uses) ZORBRunnerUnit, version 1.00", "(uses) ZORBVolcanoUnit, version 1.00",
                      "(uses) ZORBBridgeUnit, version 1.00", "(uses) ZORBBoxesUnit, version 1.00",
                      "(uses) ZORBRotatorUnit, version 1.00", "(uses) ZORBRandomizerUnit, version 1.00",
                      "(uses) ZORBParticleBoxUnit, version 1.00", "(uses) ZORBMapSelectPortUnit, version 1.00",
                      "(uses) ZORBPlay1MapUnit, version 1.00", "(uses) ZORBPlayMapPackUnit, version 1.00"}));
  EXPECT_EQ(uses[uses.size() - 13], "(uses) ZORBPlayerUnit, version 1.00");
  EXPECT_LT(IndexOf(log, uses.back()), IndexOf(log, "(Zorbin) Random seed: 42"));
}

TEST(StartUpLog, AnErrorThatStopsPlayIsLoggedBeforeTheShutdown) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  pack.WriteRootResources();  // no "$main$.ini"
  TRunResult run = RunDemo(dir.Path(), "-mainlog demo.log");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Lines(), std::vector<std::string>{"frames 0 exit 1"});
  std::vector<std::string> log = test::SplitLines(test::ReadFileText(dir.File("demo.log")));
  size_t error = IndexOf(log, "{Zorbin} OpenStream failed: \\$main$.ini");
  size_t audio = IndexOf(log, "(QX_SDL, Finalize) BASS: Shutdown...");
  ASSERT_LT(error, log.size());
  ASSERT_LT(audio, log.size());
  EXPECT_LT(error, audio);
  EXPECT_EQ(LinesStartingWith(log, "{Zorbin} ").size(), 1u);
}

}  // namespace
}  // namespace zorbin::e2e
