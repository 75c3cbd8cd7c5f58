// MAD4HighLevelTest: mounted archive volumes: priorities, name resolution, listing and refused mounts.
#include "storage/MAD4HighLevelUnit.h"
#include "storage/MAD4MidLevelUnit.h"
#include "util/Streams.h"

#include "TestSupport.h"
#include "storage/MAD4TestArchives.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zorbin {
namespace {

using test::Archive;
using test::Chunk;
using test::Named;
using test::WriteFileText;

std::string Content(std::unique_ptr<TStream> s) {
  if (!s) return "<none>";
  auto bytes = s->ReadAll();
  return std::string(bytes.begin(), bytes.end());
}

// An archive of RAWD files, each name's content the given text.
std::string MakeArchive(const test::TTempDir& dir, const std::string& name,
                        const std::vector<std::pair<std::string, std::string>>& files) {
  std::string chunks;
  for (const auto& [n, text] : files) chunks += Chunk("RAWD", Named(n, text));
  WriteFileText(dir.File(name), Archive(chunks));
  return dir.File(name);
}

TEST(MAD4HighLevel, PrioritiesThenMostRecentFirst) {
  test::TTempDir dir;
  std::string low = MakeArchive(dir, "low.mad", {{"common\\x.tga", "low"}, {"only-low", "L"}});
  std::string first = MakeArchive(dir, "first.mad", {{"common\\x.tga", "first"}});
  std::string second = MakeArchive(dir, "second.mad", {{"COMMON\\X.TGA", "second"}});
  TMAD4HighLevel v;
  v.Mount(low, 50, true);
  v.Mount(first, 100, true);
  v.Mount(second, 100, true);
  ASSERT_EQ(v.VolumeCount(), 3);
  EXPECT_EQ(v.VolumeAt(0).FileName, second);
  EXPECT_EQ(v.VolumeAt(1).FileName, first);
  EXPECT_EQ(v.VolumeAt(2).FileName, low);
  EXPECT_EQ(v.VolumeAt(2).Priority, 50);
  EXPECT_EQ(Content(v.OpenFile("common\\x.tga")), "second");
  EXPECT_EQ(Content(v.OpenFile("only-low")), "L");

  v.Unmount(dir.File("SECOND.MAD"));  // letter case does not matter
  EXPECT_EQ(v.VolumeCount(), 2);
  EXPECT_EQ(Content(v.OpenFile("..\\..\\common\\x.tga")), "first");
  v.Unmount(dir.File("nothing.mad"));
  EXPECT_EQ(v.VolumeCount(), 2);
  EXPECT_EQ(v.IndexOfVolume(low), 1);
  EXPECT_EQ(v.IndexOfVolume(second), -1);
}

TEST(MAD4HighLevel, ResolvedNamesAndLookupLog) {
  EXPECT_EQ(TMAD4HighLevel::ResolveName("\\common\\player.tga"), "common\\player.tga");
  EXPECT_EQ(TMAD4HighLevel::ResolveName("..\\..\\common\\x.tga"), "common\\x.tga");
  EXPECT_EQ(TMAD4HighLevel::ResolveName("\\..\\x"), "..\\x");
  EXPECT_EQ(TMAD4HighLevel::ResolveName("a\\..\\x"), "a\\..\\x");

  test::TTempDir dir;
  std::string file = MakeArchive(dir, "a.mad", {{"common\\player.tga", "P"}});
  TMAD4HighLevel v;
  EXPECT_FALSE(v.IsExists("common\\player.tga"));  // no volumes
  EXPECT_EQ(v.OpenFile("common\\player.tga"), nullptr);
  v.Mount(file, 100, true);
  test::TCapturedLog log;
  EXPECT_TRUE(v.IsExists("\\common\\player.tga"));
  EXPECT_TRUE(v.IsExists("..\\common\\PLAYER.tga"));
  EXPECT_FALSE(v.IsExists(""));
  EXPECT_EQ(v.OpenFile(""), nullptr);
  auto lines = log.Lines();
  const std::string looking = "<MAD4HighLevelUnit, TMAD4HighLevel.IsExists> Looking for ";
  EXPECT_EQ(std::count(lines.begin(), lines.end(), looking + "common\\player.tga"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), looking + "common\\PLAYER.tga"), 1);
  EXPECT_EQ(lines.size(), 2u);
}

TEST(MAD4HighLevel, FirstVolumeWithTheNameAnswersEvenWithNothing) {
  test::TTempDir dir;
  std::string low = MakeArchive(dir, "low.mad", {{"*V", "a file named *V"}});
  WriteFileText(dir.File("high.mad"), Archive(Chunk("FVER", Named("1", "") + Named("2", ""))));
  TMAD4HighLevel v;
  v.Mount(low, 10, true);
  v.Mount(dir.File("high.mad"), 20, true);
  EXPECT_TRUE(v.IsExists("*V"));
  EXPECT_EQ(v.OpenFile("*V"), nullptr);
}

TEST(MAD4HighLevel, ListingAndRejectedMounts) {
  test::TTempDir dir;
  std::string file = MakeArchive(dir, "game.exe", {});
  WriteFileText(dir.File("text.txt"), "not an archive");
  test::TCapturedLog log;
  TMAD4HighLevel v;
  v.Mount(file, 100, true);
  auto lines = log.Lines();
  std::vector<std::string> listing(lines.end() - 4, lines.end());
  EXPECT_EQ(listing,
            (std::vector<std::string>{"----== MAD4 High Level - Volume listing ==----", "Number of volumes mounted: 1",
                                      "  1. (100) " + file, "- -- --- --- Volume listing ends. --- --- -- -"}));
  size_t before = log.Lines().size();
  v.Mount(dir.File("text.txt"), 5, true);
  EXPECT_EQ(v.VolumeCount(), 1);
  lines = log.Lines();
  ASSERT_GT(lines.size(), before);
  EXPECT_EQ(lines.back(), "{MAD4LowLevelUnit, TMAD4LowLevel.Mount} Not a MAD4 file!");  // and no listing

  // A missing name becomes a new empty archive and a volume.
  v.Mount(dir.File("new.mad"), 7, true);
  EXPECT_EQ(v.VolumeCount(), 2);
  EXPECT_EQ(test::ReadFileText(dir.File("new.mad")).size(), 20u);
  lines = log.Lines();
  EXPECT_EQ(lines[lines.size() - 2], "  2. (  7) " + dir.File("new.mad"));
}

}  // namespace
}  // namespace zorbin
