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

TEST(WholeGameUnderValgrind, MapsOfTheChainLeakNothingAndTouchNothingInvalid) {
#ifdef ZORBIN_SANITIZED
  GTEST_SKIP() << "the sanitized build does not run under valgrind";
#endif
  if (std::system("command -v valgrind >/dev/null 2>&1") != 0) GTEST_SKIP() << "valgrind is not installed";
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  BuildChainPack(pack);
  pack.WriteText("input.txt", ChainInput());
  TRunResult run = RunDemoUnder(dir.Path(),
                                "valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect "
                                "--errors-for-leak-kinds=definite,indirect",
                                "--seed 11 --input input.txt --max-frames 3000 -mainlog demo.log");
  std::vector<std::string> lines = run.Lines();
  ASSERT_EQ(lines.size(), 6u) << run.Output << run.Errors;
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end() - 1),
            (std::vector<std::string>{"visit 0 Map_Select", "visit 1 Map_A", "visit 2 Map_B", "visit 3 Map_C",
                                      "visit 0 Map_Select"}));
  EXPECT_EQ(lines.back().rfind("frames ", 0), 0u);
  EXPECT_NE(lines.back().find(" exit 0"), std::string::npos);
  EXPECT_EQ(run.ExitStatus, 0) << run.Errors;
  EXPECT_NE(run.Errors.find("ERROR SUMMARY: 0 errors"), std::string::npos) << run.Errors;
  bool noneLost = run.Errors.find("All heap blocks were freed") != std::string::npos ||
                  (run.Errors.find("definitely lost: 0 bytes") != std::string::npos &&
                   run.Errors.find("indirectly lost: 0 bytes") != std::string::npos);
  EXPECT_TRUE(noneLost) << run.Errors;
}

}  // namespace
}  // namespace zorbin::e2e
