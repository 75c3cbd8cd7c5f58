// How a zorbin-demo run ends: never later than its input allows. A script
// without Escape, the editor without input and the monkey end a fixed number
// of frames after their input unless --max-frames says otherwise, each
// saying so on standard error; shots the run never reached are named;
// --help plays nothing.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin::e2e {
namespace {

std::string DefaultDataIn(const test::TTempDir& folder) {
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/Zorbin.data", folder.File("Zorbin.data"));
  return folder.Path();
}

const char* const kLimitNote = " (--max-frames sets another limit)\n";

TEST(DemoRunEnd, AScriptWithoutEscapeEndsSixThousandFramesAfterItsLastEventOrAtMaxFrames) {
  test::TTempDir folder;
  std::string dir = DefaultDataIn(folder);
  // Into the map-select map and a few steps right; nothing ends the game.
  test::WriteFileText(folder.File("walk.txt"), "64 space down\n65 space up\n80 right down\n90 right up\n");
  TRunResult run = RunDemo(dir, "--input walk.txt --shot 100:early.png --shot 9000:late.png -nolog");
  EXPECT_EQ(run.ExitStatus, 2);
  EXPECT_EQ(run.Output, "visit 0 Map_Select\nframes 6090 exit 2\n");
  EXPECT_EQ(run.Errors, "zorbin-demo: input over at frame 90; closing the window 6000 frames later, at frame 6090" +
                            std::string(kLimitNote) +
                            "zorbin-demo: --shot frame 9000 was never reached (the run ended at frame 6090): "
                            "no late.png written\n");
  EXPECT_TRUE(test::FileExists(folder.File("early.png")));
  EXPECT_FALSE(test::FileExists(folder.File("late.png")));

  TRunResult capped = RunDemo(dir, "--input walk.txt --max-frames 6200 -nolog");
  EXPECT_EQ(capped.ExitStatus, 2);
  EXPECT_EQ(capped.Output, "visit 0 Map_Select\nframes 6200 exit 2\n");
  EXPECT_EQ(capped.Errors, "");
}

TEST(DemoRunEnd, TheEditorWithoutInputAndTheMonkeyWithoutMaxFramesEnd) {
  test::TTempDir folder;
  std::string dir = DefaultDataIn(folder);
  std::filesystem::copy(std::string(ZORBIN_SOURCE_DIR) + "/data/pack/Map_C", folder.File("Map_C"));
  TRunResult editor = RunDemo(dir, "--edit Map_C -nolog");
  EXPECT_EQ(editor.ExitStatus, 2);
  EXPECT_EQ(editor.Output, "frames 6000 exit 2\n");
  EXPECT_EQ(editor.Errors, "zorbin-demo: no input; closing the window at frame 6000" + std::string(kLimitNote));

  TRunResult monkey = RunDemo(dir, "--monkey 4 -nolog");
  EXPECT_EQ(monkey.ExitStatus, 0);
  ASSERT_FALSE(monkey.Lines().empty());
  EXPECT_EQ(monkey.Lines().back(), "frames 6000 exit 0");
  EXPECT_EQ(monkey.Errors, "zorbin-demo: the monkey stops at frame 6000" + std::string(kLimitNote));
}

TEST(DemoRunEnd, HelpPrintsTheUsageAndPlaysNothing) {
  test::TTempDir folder;
  std::string dir = DefaultDataIn(folder);
  for (const char* help : {"--help", "-h"}) {
    TRunResult run = RunDemo(dir, std::string("--seed 3 ") + help + " -mainlog help.log");
    EXPECT_EQ(run.ExitStatus, 0) << help;
    EXPECT_EQ(run.Output.rfind("usage: zorbin-demo [--seed N] [--input FILE]", 0), 0u) << run.Output;
    ASSERT_FALSE(run.Lines().empty());
    EXPECT_NE(run.Lines().back().rfind("frames ", 0), 0u) << run.Output;  // no run, so no last line of one
    EXPECT_EQ(run.Errors, "") << help;
    EXPECT_FALSE(test::FileExists(folder.File("help.log"))) << help;
  }
}

}  // namespace
}  // namespace zorbin::e2e
