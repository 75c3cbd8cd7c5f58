// UserFoldersTest: where an installed game keeps its log and finds the
// user's files, with the XDG variables set by each test.
#include "util/UserFolders.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

using test::TEnvScope;

TEST(UserFolders, LogBesideAProgramInAWritableFolder) {
  test::TTempDir program, state;
  TEnvScope xdg("XDG_STATE_HOME", state.Path().c_str());
  EXPECT_EQ(DefaultLogName(program.Path(), "zorbin"), program.File("zorbin.log"));
  EXPECT_FALSE(std::filesystem::exists(state.File("zorbin")));
}

TEST(UserFolders, LogOfAnInstalledProgramGoesToTheStateFolder) {
  test::TTempDir state;
  TEnvScope xdg("XDG_STATE_HOME", state.Path().c_str());
  // Below /usr/ even root may write, but the package manager owns the folder.
  EXPECT_FALSE(ProgramFolderWritable("/usr/games/"));
  EXPECT_EQ(DefaultLogName("/usr/games/", "zorbin"), state.File("zorbin/zorbin.log"));
  EXPECT_TRUE(std::filesystem::is_directory(state.File("zorbin")));
  EXPECT_EQ(DefaultLogName("/no/such/folder/", "zorbin"), state.File("zorbin/zorbin.log"));
}

TEST(UserFolders, UnsetOrRelativeVariablesFallBackToHome) {
  TEnvScope home("HOME", "/home/player");
  TEnvScope state("XDG_STATE_HOME", nullptr);
  TEnvScope data("XDG_DATA_HOME", "relative/share");
  EXPECT_EQ(UserStateFolder(), "/home/player/.local/state/zorbin/");
  EXPECT_EQ(UserDataFolder(), "/home/player/.local/share/zorbin/");
  TEnvScope set("XDG_DATA_HOME", "/data/x/");
  EXPECT_EQ(UserDataFolder(), "/data/x/zorbin/");
}

}  // namespace
}  // namespace zorbin
