// The default map pack, played through: each normal map is entered by its
// port, its three crates are delivered by the scripted solution, and the
// game returns to the map-select map.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin::e2e {
namespace {

class DefaultPack : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(DefaultPack, SolutionCompletesTheMap) {
  auto [script, dir] = GetParam();
  test::TTempDir folder;
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", folder.File("Zorbin.data"));
  std::filesystem::copy_file(std::string(ZORBIN_SOURCE_DIR) + "/data/solutions/" + script, folder.File("input.txt"));
  TRunResult run = RunDemo(folder.Path(), "--seed 5 --input input.txt -mainlog demo.log");
  std::vector<std::string> lines = run.Lines();
  ASSERT_EQ(lines.size(), 4u) << run.Output;
  EXPECT_EQ(lines[0], "visit 0 Map_Select");
  EXPECT_EQ(lines[1], dir);
  EXPECT_EQ(lines[2], "visit 0 Map_Select");  // back after the crates were delivered
  EXPECT_EQ(run.ExitStatus, 2);               // the script ends at the title card
  std::string log = test::ReadFileText(folder.File("demo.log"));
  EXPECT_EQ(log.find("not found"), std::string::npos);
  EXPECT_EQ(log.find("\n{"), std::string::npos) << "no Error lines";
}

INSTANTIATE_TEST_SUITE_P(Maps, DefaultPack,
                         ::testing::Values(std::pair{"map_a.txt", "visit 1 Map_A"}, std::pair{"map_b.txt", "visit 2 Map_B"},
                                           std::pair{"map_c.txt", "visit 3 Map_C"}, std::pair{"map_d.txt", "visit 4 Map_D"},
                                           std::pair{"map_e.txt", "visit 5 Map_E"},
                                           std::pair{"map_f.txt", "visit 6 Map_F"}));

}  // namespace
}  // namespace zorbin::e2e
