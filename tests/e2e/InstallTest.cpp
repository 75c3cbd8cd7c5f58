// An installation into a fresh prefix: the installed programs carry the
// default pack, so the demo plays a kept solution and the tool lists the
// game's own file; the menu entry, icons, metadata, man pages and documents
// are in place and carry the version.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace zorbin::e2e {
namespace {

class Installed : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    prefix_ = new test::TTempDir();
    install_ = test::RunCommand("'" + std::string(ZORBIN_CMAKE_COMMAND) + "' --install '" + ZORBIN_BUILD_DIR +
                                "' --prefix '" + prefix_->Path() + "' 2>&1");
  }
  static void TearDownTestSuite() {
    delete prefix_;
    prefix_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(install_.code, 0) << install_.out; }
  static std::string At(const std::string& rel) { return prefix_->File(rel); }

  static test::TTempDir* prefix_;
  static test::TRun install_;
};
test::TTempDir* Installed::prefix_ = nullptr;
test::TRun Installed::install_;

TEST_F(Installed, DemoPlaysAKeptSolutionFromThePackInsideItself) {
  test::TTempDir play;
  std::string solution = std::string(ZORBIN_SOURCE_DIR) + "/data/solutions/map_a.txt";
  test::TRun run = test::RunCommand("cd '" + play.Path() + "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy '" +
                                    At("games/zorbin-demo") + "' --seed 5 --input '" + solution +
                                    "' --max-frames 10000 -mainlog demo.log 2>/dev/null");
  EXPECT_EQ(run.code, 2);
  std::vector<std::string> lines = test::SplitLines(run.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "visit 1 Map_A"), lines.end()) << run.out;
  EXPECT_EQ(lines.back(), "frames 2304 exit 2");
  EXPECT_FALSE(std::filesystem::exists(At("games/Zorbin.data")));
}

TEST_F(Installed, ToolListsThePackOfTheInstalledGame) {
  test::TRun run = test::RunCommand("'" + At("bin/zorbin-tool") + "' list '" + At("games/zorbin") + "' 2>&1");
  EXPECT_EQ(run.code, 0) << run.out;
  EXPECT_NE(run.out.find("$main$.ini"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Map_A\\map00.mpt"), std::string::npos) << run.out;
}

TEST_F(Installed, ProgramsTellTheProjectVersion) {
  std::string version = ZORBIN_VERSION;
  test::TRun game = test::RunCommand("cd '" + prefix_->Path() + "' && '" + At("games/zorbin") + "' -version");
  EXPECT_EQ(game.code, 0);
  EXPECT_EQ(game.out, "zorbin " + version + "\n");
  test::TRun tool = test::RunCommand("'" + At("bin/zorbin-tool") + "' --version");
  EXPECT_EQ(tool.code, 0);
  EXPECT_EQ(tool.out, "zorbin-tool " + version + "\n");
  std::string metainfo = test::ReadFileText(At("share/metainfo/org.example.zorbin.metainfo.xml"));
  EXPECT_NE(metainfo.find("<release version=\"" + version + "\""), std::string::npos);
  // No log and no window: the version is told before anything starts.
  EXPECT_FALSE(std::filesystem::exists(At("games/zorbin.log")));
}

TEST_F(Installed, MenuEntryIconsManPagesAndDocuments) {
  std::string entry = test::ReadFileText(At("share/applications/org.example.zorbin.desktop"));
  EXPECT_NE(entry.find("\nExec=zorbin\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nIcon=zorbin\n"), std::string::npos) << entry;
  for (int size : {16, 32, 48, 64, 128, 256}) {
    std::string png = "share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/zorbin.png";
    std::string bytes = test::ReadFileText(At(png));
    ASSERT_GE(bytes.size(), 24u) << png;
    EXPECT_EQ(bytes.substr(1, 3), "PNG") << png;
    // Width and height, big-endian, in the IHDR chunk.
    auto be32 = [&](size_t at) {
      return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
             (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
    };
    EXPECT_EQ(be32(16), uint32_t(size)) << png;
    EXPECT_EQ(be32(20), uint32_t(size)) << png;
  }
  for (const char* page :
       {"share/man/man6/zorbin.6.gz", "share/man/man1/zorbin-tool.1.gz", "share/man/man1/zorbin-demo.1.gz"}) {
    test::TRun text = test::RunCommand("gzip -dc '" + At(page) + "'");
    EXPECT_EQ(text.code, 0) << page;
    EXPECT_EQ(text.out.rfind(".TH ", 0), 0u) << page;
  }
  EXPECT_TRUE(test::FileExists(At("share/doc/zorbin/README.md")));
  EXPECT_NE(test::ReadFileText(At("share/doc/zorbin/LICENSE")).find("the Zorbin developers"), std::string::npos);
}

}  // namespace
}  // namespace zorbin::e2e
