// Inputs the map set-up fuzzer found (a crash, over a second or over its
// memory limit in the checked build), kept in fuzz-findings/ and played by
// zorbin-demo in the world the fuzz target builds: each run must end in
// order, and the fault's own log line shows the mend at work.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <regex>
#include <string>

namespace zorbin::e2e {
namespace {

struct TFinding {
  const char* File;
  const char* LogLine;  // the mend's line in the log
};

class MapSetupFindings : public ::testing::TestWithParam<TFinding> {};

TEST_P(MapSetupFindings, PlaysOrStopsInOrder) {
  test::TTempDir dir;
  TPackBuilder pack(dir.Path());
  WriteMapSetupResources(pack);
  std::string input =
      test::ReadFileText(std::string(ZORBIN_SOURCE_DIR) + "/tests/e2e/fuzz-findings/" + GetParam().File);
  ASSERT_FALSE(input.empty());
  WriteMapSetupInput(pack, input);
  pack.WriteText("input.txt", "0 space down\n");
  TRunResult run = RunDemo(dir.Path(), "--seed 1 --input input.txt --max-frames 100 -mainlog demo.log");
  ASSERT_GE(run.ExitStatus, 0) << "ended by a signal\n" << run.Errors;
  std::vector<std::string> lines = run.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(std::regex_match(lines.back(), std::regex("frames [0-9]+ exit " + std::to_string(run.ExitStatus))))
      << lines.back() << "\n"
      << run.Errors;
  EXPECT_NE(test::ReadFileText(dir.File("demo.log")).find(GetParam().LogLine), std::string::npos) << GetParam().LogLine;
}

INSTANTIATE_TEST_SUITE_P(Inputs, MapSetupFindings,
                         ::testing::Values(TFinding{"fuzz_map_setup-rotator-lists-itself",
                                                    "Objects nested too deeply (Object=Spin)"},
                                           // Groups of groups making a thousand bridges and more: the
                                           // pictures stop at the memory all images may hold.
                                           TFinding{"fuzz_map_setup-groups-of-bridges-fill-memory",
                                                    "{ImageUnit, TImage.Create} Cannot create surface ("}),
                         [](const ::testing::TestParamInfo<TFinding>& finding) {
                           std::string name =
                               std::string(finding.param.File).substr(std::string("fuzz_map_setup-").size());
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace zorbin::e2e
