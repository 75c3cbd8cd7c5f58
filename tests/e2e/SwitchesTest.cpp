// The programs' switches as a user writes them: "-", "--" or "/" in any
// letter case (the settings file named with /config is read), a bad value
// refused before anything starts, an unknown switch named while the run
// goes on.
#include "PackBuilder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace zorbin::e2e {
namespace {

// A pack without an index: a run logs its seed and settings, then stops
// with exit 1 before the first frame.
class SwitchesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TPackBuilder pack(dir_.Path());
    pack.WriteRootResources();
    test::WriteFileText(dir_.File("bad.ini"), "[Video]\nScale=9\n");
  }
  std::string Log(const std::string& name) const { return test::ReadFileText(dir_.File(name)); }

  test::TTempDir dir_;
};

const char* const kSettingsWarning = "Settings: [Video] Scale = \"9\" is not 1 to 4 or auto";

TEST_F(SwitchesTest, TheGameTakesEverySpellingAndReadsTheSettingsThatSlashConfigNames) {
  TRunResult run = RunGame(dir_.Path(), "/config bad.ini --SEED 7 /MainLog game.log");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Errors.find("unknown switch"), std::string::npos) << run.Errors;
  EXPECT_NE(Log("game.log").find("Random seed: 7\r\n"), std::string::npos);
  EXPECT_NE(Log("game.log").find(kSettingsWarning), std::string::npos);

  run = RunGame(dir_.Path(), "--NOLOG -Config bad.ini");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_FALSE(test::FileExists(dir_.File("zorbin.log")));

  run = RunGame(dir_.Path(), "-mainlog refused.log /Scale 9");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Errors, "zorbin: /Scale needs 1 to 4 or auto, not \"9\"\n");
  EXPECT_FALSE(test::FileExists(dir_.File("refused.log")));
}

TEST_F(SwitchesTest, TheDemoTakesTheSameSpellingsAndNamesAnUnknownSwitch) {
  TRunResult run = RunDemo(dir_.Path(), "/SEED 42 -config bad.ini --bogus --mainlog demo.log");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Output, "frames 0 exit 1\n");
  EXPECT_NE(run.Errors.find("zorbin-demo: unknown switch \"--bogus\" is ignored"), std::string::npos) << run.Errors;
  EXPECT_NE(Log("demo.log").find("Random seed: 42\r\n"), std::string::npos);
  EXPECT_NE(Log("demo.log").find(kSettingsWarning), std::string::npos);
}

}  // namespace
}  // namespace zorbin::e2e
