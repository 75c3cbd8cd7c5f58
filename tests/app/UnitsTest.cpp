// UnitsTest: where the started services of an installed game look and log,
// next to those of a game run from its own writable folder.
#include "app/Units.h"
#include "log/Logger.h"
#include "storage/QXStream.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zorbin {
namespace {

// Each start replaces the process-wide services, so it runs in a child
// process that reports the loose-file folder by its exit code.
void ExpectLooseFileFolder(const std::string& program, const std::string& expected) {
  EXPECT_EXIT(
      {
        Log.reset();
        InitializeUnits({program});
        std::_Exit(StreamOpener->BaseDir() == expected ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(UnitsDeathTest, InstalledGameUsesTheUserFoldersNotItsOwn) {
  test::TTempDir state, data;
  test::TEnvScope stateHome("XDG_STATE_HOME", state.Path().c_str());
  test::TEnvScope dataHome("XDG_DATA_HOME", data.Path().c_str());
  ExpectLooseFileFolder("/usr/zorbin-absent/zorbin", data.File("zorbin/"));
  std::vector<std::string> lines = test::SplitLines(test::ReadFileText(state.File("zorbin/zorbin.log")));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().rfind("(..system..) Starting Application. ", 0), 0u);
}

TEST(UnitsDeathTest, GameInAWritableFolderLooksAndLogsBesideItself) {
  test::TTempDir program, state;
  test::TEnvScope stateHome("XDG_STATE_HOME", state.Path().c_str());
  ExpectLooseFileFolder(program.File("zorbin"), program.File("Data\\"));
  EXPECT_TRUE(test::FileExists(program.File("zorbin.log")));
  EXPECT_FALSE(test::FileExists(state.File("zorbin/zorbin.log")));
}

}  // namespace
}  // namespace zorbin
