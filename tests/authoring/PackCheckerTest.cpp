// PackCheckerTest: the checker learns of the loaders through the diagnostics receivers alone: the log writes its
// lines all along, and a map that would end the process ends only its own check.
#include "authoring/PackChecker.h"
#include "game/ZORBMapSetupFailure.h"
#include "log/Logger.h"
#include "storage/QXStream.h"
#include "util/ProcessExit.h"

#include "TestSupport.h"
#include "e2e/PackBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

TEST(PackChecker, TheLogAndTheProcessHooksStayAsTheyWere) {
  test::TTempDir dir;
  e2e::TPackBuilder pack(dir.Path());
  e2e::BuildChainPack(pack);
  // The stars' character is drawn by none: without this a warning.
  std::string map = test::ReadFileText(dir.File("Map_C/map00.mpt"));
  pack.WriteText("Map_C/map00.mpt", map.replace(map.find("EX \r\n"), 5, "EX s\r\n"));
  std::string objects = test::ReadFileText(dir.File("Map_B/objects.ini"));
  objects.insert(objects.find("[*Objects]\r\n") + 12, "Many\r\n");
  objects += "\r\n[Many]\r\nType=Repeater\r\nRepeatObject=Nothing\r\nTimes=70000\r\n";
  pack.WriteText("Map_B/objects.ini", objects);
  const int timesLine = int(test::SplitLines(objects).size());
  std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  std::unique_ptr<TQXStreamOpener> savedOpener = std::move(StreamOpener);
  StreamOpener = std::make_unique<TQXStreamOpener>(dir.Path(), nullptr);
  test::TCapturedLog log;
  const TLogger* logger = Log.get();
  const TExitHook hook = ExitHook();

  std::vector<TFinding> findings = TPackChecker().Check();

  StreamOpener = std::move(savedOpener);
  std::filesystem::current_path(saved);
  EXPECT_EQ(Log.get(), logger);
  EXPECT_EQ(ExitHook(), hook);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(FormatFinding(findings[0]), "Map_B\\objects.ini:" + std::to_string(timesLine) +
                                            ": error: Too many objects (Object=Many): a map holds at most 65536 "
                                            "object entries");
  EXPECT_TRUE(log.Contains("{ZORBPlay1MapUnit, TPlay1Map.CreateObject} Too many objects (Object=Many)"));
  // The maps after the one that stopped are checked: their pictures load.
  EXPECT_TRUE(log.Contains("<ImageUnit, TImage.Create> LoadImage(..\\bee.tga)")) << "Map_C's macro";
  // The set-up ends the process again once the check is over.
  EXPECT_EXIT(FailMapSetup({.Message = "stop"}), ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace zorbin
