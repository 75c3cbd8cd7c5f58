// A whole-game run under valgrind's memcheck: zorbin-demo plays the chain
// pack (every object type, a macro, placed objects) through several maps
// and must end with no invalid access and no lost memory. Skipped when
// valgrind is missing and in the sanitized build (the two do not mix).
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zorbin::e2e {
namespace {

bool ValgrindUsable() {
#ifdef ZORBIN_SANITIZED
  return false;
#else
  return std::system("command -v valgrind >/dev/null 2>&1") == 0;
#endif
}

TRunResult RunUnderMemcheck(const test::TTempDir& dir) {
  return RunDemoUnder(dir.Path(),
                      "valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect "
                      "--errors-for-leak-kinds=definite,indirect",
                      "--seed 11 --input input.txt --max-frames 3000 -mainlog demo.log");
}

void ExpectCleanReport(const TRunResult& run) {
  EXPECT_NE(run.Errors.find("ERROR SUMMARY: 0 errors"), std::string::npos) << run.Errors;
  bool noneLost = run.Errors.find("All heap blocks were freed") != std::string::npos ||
                  (run.Errors.find("definitely lost: 0 bytes") != std::string::npos &&
                   run.Errors.find("indirectly lost: 0 bytes") != std::string::npos);
  EXPECT_TRUE(noneLost) << run.Errors;
}

TEST(WholeGameUnderValgrind, MapsOfTheChainLeakNothingAndTouchNothingInvalid) {
  if (!ValgrindUsable()) GTEST_SKIP() << "no valgrind here, or a sanitized build";
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildChainPack(pack);
  pack.WriteText("input.txt", ChainInput());
  TRunResult run = RunUnderMemcheck(dir);
  std::vector<std::string> lines = run.Lines();
  ASSERT_EQ(lines.size(), 6u) << run.Output << run.Errors;
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end() - 1),
            (std::vector<std::string>{"visit 0 Map_Select", "visit 1 Map_A", "visit 2 Map_B", "visit 3 Map_C",
                                      "visit 0 Map_Select"}));
  EXPECT_EQ(lines.back().rfind("frames ", 0), 0u);
  EXPECT_NE(lines.back().find(" exit 0"), std::string::npos);
  EXPECT_EQ(run.ExitStatus, 0) << run.Errors;
  ExpectCleanReport(run);
}

TEST(WholeGameUnderValgrind, ObjectFailingHalfWayThroughAGroupLeaksNothing) {
  // The rotator's second member raises a conversion error after the first
  // was made: the game stops with code 1 and must not lose the first.
  if (!ValgrindUsable()) GTEST_SKIP() << "no valgrind here, or a sanitized build";
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildChainPack(pack);
  std::string objects = test::ReadFileText(dir.File("Map_B/objects.ini"));
  size_t at = objects.find("SpeedX=-2");
  ASSERT_NE(at, std::string::npos);
  pack.WriteText("Map_B/objects.ini", objects.replace(at, 9, "SpeedX=fast"));
  pack.WriteText("input.txt", ChainInput());
  TRunResult run = RunUnderMemcheck(dir);
  EXPECT_EQ(run.ExitStatus, 1) << run.Errors;
  EXPECT_EQ(run.Lines().size() >= 2 ? run.Lines()[run.Lines().size() - 2] : "", "visit 2 Map_B");
  EXPECT_NE(test::ReadFileText(dir.File("demo.log")).find("'fast' is not a valid integer value"), std::string::npos);
  ExpectCleanReport(run);
}

}  // namespace
}  // namespace zorbin::e2e
