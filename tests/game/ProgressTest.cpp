// Kept progress: the file read back, a damaged or foreign one set aside,
// best times, and when the ports past the sixth open.
#include "game/ZORBProgress.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

TEST(Progress, RecordsBestTimesAndReadsThemBackIgnoringCase) {
  test::TTempDir dir;
  std::string file = dir.File("zorbin/progress.ini");  // the folder is made on the first save
  {
    TProgress progress(file);
    EXPECT_FALSE(progress.Started());
    EXPECT_TRUE(progress.Record("Map_A", 2345));
    EXPECT_FALSE(progress.Record("Map_A", 2400));  // slower: the best stays
    EXPECT_TRUE(progress.Record("map_a", 2001));
  }
  TProgress again(file);
  again.SetMaps({"Map_Select", "MAP_A", "Map_B"});
  EXPECT_EQ(again.Best("Map_A"), 2001u);
  EXPECT_FALSE(again.Best("Map_B"));
  EXPECT_TRUE(again.Completed(1));
  EXPECT_FALSE(again.Completed(2));
  EXPECT_FALSE(again.Completed(99));
  EXPECT_EQ(FramesAsSeconds(2001), "20.01 s");
  EXPECT_EQ(FramesAsSeconds(7), "0.07 s");
}

TEST(Progress, ADamagedOrForeignFileIsSetAsideWithOneWarning) {
  for (const char* text : {"[Video]\r\nScale=2\r\n", "[Progress]\r\nVersion=1\r\n[Completed]\r\nMap_A=12x\r\n",
                           "[Progress]\r\nVersion=2\r\n", "\x89PNG\r\n"}) {
    test::TTempDir dir;
    test::TCapturedLog log;
    std::string file = dir.File("progress.ini");
    test::WriteFileText(file, text);
    TProgress progress(file);
    EXPECT_FALSE(progress.Started()) << text;
    EXPECT_FALSE(std::filesystem::exists(file)) << text;
    EXPECT_EQ(test::ReadFileText(file + ".bad"), text);
    EXPECT_TRUE(log.Contains("[ZORBProgress] Progress file is damaged or not a progress file, kept as " + file +
                             ".bad; play starts from no progress"))
        << text;
  }
}

TEST(Progress, PortsPastTheSixthOpenAsMapsAreCompleted) {
  test::TTempDir dir;
  TProgress progress(dir.File("progress.ini"));
  progress.SetMaps({"S", "A", "B", "C"});
  EXPECT_TRUE(PortOpen(6));
  EXPECT_FALSE(PortOpen(7));  // no progress kept: as the game always was
  PortProgress = &progress;
  EXPECT_FALSE(PortOpen(7));
  progress.Record("A", 100);
  EXPECT_TRUE(PortOpen(7));
  EXPECT_FALSE(PortOpen(8));
  EXPECT_TRUE(PortCompleted(1));
  EXPECT_FALSE(PortCompleted(2));
  PortProgress = nullptr;
  EXPECT_FALSE(PortCompleted(1));
}

}  // namespace
}  // namespace zorbin
